#include "net/interface_thread_handoff.h"

#include "util/process_globals.h"

namespace net {

namespace {
// How often the waiting thread looks at the closing flag.
constexpr std::chrono::milliseconds kWaitSlice{20};
}  // namespace

bool InterfaceThreadJob::Begin() {
  std::lock_guard lock(mutex_);
  if (state_ != State::Pending) return false;
  state_ = State::Running;
  return true;
}

void InterfaceThreadJob::End(const std::function<void()>& deliver) {
  {
    // Held while delivering: the waiter cannot give up half-way through.
    std::lock_guard lock(mutex_);
    if (state_ != State::Running) return;
    deliver();
    state_ = State::Done;
  }
  changed_.notify_all();
}

void InterfaceThreadJob::Abandon() {
  std::lock_guard lock(mutex_);
  if (state_ == State::Pending) state_ = State::Abandoned;
}

InterfaceThreadJob::Outcome InterfaceThreadJob::Wait(std::chrono::milliseconds startLimit,
                                                     const std::atomic<bool>& stop) {
  const auto limit = std::chrono::steady_clock::now() + startLimit;
  std::unique_lock lock(mutex_);
  while (state_ != State::Done) {
    const bool closing = util::ClosingFlag.load() || stop.load();
    const bool late = state_ == State::Pending && std::chrono::steady_clock::now() >= limit;
    if (closing || late) {
      state_ = state_ == State::Pending ? State::Abandoned : State::GivenUp;
      return closing ? Outcome::Closing : Outcome::TimedOut;
    }
    changed_.wait_for(lock, kWaitSlice);
  }
  return Outcome::Done;
}

}  // namespace net
