#include "platform/profile_file.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <optional>
#include <system_error>
#include <utility>

#include "platform/regular_file.h"

namespace platform {
namespace {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  // Closing reports the late write errors of some file systems, so the writer checks it.
  bool Close() {
    const int fd = std::exchange(fd_, -1);
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

std::string ErrorText(int error) { return std::error_code(error, std::generic_category()).message(); }

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t done = ::write(fd, bytes.data(), bytes.size());
    if (done < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(done));
  }
  return true;
}

}  // namespace

FileIdentity FileIdentity::Of(const struct stat& st) {
  return FileIdentity{true, st.st_dev, st.st_ino, st.st_size, st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
}

bool FileIdentity::Now(const std::string& path, FileIdentity& identity) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) {
    identity = Of(st);
    return true;
  }
  identity = FileIdentity{};
  return errno == ENOENT || errno == ENOTDIR;
}

LoadedFile LoadProfileFile(const std::string& path) {
  LoadedFile loaded;
  ReadFileStatus status = ReadFileStatus::kMissing;
  FileDescriptor fd(OpenRegularFile(path, kProfileFileLimit, status, loaded.why));
  if (fd.get() < 0) {
    loaded.status = status == ReadFileStatus::kMissing ? LoadStatus::kMissing : LoadStatus::kRefused;
    if (status == ReadFileStatus::kMissing) loaded.why.clear();
    return loaded;
  }
  loaded.status = LoadStatus::kRefused;
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) {
    loaded.why = path + ": " + ErrorText(errno);
    return loaded;
  }
  // The identity comes from the open file, so a rewrite racing with this read shows as a change
  // at the next access instead of being taken for what we parsed.
  loaded.identity = FileIdentity::Of(st);
  loaded.bytes.reserve(static_cast<std::size_t>(st.st_size));
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      loaded.why = path + ": " + ErrorText(errno);
      loaded.bytes.clear();
      return loaded;
    }
    if (got == 0) break;
    // A file that grows while it is read is held to the limit as well.
    if (loaded.bytes.size() + static_cast<std::size_t>(got) > kProfileFileLimit) {
      loaded.why = path + " grew beyond the " + std::to_string(kProfileFileLimit) + " bytes allowed";
      loaded.bytes.clear();
      return loaded;
    }
    loaded.bytes.append(buffer, static_cast<std::size_t>(got));
  }
  loaded.status = LoadStatus::kOk;
  return loaded;
}

bool ReplaceProfileFile(const std::string& path, std::string_view bytes, FileIdentity& identity, std::string& why) {
  static std::atomic<unsigned long> temp_counter{0};

  std::string target = path;
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) != nullptr) target = resolved;
    if (::stat(target.c_str(), &st) != 0) st.st_mode = 0;
  }
  std::optional<mode_t> keep_mode;
  if (S_ISREG(st.st_mode)) keep_mode = st.st_mode & 07777;

  const std::string temp = target + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(++temp_counter);
  FileDescriptor fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (fd.get() < 0) {
    why = "cannot create " + temp + ": " + ErrorText(errno);
    return false;
  }
  struct stat written {};
  const auto fail = [&](const char* step) {
    why = std::string(step) + " " + temp + ": " + ErrorText(errno);
    ::unlink(temp.c_str());
    return false;
  };
  if (keep_mode && ::fchmod(fd.get(), *keep_mode) != 0) return fail("cannot set the mode of");
  if (!WriteAll(fd.get(), bytes)) return fail("cannot write");
  if (::fsync(fd.get()) != 0) return fail("cannot flush");
  if (::fstat(fd.get(), &written) != 0) return fail("cannot stat");
  if (!fd.Close()) return fail("cannot close");
  if (::rename(temp.c_str(), target.c_str()) != 0) return fail("cannot rename");
  identity = FileIdentity::Of(written);

  // Makes the rename itself durable. The new file is in place whatever this gives, and some
  // file systems cannot sync a folder, so a failure here does not fail the write.
  FileDescriptor folder(::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.get() >= 0) ::fsync(folder.get());
  return true;
}

}  // namespace platform
