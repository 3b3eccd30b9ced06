// The display blocks against the virtual hardware: IQ and spectrum land in place with their
// counts, IQ never for PCM/FM channels, and a part whose source is off keeps what it had.
#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <cstring>
#include <string>

#include "card/card_routines.h"
#include "settings/display_data.h"
#include "settings_test_support.h"

namespace {

using settings::DisplayDataBlock;

using settingstest::Value;

double SpectrumAt(const DisplayDataBlock& block, std::size_t i) {
  double value = 0.0;
  std::memcpy(&value, reinterpret_cast<const unsigned char*>(&block) + 262153 + 8 * i, sizeof value);
  return value;
}

double IqAt(const DisplayDataBlock& block, std::size_t i, int part) {
  double value = 0.0;
  std::memcpy(&value, reinterpret_cast<const unsigned char*>(&block) + 9 + 16 * i + 8 * static_cast<std::size_t>(part),
              sizeof value);
  return value;
}

class DisplayDataTest : public settingstest::SimCardTest {
 protected:
  void Start(const std::string& chipVariant, int mode) {
    StartCard(chipVariant, mode, card::HwCfgCardSetRecord{0, 0, {-1, -1}}, false, 9);
  }
  DisplayDataBlock& Block(int channel) { return manager_->DisplayBlock(0, channel); }
};

TEST_F(DisplayDataTest, IqAndSpectrumLandInPlaceWithTheirCounts) {
  Start("NO", 0);  // PSK + PSK, IQ on both channels
  Card().IQ_SetNumDataPoints(0, 1000);
  Card().IQ_SetRunIQData(0, true);
  Card().Fft_SetEnableFFT(0, true);
  Block(0).DataFlag = 7;
  manager_->RefreshFftIqData();
  const DisplayDataBlock& b = Block(0);
  EXPECT_EQ(Value(b.IqCount), 1000);
  EXPECT_EQ(Value(b.SpectrumCount), 16384);
  EXPECT_EQ(Value(b.DataFlag), 7);  // handed over and given back by the card
  bool iqNonZero = false;
  for (std::size_t i = 0; i < 1000; ++i) {
    ASSERT_TRUE(std::isfinite(IqAt(b, i, 0)) && std::isfinite(IqAt(b, i, 1))) << i;
    iqNonZero = iqNonZero || IqAt(b, i, 0) != 0.0 || IqAt(b, i, 1) != 0.0;
  }
  EXPECT_TRUE(iqNonZero);
  for (std::size_t i = 1000; i < 16384; ++i) ASSERT_EQ(IqAt(b, i, 0), 0.0) << i;  // beyond the count: untouched
  double low = SpectrumAt(b, 0);
  double high = low;
  for (std::size_t i = 0; i < 16384; ++i) {
    ASSERT_TRUE(std::isfinite(SpectrumAt(b, i))) << i;
    low = std::min(low, SpectrumAt(b, i));
    high = std::max(high, SpectrumAt(b, i));
  }
  EXPECT_GT(high - low, 10.0);  // a carrier over noise, in dB

  // The largest capture the card takes fills the block exactly.
  Card().IQ_SetNumDataPoints(0, 16384);
  manager_->RefreshFftIqData();
  EXPECT_EQ(Value(Block(0).IqCount), 16384);
}

TEST_F(DisplayDataTest, PartsWithTheirSourceOffKeepTheirContents) {
  Start("NO", 0);
  Card().IQ_SetRunIQData(1, false);
  Card().Fft_SetEnableFFT(1, false);
  DisplayDataBlock& b = Block(1);
  b.IqCount = 12;
  b.SpectrumCount = 77;
  b.SpectrumPoints[3] = -42.5;
  b.IqPairs[2].Q = 0.25;
  manager_->RefreshFftIqData();
  EXPECT_EQ(Value(Block(1).IqCount), 12);
  EXPECT_EQ(Value(Block(1).SpectrumCount), 77);
  EXPECT_EQ(SpectrumAt(Block(1), 3), -42.5);
  EXPECT_EQ(IqAt(Block(1), 2, 1), 0.25);
}

TEST_F(DisplayDataTest, PcmFmChannelNeverGetsIq) {
  Start("NO", 1);  // PSK + PCM/FM
  ASSERT_TRUE(card::IsPcmFmChannel(0, 1));
  Card().IQ_SetRunIQData(0, true);
  Card().IQ_SetRunIQData(1, true);
  Card().Fft_SetEnableFFT(1, true);
  Block(1).IqCount = 5;
  manager_->RefreshFftIqData();
  EXPECT_EQ(Value(Block(1).IqCount), 5);
  EXPECT_EQ(IqAt(Block(1), 0, 0), 0.0);
  EXPECT_EQ(Value(Block(1).SpectrumCount), 16384);  // the spectrum still comes
  EXPECT_GT(Value(Block(0).IqCount), 0);
}

}  // namespace
