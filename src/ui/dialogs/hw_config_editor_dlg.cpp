#include "ui/dialogs/hw_config_editor_dlg.h"

#include <QAction>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>

#include <algorithm>
#include <string>

#include "card/rtl20_manager.h"
#include "card/sim_markers.h"
#include "ui/card_window_place.h"
#include "ui/single_instance.h"
#include "util/dialog_service.h"
#include "util/error_log.h"
#include "util/gui/popup_choice.h"
#include "util/prompts.h"

using card::kHwCfgKr12;
using card::kHwCfgKr14;
using card::kHwCfgKr20;

namespace {

constexpr int kMaxSystemCards = static_cast<int>(card::kHwCfgCardSets);
constexpr int kMaxDnCvts = static_cast<int>(card::kDnCvtRecords);
constexpr const char* kPanelStyle = "QLabel { background: #000000; color: #FFFF00; border: 1px solid #808080; }";

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text, int left, int top, int width,
                  int height = 18) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setGeometry(left, top, width, height);
  return label;
}

QCheckBox* MakeBox(QWidget* parent, const char* name, int left, int top) {
  auto* box = new QCheckBox(parent);
  box->setObjectName(QString::fromLatin1(name));
  box->setGeometry(left, top, 18, 18);
  return box;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* text, int left, int top, int width) {
  auto* button = new QPushButton(QString::fromLatin1(text), parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setGeometry(left, top, width, 25);
  button->setAutoDefault(false);
  return button;
}

// Whole numbers cut to the width the labels have room for.
QString CountText(int value, int characters) { return QString::number(value).left(characters); }

int CountOf(const card::HwCfgCardSetRecord& record) {
  int count = 0;
  for (int channel = 0; channel < 2; ++channel) count += record.DnCvtIndex[channel] >= 0 ? 1 : 0;
  return count;
}

}  // namespace

TVexaHwCfgMgrEditorDlg::TVexaHwCfgMgrEditorDlg(QWidget* owner, quorxhwcfgmgrclass& hwCfg, quorxrtl20mgrclass& cards,
                                               quorxdncvtmgrclass& dnCvts)
    : QDialog(owner), hwCfg_(hwCfg), cards_(cards), dnCvts_(dnCvts) {
  setObjectName("VexaHwCfgMgrEditorDlg");
  setWindowTitle("Hardware Configuration");
  setModal(true);
  QFont font("Arial");
  font.setPixelSize(11);
  setFont(font);
  setFixedSize(626, 262);

  // ---- Enables and simulations ----
  PageEnables = new QGroupBox("Card Type Enables / Simulations", this);
  PageEnables->setObjectName("PageEnables");
  PageEnables->setGeometry(8, 6, 300, 208);
  PageEnables->setToolTip("Right Click to change number of cards to simulate");
  PageEnables->installEventFilter(this);
  const int columns[] = {10, 84, 130, 176, 226, 256};
  MakeLabel(PageEnables, "LabelHeadType", "Type", columns[0], 22, 70);
  MakeLabel(PageEnables, "LabelHeadEnable", "Enable", columns[1] - 6, 22, 44);
  MakeLabel(PageEnables, "LabelHeadSim", "Sim", columns[2] - 2, 22, 40);
  MakeLabel(PageEnables, "LabelHeadNumSim", "Num Sim", columns[3] - 6, 22, 50);
  MakeLabel(PageEnables, "LabelHeadDetected", "Found", columns[4] - 6, 22, 40);
  const char* types[] = {"KR-20", "KR-12P2", "KR-14P3"};
  const char* detectNames[] = {"PanelDetectKr20", "PanelDetectKr12V2", "PanelDetectKr14V3"};
  for (int t = 0; t < 3; ++t) {
    const int top = 44 + 28 * t;
    MakeLabel(PageEnables, QStringLiteral("LabelType%1").arg(t + 1), QString::fromLatin1(types[t]), columns[0], top, 70);
    QLabel* detect = MakeLabel(PageEnables, QString::fromLatin1(detectNames[t]), "Detect", columns[5], top - 1, 40, 20);
    detect->setAlignment(Qt::AlignCenter);
    detect->setFrameStyle(QFrame::Panel | QFrame::Raised);
    detect->installEventFilter(this);
    detectPanels_[static_cast<std::size_t>(t)] = detect;
  }
  auto* kr20Enabled = MakeLabel(PageEnables, "LabelKr20Enabled", "Yes", columns[1], 44, 30);
  kr20Enabled->setToolTip("The KR-20 cards are always used");
  CheckBoxKr20Sim = MakeBox(PageEnables, "CheckBoxKr20Sim", columns[2], 44);
  CheckBoxKr12Enable = MakeBox(PageEnables, "CheckBoxKr12Enable", columns[1], 72);
  CheckBoxKr12Sim = MakeBox(PageEnables, "CheckBoxKr12Sim", columns[2], 72);
  CheckBoxKr14V3Enable = MakeBox(PageEnables, "CheckBoxKr14V3Enable", columns[1], 100);
  CheckBoxKr14V3Sim = MakeBox(PageEnables, "CheckBoxKr14V3Sim", columns[2], 100);
  LabelSimKr20 = MakeLabel(PageEnables, "LabelSimKr20", "", columns[3], 44, 34);
  LabelSimKr12v2 = MakeLabel(PageEnables, "LabelSimKr12v2", "", columns[3], 72, 34);
  LabelSimKr14v3 = MakeLabel(PageEnables, "LabelSimKr14v3", "", columns[3], 100, 34);
  LabelDetectedKr20 = MakeLabel(PageEnables, "LabelDetectedKr20", "", columns[4], 44, 24);
  LabelDetectedKr12V2 = MakeLabel(PageEnables, "LabelDetectedKr12V2", "", columns[4], 72, 24);
  LabelDetectedKr14V3 = MakeLabel(PageEnables, "LabelDetectedKr14V3", "", columns[4], 100, 24);
  ButtonAcceptEnables = MakeButton(PageEnables, "ButtonAcceptEnables", "Accept Enables", 90, 168, 120);

  PopupMenuSimulate = new QMenu(this);
  PopupMenuSimulate->setObjectName("PopupMenuSimulate");
  connect(PopupMenuSimulate->addAction("Num KR-20 Cards to Simulate"), &QAction::triggered, this,
          &TVexaHwCfgMgrEditorDlg::MenuSimulateKr20Click);
  connect(PopupMenuSimulate->addAction("Num KR-12P2 Cards to Simulate"), &QAction::triggered, this,
          &TVexaHwCfgMgrEditorDlg::MenuSimulateKr12Click);
  connect(PopupMenuSimulate->addAction("Num KR-14P3 Channels to Simulate"), &QAction::triggered, this,
          &TVexaHwCfgMgrEditorDlg::MenuSimulateKr14Click);

  // ---- Assignments ----
  PageAssignments = new QGroupBox("KR-20 Card System Assignments", this);
  PageAssignments->setObjectName("PageAssignments");
  PageAssignments->setGeometry(316, 6, 302, 208);
  MakeLabel(PageAssignments, "LabelHeadCard", "Card", 8, 18, 30);
  MakeLabel(PageAssignments, "LabelHeadCh1", "CH 1", 44, 18, 120);
  MakeLabel(PageAssignments, "LabelHeadCh2", "CH 2", 172, 18, 120);
  for (int row = 0; row < ui::kHwCfgRows; ++row) {
    const int top = 36 + 22 * row;
    rowLabels_[static_cast<std::size_t>(row)] =
        MakeLabel(PageAssignments, QStringLiteral("LabelCardRow%1").arg(row + 1), QString::number(row + 1), 14, top, 20, 20);
    for (int channel = 0; channel < 2; ++channel) {
      QLabel* panel = MakeLabel(PageAssignments, QStringLiteral("PanelCard%1_%2").arg(row + 1).arg(channel + 1), "",
                                44 + 128 * channel, top, 122, 20);
      panel->setAlignment(Qt::AlignCenter);
      panel->setStyleSheet(kPanelStyle);
      panel->installEventFilter(this);
      panels_[static_cast<std::size_t>(row)][static_cast<std::size_t>(channel)] = panel;
    }
  }
  ButtonSetDefaults = MakeButton(PageAssignments, "ButtonSetDefaults", "Set Defaults", 100, 172, 100);

  popupDnCvt_ = new QMenu(this);
  popupDnCvt_->setObjectName("PopupMenuDnCvt");

  OKBtn = MakeButton(this, "OKBtn", "Accept", 218, 226, 90);
  CancelBtn = MakeButton(this, "CancelBtn", "Cancel", 318, 226, 90);

  connect(CheckBoxKr20Sim, &QCheckBox::clicked, this, &TVexaHwCfgMgrEditorDlg::CheckBoxKr20SimClick);
  for (QCheckBox* box : {CheckBoxKr12Enable, CheckBoxKr12Sim, CheckBoxKr14V3Enable, CheckBoxKr14V3Sim}) {
    connect(box, &QCheckBox::clicked, this, &TVexaHwCfgMgrEditorDlg::CheckBoxConverterClick);
  }
  connect(ButtonAcceptEnables, &QPushButton::clicked, this, &TVexaHwCfgMgrEditorDlg::ButtonAcceptEnablesClick);
  connect(ButtonSetDefaults, &QPushButton::clicked, this, &TVexaHwCfgMgrEditorDlg::ButtonSetDefaultsClick);
  connect(OKBtn, &QPushButton::clicked, this, &TVexaHwCfgMgrEditorDlg::OKBtnClick);
  connect(CancelBtn, &QPushButton::clicked, this, &TVexaHwCfgMgrEditorDlg::CancelBtnClick);
}

QLabel* TVexaHwCfgMgrEditorDlg::CardPanel(int row, int channel) const {
  if (row < 0 || row >= ui::kHwCfgRows || channel < 0 || channel > 1) return nullptr;
  return panels_[static_cast<std::size_t>(row)][static_cast<std::size_t>(channel)];
}

bool TVexaHwCfgMgrEditorDlg::eventFilter(QObject* watched, QEvent* event) {
  if (watched == PageEnables && event->type() == QEvent::ContextMenu) {
    ShowSimulatePopup();
    return true;
  }
  if (event->type() != QEvent::MouseButtonPress) return QDialog::eventFilter(watched, event);
  if (watched == detectPanels_[0]) DetectKr20Click();
  if (watched == detectPanels_[1]) DetectKr12Click();
  if (watched == detectPanels_[2]) DetectKr14Click();
  for (int row = 0; row < ui::kHwCfgRows; ++row) {
    for (int channel = 0; channel < 2; ++channel) {
      if (watched == CardPanel(row, channel)) {
        PanelCardClick(row, channel);
        return true;
      }
    }
  }
  return QDialog::eventFilter(watched, event);
}

// ---- Execute ---------------------------------------------------------------------------------

bool TVexaHwCfgMgrEditorDlg::Execute() {
  BeginExecute();
  ui::PlaceDialogOnMainWindow(*this);
  const int result = exec();
  return EndExecute(result == QDialog::Accepted);
}

void TVexaHwCfgMgrEditorDlg::BeginExecute() {
  loading_ = true;
  cancelled_ = false;
  changed_ = false;
  enablesAccepted_ = true;
  LoadFromManagers();
  kr20SimulatedAtOpen_ = state_.Enables[kHwCfgKr20].Simulated != 0;
  simulationChanged_ = false;
  selectedCard_ = 0;
  selectedChannel_ = 0;
  RebuildAssignments();
  Refresh();
  loading_ = false;
}

bool TVexaHwCfgMgrEditorDlg::EndExecute(bool accepted) {
  // Only "Accept", which shows only while the enables are accepted, takes the edits.
  if (!accepted || cancelled_ || !enablesAccepted_ || !changed_) return false;
  simulationChanged_ = (state_.Enables[kHwCfgKr20].Simulated != 0) != kr20SimulatedAtOpen_;
  return true;
}

void TVexaHwCfgMgrEditorDlg::LoadFromManagers() {
  state_.CardSets = hwCfg_.CardSetRecords;
  state_.Enables = hwCfg_.EnableRecords;
  state_.DetectedKr20 = cards_.CardsFound();
  state_.DetectedKr12 = dnCvts_.NumKr12Cards;
  state_.DetectedKr14 = dnCvts_.NumKr14Cards;
  state_.NumDnCvts = dnCvts_.NumDnCvts;
  state_.DnCvtRecords = dnCvts_.Records;
  state_.Kr12Channels = dnCvts_.NumKr12Channels;
  state_.Kr14Channels = dnCvts_.NumKr14Channels;
  state_.ChannelsPerCard = dnCvts_.ChannelsPerCard();
  state_.NumSystemCards = cards_.CardCount();
  runningRecords_ = dnCvts_.Records;
}

void TVexaHwCfgMgrEditorDlg::StoreToManagers() {
  hwCfg_.CardSetRecords = state_.CardSets;
  hwCfg_.EnableRecords = state_.Enables;
  dnCvts_.NumKr12Cards = state_.DetectedKr12;
  dnCvts_.NumKr14Cards = state_.DetectedKr14;
  dnCvts_.NumDnCvts = state_.NumDnCvts;
  dnCvts_.Records = state_.DnCvtRecords;
  dnCvts_.NumKr12Channels = state_.Kr12Channels;
  dnCvts_.NumKr14Channels = state_.Kr14Channels;
  // The detected count is the library's own; the card count is what the system now works with.
  cards_.SetCardCount(state_.NumSystemCards);
}

void TVexaHwCfgMgrEditorDlg::WriteSimulationFiles() const {
  const card::HwCfgEnableRecord& kr20 = state_.Enables[kHwCfgKr20];
  const card::HwCfgEnableRecord& kr12 = state_.Enables[kHwCfgKr12];
  const card::HwCfgEnableRecord& kr14 = state_.Enables[kHwCfgKr14];
  card::WriteSimulationMarkerFile(kr20.Simulated != 0, kr20.NumToSimulate, card::kKr20SimMarkerFile);
  card::WriteSimulationMarkerFile(kr12.Simulated != 0, kr12.NumToSimulate, card::kKr12SimMarkerFile);
  // The Kr14 marker counts cards, two channels each.
  card::WriteSimulationMarkerFile(kr14.Simulated != 0, kr14.NumToSimulate / 2, card::kKr14SimMarkerFile);
}

// ---- Counts and assignments ---------------------------------------------------------------------

void TVexaHwCfgMgrEditorDlg::UpdateCounts() {
  int cards = card::GetNumSimChannels(state_.Enables[kHwCfgKr20], state_.DetectedKr20);
  if (cards < 0 || cards > kMaxSystemCards) {
    util::WriteErrorLogLine("At TVexaHwCfgMgrEditorDlg::SetNumSystemCardsAvailable(), rtlmgr says bogus num cards", cards);
    cards = state_.DetectedKr20;
    if (cards < 0 || cards > kMaxSystemCards) {
      util::WriteErrorLogLine("At TVexaHwCfgMgrEditorDlg::SetNumSystemCardsAvailable(), rtlmgr says bogus num live cards",
                              cards);
      state_.DetectedKr20 = 1;
      cards = 1;
    }
  }
  state_.NumSystemCards = cards;
  // Detected cards have the channels the program opened on them (Kr14 cards two, a Kr12 card one
  // or two); a simulated count is already one of channels.
  state_.Kr12Channels = card::GetNumSimChannels(state_.Enables[kHwCfgKr12], state_.DetectedKr12);
  if (state_.Enables[kHwCfgKr12].Simulated == 0) state_.Kr12Channels *= std::max(state_.ChannelsPerCard.Kr12, 1);
  state_.Kr14Channels = card::GetNumSimChannels(state_.Enables[kHwCfgKr14], state_.DetectedKr14);
  if (state_.Enables[kHwCfgKr14].Simulated == 0) state_.Kr14Channels *= std::max(state_.ChannelsPerCard.Kr14, 1);
  int converters = state_.Kr12Channels + state_.Kr14Channels;
  // The table holds twelve converter channels; more would run past it.
  if (converters > kMaxDnCvts) {
    util::WriteErrorLogLine("Hardware Configuration: " + std::to_string(state_.Kr12Channels) + " KR-12P2 and " +
                                std::to_string(state_.Kr14Channels) + " KR-14P3 channels, only " +
                                std::to_string(kMaxDnCvts) + " down-converters used",
                            converters);
    converters = kMaxDnCvts;
  }
  state_.NumDnCvts = converters;
}

void TVexaHwCfgMgrEditorDlg::RebuildAssignments() {
  UpdateCounts();
  state_.DnCvtRecords = runningRecords_;
  card::BuildDownConverterList(state_.NumDnCvts, state_.DnCvtRecords, state_.Enables, state_.Kr14Channels,
                               state_.Kr12Channels, state_.ChannelsPerCard);
  for (int i = 0; i < kMaxDnCvts; ++i) {
    card::DownConverterAssignmentLabel(i, state_.DnCvtRecords, names_[static_cast<std::size_t>(i)]);
  }
  popupDnCvt_->clear();
  for (int i = 0; i <= state_.NumDnCvts; ++i) {
    const std::string caption = i < state_.NumDnCvts ? names_[static_cast<std::size_t>(i)] : ui::kNotUsedText;
    QAction* action = popupDnCvt_->addAction(QString::fromStdString(caption));
    action->setData(i);
    connect(action, &QAction::triggered, this, [this, i] { AssignDownConverter(i); });
  }
}

void TVexaHwCfgMgrEditorDlg::Refresh() {
  if (updating_) return;
  updating_ = true;
  ButtonAcceptEnables->setVisible(!enablesAccepted_);
  PageAssignments->setEnabled(enablesAccepted_);
  OKBtn->setVisible(enablesAccepted_);
  const card::HwCfgEnableRecord& kr20 = state_.Enables[kHwCfgKr20];
  const card::HwCfgEnableRecord& kr12 = state_.Enables[kHwCfgKr12];
  const card::HwCfgEnableRecord& kr14 = state_.Enables[kHwCfgKr14];
  CheckBoxKr20Sim->setChecked(kr20.Simulated != 0);
  CheckBoxKr12Enable->setChecked(kr12.Enabled != 0);
  CheckBoxKr12Sim->setChecked(kr12.Simulated != 0);
  CheckBoxKr14V3Enable->setChecked(kr14.Enabled != 0);
  CheckBoxKr14V3Sim->setChecked(kr14.Simulated != 0);
  LabelSimKr20->setText(CountText(kr20.NumToSimulate, 3));
  LabelSimKr12v2->setText(CountText(kr12.NumToSimulate, 3));
  LabelSimKr14v3->setText(CountText(kr14.NumToSimulate, 3));
  LabelDetectedKr20->setText(CountText(state_.DetectedKr20, 2));
  LabelDetectedKr12V2->setText(CountText(state_.DetectedKr12, 2));
  LabelDetectedKr14V3->setText(CountText(state_.DetectedKr14, 2));
  PageAssignments->setVisible(state_.NumSystemCards > 0);
  for (int row = 0; row < ui::kHwCfgRows; ++row) {
    const bool shown = row < state_.NumSystemCards;
    rowLabels_[static_cast<std::size_t>(row)]->setVisible(shown);
    const card::HwCfgCardSetRecord& record = state_.CardSets[static_cast<std::size_t>(row)];
    for (int channel = 0; channel < 2; ++channel) {
      QLabel* panel = CardPanel(row, channel);
      panel->setVisible(shown);
      const std::int32_t index = record.DnCvtIndex[channel];
      const std::string text = index >= 0 && index < kMaxDnCvts ? names_[static_cast<std::size_t>(index)] : ui::kNotUsedText;
      panel->setText(QString::fromStdString(text));
    }
  }
  updating_ = false;
}

// ---- Handlers ----------------------------------------------------------------------------------

void TVexaHwCfgMgrEditorDlg::EditedEnables() {
  enablesAccepted_ = false;
  changed_ = true;
  RebuildAssignments();
  Refresh();
}

void TVexaHwCfgMgrEditorDlg::CheckBoxKr20SimClick() {
  if (updating_ || loading_) return;
  card::HwCfgEnableRecord& kr20 = state_.Enables[kHwCfgKr20];
  kr20.Enabled = 1;
  kr20.Simulated = CheckBoxKr20Sim->isChecked() ? 1 : 0;
  util::Dialogs().ShowMessage(ui::kProgramName, ui::kSimRestartText);
  EditedEnables();
}

void TVexaHwCfgMgrEditorDlg::CheckBoxConverterClick() {
  if (updating_ || loading_) return;
  state_.Enables[kHwCfgKr12].Enabled = CheckBoxKr12Enable->isChecked() ? 1 : 0;
  state_.Enables[kHwCfgKr12].Simulated = CheckBoxKr12Sim->isChecked() ? 1 : 0;
  state_.Enables[kHwCfgKr14].Enabled = CheckBoxKr14V3Enable->isChecked() ? 1 : 0;
  state_.Enables[kHwCfgKr14].Simulated = CheckBoxKr14V3Sim->isChecked() ? 1 : 0;
  EditedEnables();
}

void TVexaHwCfgMgrEditorDlg::PromptSimulated(std::size_t type, const char* prompt, int upper) {
  std::int32_t value = state_.Enables[type].NumToSimulate;
  // A cancelled prompt gives no value: nothing counts as changed.
  if (util::AskIntInRange(prompt, value, upper, 10, 1) != util::PromptResult::Answered) return;
  state_.Enables[type].NumToSimulate = value;
  EditedEnables();
}

void TVexaHwCfgMgrEditorDlg::MenuSimulateKr20Click() {
  PromptSimulated(kHwCfgKr20, "Enter Number of KR-20 Cards if simulating hardware", card::kHwCfgMaxSimulated[kHwCfgKr20]);
}

void TVexaHwCfgMgrEditorDlg::MenuSimulateKr12Click() {
  PromptSimulated(kHwCfgKr12, "Enter Number of KR-12P2 Radios if simulating hardware", card::kHwCfgMaxSimulated[kHwCfgKr12]);
}

void TVexaHwCfgMgrEditorDlg::MenuSimulateKr14Click() {
  PromptSimulated(kHwCfgKr14, "Enter Number of KR-14P3 Radios if simulating hardware", card::kHwCfgMaxSimulated[kHwCfgKr14]);
}

void TVexaHwCfgMgrEditorDlg::ShowSimulatePopup() {
  if (QAction* chosen = util::PopupMenuChoice(PopupMenuSimulate); chosen != nullptr) chosen->trigger();
}

void TVexaHwCfgMgrEditorDlg::DetectKr20Click() {
  state_.DetectedKr20 = hwCfg_.HwCfgCountKr20();
  Refresh();
}

void TVexaHwCfgMgrEditorDlg::DetectKr12Click() {
  state_.DetectedKr12 = hwCfg_.HwCfgCountKr12();
  Refresh();
}

void TVexaHwCfgMgrEditorDlg::DetectKr14Click() {
  state_.DetectedKr14 = hwCfg_.HwCfgCountKr14();
  Refresh();
}

void TVexaHwCfgMgrEditorDlg::ButtonAcceptEnablesClick() {
  enablesAccepted_ = true;
  RebuildAssignments();
  Refresh();
}

void TVexaHwCfgMgrEditorDlg::ButtonSetDefaultsClick() {
  card::AssignDefaultDownConverters(state_.NumDnCvts, state_.NumSystemCards, state_.CardSets);
  changed_ = true;
  RebuildAssignments();
  Refresh();
}

void TVexaHwCfgMgrEditorDlg::PanelCardClick(int row, int channel) {
  if (!enablesAccepted_ || row < 0 || row >= state_.NumSystemCards || channel < 0 || channel > 1) return;
  selectedCard_ = row;
  selectedChannel_ = channel;
  // Just below the clicked panel, whatever the mouse position.
  if (QAction* chosen = util::PopupMenuChoiceBelow(popupDnCvt_, CardPanel(row, channel)); chosen != nullptr) {
    chosen->trigger();
  }
  changed_ = true;
  RebuildAssignments();
  Refresh();
}

void TVexaHwCfgMgrEditorDlg::AssignDownConverter(int tag) {
  changed_ = true;
  // A converter serves one channel only: it leaves any other channel first.
  for (card::HwCfgCardSetRecord& record : state_.CardSets) {
    for (int channel = 0; channel < 2; ++channel) {
      if (record.DnCvtIndex[channel] == tag) record.DnCvtIndex[channel] = -1;
    }
  }
  card::HwCfgCardSetRecord& selected = state_.CardSets[static_cast<std::size_t>(selectedCard_)];
  selected.CardIndex = selectedCard_;
  selected.DnCvtIndex[selectedChannel_] = tag >= 0 && tag < state_.NumDnCvts ? tag : -1;
  // Every card's count, since the converter may have left another card.
  for (card::HwCfgCardSetRecord& record : state_.CardSets) record.NumDnCvts = CountOf(record);
  Refresh();
}

void TVexaHwCfgMgrEditorDlg::OKBtnClick() {
  cancelled_ = false;
  accept();
}

// Cancel, Esc and the title bar all end in reject().
void TVexaHwCfgMgrEditorDlg::CancelBtnClick() { reject(); }

void TVexaHwCfgMgrEditorDlg::reject() {
  cancelled_ = true;
  QDialog::reject();
}
