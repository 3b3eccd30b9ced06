#include "ui/displays/setup_main_status_form.h"

#include <string>

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>

#include "card/card_routines.h"
#include "card/dncvt_manager.h"
#include "card/kr20card.h"
#include "card/mode_routines.h"
#include "config/globals.h"
#include "config/gui/menu_routines.h"
#include "config/options_store.h"
#include "settings/set_manager.h"
#include "ui/displays/bar_gauge.h"
#include "ui/scheme_colours.h"
#include "ui/displays/fft_widget_form.h"
#include "ui/fill_parent.h"
#include "ui/displays/iq_form.h"
#include "util/number_text.h"

namespace {

constexpr int kFftWidth = 152;
constexpr int kIqWidth = 152;
constexpr int kStatusWidth = 164;
constexpr int kRssiWidth = 30;
constexpr int kGaugeMinimum = -20;
constexpr int kGaugeMaximum = 120;
constexpr util::TColor kLampLocked = 0x00FF00u;
constexpr util::TColor kLampUnlocked = 0x00FFFFu;

// Rows of the status column.
constexpr int kRowTop = 20;
constexpr int kRowStep = 18;
constexpr int kRowHeight = 16;
// Captions and values share the row: a caption may reach under the value's free left part.
constexpr int kCaptionX = 4;
constexpr int kCaptionWidth = 116;
constexpr int kValueX = 96;
constexpr int kValueWidth = 64;
constexpr int kLampX = 60;
constexpr int kStrengthHeight = 16;

QFrame* MakePanel(QWidget* parent, const char* name, int width) {
  auto* panel = new QFrame(parent);
  panel->setObjectName(QString::fromLatin1(name));
  config::RemovePanelBevels(panel);
  if (width > 0) panel->setFixedWidth(width);
  return panel;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, QRect at, Qt::Alignment alignment) {
  auto* label = new QLabel(text, parent);
  if (name != nullptr) label->setObjectName(QString::fromLatin1(name));
  label->setGeometry(at);
  label->setAlignment(alignment | Qt::AlignVCenter);
  return label;
}

QRect Row(int row, int x, int width) { return QRect(x, kRowTop + row * kRowStep, width, kRowHeight); }

// The combining-mode code of the card from channel 0's copy of the route information.
int CombiningCode(const settings::ChannelStatusRecord& record) {
  const settings::RouteInfoCopy route = record.RouteInfo;
  return card::GetCombiningModeName(static_cast<int>(route.ModeFunction), static_cast<int>(route.RouteMode),
                                    route.RouteBytes[0] != 0, route.RouteBytes[1] != 0)
      .Code;
}

bool IsFmCode(int code) { return code == 0 || code == 4 || code == 6; }

bool ValidChannel(int card, int channel) {
  return gKr20SetMgr != nullptr && card >= 0 && card < settings::kCards && channel >= 0 && channel < settings::kChannels;
}

}  // namespace

TSetupMainStatusForm::TSetupMainStatusForm(QWidget* owner, int channel, int card)
    : QWidget(owner), card_(card), channel_(channel) {
  setObjectName(QStringLiteral("SetupMainStatusForm"));
  QFont font = this->font();
  font.setPixelSize(10);
  setFont(font);
  ui::FillParent(this);

  PanelFftBackground1 = MakePanel(this, "PanelFftBackground1", kFftWidth);
  PanelFft1 = MakePanel(PanelFftBackground1, "PanelFft1", 0);
  ui::FillParent(PanelFft1);
  PanelIqBackground1 = MakePanel(this, "PanelIqBackground1", kIqWidth);
  PanelIq1 = MakePanel(PanelIqBackground1, "PanelIq1", 0);
  ui::FillParent(PanelIq1);
  PanelStatusCh1 = MakePanel(this, "PanelStatusCh1", kStatusWidth);
  PanelRssi = MakePanel(this, "PanelRssi", kRssiWidth);
  BuildStatusColumn();
  BuildRssiPanel();

  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);
  for (QFrame* panel : {PanelFftBackground1, PanelIqBackground1, PanelStatusCh1, PanelRssi}) row->addWidget(panel);
  row->addStretch(1);

  BindStatusContext();
  LabelStatusCh1->setText(QStringLiteral("CH ") + QString::fromStdString(std::to_string(channel + 1).substr(0, 1)) +
                          QStringLiteral(" Status"));
  ApplyStatusColours();
  show();
}

TSetupMainStatusForm::~TSetupMainStatusForm() = default;

void TSetupMainStatusForm::BuildStatusColumn() {
  QWidget* column = PanelStatusCh1;
  LabelStatusCh1 = MakeLabel(column, "LabelStatusCh1", QString(), QRect(kCaptionX, 2, kStatusWidth - 8, kRowHeight),
                             Qt::AlignLeft);
  QFont bold = LabelStatusCh1->font();
  bold.setBold(true);
  LabelStatusCh1->setFont(bold);

  const Qt::Alignment left = Qt::AlignLeft;
  const Qt::Alignment right = Qt::AlignRight;
  const int captionWidth = kCaptionWidth;
  CaptionIfLevel = MakeLabel(column, nullptr, QStringLiteral("IF Level (dBm)"), Row(0, kCaptionX, captionWidth), left);
  LabelIfLevel1 = MakeLabel(column, "LabelIfLevel1", QString(), Row(0, kValueX, kValueWidth), right);
  CaptionEbNo = MakeLabel(column, nullptr, QStringLiteral("EbNo (dB)"), Row(1, kCaptionX, captionWidth), left);
  LabelEbNo1 = MakeLabel(column, "LabelEbNo1", QString(), Row(1, kValueX, kValueWidth), right);
  CaptionPeakDeviation =
      MakeLabel(column, nullptr, QStringLiteral("Peak Deviation"), Row(2, kCaptionX, captionWidth), left);
  LabelPeakDeviation1 = MakeLabel(column, "LabelPeakDeviation1", QString(), Row(2, kValueX, kValueWidth), right);
  CaptionCarPwr =
      MakeLabel(column, nullptr, QStringLiteral("Carrier Power (dBm)"), Row(3, kCaptionX, captionWidth), left);
  LabelCarPwr1 = MakeLabel(column, "LabelCarPwr1", QString(), Row(3, kValueX, kValueWidth), right);
  CaptionCarFreq =
      MakeLabel(column, nullptr, QStringLiteral("Carrier Freq (MHz)"), Row(4, kCaptionX, captionWidth), left);
  LabelCarFreq1 = MakeLabel(column, "LabelCarFreq1", QString(), Row(4, kValueX, kValueWidth), right);
  CaptionBsLock = MakeLabel(column, nullptr, QStringLiteral("Bit Sync"), Row(5, kCaptionX, kLampX - kCaptionX), left);
  ShapeBsLock1 = MakePanel(column, "ShapeBsLock1", 0);
  ShapeBsLock1->setGeometry(kLampX, kRowTop + 5 * kRowStep + 3, 20, 10);
  ShapeBsLock1->setToolTip(QStringLiteral("Bit Sync Lock Ch 1"));
  LabelBsLock1 = MakeLabel(column, "LabelBsLock1", QString(), Row(5, kValueX, kValueWidth), right);
  CaptionRefLock = MakeLabel(column, nullptr, QStringLiteral("Ref Lock"), Row(6, kCaptionX, kLampX - kCaptionX), left);
  ShapeRefLock1 = MakePanel(column, "ShapeRefLock1", 0);
  ShapeRefLock1->setGeometry(kLampX, kRowTop + 6 * kRowStep + 3, 20, 10);
  ShapeRefLock1->setToolTip(QStringLiteral("Dn Cvt Ref Lock"));
  LabelRefLock1 = MakeLabel(column, "LabelRefLock1", QString(), Row(6, kValueX, kValueWidth), right);
  for (QFrame* lamp : {ShapeBsLock1, ShapeRefLock1}) ui::PaintPanel(lamp, kLampUnlocked);
}

void TSetupMainStatusForm::BuildRssiPanel() {
  PanelRssiGauge = MakePanel(PanelRssi, "PanelRssiGauge", 0);
  PanelRssiGauge->setToolTip(QStringLiteral("RSSI"));
  CGaugeCh1 = new ui::BarGauge(PanelRssiGauge, kGaugeMinimum, kGaugeMaximum);
  CGaugeCh1->setObjectName(QStringLiteral("CGaugeCh1"));
  CGaugeCh1->SetForeColour(kLampLocked);
  CGaugeCh1->SetBackColour(0);
  ui::FillParent(CGaugeCh1);
  LabelStrength1 = new QLabel(PanelRssi);
  LabelStrength1->setObjectName(QStringLiteral("LabelStrength1"));
  LabelStrength1->setToolTip(QStringLiteral("Strength dBm Ch A"));
  LabelStrength1->setAlignment(Qt::AlignCenter);
  PanelAgcZeroRssiPos1 = MakePanel(PanelRssiGauge, "PanelAgcZeroRssiPos1", 0);
  PanelAgcZeroRssiPos1->setFixedHeight(3);
  ui::PaintPanel(PanelAgcZeroRssiPos1, 0x0000FFu);
  PanelAgcZeroRssiPos1->hide();

  auto* column = new QVBoxLayout(PanelRssi);
  column->setContentsMargins(2, 2, 2, 2);
  column->setSpacing(2);
  column->addWidget(PanelRssiGauge, 1);
  LabelStrength1->setFixedHeight(kStrengthHeight);
  column->addWidget(LabelStrength1);
}

void TSetupMainStatusForm::BindStatusContext() {
  cardObject_ = card::CardObject(card_);
  setup_ = cardObject_ != nullptr ? &cardObject_->Setup() : nullptr;
  dnCvtIndex_ = card::GetDownConverterIndex(card_, channel_);
  dnCvtPresent_ = dnCvtIndex_ >= 0 && card::HasDownConverter(card_, channel_);
}

void TSetupMainStatusForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // Shown again after a hide, the displays are already there.
  if (!displaysCreated_) CreateChannelDisplays();
  ArrangeStatusPanel();
  ApplyStatusColours();
}

void TSetupMainStatusForm::CreateChannelDisplays() {
  if (displaysCreated_) return;
  iqForm_ = new TSC_IQForm(PanelIq1, channel_, card_);
  ui::FillParent(iqForm_);
  iqForm_->ResetIqDisplay();
  iqForm_->show();
  iqForm_->raise();
  iqForm_->ApplyIqColours();

  fftForm_ = new TFft_WidgetForm(PanelFft1, channel_, card_);
  ui::FillParent(fftForm_);
  fftForm_->show();
  fftForm_->InitSpectrumView();
  fftForm_->raise();
  fftForm_->ApplySpectrumColours();
  displaysCreated_ = true;
}

void TSetupMainStatusForm::ArrangeStatusPanel() {
  int code = card::kUnknownCombiningMode;
  if (ValidChannel(card_, 0)) code = CombiningCode(gKr20SetMgr->StatusRecord(card_, 0));
  const int route = card::GetCardRouteMode(card_);
  const bool wide = setup_ != nullptr && setup_->RouteInfo.FpgaMasterMode == 1 && route != 0;

  // The FM channel is the one whose receiver the card runs as PCM/FM, whatever its number: in
  // "PSKFM INDEPENDENT" and "MH-FM PRE-D COMBINER" that is channel 2. It has no constellation, and
  // its peak deviation is its measure.
  const bool fmChannel = card::IsPcmFmChannel(card_, channel_);
  // The double-width spectrum takes the constellation's place: both would not fit the panel.
  const bool hideIq = IsFmCode(code) || fmChannel || wide;
  PanelIqBackground1->setVisible(!hideIq);
  if (iqForm_ != nullptr) iqForm_->setVisible(!hideIq);

  const int spectrumWidth = hideIq ? 2 * kIqWidth : kIqWidth;
  PanelFftBackground1->setFixedWidth(spectrumWidth);

  const bool deviation = IsFmCode(code) || fmChannel;
  LabelPeakDeviation1->setVisible(deviation);
  CaptionPeakDeviation->setVisible(deviation);

  BindStatusContext();
  for (QWidget* part : std::initializer_list<QWidget*>{CaptionRefLock, ShapeRefLock1, LabelRefLock1, PanelRssi}) {
    part->setVisible(dnCvtPresent_);
  }
}

void TSetupMainStatusForm::UpdateChannelStatus() {
  if (!displaysCreated_) return;
  UpdateStatusLabels();
  if (iqForm_ != nullptr) iqForm_->UpdateIqPoints();
  if (fftForm_ != nullptr) fftForm_->UpdateSpectrum();
}

void TSetupMainStatusForm::SetLamp(QFrame* lamp, QLabel* text, bool locked) {
  ui::PaintPanel(lamp, locked ? kLampLocked : kLampUnlocked);
  text->setText(locked ? QStringLiteral("Lock") : QStringLiteral("Unlock"));
}

void TSetupMainStatusForm::UpdateStatusLabels() {
  if (!ValidChannel(card_, channel_)) return;
  const settings::ChannelStatusRecord& record = gKr20SetMgr->StatusRecord(card_, channel_);
  const auto text = [](int length, int decimals, double value) {
    return QString::fromStdString(util::FloatToFixedText(length, decimals, value));
  };

  PanelAgcZeroRssiPos1->hide();
  const double strength = record.DnCvt.SignalStrength;
  LabelStrength1->setText(text(5, 0, strength));
  LabelIfLevel1->setText(text(5, 1, record.Receiver.SignalPowerDbm));
  // The bar's -20 .. 120 covers -120 dBm .. +20 dBm.
  CGaugeCh1->SetProgress(100 - util::RoundToInt(-strength));
  util::TColor gauge = ui::SchemeColour(channel_ == 0 ? config::kGaugeDataColor1 : config::kGaugeDataColor2);
  if (const config::kr20optionclass* options = config::gApp.Options; options != nullptr) {
    if (strength >= options->Info().RxSignalStrengthWarningMax) {
      gauge = ui::SchemeColour(config::kMaxStrengthColor);
    } else if (strength <= options->Info().RxSignalStrengthWarningMin) {
      gauge = ui::SchemeColour(config::kMinStrengthColor);
    }
  }
  CGaugeCh1->SetForeColour(gauge);

  LabelCarFreq1->setText(text(9, 4, record.Receiver.ActualSignalFreqHz * 0.000001));
  LabelCarPwr1->setText(text(9, 2, record.Receiver.TotalPowerDbm));
  LabelPeakDeviation1->setText(text(9, 2, record.Receiver.ModIndexCompensated));

  const settings::BitSyncStatusBlock bitSync = record.BitSync1;
  LabelEbNo1->setText(text(9, 1, bitSync.EbNoDb));
  SetLamp(ShapeBsLock1, LabelBsLock1, bitSync.Locked != 0);
  SetLamp(ShapeRefLock1, LabelRefLock1, record.DnCvt.PllStatus1 == 0);
}

void TSetupMainStatusForm::ApplyStatusColours() {
  if (iqForm_ != nullptr) iqForm_->ApplyIqColours();
  if (fftForm_ != nullptr) fftForm_->ApplySpectrumColours();
  const util::TColor background = ui::SchemeColour(config::kAppSetupBackgroundColor);
  for (QWidget* panel : std::initializer_list<QWidget*>{this, PanelFftBackground1, PanelIqBackground1, PanelStatusCh1,
                                                        PanelRssi, PanelRssiGauge}) {
    ui::PaintPanel(panel, background);
  }
  const util::TColor captions = ui::SchemeColour(config::kAppSetupLabelColor);
  for (QLabel* caption : {CaptionIfLevel, CaptionEbNo, CaptionPeakDeviation, CaptionCarPwr, CaptionCarFreq,
                          CaptionBsLock, CaptionRefLock}) {
    ui::SetTextColour(caption, captions);
  }
  ui::SetTextColour(LabelStatusCh1, ui::SchemeColour(config::kAppStatusLabelColor));
  const util::TColor values = ui::SchemeColour(config::kAppStatusDataColor);
  for (QLabel* value : {LabelIfLevel1, LabelEbNo1, LabelPeakDeviation1, LabelCarPwr1, LabelCarFreq1, LabelBsLock1,
                        LabelRefLock1, LabelStrength1}) {
    ui::SetTextColour(value, values);
  }
  if (displaysCreated_) UpdateStatusLabels();
}

void TSetupMainStatusForm::CloseChannelDisplays() {
  if (iqForm_ != nullptr) {
    iqForm_->CloseIqDisplay();
    delete iqForm_;
    iqForm_ = nullptr;
  }
  if (fftForm_ != nullptr) {
    fftForm_->CloseSpectrumDisplay();
    delete fftForm_;
    fftForm_ = nullptr;
  }
  // Without displays the periodic refresh has nothing to update.
  displaysCreated_ = false;
}
