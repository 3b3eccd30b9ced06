#pragma once
// The spectrum renderer drawn with QPainter, for displays without OpenGL (no GL on the X server,
// the "offscreen" platform). It draws the same lines, points and texts as the GL renderer into a
// picture of the control's size and shows that picture over the control.
#include <array>
#include <memory>

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPointer>
#include <QWidget>

#include "ui/displays/scope_renderer.h"

namespace ui {

class ScopePainterRenderer;

// The widget over the control that shows the finished picture and follows the control's size.
class ScopePaintSurface final : public QWidget {
 public:
  ScopePaintSurface(QWidget* control, ScopePainterRenderer* owner);
  void Detach() { owner_ = nullptr; }
  const QImage& Picture() const { return picture_; }
  QImage& Picture() { return picture_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  ScopePainterRenderer* owner_;
  QImage picture_;
};

class ScopePainterRenderer final : public ScopeRenderer {
 public:
  // Draws on `control`; font size 9 as the GL renderer.
  explicit ScopePainterRenderer(QWidget* control);
  ~ScopePainterRenderer() override;

  void Resize(int width, int height) override;

  // The surface; nullptr once Qt has deleted it with the control.
  ScopePaintSurface* Surface() const { return surface_.data(); }

 protected:
  bool BeginFrame(util::TColor background) override;
  void EndFrame() override;
  void Lines(std::span<const util::GlVertex> strip, util::TColor colour) override;
  void Points(std::span<const util::GlVertex> points, util::TColor colour) override;
  void Text(int x, int y, std::string_view text, util::TColor colour) override;
  void Dot(int x, int y, int size, util::TColor colour) override;
  int TextFontSize() const override { return fontSize_; }
  void BackgroundChanged(util::TColor colour) override;

 private:
  // GL rows count upwards from the bottom; picture rows downwards from the top.
  int Row(int y) const { return Height() - 1 - y; }

  QPointer<ScopePaintSurface> surface_;
  QPainter painter_;
  QFont font_;
  int fontSize_;
  std::unique_ptr<std::array<QPoint, kScopePoints>> points_;
};

// The font of the spectrum texts: fixed pitch, every text pixel exactly the text colour.
QFont ScopeTextFont(int pixelSize);

}  // namespace ui
