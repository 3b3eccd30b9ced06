#include "ui/displays/iq_plot.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace ui {

namespace {

constexpr int kTickHalf = 3;
constexpr int kMarkHalf = 3;
constexpr double kTickValue = 0.5;
// Far outside any picture; keeps wild values inside the integer range.
constexpr double kPixelLimit = 1 << 20;

QRgb Rgb(util::TColor colour) { return qRgb(util::RedOf(colour), util::GreenOf(colour), util::BlueOf(colour)); }

bool Usable(const QImage& image, int width, int height) {
  return image.format() == QImage::Format_RGB32 && width > 0 && height > 0;
}

}  // namespace

void PutPixel(QImage& image, int width, int height, int x, int y, util::TColor colour) {
  if (x < 0 || y < 0 || x >= std::min(width, image.width()) || y >= std::min(height, image.height())) return;
  reinterpret_cast<QRgb*>(image.scanLine(y))[x] = Rgb(colour);
}

void PutLine(QImage& image, int width, int height, int x0, int y0, int x1, int y1, util::TColor colour) {
  const int dx = std::abs(x1 - x0);
  const int dy = -std::abs(y1 - y0);
  const int sx = x0 < x1 ? 1 : -1;
  const int sy = y0 < y1 ? 1 : -1;
  int error = dx + dy;
  while (x0 != x1 || y0 != y1) {
    PutPixel(image, width, height, x0, y0, colour);
    const int twice = 2 * error;
    if (twice >= dy) {
      error += dy;
      x0 += sx;
    }
    if (twice <= dx) {
      error += dx;
      y0 += sy;
    }
  }
}

void IqPlot::SetGridSteps(int width, int height) {
  const bool divided = GridDivisions >= 2;
  gridStepX_ = divided ? width / GridDivisions : width;
  gridStepY_ = divided ? height / GridDivisions : height;
}

void IqPlot::SetAxes(int count, IqCorner a, IqCorner b, int width, int height) {
  if (count < 1 || width <= 0 || height <= 0) return;
  axisCount_ = count;
  cornerA_ = a;
  cornerB_ = b;
  xUnitsPerPixel_ = (a.X - b.X) / width;
  yUnitsPerPixel_ = (a.Y - b.Y) / height;
}

void IqPlot::SetProvisionalAxes() {
  axisCount_ = 1;
  cornerA_ = {1.25, -1.25};
  cornerB_ = {1.25, -1.25};
  xUnitsPerPixel_ = 0.0;
  yUnitsPerPixel_ = 0.0;
}

std::optional<QPoint> IqPlot::Map(double i, double q, int height) const {
  if (xUnitsPerPixel_ == 0.0 || yUnitsPerPixel_ == 0.0) return std::nullopt;
  const double x = std::round((i - cornerB_.X - OffsetX) / xUnitsPerPixel_) + PixelShiftX;
  double y = std::round((q - cornerB_.Y - OffsetY) / yUnitsPerPixel_);
  if (MirrorVertically != 0) y = height - y;
  if (!(std::fabs(x) < kPixelLimit) || !(std::fabs(y) < kPixelLimit)) return std::nullopt;
  return QPoint(static_cast<int>(x), static_cast<int>(y));
}

void IqPlot::DrawBackground(QImage& image, int width, int height) const {
  if (!Usable(image, width, height)) return;
  const int w = std::min(width, image.width());
  const int h = std::min(height, image.height());
  const QRgb background = Rgb(BackgroundColour);
  for (int y = 0; y < h; ++y) std::fill_n(reinterpret_cast<QRgb*>(image.scanLine(y)), w, background);

  int x = gridStepX_;
  for (int j = 0; j <= GridDivisions - 2; ++j, x += gridStepX_) PutLine(image, width, height, x, 0, x, height, GridColour);
  int y = gridStepY_;
  for (int j = 0; j <= GridDivisions - 2; ++j, y += gridStepY_) {
    PutLine(image, width, height, 0, y, width, y, GridColour);
    if (j == GridDivisions / 2 - 1) {
      PutLine(image, width, height, 0, y - kMarkHalf, kMarkHalf, y, CentreMarkColour);
      PutLine(image, width, height, kMarkHalf, y, 0, y + kMarkHalf, CentreMarkColour);
      PutLine(image, width, height, 0, y + kMarkHalf, 0, y - kMarkHalf, CentreMarkColour);
    }
  }
  DrawTicks(image, width, height);
}

void IqPlot::DrawTicks(QImage& image, int width, int height) const {
  const std::optional<QPoint> centre = Map(0.0, 0.0, height);
  if (!centre) return;
  for (const double v : {kTickValue, -kTickValue}) {
    if (const std::optional<QPoint> at = Map(v, v, height)) {
      PutLine(image, width, height, at->x(), centre->y() - kTickHalf, at->x(), centre->y() + kTickHalf, GridColour);
      PutLine(image, width, height, centre->x() - kTickHalf, at->y(), centre->x() + kTickHalf, at->y(), GridColour);
    }
  }
}

void IqPlot::DrawPoints(QImage& image, int width, int height, std::span<const IqPoint> pairs) const {
  if (axisCount_ < 1 || !Usable(image, width, height)) return;
  bool first = true;
  for (const IqPoint& pair : pairs) {
    const std::optional<QPoint> at = Map(pair[0], pair[1], height);
    if (!at) {
      first = false;
      continue;
    }
    PutPixel(image, width, height, at->x(), at->y(), PointColour);
    if (first) {
      PutPixel(image, width, height, at->x() + 1, at->y(), PointColour);
      PutPixel(image, width, height, at->x(), at->y() + 1, PointColour);
      PutPixel(image, width, height, at->x() + 1, at->y() + 1, PointColour);
      first = false;
    }
  }
}

}  // namespace ui
