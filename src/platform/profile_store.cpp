#include "platform/profile_store.h"

#include <algorithm>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/diagnostics.h"
#include "platform/ini_document.h"
#include "platform/path_resolve.h"
#include "platform/profile_file.h"

namespace platform {
namespace {

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

// The open ProfileBatch and ProfileReadScope scopes of one file.
struct ScopeState {
  int batches = 0;
  int reads = 0;
  bool checked = false;                // the cache was compared with the disk since a scope opened
  bool failed = false;                 // a flush inside the batch could not write
  std::vector<std::string> spellings;  // the paths the scopes were opened with
};

// Whether an access may trust a cache that was checked inside the open scope.
enum class Check { kAlways, kOncePerScope };

// Plain loops: find_first_of and find_first_not_of search their set once per byte, and every
// key written passes here.
bool HasLineBreak(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; });
}

bool IsBlankOnly(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\t'; });
}

bool AcceptableEntry(std::string_view section, std::string_view key, std::string_view value) {
  return !IsBlankOnly(section) && !IsBlankOnly(key) && !HasLineBreak(section) && !HasLineBreak(key) &&
         !HasLineBreak(value) && section.find(']') == std::string_view::npos &&
         key.find('=') == std::string_view::npos;
}

class ProfileStore {
 public:
  enum class ScopeKind { kBatch, kRead };

  std::string Read(const std::string& given, std::string_view section, std::string_view key,
                   std::string_view fallback, std::size_t capacity) {
    const std::size_t limit = capacity == 0 ? 0 : capacity - 1;
    std::unique_lock lock(mutex_);
    std::string result;
    const CachedFile* file = recent_.file;
    if (file == nullptr || recent_.given != given) {
      std::string resolved;
      const std::string& path = KeyFor(given, resolved);
      file = Access(path, Check::kOncePerScope);
      if (const ScopeState* scope = ScopeOf(path); file != nullptr && scope != nullptr && scope->checked) {
        recent_ = Recent{given, file};
      }
    }
    const std::optional<std::string_view> value = file != nullptr ? file->doc.Find(section, key) : std::nullopt;
    result = value ? value->substr(0, limit) : fallback.substr(0, limit);
    ReportUnlocked(lock);
    return result;
  }

  bool Write(const std::string& given, std::string_view section, std::string_view key, std::string_view value) {
    std::unique_lock lock(mutex_);
    std::string resolved;
    const bool done = WriteLocked(KeyFor(given, resolved), section, key, value);
    ReportUnlocked(lock);
    return done;
  }

  // The store key of the file; the scope's accesses use it until the scope ends.
  std::string BeginScope(const std::string& given, ScopeKind kind) {
    std::lock_guard lock(mutex_);
    std::string resolved;
    std::string path = KeyFor(given, resolved);
    ScopeState& scope = scopes_[path];
    ++(kind == ScopeKind::kBatch ? scope.batches : scope.reads);
    scope.checked = false;
    recent_ = {};
    std::string spelling = NormalizeSeparators(given);
    scope.spellings.push_back(spelling);
    aliases_.try_emplace(std::move(spelling), path);
    return path;
  }

  // For a batch: true when the file holds every write of the batch (see ProfileBatch::Commit).
  bool EndScope(const std::string& path, ScopeKind kind) {
    std::unique_lock lock(mutex_);
    const bool done = EndScopeLocked(path, kind);
    ReportUnlocked(lock);
    return done;
  }

 private:
  bool WriteLocked(const std::string& path, std::string_view section, std::string_view key, std::string_view value) {
    if (section.empty() && key.empty() && value.empty()) return Flush(path);
    if (!AcceptableEntry(section, key, value)) return false;
    const bool batched = BatchOpen(path);
    // A write that goes out at once must not replace a file changed on disk since it was checked.
    CachedFile* file = Access(path, batched ? Check::kOncePerScope : Check::kAlways);
    if (file == nullptr) return false;
    file->doc.Set(section, key, value);
    if (batched) {
      file->pending.push_back(PendingWrite{std::string(section), std::string(key), std::string(value)});
      return true;
    }
    return WriteOut(path, *file);
  }

  bool EndScopeLocked(const std::string& path, ScopeKind kind) {
    const auto found = scopes_.find(path);
    if (found == scopes_.end()) return true;
    ScopeState& scope = found->second;
    bool done = true;
    if (kind == ScopeKind::kRead) {
      --scope.reads;
    } else if (--scope.batches == 0) {  // the outermost batch writes and answers
      const bool failed = std::exchange(scope.failed, false);
      done = Flush(path) && !failed;
    }
    if (scope.batches > 0 || scope.reads > 0) return done;
    for (const std::string& spelling : scope.spellings) {
      if (const auto alias = aliases_.find(spelling); alias != aliases_.end() && alias->second == path) {
        aliases_.erase(alias);
      }
    }
    scopes_.erase(found);
    recent_ = {};
    return done;
  }

  // Reports go out after the lock is released, so a log writer may itself use the store.
  void ReportUnlocked(std::unique_lock<std::mutex>& lock) {
    if (reports_.empty()) return;
    std::vector<std::string> reports = std::exchange(reports_, {});
    lock.unlock();
    for (const std::string& text : reports) ReportDiagnostic(text);
  }

  // "a\b.ini" and "A/B.INI" must reach the same existing file and the same cache entry. While a
  // scope is open its spelling maps straight to its key: resolving looks at the disk, which would
  // make the hundreds of accesses of a scope slow.
  // The key is the alias or `resolved`, which holds the resolved path then.
  const std::string& KeyFor(const std::string& given, std::string& resolved) const {
    // Aliases are normalized, so a spelling found as given needs no normalizing.
    if (const auto alias = aliases_.find(given); alias != aliases_.end()) return alias->second;
    std::string spelling = NormalizeSeparators(given);
    if (const auto alias = aliases_.find(spelling); alias != aliases_.end()) return alias->second;
    resolved = ResolvePath(spelling);
    return resolved;
  }

  ScopeState* ScopeOf(const std::string& path) {
    const auto scope = scopes_.find(path);
    return scope == scopes_.end() ? nullptr : &scope->second;
  }

  bool BatchOpen(const std::string& path) {
    const ScopeState* scope = ScopeOf(path);
    return scope != nullptr && scope->batches > 0;
  }

  void MarkBatchFailed(const std::string& path) {
    if (ScopeState* scope = ScopeOf(path); scope != nullptr && scope->batches > 0) scope->failed = true;
  }

  // The parsed file, reloaded when the file on disk is not the one we parsed; nullptr when the
  // file exists but cannot be read (a writer must not replace what it could not read). Inside a
  // scope, kOncePerScope trusts the cache once it was checked.
  CachedFile* Access(const std::string& path, Check check) {
    ScopeState* scope = ScopeOf(path);
    auto cached = files_.find(path);
    if (cached != files_.end()) {
      if (check == Check::kOncePerScope && scope != nullptr && scope->checked) return &cached->second;
      FileIdentity now;
      if (!FileIdentity::Now(path, now)) return nullptr;
      if (now == cached->second.identity) {
        if (scope != nullptr) scope->checked = true;
        return &cached->second;
      }
    }
    LoadedFile loaded = LoadProfileFile(path);
    if (loaded.status == LoadStatus::kRefused) {
      if (cached != files_.end()) {
        // Pending writes cannot reach this file any more; the batch must report it.
        if (!cached->second.pending.empty()) MarkBatchFailed(path);
        files_.erase(cached);
        recent_ = {};
      }
      Refuse(path, std::move(loaded.why));
      return nullptr;
    }
    refused_.erase(path);
    if (cached == files_.end()) cached = files_.try_emplace(path).first;
    CachedFile& file = cached->second;
    file.doc = IniDocument::Parse(loaded.bytes);
    file.identity = loaded.identity;
    for (const PendingWrite& write : file.pending) file.doc.Set(write.section, write.key, write.value);
    if (scope != nullptr) scope->checked = true;
    return &file;
  }

  // One log line per refused file, not one per key: it is reported again only when the reason
  // changes or after the file was readable in between.
  void Refuse(const std::string& path, std::string why) {
    std::string& reported = refused_[path];
    if (reported == why) return;
    reports_.push_back("Profile file not read: " + why);
    reported = std::move(why);
  }

  bool Flush(const std::string& path) {
    const auto cached = files_.find(path);
    if (cached == files_.end() || cached->second.pending.empty()) return true;
    CachedFile* file = Access(path, Check::kAlways);
    return file != nullptr && WriteOut(path, *file);
  }

  bool WriteOut(const std::string& path, CachedFile& file) {
    std::string why;
    FileIdentity identity;
    if (ReplaceProfileFile(path, file.doc.Serialize(), identity, why)) {
      file.identity = identity;
      file.pending.clear();
      return true;
    }
    // The disk still holds the old file; forget what did not reach it so the cache agrees.
    files_.erase(path);
    recent_ = {};
    MarkBatchFailed(path);
    reports_.push_back("Profile file " + path + " not written: " + why);
    return false;
  }

  // The file a read inside a checked scope found last under the spelling `given`: a whole-file
  // reader then finds it without resolving the path and looking it up for every key. Cleared
  // whenever a scope opens or ends or a cached file is dropped.
  struct Recent {
    std::string given;
    const CachedFile* file = nullptr;
  };

  std::mutex mutex_;
  Recent recent_;
  std::unordered_map<std::string, CachedFile> files_;
  std::unordered_map<std::string, ScopeState> scopes_;
  std::unordered_map<std::string, std::string> aliases_;  // spelling -> key, while a scope is open
  std::unordered_map<std::string, std::string> refused_;  // path -> the refusal last reported
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

ProfileBatch::ProfileBatch(std::string file) : file_(Store().BeginScope(file, ProfileStore::ScopeKind::kBatch)) {}

ProfileBatch::~ProfileBatch() {
  if (open_) Commit();
}

bool ProfileBatch::Commit() {
  if (!open_) return committed_;
  open_ = false;
  committed_ = Store().EndScope(file_, ProfileStore::ScopeKind::kBatch);
  return committed_;
}

ProfileReadScope::ProfileReadScope(const std::string& file)
    : file_(Store().BeginScope(file, ProfileStore::ScopeKind::kRead)) {}

ProfileReadScope::~ProfileReadScope() { Store().EndScope(file_, ProfileStore::ScopeKind::kRead); }

}  // namespace platform
