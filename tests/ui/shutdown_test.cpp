#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "card/hwcfg_manager.h"
#include "config/globals.h"
#include "config/options_store.h"
#include "config/window_positions.h"
#include "main_form_fixture.h"
#include "settings/last_setup_files.h"
#include "support/scripted_dialogs.h"
#include "settings/window_messages.h"

namespace uitest {
namespace {

const std::vector<std::string> kCloseSequence = {
    "-----------   Begin CloseProgram()  ---------------",
    "   gRtl20Mgr->FpgaCmdLock()",
    "   Took 0 tries to gRtl20Mgr->FpgaCmdLock()",
    "   UpdateSizePosInfo()",
    "   CloseStandAloneApps()",
    "   CloseStandAloneForms()",
    "   SaveConfigFile",
    "   SaveLastSetupFile",
    "   delete gHiresTimer",
    "   SaveGlobalPositionInfo",
    "   SaveOptionsToFile",
    "   CloseHwCfgStuff",
    "----DELETING MANAGERS------",
    "   gHwCfgMgr",
    "   gDnCvtMgr",
    "   gRtl20Mgr",
    "   gKr20SetMgr",
    "   WsaCleanUp",
    "------------------PROGRAM END--------------------",
};

// The log from the given line to its end.
std::vector<std::string> From(const std::vector<std::string>& texts, const std::string& first) {
  const auto at = std::find(texts.begin(), texts.end(), first);
  return {at, texts.end()};
}

std::vector<std::string> Without(std::vector<std::string> lines, const std::vector<std::string>& dropped) {
  std::erase_if(lines, [&](const std::string& line) {
    return std::find(dropped.begin(), dropped.end(), line) != dropped.end();
  });
  return lines;
}

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
  expected.insert(expected.end(), kCloseSequence.begin(), kCloseSequence.end());
  EXPECT_EQ(From(LogTexts(), "at FormCloseQuery"), expected);
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
  EXPECT_EQ(From(lines, "Windows Shutting Down without the User Closing The Application...BAD FORM"),
            [] {
              std::vector<std::string> expected = {
                  "Windows Shutting Down without the User Closing The Application...BAD FORM"};
              const auto rest = Without(kCloseSequence, {"   SaveGlobalPositionInfo", "   SaveOptionsToFile"});
              expected.insert(expected.end(), rest.begin(), rest.end());
              return expected;
            }());
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
  EXPECT_EQ(From(LogTexts(), kCloseSequence.front()), Without(kCloseSequence, {"   SaveLastSetupFile"}));
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
  EXPECT_EQ(From(LogTexts(), "QUORXL Abnormal Program Termination").size(), kCloseSequence.size() + 1);
  RestartProgram();
  form_->Send(settings::kWmQueryEndSession, 0, 0);
  form_->AbnormalTermination();
  EXPECT_EQ(dialogs->Messages().size(), 1U);
}

}  // namespace
}  // namespace uitest
