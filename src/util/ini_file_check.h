#pragma once
// Whether an INI file the program keeps a ".BAK" of can be trusted, and which of the two a reader
// takes. A file is damaged when it is not a regular readable file of sensible size, holds NUL
// bytes, has no section at all, or lacks the section and key every file of its kind holds. A file
// that lacks a key this program always writes into it was cut short: it is read from its ".BAK"
// when that one is whole, else as it stands (a file of an older program may hold fewer keys). A
// missing file (a dangling link too) is read from a whole ".BAK"; with none it is the first start.
//
// The log lines, <file> being the resolved path:
//   <file> is damaged (<reason>); read from <file>.BAK
//   <file> is damaged (<reason>); <file>.BAK is missing, nothing read
//   <file> is damaged (<reason>); <file>.BAK is damaged too (<reason>), nothing read
//   <file> is damaged (<reason>); <file>.BAK is cut short (<reason>), read as it stands
//   <file> is damaged (<reason>); its whole .BAK is kept
//   <file> is cut short (<reason>); read from <file>.BAK
//   <file> is cut short (<reason>); its whole .BAK is kept
//   <file> is missing; read from <file>.BAK
// Reasons: "not a regular file", "larger than 1048576 bytes", "cannot be read", "empty",
// "holds NUL bytes", "no section", "no section <S>", "no key <K> in section <S>", and for a cut
// file what its kind's check names (mostly "no key <K> in section <S>").
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace util {

enum class IniFileState { kMissing, kWhole, kCut, kDamaged };

struct IniFileCheck {
  IniFileState state = IniFileState::kMissing;
  std::string reason;  // why it is damaged or cut
};

// What every whole file of one kind holds: the section, and in it the key (none when empty).
// `checkKeys`, for a file that holds them, looks at its keys: kCut with what the file lacks of the
// keys this program always writes into a file of this kind, kDamaged with what makes a value
// unusable, else kWhole (null: no such check).
struct IniFileShape {
  std::string_view section;
  std::string_view key;
  IniFileCheck (*checkKeys)(const std::string& file) = nullptr;
};

struct IniKeyName {
  std::string section;
  std::string key;
};

// kCut with "no key <K> in section <S>" for the first of `keys` the file does not hold, kWhole
// when it holds them all. For the `checkKeys` checks.
IniFileCheck FirstMissingKey(const std::string& file, const std::vector<IniKeyName>& keys);

// Files above this size are refused as damaged; the largest of ours is a few tens of kilobytes.
inline constexpr std::size_t kMaxIniFileBytes = 1 << 20;


// Reads the file (never blocking on it) and says whether it is whole. An empty shape section
// asks for any section.
IniFileCheck CheckIniFile(const std::string& file, const IniFileShape& shape);

// The file a reader takes for `file`: the file itself when it is whole; its ".BAK" when that is
// whole and the file is damaged, cut short or missing; a cut file itself when its ".BAK" is not
// whole; empty when there is nothing to read (missing, or damaged without a whole ".BAK"). Every
// change of file and every damaged file is logged.
std::string IniFileToRead(const std::string& file, const IniFileShape& shape);

// Whether the file or its ".BAK" is there (as a link too): whether there is anything to read.
bool IniFileOrBakPresent(const std::string& file);

// Copies the file to its ".BAK" before it is replaced, unless the file is damaged or cut short and
// the ".BAK" whole (logged): a save never puts a file that could not be read over a good copy. A
// damaged file goes to a ".BAK" that is not whole either, so what it held is not lost. Nothing to
// do for a missing file. False when a copy was due and failed.
bool BackupIniFile(const std::string& file, const IniFileShape& shape);

}  // namespace util
