// Bringing a whole card into line with its setup record: the FPGA personality it asks for, then
// every setting (its down-converters' too), then acquisition restarted; and recalling the card's
// setup file.
#include "settings/card_recall.h"

#include <string>
#include <utility>

#include "card/card_routines.h"
#include "card/dncvt_manager.h"
#include "card/hwcfg_manager.h"
#include "card/kr20card.h"
#include "card/mode_routines.h"
#include "card/personality_routines.h"
#include "card/setup_routines.h"
#include "card/rtl20_manager.h"
#include "config/globals.h"
#include "settings/last_setup.h"
#include "settings/set_manager.h"
#include "settings/setup_file.h"
#include "settings/window_messages.h"
#include "util/process_globals.h"

static_assert(settings::kWmFpgaLoad == card::kWmFpgaLoad);
static_assert(settings::kWmCardChanged == card::kWmCardReconfigured);

namespace {

// Sent, not posted: the card's windows re-synchronise before the sender goes on. Nothing is sent
// while there is no main window.
void SendCardChanged(int card) {
  platform::MessageTarget* window = util::MainWindowHandle.load();
  if (window != nullptr) window->Send(settings::kWmCardChanged, static_cast<platform::WParam>(card), 1);
}

bool IsPersonality(std::int32_t mode) { return mode >= 0 && mode < card::kFpgaImageModeCount; }

bool Kr20CardsSimulated() { return gHwCfgMgr != nullptr && gHwCfgMgr->Kr20SimulatedFlag != 0; }

// The converters' setups are no part of the card setup record: each channel's converter is sent
// its own record (tuning, IF filter, AGC), as tuning it from the setup page does. A converter
// serving both channels is sent once.
void ApplyConverterSetups(int card) {
  if (gDnCvtMgr == nullptr) return;
  int sent = -1;
  for (int channel = 0; channel < settings::kChannels; ++channel) {
    const int index = card::GetDownConverterIndex(card, channel);
    if (index < 0 || index == sent) continue;
    gDnCvtMgr->DnCvtApplySetup(index);  // a refused value leaves the converter as it was
    sent = index;
  }
}

// After a personality change the record may still name a receiver of the old one (PCM_FM on a
// channel that now runs PSK, whose receiver refused the name): each channel's name becomes that of
// the receiver the card runs, so the status datagrams and the saved files say what runs. A PSK
// receiver's name is the modulation it reports; a demo card, which reports none, keeps the record.
void NameRunningReceivers(int card) {
  for (int channel = 0; channel < settings::kChannels; ++channel) {
    const card::GroupChannelContext c = card::GroupChannelContextOf(card, channel);
    if (!c.Valid) continue;
    std::string running;
    if (c.PcmFm) {
      running = "PCM_FM";
    } else if (c.Pm) {
      running = "PM";
    } else if (c.MultiHCpm) {
      running = "MH_CPM";
    } else {
      running = c.Object->PskRx_GetCarrierModulationMode(channel);
    }
    card::ReceiverRecord& rx = c.Setup->Receiver[static_cast<std::size_t>(channel)];
    if (running.empty() || card::SetupText(rx.DemodMode) == running) continue;
    card::SetSetupText(rx.DemodMode, running);
    if (c.DcRecord != nullptr) c.DcRecord->Setup.ModulationType = card::ModulationNumber(running);
  }
}

}  // namespace

void kr20setmgrclass::ApplyCardMode(int card) {
  Context c;
  if (!ContextOf(card, 0, c)) return;
  card::CardSetupRecord& setup = *c.Setup;
  card::ApplyGroupSetupToCards(setup.RouteInfo.RouteMode, card, c.Setup);
  // On the standard board a setup that names no personality (the first start, a file saved
  // without one) keeps the one the card runs, or gets the best available: a card is never left
  // without one. The variant board picks its own below.
  if (!IsPersonality(setup.RouteInfo.FpgaMasterMode) && !gRtl20Mgr->ChipVariant(card)) {
    const int running = card::CardFpgaMode(card);
    if (IsPersonality(running)) {
      setup.RouteInfo.FpgaMasterMode = running;
    } else {
      card::ChooseFpgaMode(card);
    }
    if (!IsPersonality(setup.RouteInfo.UserReceiverMode)) {
      setup.RouteInfo.UserReceiverMode = setup.RouteInfo.FpgaMasterMode;
    }
  }

  card::FpgaLoadState& state = gRtl20Mgr->LoadState(card);
  const std::int32_t wanted = setup.RouteInfo.FpgaMasterMode;
  const std::int32_t desired = state.DesiredFpgaMode;
  const std::int32_t current = state.CurrentFpgaMode;
  bool changed = desired != current || wanted != desired || card::ResolvePersonalityForCard(card, state, setup);
  state.DesiredFpgaMode = wanted;

  // The chip-variant board runs only its own personalities.
  if (gRtl20Mgr->ChipVariant(card) && !card::IsVariantPersonality(wanted)) {
    const int image = card::SelectAvailableImage(true, gRtl20Mgr->ModeSlots(card));
    state.DesiredFpgaMode = image;
    setup.RouteInfo.FpgaMasterMode = image;
    changed = true;
  }

  if (changed) {
    state.ForceLoad = 1;
    gRtl20Mgr->SaveFpgaConfigFile();  // logs its own failure
    // Load failures are logged by the card layer.
    if (Kr20CardsSimulated()) {
      card::ReloadFpgaForPersonality(*c.Object, state, setup.RouteInfo.FpgaMasterMode);
    } else {
      c.Object->EnsureFpgasLoaded();
    }
  }

  // A recalled or restored route names a mode the personality runs, and a route that does not
  // combine before detection feeds no channel from the combiner.
  card::ReconcileRouteWithPersonality(card);
  card::StoreRouteMode(card, setup.RouteInfo.RouteMode);

  config::gApp.ReconfigurationPending = true;  // the main window clears it on 60001
  SendCardChanged(card);
  ReapplyCardAndRestart(card);
}

void kr20setmgrclass::ReapplyCardAndRestart(int card) {
  Context c;
  if (!ContextOf(card, 0, c)) return;
  gRtl20Mgr->ApplyCardSetup(card);
  NameRunningReceivers(card);
  ApplyConverterSetups(card);
  RestartAcquisition(card, 0);
}

bool kr20setmgrclass::RecallCardSetup(int card) {
  if (gRtl20Mgr == nullptr || card < 0 || card >= gRtl20Mgr->CardCount()) return false;
  // The second pass reads the file again over what the first mode change and the windows'
  // re-synchronisation reset, and applies it to the card now running the right personality.
  bool loaded = false;
  for (int pass = 0; pass < 2; ++pass) {
    loaded = settings::LoadCardSetupFile(card);
    if (!loaded) break;
    ApplyCardMode(card);
  }
  if (loaded) settings::SaveLastSetupFile();
  SendCardChanged(card);
  return loaded;
}

namespace settings {

bool RecallCardSetupFile(int card, const std::string& fileName) {
  if (gKr20SetMgr == nullptr || card < 0 || card >= kCards) return false;
  std::string& name = gKr20SetMgr->SetupFileNames[static_cast<std::size_t>(card)];
  std::string previous = std::exchange(name, fileName);
  const bool recalled = gKr20SetMgr->RecallCardSetup(card);
  if (!recalled) name = std::move(previous);
  return recalled;
}

}  // namespace settings
