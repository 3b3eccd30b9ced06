// Something other than a regular file in the error log's place (a FIFO nobody reads, a folder, a
// device, a link to one, a link out of the program folder): the program start neither waits nor
// writes into it; it puts its own log there, or says so on standard error, and runs on. Each start runs in a child process, so one that hangs fails the test
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

const std::vector<std::string> kStillRunning = {"------------------PROGRAM START--------------------", "Program Version 2.01",
                                                "still running"};

bool IsFifo(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISFIFO(st.st_mode);
}

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// A link, FIFO or device node at the log's name is replaced by the program's own log, and what a
// link leads to (outside the program folder too) stays as it was; a folder there is left alone
// and the lines go to standard error.
TEST(ErrorLogPlace, AnythingButARegularFileIsReplacedOrRefusedWithoutWaitingAndTheProgramRunsOn) {
  testsupport::ScratchFolder outside;
  const std::string outsideFile = outside / "precious.txt";
  const std::string outsideFifo = outside / "fifo";
  ASSERT_TRUE(testsupport::WriteWholeFile(outsideFile, "not the log\n"));
  ASSERT_EQ(::mkfifo(outsideFifo.c_str(), 0600), 0);
  struct Row {
    const char* name;
    std::function<bool(const std::string&)> make;
    bool replaced;
  };
  const Row rows[] = {
      {"FIFO", [](const std::string& path) { return ::mkfifo(path.c_str(), 0600) == 0; }, true},
      {"folder", [](const std::string& path) { return std::filesystem::create_directory(path); }, false},
      {"link to a FIFO", [&](const std::string& path) { return ::symlink(outsideFifo.c_str(), path.c_str()) == 0; }, true},
      {"link to a device", [](const std::string& path) { return ::symlink("/dev/null", path.c_str()) == 0; }, true},
      {"link to a file outside", [&](const std::string& path) { return ::symlink(outsideFile.c_str(), path.c_str()) == 0; },
       true},
      {"dangling link", [&](const std::string& path) { return ::symlink((outside / "none").c_str(), path.c_str()) == 0; },
       true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    testsupport::ScratchFolder folder;
    std::filesystem::create_directories(folder / "SYSTEM/ERLOGS");
    const std::string log = folder / "SYSTEM/ERLOGS/QuorxL.log";
    ASSERT_TRUE(row.make(log));
    const ChildRun run = StartLogIn(folder.Path());
    ASSERT_TRUE(run.ended) << "the start waited on the log";
    if (row.replaced) {
      EXPECT_EQ(run.exitCode, 4);
      EXPECT_EQ(run.standardError, "");
      // Read only when it is a file: reading a FIFO would wait for ever.
      EXPECT_TRUE(IsRegularFile(log));
      if (IsRegularFile(log)) {
        EXPECT_EQ(testsupport::LogFileTexts(log), kStillRunning);
      }
    } else {
      EXPECT_EQ(run.exitCode, 0);
      const std::string said = "Error log cannot be opened: " + log + " (not a regular file)\n";
      EXPECT_NE(run.standardError.find(said), std::string::npos) << run.standardError;
      EXPECT_NE(run.standardError.find("  still running\n"), std::string::npos) << run.standardError;
    }
    EXPECT_EQ(testsupport::ReadWholeFile(outsideFile), "not the log\n");
    EXPECT_TRUE(IsFifo(outsideFifo));
    EXPECT_FALSE(std::filesystem::exists(outside / "none"));
  }
}

// The previous log becomes the older copy by its name only: a link there is replaced, not
// followed; where no copy can be made the log is emptied in place and says so.
TEST(ErrorLogPlace, TheOlderCopyIsMadeWithoutFollowingALinkAtItsName) {
  testsupport::ScratchFolder outside;
  const std::string outsideFile = outside / "precious.txt";
  ASSERT_TRUE(testsupport::WriteWholeFile(outsideFile, "not the log\n"));
  struct Row {
    const char* name;
    std::function<bool(const std::string&)> make;
    bool kept;
  };
  const Row rows[] = {
      {"link to a file outside", [&](const std::string& old) { return ::symlink(outsideFile.c_str(), old.c_str()) == 0; },
       true},
      {"FIFO", [](const std::string& old) { return ::mkfifo(old.c_str(), 0600) == 0; }, true},
      {"folder", [](const std::string& old) { return std::filesystem::create_directory(old); }, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    testsupport::ScratchFolder folder;
    std::filesystem::create_directories(folder / "SYSTEM/ERLOGS");
    const std::string log = folder / "SYSTEM/ERLOGS/QuorxL.log";
    const std::string previous = "000000  000:00:00:01.000000  the run before\n";
    ASSERT_TRUE(testsupport::WriteWholeFile(log, previous));
    ASSERT_TRUE(row.make(log + ".old"));
    const ChildRun run = StartLogIn(folder.Path());
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, 4);
    EXPECT_EQ(run.standardError, "");
    EXPECT_EQ(testsupport::ReadWholeFile(outsideFile), "not the log\n");
    if (row.kept) {
      EXPECT_TRUE(IsRegularFile(log + ".old"));
      if (IsRegularFile(log + ".old")) {
        EXPECT_EQ(testsupport::ReadWholeFile(log + ".old"), previous);
      }
      EXPECT_EQ(testsupport::LogFileTexts(log), kStillRunning);
    } else {
      EXPECT_EQ(testsupport::LogFileTexts(log),
                (std::vector<std::string>{kStillRunning[0], kStillRunning[1],
                                          "Previous error log not kept as " + log + ".old (Is a directory)",
                                          kStillRunning[2]}));
    }
  }
}

// A log that cannot be moved and is a second name of a file outside is not emptied in place:
// that would empty the other file too.
TEST(ErrorLogPlace, ALogWithASecondNameOutsideIsNotEmptiedInPlace) {
  testsupport::ScratchFolder outside;
  const std::string outsideFile = outside / "precious.txt";
  ASSERT_TRUE(testsupport::WriteWholeFile(outsideFile, "not the log\n"));
  testsupport::ScratchFolder folder;
  std::filesystem::create_directories(folder / "SYSTEM/ERLOGS/QuorxL.log.old");
  const std::string log = folder / "SYSTEM/ERLOGS/QuorxL.log";
  ASSERT_EQ(::link(outsideFile.c_str(), log.c_str()), 0);
  const ChildRun run = StartLogIn(folder.Path());
  ASSERT_TRUE(run.ended);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_NE(run.standardError.find("Error log cannot be opened: " + log + " (not a regular file)\n"), std::string::npos)
      << run.standardError;
  EXPECT_EQ(testsupport::ReadWholeFile(outsideFile), "not the log\n");
}

TEST(ErrorLogPlace, ARegularFileBecomesTheOlderCopyAndTheLogStartsEmpty) {
  testsupport::ScratchFolder folder;
  std::filesystem::create_directories(folder / "SYSTEM/ERLOGS");
  const std::string log = folder / "SYSTEM/ERLOGS/QuorxL.log";
  ASSERT_TRUE(testsupport::WriteWholeFile(log, std::string(5000, 'x')));
  const ChildRun run = StartLogIn(folder.Path());
  ASSERT_TRUE(run.ended);
  EXPECT_EQ(run.exitCode, 4);  // a log was open
  EXPECT_EQ(run.standardError, "");
  EXPECT_EQ(testsupport::LogFileTexts(log), kStillRunning);
  EXPECT_EQ(testsupport::ReadWholeFile(log + ".old"), std::string(5000, 'x'));
}

}  // namespace
