// The simulator's configuration file: defaults, the value forms it takes, and what it ignores.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <utility>

#include "devicesim/sim_config.h"
#include "support/scratch_folder.h"

namespace quorxsim {
namespace {

TEST(SimConfig, MissingFileGivesTwoCardsWithPskOnBothInputs) {
  testsupport::ScratchFolder folder;
  setenv("QUORX_SIM_FOLDER", folder.Path().c_str(), 1);
  EXPECT_EQ(SimConfigPath(), folder.Path() + "/VirtualHardware.cfg");
  const SimConfig config = LoadSimConfig();
  unsetenv("QUORX_SIM_FOLDER");
  EXPECT_EQ(config.cards, 2);
  for (int card = 0; card < 2; ++card) {
    for (const SignalConfig& input : config.card[static_cast<std::size_t>(card)].input) {
      EXPECT_TRUE(input.present);
      EXPECT_EQ(input.family, Family::Psk);
    }
  }
}

TEST(SimConfig, ReadsEverySectionCaseInsensitivelyWithCommentsAndCrLf) {
  const SimConfig config = ParseSimConfig(
      "; virtual hardware\r\n"
      "[general]\r\nCARDS=3\r\nSeed=18446744073709551615\r\nChipVariant=YES ; every card\r\n"
      "[Card_1]\r\nchipvariant=NO\r\nFpgaMode=2\r\n"
      "IfInput1 = 70.25e6, -55.5, fm, 2.5e6, 9.5, biol\r\n"
      "IfInput1Pattern=pn11\r\nIfInput1Viterbi=YES\r\nIfInput1Rate2=1e5\r\nIfInput1ModIndex=0.8\r\nIfInput2=NONE\r\n"
      "[Card_2]\r\nIfInput2=69e6, -60, SQPSK, 4e6, 7, RNRZ-15\r\n"
      "[DownConverters]\r\nKr12Cards=2\r\nRfCarrierMhz=1500\r\n");
  EXPECT_EQ(config.cards, 3);
  EXPECT_EQ(config.seed, 18446744073709551615ull);
  EXPECT_TRUE(config.card[0].chipVariant);
  EXPECT_FALSE(config.card[1].chipVariant);
  EXPECT_EQ(config.card[1].fpgaMode, 2);
  const SignalConfig& fm = config.card[1].input[0];
  EXPECT_EQ(fm.family, Family::Fm);
  EXPECT_EQ(fm.carrierHz, 70.25e6);
  EXPECT_EQ(fm.powerDbm, -55.5);
  EXPECT_EQ(fm.ebNoDb, 9.5);
  EXPECT_EQ(fm.code, "BIOL");
  EXPECT_EQ(fm.pattern, "pn11");
  EXPECT_TRUE(fm.convolutional);
  EXPECT_EQ(fm.bitRate2, 1e5);
  EXPECT_EQ(fm.modIndex, 0.8);
  EXPECT_FALSE(config.card[1].input[1].present);
  const SignalConfig& psk = config.card[2].input[1];
  EXPECT_EQ(psk.modulation, "SQPSK");
  EXPECT_EQ(psk.code, "NRZL");
  EXPECT_TRUE(psk.randomized);
  EXPECT_EQ(config.dncvt.kr12Cards, 2);
  EXPECT_EQ(config.dncvt.rfCarrierMhz, 1500.0);
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

TEST(SimConfig, NumbersAreReadWithoutTheLocaleAndWhole) {
  for (const auto& [text, expected] : {std::pair<const char*, double>{" 1.5e6 ", 1.5e6}, {"+2", 2.0}}) {
    double value = 0.0;
    EXPECT_TRUE(ParseDouble(text, value));
    EXPECT_EQ(value, expected);
  }
  double value = 2.0;
  for (const char* bad : {"1,5", "inf", "nan", ""}) EXPECT_FALSE(ParseDouble(bad, value)) << bad;
  EXPECT_EQ(value, 2.0);
  long long integer = 0;
  EXPECT_TRUE(ParseInt("-12", integer));
  EXPECT_EQ(integer, -12);
  EXPECT_FALSE(ParseInt("12.0", integer));
  EXPECT_FALSE(ParseInt("99999999999999999999", integer));
}

}  // namespace
}  // namespace quorxsim
