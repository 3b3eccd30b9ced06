#include "ui/factory/poke_file.h"

#include <unistd.h>

#include <array>
#include <cstdio>
#include <memory>

#include "platform/regular_file.h"
#include "ui/factory/register_text.h"
#include "util/number_text.h"

namespace factory {
namespace {

constexpr int kEmptyLineRetries = 100;
constexpr std::uint32_t kRegisterModulus = 65536;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

enum class LineRead { Text, Overlong, End };

// One whole line of the file: its first 79 characters in `text`, CR and LF removed and blanks
// trimmed. A longer line is consumed to its end and reported, so its tail is never read as a
// line of its own.
LineRead ReadOneLine(std::FILE* file, std::string& text) {
  std::array<char, kPokeLineBuffer> buffer{};
  if (std::fgets(buffer.data(), kPokeLineBuffer, file) == nullptr) return LineRead::End;
  std::string_view read(buffer.data());
  const bool complete = !read.empty() && read.back() == '\n';
  if (!complete && !std::feof(file)) {
    // The rest of the line: nothing but its line end leaves a line that fitted the buffer.
    int extra = 0;
    int c = 0;
    while ((c = std::fgetc(file)) != EOF && c != '\n') extra += c == '\r' ? 0 : 1;
    if (extra > 0) return LineRead::Overlong;
  }
  text = util::TrimText(read);
  return LineRead::Text;
}

}  // namespace

bool ParsePokeLine(std::string_view line, int radix, std::uint32_t& reg, std::uint32_t& value) {
  std::string first = util::TextBefore(line, "\t");
  std::uint32_t number = 0;
  bool parsed = !first.empty() && util::TextToUnsigned(first, number, radix);
  if (!parsed) {
    first = util::TextBefore(line, " ");
    parsed = !first.empty() && util::TextToUnsigned(first, number, radix);
  }
  if (!parsed || first.size() >= line.size()) return false;
  const std::string_view rest = line.substr(first.size() + 1);
  std::uint32_t second = 0;
  if (!util::TextToUnsigned(rest, second, radix)) return false;
  reg = number % kRegisterModulus;
  value = second;
  return true;
}

PokeFileRead ReadPokeFile(const std::string& path, int radix) {
  PokeFileRead result;
  std::vector<PokePair>& pairs = result.pairs;
  platform::ReadFileStatus status = platform::ReadFileStatus::kOk;
  const int fd = platform::OpenRegularFile(path, kMaxPokeFileBytes, status, result.why);
  if (fd < 0) return result;
  const FilePtr file(::fdopen(fd, "r"));
  if (!file) {
    ::close(fd);
    result.why = path + ": cannot be read";
    return result;
  }
  pairs.reserve(kMaxPokePairs);
  std::string text;
  while (static_cast<int>(pairs.size()) < kMaxPokePairs) {
    LineRead read = ReadOneLine(file.get(), text);
    for (int retry = 0; read == LineRead::Text && text.empty() && retry < kEmptyLineRetries; ++retry) {
      read = ReadOneLine(file.get(), text);
    }
    if (read != LineRead::Text || text.empty()) break;
    PokePair pair;
    if (!ParsePokeLine(text, radix, pair.Register, pair.Value)) break;
    pairs.push_back(pair);
  }
  return result;
}

bool PokeRegisterInRange(std::uint32_t reg) { return reg < static_cast<std::uint32_t>(kFpgaRegisters); }

std::string PokeListingLine(const PokePair& pair, bool hex) {
  std::string line = hex ? util::IntToHexText(pair.Register, 4, true) + "    " + util::IntToHexText(pair.Value, 8, true)
                         : std::to_string(pair.Register) + "    " + std::to_string(pair.Value);
  if (!PokeRegisterInRange(pair.Register)) line += kNotPokedNote;
  return line;
}

}  // namespace factory
