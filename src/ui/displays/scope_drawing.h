#pragma once
// Which way the spectrum displays draw: with OpenGL where the display offers it, else with
// QPainter. A shown GL surface on a platform without GL windows (the "offscreen" platform) ends
// the program, so the choice is made before any surface exists, once per program, and logged.
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

class QWidget;

namespace ui {

class ScopeRenderer;

enum class ScopeDrawing { Auto, OpenGl, Painter };

struct ScopeDrawingChoice {
  ScopeDrawing Drawing = ScopeDrawing::Painter;
  std::string Reason;  // empty for OpenGL
};

// The choice for a platform: QPainter on the platforms without GL windows ("offscreen",
// "minimal"), when no GL context can be made current (`glWorks` false), or when the GL renderer
// is a software rasterizer (Mesa's llvmpipe, softpipe, swrast): there QPainter draws the same
// picture at about a quarter of the processor time. OpenGL otherwise.
ScopeDrawingChoice DecideScopeDrawing(std::string_view platformName, bool glWorks, std::string_view glRenderer = {});

// True when a GL context can be created and made current on this display; `renderer` gets the
// GL renderer's name.
bool ProbeOpenGl(std::string& renderer);

// The choice made once and logged once:
//   "Spectrum displays draw with OpenGL"
//   "Spectrum displays draw with QPainter: <reason>"
class ScopeDrawingPolicy {
 public:
  ScopeDrawing Choose();

 private:
  std::once_flag once_;
  ScopeDrawing drawing_ = ScopeDrawing::Painter;
};

// The program's policy.
ScopeDrawingPolicy& ProgramScopeDrawing();

// A renderer on `control`: `wanted`, or the program's choice for Auto.
std::unique_ptr<ScopeRenderer> MakeScopeRenderer(QWidget* control, ScopeDrawing wanted);

}  // namespace ui
