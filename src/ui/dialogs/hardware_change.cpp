// The main window's side of the hardware dialog: closing the cards, storing the new configuration
// and either reopening the cards for it or restarting the program.
#include <chrono>
#include <cstring>
#include <optional>
#include <thread>
#include <type_traits>

#include "card/dncvt_manager.h"
#include "card/hwcfg_manager.h"
#include "card/rtl20_manager.h"
#include "config/globals.h"
#include "settings/set_manager.h"
#include "settings/window_messages.h"
#include "ui/dialogs/hw_config_editor_dlg.h"
#include "ui/main_form.h"
#include "ui/single_instance.h"
#include "util/dialog_service.h"
#include "util/speaker.h"

namespace ui {

namespace {

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

using KeptSetups = std::array<std::optional<card::CardSetupRecord>, card::kMaxReceiverCards>;

// The operator's setups of the open cards: a card that comes back keeps its own.
KeptSetups KeepSetups() {
  KeptSetups kept;
  for (int card = 0; card < card::kMaxReceiverCards; ++card) {
    if (const card::kr20cardclass* object = gRtl20Mgr->Card(card); object != nullptr) {
      kept[static_cast<std::size_t>(card)] = object->Setup();
    }
  }
  return kept;
}

void RestoreSetups(const KeptSetups& kept) {
  for (int card = 0; card < gRtl20Mgr->CardCount(); ++card) {
    card::kr20cardclass* object = gRtl20Mgr->Card(card);
    if (object == nullptr) continue;
    if (const auto& setup = kept[static_cast<std::size_t>(card)]; setup.has_value()) object->Setup() = *setup;
    if (gKr20SetMgr != nullptr) gKr20SetMgr->ApplyCardMode(card);
    gRtl20Mgr->ApplyCardSetup(card);
  }
}

// Nothing a window, the status datagrams or the remote commands read still shows a card that is gone.
void ClearGoneCards(int count) {
  if (gKr20SetMgr == nullptr) return;
  static_assert(std::is_trivially_copyable_v<settings::ChannelStatusRecord>);
  static_assert(std::is_trivially_copyable_v<settings::DisplayDataBlock>);
  for (int card = count; card < settings::kCards; ++card) {
    for (int channel = 0; channel < settings::kChannels; ++channel) {
      std::memset(static_cast<void*>(&gKr20SetMgr->StatusRecord(card, channel)), 0, sizeof(settings::ChannelStatusRecord));
      std::memset(static_cast<void*>(&gKr20SetMgr->DisplayBlock(card, channel)), 0, sizeof(settings::DisplayDataBlock));
    }
  }
}

// Holds the card command lock and keeps remote commands waiting for its lifetime.
class CardsReconfiguringScope {
 public:
  explicit CardsReconfiguringScope(TQuorxLMainForm& form) : form_(form), locked_(gRtl20Mgr->FpgaCmdLock()) {
    form_.SetCardsReconfiguring(true);
  }
  ~CardsReconfiguringScope() {
    form_.SetCardsReconfiguring(false);
    if (locked_ && gRtl20Mgr != nullptr) gRtl20Mgr->FpgaCmdUnlock();
  }
  CardsReconfiguringScope(const CardsReconfiguringScope&) = delete;
  CardsReconfiguringScope& operator=(const CardsReconfiguringScope&) = delete;

 private:
  TQuorxLMainForm& form_;
  bool locked_;
};

}  // namespace

HardwareDialogResult RunHardwareDialog(TQuorxLMainForm& form) {
  if (gHwCfgMgr == nullptr || gRtl20Mgr == nullptr || gDnCvtMgr == nullptr) return HardwareDialogResult::Unchanged;
  form.SetStartupBegun(false);
  Sleep(30);
  auto dialog = std::make_unique<TVexaHwCfgMgrEditorDlg>(&form, *gHwCfgMgr, *gRtl20Mgr, *gDnCvtMgr);
  if (!dialog->Execute()) {
    dialog.reset();
    form.SetStartupBegun(true);
    return HardwareDialogResult::Unchanged;
  }
  // The open card windows are remembered, so that they come back with their cards.
  form.UpdateSizePosInfo();
  const KeptSetups kept = KeepSetups();
  {
    CardsReconfiguringScope scope(form);
    form.CloseHwCfgStuff();
    dialog->StoreToManagers();
    dialog->WriteSimulationFiles();
    gHwCfgMgr->ApplyHardwareConfiguration();
    gHwCfgMgr->SaveConfigFile();
    if (dialog->SimulationChanged()) {
      // No card opens again in this copy of the program: none may be counted until it ends.
      gRtl20Mgr->SetCardCount(0);
      form.SetSkipLastSetupSave(true);
      util::SpeakerErrorTone();
      util::SpeakerErrorTone();
      util::Dialogs().ShowMessage(kProgramName, kSimulationChangedText);
      dialog.reset();
      form.SetStartupBegun(false);
      Sleep(100);
      form.Post(settings::kWmRestartProgram, 0, 0);
      return HardwareDialogResult::Restarting;
    }
    gHwCfgMgr->OpenAllCards();
    RestoreSetups(kept);
    ClearGoneCards(gRtl20Mgr->CardCount());
    // The master timer skips its passes while the windows come back.
    config::gApp.ReconfigurationPending = true;
    form.ReopenCardWindows();
    config::gApp.ReconfigurationPending = false;
    form.SetCardTasksEnabled(true);
  }
  dialog.reset();
  form.SetStartupBegun(true);
  return HardwareDialogResult::Reopened;
}

}  // namespace ui
