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
//   <file> is cut short and so is <file>.BAK (both copies cut), read as it stands; these keys take their defaults: [<S>] <K>, <K>; [<S>] <K>
//   <file> is cut short and <file>.BAK is damaged (<reason>), read as it stands; these keys take their defaults: ...
//   <file> is cut short (<reason>); its .BAK is not whole either and is kept
//   <file> is damaged (<reason>); its cut .BAK is kept
//   <file> is damaged (<reason>); copied over its damaged .BAK
//   <file> is missing; read from <file>.BAK
// Reasons: "not a regular file", "larger than 1048576 bytes", "cannot be read", "empty",
// "holds NUL bytes", "no section", "no section <S>", "no key <K> in section <S>", and for a cut
// file what its kind's check names (mostly "no key <K> in section <S>").
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace util {

enum class IniFileState { kMissing, kWhole, kCut, kDamaged };

struct IniKeyName {
  std::string section;
  std::string key;
};

struct IniFileCheck {
  IniFileCheck() = default;
  IniFileCheck(IniFileState fileState, std::string why = {}, std::vector<IniKeyName> lacking = {})
      : state(fileState), reason(std::move(why)), missing(std::move(lacking)) {}

  IniFileState state = IniFileState::kMissing;
  std::string reason;  // why it is damaged or cut
  std::vector<IniKeyName> missing;  // for a cut file: every key it lacks, in the order asked
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

// kCut with "no key <K> in section <S>" for the first of `keys` the file does not hold (and all
// it lacks in `missing`), kWhole when it holds them all. For the `checkKeys` checks.
IniFileCheck FirstMissingKey(const std::string& file, const std::vector<IniKeyName>& keys);

// Files above this size are refused as damaged; the largest of ours is a few tens of kilobytes.
inline constexpr std::size_t kMaxIniFileBytes = 1 << 20;


// Reads the file (never blocking on it) and says whether it is whole. An empty shape section
// asks for any section.
IniFileCheck CheckIniFile(const std::string& file, const IniFileShape& shape);

// The file a reader takes for `file`: the file itself when it is whole; its ".BAK" when that is
// whole and the file is damaged, cut short or missing; a cut file itself when its ".BAK" is not
// whole (logged with every key the file lacks when the ".BAK" is there but cut or damaged too, as
// those keys then take their defaults with no whole copy to say otherwise); empty when there is nothing to read (missing, or damaged without a whole ".BAK"). Every
// change of file and every damaged file is logged.
std::string IniFileToRead(const std::string& file, const IniFileShape& shape);

// Whether the file or its ".BAK" is there (as a link too): whether there is anything to read.
bool IniFileOrBakPresent(const std::string& file);

// Copies the file to its ".BAK" before it is replaced, unless the file is damaged or cut short and
// the ".BAK" whole (logged): a save never puts a file that could not be read over a good copy.
// Where neither copy is whole, a cut file never goes over the ".BAK" (its keys are in the save
// anyway, and the ".BAK" may hold what the file lacks), nor a damaged file over a cut ".BAK"
// (what can still be read stays); a damaged file goes over a damaged ".BAK", so that the newer of
// two unreadable copies is the one kept. Each of these is logged. Nothing to do for a missing
// file. False when a copy was due and failed.
bool BackupIniFile(const std::string& file, const IniFileShape& shape);

}  // namespace util
