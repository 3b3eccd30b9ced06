#pragma once
// "Hardware Configuration": edits, on a copy, what the hardware-configuration, card run-time and
// down-converter managers know about the installed hardware: which card types are enabled or
// simulated (and how many), how many were detected, and which down-converter channel serves each
// channel of each receiver card. Changing an enable, a simulation flag or a simulated count
// closes the assignment page until "Accept Enables" is pressed, so that assignments are always
// edited against the current counts.
#include <QDialog>

#include <array>
#include <string>

#include "card/dncvt_manager.h"
#include "card/hwcfg_manager.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class TQuorxLMainForm;
class quorxrtl20mgrclass;

namespace ui {

inline constexpr int kHwCfgRows = 6;
inline constexpr const char* kNotUsedText = "NOT USED";
inline constexpr const char* kSimRestartText = "You need to restart the application for this to take affect";
inline constexpr const char* kSimulationChangedText =
    "You have changed the simulation mode of the KR-20.\nYou must restart the application now.";

// The dialog's copy of the managers' state.
struct HwCfgEditState {
  card::HwCfgEnableRecords Enables{};
  card::HwCfgCardSetRecords CardSets{};
  int DetectedKr20 = 0;
  int DetectedKr12 = 0;
  int DetectedKr14 = 0;
  int NumDnCvts = 0;
  card::DnCvtChannelRecords DnCvtRecords{};
  int NumSystemCards = 0;
  int Kr12Channels = 0;
  int Kr14Channels = 0;
  // Channels on each converter card of a type that is not simulated, as the running program
  // has opened them: the dialog counts the converters the program uses.
  card::DnCvtChannelsPerCard ChannelsPerCard{};
};

}  // namespace ui

class TVexaHwCfgMgrEditorDlg final : public QDialog {
 public:
  TVexaHwCfgMgrEditorDlg(QWidget* owner, quorxhwcfgmgrclass& hwCfg, quorxrtl20mgrclass& cards,
                         quorxdncvtmgrclass& dnCvts);

  // Runs modally; true only when "Accept" was pressed and something changed.
  bool Execute();
  // The two halves of Execute around the modal run.
  void BeginExecute();
  bool EndExecute(bool accepted);
  bool SimulationChanged() const { return simulationChanged_; }

  void LoadFromManagers();
  void StoreToManagers();
  void WriteSimulationFiles() const;
  void UpdateCounts();
  void RebuildAssignments();
  void Refresh();

  // Handlers.
  void CheckBoxKr20SimClick();
  void CheckBoxConverterClick();
  void MenuSimulateKr20Click();
  void MenuSimulateKr12Click();
  void MenuSimulateKr14Click();
  // The right-click menu of the enables page; the chosen item's handler runs.
  void ShowSimulatePopup();
  void DetectKr20Click();
  void DetectKr12Click();
  void DetectKr14Click();
  void ButtonAcceptEnablesClick();
  void ButtonSetDefaultsClick();
  // A card panel: `row` 0..5, `channel` 0/1.
  void PanelCardClick(int row, int channel);
  void AssignDownConverter(int tag);
  void OKBtnClick();
  void CancelBtnClick();
  // Esc and the title bar cancel.
  void reject() override;

  const ui::HwCfgEditState& State() const { return state_; }
  bool EnablesAccepted() const { return enablesAccepted_; }
  bool Changed() const { return changed_; }
  QMenu* PopupMenuDnCvt() const { return popupDnCvt_; }
  QLabel* CardPanel(int row, int channel) const;
  const std::string& DnCvtName(int index) const { return names_.at(static_cast<std::size_t>(index)); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void PromptSimulated(std::size_t type, const char* prompt, int upper);
  void EditedEnables();

  quorxhwcfgmgrclass& hwCfg_;
  quorxrtl20mgrclass& cards_;
  quorxdncvtmgrclass& dnCvts_;
  ui::HwCfgEditState state_;
  // The converter records of the running program: every rebuild of the list starts from them, so
  // that a channel that leaves the list and comes back keeps its tables and tuning.
  card::DnCvtChannelRecords runningRecords_{};
  std::array<std::string, card::kDnCvtRecords> names_;

  bool loading_ = false;
  bool updating_ = false;
  bool cancelled_ = false;
  bool changed_ = false;
  bool enablesAccepted_ = true;
  bool simulationChanged_ = false;
  bool kr20SimulatedAtOpen_ = false;
  int selectedCard_ = 0;
  int selectedChannel_ = 0;

  QGroupBox* PageEnables = nullptr;
  QGroupBox* PageAssignments = nullptr;
  QCheckBox* CheckBoxKr20Sim = nullptr;
  QCheckBox* CheckBoxKr12Enable = nullptr;
  QCheckBox* CheckBoxKr12Sim = nullptr;
  QCheckBox* CheckBoxKr14V3Enable = nullptr;
  QCheckBox* CheckBoxKr14V3Sim = nullptr;
  QLabel* LabelSimKr20 = nullptr;
  QLabel* LabelSimKr12v2 = nullptr;
  QLabel* LabelSimKr14v3 = nullptr;
  QLabel* LabelDetectedKr20 = nullptr;
  QLabel* LabelDetectedKr12V2 = nullptr;
  QLabel* LabelDetectedKr14V3 = nullptr;
  std::array<QLabel*, 3> detectPanels_{};
  QPushButton* ButtonAcceptEnables = nullptr;
  QPushButton* ButtonSetDefaults = nullptr;
  std::array<QLabel*, ui::kHwCfgRows> rowLabels_{};
  std::array<std::array<QLabel*, 2>, ui::kHwCfgRows> panels_{};
  QMenu* PopupMenuSimulate = nullptr;
  QMenu* popupDnCvt_ = nullptr;
  QPushButton* OKBtn = nullptr;
  QPushButton* CancelBtn = nullptr;
};

namespace ui {

enum class HardwareDialogResult { Unchanged, Reopened, Restarting };

// The "Hardware Configuration" item: the dialog; when accepted with a change the cards are closed
// (their windows and strips with them) under the card command lock, the state stored, the marker
// files written, the configuration re-applied and saved; then either the program restarts through
// message 18763 (the Kr20 simulation setting changed) or the cards are reopened with their
// setups, windows and strips for the new card count. The caller refreshes the card menus.
HardwareDialogResult RunHardwareDialog(TQuorxLMainForm& form);

}  // namespace ui
