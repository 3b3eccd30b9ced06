#include "ui/master_timer_schedule.h"

#include <algorithm>
#include <utility>

#include "config/globals.h"
#include "util/process_globals.h"

namespace ui {

MasterTimerSchedule::MasterTimerSchedule(MasterTimerHooks hooks) : hooks_(std::move(hooks)) {}

bool MasterTimerSchedule::Tick() {
  if (util::ClosingFlag.load() || !startupBegun_ || !hooks_.clock ||
      config::gApp.ReconfigurationPending.load()) {
    return false;
  }

  currentTime_ = hooks_.clock();
  config::gApp.MasterTimerCurrentTime.store(currentTime_);

  if (!cardTasksEnabled_ || !hooks_.lock || !hooks_.lock()) {
    return false;
  }

  RunIfDue(MasterTimerTask::OneSecond, kOneSecondPeriod, hooks_.oneSecondTask);
  RunIfDue(MasterTimerTask::FiveHz, kFiveHzPeriod, hooks_.fiveHzTask);
  RunIfDue(MasterTimerTask::TenHz, kTenHzPeriod, hooks_.tenHzTask);
  RunIfDue(MasterTimerTask::TwentyFiveHz, kTwentyFiveHzPeriod, hooks_.twentyFiveHzTask);
  RunIfDue(MasterTimerTask::Broadcast, broadcastPeriod_, hooks_.broadcastTask);
  if (hooks_.everyWorkingTick) {
    hooks_.everyWorkingTick();
  }

  if (hooks_.unlock) {
    hooks_.unlock();
  }
  return true;
}

void MasterTimerSchedule::RunIfDue(MasterTimerTask task, double period,
                                   const std::function<void()>& body) {
  double& lastRun = lastRun_[static_cast<std::size_t>(task)];
  if (!(currentTime_ - lastRun >= period)) {
    return;
  }
  // No catch-up: a late task runs once and its next run is one period after this tick.
  lastRun = currentTime_;
  if (task == MasterTimerTask::Broadcast) {
    int rateHz = hooks_.broadcastRateHz ? hooks_.broadcastRateHz() : kMinBroadcastRateHz;
    rateHz = std::clamp(rateHz, kMinBroadcastRateHz, kMaxBroadcastRateHz);
    broadcastPeriod_ = 1.0 / static_cast<double>(rateHz);
  }
  if (body) {
    body();
  }
}

}  // namespace ui
