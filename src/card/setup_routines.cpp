#include "card/setup_routines.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "config/name_tables.h"

namespace card {
namespace {

// The PCM input codes the bit synchronisers take as setup-page choices (the decoder table
// without "RNRZ-15", which the pages offer through the PRN pattern).
constexpr std::size_t kInputCodeCount = 12;
// The codes the bit synchronisers put out.
constexpr std::size_t kOutputCodeCount = 6;

// A receiver modulation and the symbols per bit it puts on the air.
struct ModulationEntry {
  std::string_view Name;
  double SymbolsPerBit;
};

// Order fixes the modulation numbers the down-converters are given.
constexpr std::array<ModulationEntry, 12> kModulations{{
    {"BPSK", 1.0},
    {"QPSK", 0.5},
    {"SQPSK", 0.5},
    {"AQPSK", 0.5},
    {"UQPSK", 1.0},
    {"UAQPSK", 1.0},
    {"AUQPSK", 1.0},
    {"SOQPSK", 0.5},
    {"SOQPSK_TG", 0.5},
    {"PCM_FM", 1.0},
    {"PM", 1.0},
    {"MH_CPM", 0.5},
}};

constexpr std::array<std::string_view, 3> kIfInputSources{"IF_INPUT1", "IF_INPUT2", "DIVERSITY_COMBINER"};
constexpr std::array<std::string_view, 2> kPmInputSources{"IF_1", "IF_2"};

// Decoder code numbers of the biphase codes.
constexpr std::array<int, 5> kBiphaseCodes{3, 4, 5, 7, 8};

constexpr std::string_view kRandomizedNrz = "RNRZ-15";
constexpr std::string_view kRandomizedNrzCode = "NRZL";
constexpr std::string_view kRandomizer = "RAND15_NRZL";
constexpr std::string_view kNoRandomizer = "NONE";

// Divisors of the filter ratio that give one signal bandwidth per symbol rate.
constexpr double kPskRatioPerBandwidth = 2.5;
constexpr double kPcmFmRatioPerBandwidth = 0.5;

void FillList(std::vector<std::string>& list, std::span<const std::string_view> names) {
  list.assign(names.begin(), names.end());
}

double ModulationFactor(std::string_view name) {
  for (const ModulationEntry& entry : kModulations) {
    if (entry.Name == name) return entry.SymbolsPerBit;
  }
  return 1.0;
}

}  // namespace

void FillInputCodeList(std::vector<std::string>& list) {
  FillList(list, std::span(config::PcmDecoderCodeNames).first(kInputCodeCount));
}

void FillOutputCodeList(std::vector<std::string>& list) {
  FillList(list, std::span(config::PcmEncoderCodeNames).first(kOutputCodeCount));
}

void FillModulationList(std::vector<std::string>& list) {
  list.clear();
  for (const ModulationEntry& entry : kModulations) list.emplace_back(entry.Name);
}

void FillPskInputSourceList(std::vector<std::string>& list) {
  FillList(list, kIfInputSources);
}

void FillFmInputSourceList(std::vector<std::string>& list) {
  FillList(list, kIfInputSources);
}

void FillPmInputSourceList(std::vector<std::string>& list) {
  FillList(list, kPmInputSources);
}

std::string OwnInputSource(int channel, bool pm, bool multiHCpm) {
  if ((channel != 0 && channel != 1) || multiHCpm) return {};
  const auto at = static_cast<std::size_t>(channel);
  return std::string(pm ? kPmInputSources[at] : kIfInputSources[at]);
}

std::string PcmEncoderCodeName(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= config::PcmEncoderCodeNames.size()) return kUnknownCodeName;
  return std::string(config::PcmEncoderCodeNames[static_cast<std::size_t>(index)]);
}

std::string PcmDecoderCodeName(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= config::PcmDecoderCodeNames.size()) return kUnknownCodeName;
  return std::string(config::PcmDecoderCodeNames[static_cast<std::size_t>(index)]);
}

int PcmCodeNumber(std::string_view name) {
  const auto& names = config::PcmDecoderCodeNames;
  const auto found = std::find(names.begin(), names.end(), name);
  return found == names.end() ? -1 : static_cast<int>(found - names.begin());
}

bool IsBiphaseCode(int codeNumber) {
  return std::find(kBiphaseCodes.begin(), kBiphaseCodes.end(), codeNumber) != kBiphaseCodes.end();
}

int ModulationNumber(std::string_view name) {
  for (std::size_t i = 0; i < kModulations.size(); ++i) {
    if (kModulations[i].Name == name) return static_cast<int>(i);
  }
  return -1;
}

PrnCode NormalizePrnPattern(std::string_view name) {
  if (name == kRandomizedNrz) return {std::string(kRandomizedNrzCode), std::string(kRandomizer)};
  return {std::string(name), std::string(kNoRandomizer)};
}

std::string PrnNameToDisplay(std::string_view code, std::string_view descrambler) {
  return std::string(descrambler == kRandomizer ? kRandomizedNrz : code);
}

std::string PackBitPattern(std::uint32_t pattern, int lengthBits) {
  std::uint32_t packed = 0;
  if (lengthBits > 0) {
    const int length = std::min(lengthBits, 32);
    const std::uint32_t mask = length == 32 ? 0xFFFFFFFFu : ((1u << length) - 1u);
    packed = (pattern & mask) << (32 - length);
  }
  std::string bytes(4, '\0');
  for (std::size_t i = 0; i < 4; ++i) {
    bytes[i] = static_cast<char>(static_cast<unsigned char>(packed >> (24 - 8 * i)));
  }
  return bytes;
}

CarrierAcqRange SuggestCarrierAcqRange(double bitRate, bool isPcmFm, bool isPm, std::string_view inputCode) {
  CarrierAcqRange range;
  range.Upper = isPm ? 1'000'000.0 : 10'000'000.0;
  range.Suggested = range.Upper;
  if (isPcmFm) {
    const double codeFactor = inputCode == "NRZL" ? 1.0 : 2.0;
    range.Suggested = bitRate * codeFactor * kCarrierAcqRangeRateFactor;
    range.Upper = 2.0 * range.Suggested;
  }
  return range;
}

double SuggestFmCarrierAcqLoopBw(double bitRate, bool bitRateBased) {
  return bitRateBased ? bitRate * 0.002 : 10000.0;
}

double SuggestFmCarrierTrackLoopBw(double bitRate, bool bitRateBased, double measuredSpreadMhz,
                                   double ifCarCfSpanPct) {
  if (bitRateBased) return bitRate * 0.001;
  const double spreadHz = measuredSpreadMhz * 1'000'000.0;
  if (spreadHz > 0.0) return spreadHz;
  return 0.01 * ifCarCfSpanPct * bitRate;
}

double SuggestPmCarrierAcqLoopBw(double dataRate) { return dataRate * 0.002; }

double SuggestPmCarrierTrackLoopBw(double dataRate) { return dataRate * 0.001; }

double SignalRateFactor(const ChannelRateInfo& info) {
  const double viterbiFactor = info.Viterbi ? 2.0 : 1.0;
  const double codeFactor = IsBiphaseCode(PcmCodeNumber(info.PcmCode)) ? 2.0 : 1.0;
  return ModulationFactor(info.Modulation) * viterbiFactor * codeFactor;
}

double SignalBwForRatioPsk(const ChannelRateInfo& info, double ratio) {
  return SignalRateFactor(info) * info.BitRate * (ratio / kPskRatioPerBandwidth) * 0.001;
}

double SignalBwForRatioPcmFm(const ChannelRateInfo& info, double ratio) {
  return SignalRateFactor(info) * info.BitRate * (ratio / kPcmFmRatioPerBandwidth) * 0.001;
}

namespace {
double RatioForBandwidth(const ChannelRateInfo& info, double bandwidthHz, double ratioPerBandwidth) {
  const double symbolRate = SignalRateFactor(info) * info.BitRate;
  if (!(symbolRate > 0.0) || !std::isfinite(bandwidthHz)) return 0.0;
  return bandwidthHz / symbolRate * ratioPerBandwidth;
}
}  // namespace

double SignalFilterRatioForBwPsk(const ChannelRateInfo& info, double bandwidthHz) {
  return RatioForBandwidth(info, bandwidthHz, kPskRatioPerBandwidth);
}

double SignalFilterRatioForBwPcmFm(const ChannelRateInfo& info, double bandwidthHz) {
  return RatioForBandwidth(info, bandwidthHz, kPcmFmRatioPerBandwidth);
}

double ChannelSignalBw(const ChannelRateInfo& info, bool isPcmFm, double ratio) {
  const double kHz = isPcmFm ? SignalBwForRatioPcmFm(info, ratio) : SignalBwForRatioPsk(info, ratio);
  return kHz * 1000.0;
}

double AutoFftSpanHz(double bitRate) {
  double span = kFftSpanPerBitRate * bitRate;
  if (std::isnan(span)) span = kFftSpanMinHz;
  span = std::clamp(span, kFftSpanMinHz, kFftSpanMaxHz);
  return std::round(span / 1'000'000.0) * 1'000'000.0;
}

std::string CardDesignationText(const CardSetupRecord& setup) { return SetupText(setup.CardDesignation); }

std::string StreamDesignationText(const CardSetupRecord& setup, int stream) {
  if (stream < 0 || stream >= static_cast<int>(kSetupChannels)) return {};
  return SetupText(setup.StreamDesignation[stream]);
}

void SetCardDesignationText(CardSetupRecord& setup, std::string_view text) {
  SetSetupText(setup.CardDesignation, text.substr(0, kDesignationMaxChars));
}

void SetStreamDesignationText(CardSetupRecord& setup, int stream, std::string_view text) {
  if (stream < 0 || stream >= static_cast<int>(kSetupChannels)) return;
  SetSetupText(setup.StreamDesignation[stream], text.substr(0, kDesignationMaxChars));
}

}  // namespace card
