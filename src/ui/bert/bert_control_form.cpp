#include "ui/bert/bert_control_form.h"

#include <QAction>
#include <QCloseEvent>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <string>

#include "card/card_routines.h"
#include "card/kr20card.h"
#include "config/globals.h"
#include "config/gui/menu_routines.h"
#include "config/options_record.h"
#include "settings/last_setup.h"
#include "settings/set_manager.h"
#include "ui/bert/pattern_names.h"
#include "ui/bert/user_pattern_entry.h"
#include "ui/cards/strip_routines.h"
#include "ui/fill_parent.h"
#include "ui/pressed_look.h"
#include "ui/scheme_colours.h"
#include "util/dialog_service.h"
#include "util/error_log.h"
#include "util/gui/popup_choice.h"
#include "util/gui/qt_colour.h"
#include "util/gui/status_lamp.h"
#include "util/number_text.h"
#include "util/prompts.h"
#include "util/speaker.h"

namespace {

constexpr const char* kNoValue = "-----";
constexpr const char* kOff = "OFF";
constexpr util::TColor kEditableText = 0x00FFFF;  // yellow on black: a value the operator can change
constexpr util::TColor kEditableBackground = 0x000000;
constexpr util::TColor kDisabledText = 0x808080;
constexpr int kRowHeight = 16;
constexpr int kLampWidth = 25;
constexpr int kLampHeight = 12;

QLabel* AddCaption(QWidget* parent, QGridLayout* grid, const char* name, const char* text, int row, int column) {
  auto* caption = new QLabel(QString::fromLatin1(text), parent);
  caption->setObjectName(QString::fromLatin1(name));
  caption->setFixedHeight(kRowHeight);
  grid->addWidget(caption, row, column);
  return caption;
}

QLabel* AddValue(QWidget* parent, QGridLayout* grid, const char* name, int row, int column) {
  auto* value = new QLabel(QString::fromLatin1(kNoValue), parent);
  value->setObjectName(QString::fromLatin1(name));
  value->setFixedHeight(kRowHeight);
  value->setMinimumWidth(74);
  value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  grid->addWidget(value, row, column);
  return value;
}

QFrame* MakeFrame(QWidget* parent, const char* name) {
  auto* frame = new QFrame(parent);
  frame->setObjectName(QString::fromLatin1(name));
  frame->setFrameShape(QFrame::Panel);
  frame->setFrameShadow(QFrame::Raised);
  return frame;
}

QGridLayout* MakeGrid(QFrame* frame) {
  auto* grid = new QGridLayout(frame);
  grid->setContentsMargins(4, 2, 4, 2);
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(1);
  return grid;
}

void SetLabel(QLabel* label, const std::string& text) {
  const QString value = QString::fromStdString(text);
  if (label->text() != value) label->setText(value);
}

// Text and background of a label; the disabled look greys the text.
void ColourLabel(QWidget* widget, util::TColor background, util::TColor text, bool fill) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, util::ToQColor(background));
  palette.setColor(QPalette::WindowText, util::ToQColor(text));
  palette.setColor(QPalette::Text, util::ToQColor(text));
  palette.setColor(QPalette::Disabled, QPalette::WindowText, util::ToQColor(kDisabledText));
  widget->setPalette(palette);
  widget->setAutoFillBackground(fill);
}

std::string WholeNumber(double value) { return util::FloatToFixedText(24, 0, value); }

}  // namespace

// Counts the handlers on the stack: a panel its window closes meanwhile frees itself only after
// the last of them has returned.
class BertHandlerScope {
 public:
  explicit BertHandlerScope(TSM_BertControlForm& form) : form_(form) { ++form_.handlerDepth_; }
  ~BertHandlerScope() {
    if (--form_.handlerDepth_ == 0 && form_.closed_) form_.deleteLater();
  }
  BertHandlerScope(const BertHandlerScope&) = delete;
  BertHandlerScope& operator=(const BertHandlerScope&) = delete;

 private:
  TSM_BertControlForm& form_;
};

TSM_BertControlForm::TSM_BertControlForm(QWidget* parent, int channel, int card, std::function<double()> clock)
    : QWidget(parent), card_(card), channel_(channel), clock_(std::move(clock)) {
  setObjectName(QStringLiteral("SM_BertControlForm%1").arg(channel + 1));
  if (!clock_) clock_ = util::ElapsedSeconds;
  object_ = card::CardObject(card);
  setup_ = object_ != nullptr ? &object_->Setup() : nullptr;
  pcmFm_ = card::IsPcmFmChannel(card, channel);
  setFont(ui::StripFont());
  BuildLayout();
  BuildMenus();
  config::RemovePanelBevels(PanelUserPattern);
  config::RemovePanelBevels(PanelBerAvg);
  updating_ = true;
  RadioBerAvgContinuous->setChecked(true);
  RadioBerAvgSingle->setChecked(false);
  SpeedButtonBerAvgGo->setChecked(false);
  updating_ = false;
  ui::FillParent(this);
  averager_.ClearResults();
  ResetAveraging();
  setVisible(true);
}

TSM_BertControlForm::~TSM_BertControlForm() = default;

void TSM_BertControlForm::BuildLayout() {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(2, 2, 2, 2);
  column->setSpacing(3);

  PanelStatus = MakeFrame(this, "PanelStatus");
  QGridLayout* status = MakeGrid(PanelStatus);
  AddCaption(PanelStatus, status, "LabelLockCaption", "BERT Lock", 0, 0);
  ShapeLock = new util::StatusLamp(PanelStatus);
  ShapeLock->setObjectName("ShapeLock");
  ShapeLock->setFixedSize(kLampWidth, kLampHeight);
  status->addWidget(ShapeLock, 0, 1);
  LabelLock = AddValue(PanelStatus, status, "LabelLock", 0, 2);
  AddCaption(PanelStatus, status, "LabelInvertCaption", "Data Polarity", 1, 0);
  ShapeInvert = new util::StatusLamp(PanelStatus);
  ShapeInvert->setObjectName("ShapeInvert");
  ShapeInvert->setFixedSize(kLampWidth, kLampHeight);
  status->addWidget(ShapeInvert, 1, 1);
  LabelInvert = AddValue(PanelStatus, status, "LabelInvert", 1, 2);
  AddCaption(PanelStatus, status, "LabelBitRateCaption", "Bit Rate (Mbps)", 2, 0);
  LabelBitRate = AddValue(PanelStatus, status, "LabelBitRate", 2, 2);
  AddCaption(PanelStatus, status, "LabelTotalBitsCaption", "Total Bits", 3, 0);
  LabelTotalBits = AddValue(PanelStatus, status, "LabelTotalBits", 3, 2);
  AddCaption(PanelStatus, status, "LabelErrorBitsCaption", "Error Bits", 4, 0);
  LabelErrorBits = AddValue(PanelStatus, status, "LabelErrorBits", 4, 2);
  AddCaption(PanelStatus, status, "LabelBerCaption", "BER", 5, 0);
  LabelBer = AddValue(PanelStatus, status, "LabelBer", 5, 2);
  LabelCounterCaption = AddCaption(PanelStatus, status, "LabelCounterCaption", "Lock Loss Count", 6, 0);
  LabelCounter = AddValue(PanelStatus, status, "LabelCounter", 6, 2);
  AddCaption(PanelStatus, status, "LabelInversionCountCaption", "Inversion Count", 7, 0);
  LabelInversionCount = AddValue(PanelStatus, status, "LabelInversionCount", 7, 2);
  status->setColumnStretch(0, 1);
  column->addWidget(PanelStatus);

  PanelConfig = MakeFrame(this, "PanelConfig");
  QGridLayout* config = MakeGrid(PanelConfig);
  AddCaption(PanelConfig, config, "LabelInputSourceCaption", "Input Source", 0, 0);
  LabelInputSource = AddValue(PanelConfig, config, "LabelInputSource", 0, 1);
  AddCaption(PanelConfig, config, "LabelClockPolarityCaption", "Clock Polarity", 1, 0);
  LabelClockPolarity = AddValue(PanelConfig, config, "LabelClockPolarity", 1, 1);
  AddCaption(PanelConfig, config, "LabelPrnPatternCaption", "Pattern", 2, 0);
  LabelPrnPattern = AddValue(PanelConfig, config, "LabelPrnPattern", 2, 1);
  PanelUserPattern = MakeFrame(PanelConfig, "PanelUserPattern");
  QGridLayout* user = MakeGrid(PanelUserPattern);
  user->setContentsMargins(0, 0, 0, 0);
  AddCaption(PanelUserPattern, user, "LabelUserPatternLengthCaption", "Pattern Length (bits)", 0, 0);
  LabelUserPatternLength = AddValue(PanelUserPattern, user, "LabelUserPatternLength", 0, 1);
  AddCaption(PanelUserPattern, user, "LabelUserPatternCaption", "User Pattern", 1, 0);
  LabelUserPattern = AddValue(PanelUserPattern, user, "LabelUserPattern", 1, 1);
  LabelUserPattern->setMinimumWidth(200);
  auto* radix = new QHBoxLayout();
  radix->setSpacing(8);
  RadioDec = new QRadioButton(QStringLiteral("Dec"), PanelUserPattern);
  RadioDec->setObjectName("RadioDec");
  RadioHex = new QRadioButton(QStringLiteral("Hex"), PanelUserPattern);
  RadioHex->setObjectName("RadioHex");
  RadioBin = new QRadioButton(QStringLiteral("Bin"), PanelUserPattern);
  RadioBin->setObjectName("RadioBin");
  for (QRadioButton* button : {RadioDec, RadioHex, RadioBin}) {
    radix->addWidget(button);
    connect(button, &QRadioButton::clicked, this, &TSM_BertControlForm::RadioBinClick);
  }
  radix->addStretch(1);
  user->addLayout(radix, 2, 0, 1, 2);
  user->setColumnStretch(0, 1);
  config->addWidget(PanelUserPattern, 3, 0, 1, 2);
  ButtonResetStats = new QPushButton(QStringLiteral("Reset Statistics"), PanelConfig);
  ButtonResetStats->setObjectName("ButtonResetStats");
  connect(ButtonResetStats, &QPushButton::clicked, this, &TSM_BertControlForm::ButtonResetStatsClick);
  config->addWidget(ButtonResetStats, 4, 0, 1, 2);
  config->setColumnStretch(0, 1);
  column->addWidget(PanelConfig);

  PanelBerAvg = MakeFrame(this, "PanelBerAvg");
  QGridLayout* avg = MakeGrid(PanelBerAvg);
  AddCaption(PanelBerAvg, avg, "LabelBerSampleLengthCaption", "Averaging Length (s)", 0, 0);
  LabelBerSampleLength = AddValue(PanelBerAvg, avg, "LabelBerSampleLength", 0, 1);
  auto* modes = new QHBoxLayout();
  RadioBerAvgSingle = new QRadioButton(QStringLiteral("Single"), PanelBerAvg);
  RadioBerAvgSingle->setObjectName("RadioBerAvgSingle");
  RadioBerAvgContinuous = new QRadioButton(QStringLiteral("Continuous"), PanelBerAvg);
  RadioBerAvgContinuous->setObjectName("RadioBerAvgContinuous");
  for (QRadioButton* button : {RadioBerAvgSingle, RadioBerAvgContinuous}) {
    modes->addWidget(button);
    connect(button, &QRadioButton::clicked, this, &TSM_BertControlForm::RadioBerAvgSingleClick);
  }
  modes->addStretch(1);
  SpeedButtonBerAvgGo = new QToolButton(PanelBerAvg);
  SpeedButtonBerAvgGo->setObjectName("SpeedButtonBerAvgGo");
  SpeedButtonBerAvgGo->setText(QStringLiteral("Start BER Avg"));
  ui::ShowPressedWhenChecked(SpeedButtonBerAvgGo);
  connect(SpeedButtonBerAvgGo, &QToolButton::clicked, this, &TSM_BertControlForm::SpeedButtonBerAvgGoClick);
  modes->addWidget(SpeedButtonBerAvgGo);
  avg->addLayout(modes, 1, 0, 1, 2);
  ProgressBarBerAvg = new QProgressBar(PanelBerAvg);
  ProgressBarBerAvg->setObjectName("ProgressBarBerAvg");
  ProgressBarBerAvg->setRange(0, 100);
  ProgressBarBerAvg->setValue(0);
  ProgressBarBerAvg->setTextVisible(false);
  ProgressBarBerAvg->setFixedHeight(12);
  avg->addWidget(ProgressBarBerAvg, 2, 0);
  PanelBerAvgStatus = new QLabel(QString::fromLatin1(kOff), PanelBerAvg);
  PanelBerAvgStatus->setObjectName("PanelBerAvgStatus");
  PanelBerAvgStatus->setAlignment(Qt::AlignCenter);
  PanelBerAvgStatus->setFixedHeight(kRowHeight);
  PanelBerAvgStatus->setMinimumWidth(74);
  avg->addWidget(PanelBerAvgStatus, 2, 1);
  PanelBerAvgResults = MakeFrame(PanelBerAvg, "PanelBerAvgResults");
  QGridLayout* results = MakeGrid(PanelBerAvgResults);
  AddCaption(PanelBerAvgResults, results, "LabelAvgErrorsCaption", "Average Errors / s", 0, 0);
  LabelAvgErrors = AddValue(PanelBerAvgResults, results, "LabelAvgErrors", 0, 1);
  AddCaption(PanelBerAvgResults, results, "LabelAvgBerCaption", "Average BER", 1, 0);
  LabelAvgBer = AddValue(PanelBerAvgResults, results, "LabelAvgBer", 1, 1);
  results->setColumnStretch(0, 1);
  avg->addWidget(PanelBerAvgResults, 3, 0, 1, 2);
  avg->setColumnStretch(0, 1);
  column->addWidget(PanelBerAvg);
  column->addStretch(1);

  for (QLabel* clickable : {LabelInputSource, LabelClockPolarity, LabelPrnPattern, LabelUserPattern,
                            LabelUserPatternLength, LabelBerSampleLength}) {
    clickable->setMinimumWidth(std::max(clickable->minimumWidth(), 110));
    clickable->setIndent(3);
    clickable->setCursor(Qt::PointingHandCursor);
    clickable->installEventFilter(this);
  }

  PopupMenuClockPolarity = new QMenu(this);
  PopupMenuClockPolarity->setObjectName("PopupMenuClockPolarity");
  PopupMenuPrnPattern = new QMenu(this);
  PopupMenuPrnPattern->setObjectName("PopupMenuPrnPattern");
}

bool TSM_BertControlForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::MouseButtonPress) return QWidget::eventFilter(watched, event);
  if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) return false;
  if (watched == LabelInputSource) {
    LabelInputSourceClick();
  } else if (watched == LabelClockPolarity) {
    LabelClockPolarityClick();
  } else if (watched == LabelPrnPattern) {
    LabelPrnPatternClick();
  } else if (watched == LabelUserPattern || watched == LabelUserPatternLength) {
    LabelUserPatternClick();
  } else if (watched == LabelBerSampleLength) {
    LabelBerSampleLengthClick();
  } else {
    return false;
  }
  return true;
}

void TSM_BertControlForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (event->spontaneous()) return;
  FormShow();
}

void TSM_BertControlForm::closeEvent(QCloseEvent* event) {
  FormClose();
  event->accept();
}

void TSM_BertControlForm::FormShow() {
  if (object_ != nullptr) BuildMenus();
  UpdateDisplay();
  shown_ = true;
  UpdateColors();
}

void TSM_BertControlForm::FormClose() {
  shown_ = false;
  clockPolarities_.clear();
  patterns_.clear();
}

void TSM_BertControlForm::MarkClosed() {
  shown_ = false;
  closed_ = true;
  hide();
}

// ---- Menus -------------------------------------------------------------------------------------

void TSM_BertControlForm::RebuildMenu(QMenu* menu, const char* itemName, const std::vector<std::string>& entries,
                                      bool patterns) {
  menu->clear();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const std::string caption = patterns ? ui::BertPatternDisplayName(entries[i]) : entries[i];
    QAction* item = menu->addAction(QString::fromStdString(caption));
    item->setObjectName(QString::fromLatin1(itemName) + QString::number(i));
    item->setData(static_cast<int>(i));
    if (patterns) item->setVisible(ui::IsKnownBertPattern(entries[i]));
  }
}

void TSM_BertControlForm::BuildMenus() {
  if (object_ == nullptr) return;
  object_->Bert_GetClockPolarityList(channel_, clockPolarities_);
  RebuildMenu(PopupMenuClockPolarity, "MenuClockPolarity", clockPolarities_, false);
  object_->Bert_GetPnPatternList(channel_, patterns_);
  RebuildMenu(PopupMenuPrnPattern, "MenuPrnPattern", patterns_, true);
}

// ---- Refresh -----------------------------------------------------------------------------------

bool TSM_BertControlForm::Locked() const {
  return gKr20SetMgr != nullptr && gKr20SetMgr->StatusRecord(card_, channel_).Bert.Locked != 0;
}

bool TSM_BertControlForm::InputOn() const {
  return setup_ != nullptr && setup_->RxBert[channel_].InputSourceOn != 0;
}

ui::BertCounters TSM_BertControlForm::ReadCounters() const {
  if (object_ == nullptr) return {};
  return {object_->Bert_GetErrorBits(channel_), object_->Bert_GetTotalBits(channel_)};
}

void TSM_BertControlForm::ShowAverageStatus(ui::BerAverageStatus status, double progress) {
  static constexpr struct {
    const char* Text;
    util::TColor Colour;
  } kStatus[] = {{"NO SYNC", kBertYellow}, {"OFF", kBertNotApplicable}, {"Acquiring", kBertYellow},
                 {"Complete", kBertGreen}};
  const auto& shown = kStatus[static_cast<int>(status)];
  SetLabel(PanelBerAvgStatus, shown.Text);
  // A new palette repaints the label: only when its colour changes.
  if (PanelBerAvgStatus->palette().color(QPalette::Window) != util::ToQColor(shown.Colour)) {
    ColourLabel(PanelBerAvgStatus, shown.Colour, 0x000000, true);
  }
  ProgressBarBerAvg->setValue(static_cast<int>(std::lround(progress)));
  shownStatus_ = status;
}

void TSM_BertControlForm::UpdateBerAverage() {
  const bool locked = Locked();
  ui::BerAverageInputs in;
  in.Now = clock_();
  in.Locked = locked;
  in.Running = SpeedButtonBerAvgGo->isChecked();
  in.InputOn = InputOn();
  in.SampleLength = setup_ != nullptr ? setup_->RxBert[channel_].NumSecsToAverage : 1;
  const ui::BerAverageStep step = averager_.Update(in, [this] { return ReadCounters(); });
  if (!step.Acted) return;
  for (QLabel* label : {LabelBitRate, LabelTotalBits, LabelErrorBits, LabelBer, LabelAvgErrors, LabelAvgBer}) {
    label->setEnabled(locked);
  }
  if (step.Status == ui::BerAverageStatus::NoSync) {
    SpeedButtonBerAvgGo->setChecked(false);
    for (QLabel* label : {LabelTotalBits, LabelErrorBits, LabelBer, LabelAvgErrors, LabelAvgBer}) SetLabel(label, kNoValue);
    ShowAverageStatus(step.Status, 0.0);
    return;
  }
  if (step.Status == ui::BerAverageStatus::Off) {
    ShowAverageStatus(step.Status, 0.0);
    return;
  }
  // The averaging runs: a length below one second is corrected in the setup.
  if (setup_ != nullptr && setup_->RxBert[channel_].NumSecsToAverage < 1) setup_->RxBert[channel_].NumSecsToAverage = 1;
  if (step.PeriodComplete && RadioBerAvgSingle->isChecked()) SpeedButtonBerAvgGo->setChecked(false);
  SetLabel(LabelAvgErrors, WholeNumber(averager_.AverageErrors()));
  SetLabel(LabelAvgBer, util::FloatToExpText(1, 0, averager_.AverageBer()));
  ShowAverageStatus(step.Status, step.Progress);
}

void TSM_BertControlForm::ShowInputOff() {
  ShapeLock->SetColour(kBertInputOff);
  ShapeInvert->SetColour(kBertInputOff);
  for (QLabel* label : {LabelLock, LabelBitRate, LabelInvert, LabelTotalBits, LabelErrorBits, LabelBer, LabelCounter,
                        LabelInversionCount}) {
    SetLabel(label, kOff);
  }
}

void TSM_BertControlForm::UpdateDisplay() {
  if (!shown_ || updating_ || closed_) return;
  updating_ = true;
  pcmFm_ = card::IsPcmFmChannel(card_, channel_);
  UpdateBerAverage();
  if (object_ == nullptr || setup_ == nullptr || gKr20SetMgr == nullptr) {
    updating_ = false;
    return;
  }
  const card::RxBertRecord bert = setup_->RxBert[channel_];
  SetLabel(LabelClockPolarity, util::TrimText(object_->Bert_GetClockPolarity(channel_)));
  SetLabel(LabelInputSource, bert.InputSourceOn != 0 ? "RCVR" + std::to_string(channel_ + 1) : std::string(kOff));

  const std::string pattern = object_->Bert_GetPnPattern(channel_);
  userPatternMode_ = pattern == ui::kUserPatternName;
  SetLabel(LabelPrnPattern, ui::BertPatternDisplayName(pattern));
  PanelUserPattern->setVisible(userPatternMode_);

  SetLabel(LabelBerSampleLength, std::to_string(bert.NumSecsToAverage));
  // Any other code is written as decimal.
  (bert.UserPatternRadix == 1 ? RadioHex : bert.UserPatternRadix == 2 ? RadioBin : RadioDec)->setChecked(true);

  std::string userPattern;
  int userLength = 0;
  object_->Bert_GetUserPattern(channel_, userPattern, userLength);
  SetLabel(LabelUserPattern, card::FormatUserPatternText(userPattern, userLength, bert.UserPatternRadix));
  SetLabel(LabelUserPatternLength, std::to_string(userLength));

  if (bert.InputSourceOn != 0) {
    const settings::BertStatusBlock status = gKr20SetMgr->StatusRecord(card_, channel_).Bert;
    const bool locked = status.Locked != 0;
    SetLabel(LabelLock, locked ? "LOCKED" : "UNLOCK");
    ShapeLock->SetColour(userPatternMode_ ? kBertNotApplicable : locked ? kBertGreen : kBertYellow);
    const double rate = pcmFm_ ? object_->FmRx_GetBitSyncActualSymbolRate(channel_) : object_->Bert_GetBitRate(channel_);
    SetLabel(LabelBitRate, util::FloatToFixedText(24, 5, rate * 0.000001));
    const bool inverted = status.DataInverted != 0;
    SetLabel(LabelInvert, inverted ? "INVERT" : "NORM");
    ShapeInvert->SetColour(inverted ? kBertYellow : kBertGreen);
    if (userPatternMode_ || !locked) {
      for (QLabel* label : {LabelTotalBits, LabelErrorBits, LabelBer, LabelInversionCount}) SetLabel(label, kNoValue);
      SetLabel(LabelCounterCaption, "Pattern Count");
    } else {
      SetLabel(LabelTotalBits, util::FloatToExpText(2, 0, object_->Bert_GetTotalBits(channel_)));
      SetLabel(LabelErrorBits, WholeNumber(status.ErrorBits));
      SetLabel(LabelBer, util::FloatToExpText(1, 0, status.BitErrorRate));
      SetLabel(LabelInversionCount, std::to_string(object_->Bert_GetInversionCount(channel_)));
      SetLabel(LabelCounterCaption, "Lock Loss Count");
    }
    SetLabel(LabelCounter, locked ? std::to_string(status.LockLossCount) : std::string(kNoValue));
  } else {
    ShowInputOff();
  }
  updating_ = false;
}

void TSM_BertControlForm::ResetAveraging() { averager_.Reset(ReadCounters(), clock_()); }

void TSM_BertControlForm::UpdateColors() {
  const util::TColor main = ui::SchemeColour(config::kAppMainBackgroundColor);
  const util::TColor statusBack = ui::SchemeColour(config::kAppStatusBackgroundColor);
  const util::TColor statusLabel = ui::SchemeColour(config::kAppStatusLabelColor);
  const util::TColor statusData = ui::SchemeColour(config::kAppStatusDataColor);
  const util::TColor setupBack = ui::SchemeColour(config::kAppSetupBackgroundColor);
  const util::TColor setupLabel = ui::SchemeColour(config::kAppSetupLabelColor);
  ui::PaintPanel(this, main);
  for (QFrame* panel : {PanelStatus, PanelBerAvgResults}) {
    ColourLabel(panel, statusBack, statusLabel, true);
    for (QLabel* label : panel->findChildren<QLabel*>()) ColourLabel(label, statusBack, statusLabel, false);
  }
  for (QLabel* value : {LabelLock, LabelInvert, LabelCounter, LabelBitRate, LabelTotalBits, LabelErrorBits, LabelBer,
                        LabelInversionCount, LabelAvgErrors, LabelAvgBer}) {
    ColourLabel(value, statusBack, statusData, false);
  }
  for (QFrame* panel : {PanelConfig, PanelUserPattern, PanelBerAvg}) {
    ColourLabel(panel, setupBack, setupLabel, panel != PanelUserPattern);
    for (QWidget* child : panel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      if (child != PanelBerAvgResults && child != PanelUserPattern && child != PanelBerAvgStatus) {
        ColourLabel(child, setupBack, setupLabel, false);
      }
    }
  }
  for (QLabel* editable : {LabelInputSource, LabelClockPolarity, LabelPrnPattern, LabelUserPattern,
                           LabelUserPatternLength, LabelBerSampleLength}) {
    ColourLabel(editable, kEditableBackground, kEditableText, true);
  }
  ShowAverageStatus(shownStatus_, ProgressBarBerAvg->value());
}

// ---- The operator's actions --------------------------------------------------------------------

void TSM_BertControlForm::AfterSetting() {
  ButtonResetStatsClick();
  config::gApp.SetupEdited = 1;
  settings::SaveLastSetupStateIfEnabled();
  UpdateDisplay();
}

void TSM_BertControlForm::LabelInputSourceClick() {
  if (!shown_ || closed_ || setup_ == nullptr || gKr20SetMgr == nullptr) return;
  BertHandlerScope scope(*this);
  const std::uint8_t source = setup_->RxBert[channel_].InputSourceOn != 0 ? 0 : 1;
  gKr20SetMgr->SetBertInputSource(card_, channel_, source);
  AfterSetting();
}

void TSM_BertControlForm::LabelClockPolarityClick() {
  if (!shown_ || closed_) return;
  BertHandlerScope scope(*this);
  const QAction* chosen = util::PopupMenuChoice(PopupMenuClockPolarity);
  if (closed_ || chosen == nullptr) return;
  ClockPolarityItemClick(chosen);
}

void TSM_BertControlForm::ClockPolarityItemClick(const QAction* item) {
  if (item == nullptr || closed_ || gKr20SetMgr == nullptr) return;
  BertHandlerScope scope(*this);
  const int tag = item->data().toInt();
  if (tag < 0 || static_cast<std::size_t>(tag) >= clockPolarities_.size()) return;
  gKr20SetMgr->SetBertClockPolarity(card_, channel_, clockPolarities_[static_cast<std::size_t>(tag)]);
  AfterSetting();
}

void TSM_BertControlForm::LabelPrnPatternClick() {
  if (!shown_ || closed_) return;
  BertHandlerScope scope(*this);
  const QAction* chosen = util::PopupMenuChoice(PopupMenuPrnPattern);
  if (closed_ || chosen == nullptr) return;
  PrnPatternItemClick(chosen);
}

void TSM_BertControlForm::PrnPatternItemClick(const QAction* item) {
  if (item == nullptr || closed_ || gKr20SetMgr == nullptr) return;
  BertHandlerScope scope(*this);
  const int tag = item->data().toInt();
  if (tag < 0 || static_cast<std::size_t>(tag) >= patterns_.size()) return;
  gKr20SetMgr->SetBertPnPattern(card_, channel_, patterns_[static_cast<std::size_t>(tag)]);
  AfterSetting();
}

void TSM_BertControlForm::LabelUserPatternClick() {
  if (!shown_ || closed_ || setup_ == nullptr || gKr20SetMgr == nullptr) return;
  BertHandlerScope scope(*this);
  std::int32_t length = setup_->RxBert[channel_].UserPatternLength;
  // A cancelled prompt ends here: the card keeps its pattern and its counters.
  if (util::AskIntInRange("Enter the number of bits in the pattern [8,16,24, or 32 only] (0x for hex)", length, 32, 10,
                          8) != util::PromptResult::Answered) {
    if (!closed_) UpdateDisplay();
    return;
  }
  if (closed_) return;
  length = ui::RoundUpPatternLength(length);
  std::uint32_t pattern = setup_->RxBert[channel_].UserPattern;
  if (util::AskUnsignedInRange("Enter the pattern (0x for hex)", pattern, 4294967295u, 10, 0) !=
      util::PromptResult::Answered) {
    if (!closed_) UpdateDisplay();
    return;
  }
  if (closed_) return;
  // The card would keep only the pattern's low bits: a pattern longer than its length is refused.
  if (!ui::PatternFitsLength(pattern, length)) {
    util::Dialogs().ShowMessage("ERROR", ui::PatternTooLongText(pattern, length));
    if (!closed_) UpdateDisplay();
    return;
  }
  gKr20SetMgr->SetBertUserPattern(card_, channel_, pattern, length);
  AfterSetting();
}

void TSM_BertControlForm::LabelBerSampleLengthClick() {
  if (!shown_ || closed_ || setup_ == nullptr || gKr20SetMgr == nullptr) return;
  BertHandlerScope scope(*this);
  std::int32_t seconds = setup_->RxBert[channel_].NumSecsToAverage;
  const bool answered = util::PromptIntInRange("Enter the number of seconds to average the BER over", seconds, 600, 10, 1);
  if (closed_) return;
  if (!answered) {
    UpdateDisplay();
    return;
  }
  gKr20SetMgr->SetBertSampleLength(card_, channel_, seconds);
  ButtonResetStatsClick();
}

void TSM_BertControlForm::ButtonResetStatsClick() {
  if (closed_ || gKr20SetMgr == nullptr) return;
  gKr20SetMgr->ResetBertStats(card_, channel_);
  util::SpeakerTick();
  ResetAveraging();
  averager_.ClearResults();
  config::gApp.SetupEdited = 1;
  UpdateDisplay();
}

void TSM_BertControlForm::RadioBinClick() {
  if (updating_ || closed_ || setup_ == nullptr) return;
  const std::int32_t radix = RadioDec->isChecked() ? 0 : RadioBin->isChecked() ? 2 : 1;
  setup_->RxBert[channel_].UserPatternRadix = radix;
  config::gApp.SetupEdited = 1;
  settings::SaveLastSetupStateIfEnabled();
  UpdateDisplay();
}

void TSM_BertControlForm::RadioBerAvgSingleClick() {
  if (updating_ || closed_) return;
  SpeedButtonBerAvgGo->setChecked(false);
  ResetAveraging();
  UpdateDisplay();
}

void TSM_BertControlForm::SpeedButtonBerAvgGoClick() {
  if (closed_) return;
  if (SpeedButtonBerAvgGo->isChecked()) ResetAveraging();
  UpdateDisplay();
}
