#pragma once
// The program's clock: seconds as a double from a monotonic source. Linux timers already have
// a fine period, so unlike the old platform nothing has to be raised while the clock exists.
#include <chrono>
#include <memory>

namespace util {

class bormulttimerclass {
 public:
  bormulttimerclass();  // started at once
  void Start();         // time counts from now
  double Now() const;   // seconds since the start

 private:
  std::chrono::steady_clock::time_point start_;
};

// The current time of the clock in seconds; 0 when there is no clock.
double ClockNow(const bormulttimerclass* clock);

// The program's clock, created at start-up and deleted at shut-down.
extern std::unique_ptr<bormulttimerclass> gHiresTimer;

}  // namespace util
