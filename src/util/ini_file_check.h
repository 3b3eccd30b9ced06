#pragma once
// Whether an INI file the program keeps a ".BAK" of can be trusted, and which of the two a reader
// takes. A file is damaged when it is not a regular readable file of sensible size, holds NUL
// bytes or other control bytes (not text), has no section at all, or lacks the section and key
// every file of its kind holds. A missing file is not damaged: it is the first start.
//
// The log lines, <file> being the resolved path:
//   <file> is damaged (<reason>); read from <file>.BAK
//   <file> is damaged (<reason>); <file>.BAK is missing, nothing read
//   <file> is damaged (<reason>); <file>.BAK is damaged too (<reason>), nothing read
//   <file> is damaged (<reason>); its whole .BAK is kept
// Reasons: "not a regular file", "larger than 1048576 bytes", "cannot be read", "empty",
// "holds NUL bytes", "not text", "no section", "no section <S>", "no key <K> in section <S>".
#include <cstddef>
#include <string>
#include <string_view>

namespace util {

// What every whole file of one kind holds: the section, and in it the key (none when empty).
struct IniFileShape {
  std::string_view section;
  std::string_view key;
};

// Files above this size are refused as damaged; the largest of ours is a few tens of kilobytes.
inline constexpr std::size_t kMaxIniFileBytes = 1 << 20;

enum class IniFileState { kMissing, kWhole, kDamaged };

struct IniFileCheck {
  IniFileState state = IniFileState::kMissing;
  std::string reason;  // why it is damaged
};

// Reads the file (never blocking on it) and says whether it is whole. An empty shape section
// asks for any section.
IniFileCheck CheckIniFile(const std::string& file, const IniFileShape& shape);

// The file a reader takes for `file`: the file itself when it is whole or missing, its ".BAK"
// when the file is damaged and the ".BAK" whole, empty when neither can be read. A damaged file
// is logged.
std::string IniFileToRead(const std::string& file, const IniFileShape& shape);

// Copies the file to its ".BAK" before it is replaced, unless the file is damaged and the ".BAK"
// whole (logged): a save never puts a file that could not be read over a good copy. A damaged
// file goes to a ".BAK" that is not whole either, so what it held is not lost. Nothing to do for
// a missing file. False when a copy was due and failed.
bool BackupIniFile(const std::string& file, const IniFileShape& shape);

}  // namespace util
