#include "util/ini_routines.h"

#include <algorithm>
#include <charconv>

#include "platform/profile_store.h"
#include "util/ini_read_report.h"
#include "util/number_text.h"

namespace util {

namespace {
constexpr std::size_t kDoubleTextLength = 18;

// A key that is there but is no number: the caller keeps `used`, and the log says so.
void ReportNotANumber(const std::string& file, const std::string& section, const std::string& key,
                      const std::string& text, const std::string& used) {
  const std::size_t slash = file.find_last_of('/');
  const std::string name = slash == std::string::npos ? file : file.substr(slash + 1);
  ReportIniProblem(name + " [" + section + "] " + key + "=" + QuotedIniValue(text) + " is not a valid number; " +
                   used + " used");
}

template <class Number>
std::string DecimalText(Number value) {
  char buf[32];
  return std::string(buf, std::to_chars(buf, buf + sizeof buf, value).ptr);
}

// Read as text, then parsed; a text that does not parse is reported with the value kept.
template <class Number, class Parse, class Show>
bool ReadNumber(const std::string& file, const std::string& section, const std::string& key, Number& value,
                Parse parse, Show show) {
  std::string text;
  if (!IniReadString(file, section, key, text)) return false;
  if (parse(text, value)) return true;
  ReportNotANumber(file, section, key, text, show(value));
  return false;
}

}  // namespace

bool IniReadString(const std::string& file, const std::string& section, const std::string& key, std::string& text) {
  std::string read = platform::ReadProfileString(file, section, key, kIniMissingMarker, platform::kProfileValueCapacity);
  if (read == kIniMissingMarker) return false;
  text = std::move(read);
  return true;
}

bool IniReadInt(const std::string& file, const std::string& section, const std::string& key, std::int32_t& value) {
  return ReadNumber(
      file, section, key, value, [](const std::string& text, std::int32_t& v) { return TextToInt(text, v); },
      [](std::int32_t v) { return DecimalText(v); });
}

bool IniReadUnsigned(const std::string& file, const std::string& section, const std::string& key, int radix,
                     std::uint32_t& value) {
  return ReadNumber(
      file, section, key, value,
      [radix](const std::string& text, std::uint32_t& v) { return TextToUnsigned(text, v, radix); },
      [radix](std::uint32_t v) { return RadixText(radix, v); });
}

bool IniReadDouble(const std::string& file, const std::string& section, const std::string& key, double& value) {
  return ReadNumber(
      file, section, key, value, [](const std::string& text, double& v) { return TextToDouble(text, v); },
      [](double v) { return DecimalText(v); });
}

bool IniReadBool(const std::string& file, const std::string& section, const std::string& key, std::uint8_t& value) {
  std::string text;
  if (!IniReadString(file, section, key, text)) return false;
  value = text == "YES" ? 1 : 0;
  return true;
}

bool IniWriteString(const std::string& file, const std::string& section, const std::string& key,
                    const std::string& text) {
  return platform::WriteProfileString(file, section, key, text);
}

bool IniWriteInt(const std::string& file, const std::string& section, const std::string& key, std::int64_t value) {
  // At most 20 characters; cutting to 16 could only ever drop integer digits, so it never cuts.
  char buf[24];
  return IniWriteString(file, section, key, std::string(buf, std::to_chars(buf, buf + sizeof buf, value).ptr));
}

std::string RadixText(int radix, std::uint32_t value) {
  std::string text;
  if (radix == 2) {
    for (int bit = 31; bit >= 0; --bit) text.push_back(IsBitSet(value, bit) ? '1' : '0');
  } else if (radix == 16) {
    text = IntToHexText(value, 8, false);
    for (char& c : text) c = static_cast<char>(c >= 'a' && c <= 'f' ? c - 'a' + 'A' : c);
  } else {
    text = DecimalText(value);
  }
  return text;
}

bool IniWriteRadix(const std::string& file, const std::string& section, const std::string& key, int radix,
                   std::uint32_t value) {
  return IniWriteString(file, section, key, RadixText(radix, value));
}

std::string IniDoubleText(double value) {
  std::string text = FloatToFixedText(1 << 10, 9, value);
  if (text.size() > kDoubleTextLength) {
    const auto point = text.find('.');
    const std::size_t keep = point == std::string::npos ? text.size() : std::max(kDoubleTextLength, point);
    text.resize(keep);
    if (!text.empty() && text.back() == '.') text.pop_back();
  }
  return text;
}

bool IniWriteDouble(const std::string& file, const std::string& section, const std::string& key, double value) {
  return IniWriteString(file, section, key, IniDoubleText(value));
}

bool IniWriteBool(const std::string& file, const std::string& section, const std::string& key, bool value) {
  return IniWriteString(file, section, key, value ? "YES" : "NO");
}

bool IniFlush(const std::string& file) { return platform::WriteProfileString(file, "", "", ""); }

bool IniFlushText(const std::string& file) { return IniFlush(file); }

}  // namespace util
