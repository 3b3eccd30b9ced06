#include "util/ini_file_check.h"

#include <algorithm>
#include <optional>

#include <sys/stat.h>

#include "platform/path_resolve.h"
#include "platform/profile_store.h"
#include "platform/regular_file.h"
#include "util/error_log.h"
#include "util/file_routines.h"
#include "util/ini_routines.h"

namespace util {
namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
           return lower(x) == lower(y);
         });
}

// The name of a section header line, nothing for any other line (or a header without a name).
std::optional<std::string_view> HeaderName(std::string_view line) {
  line = Trim(line);
  if (line.empty() || line.front() != '[') return std::nullopt;
  const auto close = line.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  const std::string_view name = Trim(line.substr(1, close - 1));
  if (name.empty()) return std::nullopt;
  return name;
}

// What the text lacks of the shape; empty when it holds all of it. A lone CR ends a line too.
std::string MissingPart(std::string_view text, const IniFileShape& shape) {
  if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) text.remove_prefix(kByteOrderMark.size());
  bool anySection = false;
  bool inRequired = false;
  bool requiredSeen = false;
  while (!text.empty()) {
    const auto end = text.find_first_of("\r\n");
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (const auto name = HeaderName(line)) {
      anySection = true;
      // The readers take the first section of a name; a later one of the same name counts for nothing.
      inRequired = !requiredSeen && SameName(*name, shape.section);
      requiredSeen = requiredSeen || inRequired;
      if (inRequired && shape.key.empty()) return {};
      continue;
    }
    if (!inRequired) continue;
    const auto equals = line.find('=');
    if (equals != std::string_view::npos && SameName(Trim(line.substr(0, equals)), shape.key)) return {};
  }
  if (!anySection) return "no section";
  if (shape.section.empty()) return {};
  if (!requiredSeen) return "no section " + std::string(shape.section);
  return "no key " + std::string(shape.key) + " in section " + std::string(shape.section);
}

// The name BackupFile writes.
std::string BakOf(const std::string& resolved) { return resolved + ".BAK"; }

// "[S] K1, K2; [T] K3": the keys grouped by section in the order given.
std::string KeyList(const std::vector<IniKeyName>& keys) {
  std::string list;
  const IniKeyName* previous = nullptr;
  for (const IniKeyName& name : keys) {
    if (previous == nullptr || previous->section != name.section) {
      if (previous != nullptr) list += "; ";
      list += "[" + name.section + "] ";
    } else {
      list += ", ";
    }
    list += name.key;
    previous = &name;
  }
  return list;
}

}  // namespace

IniFileCheck CheckIniFile(const std::string& file, const IniFileShape& shape) {
  const std::string resolved = platform::ResolvePath(file);
  const platform::ReadFileResult read = platform::ReadRegularFile(resolved, kMaxIniFileBytes);
  const auto damaged = [](std::string reason) {
    IniFileCheck check;
    check.state = IniFileState::kDamaged;
    check.reason = std::move(reason);
    return check;
  };
  switch (read.status) {
    case platform::ReadFileStatus::kOk:
      break;
    case platform::ReadFileStatus::kMissing:
      return IniFileCheck{};
    case platform::ReadFileStatus::kNotRegular:
      return damaged("not a regular file");
    case platform::ReadFileStatus::kTooLarge:
      return damaged("larger than " + std::to_string(kMaxIniFileBytes) + " bytes");
    case platform::ReadFileStatus::kUnreadable:
      return damaged("cannot be read");
  }
  const std::string& bytes = read.bytes;
  if (bytes.empty()) return damaged("empty");
  if (bytes.find('\0') != std::string::npos) return damaged("holds NUL bytes");
  // Other control bytes are left to the readers: a junk value is logged with the value kept, and
  // the file's good values still count.
  std::string missing = MissingPart(bytes, shape);
  if (!missing.empty()) return damaged(std::move(missing));
  if (shape.checkKeys != nullptr) return shape.checkKeys(resolved);
  IniFileCheck whole;
  whole.state = IniFileState::kWhole;
  return whole;
}

IniFileCheck FirstMissingKey(const std::string& file, const std::vector<IniKeyName>& keys) {
  const platform::ProfileReadScope scope(file);
  std::string ignored;
  IniFileCheck check;
  check.state = IniFileState::kWhole;
  for (const IniKeyName& name : keys) {
    if (IniReadString(file, name.section, name.key, ignored)) continue;
    if (check.missing.empty()) {
      check.state = IniFileState::kCut;
      check.reason = "no key " + name.key + " in section " + std::string(Trim(name.section));
    }
    check.missing.push_back(IniKeyName{std::string(Trim(name.section)), name.key});
  }
  return check;
}

bool IniFileOrBakPresent(const std::string& file) {
  const std::string resolved = platform::ResolvePath(file);
  struct stat st {};
  return ::lstat(resolved.c_str(), &st) == 0 || ::lstat(BakOf(resolved).c_str(), &st) == 0;
}

std::string IniFileToRead(const std::string& file, const IniFileShape& shape) {
  const std::string resolved = platform::ResolvePath(file);
  const IniFileCheck check = CheckIniFile(resolved, shape);
  if (check.state == IniFileState::kWhole) return resolved;
  const std::string bak = BakOf(resolved);
  const IniFileCheck bakCheck = CheckIniFile(bak, shape);
  const bool bakWhole = bakCheck.state == IniFileState::kWhole;
  if (check.state == IniFileState::kMissing) {
    if (!bakWhole) return {};
    WriteErrorLogLine(resolved + " is missing; read from " + bak, 0);
    return bak;
  }
  if (check.state == IniFileState::kCut) {
    // Without a whole copy the first part of the file is still the best there is. With a ".BAK"
    // that is no better, the keys past the cut take their defaults: say which.
    if (!bakWhole) {
      if (bakCheck.state != IniFileState::kMissing) {
        const std::string both = bakCheck.state == IniFileState::kCut
                                     ? " is cut short and so is " + bak + " (both copies cut)"
                                     : " is cut short and " + bak + " is damaged (" + bakCheck.reason + ")";
        WriteErrorLogLine(resolved + both + ", read as it stands; these keys take their defaults: " +
                              KeyList(check.missing),
                          0);
      }
      return resolved;
    }
    WriteErrorLogLine(resolved + " is cut short (" + check.reason + "); read from " + bak, 0);
    return bak;
  }
  const std::string damaged = resolved + " is damaged (" + check.reason + "); ";
  switch (bakCheck.state) {
    case IniFileState::kWhole:
      WriteErrorLogLine(damaged + "read from " + bak, 0);
      return bak;
    case IniFileState::kMissing:
      WriteErrorLogLine(damaged + bak + " is missing, nothing read", 0);
      return {};
    case IniFileState::kCut:
      // Its first part is still the best there is.
      WriteErrorLogLine(damaged + bak + " is cut short (" + bakCheck.reason + "), read as it stands", 0);
      return bak;
    case IniFileState::kDamaged:
      WriteErrorLogLine(damaged + bak + " is damaged too (" + bakCheck.reason + "), nothing read", 0);
      return {};
  }
  return {};
}

bool BackupIniFile(const std::string& file, const IniFileShape& shape) {
  const std::string resolved = platform::ResolvePath(file);
  const IniFileCheck check = CheckIniFile(resolved, shape);
  if (check.state == IniFileState::kMissing) return true;
  if (check.state == IniFileState::kWhole) return BackupFile(resolved);
  const IniFileState bakState = CheckIniFile(BakOf(resolved), shape).state;
  const char* what = check.state == IniFileState::kCut ? " is cut short (" : " is damaged (";
  const std::string head = resolved + what + check.reason + "); ";
  if (bakState == IniFileState::kWhole) {
    WriteErrorLogLine(head + "its whole .BAK is kept", 0);
    return true;
  }
  if (bakState == IniFileState::kMissing) return BackupFile(resolved);
  if (check.state == IniFileState::kCut) {
    WriteErrorLogLine(head + "its .BAK is not whole either and is kept", 0);
    return true;
  }
  if (bakState == IniFileState::kCut) {
    WriteErrorLogLine(head + "its cut .BAK is kept", 0);
    return true;
  }
  WriteErrorLogLine(head + "copied over its damaged .BAK", 0);
  return BackupFile(resolved);
}

}  // namespace util
