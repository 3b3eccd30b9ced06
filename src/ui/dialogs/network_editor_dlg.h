#pragma once
// "Network Configuration": the operator edits a working copy of the network manager's five
// settings. On acceptance a new broadcast rate is stored and saved at once (the master timer reads
// it every pass); a change of any other setting is stored and saved too, and the caller restarts
// the program, since the servers are built only at start-up.
#include <QDialog>

#include <cstdint>
#include <functional>
#include <string>

#include "net/net_config_file.h"
#include "platform/message_bus.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QScrollBar;
class quorxnetmgrclass;
class TQuorxLMainForm;

class TNetworkEditorDlg final : public QDialog {
 public:
  // `manager`: the network manager edited (gNetMgr in the program).
  TNetworkEditorDlg(QWidget* owner, quorxnetmgrclass& manager);

  // Runs the dialog modally; true when a setting that needs a restart was changed (and saved).
  bool Execute();

  // The two halves of Execute around the modal run, so that a caller can drive the dialog itself.
  void BeginExecute();
  bool EndExecute(bool accepted);

  void RefreshControls();

  // Handlers of the controls.
  void CheckBoxEnableNetworkClick();
  void CheckBoxTazoAllowNetworkControlClick();
  void ScrollBarDataRateChange();
  void ButtonClientIpAddressClick();
  void ButtonUdpPortStartClick();
  void OKBtnClick();
  void CancelBtnClick();

  // The working copy, as the controls show it.
  const net::NetConfig& Working() const { return working_; }
  bool Cancelled() const { return cancelled_; }

  // Esc and the title bar's close button cancel like the Cancel button.
  void reject() override;

 private:
  quorxnetmgrclass& manager_;
  bool cancelled_ = false;
  bool updating_ = false;
  bool restartNeeded_ = false;
  net::NetConfig working_;
  net::NetConfig snapshot_;

  QCheckBox* CheckBoxEnableNetwork = nullptr;
  QCheckBox* CheckBoxTazoAllowNetworkControl = nullptr;
  QPushButton* ButtonClientIpAddress = nullptr;
  QPushButton* ButtonUdpPortStart = nullptr;
  QScrollBar* ScrollBarDataRate = nullptr;
  QLabel* LabelDataRate = nullptr;
  QPushButton* OKBtn = nullptr;
  QPushButton* CancelBtn = nullptr;
};

namespace ui {

inline constexpr const char* kNetworkChangedText =
    "You have changed the Network Configuration.\nYou must restart the application now.";

// The "Network Configuration" item: the dialog on `manager`; after a change that needs it, the
// error tone twice, the two message lines, the timer idled and message 18763 (0, 0) posted to
// `mainWindow` (close and restart). True when the restart was asked for.
bool RunNetworkDialog(QWidget* owner, quorxnetmgrclass& manager, platform::MessageTarget& mainWindow,
                      const std::function<void(bool)>& setStartupBegun);
// The same on the program's main window and network manager.
bool RunNetworkDialog(TQuorxLMainForm& form);

}  // namespace ui
