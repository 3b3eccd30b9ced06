#pragma once
// The modulation-index lock-threshold tables of a card's two FM receivers. While a PCM/FM channel
// runs, its measured modulation index picks the carrier lock-detector threshold that the FM
// receiver module is given. Each card object reads the tables from "modIndLockThreshold.cfg" in
// the program folder when it is created; without that file (or without one usable line in it)
// the built-in tables stand.
//
// File format (ours), plain text, one entry a line:
//
//   # comment (also ';'); blank lines are skipped
//   <channel> <index> <threshold>
//
//   channel    0 or 1, or '*' for both channels
//   index      the modulation index the entry is for, 0.00 .. 10.00; only its hundredths count
//   threshold  the lock-detector threshold, an unsigned 32-bit integer (decimal, or hex after "0x")
//
// Fields are separated by blanks or tabs. A line that does not parse is skipped and logged (the
// first kModIndexLockLoggedLines of a file, then one line with the count of the rest); a
// channel keeps at most kModIndexLockMaxEntries entries. A file above kModIndexLockMaxFileBytes,
// or one that is not a regular file (a FIFO never blocks the reader), is refused whole. Lookup takes the first entry of the
// channel whose hundredths equal the whole part of 100 x the index looked up.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace card {

inline constexpr const char* kModIndLockThresholdFileName = "modIndLockThreshold.cfg";
inline constexpr std::size_t kModIndexLockMaxEntries = 256;
inline constexpr double kModIndexLockMaxIndex = 10.0;
inline constexpr std::size_t kModIndexLockMaxFileBytes = 1 << 20;  // a real table is a few KB
inline constexpr std::size_t kModIndexLockLoggedLines = 5;

struct ModIndexLockEntry {
  std::int32_t IndexHundredths = 0;  // the entry's index x 100: the lookup key
  double Index = 0.0;                // the index as given
  std::uint32_t Threshold = 0;
  std::uint32_t LastWritten = 0;     // the threshold as last written to the card
  bool Written = false;              // LastWritten holds a value
};

using ModIndexLockTable = std::vector<ModIndexLockEntry>;
using ModIndexLockTables = std::array<ModIndexLockTable, 2>;

// The built-in tables, the same for both channels: indices 0.10 .. 1.00 in steps of 0.01,
// threshold 64 + 960 x index lock-detector counts, rounded.
ModIndexLockTables BuiltInModIndexLockTables();

// The lines a parse skipped: the texts of the first kModIndexLockLoggedLines ("line <n>: <reason>")
// and the count of all.
struct ModIndexLockProblems {
  std::vector<std::string> First;
  std::size_t Count = 0;
};

// Parses a file's text into `tables` (emptied first). True when at least one entry was taken.
bool ParseModIndexLockTables(std::string_view text, ModIndexLockTables& tables, ModIndexLockProblems& problems);

// The tables from "<folder>/modIndLockThreshold.cfg" (found case-insensitively), or the built-in
// ones when the file is missing, refused, unreadable or holds no usable entry. Skipped lines and the
// fall-back are written to the error log; `fromFile` tells which tables were taken.
ModIndexLockTables LoadModIndexLockTables(const std::string& folder, bool* fromFile = nullptr);

// Position of the entry for `modIndex` in the table, or -1 (also for NaN and out-of-range values).
// The key is the whole hundredths of the index, taken once: 0.295 and 0.29 both find 0.29.
int FindModIndexLockEntry(const ModIndexLockTable& table, double modIndex);

}  // namespace card
