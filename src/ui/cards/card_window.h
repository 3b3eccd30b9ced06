#pragma once
// The operator's window for one receiver card: the channels' status panels above a utility bar
// (operation mode, both-channels control, "Load Firmware") and their setup panels, with the File
// menu that saves and recalls the card's setup. The two-channel card window and the
// single-channel one (while the options ask for one channel per card) share this code; they
// differ in the channels they show, their placement record and their mode menu.
#include <QMainWindow>

#include <array>

#include "config/window_placement.h"

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QToolButton;
class TSetupMainStatusForm;
class TSetupMainSetupForm;

namespace ui {

class CardWindow : public QMainWindow {
 public:
  enum class Variant { TwoChannels, SingleChannel };

  CardWindow(QWidget* owner, int card, Variant variant);
  ~CardWindow() override;
  CardWindow(const CardWindow&) = delete;
  CardWindow& operator=(const CardWindow&) = delete;

  int Card() const { return card_; }
  bool Shown() const { return shown_; }

  // The window's own routines, as the main window and the timer call them.
  void Reload();
  void Refresh1Hz() {}
  void Refresh5Hz();
  void Refresh10Hz() {}
  void FpgaLoadNotify() {}
  void BuildOperationModeMenu();
  void UpdateDisplay();
  void ApplyOperationMode();
  void ApplyCardColours();
  void SaveWindowPlacement();
  // Closes the channel panels before the window is deleted.
  void CloseChannelPanels();

  // The operator's actions.
  void LabelOperationalModeClick();
  void OperationModeItemClick(QAction* item);
  void SetOperationalMode(int routeMode, int fpgaMode, bool combinerFlag);
  void SpeedButtonControlBothChannelsClick();
  void ButtonReloadClick();
  void MenuFileSaveClick();
  void MenuFileSaveAsClick();
  void MenuFileRecallClick();

  TSetupMainStatusForm* StatusPanel(int channel) const;
  TSetupMainSetupForm* CommandPanel(int channel) const;

  // Components by the names the operator's tools and tests know them by.
  std::array<QFrame*, 2> PanelChStatus{};
  std::array<QFrame*, 2> PanelCommand{};
  QFrame* PanelUtility = nullptr;
  QLabel* LabelOpModeLabel = nullptr;
  QLabel* LabelOperationalMode = nullptr;
  QFrame* PanelBothChControl = nullptr;  // none in the single-channel window
  QToolButton* SpeedButtonControlBothChannels = nullptr;
  QPushButton* ButtonReload = nullptr;
  QMenu* PopupMenuOperationalMode = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  // The operation-mode label opens the mode menu.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  int Channels() const { return variant_ == Variant::TwoChannels ? 2 : 1; }
  config::CardWindowKind PlacementKind() const;
  void BindCardContext();
  void RestoreWindowPlacement();
  void CreateChannelPanels();
  void SetCardCaptions();
  void SetCombinerTabVisible(int channel, bool visible);
  bool SingleChannelUsage() const;

  int card_;
  Variant variant_;
  bool chipVariant_ = false;  // the card object itself is looked up at each use: cards are reopened
  bool shown_ = false;
  int lastModeCode_ = 0;
  bool updating_ = false;
  std::array<TSetupMainStatusForm*, 2> statusPanels_{};
  std::array<TSetupMainSetupForm*, 2> commandPanels_{};
};

}  // namespace ui
