#pragma once
// The spectrum picture, independent of what draws it: the scales, the grid, the texts, the
// markers and the trace, computed here and handed to a drawing backend as lines, points and
// texts in pixel coordinates (x 0..width to the right, y 0..height upwards). The OpenGL renderer
// (scopeglclass) and the QPainter renderer (ScopePainterRenderer) only put those on the screen,
// so both show the same picture.
//
// Nothing is allocated per frame: the trace goes through a fixed line buffer of 16384 vertices.
// Consecutive points that fall into one pixel column are drawn as that column's range (first,
// lowest, highest, last point): the same pixels as every segment between them, with a few
// hundred vertices instead of 16384.
#include <array>
#include <cstddef>
#include <memory>
#include <span>
#include <string_view>

#include "ui/displays/scope_view_record.h"
#include "util/colour.h"
// The base class keeps its surface in a QPointer, which needs the whole type.
#include <QOpenGLWidget>

#include "util/gui/gl_base.h"

namespace ui {

inline constexpr std::size_t kScopePoints = 16384;
// One trace vertex: the point's index and its value in dB.
using ScopeVertex = std::array<double, 2>;

class ScopeRenderer {
 public:
  ScopeRenderer();
  virtual ~ScopeRenderer();
  ScopeRenderer(const ScopeRenderer&) = delete;
  ScopeRenderer& operator=(const ScopeRenderer&) = delete;

  // Takes the record (and with it the background colour).
  void SetView(const ScopeViewRecord& view);
  // The trace to draw: `count` vertices of `vertices` (limited to its size and to 16384); the
  // trace colour while `dataFlag` is set, silver otherwise. The vertices stay the caller's and
  // must live as long as the renderer draws them.
  void SetTrace(bool dataFlag, std::span<const ScopeVertex> vertices, int count);
  // Percent, limited to 0..99: 0 shows every point.
  void SetHorizontalZoom(double pct);
  // Percent, limited to 1..1000: 100 shows top..bottom of the view.
  void SetVerticalScale(double pct);
  // Percent of the height, limited to -200..200: positive moves the trace down.
  void SetReferenceOffset(double pct);
  // Texts are drawn only once data has been drawn.
  void SetDataPresent(bool present) { dataPresent_ = present; }

  // New client size (each at least 1), then a frame. Skipped while the program closes.
  virtual void Resize(int width, int height) = 0;
  // One whole frame. Skipped while the program closes or while nothing can be drawn yet.
  void Draw();

  int Width() const { return width_; }
  int Height() const { return height_; }
  double XPixelsPerPoint() const { return xPixelsPerPoint_; }
  double YPixelsPerDb() const { return yPixelsPerDb_; }
  double ReferenceOffsetPixels() const { return referenceOffset_; }
  double VerticalFactor() const { return verticalFactor_; }
  double ZoomFactor() const { return zoomFactor_; }
  const ScopeViewRecord& View() const { return view_; }

  // The pixel row of a value and the pixel column of a point index with the current scales.
  int RowOf(double valueDb) const;
  int ColumnOf(double index) const;

 protected:
  void StoreClientSize(int width, int height);

  // ---- The drawing backend -------------------------------------------------------------------
  // Starts a frame cleared to `background`; false when nothing can be drawn now.
  virtual bool BeginFrame(util::TColor background) = 0;
  virtual void EndFrame() = 0;
  // Segments between consecutive vertices.
  virtual void Lines(std::span<const util::GlVertex> strip, util::TColor colour) = 0;
  virtual void Points(std::span<const util::GlVertex> points, util::TColor colour) = 0;
  // Text with its baseline starting at (x, y).
  virtual void Text(int x, int y, std::string_view text, util::TColor colour) = 0;
  // A filled dot of `size` pixels around (x, y).
  virtual void Dot(int x, int y, int size, util::TColor colour) = 0;
  virtual int TextFontSize() const = 0;
  // The view's background changed (the GL surface clears at once).
  virtual void BackgroundChanged(util::TColor) {}

 private:
  void ComputeScales();
  void DrawGrid();
  void DrawTexts();
  void DrawMarkers();
  void DrawTrace();
  // Draws the collected strip and starts a new one.
  void FlushLines(util::TColor colour);
  void AddTraceVertex(util::GlVertex vertex, util::TColor colour);
  // The points of the trace gathered in the current pixel column.
  struct TraceColumn {
    int X = 0;
    int First = 0;
    int Lowest = 0;
    int Highest = 0;
    int Last = 0;
    int Points = 0;
  };
  void FlushColumn(util::TColor colour);

  ScopeViewRecord view_{};
  bool dataFlag_ = false;
  std::span<const ScopeVertex> vertices_;
  int count_ = 0;
  int width_ = 1;
  int height_ = 1;
  double xPixelsPerPoint_ = 0.0;
  double yPixelsPerDb_ = 0.0;
  double zoomFactor_ = 1.0;
  double verticalFactor_ = 1.0;
  double xOffset_ = 0.0;
  double referencePct_ = 0.0;
  double referenceOffset_ = 0.0;
  bool dataPresent_ = false;
  bool backgroundSet_ = false;
  double bottom_ = -90.0;
  std::unique_ptr<std::array<util::GlVertex, kScopePoints>> lineBuffer_;
  std::size_t lineCount_ = 0;
  TraceColumn column_{};
};

}  // namespace ui
