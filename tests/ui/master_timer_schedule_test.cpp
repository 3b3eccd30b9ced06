#include "ui/master_timer_schedule.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/globals.h"
#include "util/process_globals.h"

namespace {

using ui::MasterTimerSchedule;
using ui::MasterTimerTask;

class MasterTimerScheduleTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetGlobals(); }
  void TearDown() override { ResetGlobals(); }

  static void ResetGlobals() {
    util::ClosingFlag.store(false);
    config::gApp.ReconfigurationPending.store(false);
    config::gApp.MasterTimerCurrentTime.store(0.0);
  }

  ui::MasterTimerHooks Hooks() {
    ui::MasterTimerHooks hooks;
    hooks.clock = [this] { return now; };
    hooks.lock = [this] {
      ++lockCalls;
      if (lockAvailable) events.push_back("lock");
      return lockAvailable;
    };
    hooks.unlock = [this] {
      ++unlockCalls;
      events.push_back("unlock");
    };
    hooks.broadcastRateHz = [this] { return rateHz; };
    hooks.oneSecondTask = [this] { events.push_back("1s"); };
    hooks.fiveHzTask = [this] { events.push_back("5Hz"); };
    hooks.tenHzTask = [this] { events.push_back("10Hz"); };
    hooks.twentyFiveHzTask = [this] { events.push_back("25Hz"); };
    hooks.broadcastTask = [this] { events.push_back("bc"); };
    return hooks;
  }

  // A schedule in the working state: start-up begun, card tasks enabled.
  MasterTimerSchedule Working() {
    MasterTimerSchedule schedule(Hooks());
    schedule.SetStartupBegun(true);
    schedule.SetCardTasksEnabled(true);
    return schedule;
  }

  int Count(const std::string& name) const {
    int n = 0;
    for (const auto& e : events) n += (e == name) ? 1 : 0;
    return n;
  }

  // Ticks every 10 ms from `fromMs` (exclusive) to `toMs` (inclusive).
  void RunTicks(MasterTimerSchedule& schedule, int fromMs, int toMs) {
    for (int ms = fromMs + 10; ms <= toMs; ms += 10) {
      now = ms / 1000.0;
      schedule.Tick();
    }
  }

  double now = 0.0;
  bool lockAvailable = true;
  int rateHz = 4;
  int lockCalls = 0;
  int unlockCalls = 0;
  std::vector<std::string> events;
};

TEST_F(MasterTimerScheduleTest, AllFiveTasksRunInOrderUnderOneLock) {
  MasterTimerSchedule schedule = Working();
  now = 1.0;
  EXPECT_TRUE(schedule.Tick());
  EXPECT_EQ(events, (std::vector<std::string>{"lock", "1s", "5Hz", "10Hz", "25Hz", "bc", "unlock"}));
  EXPECT_EQ(lockCalls, 1);
  EXPECT_EQ(unlockCalls, 1);
}

TEST_F(MasterTimerScheduleTest, BroadcastRunsOnFirstWorkingTickAndTakesItsPeriodFromTheRate) {
  MasterTimerSchedule schedule = Working();
  EXPECT_EQ(schedule.BroadcastPeriod(), 0.0);
  now = 0.01;
  EXPECT_TRUE(schedule.Tick());
  EXPECT_EQ(events, (std::vector<std::string>{"lock", "bc", "unlock"}));
  EXPECT_DOUBLE_EQ(schedule.BroadcastPeriod(), 0.25);
  EXPECT_EQ(schedule.LastRun(MasterTimerTask::Broadcast), 0.01);
}

TEST_F(MasterTimerScheduleTest, PeriodsUseGreaterOrEqual) {
  MasterTimerSchedule schedule = Working();
  now = 0.01;
  schedule.Tick();  // broadcast only
  events.clear();

  now = 0.03125;  // below 0.04
  schedule.Tick();
  EXPECT_EQ(Count("25Hz"), 0);
  now = 0.04;  // exactly the period since the start
  schedule.Tick();
  EXPECT_EQ(Count("25Hz"), 1);
  EXPECT_EQ(Count("10Hz"), 0);
  now = 0.1;
  schedule.Tick();
  EXPECT_EQ(Count("10Hz"), 1);
  now = 0.2;
  schedule.Tick();
  EXPECT_EQ(Count("5Hz"), 1);
  EXPECT_EQ(Count("1s"), 0);
  now = 0.5;
  schedule.Tick();
  EXPECT_EQ(Count("1s"), 0);
  now = 1.0;
  schedule.Tick();
  EXPECT_EQ(Count("1s"), 1);
}

TEST_F(MasterTimerScheduleTest, RatesOverTenSecondsOfTicks) {
  rateHz = 10;
  MasterTimerSchedule schedule = Working();
  RunTicks(schedule, 0, 10000);
  // 1 s task: 1.0, 2.0, ... 10.0.
  EXPECT_EQ(Count("1s"), 10);
  // The others run at about their rate; a 10 ms tick grid and rounding of the differences may
  // push a run one tick later, never earlier.
  EXPECT_LE(Count("5Hz"), 50);
  EXPECT_GE(Count("5Hz"), 45);
  EXPECT_LE(Count("10Hz"), 100);
  EXPECT_GE(Count("10Hz"), 90);
  EXPECT_LE(Count("25Hz"), 250);
  EXPECT_GE(Count("25Hz"), 200);
  EXPECT_LE(Count("bc"), 101);
  EXPECT_GE(Count("bc"), 90);
  EXPECT_EQ(lockCalls, 1000);
  EXPECT_EQ(unlockCalls, 1000);
}

TEST_F(MasterTimerScheduleTest, NoCatchUpAfterALongStall) {
  MasterTimerSchedule schedule = Working();
  now = 1.0;
  schedule.Tick();
  events.clear();

  now = 6.5;  // 5.5 s stall: every task is many periods late
  EXPECT_TRUE(schedule.Tick());
  EXPECT_EQ(events, (std::vector<std::string>{"lock", "1s", "5Hz", "10Hz", "25Hz", "bc", "unlock"}));
  for (std::size_t i = 0; i < ui::kMasterTimerTaskCount; ++i) {
    EXPECT_EQ(schedule.LastRun(static_cast<MasterTimerTask>(i)), 6.5);
  }

  // The next runs are one period after the late tick, not on the old grid.
  events.clear();
  now = 6.53;
  schedule.Tick();
  EXPECT_EQ(events, (std::vector<std::string>{"lock", "unlock"}));
  now = 6.75;
  schedule.Tick();
  EXPECT_EQ(events, (std::vector<std::string>{"lock", "unlock", "lock", "5Hz", "10Hz", "25Hz", "bc",
                                              "unlock"}));
  events.clear();
  now = 7.0;  // the old grid's next second; only 0.5 s after the late run
  schedule.Tick();
  EXPECT_EQ(Count("1s"), 0);
  now = 7.5;
  schedule.Tick();
  EXPECT_EQ(Count("1s"), 1);
}

TEST_F(MasterTimerScheduleTest, CurrentTimeWrittenOnEveryWorkingTick) {
  MasterTimerSchedule schedule = Working();
  now = 2.25;
  schedule.Tick();
  EXPECT_EQ(config::gApp.MasterTimerCurrentTime.load(), 2.25);
  EXPECT_EQ(schedule.CurrentTime(), 2.25);
  now = 2.26;
  schedule.Tick();
  EXPECT_EQ(config::gApp.MasterTimerCurrentTime.load(), 2.26);
}

TEST_F(MasterTimerScheduleTest, NothingWhileReconfigurationPending) {
  MasterTimerSchedule schedule = Working();
  config::gApp.ReconfigurationPending.store(true);
  now = 3.0;
  EXPECT_FALSE(schedule.Tick());
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(lockCalls, 0);
  EXPECT_EQ(unlockCalls, 0);
  EXPECT_EQ(config::gApp.MasterTimerCurrentTime.load(), 0.0);
  EXPECT_EQ(schedule.CurrentTime(), 0.0);

  config::gApp.ReconfigurationPending.store(false);
  EXPECT_TRUE(schedule.Tick());
  EXPECT_EQ(Count("1s"), 1);
}

TEST_F(MasterTimerScheduleTest, NothingWhileClosing) {
  MasterTimerSchedule schedule = Working();
  util::ClosingFlag.store(true);
  now = 3.0;
  EXPECT_FALSE(schedule.Tick());
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(lockCalls, 0);
  EXPECT_EQ(config::gApp.MasterTimerCurrentTime.load(), 0.0);
}

TEST_F(MasterTimerScheduleTest, NothingBeforeStartUpBegun) {
  MasterTimerSchedule schedule(Hooks());
  schedule.SetCardTasksEnabled(true);
  now = 3.0;
  EXPECT_FALSE(schedule.Tick());
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(lockCalls, 0);
  EXPECT_EQ(config::gApp.MasterTimerCurrentTime.load(), 0.0);
}

TEST_F(MasterTimerScheduleTest, NothingWithoutAClock) {
  ui::MasterTimerHooks hooks = Hooks();
  hooks.clock = nullptr;
  MasterTimerSchedule schedule(std::move(hooks));
  schedule.SetStartupBegun(true);
  schedule.SetCardTasksEnabled(true);
  EXPECT_FALSE(schedule.Tick());
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(lockCalls, 0);
}

TEST_F(MasterTimerScheduleTest, CardTasksDisabledRecordsTimeButRunsNoTask) {
  MasterTimerSchedule schedule(Hooks());
  schedule.SetStartupBegun(true);
  now = 3.0;
  EXPECT_FALSE(schedule.Tick());
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(lockCalls, 0);
  EXPECT_EQ(unlockCalls, 0);
  // The clock is read into the globals before the card-tasks check.
  EXPECT_EQ(config::gApp.MasterTimerCurrentTime.load(), 3.0);
}

TEST_F(MasterTimerScheduleTest, LockNotHadRunsNoTaskAndDoesNotUnlock) {
  MasterTimerSchedule schedule = Working();
  lockAvailable = false;
  now = 3.0;
  EXPECT_FALSE(schedule.Tick());
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(lockCalls, 1);
  EXPECT_EQ(unlockCalls, 0);
  EXPECT_EQ(config::gApp.MasterTimerCurrentTime.load(), 3.0);
  EXPECT_EQ(schedule.LastRun(MasterTimerTask::OneSecond), 0.0);

  lockAvailable = true;
  now = 3.01;
  EXPECT_TRUE(schedule.Tick());
  EXPECT_EQ(lockCalls, 2);
  EXPECT_EQ(unlockCalls, 1);
  EXPECT_EQ(Count("1s"), 1);
}

TEST_F(MasterTimerScheduleTest, UnlockOncePerWorkingTickEvenWithNothingDue) {
  MasterTimerSchedule schedule = Working();
  now = 1.0;
  schedule.Tick();
  now = 1.01;
  schedule.Tick();
  now = 1.02;
  schedule.Tick();
  EXPECT_EQ(lockCalls, 3);
  EXPECT_EQ(unlockCalls, 3);
}

TEST_F(MasterTimerScheduleTest, BroadcastPeriodFollowsTheRateAtEachRun) {
  rateHz = 2;
  MasterTimerSchedule schedule = Working();
  now = 0.01;
  schedule.Tick();
  EXPECT_DOUBLE_EQ(schedule.BroadcastPeriod(), 0.5);
  rateHz = 20;
  now = 0.26;  // 0.25 s since the run: below the 0.5 s period in force
  schedule.Tick();
  EXPECT_EQ(schedule.LastRun(MasterTimerTask::Broadcast), 0.01);
  now = 0.51;
  schedule.Tick();
  EXPECT_EQ(schedule.LastRun(MasterTimerTask::Broadcast), 0.51);
  EXPECT_DOUBLE_EQ(schedule.BroadcastPeriod(), 0.05);
}

TEST_F(MasterTimerScheduleTest, BroadcastRateIsKeptInRange) {
  rateHz = 0;
  MasterTimerSchedule schedule = Working();
  now = 0.01;
  schedule.Tick();
  EXPECT_DOUBLE_EQ(schedule.BroadcastPeriod(), 1.0);
  rateHz = 100;
  now = 1.01;
  schedule.Tick();
  EXPECT_DOUBLE_EQ(schedule.BroadcastPeriod(), 0.05);
}

}  // namespace
