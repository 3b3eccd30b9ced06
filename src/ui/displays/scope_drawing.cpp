#include "ui/displays/scope_drawing.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>

#include "ui/displays/scope_gl.h"
#include "ui/displays/scope_painter.h"
#include "util/error_log.h"

namespace ui {

ScopeDrawingChoice DecideScopeDrawing(std::string_view platformName, bool glWorks) {
  if (platformName == "offscreen" || platformName == "minimal") {
    return {ScopeDrawing::Painter, "the \"" + std::string(platformName) + "\" platform has no OpenGL windows"};
  }
  if (!glWorks) return {ScopeDrawing::Painter, "no OpenGL context on this display"};
  return {ScopeDrawing::OpenGl, {}};
}

bool ProbeOpenGl() {
  QOpenGLContext context;
  if (!context.create()) return false;
  QOffscreenSurface surface;
  surface.setFormat(context.format());
  surface.create();
  if (!surface.isValid() || !context.makeCurrent(&surface)) return false;
  context.doneCurrent();
  return true;
}

ScopeDrawing ScopeDrawingPolicy::Choose() {
  std::call_once(once_, [this] {
    const std::string platform = QGuiApplication::platformName().toStdString();
    // The probe itself would need GL windows: it is not tried where there are none.
    const bool glWorks = DecideScopeDrawing(platform, true).Drawing == ScopeDrawing::OpenGl && ProbeOpenGl();
    const ScopeDrawingChoice choice = DecideScopeDrawing(platform, glWorks);
    drawing_ = choice.Drawing;
    util::LogInfo(drawing_ == ScopeDrawing::OpenGl ? std::string("Spectrum displays draw with OpenGL")
                                                   : "Spectrum displays draw with QPainter: " + choice.Reason,
                  0, false);
  });
  return drawing_;
}

ScopeDrawingPolicy& ProgramScopeDrawing() {
  static ScopeDrawingPolicy policy;
  return policy;
}

std::unique_ptr<ScopeRenderer> MakeScopeRenderer(QWidget* control, ScopeDrawing wanted) {
  if (wanted == ScopeDrawing::Auto) wanted = ProgramScopeDrawing().Choose();
  if (wanted == ScopeDrawing::OpenGl) return std::make_unique<scopeglclass>(control);
  return std::make_unique<ScopePainterRenderer>(control);
}

}  // namespace ui
