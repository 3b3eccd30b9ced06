#include "config/options_store.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <variant>
#include <vector>

#include "config/cpu_usage.h"
#include "config/general_routines.h"
#include "platform/profile_store.h"
#include "util/error_log.h"
#include "util/file_routines.h"
#include "util/ini_read_report.h"
#include "util/ini_file_check.h"
#include "util/ini_rewrite.h"
#include "util/ini_routines.h"
#include "util/number_text.h"

namespace config {

namespace {

// ---- Field accessors. One accessor serves reader, writer and defaults; `item` is the index of a
// repeated key (down-converter, channel, channel * 8 + column, colour).

using FlagField = std::uint8_t& (*)(kr20optinfo&, int item);
using IntField = std::int32_t& (*)(kr20optinfo&, int item);
using DoubleField = double& (*)(kr20optinfo&, int item);
using WordField = std::uint32_t& (*)(kr20optinfo&, int item);
using TextField = FlightRecordHeaderText& (*)(kr20optinfo&, int item);
using Field = std::variant<FlagField, IntField, DoubleField, WordField, TextField>;

template <auto Member>
auto& Top(kr20optinfo& r, int) {
  return r.*Member;
}
template <auto Member>
auto& Cpu(kr20optinfo& r, int) {
  return r.CpuUsageInfo.*Member;
}
template <auto Member>
auto& Acf(kr20optinfo& r, int item) {
  return r.AcfInfo[static_cast<std::size_t>(item)].*Member;
}
flightrecordparamoptions& ColumnAt(kr20optinfo& r, int item) {
  return r.FlightRecordParamOptions[item / kFlightRecordColumns][item % kFlightRecordColumns];
}
template <auto Member>
auto& Column(kr20optinfo& r, int item) {
  return ColumnAt(r, item).*Member;
}
template <int Line>
FlightRecordHeaderText& Header(kr20optinfo& r, int item) {
  return ColumnAt(r, item).HeaderText[Line];
}
std::uint8_t& IncludeSetup(kr20optinfo& r, int channel) { return r.FlightRecordParamOptions[channel][0].IncludeSetup; }
std::uint32_t& Colour(kr20optinfo& r, int item) { return r.ColorScheme[static_cast<std::size_t>(item)]; }

// ---- Defaults that differ per item.

struct ColumnDefault {
  std::uint8_t enabled;
  std::string_view line2;
  std::string_view line3;
  int width;
  int decimals;
  std::uint8_t scientific;
};

// Widths hold the header texts and the values as the flight-record writer formats them (the
// time as "ddd:hh:mm:ss.ssssss", the BER always in exponent form).
constexpr std::array<ColumnDefault, kFlightRecordColumns> kColumnDefaults{{
    {1, "Elapsed Time", "ddd:hh:mm:ss.ssssss", 19, 6, 0},
    {1, "RSSI", "dBm", 7, 1, 0},
    {1, "IF Car Pwr", "dBm", 10, 1, 0},
    {1, "IF Car Frq", "Hz", 12, 1, 0},
    {1, "Peak Dev", "Index", 8, 3, 0},
    {1, "Eb / No", "dB", 7, 1, 0},
    {1, "BER", "", 9, 2, 1},
    {1, "B/S Lk", "", 6, 0, 0},
}};

// Column names in the keys ("RSSI Width").
constexpr std::array<std::string_view, kFlightRecordColumns> kColumnKeyNames{
    "Time", "RSSI", "IfCarPwr", "IfCarFrq", "PeakDev", "EbNo", "BER", "BsLock",
};

const ColumnDefault& ColumnDefaultOf(int item) {
  return kColumnDefaults[static_cast<std::size_t>(item % kFlightRecordColumns)];
}
int ChannelOf(int item) { return item / kFlightRecordColumns; }

std::string YesNo(bool on) { return on ? "YES" : "NO"; }

std::string HexText(std::uint32_t value) {
  std::string text = util::IntToHexText(value, 8, false);
  std::transform(text.begin(), text.end(), text.begin(),
                 [](char c) { return c >= 'a' && c <= 'f' ? c - 'a' + 'A' : c; });
  return text;
}

// The time is the same for both channels, so only the first channel writes it.
std::string DefaultColumnEnabled(int item) {
  const bool repeatedTime = item % kFlightRecordColumns == kFltColTime && ChannelOf(item) > 0;
  return YesNo(ColumnDefaultOf(item).enabled != 0 && !repeatedTime);
}
std::string DefaultColumnWidth(int item) { return std::to_string(ColumnDefaultOf(item).width); }
// Line 1 names the channel; the writer turns "1" and "2" into the card's own channel numbers.
std::string DefaultHeader1(int item) { return "Ch" + std::to_string(ChannelOf(item) + 1); }
std::string DefaultHeader2(int item) { return std::string(ColumnDefaultOf(item).line2); }
std::string DefaultHeader3(int item) { return std::string(ColumnDefaultOf(item).line3); }
std::string DefaultColumnDecimals(int item) { return std::to_string(ColumnDefaultOf(item).decimals); }
std::string DefaultColumnScientific(int item) { return YesNo(ColumnDefaultOf(item).scientific != 0); }

// ---- Built-in colour schemes (0x00BBGGRR), in the order of kColorKeyNames.

constexpr std::array<ColorBlock, kDefaultColorSchemeCount> kColorSchemes{{
    // Grays
    {0x00C0C0C0, 0x00000000, 0x00800000, 0x00A0A0A0, 0x00000000, 0x00000080, 0x00D0D0D0, 0x00000000, 0x00800000,
     0x00B0B0B0, 0x00909090, 0x00404040, 0x00FFFFFF, 0x00000000, 0x00606060, 0x0000FF00, 0x0000FFFF, 0x00FFFF00,
     0x00E0E0E0, 0x00008000, 0x00E0E0E0, 0x00800000, 0x00202020, 0x0000FF00, 0x0000FFFF, 0x000000FF, 0x00FF8000},
    // Dark
    {0x00202020, 0x00C0C0C0, 0x0000FF00, 0x00303030, 0x00C0C0C0, 0x0000FFFF, 0x00282828, 0x00C0C0C0, 0x00FFFF00,
     0x00181818, 0x00707070, 0x00000000, 0x00E0E0E0, 0x00000000, 0x00404040, 0x0000FFFF, 0x00FF00FF, 0x00FFFF00,
     0x00202020, 0x0000FF00, 0x00202020, 0x00FFFF00, 0x00000000, 0x0000FF00, 0x0000FFFF, 0x004040FF, 0x00FF8000},
    // Classic
    {0x00F0F0F0, 0x00800000, 0x00000000, 0x00E0E0E0, 0x00800000, 0x00000080, 0x00FFFFFF, 0x00800000, 0x00000000,
     0x00F0F0F0, 0x00C8D0D4, 0x00800000, 0x00FFFFFF, 0x00000000, 0x00006400, 0x0000FFFF, 0x000000FF, 0x00FF00FF,
     0x00FFFFFF, 0x00008000, 0x00FFFFFF, 0x00FF0000, 0x00FFFFFF, 0x00008000, 0x00FF0000, 0x000000FF, 0x00FF8000},
}};

std::string DefaultColour(int item) { return HexText(kColorSchemes[0][static_cast<std::size_t>(item)]); }

// ---- The options table.

enum class Repeat : std::uint8_t {
  Once,
  PerAcf,      // sections `section` + "0" .. "11"
  PerChannel,  // sections `section` + "1", "2"
  PerColumn,   // per channel section, keys "<column> " + `key`
  PerColour,   // keys kColorKeyNames
};

using DefaultOf = std::string (*)(int item);

// A default as the file holds it: the same for every item, or per item.
struct OptionDefault {
  constexpr OptionDefault(const char* same) : text(same) {}
  constexpr OptionDefault(DefaultOf perItem) : of(perItem) {}
  std::string_view text;
  DefaultOf of = nullptr;
};

struct OptionKey {
  Repeat repeat;
  std::string_view section;
  std::string_view key;
  OptionKind kind;
  Field field;
  OptionDefault byDefault;
  double low;
  double high;
};

constexpr OptionKey Once(std::string_view section, std::string_view key, OptionKind kind, Field field,
                         OptionDefault byDefault, double low = 0.0, double high = 0.0) {
  return {Repeat::Once, section, key, kind, field, byDefault, low, high};
}
constexpr OptionKey Each(Repeat repeat, std::string_view section, std::string_view key, OptionKind kind, Field field,
                         OptionDefault byDefault, double low = 0.0, double high = 0.0) {
  return {repeat, section, key, kind, field, byDefault, low, high};
}

constexpr int kMaxConfidenceWeight = 127;
constexpr std::string_view kFlightRecordSection = "FLIGHT RECORD CH";

using R = kr20optinfo;
using C = CpuUsageSettings;
using F = flightrecordparamoptions;
using K = OptionKind;

// Keys in file order; consecutive lines of one repetition are written item by item, so that the
// keys of one down-converter or one column stay together.
constexpr std::array kOptionKeys{
    Once("OPTIONS", "SingleChannelUsage", K::Flag, &Top<&R::SingleChannelUsage>, "NO"),
    Once("OPTIONS", "DataRecordRateHz", K::Int, &Top<&R::DataRecordRateHz>, "1", 1, 25),
    Once("OPTIONS", "AutoSetFreqSpan", K::Flag, &Top<&R::AutoSetFreqSpan>, "YES"),
    Once("OPTIONS", "RecallTestModOutputState", K::Flag, &Top<&R::RecallTestModOutputState>, "NO"),
    Once("OPTIONS", "WarnCarrierPeakDeviationRange", K::Flag, &Top<&R::WarnCarrierPeakDeviationRange>, "NO"),
    Once("OPTIONS", "ViewCarrierFreqSpan", K::Flag, &Top<&R::ViewCarrierFreqSpan>, "YES"),
    Once("OPTIONS", "ViewTestModCarNoiseLevel", K::Flag, &Top<&R::ViewTestModCarNoiseLevel>, "NO"),
    Once("OPTIONS", "MinLastStateSaves", K::Flag, &Top<&R::MinLastStateSaves>, "NO"),
    Once("OPTIONS", "LoadLastSetupState", K::Flag, &Top<&R::LoadLastSetupState>, "YES"),
    Once("OPTIONS", "LoadLastSetupFile", K::Flag, &Top<&R::LoadLastSetupFile>, "NO"),
    Once("OPTIONS", "AlwaysSaveSetups", K::Flag, &Top<&R::AlwaysSaveSetups>, "NO"),
    Once("OPTIONS", "RxSignalStrengthWarningMax", K::Double, &Top<&R::RxSignalStrengthWarningMax>, "-20", -100, 0),
    Once("OPTIONS", "RxSignalStrengthWarningMin", K::Double, &Top<&R::RxSignalStrengthWarningMin>, "-90", -100, 0),

    Once("CPU USAGE", "CpuUsageInfo_ProcessorAffinityMask", K::Mask, &Cpu<&C::ProcessorAffinityMask>, "FFFFFFFF"),
    Once("CPU USAGE", "CpuUsageInfo_PriorityHigh", K::Flag, &Cpu<&C::PriorityHigh>, "NO"),

    Once("CARD OPTIONS", "DnCvtIfConstantMultiplier", K::Double, &Top<&R::DnCvtIfConstantMultiplier>, "1", 1, 10),
    Once("CARD OPTIONS", "BitsyncConfidenceWeight", K::Weight, &Top<&R::BitsyncConfidenceWeight>, "33", 0,
         kMaxConfidenceWeight),
    Once("CARD OPTIONS", "FmFmPostDConfidenceWeight", K::Weight, &Top<&R::FmFmPostDConfidenceWeight>, "4259840", 0,
         kMaxConfidenceWeight),
    Once("CARD OPTIONS", "UseDirectCifTuningMode", K::Flag, &Top<&R::UseDirectCifTuningMode>, "NO"),
    Once("CARD OPTIONS", "FmFmPostDOut2", K::Flag, &Top<&R::FmFmPostDOut2>, "NO"),
    Once("CARD OPTIONS", "NoiseFilterGainValue", K::Double, &Top<&R::NoiseFilterGainValue>, "1", 1, 64),

    Once("BITSYNC LOCK LOGIC", "EnableBsEbNoAlg", K::Flag, &Top<&R::EnableBsEbNoAlg>, "YES"),
    Once("BITSYNC LOCK LOGIC", "MinEbNoBsLock", K::Double, &Top<&R::MinEbNoBsLock>, "5", 0, 25),

    Once("IF RX AUTO LOGIC", "EnableIFCarAcqRgAlg", K::Flag, &Top<&R::EnableIFCarAcqRgAlg>, "NO"),
    Once("IF RX AUTO LOGIC", "EnableIFCarFilterAlg", K::Flag, &Top<&R::EnableIFCarFilterAlg>, "NO"),
    Once("IF RX AUTO LOGIC", "EnableIFCarCFAlg", K::Flag, &Top<&R::EnableIFCarCFAlg>, "YES"),
    Once("IF RX AUTO LOGIC", "IfCarCfSpanPct", K::Double, &Top<&R::IfCarCfSpanPct>, "5", 1, 50),

    Each(Repeat::PerAcf, "AcfInfo_", "LoadValue", K::Double, &Acf<&AcfInfoRecord::LoadValue>, "0", -50, 50),
    Each(Repeat::PerAcf, "AcfInfo_", "Enabled", K::Flag, &Acf<&AcfInfoRecord::Enabled>, "NO"),

    Each(Repeat::PerChannel, kFlightRecordSection, "IncludeSetup", K::Flag, &IncludeSetup, "NO"),
    Each(Repeat::PerColumn, kFlightRecordSection, "Enabled", K::Flag, &Column<&F::Enabled>, &DefaultColumnEnabled),
    Each(Repeat::PerColumn, kFlightRecordSection, "Width", K::Int, &Column<&F::Width>, &DefaultColumnWidth, 1, 30),
    Each(Repeat::PerColumn, kFlightRecordSection, "Header1", K::Text, &Header<0>, &DefaultHeader1, 0,
         kFlightRecordHeaderLength),
    Each(Repeat::PerColumn, kFlightRecordSection, "Header2", K::Text, &Header<1>, &DefaultHeader2, 0,
         kFlightRecordHeaderLength),
    Each(Repeat::PerColumn, kFlightRecordSection, "Header3", K::Text, &Header<2>, &DefaultHeader3, 0,
         kFlightRecordHeaderLength),
    Each(Repeat::PerColumn, kFlightRecordSection, "Decimals", K::Int, &Column<&F::Decimals>, &DefaultColumnDecimals, 0,
         9),
    Each(Repeat::PerColumn, kFlightRecordSection, "Scientific", K::Flag, &Column<&F::Scientific>,
         &DefaultColumnScientific),

    Each(Repeat::PerColour, "COLORS", "", K::Colour, &Colour, &DefaultColour),
};

constexpr bool FieldsMatchKinds() {
  for (const OptionKey& key : kOptionKeys) {
    const bool match = [&] {
      switch (key.kind) {
        case K::Flag:
          return std::holds_alternative<FlagField>(key.field);
        case K::Int:
          return std::holds_alternative<IntField>(key.field);
        case K::Double:
          return std::holds_alternative<DoubleField>(key.field);
        case K::Weight:
        case K::Colour:
        case K::Mask:
          return std::holds_alternative<WordField>(key.field);
        case K::Text:
          return std::holds_alternative<TextField>(key.field);
      }
      return false;
    }();
    if (!match || (key.byDefault.of == nullptr) == key.byDefault.text.empty()) return false;
  }
  return true;
}
// Every accessor has the type its kind reads and writes, and every key one default.
static_assert(FieldsMatchKinds());

// The accessor of the key's kind; FieldsMatchKinds guarantees it is there.
template <typename Accessor>
Accessor AccessorOf(const OptionKey& key) {
  return *std::get_if<Accessor>(&key.field);
}

// ---- The table expanded into the keys of the file.

struct FileKey {
  std::string section;
  std::string key;
  const OptionKey* option;
  int item;
};

int ItemCount(Repeat repeat) {
  switch (repeat) {
    case Repeat::Once:
      return 1;
    case Repeat::PerAcf:
      return kAcfInfoCount;
    case Repeat::PerChannel:
      return kFlightRecordChannels;
    case Repeat::PerColumn:
      return kFlightRecordChannels * kFlightRecordColumns;
    case Repeat::PerColour:
      return kColorSchemeSize;
  }
  return 0;
}

FileKey MakeFileKey(const OptionKey& option, int item) {
  FileKey k{std::string(option.section), std::string(option.key), &option, item};
  switch (option.repeat) {
    case Repeat::Once:
      break;
    case Repeat::PerAcf:
      k.section += std::to_string(item);
      break;
    case Repeat::PerChannel:
      k.section += std::to_string(item + 1);
      break;
    case Repeat::PerColumn:
      k.section += std::to_string(ChannelOf(item) + 1);
      k.key = std::string(kColumnKeyNames[static_cast<std::size_t>(item % kFlightRecordColumns)]) + " " + k.key;
      break;
    case Repeat::PerColour:
      k.key = std::string(kColorKeyNames[static_cast<std::size_t>(item)]);
      break;
  }
  return k;
}

std::vector<FileKey> FileKeys() {
  std::vector<FileKey> keys;
  for (std::size_t first = 0; first < kOptionKeys.size();) {
    std::size_t end = first + 1;
    while (end < kOptionKeys.size() && kOptionKeys[end].repeat == kOptionKeys[first].repeat &&
           kOptionKeys[end].section == kOptionKeys[first].section) {
      ++end;
    }
    for (int item = 0; item < ItemCount(kOptionKeys[first].repeat); ++item) {
      for (std::size_t row = first; row < end; ++row) keys.push_back(MakeFileKey(kOptionKeys[row], item));
    }
    first = end;
  }
  return keys;
}

// ---- Reading one value.

enum class Outcome { Stored, Limited, NotANumber, TooLong };

std::string FixedText(double value) { return util::FloatToFixedText(32, 2, value); }

std::string TextOf(const FlightRecordHeaderText& text) { return std::string(text, ::strnlen(text, sizeof text)); }

void StoreText(FlightRecordHeaderText& field, std::string_view text) {
  std::memset(field, 0, sizeof field);
  std::memcpy(field, text.data(), std::min(text.size(), sizeof field - 1));
}

// The weight register value: decimal as written, or hexadecimal with "0x" as the dialog takes it.
bool ParseWeight(std::string_view text, std::uint32_t& value) {
  const std::string trimmed = util::TrimText(text);
  const bool hex = trimmed.size() > 2 && trimmed[0] == '0' && (trimmed[1] == 'x' || trimmed[1] == 'X');
  return util::TextToUnsigned(trimmed, value, hex ? 16 : 10);
}

// Stores the text of a key into the record, limited to the key's range. `used` gets the value
// the record holds afterwards, as the log line shows it.
Outcome Store(kr20optinfo& record, const FileKey& k, std::string_view text, std::string& used) {
  const OptionKey& option = *k.option;
  switch (option.kind) {
    case K::Flag: {
      AccessorOf<FlagField>(option)(record, k.item) = text == "YES" ? 1 : 0;
      return Outcome::Stored;
    }
    case K::Int: {
      std::int32_t& field = AccessorOf<IntField>(option)(record, k.item);
      std::int32_t value = 0;
      if (!util::TextToInt(text, value)) {
        used = std::to_string(field);
        return Outcome::NotANumber;
      }
      field = std::clamp(value, static_cast<std::int32_t>(option.low), static_cast<std::int32_t>(option.high));
      used = std::to_string(field);
      return field == value ? Outcome::Stored : Outcome::Limited;
    }
    case K::Double: {
      double& field = AccessorOf<DoubleField>(option)(record, k.item);
      double value = 0.0;
      if (!util::TextToDouble(text, value)) {
        used = FixedText(field);
        return Outcome::NotANumber;
      }
      field = util::ClampDouble(option.low, option.high, value);
      used = FixedText(field);
      return field == value ? Outcome::Stored : Outcome::Limited;
    }
    case K::Weight: {
      std::uint32_t& field = AccessorOf<WordField>(option)(record, k.item);
      std::uint32_t value = 0;
      if (!ParseWeight(text, value)) {
        used = std::to_string(field);
        return Outcome::NotANumber;
      }
      const auto maxWeight = static_cast<std::uint32_t>(option.high);
      field = (value >> 16) > maxWeight ? (maxWeight << 16) | (value & 0xFFFFu) : value;
      used = std::to_string(field);
      return field == value ? Outcome::Stored : Outcome::Limited;
    }
    case K::Colour:
    case K::Mask: {
      std::uint32_t& field = AccessorOf<WordField>(option)(record, k.item);
      std::uint32_t value = 0;
      if (!util::TextToUnsigned(text, value, 16)) {
        used = HexText(field);
        return Outcome::NotANumber;
      }
      field = value;
      if (option.kind == K::Mask) {
        // Only processors this process may use; none of them means all of them.
        const std::uint32_t all = record.CpuUsageInfo.AllProcessorsMask;
        field = (value & all) != 0 ? value & all : all;
      }
      used = HexText(field);
      return field == value ? Outcome::Stored : Outcome::Limited;
    }
    case K::Text: {
      const auto length = static_cast<std::size_t>(option.high);
      const std::string_view kept = text.substr(0, length);
      StoreText(AccessorOf<TextField>(option)(record, k.item), kept);
      used = util::QuotedIniValue(kept);
      return kept.size() == text.size() ? Outcome::Stored : Outcome::TooLong;
    }
  }
  return Outcome::Stored;
}

void LogChange(const FileKey& k, std::string_view text, Outcome outcome, const std::string& used) {
  const char* what = outcome == Outcome::Limited   ? "out of range"
                     : outcome == Outcome::TooLong ? "too long"
                                                   : "not a number";
  util::ReportIniProblem("Options file: [" + k.section + "] " + k.key + " = " + util::QuotedIniValue(text) + " " +
                         what + ", using " + used);
}

// ---- Writing one value.

// A header text goes into the file quoted, so that blanks at its ends survive the reader's trim;
// a line break would end the key, so control characters become blanks.
std::string QuotedText(const FlightRecordHeaderText& field) {
  std::string text = TextOf(field);
  std::replace_if(
      text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }, ' ');
  return "\"" + text + "\"";
}

bool Write(const std::string& file, kr20optinfo& record, const FileKey& k) {
  const OptionKey& option = *k.option;
  switch (option.kind) {
    case K::Flag:
      return util::IniWriteBool(file, k.section, k.key, AccessorOf<FlagField>(option)(record, k.item) != 0);
    case K::Int:
      return util::IniWriteInt(file, k.section, k.key, AccessorOf<IntField>(option)(record, k.item));
    case K::Double:
      return util::IniWriteDouble(file, k.section, k.key, AccessorOf<DoubleField>(option)(record, k.item));
    case K::Weight:
      return util::IniWriteInt(file, k.section, k.key, AccessorOf<WordField>(option)(record, k.item));
    case K::Colour:
    case K::Mask:
      return util::IniWriteRadix(file, k.section, k.key, 16, AccessorOf<WordField>(option)(record, k.item));
    case K::Text:
      return util::IniWriteString(file, k.section, k.key, QuotedText(AccessorOf<TextField>(option)(record, k.item)));
  }
  return false;
}

bool HasProcessorInfo(const CpuUsageSettings& usage) {
  return usage.ProcessorCount >= 1 && usage.ProcessorCount <= kMaxProcessors && usage.AllProcessorsMask != 0;
}

}  // namespace

namespace {

// Every options file this program wrote holds every option key.
util::IniFileCheck CheckOptionKeys(const std::string& file) {
  std::vector<util::IniKeyName> keys;
  for (FileKey& k : FileKeys()) keys.push_back({std::move(k.section), std::move(k.key)});
  return util::FirstMissingKey(file, keys);
}

}  // namespace

// Every options file has the section of the general options; one of an older program may lack keys.
constexpr util::IniFileShape kOptionsFileShape{"OPTIONS", "", CheckOptionKeys};

std::string OptionsFilePath() { return SystemFolder("OPTIONS/Kr20Options.opt"); }

std::vector<OptionEntry> OptionEntries() {
  std::vector<OptionEntry> entries;
  for (FileKey& k : FileKeys()) {
    entries.push_back(
        OptionEntry{std::move(k.section), std::move(k.key), k.option->kind, k.option->low, k.option->high});
  }
  return entries;
}

void SetDefaultOptions(kr20optinfo& record) {
  record = kr20optinfo{};
  TakeProcessorInfo(record.CpuUsageInfo);
  std::string used;
  for (const FileKey& k : FileKeys()) {
    const OptionDefault& byDefault = k.option->byDefault;
    const std::string text = byDefault.of != nullptr ? byDefault.of(k.item) : std::string(byDefault.text);
    Store(record, k, text, used);
  }
}

kr20optionclass::kr20optionclass(bool load) {
  SetDefaultOptions(info_);
  if (load) LoadOptions(info_);
}

bool kr20optionclass::LoadOptions(kr20optinfo& record) {
  CpuUsageSettings& usage = record.CpuUsageInfo;
  if (!HasProcessorInfo(usage)) TakeProcessorInfo(usage);

  const std::string path = OptionsFilePath();
  const bool exists = util::IniFileOrBakPresent(path);
  // A damaged, cut or missing file is read from its ".BAK"; with neither readable the record keeps
  // its values.
  const std::string file = exists ? util::IniFileToRead(path, kOptionsFileShape) : std::string();
  if (!exists) {
    util::LogInfoText("Options file not found: " + path, 0, false);
  } else if (!file.empty()) {
    const platform::ProfileReadScope scope(file);
    const util::IniReadReport report("Options file");
    std::string text;
    std::string used;
    for (const FileKey& k : FileKeys()) {
      if (!util::IniReadString(file, k.section, k.key, text)) continue;
      const Outcome outcome = Store(record, k, text, used);
      if (outcome != Outcome::Stored) LogChange(k, text, outcome, used);
    }
    if (record.RxSignalStrengthWarningMin > record.RxSignalStrengthWarningMax) {
      util::LogInfoText(
          "Options file: [OPTIONS] RxSignalStrengthWarningMin = " + FixedText(record.RxSignalStrengthWarningMin) +
              " above RxSignalStrengthWarningMax = " + FixedText(record.RxSignalStrengthWarningMax) + ", swapped",
          0, false);
      util::SwapDoubles(record.RxSignalStrengthWarningMin, record.RxSignalStrengthWarningMax);
    }
  }
  // Only a channel's first column carries the include-setup flag; the others hold no option.
  for (auto& channel : record.FlightRecordParamOptions) {
    for (int column = 1; column < kFlightRecordColumns; ++column) channel[column].IncludeSetup = 0;
  }
  // A mask kept from before still names only usable processors.
  const std::uint32_t limited = usage.ProcessorAffinityMask & usage.AllProcessorsMask;
  usage.ProcessorAffinityMask = limited != 0 ? limited : usage.AllProcessorsMask;
  return exists;
}

bool kr20optionclass::SaveOptions(const kr20optinfo& record) {
  const std::string file = OptionsFilePath();
  std::error_code ignored;  // a folder that cannot be made fails the rewrite, which is logged
  std::filesystem::create_directories(std::filesystem::path(file).parent_path(), ignored);

  // The accessors are shared with the reader and hand out writable fields.
  kr20optinfo values = record;
  const bool saved = util::RewriteIniFile(file, kOptionsFileShape, [&values](const std::string& fresh) {
    bool ok = true;
    for (const FileKey& k : FileKeys()) ok = Write(fresh, values, k) && ok;
    return ok;
  });
  if (!saved) util::LogWarning("Options not saved to " + file, 0, false);
  return saved;
}

void kr20optionclass::CopyOptions(kr20optinfo& destination, const kr20optinfo& source) { destination = source; }

void kr20optionclass::SelectDefaultColorScheme(int scheme, ColorBlock& colours) {
  colours = kColorSchemes[scheme >= 0 && scheme < kDefaultColorSchemeCount ? static_cast<std::size_t>(scheme) : 0];
}

}  // namespace config
