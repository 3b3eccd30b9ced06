#include "card/mode_routines.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>

#include "config/name_tables.h"

namespace card {
namespace {

constexpr bool IsKnownMode(int mode) { return mode >= 0 && mode < kFpgaImageModeCount; }

enum class NeededCombiner { None, PreD, PostD };

// One operation mode: the personality a standard board runs for it, the candidates of the
// chip-variant board in the order they are tried, and the combiner the personality's image must
// hold. An image without that combiner cannot run the mode: its flags would be cleared and the
// card would report no operation mode at all.
struct OperationModeEntry {
  int Mode;
  std::array<int, 3> VariantCandidates;  // unused places hold kNoFpgaMode
  NeededCombiner Combiner;
};

constexpr NeededCombiner kNone = NeededCombiner::None;
constexpr NeededCombiner kPreD = NeededCombiner::PreD;
constexpr NeededCombiner kPostD = NeededCombiner::PostD;

constexpr std::array<OperationModeEntry, kOperationModeCount> kOperationModes{{
    {2, {10, 11, 12}, kNone},                     // 0 FM-FM INDEPENDENT
    {0, {4, 5, 6}, kNone},                        // 1 PSK-PSK INDEPENDENT
    {1, {7, 8, 9}, kNone},                        // 2 PSKFM INDEPENDENT
    {3, {13, kNoFpgaMode, kNoFpgaMode}, kNone},   // 3 PM-PSK INDEPENDENT
    // The standard board's PSK-FM image has one FM receiver: combining into it would leave
    // channel 1 a PSK receiver in an FM mode. The mode runs on the variant board only.
    {kNoFpgaMode, {11, kNoFpgaMode, kNoFpgaMode}, kPreD},  // 4 FM PRE-D COMBINER
    {0, {5, kNoFpgaMode, kNoFpgaMode}, kPreD},    // 5 PSK PRE-D COMBINER
    {12, {12, kNoFpgaMode, kNoFpgaMode}, kPostD}, // 6 FM POST-D COMBINER (variant board only)
    {6, {6, kNoFpgaMode, kNoFpgaMode}, kPostD},   // 7 PSK POST-D COMBINER (variant board only)
    {14, {14, kNoFpgaMode, kNoFpgaMode}, kPreD},  // 8 MH-PSK PRE-D COMBINER
    {15, {15, kNoFpgaMode, kNoFpgaMode}, kPreD},  // 9 MH-FM PRE-D COMBINER
}};

// Fall-back order: a card that cannot run its wanted personality should come up with two
// independent receivers, PSK+PSK first, before any combining personality.
constexpr std::array<int, 4> kStandardImagePreference{0, 1, 2, 3};
constexpr std::array<int, 12> kVariantImagePreference{4, 7, 10, 13, 5, 8, 11, 6, 9, 12, 14, 15};

bool ModeIn(int mode, std::initializer_list<int> modes) {
  return std::find(modes.begin(), modes.end(), mode) != modes.end();
}

int CombiningCode(int fpgaMode, int routeMode, bool preDFlag, bool postDFlag) {
  if (routeMode == 0) {
    if (IsPcmFmPcmFmMode(fpgaMode)) return 0;
    if (IsPskPskMode(fpgaMode)) return 1;
    if (IsPskPcmFmMode(fpgaMode)) return 2;
    if (IsPmPskMode(fpgaMode)) return 3;
    return kUnknownCombiningMode;
  }
  if (preDFlag) {
    if (ModeIn(fpgaMode, {1, 10, 11})) return 4;
    if (ModeIn(fpgaMode, {0, 4, 5})) return 5;
    if (fpgaMode == 14) return 8;
    if (fpgaMode == 15) return 9;
    return kUnknownCombiningMode;
  }
  if (postDFlag) {
    if (fpgaMode == 12) return 6;
    if (fpgaMode == 6) return 7;
  }
  return kUnknownCombiningMode;
}

}  // namespace

bool IsPcmFmChannelInMode(int mode, int channel) {
  if (channel == 0) return IsPcmFmPcmFmMode(mode);
  // Mode 15 pairs the multi-h CPM receiver on channel 0 with a PCM/FM receiver on channel 1; left
  // out, channel 1's PCM/FM settings would be sent as PSK ones and refused.
  if (channel == 1) return mode == 1 || mode == 2 || (mode >= 7 && mode <= 12) || mode == 15;
  return false;
}

bool IsPmChannelInMode(int mode, int channel) { return channel == 0 && (mode == 3 || mode == 13); }

bool IsMultiHCpmChannelInMode(int mode, int channel) { return channel == 0 && (mode == 14 || mode == 15); }

int DeriveOperationalMode(const kr20cardinfo& info, bool chipVariant) {
  // Packed record: read every count by value.
  const std::int32_t psk = info.NumPskReceivers;
  const std::int32_t fm = info.NumFmReceivers;
  const std::int32_t pm = info.NumPmReceivers;
  const std::int32_t mhCpm = info.NumMhCpmReceivers;
  const bool preD = info.NumPreDCombiners > 0;
  const bool postD = info.NumPostDCombiners > 0;
  // Plain, pre-D and post-D personality of a family on the variant board.
  const auto variantOf = [&](int plain, int withPreD, int withPostD) {
    return preD ? withPreD : (postD ? withPostD : plain);
  };

  if (mhCpm > 0 && psk > 0) return 14;
  if (mhCpm > 0 && fm > 0) return 15;
  if (pm > 0 && psk > 0) return chipVariant ? 13 : 3;
  if (psk >= 2) return chipVariant ? variantOf(4, 5, 6) : 0;
  if (fm >= 2) return chipVariant ? variantOf(10, 11, 12) : 2;
  if (psk >= 1 && fm >= 1) return chipVariant ? variantOf(7, 8, 9) : 1;
  return kNoFpgaMode;
}

CombiningMode GetCombiningModeName(int fpgaMode, int routeMode, bool preDFlag, bool postDFlag) {
  CombiningMode result;
  result.Code = CombiningCode(fpgaMode, routeMode, preDFlag, postDFlag);
  if (result.Code != kUnknownCombiningMode) {
    result.Name = std::string(config::CombiningModeNames[static_cast<std::size_t>(result.Code)]);
  }
  return result;
}

CombiningMode GetCombiningModeName(const RouteInfoRecord& route) {
  const std::int32_t fpgaMode = route.FpgaMasterMode;
  const std::int32_t routeMode = route.RouteMode;
  const std::uint8_t preD = route.PreDCombinerMode;
  const std::uint8_t postD = route.PostDCombinerMode;
  return GetCombiningModeName(fpgaMode, routeMode, preD != 0, postD != 0);
}

FpgaModeSlot SlotFromImageHeader(const FpgaImageHeader& header) {
  FpgaModeSlot slot;
  slot.Usable = IsValidFpgaImageHeader(header);
  const std::uint8_t preD = header.PreDCombining;
  const std::uint8_t postD = header.PostDCombining;
  slot.PreDCombining = slot.Usable && preD != 0;
  slot.PostDCombining = slot.Usable && postD != 0;
  return slot;
}

bool IsModeSlotUsable(const FpgaModeSlotTable& slots, int mode) {
  return IsKnownMode(mode) && slots[static_cast<std::size_t>(mode)].Usable;
}

bool ModeHasFeatureA(const FpgaModeSlotTable& slots, int mode) {
  return IsModeSlotUsable(slots, mode) && slots[static_cast<std::size_t>(mode)].PreDCombining;
}

bool ModeHasFeatureB(const FpgaModeSlotTable& slots, int mode) {
  return IsModeSlotUsable(slots, mode) && slots[static_cast<std::size_t>(mode)].PostDCombining;
}

namespace {

bool ServesOperationMode(const FpgaModeSlotTable& slots, int mode, NeededCombiner combiner) {
  switch (combiner) {
    case NeededCombiner::PreD: return ModeHasFeatureA(slots, mode);
    case NeededCombiner::PostD: return ModeHasFeatureB(slots, mode);
    case NeededCombiner::None: break;
  }
  return IsModeSlotUsable(slots, mode);
}

}  // namespace

bool ModeFeatureTest(int operationMode, const FpgaModeSlotTable& slots, bool chipVariant, OperationModeChoice& choice) {
  if (operationMode < 0 || operationMode >= kOperationModeCount) return false;
  const OperationModeEntry& entry = kOperationModes[static_cast<std::size_t>(operationMode)];
  const bool combining = operationMode >= 4;
  choice.CombinerFlag = combining ? 1 : 0;
  choice.RouteMode = combining ? 1 : 0;
  if (!chipVariant) {
    choice.FpgaMode = entry.Mode;
    return ServesOperationMode(slots, entry.Mode, entry.Combiner);
  }
  choice.FpgaMode = entry.VariantCandidates[0];
  for (int candidate : entry.VariantCandidates) {
    if (ServesOperationMode(slots, candidate, entry.Combiner)) {
      choice.FpgaMode = candidate;
      return true;
    }
  }
  return false;
}

int SelectAvailableImage(bool chipVariant, const FpgaModeSlotTable& slots) {
  const auto pick = [&](const auto& preference) {
    for (int mode : preference) {
      if (IsModeSlotUsable(slots, mode)) return mode;
    }
    return kNoFpgaMode;
  };
  return chipVariant ? pick(kVariantImagePreference) : pick(kStandardImagePreference);
}

bool CardHasBertForChannel(const kr20cardinfo& info, int channel) {
  const std::int32_t berts = info.NumBerts;
  return channel >= 0 && berts > channel;
}

bool CardHasFftForChannel(const kr20cardinfo& info, int channel) {
  const std::int32_t ffts = info.NumFftChannels;
  return channel >= 0 && ffts > channel;
}

bool CardHasChannelReceiver(const kr20cardinfo& info, int channel) {
  const std::int64_t psk = info.NumPskReceivers;
  const std::int64_t fm = info.NumFmReceivers;
  const std::int64_t pm = info.NumPmReceivers;
  const std::int64_t mhCpm = info.NumMhCpmReceivers;
  if (channel < 0 || psk + fm + pm + mhCpm <= channel) return false;
  // The PM and multi-h CPM receivers sit on channel 0, which then has no receiver of its own.
  if (pm > 0 && channel == 0) return false;
  if (mhCpm > 0) return channel == 1;
  return true;
}

bool CardHasDualTransmit(const kr20cardinfo& info, bool chipVariant) {
  const std::int32_t psk = info.NumPskReceivers;
  const std::int32_t txBerts = info.NumTxBerts;
  return chipVariant && psk >= 2 && txBerts >= 2;
}

bool CardHasIqForChannel(const kr20cardinfo& info, int channel, bool channelIsPcmFm, bool channelIsPm,
                         bool channelIsMultiHCpm, bool channel0IsPmOrMultiHCpm) {
  const std::int32_t iq = info.NumIqChannels;
  if (iq < 1 || channel < 0) return false;
  if (channelIsPcmFm || channelIsPm || channelIsMultiHCpm) return false;
  if (channel0IsPmOrMultiHCpm) return channel == 1;
  return iq > channel;
}

bool CardHasIqForChannel(const kr20cardinfo& info, int channel, int fpgaMode) {
  const bool channel0Special = IsPmChannelInMode(fpgaMode, 0) || IsMultiHCpmChannelInMode(fpgaMode, 0);
  return CardHasIqForChannel(info, channel, IsPcmFmChannelInMode(fpgaMode, channel),
                             IsPmChannelInMode(fpgaMode, channel), IsMultiHCpmChannelInMode(fpgaMode, channel),
                             channel0Special);
}

bool CardHasPreDCombiner(const kr20cardinfo& info) {
  const std::int32_t count = info.NumPreDCombiners;
  return count >= 1;
}

bool CardHasPostDCombiner(const kr20cardinfo& info) {
  const std::int32_t count = info.NumPostDCombiners;
  return count >= 1;
}

}  // namespace card
