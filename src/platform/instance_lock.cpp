#include "platform/instance_lock.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <charconv>

// Lock files stay on disk after release: removing one would race with another process that has
// just opened it and would then lock a file nobody else can find.

namespace platform {
namespace {

bool IsWritableFolder(const char* path) {
  struct stat info {};
  return stat(path, &info) == 0 && S_ISDIR(info.st_mode) && access(path, W_OK | X_OK) == 0;
}

// The private fallback folder: created 0700; an existing one is used only when it is a real
// folder (not a symbolic link) owned by us, so nobody else can plant or hold our lock files.
bool IsPrivateFolder(const std::string& path) {
  if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0) return false;
  if (!S_ISDIR(info.st_mode) || info.st_uid != geteuid()) return false;
  if ((info.st_mode & 0077) != 0 && chmod(path.c_str(), 0700) != 0) return false;
  return true;
}

// A lock name is one file name: no separator, not "." or "..".
bool IsValidName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\0') == std::string::npos;
}

std::string LockFilePath(const std::string& name, const std::string& folder) {
  if (!IsValidName(name)) return {};
  const std::string base = folder.empty() ? InstanceLock::DefaultFolder() : folder;
  if (base.empty()) return {};
  return base + "/" + name + ".lock";
}

int OpenLockFile(const std::string& path, int flags) {
  int fd;
  do {
    fd = open(path.c_str(), flags | O_CLOEXEC | O_NOFOLLOW, 0600);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

bool LockNow(int fd, int operation) {
  int result;
  do {
    result = flock(fd, operation | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  return result == 0;
}

}  // namespace

std::string InstanceLock::DefaultFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/' && IsWritableFolder(runtime)) return runtime;

  char uid[16];
  const auto [end, ec] = std::to_chars(uid, uid + sizeof uid, static_cast<unsigned long>(geteuid()));
  if (ec != std::errc()) return {};
  std::string folder = "/tmp/quorxl-" + std::string(uid, end);
  return IsPrivateFolder(folder) ? folder : std::string();
}

std::unique_ptr<InstanceLock> InstanceLock::TryAcquire(const std::string& name, const std::string& folder) {
  const std::string path = LockFilePath(name, folder);
  if (path.empty()) return nullptr;
  const int fd = OpenLockFile(path, O_RDWR | O_CREAT);
  if (fd < 0) return nullptr;
  // flock locks belong to the open file description, so a second open in this very process
  // conflicts as well: one holder per name, in this process as in any other.
  if (!LockNow(fd, LOCK_EX)) {
    close(fd);
    return nullptr;
  }
  return std::make_unique<InstanceLock>(Key{}, fd);
}

bool InstanceLock::IsHeld(const std::string& name, const std::string& folder) {
  const std::string path = LockFilePath(name, folder);
  if (path.empty()) return false;
  const int fd = OpenLockFile(path, O_RDONLY);
  if (fd < 0) return false;  // no lock file: nobody ever took it
  // The probe takes a shared lock for an instant; a TryAcquire that falls exactly into that
  // instant fails, as it would against any short-lived holder.
  const bool held = !LockNow(fd, LOCK_SH);
  close(fd);  // also drops the probe's lock
  return held;
}

InstanceLock::InstanceLock(Key, int fd) : fd_(fd) {}

InstanceLock::~InstanceLock() { close(fd_); }

std::string MainWindowLockName(const std::string& programName) { return programName + "_MainWindow"; }

}  // namespace platform
