#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "card/hwcfg_manager.h"
#include "card/rtl20_manager.h"
#include "config/globals.h"
#include "config/options_store.h"
#include "config/window_positions.h"
#include "main_form_fixture.h"
#include "settings/last_setup_files.h"
#include "settings/set_manager.h"
#include "settings/window_messages.h"
#include "support/program_log.h"
#include "support/scripted_dialogs.h"
#include "ui/quorxl_application.h"

namespace uitest {
namespace {

using testsupport::CloseSequenceLines;
using testsupport::LinesFrom;
using testsupport::ReadWholeFile;
using Lines = std::vector<std::string>;

Lines Then(const std::string& first, const Lines& rest) {
  Lines lines = {first};
  lines.insert(lines.end(), rest.begin(), rest.end());
  return lines;
}

using ShutDownTest = MainFormTest;

// Closing runs the sequence once (a second close finds the program closed) and saves the files
// the next start reads back. When the session ends under the program (messages 17 and 22) the
// position and option files keep what the last proper close wrote, and the system is asked once
// to shut down.
TEST_F(ShutDownTest, CloseSavesTheFilesAndASessionEndSkipsPositionsAndOptions) {
  PrepareProgramFolder(1);
  StartProgram();
  const Lines saved = {quorxhwcfgmgrclass::ConfigFilePath(), settings::LastSetupFilePath(),
                       config::PositionFilePath(), config::OptionsFilePath()};
  for (const std::string& path : saved) ASSERT_FALSE(std::filesystem::exists(path)) << path;
  gKr20SetMgr->SetSignalThreshold(0, 0, -61.5);
  form_->close();
  form_->close();
  EXPECT_EQ(LinesFrom(LogTexts(), "at FormCloseQuery"), Then("at FormCloseQuery", CloseSequenceLines()));
  for (const std::string& path : saved) EXPECT_TRUE(std::filesystem::exists(path)) << path;
  EXPECT_EQ(gRtl20Mgr, nullptr);
  EXPECT_EQ(gKr20SetMgr, nullptr);
  EXPECT_EQ(gHwCfgMgr, nullptr);

  const std::string positions = ReadWholeFile(config::PositionFilePath());
  const std::string options = ReadWholeFile(config::OptionsFilePath());
  RestartProgram();
  const Lines log = LogTexts();
  const auto missing = [](const std::string& text) { return text.find("not found") != std::string::npos; };
  EXPECT_EQ(std::count_if(log.begin(), log.end(), missing), 0);
  EXPECT_EQ(double{gRtl20Mgr->Card(0)->Setup().Receiver[0].CarrierThesholdDbm}, -61.5);

  std::filesystem::remove(quorxhwcfgmgrclass::ConfigFilePath());
  form_->move(form_->x() + 37, form_->y() + 11);
  // The two messages each end in the request to shut the system down, made once (the error log is
  // closed by then: it goes to stderr).
  ::testing::internal::CaptureStderr();
  form_->Send(settings::kWmQueryEndSession, 0, 0);
  form_->Send(settings::kWmEndSession, 0, 0);
  const std::string stderrText = ::testing::internal::GetCapturedStderr();
  const std::string request = "System shut-down requested: not done, this program never powers the machine off\n";
  std::size_t requests = 0;
  for (std::size_t at = stderrText.find(request); at != std::string::npos; at = stderrText.find(request, at + 1)) {
    ++requests;
  }
  EXPECT_EQ(requests, 1u) << stderrText;
  const std::string badForm = "Windows Shutting Down without the User Closing The Application...BAD FORM";
  EXPECT_EQ(LinesFrom(LogTexts(), badForm), Then(badForm, CloseSequenceLines(false)));
  EXPECT_NE(ReadWholeFile(LogPath()).find("000255  "), std::string::npos);
  EXPECT_EQ(ReadWholeFile(config::PositionFilePath()), positions);
  EXPECT_EQ(ReadWholeFile(config::OptionsFilePath()), options);
  EXPECT_TRUE(std::filesystem::exists(quorxhwcfgmgrclass::ConfigFilePath()));
}

TEST(EventExceptions, AreShownAndLoggedAndTheLoopGoesOn) {
  testsupport::LoggedProgramFolder program;
  testsupport::ScopedScriptedDialogs dialogs;
  EXPECT_TRUE(ui::DeliverGuarded([] { return true; }));
  EXPECT_FALSE(ui::DeliverGuarded([]() -> bool { throw std::runtime_error("Card 2 went away"); }));
  EXPECT_FALSE(ui::DeliverGuarded([]() -> bool { throw 7; }));
  ASSERT_EQ(dialogs->Messages().size(), 2U);
  EXPECT_EQ(dialogs->Messages()[0].title, "ERROR");
  EXPECT_EQ(dialogs->Messages()[0].text, "Card 2 went away");
  EXPECT_EQ(LinesFrom(program.LogTexts(), "Card 2 went away"), (Lines{"Card 2 went away", "Unknown exception"}));
}

}  // namespace
}  // namespace uitest
