#include "ui/single_instance.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "config/globals.h"
#include "platform/instance_lock.h"
#include "support/scratch_folder.h"

namespace ui {
namespace {

using std::chrono::milliseconds;

// Another copy of a program: a child process that holds the named locks until it is killed.
// This test program runs Qt's threads, so the child makes system calls only (no allocation
// after fork); it locks the files the way platform::InstanceLock does.
class OtherInstance {
 public:
  OtherInstance(const std::string& folder, const std::vector<std::string>& names) {
    std::vector<std::string> paths;
    for (const std::string& name : names) paths.push_back(folder + "/" + name + ".lock");
    int ready[2];
    if (pipe(ready) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      for (const std::string& path : paths) {
        const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0 || flock(fd, LOCK_EX | LOCK_NB) != 0) _exit(1);
      }
      if (write(ready[1], "y", 1) != 1) _exit(1);
      for (;;) pause();
    }
    close(ready[1]);
    char taken = 0;
    running_ = pid_ > 0 && read(ready[0], &taken, 1) == 1;  // nothing when the child failed
    close(ready[0]);
  }
  ~OtherInstance() { Kill(); }
  OtherInstance(const OtherInstance&) = delete;
  OtherInstance& operator=(const OtherInstance&) = delete;

  bool Running() const { return running_; }
  void Kill() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
    running_ = false;
  }

 private:
  pid_t pid_ = -1;
  bool running_ = false;
};

class SingleInstanceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(folder_.Path().empty());
    settings_.commandLine = {"/opt/quorx/QuorxL"};
    settings_.lockFolder = folder_.Path();
    settings_.sleep = [this](milliseconds duration) {
      sleeps_.push_back(duration);
      if (onSleep_) onSleep_(duration);
    };
  }
  void TearDown() override {
    config::gApp.InstanceMutex.reset();
    config::gApp.SiblingInstanceMutex.reset();
  }
  bool Held(const std::string& name) { return platform::InstanceLock::IsHeld(name, folder_.Path()); }
  static std::vector<milliseconds> Looks() { return std::vector<milliseconds>(10, milliseconds(20)); }

  testsupport::ScratchFolder folder_;
  SingleInstanceSettings settings_;
  std::vector<milliseconds> sleeps_;
  std::function<void(milliseconds)> onSleep_;
};

TEST_F(SingleInstanceTest, LockNames) {
  EXPECT_EQ(ProgramMutexName(), "Protect_QuorxL");
  EXPECT_EQ(MainWindowMutexName(), platform::MainWindowLockName("QuorxL"));
  EXPECT_STREQ(kSiblingMutexName, "Protect_QuorrWixo");
  const SingleInstanceSettings defaults;
  EXPECT_EQ(defaults.previousInstanceWait, milliseconds(2000));
  EXPECT_EQ(defaults.mainWindowLooks, 10);
  EXPECT_EQ(defaults.mainWindowLookInterval, milliseconds(20));
}

TEST_F(SingleInstanceTest, AloneTheProgramClaimsBothLocksWithoutWaiting) {
  const SingleInstanceResult result = RunSingleInstanceTest(settings_);
  EXPECT_EQ(result.conflict, InstanceConflict::None);
  EXPECT_TRUE(result.text.empty());
  EXPECT_TRUE(result.caption.empty());
  EXPECT_TRUE(sleeps_.empty());
  ASSERT_NE(config::gApp.InstanceMutex, nullptr);
  ASSERT_NE(config::gApp.SiblingInstanceMutex, nullptr);
  EXPECT_TRUE(Held("Protect_QuorxL"));
  EXPECT_TRUE(Held("Protect_QuorrWixo"));
  // A later copy, even in this very process, finds both locks taken.
  EXPECT_FALSE(WaitForPreviousInstance("Protect_QuorxL", settings_));  // no main window: 10 looks
  EXPECT_EQ(sleeps_, Looks());
}

TEST_F(SingleInstanceTest, SecondInstanceIsRefusedWhileAnotherProcessHoldsTheLock) {
  OtherInstance first(folder_.Path(), {"Protect_QuorxL", MainWindowMutexName()});
  ASSERT_TRUE(first.Running());
  const SingleInstanceResult result = RunSingleInstanceTest(settings_);
  EXPECT_EQ(result.conflict, InstanceConflict::ProgramRunning);
  EXPECT_EQ(result.text, "ALREADY HAVE THE PROGRAM RUNNING.  KILL IT FIRST!");
  EXPECT_EQ(result.caption, "RUN FAIL");
  // Its main window exists, so the new copy gave it 2 s to let go; it did not.
  EXPECT_EQ(sleeps_, std::vector<milliseconds>{milliseconds(2000)});
  EXPECT_EQ(config::gApp.InstanceMutex, nullptr);
  // The sibling test did not run.
  EXPECT_EQ(config::gApp.SiblingInstanceMutex, nullptr);
  EXPECT_FALSE(Held("Protect_QuorrWixo"));
}

TEST_F(SingleInstanceTest, HeldLockWithoutMainWindowCostsTenLooksAndNoLongWait) {
  OtherInstance first(folder_.Path(), {"Protect_QuorxL"});
  ASSERT_TRUE(first.Running());
  EXPECT_TRUE(CheckSingleInstance(settings_));
  EXPECT_EQ(sleeps_, Looks());
  EXPECT_EQ(config::gApp.InstanceMutex, nullptr);
}

TEST_F(SingleInstanceTest, MainWindowFoundAtOnceNeedsNoLook) {
  OtherInstance first(folder_.Path(), {"Protect_QuorxL"});
  ASSERT_TRUE(first.Running());
  const auto mainWindow = ClaimMainWindowLock(settings_);
  ASSERT_NE(mainWindow, nullptr);
  EXPECT_EQ(ClaimMainWindowLock(settings_), nullptr);  // one main window at a time
  EXPECT_TRUE(WaitForPreviousInstance("Protect_QuorxL", settings_));
  EXPECT_TRUE(sleeps_.empty());
}

TEST_F(SingleInstanceTest, MainWindowFoundOnALaterLook) {
  OtherInstance first(folder_.Path(), {"Protect_QuorxL"});
  ASSERT_TRUE(first.Running());
  std::unique_ptr<platform::InstanceLock> mainWindow;
  onSleep_ = [&](milliseconds) {
    if (sleeps_.size() == 3) mainWindow = ClaimMainWindowLock(settings_);
  };
  EXPECT_TRUE(WaitForPreviousInstance("Protect_QuorxL", settings_));
  EXPECT_EQ(sleeps_, std::vector<milliseconds>(3, milliseconds(20)));
}

TEST_F(SingleInstanceTest, RestartWaitsThenRunsOnceTheFirstHasGone) {
  OtherInstance first(folder_.Path(), {"Protect_QuorxL", MainWindowMutexName()});
  ASSERT_TRUE(first.Running());
  settings_.commandLine = {"/opt/quorx/QuorxL", "restart"};
  onSleep_ = [&](milliseconds) { first.Kill(); };  // the old copy ends during the wait
  const SingleInstanceResult result = RunSingleInstanceTest(settings_);
  EXPECT_EQ(result.conflict, InstanceConflict::None);
  // 2 s before each of the two claims, even with no old copy left for the second.
  EXPECT_EQ(sleeps_, std::vector<milliseconds>(2, milliseconds(2000)));
  EXPECT_NE(config::gApp.InstanceMutex, nullptr);
  EXPECT_NE(config::gApp.SiblingInstanceMutex, nullptr);
  EXPECT_TRUE(Held("Protect_QuorxL"));
}

TEST_F(SingleInstanceTest, RestartStillRefusedWhenTheFirstKeepsTheLock) {
  OtherInstance first(folder_.Path(), {"Protect_QuorxL"});
  ASSERT_TRUE(first.Running());
  settings_.commandLine = {"/opt/quorx/QuorxL", "restart"};
  const SingleInstanceResult result = RunSingleInstanceTest(settings_);
  EXPECT_EQ(result.conflict, InstanceConflict::ProgramRunning);
  EXPECT_EQ(sleeps_, std::vector<milliseconds>{milliseconds(2000)});
}

TEST_F(SingleInstanceTest, RestartIsACaseSensitiveSubstringOfTheWholeCommandLine) {
  for (const std::vector<std::string>& commandLine :
       {std::vector<std::string>{"/opt/quorx/QuorxL", "restart"}, {"/opt/quorx/QuorxL", "-xrestarted"},
        {"/home/restart/QuorxL"}}) {
    settings_.commandLine = commandLine;
    EXPECT_TRUE(WaitForPreviousInstance("Protect_QuorxL", settings_)) << commandLine.back();
  }
  for (const std::vector<std::string>& commandLine :
       {std::vector<std::string>{"/opt/quorx/QuorxL", "Restart"}, {"/opt/quorx/QuorxL", "RESTART"},
        {"/opt/quorx/QuorxL"}, {}}) {
    settings_.commandLine = commandLine;
    EXPECT_FALSE(WaitForPreviousInstance("Protect_QuorxL", settings_));
  }
  EXPECT_TRUE(sleeps_.empty());  // nothing held: no looks
  EXPECT_FALSE(Held("Protect_QuorxL"));  // the test itself takes nothing
}

TEST_F(SingleInstanceTest, InstanceLockIsFreeAfterTheFirstWasKilled) {
  OtherInstance first(folder_.Path(), {"Protect_QuorxL", MainWindowMutexName()});
  ASSERT_TRUE(first.Running());
  EXPECT_TRUE(Held("Protect_QuorxL"));
  first.Kill();
  EXPECT_FALSE(Held("Protect_QuorxL"));
  EXPECT_FALSE(Held(MainWindowMutexName()));
  EXPECT_FALSE(CheckSingleInstance(settings_));
  EXPECT_TRUE(sleeps_.empty());
  EXPECT_NE(config::gApp.InstanceMutex, nullptr);
}

TEST_F(SingleInstanceTest, SiblingLockRefusesToo) {
  OtherInstance sibling(folder_.Path(), {"Protect_QuorrWixo"});
  ASSERT_TRUE(sibling.Running());
  const SingleInstanceResult result = RunSingleInstanceTest(settings_);
  EXPECT_EQ(result.conflict, InstanceConflict::SiblingRunning);
  EXPECT_EQ(result.text, "ALREADY HAVE WIXO/KR14 APP RUNNING.  KILL IT FIRST");
  EXPECT_TRUE(result.caption.empty());
  // This program's own lock was claimed first; the sibling has no main window of ours.
  EXPECT_NE(config::gApp.InstanceMutex, nullptr);
  EXPECT_EQ(config::gApp.SiblingInstanceMutex, nullptr);
  EXPECT_EQ(sleeps_, Looks());
  EXPECT_TRUE(CheckSiblingInstance(settings_));
}

}  // namespace
}  // namespace ui
