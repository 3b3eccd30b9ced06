#pragma once
// The main window: it starts the whole system when first shown, runs the 10 ms master timer, is the
// post office of the window messages the other layers send, and takes the system down in order.
// It owns the managers and the options object; the globals record only points at them.
#include <QMainWindow>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "net/net_manager.h"
#include "platform/instance_lock.h"
#include "platform/message_bus.h"
#include "ui/master_timer_schedule.h"
#include "ui/single_instance.h"

class QFrame;
class QLabel;
class TSM_MainStatusBarForm;
class QTimer;
class quorxhwcfgmgrclass;
class quorxdncvtmgrclass;
class quorxrtl20mgrclass;
class kr20setmgrclass;

namespace config {
class kr20optionclass;
}

namespace ui {

class MainMenus;
class PassEndSaveQueue;

inline constexpr const char* kVersionText = "2.01";
inline constexpr const char* kLoadingText = "Please wait...Loading System Firmware";
inline constexpr const char* kRestartScript = "RunQuorxLApp.sh";
inline constexpr const char* kStartUpCompleteText = "---------------START UP COMPLETE------------------";
inline constexpr int kMasterTimerIntervalMs = 10;
inline constexpr int kStatusPanelCount = 6;

// The window caption from its parts (the 0.2 s task rebuilds it).
struct MainCaptionParts {
  bool factoryMode = false;
  bool debugMode = false;
  bool developerMode = false;
  std::string projectName;  // the set manager's; only its base name is shown
  double runningSeconds = 0.0;
  int cardCount = 0;
};
std::string MainCaptionText(const MainCaptionParts& parts);

}  // namespace ui

class TQuorxLMainForm final : public QMainWindow, public platform::MessageTarget {
  Q_OBJECT

 public:
  explicit TQuorxLMainForm(QWidget* parent = nullptr);
  // Releases what a shut-down sequence did not (a window destroyed without closing).
  ~TQuorxLMainForm() override;
  TQuorxLMainForm(const TQuorxLMainForm&) = delete;
  TQuorxLMainForm& operator=(const TQuorxLMainForm&) = delete;

  // ---- Creation (single instance) ----------------------------------------------------------------
  // The single-instance test, then the start-up flags cleared. On a conflict the caller shows the
  // message and ends the process; nothing has been written.
  ui::SingleInstanceResult FormCreate(const ui::SingleInstanceSettings& settings);

  // ---- Window messages ---------------------------------------------------------------------------
  bool Post(std::uint32_t message, platform::WParam wParam, platform::LParam lParam) override;
  platform::LParam Send(std::uint32_t message, platform::WParam wParam, platform::LParam lParam) override;
  // The message map: the seven handled messages; every other message is left alone.
  void Dispatch(std::uint32_t message, platform::WParam wParam, platform::LParam lParam);

  void ApplyColours();
  void WMFpgaLoad(platform::WParam card, platform::LParam lParam);
  void WMCardChanged(platform::WParam card, platform::LParam lParam);
  void SelectDefaultModulations(int card);
  void ResetDnCvtDigitalAgcModes(int card);
  void ReapplyPostDDiversityOutput(int card);

  // ---- Start-up ----------------------------------------------------------------------------------
  void StartUp();
  void DeferredStartUp();
  void AssignStatusPanelArray();
  void ReopenCardWindows();
  // One strip per card in its host panel; the window's height follows the strips.
  void CreateStatusBars();
  void CloseStatusBars();
  void CopyDnCvtFreqToStatus(int card);
  void RetuneFreqDiversityPair(int card);
  void UpdateMainCaption();

  // ---- Master timer ------------------------------------------------------------------------------
  void MasterTimerTimer();
  void DoOneSecondTasks();
  void DoFiveHzTasks();
  void DoTenHzTasks();
  void DoTwentyFiveHzTasks();
  void DoBroadcastTasks();
  // The 0.2 s refresh of the card windows is spread over the ticks that follow the task, one
  // card's windows a tick, so that no tick holds the interface thread for all of them.
  void RefreshNextCardWindow();

  // ---- Shut-down ---------------------------------------------------------------------------------
  void CloseProgram();
  void UpdateSizePosInfo();
  void CloseHwCfgStuff();
  // Every per-card window closes its panels and is deleted.
  void CloseStandAloneForms();
  void WMRestartProgram(platform::WParam wParam, platform::LParam lParam);
  bool RestartThroughBatchFile();
  void WMQueryEndSession();
  void WMEndSession();
  bool ShutDownWindows();
  // The termination handler's road in: nothing once the session end began.
  void AbnormalTermination();

  // ---- State the other windows and the tests read --------------------------------------------------
  bool StartupBegun() const { return schedule_.StartupBegun(); }
  void SetStartupBegun(bool begun) { schedule_.SetStartupBegun(begun); }
  bool StartupComplete() const { return startupComplete_; }
  bool CardTasksEnabled() const { return schedule_.CardTasksEnabled(); }
  bool SkipSaves() const { return skipSaves_.load(); }
  // Set by the hardware-configuration menu when the operator changed the simulation mode.
  void SetSkipLastSetupSave(bool skip) { skipLastSetupSave_ = skip; }
  const ui::MasterTimerSchedule& Schedule() const { return schedule_; }
  QString PanelMainStatusCaption() const;
  // The menu bar with its handlers and the launched tools (main_menus.h).
  ui::MainMenus& Menus() { return *menus_; }
  // The card's strip in the main window, nullptr while there is none.
  TSM_MainStatusBarForm* StatusBar(int card) const;
  // An FPGA-load message lets the event queue run while the card operation that sent it is still
  // on the stack: what would use a card waits until it has returned.
  bool InsideFpgaLoad() const { return fpgaLoadDepth_ > 0; }
  // While the hardware dialog's change closes and reopens the cards, remote commands wait.
  void SetCardsReconfiguring(bool on) { cardsReconfiguring_ = on; }
  bool CardsReconfiguring() const { return cardsReconfiguring_; }
  void SetCardTasksEnabled(bool enabled) { schedule_.SetCardTasksEnabled(enabled); }
  // The program counts the tasks it ran (for the tests and the benchmark of a tick).
  QTimer* MasterTimer() const { return masterTimer_; }
  // The folder the device libraries are loaded from; empty (the default) means the program folder.
  void SetLibraryFolder(std::string folder) { libraryFolder_ = std::move(folder); }
  // What the network manager reaches outside itself (its clock, ping, sockets); set before the
  // start-up, the program's own by default.
  void SetNetManagerHooks(net::NetManagerHooks hooks) { netMgrHooks_ = std::move(hooks); }

 protected:
  // OnShow: the first stage of the start-up, once.
  void showEvent(QShowEvent* event) override;
  // OnCloseQuery: the shut-down sequence; the close then proceeds.
  void closeEvent(QCloseEvent* event) override;
  // The strips' host panels follow the window's width.
  void resizeEvent(QResizeEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void ShowPanelCaption(const char* text);
  void DeleteManagers(bool logEach);
  void Terminate();

  // Owned objects, created by StartUp in this order and deleted in the same order.
  std::unique_ptr<quorxhwcfgmgrclass> hwCfgMgr_;
  std::unique_ptr<quorxdncvtmgrclass> dnCvtMgr_;
  std::unique_ptr<quorxrtl20mgrclass> rtl20Mgr_;
  std::unique_ptr<quorxnetmgrclass> netMgr_;
  std::unique_ptr<kr20setmgrclass> setMgr_;
  std::unique_ptr<config::kr20optionclass> options_;
  std::unique_ptr<platform::InstanceLock> mainWindowLock_;
  // Last-state saves asked for in one pass of the event loop are made once at its end.
  std::unique_ptr<ui::PassEndSaveQueue> saveQueue_;
  std::unique_ptr<ui::MainMenus> menus_;

  ui::SingleInstanceSettings instanceSettings_;
  std::string libraryFolder_;
  net::NetManagerHooks netMgrHooks_;

  QFrame* PanelMainStatus = nullptr;
  QLabel* panelMainStatusLabel_ = nullptr;
  std::array<QFrame*, ui::kStatusPanelCount> PanelDg{};
  std::array<QFrame*, ui::kStatusPanelCount> statusPanels_{};
  std::array<TSM_MainStatusBarForm*, ui::kStatusPanelCount> statusBars_{};
  QTimer* masterTimer_ = nullptr;
  ui::MasterTimerSchedule schedule_;
  unsigned cardWindowsDue_ = 0;  // bit c: card c's windows wait for their 0.2 s refresh

  bool startupComplete_ = false;
  std::atomic<bool> skipSaves_{false};  // also read by the terminate handler's thread
  bool skipLastSetupSave_ = false;
  int fpgaLoadDepth_ = 0;  // inside an FPGA-load message's event processing
  bool cardsReconfiguring_ = false;
  bool startUpRan_ = false;
  bool deferredStartUpRan_ = false;
  bool closeProgramRan_ = false;
  bool shutDownRequested_ = false;
};
