#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "card/hwcfg_manager.h"
#include "config/globals.h"
#include "config/options_store.h"
#include "config/window_positions.h"
#include "main_form_fixture.h"
#include "settings/last_setup_files.h"
#include "support/program_log.h"
#include "support/scripted_dialogs.h"
#include "ui/quorxl_application.h"
#include "settings/window_messages.h"

namespace uitest {
namespace {

using testsupport::CloseSequenceLines;
using testsupport::LinesFrom;

class ShutDownTest : public MainFormTest {};

TEST_F(ShutDownTest, ClosingTheWindowRunsTheSequenceOnceAndSavesTheFiles) {
  PrepareProgramFolder(1);
  StartProgram();
  const std::vector<std::string> saved = {quorxhwcfgmgrclass::ConfigFilePath(), settings::LastSetupFilePath(),
                                          config::PositionFilePath(), config::OptionsFilePath()};
  for (const std::string& path : saved) ASSERT_FALSE(std::filesystem::exists(path)) << path;

  form_->close();
  form_->close();  // a second request finds the program closed
  std::vector<std::string> expected = {"at FormCloseQuery"};
  const std::vector<std::string> sequence = CloseSequenceLines();
  expected.insert(expected.end(), sequence.begin(), sequence.end());
  EXPECT_EQ(LinesFrom(LogTexts(), "at FormCloseQuery"), expected);
  for (const std::string& path : saved) EXPECT_TRUE(std::filesystem::exists(path)) << path;
  EXPECT_EQ(gRtl20Mgr, nullptr);
  EXPECT_EQ(gKr20SetMgr, nullptr);
  EXPECT_EQ(gHwCfgMgr, nullptr);
}

TEST_F(ShutDownTest, SessionEndSkipsThePositionAndOptionSaves) {
  PrepareProgramFolder(1);
  StartProgram();
  form_->close();  // a first run leaves every file
  const std::string positions = testsupport::ReadWholeFile(config::PositionFilePath());
  const std::string options = testsupport::ReadWholeFile(config::OptionsFilePath());
  ASSERT_FALSE(positions.empty());
  RestartProgram();
  std::filesystem::remove(quorxhwcfgmgrclass::ConfigFilePath());
  form_->move(form_->x() + 37, form_->y() + 11);
  form_->Send(settings::kWmQueryEndSession, 0, 0);
  form_->Send(settings::kWmEndSession, 0, 0);
  const std::vector<std::string> lines = LogTexts();
  const std::string log = testsupport::ReadWholeFile(LogPath());
  EXPECT_NE(log.find("000255  "), std::string::npos);
  std::vector<std::string> expected = {"Windows Shutting Down without the User Closing The Application...BAD FORM"};
  const std::vector<std::string> sequence = CloseSequenceLines(false);
  expected.insert(expected.end(), sequence.begin(), sequence.end());
  EXPECT_EQ(LinesFrom(lines, expected.front()), expected);
  EXPECT_TRUE(form_->SkipSaves());
  EXPECT_EQ(testsupport::ReadWholeFile(config::PositionFilePath()), positions);
  EXPECT_EQ(testsupport::ReadWholeFile(config::OptionsFilePath()), options);
  EXPECT_TRUE(std::filesystem::exists(quorxhwcfgmgrclass::ConfigFilePath()));
  EXPECT_TRUE(std::filesystem::exists(settings::LastSetupFilePath()));
}

TEST_F(ShutDownTest, AfterASimulationChangeTheLastSetupIsNotWritten) {
  PrepareProgramFolder(1);
  StartProgram();
  form_->SetSkipLastSetupSave(true);
  form_->Send(settings::kWmRestartProgram, 1, 1);
  EXPECT_EQ(LinesFrom(LogTexts(), CloseSequenceLines().front()), CloseSequenceLines(true, false));
  EXPECT_FALSE(std::filesystem::exists(settings::LastSetupFilePath()));
  EXPECT_TRUE(std::filesystem::exists(quorxhwcfgmgrclass::ConfigFilePath()));
}

TEST_F(ShutDownTest, AMaximisedWindowKeepsItsPlacement) {
  PrepareProgramFolder(0);
  StartProgram();
  form_->UpdateSizePosInfo();
  const config::WindowPlacementRecord before = config::gApp.MainWindowPlacement;
  form_->showMaximized();
  ASSERT_TRUE(form_->isMaximized());
  form_->UpdateSizePosInfo();
  EXPECT_TRUE(config::gApp.MainWindowPlacement == before);
  form_->showNormal();
  form_->setGeometry(form_->x(), form_->y(), 500, 300);
  form_->UpdateSizePosInfo();
  EXPECT_EQ(std::int32_t{config::gApp.MainWindowPlacement.Width}, 500);
  EXPECT_EQ(std::int32_t{config::gApp.MainWindowPlacement.Height}, 300);
}

TEST_F(ShutDownTest, TheTerminateHandlerClosesInOrderUnlessTheSessionEnds) {
  PrepareProgramFolder(0);
  testsupport::ScopedScriptedDialogs dialogs;
  StartProgram();
  form_->AbnormalTermination();
  ASSERT_EQ(dialogs->Messages().size(), 1U);
  EXPECT_EQ(dialogs->Messages()[0].text, "ABNORMAL PROGRAM TERMINATE");
  const std::string log = testsupport::ReadWholeFile(LogPath());
  EXPECT_NE(log.find("005000  "), std::string::npos);
  EXPECT_EQ(LinesFrom(LogTexts(), "QUORXL Abnormal Program Termination").size(), CloseSequenceLines().size() + 1);
  RestartProgram();
  form_->Send(settings::kWmQueryEndSession, 0, 0);
  form_->AbnormalTermination();
  EXPECT_EQ(dialogs->Messages().size(), 1U);
}

}  // namespace
}  // namespace uitest

namespace uitest {
namespace {

TEST(EventExceptions, AreShownAndLoggedAndTheLoopGoesOn) {
  testsupport::LoggedProgramFolder program;
  testsupport::ScopedScriptedDialogs dialogs;
  EXPECT_TRUE(ui::DeliverGuarded([] { return true; }));
  EXPECT_FALSE(ui::DeliverGuarded([]() -> bool { throw std::runtime_error("Card 2 went away"); }));
  EXPECT_FALSE(ui::DeliverGuarded([]() -> bool { throw 7; }));
  ASSERT_EQ(dialogs->Messages().size(), 2U);
  EXPECT_EQ(dialogs->Messages()[0].title, "ERROR");
  EXPECT_EQ(dialogs->Messages()[0].text, "Card 2 went away");
  EXPECT_EQ(dialogs->Messages()[1].text, "Unknown exception");
  EXPECT_EQ(LinesFrom(program.LogTexts(), "Card 2 went away"),
            (std::vector<std::string>{"Card 2 went away", "Unknown exception"}));
}

}  // namespace
}  // namespace uitest
