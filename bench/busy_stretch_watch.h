// The interface thread's longest busy stretch: the time between one of its waiting polls
// returning and the next beginning. The event loop waits in poll() or ppoll() (the Qt and glib
// dispatchers alike); the definitions below stand in front of the C library's and time the
// interface thread's waits, so include this header in one file of a benchmark program only. A poll
// that does not wait (a nested processEvents) does not end a busy stretch.
#pragma once

#include <dlfcn.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>

namespace benchwatch {

class BusyStretchWatch {
 public:
  using Clock = std::chrono::steady_clock;

  // From now on the calling thread's busy stretches are measured.
  static void Start() {
    uiThread_ = pthread_self();
    waitEnded_ = {};
    longestMs_ = 0.0;
    watching_ = true;
  }
  static void Stop() { watching_ = false; }
  static double LongestMs() { return longestMs_; }

  template <class Call>
  static int TimedWait(bool waits, Call call) {
    if (!waits || !watching_.load(std::memory_order_relaxed) || !pthread_equal(pthread_self(), uiThread_)) {
      return call();
    }
    const Clock::time_point begin = Clock::now();
    if (waitEnded_ != Clock::time_point{}) {
      longestMs_ = std::max(longestMs_, std::chrono::duration<double, std::milli>(begin - waitEnded_).count());
    }
    const int result = call();
    waitEnded_ = Clock::now();
    return result;
  }

 private:
  static inline pthread_t uiThread_{};
  static inline std::atomic<bool> watching_{false};
  static inline Clock::time_point waitEnded_{};
  static inline double longestMs_ = 0.0;
};

template <class Function>
Function Next(const char* name) {
  Function function = nullptr;
  void* symbol = dlsym(RTLD_NEXT, name);
  std::memcpy(&function, &symbol, sizeof function);
  return function;
}

}  // namespace benchwatch

extern "C" int poll(pollfd* fds, nfds_t count, int timeoutMs) {
  static const auto next = benchwatch::Next<int (*)(pollfd*, nfds_t, int)>("poll");
  return benchwatch::BusyStretchWatch::TimedWait(timeoutMs != 0, [&] { return next(fds, count, timeoutMs); });
}

extern "C" int ppoll(pollfd* fds, nfds_t count, const timespec* timeout, const sigset_t* mask) {
  static const auto next = benchwatch::Next<int (*)(pollfd*, nfds_t, const timespec*, const sigset_t*)>("ppoll");
  const bool waits = timeout == nullptr || timeout->tv_sec != 0 || timeout->tv_nsec != 0;
  return benchwatch::BusyStretchWatch::TimedWait(waits, [&] { return next(fds, count, timeout, mask); });
}
