#include "ui/main_menus.h"

#include <QAction>
#include <QApplication>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>

#include <chrono>
#include <filesystem>
#include <thread>

#include "card/card_routines.h"
#include "card/kr20card.h"
#include "card/rtl20_manager.h"
#include "config/card_state_view.h"
#include "config/cpu_usage.h"
#include "config/globals.h"
#include "config/gui/menu_routines.h"
#include "config/options_store.h"
#include "settings/set_manager.h"
#include "ui/cards/card_window.h"
#include "ui/cards/card_windows.h"
#include "ui/dialogs/hw_config_editor_dlg.h"
#include "ui/dialogs/network_editor_dlg.h"
#include "ui/dialogs/option_edit_dialog.h"
#include "ui/dialogs/rtl_log_mask_dlg.h"
#include "ui/card_window_place.h"
#include "ui/main_form.h"
#include "ui/menu_bar_style.h"
#include "util/error_log.h"
#include "util/gui/about_box.h"
#include "util/gui/log_viewer_window.h"
#include "util/process_globals.h"
#include "util/speaker.h"

namespace ui {
namespace {

constexpr const char* kNoFpgaText = "NO FPGA LOADED..LOAD AN FPGA FIRST";

QMenu* AddSubMenu(QWidget* parent, const char* name, const char* caption) {
  auto* menu = new QMenu(QString::fromUtf8(caption), parent);
  menu->setObjectName(QString::fromUtf8(name));
  menu->menuAction()->setObjectName(QString::fromUtf8(name));
  return menu;
}

QAction* AddItem(QMenu* menu, const char* name, const char* caption) {
  QAction* item = menu->addAction(QString::fromUtf8(caption));
  item->setObjectName(QString::fromUtf8(name));
  return item;
}

// The top-level items with blank captions only space the bar.
void AddSpacer(QMenuBar* bar, const char* caption) {
  QAction* spacer = bar->addAction(QString::fromUtf8(caption));
  spacer->setEnabled(false);
}

// Image 0 of the window's image list: the mark of a running recording.
QIcon RecordingImage() {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QColor(128, 0, 0));
  painter.setBrush(QColor(230, 0, 0));
  painter.drawEllipse(QRectF(2.5, 2.5, 11, 11));
  return QIcon(pixmap);
}

QList<QAction*> CardItems(QMenu* menu) { return menu != nullptr ? menu->actions() : QList<QAction*>{}; }

}  // namespace

MainMenus::MainMenus(TQuorxLMainForm& form) : form_(form) {
  BuildMenuTree();
  openers_[static_cast<std::size_t>(CardMenuWindow::RtlLogMask)] = [this](int card) { RunLogMaskDialog(card, &form_); };
}

// A window that goes without the shut-down sequence leaves no tool of ours running either.
MainMenus::~MainMenus() { CloseStandAloneApps(); }

void MainMenus::BuildMenuTree() {
  MainMenu = new QMenuBar(&form_);
  MainMenu->setObjectName("MainMenu");
  auto* style = new MenuBarStyle;
  style->setParent(MainMenu);
  MainMenu->setStyle(style);
  form_.setMenuBar(MainMenu);

  MenuSystem = AddSubMenu(MainMenu, "MenuSystem", "System");
  MenuOptions = AddItem(MenuSystem, "MenuOptions", "Options");
  MenuSystem->addSeparator();
  MenuForceFPGALoadatStartup = AddItem(MenuSystem, "MenuForceFPGALoadatStartup", "Force FPGA Load at Startup");
  MenuForceFPGALoadatStartup->setCheckable(true);
  MenuSystem->addSeparator();
  MenuHardwareConfiguration = AddItem(MenuSystem, "MenuHardwareConfiguration", "Hardware Configuration");
  MenuSystem->addSeparator();
  MenuNetworkConfiguration = AddItem(MenuSystem, "MenuNetworkConfiguration", "Network Configuration");
  MainMenu->addMenu(MenuSystem);
  AddSpacer(MainMenu, "         ");

  MenuiSetup = AddSubMenu(MainMenu, "MenuiSetup", "Setup");
  MenuCardSetup = AddSubMenu(MenuiSetup, "MenuCardSetup", "Card Setup");
  MenuiSetup->addMenu(MenuCardSetup);
  MainMenu->addMenu(MenuiSetup);
  AddSpacer(MainMenu, "           ");

  MenuView = AddSubMenu(MainMenu, "MenuView", "View");
  MenuViewTestModulator = AddSubMenu(MenuView, "MenuViewTestModulator", "Test Modulator");
  MenuViewBERT = AddSubMenu(MenuView, "MenuViewBERT", "BERT");
  MenuView->addMenu(MenuViewTestModulator);
  MenuView->addMenu(MenuViewBERT);
  MenuView->addSeparator();
  MenuErrorLogs = AddItem(MenuView, "MenuErrorLogs", "Error Logs");
  MenuView->addSeparator();
  MenuClearErrorLog = AddItem(MenuView, "MenuClearErrorLog", "Clear Error Log");
  MainMenu->addMenu(MenuView);
  AddSpacer(MainMenu, "");

  MenuRecording = AddSubMenu(MainMenu, "MenuRecording", "Logging");
  MenuRecordRSSI = AddItem(MenuRecording, "MenuRecordRSSI", "Log Receiver Parameters");
  MenuRecordRSSI->setCheckable(true);
  MenuRecording->addSeparator();
  MenuRestartRecord = AddItem(MenuRecording, "MenuRestartRecord", "Restart Logging");
  MainMenu->addMenu(MenuRecording);
  AddSpacer(MainMenu, "");

  MenuTools = AddSubMenu(MainMenu, "MenuTools", "Tools");
  MainMenu->addMenu(MenuTools);
  AddSpacer(MainMenu, "   ");

  MenuAbout = MainMenu->addAction(QStringLiteral("About"));
  MenuAbout->setObjectName("MenuAbout");
  AddSpacer(MainMenu, "   ");

  MenuFactory = AddSubMenu(MainMenu, "MenuFactory", "Factory");
  MenuPeekPoke = AddSubMenu(MenuFactory, "MenuPeekPoke", "Kr20 Peek / Poke");
  MenuFilePoke = AddSubMenu(MenuFactory, "MenuFilePoke", "Kr20 File Poke");
  MenuTOC = AddSubMenu(MenuFactory, "MenuTOC", "Kr20 TOC");
  MenuSetRTLLogMask = AddSubMenu(MenuFactory, "MenuSetRTLLogMask", "Set RTL Log Mask");
  MenuFactory->addMenu(MenuPeekPoke);
  MenuFactory->addMenu(MenuFilePoke);
  MenuFactory->addMenu(MenuTOC);
  MenuFactory->addSeparator();
  MenuFactory->addMenu(MenuSetRTLLogMask);
  MenuFactory->addSeparator();
  MainMenu->addMenu(MenuFactory);
  MenuFactory->menuAction()->setVisible(false);

  connect(MenuOptions, &QAction::triggered, this, &MainMenus::MenuOptionsClick);
  connect(MenuHardwareConfiguration, &QAction::triggered, this, &MainMenus::MenuHardwareConfigurationClick);
  connect(MenuNetworkConfiguration, &QAction::triggered, this, &MainMenus::MenuNetworkConfigurationClick);
  connect(MenuForceFPGALoadatStartup, &QAction::triggered, this, &MainMenus::MenuForceFPGALoadatStartupClick);
  connect(MenuErrorLogs, &QAction::triggered, this, &MainMenus::MenuErrorLogsClick);
  connect(MenuClearErrorLog, &QAction::triggered, this, &MainMenus::MenuClearErrorLogClick);
  connect(MenuRecordRSSI, &QAction::triggered, this, &MainMenus::MenuRecordRSSIClick);
  connect(MenuRestartRecord, &QAction::triggered, this, &MainMenus::MenuRestartRecordClick);
  connect(MenuAbout, &QAction::triggered, this, &MainMenus::MenuAboutClick);
}

// ---- Builders --------------------------------------------------------------------------------------

void MainMenus::CreateMenus() {
  struct PerCardMenu {
    QMenu* menu;
    const char* prefix;
    void (MainMenus::*handler)(QAction*);
    int kind;  // the window kind whose opener enables the items; -1: always usable
  };
  const PerCardMenu menus[] = {
      {MenuCardSetup, "SubMenuMenuCardSetup", &MainMenus::MenuCardSetupItemClick, -1},
      {MenuViewBERT, "SubMenuMenuViewBERT", &MainMenus::MenuViewBertItemClick, static_cast<int>(CardMenuWindow::Bert)},
      {MenuViewTestModulator, "SubMenuMenuViewTestModulator", &MainMenus::MenuViewTestModulatorItemClick,
       static_cast<int>(CardMenuWindow::TestModulator)},
  };
  for (const PerCardMenu& each : menus) {
    config::ClearMenu(each.menu);
    for (int i = 0; i < kMenuCards; ++i) {
      QAction* item = each.menu->addAction(QStringLiteral("KR-20 Card %1").arg(i + 1));
      item->setObjectName(QString::fromUtf8(each.prefix) + QString::number(i));
      item->setData(i);
      item->setEnabled(each.kind < 0 || openers_[static_cast<std::size_t>(each.kind)] != nullptr);
      connect(item, &QAction::triggered, this, [this, item, handler = each.handler] { (this->*handler)(item); });
    }
  }
}

void MainMenus::UpdateCardMenuCaptions() {
  const QList<QAction*> items = CardItems(MenuCardSetup);
  const int cards = card::SystemCardCount();
  for (int i = 0; i < cards && i < kMenuCards; ++i) {
    if (gRtl20Mgr == nullptr || gRtl20Mgr->Card(i) == nullptr) continue;
    if (i >= items.size()) {
      util::SpeakerTick();
      continue;
    }
    items[i]->setText(QStringLiteral("Group Card %1").arg(i + 1));
  }
}

void MainMenus::UpdateCardMenuVisibility() {
  const int cards = card::SystemCardCount();
  for (QMenu* menu : {MenuCardSetup, MenuViewBERT, MenuViewTestModulator}) {
    const QList<QAction*> items = CardItems(menu);
    for (int i = 0; i < items.size(); ++i) items[i]->setVisible(i < cards);
  }
}

void MainMenus::BuildFactoryMenus() {
  ShowRecordingState();
  struct FactoryMenu {
    QMenu* menu;
    const char* prefix;
    void (MainMenus::*handler)(QAction*);
    CardMenuWindow kind;
  };
  const FactoryMenu menus[] = {
      {MenuPeekPoke, "SubMenuPeekPoke", &MainMenus::MenuPeekPokeItemClick, CardMenuWindow::PeekPoke},
      {MenuFilePoke, "SubMenuFilePoke", &MainMenus::MenuFilePokeItemClick, CardMenuWindow::FilePoke},
      {MenuTOC, "SubMenuTOC", &MainMenus::MenuFpgaInfoItemClick, CardMenuWindow::FpgaToc},
      {MenuSetRTLLogMask, "SubMenuSetRTLLogMask", &MainMenus::MenuRtlLogMaskItemClick, CardMenuWindow::RtlLogMask},
  };
  for (const FactoryMenu& each : menus) {
    config::BuildCardMenu(
        QString::fromUtf8(each.prefix), each.menu,
        [this, handler = each.handler](QAction* item) { (this->*handler)(item); }, this);
    EnableOpenedItems(each.kind, each.menu);
  }
}

void MainMenus::RefreshMenus() {
  BuildFactoryMenus();
  UpdateCardMenuVisibility();
}

void MainMenus::AssignUserTools() { tools_.AssignUserTools(MenuTools, this, util::ProgramFolder()); }

void MainMenus::ShowFactoryMenu(bool factoryMode) { MenuFactory->menuAction()->setVisible(factoryMode); }

void MainMenus::ShowRecordingState() {
  const bool recording = config::gApp.Recording.load();
  MenuRecordRSSI->setChecked(recording);
  // Only changed when it changes: the timer asks every second.
  if (recording == MenuRecording->icon().isNull()) MenuRecording->setIcon(recording ? RecordingImage() : QIcon());
}

void MainMenus::CloseStandAloneApps() {
  util::TerminateLaunchedProcess(logViewer_);
  util::TerminateLaunchedProcess(aboutLogViewer_);
  tools_.TerminateAll();
}

void MainMenus::SetCardWindowOpener(CardMenuWindow kind, CardWindowOpener opener) {
  openers_[static_cast<std::size_t>(kind)] = std::move(opener);
  const bool usable = openers_[static_cast<std::size_t>(kind)] != nullptr;
  if (kind == CardMenuWindow::Bert || kind == CardMenuWindow::TestModulator) {
    QMenu* menu = kind == CardMenuWindow::Bert ? MenuViewBERT : MenuViewTestModulator;
    for (QAction* item : CardItems(menu)) item->setEnabled(usable);
  } else {
    BuildFactoryMenus();
  }
}

void MainMenus::EnableOpenedItems(CardMenuWindow kind, QMenu* menu) {
  // BuildCardMenu disables the items of closed cards; without a window nothing can open.
  if (openers_[static_cast<std::size_t>(kind)] != nullptr) return;
  for (QAction* item : CardItems(menu)) item->setEnabled(false);
}

bool MainMenus::LogViewerRunning() { return logViewer_ != nullptr && logViewer_->IsRunning(); }

std::vector<QRect> MainMenus::LogViewerFrames() {
  std::vector<QRect> frames;
  if (LogViewerRunning()) frames.push_back(logViewerFrame_);
  if (aboutLogViewer_ != nullptr && aboutLogViewer_->IsRunning()) frames.push_back(aboutLogViewerFrame_);
  return frames;
}

// ---- Handlers ------------------------------------------------------------------------------------

void MainMenus::MenuOptionsClick() {
  config::kr20optionclass* options = config::gApp.Options;
  if (options == nullptr) return;
  config::kr20optinfo& record = options->Info();
  const std::uint8_t singleChannelUsage = record.SingleChannelUsage;
  const std::uint8_t postDOut2 = record.FmFmPostDOut2;
  // The master timer idles while the record is being edited.
  form_.SetStartupBegun(false);
  std::this_thread::sleep_for(std::chrono::milliseconds(10));
  {
    TVexaCmnOptionEditDlg dialog(nullptr);
    dialog.EditOptions(record);
  }
  config::kr20optionclass::SaveOptions(record);
  config::ApplyCpuUsageOptions(*options);
  for (int card = 0; card < card::SystemCardCount(); ++card) {
    if (gKr20SetMgr != nullptr) {
      gKr20SetMgr->ApplyPcmFmRxRegisterOption(card);
      gKr20SetMgr->ApplyFmPostDRegisterOption(card);
    }
    // The other kind of card window opens on the next "Card Setup" click.
    if (record.SingleChannelUsage != singleChannelUsage) DeleteCardWindowsOf(card);
    if (record.FmFmPostDOut2 != postDOut2) {
      if (gKr20SetMgr != nullptr) gKr20SetMgr->SetPostDDiversityOutput(card, 0, card::kCombiningOutputName);
      ForEachCardWindowOf(card, [](CardWindow& window) {
        window.BuildOperationModeMenu();
        window.ApplyOperationMode();
        window.UpdateDisplay();
      });
    }
  }
  UpdateCardMenuVisibility();
  form_.ApplyColours();
  form_.SetStartupBegun(true);
}

void MainMenus::MenuForceFPGALoadatStartupClick() {
  config::gApp.ForceFpgaLoad = config::gApp.ForceFpgaLoad != 0 ? 0 : 1;
  MenuForceFPGALoadatStartup->setChecked(config::gApp.ForceFpgaLoad != 0);
}

bool MainMenus::StartLogViewer(const std::string& program, const std::string& logPath) {
  // The viewer takes a free place like every window of the program, never over the main window.
  const QMargins margins = ui::MainWindowFrameMargins();
  logViewerFrame_ = ui::FreeFrameBesideMainWindow(QSize(util::kLogViewerWidth, util::kLogViewerHeight).grownBy(margins));
  std::string parameters = "\"" + logPath + "\"";
  for (const std::string& argument : util::LogViewerPlaceArguments(logViewerFrame_, margins)) parameters += " " + argument;
  std::string reason;
  if (util::LaunchProcess(program, parameters, true, logViewer_, &reason)) return true;
  util::WriteErrorLogLine(reason, 1);
  return false;
}

void MainMenus::MenuErrorLogsClick() {
  util::TerminateLaunchedProcess(logViewer_);
  const std::string logPath = util::ErrorLogPath();
  const std::string viewer = util::ProgramFolder() + "/" + kLogViewerName;
  if (StartLogViewer(viewer, logPath)) return;
  const std::string debugViewer = DebugViewerFolder() + "/" + kLogViewerName;
  // A program run from its build folder has no second place to look.
  std::error_code error;
  if (!std::filesystem::equivalent(std::filesystem::path(viewer).parent_path(),
                                   std::filesystem::path(debugViewer).parent_path(), error)) {
    util::SpeakerDoubleClick();
    util::LogInfoText(
        std::string("Could Not Find ") + kLogViewerName + ".  Looking in Debug Directory.  BUILD ERROR FOR INSTALL.", 1,
        false);
    if (StartLogViewer(debugViewer, logPath)) return;
  }
  util::SpeakerDoubleClick();
  util::LogInfoText("Could Not Find Debug  " + debugViewer + ".  Cannot View Log Files", 1, false);
}

void MainMenus::SetDebugViewerFolder(std::string folder) { debugViewerFolder_ = std::move(folder); }

std::string MainMenus::DebugViewerFolder() const {
  return debugViewerFolder_.empty() ? QCoreApplication::applicationDirPath().toStdString() : debugViewerFolder_;
}

void MainMenus::MenuClearErrorLogClick() { util::ClearErrorLog(); }

void MainMenus::MenuHardwareConfigurationClick() {
  if (RunHardwareDialog(form_) == HardwareDialogResult::Unchanged) return;
  // The card items follow the cards that are open now.
  UpdateCardMenuCaptions();
  RefreshMenus();
}

void MainMenus::MenuNetworkConfigurationClick() { RunNetworkDialog(form_); }

void MainMenus::MenuRecordRSSIClick() {
  config::gApp.Recording = !config::gApp.Recording.load();
  ShowRecordingState();
}

void MainMenus::MenuRestartRecordClick() {
  if (gKr20SetMgr != nullptr) gKr20SetMgr->StartFlightRecord();
  ShowRecordingState();
}

void MainMenus::MenuAboutClick() {
  const std::string logFolder = util::ProgramFolder() + "/SYSTEM/ERLOGS/";
  std::error_code error;
  const bool folderExists = std::filesystem::is_directory(logFolder, error);
  util::TVopBorAboutBoxForm box(&form_, &aboutLogViewer_);
  box.setObjectName("VopBorAboutBoxForm");
  box.SetBoxPlacer([](QWidget& shown) { ui::PlaceDialogOnMainWindow(shown); });
  // The viewer also keeps clear of the box, whose OK button the operator still has to reach.
  box.SetViewerPlacer([this, &box](QSize frame) {
    aboutLogViewerFrame_ = ui::FreeFrameBesideMainWindow(frame, {box.frameGeometry()});
    return aboutLogViewerFrame_;
  });
  box.SetInfo(kProgramName, kVersionText, "No Notes", folderExists ? logFolder : util::ProgramFolder() + "/",
              std::string(kProgramName) + ".log");
}

void MainMenus::MenuCardSetupItemClick(QAction* item) {
  const int card = config::MenuItemTag(item);
  const config::kr20optionclass* options = config::gApp.Options;
  if (options != nullptr && options->Info().SingleChannelUsage != 0) {
    ShowSetupSingleMainGuiForm(card, &form_);
  } else {
    ShowSetupMainGuiForm(card, &form_);
  }
}

void MainMenus::OpenCardWindow(CardMenuWindow kind, QAction* item) {
  const int card = config::MenuItemTag(item);
  const CardWindowOpener& opener = openers_[static_cast<std::size_t>(kind)];
  if (card < 0 || card >= kMenuCards || !opener) return;
  opener(card);
}

void MainMenus::OpenFactoryWindow(CardMenuWindow kind, QAction* item) {
  const int card = config::MenuItemTag(item);
  if (card < 0 || card >= kMenuCards || !openers_[static_cast<std::size_t>(kind)]) return;
  const config::CardStateView* cards = config::GetCardStateView();
  const bool simulated = cards != nullptr && cards->IsSimulatedCardTypeConfigured(card);
  const card::kr20cardclass* object = gRtl20Mgr != nullptr ? gRtl20Mgr->Card(card) : nullptr;
  if (!simulated && (object == nullptr || !object->FirstFpgaPresent())) {
    util::LogWarning(kNoFpgaText, card + 1, true);
    return;
  }
  OpenCardWindow(kind, item);
}

void MainMenus::MenuViewBertItemClick(QAction* item) { OpenCardWindow(CardMenuWindow::Bert, item); }
void MainMenus::MenuViewTestModulatorItemClick(QAction* item) { OpenCardWindow(CardMenuWindow::TestModulator, item); }
void MainMenus::MenuPeekPokeItemClick(QAction* item) { OpenFactoryWindow(CardMenuWindow::PeekPoke, item); }
void MainMenus::MenuFilePokeItemClick(QAction* item) { OpenFactoryWindow(CardMenuWindow::FilePoke, item); }
void MainMenus::MenuFpgaInfoItemClick(QAction* item) { OpenFactoryWindow(CardMenuWindow::FpgaToc, item); }
void MainMenus::MenuRtlLogMaskItemClick(QAction* item) { OpenCardWindow(CardMenuWindow::RtlLogMask, item); }

}  // namespace ui
