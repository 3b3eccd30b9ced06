#pragma once
// The main window's menu: the System, Setup, View, Logging, Tools, About and Factory menus, the
// per-card items built for the six possible cards (hidden for cards not installed) and the user
// tools. The menu opens everything else of the program.
#include <QObject>
#include <QRect>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "ui/user_tools.h"
#include "util/log_viewer.h"
#include "util/process_routines.h"

class QAction;
class QMenu;
class QMenuBar;
class TQuorxLMainForm;

namespace ui {

inline constexpr int kMenuCards = 6;
// The external log viewer: looked for in the program folder, then in the folder of the running
// program (where a development build keeps it).
inline constexpr const char* kLogViewerName = util::kLogViewerProgram;

// The per-card windows and dialogs whose items are in the menu before their window exists: their
// items stay disabled until an opener is installed.
enum class CardMenuWindow { Bert, TestModulator, PeekPoke, FilePoke, FpgaToc, RtlLogMask };
inline constexpr int kCardMenuWindowKinds = 6;
using CardWindowOpener = std::function<void(int card)>;

class MainMenus final : public QObject {
 public:
  // Builds the menu tree into the window's menu bar.
  explicit MainMenus(TQuorxLMainForm& form);
  ~MainMenus() override;
  MainMenus(const MainMenus&) = delete;
  MainMenus& operator=(const MainMenus&) = delete;

  // ---- Builders ------------------------------------------------------------------------------------
  // Six items under "Card Setup", "BERT" and "Test Modulator", captioned "KR-20 Card <n>".
  void CreateMenus();
  // "Group Card <n>" for every card that has a card object.
  void UpdateCardMenuCaptions();
  // Item i of the three per-card menus is visible exactly while i is below the card count.
  void UpdateCardMenuVisibility();
  // The recording check mark and the factory submenus ("Card <n>" per card, disabled when closed).
  void BuildFactoryMenus();
  void RefreshMenus();
  void AssignUserTools();
  // The Factory menu is there only in the factory mode.
  void ShowFactoryMenu(bool factoryMode);
  // The check mark of "Log Receiver Parameters" and the image of "Logging" follow the recording flag.
  void ShowRecordingState();
  // Ends the log viewer and every user tool this program started.
  void CloseStandAloneApps();
  // A later window kind installs how it opens; its items become usable.
  void SetCardWindowOpener(CardMenuWindow kind, CardWindowOpener opener);

  UserTools& Tools() { return tools_; }
  bool LogViewerRunning();
  int LogViewerPid() const { return logViewer_ != nullptr ? logViewer_->Pid() : 0; }
  // The frames the running log viewers were given: windows of another program the next windows
  // keep clear of.
  std::vector<QRect> LogViewerFrames();
  // The build folder "Error Logs" looks in second; the running program's folder unless set.
  void SetDebugViewerFolder(std::string folder);

  // ---- Handlers ------------------------------------------------------------------------------------
  void MenuOptionsClick();
  void MenuForceFPGALoadatStartupClick();
  void MenuErrorLogsClick();
  void MenuClearErrorLogClick();
  void MenuHardwareConfigurationClick();
  void MenuNetworkConfigurationClick();
  void MenuRecordRSSIClick();
  void MenuRestartRecordClick();
  void MenuAboutClick();
  void MenuCardSetupItemClick(QAction* item);
  void MenuViewBertItemClick(QAction* item);
  void MenuViewTestModulatorItemClick(QAction* item);
  void MenuPeekPokeItemClick(QAction* item);
  void MenuFilePokeItemClick(QAction* item);
  void MenuFpgaInfoItemClick(QAction* item);
  void MenuRtlLogMaskItemClick(QAction* item);

  // ---- Components (objectName = the component name) --------------------------------------------------
  QMenuBar* MainMenu = nullptr;
  QMenu* MenuSystem = nullptr;
  QAction* MenuOptions = nullptr;
  QAction* MenuForceFPGALoadatStartup = nullptr;
  QAction* MenuHardwareConfiguration = nullptr;
  QAction* MenuNetworkConfiguration = nullptr;
  QMenu* MenuiSetup = nullptr;
  QMenu* MenuCardSetup = nullptr;
  QMenu* MenuView = nullptr;
  QMenu* MenuViewTestModulator = nullptr;
  QMenu* MenuViewBERT = nullptr;
  QAction* MenuErrorLogs = nullptr;
  QAction* MenuClearErrorLog = nullptr;
  QMenu* MenuRecording = nullptr;
  QAction* MenuRecordRSSI = nullptr;
  QAction* MenuRestartRecord = nullptr;
  QMenu* MenuTools = nullptr;
  QAction* MenuAbout = nullptr;
  QMenu* MenuFactory = nullptr;
  QMenu* MenuPeekPoke = nullptr;
  QMenu* MenuFilePoke = nullptr;
  QMenu* MenuTOC = nullptr;
  QMenu* MenuSetRTLLogMask = nullptr;

 private:
  void BuildMenuTree();
  void OpenCardWindow(CardMenuWindow kind, QAction* item);
  void OpenFactoryWindow(CardMenuWindow kind, QAction* item);
  void EnableOpenedItems(CardMenuWindow kind, QMenu* menu);
  bool StartLogViewer(const std::string& program, const std::string& logPath);
  std::string DebugViewerFolder() const;

  TQuorxLMainForm& form_;
  UserTools tools_;
  util::LaunchedProcess logViewer_;
  // The one the about box's "View Error Log" started.
  util::LaunchedProcess aboutLogViewer_;
  QRect logViewerFrame_;
  QRect aboutLogViewerFrame_;
  std::string debugViewerFolder_;
  std::array<CardWindowOpener, kCardMenuWindowKinds> openers_{};
};

}  // namespace ui
