// The main window's message map and the handlers of the messages other layers send it.
#include <QApplication>
#include <QFrame>
#include <QPalette>

#include <algorithm>
#include <string>
#include <vector>

#include "card/card_routines.h"
#include "card/hwcfg_manager.h"
#include "card/records/card_setup_record.h"
#include "card/rtl20_manager.h"
#include "card/setup_routines.h"
#include "config/globals.h"
#include "config/options_store.h"
#include "settings/last_setup.h"
#include "settings/set_manager.h"
#include "ui/bert/card_bert_form.h"
#include "ui/bert/card_bert_windows.h"
#include "ui/cards/main_status_bar_form.h"
#include "ui/cards/card_window.h"
#include "ui/cards/card_windows.h"
#include "ui/factory/factory_windows.h"
#include "ui/main_form.h"
#include "ui/modulator/mod_control_form.h"
#include "ui/modulator/test_modulator_windows.h"
#include "settings/window_messages.h"
#include "util/gui/qt_colour.h"
#include "util/process_globals.h"

namespace {

// After a personality change the channel's input source may name a source its new receiver
// family does not have; it then takes the family's source of the channel's own position (the
// first when the list is shorter). An empty source (none chosen yet) and the multi-h CPM family,
// which has no input-source choice, are left alone.
void ResetInputSourceAfterModeChange(int card, int channel) {
  const card::GroupChannelContext family = card::GroupChannelContextOf(card, channel);
  if (!family.Valid || family.MultiHCpm || gKr20SetMgr == nullptr) return;
  const std::vector<std::string>& sources = family.PcmFm ? gKr20SetMgr->FmInputSourceList
                                            : family.Pm  ? gKr20SetMgr->PmInputSourceList
                                                         : gKr20SetMgr->PskInputSourceList;
  if (sources.empty()) return;
  const std::string current = card::SetupText(family.Setup->Receiver[static_cast<std::size_t>(channel)].InputSource);
  if (current.empty() || std::find(sources.begin(), sources.end(), current) != sources.end()) return;
  const auto position = static_cast<std::size_t>(channel);
  gKr20SetMgr->SetInputSource(card, channel, position < sources.size() ? sources[position] : sources.front());
}

}  // namespace

void TQuorxLMainForm::Dispatch(std::uint32_t message, platform::WParam wParam, platform::LParam lParam) {
  // While an FPGA-load message lets the queue run, the card operation that sent it is still on
  // the stack: whatever would tear the system down waits until it has returned.
  const bool tearsDown = message == settings::kWmQueryEndSession || message == settings::kWmEndSession ||
                         message == settings::kWmRestartProgram;
  if (tearsDown && fpgaLoadDepth_ > 0) {
    Post(message, wParam, lParam);
    return;
  }
  switch (message) {
    case settings::kWmQueryEndSession:
      WMQueryEndSession();
      break;
    case settings::kWmEndSession:
      WMEndSession();
      break;
    case settings::kWmRestartProgram:
      WMRestartProgram(wParam, lParam);
      break;
    case settings::kWmRecolour:
      ApplyColours();
      break;
    case settings::kWmDeferredStartup:
      DeferredStartUp();
      break;
    case settings::kWmFpgaLoad:
      WMFpgaLoad(wParam, lParam);
      break;
    case settings::kWmCardChanged:
      WMCardChanged(wParam, lParam);
      break;
    default:
      break;
  }
}

void TQuorxLMainForm::ApplyColours() {
  if (options_ == nullptr) return;
  const config::ColorBlock& colours = options_->Info().ColorScheme;
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, util::ToQColor(colours[config::kAppMainBackgroundColor]));
  palette.setColor(QPalette::WindowText, util::ToQColor(colours[config::kAppMainLabelColor]));
  setPalette(palette);
  PanelMainStatus->setPalette(palette);
  for (QFrame* panel : PanelDg) panel->setPalette(palette);
  for (int card = 0; card < card::SystemCardCount(); ++card) {
    ui::ForEachCardWindowOf(card, [](ui::CardWindow& window) { window.ApplyCardColours(); });
  }
  for (TSM_MainStatusBarForm* strip : statusBars_) {
    if (strip != nullptr) strip->UpdateColors();
  }
  ui::ForEachCardBertForm([](TCardBertForm& form) { form.UpdateColors(); });
  ui::ForEachTestModulatorForm([](TSM_ModControlForm& form) { form.UpdateColors(); });
}

void TQuorxLMainForm::WMFpgaLoad(platform::WParam wParam, platform::LParam lParam) {
  if (!startupComplete_) {
    // A load during the deferred start-up: the start-up enables the card tasks at its end.
    schedule_.SetCardTasksEnabled(false);
    return;
  }
  const bool cardInRange = wParam < static_cast<platform::WParam>(card::kMaxReceiverCards);
  const int card = cardInRange ? static_cast<int>(wParam) : -1;
  if (lParam == 1) {
    schedule_.SetCardTasksEnabled(true);
    ShowPanelCaption(ui::kLoadingText);
  } else {
    if (cardInRange && gRtl20Mgr != nullptr) {
      card::FpgaLoadState& state = gRtl20Mgr->LoadState(card);
      state.LoadingNow = 0;
      state.DesiredFpgaMode = state.CurrentFpgaMode;
      state.DefaultFpgaMode = state.CurrentFpgaMode;
    }
    if (gRtl20Mgr != nullptr) gRtl20Mgr->SaveFpgaConfigFile();
    if (card >= 0 && card < card::SystemCardCount() && gKr20SetMgr != nullptr) gKr20SetMgr->ReapplyCardAndRestart(card);
    ui::FactoryWindowsFpgaLoaded(card);
    ShowPanelCaption("");
  }
  PanelMainStatus->repaint();
  for (int i = 0; i < card::SystemCardCount(); ++i) {
    if (TSM_MainStatusBarForm* strip = StatusBar(i); strip != nullptr) strip->UpdateWarning();
    ui::ForEachCardWindowOf(i, [](ui::CardWindow& window) { window.FpgaLoadNotify(); });
  }
  // The window stays responsive during long loads.
  ++fpgaLoadDepth_;
  QCoreApplication::processEvents();
  --fpgaLoadDepth_;
}

void TQuorxLMainForm::WMCardChanged(platform::WParam wParam, platform::LParam lParam) {
  if (!config::gApp.ReconfigurationPending.load() || util::ClosingFlag.load()) return;
  const int card = wParam < static_cast<platform::WParam>(card::SystemCardCount()) ? static_cast<int>(wParam) : 0;
  ResetInputSourceAfterModeChange(card, 0);
  ResetInputSourceAfterModeChange(card, 1);
  if (lParam != 1) SelectDefaultModulations(card);
  ResetDnCvtDigitalAgcModes(card);
  CopyDnCvtFreqToStatus(card);
  RetuneFreqDiversityPair(card);
  ui::ForEachCardWindowOf(card, [](ui::CardWindow& window) {
    config::gApp.ReconfigurationPending = true;
    window.Reload();
  });
  if (TSM_MainStatusBarForm* strip = StatusBar(card); strip != nullptr) strip->ArrangePanels();
  if (TCardBertForm* bert = ui::CardBertFormOf(card); bert != nullptr) bert->UpdateCardMode();
  if (TSM_ModControlForm* mod = ui::TestModulatorFormOf(card); mod != nullptr) mod->ArrangeForCard();
  config::gApp.ReconfigurationPending = false;
  ReapplyPostDDiversityOutput(card);
}

void TQuorxLMainForm::SelectDefaultModulations(int card) {
  if (gHwCfgMgr == nullptr || gHwCfgMgr->Kr20SimulatedFlag == 0 || gKr20SetMgr == nullptr) return;
  for (int channel = 0; channel < settings::kChannels; ++channel) {
    const card::GroupChannelContext family = card::GroupChannelContextOf(card, channel);
    std::string name = card::FamilyReceiverName(family);
    if (name.empty()) {
      std::vector<std::string> candidates{"SOQPSK_TG"};
      candidates.insert(candidates.end(), gKr20SetMgr->ModulationList.begin(), gKr20SetMgr->ModulationList.end());
      for (const std::string& candidate : candidates) {
        name = candidate;
        if (card::IsModulationSupported(card, channel, candidate)) break;
      }
    }
    gKr20SetMgr->SetModulationFormat(card, channel, name, family.PcmFm ? 1 : 0);
  }
}

void TQuorxLMainForm::ResetDnCvtDigitalAgcModes(int card) {
  if (gKr20SetMgr == nullptr) return;
  const card::GroupChannelContext family = card::GroupChannelContextOf(card, 0);
  if (!family.Valid) return;
  const std::int32_t routeMode = family.Setup->RouteInfo.RouteMode;
  gKr20SetMgr->SetDnCvtDigitalAgcMode(card, 0, 0);
  // With the channels tied the setter repeats it for channel 1 itself.
  if (routeMode == 0) gKr20SetMgr->SetDnCvtDigitalAgcMode(card, 1, 0);
  settings::SaveLastSetupStateIfEnabled();
}

void TQuorxLMainForm::ReapplyPostDDiversityOutput(int card) {
  if (gRtl20Mgr == nullptr) return;
  const card::kr20cardclass* object = gRtl20Mgr->Card(card);
  if (object == nullptr) return;
  // The count comes from the card: a card has at most one combiner per channel pair.
  const std::int32_t combiners = std::clamp(std::int32_t{object->CardInfo().NumPostDCombiners}, 0, settings::kChannels);
  const std::string output = card::SetupText(object->Setup().PostD.DiversityOutput);
  for (std::int32_t i = 0; i < combiners; ++i) gRtl20Mgr->ApplyPostDDiversityOutput(card, output);
  RetuneFreqDiversityPair(card);
}
