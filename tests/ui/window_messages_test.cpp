#include <gtest/gtest.h>

#include <QPalette>

#include <atomic>
#include <filesystem>
#include <thread>

#include "card/rtl20_manager.h"
#include "card/setup_routines.h"
#include "config/options_store.h"
#include "main_form_fixture.h"
#include "settings/set_manager.h"
#include "settings/window_messages.h"
#include "util/gui/qt_colour.h"

namespace uitest {
namespace {

std::string Modulation(int card, int channel) {
  return card::SetupText(gRtl20Mgr->Card(card)->Setup().Receiver[static_cast<std::size_t>(channel)].DemodMode);
}

using WindowMessagesTest = MainFormTest;

// 60001 on simulated cards: dropped unless a reconfiguration is pending; lParam 1 keeps the
// modulations, any other chooses the defaults; an index at or above the card count means card 0.
TEST_F(WindowMessagesTest, CardChangedActsOnlyWhileReconfigurationIsPending) {
  PrepareProgramFolder(2, true);
  StartProgram();
  const auto setBpsk = [] {
    for (const auto& [card, channel] : {std::pair{0, 0}, {0, 1}, {1, 0}}) {
      gKr20SetMgr->SetModulationFormat(card, channel, "BPSK", 0);
    }
  };
  const struct {
    bool pending;
    bool closing;
    platform::WParam card;
    platform::LParam lParam;
    const char* card0;
  } rows[] = {
      {false, false, 0, 0, "BPSK"},      {true, false, 0, 1, "BPSK"},
      {true, false, 2, 7, "SOQPSK_TG"},  {true, false, ~platform::WParam{0}, 0, "SOQPSK_TG"},
      {true, true, 0, 0, "BPSK"},  // after the shut-down began nothing is done
  };
  for (const auto& row : rows) {
    setBpsk();
    config::gApp.ReconfigurationPending = row.pending;
    util::ClosingFlag = row.closing;
    form_->Send(settings::kWmCardChanged, row.card, row.lParam);
    util::ClosingFlag = false;
    EXPECT_EQ(Modulation(0, 0), row.card0) << row.card << " " << row.lParam;
    EXPECT_EQ(Modulation(0, 1), row.card0);
    EXPECT_EQ(Modulation(1, 0), "BPSK");
    EXPECT_EQ(config::gApp.ReconfigurationPending.load(), row.closing);
  }
  config::gApp.ReconfigurationPending = false;
}

// 50001 before the start-up completed only stops the card tasks (the start-up enables them).
// Afterwards lParam 1 shows the load; anything else ends it, records the running mode and saves
// the FPGA configuration, for any index. Letting the queue run inside it must not let a restart
// waiting there take the system down under the card operation on the stack.
TEST_F(WindowMessagesTest, FpgaLoad) {
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

  card::FpgaLoadState& state = gRtl20Mgr->LoadState(0);
  const std::int32_t running = state.CurrentFpgaMode;
  state.LoadingNow = 1;
  state.DesiredFpgaMode = 9;
  state.DefaultFpgaMode = 9;
  form_->Send(settings::kWmFpgaLoad, 0, 1);
  EXPECT_EQ(form_->PanelMainStatusCaption().toStdString(), ui::kLoadingText);
  EXPECT_EQ(int{state.LoadingNow}, 1);
  for (platform::WParam card : {platform::WParam{0}, platform::WParam{1}, ~platform::WParam{0}}) {
    std::filesystem::remove(fpgaConfig);
    form_->Send(settings::kWmFpgaLoad, card, 7);
    EXPECT_TRUE(std::filesystem::exists(fpgaConfig)) << card;
  }
  EXPECT_EQ(int{state.LoadingNow}, 0);
  EXPECT_EQ(std::int32_t{state.DesiredFpgaMode}, running);
  EXPECT_EQ(std::int32_t{state.DefaultFpgaMode}, running);

  ASSERT_TRUE(form_->Post(settings::kWmRestartProgram, 1, 1));
  form_->Send(settings::kWmFpgaLoad, 0, 0);
  EXPECT_NE(gRtl20Mgr, nullptr);
  ASSERT_TRUE(RunUntil([] { return util::ClosingFlag.load(); }, std::chrono::seconds(10)));
  EXPECT_EQ(gRtl20Mgr, nullptr);
}

// 30000 takes the option colours; a send from another thread waits for the handler, and once
// the program closes gives up instead. 32767 again and unknown numbers do nothing.
TEST_F(WindowMessagesTest, RecolourSentFromAnotherThread) {
  PrepareProgramFolder(0);
  StartProgram();
  config::ColorBlock& colours = config::gApp.Options->Info().ColorScheme;
  colours[config::kAppMainBackgroundColor] = 0x00040506;
  std::atomic<bool> returned{false};
  std::thread sender([&] {
    form_->Send(settings::kWmRecolour, 0, 0);
    returned = true;
  });
  ASSERT_TRUE(RunUntil([&] { return returned.load(); }, std::chrono::seconds(10)));
  sender.join();
  EXPECT_EQ(form_->palette().color(QPalette::Window), util::ToQColor(0x00040506));

  util::ClosingFlag = true;
  std::thread late([&] { form_->Send(settings::kWmRecolour, 0, 0); });
  late.join();
  util::ClosingFlag = false;

  const std::string log = testsupport::ReadWholeFile(LogPath());
  form_->Send(19763, 0, 0);
  form_->Send(settings::kWmDeferredStartup, 0, 0);
  EXPECT_EQ(testsupport::ReadWholeFile(LogPath()), log);
}

// 18763 with a non-zero parameter only closes (after a simulation change without writing the last
// setup); with both zero it closes and starts the restart script. Each phase's script writes its
// own word: had the first close started its script, its word would come first.
TEST_F(WindowMessagesTest, RestartProgram) {
  PrepareProgramFolder(0);
  const std::string script = folder_ / ui::kRestartScript;
  const auto writeScript = [&script](const std::string& word) {
    ASSERT_TRUE(testsupport::WriteWholeFile(script, "#!/bin/sh\necho " + word + " >> restarted.txt\n"));
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
  };
  writeScript("first");
  StartProgram();
  form_->SetSkipLastSetupSave(true);
  form_->Send(settings::kWmRestartProgram, 1, 0);
  EXPECT_TRUE(util::ClosingFlag.load());
  EXPECT_EQ(testsupport::LinesFrom(LogTexts(), testsupport::CloseSequenceLines().front()),
            testsupport::CloseSequenceLines(true, false));

  RestartProgram();
  writeScript("second");
  form_->Send(settings::kWmRestartProgram, 0, 0);
  EXPECT_EQ(LogTexts().back(), "------------------PROGRAM END--------------------");
  const std::string restarted = folder_ / "restarted.txt";
  EXPECT_TRUE(RunUntil([&] { return testsupport::ReadWholeFile(restarted).find("second\n") != std::string::npos; },
                       std::chrono::seconds(10)));
  EXPECT_EQ(testsupport::ReadWholeFile(restarted), "second\n");
}

}  // namespace
}  // namespace uitest
