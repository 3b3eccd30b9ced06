#include "ui/dialogs/option_edit_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <string>

#include "config/options_store.h"
#include "ui/dialogs/flight_record_columns_form.h"
#include "ui/dialogs/send_recolour.h"
#include "ui/dialogs/user_colour_dialog.h"
#include "ui/setup/value_label.h"
#include "util/gui/delete_widget.h"
#include "util/number_text.h"
#include "util/prompts.h"

namespace {

constexpr double kStrengthLower = -100.0;
constexpr double kStrengthUpper = 0.0;
constexpr int kStrengthDecimals = 0;  // whole dBm
constexpr double kAcfLower = -50.0;
constexpr double kAcfUpper = 50.0;
constexpr std::int32_t kWeightLower = 1;
constexpr std::int32_t kWeightUpper = 127;
constexpr int kWeightShift = 16;

// Numbers two decimals, cut to the panel's characters.
QString NumberText(double value, int maxLength) {
  return QString::fromStdString(util::FloatToFixedText(maxLength, 2, value));
}

QString WeightText(std::uint32_t field) {
  return QString::fromStdString(util::IntToHexText(field >> kWeightShift, 2, true));
}

// The weight in the upper 16 bits; the lower 16 bits stay as they were.
void PromptWeight(const char* title, std::uint32_t& field) {
  const auto stored = static_cast<std::int32_t>(field >> kWeightShift);
  std::int32_t weight = stored;
  // Cancelled, or the offered value taken as it was (it may lie below the prompt's range): the
  // field stays.
  if (util::AskIntInRange(title, weight, kWeightUpper, 10, kWeightLower) != util::PromptResult::Answered ||
      weight == stored) {
    return;
  }
  weight = std::clamp(weight, kWeightLower, kWeightUpper);
  field = (field & 0xFFFFu) | (static_cast<std::uint32_t>(weight) << kWeightShift);
}

void PromptNumber(const std::string& title, double& field, double lower, double upper, int decimals = 2) {
  double value = field;
  if (util::PromptDoubleInRange(title, value, decimals, lower, upper)) field = value;
}

QLabel* MakeValue(QWidget* parent, const QString& name) {
  auto* value = new setup::ValueLabel(parent);
  value->setObjectName(name);
  value->setAutoFillBackground(true);
  QPalette palette = value->palette();
  palette.setColor(QPalette::Window, Qt::black);
  palette.setColor(QPalette::WindowText, Qt::yellow);
  value->setPalette(palette);
  value->setFrameShape(QFrame::Panel);
  value->setFrameShadow(QFrame::Sunken);
  value->setAlignment(Qt::AlignCenter);
  value->setMinimumWidth(70);
  value->setCursor(Qt::PointingHandCursor);
  return value;
}

template <class Button>
Button* MakeButton(QWidget* parent, const char* name, const char* caption) {
  auto* button = new Button(QString::fromUtf8(caption), parent);
  button->setObjectName(QString::fromUtf8(name));
  return button;
}

}  // namespace

TVexaCmnOptionEditDlg::TVexaCmnOptionEditDlg(QWidget* owner) : QDialog(owner) {
  setObjectName("VexaCmnOptionEditDlg");
  setWindowTitle("System Options");
  auto* layout = new QVBoxLayout(this);
  PageControl = new QTabWidget(this);
  PageControl->setObjectName("PageControl");
  PageControl->addTab(BuildOperationsPage(), "Operations");
  PageControl->addTab(BuildUtilityPage(), "Utility");
  PageControl->addTab(BuildCardSettingsPage(), "Unique Card Settings");
  PageFltRecordSetup = new QWidget(PageControl);
  PageFltRecordSetup->setObjectName("PageFltRecordSetup");
  PageControl->addTab(PageFltRecordSetup, "Flt Record Setup");
  layout->addWidget(PageControl);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  OKBtn = MakeButton<QPushButton>(this, "OKBtn", "OK");
  CancelBtn = MakeButton<QPushButton>(this, "CancelBtn", "Cancel");
  OKBtn->setAutoDefault(false);
  CancelBtn->setAutoDefault(false);
  buttons->addWidget(OKBtn);
  buttons->addWidget(CancelBtn);
  layout->addLayout(buttons);
  connect(OKBtn, &QPushButton::clicked, this, &TVexaCmnOptionEditDlg::OKBtnClick);
  connect(CancelBtn, &QPushButton::clicked, this, &TVexaCmnOptionEditDlg::CancelBtnClick);
}

TVexaCmnOptionEditDlg::~TVexaCmnOptionEditDlg() = default;

QWidget* TVexaCmnOptionEditDlg::BuildOperationsPage() {
  auto* page = new QWidget(this);
  page->setObjectName("PageOperations");
  auto* grid = new QGridLayout(page);
  auto flag = [this](QAbstractButton* button) {
    connect(button, &QAbstractButton::clicked, this, &TVexaCmnOptionEditDlg::CheckBoxDisableSpeakerClick);
  };

  auto* rate = new QGroupBox("Log Receiver Parameters Rate", page);
  auto* rateRow = new QHBoxLayout(rate);
  RadioButton1Hz = MakeButton<QRadioButton>(rate, "RadioButton1Hz", "1 Hz");
  RadioButton5Hz = MakeButton<QRadioButton>(rate, "RadioButton5Hz", "5 Hz");
  RadioButton10Hz = MakeButton<QRadioButton>(rate, "RadioButton10Hz", "10 Hz");
  RadioButton25Hz = MakeButton<QRadioButton>(rate, "RadioButton25Hz", "25 Hz");
  for (QRadioButton* button : {RadioButton1Hz, RadioButton5Hz, RadioButton10Hz, RadioButton25Hz}) {
    rateRow->addWidget(button);
    flag(button);
  }
  grid->addWidget(rate, 0, 0);

  auto* startup = new QGroupBox("Startup", page);
  auto* startupColumn = new QVBoxLayout(startup);
  RadioButtonLoadLastState = MakeButton<QRadioButton>(startup, "RadioButtonLoadLastState", "Load Last State");
  RadioButtonLoadLastSetupFile =
      MakeButton<QRadioButton>(startup, "RadioButtonLoadLastSetupFile", "Load Last Setup File");
  startupColumn->addWidget(RadioButtonLoadLastState);
  startupColumn->addWidget(RadioButtonLoadLastSetupFile);
  flag(RadioButtonLoadLastState);
  flag(RadioButtonLoadLastSetupFile);
  grid->addWidget(startup, 1, 0);

  auto* strength = new QGroupBox("Signal Strength Warning", page);
  auto* strengthGrid = new QGridLayout(strength);
  strengthGrid->addWidget(new QLabel("Max Strength (dBm)", strength), 0, 0);
  PanelMaxStrength = MakeValue(strength, "PanelMaxStrength");
  strengthGrid->addWidget(PanelMaxStrength, 0, 1);
  strengthGrid->addWidget(new QLabel("Min Strength (dBm)", strength), 1, 0);
  PanelMinStrength = MakeValue(strength, "PanelMinStrength");
  strengthGrid->addWidget(PanelMinStrength, 1, 1);
  connect(static_cast<setup::ValueLabel*>(PanelMaxStrength), &setup::ValueLabel::clicked, this,
          &TVexaCmnOptionEditDlg::PanelMaxStrengthClick);
  connect(static_cast<setup::ValueLabel*>(PanelMinStrength), &setup::ValueLabel::clicked, this,
          &TVexaCmnOptionEditDlg::PanelMinStrengthClick);
  grid->addWidget(strength, 2, 0);

  auto* flags = new QWidget(page);
  auto* flagColumn = new QVBoxLayout(flags);
  flagColumn->setContentsMargins(0, 0, 0, 0);
  CheckBoxSingleChannelUsage = MakeButton<QCheckBox>(flags, "CheckBoxSingleChannelUsage", "Single Channel Usage");
  CheckBoxSingleChannelUsage->setToolTip("Only use the first channel of each Kr20 card");
  CheckBoxAlwaysSaveSetups = MakeButton<QCheckBox>(flags, "CheckBoxAlwaysSaveSetups", "Always Save Setup w/o Prompt");
  CheckBoxRecallTestModOutputState =
      MakeButton<QCheckBox>(flags, "CheckBoxRecallTestModOutputState", "Recall TestMod Output States");
  CheckBoxWarnCarrierPeakDeviationRange =
      MakeButton<QCheckBox>(flags, "CheckBoxWarnCarrierPeakDeviationRange", "Carrier Peak Deviation Range Warning");
  CheckBoxViewTestModCarNoiseLevel =
      MakeButton<QCheckBox>(flags, "CheckBoxViewTestModCarNoiseLevel", "View Test Mod Carrier/Noise Level");
  CheckBoxViewCarrierFreqSpan =
      MakeButton<QCheckBox>(flags, "CheckBoxViewCarrierFreqSpan", "Carrier Freq Span Visible");
  CheckBoxMinLastStateSaves = MakeButton<QCheckBox>(flags, "CheckBoxMinLastStateSaves", "Minimal Last State Saves");
  CheckBoxAutoSetFreqSpan = MakeButton<QCheckBox>(flags, "CheckBoxAutoSetFreqSpan", "Auto Set Freq Span");
  for (QCheckBox* box : {CheckBoxSingleChannelUsage, CheckBoxAlwaysSaveSetups, CheckBoxRecallTestModOutputState,
                         CheckBoxWarnCarrierPeakDeviationRange, CheckBoxViewTestModCarNoiseLevel,
                         CheckBoxViewCarrierFreqSpan, CheckBoxMinLastStateSaves, CheckBoxAutoSetFreqSpan}) {
    flagColumn->addWidget(box);
    flag(box);
  }
  flagColumn->addStretch();
  grid->addWidget(flags, 0, 1, 3, 1);

  auto* priority = new QGroupBox("Priority", page);
  auto* priorityRow = new QHBoxLayout(priority);
  RadioPriorityNormal = MakeButton<QRadioButton>(priority, "RadioPriorityNormal", "Normal");
  RadioPriorityHigh = MakeButton<QRadioButton>(priority, "RadioPriorityHigh", "High");
  priorityRow->addWidget(RadioPriorityNormal);
  priorityRow->addWidget(RadioPriorityHigh);
  grid->addWidget(priority, 3, 0);

  auto* affinity = new QGroupBox("Affinity", page);
  auto* affinityGrid = new QGridLayout(affinity);
  CheckBoxAllCpus = MakeButton<QCheckBox>(affinity, "CheckBoxAllCpus", "All CPUs");
  affinityGrid->addWidget(CheckBoxAllCpus, 0, 0);
  for (int i = 0; i < kAffinityBoxes; ++i) {
    const std::string caption = "CPU " + std::to_string(i + 1);
    QCheckBox* box = MakeButton<QCheckBox>(affinity, ("CheckBoxCpu" + std::to_string(i + 1)).c_str(), caption.c_str());
    CheckBoxCpu[static_cast<std::size_t>(i)] = box;
    affinityGrid->addWidget(box, (i + 1) / 5, (i + 1) % 5);
  }
  grid->addWidget(affinity, 3, 1);
  for (QAbstractButton* button :
       {static_cast<QAbstractButton*>(RadioPriorityNormal), static_cast<QAbstractButton*>(RadioPriorityHigh),
        static_cast<QAbstractButton*>(CheckBoxAllCpus)}) {
    connect(button, &QAbstractButton::clicked, this, [this, button] { RadioPriorityNormalClick(button); });
  }
  for (QCheckBox* box : CheckBoxCpu) {
    connect(box, &QAbstractButton::clicked, this, [this, box] { RadioPriorityNormalClick(box); });
  }

  auto* acf = new QGroupBox("Ant Correction Factors", page);
  auto* acfGrid = new QGridLayout(acf);
  for (int i = 0; i < config::kAcfInfoCount; ++i) {
    auto* caption = new QLabel(QStringLiteral("%1)").arg(i + 1), acf);
    caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QLabel* value = MakeValue(acf, QStringLiteral("PanelACF%1").arg(i + 1));
    value->setMinimumWidth(56);
    PanelACF[static_cast<std::size_t>(i)] = value;
    acfGrid->addWidget(caption, i / 6, 2 * (i % 6));
    acfGrid->addWidget(value, i / 6, 2 * (i % 6) + 1);
    connect(static_cast<setup::ValueLabel*>(value), &setup::ValueLabel::clicked, this,
            [this, i] { PanelACF1Click(i); });
  }
  grid->addWidget(acf, 4, 0, 1, 2);
  grid->setRowStretch(5, 1);
  return page;
}

QWidget* TVexaCmnOptionEditDlg::BuildUtilityPage() {
  auto* page = new QWidget(this);
  page->setObjectName("PageUtility");
  auto* column = new QVBoxLayout(page);
  ButtonColors = MakeButton<QPushButton>(page, "ButtonColors", "Change Colors");
  ButtonColors->setAutoDefault(false);
  column->addWidget(ButtonColors, 0, Qt::AlignLeft);
  auto* defaults = new QGroupBox("Default Colors", page);
  auto* defaultsRow = new QHBoxLayout(defaults);
  ButtonDefaultColors = MakeButton<QPushButton>(defaults, "ButtonDefaultColors", "Set Default Colors");
  ButtonDefaultColors->setAutoDefault(false);
  defaultsRow->addWidget(ButtonDefaultColors);
  for (int scheme = 0; scheme < config::kDefaultColorSchemeCount; ++scheme) {
    const std::string caption(config::kColorSchemeNames[static_cast<std::size_t>(scheme)]);
    QRadioButton* radio = MakeButton<QRadioButton>(
        defaults, ("RadioDefaultColors" + std::to_string(scheme + 1)).c_str(), caption.c_str());
    RadioDefaultColors[static_cast<std::size_t>(scheme)] = radio;
    defaultsRow->addWidget(radio);
  }
  defaultsRow->addStretch();
  RadioDefaultColors[0]->setChecked(true);
  column->addWidget(defaults);
  column->addStretch();
  connect(ButtonColors, &QPushButton::clicked, this, &TVexaCmnOptionEditDlg::ButtonColorsClick);
  connect(ButtonDefaultColors, &QPushButton::clicked, this, &TVexaCmnOptionEditDlg::ButtonDefaultColorsClick);
  return page;
}

QWidget* TVexaCmnOptionEditDlg::BuildCardSettingsPage() {
  auto* page = new QWidget(this);
  page->setObjectName("PageUniqueCardSettings");
  auto* grid = new QGridLayout(page);
  int row = 0;
  auto value = [&](const char* caption, const char* name, void (TVexaCmnOptionEditDlg::*handler)()) {
    grid->addWidget(new QLabel(QString::fromUtf8(caption), page), row, 0);
    QLabel* label = MakeValue(page, QString::fromUtf8(name));
    grid->addWidget(label, row, 1);
    connect(static_cast<setup::ValueLabel*>(label), &setup::ValueLabel::clicked, this, handler);
    ++row;
    return label;
  };
  auto flag = [&](const char* name, const char* caption) {
    QCheckBox* box = MakeButton<QCheckBox>(page, name, caption);
    grid->addWidget(box, row++, 0, 1, 2);
    connect(box, &QAbstractButton::clicked, this, &TVexaCmnOptionEditDlg::CheckBoxDisableSpeakerClick);
    return box;
  };
  LabelConstantMultiplier =
      value("Constant Multiplier", "LabelConstantMultiplier", &TVexaCmnOptionEditDlg::LabelConstantMultiplierClick);
  LabelMinEbNoLock = value("Min Eb/No For Lock", "LabelMinEbNoLock", &TVexaCmnOptionEditDlg::LabelMinEbNoLockClick);
  LabelFmBitsyncConfidence = value("FM Bitsync Confidence Weight", "LabelFmBitsyncConfidence",
                                   &TVexaCmnOptionEditDlg::LabelFmBitsyncConfidenceClick);
  LabelFmFmPostDConfidence = value("FM-FM Post-D Confidence Weight", "LabelFmFmPostDConfidence",
                                   &TVexaCmnOptionEditDlg::LabelFmFmPostDConfidenceClick);
  CheckBoxEnableBsEbNoAlg = flag("CheckBoxEnableBsEbNoAlg", "Enable Eb/No Algorithm");
  LabelDefaultCfSpanPct = value("Default Center Freq Span Pct", "LabelDefaultCfSpanPct",
                                &TVexaCmnOptionEditDlg::LabelDefaultCfSpanPctClick);
  CheckBoxEnableIFCarAcqRgAlg = flag("CheckBoxEnableIFCarAcqRgAlg", "Enable Carrier Acq Range");
  CheckBoxEnableIFCarFilterAlg = flag("CheckBoxEnableIFCarFilterAlg", "Enable Carrier IF Filter Setting");
  CheckBoxEnableIFCarCFAlg = flag("CheckBoxEnableIFCarCFAlg", "Enable Carrier IF Center Freq LBW Setting");
  CheckBoxUseDirectCifTuningMode = flag("CheckBoxUseDirectCifTuningMode", "CIF Direct Tuning Mode");
  auto* postD = new QGroupBox("FM-FM POST-D Output", page);
  auto* postDRow = new QHBoxLayout(postD);
  CheckBoxFmFmPostDOut2 = MakeButton<QCheckBox>(postD, "CheckBoxFmFmPostDOut2", "Output is Ch 2");
  postDRow->addWidget(CheckBoxFmFmPostDOut2);
  connect(CheckBoxFmFmPostDOut2, &QAbstractButton::clicked, this, &TVexaCmnOptionEditDlg::CheckBoxDisableSpeakerClick);
  grid->addWidget(postD, row++, 0, 1, 2);
  LabelPredNoiseFilterGain = value("PreD Noise Filter Gain Value", "LabelPredNoiseFilterGain",
                                   &TVexaCmnOptionEditDlg::LabelPredNoiseFilterGainClick);
  grid->setRowStretch(row, 1);
  grid->setColumnStretch(2, 1);
  return page;
}

void TVexaCmnOptionEditDlg::EditOptions(config::kr20optinfo& record) {
  cancelled_ = false;
  // The dialog starts from the stored options, not from changes not yet saved.
  config::kr20optionclass::LoadOptions(record);
  loading_ = true;
  record_ = &record;
  config::kr20optionclass::CopyOptions(backup_, record);
  SetUpProcessorControls();
  PageControl->setCurrentIndex(0);
  fltForm_ = new TFltParamOptionsEditForm(PageFltRecordSetup, record.FlightRecordParamOptions);
  fltForm_->show();
  ShowOptions();
  loading_ = false;
  exec();
  util::DeleteWidget(fltForm_);
  record_ = nullptr;
  config::kr20optionclass::SaveOptions(record);
}

void TVexaCmnOptionEditDlg::SetUpProcessorControls() {
  const config::CpuUsageSettings& usage = record_->CpuUsageInfo;
  for (int i = 0; i < kAffinityBoxes; ++i) {
    QCheckBox* box = CheckBoxCpu[static_cast<std::size_t>(i)];
    box->setVisible(i < usage.ProcessorCount);
    if (i >= usage.ProcessorCount) box->setChecked(false);
  }
  CheckBoxAllCpus->setChecked(usage.ProcessorAffinityMask == usage.AllProcessorsMask);
}

void TVexaCmnOptionEditDlg::ShowOptions() {
  const bool wasUpdating = updating_;
  updating_ = true;
  const config::kr20optinfo& r = *record_;
  const std::int32_t rate = r.DataRecordRateHz;
  RadioButton1Hz->setChecked(rate == 1);
  RadioButton5Hz->setChecked(rate == 5);
  RadioButton25Hz->setChecked(rate == 25);
  RadioButton10Hz->setChecked(rate != 1 && rate != 5 && rate != 25);
  CheckBoxSingleChannelUsage->setChecked(r.SingleChannelUsage != 0);
  RadioButtonLoadLastState->setChecked(r.LoadLastSetupState != 0);
  RadioButtonLoadLastSetupFile->setChecked(r.LoadLastSetupFile != 0);
  CheckBoxAlwaysSaveSetups->setChecked(r.AlwaysSaveSetups != 0);
  PanelMaxStrength->setText(NumberText(r.RxSignalStrengthWarningMax, 9));
  PanelMinStrength->setText(NumberText(r.RxSignalStrengthWarningMin, 9));
  RadioPriorityHigh->setChecked(r.CpuUsageInfo.PriorityHigh != 0);
  RadioPriorityNormal->setChecked(r.CpuUsageInfo.PriorityHigh == 0);
  CheckBoxAllCpus->setChecked(r.CpuUsageInfo.ProcessorAffinityMask == r.CpuUsageInfo.AllProcessorsMask);
  for (int i = 0; i < kAffinityBoxes; ++i) {
    CheckBoxCpu[static_cast<std::size_t>(i)]->setChecked(i < r.CpuUsageInfo.ProcessorCount &&
                                                         util::IsBitSet(r.CpuUsageInfo.ProcessorAffinityMask, i));
  }
  CheckBoxRecallTestModOutputState->setChecked(r.RecallTestModOutputState != 0);
  CheckBoxWarnCarrierPeakDeviationRange->setChecked(r.WarnCarrierPeakDeviationRange != 0);
  CheckBoxViewTestModCarNoiseLevel->setChecked(r.ViewTestModCarNoiseLevel != 0);
  CheckBoxViewCarrierFreqSpan->setChecked(r.ViewCarrierFreqSpan != 0);
  CheckBoxMinLastStateSaves->setChecked(r.MinLastStateSaves != 0);
  CheckBoxAutoSetFreqSpan->setChecked(r.AutoSetFreqSpan != 0);
  for (int i = 0; i < config::kAcfInfoCount; ++i) {
    PanelACF[static_cast<std::size_t>(i)]->setText(NumberText(r.AcfInfo[static_cast<std::size_t>(i)].LoadValue, 5));
  }
  LabelConstantMultiplier->setText(NumberText(r.DnCvtIfConstantMultiplier, 9));
  LabelMinEbNoLock->setText(NumberText(r.MinEbNoBsLock, 9));
  LabelFmBitsyncConfidence->setText(WeightText(r.BitsyncConfidenceWeight));
  LabelFmFmPostDConfidence->setText(WeightText(r.FmFmPostDConfidenceWeight));
  CheckBoxEnableBsEbNoAlg->setChecked(r.EnableBsEbNoAlg != 0);
  LabelDefaultCfSpanPct->setText(NumberText(r.IfCarCfSpanPct, 9));
  CheckBoxEnableIFCarAcqRgAlg->setChecked(r.EnableIFCarAcqRgAlg != 0);
  CheckBoxEnableIFCarFilterAlg->setChecked(r.EnableIFCarFilterAlg != 0);
  CheckBoxEnableIFCarCFAlg->setChecked(r.EnableIFCarCFAlg != 0);
  CheckBoxUseDirectCifTuningMode->setChecked(r.UseDirectCifTuningMode != 0);
  CheckBoxFmFmPostDOut2->setChecked(r.FmFmPostDOut2 != 0);
  LabelPredNoiseFilterGain->setText(NumberText(r.NoiseFilterGainValue, 9));
  updating_ = wasUpdating;
}

// ---- Handlers ------------------------------------------------------------------------------------

void TVexaCmnOptionEditDlg::OKBtnClick() {
  cancelled_ = false;
  // A cell edited but not yet stored (no other cell chosen, no Enter) is kept.
  if (fltForm_ != nullptr) fltForm_->StoreGrids();
  accept();
}

void TVexaCmnOptionEditDlg::CancelBtnClick() { reject(); }

void TVexaCmnOptionEditDlg::reject() {
  cancelled_ = true;
  if (record_ != nullptr) config::kr20optionclass::CopyOptions(*record_, backup_);
  QDialog::reject();
}

void TVexaCmnOptionEditDlg::CheckBoxDisableSpeakerClick() {
  if (Quiet()) return;
  config::kr20optinfo& r = *record_;
  r.DataRecordRateHz = RadioButton1Hz->isChecked()    ? 1
                       : RadioButton5Hz->isChecked()  ? 5
                       : RadioButton25Hz->isChecked() ? 25
                                                      : 10;
  r.SingleChannelUsage = CheckBoxSingleChannelUsage->isChecked() ? 1 : 0;
  r.LoadLastSetupState = RadioButtonLoadLastState->isChecked() ? 1 : 0;
  r.LoadLastSetupFile = RadioButtonLoadLastSetupFile->isChecked() ? 1 : 0;
  r.AlwaysSaveSetups = CheckBoxAlwaysSaveSetups->isChecked() ? 1 : 0;
  r.RecallTestModOutputState = CheckBoxRecallTestModOutputState->isChecked() ? 1 : 0;
  r.WarnCarrierPeakDeviationRange = CheckBoxWarnCarrierPeakDeviationRange->isChecked() ? 1 : 0;
  r.ViewTestModCarNoiseLevel = CheckBoxViewTestModCarNoiseLevel->isChecked() ? 1 : 0;
  r.ViewCarrierFreqSpan = CheckBoxViewCarrierFreqSpan->isChecked() ? 1 : 0;
  r.MinLastStateSaves = CheckBoxMinLastStateSaves->isChecked() ? 1 : 0;
  r.AutoSetFreqSpan = CheckBoxAutoSetFreqSpan->isChecked() ? 1 : 0;
  r.EnableBsEbNoAlg = CheckBoxEnableBsEbNoAlg->isChecked() ? 1 : 0;
  r.EnableIFCarAcqRgAlg = CheckBoxEnableIFCarAcqRgAlg->isChecked() ? 1 : 0;
  r.EnableIFCarFilterAlg = CheckBoxEnableIFCarFilterAlg->isChecked() ? 1 : 0;
  r.EnableIFCarCFAlg = CheckBoxEnableIFCarCFAlg->isChecked() ? 1 : 0;
  r.UseDirectCifTuningMode = CheckBoxUseDirectCifTuningMode->isChecked() ? 1 : 0;
  r.FmFmPostDOut2 = CheckBoxFmFmPostDOut2->isChecked() ? 1 : 0;
  ShowOptions();
}

void TVexaCmnOptionEditDlg::RadioPriorityNormalClick(QAbstractButton* clicked) {
  if (Quiet()) return;
  config::CpuUsageSettings& usage = record_->CpuUsageInfo;
  usage.PriorityHigh = RadioPriorityHigh->isChecked() ? 1 : 0;
  std::uint32_t mask = usage.ProcessorAffinityMask & usage.AllProcessorsMask;
  if (clicked == CheckBoxAllCpus && CheckBoxAllCpus->isChecked()) {
    mask = usage.AllProcessorsMask;
  } else {
    for (int i = 0; i < kAffinityBoxes; ++i) {
      mask = CheckBoxCpu[static_cast<std::size_t>(i)]->isChecked() ? util::SetBit(mask, i) : util::ClearBit(mask, i);
    }
  }
  usage.ProcessorAffinityMask = mask;
  ShowOptions();
}

void TVexaCmnOptionEditDlg::PanelMaxStrengthClick() {
  if (record_ == nullptr) return;
  PromptNumber("Enter Max Signal Strength Before Color Change", record_->RxSignalStrengthWarningMax, kStrengthLower,
               kStrengthUpper, kStrengthDecimals);
  if (record_->RxSignalStrengthWarningMax < record_->RxSignalStrengthWarningMin) {
    util::SwapDoubles(record_->RxSignalStrengthWarningMax, record_->RxSignalStrengthWarningMin);
  }
  ShowOptions();
}

void TVexaCmnOptionEditDlg::PanelMinStrengthClick() {
  if (record_ == nullptr) return;
  PromptNumber("Enter Min Signal Strength Before Color Change", record_->RxSignalStrengthWarningMin, kStrengthLower,
               kStrengthUpper, kStrengthDecimals);
  if (record_->RxSignalStrengthWarningMin > record_->RxSignalStrengthWarningMax) {
    util::SwapDoubles(record_->RxSignalStrengthWarningMax, record_->RxSignalStrengthWarningMin);
  }
  ShowOptions();
}

void TVexaCmnOptionEditDlg::PanelACF1Click(int receiver) {
  if (record_ == nullptr || receiver < 0 || receiver >= config::kAcfInfoCount) return;
  const std::string title =
      "Enter Antenna Correction Factor for Receiver " + util::FloatToFixedText(16, 2, receiver + 1);
  PromptNumber(title, record_->AcfInfo[static_cast<std::size_t>(receiver)].LoadValue, kAcfLower, kAcfUpper);
  ShowOptions();
}

void TVexaCmnOptionEditDlg::LabelConstantMultiplierClick() {
  if (record_ == nullptr) return;
  PromptNumber("Enter the K (Constant Multiplier Value)", record_->DnCvtIfConstantMultiplier, 1.0, 10.0);
  ShowOptions();
}

void TVexaCmnOptionEditDlg::LabelMinEbNoLockClick() {
  if (record_ == nullptr) return;
  PromptNumber("Enter the Minimum Eb/No for bitsync lock status (in dB)", record_->MinEbNoBsLock, 0.0, 25.0);
  ShowOptions();
}

void TVexaCmnOptionEditDlg::LabelFmBitsyncConfidenceClick() {
  if (record_ == nullptr) return;
  PromptWeight("Enter the FM Confidence Weight Factor for bitsync lock status (0x for hex)",
               record_->BitsyncConfidenceWeight);
  ShowOptions();
}

void TVexaCmnOptionEditDlg::LabelFmFmPostDConfidenceClick() {
  if (record_ == nullptr) return;
  PromptWeight("Enter the FM-FM Post-D Confidence Weight Factor for combiner lock status (0x for hex)",
               record_->FmFmPostDConfidenceWeight);
  ShowOptions();
}

void TVexaCmnOptionEditDlg::LabelDefaultCfSpanPctClick() {
  if (record_ == nullptr) return;
  PromptNumber("Enter the Default Center Freq LBW as a Percent of Data Rate", record_->IfCarCfSpanPct, 1.0, 50.0);
  ShowOptions();
}

void TVexaCmnOptionEditDlg::LabelPredNoiseFilterGainClick() {
  if (record_ == nullptr) return;
  PromptNumber("Enter the PreD Noise Filter Gain Value", record_->NoiseFilterGainValue, 1.0, 64.0);
  ShowOptions();
}

void TVexaCmnOptionEditDlg::ButtonColorsClick() {
  if (record_ == nullptr) return;
  TVexaCmnUserColorDlg dialog(this);
  dialog.EditColours(*record_);
}

void TVexaCmnOptionEditDlg::ButtonDefaultColorsClick() {
  if (record_ == nullptr) return;
  int scheme = 0;
  if (!RadioDefaultColors[0]->isChecked()) {
    if (RadioDefaultColors[1]->isChecked()) {
      scheme = 1;
    } else if (RadioDefaultColors[2]->isChecked()) {
      scheme = 2;
    }
  }
  config::kr20optionclass::SelectDefaultColorScheme(scheme, record_->ColorScheme);
  ui::SendRecolour();
}
