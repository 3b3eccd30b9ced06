#include "ui/dialogs/user_colour_dialog.h"

#include <QApplication>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/dialogs/send_recolour.h"
#include "util/file_routines.h"
#include "util/gui/qt_colour.h"

namespace {

// How a control shows its colour: as its background, or as the colour of its text.
enum class Shows { Background, Text };

// The colour of the block that is never shown here.
constexpr int kUnshownColour = 20;

struct ColourControl {
  int index;
  const char* name;
  const char* caption;
  Shows shows;
  int insideOf;  // the panel a text colour is shown on, -1 for panels
};

// The controls in the order of the colour block.
constexpr ColourControl kControls[] = {
    {config::kAppMainBackgroundColor, "PanelServerMain", "Main", Shows::Background, -1},
    {config::kAppMainLabelColor, "LabelDeviceMainLabel", "Labels", Shows::Text, config::kAppMainBackgroundColor},
    {config::kAppMainDataColor, "LabelDeviceMainData", "Data", Shows::Text, config::kAppMainBackgroundColor},
    {config::kAppStatusBackgroundColor, "PanelServerStatus", "Status", Shows::Background, -1},
    {config::kAppStatusLabelColor, "LabelDeviceStatusLabel", "Labels", Shows::Text, config::kAppStatusBackgroundColor},
    {config::kAppStatusDataColor, "LabelDeviceStatusData", "Data", Shows::Text, config::kAppStatusBackgroundColor},
    {config::kAppSetupBackgroundColor, "PanelServerSetup", "Setup", Shows::Background, -1},
    {config::kAppSetupLabelColor, "LabelDeviceSetupLabel", "Labels", Shows::Text, config::kAppSetupBackgroundColor},
    {config::kAppSetupDataColor, "LabelDeviceSetupData", "Data", Shows::Text, config::kAppSetupBackgroundColor},
    {config::kDisplayPageBackgroundColor, "PanelDisplayBackground", "Background", Shows::Background, -1},
    {config::kScopeControlPanelColor, "PanelScopeControl", "Scope Control Panel", Shows::Background, -1},
    {config::kDataBarBackgroundColor, "PanelDataBar", "Control Bar Text", Shows::Background, -1},
    {config::kDataBarLabelsColor, "LabelDataBarLabels", "Data Labels", Shows::Text, config::kDataBarBackgroundColor},
    {config::kScopeBackgroundColor, "PanelScopeBackground", "Scope Background", Shows::Background, -1},
    {config::kGridColor, "PanelGrid", "Grid", Shows::Background, -1},
    {config::kTraceColor, "PanelTrace", "Trace", Shows::Background, -1},
    {config::kMarker1Color, "PanelMarker1", "Marker 1", Shows::Background, -1},
    {config::kMarker2Color, "PanelMarker2", "Marker 2", Shows::Background, -1},
    {config::kGaugeBackgroundColor1, "PanelGaugeBackground", "Gauge Background", Shows::Background, -1},
    {config::kGaugeDataColor1, "PanelGaugeChannel1", "Gauge Channel 1", Shows::Background, -1},
    {config::kGaugeDataColor2, "PanelGaugeChannel2", "Gauge Channel 2", Shows::Background, -1},
    {config::kStripBackgroundColor, "PanelStripBackground", "Strip Data Background", Shows::Background, -1},
    {config::kStripDataColor1, "PanelStripChannel1", "Strip Channel 1", Shows::Background, -1},
    {config::kStripDataColor2, "PanelStripChannel2", "Strip Channel 2", Shows::Background, -1},
    {config::kMaxStrengthColor, "PanelMaxStrengthColor", "> Max Strength Color", Shows::Background, -1},
    {config::kMinStrengthColor, "PanelMinStrengthColor", "< Min Strength Color", Shows::Background, -1},
};
static_assert(std::size(kControls) == config::kColorSchemeSize - 1, "every colour but one has its control");

const ColourControl* ControlOf(int index) {
  for (const ColourControl& control : kControls) {
    if (control.index == index) return &control;
  }
  return nullptr;
}

// Black or white text, whichever reads better on the colour.
QColor CaptionColourOn(util::TColor colour) {
  const int luminance = 299 * util::RedOf(colour) + 587 * util::GreenOf(colour) + 114 * util::BlueOf(colour);
  return luminance > 128000 ? Qt::black : Qt::white;
}

}  // namespace

TVexaCmnUserColorDlg::TVexaCmnUserColorDlg(QWidget* owner) : QDialog(owner) {
  setObjectName("VexaCmnUserColorDlg");
  setWindowTitle("Display Colors");
  setToolTip("Click on a panel or a label to change the color");
  auto* layout = new QVBoxLayout(this);

  auto makePanel = [this](const ColourControl& control, QWidget* parent) {
    auto* panel = new QLabel(QString::fromUtf8(control.caption), parent);
    panel->setObjectName(QString::fromUtf8(control.name));
    panel->setAutoFillBackground(true);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setMinimumSize(130, 26);
    panel->setAlignment(Qt::AlignCenter);
    panel->setCursor(Qt::PointingHandCursor);
    panel->installEventFilter(this);
    controls_[static_cast<std::size_t>(control.index)] = panel;
    return panel;
  };
  // A panel with its two text colours ("Labels", "Data") shown inside it.
  auto makeArea = [&](int backgroundIndex, QWidget* parent) {
    auto* panel = makePanel(*ControlOf(backgroundIndex), parent);
    panel->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    panel->setMinimumSize(150, 78);
    auto* inner = new QVBoxLayout(panel);
    inner->setContentsMargins(8, 22, 8, 6);
    for (const ColourControl& control : kControls) {
      if (control.insideOf != backgroundIndex) continue;
      auto* label = new QLabel(QString::fromUtf8(control.caption), panel);
      label->setObjectName(QString::fromUtf8(control.name));
      label->setAlignment(Qt::AlignCenter);
      label->setCursor(Qt::PointingHandCursor);
      label->installEventFilter(this);
      controls_[static_cast<std::size_t>(control.index)] = label;
      inner->addWidget(label);
    }
    return panel;
  };

  auto* areas = new QGroupBox("Windows", this);
  auto* areaRow = new QHBoxLayout(areas);
  for (int index :
       {config::kAppMainBackgroundColor, config::kAppStatusBackgroundColor, config::kAppSetupBackgroundColor}) {
    areaRow->addWidget(makeArea(index, areas));
  }
  layout->addWidget(areas);

  auto* displays = new QGroupBox("Display Page", this);
  auto* displayGrid = new QGridLayout(displays);
  int cell = 0;
  for (int index : {config::kDisplayPageBackgroundColor, config::kScopeControlPanelColor, config::kScopeBackgroundColor,
                    config::kGridColor, config::kTraceColor, config::kMarker1Color, config::kMarker2Color}) {
    displayGrid->addWidget(makePanel(*ControlOf(index), displays), cell / 3, cell % 3, Qt::AlignTop);
    ++cell;
  }
  // The data bar with its labels' colour shown inside it.
  displayGrid->addWidget(makeArea(config::kDataBarBackgroundColor, displays), 2, 1, 1, 2);
  layout->addWidget(displays);

  auto* others = new QGroupBox("Down Converter, Strips and Signal Strength", this);
  auto* otherGrid = new QGridLayout(others);
  cell = 0;
  for (int index : {config::kGaugeBackgroundColor1, config::kGaugeDataColor1, config::kGaugeDataColor2,
                    config::kStripBackgroundColor, config::kStripDataColor1, config::kStripDataColor2,
                    config::kMaxStrengthColor, config::kMinStrengthColor}) {
    otherGrid->addWidget(makePanel(*ControlOf(index), others), cell / 3, cell % 3);
    ++cell;
  }
  layout->addWidget(others);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  OKBtn = new QPushButton("Accept", this);
  OKBtn->setObjectName("OKBtn");
  CancelBtn = new QPushButton("Cancel", this);
  CancelBtn->setObjectName("CancelBtn");
  buttons->addWidget(OKBtn);
  buttons->addWidget(CancelBtn);
  layout->addLayout(buttons);
  connect(OKBtn, &QPushButton::clicked, this, &TVexaCmnUserColorDlg::OKBtnClick);
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

QWidget* TVexaCmnUserColorDlg::Control(int index) const {
  if (index < 0 || index >= config::kColorSchemeSize) return nullptr;
  return controls_[static_cast<std::size_t>(index)];
}

void TVexaCmnUserColorDlg::EditColours(config::kr20optinfo& record) {
  accepted_ = false;
  record_ = &record;
  backup_ = record.ColorScheme;
  shown_ = record.ColorScheme;
  ShowBlock();
  exec();
  if (!accepted_) {
    // "Cancel" and the title bar's close alike: every window gets its old colours back.
    record.ColorScheme = backup_;
    ui::SendRecolour();
    QCoreApplication::processEvents();
  }
  record_ = nullptr;
}

void TVexaCmnUserColorDlg::OKBtnClick() {
  accepted_ = true;
  accept();
}

bool TVexaCmnUserColorDlg::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    for (int index = 0; index < config::kColorSchemeSize; ++index) {
      if (controls_[static_cast<std::size_t>(index)] == watched) {
        PanelServerMainClick(index);
        return true;
      }
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TVexaCmnUserColorDlg::PanelServerMainClick(int index) {
  if (record_ == nullptr || Control(index) == nullptr) return;
  util::TColor colour = shown_[static_cast<std::size_t>(index)];
  if (!util::PickColour(colour)) {
    shown_ = record_->ColorScheme;
    ShowBlock();
    return;
  }
  shown_[static_cast<std::size_t>(index)] = colour;
  ShowColour(index);
  StoreControls();
  ui::SendRecolour();
  QCoreApplication::processEvents();
  Control(index)->repaint();
}

void TVexaCmnUserColorDlg::StoreControls() {
  for (int index = 0; index < config::kColorSchemeSize; ++index) {
    if (index == kUnshownColour) continue;
    record_->ColorScheme[static_cast<std::size_t>(index)] = shown_[static_cast<std::size_t>(index)];
  }
}

void TVexaCmnUserColorDlg::ShowBlock() {
  for (const ColourControl& control : kControls) ShowColour(control.index);
}

void TVexaCmnUserColorDlg::ShowColour(int index) {
  const ColourControl* control = ControlOf(index);
  QWidget* widget = Control(index);
  if (control == nullptr || widget == nullptr) return;
  const util::TColor colour = shown_[static_cast<std::size_t>(index)];
  QPalette palette = widget->palette();
  if (control->shows == Shows::Background) {
    palette.setColor(QPalette::Window, util::ToQColor(colour));
    palette.setColor(QPalette::WindowText, CaptionColourOn(colour));
    widget->setPalette(palette);
    // The text colours inside keep their own.
    for (const ColourControl& inside : kControls) {
      if (inside.insideOf == index) ShowColour(inside.index);
    }
  } else {
    palette.setColor(QPalette::WindowText, util::ToQColor(colour));
    widget->setPalette(palette);
  }
}
