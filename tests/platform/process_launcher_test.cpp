#include "platform/process_launcher.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "support/log_capture.h"
#include "support/scratch_folder.h"

namespace platform {
namespace {

using testsupport::ScratchFolder;
using Arguments = std::vector<std::string>;

// The exit status when the child ends within `timeoutMs`, else -1.
int ExitStatus(ChildProcess& child, int timeoutMs = 20000) {
  int status = -1;
  return child.WaitForExit(timeoutMs, &status) ? status : -1;
}

bool ProcessIsGone(int pid) { return kill(pid, 0) != 0 && errno == ESRCH; }

TEST(ChildProcess, RunsInItsWorkingFolderWithArgumentsAndEnvironment) {
  ScratchFolder folder;
  ASSERT_FALSE(folder.Path().empty());
  setenv("QUORX_LAUNCH_TEST", "inherited value", 1);
  std::string error;
  auto child = ChildProcess::Launch(  // "sh" is found on the PATH
      "sh", {"-c", "printf '%s|' \"$QUORX_LAUNCH_TEST\" \"$@\" > out.txt; exit 3", "sh", "a b", "", "q\"x"},
      folder.Path(), &error);
  unsetenv("QUORX_LAUNCH_TEST");
  ASSERT_NE(child, nullptr) << error;
  EXPECT_EQ(ExitStatus(*child), 3);
  EXPECT_EQ(ExitStatus(*child, 0), 3);  // asked again after the reaping
  EXPECT_EQ(testsupport::ReadWholeFile(folder / "out.txt"), "inherited value|a b||q\"x|");
}

TEST(ChildProcess, TerminateAsksThenForcesAndChildrenGetDefaultSignalsWhateverThisProcessDoes) {
  // Else an ignored SIGPIPE would not end a child and a blocked SIGTERM would leave only SIGKILL.
  struct sigaction ignore = {};
  struct sigaction oldPipe = {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGPIPE, &ignore, &oldPipe);
  sigset_t term, oldMask;
  sigemptyset(&term);
  sigaddset(&term, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &term, &oldMask);
  auto piped = ChildProcess::Launch("/bin/sh", {"-c", "kill -PIPE $$; exit 0"}, {});
  auto child = ChildProcess::Launch("/bin/sleep", {"30"}, {});
  pthread_sigmask(SIG_SETMASK, &oldMask, nullptr);
  sigaction(SIGPIPE, &oldPipe, nullptr);
  ASSERT_NE(piped, nullptr);
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(ExitStatus(*piped), 128 + SIGPIPE);

  EXPECT_TRUE(child->IsRunning());
  EXPECT_TRUE(child->Terminate(20000));
  EXPECT_TRUE(ProcessIsGone(child->Pid()));  // reaped, not left a zombie
  EXPECT_EQ(ExitStatus(*child, 0), 128 + SIGTERM);
  EXPECT_TRUE(child->Terminate());  // ending an ended child is done at once

  // A child that ignores the request is forced.
  ScratchFolder folder;
  auto stubborn = ChildProcess::Launch("/bin/sh", {"-c", "trap '' TERM; echo > ready; exec sleep 30"}, folder.Path());
  ASSERT_NE(stubborn, nullptr);
  for (int i = 0; i < 2000 && !std::filesystem::exists(folder / "ready"); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_TRUE(stubborn->Terminate(100));
  EXPECT_TRUE(ProcessIsGone(stubborn->Pid()));
  EXPECT_EQ(ExitStatus(*stubborn, 0), 128 + SIGKILL);
}

// True when the process is gone or only waits to be collected; read from /proc, not from the
// code under test.
bool ProcessStopped(int pid) {
  const std::string stat = testsupport::ReadWholeFile("/proc/" + std::to_string(pid) + "/stat");
  if (stat.empty()) return true;
  const auto close = stat.rfind(')');
  return close != std::string::npos && close + 2 < stat.size() && (stat[close + 2] == 'Z' || stat[close + 2] == 'X');
}

// The pids a script wrote into `file`, one a line, once it holds `count` of them.
std::vector<int> WaitForPids(const std::string& file, std::size_t count) {
  std::vector<int> pids;
  for (int i = 0; i < 2000 && pids.size() < count; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    pids.clear();
    std::istringstream lines(testsupport::ReadWholeFile(file));
    for (int pid = 0; lines >> pid;) pids.push_back(pid);
  }
  return pids;
}

// A program's own children (a shell script's background jobs) end with it: each child leads a
// process group of its own, and the whole group is ended.
TEST(ChildProcess, TerminateEndsTheChildsWholeProcessGroup) {
  ScratchFolder folder;
  ASSERT_FALSE(folder.Path().empty());
  auto script = ChildProcess::Launch(
      "/bin/sh", {"-c", "sleep 1000 & echo $! >> pids; sleep 1000 & echo $! >> pids; echo $$ >> pids; wait"},
      folder.Path());
  ASSERT_NE(script, nullptr);
  const int group = script->Pid();
  EXPECT_EQ(getpgid(group), group);  // a group of its own, not ours
  EXPECT_NE(getpgid(group), getpgrp());
  const std::vector<int> pids = WaitForPids(folder / "pids", 3);
  ASSERT_EQ(pids.size(), 3u);
  for (const int pid : pids) EXPECT_EQ(getpgid(pid), group) << pid;

  EXPECT_TRUE(script->Terminate(20000));
  for (const int pid : pids) EXPECT_TRUE(ProcessStopped(pid)) << pid;
  EXPECT_TRUE(ProcessIsGone(group));

  // A script that has ended by itself and left a child behind: its group still ends at Terminate.
  auto leaving = ChildProcess::Launch("/bin/sh", {"-c", "sleep 1000 & echo $! > left; exit 0"}, folder.Path());
  ASSERT_NE(leaving, nullptr);
  const std::vector<int> left = WaitForPids(folder / "left", 1);
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(ExitStatus(*leaving), 0);
  EXPECT_FALSE(leaving->IsRunning());
  EXPECT_FALSE(ProcessStopped(left[0]));
  EXPECT_TRUE(leaving->Terminate(20000));
  EXPECT_TRUE(ProcessStopped(left[0]));
  EXPECT_TRUE(ProcessIsGone(leaving->Pid()));

  // The next copy of this program stays in our group (a terminal's Ctrl+C reaches it), and only
  // it is ended.
  auto copy = ChildProcess::Launch("/bin/sleep", {"1000"}, {}, nullptr, ProcessGroup::Ours);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(getpgid(copy->Pid()), getpgrp());
  EXPECT_TRUE(copy->Terminate(20000));
  EXPECT_TRUE(ProcessIsGone(copy->Pid()));
}

TEST(ChildProcess, DestructionReapsAnEndedChildAndLeavesARunningOneRunning) {
  auto ended = ChildProcess::Launch("/bin/true", {}, {});
  auto running = ChildProcess::Launch("/bin/sleep", {"30"}, {});
  ASSERT_NE(ended, nullptr);
  ASSERT_NE(running, nullptr);
  const int endedPid = ended->Pid(), runningPid = running->Pid();
  siginfo_t info{};
  ASSERT_EQ(waitid(P_PID, static_cast<id_t>(endedPid), &info, WEXITED | WNOWAIT), 0);  // ended, not collected
  ended.reset();
  running.reset();
  EXPECT_EQ(waitpid(endedPid, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
  info = {};
  EXPECT_EQ(waitid(P_PID, static_cast<id_t>(runningPid), &info, WEXITED | WNOHANG | WNOWAIT), 0);
  EXPECT_EQ(info.si_pid, 0);  // not ended
  kill(runningPid, SIGTERM);
  int status = 0;
  EXPECT_EQ(waitpid(runningPid, &status, 0), runningPid);  // still ours to collect, and ended by us
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
}

TEST(ChildProcess, LaunchFailuresGiveNoChildAndAReason) {
  ScratchFolder folder;
  ASSERT_FALSE(folder.Path().empty());
  const std::string missing = folder / "missing";
  const struct {
    std::string program, folder, error;
  } cases[] = {{"/no/such/quorx-program", "", "Cannot start /no/such/quorx-program: No such file or directory"},
               {"/bin/sh", missing, "Cannot start /bin/sh: no working folder " + missing},
               {"", "", "No program given"}};
  for (const auto& entry : cases) {
    std::string error;
    EXPECT_EQ(ChildProcess::Launch(entry.program, {"-c", "exit 0"}, entry.folder, &error), nullptr) << entry.program;
    EXPECT_EQ(error, entry.error);
  }
}

TEST(SplitCommandLine, BlanksSeparateAndQuotesGroupAndAreRemoved) {
  const std::pair<const char*, Arguments> cases[] = {
      {"  a b\t\tc  ", {"a", "b", "c"}},
      {"a\"b c\"d e", {"ab cd", "e"}},
      {"a \"\" b", {"a", "", "b"}},
      {"x \"open ended", {"x", "open ended"}}};
  for (const auto& [line, expected] : cases) EXPECT_EQ(SplitCommandLine(line), expected) << line;
}

}  // namespace
}  // namespace platform
