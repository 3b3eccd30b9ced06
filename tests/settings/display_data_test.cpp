// The display blocks against the virtual hardware: IQ and spectrum land in place with their
// counts, IQ never for PCM/FM channels, and a part whose source is off keeps what it had.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "card/card_routines.h"
#include "settings/display_data.h"
#include "settings_test_support.h"

namespace {

using settings::DisplayDataBlock;
using settingstest::Value;

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
  Card().IQ_SetRunIQData(1, false);
  Card().Fft_SetEnableFFT(1, false);
  Block(0).DataFlag = 7;
  DisplayDataBlock& off = Block(1);
  off.IqCount = 12;
  off.SpectrumCount = 77;
  off.SpectrumPoints[3] = -42.5;
  manager_->RefreshFftIqData();

  const DisplayDataBlock& b = Block(0);
  EXPECT_EQ(Value(b.IqCount), 1000);
  EXPECT_EQ(Value(b.SpectrumCount), 16384);
  EXPECT_EQ(Value(b.DataFlag), 7);  // handed over and given back by the card
  bool iqNonZero = false;
  for (std::size_t i = 0; i < 1000; ++i) iqNonZero = iqNonZero || b.IqPairs[i].I != 0.0 || b.IqPairs[i].Q != 0.0;
  EXPECT_TRUE(iqNonZero);
  EXPECT_EQ(Value(b.IqPairs[1000].I), 0.0);  // beyond the count: untouched
  double low = b.SpectrumPoints[0];
  double high = low;
  for (std::size_t i = 0; i < 16384; ++i) {
    const double point = b.SpectrumPoints[i];  // packed: read by value
    ASSERT_TRUE(std::isfinite(point)) << i;
    low = std::min(low, point);
    high = std::max(high, point);
  }
  EXPECT_GT(high - low, 10.0);  // a carrier over noise, in dB
  // Sources off: the parts keep their contents.
  EXPECT_EQ(Value(Block(1).IqCount), 12);
  EXPECT_EQ(Value(Block(1).SpectrumCount), 77);
  EXPECT_EQ(Value(Block(1).SpectrumPoints[3]), -42.5);

  // The largest capture the card takes fills the block exactly.
  Card().IQ_SetNumDataPoints(0, 16384);
  manager_->RefreshFftIqData();
  EXPECT_EQ(Value(Block(0).IqCount), 16384);
}

TEST_F(DisplayDataTest, PcmFmChannelNeverGetsIq) {
  Start("NO", 1);  // PSK + PCM/FM
  ASSERT_TRUE(card::IsPcmFmChannel(0, 1));
  Card().IQ_SetRunIQData(1, true);
  Card().Fft_SetEnableFFT(1, true);
  Block(1).IqCount = 5;
  manager_->RefreshFftIqData();
  EXPECT_EQ(Value(Block(1).IqCount), 5);
  EXPECT_EQ(Value(Block(1).IqPairs[0].I), 0.0);
  EXPECT_EQ(Value(Block(1).SpectrumCount), 16384);  // the spectrum still comes
}

}  // namespace
