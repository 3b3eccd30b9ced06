#include "platform/profile_store.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <system_error>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/diagnostics.h"
#include "platform/ini_document.h"
#include "platform/path_resolve.h"

namespace platform {
namespace {

// What tells us that another process replaced or rewrote a file since we parsed it.
struct FileIdentity {
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  std::int64_t mtime_sec = 0;
  std::int64_t mtime_nsec = 0;

  static FileIdentity Of(const struct stat& st) {
    return FileIdentity{true, st.st_dev, st.st_ino, st.st_size, st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
  }
  bool operator==(const FileIdentity&) const = default;
};

struct PendingWrite {
  std::string section;
  std::string key;
  std::string value;
};

struct CachedFile {
  IniDocument doc;
  FileIdentity identity;
  // Writes made inside a batch and not yet on disk. They are replayed when the file changes on
  // disk meanwhile, so the commit gives what key-by-key writing would have given.
  std::vector<PendingWrite> pending;
};

struct BatchState {
  int depth = 0;
  bool failed = false;                 // a flush inside the scope could not write
  std::vector<std::string> spellings;  // the paths the scopes were opened with
};

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

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

bool IsBlankOnly(std::string_view text) { return text.find_first_not_of(" \t") == std::string_view::npos; }

bool AcceptableEntry(std::string_view section, std::string_view key, std::string_view value) {
  return !IsBlankOnly(section) && !IsBlankOnly(key) && !HasLineBreak(section) && !HasLineBreak(key) &&
         !HasLineBreak(value) && section.find(']') == std::string_view::npos &&
         key.find('=') == std::string_view::npos;
}

enum class LoadStatus { kOk, kUnreadable };

struct Loaded {
  LoadStatus status = LoadStatus::kOk;
  FileIdentity identity;  // exists == false: no such file
  std::string bytes;
};

Loaded LoadFile(const std::string& path) {
  Loaded loaded;
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) {
    if (errno != ENOENT && errno != ENOTDIR) loaded.status = LoadStatus::kUnreadable;
    return loaded;
  }
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
    loaded.status = LoadStatus::kUnreadable;
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
      loaded.status = LoadStatus::kUnreadable;
      return loaded;
    }
    if (got == 0) break;
    loaded.bytes.append(buffer, static_cast<std::size_t>(got));
  }
  return loaded;
}

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

// Puts `bytes` on disk as the whole new content of `path`: a temporary file in the same folder,
// flushed, then renamed over the target, so readers see either the old or the new file. On
// success `identity` is the new file's identity. On failure the old file is untouched and no
// temporary file is left; the text says why.
bool ReplaceFile(const std::string& path, std::string_view bytes, FileIdentity& identity, std::string& why) {
  static std::atomic<unsigned long> temp_counter{0};

  // A symbolic link stays a link: the file it points at gets the new content.
  std::string target = path;
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) != nullptr) target = resolved;
  }
  std::optional<mode_t> keep_mode;
  if (::stat(target.c_str(), &st) == 0) keep_mode = st.st_mode & 07777;

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

class ProfileStore {
 public:
  std::string Read(const std::string& given, std::string_view section, std::string_view key,
                   std::string_view fallback, std::size_t capacity) {
    const std::size_t limit = capacity == 0 ? 0 : capacity - 1;
    std::string_view result = fallback;
    std::lock_guard lock(mutex_);
    if (const CachedFile* file = Access(KeyFor(given))) {
      if (const auto value = file->doc.Find(section, key)) result = *value;
    }
    return std::string(result.substr(0, limit));
  }

  bool Write(const std::string& given, std::string_view section, std::string_view key, std::string_view value) {
    std::unique_lock lock(mutex_);
    const bool done = WriteLocked(KeyFor(given), section, key, value);
    ReportUnlocked(lock);
    return done;
  }

  // The store key of the file; the scope's writes use it until the outermost scope ends.
  std::string BeginBatch(const std::string& given) {
    std::lock_guard lock(mutex_);
    std::string path = KeyFor(given);
    BatchState& batch = batches_[path];
    ++batch.depth;
    std::string spelling = NormalizeSeparators(given);
    batch.spellings.push_back(spelling);
    aliases_.try_emplace(std::move(spelling), path);
    return path;
  }

  bool EndBatch(const std::string& path) {
    std::unique_lock lock(mutex_);
    const bool done = EndBatchLocked(path);
    ReportUnlocked(lock);
    return done;
  }

 private:
  bool WriteLocked(const std::string& path, std::string_view section, std::string_view key, std::string_view value) {
    if (section.empty() && key.empty() && value.empty()) return Flush(path);
    if (!AcceptableEntry(section, key, value)) return false;
    CachedFile* file = Access(path);
    if (file == nullptr) return false;
    file->doc.Set(section, key, value);
    if (BatchOpen(path)) {
      file->pending.push_back(PendingWrite{std::string(section), std::string(key), std::string(value)});
      return true;
    }
    return WriteOut(path, *file);
  }

  bool EndBatchLocked(const std::string& path) {
    const auto batch = batches_.find(path);
    if (batch == batches_.end()) return true;
    if (--batch->second.depth > 0) return true;  // the outermost scope writes and answers
    const bool failed = batch->second.failed;
    for (const std::string& spelling : batch->second.spellings) {
      if (const auto alias = aliases_.find(spelling); alias != aliases_.end() && alias->second == path) {
        aliases_.erase(alias);
      }
    }
    batches_.erase(batch);
    return Flush(path) && !failed;
  }

  // Reports go out after the lock is released, so a log writer may itself use the store.
  void ReportUnlocked(std::unique_lock<std::mutex>& lock) {
    std::vector<std::string> reports = std::exchange(reports_, {});
    lock.unlock();
    for (const std::string& text : reports) ReportDiagnostic(text);
  }

  // "a\b.ini" and "A/B.INI" must reach the same existing file and the same cache entry. While a
  // scope is open its spelling maps straight to its key: resolving a file that does not exist yet
  // lists folders, which would make the hundreds of writes of a scope slow.
  std::string KeyFor(const std::string& given) const {
    std::string spelling = NormalizeSeparators(given);
    if (const auto alias = aliases_.find(spelling); alias != aliases_.end()) return alias->second;
    return ResolvePath(spelling);
  }

  bool BatchOpen(const std::string& path) const { return batches_.contains(path); }

  void MarkBatchFailed(const std::string& path) {
    if (const auto batch = batches_.find(path); batch != batches_.end()) batch->second.failed = true;
  }

  // The parsed file, reloaded when the file on disk is not the one we parsed; nullptr when the
  // file exists but cannot be read (a writer must not replace what it could not read).
  CachedFile* Access(const std::string& path) {
    auto cached = files_.find(path);
    if (cached != files_.end()) {
      struct stat st {};
      FileIdentity now;
      if (::stat(path.c_str(), &st) == 0) {
        now = FileIdentity::Of(st);
      } else if (errno != ENOENT && errno != ENOTDIR) {
        return nullptr;
      }
      if (now == cached->second.identity) return &cached->second;
    }
    Loaded loaded = LoadFile(path);
    if (loaded.status != LoadStatus::kOk) {
      if (cached != files_.end()) {
        // Pending writes cannot reach this file any more; the scope must report it.
        if (!cached->second.pending.empty()) MarkBatchFailed(path);
        files_.erase(cached);
      }
      return nullptr;
    }
    if (cached == files_.end()) cached = files_.try_emplace(path).first;
    CachedFile& file = cached->second;
    file.doc = IniDocument::Parse(loaded.bytes);
    file.identity = loaded.identity;
    for (const PendingWrite& write : file.pending) file.doc.Set(write.section, write.key, write.value);
    return &file;
  }

  bool Flush(const std::string& path) {
    const auto cached = files_.find(path);
    if (cached == files_.end() || cached->second.pending.empty()) return true;
    CachedFile* file = Access(path);
    return file != nullptr && WriteOut(path, *file);
  }

  bool WriteOut(const std::string& path, CachedFile& file) {
    std::string why;
    FileIdentity identity;
    if (ReplaceFile(path, file.doc.Serialize(), identity, why)) {
      file.identity = identity;
      file.pending.clear();
      return true;
    }
    // The disk still holds the old file; forget what did not reach it so the cache agrees.
    files_.erase(path);
    MarkBatchFailed(path);
    reports_.push_back("Profile file " + path + " not written: " + why);
    return false;
  }

  std::mutex mutex_;
  std::unordered_map<std::string, CachedFile> files_;
  std::unordered_map<std::string, BatchState> batches_;
  std::unordered_map<std::string, std::string> aliases_;  // spelling -> key, while a scope is open
  std::vector<std::string> reports_;                      // failures not yet reported
};

ProfileStore& Store() {
  static ProfileStore store;
  return store;
}

}  // namespace

std::string ReadProfileString(const std::string& file, std::string_view section, std::string_view key,
                              std::string_view fallback, std::size_t capacity) {
  return Store().Read(file, section, key, fallback, capacity);
}

bool WriteProfileString(const std::string& file, std::string_view section, std::string_view key,
                        std::string_view value) {
  if (file.empty()) return false;
  return Store().Write(file, section, key, value);
}

ProfileBatch::ProfileBatch(std::string file) : file_(Store().BeginBatch(file)) {}

ProfileBatch::~ProfileBatch() {
  if (open_) Commit();
}

bool ProfileBatch::Commit() {
  if (!open_) return committed_;
  open_ = false;
  committed_ = Store().EndBatch(file_);
  return committed_;
}

}  // namespace platform
