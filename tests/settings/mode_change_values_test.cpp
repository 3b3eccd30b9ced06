// After a card changes its personality, nothing the old one measured stays in the status records
// or display blocks: a block the new one does not read is back to what a fresh record holds, and
// so are the IQ points of a channel that no longer has IQ capture. Without a change the timer
// tasks keep what they do not read.
#include <algorithm>
#include <cstring>

#include "card/card_routines.h"
#include "multi_card_fixture.h"
#include "settings/status_readers.h"

namespace {

using settings::BertStatusBlock;
using settings::BitSyncStatusBlock;
using settings::ChannelStatusRecord;
using settings::DisplayDataBlock;
using settingstest::MultiCardTest;
using settingstest::RecordingWindow;
using settingstest::Value;

template <class T>
bool Fresh(const T& block) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(&block);
  return std::all_of(bytes, bytes + sizeof block, [](unsigned char b) { return b == 0; });
}

// A PM channel's bit sync is not read from the card, but its status holds the input code of its
// setup from the first pass on: everything else of the block is fresh.
bool FreshButTheInputCode(settings::BitSyncStatusBlock block) {
  auto* code = reinterpret_cast<unsigned char*>(&block) + offsetof(settings::BitSyncStatusBlock, PcmInputCode);
  std::fill(code, code + sizeof block.PcmInputCode, 0);
  return Fresh(block);
}

bool IqFresh(const DisplayDataBlock& block, int points) {
  if (block.IqCount != 0) return false;
  const auto* bytes = reinterpret_cast<const unsigned char*>(&block) + offsetof(DisplayDataBlock, IqPairs);
  return std::all_of(bytes, bytes + points * sizeof(settings::IqPair), [](unsigned char b) { return b == 0; });
}

class ModeChangeValuesTest : public MultiCardTest {
 protected:
  void SetUp() override { StartCards({{false, 0}}); }  // the standard board running PSK + PSK

  ChannelStatusRecord& Status(int channel) { return manager_->StatusRecord(0, channel); }
  DisplayDataBlock& Display(int channel) { return manager_->DisplayBlock(0, channel); }

  void RunTasks() {
    manager_->RefreshCombinerAndDownConverterStatus();
    manager_->RefreshChannelStatus();
    manager_->RefreshBertStatusAndFlightValues();
    manager_->RefreshFftIqData();
  }

  // What a locked PSK channel left: bit sync locked at 14 dB on both streams, a BERT reading, a
  // signal filter ratio and a constellation of 100 points; and an AGC zero reference, which is
  // the converter's and survives a mode change.
  void MarkOldValues(int channel) {
    BitSyncStatusBlock bs{};
    bs.Locked = 1;
    bs.EbNoDb = 14.0;
    bs.SymbolRate = 1'000'000.0;
    bs.BitRate = 2'000'000.0;
    std::strcpy(bs.PcmInputCode, "NRZL");
    Status(channel).BitSync1 = bs;
    Status(channel).BitSync2 = bs;
    BertStatusBlock bert{};
    bert.Locked = 1;
    bert.BitErrorRate = 1e-6;
    bert.LockLossCount = 3;
    Status(channel).Bert = bert;
    Status(channel).Receiver.SignalFilterBwRatio = 1.5;
    Status(channel).Receiver.SignalBw = 2500.0;
    Status(channel).AgcZeroReference = -61.5;
    Display(channel).IqCount = 100;
    for (int i = 0; i < 100; ++i) Display(channel).IqPairs[i] = settings::IqPair{0.7, -0.7};
  }
};

TEST_F(ModeChangeValuesTest, TheOldModesValuesAreClearedOnlyWhenTheModeChanges) {
  ASSERT_FALSE(card::CardHasDualTransmit(0));
  Rec(0).RxBert[0].InputSourceOn = 0;  // the BERT is not read
  Rec(0).RxBert[1].InputSourceOn = 0;
  RunTasks();
  MarkOldValues(0);
  MarkOldValues(1);

  // The same personality: what the tasks do not read stays.
  RunTasks();
  for (int channel = 0; channel < 2; ++channel) {
    SCOPED_TRACE(channel);
    EXPECT_EQ(Value(Status(channel).BitSync2.EbNoDb), 14.0);
    EXPECT_EQ(Value(Status(channel).Bert.LockLossCount), 3);
  }

  // Channel 0 becomes a PM receiver: no bit sync, BERT or IQ capture of its own is read.
  MarkOldValues(0);
  MarkOldValues(1);
  Rec(0).RouteInfo.FpgaMasterMode = 3;
  Rec(0).RouteInfo.UserReceiverMode = 3;
  {
    RecordingWindow window;
    manager_->ApplyCardMode(0);
  }
  ASSERT_EQ(card::CardFpgaMode(0), 3);
  ASSERT_TRUE(card::IsPmChannel(0, 0));
  ASSERT_FALSE(card::CardHasIqForChannel(0, 0));

  manager_->RefreshChannelStatus();  // the first task after the change clears the whole card
  EXPECT_TRUE(FreshButTheInputCode(Status(0).BitSync1));
  EXPECT_EQ(std::string(Status(0).BitSync1.PcmInputCode), card::SetupText(Rec(0).Receiver[0].BitSync[0].PcmInputCode));
  EXPECT_TRUE(Fresh(Status(0).BitSync2));
  EXPECT_TRUE(Fresh(Status(0).Bert));
  EXPECT_TRUE(IqFresh(Display(0), 100));
  EXPECT_EQ(std::string(Status(0).Receiver.ReceiverName), "PM");
  EXPECT_EQ(Value(Status(0).Receiver.SignalFilterBwRatio), 0.0);
  EXPECT_EQ(Value(Status(0).Receiver.SignalBw), 0.0);
  EXPECT_EQ(Value(Status(0).AgcZeroReference), -61.5);
  // Channel 1 stays PSK: its second stream and BERT are not read, so they are fresh too.
  EXPECT_TRUE(Fresh(Status(1).BitSync2));
  EXPECT_TRUE(Fresh(Status(1).Bert));

  // Once cleared, the tasks of the new mode fill what they read and leave the rest.
  MarkOldValues(1);
  RunTasks();
  EXPECT_TRUE(FreshButTheInputCode(Status(0).BitSync1));
  EXPECT_TRUE(IqFresh(Display(0), 100));
  EXPECT_EQ(Value(Status(1).BitSync2.EbNoDb), 14.0);
  EXPECT_EQ(Value(Status(1).Bert.LockLossCount), 3);
}

}  // namespace
