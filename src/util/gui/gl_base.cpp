#include "util/gui/gl_base.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include <QEvent>
#include <QFontMetrics>
#include <QImage>
#include <QOpenGLContext>
#include <QOpenGLWidget>
#include <QPainter>
#include <QResizeEvent>

#include "util/gui/qt_colour.h"
#include "util/process_globals.h"

namespace util {

namespace {

// Vertices at whole pixels land inside their pixels rather than on pixel edges, so lines and
// points light the same pixels on every GL implementation.
constexpr double kPixelCentreShift = 0.375;

constexpr int kEllipseCorners = 64;

GLfloat Component(std::uint8_t value) { return static_cast<GLfloat>(value) / 255.0f; }

}  // namespace

// The GL surface over the control. Its picture is drawn outside paint events, so a paint only
// shows it and the framebuffer is kept after each composition.
class GlSurface final : public QOpenGLWidget {
 public:
  GlSurface(QWidget* control, vopglbaseclass* owner) : QOpenGLWidget(control), owner_(owner) {
    setObjectName(QStringLiteral("GlSurface"));
    setUpdateBehavior(QOpenGLWidget::PartialUpdate);
    // Clicks belong to the control, as they would with GL drawn on the control itself.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(control->rect());
    control->installEventFilter(this);
  }

  void Detach() { owner_ = nullptr; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == parent() && event->type() == QEvent::Resize) {
      setGeometry(QRect(QPoint(0, 0), static_cast<QResizeEvent*>(event)->size()));
    }
    return false;
  }

  void paintGL() override {}

  void resizeGL(int width, int height) override {
    if (owner_ != nullptr) owner_->ContextResized(width, height);
  }

 private:
  vopglbaseclass* owner_;
};

vopglbaseclass::vopglbaseclass(QWidget* control) {
  auto* surface = new GlSurface(control, this);
  widget_ = surface;
  surface->show();
}

vopglbaseclass::~vopglbaseclass() {
  if (auto* surface = static_cast<GlSurface*>(widget_.data()); surface != nullptr) {
    surface->Detach();
    delete surface;
  }
}

bool vopglbaseclass::HasContext() const {
  return widget_ != nullptr && widget_->context() != nullptr && widget_->context()->isValid();
}

bool vopglbaseclass::MakeCurrent() {
  if (!HasContext()) return false;
  widget_->makeCurrent();
  return QOpenGLContext::currentContext() == widget_->context();
}

bool vopglbaseclass::SwapBuffers() {
  if (!HasContext()) return false;
  glFlush();
  widget_->update();
  return true;
}

void vopglbaseclass::DoneCurrent() {
  if (HasContext()) widget_->doneCurrent();
}

double vopglbaseclass::PixelRatio() const { return widget_ != nullptr ? widget_->devicePixelRatioF() : 1.0; }

bool vopglbaseclass::Resize(int width, int height) {
  clientWidth_ = std::max(width, 1);
  clientHeight_ = std::max(height, 1);
  if (!MakeCurrent()) return false;
  const double ratio = PixelRatio();
  glViewport(0, 0, static_cast<GLsizei>(std::lround(clientWidth_ * ratio)),
             static_cast<GLsizei>(std::lround(clientHeight_ * ratio)));
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0.0, clientWidth_, 0.0, clientHeight_, -1.0, 1.0);
  glTranslated(kPixelCentreShift, kPixelCentreShift, 0.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  return true;
}

void vopglbaseclass::ContextResized(int width, int height) { Resize(width, height); }

void vopglbaseclass::ClearBackground() {
  glClear(GL_COLOR_BUFFER_BIT);
  glClearColor(Component(RedOf(background_)), Component(GreenOf(background_)), Component(BlueOf(background_)),
               1.0f);
}

void vopglbaseclass::SetBackgroundColour(TColor colour) {
  background_ = colour;
  if (!MakeCurrent()) return;
  glClearColor(Component(RedOf(colour)), Component(GreenOf(colour)), Component(BlueOf(colour)), 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  glFinish();
  widget_->update();
}

void vopglbaseclass::DrawLines(std::span<const GlVertex> vertices) {
  if (vertices.size() < 2) return;
  glBegin(GL_LINE_STRIP);
  for (const GlVertex& v : vertices) glVertex2i(v[0], v[1]);
  glEnd();
}

void vopglbaseclass::DrawLines(int n, const GlVertex* vertices) {
  if (n < 2 || vertices == nullptr) return;
  DrawLines(std::span(vertices, static_cast<std::size_t>(n)));
}

void vopglbaseclass::DrawPoints(std::span<const GlVertex> vertices) {
  if (vertices.empty()) return;
  glBegin(GL_POINTS);
  for (const GlVertex& v : vertices) glVertex2i(v[0], v[1]);
  glEnd();
}

void vopglbaseclass::DrawPoints(int n, const GlVertex* vertices) {
  if (n < 1 || vertices == nullptr) return;
  DrawPoints(std::span(vertices, static_cast<std::size_t>(n)));
}

void vopglbaseclass::BuildFonts() {
  for (std::size_t style = 0; style < fonts_.size(); ++style) {
    QFont font(QStringLiteral("Courier New"));
    // Bitmap-like glyphs: every text pixel is exactly the text colour.
    font.setStyleHint(QFont::TypeWriter, QFont::NoAntialias);
    font.setFixedPitch(true);
    font.setPixelSize(fontSize_);
    font.setBold(style == 1);
    font.setItalic(style == 2);
    fonts_[style] = font;
  }
  fontsBuilt_ = true;
}

void vopglbaseclass::DrawText(int x, int y, const std::string& text, int style, TColor colour) {
  if (!fontsBuilt_) BuildFonts();
  SetGlColor(colour);
  if (text.empty()) return;
  const QFont& font = fonts_[style == 1 || style == 2 ? static_cast<std::size_t>(style) : 0];
  const QString line = QString::fromStdString(text);

  // The image spans the advance and the ink (italic glyphs lean out of the advance), with the
  // baseline origin at (-left, -top).
  const QFontMetrics metrics(font);
  const QRect ink = metrics.boundingRect(line);
  const int left = std::min(0, ink.left());
  const int right = std::max(metrics.horizontalAdvance(line), ink.right() + 1);
  const int top = std::min(-metrics.ascent(), ink.top());
  const int bottom = std::max(metrics.descent(), ink.bottom() + 1);
  if (right <= left || bottom <= top) return;

  const double ratio = PixelRatio();
  QImage image(static_cast<int>(std::ceil((right - left) * ratio)), static_cast<int>(std::ceil((bottom - top) * ratio)),
               QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(ratio);
  image.fill(Qt::transparent);
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setFont(font);
    painter.setPen(ToQColor(colour));
    painter.drawText(-left, -top, line);
  }
  // GL rows run bottom-up.
  const QImage pixels = image.convertToFormat(QImage::Format_RGBA8888).mirrored();

  glRasterPos2i(x, y);
  // Moves the raster position to the image's lower left corner; a bitmap of no pixels only moves.
  glBitmap(0, 0, 0.0f, 0.0f, static_cast<GLfloat>(left * ratio), static_cast<GLfloat>(-bottom * ratio), nullptr);
  glPushAttrib(GL_COLOR_BUFFER_BIT | GL_ENABLE_BIT);
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
  glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
  glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDrawPixels(pixels.width(), pixels.height(), GL_RGBA, GL_UNSIGNED_BYTE, pixels.constBits());
  glPopClientAttrib();
  glPopAttrib();
}

void vopglbaseclass::SetFontSize(int size) {
  if (ClosingFlag.load()) return;
  size = std::clamp(size, kMinFontSize, kMaxFontSize);
  if (size == fontSize_ && fontsBuilt_) return;
  fontSize_ = size;
  BuildFonts();
}

void vopglbaseclass::SetPointScale(double value) {
  if (ClosingFlag.load()) return;
  // Written so that NaN ends at the lower limit.
  pointScale_ = value >= kMinPointScale ? std::min(value, kMaxPointScale) : kMinPointScale;
  if (!MakeCurrent()) return;
  const auto size = static_cast<GLfloat>(pointScale_ * PixelRatio());
  glPointSize(size);
  glLineWidth(size);
}

void SetGlColor(TColor colour) { glColor3ub(RedOf(colour), GreenOf(colour), BlueOf(colour)); }

void DrawGlEllipse(bool filled, double width, double height, double centreY, double centreX) {
  const double radiusX = width / 2.0;
  const double radiusY = height / 2.0;
  glBegin(filled ? GL_TRIANGLE_FAN : GL_LINE_LOOP);
  if (filled) glVertex2d(centreX, centreY);
  // The fan repeats its first rim corner to close; the loop closes by itself.
  const int corners = filled ? kEllipseCorners + 1 : kEllipseCorners;
  for (int i = 0; i < corners; ++i) {
    const double angle = 2.0 * std::numbers::pi * i / kEllipseCorners;
    glVertex2d(centreX + radiusX * std::cos(angle), centreY + radiusY * std::sin(angle));
  }
  glEnd();
}

}  // namespace util
