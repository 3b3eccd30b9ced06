#pragma once
// The option record: every option of the options file as one plain value. A value-initialised
// record is all zeros; the option defaults come from the options table (SetDefaultOptions).
// Texts are fixed, NUL-terminated character arrays, so the record copies as a whole.
#include <array>
#include <cstdint>
#include <string_view>
#include <type_traits>

#include "util/colour.h"

namespace config {

// Processors the affinity mask can name (one bit each).
inline constexpr int kMaxProcessors = 32;
// Down-converters with an antenna correction factor ("AcfInfo_0" .. "AcfInfo_11").
inline constexpr int kAcfInfoCount = 12;

inline constexpr int kFlightRecordChannels = 2;
inline constexpr int kFlightRecordColumns = 8;
inline constexpr int kFlightRecordHeaderLines = 3;
// 29 characters and the NUL.
inline constexpr int kFlightRecordHeaderSize = 30;
inline constexpr int kFlightRecordHeaderLength = kFlightRecordHeaderSize - 1;

// The flight-record columns of a channel, in the order the writer puts them into a line.
enum FlightRecordColumn : int {
  kFltColTime,
  kFltColRssi,
  kFltColIfCarrierPower,
  kFltColIfCarrierFreq,
  kFltColDeviation,
  kFltColEbNo,
  kFltColBer,
  kFltColBitSyncLock,
};

// The processor-usage part of the options. ProcessorCount, AllProcessorsMask and ProcessorIds
// describe the processors this process may use and are not stored in the file; they are taken
// when the options are loaded or defaulted. Options file keys: "CpuUsageInfo_ProcessorAffinityMask"
// and "CpuUsageInfo_PriorityHigh".
struct CpuUsageSettings {
  std::int32_t ProcessorCount;          // 1 .. kMaxProcessors
  std::uint32_t AllProcessorsMask;      // the lowest ProcessorCount bits
  std::uint32_t ProcessorAffinityMask;  // bit i: the i-th processor of ProcessorIds
  std::uint8_t PriorityHigh;            // high (1) or normal (0) scheduling priority
  // The system's number of each usable processor, in the order of the allowed set.
  std::array<std::int32_t, kMaxProcessors> ProcessorIds;

  bool operator==(const CpuUsageSettings&) const = default;
};

// Antenna correction factor of one down-converter: added to its signal strength when enabled.
struct AcfInfoRecord {
  double LoadValue;  // dB
  std::uint8_t Enabled;

  bool operator==(const AcfInfoRecord&) const = default;
};

using FlightRecordHeaderText = char[kFlightRecordHeaderSize];

// One column of a channel's flight record.
struct flightrecordparamoptions {
  std::uint8_t Enabled;
  FlightRecordHeaderText HeaderText[kFlightRecordHeaderLines];
  std::int32_t Decimals;  // 0 .. 9
  std::uint8_t Scientific;
  std::int32_t Width;  // 1 .. 30 characters
  // Only the channel's first entry (the time column) carries the channel's include-setup flag.
  std::uint8_t IncludeSetup;

  bool operator==(const flightrecordparamoptions&) const = default;
};

// Indices into the colour scheme; the options file keys are kColorKeyNames in the same order.
enum ColorIndex : int {
  kAppMainBackgroundColor,
  kAppMainLabelColor,
  kAppMainDataColor,
  kAppStatusBackgroundColor,
  kAppStatusLabelColor,
  kAppStatusDataColor,
  kAppSetupBackgroundColor,
  kAppSetupLabelColor,
  kAppSetupDataColor,
  kDisplayPageBackgroundColor,
  kScopeControlPanelColor,
  kDataBarBackgroundColor,
  kDataBarLabelsColor,
  kScopeBackgroundColor,
  kGridColor,
  kTraceColor,
  kMarker1Color,
  kMarker2Color,
  kGaugeBackgroundColor1,
  kGaugeDataColor1,
  kGaugeBackgroundColor2,
  kGaugeDataColor2,
  kStripBackgroundColor,
  kStripDataColor1,
  kStripDataColor2,
  kMaxStrengthColor,
  kMinStrengthColor,
  kColorSchemeSize,
};

inline constexpr std::array<std::string_view, kColorSchemeSize> kColorKeyNames{
    "AppMain BackgroundColor",
    "AppMain LabelColor",
    "AppMain DataColor",
    "AppStatus BackgroundColor",
    "AppStatus LabelColor",
    "AppStatus DataColor",
    "AppSetup BackgroundColor",
    "AppSetup LabelColor",
    "AppSetup DataColor",
    "DisplayPageBackgroundColor",
    "ScopeControlPanelColor",
    "DataBarBackgroundColor",
    "DataBarLabelsColor",
    "ScopeBackgroundColor",
    "GridColor",
    "TraceColor",
    "Marker1Color",
    "Marker2Color",
    "GaugeBackgroundColor1",
    "GaugeDataColor1",
    "GaugeBackgroundColor2",
    "GaugeDataColor2",
    "StripBackgroundColor",
    "StripDataColor1",
    "StripDataColor2",
    "MaxStrengthColor",
    "MinStrengthColor",
};

// The colour block: 27 colours of 4 bytes, 0x00BBGGRR.
using ColorBlock = std::array<util::TColor, kColorSchemeSize>;

struct kr20optinfo {
  std::uint8_t SingleChannelUsage;  // only the first channel of each card is used
  std::int32_t DataRecordRateHz;    // flight-record lines per second: 1, 5, 10 or 25
  CpuUsageSettings CpuUsageInfo;
  std::uint8_t AutoSetFreqSpan;
  std::uint8_t RecallTestModOutputState;  // keep the test modulator's outputs across a mode change
  std::uint8_t WarnCarrierPeakDeviationRange;
  std::uint8_t ViewCarrierFreqSpan;
  std::uint8_t ViewTestModCarNoiseLevel;
  std::uint8_t MinLastStateSaves;
  std::uint8_t LoadLastSetupState;
  std::uint8_t LoadLastSetupFile;
  double RxSignalStrengthWarningMax;  // dBm, -100 .. 0, never below the minimum
  double RxSignalStrengthWarningMin;  // dBm
  std::uint8_t AlwaysSaveSetups;
  double DnCvtIfConstantMultiplier;  // K, 1 .. 10
  std::uint8_t EnableBsEbNoAlg;
  double MinEbNoBsLock;  // dB, 0 .. 25
  // Register values with the weight (at most 127) in the upper 16 bits.
  std::uint32_t BitsyncConfidenceWeight;
  std::uint32_t FmFmPostDConfidenceWeight;
  std::uint8_t EnableIFCarAcqRgAlg;
  std::uint8_t EnableIFCarFilterAlg;
  std::uint8_t EnableIFCarCFAlg;
  double IfCarCfSpanPct;  // percent of the data rate, 1 .. 50
  std::uint8_t UseDirectCifTuningMode;
  std::uint8_t FmFmPostDOut2;   // combined output on channel 2
  double NoiseFilterGainValue;  // 1 .. 64
  std::array<AcfInfoRecord, kAcfInfoCount> AcfInfo;
  flightrecordparamoptions FlightRecordParamOptions[kFlightRecordChannels][kFlightRecordColumns];
  ColorBlock ColorScheme;

  bool operator==(const kr20optinfo&) const = default;
};

static_assert(std::is_trivially_copyable_v<kr20optinfo>);
static_assert(std::is_standard_layout_v<kr20optinfo>);
static_assert(std::is_aggregate_v<kr20optinfo>);
static_assert(sizeof(ColorBlock) == 108);

}  // namespace config
