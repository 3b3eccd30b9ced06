#include "card/personality_routines.h"

#include <array>
#include <optional>
#include <vector>

#include "card/card_routines.h"
#include "card/hwcfg_manager.h"
#include "card/mode_routines.h"
#include "card/rtl20_manager.h"
#include "config/globals.h"
#include "config/options_store.h"
#include "util/error_log.h"
#include "util/process_globals.h"

namespace card {

namespace {

enum class Family { Psk, PcmFm, Pm, MultiHCpm };
enum class Combiner { None, PreD, PostD };

// The personalities that put the same families on the two channels: the standard board's one
// (kNoFpgaMode when it has none) and the variant board's without, with a pre-D and with a post-D
// combiner (kNoFpgaMode where none exists).
struct PersonalityGroup {
  int Standard = kNoFpgaMode;
  int Plain = kNoFpgaMode;
  int PreD = kNoFpgaMode;
  int PostD = kNoFpgaMode;
};

constexpr int N = kNoFpgaMode;

std::optional<PersonalityGroup> GroupOfFamilies(Family channel0, Family channel1) {
  if (channel0 == Family::Psk && channel1 == Family::Psk) return PersonalityGroup{0, 4, 5, 6};
  if (channel0 == Family::Psk && channel1 == Family::PcmFm) return PersonalityGroup{1, 7, 8, 9};
  if (channel0 == Family::PcmFm && channel1 == Family::PcmFm) return PersonalityGroup{2, 10, 11, 12};
  if (channel0 == Family::Pm && channel1 == Family::Psk) return PersonalityGroup{3, 13, N, N};
  if (channel0 == Family::MultiHCpm && channel1 == Family::Psk) return PersonalityGroup{N, 14, N, N};
  if (channel0 == Family::MultiHCpm && channel1 == Family::PcmFm) return PersonalityGroup{N, 15, N, N};
  return std::nullopt;
}

// The receiver a personality builds for a channel. Channel 1 of multi-h CPM + PCM/FM (15) holds
// an FM receiver, although the family tests of the channels leave it out of the PCM/FM list.
Family FamilyInMode(int mode, int channel) {
  if (IsPcmFmChannelInMode(mode, channel) || (mode == 15 && channel == 1)) return Family::PcmFm;
  if (IsPmChannelInMode(mode, channel)) return Family::Pm;
  if (IsMultiHCpmChannelInMode(mode, channel)) return Family::MultiHCpm;
  return Family::Psk;
}

// The receiver family a modulation needs: PM and multi-h CPM are families of their own, PCM/FM
// is asked for by its name or the caller's flag, every other modulation is PSK.
Family FamilyOfModulation(const std::string& modulation, bool pcmFmWanted) {
  if (modulation == "PM") return Family::Pm;
  if (modulation == "MH_CPM") return Family::MultiHCpm;
  if (pcmFmWanted || modulation == "PCM_FM") return Family::PcmFm;
  return Family::Psk;
}

Combiner CombinerOfMode(int mode) {
  if (mode == 5 || mode == 8 || mode == 11) return Combiner::PreD;
  if (mode == 6 || mode == 9 || mode == 12) return Combiner::PostD;
  return Combiner::None;
}

// The group's personalities in the order they are tried: the wanted combiner first, then none,
// then the other combiners, then the standard board's personality.
std::vector<int> Candidates(const PersonalityGroup& group, Combiner wanted) {
  std::vector<int> order;
  const auto add = [&order](int mode) {
    if (mode != kNoFpgaMode) order.push_back(mode);
  };
  if (wanted == Combiner::PreD) add(group.PreD);
  if (wanted == Combiner::PostD) add(group.PostD);
  add(group.Plain);
  if (wanted != Combiner::PreD) add(group.PreD);
  if (wanted != Combiner::PostD) add(group.PostD);
  add(group.Standard);
  return order;
}

int FirstUsable(const std::vector<int>& candidates, const FpgaModeSlotTable& slots) {
  for (const int mode : candidates) {
    if (IsModeSlotUsable(slots, mode)) return mode;
  }
  return kNoFpgaMode;
}

bool ValidPersonality(int mode) { return mode >= 0 && mode < kFpgaModeCount; }

bool Kr20Simulated(const kr20cardclass& object) {
  return object.IsSimulated() || (gHwCfgMgr != nullptr && gHwCfgMgr->Kr20SimulatedFlag != 0);
}

void SendCardReconfigured(int card, bool changed) {
  platform::MessageTarget* target = util::MainWindowHandle.load();
  if (target != nullptr) target->Send(kWmCardReconfigured, static_cast<platform::WParam>(card), changed ? 1 : 0);
}

}  // namespace

int VariantOfPersonality(int mode) {
  switch (mode) {
    case 0: return 4;
    case 1: return 7;
    case 2: return 10;
    case 3: return 13;
    default: return mode;
  }
}

kr20cardinfo InfoBlockForPersonality(int mode) {
  kr20cardinfo info{};
  if (!ValidPersonality(mode)) return info;
  for (int channel = 0; channel < 2; ++channel) {
    switch (FamilyInMode(mode, channel)) {
      case Family::Psk: info.NumPskReceivers = info.NumPskReceivers + 1; break;
      case Family::PcmFm: info.NumFmReceivers = info.NumFmReceivers + 1; break;
      case Family::Pm: info.NumPmReceivers = info.NumPmReceivers + 1; break;
      case Family::MultiHCpm: info.NumMhCpmReceivers = info.NumMhCpmReceivers + 1; break;
    }
  }
  info.NumModulators = 1;
  info.NumBerts = 2;
  info.NumTxBerts = IsVariantPersonality(mode) ? 2 : 1;
  info.NumFftChannels = 2;
  info.NumIqChannels = 2;
  info.NumPreDCombiners = CombinerOfMode(mode) == Combiner::PreD ? 1 : 0;
  info.NumPostDCombiners = CombinerOfMode(mode) == Combiner::PostD ? 1 : 0;
  return info;
}

int ChooseFpgaMode(int card) {
  kr20cardclass* object = CardObject(card);
  if (object == nullptr) return kNoFpgaMode;
  CardSetupRecord& setup = object->Setup();
  const RouteInfoRecord route = setup.RouteInfo;
  const bool variant = gRtl20Mgr->ChipVariant(card);
  const FpgaModeSlotTable slots = gRtl20Mgr->ModeSlots(card);
  const int requested = route.UserReceiverMode;

  int chosen = kNoFpgaMode;
  if (IsModeSlotUsable(slots, requested)) {
    chosen = requested;
  } else if (variant && ValidPersonality(requested)) {
    const Combiner wanted = route.PreDCombinerMode != 0    ? Combiner::PreD
                            : route.PostDCombinerMode != 0 ? Combiner::PostD
                                                           : Combiner::None;
    const auto group = GroupOfFamilies(FamilyInMode(requested, 0), FamilyInMode(requested, 1));
    if (group) {
      std::vector<int> order;
      if (wanted == Combiner::PreD && group->PreD != kNoFpgaMode) order.push_back(group->PreD);
      if (wanted == Combiner::PostD && group->PostD != kNoFpgaMode) order.push_back(group->PostD);
      if (group->Plain != kNoFpgaMode) order.push_back(group->Plain);
      if (group->Standard != kNoFpgaMode) order.push_back(group->Standard);
      chosen = FirstUsable(order, slots);
    }
  }
  if (chosen == kNoFpgaMode) chosen = SelectAvailableImage(variant, slots);
  setup.RouteInfo.FpgaMasterMode = chosen;
  return chosen;
}

bool ResolvePersonalityForCard(int card, const FpgaLoadState& loadState, const CardSetupRecord& setup) {
  const kr20cardclass* object = CardObject(card);
  if (object == nullptr) return false;
  const std::int32_t mode = setup.RouteInfo.FpgaMasterMode;
  if (!ValidPersonality(mode)) return false;
  if (loadState.ForceLoad != 0 || mode != CardFpgaMode(card)) return true;
  return !Kr20Simulated(*object) && !object->FirstFpgaPresent();
}

bool ApplyPersonalityChange(int card, int mode, bool force, bool& reloaded) {
  reloaded = false;
  kr20cardclass* object = CardObject(card);
  if (object == nullptr) return false;
  if (gRtl20Mgr->ChipVariant(card) && !IsVariantPersonality(mode)) {
    const FpgaModeSlotTable slots = gRtl20Mgr->ModeSlots(card);
    const int variant = VariantOfPersonality(mode);
    mode = IsModeSlotUsable(slots, variant) ? variant : SelectAvailableImage(true, slots);
    force = true;
  }
  if (!ValidPersonality(mode)) {
    util::LogError("Card " + std::to_string(card + 1) + " has no FPGA personality to load", card, false);
    return false;
  }
  if (mode == CardFpgaMode(card) && !force) return true;

  reloaded = true;
  FpgaLoadState& state = gRtl20Mgr->LoadState(card);
  state.ForceLoad = 1;
  state.LastFpgaMode = state.CurrentFpgaMode;
  state.DesiredFpgaMode = mode;
  object->Setup().RouteInfo.FpgaMasterMode = mode;
  // The image is told its route before it loads: the setup applied after the load names a mode it runs.
  ReconcileRouteWithPersonality(card);
  bool ok = true;
  if (!gRtl20Mgr->SaveFpgaConfigFile()) {
    util::LogError("Card " + std::to_string(card + 1) + " FPGA configuration file not saved", card, false);
    ok = false;
  }
  // A simulated card has no image to load; it takes the new personality's build instead, so that
  // the families read from it follow the change.
  const bool loaded = Kr20Simulated(*object) ? ReloadFpgaForPersonality(*object, state, mode) : object->EnsureFpgasLoaded();
  if (!loaded) {
    util::LogError("Card " + std::to_string(card + 1) + " FPGA personality " + std::to_string(mode) + " not loaded",
                   card, false);
    ok = false;
  }
  SendCardReconfigured(card, true);
  return ok;
}

bool ReconcileRouteWithPersonality(int card) {
  kr20cardclass* object = CardObject(card);
  if (object == nullptr || gRtl20Mgr == nullptr) return false;
  CardSetupRecord& setup = object->Setup();
  const std::int32_t mode = setup.RouteInfo.FpgaMasterMode;
  if (!ValidPersonality(mode)) return false;
  const FpgaModeSlotTable slots = gRtl20Mgr->ModeSlots(card);
  const bool variant = gRtl20Mgr->ChipVariant(card);
  // The operation mode a route names runs on the image when the mode is offered on this board and,
  // combining, the image holds the combiner it needs.
  const auto runs = [&](std::int32_t routeMode, bool preD, bool postD) {
    const int code = GetCombiningModeName(mode, routeMode, preD, postD).Code;
    if (code < 0 || code >= kOperationModeCount) return false;
    OperationModeChoice choice;
    if (!ModeFeatureTest(code, slots, variant, choice)) return false;
    if (routeMode == 0) return true;
    return preD ? ModeHasFeatureA(slots, mode) : ModeHasFeatureB(slots, mode);
  };
  const RouteInfoRecord route = setup.RouteInfo;
  if (runs(route.RouteMode, route.PreDCombinerMode != 0, route.PostDCombinerMode != 0)) return false;
  // Independent channels first; an image that only runs combined (multi-h CPM) combines.
  constexpr std::array<std::array<std::int32_t, 3>, 3> kRoutes{{{0, 0, 0}, {1, 1, 0}, {1, 0, 1}}};
  for (const auto& [routeMode, preD, postD] : kRoutes) {
    if (!runs(routeMode, preD != 0, postD != 0)) continue;
    setup.RouteInfo.PreDCombinerMode = static_cast<std::uint8_t>(preD);
    setup.RouteInfo.PostDCombinerMode = static_cast<std::uint8_t>(postD);
    StoreRouteMode(card, routeMode);
    return true;
  }
  return false;
}

bool ReloadFpgaForPersonality(kr20cardclass& cardObject, FpgaLoadState& loadState, int mode) {
  if (!ValidPersonality(mode) || !Kr20Simulated(cardObject)) return false;
  // The image of the personality says what it is built of; without one the block is made up.
  kr20cardinfo info = InfoBlockForPersonality(mode);
  if (gRtl20Mgr != nullptr) {
    const kr20modefnstruct& slot = gRtl20Mgr->ModeImages(cardObject.CardIndex())[static_cast<std::size_t>(mode)];
    if (slot.Mode == mode) info = slot.Header.CardInfo;
  }
  cardObject.SetSimulatedCardInfo(info);
  loadState.LastFpgaMode = loadState.CurrentFpgaMode;
  loadState.CurrentFpgaMode = mode;
  loadState.DesiredFpgaMode = mode;
  loadState.ForceLoad = 0;
  loadState.LoadingNow = 0;
  return true;
}

void SetOperationalModeNotify(int card, int routeMode, bool changed) {
  kr20cardclass* object = CardObject(card);
  if (object == nullptr) return;
  CardSetupRecord& setup = object->Setup();
  setup.Modulator.SakLoopbackMode = 0;
  const config::kr20optionclass* options = config::gApp.Options;
  const bool keepTestModulator = options != nullptr && options->Info().RecallTestModOutputState != 0;
  if (!keepTestModulator) {
    object->SetMod_SetIfCarrierOn(false);
    object->SetMod_SetIfModulationOn(false);
    object->SetMod_SetEnableNoiseGeneration(false);
    setup.Modulator.CarrierEnabled = 0;
    setup.Modulator.ModulationEnabled = 0;
    setup.Modulator.NoiseEnabled = 0;
  }
  StoreRouteMode(card, routeMode);
  // The inputs follow the route at once: a channel leaves the combiner, or joins it.
  ApplyGroupSetupToCards(routeMode, card, &setup);
  SendCardReconfigured(card, changed);
}

bool ChangeModulationMode(int card, int channel, const std::string& modulation, bool pcmFmWanted) {
  kr20cardclass* object = CardObject(card);
  if (object == nullptr || (channel != 0 && channel != 1)) return false;
  const int current = CardFpgaMode(card);
  const Family wanted = FamilyOfModulation(modulation, pcmFmWanted);
  if (ValidPersonality(current) && FamilyInMode(current, channel) == wanted) return true;

  std::array<Family, 2> families{FamilyInMode(current, 0), FamilyInMode(current, 1)};
  families[static_cast<std::size_t>(channel)] = wanted;
  std::optional<PersonalityGroup> group = GroupOfFamilies(families[0], families[1]);
  // Channel 0 takes PCM/FM only where channel 1 does too.
  if (!group && families[0] == Family::PcmFm) group = GroupOfFamilies(Family::PcmFm, Family::PcmFm);

  int mode = kNoFpgaMode;
  if (group) {
    const FpgaModeSlotTable slots = gRtl20Mgr->ModeSlots(card);
    mode = FirstUsable(Candidates(*group, CombinerOfMode(current)), slots);
  }
  if (mode == kNoFpgaMode) {
    util::LogWarning("Modulation Mode " + modulation + " for card " + std::to_string(card + 1) + " channel " +
                         std::to_string(channel + 1) + " is not supported by any available FPGA personality",
                     card, false);
    return false;
  }
  object->Setup().RouteInfo.UserReceiverMode = mode;
  bool reloaded = false;
  return ApplyPersonalityChange(card, mode, false, reloaded);
}

}  // namespace card
