#include "ui/displays/fft_widget_form.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include <QAction>
#include <QCloseEvent>
#include <QCursor>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QVBoxLayout>

#include "card/card_routines.h"
#include "card/kr20card.h"
#include "config/globals.h"
#include "config/gui/menu_routines.h"
#include "config/options_store.h"
#include "settings/set_manager.h"
#include "ui/scheme_colours.h"
#include "util/number_text.h"
#include "util/process_globals.h"

namespace ui {

double DbPerDivision(int index) {
  switch (index) {
    case 1: return 2.0;
    case 2: return 5.0;
    case 3: return 10.0;
    default: return 1.0;
  }
}

}  // namespace ui

namespace {

constexpr int kMargin = 3;
constexpr int kBarHeight = 20;
constexpr int kReferenceLimit = 200;
constexpr int kAutoSetTag = 8;

QFrame* MakePanel(QWidget* parent, const char* name) {
  auto* panel = new QFrame(parent);
  panel->setObjectName(QString::fromLatin1(name));
  config::RemovePanelBevels(panel);
  return panel;
}

}  // namespace

TFft_WidgetForm::TFft_WidgetForm(QWidget* hostPanel, int channel, int card, ui::ScopeDrawing drawing)
    : QWidget(hostPanel),
      card_(card),
      channel_(channel),
      drawing_(drawing),
      points_(std::make_unique<std::array<double, ui::kScopePoints>>()),
      vertices_(std::make_unique<std::array<ui::ScopeVertex, ui::kScopePoints>>()) {
  setObjectName(QStringLiteral("Fft_WidgetForm"));
  PanelMaster = MakePanel(this, "PanelMaster");
  PanelTopControl = MakePanel(PanelMaster, "PanelTopControl");
  PanelLeftControl = MakePanel(PanelMaster, "PanelLeftControl");
  PanelRightControl = MakePanel(PanelMaster, "PanelRightControl");
  PanelVideo = MakePanel(PanelMaster, "PanelVideo");
  PanelCcpModeMainControl = MakePanel(PanelMaster, "PanelCcpModeMainControl");
  PanelCcpModeMainControl->setFixedHeight(kBarHeight);

  ScrollBarSpectrumRefCcpMode = new QScrollBar(Qt::Horizontal, PanelCcpModeMainControl);
  ScrollBarSpectrumRefCcpMode->setObjectName(QStringLiteral("ScrollBarSpectrumRefCcpMode"));
  ScrollBarSpectrumRefCcpMode->setToolTip(QStringLiteral("Reference Level"));
  ScrollBarSpectrumRefCcpMode->setRange(-kReferenceLimit, kReferenceLimit);
  ScrollBarSpectrumRefCcpMode->setPageStep(0);
  ScrollBarSpectrumRefCcpMode->setSingleStep(1);

  PanelSpan = new QLabel(QStringLiteral("S"), PanelCcpModeMainControl);
  PanelSpan->setObjectName(QStringLiteral("PanelSpan"));
  PanelSpan->setToolTip(QStringLiteral("Select Spectrum Span"));
  PanelSpan->setAlignment(Qt::AlignCenter);
  PanelSpan->setFixedWidth(kBarHeight);
  PanelSpan->setAutoFillBackground(true);
  PanelSpan->setStyleSheet(QStringLiteral("QLabel { color: yellow; background: black; font-weight: bold; }"));
  PanelSpan->installEventFilter(this);

  auto* bar = new QHBoxLayout(PanelCcpModeMainControl);
  bar->setContentsMargins(0, 0, 0, 0);
  bar->setSpacing(0);
  bar->addWidget(ScrollBarSpectrumRefCcpMode, 1);
  bar->addWidget(PanelSpan);

  auto* middle = new QHBoxLayout;
  middle->setContentsMargins(0, 0, 0, 0);
  middle->setSpacing(0);
  middle->addWidget(PanelLeftControl);
  middle->addWidget(PanelVideo, 1);
  middle->addWidget(PanelRightControl);
  auto* column = new QVBoxLayout(PanelMaster);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  column->addWidget(PanelTopControl);
  column->addLayout(middle, 1);
  column->addWidget(PanelCcpModeMainControl);
  PanelTopControl->hide();
  PanelLeftControl->hide();
  PanelRightControl->hide();

  PopupMenuSpan = new QMenu(this);
  PopupMenuSpan->setObjectName(QStringLiteral("PopupMenuSpan"));

  connect(ScrollBarSpectrumRefCcpMode, &QScrollBar::valueChanged, this,
          &TFft_WidgetForm::ScrollBarSpectrumRefCcpModeChange);
  PlaceMaster();
}

// The renderer goes before the panels it draws on.
TFft_WidgetForm::~TFft_WidgetForm() { renderer_.reset(); }

card::CardSetupRecord* TFft_WidgetForm::Setup() const {
  card::kr20cardclass* object = card::CardObject(card_);
  return object != nullptr ? &object->Setup() : nullptr;
}

void TFft_WidgetForm::PlaceMaster() {
  PanelMaster->setGeometry(kMargin, kMargin, std::max(width() - 2 * kMargin, 1), std::max(height() - 2 * kMargin, 1));
}

void TFft_WidgetForm::InitSpectrumView() {
  if (initialised_) return;
  points_->fill(0.0);
  count_ = 0;
  BuildSpanMenu();
  PlaceMaster();
  PanelTopControl->hide();
  PanelLeftControl->hide();
  PanelRightControl->hide();
  ScrollBarSpectrumRefCcpMode->setValue(0);
  ScrollBarSpectrumRefCcpMode->setValue(util::RoundToInt(referenceLevel_));
  view_ = ui::DefaultScopeView();
  // The panels take their final sizes before the renderer covers the drawing surface.
  PanelMaster->layout()->activate();
  renderer_ = ui::MakeScopeRenderer(PanelVideo, drawing_);
  renderer_->SetDataPresent(false);
  ResetView();
  ApplySpectrumColours();
  ResetView();
  RefreshMarkers();
  initialised_ = true;
}

void TFft_WidgetForm::BuildSpanMenu() {
  config::ClearMenu(PopupMenuSpan);
  for (int i = 0; i < static_cast<int>(ui::kFftSpanTableMhz.size()); ++i) {
    const double span = ui::kFftSpanTableMhz[static_cast<std::size_t>(i)];
    const QString name = QStringLiteral("MenuFftSpan") + QString::fromStdString(util::FloatToFixedText(2, 0, i));
    const QString caption = i == kAutoSetTag ? QStringLiteral("Auto Set")
                                             : QString::fromStdString(util::FloatToFixedText(6, 1, span) + "MHz");
    // The 1 MHz span exists but is not offered.
    const bool visible = !(span >= 0.0 && span < 2.0);
    config::AddMenuItemVisible(PopupMenuSpan, name, caption, visible, [this](QAction* item) { SpanItemClick(item); },
                               this, i);
  }
}

void TFft_WidgetForm::SpanItemClick(QAction* item) {
  const int tag = config::MenuItemTag(item);
  if (tag < 0 || tag >= static_cast<int>(ui::kFftSpanTableMhz.size())) return;
  const double span = ui::kFftSpanTableMhz[static_cast<std::size_t>(tag)];
  if (span >= 0.0) {
    card::kr20cardclass* object = card::CardObject(card_);
    if (object != nullptr && channel_ >= 0 && channel_ < static_cast<int>(card::kSetupChannels)) {
      object->Setup().Fft[static_cast<std::size_t>(channel_)].SpanMhz = span;
      object->Fft_SetFrequencySpanInHz(channel_, span * 1000000.0);
    }
  } else {
    card::AutoSetFftSpanForChannel(card_, channel_);
  }
  config::gApp.SetupEdited = 1;
  RefreshMarkers();
}

void TFft_WidgetForm::PanelSpanClick() { PopupMenuSpan->popup(QCursor::pos()); }

void TFft_WidgetForm::ResetView() {
  if (renderer_ == nullptr) return;
  const int position = ScrollBarSpectrumRefCcpMode->value();
  {
    const std::lock_guard lock(drawingLock_);
    renderer_->SetView(view_);
    renderer_->SetVerticalScale(1000.0 / ui::DbPerDivision(ui::kFftDbPerDivisionIndex));
    renderer_->SetHorizontalZoom(0);
    renderer_->SetReferenceOffset(position);
    referenceLevel_ = position;
  }
  renderer_->Resize(PanelVideo->width(), PanelVideo->height());
  if (config::gApp.Options != nullptr && config::gApp.Options->Info().AutoSetFreqSpan != 0) {
    card::AutoSetFftSpanForChannel(card_, channel_);
  }
  RefreshMarkers();
}

void TFft_WidgetForm::ScrollBarSpectrumRefCcpModeChange(int position) {
  if (busy_ || renderer_ == nullptr) return;
  renderer_->SetReferenceOffset(position);
  referenceLevel_ = position;
  RefreshMarkers();
}

void TFft_WidgetForm::RefreshMarkers() {
  if (busy_ || renderer_ == nullptr) return;
  busy_ = true;
  for (ui::ScopeMarker& marker : view_.HorizontalMarkers) marker.Shown = 0;
  for (ui::ScopeMarker& marker : view_.VerticalMarkers) marker.Shown = 1;
  for (std::size_t line = 0; line < ui::kScopeTextLines; ++line) {
    const bool inView = line < view_.VerticalMarkers.size() && view_.VerticalMarkers[line].PositionPct > 0.0 &&
                        view_.VerticalMarkers[line].PositionPct < 100.0;
    view_.Texts[2][line].Shown = inView ? 1 : 0;
  }
  busy_ = false;
}

void TFft_WidgetForm::UpdateSpectrum() {
  if (!initialised_ || !isVisible() || util::ClosingFlag.load()) return;
  if (gKr20SetMgr == nullptr || card_ < 0 || card_ >= settings::kCards || channel_ < 0 ||
      channel_ >= settings::kChannels) {
    return;
  }
  const settings::DisplayDataBlock& block = gKr20SetMgr->DisplayBlock(card_, channel_);
  const std::int32_t blockCount = block.SpectrumCount;
  count_ = std::clamp<std::int32_t>(blockCount, 0, static_cast<std::int32_t>(ui::kScopePoints));
  // The block is packed: its points are copied as bytes, never through a pointer to the member.
  const auto* bytes = reinterpret_cast<const std::byte*>(&block);
  std::memcpy(points_->data(), bytes + offsetof(settings::DisplayDataBlock, SpectrumPoints),
              static_cast<std::size_t>(count_) * sizeof(double));
  for (int i = 0; i < count_; ++i) {
    (*vertices_)[static_cast<std::size_t>(i)] = {static_cast<double>(i), (*points_)[static_cast<std::size_t>(i)]};
  }
  if (renderer_ == nullptr) return;
  renderer_->SetTrace(true, *vertices_, count_);

  renderer_->SetDataPresent(true);
  ui::SetScopeText(view_.Texts[0][0].Value, "");
  const card::CardSetupRecord* setup = Setup();
  const double span = setup != nullptr ? setup->Fft[static_cast<std::size_t>(channel_)].SpanMhz : 0.0;
  ui::SetScopeText(view_.Texts[1][0].Value, util::FloatToFixedText(6, 1, span) + " MHz");
  renderer_->SetView(view_);
  const std::lock_guard lock(drawingLock_);
  renderer_->Draw();
}

void TFft_WidgetForm::ApplySpectrumColours() {
  const util::TColor status = ui::SchemeColour(config::kAppStatusBackgroundColor);
  ui::PaintPanel(this, status);
  ui::PaintPanel(PanelMaster, status);
  ui::PaintPanel(PanelVideo, status);
  ui::PaintPanel(PanelCcpModeMainControl, ui::SchemeColour(config::kScopeControlPanelColor));
  ui::SetTextColour(PanelCcpModeMainControl, ui::SchemeColour(config::kDataBarBackgroundColor));
  view_.BackgroundColour = ui::SchemeColour(config::kScopeBackgroundColor);
  view_.MinorGridColour = ui::SchemeColour(config::kGridColor);
  view_.MajorGridColour = ui::SchemeColour(config::kGridColor);
  view_.TraceColour = ui::SchemeColour(config::kTraceColor);
  view_.HorizontalMarkers[0].Colour = ui::SchemeColour(config::kMarker1Color);
  view_.VerticalMarkers[0].Colour = ui::SchemeColour(config::kMarker1Color);
  view_.HorizontalMarkers[1].Colour = ui::SchemeColour(config::kMarker2Color);
  view_.VerticalMarkers[1].Colour = ui::SchemeColour(config::kMarker2Color);
  const util::TColor labels = ui::SchemeColour(config::kDataBarLabelsColor);
  for (auto& column : view_.Texts) {
    for (ui::ScopeTextSlot& slot : column) slot.Colour = labels;
  }
  if (renderer_ != nullptr) renderer_->SetView(view_);
}

void TFft_WidgetForm::CloseSpectrumDisplay() { renderer_.reset(); }

void TFft_WidgetForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!initialised_) InitSpectrumView();
}

void TFft_WidgetForm::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // The renderer follows the drawing surface's size by itself.
  PlaceMaster();
}

void TFft_WidgetForm::closeEvent(QCloseEvent* event) {
  event->ignore();
  hide();
}

bool TFft_WidgetForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == PanelSpan && event->type() == QEvent::MouseButtonPress) {
    PanelSpanClick();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}
