#pragma once
// The simulated time of one library, in whole nanoseconds. It follows the monotonic clock unless
// a test switches it to manual, where it only moves by Advance; switching back continues from
// the manual time, so the simulated time never runs backwards. Whole numbers keep the steps of
// a driven run exact, whatever the time was when it began.
#include <chrono>
#include <cstdint>
#include <mutex>

namespace quorxsim {

class SimClock {
 public:
  static SimClock& Instance();

  std::int64_t NowNs();
  void UseManual(bool manual);
  // Moves the manual clock on; false (nothing changes) for a negative, non-finite or huge step,
  // or while the clock follows the real one.
  bool Advance(double seconds);

 private:
  std::int64_t RealNs() const;

  std::mutex mutex_;
  std::chrono::steady_clock::time_point origin_ = std::chrono::steady_clock::now();
  bool manual_ = false;
  std::int64_t manualNs_ = 0;
  std::int64_t offsetNs_ = 0;
};

}  // namespace quorxsim
