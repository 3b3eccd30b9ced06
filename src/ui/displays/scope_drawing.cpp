#include "ui/displays/scope_drawing.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>

#include "ui/displays/scope_gl.h"
#include "ui/displays/scope_painter.h"
#include "util/error_log.h"

namespace ui {

namespace {

bool IsSoftwareRenderer(std::string_view renderer) {
  for (std::string_view name : {"llvmpipe", "softpipe", "swrast", "Software Rasterizer"}) {
    if (renderer.find(name) != std::string_view::npos) return true;
  }
  return false;
}

}  // namespace

ScopeDrawingChoice DecideScopeDrawing(std::string_view platformName, bool glWorks, std::string_view glRenderer) {
  if (platformName == "offscreen" || platformName == "minimal") {
    return {ScopeDrawing::Painter, "the \"" + std::string(platformName) + "\" platform has no OpenGL windows"};
  }
  if (!glWorks) return {ScopeDrawing::Painter, "no OpenGL context on this display"};
  if (IsSoftwareRenderer(glRenderer)) {
    return {ScopeDrawing::Painter, "OpenGL is rendered in software (" + std::string(glRenderer) + ")"};
  }
  return {ScopeDrawing::OpenGl, {}};
}

bool ProbeOpenGl(std::string& renderer) {
  QOpenGLContext context;
  if (!context.create()) return false;
  QOffscreenSurface surface;
  surface.setFormat(context.format());
  surface.create();
  if (!surface.isValid() || !context.makeCurrent(&surface)) return false;
  const GLubyte* name = context.functions()->glGetString(GL_RENDERER);
  renderer = name != nullptr ? std::string(reinterpret_cast<const char*>(name)) : std::string();
  context.doneCurrent();
  return true;
}

ScopeDrawing ScopeDrawingPolicy::Choose() {
  std::call_once(once_, [this] {
    const std::string platform = QGuiApplication::platformName().toStdString();
    // The probe itself would need GL windows: it is not tried where there are none.
    std::string renderer;
    const bool glWorks = DecideScopeDrawing(platform, true).Drawing == ScopeDrawing::OpenGl && ProbeOpenGl(renderer);
    const ScopeDrawingChoice choice = DecideScopeDrawing(platform, glWorks, renderer);
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
