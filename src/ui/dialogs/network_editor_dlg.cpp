#include "ui/dialogs/network_editor_dlg.h"

#include <QCheckBox>
#include <QFont>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

#include <chrono>
#include <string>
#include <thread>

#include "config/globals.h"
#include "net/net_manager.h"
#include "settings/window_messages.h"
#include "ui/card_window_place.h"
#include "ui/main_form.h"
#include "ui/single_instance.h"
#include "util/dialog_service.h"
#include "util/prompts.h"
#include "util/socket_routines.h"
#include "util/speaker.h"

namespace {

QLabel* MakeLabel(QWidget* parent, const char* name, const char* text, int left, int top, int width) {
  auto* label = new QLabel(QString::fromLatin1(text), parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setGeometry(left, top, width, 16);
  return label;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* text, int left, int top, int width) {
  auto* button = new QPushButton(QString::fromLatin1(text), parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setGeometry(left, top, width, 25);
  button->setAutoDefault(false);
  return button;
}

bool HoldsBroadcastOctet(const std::string& address) { return address.find("255") != std::string::npos; }

}  // namespace

TNetworkEditorDlg::TNetworkEditorDlg(QWidget* owner, quorxnetmgrclass& manager) : QDialog(owner), manager_(manager) {
  setObjectName("NetworkEditorDlg");
  setWindowTitle("Network Configuration");
  setModal(true);
  QFont font("Arial");
  font.setPixelSize(11);
  setFont(font);
  setFixedSize(306, 214);

  CheckBoxEnableNetwork = new QCheckBox("Enable Network", this);
  CheckBoxEnableNetwork->setObjectName("CheckBoxEnableNetwork");
  CheckBoxEnableNetwork->setGeometry(16, 12, 180, 18);

  CheckBoxTazoAllowNetworkControl = new QCheckBox("Allow Network Control", this);
  CheckBoxTazoAllowNetworkControl->setObjectName("CheckBoxTazoAllowNetworkControl");
  CheckBoxTazoAllowNetworkControl->setGeometry(16, 36, 200, 18);
  CheckBoxTazoAllowNetworkControl->setToolTip("If checked then the system operates in CCP mode");
  QFont bold = font;
  bold.setBold(true);
  CheckBoxTazoAllowNetworkControl->setFont(bold);
  CheckBoxTazoAllowNetworkControl->setStyleSheet("QCheckBox { color: #FF0000; }");

  MakeLabel(this, "LabelClientIpAddress", "Client IP Address", 16, 64, 130);
  ButtonClientIpAddress = MakeButton(this, "ButtonClientIpAddress", "", 16, 82, 130);
  ButtonClientIpAddress->setToolTip("Client IP Address");
  MakeLabel(this, "LabelUdpPortStart", "UDP Port Number", 160, 64, 130);
  ButtonUdpPortStart = MakeButton(this, "ButtonUdpPortStart", "", 160, 82, 130);
  ButtonUdpPortStart->setToolTip("UDP Port Number Start");

  MakeLabel(this, "LabelDataRateCaption", "Data Rate (Hz)", 16, 120, 90);
  ScrollBarDataRate = new QScrollBar(Qt::Horizontal, this);
  ScrollBarDataRate->setObjectName("ScrollBarDataRate");
  ScrollBarDataRate->setGeometry(108, 120, 140, 17);
  ScrollBarDataRate->setRange(net::kMinBcRateHz, net::kMaxBcRateHz);
  ScrollBarDataRate->setPageStep(1);
  LabelDataRate = MakeLabel(this, "LabelDataRate", "", 256, 120, 34);

  OKBtn = MakeButton(this, "OKBtn", "Accept", 66, 166, 80);
  CancelBtn = MakeButton(this, "CancelBtn", "Cancel", 160, 166, 80);

  connect(CheckBoxEnableNetwork, &QCheckBox::clicked, this, &TNetworkEditorDlg::CheckBoxEnableNetworkClick);
  connect(CheckBoxTazoAllowNetworkControl, &QCheckBox::clicked, this,
          &TNetworkEditorDlg::CheckBoxTazoAllowNetworkControlClick);
  connect(ScrollBarDataRate, &QScrollBar::valueChanged, this, &TNetworkEditorDlg::ScrollBarDataRateChange);
  connect(ButtonClientIpAddress, &QPushButton::clicked, this, &TNetworkEditorDlg::ButtonClientIpAddressClick);
  connect(ButtonUdpPortStart, &QPushButton::clicked, this, &TNetworkEditorDlg::ButtonUdpPortStartClick);
  connect(OKBtn, &QPushButton::clicked, this, &TNetworkEditorDlg::OKBtnClick);
  connect(CancelBtn, &QPushButton::clicked, this, &TNetworkEditorDlg::CancelBtnClick);
}

bool TNetworkEditorDlg::Execute() {
  BeginExecute();
  ui::PlaceDialogOnMainWindow(*this);
  const int result = exec();
  return EndExecute(result == QDialog::Accepted);
}

void TNetworkEditorDlg::BeginExecute() {
  cancelled_ = false;
  updating_ = false;
  restartNeeded_ = false;
  snapshot_ = manager_.Config();
  working_ = snapshot_;
  RefreshControls();
}

bool TNetworkEditorDlg::EndExecute(bool accepted) {
  // Only the Accept button accepts; every other way out leaves the manager and the file alone.
  if (!accepted || cancelled_) return false;
  if (!util::IsValidIpAddress(working_.ClientIpAddr)) working_.AllowRemoteControl = false;
  if (HoldsBroadcastOctet(working_.ClientIpAddr)) working_.AllowRemoteControl = false;
  restartNeeded_ = working_.Enabled != snapshot_.Enabled || working_.AllowRemoteControl != snapshot_.AllowRemoteControl ||
                   working_.StartPort != snapshot_.StartPort || working_.ClientIpAddr != snapshot_.ClientIpAddr;
  net::NetConfig stored = manager_.Config();
  if (working_.BcRateHz != snapshot_.BcRateHz) {
    stored.BcRateHz = working_.BcRateHz;
    manager_.SetConfig(stored);
    manager_.NetMgrSaveConfig();
  }
  if (!restartNeeded_) return false;
  stored.Enabled = working_.Enabled;
  stored.AllowRemoteControl = working_.AllowRemoteControl;
  stored.StartPort = working_.StartPort;
  stored.ClientIpAddr = working_.ClientIpAddr;
  manager_.SetConfig(stored);
  manager_.NetMgrSaveConfig();
  return true;
}

void TNetworkEditorDlg::RefreshControls() {
  if (updating_) return;
  updating_ = true;
  CheckBoxEnableNetwork->setChecked(working_.Enabled);
  CheckBoxTazoAllowNetworkControl->setChecked(working_.AllowRemoteControl);
  ButtonClientIpAddress->setText(QString::fromStdString(working_.ClientIpAddr));
  ButtonUdpPortStart->setText(QString::number(working_.StartPort));
  ScrollBarDataRate->setValue(working_.BcRateHz);
  LabelDataRate->setText(QString::number(working_.BcRateHz));
  updating_ = false;
}

void TNetworkEditorDlg::CheckBoxEnableNetworkClick() {
  if (updating_) return;
  working_.Enabled = CheckBoxEnableNetwork->isChecked();
  RefreshControls();
}

void TNetworkEditorDlg::CheckBoxTazoAllowNetworkControlClick() {
  if (updating_) return;
  working_.AllowRemoteControl = CheckBoxTazoAllowNetworkControl->isChecked();
  RefreshControls();
}

void TNetworkEditorDlg::ScrollBarDataRateChange() {
  if (updating_) return;
  working_.BcRateHz = ScrollBarDataRate->value();
  RefreshControls();
}

void TNetworkEditorDlg::ButtonClientIpAddressClick() {
  std::string text = working_.ClientIpAddr;
  // A cancelled box hands back the current address, which is kept.
  util::Dialogs().InputQuery("Input IP", "Enter the Client IP Address, in dot form xxx.xxx.xxx.xxx", text);
  if (util::IsValidIpAddress(text)) {
    working_.ClientIpAddr = text;
  } else {
    util::SpeakerErrorTone();
    util::Dialogs().ShowMessage(ui::kProgramName, "INVALID DOT FORM OR IP ADDRESS FORM");
  }
  RefreshControls();
}

void TNetworkEditorDlg::ButtonUdpPortStartClick() {
  // Limited so that the highest port of the map (start + 17) is still a port.
  std::int32_t port = working_.StartPort;
  if (util::PromptIntInRange("Enter The First UDP Port Number", port, net::kMaxStartPort, 10, net::kMinStartPort)) {
    working_.StartPort = port;
  }
  RefreshControls();
}

void TNetworkEditorDlg::OKBtnClick() {
  cancelled_ = false;
  accept();
}

// Cancel, Esc and the title bar all end in reject().
void TNetworkEditorDlg::CancelBtnClick() { reject(); }

void TNetworkEditorDlg::reject() {
  cancelled_ = true;
  QDialog::reject();
}

namespace ui {

bool RunNetworkDialog(QWidget* owner, quorxnetmgrclass& manager, platform::MessageTarget& mainWindow,
                      const std::function<void(bool)>& setStartupBegun) {
  bool restart = false;
  {
    TNetworkEditorDlg dialog(owner, manager);
    restart = dialog.Execute();
  }
  if (!restart) return false;
  util::SpeakerErrorTone();
  util::SpeakerErrorTone();
  util::Dialogs().ShowMessage(kProgramName, kNetworkChangedText);
  if (setStartupBegun) setStartupBegun(false);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  mainWindow.Post(settings::kWmRestartProgram, 0, 0);
  return true;
}

bool RunNetworkDialog(TQuorxLMainForm& form) {
  if (gNetMgr == nullptr) return false;
  return RunNetworkDialog(&form, *gNetMgr, form, [&form](bool begun) { form.SetStartupBegun(begun); });
}

}  // namespace ui
