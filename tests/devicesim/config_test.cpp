// The simulator's configuration file: the value forms it takes, and what it ignores.
#include <gtest/gtest.h>

#include "devicesim/sim_config.h"

namespace quorxsim {
namespace {

TEST(SimConfig, ReadsEverySectionCaseInsensitivelyWithCommentsAndCrLf) {
  const SimConfig config = ParseSimConfig(
      "; virtual hardware\r\n"
      "[general]\r\nCARDS=3\r\nSeed=18446744073709551615\r\nChipVariant=YES ; every card\r\n"
      "[Card_1]\r\nchipvariant=NO\r\nFpgaMode=2\r\n"
      "IfInput1 = 70.25e6, -55.5, fm, 2.5e6, 9.5, biol\r\nIfInput1Pattern=pn11\r\nIfInput1Viterbi=YES\r\n"
      "[Card_2]\r\nIfInput2=69e6, -60, SQPSK, 4e6, 7, RNRZ-15\r\n"
      "[DownConverters]\r\nKr12Cards=2\r\n");
  EXPECT_EQ(config.cards, 3);
  EXPECT_EQ(config.seed, 18446744073709551615ull);
  EXPECT_TRUE(config.card[0].chipVariant);
  EXPECT_FALSE(config.card[1].chipVariant);
  EXPECT_EQ(config.card[1].fpgaMode, 2);
  const SignalConfig& fm = config.card[1].input[0];
  EXPECT_EQ(fm.family, Family::Fm);
  EXPECT_EQ(fm.carrierHz, 70.25e6);
  EXPECT_EQ(fm.ebNoDb, 9.5);
  EXPECT_EQ(fm.code, "BIOL");
  EXPECT_EQ(fm.pattern, "pn11");
  EXPECT_TRUE(fm.convolutional);
  const SignalConfig& psk = config.card[2].input[1];
  EXPECT_EQ(psk.modulation, "SQPSK");
  EXPECT_EQ(psk.code, "NRZL");
  EXPECT_TRUE(psk.randomized);
  EXPECT_EQ(config.dncvt.kr12Cards, 2);
}

TEST(SimConfig, ValuesThatDoNotParseOrLieOutsideTheirRangeKeepTheDefaults) {
  const SimConfig defaults = DefaultSimConfig();
  const SimConfig config = ParseSimConfig(
      "[General]\nCards=7\nSeed=-1\n"
      "[Card_0]\nFpgaMode=16\nIfInput1=70,5e6, -40, PSK\nIfInput2=70e6, -40, QAM, 1e6\nIfInput2Pattern=pn99\n"
      "[Card_1]\nIfInput1=70e6, -40, PSK, 1e6, 12, NRZL, extra\nIfInput2=nan, -40\n"
      "[DownConverters]\nKr12Channels=5\nRfPowerDbm=1e400\n");
  EXPECT_EQ(config.cards, defaults.cards);
  EXPECT_EQ(config.seed, defaults.seed);
  EXPECT_EQ(config.card[0].fpgaMode, -1);
  EXPECT_EQ(config.card[0].input[0].carrierHz, defaults.card[0].input[0].carrierHz);
  EXPECT_EQ(config.card[0].input[1].family, Family::Psk);
  EXPECT_EQ(config.card[0].input[1].pattern, "pn15");
  EXPECT_EQ(config.card[1].input[0].bitRate, defaults.card[1].input[0].bitRate);
  EXPECT_EQ(config.card[1].input[1].carrierHz, defaults.card[1].input[1].carrierHz);
  EXPECT_EQ(config.dncvt.kr12Channels, 2);
  EXPECT_EQ(config.dncvt.rfPowerDbm, defaults.dncvt.rfPowerDbm);
}

}  // namespace
}  // namespace quorxsim
