#include "card/mod_index_lock_table.h"

#include "platform/path_resolve.h"
#include "platform/regular_file.h"
#include "util/error_log.h"
#include "util/repeated_log_lines.h"
#include "util/number_text.h"

namespace card {
namespace {

constexpr int kBuiltInFirstHundredths = 10;
constexpr int kBuiltInLastHundredths = 100;
constexpr double kModIndexKeySlack = 1e-6;  // in hundredths

ModIndexLockEntry MakeEntry(double index, std::uint32_t threshold) {
  ModIndexLockEntry entry;
  entry.IndexHundredths = util::RoundToInt(index * 100.0);
  entry.Index = index;
  entry.Threshold = threshold;
  return entry;
}

// Splits a line at blanks and tabs.
std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t pos = 0;
  while (pos < line.size()) {
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
    const std::size_t start = pos;
    while (pos < line.size() && line[pos] != ' ' && line[pos] != '\t') ++pos;
    if (pos > start) fields.push_back(line.substr(start, pos - start));
  }
  return fields;
}

bool ParseThreshold(std::string_view text, std::uint32_t& value) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  return util::TextToUnsigned(text, value, hex ? 16 : 10);
}

// Parses one line that is neither blank nor a comment; the reason in `problem` when refused.
bool ParseLine(std::string_view line, int& channelMask, ModIndexLockEntry& entry, std::string& problem) {
  const std::vector<std::string_view> fields = Fields(line);
  if (fields.size() != 3) {
    problem = "three fields expected";
    return false;
  }
  if (fields[0] == "*") {
    channelMask = 3;
  } else if (fields[0] == "0") {
    channelMask = 1;
  } else if (fields[0] == "1") {
    channelMask = 2;
  } else {
    problem = "channel must be 0, 1 or *";
    return false;
  }
  double index = 0.0;
  if (!util::TextToDouble(fields[1], index) || !util::InRangeDouble(index, 0.0, kModIndexLockMaxIndex)) {
    problem = "index must be a number from 0 to 10";
    return false;
  }
  std::uint32_t threshold = 0;
  if (!ParseThreshold(fields[2], threshold)) {
    problem = "threshold must be an unsigned 32-bit number";
    return false;
  }
  entry = MakeEntry(index, threshold);
  return true;
}

}  // namespace

ModIndexLockTables BuiltInModIndexLockTables() {
  ModIndexLockTable table;
  for (int hundredths = kBuiltInFirstHundredths; hundredths <= kBuiltInLastHundredths; ++hundredths) {
    const double index = hundredths / 100.0;
    table.push_back(MakeEntry(index, static_cast<std::uint32_t>(util::RoundToInt(64.0 + 960.0 * index))));
  }
  return {table, table};
}

bool ParseModIndexLockTables(std::string_view text, ModIndexLockTables& tables, ModIndexLockProblems& problems) {
  for (ModIndexLockTable& table : tables) table.clear();
  problems = {};
  const auto skipped = [&problems](std::string problem) {
    if (problems.First.size() < kModIndexLockLoggedLines) problems.First.push_back(std::move(problem));
    ++problems.Count;
  };
  bool any = false;
  int lineNumber = 0;
  std::size_t pos = 0;
  while (pos <= text.size()) {
    // Lines end with LF, CR LF or a lone CR.
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string line = util::TrimText(text.substr(pos, end - pos));
    pos = end + (text.substr(end, 2) == "\r\n" ? 2 : 1);
    ++lineNumber;
    if (line.empty() || line[0] == '#' || line[0] == ';') continue;

    int channelMask = 0;
    ModIndexLockEntry entry;
    std::string problem;
    if (!ParseLine(line, channelMask, entry, problem)) {
      skipped("line " + std::to_string(lineNumber) + ": " + problem);
      continue;
    }
    for (std::size_t channel = 0; channel < tables.size(); ++channel) {
      if ((channelMask & (1 << channel)) == 0) continue;
      if (tables[channel].size() >= kModIndexLockMaxEntries) {
        skipped("line " + std::to_string(lineNumber) + ": channel " + std::to_string(channel) + " already has " +
                std::to_string(kModIndexLockMaxEntries) + " entries");
        continue;
      }
      tables[channel].push_back(entry);
      any = true;
    }
  }
  return any;
}

ModIndexLockTables LoadModIndexLockTables(const std::string& folder, bool* fromFile) {
  if (fromFile != nullptr) *fromFile = false;
  const std::string path = platform::ResolvePath((folder.empty() ? std::string(".") : folder) + "/" +
                                                 kModIndLockThresholdFileName);
  const platform::ReadFileResult file = platform::ReadRegularFile(path, kModIndexLockMaxFileBytes);
  // No file is the normal case: the built-in tables serve every card. Every card reads the file;
  // what is wrong with it is reported once.
  if (file.status == platform::ReadFileStatus::kMissing) return BuiltInModIndexLockTables();
  if (file.status != platform::ReadFileStatus::kOk) {
    util::WriteErrorLogLineOnce(
        std::string(kModIndLockThresholdFileName) + " refused: " + file.why + "; built-in table in use", 0);
    return BuiltInModIndexLockTables();
  }

  ModIndexLockTables tables;
  ModIndexLockProblems problems;
  const bool any = ParseModIndexLockTables(file.bytes, tables, problems);
  for (const std::string& problem : problems.First) {
    util::WriteErrorLogLineOnce(std::string(kModIndLockThresholdFileName) + " " + problem + ", line skipped", 0);
  }
  if (problems.Count > problems.First.size()) {
    util::WriteErrorLogLineOnce(std::string(kModIndLockThresholdFileName) + ": " +
                                std::to_string(problems.Count - problems.First.size()) + " more lines skipped",
                            0);
  }
  if (!any) {
    util::WriteErrorLogLineOnce(std::string(kModIndLockThresholdFileName) + " has no usable entry, built-in table in use",
                            0);
    return BuiltInModIndexLockTables();
  }
  if (fromFile != nullptr) *fromFile = true;
  return tables;
}

int FindModIndexLockEntry(const ModIndexLockTable& table, double modIndex) {
  if (!util::InRangeDouble(modIndex, 0.0, kModIndexLockMaxIndex + 1.0)) return -1;
  // 100 x 0.29 is 28.999... in binary: a hair of slack keeps a whole number of hundredths whole.
  const std::int32_t key = util::FloorToInt(100.0 * modIndex + kModIndexKeySlack);
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (table[i].IndexHundredths == key) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace card
