#include "ui/modulator/mod_control_form.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressBar>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QShowEvent>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <string_view>

#include "card/card_routines.h"
#include "card/kr20card.h"
#include "card/mode_routines.h"
#include "card/setup_routines.h"
#include "config/globals.h"
#include "config/gui/menu_routines.h"
#include "config/options_store.h"
#include "settings/last_setup.h"
#include "ui/bert/pattern_names.h"
#include "ui/card_window_place.h"
#include "ui/cards/strip_routines.h"
#include "ui/modulator/mod_handler_scope.h"
#include "ui/scheme_colours.h"
#include "util/gui/popup_choice.h"
#include "util/gui/qt_colour.h"
#include "util/number_text.h"
#include "util/prompts.h"

using card::CardSetupRecord;
using card::kr20cardclass;
using card::ModulatorRecord;
using card::TxBertRecord;

// A value label that opens a prompt: what it asks, its limits and where the answer goes.
struct TSM_ModControlForm::PromptField {
  QLabel* label = nullptr;
  std::string title;
  bool integer = false;
  double lower = 0.0;
  double upper = 0.0;
  int decimals = 0;
  std::function<double(const kr20cardclass&, const CardSetupRecord&)> initial;
  std::function<void(kr20cardclass&, double)> apply;
  std::function<void(CardSetupRecord&, double)> store;
};

// A check box: the card operation and the setup field it feeds.
struct TSM_ModControlForm::CheckField {
  QCheckBox* box = nullptr;
  std::function<void(kr20cardclass&, bool)> apply;
  std::function<void(CardSetupRecord&, bool)> store;
};

namespace {

constexpr int kRow = 17;
constexpr int kCaptionWidth = 132;
constexpr int kValueWidth = 100;
// Values the operator clicks to change are yellow on black.
constexpr util::TColor kEditableText = 0x0000FFFF;
constexpr util::TColor kEditableBackground = 0x00000000;
constexpr const char* kSgls = "SGLS";
constexpr const char* kSglsShown = "SUBCAR";
constexpr const char* kRnrz15 = "RNRZ-15";

bool IsOneOf(std::string_view name, std::initializer_list<std::string_view> names) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

// What the menus and labels show for a modulator mode or modulation type.
std::string ModeCaption(const std::string& name) { return name == kSgls ? kSglsShown : name; }
std::string TypeCaption(const std::string& name) {
  if (name == "SQPSK") return "OQPSK";
  if (name == "ARTM_II") return "Multi-h CPM";
  return name;
}

void ColourLabel(QWidget* widget, util::TColor background, util::TColor text) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, util::ToQColor(background));
  palette.setColor(QPalette::WindowText, util::ToQColor(text));
  palette.setColor(QPalette::Text, util::ToQColor(text));
  widget->setPalette(palette);
  widget->setAutoFillBackground(true);
}

QLabel* Caption(QWidget* parent, const QString& text, int x, int y, int w = kCaptionWidth) {
  auto* label = new QLabel(text, parent);
  label->setGeometry(x, y, w, kRow - 2);
  return label;
}

QLabel* Heading(QWidget* parent, const char* name, const QString& text, int x, int y, int w) {
  QLabel* label = Caption(parent, text, x, y, w);
  label->setObjectName(QString::fromLatin1(name));
  QFont bold = label->font();
  bold.setBold(true);
  label->setFont(bold);
  return label;
}

QFrame* Panel(QWidget* parent, const QString& name, int x, int y, int w, int h) {
  auto* panel = new QFrame(parent);
  panel->setObjectName(name);
  panel->setGeometry(x, y, w, h);
  config::RemovePanelBevels(panel);
  return panel;
}

QCheckBox* Check(QWidget* parent, const QString& name, const QString& text, int x, int y, int w = 160) {
  auto* box = new QCheckBox(text, parent);
  box->setObjectName(name);
  box->setGeometry(x, y, w, kRow - 1);
  return box;
}

QString Numbered(const char* prefix, int n) { return QString::fromLatin1(prefix) + QString::number(n); }

void SetText(QLabel* label, const std::string& text) {
  const QString shown = QString::fromStdString(text);
  if (label->text() != shown) label->setText(shown);
}

}  // namespace

// ---- Construction ------------------------------------------------------------------------------

TSM_ModControlForm::TSM_ModControlForm(int card, QWidget* owner) : QWidget(owner, Qt::Tool), card_(card) {
  setObjectName("SM_ModControlForm");
  object_ = card::CardObject(card);
  setup_ = object_ != nullptr ? &object_->Setup() : nullptr;
  setWindowTitle(QString::fromStdString("Kr20 Card " + util::FloatToFixedText(2, 0, card + 1) + " Test Modulator"));
  setFont(ui::StripFont());
  setFixedSize(508, 480);
  BuildLayout();
  PageControlMain->setCurrentIndex(0);
  startWait_ = new QTimer(this);
  startWait_->setObjectName("TimerStartWait");
  startWait_->setInterval(kStartPollMs);
  connect(startWait_, &QTimer::timeout, this, &TSM_ModControlForm::PollStartWait);
  BuildMenus();
  LabelInputSource->setVisible(HasPreDCombiner());
  const bool viewCNo = config::gApp.Options == nullptr || config::gApp.Options->Info().ViewTestModCarNoiseLevel != 0;
  LabelCarrierToNoise->setVisible(viewCNo);
  LabelCarrierToNoiseCaption->setVisible(viewCNo);
}

TSM_ModControlForm::~TSM_ModControlForm() = default;

QLabel* TSM_ModControlForm::ValueLabel(QWidget* parent, const char* name, int x, int y, int w) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setGeometry(x, y, w, kRow - 2);
  label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  label->installEventFilter(this);
  return label;
}

void TSM_ModControlForm::BuildLayout() {
  PageControlMain = new QTabWidget(this);
  PageControlMain->setObjectName("PageControlMain");
  PageControlMain->setGeometry(0, 0, 508, 480);
  const std::array<const char*, 3> names{"TabSheetPrimary", "TabSheetSecondary", "TabSheetMisc"};
  const std::array<const char*, 3> captions{"Primary", "Secondary", "Misc"};
  std::array<QWidget*, 3> tabs{};
  for (std::size_t i = 0; i < tabs.size(); ++i) {
    tabs[i] = new QWidget(PageControlMain);
    tabs[i]->setObjectName(QString::fromLatin1(names[i]));
    PageControlMain->addTab(tabs[i], QString::fromLatin1(captions[i]));
  }
  for (std::size_t m = 0; m < PopupMenus.size(); ++m) {
    PopupMenus[m] = new QMenu(this);
  }
  const std::array<const char*, kMenuCount> menuNames{"PopupMenuModulationMode",
                                                      "PopupMenuModulationType",
                                                      "PopupMenuIQOutputRouting",
                                                      "PopupMenuSymbolRouting",
                                                      "PopupMenuInputPreProcessingsType",
                                                      "PopupMenuIDataSource",
                                                      "PopupMenuQDataSource",
                                                      "PopupMenuPcmDataSource1",
                                                      "PopupMenuPcmOutputCode1",
                                                      "PopupMenuPcmDataSource2",
                                                      "PopupMenuPcmOutputCode2",
                                                      "PopupMenuSubcarrier1InputSource",
                                                      "PopupMenuSubcarrier1ModulationType",
                                                      "PopupMenuTxbPrnPattern1",
                                                      "PopupMenuTxbPrnPattern2"};
  for (std::size_t m = 0; m < PopupMenus.size(); ++m) PopupMenus[m]->setObjectName(QString::fromLatin1(menuNames[m]));
  BuildPrimaryTab(tabs[0]);
  BuildSecondaryTab(tabs[1]);
  BuildMiscTab(tabs[2]);

  // Value labels: true for those that open a popup menu, false for those that prompt.
  clickLabels_ = {{LabelModulationMode, true},   {LabelModulationType, true},     {LabelIQRouting, true},
                  {LabelSymbolRouting, true},    {LabelInputPreprocessing, true}, {LabelIDataSource, true},
                  {LabelQDataSource, true},      {LabelPcmDataSource[0], true},   {LabelPcmOutputCode[0], true},
                  {LabelPcmDataSource[1], true}, {LabelPcmOutputCode[1], true},   {LabelSub1InputSource, true},
                  {LabelSub1Modulation, true},   {LabelTxbPrnPattern[0], true},   {LabelTxbPrnPattern[1], true}};

  auto rounded = [](double v) { return std::round(v); };
  prompts_ = {
      {LabelCarrierFreq, "Enter the IF Carrier Rate in Hz", true, 50000000, 90000000, 0,
       [rounded](const kr20cardclass& c, const CardSetupRecord&) { return rounded(c.GetMod_IfCarrierRateInHz()); },
       [](kr20cardclass& c, double v) { c.SetMod_SetIfCarrierRateInHz(v); },
       [](CardSetupRecord& s, double v) { s.Modulator.CarrierFreqMhz = v * 1e-6; }},
      {LabelCarrierToNoise, "Enter Carrier to Noise Level", false, 0.0, 110.0, 1,
       [](const kr20cardclass& c, const CardSetupRecord&) { return c.GetMod_GetCarrierToNoiseLevel(); },
       [](kr20cardclass& c, double v) { c.SetMod_SetCarrierToNoiseLevel(v); },
       [](CardSetupRecord& s, double v) { s.Modulator.CarrerToNoiseDbm = v; }},
      {LabelFmPeakDeviation, "Enter FM Peak Deviation Factor", false, 0.1, 1.0, 2,
       [](const kr20cardclass& c, const CardSetupRecord&) { return c.GetMod_GetPCMFMPeakDeviationFactor(); },
       [](kr20cardclass& c, double v) { c.SetMod_SetPCMFMPeakDeviationFactor(v); },
       [](CardSetupRecord& s, double v) { s.Modulator.FmPeakDeviationFactor = v; }},
      {LabelPmModIndex, "Enter DIR PSK PM Modulation Index (in radians)", false, 0.0, 3.14159, 5,
       [](const kr20cardclass& c, const CardSetupRecord&) { return c.GetMod_GetDirPcmModIndex(); },
       [](kr20cardclass& c, double v) { c.SetMod_SetDirPcmModIndex(v); },
       [](CardSetupRecord& s, double v) { s.Modulator.DirPskPmModIndex = v; }},
      {LabelSub1Rate, "Enter the Subcarrier Rate in Hz", true, 1, 20000000, 0,
       [rounded](const kr20cardclass& c, const CardSetupRecord&) {
         return rounded(c.GetMod_GetSglsSubCh1SubCarrierRateInHz());
       },
       [](kr20cardclass& c, double v) { c.SetMod_SetSglsSubCh1SubCarrierRateInHz(v); },
       [](CardSetupRecord& s, double v) { s.Modulator.Sub1RateHz = v; }},
      {LabelSub1ModIndex, "Enter Sub Carrier 1 Modulation Index (in radians)", false, 0.0, 3.14159, 5,
       [](const kr20cardclass& c, const CardSetupRecord&) { return c.GetMod_GetSubcarrier1PmModIndex(); },
       [](kr20cardclass& c, double v) { c.SetMod_SetSubcarrier1PmModIndex(v); },
       [](CardSetupRecord& s, double v) { s.Modulator.Subcarrier1PmModIndex = v; }},
      {LabelIPowerLevel, "Enter the I Power Level (dB)", true, 0, 1000, 0,
       [rounded](const kr20cardclass& c, const CardSetupRecord&) { return rounded(c.GetMod_GetIPowerLevel()); },
       [](kr20cardclass& c, double v) { c.SetMod_SetIPowerLevel(v); },
       [](CardSetupRecord& s, double v) { s.Modulator.IPowerLevelDbm = v; }},
      {LabelQPowerLevel, "Enter the Q Power Level (dB)", true, 0, 1000, 0,
       [rounded](const kr20cardclass& c, const CardSetupRecord&) { return rounded(c.GetMod_GetQPowerLevel()); },
       [](kr20cardclass& c, double v) { c.SetMod_SetQPowerLevel(v); },
       [](CardSetupRecord& s, double v) { s.Modulator.QPowerLevelDbm = v; }},
      {LabelMaxOutputCal, "Enter Max Cal Output Offset (dBm)", true, -80, 10, 0,
       [rounded](const kr20cardclass& c, const CardSetupRecord&) {
         return rounded(c.GetMod_GetIfMaxOutputCalOffset());
       },
       [](kr20cardclass& c, double v) { c.SetMod_SetIfMaxOutputCalOffset(v); },
       [](CardSetupRecord& s, double v) { s.Modulator.IFMaxOutuptCal = static_cast<std::int32_t>(v); }},
  };
  for (int bert = 0; bert < 2; ++bert) {
    prompts_.push_back(
        {LabelTxbDataRate[static_cast<std::size_t>(bert)], "Enter the Data Rate in Bps", true, 0, 10000000, 0,
         [bert](const kr20cardclass&, const CardSetupRecord& s) { return std::round(s.TxBert[bert].BitRate); },
         [bert](kr20cardclass& c, double v) { c.TxBert_SetBitRate(bert, v); },
         [bert](CardSetupRecord& s, double v) { s.TxBert[bert].BitRate = v; }});
  }
  for (const PromptField& field : prompts_) clickLabels_.emplace_back(field.label, false);
  for (auto& [label, popup] : clickLabels_) label->setCursor(Qt::PointingHandCursor);
  clickLabels_.emplace_back(LabelInputSource, false);

  checks_ = {
      {CheckBoxCarrierEnabled, [](kr20cardclass& c, bool v) { c.SetMod_SetIfCarrierOn(v); },
       [](CardSetupRecord& s, bool v) { s.Modulator.CarrierEnabled = v ? 1 : 0; }},
      {CheckBoxModulationEnabled, [](kr20cardclass& c, bool v) { c.SetMod_SetIfModulationOn(v); },
       [](CardSetupRecord& s, bool v) { s.Modulator.ModulationEnabled = v ? 1 : 0; }},
      {CheckBoxNoiseEnabled, [](kr20cardclass& c, bool v) { c.SetMod_SetEnableNoiseGeneration(v); },
       [](CardSetupRecord& s, bool v) { s.Modulator.NoiseEnabled = v ? 1 : 0; }},
      {CheckBoxQpskConjugate, [](kr20cardclass& c, bool v) { c.SetMod_SetEnableQpskConjugate(v); },
       [](CardSetupRecord& s, bool v) { s.Modulator.QPSKConjugate = v ? 1 : 0; }},
      {CheckBoxPcm[0][0], [](kr20cardclass& c, bool v) { c.SetMod_SetPcmCh1ConvolutionalEncodingOn(v); },
       [](CardSetupRecord& s, bool v) { s.Modulator.PcmEncoder[0].ConvolutionEncoding = v ? 1 : 0; }},
      {CheckBoxPcm[0][1], [](kr20cardclass& c, bool v) { c.SetMod_SetPcmCh1SwapG1G2(v); },
       [](CardSetupRecord& s, bool v) { s.Modulator.PcmEncoder[0].SwapG1G2 = v ? 1 : 0; }},
      {CheckBoxPcm[0][2], [](kr20cardclass& c, bool v) { c.SetMod_SetPcmCh1InvertG2(v); },
       [](CardSetupRecord& s, bool v) { s.Modulator.PcmEncoder[0].InvertG2 = v ? 1 : 0; }},
      {CheckBoxPcm[0][3], [](kr20cardclass& c, bool v) { c.SetMod_SetPcmCh1InvertData(v); },
       [](CardSetupRecord& s, bool v) { s.Modulator.PcmEncoder[0].InvertData = v ? 1 : 0; }},
      {CheckBoxPcm[0][4], [](kr20cardclass& c, bool v) { c.SetMod_SetPcmCh1FallingEdgeClk(v); },
       [](CardSetupRecord& s, bool v) { s.Modulator.PcmEncoder[0].FallingClockEdge = v ? 1 : 0; }},
      {CheckBoxPcm[1][0], [](kr20cardclass& c, bool v) { c.SetMod_SetPcmCh2ConvolutionalEncodingOn(v); },
       [](CardSetupRecord& s, bool v) { s.Modulator.PcmEncoder[1].ConvolutionEncoding = v ? 1 : 0; }},
      {CheckBoxPcm[1][1], [](kr20cardclass& c, bool v) { c.SetMod_SetPcmCh2SwapG1G2(v); },
       [](CardSetupRecord& s, bool v) { s.Modulator.PcmEncoder[1].SwapG1G2 = v ? 1 : 0; }},
      {CheckBoxPcm[1][2], [](kr20cardclass& c, bool v) { c.SetMod_SetPcmCh2InvertG2(v); },
       [](CardSetupRecord& s, bool v) { s.Modulator.PcmEncoder[1].InvertG2 = v ? 1 : 0; }},
      {CheckBoxPcm[1][3], [](kr20cardclass& c, bool v) { c.SetMod_SetPcmCh2InvertData(v); },
       [](CardSetupRecord& s, bool v) { s.Modulator.PcmEncoder[1].InvertData = v ? 1 : 0; }},
      {CheckBoxPcm[1][4], [](kr20cardclass& c, bool v) { c.SetMod_SetPcmCh2FallingEdgeClk(v); },
       [](CardSetupRecord& s, bool v) { s.Modulator.PcmEncoder[1].FallingClockEdge = v ? 1 : 0; }},
  };
  for (int bert = 0; bert < 2; ++bert) {
    const auto b = static_cast<std::size_t>(bert);
    checks_.push_back({CheckBoxTxbClock[b],
                       [bert](kr20cardclass& c, bool v) { c.TxBert_SetClockPolarity(bert, v ? "invert" : "normal"); },
                       [bert](CardSetupRecord& s, bool v) {
                         card::SetSetupText(s.TxBert[bert].ClockPolarity, v ? "invert" : "normal");
                       }});
    checks_.push_back({CheckBoxTxbData[b],
                       [bert](kr20cardclass& c, bool v) { c.TxBert_SetDataPolarity(bert, v ? "invert" : "normal"); },
                       [bert](CardSetupRecord& s, bool v) {
                         card::SetSetupText(s.TxBert[bert].DataPolarity, v ? "invert" : "normal");
                       }});
  }
  for (const CheckField& field : checks_) {
    QCheckBox* box = field.box;
    connect(box, &QCheckBox::toggled, this, [this, box] { CheckBoxClick(box); });
  }
  connect(ScrollBarCarrierAmplitude, &QScrollBar::valueChanged, this,
          &TSM_ModControlForm::ScrollBarCarrierAmplitudeChange);
  connect(ScrollBarCarrierToNoise, &QScrollBar::valueChanged, this, &TSM_ModControlForm::ScrollBarCarrierToNoiseChange);
  for (std::size_t b = 0; b < 2; ++b) {
    for (QRadioButton* radio : {RadioButtonTxbBin[b], RadioButtonTxbHex[b], RadioButtonTxbDec[b]}) {
      connect(radio, &QRadioButton::clicked, this, [this, radio] { RadixClick(radio); });
    }
  }
}

void TSM_ModControlForm::BuildPrimaryTab(QWidget* tab) {
  QFrame* mod = Panel(tab, "PanelModulator", 2, 2, 246, 246);
  Heading(mod, "LabelModulatorHeading", "Modulator", 4, 2, 120);
  LabelInputSource = ValueLabel(mod, "LabelInputSource", 136, 2, kValueWidth);
  int y = 22;
  auto row = [&](const QString& caption, QLabel*& value, const char* name) {
    QLabel* c = Caption(mod, caption, 4, y);
    value = ValueLabel(mod, name, 136, y, kValueWidth);
    y += kRow;
    return c;
  };
  row("Carrier Freq (MHz)", LabelCarrierFreq, "LabelCarrierFreq");
  LabelSweepOffsetCaption = row("Sweep Offset (Hz)", LabelSweepOffset, "LabelSweepOffset");
  LabelSweepOffsetCaption->setObjectName("LabelSweepOffsetCaption");
  row("Carrier Amplitude (dBm)", LabelCarrierAmplitude, "LabelCarrierAmplitude");
  LabelCarrierAmplitude->removeEventFilter(this);
  ScrollBarCarrierAmplitude = new QScrollBar(Qt::Horizontal, mod);
  ScrollBarCarrierAmplitude->setObjectName("ScrollBarCarrierAmplitude");
  ScrollBarCarrierAmplitude->setRange(-80, 0);
  ScrollBarCarrierAmplitude->setGeometry(4, y, 236, 14);
  y += kRow;
  row("Modulation Mode", LabelModulationMode, "LabelModulationMode");
  row("Modulation Type", LabelModulationType, "LabelModulationType");
  CheckBoxCarrierEnabled = Check(mod, "CheckBoxCarrierEnabled", "Carrier Enabled", 4, y);
  y += kRow;
  CheckBoxModulationEnabled = Check(mod, "CheckBoxModulationEnabled", "Modulation Enabled", 4, y);
  y += kRow;
  CheckBoxNoiseEnabled = Check(mod, "CheckBoxNoiseEnabled", "Noise Enabled", 4, y);
  y += kRow;
  LabelCarrierToNoiseCaption = row("C/No (dB-Hz)", LabelCarrierToNoise, "LabelCarrierToNoise");
  LabelCarrierToNoiseCaption->setObjectName("LabelCarrierToNoiseCaption");
  ScrollBarCarrierToNoise = new QScrollBar(Qt::Horizontal, mod);
  ScrollBarCarrierToNoise->setObjectName("ScrollBarCarrierToNoise");
  ScrollBarCarrierToNoise->setRange(0, 1100);
  ScrollBarCarrierToNoise->setPageStep(10);
  ScrollBarCarrierToNoise->setGeometry(4, y, 236, 14);
  y += kRow;
  row("Est Eb/No", LabelEstEbNo, "LabelEstEbNo");
  LabelEstEbNo->removeEventFilter(this);

  PanelSweep = Panel(tab, "PanelSweep", 252, 2, 248, 246);
  PanelSweep->setToolTip("Right click for Sweep Mode control");
  BuildSweepPanel(PanelSweep);

  QFrame* pcm = Panel(tab, "PanelPcmEncoder", 2, 252, 246, 170);
  for (int e = 0; e < 2; ++e) {
    const auto i = static_cast<std::size_t>(e);
    QFrame* enc = Panel(pcm, Numbered("PanelPcmEncoder", e + 1), 0, e * 62, 246, 58);
    Heading(enc, e == 0 ? "LabelPcmEncoder1Heading" : "LabelPcmEncoder2Heading",
            e == 0 ? "PCM_ENCODER1" : "PCM_ENCODER2", 4, 2, 160);
    Caption(enc, "Data Source", 4, 20);
    LabelPcmDataSource[i] =
        ValueLabel(enc, e == 0 ? "LabelPcmDataSource1" : "LabelPcmDataSource2", 136, 20, kValueWidth);
    Caption(enc, "Output Code", 4, 38);
    LabelPcmOutputCode[i] =
        ValueLabel(enc, e == 0 ? "LabelPcmOutputCode1" : "LabelPcmOutputCode2", 136, 38, kValueWidth);
    // The panels' right-click menus carry two items without an action.
    auto* menu = new QMenu(enc);
    menu->setObjectName(Numbered("PopupMenuPcmEncoder", e + 1));
    menu->addAction("Data Source");
    menu->addAction("Output Code");
  }

  PageControlTxBert = new QTabWidget(tab);
  PageControlTxBert->setObjectName("PageControlTxBert");
  PageControlTxBert->setGeometry(252, 252, 248, 192);
  for (int bert = 0; bert < 2; ++bert) {
    auto* sheet = new QWidget(PageControlTxBert);
    sheet->setObjectName(Numbered("TabSheetTxBert", bert + 1));
    TabSheetTxBert[static_cast<std::size_t>(bert)] = sheet;
    PageControlTxBert->addTab(sheet, QStringLiteral("Tx Bert %1").arg(bert + 1));
    BuildTxBertTab(sheet, bert);
  }
}

void TSM_ModControlForm::BuildTxBertTab(QWidget* tab, int bert) {
  const auto b = static_cast<std::size_t>(bert);
  const std::string n = std::to_string(bert + 1);
  Heading(tab, ("LabelTxBertHeading" + n).c_str(), QStringLiteral("TX BERT %1").arg(bert + 1), 4, 2, 120);
  Caption(tab, "Data Rate (MBps)", 4, 20, 120);
  LabelTxbDataRate[b] = ValueLabel(tab, ("LabelTxbDataRate" + n).c_str(), 128, 20, 110);
  Caption(tab, "Xmitted BER", 4, 38, 120);
  LabelTxbBer[b] = ValueLabel(tab, ("LabelTxbBer" + n).c_str(), 128, 38, 110);
  LabelTxbBer[b]->removeEventFilter(this);
  Caption(tab, "Pattern Select", 4, 56, 120);
  LabelTxbPrnPattern[b] = ValueLabel(tab, ("LabelTxbPrnPattern" + n).c_str(), 128, 56, 110);
  Caption(tab, "Polarity Invert", 4, 74, 120);
  CheckBoxTxbClock[b] = Check(tab, Numbered("CheckBoxTxbClock", bert + 1), "Clock", 128, 74, 56);
  CheckBoxTxbData[b] = Check(tab, Numbered("CheckBoxTxbData", bert + 1), "Data", 186, 74, 54);
  QFrame* user = Panel(tab, Numbered("PanelTxbUserPattern", bert + 1), 0, 94, 244, 64);
  PanelTxbUserPattern[b] = user;
  Caption(user, "User Pattern", 4, 2, 120);
  LabelTxbUserPattern[b] = ValueLabel(user, ("LabelTxbUserPattern" + n).c_str(), 128, 2, 112);
  LabelTxbUserPattern[b]->removeEventFilter(this);
  Caption(user, "User Pattern Len", 4, 20, 120);
  LabelTxbUserPatternLen[b] = ValueLabel(user, ("LabelTxbUserPatternLen" + n).c_str(), 128, 20, 112);
  LabelTxbUserPatternLen[b]->removeEventFilter(this);
  auto radio = [&](const char* prefix, const char* text, int x) {
    auto* button = new QRadioButton(QString::fromLatin1(text), user);
    button->setObjectName(Numbered(prefix, bert + 1));
    button->setGeometry(x, 40, 52, kRow);
    return button;
  };
  RadioButtonTxbBin[b] = radio("RadioButtonTxbBin", "Bin", 4);
  RadioButtonTxbHex[b] = radio("RadioButtonTxbHex", "Hex", 60);
  RadioButtonTxbDec[b] = radio("RadioButtonTxbDec", "Dec", 116);
  RadioButtonTxbHex[b]->setChecked(true);
}

void TSM_ModControlForm::BuildSecondaryTab(QWidget* tab) {
  PanelSubcarrier = Panel(tab, "PanelSubcarrier", 2, 2, 496, 94);
  Heading(PanelSubcarrier, "LabelSubcarrierHeading", "Sub Carrier", 4, 2, 160);
  const std::array<const char*, 4> captions{"Subcarrier 1 Input Source", "Subcarrier 1 Modulation",
                                            "Subcarrier 1 Rate (Hz)", "Subcarrier 1 Mod Index"};
  const std::array<const char*, 4> names{"LabelSub1InputSource", "LabelSub1Modulation", "LabelSub1Rate",
                                         "LabelSub1ModIndex"};
  std::array<QLabel**, 4> values{&LabelSub1InputSource, &LabelSub1Modulation, &LabelSub1Rate, &LabelSub1ModIndex};
  for (std::size_t i = 0; i < captions.size(); ++i) {
    Caption(PanelSubcarrier, captions[i], 4, 20 + static_cast<int>(i) * kRow, 180);
    *values[i] = ValueLabel(PanelSubcarrier, names[i], 190, 20 + static_cast<int>(i) * kRow, 140);
  }
  PanelPmModIndex = Panel(tab, "PanelPmModIndex", 2, 100, 496, 22);
  Caption(PanelPmModIndex, "PSK PM Mod Index (Radians)", 4, 3, 180);
  LabelPmModIndex = ValueLabel(PanelPmModIndex, "LabelPmModIndex", 190, 3, 140);
  PanelFmPeakDeviation = Panel(tab, "PanelFmPeakDeviation", 2, 126, 496, 22);
  Caption(PanelFmPeakDeviation, "FM Peak Deviation Factor", 4, 3, 180);
  LabelFmPeakDeviation = ValueLabel(PanelFmPeakDeviation, "LabelFmPeakDeviation", 190, 3, 140);
  PanelRouting = Panel(tab, "PanelRouting", 2, 152, 496, 76);
  Heading(PanelRouting, "LabelRoutingHeading", "Routing", 4, 2, 160);
  Caption(PanelRouting, "I Data Source", 4, 20, 180);
  LabelIDataSource = ValueLabel(PanelRouting, "LabelIDataSource", 190, 20, 140);
  Caption(PanelRouting, "Q Data Source", 4, 37, 180);
  LabelQDataSource = ValueLabel(PanelRouting, "LabelQDataSource", 190, 37, 140);
  Caption(PanelRouting, "I Q Routing", 4, 54, 180);
  LabelIQRouting = ValueLabel(PanelRouting, "LabelIQRouting", 190, 54, 140);
}

void TSM_ModControlForm::BuildMiscTab(QWidget* tab) {
  QFrame* misc = Panel(tab, "PanelMisc", 2, 2, 496, 124);
  Heading(misc, "LabelMiscHeading", "Misc", 4, 2, 160);
  LabelIPowerLevelCaption = Caption(misc, "I Power Level (dB)", 4, 20, 180);
  LabelIPowerLevelCaption->setObjectName("LabelIPowerLevelCaption");
  LabelIPowerLevel = ValueLabel(misc, "LabelIPowerLevel", 190, 20, 140);
  LabelQPowerLevelCaption = Caption(misc, "Q Power Level (dB)", 4, 37, 180);
  LabelQPowerLevelCaption->setObjectName("LabelQPowerLevelCaption");
  LabelQPowerLevel = ValueLabel(misc, "LabelQPowerLevel", 190, 37, 140);
  for (QLabel* hidden : {LabelIPowerLevelCaption, LabelIPowerLevel, LabelQPowerLevelCaption, LabelQPowerLevel}) {
    hidden->setVisible(false);
  }
  Caption(misc, "Max Output Cal (dBm)", 4, 54, 180);
  LabelMaxOutputCal = ValueLabel(misc, "LabelMaxOutputCal", 190, 54, 140);
  Caption(misc, "Symbol Routing", 4, 71, 180);
  LabelSymbolRouting = ValueLabel(misc, "LabelSymbolRouting", 190, 71, 140);
  Caption(misc, "Input Preprocessing", 4, 88, 180);
  LabelInputPreprocessing = ValueLabel(misc, "LabelInputPreprocessing", 190, 88, 140);
  CheckBoxQpskConjugate = Check(misc, "CheckBoxQpskConjugate", "QPSK Conjugate", 4, 105);
  const std::array<const char*, 5> captions{"Convolution Encoding On", "Swap G1 G2", "Invert G2", "Invert Data",
                                            "Falling Clock Edge"};
  const std::array<const char*, 5> names{"ConvEncoding", "SwapG1G2", "InvertG2", "InvertData", "FallingClockEdge"};
  for (int e = 0; e < 2; ++e) {
    QFrame* enc = Panel(tab, Numbered("PanelMiscPcmEncoder", e + 1), 2 + e * 250, 130, 246, 110);
    Heading(enc, e == 0 ? "LabelMiscPcmEncoder1Heading" : "LabelMiscPcmEncoder2Heading",
            e == 0 ? "PCM_ENCODER1 " : "PCM_ENCODER2", 4, 2, 160);
    for (std::size_t i = 0; i < captions.size(); ++i) {
      CheckBoxPcm[static_cast<std::size_t>(e)][i] =
          Check(enc, QStringLiteral("CheckBoxPcm%1%2").arg(e + 1).arg(QString::fromLatin1(names[i])),
                QString::fromLatin1(captions[i]), 4, 20 + static_cast<int>(i) * kRow, 230);
    }
  }
}

// ---- Showing and closing -----------------------------------------------------------------------

void TSM_ModControlForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (event->spontaneous()) return;
  FormShow();
}

void TSM_ModControlForm::closeEvent(QCloseEvent* event) {
  FormCloseQuery();
  event->accept();
}

void TSM_ModControlForm::FormShow() {
  ui::PlaceCardWindow(*this, card_, config::CardWindowKind::TestModulator);
  if (object_ != nullptr) {
    BuildMenus();
    ArrangeForCard();
  }
  UpdateDisplay();
  shown_ = true;
  UpdateColors();
}

void TSM_ModControlForm::FormCloseQuery() {
  // A pending Start is settled now without prompts: nothing of it runs once the window is gone.
  CancelStartWait();
  if (!shown_) return;
  shown_ = false;
  for (auto& list : lists_) list.clear();
}

void TSM_ModControlForm::MarkClosed() {
  CancelStartWait();
  shown_ = false;
  closed_ = true;
  hide();
}

void TSM_ModControlForm::SaveWindowState() {
  config::WindowPlacementRecord& placement = config::gApp.Placement(card_, config::CardWindowKind::TestModulator);
  placement.WasVisible = isVisible() ? 1 : 0;
  placement.Left = x();
  placement.Top = y();
  placement.Width = width();
  placement.Height = height();
}

// ---- Menus -------------------------------------------------------------------------------------

void TSM_ModControlForm::BuildMenus() {
  if (object_ == nullptr) return;
  const kr20cardclass& c = *object_;
  for (auto& list : lists_) list.clear();
  c.GetMod_GetAvailableModulatorModes(lists_[kModulationMode]);
  c.GetMod_GetSupportedModulations(lists_[kModulationType]);
  c.GetMod_GetSupportedIQOutputRoutings(lists_[kIQOutputRouting]);
  c.GetMod_GetSupportedSymbolRoutings(lists_[kSymbolRouting]);
  c.GetMod_GetSupportedInputPreprocessings(lists_[kInputPreProcessing]);
  c.GetMod_GetAvailableIQDataSources(lists_[kIDataSource]);
  c.GetMod_GetAvailableIQDataSources(lists_[kQDataSource]);
  c.GetMod_GetPcmCh1AvailableDataSources(lists_[kPcmDataSource1]);
  c.GetMod_GetPcmCh1AvailablePcmEncodings(lists_[kPcmOutputCode1]);
  lists_[kPcmOutputCode1].push_back(kRnrz15);
  c.GetMod_GetPcmCh2AvailableDataSources(lists_[kPcmDataSource2]);
  c.GetMod_GetPcmCh2AvailablePcmEncodings(lists_[kPcmOutputCode2]);
  lists_[kPcmOutputCode2].push_back(kRnrz15);
  c.GetMod_GetSglsSubCh1AvailableDataSources(lists_[kSub1InputSource]);
  c.GetMod_GetSglsSubCh1SupportedModulations(lists_[kSub1ModulationType]);
  c.TxBert_GetPnPatternList(0, lists_[kTxbPrnPattern1]);
  c.TxBert_GetPnPatternList(1, lists_[kTxbPrnPattern2]);

  const bool dual = DualTransmit();
  struct Row {
    const char* prefix;
    std::function<std::string(const std::string&)> caption;
    std::function<bool(const std::string&)> visible;
  };
  const auto same = [](const std::string& name) { return name; };
  const auto always = [](const std::string&) { return true; };
  const auto notCmdEncoder = [](const std::string& name) { return name != "CMD_ENCODER"; };
  const auto pcmSource = [](const std::string& name) {
    return IsOneOf(name, {"INPUT_OFF", "TTL_INPUT_1", "TTL_INPUT_2", "422_INPUT_1", "422_INPUT_2", "TX_BERT"});
  };
  const auto pattern = [](const std::string& name) { return ui::BertPatternDisplayName(name); };
  const std::array<Row, kMenuCount> rows{{
      {"ModulationModeInfo", ModeCaption, [](const std::string& name) { return name != "USB"; }},
      {"MenuModulationType", TypeCaption,
       [dual](const std::string& name) {
         return name != "FSK" && (dual || !IsOneOf(name, {"UAQPSK", "AUQPSK"}));
       }},
      {"IQOutputRoutingTypeInfo", same, always},
      {"SupportedSymbolRoutingsTypeInfo", same, always},
      {"InputPreProcessingsTypeInfo", same, always},
      {"MenuIDataSource", same, notCmdEncoder},
      {"MenuQDataSource", same, notCmdEncoder},
      {"MenuPcmDataSource1", same, pcmSource},
      {"MenuPcmOutputCode1", same, always},
      {"MenuPcmDataSource2", same, pcmSource},
      {"MenuPcmOutputCode2", same, always},
      {"MenuSubcarrier1InputSource", same, notCmdEncoder},
      {"MenuSubcarrier1ModulationType", same, [](const std::string& name) { return name != "QPSK"; }},
      {"MenuTxbPrnPattern1", pattern, always},
      {"MenuTxbPrnPattern2", pattern, always},
  }};
  for (int m = 0; m < kMenuCount; ++m) {
    const Row& row = rows[static_cast<std::size_t>(m)];
    QMenu* menu = PopupMenus[static_cast<std::size_t>(m)];
    config::ClearMenu(menu);
    const auto& list = lists_[static_cast<std::size_t>(m)];
    for (std::size_t i = 0; i < list.size(); ++i) {
      const QString name = QString::fromLatin1(row.prefix) +
                           QString::fromStdString(util::FloatToFixedText(2, 0, static_cast<double>(i)));
      const auto which = static_cast<Menu>(m);
      config::AddMenuItemVisible(
          menu, name, QString::fromStdString(row.caption(list[i])), row.visible(list[i]),
          [this, which](QAction* item) { MenuItemClick(which, item); }, this, static_cast<int>(i));
    }
  }
  for (QLabel* label : {LabelIPowerLevel, LabelQPowerLevel}) label->setVisible(false);
}

// ---- Card layout -------------------------------------------------------------------------------

bool TSM_ModControlForm::HasPreDCombiner() const {
  return object_ != nullptr && object_->CardInfo().NumPreDCombiners >= 1;
}

bool TSM_ModControlForm::DualTransmit() const {
  if (object_ == nullptr) return false;
  const card::kr20cardinfo& info = object_->CardInfo();
  return object_->ChipVariant() && info.NumPskReceivers >= 2 && info.NumTxBerts >= 2;
}

void TSM_ModControlForm::ArrangeForCard() {
  if (object_ == nullptr || setup_ == nullptr) return;
  const int mode = card::DeriveOperationalMode(object_->CardInfo(), object_->ChipVariant());
  LabelInputSource->setVisible(HasPreDCombiner());
  const bool direct = card::IsPcmFmPcmFmMode(mode) || !HasPreDCombiner() || setup_->Modulator.InputSourceDirect != 0;
  object_->DoOnSetFpga0RegB00(direct);
  setup_->Modulator.InputSourceDirect = direct ? 1 : 0;
  LabelInputSource->setEnabled(true);
  PageControlTxBert->setCurrentIndex(0);
  PageControlTxBert->setTabVisible(1, DualTransmit());
  int fpga = -1;
  std::int64_t base = -1;
  sweepPresent_ = card::FindModSweepDevice(object_->FpgaInfo(), fpga, base);
  setup_->Modulator.HasModSweep = sweepPresent_ ? 1 : 0;
  for (QWidget* w : std::initializer_list<QWidget*>{LabelSweepOffsetCaption, LabelSweepOffset, PanelSweep}) {
    w->setVisible(sweepPresent_);
  }
}

// ---- Refresh -----------------------------------------------------------------------------------

void TSM_ModControlForm::SetModulatorControlsEnabled(bool direct) {
  for (QWidget* w : std::initializer_list<QWidget*>{
           LabelCarrierFreq,        LabelCarrierAmplitude,     ScrollBarCarrierAmplitude, LabelModulationMode,
           LabelModulationType,     LabelIDataSource,          LabelQDataSource,          LabelIQRouting,
           CheckBoxCarrierEnabled,  CheckBoxModulationEnabled, CheckBoxNoiseEnabled,      LabelCarrierToNoise,
           ScrollBarCarrierToNoise, LabelPmModIndex,           LabelFmPeakDeviation,      LabelPcmDataSource[0],
           LabelPcmDataSource[1],   LabelPcmOutputCode[0],     LabelPcmOutputCode[1],     LabelIPowerLevel,
           LabelQPowerLevel,        CheckBoxQpskConjugate,     LabelMaxOutputCal,         LabelSymbolRouting,
           LabelInputPreprocessing}) {
    w->setEnabled(direct);
  }
  for (const auto& encoder : CheckBoxPcm) {
    for (QCheckBox* box : encoder) box->setEnabled(direct);
  }
}

double TSM_ModControlForm::EstimatedEbNo(double cNo) const {
  double rate = setup_->TxBert[0].BitRate;
  const std::string code(setup_->Modulator.PcmEncoder[0].OutputCode,
                         strnlen(setup_->Modulator.PcmEncoder[0].OutputCode, card::kSetupTextLen));
  if (IsOneOf(code, {"BIOL", "BIOS", "BIOM", "DBIOS", "DBIOM"})) rate *= 2.0;
  return cNo - 10.0 * util::SafeLog10(rate);
}

void TSM_ModControlForm::RefreshTxBertPanel(int bert) {
  const auto b = static_cast<std::size_t>(bert);
  const TxBertRecord& rec = setup_->TxBert[bert];
  SetText(LabelTxbDataRate[b], util::FloatToFixedText(12, 4, rec.BitRate * 1e-6));
  CheckBoxTxbClock[b]->setChecked(card::SetupText(rec.ClockPolarity) == "invert");
  CheckBoxTxbData[b]->setChecked(card::SetupText(rec.DataPolarity) == "invert");
  SetText(LabelTxbBer[b], util::FloatToExpText(2, 9, rec.BitErrorRate));
  const std::string pattern = object_->TxBert_GetPnPattern(bert);
  userPatternSelected_[b] = pattern == ui::kUserPatternName;
  SetText(LabelTxbPrnPattern[b], ui::BertPatternDisplayName(pattern));
  PanelTxbUserPattern[b]->setVisible(userPatternSelected_[b]);
  RadioButtonTxbDec[b]->setChecked(rec.UserPatternRadix == 0);
  RadioButtonTxbBin[b]->setChecked(rec.UserPatternRadix == 2);
  RadioButtonTxbHex[b]->setChecked(rec.UserPatternRadix == 1);
  std::string user;
  int length = 0;
  object_->TxBert_GetUserPattern(bert, user, length);
  SetText(LabelTxbUserPattern[b], card::FormatUserPatternText(user, length, rec.UserPatternRadix));
  SetText(LabelTxbUserPatternLen[b], util::FloatToFixedText(12, 0, length));
}

void TSM_ModControlForm::UpdateDisplay() {
  if (updating_ || object_ == nullptr || setup_ == nullptr) return;
  updating_ = true;
  const kr20cardclass& c = *object_;
  RefreshTxBertPanel(0);
  RefreshTxBertPanel(1);
  RefreshSweepPanel();
  const bool direct = setup_->Modulator.InputSourceDirect != 0;
  SetText(LabelInputSource, direct ? "Direct" : "Combiner");
  SetModulatorControlsEnabled(direct);
  const bool dual = DualTransmit();
  for (QLabel* label : {LabelIPowerLevelCaption, LabelIPowerLevel, LabelQPowerLevelCaption, LabelQPowerLevel}) {
    label->setVisible(dual);
  }
  if (!direct) {
    CheckBoxCarrierEnabled->setChecked(c.GetMod_GetIfCarrierOn());
    CheckBoxModulationEnabled->setChecked(c.GetMod_GetIfModulationOn());
    CheckBoxNoiseEnabled->setChecked(c.GetMod_GetEnableNoiseGeneration());
    updating_ = false;
    return;
  }
  SetText(LabelCarrierFreq, util::FloatToFixedText(7, 4, c.GetMod_IfCarrierRateInHz() * 1e-6));
  const double level = c.GetMod_IfCarrierLevelInDbm();
  SetText(LabelCarrierAmplitude, util::FloatToFixedText(12, 0, level));
  ScrollBarCarrierAmplitude->setValue(static_cast<int>(std::lround(std::clamp(level, -80.0, 0.0))));
  const double cNo = c.GetMod_GetCarrierToNoiseLevel();
  SetText(LabelCarrierToNoise, util::FloatToFixedText(12, 1, cNo));
  ScrollBarCarrierToNoise->setValue(static_cast<int>(std::lround(std::clamp(10.0 * cNo, 0.0, 1100.0))));
  SetText(LabelEstEbNo, util::FloatToFixedText(12, 1, EstimatedEbNo(cNo)));
  const std::string mode = c.GetMod_GetModulatorMode();
  sglsMode_ = mode == kSgls;
  SetText(LabelModulationMode, ModeCaption(mode));
  CheckBoxCarrierEnabled->setChecked(c.GetMod_GetIfCarrierOn());
  CheckBoxModulationEnabled->setChecked(c.GetMod_GetIfModulationOn());
  CheckBoxNoiseEnabled->setChecked(c.GetMod_GetEnableNoiseGeneration());
  LabelModulationType->setEnabled(CheckBoxCarrierEnabled->isChecked() && CheckBoxModulationEnabled->isChecked());
  const std::string type = c.GetMod_GetModulationType();
  const bool pcmFm = type == "PCM_FM";
  SetText(LabelModulationType, TypeCaption(type));
  for (int e = 0; e < 2; ++e) {
    const auto i = static_cast<std::size_t>(e);
    const std::string source = e == 0 ? c.GetMod_GetPcmCh1DataSource() : c.GetMod_GetPcmCh2DataSource();
    SetText(LabelPcmDataSource[i], source == "N_C" ? "TX_BERT_2" : source);
    SetText(LabelPcmOutputCode[i],
            e == 0 ? card::PrnNameToDisplay(c.GetMod_GetPcmCh1PcmEncoding(), c.GetMod_GetPcmCh1PcmRandScrambling())
                   : card::PrnNameToDisplay(c.GetMod_GetPcmCh2PcmEncoding(), c.GetMod_GetPcmCh2PcmRandScrambling()));
    const std::array<bool, 5> flags =
        e == 0 ? std::array<bool, 5>{c.GetMod_GetPcmCh1ConvolutionalEncodingOn(), c.GetMod_GetPcmCh1SwapG1G2(),
                                     c.GetMod_GetPcmCh1InvertG2(), c.GetMod_GetPcmCh1InvertData(),
                                     c.GetMod_GetPcmCh1FallingEdgeClk()}
               : std::array<bool, 5>{c.GetMod_GetPcmCh2ConvolutionalEncodingOn(), c.GetMod_GetPcmCh2SwapG1G2(),
                                     c.GetMod_GetPcmCh2InvertG2(), c.GetMod_GetPcmCh2InvertData(),
                                     c.GetMod_GetPcmCh2FallingEdgeClk()};
    for (std::size_t k = 0; k < flags.size(); ++k) CheckBoxPcm[i][k]->setChecked(flags[k]);
  }
  SetText(LabelIPowerLevel, util::FloatToFixedText(12, 0, c.GetMod_GetIPowerLevel()));
  SetText(LabelQPowerLevel, util::FloatToFixedText(12, 0, c.GetMod_GetQPowerLevel()));
  CheckBoxQpskConjugate->setChecked(c.GetMod_GetEnableQpskConjugate());
  SetText(LabelSymbolRouting, c.GetMod_GetSymbolRouting());
  SetText(LabelInputPreprocessing, c.GetMod_GetInputPreprocessing());
  SetText(LabelIQRouting, c.GetMod_GetIQOutputRouting());
  SetText(LabelIDataSource, c.GetMod_GetIDataSource());
  SetText(LabelQDataSource, c.GetMod_GetQDataSource());
  SetText(LabelMaxOutputCal, util::FloatToFixedText(12, 0, c.GetMod_GetIfMaxOutputCalOffset()));
  SetText(LabelFmPeakDeviation, util::FloatToFixedText(12, 2, c.GetMod_GetPCMFMPeakDeviationFactor()));
  SetText(LabelPmModIndex, util::FloatToFixedText(12, 5, c.GetMod_GetDirPcmModIndex()));
  SetText(LabelSub1InputSource, c.GetMod_GetSglsSubCh1DataSource());
  SetText(LabelSub1Modulation, c.GetMod_GetSglsSubCh1ModulationType());
  SetText(LabelSub1Rate, util::FloatToFixedText(12, 0, c.GetMod_GetSglsSubCh1SubCarrierRateInHz()));
  SetText(LabelSub1ModIndex, util::FloatToFixedText(12, 5, c.GetMod_GetSubcarrier1PmModIndex()));

  PanelFmPeakDeviation->setEnabled(pcmFm);
  LabelFmPeakDeviation->setEnabled(pcmFm);
  PanelPmModIndex->setEnabled(!sglsMode_);
  LabelPmModIndex->setEnabled(!sglsMode_);
  for (QWidget* w : std::initializer_list<QWidget*>{PanelSubcarrier, LabelSub1InputSource, LabelSub1Modulation,
                                                    LabelSub1Rate, LabelSub1ModIndex}) {
    w->setEnabled(sglsMode_);
  }
  PanelRouting->setVisible(!sglsMode_);
  for (QLabel* label : {LabelIDataSource, LabelQDataSource, LabelIQRouting}) label->setEnabled(!sglsMode_);
  updating_ = false;
}

void TSM_ModControlForm::UpdateColors() {
  const util::TColor background = ui::SchemeColour(config::kAppSetupBackgroundColor);
  const util::TColor labels = ui::SchemeColour(config::kAppSetupLabelColor);
  const util::TColor dataColour = ui::SchemeColour(config::kAppSetupDataColor);
  ui::PaintPanel(this, background);
  for (QFrame* panel : findChildren<QFrame*>(Qt::FindChildrenRecursively)) {
    if (panel->objectName().startsWith("Panel") && !panel->objectName().startsWith("PanelSweepState")) {
      ui::PaintPanel(panel, background);
      ui::SetTextColour(panel, labels);
    }
  }
  for (QWidget* tab : PageControlMain->findChildren<QWidget*>(QRegularExpression("^TabSheet"))) {
    ui::PaintPanel(tab, background);
    ui::SetTextColour(tab, labels);
  }
  for (QLabel* heading : findChildren<QLabel*>(QRegularExpression("Heading$"))) ui::SetTextColour(heading, labels);
  PageControlMain->hide();
  PageControlMain->show();
  std::vector<QWidget*> dataWidgets{LabelCarrierAmplitude, LabelSweepRate,   LabelSwStartFreq, LabelSweepMode,
                                    LabelSweepProgress,    LabelSweepOffset, PanelSweepState};
  for (QLabel* stop : LabelSwStopFreq) dataWidgets.push_back(stop);
  for (std::size_t b = 0; b < 2; ++b) {
    for (QWidget* w : std::initializer_list<QWidget*>{LabelTxbDataRate[b], LabelTxbBer[b], LabelTxbPrnPattern[b],
                                                      CheckBoxTxbClock[b], CheckBoxTxbData[b], LabelTxbUserPattern[b],
                                                      LabelTxbUserPatternLen[b]}) {
      dataWidgets.push_back(w);
    }
  }
  for (QWidget* w : dataWidgets) ui::SetTextColour(w, dataColour);
  for (auto& [label, popup] : clickLabels_) ColourLabel(label, kEditableBackground, kEditableText);
  RefreshSweepState();
}

// ---- The operator's actions --------------------------------------------------------------------

bool TSM_ModControlForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (watched == PanelSweep && mouse->button() == Qt::RightButton) {
      PanelSweepRightClick();
      return true;
    }
    if (mouse->button() == Qt::LeftButton) {
      for (auto& [label, popup] : clickLabels_) {
        if (label != watched) continue;
        if (label == LabelInputSource) {
          LabelInputSourceClick();
        } else if (popup) {
          PopupLabelClick(label);
        } else {
          PromptLabelClick(label);
        }
        return true;
      }
    }
  }
  return QWidget::eventFilter(watched, event);
}

bool TSM_ModControlForm::Guarded() const { return !shown_ || updating_ || closed_; }

void TSM_ModControlForm::Commit() {
  config::gApp.SetupEdited = 1;
  settings::SaveLastSetupStateIfEnabled();
  if (!closed_) UpdateDisplay();
}

void TSM_ModControlForm::LabelInputSourceClick() {
  if (Guarded() || object_ == nullptr) return;
  ModHandlerScope scope(*this);
  const bool direct = setup_->Modulator.InputSourceDirect == 0;
  object_->DoOnSetFpga0RegB00(direct);
  setup_->Modulator.InputSourceDirect = direct ? 1 : 0;
  Commit();
}

void TSM_ModControlForm::CheckBoxClick(QCheckBox* box) {
  if (Guarded() || object_ == nullptr) return;
  const auto field = std::find_if(checks_.begin(), checks_.end(), [box](const CheckField& f) { return f.box == box; });
  if (field == checks_.end()) return;
  ModHandlerScope scope(*this);
  const bool value = box->isChecked();
  field->apply(*object_, value);
  field->store(*setup_, value);
  if (box == CheckBoxCarrierEnabled && !value) ClearRunState();
  Commit();
}

void TSM_ModControlForm::ScrollBarCarrierAmplitudeChange() {
  if (Guarded() || object_ == nullptr) return;
  ModHandlerScope scope(*this);
  const double level = ScrollBarCarrierAmplitude->value();
  object_->SetMod_SetIfCarrierLevel(level);
  setup_->Modulator.CarrierAmplitudeDbm = level;
  Commit();
}

void TSM_ModControlForm::ScrollBarCarrierToNoiseChange() {
  if (Guarded() || object_ == nullptr) return;
  ModHandlerScope scope(*this);
  const double level = ScrollBarCarrierToNoise->value() * 0.1;
  object_->SetMod_SetCarrierToNoiseLevel(level);
  setup_->Modulator.CarrerToNoiseDbm = level;
  Commit();
}

void TSM_ModControlForm::PromptLabelClick(QLabel* label) {
  if (closed_ || object_ == nullptr) return;
  const auto field =
      std::find_if(prompts_.begin(), prompts_.end(), [label](const PromptField& f) { return f.label == label; });
  if (field == prompts_.end()) return;
  ModHandlerScope scope(*this);
  double value = field->initial(*object_, *setup_);
  bool accepted = false;
  if (field->integer) {
    auto whole = static_cast<std::int32_t>(value);
    accepted = util::PromptIntInRange(field->title, whole, static_cast<std::int32_t>(field->upper), 10,
                                      static_cast<std::int32_t>(field->lower));
    value = whole;
  } else {
    accepted = util::PromptDoubleInRange(field->title, value, field->decimals, field->lower, field->upper);
  }
  // The window may have been deleted while the prompt was open: its card and record still are.
  if (accepted) {
    field->apply(*object_, value);
    field->store(*setup_, value);
  }
  Commit();
}

QMenu* TSM_ModControlForm::MenuOfLabel(QLabel* label, Menu& menu) const {
  const std::array<QLabel*, kMenuCount> labels{LabelModulationMode,   LabelModulationType,     LabelIQRouting,
                                               LabelSymbolRouting,    LabelInputPreprocessing, LabelIDataSource,
                                               LabelQDataSource,      LabelPcmDataSource[0],   LabelPcmOutputCode[0],
                                               LabelPcmDataSource[1], LabelPcmOutputCode[1],   LabelSub1InputSource,
                                               LabelSub1Modulation,   LabelTxbPrnPattern[0],   LabelTxbPrnPattern[1]};
  const auto at = std::find(labels.begin(), labels.end(), label);
  if (at == labels.end()) return nullptr;
  menu = static_cast<Menu>(at - labels.begin());
  return PopupMenus[static_cast<std::size_t>(menu)];
}

void TSM_ModControlForm::PopupLabelClick(QLabel* label) {
  if (closed_) return;
  Menu which = kModulationMode;
  QMenu* menu = MenuOfLabel(label, which);
  if (menu == nullptr) return;
  ModHandlerScope scope(*this);
  QAction* chosen = util::PopupMenuChoice(menu);
  if (chosen == nullptr || closed_) return;
  chosen->trigger();
}

void TSM_ModControlForm::MenuItemClick(Menu menu, const QAction* item) {
  if (item == nullptr || closed_ || object_ == nullptr) return;
  const auto& list = lists_[static_cast<std::size_t>(menu)];
  const int tag = item->data().toInt();
  if (tag < 0 || static_cast<std::size_t>(tag) >= list.size()) return;
  ModHandlerScope scope(*this);
  std::string name = list[static_cast<std::size_t>(tag)];
  kr20cardclass& c = *object_;
  ModulatorRecord& mod = setup_->Modulator;
  switch (menu) {
    case kModulationMode:
      if (name == kSglsShown) name = kSgls;
      sglsMode_ = name == kSgls;
      c.SetMod_SetModulatorMode(name);
      // The setup keeps the operator's name, as the remote commands and a recalled setup do.
      card::SetSetupText(mod.ModulationMode, ModeCaption(name));
      break;
    case kModulationType:
      c.SetMod_SetModulationType(name);
      card::SetSetupText(mod.ModulationType, name);
      break;
    case kIQOutputRouting:
      c.SetMod_SetIQOutputRouting(name);
      card::SetSetupText(mod.IQRouting, name);
      break;
    case kSymbolRouting:
      c.SetMod_SetSymbolRouting(name);
      card::SetSetupText(mod.SymbolRouting, name);
      break;
    case kInputPreProcessing:
      c.SetMod_SetInputPreprocess(name);
      card::SetSetupText(mod.InputPreprocess, name);
      break;
    case kIDataSource:
      c.SetMod_SetIDataSource(name);
      card::SetSetupText(mod.IDataSource, name);
      break;
    case kQDataSource:
      c.SetMod_SetQDataSource(name);
      card::SetSetupText(mod.QDataSource, name);
      break;
    case kPcmDataSource1:
    case kPcmDataSource2: {
      const int e = menu == kPcmDataSource1 ? 0 : 1;
      if (e == 0)
        c.SetMod_SetPcmCh1DataSource(name);
      else
        c.SetMod_SetPcmCh2DataSource(name);
      card::SetSetupText(mod.PcmEncoder[e].DataSource, name);
      break;
    }
    case kPcmOutputCode1:
    case kPcmOutputCode2: {
      const card::PrnCode code = card::NormalizePrnPattern(name);
      if (menu == kPcmOutputCode1) {
        c.SetMod_SetPcmCh1PcmEncoding(code.Code);
        c.SetMod_SetPcm1Randomizer(code.Descrambler);
      } else {
        c.SetMod_SetPcmCh2PcmEncoding(code.Code);
        c.SetMod_SetPcm2Randomizer(code.Descrambler);
      }
      card::SetSetupText(mod.PcmEncoder[menu == kPcmOutputCode1 ? 0 : 1].OutputCode, name);
      break;
    }
    case kSub1InputSource:
      c.SetMod_SetSglsSubCh1DataSource(name);
      card::SetSetupText(mod.Sub1InputSource, name);
      break;
    case kSub1ModulationType:
      c.SetMod_SetSglsSubCh1ModulationType(name);
      card::SetSetupText(mod.Sub1ModulationType, name);
      break;
    case kTxbPrnPattern1:
    case kTxbPrnPattern2: {
      const int bert = menu == kTxbPrnPattern1 ? 0 : 1;
      c.TxBert_SetPnPattern(bert, name);
      card::SetSetupText(setup_->TxBert[bert].PrnPattern, name);
      break;
    }
    case kMenuCount:
      return;
  }
  Commit();
}

void TSM_ModControlForm::RadixClick(QRadioButton* button) {
  if (updating_ || closed_ || setup_ == nullptr) return;
  for (int bert = 0; bert < 2; ++bert) {
    const auto b = static_cast<std::size_t>(bert);
    int radix = -1;
    if (button == RadioButtonTxbBin[b]) radix = 2;
    if (button == RadioButtonTxbHex[b]) radix = 1;
    if (button == RadioButtonTxbDec[b]) radix = 0;
    if (radix < 0) continue;
    ModHandlerScope scope(*this);
    setup_->TxBert[bert].UserPatternRadix = radix;
    Commit();
    return;
  }
}
