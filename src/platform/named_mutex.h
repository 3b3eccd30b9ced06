#pragma once
// Named mutexes with the semantics of Windows mutexes, inside this process: every handle opened
// on one name reaches the same mutex, the owning thread may take it again (each take needs its
// own release), a release by a thread that does not own it fails, and a handle may be closed
// while the mutex is held (the mutex lives while any handle does).
#include <chrono>
#include <memory>
#include <string>

namespace platform {

class NamedMutexState;

enum class MutexWait { Acquired, TimedOut };

class NamedMutex {
 public:
  // Opens (creating when needed) the mutex of that name.
  explicit NamedMutex(const std::string& name);
  ~NamedMutex();
  NamedMutex(NamedMutex&&) noexcept;
  NamedMutex& operator=(NamedMutex&&) noexcept;

  // Waits up to `timeout` to own the mutex; the owner gets it again at once.
  MutexWait Wait(std::chrono::milliseconds timeout);
  // Gives up one take; false when the calling thread does not own the mutex.
  bool Release();

  const std::string& Name() const;

 private:
  std::shared_ptr<NamedMutexState> state_;
};

}  // namespace platform
