#pragma once
// OpenGL base class of the displays drawn with GL. It puts a GL surface over a control and offers
// the primitives the renderers build on: background, lines, points, texts in three bitmap font
// styles, point and line scale.
//
// A renderer draws between paint events: MakeCurrent(), GL 1.1 calls in the coordinate system
// set by Resize (x 0..width to the right, y 0..height upwards, one unit per pixel), SwapBuffers()
// to have the picture shown, DoneCurrent(). The surface keeps its picture between frames; a
// surface of a new size starts blank and calls ContextResized, which renderers override to
// redraw. The context exists once the control has been shown.
#include <array>
#include <span>
#include <string>

#include <QFont>
#include <QPointer>

#include "util/colour.h"

class QOpenGLWidget;
class QWidget;

namespace util {

// One (x, y) vertex in pixels.
using GlVertex = std::array<int, 2>;

class GlSurface;

class vopglbaseclass {
 public:
  static constexpr int kMinFontSize = 5;
  static constexpr int kMaxFontSize = 100;
  static constexpr double kMinPointScale = 1.0;
  static constexpr double kMaxPointScale = 20.0;

  // Puts a GL surface over the whole of `control`, following its size.
  explicit vopglbaseclass(QWidget* control);
  virtual ~vopglbaseclass();
  vopglbaseclass(const vopglbaseclass&) = delete;
  vopglbaseclass& operator=(const vopglbaseclass&) = delete;

  // The surface; nullptr once Qt has deleted it with the control.
  QOpenGLWidget* GlWidget() const { return widget_.data(); }
  bool HasContext() const;

  // False when there is no context (yet or any more).
  bool MakeCurrent();
  // Flushes the drawing and has the surface shown with it.
  bool SwapBuffers();
  void DoneCurrent();

  // Stores the client size (each at least 1), makes the context current and sets the viewport
  // and the pixel projection. False without a context.
  bool Resize(int width, int height);

  int ClientWidth() const { return clientWidth_; }
  int ClientHeight() const { return clientHeight_; }
  int FontSize() const { return fontSize_; }
  double PointScale() const { return pointScale_; }
  TColor BackgroundColour() const { return background_; }

  // Clears the colour buffer, then makes the stored background the clear colour.
  void ClearBackground();
  // Stores the background and clears the surface with it at once.
  void SetBackgroundColour(TColor colour);

  // Line segments between consecutive vertices; nothing below two vertices.
  void DrawLines(std::span<const GlVertex> vertices);
  void DrawLines(int n, const GlVertex* vertices);
  void DrawPoints(std::span<const GlVertex> vertices);
  void DrawPoints(int n, const GlVertex* vertices);

  // `text` with its baseline starting at (x, y) in `colour`; style 1 bold, 2 italic, any other
  // normal. Leaves `colour` as the drawing colour.
  void DrawText(int x, int y, const std::string& text, int style, TColor colour);

  // Font size in pixels, limited to 5..100. Ignored while the program closes.
  void SetFontSize(int size);
  // Point size and line width in pixels, limited to 1..20. Ignored while the program closes.
  void SetPointScale(double value);

 protected:
  // The surface got a new size and a blank picture; the default sets the projection for it.
  virtual void ContextResized(int width, int height);

 private:
  friend class GlSurface;

  void BuildFonts();
  double PixelRatio() const;

  QPointer<QOpenGLWidget> widget_;
  int clientWidth_ = 1;
  int clientHeight_ = 1;
  int fontSize_ = 10;
  double pointScale_ = 1.0;
  TColor background_ = 0;
  bool fontsBuilt_ = false;
  std::array<QFont, 3> fonts_;
};

// The current drawing colour.
void SetGlColor(TColor colour);

// A filled or outlined ellipse of the given full width and height around (centreX, centreY),
// as a polygon of 64 corners.
void DrawGlEllipse(bool filled, double width, double height, double centreY, double centreX);

}  // namespace util
