#include "util/error_log_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "util/error_log.h"

namespace util {

namespace {

constexpr const char* kNotRegular = "not a regular file";

// Opens the log's name without following a link and without waiting on a FIFO; `create` takes
// only a file made now, otherwise a regular file there is emptied. A file with another name too
// (a hard link) is refused: emptying or writing it would change that other file.
int OpenDescriptor(const std::string& path, bool create, std::string& why) {
  const int flags = O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY | (create ? O_EXCL : 0);
  const int fd = ::open(path.c_str(), flags, 0644);
  if (fd < 0) {
    why = (errno == ELOOP || errno == ENXIO) ? kNotRegular : std::strerror(errno);
    return -1;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink != 1) {
    why = kNotRegular;
    ::close(fd);
    return -1;
  }
  const int status = ::fcntl(fd, F_GETFL);
  if (status < 0 || ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0 || (!create && ::ftruncate(fd, 0) != 0)) {
    why = std::strerror(errno);
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

bool ErrorLogFile::Open(const std::string& path, std::string& why, std::string& note) {
  Close();
  const std::string old = path + kErrorLogOldSuffix;
  bool create = true;
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) {
      why = kNotRegular;
      return false;
    }
    if (!S_ISREG(st.st_mode)) {
      // A link, FIFO, device or socket: only the name goes, whatever it leads to stays as it is.
      if (::unlink(path.c_str()) != 0) {
        why = std::strerror(errno);
        return false;
      }
    } else if (::rename(path.c_str(), old.c_str()) != 0) {
      // The previous run's lines are kept when they can be; the log must start all the same.
      note = "Previous error log not kept as " + old + " (" + std::strerror(errno) + ")";
      create = false;
    }
  }
  fd_ = OpenDescriptor(path, create, why);
  if (fd_ < 0) return false;
  path_ = path;
  size_ = 0;
  return true;
}

void ErrorLogFile::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  path_.clear();
  size_ = 0;
}

std::string ErrorLogFile::OldPath() const { return path_ + kErrorLogOldSuffix; }

long ErrorLogFile::Write(const void* data, std::size_t size) {
  return write_ ? write_(fd_, data, size) : ::write(fd_, data, size);
}

bool ErrorLogFile::Append(const std::string& bytes, std::string& why) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const long wrote = Write(bytes.data() + done, bytes.size() - done);
    if (wrote > 0) {
      done += static_cast<std::size_t>(wrote);
      continue;
    }
    if (wrote < 0 && errno == EINTR) continue;
    why = wrote < 0 ? std::strerror(errno) : "nothing written";
    // What part went in is taken back: the file holds whole lines only.
    if (done > 0 && ::ftruncate(fd_, static_cast<off_t>(size_)) != 0) {
      why += ", part of a line left";
    }
    ::lseek(fd_, static_cast<off_t>(size_), SEEK_SET);
    return false;
  }
  size_ += done;
  return true;
}

bool ErrorLogFile::MoveToOld(std::string& why) {
  const std::string old = OldPath();
  if (::rename(path_.c_str(), old.c_str()) != 0) {
    why = std::strerror(errno);
  } else {
    const int fresh = OpenDescriptor(path_, true, why);
    if (fresh >= 0) {
      ::close(fd_);
      fd_ = fresh;
      size_ = 0;
      return true;
    }
    // The lines go on under the log's own name.
    ::rename(old.c_str(), path_.c_str());
  }
  Empty();
  return false;
}

bool ErrorLogFile::Empty() {
  if (fd_ < 0 || ::ftruncate(fd_, 0) != 0) return false;
  ::lseek(fd_, 0, SEEK_SET);
  size_ = 0;
  return true;
}

ErrorLogWriteCall ErrorLogFile::SetWriteCall(ErrorLogWriteCall call) { return std::exchange(write_, std::move(call)); }

}  // namespace util
