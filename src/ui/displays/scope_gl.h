#pragma once
// The spectrum renderer drawn with OpenGL on the utility library's GL base class.
#include "ui/displays/scope_renderer.h"
// The base class keeps its surface in a QPointer, which needs the whole type.
#include <QOpenGLWidget>

#include "util/gui/gl_base.h"

class QWidget;

namespace ui {

class scopeglclass final : public ScopeRenderer, public util::vopglbaseclass {
 public:
  // Draws on `control` (a GL surface over it); font size 9, point scale 1.
  explicit scopeglclass(QWidget* control);
  ~scopeglclass() override;

  void Resize(int width, int height) override;

 protected:
  bool BeginFrame(util::TColor background) override;
  void EndFrame() override;
  void Lines(std::span<const util::GlVertex> strip, util::TColor colour) override;
  void Points(std::span<const util::GlVertex> points, util::TColor colour) override;
  void Text(int x, int y, std::string_view text, util::TColor colour) override;
  void Dot(int x, int y, int size, util::TColor colour) override;
  int TextFontSize() const override { return FontSize(); }
  void BackgroundChanged(util::TColor colour) override;
  // A new surface size: the picture is drawn anew for it.
  void ContextResized(int width, int height) override;
};

}  // namespace ui
