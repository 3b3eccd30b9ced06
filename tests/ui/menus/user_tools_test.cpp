// The Tools menu and the log viewer: programs dropped into USERTOOLS/ start in their own folder,
// a second start ends the first run, the shut-down ends them, and nothing else is touched.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <QAction>
#include <QMenu>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "platform/process_launcher.h"
#include "ui/main_form_fixture.h"
#include "ui/main_menus.h"

namespace uitest {
namespace {

namespace fs = std::filesystem;

// A tool that notes where it runs and with what, then waits to be ended.
constexpr const char* kProbeScript =
    "#!/bin/sh\n"
    "pwd > \"$0.where\"\n"
    "printf '%s' \"$*\" > \"$0.args\"\n"
    "exec sleep 60\n";

bool ProcessGone(int pid) { return pid > 0 && ::kill(pid, 0) == -1 && errno == ESRCH; }

class UserToolsTest : public MainFormTest {
 protected:
  std::string ToolsFolder() const { return folder_ / "USERTOOLS"; }

  void DropTool(const std::string& file, const std::string& text = kProbeScript, bool executable = true) {
    fs::create_directories(ToolsFolder());
    const std::string path = ToolsFolder() + "/" + file;
    ASSERT_TRUE(testsupport::WriteWholeFile(path, text));
    ::chmod(path.c_str(), executable ? 0755 : 0644);
  }

  QAction* Item(const std::string& name) const { return form_->findChild<QAction*>(QString::fromStdString(name)); }

  bool HasLogText(const std::string& text) const {
    const std::vector<std::string> texts = LogTexts();
    return std::find(texts.begin(), texts.end(), text) != texts.end();
  }
};

TEST_F(UserToolsTest, AToolStartsInItsFolderAgainAndIsEndedAtClose) {
  PrepareProgramFolder(1);
  // The extension's letter case does not matter.
  DropTool("Probe.exe");
  DropTool("Readme.txt", "not a tool");
  StartProgram();
  // Nothing of ours: it must still run when the program has gone.
  std::unique_ptr<platform::ChildProcess> bystander = platform::ChildProcess::Launch("/bin/sleep", {"60"}, "");
  ASSERT_NE(bystander, nullptr);

  ui::MainMenus& menus = form_->Menus();
  ASSERT_EQ(menus.MenuTools->actions().size(), 1);
  QAction* item = menus.MenuTools->actions().front();
  EXPECT_EQ(item->objectName(), "SubMenuUserTools0");
  EXPECT_EQ(item->text(), "Probe");
  EXPECT_EQ(item->data().toInt(), 0);
  EXPECT_EQ(menus.Tools().Path(0), ToolsFolder() + "/Probe.Exe");

  const std::string where = ToolsFolder() + "/Probe.exe.where";
  item->trigger();
  ASSERT_TRUE(RunUntil([&] { return fs::exists(where) && fs::file_size(where) > 0; }, std::chrono::seconds(10)));
  EXPECT_EQ(fs::path(testsupport::ReadWholeFile(where).substr(0, testsupport::ReadWholeFile(where).size() - 1)),
            fs::canonical(ToolsFolder()));
  EXPECT_EQ(testsupport::ReadWholeFile(ToolsFolder() + "/Probe.exe.args"), "");
  // The program's own folder did not change.
  EXPECT_EQ(fs::current_path(), fs::path(folder_.Path()));
  const int first = menus.Tools().RunningPid(0);
  ASSERT_TRUE(menus.Tools().IsRunning(0));

  // A second start ends the first run.
  item->trigger();
  const int second = menus.Tools().RunningPid(0);
  EXPECT_NE(second, first);
  EXPECT_TRUE(ProcessGone(first));
  EXPECT_TRUE(menus.Tools().IsRunning(0));

  form_->CloseProgram();
  EXPECT_TRUE(ProcessGone(second));
  EXPECT_TRUE(bystander->IsRunning());
  EXPECT_TRUE(bystander->Terminate());
}

// True when the process is gone or only waits to be collected (read from /proc).
bool ProcessStopped(int pid) {
  const std::string stat = testsupport::ReadWholeFile("/proc/" + std::to_string(pid) + "/stat");
  if (stat.empty()) return true;
  const auto close = stat.rfind(')');
  return close != std::string::npos && close + 2 < stat.size() && (stat[close + 2] == 'Z' || stat[close + 2] == 'X');
}

// The running processes of group `pgid`, read from /proc.
std::vector<int> RunningGroupMembers(int pgid) {
  std::vector<int> members;
  for (const fs::directory_entry& entry : fs::directory_iterator("/proc")) {
    const std::string name = entry.path().filename();
    if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
    const int pid = std::stoi(name);
    const std::string stat = testsupport::ReadWholeFile("/proc/" + name + "/stat");
    const auto close = stat.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream fields(stat.substr(close + 1));
    char state = 0;
    int parent = 0, group = 0;
    if (fields >> state >> parent >> group && group == pgid && !ProcessStopped(pid)) members.push_back(pid);
  }
  return members;
}

// A shell-script tool that starts programs of its own: closing the program ends them with it.
TEST_F(UserToolsTest, AToolsOwnChildrenEndWhenTheProgramCloses) {
  PrepareProgramFolder(1);
  DropTool("Spawner.Exe",
           "#!/bin/sh\n"
           "sleep 1000 &\n"
           "echo $! >> \"$0.pids\"\n"
           "sleep 1000 &\n"
           "echo $! >> \"$0.pids\"\n"
           "echo $$ >> \"$0.pids\"\n"
           "wait\n");
  StartProgram();
  Item("SubMenuUserTools0")->trigger();
  ui::MainMenus& menus = form_->Menus();
  ASSERT_TRUE(menus.Tools().IsRunning(0));
  const int tool = menus.Tools().RunningPid(0);
  const std::string pidsFile = ToolsFolder() + "/Spawner.Exe.pids";
  std::vector<int> pids;
  ASSERT_TRUE(RunUntil(
      [&] {
        pids.clear();
        std::istringstream lines(testsupport::ReadWholeFile(pidsFile));
        for (int pid = 0; lines >> pid;) pids.push_back(pid);
        return pids.size() == 3;
      },
      std::chrono::seconds(10)));
  EXPECT_EQ(pids[2], tool);
  std::vector<int> expected(pids);
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(RunningGroupMembers(tool), expected);

  form_->CloseProgram();
  EXPECT_TRUE(RunningGroupMembers(tool).empty());
  for (const int pid : pids) EXPECT_TRUE(ProcessStopped(pid)) << pid;
}

// 33 tools: 32 items, the 33rd written to the log and not offered.
TEST_F(UserToolsTest, ThirtyThreeToolsFillTheThirtyTwoSlots) {
  PrepareProgramFolder(1);
  for (int i = 0; i < 33; ++i) DropTool("Tool" + std::string(i < 10 ? "0" : "") + std::to_string(i) + ".exe");
  StartProgram();
  const QList<QAction*> items = form_->Menus().MenuTools->actions();
  ASSERT_EQ(items.size(), ui::kUserToolSlots);
  EXPECT_EQ(items[31]->objectName(), "SubMenuUserTools31");
  EXPECT_EQ(items[31]->text(), "Tool31");
  EXPECT_TRUE(HasLogText("Too Many User Tools.  " + ToolsFolder() + "/Tool32.Exe Not Added To The Tools Menu."));
}

// A tool that cannot be started is reported with the reason, and the menu goes on working.
TEST_F(UserToolsTest, AToolThatCannotStartIsReportedWithTheReason) {
  PrepareProgramFolder(1);
  DropTool("Broken.Exe", kProbeScript, false);
  DropTool("Gone.Exe");
  DropTool("Works.Exe");
  StartProgram();
  fs::remove(ToolsFolder() + "/Gone.Exe");
  Item("SubMenuUserTools0")->trigger();
  Item("SubMenuUserTools1")->trigger();
  const std::vector<std::string> texts = LogTexts();
  const std::string broken = ToolsFolder() + "/Broken.Exe";
  const std::string gone = ToolsFolder() + "/Gone.Exe";
  const auto notFoundLine =
      std::find(texts.begin(), texts.end(), "Could Not Find " + broken + ".  Cannot Use This Tool.");
  ASSERT_NE(notFoundLine, texts.end());
  ASSERT_NE(notFoundLine + 1, texts.end());
  EXPECT_EQ(notFoundLine[1], "Cannot start " + broken + ": Permission denied");
  const auto goneLine = std::find(texts.begin(), texts.end(), "Could Not Find " + gone + ".  Cannot Use This Tool.");
  ASSERT_NE(goneLine, texts.end());
  ASSERT_NE(goneLine + 1, texts.end());
  EXPECT_EQ(goneLine[1], "Cannot start " + gone + ": No such file or directory");
  EXPECT_FALSE(form_->Menus().Tools().IsRunning(0));

  Item("SubMenuUserTools2")->trigger();
  EXPECT_TRUE(form_->Menus().Tools().IsRunning(2));
}

// "Error Logs" starts the viewer of the program folder on the log and ends an earlier one; the
// shut-down ends it.
TEST_F(UserToolsTest, ErrorLogsStartsTheViewerOnTheLog) {
  PrepareProgramFolder(1);
  StartProgram();
  const std::string viewer = folder_ / ui::kLogViewerName;
  ASSERT_TRUE(testsupport::WriteWholeFile(viewer, kProbeScript));
  ::chmod(viewer.c_str(), 0755);
  form_->findChild<QAction*>("MenuErrorLogs")->trigger();
  ASSERT_TRUE(form_->Menus().LogViewerRunning());
  const std::string args = viewer + ".args";
  ASSERT_TRUE(RunUntil([&] { return fs::exists(args) && fs::file_size(args) > 0; }, std::chrono::seconds(10)));
  // The log, then the place of the viewer's frame.
  const std::string given = testsupport::ReadWholeFile(args);
  EXPECT_EQ(fs::path(given.substr(0, given.find(' '))).lexically_normal(), fs::path(LogPath()).lexically_normal()) << given;
  form_->CloseProgram();
  EXPECT_FALSE(form_->Menus().LogViewerRunning());
}

TEST_F(UserToolsTest, ErrorLogsWithoutAViewerSaysWhereItLooked) {
  PrepareProgramFolder(1);
  StartProgram();
  // A build folder without the viewer (the test's own holds one).
  const std::string build = folder_ / "build";
  fs::create_directories(build);
  form_->Menus().SetDebugViewerFolder(build);
  form_->findChild<QAction*>("MenuErrorLogs")->trigger();
  EXPECT_FALSE(form_->Menus().LogViewerRunning());
  const std::vector<std::string> texts = LogTexts();
  EXPECT_NE(std::find(texts.begin(), texts.end(),
                      "Could Not Find ErLogViewer.  Looking in Debug Directory.  BUILD ERROR FOR INSTALL."),
            texts.end());
  const std::string debug = build + "/ErLogViewer";
  EXPECT_NE(std::find(texts.begin(), texts.end(), "Could Not Find Debug  " + debug + ".  Cannot View Log Files"),
            texts.end());
}

}  // namespace
}  // namespace uitest
