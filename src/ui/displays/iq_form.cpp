#include "ui/displays/iq_form.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include <QCloseEvent>
#include <QFrame>
#include <QPainter>
#include <QPaintEvent>

#include "config/gui/menu_routines.h"
#include "settings/set_manager.h"
#include "ui/scheme_colours.h"
#include "ui/fill_parent.h"
#include "ui/displays/scope_view_record.h"
#include "util/gui/qt_colour.h"
#include "util/process_globals.h"

namespace ui {

IqScreen::IqScreen(QWidget* parent) : QWidget(parent), canvas_(1, 1, QImage::Format_RGB32) {
  setObjectName(QStringLiteral("IqScreen"));
  canvas_.fill(Qt::black);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void IqScreen::FillCanvas(util::TColor colour, const QRect& area) {
  QPainter painter(&canvas_);
  painter.fillRect(area, util::ToQColor(colour));
  update();
}

void IqScreen::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.drawImage(event->rect(), canvas_, event->rect());
}

void IqScreen::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (canvas_.size() == size() || width() < 1 || height() < 1) return;
  // The canvas keeps what it showed where the new size still covers it.
  QImage canvas(size(), QImage::Format_RGB32);
  canvas.fill(Qt::black);
  QPainter painter(&canvas);
  painter.drawImage(0, 0, canvas_);
  painter.end();
  canvas_.swap(canvas);
}

}  // namespace ui

TSC_IQForm::TSC_IQForm(QWidget* hostPanel, int channel, int card)
    : QWidget(hostPanel),
      card_(card),
      channel_(channel),
      pairs_(std::make_unique<std::array<ui::IqPoint, ui::kIqPairs>>()) {
  setObjectName(QStringLiteral("SC_IQForm"));
  PanelGraph = new QFrame(this);
  PanelGraph->setObjectName(QStringLiteral("PanelGraph"));
  config::RemovePanelBevels(PanelGraph);
  ui::PaintPanel(PanelGraph, 0);
  ui::FillParent(PanelGraph);
  inner_ = new ui::IqScreen(this);
  ui::FillParent(inner_);
  inner_->raise();
}

// The image's control and the inner form go before the panels they sit on.
TSC_IQForm::~TSC_IQForm() { CloseIqDisplay(); }

int TSC_IQForm::GraphWidth() const { return PanelGraph->width(); }
int TSC_IQForm::GraphHeight() const { return PanelGraph->height(); }

void TSC_IQForm::ResetIqDisplay() {
  count_ = 0;
  pairs_->fill({0.0, 0.0});
  BuildIqView();
  initialised_ = true;
}

void TSC_IQForm::BuildIqView() {
  if (inner_ != nullptr) {
    inner_->show();
    ui::PaintPanel(inner_, 0);
    ui::FillParent(inner_);
    inner_->FillCanvas(0, PanelGraph->rect());
  }
  ui::FillParent(PanelGraph);
  image_ = std::make_unique<util::offscnimageclass>(PanelGraph);
  ui::PaintPanel(this, 0);
  plot_.GridDivisions = 2;
  plot_.GridColour = 0x151528u;
  plot_.SetGridSteps(GraphWidth(), GraphHeight());
  plot_.SetProvisionalAxes();
  plot_.PointColour = ui::kScopeLime;
  plot_.CentreMarkColour = ui::kScopeYellow;
  plot_.BackgroundColour = 0;
  plot_.MirrorVertically = 1;
  plot_.OffsetX = plot_.OffsetY = 0.0;
  plot_.PixelShiftX = 0;
  DrawIqBackground();
  ResizeImage();
}

void TSC_IQForm::ResizeImage() {
  if (image_ == nullptr) return;
  image_->SetSize(GraphHeight(), GraphWidth());
  image_->Fill(plot_.BackgroundColour);
  if (inner_ != nullptr) inner_->FillCanvas(0, PanelGraph->rect());
}

void TSC_IQForm::UpdateIqPoints() {
  if (!initialised_ || !isVisible() || util::ClosingFlag.load()) return;
  if (gKr20SetMgr == nullptr || card_ < 0 || card_ >= settings::kCards || channel_ < 0 ||
      channel_ >= settings::kChannels) {
    return;
  }
  const settings::DisplayDataBlock& block = gKr20SetMgr->DisplayBlock(card_, channel_);
  const std::int32_t blockCount = block.IqCount;
  if (blockCount < 1) return;
  count_ = std::min<std::int32_t>(blockCount, static_cast<std::int32_t>(ui::kIqPairs));
  // The block is packed: its pairs are copied as bytes, never through a pointer to the member.
  const auto* bytes = reinterpret_cast<const std::byte*>(&block);
  std::memcpy(pairs_->data(), bytes + offsetof(settings::DisplayDataBlock, IqPairs),
              static_cast<std::size_t>(count_) * sizeof(ui::IqPoint));
  PlotIq();
}

void TSC_IQForm::PlotIq() {
  if (count_ != plot_.AxisCount()) plot_.SetAxes(count_, ui::kIqCornerA, ui::kIqCornerB, GraphWidth(), GraphHeight());
  PaintIq();
}

void TSC_IQForm::PaintIq() {
  if (plot_.AxisCount() < 1 || busy_ || !isVisible() || image_ == nullptr || inner_ == nullptr) return;
  busy_ = true;
  DrawIqBackground();
  plot_.DrawPoints(image_->Canvas(), GraphWidth(), GraphHeight(),
                   std::span(pairs_->data(), static_cast<std::size_t>(count_)));
  // One copy of the finished picture to the screen.
  const QImage& picture = image_->Image();
  QImage& screen = inner_->Canvas();
  const int w = std::min({GraphWidth(), picture.width(), screen.width()});
  const int h = std::min({GraphHeight(), picture.height(), screen.height()});
  if (w > 0 && screen.format() == picture.format()) {
    for (int y = 0; y < h; ++y) {
      std::memcpy(screen.scanLine(y), picture.constScanLine(y), static_cast<std::size_t>(w) * sizeof(QRgb));
    }
  }
  inner_->update();
  busy_ = false;
}

void TSC_IQForm::DrawIqBackground() {
  if (!initialised_ || image_ == nullptr) return;
  plot_.DrawBackground(image_->Canvas(), GraphWidth(), GraphHeight());
}

void TSC_IQForm::ApplyIqColours() {
  ui::PaintPanel(this, ui::SchemeColour(config::kAppStatusBackgroundColor));
  const util::TColor grid = ui::SchemeColour(config::kGridColor);
  const util::TColor background = ui::SchemeColour(config::kScopeBackgroundColor);
  const bool changed = grid != plot_.GridColour || background != plot_.BackgroundColour;
  plot_.GridColour = grid;
  plot_.BackgroundColour = background;
  ui::PaintPanel(this, background);
  if (inner_ != nullptr) ui::PaintPanel(inner_, background);
  plot_.PointColour = ui::SchemeColour(config::kTraceColor);
  plot_.CentreMarkColour = ui::SchemeColour(config::kMarker1Color);
  if (changed && !busy_) DrawIqBackground();
}

void TSC_IQForm::CloseIqDisplay() {
  image_.reset();
  delete inner_;
  inner_ = nullptr;
}

void TSC_IQForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  ApplyIqColours();
}

void TSC_IQForm::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (!initialised_) return;
  // The panel follows the form's size first.
  PanelGraph->setGeometry(rect());
  ResizeImage();
  plot_.SetGridSteps(GraphWidth(), GraphHeight());
  plot_.SetAxes(plot_.AxisCount(), plot_.CornerA(), plot_.CornerB(), GraphWidth(), GraphHeight());
}

void TSC_IQForm::closeEvent(QCloseEvent* event) {
  event->ignore();
  hide();
}
