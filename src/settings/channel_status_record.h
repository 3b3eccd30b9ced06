#pragma once
// What one receiver channel is doing, as the master timer last read it from the card. The
// group-status datagram carries the two records of a card byte for byte, so the layout is a wire
// format: packed, little-endian, IEEE doubles, texts NUL-terminated in fixed fields. Records are
// zeroed at construction and fields are only overwritten, so reserved bytes stay zero.
#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace settings {

inline constexpr std::size_t kStatusTextLen = 64;

#pragma pack(push, 1)

// The card setup's route head (bytes 0-14 of the setup record), copied into channel 0's record
// only; channel 1's stays zero.
struct RouteInfoCopy {
  std::uint32_t ModeFunction{};
  std::uint32_t SecondRouteWord{};
  std::uint32_t RouteMode{};
  std::uint8_t RouteBytes[3]{};
};

// Down-converter readings of the channel; all zero when no down-converter is tied to it.
struct DnCvtStatusFields {
  double TunedFreqMhz{};
  double SignalStrength{};  // plus the options' load value of the converter when enabled
  std::uint8_t PllStatus1{};
  std::uint8_t PllStatus3{};  // the device reports 1, 3, 2 in this order
  std::uint8_t PllStatus2{};
  std::int32_t AmFrequency{};
  double AmIndex{};
  std::uint8_t StatusByte{};  // copy of the down-converter record's status byte
  std::uint8_t AgcFreeze{};
  std::uint8_t AgcZero{};
  std::uint8_t AgcTcIndex{};      // low byte of the time-constant index
  std::uint8_t IfFilterIndex{};   // low byte of the IF filter index
};

struct ReceiverStatusBlock {
  char ReceiverName[kStatusTextLen]{};  // "PM", "MH_CPM", "NTSC_VIDEO", "PCM_FM" or the PSK mode
  std::uint8_t CarrierLocked{};
  double CarrierFreqMhz{};
  double SignalPowerDbm{};
  double TotalPowerDbm{};
  double ModIndexCompensated{};  // PCM/FM deviation; 0 for PSK and PM
  double SignalFilterBwRatio{};
  double SignalBw{};
  double ActualSignalFreqHz{};   // PM: carrier centre frequency
  double HighestSignalFreqHz{};  // since the last acquisition restart
  double LowestSignalFreqHz{};
  std::uint8_t DataInverted{};
  std::uint8_t ClockRisingEdge{};
  std::int32_t MhCpmLockState{};  // the bit sync counts as locked above 1
  double MhCpmStatusValue2{};
};

struct BitSyncStatusBlock {
  std::uint8_t Locked{};  // after the Eb/No qualification
  double EbNoDb{};
  double SymbolRate{};  // as measured by the card
  double BitRate{};     // the symbol rate, doubled for the QPSK-like modulations
  char PcmInputCode[kStatusTextLen]{};
  std::int32_t PcmOutputCode{};  // 0 NRZL, 1 NRZM, 2 NRZS, 3 BIOL, 4 BIOM, 5 BIOS
  std::uint8_t Reserved93[97]{};
};

struct BertStatusBlock {
  std::uint8_t Locked{};
  std::uint8_t DataInverted{};
  std::int32_t LockLossCount{};
  std::int32_t InversionCount{};
  double BitRate{};
  std::int32_t TotalBits{};
  double ErrorBits{};
  double BitErrorRate{};  // -1.0 when the card's text is not a number
  std::uint8_t Reserved38[80]{};
};

// Card-wide: the same block sits in both records of a card.
struct PostDStatusBlock {
  double CombiningGainDb{};
  double ChanAEbNoDb{};
  double ChanBEbNoDb{};
  double ChanAScalePct{};
  double ChanBScalePct{};
  std::uint8_t SecondByte{};  // copies of the setup's post-D bytes
  std::uint8_t CombinerMode{};
  std::uint8_t TimerTaskByte{};  // listed in the layout; the timer task always writes 0
  std::uint8_t Reserved43[100]{};
};

// Card-wide: the same block sits in both records of a card.
struct PreDStatusBlock {
  std::uint8_t SecondByte{};  // copies of the setup's pre-D bytes
  std::uint8_t CombinerMode{};
  double ChanAMeasuredNoise{};
  double ChanBMeasuredNoise{};
  std::uint8_t SimulatedValues[132]{};  // zero unless demo mode fills it
};

struct ChannelStatusRecord {
  RouteInfoCopy RouteInfo{};
  DnCvtStatusFields DnCvt{};
  double AgcZeroReference{};  // signal strength when AGC zero was switched on
  std::uint8_t Reserved59[100]{};
  ReceiverStatusBlock Receiver{};
  std::uint8_t Reserved310[100]{};
  BitSyncStatusBlock BitSync1{};
  BitSyncStatusBlock BitSync2{};
  BertStatusBlock Bert{};
  PostDStatusBlock PostD{};
  PreDStatusBlock PreD{};
  std::uint8_t Reserved1201[308]{};
};

#pragma pack(pop)

static_assert(sizeof(RouteInfoCopy) == 15);
static_assert(offsetof(RouteInfoCopy, ModeFunction) == 0);
static_assert(offsetof(RouteInfoCopy, SecondRouteWord) == 4);
static_assert(offsetof(RouteInfoCopy, RouteMode) == 8);
static_assert(offsetof(RouteInfoCopy, RouteBytes) == 12);

// Offsets relative to the block, which starts at record offset 15.
static_assert(sizeof(DnCvtStatusFields) == 36);
static_assert(offsetof(DnCvtStatusFields, TunedFreqMhz) == 15 - 15);
static_assert(offsetof(DnCvtStatusFields, SignalStrength) == 23 - 15);
static_assert(offsetof(DnCvtStatusFields, PllStatus1) == 31 - 15);
static_assert(offsetof(DnCvtStatusFields, PllStatus3) == 32 - 15);
static_assert(offsetof(DnCvtStatusFields, PllStatus2) == 33 - 15);
static_assert(offsetof(DnCvtStatusFields, AmFrequency) == 34 - 15);
static_assert(offsetof(DnCvtStatusFields, AmIndex) == 38 - 15);
static_assert(offsetof(DnCvtStatusFields, StatusByte) == 46 - 15);
static_assert(offsetof(DnCvtStatusFields, AgcFreeze) == 47 - 15);
static_assert(offsetof(DnCvtStatusFields, AgcZero) == 48 - 15);
static_assert(offsetof(DnCvtStatusFields, AgcTcIndex) == 49 - 15);
static_assert(offsetof(DnCvtStatusFields, IfFilterIndex) == 50 - 15);

// Offsets relative to the block, which starts at record offset 159.
static_assert(sizeof(ReceiverStatusBlock) == 151);
static_assert(offsetof(ReceiverStatusBlock, ReceiverName) == 159 - 159);
static_assert(offsetof(ReceiverStatusBlock, CarrierLocked) == 223 - 159);
static_assert(offsetof(ReceiverStatusBlock, CarrierFreqMhz) == 224 - 159);
static_assert(offsetof(ReceiverStatusBlock, SignalPowerDbm) == 232 - 159);
static_assert(offsetof(ReceiverStatusBlock, TotalPowerDbm) == 240 - 159);
static_assert(offsetof(ReceiverStatusBlock, ModIndexCompensated) == 248 - 159);
static_assert(offsetof(ReceiverStatusBlock, SignalFilterBwRatio) == 256 - 159);
static_assert(offsetof(ReceiverStatusBlock, SignalBw) == 264 - 159);
static_assert(offsetof(ReceiverStatusBlock, ActualSignalFreqHz) == 272 - 159);
static_assert(offsetof(ReceiverStatusBlock, HighestSignalFreqHz) == 280 - 159);
static_assert(offsetof(ReceiverStatusBlock, LowestSignalFreqHz) == 288 - 159);
static_assert(offsetof(ReceiverStatusBlock, DataInverted) == 296 - 159);
static_assert(offsetof(ReceiverStatusBlock, ClockRisingEdge) == 297 - 159);
static_assert(offsetof(ReceiverStatusBlock, MhCpmLockState) == 298 - 159);
static_assert(offsetof(ReceiverStatusBlock, MhCpmStatusValue2) == 302 - 159);

static_assert(sizeof(BitSyncStatusBlock) == 190);
static_assert(offsetof(BitSyncStatusBlock, Locked) == 0);
static_assert(offsetof(BitSyncStatusBlock, EbNoDb) == 1);
static_assert(offsetof(BitSyncStatusBlock, SymbolRate) == 9);
static_assert(offsetof(BitSyncStatusBlock, BitRate) == 17);
static_assert(offsetof(BitSyncStatusBlock, PcmInputCode) == 25);
static_assert(offsetof(BitSyncStatusBlock, PcmOutputCode) == 89);
static_assert(offsetof(BitSyncStatusBlock, Reserved93) == 93);

static_assert(sizeof(BertStatusBlock) == 118);
static_assert(offsetof(BertStatusBlock, Locked) == 0);
static_assert(offsetof(BertStatusBlock, DataInverted) == 1);
static_assert(offsetof(BertStatusBlock, LockLossCount) == 2);
static_assert(offsetof(BertStatusBlock, InversionCount) == 6);
static_assert(offsetof(BertStatusBlock, BitRate) == 10);
static_assert(offsetof(BertStatusBlock, TotalBits) == 18);
static_assert(offsetof(BertStatusBlock, ErrorBits) == 22);
static_assert(offsetof(BertStatusBlock, BitErrorRate) == 30);
static_assert(offsetof(BertStatusBlock, Reserved38) == 38);

static_assert(sizeof(PostDStatusBlock) == 143);
static_assert(offsetof(PostDStatusBlock, CombiningGainDb) == 0);
static_assert(offsetof(PostDStatusBlock, ChanAEbNoDb) == 8);
static_assert(offsetof(PostDStatusBlock, ChanBEbNoDb) == 16);
static_assert(offsetof(PostDStatusBlock, ChanAScalePct) == 24);
static_assert(offsetof(PostDStatusBlock, ChanBScalePct) == 32);
static_assert(offsetof(PostDStatusBlock, SecondByte) == 40);
static_assert(offsetof(PostDStatusBlock, CombinerMode) == 41);
static_assert(offsetof(PostDStatusBlock, TimerTaskByte) == 42);
static_assert(offsetof(PostDStatusBlock, Reserved43) == 43);

static_assert(sizeof(PreDStatusBlock) == 150);
static_assert(offsetof(PreDStatusBlock, SecondByte) == 0);
static_assert(offsetof(PreDStatusBlock, CombinerMode) == 1);
static_assert(offsetof(PreDStatusBlock, ChanAMeasuredNoise) == 2);
static_assert(offsetof(PreDStatusBlock, ChanBMeasuredNoise) == 10);
static_assert(offsetof(PreDStatusBlock, SimulatedValues) == 18);

static_assert(sizeof(ChannelStatusRecord) == 1509);
static_assert(offsetof(ChannelStatusRecord, RouteInfo) == 0);
static_assert(offsetof(ChannelStatusRecord, DnCvt) == 15);
static_assert(offsetof(ChannelStatusRecord, AgcZeroReference) == 51);
static_assert(offsetof(ChannelStatusRecord, Reserved59) == 59);
static_assert(offsetof(ChannelStatusRecord, Receiver) == 159);
static_assert(offsetof(ChannelStatusRecord, Reserved310) == 310);
static_assert(offsetof(ChannelStatusRecord, BitSync1) == 410);
static_assert(offsetof(ChannelStatusRecord, BitSync2) == 600);
static_assert(offsetof(ChannelStatusRecord, Bert) == 790);
static_assert(offsetof(ChannelStatusRecord, PostD) == 908);
static_assert(offsetof(ChannelStatusRecord, PreD) == 1051);
static_assert(offsetof(ChannelStatusRecord, Reserved1201) == 1201);
// The flight record reads Eb/No and lock at these record offsets, and the BER at 820.
static_assert(offsetof(ChannelStatusRecord, BitSync1) + offsetof(BitSyncStatusBlock, EbNoDb) == 411);
static_assert(offsetof(ChannelStatusRecord, Bert) + offsetof(BertStatusBlock, BitErrorRate) == 820);

static_assert(std::is_standard_layout_v<ChannelStatusRecord>);
static_assert(std::is_trivially_copyable_v<ChannelStatusRecord>);
static_assert(std::is_trivially_copyable_v<RouteInfoCopy>);
static_assert(std::is_trivially_copyable_v<DnCvtStatusFields>);
static_assert(std::is_trivially_copyable_v<ReceiverStatusBlock>);
static_assert(std::is_trivially_copyable_v<BitSyncStatusBlock>);
static_assert(std::is_trivially_copyable_v<BertStatusBlock>);
static_assert(std::is_trivially_copyable_v<PostDStatusBlock>);
static_assert(std::is_trivially_copyable_v<PreDStatusBlock>);

}  // namespace settings
