#pragma once
// The sections of a card setup file, private to the settings folder: one key table per section
// kind (key name, value form, field place in its record, limits and read rule), the writer and
// reader that walk those tables over the INI routines, and the family writers and readers.
//
// Records are packed, so fields are never reached through references or member pointers: a
// table entry holds the field's byte offset and size, and values are copied in and out.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "card/records/card_setup_record.h"
#include "card/records/dncvt_channel_record.h"

namespace settings::setupfile {

// How a value stands in the file.
enum class Form : std::uint8_t {
  kText,     // char field, written unchanged, read cut to the field with its NUL
  kInteger,  // i32, no decimals
  kDecimal,  // f64, 9 decimals cut to 18 characters
  kYesNo,    // u8, "YES" / "NO"; only "YES" reads as true
  kHex,      // u32, 8 hexadecimal digits
  kLowByte,  // u8 written as an integer; only the low 8 bits of the number read are kept
};

// What the reader does with a number it read, before storing it.
enum class Limit : std::uint8_t {
  kNone,
  kClamp,          // limited to [Low, High]; integers are read as any number, then made whole
  kAroundCarrier,  // limited to the test modulator's carrier frequency +- Low
  kRejectOutside,  // a number outside [Low, High] is ignored like one that does not parse
};

// Whether the reader takes the file's value.
enum class ReadRule : std::uint8_t {
  kAlways,
  kNever,                  // the family sets the field itself
  kWithOutputStateOption,  // only with the option RecallTestModOutputState on
};

struct KeySpec {
  std::string_view Key;
  Form KeyForm = Form::kText;
  std::size_t Offset = 0;  // of the field in the section's record
  std::size_t Size = 0;    // of the field
  Limit LimitKind = Limit::kNone;
  double Low = 0.0;
  double High = 0.0;
  ReadRule Read = ReadRule::kAlways;
  bool SkipNoMode = false;  // not written while the field holds card::kNoFpgaMode

  constexpr KeySpec Clamped(double low, double high) const {
    KeySpec spec = *this;
    spec.LimitKind = Limit::kClamp;
    spec.Low = low;
    spec.High = high;
    return spec;
  }
  constexpr KeySpec AroundCarrier(double halfWidth) const {
    KeySpec spec = *this;
    spec.LimitKind = Limit::kAroundCarrier;
    spec.Low = halfWidth;
    return spec;
  }
  constexpr KeySpec ValidRange(double low, double high) const {
    KeySpec spec = *this;
    spec.LimitKind = Limit::kRejectOutside;
    spec.Low = low;
    spec.High = high;
    return spec;
  }
  constexpr KeySpec NotRead() const {
    KeySpec spec = *this;
    spec.Read = ReadRule::kNever;
    return spec;
  }
  constexpr KeySpec ReadWithOutputStateOption() const {
    KeySpec spec = *this;
    spec.Read = ReadRule::kWithOutputStateOption;
    return spec;
  }
  constexpr KeySpec NotWrittenWhenNoMode() const {
    KeySpec spec = *this;
    spec.SkipNoMode = true;
    return spec;
  }
};

// A table entry whose form must fit the field's type, checked at compile time.
template <class Field>
consteval KeySpec MakeKey(std::string_view key, Form form, std::size_t offset) {
  bool fits = false;
  switch (form) {
    case Form::kText:
      fits = std::is_array_v<Field> && std::is_same_v<std::remove_extent_t<Field>, char>;
      break;
    case Form::kInteger:
      fits = std::is_same_v<Field, std::int32_t>;
      break;
    case Form::kDecimal:
      fits = std::is_same_v<Field, double>;
      break;
    case Form::kYesNo:
    case Form::kLowByte:
      fits = std::is_same_v<Field, std::uint8_t>;
      break;
    case Form::kHex:
      fits = std::is_same_v<Field, std::uint32_t>;
      break;
  }
  if (!fits) throw "the key's form does not fit its field";
  return KeySpec{key, form, offset, sizeof(Field)};
}

}  // namespace settings::setupfile

// SETUP_KEY(Record, Field, "Key", Form): Field may name an array element ("StopFreqMhzAry[1]").
#define SETUP_KEY(Record, Field, key, form)                                                     \
  ::settings::setupfile::MakeKey<std::remove_cvref_t<decltype(std::declval<Record&>().Field)>>( \
      key, form, offsetof(Record, Field))

namespace settings::setupfile {

// The bytes of a record, for the table walkers.
template <class Record>
std::span<std::byte> BytesOf(Record& record) {
  static_assert(std::is_trivially_copyable_v<Record>);
  return std::as_writable_bytes(std::span<Record, 1>(&record, 1));
}
template <class Record>
std::span<const std::byte> BytesOf(const Record& record) {
  static_assert(std::is_trivially_copyable_v<Record>);
  return std::as_bytes(std::span<const Record, 1>(&record, 1));
}

// Writes keys into one file. Every key goes through the INI routines (inside the caller's
// ProfileBatch); a key that cannot be written is logged and remembered, and writing goes on.
class SectionWriter {
 public:
  explicit SectionWriter(std::string file) : file_(std::move(file)) {}

  void WriteKeys(const std::string& section, std::span<const KeySpec> keys, std::span<const std::byte> record);
  void WriteText(const std::string& section, std::string_view key, const std::string& text);

  // False when any key could not be written.
  bool Ok() const { return ok_; }

 private:
  void Check(bool written, const std::string& section, std::string_view key);

  std::string file_;
  bool ok_ = true;
};

// The options the reader takes values from instead of the file.
struct ReadOptions {
  bool RecallTestModOutputState = false;
  bool UseDirectCifTuningMode = false;
  double NoiseFilterGainValue = 1.0;
};

// Reads keys from one file. Counts the keys of the tables found, taken or not (a file with none
// is not a setup file), and the keys of the tables missing; reports a value that does not parse
// once per section and key (util/ini_read_report.h).
class SectionReader {
 public:
  SectionReader(std::string file, const ReadOptions& options) : file_(std::move(file)), options_(options) {}

  // Reads every readable key of the table into the record. kAroundCarrier limits use `carrierMhz`;
  // with `applyLimits` false the clamping limits are left out (the first pass over the sweep).
  void ReadKeys(const std::string& section, std::span<const KeySpec> keys, std::span<std::byte> record,
                bool applyLimits = true, double carrierMhz = 0.0);
  // One key as text; false when missing.
  bool ReadText(const std::string& section, std::string_view key, std::string& text);

  const ReadOptions& Options() const { return options_; }
  int KeysFound() const { return keysFound_; }
  // Table keys the file did not hold, each counted once (mode keys left out for "none" are not).
  int KeysMissing() const { return static_cast<int>(missing_.size()); }

 private:
  // False when the key is missing.
  bool ReadKey(const std::string& section, const KeySpec& spec, std::span<std::byte> record, bool applyLimits,
               double carrierMhz);
  void LogBadValue(const std::string& section, const KeySpec& spec, const std::string& text, const char* why,
                   std::span<const std::byte> record);

  std::string file_;
  ReadOptions options_;
  int keysFound_ = 0;
  std::set<std::string> logged_;
  std::set<std::string> missing_;
};

// ---- Section names ----------------------------------------------------------------------------

inline constexpr const char* kDesignationSection = "Stream Designation_CARD_INFO";
inline constexpr const char* kDesignationFallbackPrefix = "Stream Designation_CARD_";
inline constexpr const char* kRouteInfoSection = "Stream Route Info";
inline constexpr const char* kPreDSection = "Pre D Combiner Data ";
inline constexpr const char* kPostDSection = "Post D Combiner Data ";
inline constexpr const char* kBasebandSection = "Baseband Source Data ";
inline constexpr const char* kModSweepSection = " MOD SWEEP INFO";
inline constexpr const char* kModRestSection = " MOD REST INFO";
inline constexpr const char* kModProfileSectionPrefix = " MOD PROFILE INFO";
inline constexpr const char* kDesignationKey = "Designation";
inline constexpr const char* kFpgaMasterModeKey = "FpgaMasterMode";
inline constexpr const char* kUserReceiverModeKey = "UserReceiverMode";

std::string ReceiverSectionName(int receiver);              // "Rx Data0"
std::string BitsyncSectionName(int receiver, int bitsync);  // "Rx Data0 Bitsync", "... Bitsync2"
std::string RoutingSectionName(int receiver);               // "Rx Data0 Routing"
std::string RxBertSectionName(int bert);                    // "Rx Bert Data 0"
std::string TxBertSectionName(int bert);                    // "Tx Bert Data 0"
std::string PcmEncoderSectionName(int encoder);             // " PCM ENCODER 1" for encoder 0
std::string ModProfileSectionName(int profile);             // " MOD PROFILE INFO_CarEnableInfo" ...
std::string FftSectionName(int fft);                        // "FFT Data 0"
std::string IqSectionName(int iq);                          // "IQ Data 0"
std::string DownConverterSectionName(int converter);        // "DownConvert Data 1 " for converter 0

// ---- Key tables ----------------------------------------------------------------------------------

std::span<const KeySpec> RouteInfoKeys();      // card::RouteInfoRecord
std::span<const KeySpec> BitsyncKeys();        // card::BitSyncRecord
std::span<const KeySpec> RoutingKeys();        // card::RxRoutingRecord
std::span<const KeySpec> ReceiverKeys();       // card::ReceiverRecord (its own fields)
std::span<const KeySpec> RxBertKeys();         // card::RxBertRecord
std::span<const KeySpec> TxBertKeys();         // card::TxBertRecord
std::span<const KeySpec> PreDKeys();           // card::PreDCombinerRecord
std::span<const KeySpec> PostDKeys();          // card::PostDCombinerRecord
std::span<const KeySpec> PcmEncoderKeys();     // card::PcmEncoderRecord
std::span<const KeySpec> ModProfileKeys();     // card::ModProfileRecord
std::span<const KeySpec> ModSweepKeys();       // card::ModulatorRecord (sweep fields)
std::span<const KeySpec> ModRestKeys();        // card::ModulatorRecord (the other settings)
std::span<const KeySpec> FftKeys();            // card::FftRecord
std::span<const KeySpec> IqKeys();             // card::IqRecord
std::span<const KeySpec> BasebandKeys();       // card::BasebandSourceRecord
std::span<const KeySpec> DownConverterKeys();  // card::DnCvtSetupRecord

// ---- Family writers and readers -----------------------------------------------------------------

// The designations a file holds; a missing key has no value.
struct DesignationTexts {
  std::optional<std::string> Card;
  std::optional<std::string> Stream[card::kSetupChannels];
};

// The texts come from (and go to) the card through the designation getters and setters.
void WriteDesignationSection(SectionWriter& out, int card);
// From "Stream Designation_CARD_INFO", or, when its Designation key is missing there, from the
// older files' "Stream Designation_CARD_<card>".
DesignationTexts ReadDesignationSection(SectionReader& in, int card);
void StoreDesignations(int card, const DesignationTexts& texts);
void WriteRouteInfoSection(SectionWriter& out, const card::RouteInfoRecord& route);
void ReadRouteInfoSection(SectionReader& in, card::RouteInfoRecord& route);

void WriteBitsyncSection(SectionWriter& out, const std::string& section, const card::BitSyncRecord& bitsync);
void ReadBitsyncSection(SectionReader& in, const std::string& section, card::BitSyncRecord& bitsync);
void WriteRoutingSection(SectionWriter& out, const std::string& section, const card::RxRoutingRecord& routing);
void ReadRoutingSection(SectionReader& in, const std::string& section, card::RxRoutingRecord& routing);
// The receiver's own section (its bit synchronisers and routing are sections of their own).
void WriteReceiverSection(SectionWriter& out, const std::string& section, const card::ReceiverRecord& receiver);
void ReadReceiverSection(SectionReader& in, const std::string& section, card::ReceiverRecord& receiver);
// The four sections of receiver n, in file order.
void WriteReceiverSections(SectionWriter& out, int n, const card::ReceiverRecord& receiver);
void ReadReceiverSections(SectionReader& in, int n, card::ReceiverRecord& receiver);

void WriteRxBertSection(SectionWriter& out, const std::string& section, const card::RxBertRecord& bert);
void ReadRxBertSection(SectionReader& in, const std::string& section, card::RxBertRecord& bert);
void WriteTxBertSection(SectionWriter& out, const std::string& section, const card::TxBertRecord& bert);
void ReadTxBertSection(SectionReader& in, const std::string& section, card::TxBertRecord& bert);
void WritePreDSection(SectionWriter& out, const std::string& section, const card::PreDCombinerRecord& preD);
void ReadPreDSection(SectionReader& in, const std::string& section, card::PreDCombinerRecord& preD);
void WritePostDSection(SectionWriter& out, const std::string& section, const card::PostDCombinerRecord& postD);
void ReadPostDSection(SectionReader& in, const std::string& section, card::PostDCombinerRecord& postD);

void WritePcmEncoderSection(SectionWriter& out, const std::string& section, const card::PcmEncoderRecord& encoder);
void ReadPcmEncoderSection(SectionReader& in, const std::string& section, card::PcmEncoderRecord& encoder);
void WriteModProfileSections(SectionWriter& out, const card::ModulatorRecord& modulator);
void ReadModProfileSections(SectionReader& in, card::ModulatorRecord& modulator);
// Encoders, profiles, sweep, then the other settings.
void WriteModulatorSections(SectionWriter& out, const card::ModulatorRecord& modulator);
void ReadModulatorSections(SectionReader& in, card::ModulatorRecord& modulator);

void WriteFftSection(SectionWriter& out, const std::string& section, const card::FftRecord& fft);
void ReadFftSection(SectionReader& in, const std::string& section, card::FftRecord& fft);
void WriteIqSection(SectionWriter& out, const std::string& section, const card::IqRecord& iq);
void ReadIqSection(SectionReader& in, const std::string& section, card::IqRecord& iq);
void WriteBasebandSection(SectionWriter& out, const std::string& section, const card::BasebandSourceRecord& sources);
void ReadBasebandSection(SectionReader& in, const std::string& section, card::BasebandSourceRecord& sources);

void WriteDownConverterSection(SectionWriter& out, const std::string& section, const card::DnCvtSetupRecord& setup);
void ReadDownConverterSection(SectionReader& in, const std::string& section, card::DnCvtSetupRecord& setup);

// ---- Saving over an older file -----------------------------------------------------------------

// The older file's bytes without the mode keys this setup does not write (a mode of "none");
// nothing when the file holds no such key (or does not exist).
std::optional<std::string> WithoutStaleModeKeys(const std::string& path, const card::RouteInfoRecord& route);
// Puts the bytes into the file (created or emptied first); false when that failed.
bool WriteFileBytes(const std::string& path, const std::string& bytes);

// The bytes of an INI file without the key lines of `key` in every section named `section`
// (names compared as the profile store compares them: blanks trimmed, letter case ignored).
// Every other byte is kept.
std::string WithoutKey(std::string_view bytes, std::string_view section, std::string_view key);

}  // namespace settings::setupfile
