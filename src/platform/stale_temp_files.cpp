#include "platform/stale_temp_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <memory>
#include <optional>
#include <string_view>

namespace platform {
namespace {

struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};

bool AllDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<pid_t> PidOf(std::string_view digits) {
  if (!AllDigits(digits)) return std::nullopt;
  long pid = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), pid);
  if (error != std::errc() || end != digits.data() + digits.size() || pid <= 0 || pid > INT_MAX) return std::nullopt;
  return static_cast<pid_t>(pid);
}

bool ProcessRunning(pid_t pid) { return ::kill(pid, 0) == 0 || errno == EPERM; }

enum class Kind { kOther, kNoProcess, kOfProcess };

struct Leftover {
  Kind kind = Kind::kOther;
  pid_t pid = 0;
};

Leftover Classify(std::string_view name) {
  constexpr std::string_view kNew = ".new";
  constexpr std::string_view kBackupTemp = ".BAK.tmp";
  constexpr std::string_view kTemp = ".tmp";
  if (name.size() > kNew.size() && name.ends_with(kNew)) return {Kind::kNoProcess, 0};

  // "X.BAK.tmp<pid>"
  if (const std::size_t at = name.rfind(kBackupTemp); at != std::string_view::npos && at > 0) {
    if (const auto pid = PidOf(name.substr(at + kBackupTemp.size()))) return {Kind::kOfProcess, *pid};
  }
  // "X.tmp<pid>-<n>"
  const std::size_t at = name.rfind(kTemp);
  if (at == std::string_view::npos || at == 0) return {};
  const std::string_view tail = name.substr(at + kTemp.size());
  const std::size_t dash = tail.find('-');
  if (dash == std::string_view::npos || !AllDigits(tail.substr(dash + 1))) return {};
  if (const auto pid = PidOf(tail.substr(0, dash))) return {Kind::kOfProcess, *pid};
  return {};
}

}  // namespace

std::vector<std::string> RemoveStaleTemporaryFiles(const std::string& folder) {
  std::vector<std::string> removed;
  const std::unique_ptr<DIR, DirCloser> dir(opendir(folder.c_str()));
  if (!dir) return removed;
  const int dir_fd = ::dirfd(dir.get());
  while (const dirent* entry = readdir(dir.get())) {
    const std::string_view name = entry->d_name;
    const Leftover leftover = Classify(name);
    if (leftover.kind == Kind::kOther) continue;
    if (leftover.kind == Kind::kOfProcess && ProcessRunning(leftover.pid)) continue;
    struct stat st {};
    if (::fstatat(dir_fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) continue;
    if (::unlinkat(dir_fd, entry->d_name, 0) == 0) removed.emplace_back(name);
  }
  std::sort(removed.begin(), removed.end());
  return removed;
}

}  // namespace platform
