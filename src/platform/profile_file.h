#pragma once
// Reading and replacing whole INI files on disk for the profile store: a read never blocks and
// takes only regular files up to kProfileFileLimit bytes; a replacement reaches the disk whole
// (temporary file "<file>.tmp<pid>-<n>", fsync, rename, folder fsync), so the file is at every
// moment either the old or the new whole file.
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

struct stat;

namespace platform {

// The largest INI file the store reads. The program's own files are far below 1 MiB; anything
// above 8 MiB is not one of them, and refusing it keeps a junk file from eating memory and time.
inline constexpr std::size_t kProfileFileLimit = std::size_t{8} << 20;

// What tells us that another process replaced or rewrote a file since we parsed it.
struct FileIdentity {
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  std::int64_t mtime_sec = 0;
  std::int64_t mtime_nsec = 0;

  static FileIdentity Of(const struct stat& st);
  // The identity of the file at `path` now (exists == false when there is none); false when it
  // cannot be told (the path cannot be looked up for another reason than a missing file).
  static bool Now(const std::string& path, FileIdentity& identity);
  bool operator==(const FileIdentity&) const = default;
};

enum class LoadStatus { kOk, kMissing, kRefused };

struct LoadedFile {
  LoadStatus status = LoadStatus::kMissing;
  FileIdentity identity;  // of the file the bytes came from
  std::string bytes;
  std::string why;        // kRefused: the file and the reason, for a log line
};

// The whole file. kRefused for files that are not regular, larger than kProfileFileLimit, or
// cannot be opened or read (a writer must not replace what it could not read).
LoadedFile LoadProfileFile(const std::string& path);

// Puts `bytes` on disk as the whole new content of `path`. A symbolic link stays a link (the file
// it points at gets the content) and the file keeps its mode. On success `identity` is the new
// file's; on failure the old file is untouched, no temporary file is left and `why` says why.
bool ReplaceProfileFile(const std::string& path, std::string_view bytes, FileIdentity& identity, std::string& why);

}  // namespace platform
