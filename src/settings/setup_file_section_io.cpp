// The table walkers of the card setup file: one key at a time through the INI routines.
#include <charconv>
#include <cstring>

#include "settings/setup_file_sections.h"
#include "util/error_log.h"
#include "util/ini_read_report.h"
#include "util/ini_routines.h"
#include "util/number_text.h"

namespace settings::setupfile {

namespace {

template <class T>
T Load(std::span<const std::byte> record, const KeySpec& spec) {
  T value{};
  std::memcpy(&value, record.data() + spec.Offset, sizeof value);
  return value;
}

template <class T>
void Store(std::span<std::byte> record, const KeySpec& spec, T value) {
  std::memcpy(record.data() + spec.Offset, &value, sizeof value);
}

// The text of a char field up to its first NUL (the whole field when it has none).
std::string FieldText(std::span<const std::byte> record, const KeySpec& spec) {
  const char* field = reinterpret_cast<const char*>(record.data() + spec.Offset);
  return std::string(field, ::strnlen(field, spec.Size));
}

// Cut to the field with room for the NUL; the rest of the field is zeroed.
void StoreText(std::span<std::byte> record, const KeySpec& spec, std::string_view text) {
  const std::size_t length = text.size() < spec.Size - 1 ? text.size() : spec.Size - 1;
  std::byte* field = record.data() + spec.Offset;
  std::memset(field, 0, spec.Size);
  std::memcpy(field, text.data(), length);
}

// The field's number as a log line shows the value kept.
std::string NumberText(std::span<const std::byte> record, const KeySpec& spec) {
  switch (spec.KeyForm) {
    case Form::kInteger:
      return std::to_string(Load<std::int32_t>(record, spec));
    case Form::kDecimal: {
      char buf[32];
      return std::string(buf, std::to_chars(buf, buf + sizeof buf, Load<double>(record, spec)).ptr);
    }
    case Form::kHex:
      return util::RadixText(16, Load<std::uint32_t>(record, spec));
    case Form::kLowByte:
      return std::to_string(Load<std::uint8_t>(record, spec));
    case Form::kText:
    case Form::kYesNo:
      break;
  }
  return FieldText(record, spec);
}

}  // namespace

// ---- Writer --------------------------------------------------------------------------------------

void SectionWriter::Check(bool written, const std::string& section, std::string_view key) {
  if (written) return;
  ok_ = false;
  util::WriteErrorLogLine("Setup file " + file_ + ": [" + section + "] " + std::string(key) + " not written", 0);
}

void SectionWriter::WriteText(const std::string& section, std::string_view key, const std::string& text) {
  Check(util::IniWriteString(file_, section, std::string(key), text), section, key);
}

void SectionWriter::WriteKeys(const std::string& section, std::span<const KeySpec> keys,
                              std::span<const std::byte> record) {
  for (const KeySpec& spec : keys) {
    const std::string key(spec.Key);
    bool written = false;
    switch (spec.KeyForm) {
      case Form::kText:
        written = util::IniWriteString(file_, section, key, FieldText(record, spec));
        break;
      case Form::kInteger: {
        const auto value = Load<std::int32_t>(record, spec);
        if (spec.SkipNoMode && value == card::kNoFpgaMode) continue;
        written = util::IniWriteInt(file_, section, key, value);
        break;
      }
      case Form::kDecimal:
        written = util::IniWriteDouble(file_, section, key, Load<double>(record, spec));
        break;
      case Form::kYesNo:
        written = util::IniWriteBool(file_, section, key, Load<std::uint8_t>(record, spec) != 0);
        break;
      case Form::kHex:
        written = util::IniWriteRadix(file_, section, key, 16, Load<std::uint32_t>(record, spec));
        break;
      case Form::kLowByte:
        written = util::IniWriteInt(file_, section, key, Load<std::uint8_t>(record, spec));
        break;
    }
    Check(written, section, key);
  }
}

// ---- Reader --------------------------------------------------------------------------------------

bool SectionReader::ReadText(const std::string& section, std::string_view key, std::string& text) {
  if (!util::IniReadString(file_, section, std::string(key), text)) return false;
  ++keysFound_;
  return true;
}

void SectionReader::LogBadValue(const std::string& section, const KeySpec& spec, const std::string& text,
                                const char* why, std::span<const std::byte> record) {
  // A section read twice (the sweep) reports its bad values once.
  if (!logged_.insert(section + '\n' + std::string(spec.Key)).second) return;
  util::ReportIniProblem("Setup file " + file_ + ": [" + section + "] " + std::string(spec.Key) + " = " +
                         util::QuotedIniValue(text) + " " + why + ", using " + NumberText(record, spec));
}

void SectionReader::ReadKeys(const std::string& section, std::span<const KeySpec> keys, std::span<std::byte> record,
                             bool applyLimits, double carrierMhz) {
  for (const KeySpec& spec : keys) {
    const bool wanted = spec.Read == ReadRule::kAlways ||
                        (spec.Read == ReadRule::kWithOutputStateOption && options_.RecallTestModOutputState);
    bool found = false;
    if (wanted) {
      found = ReadKey(section, spec, record, applyLimits, carrierMhz);
    } else {
      // Not taken, but it still tells a setup file from a foreign one.
      std::string ignored;
      found = ReadText(section, spec.Key, ignored);
    }
    // A mode key is left out while its mode is "none"; every other key of a table is written.
    if (!found && !spec.SkipNoMode) missing_.insert(section + '\n' + std::string(spec.Key));
  }
}

bool SectionReader::ReadKey(const std::string& section, const KeySpec& spec, std::span<std::byte> record,
                            bool applyLimits, double carrierMhz) {
  std::string text;
  if (!ReadText(section, spec.Key, text)) return false;

  const bool clamp = applyLimits && spec.LimitKind == Limit::kClamp;
  const auto limited = [&](double value) {
    if (clamp) return util::ClampDouble(spec.Low, spec.High, value);
    if (applyLimits && spec.LimitKind == Limit::kAroundCarrier) {
      return util::ClampDouble(carrierMhz - spec.Low, carrierMhz + spec.Low, value);
    }
    return value;
  };
  const auto outside = [&](double value) {
    return spec.LimitKind == Limit::kRejectOutside && !util::InRangeDouble(value, spec.Low, spec.High);
  };

  switch (spec.KeyForm) {
    case Form::kText:
      StoreText(record, spec, text);
      return true;
    case Form::kYesNo:
      Store<std::uint8_t>(record, spec, text == "YES" ? 1 : 0);
      return true;
    case Form::kInteger: {
      if (spec.LimitKind == Limit::kClamp) {
        // A limited choice takes any number, limited and then made whole.
        double number = 0.0;
        if (!util::TextToDouble(text, number)) break;
        Store<std::int32_t>(record, spec, util::FloorToInt(limited(number)));
        return true;
      }
      std::int32_t number = 0;
      if (!util::TextToInt(text, number)) break;
      if (outside(number)) {
        LogBadValue(section, spec, text, "out of range", record);
        return true;
      }
      Store<std::int32_t>(record, spec, number);
      return true;
    }
    case Form::kDecimal: {
      double number = 0.0;
      if (!util::TextToDouble(text, number)) break;
      Store<double>(record, spec, limited(number));
      return true;
    }
    case Form::kHex: {
      std::uint32_t number = 0;
      if (!util::TextToUnsigned(text, number, 16)) break;
      Store<std::uint32_t>(record, spec, number);
      return true;
    }
    case Form::kLowByte: {
      std::int32_t number = 0;
      if (!util::TextToInt(text, number)) break;
      Store<std::uint8_t>(record, spec, static_cast<std::uint8_t>(static_cast<std::uint32_t>(number) & 0xFFu));
      return true;
    }
  }
  LogBadValue(section, spec, text, "not a number", record);
  return true;
}

}  // namespace settings::setupfile
