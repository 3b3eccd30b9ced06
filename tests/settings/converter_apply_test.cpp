// A card's whole setup reaches its down-converters as well as the card: after the last state is
// loaded at start-up and after a setup recall, each channel's converter is tuned to the stored
// frequency with the stored IF filter and AGC time constant, and so finds the virtual signal
// (2250.5 MHz at -60 dBm) again.
#include <string>

#include "multi_card_fixture.h"
#include "settings/last_setup.h"
#include "settings/setup_file.h"
#include "settings/status_readers.h"

namespace {

using settingstest::MultiCardTest;
using settingstest::RecordingWindow;
using settingstest::SimHook;
using settingstest::Value;

constexpr double kSignalMhz = 2250.5;

struct ConverterSettings {
  double mhz = -1.0;
  int filter = -1;
  int timeConstant = -1;
};

class ConverterApplyTest : public MultiCardTest {
 protected:
  void SetUp() override {
    StartCards({{false, 0}});
    if (HasFatalFailure() || IsSkipped()) return;
    settings_ = SimHook<int (*)(int, int, double*, int*, int*)>(sim_ + "/libKr12V2_Dll.so", "QuorxSim_ChannelSettings");
    ASSERT_NE(settings_, nullptr);
  }
  // What the virtual Kr12 channel (card 0) was given.
  ConverterSettings Virtual(int channel) {
    ConverterSettings s;
    EXPECT_EQ(settings_(0, channel, &s.mhz, &s.filter, &s.timeConstant), 0);
    return s;
  }
  // Converter `index` holds the settings in its record only; nothing is sent.
  void Store(int index, double mhz, int filter, int timeConstant) {
    card::DnCvtChannelRecord& record = dncvt_->Records[static_cast<std::size_t>(index)];
    ASSERT_TRUE(dncvt_->AssignKeepFreqInSpecs(index, mhz));
    record.Setup.BwFilterSelected = filter;
    record.Setup.TcSelected = timeConstant;
  }
  void Forget(int index) {
    card::DnCvtChannelRecord& record = dncvt_->Records[static_cast<std::size_t>(index)];
    record.Setup.FreqMhz = 0.0;
    record.Setup.BwFilterSelected = 0;
    record.Setup.TcSelected = 0;
  }
  // The channel's converter as the status panels see it: reference and LO PLLs locked (0) and the
  // carrier's strength.
  void ExpectLockedOnTheSignal(int channel) {
    SCOPED_TRACE("channel " + std::to_string(channel));
    manager_->RefreshCombinerAndDownConverterStatus();
    const settings::DnCvtStatusFields fields = manager_->StatusRecord(0, channel).DnCvt;
    EXPECT_EQ(Value(fields.TunedFreqMhz), kSignalMhz);
    EXPECT_EQ(Value(fields.PllStatus1), 0);
    EXPECT_EQ(Value(fields.PllStatus2), 0);
    EXPECT_EQ(Value(fields.PllStatus3), 0);
    EXPECT_GT(Value(fields.SignalStrength), -62.0);
    EXPECT_LT(Value(fields.SignalStrength), -58.0);
  }

  int (*settings_)(int, int, double*, int*, int*) = nullptr;
};

TEST_F(ConverterApplyTest, TheStartUpTunesTheConvertersToTheLastState) {
  ASSERT_EQ(Virtual(0).mhz, 0.0);  // not tuned since power-up
  Store(0, kSignalMhz, 2, 5);
  Store(1, kSignalMhz, 3, 6);
  ASSERT_TRUE(settings::SaveLastSetupStateFile());
  Forget(0);
  Forget(1);

  // As the deferred start-up does: the last state, then the card's mode and whole setup.
  RecordingWindow window;
  ASSERT_TRUE(settings::LoadLastSetupStateFile());
  ASSERT_EQ(Value(dncvt_->Records[0].Setup.FreqMhz), kSignalMhz);
  manager_->ApplyCardMode(0);

  const ConverterSettings first = Virtual(0);
  EXPECT_EQ(first.mhz, kSignalMhz);
  EXPECT_EQ(first.filter, 2);
  EXPECT_EQ(first.timeConstant, 5);
  const ConverterSettings second = Virtual(1);
  EXPECT_EQ(second.mhz, kSignalMhz);
  EXPECT_EQ(second.filter, 3);
  EXPECT_EQ(second.timeConstant, 6);
  ExpectLockedOnTheSignal(0);
  ExpectLockedOnTheSignal(1);
}

TEST_F(ConverterApplyTest, ARecallTunesTheConvertersToTheSetupFile) {
  Store(0, kSignalMhz, 2, 5);
  Store(1, kSignalMhz, 1, 7);
  manager_->SetupFileNames[0] = SetupFile("TUNED");
  ASSERT_TRUE(settings::SaveCardSetupFile(0));
  // The operator tunes away before recalling.
  manager_->SetTunedFreq(0, 0, 2210.0);
  manager_->SetSawIfFilter(0, 0, 4);
  manager_->SetAgcTimeConst(0, 0, 1);
  manager_->SetTunedFreq(0, 1, 2210.0);
  ASSERT_EQ(Virtual(0).mhz, 2210.0);
  manager_->RefreshCombinerAndDownConverterStatus();
  ASSERT_LT(Value(manager_->StatusRecord(0, 0).DnCvt.SignalStrength), -90.0);  // noise only

  RecordingWindow window;
  ASSERT_TRUE(manager_->RecallCardSetup(0));
  const ConverterSettings first = Virtual(0);
  EXPECT_EQ(first.mhz, kSignalMhz);
  EXPECT_EQ(first.filter, 2);
  EXPECT_EQ(first.timeConstant, 5);
  const ConverterSettings second = Virtual(1);
  EXPECT_EQ(second.mhz, kSignalMhz);
  EXPECT_EQ(second.filter, 1);
  EXPECT_EQ(second.timeConstant, 7);
  ExpectLockedOnTheSignal(0);
  ExpectLockedOnTheSignal(1);
}

}  // namespace
