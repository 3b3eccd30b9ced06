// Something other than a regular file in the error log's place (a FIFO nobody reads, a folder, a
// device, a link to one): the program start neither waits nor writes into it; it says so on
// standard error and runs on. Each start runs in a child process, so one that hangs fails the test
// instead of stopping it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "support/log_capture.h"
#include "support/scratch_folder.h"
#include "util/error_log.h"

namespace {

struct ChildRun {
  bool ended = false;  // within the time allowed
  int exitCode = -1;
  std::string standardError;
};

// Starts the program's log in `folder` in a child process, writes one line and ends it.
ChildRun StartLogIn(const std::string& folder) {
  int pipeEnds[2];
  if (::pipe(pipeEnds) != 0) return {};
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(pipeEnds[1], STDERR_FILENO);
    ::close(pipeEnds[0]);
    if (::chdir(folder.c_str()) != 0) ::_exit(3);
    util::LogProgramStart(false, "2.01", nullptr, "QuorxL", "\\SYSTEM\\ERLOGS\\", "QuorxL");
    util::WriteErrorLogLine("still running", 0);
    ::_exit(util::ErrorLogPath().empty() ? 0 : 4);
  }
  ::close(pipeEnds[1]);
  ChildRun run;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  int status = 0;
  while (std::chrono::steady_clock::now() < deadline) {
    if (::waitpid(child, &status, WNOHANG) == child) {
      run.ended = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (!run.ended) {
    ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
  } else if (WIFEXITED(status)) {
    run.exitCode = WEXITSTATUS(status);
  }
  char buffer[4096];
  ssize_t got = 0;
  ::fcntl(pipeEnds[0], F_SETFL, O_NONBLOCK);
  while ((got = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0) run.standardError.append(buffer, static_cast<std::size_t>(got));
  ::close(pipeEnds[0]);
  return run;
}

TEST(ErrorLogPlace, AnythingButARegularFileIsRefusedWithoutWaitingAndTheProgramRunsOn) {
  struct Row {
    const char* name;
    std::function<bool(const std::string&)> make;
  };
  const Row rows[] = {
      {"FIFO", [](const std::string& path) { return ::mkfifo(path.c_str(), 0600) == 0; }},
      {"folder", [](const std::string& path) { return std::filesystem::create_directory(path); }},
      {"link to a FIFO",
       [](const std::string& path) {
         return ::mkfifo((path + ".fifo").c_str(), 0600) == 0 && ::symlink((path + ".fifo").c_str(), path.c_str()) == 0;
       }},
      {"link to a device", [](const std::string& path) { return ::symlink("/dev/null", path.c_str()) == 0; }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    testsupport::ScratchFolder folder;
    std::filesystem::create_directories(folder / "SYSTEM/ERLOGS");
    const std::string log = folder / "SYSTEM/ERLOGS/QuorxL.log";
    ASSERT_TRUE(row.make(log));
    const ChildRun run = StartLogIn(folder.Path());
    ASSERT_TRUE(run.ended) << "the start waited on the log";
    EXPECT_EQ(run.exitCode, 0);
    const std::string said = "Error log cannot be opened: " + log + " (not a regular file)\n";
    EXPECT_NE(run.standardError.find(said), std::string::npos) << run.standardError;
    EXPECT_NE(run.standardError.find("  still running\n"), std::string::npos) << run.standardError;
  }
}

TEST(ErrorLogPlace, ARegularFileIsEmptiedAndWrittenAsBefore) {
  testsupport::ScratchFolder folder;
  std::filesystem::create_directories(folder / "SYSTEM/ERLOGS");
  const std::string log = folder / "SYSTEM/ERLOGS/QuorxL.log";
  ASSERT_TRUE(testsupport::WriteWholeFile(log, std::string(5000, 'x')));
  const ChildRun run = StartLogIn(folder.Path());
  ASSERT_TRUE(run.ended);
  EXPECT_EQ(run.exitCode, 4);  // a log was open
  EXPECT_EQ(run.standardError, "");
  const std::vector<std::string> texts = testsupport::LogFileTexts(log);
  EXPECT_EQ(texts, (std::vector<std::string>{"------------------PROGRAM START--------------------", "Program Version 2.01",
                                             "still running"}));
}

}  // namespace
