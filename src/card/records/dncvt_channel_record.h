#pragma once
// One down-converter channel as the down-converter manager keeps it (a table of twelve): what the
// converter is, what it can do, and the setup sub-record that the setup file stores and the
// setters change. Packed; bytes without a name are reserved and stay zero.
#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace card {

inline constexpr std::int32_t kDnCvtKindNone = 0;
inline constexpr std::int32_t kDnCvtKindKr12 = 1;
inline constexpr std::int32_t kDnCvtKindKr14 = 2;

inline constexpr std::size_t kDnCvtRecords = 12;
inline constexpr std::size_t kDnCvtIfFilters = 12;
inline constexpr std::size_t kDnCvtAgcTimeConstants = 8;
inline constexpr std::size_t kDnCvtFreqBands = 4;
inline constexpr std::size_t kDnCvtCustomTcs = 3;

#pragma pack(push, 1)

// The user-defined AGC output slope: dBm range mapped onto a voltage range.
struct DnCvtAgcSlopeInfo {
  std::int32_t MaxDbm{};
  std::int32_t MinDbm{};
  double MaxVolts{};
  double MinVolts{};
};

struct DnCvtSetupRecord {
  std::uint8_t IntRef{};
  std::uint8_t LimitedOutputMode{};
  std::uint8_t AgcFreezeEnabled{};
  std::uint8_t AgcZeroEnabled{};
  std::int32_t AgcOutputSlopeSelected{};
  std::int32_t DigitalAgcMode{};
  std::int32_t TcSelected{};  // index into the AGC time-constant table
  double CustomTcSettingsMsecsAry[kDnCvtCustomTcs]{};
  std::int32_t BwFilterSelected{};  // index into the IF filter table
  std::int32_t FreqBandSelected{};
  std::uint8_t AmOutputInverted{};
  std::int32_t AmLoPassFilterSelected{};
  std::uint8_t ExtDiscretePin4{};
  double FreqMhz{};  // tuned frequency
  double ExtRefFreqMhz{};
  std::uint8_t Reserved70[1]{};
  std::uint8_t AmGain{};
  std::uint8_t Reserved72[6]{};
  std::uint8_t UserAgcSlopeMode{};
  DnCvtAgcSlopeInfo UserAgcSlopeInfo{};
  std::uint8_t ManGainControl{};
  std::uint8_t DeltaRssiMode{};
  std::uint8_t Reserved105[8]{};
  std::int32_t BitRate{};
  std::uint8_t BiPhaseCode{};
  std::int32_t BitsyncInputCode{};  // PCM code number
  std::int32_t ModulationType{};    // modulation number
  std::int32_t ViterbiRate{};
  double SignalBwRatioConstant{};
  std::int32_t UpdateRateHz{};
  std::int32_t CifTuningMode{};
  std::uint8_t AutoInvertSpectrallyInvertedRF{};
};

// A tuning band; a band with a bound at or below 0.0 is not used.
struct DnCvtFreqBand {
  double StartMhz{};
  double StopMhz{};
};

struct DnCvtChannelRecord {
  std::int32_t Kind{};     // kDnCvtKind...: non-zero means present
  std::int32_t Card{};     // the converter card this channel belongs to
  std::int32_t Channel{};  // the channel on that card
  double IfFilterBwKhz[kDnCvtIfFilters]{};  // 0.0 = filter not fitted
  double AgcTcMsecs[kDnCvtAgcTimeConstants]{};
  DnCvtFreqBand FreqBands[kDnCvtFreqBands]{};
  std::uint8_t Reserved236[219]{};
  DnCvtSetupRecord Setup{};
  double AgcValue{};          // last AGC (signal strength) reading
  double AgcZeroReference{};  // AgcValue as it stood when AGC zero was switched on
  std::uint8_t StatusByte{};  // copied into the channel status record
  std::uint8_t Reserved619[27]{};
};

#pragma pack(pop)

static_assert(sizeof(DnCvtAgcSlopeInfo) == 24);
static_assert(offsetof(DnCvtAgcSlopeInfo, MaxDbm) == 0);
static_assert(offsetof(DnCvtAgcSlopeInfo, MinDbm) == 4);
static_assert(offsetof(DnCvtAgcSlopeInfo, MaxVolts) == 8);
static_assert(offsetof(DnCvtAgcSlopeInfo, MinVolts) == 16);

static_assert(sizeof(DnCvtFreqBand) == 16);
static_assert(offsetof(DnCvtFreqBand, StartMhz) == 0);
static_assert(offsetof(DnCvtFreqBand, StopMhz) == 8);

// The setup sub-record's fields are pinned at their offsets in the channel record.
static_assert(sizeof(DnCvtSetupRecord) == 147);
static_assert(offsetof(DnCvtChannelRecord, Setup) == 455);
static_assert(offsetof(DnCvtChannelRecord, Setup.IntRef) == 455);
static_assert(offsetof(DnCvtChannelRecord, Setup.LimitedOutputMode) == 456);
static_assert(offsetof(DnCvtChannelRecord, Setup.AgcFreezeEnabled) == 457);
static_assert(offsetof(DnCvtChannelRecord, Setup.AgcZeroEnabled) == 458);
static_assert(offsetof(DnCvtChannelRecord, Setup.AgcOutputSlopeSelected) == 459);
static_assert(offsetof(DnCvtChannelRecord, Setup.DigitalAgcMode) == 463);
static_assert(offsetof(DnCvtChannelRecord, Setup.TcSelected) == 467);
static_assert(offsetof(DnCvtChannelRecord, Setup.CustomTcSettingsMsecsAry) == 471);
static_assert(offsetof(DnCvtChannelRecord, Setup.BwFilterSelected) == 495);
static_assert(offsetof(DnCvtChannelRecord, Setup.FreqBandSelected) == 499);
static_assert(offsetof(DnCvtChannelRecord, Setup.AmOutputInverted) == 503);
static_assert(offsetof(DnCvtChannelRecord, Setup.AmLoPassFilterSelected) == 504);
static_assert(offsetof(DnCvtChannelRecord, Setup.ExtDiscretePin4) == 508);
static_assert(offsetof(DnCvtChannelRecord, Setup.FreqMhz) == 509);
static_assert(offsetof(DnCvtChannelRecord, Setup.ExtRefFreqMhz) == 517);
static_assert(offsetof(DnCvtChannelRecord, Setup.Reserved70) == 525);
static_assert(offsetof(DnCvtChannelRecord, Setup.AmGain) == 526);
static_assert(offsetof(DnCvtChannelRecord, Setup.Reserved72) == 527);
static_assert(offsetof(DnCvtChannelRecord, Setup.UserAgcSlopeMode) == 533);
static_assert(offsetof(DnCvtChannelRecord, Setup.UserAgcSlopeInfo.MaxDbm) == 534);
static_assert(offsetof(DnCvtChannelRecord, Setup.UserAgcSlopeInfo.MinDbm) == 538);
static_assert(offsetof(DnCvtChannelRecord, Setup.UserAgcSlopeInfo.MaxVolts) == 542);
static_assert(offsetof(DnCvtChannelRecord, Setup.UserAgcSlopeInfo.MinVolts) == 550);
static_assert(offsetof(DnCvtChannelRecord, Setup.ManGainControl) == 558);
static_assert(offsetof(DnCvtChannelRecord, Setup.DeltaRssiMode) == 559);
static_assert(offsetof(DnCvtChannelRecord, Setup.Reserved105) == 560);
static_assert(offsetof(DnCvtChannelRecord, Setup.BitRate) == 568);
static_assert(offsetof(DnCvtChannelRecord, Setup.BiPhaseCode) == 572);
static_assert(offsetof(DnCvtChannelRecord, Setup.BitsyncInputCode) == 573);
static_assert(offsetof(DnCvtChannelRecord, Setup.ModulationType) == 577);
static_assert(offsetof(DnCvtChannelRecord, Setup.ViterbiRate) == 581);
static_assert(offsetof(DnCvtChannelRecord, Setup.SignalBwRatioConstant) == 585);
static_assert(offsetof(DnCvtChannelRecord, Setup.UpdateRateHz) == 593);
static_assert(offsetof(DnCvtChannelRecord, Setup.CifTuningMode) == 597);
static_assert(offsetof(DnCvtChannelRecord, Setup.AutoInvertSpectrallyInvertedRF) == 601);

static_assert(sizeof(DnCvtChannelRecord) == 646);
static_assert(offsetof(DnCvtChannelRecord, Kind) == 0);
static_assert(offsetof(DnCvtChannelRecord, Card) == 4);
static_assert(offsetof(DnCvtChannelRecord, Channel) == 8);
static_assert(offsetof(DnCvtChannelRecord, IfFilterBwKhz) == 12);
static_assert(offsetof(DnCvtChannelRecord, AgcTcMsecs) == 108);
static_assert(offsetof(DnCvtChannelRecord, FreqBands) == 172);
static_assert(offsetof(DnCvtChannelRecord, Reserved236) == 236);
static_assert(offsetof(DnCvtChannelRecord, AgcValue) == 602);
static_assert(offsetof(DnCvtChannelRecord, AgcZeroReference) == 610);
static_assert(offsetof(DnCvtChannelRecord, StatusByte) == 618);
static_assert(offsetof(DnCvtChannelRecord, Reserved619) == 619);

static_assert(std::is_standard_layout_v<DnCvtChannelRecord>);
static_assert(std::is_trivially_copyable_v<DnCvtAgcSlopeInfo>);
static_assert(std::is_trivially_copyable_v<DnCvtSetupRecord>);
static_assert(std::is_trivially_copyable_v<DnCvtFreqBand>);
static_assert(std::is_trivially_copyable_v<DnCvtChannelRecord>);

}  // namespace card
