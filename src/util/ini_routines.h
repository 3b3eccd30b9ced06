#pragma once
// Reading and writing one INI key at a time. A read that finds no key, or a value that does not
// parse, leaves the caller's value unchanged and returns false, so a missing or damaged key keeps
// the current setting. A value that does not parse is reported (util/ini_read_report.h) as
// "<file name> [<section>] <key>=\"<text>\" is not a valid number; <value kept> used".
#include <cstdint>
#include <string>

namespace util {

// The default a reader passes to tell "missing" from any real value.
inline constexpr const char* kIniMissingMarker = "BOGUS SECTION or KEY";

bool IniReadString(const std::string& file, const std::string& section, const std::string& key, std::string& text);
bool IniReadInt(const std::string& file, const std::string& section, const std::string& key, std::int32_t& value);
bool IniReadUnsigned(const std::string& file, const std::string& section, const std::string& key, int radix,
                     std::uint32_t& value);
bool IniReadDouble(const std::string& file, const std::string& section, const std::string& key, double& value);
// Found: value := (text is exactly "YES"), true. Missing: false, value unchanged.
bool IniReadBool(const std::string& file, const std::string& section, const std::string& key, std::uint8_t& value);

bool IniWriteString(const std::string& file, const std::string& section, const std::string& key,
                    const std::string& text);
bool IniWriteInt(const std::string& file, const std::string& section, const std::string& key, std::int64_t value);
// Radix 2: 32 binary digits; radix 16: 8 upper-case hexadecimal digits; any other radix: decimal.
bool IniWriteRadix(const std::string& file, const std::string& section, const std::string& key, int radix,
                   std::uint32_t value);
// Fixed notation with 9 decimals, cut to 18 characters; the cut only ever drops decimals, never an
// integer digit (a point left last goes too).
bool IniWriteDouble(const std::string& file, const std::string& section, const std::string& key, double value);
bool IniWriteBool(const std::string& file, const std::string& section, const std::string& key, bool value);

// The text IniWriteRadix writes for a value.
std::string RadixText(int radix, std::uint32_t value);

// The text IniWriteDouble writes for a value.
std::string IniDoubleText(double value);

// Writes the cached file out; true when that succeeded.
bool IniFlush(const std::string& file);
bool IniFlushText(const std::string& file);

}  // namespace util
