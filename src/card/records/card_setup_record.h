#pragma once
// The whole configuration of one receiver card. The record also travels byte for byte in the
// group-status datagram, so its layout is a wire format: packed, little-endian, IEEE doubles,
// texts NUL-terminated in fixed fields. Bytes without a name are reserved and stay zero.
#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace card {

inline constexpr std::size_t kSetupTextLen = 64;     // enumerated names and other texts
inline constexpr std::size_t kDesignationLen = 18;   // at most 17 characters and the NUL
inline constexpr int kNoFpgaMode = 16;               // "no personality" in the mode fields

#pragma pack(push, 1)

// Head of the record: which personality the card runs and how its channels are routed.
struct RouteInfoRecord {
  std::int32_t FpgaMasterMode{};
  std::int32_t UserReceiverMode{};
  std::int32_t RouteMode{};
  std::uint8_t PreDCombinerMode{};
  std::uint8_t PostDCombinerMode{};
  std::uint8_t PskFmCombinerToChA{};
};

struct BitSyncRecord {
  std::int32_t Bitrate{};
  char PcmInputCode[kSetupTextLen]{};
  char PcmOutputCode[kSetupTextLen]{};
  double AcqLoopBandwidthPct{};
  double TrkLoopBandwidthPct{};
  char ViterbiRateMode[kSetupTextLen]{};
  char ViterbiSymbolOrder[kSetupTextLen]{};
  std::uint8_t ViterbiDecodeEnabled{};
  std::uint8_t ViterbiG1Inverted{};
  std::uint8_t ViterbiG2Inverted{};
};

// Output routing of a receiver's two streams.
struct RxRoutingRecord {
  char RecombineLocation[kSetupTextLen]{};
  char StreamSwapLocation[kSetupTextLen]{};
  char InvertLocation[kSetupTextLen]{};
  char Baseband1Output[kSetupTextLen]{};
  char Baseband2Output[kSetupTextLen]{};
  std::int32_t PskSakBbOutSelection{};
};

struct ReceiverRecord {
  BitSyncRecord BitSync[2]{};  // bit synchroniser 1 (stream 1) and 2 (stream 2)
  RxRoutingRecord Routing{};
  char InputSource[kSetupTextLen]{};
  char OutputClockPolarity[kSetupTextLen]{};
  double CarrierFreqMhz{};
  double CarrierAcqRangeHz{};
  double CarrierSignalBwRatio{};
  std::uint8_t InvertOutput{};
  double CarrierThesholdDbm{};
  char DemodMode[kSetupTextLen]{};
  double CarrierAcqLoopBandwidthPct{};
  double CarrierTrkLoopBandwidthPct{};
  std::uint8_t CarrierAcqModeUnaided{};
  double PmModIndex{};
  std::uint8_t CarrierDiscriminatorEnabled{};
  std::uint8_t StreamControlS1Only{};
  char CarrierModIndexCompensationMode[kSetupTextLen]{};
  double CarrierPeakDeviation{};
  double CarrierAcqLoopBandwidthHz{};
  double CarrierTrkLoopBandwidthHz{};
  std::uint8_t XmitterIsDigital{};
  double PeakDeviationFactorMin{};
  double PeakDeviationFactorMax{};
  double CarrierPeakDeviationRange{};
  std::uint8_t Reserved1247[1604]{};
  char PmDebugOutput1MuxSelect[kSetupTextLen]{};
  char PmDebugOutput2MuxSelect[kSetupTextLen]{};
  double PmCarrierLockDecisionPeriod{};
  // In the setup file the key named after this flag carries MhCpmLoopValue; the flag travels
  // under "PmLoopDiscriminatorFlag".
  std::uint8_t PmLoopDiscriminatorEnabled{};
  double MhCpmSymbolloopbandwidthPct{};
  double MhCpmCarrierloopbandwidthPct{};
  double MhCpmCarrierFrequencyMhz{};
  double MhCpmLoopValue{};
};

struct RxBertRecord {
  std::uint8_t InputSourceOn{};
  char PrnPattern[kSetupTextLen]{};
  char ClockPolarity[kSetupTextLen]{};
  std::int32_t UserPatternLength{};
  std::int32_t UserPatternRadix{};  // 0 decimal, 1 hexadecimal, 2 binary
  std::uint32_t UserPattern{};
  std::int32_t NumSecsToAverage{};
};

struct TxBertRecord {
  char ClockPolarity[kSetupTextLen]{};
  char DataPolarity[kSetupTextLen]{};
  std::uint8_t InsertTimeCode{};
  double BitRate{};
  double BitErrorRate{};
  double SystemClock{};
  char PrnPattern[kSetupTextLen]{};
  std::int32_t UserPatternLength{};
  std::int32_t UserPatternRadix{};
  std::uint32_t UserPattern{};
};

struct PreDCombinerRecord {
  char NoiseEstimateMode[kSetupTextLen]{};
  double SignalBandwidthMhz{};
  double TimeConstSecs{};
  double PhaseTimeConstSecs{};
  double NoiseFilterGainValue{};
  double CenterFreqChAMhz{};
  double CenterFreqChBMhz{};
  double FixedNoiseChADbm{};
  double FixedNoiseChBDbm{};
  double SignalBwRatioConstant{};
  std::uint8_t CombinerModePolarity{};
  std::uint8_t CombinerModeOff{};
};

// The diversity-output name fills the block up to the two flags.
struct PostDCombinerRecord {
  char DiversityOutput[104]{};
  std::uint8_t CombinerModePolarity{};
  std::uint8_t CombinerModeOff{};
};

// One segment profile of the test modulator; the four doubles between DurationPct and
// MaxRangeValue are not used by the program.
struct ModProfileRecord {
  double Rate{};
  double DurationPct{};
  std::uint8_t Reserved16[32]{};
  double MaxRangeValue{};
  double MinRangeValue{};
};

struct PcmEncoderRecord {
  char DataSource[kSetupTextLen]{};
  char OutputCode[kSetupTextLen]{};
  std::uint8_t ConvolutionEncoding{};
  std::uint8_t SwapG1G2{};
  std::uint8_t InvertG2{};
  std::uint8_t InvertData{};
  std::uint8_t FallingClockEdge{};
};

inline constexpr std::size_t kModProfiles = 5;
inline constexpr std::size_t kModSweepStops = 3;

struct ModulatorRecord {
  // Frequency sweep.
  std::uint8_t HasModSweep{};
  double SweepRateHz{};
  double StartFreqMhz{};
  std::int32_t NumProfiles{};
  std::int32_t SweepProfileIndex{};
  double StopFreqMhzAry[kModSweepStops]{};
  std::uint8_t SinglePass{};
  std::uint8_t SnapCtrAtEndCycle{};
  std::uint8_t Reserved51[1]{};
  ModProfileRecord Profiles[kModProfiles]{};
  std::uint8_t InputSourceDirect{};
  double CarrierFreqMhz{};
  double CarrierAmplitudeDbm{};
  char TestGenPattern[kSetupTextLen]{};
  char ModulationType[kSetupTextLen]{};
  char ModulationMode[kSetupTextLen]{};
  char IDataSource[kSetupTextLen]{};
  char QDataSource[kSetupTextLen]{};
  char IQRouting[kSetupTextLen]{};
  char InputPreprocess[kSetupTextLen]{};
  char SymbolRouting[kSetupTextLen]{};
  std::uint8_t CarrierEnabled{};
  std::uint8_t ModulationEnabled{};
  std::uint8_t NoiseEnabled{};
  double CarrerToNoiseDbm{};
  PcmEncoderRecord PcmEncoder[2]{};
  std::int32_t IFMaxOutuptCal{};
  double FSKPremodBandWidthHz{};
  double FSKFmDeviationHz{};
  double IPowerLevelDbm{};
  double QPowerLevelDbm{};
  std::uint8_t QPSKConjugate{};
  double Subcarrier1DeviationHz{};
  double Subcarrier2DeviationHz{};
  double FmPeakDeviationFactor{};
  double DirPskPmModIndex{};
  double RangePmModIndex{};
  double CommandPmModIndex{};
  double Subcarrier1PmModIndex{};
  double Subcarrier2PmModIndex{};
  double ExtPmModIndex{};
  double Sub1RateHz{};
  char Sub1ModulationType[kSetupTextLen]{};
  char Sub1InputSource[kSetupTextLen]{};
  std::uint8_t SakLoopbackMode{};
  std::uint8_t SakIfModOutputToDiversity{};
};

struct IqRecord {
  std::int32_t NumDataPoints{};
  std::int32_t UpdateRateHz{};
};

struct FftRecord {
  double CenterFreqMhz{};
  double SpanMhz{};
  char DisplayMode[kSetupTextLen]{};
  char WindowType[kSetupTextLen]{};
  std::int32_t NumFftAverages{};
  std::int32_t UpdateRateHz{};
  double DbPerDiv{};
  std::int32_t NumBwAverages{};
  double PeakFilterPct{};
  double RefLevelPct{};
};

struct BasebandSourceRecord {
  std::int32_t BB1DacSource{};
  std::int32_t BB2DacSource{};
};

inline constexpr std::size_t kSetupChannels = 2;
inline constexpr std::size_t kSetupFftBlocks = 3;

struct CardSetupRecord {
  RouteInfoRecord RouteInfo{};
  char CardDesignation[kDesignationLen]{};
  char StreamDesignation[kSetupChannels][kDesignationLen]{};
  ReceiverRecord Receiver[kSetupChannels]{};
  RxBertRecord RxBert[kSetupChannels]{};
  TxBertRecord TxBert[kSetupChannels]{};
  PreDCombinerRecord PreD{};
  PostDCombinerRecord PostD{};
  ModulatorRecord Modulator{};
  IqRecord Iq[kSetupChannels]{};
  FftRecord Fft[kSetupFftBlocks]{};
  BasebandSourceRecord BasebandSources{};
};

#pragma pack(pop)

// --- Route information ---------------------------------------------------------------------
static_assert(sizeof(RouteInfoRecord) == 15);
static_assert(offsetof(RouteInfoRecord, FpgaMasterMode) == 0);
static_assert(offsetof(RouteInfoRecord, UserReceiverMode) == 4);
static_assert(offsetof(RouteInfoRecord, RouteMode) == 8);
static_assert(offsetof(RouteInfoRecord, PreDCombinerMode) == 12);
static_assert(offsetof(RouteInfoRecord, PostDCombinerMode) == 13);
static_assert(offsetof(RouteInfoRecord, PskFmCombinerToChA) == 14);

// --- Bit synchroniser ----------------------------------------------------------------------
static_assert(sizeof(BitSyncRecord) == 279);
static_assert(offsetof(BitSyncRecord, Bitrate) == 0);
static_assert(offsetof(BitSyncRecord, PcmInputCode) == 4);
static_assert(offsetof(BitSyncRecord, PcmOutputCode) == 68);
static_assert(offsetof(BitSyncRecord, AcqLoopBandwidthPct) == 132);
static_assert(offsetof(BitSyncRecord, TrkLoopBandwidthPct) == 140);
static_assert(offsetof(BitSyncRecord, ViterbiRateMode) == 148);
static_assert(offsetof(BitSyncRecord, ViterbiSymbolOrder) == 212);
static_assert(offsetof(BitSyncRecord, ViterbiDecodeEnabled) == 276);
static_assert(offsetof(BitSyncRecord, ViterbiG1Inverted) == 277);
static_assert(offsetof(BitSyncRecord, ViterbiG2Inverted) == 278);

// --- Routing -------------------------------------------------------------------------------
static_assert(sizeof(RxRoutingRecord) == 324);
static_assert(offsetof(RxRoutingRecord, RecombineLocation) == 0);
static_assert(offsetof(RxRoutingRecord, StreamSwapLocation) == 64);
static_assert(offsetof(RxRoutingRecord, InvertLocation) == 128);
static_assert(offsetof(RxRoutingRecord, Baseband1Output) == 192);
static_assert(offsetof(RxRoutingRecord, Baseband2Output) == 256);
static_assert(offsetof(RxRoutingRecord, PskSakBbOutSelection) == 320);

// --- Receiver ------------------------------------------------------------------------------
static_assert(sizeof(ReceiverRecord) == 3020);
static_assert(offsetof(ReceiverRecord, BitSync[0]) == 0);
static_assert(offsetof(ReceiverRecord, BitSync[1]) == 279);
static_assert(offsetof(ReceiverRecord, Routing) == 558);
static_assert(offsetof(ReceiverRecord, InputSource) == 882);
static_assert(offsetof(ReceiverRecord, OutputClockPolarity) == 946);
static_assert(offsetof(ReceiverRecord, CarrierFreqMhz) == 1010);
static_assert(offsetof(ReceiverRecord, CarrierAcqRangeHz) == 1018);
static_assert(offsetof(ReceiverRecord, CarrierSignalBwRatio) == 1026);
static_assert(offsetof(ReceiverRecord, InvertOutput) == 1034);
static_assert(offsetof(ReceiverRecord, CarrierThesholdDbm) == 1035);
static_assert(offsetof(ReceiverRecord, DemodMode) == 1043);
static_assert(offsetof(ReceiverRecord, CarrierAcqLoopBandwidthPct) == 1107);
static_assert(offsetof(ReceiverRecord, CarrierTrkLoopBandwidthPct) == 1115);
static_assert(offsetof(ReceiverRecord, CarrierAcqModeUnaided) == 1123);
static_assert(offsetof(ReceiverRecord, PmModIndex) == 1124);
static_assert(offsetof(ReceiverRecord, CarrierDiscriminatorEnabled) == 1132);
static_assert(offsetof(ReceiverRecord, StreamControlS1Only) == 1133);
static_assert(offsetof(ReceiverRecord, CarrierModIndexCompensationMode) == 1134);
static_assert(offsetof(ReceiverRecord, CarrierPeakDeviation) == 1198);
static_assert(offsetof(ReceiverRecord, CarrierAcqLoopBandwidthHz) == 1206);
static_assert(offsetof(ReceiverRecord, CarrierTrkLoopBandwidthHz) == 1214);
static_assert(offsetof(ReceiverRecord, XmitterIsDigital) == 1222);
static_assert(offsetof(ReceiverRecord, PeakDeviationFactorMin) == 1223);
static_assert(offsetof(ReceiverRecord, PeakDeviationFactorMax) == 1231);
static_assert(offsetof(ReceiverRecord, CarrierPeakDeviationRange) == 1239);
static_assert(offsetof(ReceiverRecord, Reserved1247) == 1247);
static_assert(offsetof(ReceiverRecord, PmDebugOutput1MuxSelect) == 2851);
static_assert(offsetof(ReceiverRecord, PmDebugOutput2MuxSelect) == 2915);
static_assert(offsetof(ReceiverRecord, PmCarrierLockDecisionPeriod) == 2979);
static_assert(offsetof(ReceiverRecord, PmLoopDiscriminatorEnabled) == 2987);
static_assert(offsetof(ReceiverRecord, MhCpmSymbolloopbandwidthPct) == 2988);
static_assert(offsetof(ReceiverRecord, MhCpmCarrierloopbandwidthPct) == 2996);
static_assert(offsetof(ReceiverRecord, MhCpmCarrierFrequencyMhz) == 3004);
static_assert(offsetof(ReceiverRecord, MhCpmLoopValue) == 3012);

// --- Receive BERT --------------------------------------------------------------------------
static_assert(sizeof(RxBertRecord) == 145);
static_assert(offsetof(RxBertRecord, InputSourceOn) == 0);
static_assert(offsetof(RxBertRecord, PrnPattern) == 1);
static_assert(offsetof(RxBertRecord, ClockPolarity) == 65);
static_assert(offsetof(RxBertRecord, UserPatternLength) == 129);
static_assert(offsetof(RxBertRecord, UserPatternRadix) == 133);
static_assert(offsetof(RxBertRecord, UserPattern) == 137);
static_assert(offsetof(RxBertRecord, NumSecsToAverage) == 141);

// --- Transmit BERT -------------------------------------------------------------------------
static_assert(sizeof(TxBertRecord) == 229);
static_assert(offsetof(TxBertRecord, ClockPolarity) == 0);
static_assert(offsetof(TxBertRecord, DataPolarity) == 64);
static_assert(offsetof(TxBertRecord, InsertTimeCode) == 128);
static_assert(offsetof(TxBertRecord, BitRate) == 129);
static_assert(offsetof(TxBertRecord, BitErrorRate) == 137);
static_assert(offsetof(TxBertRecord, SystemClock) == 145);
static_assert(offsetof(TxBertRecord, PrnPattern) == 153);
static_assert(offsetof(TxBertRecord, UserPatternLength) == 217);
static_assert(offsetof(TxBertRecord, UserPatternRadix) == 221);
static_assert(offsetof(TxBertRecord, UserPattern) == 225);

// --- Combiners -----------------------------------------------------------------------------
static_assert(sizeof(PreDCombinerRecord) == 138);
static_assert(offsetof(PreDCombinerRecord, NoiseEstimateMode) == 0);
static_assert(offsetof(PreDCombinerRecord, SignalBandwidthMhz) == 64);
static_assert(offsetof(PreDCombinerRecord, TimeConstSecs) == 72);
static_assert(offsetof(PreDCombinerRecord, PhaseTimeConstSecs) == 80);
static_assert(offsetof(PreDCombinerRecord, NoiseFilterGainValue) == 88);
static_assert(offsetof(PreDCombinerRecord, CenterFreqChAMhz) == 96);
static_assert(offsetof(PreDCombinerRecord, CenterFreqChBMhz) == 104);
static_assert(offsetof(PreDCombinerRecord, FixedNoiseChADbm) == 112);
static_assert(offsetof(PreDCombinerRecord, FixedNoiseChBDbm) == 120);
static_assert(offsetof(PreDCombinerRecord, SignalBwRatioConstant) == 128);
static_assert(offsetof(PreDCombinerRecord, CombinerModePolarity) == 136);
static_assert(offsetof(PreDCombinerRecord, CombinerModeOff) == 137);

static_assert(sizeof(PostDCombinerRecord) == 106);
static_assert(offsetof(PostDCombinerRecord, DiversityOutput) == 0);
static_assert(offsetof(PostDCombinerRecord, CombinerModePolarity) == 104);
static_assert(offsetof(PostDCombinerRecord, CombinerModeOff) == 105);

// --- Modulator -----------------------------------------------------------------------------
static_assert(sizeof(ModProfileRecord) == 64);
static_assert(offsetof(ModProfileRecord, Rate) == 0);
static_assert(offsetof(ModProfileRecord, DurationPct) == 8);
static_assert(offsetof(ModProfileRecord, MaxRangeValue) == 48);
static_assert(offsetof(ModProfileRecord, MinRangeValue) == 56);

static_assert(sizeof(PcmEncoderRecord) == 133);
static_assert(offsetof(PcmEncoderRecord, DataSource) == 0);
static_assert(offsetof(PcmEncoderRecord, OutputCode) == 64);
static_assert(offsetof(PcmEncoderRecord, ConvolutionEncoding) == 128);
static_assert(offsetof(PcmEncoderRecord, SwapG1G2) == 129);
static_assert(offsetof(PcmEncoderRecord, InvertG2) == 130);
static_assert(offsetof(PcmEncoderRecord, InvertData) == 131);
static_assert(offsetof(PcmEncoderRecord, FallingClockEdge) == 132);

static_assert(sizeof(ModulatorRecord) == 1425);
static_assert(offsetof(ModulatorRecord, HasModSweep) == 0);
static_assert(offsetof(ModulatorRecord, SweepRateHz) == 1);
static_assert(offsetof(ModulatorRecord, StartFreqMhz) == 9);
static_assert(offsetof(ModulatorRecord, NumProfiles) == 17);
static_assert(offsetof(ModulatorRecord, SweepProfileIndex) == 21);
static_assert(offsetof(ModulatorRecord, StopFreqMhzAry) == 25);
static_assert(offsetof(ModulatorRecord, SinglePass) == 49);
static_assert(offsetof(ModulatorRecord, SnapCtrAtEndCycle) == 50);
static_assert(offsetof(ModulatorRecord, Reserved51) == 51);
static_assert(offsetof(ModulatorRecord, Profiles) == 52);
static_assert(offsetof(ModulatorRecord, InputSourceDirect) == 372);
static_assert(offsetof(ModulatorRecord, CarrierFreqMhz) == 373);
static_assert(offsetof(ModulatorRecord, CarrierAmplitudeDbm) == 381);
static_assert(offsetof(ModulatorRecord, TestGenPattern) == 389);
static_assert(offsetof(ModulatorRecord, ModulationType) == 453);
static_assert(offsetof(ModulatorRecord, ModulationMode) == 517);
static_assert(offsetof(ModulatorRecord, IDataSource) == 581);
static_assert(offsetof(ModulatorRecord, QDataSource) == 645);
static_assert(offsetof(ModulatorRecord, IQRouting) == 709);
static_assert(offsetof(ModulatorRecord, InputPreprocess) == 773);
static_assert(offsetof(ModulatorRecord, SymbolRouting) == 837);
static_assert(offsetof(ModulatorRecord, CarrierEnabled) == 901);
static_assert(offsetof(ModulatorRecord, ModulationEnabled) == 902);
static_assert(offsetof(ModulatorRecord, NoiseEnabled) == 903);
static_assert(offsetof(ModulatorRecord, CarrerToNoiseDbm) == 904);
static_assert(offsetof(ModulatorRecord, PcmEncoder[0]) == 912);
static_assert(offsetof(ModulatorRecord, PcmEncoder[1]) == 1045);
static_assert(offsetof(ModulatorRecord, IFMaxOutuptCal) == 1178);
static_assert(offsetof(ModulatorRecord, FSKPremodBandWidthHz) == 1182);
static_assert(offsetof(ModulatorRecord, FSKFmDeviationHz) == 1190);
static_assert(offsetof(ModulatorRecord, IPowerLevelDbm) == 1198);
static_assert(offsetof(ModulatorRecord, QPowerLevelDbm) == 1206);
static_assert(offsetof(ModulatorRecord, QPSKConjugate) == 1214);
static_assert(offsetof(ModulatorRecord, Subcarrier1DeviationHz) == 1215);
static_assert(offsetof(ModulatorRecord, Subcarrier2DeviationHz) == 1223);
static_assert(offsetof(ModulatorRecord, FmPeakDeviationFactor) == 1231);
static_assert(offsetof(ModulatorRecord, DirPskPmModIndex) == 1239);
static_assert(offsetof(ModulatorRecord, RangePmModIndex) == 1247);
static_assert(offsetof(ModulatorRecord, CommandPmModIndex) == 1255);
static_assert(offsetof(ModulatorRecord, Subcarrier1PmModIndex) == 1263);
static_assert(offsetof(ModulatorRecord, Subcarrier2PmModIndex) == 1271);
static_assert(offsetof(ModulatorRecord, ExtPmModIndex) == 1279);
static_assert(offsetof(ModulatorRecord, Sub1RateHz) == 1287);
static_assert(offsetof(ModulatorRecord, Sub1ModulationType) == 1295);
static_assert(offsetof(ModulatorRecord, Sub1InputSource) == 1359);
static_assert(offsetof(ModulatorRecord, SakLoopbackMode) == 1423);
static_assert(offsetof(ModulatorRecord, SakIfModOutputToDiversity) == 1424);

// --- Displays and baseband -----------------------------------------------------------------
static_assert(sizeof(IqRecord) == 8);
static_assert(offsetof(IqRecord, NumDataPoints) == 0);
static_assert(offsetof(IqRecord, UpdateRateHz) == 4);

static_assert(sizeof(FftRecord) == 180);
static_assert(offsetof(FftRecord, CenterFreqMhz) == 0);
static_assert(offsetof(FftRecord, SpanMhz) == 8);
static_assert(offsetof(FftRecord, DisplayMode) == 16);
static_assert(offsetof(FftRecord, WindowType) == 80);
static_assert(offsetof(FftRecord, NumFftAverages) == 144);
static_assert(offsetof(FftRecord, UpdateRateHz) == 148);
static_assert(offsetof(FftRecord, DbPerDiv) == 152);
static_assert(offsetof(FftRecord, NumBwAverages) == 160);
static_assert(offsetof(FftRecord, PeakFilterPct) == 164);
static_assert(offsetof(FftRecord, RefLevelPct) == 172);

static_assert(sizeof(BasebandSourceRecord) == 8);
static_assert(offsetof(BasebandSourceRecord, BB1DacSource) == 0);
static_assert(offsetof(BasebandSourceRecord, BB2DacSource) == 4);

// --- The whole record ----------------------------------------------------------------------
static_assert(sizeof(CardSetupRecord) == 9090);
static_assert(offsetof(CardSetupRecord, RouteInfo) == 0);
static_assert(offsetof(CardSetupRecord, CardDesignation) == 15);
static_assert(offsetof(CardSetupRecord, StreamDesignation[0]) == 33);
static_assert(offsetof(CardSetupRecord, StreamDesignation[1]) == 51);
static_assert(offsetof(CardSetupRecord, Receiver[0]) == 69);
static_assert(offsetof(CardSetupRecord, Receiver[1]) == 3089);
static_assert(offsetof(CardSetupRecord, RxBert[0]) == 6109);
static_assert(offsetof(CardSetupRecord, RxBert[1]) == 6254);
static_assert(offsetof(CardSetupRecord, TxBert[0]) == 6399);
static_assert(offsetof(CardSetupRecord, TxBert[1]) == 6628);
static_assert(offsetof(CardSetupRecord, PreD) == 6857);
static_assert(offsetof(CardSetupRecord, PostD) == 6995);
static_assert(offsetof(CardSetupRecord, Modulator) == 7101);
static_assert(offsetof(CardSetupRecord, Iq[0]) == 8526);
static_assert(offsetof(CardSetupRecord, Iq[1]) == 8534);
static_assert(offsetof(CardSetupRecord, Fft[0]) == 8542);
static_assert(offsetof(CardSetupRecord, Fft[1]) == 8722);
static_assert(offsetof(CardSetupRecord, Fft[2]) == 8902);
static_assert(offsetof(CardSetupRecord, BasebandSources) == 9082);

static_assert(std::is_standard_layout_v<CardSetupRecord>);
static_assert(std::is_trivially_copyable_v<RouteInfoRecord>);
static_assert(std::is_trivially_copyable_v<BitSyncRecord>);
static_assert(std::is_trivially_copyable_v<RxRoutingRecord>);
static_assert(std::is_trivially_copyable_v<ReceiverRecord>);
static_assert(std::is_trivially_copyable_v<RxBertRecord>);
static_assert(std::is_trivially_copyable_v<TxBertRecord>);
static_assert(std::is_trivially_copyable_v<PreDCombinerRecord>);
static_assert(std::is_trivially_copyable_v<PostDCombinerRecord>);
static_assert(std::is_trivially_copyable_v<ModProfileRecord>);
static_assert(std::is_trivially_copyable_v<PcmEncoderRecord>);
static_assert(std::is_trivially_copyable_v<ModulatorRecord>);
static_assert(std::is_trivially_copyable_v<IqRecord>);
static_assert(std::is_trivially_copyable_v<FftRecord>);
static_assert(std::is_trivially_copyable_v<BasebandSourceRecord>);
static_assert(std::is_trivially_copyable_v<CardSetupRecord>);

}  // namespace card
