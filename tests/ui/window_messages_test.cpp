#include <gtest/gtest.h>

#include <QPalette>

#include <algorithm>
#include <filesystem>
#include <thread>

#include "card/dncvt_manager.h"
#include "card/hwcfg_manager.h"
#include "card/rtl20_manager.h"
#include "card/setup_routines.h"
#include "config/options_store.h"
#include "main_form_fixture.h"
#include "settings/set_manager.h"
#include "settings/setup_file.h"
#include "support/scripted_dialogs.h"
#include "settings/window_messages.h"
#include "util/gui/qt_colour.h"

namespace uitest {
namespace {

std::string Modulation(int card, int channel) {
  return card::SetupText(gRtl20Mgr->Card(card)->Setup().Receiver[static_cast<std::size_t>(channel)].DemodMode);
}

long CountOf(const std::vector<std::string>& texts, const std::string& text) {
  return std::count(texts.begin(), texts.end(), text);
}

class WindowMessagesTest : public MainFormTest {};

TEST_F(WindowMessagesTest, CardChangedActsOnlyWhileReconfigurationIsPending) {
  PrepareProgramFolder(2, true);
  StartProgram();
  gKr20SetMgr->SetModulationFormat(0, 0, "BPSK", 0);
  gKr20SetMgr->SetModulationFormat(0, 1, "BPSK", 0);
  gKr20SetMgr->SetModulationFormat(1, 0, "BPSK", 0);
  ASSERT_EQ(Modulation(0, 0), "BPSK");

  // Not pending: dropped.
  form_->Send(settings::kWmCardChanged, 0, 0);
  EXPECT_EQ(Modulation(0, 0), "BPSK");

  // lParam 1: re-synchronised, but the modulations stay.
  config::gApp.ReconfigurationPending = true;
  form_->Send(settings::kWmCardChanged, 0, 1);
  EXPECT_FALSE(config::gApp.ReconfigurationPending.load());
  EXPECT_EQ(Modulation(0, 0), "BPSK");

  // Any other lParam on a simulated card chooses the defaults; an index at or above the card
  // count means card 0.
  for (const platform::WParam card : {platform::WParam{2}, platform::WParam{6}, ~platform::WParam{0}}) {
    gKr20SetMgr->SetModulationFormat(0, 0, "BPSK", 0);
    config::gApp.ReconfigurationPending = true;
    form_->Send(settings::kWmCardChanged, card, 7);
    EXPECT_FALSE(config::gApp.ReconfigurationPending.load());
    EXPECT_EQ(Modulation(0, 0), "SOQPSK_TG") << card;
    EXPECT_EQ(Modulation(0, 1), "SOQPSK_TG");
    EXPECT_EQ(Modulation(1, 0), "BPSK");
  }

  // After the shut-down began nothing is done, and the flag stays for nobody to clear.
  gKr20SetMgr->SetModulationFormat(0, 0, "BPSK", 0);
  config::gApp.ReconfigurationPending = true;
  util::ClosingFlag = true;
  form_->Send(settings::kWmCardChanged, 0, 0);
  util::ClosingFlag = false;
  EXPECT_EQ(Modulation(0, 0), "BPSK");
  config::gApp.ReconfigurationPending = false;
}

TEST_F(WindowMessagesTest, CardChangedKeepsTheModulationsOfRealCards) {
  PrepareProgramFolder(1);
  StartProgram();
  const std::string before = Modulation(0, 0);
  config::gApp.ReconfigurationPending = true;
  form_->Send(settings::kWmCardChanged, 0, 0);
  EXPECT_FALSE(config::gApp.ReconfigurationPending.load());
  EXPECT_EQ(Modulation(0, 0), before);
}

TEST_F(WindowMessagesTest, FpgaLoadBeforeStartUpCompleteOnlyStopsTheCardTasks) {
  PrepareProgramFolder(1);
  form_ = std::make_unique<TQuorxLMainForm>();
  ASSERT_EQ(form_->FormCreate(InstanceSettings()).conflict, ui::InstanceConflict::None);
  form_->show();  // the first stage; the deferred one waits in the queue
  ASSERT_FALSE(form_->StartupComplete());
  const std::string fpgaConfig = folder_ / "SYSTEM/HARDWARECONFIGURATION/Kr20FpgaCfg.cfg";
  std::filesystem::remove(fpgaConfig);
  form_->Send(settings::kWmFpgaLoad, 0, 0);
  EXPECT_FALSE(form_->CardTasksEnabled());
  EXPECT_FALSE(std::filesystem::exists(fpgaConfig));
  ASSERT_TRUE(RunUntil([this] { return form_->StartupComplete(); }, std::chrono::seconds(30)));
  EXPECT_TRUE(form_->CardTasksEnabled());
}

TEST_F(WindowMessagesTest, FpgaLoadEndRecordsTheRunningModeForEveryIndex) {
  PrepareProgramFolder(1);
  StartProgram();
  card::FpgaLoadState& state = gRtl20Mgr->LoadState(0);
  const std::int32_t running = state.CurrentFpgaMode;
  state.LoadingNow = 1;
  state.DesiredFpgaMode = 9;
  state.DefaultFpgaMode = 9;
  const std::string fpgaConfig = folder_ / "SYSTEM/HARDWARECONFIGURATION/Kr20FpgaCfg.cfg";

  form_->Send(settings::kWmFpgaLoad, 0, 1);
  EXPECT_TRUE(form_->CardTasksEnabled());
  EXPECT_EQ(form_->PanelMainStatusCaption().toStdString(), ui::kLoadingText);
  EXPECT_EQ(int{state.LoadingNow}, 1);

  // Anything but 1 ends the load.
  std::filesystem::remove(fpgaConfig);
  form_->Send(settings::kWmFpgaLoad, 0, 7);
  EXPECT_EQ(int{state.LoadingNow}, 0);
  EXPECT_EQ(std::int32_t{state.DesiredFpgaMode}, running);
  EXPECT_EQ(std::int32_t{state.DefaultFpgaMode}, running);
  EXPECT_TRUE(std::filesystem::exists(fpgaConfig));

  // At or above the card count, and beyond every table: the file is still saved, nothing breaks.
  for (platform::WParam card : {platform::WParam{1}, platform::WParam{6}, ~platform::WParam{0}}) {
    std::filesystem::remove(fpgaConfig);
    form_->Send(settings::kWmFpgaLoad, card, 0);
    EXPECT_TRUE(std::filesystem::exists(fpgaConfig)) << card;
  }
}

TEST_F(WindowMessagesTest, RecolourTakesTheOptionColours) {
  PrepareProgramFolder(0);
  StartProgram();
  config::ColorBlock& colours = config::gApp.Options->Info().ColorScheme;
  colours[config::kAppMainBackgroundColor] = 0x00123456;
  colours[config::kAppMainLabelColor] = 0x00ABCDEF;
  form_->Send(settings::kWmRecolour, 0, 0);
  EXPECT_EQ(form_->palette().color(QPalette::Window), util::ToQColor(0x00123456));
  EXPECT_EQ(form_->palette().color(QPalette::WindowText), util::ToQColor(0x00ABCDEF));
}

TEST_F(WindowMessagesTest, PostedMessagesRunFromTheQueueAndSendsFromOtherThreadsWait) {
  PrepareProgramFolder(0);
  StartProgram();
  config::gApp.Options->Info().ColorScheme[config::kAppMainBackgroundColor] = 0x00010203;
  ASSERT_TRUE(form_->Post(settings::kWmRecolour, 0, 0));
  EXPECT_NE(form_->palette().color(QPalette::Window), util::ToQColor(0x00010203));
  QCoreApplication::processEvents();
  EXPECT_EQ(form_->palette().color(QPalette::Window), util::ToQColor(0x00010203));

  // A Send from another thread returns only after the handler ran on this thread.
  config::gApp.Options->Info().ColorScheme[config::kAppMainBackgroundColor] = 0x00040506;
  std::atomic<bool> returned{false};
  std::thread sender([&] {
    form_->Send(settings::kWmRecolour, 0, 0);
    returned = true;
  });
  ASSERT_TRUE(RunUntil([&] { return returned.load(); }, std::chrono::seconds(10)));
  sender.join();
  EXPECT_EQ(form_->palette().color(QPalette::Window), util::ToQColor(0x00040506));

  // Once the program closes such a Send gives up instead of waiting for a thread that is gone.
  util::ClosingFlag = true;
  std::thread late([&] { form_->Send(settings::kWmRecolour, 0, 0); });
  late.join();
  util::ClosingFlag = false;

  // Unknown messages are left alone, and the start-up runs once whoever asks again.
  const std::string log = testsupport::ReadWholeFile(LogPath());
  form_->Send(19763, 0, 0);
  form_->Send(settings::kWmDeferredStartup, 0, 0);
  EXPECT_EQ(testsupport::ReadWholeFile(LogPath()), log);
}

TEST_F(WindowMessagesTest, RestartRunsTheScriptOnlyWithBothParametersZero) {
  PrepareProgramFolder(0);
  ASSERT_TRUE(testsupport::WriteWholeFile(folder_ / ui::kRestartScript, "#!/bin/sh\necho started > restarted.txt\n"));
  std::filesystem::permissions(folder_ / ui::kRestartScript, std::filesystem::perms::owner_all);
  StartProgram();
  form_->Send(settings::kWmRestartProgram, 1, 0);
  EXPECT_TRUE(util::ClosingFlag.load());
  EXPECT_EQ(CountOf(LogTexts(), "-----------   Begin CloseProgram()  ---------------"), 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_FALSE(std::filesystem::exists(folder_ / "restarted.txt"));
}

TEST_F(WindowMessagesTest, RestartStartsTheScriptAfterClosing) {
  PrepareProgramFolder(0);
  ASSERT_TRUE(testsupport::WriteWholeFile(folder_ / ui::kRestartScript, "#!/bin/sh\necho started > restarted.txt\n"));
  std::filesystem::permissions(folder_ / ui::kRestartScript, std::filesystem::perms::owner_all);
  StartProgram();
  form_->Send(settings::kWmRestartProgram, 0, 0);
  const std::vector<std::string> texts = LogTexts();
  EXPECT_EQ(texts.back(), "------------------PROGRAM END--------------------");
  EXPECT_TRUE(RunUntil([this] { return std::filesystem::exists(folder_ / "restarted.txt"); }, std::chrono::seconds(10)));
}

TEST_F(WindowMessagesTest, RestartWithoutScriptReportsTheFailure) {
  PrepareProgramFolder(0);
  testsupport::ScopedScriptedDialogs dialogs;
  StartProgram();
  form_->Send(settings::kWmRestartProgram, 0, 0);
  ASSERT_EQ(dialogs->Messages().size(), 1U);
  EXPECT_EQ(dialogs->Messages()[0].title, "ERROR");
  EXPECT_EQ(dialogs->Messages()[0].text, "FAILED TO EXECUTE RunQuorxLApp.sh");
}

}  // namespace
}  // namespace uitest

namespace uitest {
namespace {

// The end of an FPGA load lets the queue run while the card operation is still on the stack; a
// restart waiting there must not take the system down under it.
TEST_F(WindowMessagesTest, NothingTearsTheSystemDownInsideAnFpgaLoadMessage) {
  PrepareProgramFolder(1);
  StartProgram();
  ASSERT_TRUE(form_->Post(settings::kWmRestartProgram, 1, 1));
  form_->Send(settings::kWmFpgaLoad, 0, 0);
  EXPECT_FALSE(util::ClosingFlag.load());
  EXPECT_NE(gRtl20Mgr, nullptr);
  ASSERT_TRUE(RunUntil([] { return util::ClosingFlag.load(); }, std::chrono::seconds(10)));
  EXPECT_EQ(gRtl20Mgr, nullptr);
}

}  // namespace
}  // namespace uitest

namespace uitest {
namespace {

// A recall through the running program: the card is re-synchronised by the window's own handler,
// which leaves the master timer free again.
TEST_F(WindowMessagesTest, ASetupRecallRunsThroughTheMainWindow) {
  PrepareProgramFolder(1);
  StartProgram();
  gKr20SetMgr->SetupFileNames[0] = folder_ / "USER/SETUPFILES/RANGE.VexA";
  gKr20SetMgr->SetSignalThreshold(0, 0, -71.25);
  ASSERT_TRUE(settings::SaveCardSetupFile(0));
  gKr20SetMgr->SetSignalThreshold(0, 0, -40.0);

  ASSERT_TRUE(gKr20SetMgr->RecallCardSetup(0));
  EXPECT_EQ(double{gRtl20Mgr->Card(0)->Setup().Receiver[0].CarrierThesholdDbm}, -71.25);
  EXPECT_EQ(gRtl20Mgr->Card(0)->PskRx_GetReceiverSignalLevelQualificationThreshold(0), -71.25);
  EXPECT_FALSE(config::gApp.ReconfigurationPending.load());
  const double before = form_->Schedule().CurrentTime();
  ASSERT_TRUE(RunUntil([&] { return form_->Schedule().CurrentTime() > before; }, std::chrono::seconds(5)));
}

}  // namespace
}  // namespace uitest

namespace uitest {
namespace {

// A card's re-synchronisation shows each channel's converter frequency in its status.
TEST_F(WindowMessagesTest, CardChangedCopiesTheConvertersTunedFrequencies) {
  PrepareProgramFolder(1, false, true);
  StartProgram();
  ASSERT_NE(gDnCvtMgr, nullptr);
  const double tuned[] = {2250.5, 2210.25};
  for (int channel = 0; channel < 2; ++channel) {
    ASSERT_GE(gHwCfgMgr->GetDownConverterIndex(0, channel), 0);
    gKr20SetMgr->SetTunedFreq(0, channel, tuned[channel]);
    gKr20SetMgr->StatusRecord(0, channel).DnCvt.TunedFreqMhz = 0.0;
  }
  config::gApp.ReconfigurationPending = true;
  form_->Send(settings::kWmCardChanged, 0, 1);
  for (int channel = 0; channel < 2; ++channel) {
    EXPECT_EQ(double{gKr20SetMgr->StatusRecord(0, channel).DnCvt.TunedFreqMhz}, tuned[channel]);
  }
}

}  // namespace
}  // namespace uitest
