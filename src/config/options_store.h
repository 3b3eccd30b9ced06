#pragma once
// The options store: the option record and its file "<program>/SYSTEM/OPTIONS/Kr20Options.opt".
//
// File format (INI, CRLF, keys in this order; booleans "YES"/"NO", doubles with 9 decimals,
// colours and masks as 8 upper-case hexadecimal digits, texts in double quotes so that blanks at
// their ends survive):
//   [OPTIONS]              SingleChannelUsage, DataRecordRateHz, AutoSetFreqSpan,
//                          RecallTestModOutputState, WarnCarrierPeakDeviationRange,
//                          ViewCarrierFreqSpan, ViewTestModCarNoiseLevel, MinLastStateSaves,
//                          LoadLastSetupState, LoadLastSetupFile, AlwaysSaveSetups,
//                          RxSignalStrengthWarningMax, RxSignalStrengthWarningMin
//   [CPU USAGE]            CpuUsageInfo_ProcessorAffinityMask, CpuUsageInfo_PriorityHigh
//   [CARD OPTIONS]         DnCvtIfConstantMultiplier, BitsyncConfidenceWeight,
//                          FmFmPostDConfidenceWeight, UseDirectCifTuningMode, FmFmPostDOut2,
//                          NoiseFilterGainValue
//   [BITSYNC LOCK LOGIC]   EnableBsEbNoAlg, MinEbNoBsLock
//   [IF RX AUTO LOGIC]     EnableIFCarAcqRgAlg, EnableIFCarFilterAlg, EnableIFCarCFAlg, IfCarCfSpanPct
//   [AcfInfo_0] .. [AcfInfo_11]            LoadValue, Enabled
//   [FLIGHT RECORD CH1], [FLIGHT RECORD CH2]
//                          IncludeSetup, then per column (Time, RSSI, IfCarPwr, IfCarFrq, PeakDev,
//                          EbNo, BER, BsLock) "<column> Enabled", "<column> Width",
//                          "<column> Header1" .. "<column> Header3", "<column> Decimals",
//                          "<column> Scientific"
//   [COLORS]               the 27 kColorKeyNames
//
// Reading limits every value to what the options dialog allows; each value changed that way and
// each value that does not parse (which keeps the record's value) writes one log line:
//   Options file: [OPTIONS] DataRecordRateHz = "40" out of range, using 25
//   Options file: [BITSYNC LOCK LOGIC] MinEbNoBsLock = "abc" not a number, using 5.00
//   Options file: [FLIGHT RECORD CH1] RSSI Header1 = "<text>" too long, using "<29 characters>"
//   Options file: [OPTIONS] RxSignalStrengthWarningMin = -20.00 above RxSignalStrengthWarningMax = -90.00, swapped
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "config/options_record.h"

namespace config {

std::string OptionsFilePath();

// How an option is kept in the file.
enum class OptionKind : std::uint8_t {
  Flag,    // "YES" / "NO"
  Int,     // decimal, limited to [Low, High]
  Double,  // 9 decimals, limited to [Low, High]
  Weight,  // decimal (or "0x" hexadecimal), upper 16 bits limited to High
  Colour,  // 8 hexadecimal digits
  Mask,    // 8 hexadecimal digits, limited to the processors this process may use
  Text,    // quoted, at most High characters
};

// One key of the options file, as the options table describes it.
struct OptionEntry {
  std::string Section;
  std::string Key;
  OptionKind Kind;
  double Low;
  double High;
};
// Every key, in file order.
std::vector<OptionEntry> OptionEntries();

// The built-in colour schemes, for the options dialog's buttons.
inline constexpr int kDefaultColorSchemeCount = 3;
inline constexpr std::array<std::string_view, kDefaultColorSchemeCount> kColorSchemeNames{"Grays", "Dark", "Classic"};

// Every option at its default, the processors this process may use taken now, all of them in
// the affinity mask.
void SetDefaultOptions(kr20optinfo& record);

class kr20optionclass {
 public:
  // Starts from the defaults; with `load` the options file is read at once.
  explicit kr20optionclass(bool load);

  kr20optinfo& Info() { return info_; }
  const kr20optinfo& Info() const { return info_; }

  // Reads every option from the file into the record, limited as described above. Keys that are
  // missing keep the record's value. The processor count, mask and list are taken now when the
  // record has none; a record that has them keeps them, so that the processors given up by an
  // applied affinity mask stay selectable. False (logged) when the file does not exist.
  static bool LoadOptions(kr20optinfo& record);
  // Rewrites the file whole (the old one kept as ".BAK"); false (logged) when it could not be
  // written, and the old file then stays as it was.
  static bool SaveOptions(const kr20optinfo& record);
  static void CopyOptions(kr20optinfo& destination, const kr20optinfo& source);
  // Built-in colour scheme 0 .. 2 (kColorSchemeNames); any other number gives scheme 0.
  static void SelectDefaultColorScheme(int scheme, ColorBlock& colours);

 private:
  kr20optinfo info_{};
};

}  // namespace config
