#pragma once
// Reading a whole file the program depends on without ever blocking on it: the file is opened
// non-blocking and refused unless it is a regular file, so a FIFO or a device put in its place
// cannot stall start-up, and a file above the caller's size limit is refused before it is read.
#include <cstddef>
#include <string>

namespace platform {

enum class ReadFileStatus {
  kOk,
  kMissing,     // no such file (or a folder of the path is missing)
  kNotRegular,  // a folder, FIFO, device or socket
  kTooLarge,    // larger than the limit
  kUnreadable,  // open or read failed for another reason
};

struct ReadFileResult {
  ReadFileStatus status = ReadFileStatus::kMissing;
  std::string bytes;  // the whole content when status is kOk
  std::string why;    // for a log line when status is neither kOk nor kMissing
};

// Reads the whole of `path` when it is a regular file of at most `maxBytes` bytes.
ReadFileResult ReadRegularFile(const std::string& path, std::size_t maxBytes);

// Opens `path` for reading when it is a regular file of at most `maxBytes` bytes: the descriptor
// (blocking mode restored, close-on-exec), or -1 with `status` and `why` saying why not.
int OpenRegularFile(const std::string& path, std::size_t maxBytes, ReadFileStatus& status, std::string& why);

}  // namespace platform
