// The master timer's tick and its five periodic tasks.
#include "card/rtl20_manager.h"
#include "config/globals.h"
#include "config/options_store.h"
#include "card/card_routines.h"
#include "net/net_manager.h"
#include "settings/set_manager.h"
#include "ui/bert/card_bert_form.h"
#include "ui/bert/card_bert_windows.h"
#include "ui/cards/main_status_bar_form.h"
#include "ui/cards/card_window.h"
#include "ui/cards/card_windows.h"
#include "ui/main_form.h"
#include "ui/modulator/mod_control_form.h"
#include "ui/modulator/test_modulator_windows.h"
#include "ui/main_menus.h"
#include "util/hires_clock.h"

namespace {

// The flight record is written only by the task whose period equals the chosen rate.
void WriteFlightRecordAt(int taskRateHz) {
  const config::kr20optionclass* options = config::gApp.Options;
  if (options == nullptr || gKr20SetMgr == nullptr) return;
  if (options->Info().DataRecordRateHz == taskRateHz) gKr20SetMgr->WriteFlightRecordLines();
}

}  // namespace

void TQuorxLMainForm::MasterTimerTimer() {
  // Without the clock (deleted by the shut-down) there is no time to work by.
  if (util::gHiresTimer == nullptr) return;
  schedule_.Tick();
  if (gKr20SetMgr != nullptr) gKr20SetMgr->EndXmitterPulses();
}

void TQuorxLMainForm::DoOneSecondTasks() {
  if (gNetMgr != nullptr && gNetMgr->Enabled()) gNetMgr->SendSystemStatus();
  if (gKr20SetMgr != nullptr) {
    gKr20SetMgr->RefreshBertStatusAndFlightValues();
    gKr20SetMgr->CheckFmXmitterIsDigital();
  }
  menus_->ShowRecordingState();
  ui::ForEachCardWindow([](ui::CardWindow& window) { window.Refresh1Hz(); });
  UpdateSizePosInfo();
  WriteFlightRecordAt(1);
}

void TQuorxLMainForm::DoFiveHzTasks() {
  if (gKr20SetMgr != nullptr) {
    gKr20SetMgr->RefreshFftIqData();
    gKr20SetMgr->AutoAdjustIfTrackLoopBw();
  }
  // The card windows' status panels, displays and setup pages, one card a tick from this one on.
  for (int card = 0; card < settings::kCards; ++card) cardWindowsDue_ |= 1u << card;
  UpdateMainCaption();
  WriteFlightRecordAt(5);
  if (gNetMgr != nullptr && gNetMgr->Enabled()) {
    for (int card = 0; card < card::SystemCardCount(); ++card) {
      for (int channel = 0; channel < config::kChannelsPerCard; ++channel) {
        gNetMgr->SendSpectrumPacket(card, channel);
        gNetMgr->SendIqPacket(card, channel);
      }
    }
  }
}

void TQuorxLMainForm::DoTenHzTasks() {
  if (gKr20SetMgr != nullptr) {
    gKr20SetMgr->RefreshChannelStatus();
    gKr20SetMgr->UpdateDualPcmFmOutputSelect();
  }
  ui::ForEachCardWindow([](ui::CardWindow& window) {
    if (window.isVisible()) window.Refresh10Hz();
  });
  for (TSM_MainStatusBarForm* strip : statusBars_) {
    if (strip != nullptr) strip->UpdateDisplay();
  }
  ui::ForEachCardBertForm([](TCardBertForm& form) {
    if (form.isVisible()) form.Refresh10Hz();
  });
  ui::ForEachTestModulatorForm([](TSM_ModControlForm& form) {
    if (form.isVisible()) form.SweepTick();
  });
  WriteFlightRecordAt(10);
}

void TQuorxLMainForm::RefreshNextCardWindow() {
  for (int card = 0; card < settings::kCards; ++card) {
    if ((cardWindowsDue_ & (1u << card)) == 0) continue;
    cardWindowsDue_ &= ~(1u << card);
    bool refreshed = false;
    ui::ForEachCardWindowOf(card, [&refreshed](ui::CardWindow& window) {
      window.Refresh5Hz();
      refreshed = true;
    });
    // A card without a window costs nothing: look at the next one in the same tick.
    if (refreshed) return;
  }
}

void TQuorxLMainForm::DoTwentyFiveHzTasks() {
  if (gKr20SetMgr != nullptr) gKr20SetMgr->RefreshCombinerAndDownConverterStatus();
  WriteFlightRecordAt(25);
}

// The schedule recomputes the broadcast period from the manager's rate at every run.
void TQuorxLMainForm::DoBroadcastTasks() {
  if (gNetMgr == nullptr || !gNetMgr->Enabled()) return;
  for (int card = 0; card < card::SystemCardCount(); ++card) gNetMgr->SendCardStatus(card);
}
