#include "ui/single_instance.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "config/globals.h"
#include "platform/instance_lock.h"
#include "support/scratch_folder.h"

namespace ui {
namespace {

using std::chrono::milliseconds;

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
  // Another copy of a program: the named locks, held until they are dropped ("killed"). Each lock
  // object is its own holder, so this process stands in for the other one.
  std::vector<std::unique_ptr<platform::InstanceLock>> OtherInstance(const std::vector<std::string>& names) {
    std::vector<std::unique_ptr<platform::InstanceLock>> locks;
    for (const std::string& name : names) {
      locks.push_back(platform::InstanceLock::TryAcquire(name, folder_.Path()));
      EXPECT_NE(locks.back(), nullptr) << name;
    }
    return locks;
  }
  bool Held(const std::string& name) { return platform::InstanceLock::IsHeld(name, folder_.Path()); }
  static std::vector<milliseconds> Sleeps(std::size_t count, int ms) {
    return std::vector<milliseconds>(count, milliseconds(ms));
  }

  testsupport::ScratchFolder folder_;
  SingleInstanceSettings settings_;
  std::vector<milliseconds> sleeps_;
  std::function<void(milliseconds)> onSleep_;
};

TEST_F(SingleInstanceTest, SecondInstanceIsRefusedWhileAnotherProcessHoldsTheLock) {
  auto first = OtherInstance({"Protect_QuorxL", MainWindowMutexName()});
  const SingleInstanceResult result = RunSingleInstanceTest(settings_);
  EXPECT_EQ(result.conflict, InstanceConflict::ProgramRunning);
  EXPECT_EQ(result.text, "ALREADY HAVE THE PROGRAM RUNNING.  KILL IT FIRST!");
  EXPECT_EQ(result.caption, "RUN FAIL");
  // Its main window exists, so the new copy gave it 2 s to let go; it did not.
  EXPECT_EQ(sleeps_, Sleeps(1, 2000));
  EXPECT_EQ(config::gApp.InstanceMutex, nullptr);
  EXPECT_FALSE(Held("Protect_QuorrWixo"));  // the sibling test did not run
}

// The old copy's main window is looked for up to 10 times 20 ms apart; found, the copy waits.
TEST_F(SingleInstanceTest, TheMainWindowIsFoundOnALaterLook) {
  auto first = OtherInstance({"Protect_QuorxL"});
  std::unique_ptr<platform::InstanceLock> mainWindow;
  onSleep_ = [&](milliseconds) {
    if (sleeps_.size() == 3) mainWindow = ClaimMainWindowLock(settings_);
  };
  EXPECT_TRUE(WaitForPreviousInstance("Protect_QuorxL", settings_));
  EXPECT_EQ(sleeps_, Sleeps(3, 20));
  EXPECT_EQ(ClaimMainWindowLock(settings_), nullptr);  // one main window at a time
}

TEST_F(SingleInstanceTest, RestartWaitsThenRunsOnceTheFirstHasGone) {
  auto first = OtherInstance({"Protect_QuorxL", MainWindowMutexName()});
  settings_.commandLine = {"/opt/quorx/QuorxL", "restart"};
  EXPECT_EQ(RunSingleInstanceTest(settings_).conflict, InstanceConflict::ProgramRunning);  // it never let go
  sleeps_.clear();
  onSleep_ = [&](milliseconds) { first.clear(); };  // the old copy ends during the wait
  EXPECT_EQ(RunSingleInstanceTest(settings_).conflict, InstanceConflict::None);
  // 2 s before each of the two claims, even with no old copy left for the second.
  EXPECT_EQ(sleeps_, Sleeps(2, 2000));
  EXPECT_TRUE(Held("Protect_QuorxL"));
  EXPECT_TRUE(Held("Protect_QuorrWixo"));
}

TEST_F(SingleInstanceTest, RestartIsACaseSensitiveSubstringOfTheWholeCommandLine) {
  using CommandLine = std::vector<std::string>;
  for (const CommandLine& line : {CommandLine{"/opt/quorx/QuorxL", "-xrestarted"}, CommandLine{"/home/restart/QuorxL"}}) {
    settings_.commandLine = line;
    EXPECT_TRUE(WaitForPreviousInstance("Protect_QuorxL", settings_)) << line.back();
  }
  for (const CommandLine& line : {CommandLine{"/opt/quorx/QuorxL", "Restart"}, CommandLine{}}) {
    settings_.commandLine = line;
    EXPECT_FALSE(WaitForPreviousInstance("Protect_QuorxL", settings_));
  }
  EXPECT_TRUE(sleeps_.empty());  // nothing held: no looks
}

TEST_F(SingleInstanceTest, SiblingLockRefusesToo) {
  auto sibling = OtherInstance({"Protect_QuorrWixo"});
  const SingleInstanceResult result = RunSingleInstanceTest(settings_);
  EXPECT_EQ(result.conflict, InstanceConflict::SiblingRunning);
  EXPECT_EQ(result.text, "ALREADY HAVE WIXO/KR14 APP RUNNING.  KILL IT FIRST");
  EXPECT_TRUE(result.caption.empty());
  EXPECT_TRUE(Held("Protect_QuorxL"));  // this program's own lock was claimed first
  EXPECT_EQ(sleeps_, Sleeps(10, 20));  // all ten looks: the sibling has no main window of ours
}

}  // namespace
}  // namespace ui
