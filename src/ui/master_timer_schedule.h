#pragma once
// The scheduling core of the main window's 10 ms master timer, free of Qt. The main window's
// QTimer calls Tick() on every timeout; the schedule decides whether the tick works and which of
// the five periodic tasks fall due, and runs them in order under the card command lock.
#include <array>
#include <cstddef>
#include <functional>

namespace ui {

// The five periodic tasks, in the order a tick runs them.
enum class MasterTimerTask : std::size_t {
  OneSecond = 0,
  FiveHz = 1,
  TenHz = 2,
  TwentyFiveHz = 3,
  Broadcast = 4,
};
inline constexpr std::size_t kMasterTimerTaskCount = 5;

// The fixed periods of the first four tasks, in seconds.
inline constexpr double kOneSecondPeriod = 1.0;
inline constexpr double kFiveHzPeriod = 0.2;
inline constexpr double kTenHzPeriod = 0.1;
inline constexpr double kTwentyFiveHzPeriod = 0.04;

// The range the broadcast rate is kept in (Hz); a rate outside it is clamped.
inline constexpr int kMinBroadcastRateHz = 1;
inline constexpr int kMaxBroadcastRateHz = 20;

// Everything the schedule reaches outside itself. Empty callables are allowed: an empty clock
// means "there is no clock" (no tick works), an empty lock is never had, an empty task or unlock
// does nothing, an empty broadcast rate counts as the lowest rate.
struct MasterTimerHooks {
  std::function<double()> clock;          // seconds of the program clock
  std::function<bool()> lock;             // FpgaCmdLock: true when the card command lock is had
  std::function<void()> unlock;           // FpgaCmdUnlock
  std::function<int()> broadcastRateHz;   // the network manager's broadcast rate
  std::function<void()> oneSecondTask;    // DoOneSecondTasks
  std::function<void()> fiveHzTask;       // DoFiveHzTasks
  std::function<void()> tenHzTask;        // DoTenHzTasks
  std::function<void()> twentyFiveHzTask; // DoTwentyFiveHzTasks
  std::function<void()> broadcastTask;    // DoBroadcastTasks
  std::function<void()> everyWorkingTick; // after the due tasks of every working tick
};

class MasterTimerSchedule {
 public:
  explicit MasterTimerSchedule(MasterTimerHooks hooks);

  // The window's start-up-begun flag (cleared while the option and hardware dialogs are open).
  void SetStartupBegun(bool begun) { startupBegun_ = begun; }
  bool StartupBegun() const { return startupBegun_; }

  // The card-tasks-enabled flag.
  void SetCardTasksEnabled(bool enabled) { cardTasksEnabled_ = enabled; }
  bool CardTasksEnabled() const { return cardTasksEnabled_; }

  // One timer tick. Returns true for a working tick: the card command lock was had, the due
  // tasks ran and the lock was given back.
  bool Tick();

  // The current time of the last tick that read the clock (0 until then).
  double CurrentTime() const { return currentTime_; }
  // The last-run time of a task (0 until it first runs).
  double LastRun(MasterTimerTask task) const { return lastRun_[static_cast<std::size_t>(task)]; }
  // The broadcast period in seconds: 0 until the broadcast task first runs.
  double BroadcastPeriod() const { return broadcastPeriod_; }

 private:
  void RunIfDue(MasterTimerTask task, double period, const std::function<void()>& body);

  MasterTimerHooks hooks_;
  bool startupBegun_ = false;
  bool cardTasksEnabled_ = false;
  double currentTime_ = 0.0;
  std::array<double, kMasterTimerTaskCount> lastRun_{};
  double broadcastPeriod_ = 0.0;
};

}  // namespace ui
