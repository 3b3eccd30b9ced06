#include "platform/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <utility>

namespace platform {
namespace {

std::string ErrorText(int error) { return std::error_code(error, std::generic_category()).message(); }

}  // namespace

int OpenRegularFile(const std::string& path, std::size_t maxBytes, ReadFileStatus& status, std::string& why) {
  // O_NONBLOCK makes opening a FIFO return at once instead of waiting for a writer.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    const int error = errno;
    status = (error == ENOENT || error == ENOTDIR) ? ReadFileStatus::kMissing : ReadFileStatus::kUnreadable;
    why = path + ": " + ErrorText(error);
    return -1;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    status = ReadFileStatus::kUnreadable;
    why = path + ": " + ErrorText(errno);
    ::close(fd);
    return -1;
  }
  if (!S_ISREG(st.st_mode)) {
    status = ReadFileStatus::kNotRegular;
    why = path + " is not a regular file";
    ::close(fd);
    return -1;
  }
  if (static_cast<unsigned long long>(st.st_size) > maxBytes) {
    status = ReadFileStatus::kTooLarge;
    why = path + " is " + std::to_string(st.st_size) + " bytes, more than the " + std::to_string(maxBytes) +
          " allowed";
    ::close(fd);
    return -1;
  }
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  status = ReadFileStatus::kOk;
  return fd;
}

ReadFileResult ReadRegularFile(const std::string& path, std::size_t maxBytes) {
  ReadFileResult result;
  const int fd = OpenRegularFile(path, maxBytes, result.status, result.why);
  if (fd < 0) return result;
  struct stat st {};
  if (::fstat(fd, &st) == 0) result.bytes.reserve(static_cast<std::size_t>(st.st_size));
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      result.status = ReadFileStatus::kUnreadable;
      result.why = path + ": " + ErrorText(errno);
      result.bytes.clear();
      break;
    }
    if (got == 0) break;
    // A file that grows while it is read is still held to the limit.
    if (result.bytes.size() + static_cast<std::size_t>(got) > maxBytes) {
      result.status = ReadFileStatus::kTooLarge;
      result.why = path + " grew beyond the " + std::to_string(maxBytes) + " bytes allowed";
      result.bytes.clear();
      break;
    }
    result.bytes.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fd);
  return result;
}

}  // namespace platform
