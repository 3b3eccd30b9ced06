// The shut-down sequence and every road into it: the window's close, the restart message, the end
// of the session and an abnormal end.
#include <QApplication>
#include <QTimer>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "card/card_state_source.h"
#include "config/card_state_view.h"
#include "card/dncvt_manager.h"
#include "card/hwcfg_manager.h"
#include "card/rtl20_manager.h"
#include "config/globals.h"
#include "config/options_store.h"
#include "config/window_positions.h"
#include "platform/instance_lock.h"
#include "platform/power.h"
#include "platform/process_launcher.h"
#include "settings/last_setup.h"
#include "settings/merged_saves.h"
#include "settings/set_manager.h"
#include "ui/main_form.h"
#include "ui/bert/card_bert_form.h"
#include "ui/bert/card_bert_windows.h"
#include "ui/main_menus.h"
#include "ui/modulator/mod_control_form.h"
#include "ui/modulator/test_modulator_windows.h"
#include "ui/cards/card_window.h"
#include "ui/cards/card_windows.h"
#include "ui/factory/factory_windows.h"
#include "util/dialog_service.h"
#include "util/error_log.h"
#include "util/hires_clock.h"
#include "util/process_globals.h"
#include "util/socket_routines.h"
#include "util/speaker.h"

namespace {

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
void Step(const std::string& text) { util::LogInfoText(text, 0, false); }

constexpr int kLockTries = 20;
constexpr int kRestartLooks = 10;
constexpr int kRestartLookIntervalMs = 200;

}  // namespace

void TQuorxLMainForm::CloseProgram() {
  // Every road runs the sequence once; a second request finds the system already down.
  if (closeProgramRan_) return;
  closeProgramRan_ = true;
  Step("-----------   Begin CloseProgram()  ---------------");
  util::ClosingFlag = true;
  masterTimer_->stop();
  Sleep(100);
  if (gKr20SetMgr != nullptr) gKr20SetMgr->StopFlightRecord();

  Step("   gRtl20Mgr->FpgaCmdLock()");
  int failedTries = 0;
  if (gRtl20Mgr != nullptr) {
    // Kept to the end: no card operation of another road may start any more.
    while (failedTries < kLockTries && !gRtl20Mgr->FpgaCmdLock()) ++failedTries;
  }
  Step("   Took " + std::to_string(failedTries) + " tries to gRtl20Mgr->FpgaCmdLock()");
  Sleep(1000);

  Step("   UpdateSizePosInfo()");
  UpdateSizePosInfo();
  Step("   CloseStandAloneApps()");
  menus_->CloseStandAloneApps();
  Step("   CloseStandAloneForms()");
  CloseStandAloneForms();
  // A last-state save still waiting for its pass end comes before the shut-down's own saves.
  settings::MakePendingLastStateSave();
  Step("   SaveConfigFile");
  if (gHwCfgMgr != nullptr) gHwCfgMgr->SaveConfigFile();
  if (!skipLastSetupSave_) {
    Step("   SaveLastSetupFile");
    settings::SaveLastSetupFile();
  }
  Step("   delete gHiresTimer");
  util::gHiresTimer.reset();
  if (!skipSaves_) {
    Step("   SaveGlobalPositionInfo");
    config::SaveGlobalPositionInfo();
    Step("   SaveOptionsToFile");
    if (options_ != nullptr) config::kr20optionclass::SaveOptions(options_->Info());
  }
  Step("   CloseHwCfgStuff");
  CloseHwCfgStuff();
  DeleteManagers(true);
  Step("   WsaCleanUp");
  util::WinsockCleanup();
  util::LogProgramEnd(false);
}

namespace {

// Clears the global first, so that nothing reaches a manager while it is being deleted.
template <class Manager>
void DeleteManager(bool log, const char* line, Manager*& global, std::unique_ptr<Manager>& owner) {
  if (log) Step(line);
  global = nullptr;
  owner.reset();
}

}  // namespace

void TQuorxLMainForm::DeleteManagers(bool logEach) {
  if (logEach) Step("----DELETING MANAGERS------");
  config::SetCardStateView(nullptr);
  DeleteManager(logEach, "   gHwCfgMgr", gHwCfgMgr, hwCfgMgr_);
  DeleteManager(logEach, "   gDnCvtMgr", gDnCvtMgr, dnCvtMgr_);
  DeleteManager(logEach, "   gRtl20Mgr", gRtl20Mgr, rtl20Mgr_);
  // Its destructor saves the network configuration file.
  DeleteManager(logEach, "   gNetMgr", gNetMgr, netMgr_);
  DeleteManager(logEach, "   gKr20SetMgr", gKr20SetMgr, setMgr_);
  // The options object was saved; it stays until the window goes.
}

void TQuorxLMainForm::UpdateSizePosInfo() {
  if (isMaximized()) return;
  // The frame's place and the client's size: what the next start gives back.
  const QPoint frame = frameGeometry().topLeft();
  config::WindowPlacementRecord& placement = config::gApp.MainWindowPlacement;
  placement.Left = frame.x();
  placement.Top = frame.y();
  placement.Width = width();
  placement.Height = height();
  ui::ForEachCardWindow([](ui::CardWindow& window) { window.SaveWindowPlacement(); });
  ui::ForEachCardBertForm([](TCardBertForm& form) { form.SaveWindowState(); });
  ui::ForEachTestModulatorForm([](TSM_ModControlForm& form) { form.SaveWindowState(); });
}

void TQuorxLMainForm::CloseStandAloneForms() {
  // Card slot by card slot: the factory windows, the card windows, the BERT window, then the test
  // modulator windows.
  for (int card = 0; card < config::kMaxCards; ++card) {
    ui::DeleteFactoryWindowsOf(card);
    ui::DeleteCardWindowsOf(card);
    ui::DeleteCardBertFormOf(card);
  }
  ui::DeleteTestModulatorForms();
}

void TQuorxLMainForm::CloseHwCfgStuff() {
  schedule_.SetCardTasksEnabled(false);
  Sleep(100);
  CloseStatusBars();
  if (gHwCfgMgr != nullptr) gHwCfgMgr->CloseAllCards();
}

void TQuorxLMainForm::WMRestartProgram(platform::WParam wParam, platform::LParam lParam) {
  CloseProgram();
  if (wParam == 0 && lParam == 0) RestartThroughBatchFile();
  Terminate();
}

bool TQuorxLMainForm::RestartThroughBatchFile() {
  std::string error;
  const std::string script = util::ProgramFolder() + "/" + ui::kRestartScript;
  // Not waited for: the script starts the new copy, which waits for this one to go.
  // The new copy stays in this one's process group, where a terminal's Ctrl+C reaches it.
  if (platform::ChildProcess::Launch(script, {}, util::ProgramFolder(), &error, platform::ProcessGroup::Ours) ==
      nullptr) {
    util::WriteErrorLogLine(script + ": " + error, 0);
    util::LogError(std::string("FAILED TO EXECUTE ") + ui::kRestartScript, 0, true);
    return false;
  }
  const std::string lockName = ui::MainWindowMutexName();
  for (int look = 0; look < kRestartLooks; ++look) {
    if (platform::InstanceLock::IsHeld(lockName, instanceSettings_.lockFolder)) return true;
    Sleep(kRestartLookIntervalMs);
  }
  return false;
}

void TQuorxLMainForm::WMQueryEndSession() {
  util::SpeakerDoubleClick();
  util::WriteErrorLogLine("Windows Shutting Down without the User Closing The Application...BAD FORM", 255);
  skipSaves_ = true;
  CloseProgram();
  ShutDownWindows();
}

void TQuorxLMainForm::WMEndSession() {
  skipSaves_ = true;
  if (!util::ClosingFlag.load()) CloseProgram();
  ShutDownWindows();
  Terminate();
}

bool TQuorxLMainForm::ShutDownWindows() {
  // The session end sends both of its messages, and each handler asks: the system is asked once.
  if (shutDownRequested_) return false;
  shutDownRequested_ = true;
  return platform::RequestSystemShutdown();
}

void TQuorxLMainForm::AbnormalTermination() {
  if (skipSaves_.load()) return;
  // Nothing periodic runs on under the message.
  masterTimer_->stop();
  util::SpeakerDoubleClick();
  util::Dialogs().ShowMessage(ui::kProgramName, "ABNORMAL PROGRAM TERMINATE");
  util::WriteErrorLogLine("QUORXL Abnormal Program Termination", 5000);
  CloseProgram();
}

void TQuorxLMainForm::Terminate() {
  // The message loop ends at once; the windows are not asked to close again.
  QCoreApplication::exit(0);
}
