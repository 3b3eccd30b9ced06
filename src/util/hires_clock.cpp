#include "util/hires_clock.h"

namespace util {

std::unique_ptr<bormulttimerclass> gHiresTimer;

bormulttimerclass::bormulttimerclass() { Start(); }

void bormulttimerclass::Start() { start_ = std::chrono::steady_clock::now(); }

double bormulttimerclass::Now() const {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

double ClockNow(const bormulttimerclass* clock) { return clock ? clock->Now() : 0.0; }

}  // namespace util
