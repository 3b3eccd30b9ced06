// The test modulator window's sweep panel: the sweep engine's parameters, its run state and the
// stepping through up to three stop frequencies.
#include <QAction>
#include <QCursor>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <cmath>
#include <string>

#include "card/kr20card.h"
#include "ui/modulator/mod_control_form.h"
#include "ui/modulator/mod_handler_scope.h"
#include "ui/pressed_look.h"
#include "ui/scheme_colours.h"
#include "util/dialog_service.h"
#include "util/number_text.h"
#include "util/prompts.h"
#include "util/speaker.h"

using card::ModulatorRecord;

namespace {

constexpr util::TColor kLime = 0x0000FF00;
constexpr util::TColor kYellow = 0x0000FFFF;
constexpr util::TColor kGreen = 0x00008000;
constexpr int kRow = 17;
// Sweep parameter fields a prompt may change.
enum SweepField { kRate = -2, kStart = -1 };
// Stop frequencies are entered with four decimals: closer than that they are the same.
constexpr double kSameFreqMhz = 0.00005;

void ShowState(QLabel* state, util::TColor colour, const char* text) {
  ui::PaintPanel(state, colour);
  if (state->text() != QLatin1String(text)) state->setText(QString::fromLatin1(text));
}

QToolButton* SweepButton(QFrame* host, const char* name, const char* text) {
  auto* button = new QToolButton(host);
  button->setObjectName(QString::fromLatin1(name));
  button->setText(QString::fromLatin1(text));
  ui::ShowPressedWhenChecked(button);
  button->setGeometry(3, 3, host->width() - 6, host->height() - 6);
  return button;
}

}  // namespace

void TSM_ModControlForm::BuildSweepPanel(QFrame* panel) {
  auto caption = [panel](const QString& text, int x, int y, int w) {
    auto* label = new QLabel(text, panel);
    label->setGeometry(x, y, w, kRow - 2);
    return label;
  };
  auto* heading = caption("Sweep", 4, 3, 60);
  heading->setObjectName("LabelSweepHeading");
  QFont bold = heading->font();
  bold.setBold(true);
  heading->setFont(bold);
  caption("Sweep State", 70, 3, 70);
  PanelSweepState = new QLabel("OFF", panel);
  PanelSweepState->setObjectName("PanelSweepState");
  PanelSweepState->setAlignment(Qt::AlignCenter);
  PanelSweepState->setGeometry(144, 2, 98, 16);
  PanelSweepState->setAutoFillBackground(true);
  auto value = [this, panel](const char* name, int y) {
    auto* label = new QLabel(panel);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(144, y, 98, kRow - 2);
    return label;
  };
  caption("Sweep Rate (Hz/Sec)", 4, 22, 136);
  LabelSweepRate = value("LabelSweepRate", 22);
  caption("Start Freq (MHz)", 4, 39, 136);
  LabelSwStartFreq = value("LabelSwStartFreq", 39);
  const std::array<const char*, 3> stopNames{"LabelSwStopFreq1", "LabelSwStopFreq2", "LabelSwStopFreq3"};
  for (std::size_t i = 0; i < 3; ++i) {
    const int y = 56 + static_cast<int>(i) * kRow;
    LabelSwStopFreqCaption[i] = caption("", 22, y, 118);
    LabelSwStopFreqCaption[i]->setObjectName(QStringLiteral("LabelSwStopFreqCaption%1").arg(i + 1));
    LabelSwStopFreq[i] = value(stopNames[i], y);
  }
  CheckBoxSwStop1Enable = new QCheckBox(panel);
  CheckBoxSwStop1Enable->setObjectName("CheckBoxSwStop1Enable");
  CheckBoxSwStop1Enable->setGeometry(4, 56 + kRow, 16, kRow - 2);
  CheckBoxSwStop2Enable = new QCheckBox(panel);
  CheckBoxSwStop2Enable->setObjectName("CheckBoxSwStop2Enable");
  CheckBoxSwStop2Enable->setGeometry(4, 56 + 2 * kRow, 16, kRow - 2);
  caption("Sweep Mode", 4, 107, 136);
  LabelSweepMode = value("LabelSweepMode", 107);
  caption("Sweep State Progress", 4, 124, 136);
  LabelSweepProgress = value("LabelSweepProgress", 124);
  ProgressBarSweep = new QProgressBar(panel);
  ProgressBarSweep->setObjectName("ProgressBarSweep");
  ProgressBarSweep->setRange(0, 100);
  ProgressBarSweep->setTextVisible(false);
  ProgressBarSweep->setGeometry(4, 143, 238, 14);
  const std::array<const char*, 3> hosts{"PanelSweepStart", "PanelSweepPause", "PanelSweepStop"};
  for (std::size_t i = 0; i < 3; ++i) {
    auto* host = new QFrame(panel);
    host->setObjectName(QString::fromLatin1(hosts[i]));
    host->setGeometry(4 + static_cast<int>(i) * 80, 164, 76, 28);
    host->setAutoFillBackground(true);
    PanelSweepButton[i] = host;
  }
  SpeedButtonStart = SweepButton(PanelSweepButton[0], "SpeedButtonStart", "Start");
  SpeedButtonPause = SweepButton(PanelSweepButton[1], "SpeedButtonPause", "Pause");
  SpeedButtonStop = SweepButton(PanelSweepButton[2], "SpeedButtonStop", "Stop");
  connect(SpeedButtonStart, &QToolButton::clicked, this, &TSM_ModControlForm::SpeedButtonStartClick);
  connect(SpeedButtonPause, &QToolButton::clicked, this, &TSM_ModControlForm::SpeedButtonPauseClick);
  connect(SpeedButtonStop, &QToolButton::clicked, this, &TSM_ModControlForm::SpeedButtonStopClick);
  connect(CheckBoxSwStop1Enable, &QCheckBox::clicked, this, &TSM_ModControlForm::CheckBoxSwStop1EnableClick);
  connect(CheckBoxSwStop2Enable, &QCheckBox::clicked, this, &TSM_ModControlForm::CheckBoxSwStop2EnableClick);

  PopupMenuSweep = new QMenu(panel);
  PopupMenuSweep->setObjectName("PopupMenuSweep");
  auto item = [this](const char* name, const char* text, void (TSM_ModControlForm::*handler)()) {
    QAction* action = PopupMenuSweep->addAction(QString::fromLatin1(text));
    action->setObjectName(QString::fromLatin1(name));
    connect(action, &QAction::triggered, this, handler);
    return action;
  };
  MenuSweepRate = item("MenuSweepRate", "Sweep Rate", &TSM_ModControlForm::MenuSweepRateClick);
  MenuSwStartFreq = item("MenuSwStartFreq", "Start Freq", &TSM_ModControlForm::MenuSwStartFreqClick);
  MenuSwStopFreq[0] = item("MenuSwStopFreq", "Stop Freq", &TSM_ModControlForm::MenuSwStopFreqClick);
  MenuSwStopFreq[1] = item("MenuSwStopFreq2", "Stop Freq 2", &TSM_ModControlForm::MenuSwStopFreq2Click);
  MenuSwStopFreq[2] = item("MenuSwStopFreq3", "Stop Freq 3", &TSM_ModControlForm::MenuSwStopFreq3Click);
  PopupMenuSweep->addSeparator();
  QMenu* mode = PopupMenuSweep->addMenu("Sweep Mode");
  mode->setObjectName("MenuSweepMode");
  MenuSwModeSingle = mode->addAction("Single");
  MenuSwModeSingle->setObjectName("MenuSwModeSingle");
  MenuSwModeSingle->setCheckable(true);
  connect(MenuSwModeSingle, &QAction::triggered, this, &TSM_ModControlForm::MenuSwModeSingleClick);
  MenuSwModeContinuous = mode->addAction("Continuous");
  MenuSwModeContinuous->setObjectName("MenuSwModeContinuous");
  MenuSwModeContinuous->setCheckable(true);
  connect(MenuSwModeContinuous, &QAction::triggered, this, &TSM_ModControlForm::MenuSwModeContinuousClick);
  PopupMenuSweep->addSeparator();
  MenuSnapCenteratCycleComplete = item("MenuSnapCenteratCycleComplete", "Snap Center at Cycle Complete",
                                       &TSM_ModControlForm::MenuSnapCenteratCycleCompleteClick);
  MenuSnapCenteratCycleComplete->setCheckable(true);
  panel->installEventFilter(this);
}

// ---- Refresh -----------------------------------------------------------------------------------

void TSM_ModControlForm::RefreshSweepPanel() {
  if (!sweepPresent_ || object_ == nullptr || setup_ == nullptr) return;
  const ModulatorRecord& mod = setup_->Modulator;
  double offset = 0.0;
  if (sweepPaused_) {
    offset = lastSweepOffset_;
  } else if (sweepActive_) {
    offset = object_->GetModSweepCurrentFreqHz();
    if (offset != 0.0) lastSweepOffset_ = offset;
  }
  LabelSweepOffset->setText(QString::fromStdString(util::FloatToFixedText(12, 0, offset)));
  LabelSweepRate->setText(QString::fromStdString(util::FloatToFixedText(12, 0, mod.SweepRateHz)));
  LabelSwStartFreq->setText(QString::fromStdString(util::FloatToFixedText(12, 4, mod.StartFreqMhz)));
  const std::array<const char*, 3> captions{"Stop Freq (MHz)", "Stop Freq 2(MHz)", "Stop Freq 3(MHz)"};
  for (std::size_t i = 0; i < 3; ++i) {
    LabelSwStopFreq[i]->setText(QString::fromStdString(util::FloatToFixedText(12, 4, mod.StopFreqMhzAry[i])));
    const bool mark = mod.NumProfiles > 1 && mod.SweepProfileIndex == static_cast<int>(i);
    LabelSwStopFreqCaption[i]->setText(QString::fromLatin1(mark ? ".." : "") + QString::fromLatin1(captions[i]));
  }
  const bool two = mod.NumProfiles > 1;
  const bool three = mod.NumProfiles > 2;
  CheckBoxSwStop1Enable->setChecked(two);
  CheckBoxSwStop2Enable->setChecked(three);
  LabelSwStopFreq[1]->setEnabled(two);
  MenuSwStopFreq[1]->setEnabled(two);
  LabelSwStopFreq[2]->setEnabled(three);
  MenuSwStopFreq[2]->setEnabled(three);
  double progress = lastSweepProgress_;
  if (!sweepPaused_ && sweepActive_) {
    progress = object_->GetModSweepProgressPercent(mod.SweepProfileIndex);
    // The engine reports nothing usable for an empty segment: the last reading stays.
    if (!std::isfinite(progress)) progress = lastSweepProgress_;
    if (progress != 0.0) lastSweepProgress_ = progress;
  }
  const double bar = std::clamp(std::trunc(progress), 0.0, 100.0);
  ProgressBarSweep->setValue(static_cast<int>(bar));
  LabelSweepProgress->setText(QString::fromStdString(util::FloatToFixedText(5, 0, progress) + " %"));
  const bool single = mod.SinglePass != 0;
  LabelSweepMode->setText(single ? (mod.SnapCtrAtEndCycle != 0 ? "Single [SNAP]" : "Single") : "Continuous");
  MenuSwModeSingle->setChecked(single);
  MenuSwModeContinuous->setChecked(!single);
  MenuSnapCenteratCycleComplete->setChecked(mod.SnapCtrAtEndCycle != 0);
  RefreshSweepButtons();
}

void TSM_ModControlForm::RefreshSweepButtons() {
  sweepRunning_ = object_->IsModulatorSweepRunning();
  RefreshSweepState();
  const util::TColor window = ui::SchemeColour(config::kAppSetupBackgroundColor);
  const bool resume = sweepActive_ && sweepPaused_;
  const bool running = sweepActive_ && !sweepPaused_;
  SpeedButtonStart->setText(resume ? "Resume" : "Start");
  SpeedButtonStart->setChecked(running);
  SpeedButtonStart->setEnabled(!running && !StartPending());
  ui::PaintPanel(PanelSweepButton[0], running ? kLime : window);
  SpeedButtonPause->setChecked(resume);
  SpeedButtonPause->setEnabled(running);
  ui::PaintPanel(PanelSweepButton[1], resume ? kYellow : window);
  SpeedButtonStop->setChecked(!sweepActive_);
  // Stop stays pressable while idle: it puts the carrier back on its own frequency.
  SpeedButtonStop->setEnabled(true);
  ui::PaintPanel(PanelSweepButton[2], window);
}

void TSM_ModControlForm::RefreshSweepState() {
  if (PanelSweepState == nullptr) return;
  if (sweepRunning_) {
    ShowState(PanelSweepState, kLime, "RUNNING");
  } else if (sweepPaused_ && sweepActive_) {
    ShowState(PanelSweepState, kYellow, "PAUSE");
  } else {
    ShowState(PanelSweepState, ui::SchemeColour(config::kAppSetupBackgroundColor), "OFF");
    if (sweepActive_ && !StartPending() && object_ != nullptr && AdvanceSweepProfile()) {
      ShowState(PanelSweepState, kGreen, "Switching");
    }
  }
}

bool TSM_ModControlForm::AdvanceSweepProfile() {
  ModulatorRecord& mod = setup_->Modulator;
  const std::int32_t profiles =
      std::clamp<std::int32_t>(mod.NumProfiles, 1, static_cast<std::int32_t>(card::kModSweepStops));
  if (mod.SinglePass != 0) {
    mod.SweepProfileIndex += 1;
    if (mod.SweepProfileIndex < profiles) {
      object_->DoOnSetModulatorSweepProcess(card::ModSweepParamsOf(*setup_));
      return true;
    }
    if (mod.SnapCtrAtEndCycle != 0) {
      mod.SweepProfileIndex = 0;
      ClearRunState();
    } else {
      sweepPaused_ = true;
      lastSweepProgress_ = 100.0;
    }
    return false;
  }
  mod.SweepProfileIndex = mod.SweepProfileIndex + 1 >= profiles ? 0 : mod.SweepProfileIndex + 1;
  object_->DoOnSetModulatorSweepProcess(card::ModSweepParamsOf(*setup_));
  return true;
}

void TSM_ModControlForm::SweepTick() {
  if (!shown_ || closed_ || updating_ || !sweepPresent_ || !sweepActive_ || sweepPaused_ || StartPending()) return;
  updating_ = true;
  // When the engine finished a profile the panel moves on: it is shown again so that it tells
  // where the sweep is now. An empty segment ends at once; the profiles are few, so is the loop.
  for (std::size_t pass = 0; pass <= card::kModSweepStops; ++pass) {
    const std::int32_t profile = setup_->Modulator.SweepProfileIndex;
    const bool wasActive = sweepActive_;
    const bool wasPaused = sweepPaused_;
    RefreshSweepPanel();
    if (sweepActive_ == wasActive && sweepPaused_ == wasPaused && setup_->Modulator.SweepProfileIndex == profile) break;
  }
  updating_ = false;
}

void TSM_ModControlForm::ClearRunState() {
  sweepActive_ = false;
  sweepRunning_ = false;
  sweepPaused_ = false;
  if (object_ != nullptr) object_->ResetModulatorSweep();
}

// ---- Start, pause, stop ------------------------------------------------------------------------

void TSM_ModControlForm::SpeedButtonStartClick() {
  if (closed_ || object_ == nullptr || StartPending()) return;
  if (SpeedButtonStart->isChecked()) {
    StartSweep();
  } else {
    UpdateDisplay();
  }
}

void TSM_ModControlForm::StartSweep() {
  ModHandlerScope scope(*this);
  card::ModSweepParamBlock block = card::ModSweepParamsOf(*setup_);
  if (!sweepPaused_) block.SweepProfileIndex = 0;
  block.SweepProfileIndex =
      std::clamp<std::int32_t>(block.SweepProfileIndex, 0, std::max<std::int32_t>(block.NumProfiles, 1) - 1);
  object_->DoOnSetModulatorSweepProcess(block);
  sweepPaused_ = false;
  object_->RunModulatorSweep();
  lastSweepProgress_ = 0.0;
  lastSweepOffset_ = 0.0;
  // The engine takes a moment to report running: it is asked again every 100 ms by a timer,
  // so the master timer keeps its beat meanwhile.
  if (object_->IsModulatorSweepRunning()) {
    FinishStart(true);
    return;
  }
  startPolls_ = 1;
  SpeedButtonStart->setEnabled(false);
  startWait_->start();
}

void TSM_ModControlForm::PollStartWait() {
  if (!StartPending() || closed_ || object_ == nullptr) return;
  if (object_->IsModulatorSweepRunning()) {
    FinishStart(true);
  } else if (++startPolls_ > kStartPolls) {
    FinishStart(false);
  }
}

std::string TSM_ModControlForm::EmptySweepSegmentText() const {
  const ModulatorRecord& mod = setup_->Modulator;
  const std::int32_t profile = std::clamp<std::int32_t>(mod.SweepProfileIndex, 0, card::kModSweepStops - 1);
  const auto index = static_cast<std::size_t>(profile);
  const double from = profile == 0 ? mod.StartFreqMhz : mod.StopFreqMhzAry[index - 1];
  const double to = mod.StopFreqMhzAry[index];
  if (std::fabs(to - from) >= kSameFreqMhz) return {};
  const std::string carrier = util::FloatToFixedText(12, 4, mod.CarrierFreqMhz);
  return "Nothing to sweep: " + std::string(profile == 0 ? "Start Freq" : "the previous Stop Freq") + " and Stop Freq" +
         (profile == 0 ? std::string() : " " + std::to_string(profile + 1)) + " are both " +
         util::FloatToFixedText(12, 4, to) + " MHz. Each is kept within 0.25 MHz of the carrier (" + carrier +
         " MHz): enter them again.";
}

void TSM_ModControlForm::FinishStart(bool running) {
  ModHandlerScope scope(*this);
  startWait_->stop();
  startPolls_ = 0;
  sweepRunning_ = running;
  if (!running) {
    util::SpeakerErrorTone();
    // The card keeps every frequency within reach of the carrier: after the carrier moved, start
    // and stop may have become one frequency, and then that is what the operator needs to hear.
    const std::string empty = EmptySweepSegmentText();
    util::Dialogs().ShowMessage("WARNING", empty.empty() ? std::string("The sweep process is not running") : empty);
    if (closed_) return;
    ClearRunState();
  } else {
    sweepActive_ = true;
  }
  if (setup_->Modulator.CarrierEnabled == 0) {
    ClearRunState();
    util::SpeakerErrorTone();
    util::Dialogs().ShowMessage("WARNING", "Turn your carrier on first!");
    if (closed_) return;
  }
  UpdateDisplay();
}

void TSM_ModControlForm::CancelStartWait() {
  if (!StartPending()) return;
  startWait_->stop();
  startPolls_ = 0;
  sweepRunning_ = object_ != nullptr && object_->IsModulatorSweepRunning();
  sweepActive_ = sweepRunning_;
  if (!sweepRunning_ || setup_->Modulator.CarrierEnabled == 0) ClearRunState();
}

void TSM_ModControlForm::PauseSweep() {
  const bool running = object_->StopModulatorSweep();
  sweepRunning_ = running;
  sweepPaused_ = running && sweepActive_;
}

void TSM_ModControlForm::SpeedButtonPauseClick() {
  if (closed_ || object_ == nullptr || StartPending()) return;
  if (SpeedButtonPause->isChecked()) {
    PauseSweep();
  } else {
    sweepPaused_ = false;
  }
  UpdateDisplay();
}

void TSM_ModControlForm::SpeedButtonStopClick() {
  if (closed_ || object_ == nullptr || StartPending()) return;
  // Stop is not released by a click: pressed while down it stops again.
  SpeedButtonStop->setChecked(true);
  ClearRunState();
  object_->SetMod_SetIfCarrierRateInHz(setup_->Modulator.CarrierFreqMhz * 1e6);
  UpdateDisplay();
}

// ---- Parameters --------------------------------------------------------------------------------

void TSM_ModControlForm::PanelSweepRightClick() {
  if (closed_ || !sweepPresent_) return;
  ModHandlerScope scope(*this);
  // The menu itself, with its separators, the "Sweep Mode" submenu and the check marks; its
  // items run their handlers when chosen.
  PopupMenuSweep->exec(QCursor::pos());
}

void TSM_ModControlForm::PromptSweepParameter(const std::string& title, int decimals, double lower, double upper,
                                              int field) {
  if (closed_ || object_ == nullptr || StartPending()) return;
  ModHandlerScope scope(*this);
  card::ModSweepParamBlock block = card::ModSweepParamsOf(*setup_);
  block.SweepProfileIndex = 0;
  ClearRunState();
  double value = field == kRate    ? block.SweepRateHz
                 : field == kStart ? block.StartFreqMhz
                                   : block.StopFreqMhzAry[field];
  if (util::PromptDoubleInRange(title, value, decimals, lower, upper)) {
    if (field >= 0 && std::fabs(value - block.StartFreqMhz) < kSameFreqMhz) {
      util::Dialogs().ShowMessage("ERROR", "Stop Freq cannot equal Start Freq...try again");
      if (!closed_) UpdateDisplay();
      return;
    }
    if (field == kRate)
      block.SweepRateHz = value;
    else if (field == kStart)
      block.StartFreqMhz = value;
    else
      block.StopFreqMhzAry[field] = value;
  }
  object_->DoOnSetModulatorSweepProcess(block);
  object_->ResetModulatorSweep();
  if (!closed_) UpdateDisplay();
}

void TSM_ModControlForm::MenuSweepRateClick() {
  PromptSweepParameter("Enter the Sweep Rate (in Hz)", 0, 1.0, 20000.0, kRate);
}

void TSM_ModControlForm::MenuSwStartFreqClick() {
  if (setup_ == nullptr) return;
  const double carrier = setup_->Modulator.CarrierFreqMhz;
  PromptSweepParameter("Enter the Start Freq (in MHz)", 4, carrier - 0.25, carrier + 0.25, kStart);
}

void TSM_ModControlForm::PromptSweepStopFreq(int stop) {
  if (setup_ == nullptr || stop < 0 || stop > 2) return;
  const double carrier = setup_->Modulator.CarrierFreqMhz;
  PromptSweepParameter("Enter the Stop Freq (in MHz)", 4, carrier - 0.25, carrier + 0.25, stop);
}

void TSM_ModControlForm::SetSweepMode(bool single) {
  if (closed_ || setup_ == nullptr || StartPending()) return;
  setup_->Modulator.SweepProfileIndex = 0;
  ClearRunState();
  setup_->Modulator.SinglePass = single ? 1 : 0;
  UpdateDisplay();
}

void TSM_ModControlForm::MenuSnapCenteratCycleCompleteClick() {
  if (closed_ || setup_ == nullptr || StartPending()) return;
  ClearRunState();
  setup_->Modulator.SnapCtrAtEndCycle = setup_->Modulator.SnapCtrAtEndCycle != 0 ? 0 : 1;
  UpdateDisplay();
}

void TSM_ModControlForm::CheckBoxSwStop1EnableClick() {
  if (updating_ || closed_ || setup_ == nullptr || StartPending()) return;
  setup_->Modulator.SweepProfileIndex = 0;
  ClearRunState();
  if (!CheckBoxSwStop1Enable->isChecked()) {
    setup_->Modulator.NumProfiles = 1;
    CheckBoxSwStop2Enable->setChecked(false);
  } else {
    setup_->Modulator.NumProfiles = 2;
  }
  UpdateDisplay();
}

void TSM_ModControlForm::CheckBoxSwStop2EnableClick() {
  if (updating_ || closed_ || setup_ == nullptr || StartPending()) return;
  setup_->Modulator.SweepProfileIndex = 0;
  ClearRunState();
  if (CheckBoxSwStop2Enable->isChecked()) {
    setup_->Modulator.NumProfiles = 3;
  } else {
    setup_->Modulator.NumProfiles = std::max<std::int32_t>(setup_->Modulator.NumProfiles - 1, 1);
  }
  UpdateDisplay();
}
