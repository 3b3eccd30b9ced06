#pragma once
// The IQ picture: a cross-hair with ticks at +-0.5 and the points of a constellation, painted
// straight into the pixels of an RGB32 image (no painter, nothing allocated per picture).
//
// Mapping with W x H pixels and the axes made for corners A = (-1.25, +1.25), B = (+1.25, -1.25):
// x = round((I - B.x - offset x) / x units per pixel) + shift, y = H - round((Q - B.y - offset y) /
// y units per pixel): I = +1.25 on the left edge, -1.25 on the right, Q = +1.25 on the top edge.
#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include <QImage>
#include <QPoint>

#include "util/colour.h"

namespace ui {

// One IQ pair: I, then Q.
using IqPoint = std::array<double, 2>;

struct IqCorner {
  double X = 0.0;
  double Y = 0.0;
};

inline constexpr IqCorner kIqCornerA{-1.25, 1.25};
inline constexpr IqCorner kIqCornerB{1.25, -1.25};

class IqPlot {
 public:
  util::TColor PointColour = 0x00FF00u;
  util::TColor CentreMarkColour = 0x00FFFFu;
  util::TColor BackgroundColour = 0;
  util::TColor GridColour = 0x151528u;
  int GridDivisions = 2;
  std::uint8_t MirrorVertically = 1;
  double OffsetX = 0.0;
  double OffsetY = 0.0;
  int PixelShiftX = 0;

  // The grid steps for a W x H picture.
  void SetGridSteps(int width, int height);
  // Axes for `count` pairs between the corners; nothing for a count below 1 or an empty picture.
  void SetAxes(int count, IqCorner a, IqCorner b, int width, int height);
  // Axes with no extent: nothing is drawn on them until other axes are made.
  void SetProvisionalAxes();

  int AxisCount() const { return axisCount_; }
  double XUnitsPerPixel() const { return xUnitsPerPixel_; }
  double YUnitsPerPixel() const { return yUnitsPerPixel_; }
  int GridStepX() const { return gridStepX_; }
  int GridStepY() const { return gridStepY_; }
  IqCorner CornerA() const { return cornerA_; }
  IqCorner CornerB() const { return cornerB_; }

  // The pixel of a pair; none for non-finite values or while the axes have no extent.
  std::optional<QPoint> Map(double i, double q, int height) const;

  // Background, cross-hair, centre mark and ticks over the W x H corner of `image`.
  void DrawBackground(QImage& image, int width, int height) const;
  // The first pair as a 2 x 2 square, every other one as a pixel; pairs outside the picture or
  // with non-finite values are skipped.
  void DrawPoints(QImage& image, int width, int height, std::span<const IqPoint> pairs) const;

 private:
  void DrawTicks(QImage& image, int width, int height) const;

  int gridStepX_ = 1;
  int gridStepY_ = 1;
  int axisCount_ = 1;
  IqCorner cornerA_{1.25, -1.25};
  IqCorner cornerB_{1.25, -1.25};
  double xUnitsPerPixel_ = 0.0;
  double yUnitsPerPixel_ = 0.0;
};

// A pixel of `image` inside the W x H corner; nothing outside.
void PutPixel(QImage& image, int width, int height, int x, int y, util::TColor colour);
// A line from (x0, y0) towards (x1, y1), the end pixel left out as a pen's line does.
void PutLine(QImage& image, int width, int height, int x0, int y0, int x1, int y1, util::TColor colour);

}  // namespace ui
