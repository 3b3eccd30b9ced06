#pragma once
// A lock that one process at a time can hold, named like the program's single-instance mutexes.
// It is an flock() on a file named after the lock in $XDG_RUNTIME_DIR (or a private folder under
// /tmp), so the kernel frees it when the holding process dies, however it dies.
#include <memory>
#include <string>

namespace platform {

class InstanceLock {
 public:
  // Takes the lock when no other process holds it; nullptr when one does or the lock file cannot
  // be made. `folder` empty means the default folder.
  static std::unique_ptr<InstanceLock> TryAcquire(const std::string& name, const std::string& folder = {});
  // True while another process (or another InstanceLock object) holds the lock.
  static bool IsHeld(const std::string& name, const std::string& folder = {});
  // The folder that holds the lock files.
  static std::string DefaultFolder();

  // Only TryAcquire can name the key, so only it makes locks.
  class Key {
    friend class InstanceLock;
    Key() = default;
  };
  InstanceLock(Key, int fd);
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

 private:
  int fd_;
};

// The name of the second lock a program holds while its main window exists.
std::string MainWindowLockName(const std::string& programName);

}  // namespace platform
