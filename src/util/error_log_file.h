#pragma once
// The error log's file on disk: only ever a regular file of the log's own, holding whole lines.
// Its name is opened without following links, and a new log is always a file this program
// creates: a link, FIFO, device or socket at the name is removed (never what it points to). A
// line that cannot be written whole is taken back, so neither the log nor its older copy ends in
// half a line, and only bytes written are counted.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace util {

// The call that writes the log's bytes: ::write's contract (bytes written, or -1 with errno).
using ErrorLogWriteCall = std::function<long(int fd, const void* data, std::size_t size)>;

class ErrorLogFile {
 public:
  ErrorLogFile() = default;
  ~ErrorLogFile() { Close(); }
  ErrorLogFile(const ErrorLogFile&) = delete;
  ErrorLogFile& operator=(const ErrorLogFile&) = delete;

  // Starts a new empty log at `path`, keeping the log found there as `path` + ".old" (replacing
  // the copy before). When that log cannot be moved it is emptied in place and `note` says why.
  // False with `why` when no log could be opened.
  bool Open(const std::string& path, std::string& why, std::string& note);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }
  const std::string& Path() const { return path_; }
  std::string OldPath() const;
  // Bytes in the file.
  std::uint64_t Size() const { return size_; }

  // Writes `bytes` whole, or leaves the file as it was: false with `why`.
  bool Append(const std::string& bytes, std::string& why);
  // Moves the log to its older copy and goes on in a new file under its name; when the name
  // cannot be moved or opened again the log is emptied in place: false with `why`.
  bool MoveToOld(std::string& why);
  // Empties the log in place.
  bool Empty();

  // Replaces the write call (::write when null); returns the one it replaces.
  ErrorLogWriteCall SetWriteCall(ErrorLogWriteCall call);

 private:
  long Write(const void* data, std::size_t size);

  int fd_ = -1;
  std::string path_;
  std::uint64_t size_ = 0;
  ErrorLogWriteCall write_;
};

}  // namespace util
