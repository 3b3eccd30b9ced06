#include "ui/displays/scope_painter.h"

#include <algorithm>

#include <QEvent>
#include <QPaintEvent>
#include <QResizeEvent>

#include "util/gui/qt_colour.h"
#include "util/process_globals.h"

namespace ui {

namespace {
constexpr int kScopeFontSize = 9;
}  // namespace

QFont ScopeTextFont(int pixelSize) {
  // The same font the GL base class builds for its texts.
  QFont font(QStringLiteral("Courier New"));
  font.setStyleHint(QFont::TypeWriter, QFont::NoAntialias);
  font.setFixedPitch(true);
  font.setPixelSize(pixelSize);
  return font;
}

ScopePaintSurface::ScopePaintSurface(QWidget* control, ScopePainterRenderer* owner)
    : QWidget(control), owner_(owner), picture_(std::max(control->width(), 1), std::max(control->height(), 1),
                                                QImage::Format_RGB32) {
  setObjectName(QStringLiteral("ScopePaintSurface"));
  picture_.fill(Qt::black);
  setAttribute(Qt::WA_OpaquePaintEvent);
  // Clicks belong to the control, as with the GL surface.
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setGeometry(control->rect());
  control->installEventFilter(this);
}

bool ScopePaintSurface::eventFilter(QObject* watched, QEvent* event) {
  if (watched == parent() && event->type() == QEvent::Resize) {
    const QSize size = static_cast<QResizeEvent*>(event)->size();
    setGeometry(QRect(QPoint(0, 0), size));
    if (owner_ != nullptr) owner_->Resize(size.width(), size.height());
  }
  return false;
}

void ScopePaintSurface::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.drawImage(event->rect(), picture_, event->rect());
}

ScopePainterRenderer::ScopePainterRenderer(QWidget* control)
    : surface_(new ScopePaintSurface(control, this)),
      font_(ScopeTextFont(kScopeFontSize)),
      fontSize_(kScopeFontSize),
      points_(std::make_unique<std::array<QPoint, kScopePoints>>()) {
  StoreClientSize(control->width(), control->height());
  surface_->show();
}

ScopePainterRenderer::~ScopePainterRenderer() {
  if (ScopePaintSurface* surface = surface_.data(); surface != nullptr) {
    surface->Detach();
    delete surface;
  }
}

void ScopePainterRenderer::Resize(int width, int height) {
  if (util::ClosingFlag.load() || surface_ == nullptr) return;
  StoreClientSize(width, height);
  if (surface_->Picture().size() != QSize(Width(), Height())) {
    surface_->Picture() = QImage(Width(), Height(), QImage::Format_RGB32);
    surface_->Picture().fill(util::ToQColor(View().BackgroundColour));
  }
  Draw();
}

bool ScopePainterRenderer::BeginFrame(util::TColor background) {
  if (surface_ == nullptr) return false;
  QImage& picture = surface_->Picture();
  if (picture.size() != QSize(Width(), Height())) return false;
  picture.fill(util::ToQColor(background));
  if (!painter_.begin(&picture)) return false;
  painter_.setRenderHint(QPainter::Antialiasing, false);
  painter_.setRenderHint(QPainter::TextAntialiasing, false);
  painter_.setFont(font_);
  return true;
}

void ScopePainterRenderer::EndFrame() {
  painter_.end();
  surface_->update();
}

void ScopePainterRenderer::Lines(std::span<const util::GlVertex> strip, util::TColor colour) {
  if (strip.size() < 2) return;
  const std::size_t n = std::min(strip.size(), points_->size());
  for (std::size_t i = 0; i < n; ++i) (*points_)[i] = QPoint(strip[i][0], Row(strip[i][1]));
  painter_.setPen(QPen(util::ToQColor(colour), 0));
  painter_.drawPolyline(points_->data(), static_cast<int>(n));
}

void ScopePainterRenderer::Points(std::span<const util::GlVertex> points, util::TColor colour) {
  const std::size_t n = std::min(points.size(), points_->size());
  for (std::size_t i = 0; i < n; ++i) (*points_)[i] = QPoint(points[i][0], Row(points[i][1]));
  painter_.setPen(QPen(util::ToQColor(colour), 0));
  painter_.drawPoints(points_->data(), static_cast<int>(n));
}

void ScopePainterRenderer::Text(int x, int y, std::string_view text, util::TColor colour) {
  painter_.setPen(util::ToQColor(colour));
  // The GL text's lowest ink row is row y: the baseline lies one row below it.
  painter_.drawText(x, Row(y) + 1, QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

void ScopePainterRenderer::Dot(int x, int y, int size, util::TColor colour) {
  painter_.setPen(Qt::NoPen);
  painter_.setBrush(util::ToQColor(colour));
  const double half = size / 2.0;
  painter_.drawEllipse(QRectF(x - half, Row(y) - half + 1, size, size));
  painter_.setBrush(Qt::NoBrush);
}

void ScopePainterRenderer::BackgroundChanged(util::TColor colour) {
  // As the GL surface: the new background shows at once, the picture follows with the next frame.
  if (surface_ == nullptr || painter_.isActive()) return;
  surface_->Picture().fill(util::ToQColor(colour));
  surface_->update();
}

}  // namespace ui
