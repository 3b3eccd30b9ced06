// The PM channel of a PM-PSK card (virtual hardware): the input code its status record shows, and
// the bit-sync loops its setters and the setup's apply reach through the PSK entries.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "card/card_routines.h"
#include "card/setup_routines.h"
#include "config/options_store.h"
#include "settings/status_readers.h"
#include "settings_test_support.h"

namespace {

using settingstest::Value;

std::string Text(const char (&field)[settings::kStatusTextLen]) { return std::string(field, strnlen(field, sizeof field)); }

// The PM-PSK personality: 3 on a standard board, 13 on a chip-variant board.
class PmChannelStatusTest : public settingstest::SimCardTest, public ::testing::WithParamInterface<int> {
 protected:
  void SetUp() override {
    StartCard(GetParam() == 13 ? "YES" : "NO", GetParam(), card::HwCfgCardSetRecord{0, 0, {-1, -1}});
    if (IsSkipped() || HasFatalFailure()) return;
    config::gApp.Options = &options_;
  }
  void TearDown() override {
    SimCardTest::TearDown();
    config::gApp.Options = nullptr;
  }
  std::string InputCodeShown(int channel) { return Text(manager_->StatusRecord(0, channel).BitSync1.PcmInputCode); }

  config::kr20optionclass options_{false};
};

// From the first status pass on, with nothing changed: the code of the channel's setup (a PM
// receiver's bit sync is not read by the timer); a changed code shows at the next pass.
TEST_P(PmChannelStatusTest, InputCodeIsInTheStatusRecordFromTheFirstPass) {
  if (IsSkipped() || HasFatalFailure()) return;
  ASSERT_TRUE(card::IsPmChannel(0, 0));
  ASSERT_EQ(InputCodeShown(0), "");
  manager_->RefreshChannelStatus();
  EXPECT_EQ(InputCodeShown(0), "NRZL");
  EXPECT_EQ(Text(manager_->StatusRecord(0, 0).Receiver.ReceiverName), "PM");

  manager_->SetPcmInputCode(0, 0, "RNRZ-15");
  manager_->RefreshChannelStatus();
  EXPECT_EQ(InputCodeShown(0), "RNRZ-15");
  manager_->SetPcmInputCode(0, 0, "BIOM");
  manager_->RefreshChannelStatus();
  EXPECT_EQ(InputCodeShown(0), "BIOM");
}

// The PM receiver's carrier: its centre frequency, in MHz in the carrier frequency field and in Hz
// as the actual frequency, which the extremes follow from the current value.
TEST_P(PmChannelStatusTest, CarrierFrequencyIsTheCentreFrequency) {
  if (IsSkipped() || HasFatalFailure()) return;
  ASSERT_TRUE(card::IsPmChannel(0, 0));
  Card().PmRx_SetCarrierCenterFrequencyInHz(0, 70'300'000.0);
  const double centreHz = Card().PmRx_GetCarrierCenterFrequencyInHz(0);
  ASSERT_EQ(centreHz, 70'300'000.0);
  manager_->RefreshChannelStatus();
  const settings::ReceiverStatusBlock rx = manager_->StatusRecord(0, 0).Receiver;
  EXPECT_DOUBLE_EQ(Value(rx.CarrierFreqMhz), 70.3);
  EXPECT_EQ(Value(rx.ActualSignalFreqHz), centreHz);
  EXPECT_EQ(Value(rx.HighestSignalFreqHz), centreHz);
  EXPECT_EQ(Value(rx.LowestSignalFreqHz), centreHz);
}

TEST_P(PmChannelStatusTest, BitSyncLoopsReachThePmReceiverAndComeBackWithTheSetup) {
  if (IsSkipped() || HasFatalFailure()) return;
  EXPECT_DOUBLE_EQ(Card().PskRx_GetBitSyncStream1AcquisitionRangeInPercentOfBitRate(0), 1.0);
  EXPECT_DOUBLE_EQ(Card().PskRx_GetBitSyncStream1LoopWidthInPercentOfBitRate(0), 0.1);

  manager_->SetBitsyncAcqRange(0, 0, 0.25);
  manager_->SetBitsyncLoopWidth(0, 0, 0.035);
  EXPECT_DOUBLE_EQ(Card().PskRx_GetBitSyncStream1AcquisitionRangeInPercentOfBitRate(0), 0.25);
  EXPECT_DOUBLE_EQ(Card().PskRx_GetBitSyncStream1LoopWidthInPercentOfBitRate(0), 0.035);
  EXPECT_EQ(Value(Rec().Receiver[0].BitSync[0].AcqLoopBandwidthPct), 0.25);
  EXPECT_EQ(Value(Rec().Receiver[0].BitSync[0].TrkLoopBandwidthPct), 0.035);

  // The whole setup pushed again, as at start-up and recall, carries the setup's loops.
  Rec().Receiver[0].BitSync[0].AcqLoopBandwidthPct = 0.5;
  Rec().Receiver[0].BitSync[0].TrkLoopBandwidthPct = 0.02;
  ASSERT_TRUE(cards_->ApplyCardSetup(0));
  EXPECT_DOUBLE_EQ(Card().PskRx_GetBitSyncStream1AcquisitionRangeInPercentOfBitRate(0), 0.5);
  EXPECT_DOUBLE_EQ(Card().PskRx_GetBitSyncStream1LoopWidthInPercentOfBitRate(0), 0.02);
}

INSTANTIATE_TEST_SUITE_P(Boards, PmChannelStatusTest, ::testing::Values(3, 13),
                         [](const ::testing::TestParamInfo<int>& row) { return "Mode" + std::to_string(row.param); });

}  // namespace
