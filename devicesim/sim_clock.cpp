#include "devicesim/sim_clock.h"

#include <cmath>

namespace quorxsim {

SimClock& SimClock::Instance() {
  static SimClock clock;
  return clock;
}

std::int64_t SimClock::RealNs() const {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - origin_).count();
}

std::int64_t SimClock::NowNs() {
  std::lock_guard lock(mutex_);
  return manual_ ? manualNs_ : RealNs() + offsetNs_;
}

void SimClock::UseManual(bool manual) {
  std::lock_guard lock(mutex_);
  if (manual == manual_) return;
  if (manual) {
    manualNs_ = RealNs() + offsetNs_;
  } else {
    offsetNs_ = manualNs_ - RealNs();
  }
  manual_ = manual;
}

bool SimClock::Advance(double seconds) {
  // A year is far more than any test drives; the bound keeps the sums exact enough.
  if (!std::isfinite(seconds) || seconds < 0.0 || seconds > 3.2e7) return false;
  std::lock_guard lock(mutex_);
  if (!manual_) return false;
  manualNs_ += std::llround(seconds * 1e9);
  return true;
}

}  // namespace quorxsim
