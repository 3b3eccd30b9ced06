// The error-log viewer of the program folder run.sh prepares: "Error Logs" and the about box start
// it on the log; a folder without it is reported once.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAction>
#include <QPushButton>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/process_launcher.h"
#include "ui/cards/prepared_folder.h"
#include "ui/main_form_fixture.h"
#include "ui/main_menus.h"
#include "ui/modal_driver.h"
#include "util/gui/about_box.h"

namespace uitest {
namespace {

namespace fs = std::filesystem;

// The program file and the arguments of a running process, from /proc.
struct Started {
  std::string program;
  std::vector<std::string> arguments;
};

Started WhatRuns(int pid) {
  Started started;
  std::error_code error;
  started.program = fs::read_symlink("/proc/" + std::to_string(pid) + "/exe", error).string();
  const std::string line = testsupport::ReadWholeFile("/proc/" + std::to_string(pid) + "/cmdline");
  std::string argument;
  for (const char c : line) {
    if (c != '\0') {
      argument += c;
      continue;
    }
    started.arguments.push_back(argument);
    argument.clear();
  }
  return started;
}

class LogViewerTest : public MainFormTest {
 protected:
  void StartOnPreparedFolder() {
    PrepareFolderAsRunShDoes(folder_.Path());
    ASSERT_FALSE(HasFailure());
    StartProgram();
  }
  std::string Viewer() const { return folder_ / "ErLogViewer"; }
};

TEST_F(LogViewerTest, ThePreparedFolderHoldsAViewerThatShowsTheLogUntilEnded) {
  PrepareFolderAsRunShDoes(folder_.Path());
  ASSERT_FALSE(HasFailure());
  ASSERT_TRUE(fs::is_regular_file(Viewer()));
  ASSERT_EQ(::access(Viewer().c_str(), X_OK), 0);
  const std::string log = folder_ / "SYSTEM/ERLOGS/Viewed.log";
  ASSERT_TRUE(testsupport::WriteWholeFile(log, "000001  000:00:00:00.000100  a line\r\n"));

  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // Without a file it says how it is used.
  auto bare = platform::ChildProcess::Launch(Viewer(), {}, folder_.Path());
  ASSERT_NE(bare, nullptr);
  int status = -1;
  ASSERT_TRUE(bare->WaitForExit(20000, &status));
  EXPECT_EQ(status, 2);
  // With the log it stays open, showing it, until it is ended.
  auto viewing = platform::ChildProcess::Launch(Viewer(), {log}, folder_.Path());
  ASSERT_NE(viewing, nullptr);
  EXPECT_FALSE(viewing->WaitForExit(1500));
  EXPECT_TRUE(viewing->Terminate(20000));
  ASSERT_TRUE(viewing->WaitForExit(0, &status));
  EXPECT_EQ(status, 128 + SIGTERM);
}

TEST_F(LogViewerTest, ErrorLogsStartsThePreparedViewerOnTheLogQuietly) {
  StartOnPreparedFolder();
  if (HasFatalFailure()) return;
  const std::size_t linesBefore = LogTexts().size();
  form_->findChild<QAction*>("MenuErrorLogs")->trigger();
  ui::MainMenus& menus = form_->Menus();
  ASSERT_TRUE(menus.LogViewerRunning());
  // Read once the viewer's program has replaced the started copy.
  Started started;
  RunUntil(
      [&] {
        started = WhatRuns(menus.LogViewerPid());
        return started.arguments.size() >= 4;
      },
      std::chrono::seconds(10));
  EXPECT_EQ(fs::path(started.program), fs::canonical(Viewer()));
  // The log, then the place of the viewer's frame (and its size where the screen is small).
  ASSERT_TRUE(started.arguments.size() == 4 || started.arguments.size() == 6) << started.arguments.size();
  EXPECT_EQ(fs::path(started.arguments[1]).lexically_normal(), fs::path(LogPath()).lexically_normal());
  const std::vector<std::string> texts = LogTexts();
  EXPECT_LE(texts.size(), linesBefore + 1);
  for (const std::string& text : texts) EXPECT_EQ(text.find("ErLogViewer"), std::string::npos) << text;
  form_->CloseProgram();
  EXPECT_FALSE(menus.LogViewerRunning());
}

// The about box's viewer is given a place for its frame (where, the desktop tests check), stays
// open after the box closes, and is ended with the program, as the one of "Error Logs" is.
TEST_F(LogViewerTest, AboutViewErrorLogStartsThePreparedViewerBesideTheBoxUntilTheProgramEnds) {
  StartOnPreparedFolder();
  if (HasFatalFailure()) return;
  int pid = 0;
  Started started;
  WhenShown<util::TVopBorAboutBoxForm>("VopBorAboutBoxForm", [&](util::TVopBorAboutBoxForm& shown) {
    auto* view = shown.findChild<QPushButton*>("ButtonViewErrorLog");
    ASSERT_NE(view, nullptr);
    view->click();
    pid = shown.ViewerPid();
    if (pid > 0) {
      RunUntil(
          [&] {
            started = WhatRuns(pid);
            return started.arguments.size() >= 4;
          },
          std::chrono::seconds(10));
    }
    shown.accept();
  });
  form_->findChild<QAction*>("MenuAbout")->trigger();
  ASSERT_GT(pid, 0);
  EXPECT_EQ(fs::path(started.program), fs::canonical(Viewer()));
  EXPECT_TRUE(started.arguments.size() == 4 || started.arguments.size() == 6) << started.arguments.size();
  if (started.arguments.size() > 1) {
    EXPECT_EQ(fs::path(started.arguments[1]).lexically_normal(), fs::path(LogPath()).lexically_normal());
  }
  EXPECT_EQ(::kill(pid, 0), 0) << "the viewer ended with the box";
  form_->CloseProgram();
  // Ended and collected: no such process any more.
  EXPECT_NE(::kill(pid, 0), 0) << "the viewer runs on after the program";
  if (::kill(pid, 0) == 0) {
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
  }
}

// A program run from the folder it was built in has one place to look: the missing viewer is
// reported once.
TEST_F(LogViewerTest, AMissingViewerInTheBuildFolderIsReportedOnce) {
  PrepareProgramFolder(1);
  StartProgram();
  form_->Menus().SetDebugViewerFolder(folder_.Path());
  const std::size_t linesBefore = LogTexts().size();
  form_->findChild<QAction*>("MenuErrorLogs")->trigger();
  EXPECT_FALSE(form_->Menus().LogViewerRunning());
  const std::vector<std::string> texts = LogTexts();
  ASSERT_GE(texts.size(), linesBefore);
  const std::vector<std::string> added(texts.begin() + static_cast<std::ptrdiff_t>(linesBefore), texts.end());
  EXPECT_EQ(added, (std::vector<std::string>{
                       "Cannot start " + Viewer() + ": No such file or directory",
                       "Could Not Find Debug  " + Viewer() + ".  Cannot View Log Files"}));
}

}  // namespace
}  // namespace uitest
