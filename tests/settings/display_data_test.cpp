// The display blocks against the virtual hardware: IQ and spectrum land in place with their
// counts, and a part whose source is off keeps what it had.
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
  Block(1).SpectrumCount = 77;
  manager_->RefreshFftIqData();

  const DisplayDataBlock& b = Block(0);
  EXPECT_EQ(Value(b.IqCount), 1000);
  EXPECT_EQ(Value(b.SpectrumCount), 16384);
  EXPECT_EQ(Value(b.DataFlag), 7);  // handed over and given back by the card
  EXPECT_NE(Value(b.IqPairs[999].I), 0.0);
  EXPECT_EQ(Value(b.IqPairs[1000].I), 0.0);  // beyond the count: untouched
  const double last = b.SpectrumPoints[16383];  // packed: read by value
  EXPECT_TRUE(std::isfinite(last) && last != 0.0);
  EXPECT_EQ(Value(Block(1).SpectrumCount), 77);  // source off: the part keeps its contents

  // The largest capture the card takes fills the block exactly.
  Card().IQ_SetNumDataPoints(0, 16384);
  manager_->RefreshFftIqData();
  EXPECT_EQ(Value(Block(0).IqCount), 16384);
}

}  // namespace
