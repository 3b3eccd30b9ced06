#include "ui/master_timer_schedule.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/globals.h"
#include "util/process_globals.h"

namespace {

using ui::MasterTimerSchedule;
using ui::MasterTimerTask;
using Events = std::vector<std::string>;

// The schedule on a fake clock; every hook call is written to `events`.
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
    const auto note = [this](const char* name) { return [this, name] { events.push_back(name); }; };
    return {[this] { return now; },
            [this] {
              events.push_back(lockAvailable ? "lock" : "lock refused");
              return lockAvailable;
            },
            note("unlock"),
            [this] { return rateHz; },
            note("1s"),
            note("5Hz"),
            note("10Hz"),
            note("25Hz"),
            note("bc")};
  }

  // Start-up begun, card tasks enabled.
  MasterTimerSchedule Working() {
    MasterTimerSchedule schedule(Hooks());
    schedule.SetStartupBegun(true);
    schedule.SetCardTasksEnabled(true);
    return schedule;
  }

  Events TickAt(MasterTimerSchedule& schedule, double time) {
    events.clear();
    now = time;
    schedule.Tick();
    return events;
  }

  double now = 0.0;
  bool lockAvailable = true;
  int rateHz = 4;
  Events events;
};

// Each task runs once its period has passed (exactly the period counts), all in one fixed order
// under one lock, and every working tick publishes its time.
TEST_F(MasterTimerScheduleTest, TasksRunInOrderUnderOneLockWhenDue) {
  MasterTimerSchedule schedule = Working();
  const struct {
    double time;
    Events events;
  } rows[] = {
      {0.01, {"lock", "bc", "unlock"}},
      {0.03125, {"lock", "unlock"}},
      {0.04, {"lock", "25Hz", "unlock"}},
      {0.1, {"lock", "10Hz", "25Hz", "unlock"}},
      {0.2, {"lock", "5Hz", "10Hz", "25Hz", "unlock"}},
      {0.25, {"lock", "25Hz", "unlock"}},  // broadcast at 4 Hz: 0.24 s after its first run
      {1.0, {"lock", "1s", "5Hz", "10Hz", "25Hz", "bc", "unlock"}},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(TickAt(schedule, row.time), row.events) << row.time;
    EXPECT_EQ(config::gApp.MasterTimerCurrentTime.load(), row.time);
  }
  EXPECT_DOUBLE_EQ(schedule.BroadcastPeriod(), 0.25);
}

TEST_F(MasterTimerScheduleTest, NoCatchUpAfterALongStall) {
  MasterTimerSchedule schedule = Working();
  TickAt(schedule, 1.0);
  // 5.5 s late: each task runs once, and its next run is one period after this tick, not on the
  // old grid.
  EXPECT_EQ(TickAt(schedule, 6.5), (Events{"lock", "1s", "5Hz", "10Hz", "25Hz", "bc", "unlock"}));
  EXPECT_EQ(TickAt(schedule, 6.53), (Events{"lock", "unlock"}));
  EXPECT_EQ(TickAt(schedule, 6.75), (Events{"lock", "5Hz", "10Hz", "25Hz", "bc", "unlock"}));
  EXPECT_EQ(TickAt(schedule, 7.0), (Events{"lock", "5Hz", "10Hz", "25Hz", "bc", "unlock"}));
  EXPECT_EQ(TickAt(schedule, 7.5), (Events{"lock", "1s", "5Hz", "10Hz", "25Hz", "bc", "unlock"}));
}

// While closing, before the start-up, without a clock or while a card is reconfigured a tick does
// not even read the clock; without card tasks it reads it but takes no lock; without the lock it
// runs nothing and gives back nothing, and the tasks stay due for the next tick.
TEST_F(MasterTimerScheduleTest, IdleTicksRunNoTask) {
  ui::MasterTimerHooks noClock = Hooks();
  noClock.clock = nullptr;
  const struct {
    bool closing, pending, begun, cardTasks, clock;
    double published;
  } rows[] = {{true, false, true, true, true, 0.0},   {false, true, true, true, true, 0.0},
              {false, false, false, true, true, 0.0}, {false, false, true, true, false, 0.0},
              {false, false, true, false, true, 3.0}};
  for (const auto& row : rows) {
    ResetGlobals();
    util::ClosingFlag.store(row.closing);
    config::gApp.ReconfigurationPending.store(row.pending);
    MasterTimerSchedule schedule(row.clock ? Hooks() : noClock);
    schedule.SetStartupBegun(row.begun);
    schedule.SetCardTasksEnabled(row.cardTasks);
    EXPECT_EQ(TickAt(schedule, 3.0), Events{}) << &row - rows;
    EXPECT_EQ(config::gApp.MasterTimerCurrentTime.load(), row.published) << &row - rows;
  }
  ResetGlobals();
  MasterTimerSchedule schedule = Working();
  lockAvailable = false;
  EXPECT_EQ(TickAt(schedule, 3.0), (Events{"lock refused"}));
  EXPECT_EQ(config::gApp.MasterTimerCurrentTime.load(), 3.0);
  lockAvailable = true;
  EXPECT_EQ(TickAt(schedule, 3.01), (Events{"lock", "1s", "5Hz", "10Hz", "25Hz", "bc", "unlock"}));
}

// The broadcast period is taken from the rate at each broadcast run, kept within 1..20 Hz.
TEST_F(MasterTimerScheduleTest, BroadcastPeriodFollowsTheRateWithinItsRange) {
  rateHz = 2;
  MasterTimerSchedule schedule = Working();
  TickAt(schedule, 0.01);
  EXPECT_DOUBLE_EQ(schedule.BroadcastPeriod(), 0.5);
  rateHz = 100;
  TickAt(schedule, 0.26);  // the 0.5 s period in force is not yet over
  EXPECT_EQ(schedule.LastRun(MasterTimerTask::Broadcast), 0.01);
  TickAt(schedule, 0.51);
  EXPECT_DOUBLE_EQ(schedule.BroadcastPeriod(), 0.05);
  rateHz = 0;
  TickAt(schedule, 0.56);
  EXPECT_DOUBLE_EQ(schedule.BroadcastPeriod(), 1.0);
}

}  // namespace
