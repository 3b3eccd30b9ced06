// The two stages of the start-up: StartUp from the first showing, DeferredStartUp from message
// 32767 once the window has been painted.
#include <QApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QScreen>

#include <chrono>
#include <exception>
#include <filesystem>
#include <thread>

#include "card/card_routines.h"
#include "card/card_state_source.h"
#include "card/dncvt_manager.h"
#include "card/hwcfg_manager.h"
#include "card/records/dncvt_channel_record.h"
#include "card/rtl20_manager.h"
#include "config/cpu_usage.h"
#include "config/general_routines.h"
#include "config/globals.h"
#include "config/options_store.h"
#include "config/window_positions.h"
#include "platform/path_resolve.h"
#include "platform/stale_temp_files.h"
#include "config/card_state_view.h"
#include "settings/last_setup.h"
#include "settings/set_manager.h"
#include "ui/main_form.h"
#include "ui/main_menus.h"
#include "ui/program_folder_notice.h"
#include "ui/remote_command_poster.h"
#include "ui/termination.h"
#include "util/gui/window_frame.h"
#include "settings/window_messages.h"
#include "util/error_log.h"
#include "util/hires_clock.h"
#include "util/process_globals.h"
#include "util/socket_routines.h"

namespace {

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
void Step(const char* text) { util::LogInfoText(text, 0, false); }

}  // namespace

void TQuorxLMainForm::StartUp() {
  // The log's PC report and the window positions need the screen's size.
  if (const QScreen* screen = QGuiApplication::primaryScreen(); screen != nullptr) {
    util::SetScreenSize({screen->size().width(), screen->size().height()});
  }
  util::LogProgramStart(false, ui::kVersionText, this, ui::kProgramName, "/SYSTEM/ERLOGS/", ui::kProgramName);
  util::MainWindowHandle.store(this);
  config::gApp.VersionText = ui::kVersionText;
  config::gApp.W10DeviceDlls = config::DetectW10DeviceDlls() ? 1 : 0;
  util::ReportPcInfo();
  // The program folder stays the current directory; every path is built from it.
  std::error_code error;
  std::filesystem::current_path(util::ProgramFolder(), error);
  std::set_terminate(ui::AbnormalTerminationHandler);
  // Saves killed mid-way leave temporary files; this single instance is not saving yet.
  for (const char* sub : {"/SYSTEM/HARDWARECONFIGURATION", "/SYSTEM/OPTIONS", "/USER/SETUPFILES"}) {
    const std::string folder = platform::ResolvePath(util::ProgramFolder() + sub);
    const std::size_t removed = platform::RemoveStaleTemporaryFiles(folder).size();
    if (removed > 0) {
      util::WriteErrorLogLine("Removed " + std::to_string(removed) + " temporary files left by interrupted saves in " +
                                  folder, 0);
    }
  }

  Step("Startup - DoWsaStartUp()");
  util::WinsockStartup();
  util::gHiresTimer = std::make_unique<util::bormulttimerclass>();
  Step("Startup - AssignUserTools()");
  menus_->AssignUserTools();
  config::CheckDebugModes();
  menus_->ShowFactoryMenu(config::gApp.FactoryMode != 0);
  config::gApp.ReconfigurationPending = true;
  config::gApp.Recording = false;

  Step("Startup - LoadGlobalPositionInfo()");
  config::SetDefaultWindowPositions();
  config::LoadGlobalPositionInfo();
  const config::WindowPlacementRecord placement = config::gApp.MainWindowPlacement;
  if (placement.Width > 0 && placement.Height > 0) {
    // The whole frame, title bar and its buttons included, opens on the screen's available area:
    // a window wider or taller than that is cut to it.
    const QRect area = screen() != nullptr ? screen()->availableGeometry() : QRect();
    const QMargins margins = util::FrameMargins(*this);
    const QRect kept(QPoint(placement.Left, placement.Top), QSize(placement.Width, placement.Height).grownBy(margins));
    const QRect frame = util::FitFrameOnArea(kept, area);
    resize(frame.size().shrunkBy(margins));
    util::MoveFrameTo(*this, frame.topLeft());
  }
  config::gApp.ForceFpgaLoad = 0;

  Step("Startup - Get Options Mgr");
  options_ = std::make_unique<config::kr20optionclass>(true);
  config::gApp.Options = options_.get();
  config::ApplyCpuUsageOptions(*options_);

  Step("Startup - AssignStatusPanelArray");
  AssignStatusPanelArray();
  config::gApp.PeekPokeForms = {};
  config::gApp.FilePokeForms = {};
  config::gApp.FpgaTocForms = {};
  config::gApp.CardSetupForms = {};
  config::gApp.SingleChannelForms = {};
  config::gApp.CardBertForms = {};
  config::gApp.TestModulatorForms = {};

  Step("Startup - Get gHwCfgMgr");
  hwCfgMgr_ = std::make_unique<quorxhwcfgmgrclass>();
  gHwCfgMgr = hwCfgMgr_.get();
  Step("Startup - LoadConfigFile()");
  gHwCfgMgr->LoadConfigFile();
  Step("Startup - Get gDnCvtMgr");
  dnCvtMgr_ = std::make_unique<quorxdncvtmgrclass>(libraryFolder_);
  gDnCvtMgr = dnCvtMgr_.get();
  Step("Startup - Get gRtl20Mgr");
  rtl20Mgr_ = std::make_unique<quorxrtl20mgrclass>(libraryFolder_);
  gRtl20Mgr = rtl20Mgr_.get();
  // The hardware configuration opens and closes the cards through these two.
  gHwCfgMgr->AttachReceiverCards(gRtl20Mgr);
  gHwCfgMgr->AttachDownConverters(gDnCvtMgr);
  Step("Startup - Get gNetMgr");
  // Remote commands run on this thread, between the timer's passes and the windows' events.
  if (!netMgrHooks_.commandPoster) netMgrHooks_.commandPoster = ui::MainWindowCommandPoster(this);
  netMgr_ = std::make_unique<quorxnetmgrclass>(netMgrHooks_);
  gNetMgr = netMgr_.get();
  Step("Startup - Get gKr20SetMgr");
  setMgr_ = std::make_unique<kr20setmgrclass>();
  gKr20SetMgr = setMgr_.get();
  // The card texts and menus of the configuration core ask the managers about the cards.
  config::SetCardStateView(&card::ManagerCardStateView());
  // The status datagrams read the card, hardware and set managers.
  gNetMgr->AttachManagers(gRtl20Mgr, gHwCfgMgr, gKr20SetMgr);
  Step("Startup - CreateMenus()");
  menus_->CreateMenus();

  Step("Startup 1 - LoadConfigFile() for simulated");
  gHwCfgMgr->LoadConfigFileSimulatedOnly();
  if (gHwCfgMgr->Kr20SimulatedFlag != 0) {
    gRtl20Mgr->SetCardCount(0);
    gHwCfgMgr->LoadConfigFile();
  }
  Step("Startup - gRtl20Mgr->DoAfterHwCfgMgrLoaded()");
  gRtl20Mgr->DoAfterHwCfgMgrLoaded();
  Step("Startup 2 - LoadConfigFile()");
  gHwCfgMgr->LoadConfigFile();
  Step("Startup - Init Complete");
}

void TQuorxLMainForm::DeferredStartUp() {
  // A second 32767 (from anyone) must not open everything again.
  if (deferredStartUpRan_ || gHwCfgMgr == nullptr) return;
  deferredStartUpRan_ = true;
  schedule_.SetStartupBegun(true);
  ShowPanelCaption(ui::kLoadingText);
  Sleep(100);

  gHwCfgMgr->ApplyHardwareConfiguration();
  gHwCfgMgr->OpenAllCards();
  if (gNetMgr != nullptr) gNetMgr->StartNetworkServers();
  menus_->RefreshMenus();

  if (options_->Info().LoadLastSetupFile != 0) {
    settings::LoadLastSetupFile();
  } else {
    settings::LoadLastSetupStateFile();
  }
  for (int card = 0; card < card::SystemCardCount(); ++card) {
    gKr20SetMgr->ApplyCardMode(card);
    gRtl20Mgr->ApplyCardSetup(card);
    Sleep(20);
    gRtl20Mgr->ApplyCardSetup(card);
  }

  Sleep(100);
  // The master timer skips its passes while the windows come back.
  config::gApp.ReconfigurationPending = true;
  ReopenCardWindows();
  // From here the master timer may work.
  config::gApp.ReconfigurationPending = false;
  schedule_.SetCardTasksEnabled(true);
  for (int card = 0; card < card::SystemCardCount(); ++card) {
    CopyDnCvtFreqToStatus(card);
    RetuneFreqDiversityPair(card);
  }
  ApplyColours();
  menus_->UpdateCardMenuCaptions();
  UpdateMainCaption();
  startupComplete_ = true;
  menus_->UpdateCardMenuVisibility();
  for (int card = 0; card < card::SystemCardCount(); ++card) {
    CopyDnCvtFreqToStatus(card);
    RetuneFreqDiversityPair(card);
  }
  ShowPanelCaption("");
  Step(ui::kStartUpCompleteText);
  // Once the program answers: the box waits for the operator, the program does not.
  ui::WarnWhenProgramFolderUnwritable();
}

void TQuorxLMainForm::AssignStatusPanelArray() {
  for (int i = 0; i < ui::kStatusPanelCount; ++i) {
    QFrame* panel = PanelDg[static_cast<std::size_t>(i)];
    statusPanels_[static_cast<std::size_t>(i)] = panel;
    panel->setGeometry(0, 5 + 22 * i, PanelMainStatus->width(), 22);
    panel->hide();
  }
}

void TQuorxLMainForm::CopyDnCvtFreqToStatus(int card) {
  if (gKr20SetMgr == nullptr || card < 0 || card >= settings::kCards) return;
  for (int channel = 0; channel < settings::kChannels; ++channel) {
    const card::GroupChannelContext context = card::GroupChannelContextOf(card, channel);
    if (context.DcRecord == nullptr) continue;
    const double freqMhz = context.DcRecord->Setup.FreqMhz;
    gKr20SetMgr->StatusRecord(card, channel).DnCvt.TunedFreqMhz = freqMhz;
  }
}

void TQuorxLMainForm::RetuneFreqDiversityPair(int card) {
  if (gKr20SetMgr == nullptr || card < 0 || card >= settings::kCards) return;
  if (!card::IsFreqDiversityCombining(card)) return;
  const double freq0 = gKr20SetMgr->StatusRecord(card, 0).DnCvt.TunedFreqMhz;
  const double freq1 = gKr20SetMgr->StatusRecord(card, 1).DnCvt.TunedFreqMhz;
  if (freq0 < 0.01 || freq1 < 0.01) return;
  gKr20SetMgr->SetTunedFreqBoth(card, freq0, freq1);
  settings::SaveLastSetupStateIfEnabled();
}

void TQuorxLMainForm::UpdateMainCaption() {
  ui::MainCaptionParts parts;
  parts.factoryMode = config::gApp.FactoryMode != 0;
  parts.debugMode = config::gApp.DebugMode != 0;
  parts.developerMode = config::gApp.DeveloperMode != 0;
  if (gKr20SetMgr != nullptr) parts.projectName = gKr20SetMgr->ProjectName;
  parts.runningSeconds = config::gApp.MasterTimerCurrentTime.load();
  parts.cardCount = card::SystemCardCount();
  setWindowTitle(QString::fromStdString(ui::MainCaptionText(parts)));
}

std::string ui::MainCaptionText(const MainCaptionParts& parts) {
  std::string caption = std::string(kProgramName) + "  Ver " + kVersionText;
  if (parts.factoryMode) caption += " F";
  if (parts.debugMode) caption += "D";
  if (parts.developerMode) caption += "(tz)";
  if (!parts.projectName.empty()) {
    // The base name: no folder (either separator), no extension.
    std::string name = parts.projectName;
    const std::size_t slash = name.find_last_of("/\\");
    if (slash != std::string::npos) name.erase(0, slash + 1);
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos) name.erase(dot);
    caption += " Project-> " + name;
  }
  caption += "      " + util::FormatElapsedTimeMs(parts.runningSeconds);
  if (parts.cardCount < 1) caption += "       NO KR-20 CARDS FOUND ";
  return caption;
}
