#include "platform/named_mutex.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <unordered_map>
#include <utility>

namespace platform {
namespace {

// Identifies the calling thread for ownership. Unlike std::thread::id it is never reused, so a
// thread started after the owner ended without releasing does not inherit the mutex.
std::uint64_t ThreadToken() {
  static std::atomic<std::uint64_t> next{1};
  thread_local const std::uint64_t token = next.fetch_add(1);
  return token;
}

}  // namespace

class NamedMutexState {
 public:
  explicit NamedMutexState(std::string name) : name_(std::move(name)) {}

  MutexWait Wait(std::chrono::milliseconds timeout) {
    const std::uint64_t me = ThreadToken();
    std::unique_lock lock(mutex_);
    if (count_ > 0 && owner_ == me) {
      ++count_;
      return MutexWait::Acquired;
    }
    const auto isFree = [this] { return count_ == 0; };
    if (timeout <= std::chrono::milliseconds::zero()) {
      if (!isFree()) return MutexWait::TimedOut;
    } else if (timeout >= kNoLimit) {
      // Adding a huge time-out to the clock would overflow; this long is "no limit" anyway.
      released_.wait(lock, isFree);
    } else if (!released_.wait_for(lock, timeout, isFree)) {
      return MutexWait::TimedOut;
    }
    owner_ = me;
    count_ = 1;
    return MutexWait::Acquired;
  }

  bool Release() {
    std::lock_guard lock(mutex_);
    if (count_ == 0 || owner_ != ThreadToken()) return false;
    if (--count_ == 0) {
      owner_ = 0;
      released_.notify_all();
    }
    return true;
  }

  const std::string& Name() const { return name_; }

 private:
  static constexpr std::chrono::milliseconds kNoLimit = std::chrono::hours(24 * 365);

  const std::string name_;
  std::mutex mutex_;
  std::condition_variable released_;
  std::uint64_t owner_ = 0;  // valid while count_ > 0
  int count_ = 0;
};

namespace {

// Name -> the mutex while any handle on it is open. Entries of closed mutexes are removed when
// their last handle closes.
struct Registry {
  std::mutex mutex;
  std::unordered_map<std::string, std::weak_ptr<NamedMutexState>> states;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

std::shared_ptr<NamedMutexState> Open(const std::string& name) {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  std::weak_ptr<NamedMutexState>& entry = registry.states[name];
  std::shared_ptr<NamedMutexState> state = entry.lock();
  if (!state) {
    state = std::make_shared<NamedMutexState>(name);
    entry = state;
  }
  return state;
}

void Close(std::shared_ptr<NamedMutexState>& state) {
  if (!state) return;
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  const std::string name = state->Name();
  state.reset();
  // Another handle may have been opened on the name meanwhile; only a dead entry goes.
  auto it = registry.states.find(name);
  if (it != registry.states.end() && it->second.expired()) registry.states.erase(it);
}

}  // namespace

NamedMutex::NamedMutex(const std::string& name) : state_(Open(name)) {}

NamedMutex::~NamedMutex() { Close(state_); }

NamedMutex::NamedMutex(NamedMutex&& other) noexcept : state_(std::move(other.state_)) {}

NamedMutex& NamedMutex::operator=(NamedMutex&& other) noexcept {
  if (this != &other) {
    Close(state_);
    state_ = std::move(other.state_);
  }
  return *this;
}

MutexWait NamedMutex::Wait(std::chrono::milliseconds timeout) {
  if (!state_) return MutexWait::TimedOut;  // a moved-from handle reaches no mutex
  return state_->Wait(timeout);
}

bool NamedMutex::Release() { return state_ && state_->Release(); }

const std::string& NamedMutex::Name() const {
  static const std::string none;
  return state_ ? state_->Name() : none;
}

}  // namespace platform
