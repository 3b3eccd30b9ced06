#include "ui/master_timer_schedule.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "config/globals.h"
#include "util/process_globals.h"

namespace {

using ui::MasterTimerSchedule;
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

  // Start-up begun, card tasks enabled.
  MasterTimerSchedule Working() {
    const auto note = [this](const char* name) { return [this, name] { events.push_back(name); }; };
    MasterTimerSchedule schedule({[this] { return now; },
                                  [this] {
                                    events.push_back(lockAvailable ? "lock" : "lock refused");
                                    return lockAvailable;
                                  },
                                  note("unlock"), [this] { return rateHz; }, note("1s"), note("5Hz"), note("10Hz"),
                                  note("25Hz"), note("bc"), note("tick")});
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

const Events kAll = {"lock", "1s", "5Hz", "10Hz", "25Hz", "bc", "tick", "unlock"};

// Each task runs once its period has passed (exactly the period counts), all in one fixed order
// under one lock, and every working tick publishes its time.
TEST_F(MasterTimerScheduleTest, TasksRunInOrderUnderOneLockWhenDue) {
  MasterTimerSchedule schedule = Working();
  const struct {
    double time;
    Events events;
  } rows[] = {
      {0.01, {"lock", "bc", "tick", "unlock"}},
      {0.03125, {"lock", "tick", "unlock"}},
      {0.1, {"lock", "10Hz", "25Hz", "tick", "unlock"}},
      {0.2, {"lock", "5Hz", "10Hz", "25Hz", "tick", "unlock"}},
      {0.25, {"lock", "25Hz", "tick", "unlock"}},  // broadcast at 4 Hz: 0.24 s after its first run
      {1.0, kAll},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(TickAt(schedule, row.time), row.events) << row.time;
    EXPECT_EQ(config::gApp.MasterTimerCurrentTime.load(), row.time);
  }
}

TEST_F(MasterTimerScheduleTest, NoCatchUpAfterALongStall) {
  MasterTimerSchedule schedule = Working();
  TickAt(schedule, 1.0);
  // 5.5 s late: each task runs once, and its next run is one period after this tick, not on the
  // old grid.
  EXPECT_EQ(TickAt(schedule, 6.5), kAll);
  EXPECT_EQ(TickAt(schedule, 6.53), (Events{"lock", "tick", "unlock"}));
  EXPECT_EQ(TickAt(schedule, 7.5), kAll);
}

// While closing or while a card is reconfigured a tick does not even read the clock; without the
// lock it runs nothing and gives back nothing, and the tasks stay due for the next tick.
TEST_F(MasterTimerScheduleTest, IdleTicksRunNoTask) {
  MasterTimerSchedule schedule = Working();
  for (std::atomic<bool>* flag : {&util::ClosingFlag, &config::gApp.ReconfigurationPending}) {
    flag->store(true);
    EXPECT_EQ(TickAt(schedule, 3.0), Events{});
    EXPECT_EQ(config::gApp.MasterTimerCurrentTime.load(), 0.0);
    flag->store(false);
  }
  lockAvailable = false;
  EXPECT_EQ(TickAt(schedule, 3.0), (Events{"lock refused"}));
  EXPECT_EQ(config::gApp.MasterTimerCurrentTime.load(), 3.0);
  lockAvailable = true;
  EXPECT_EQ(TickAt(schedule, 3.01), kAll);
}

// The broadcast period is taken from the rate at each broadcast run, kept within 1..20 Hz.
TEST_F(MasterTimerScheduleTest, BroadcastRateIsKeptInRange) {
  rateHz = 100;
  MasterTimerSchedule schedule = Working();
  TickAt(schedule, 0.01);
  EXPECT_DOUBLE_EQ(schedule.BroadcastPeriod(), 0.05);
  rateHz = 0;
  TickAt(schedule, 0.1);
  EXPECT_DOUBLE_EQ(schedule.BroadcastPeriod(), 1.0);
}

}  // namespace
