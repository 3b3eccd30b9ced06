#include "ui/displays/scope_gl.h"

#include <GL/gl.h>

#include <string>

#include "util/process_globals.h"
#include "util/speaker.h"

namespace ui {

namespace {
constexpr int kScopeFontSize = 9;
constexpr double kScopePointScale = 1.0;
}  // namespace

scopeglclass::scopeglclass(QWidget* control) : vopglbaseclass(control) {
  SetFontSize(kScopeFontSize);
  SetPointScale(kScopePointScale);
}

scopeglclass::~scopeglclass() = default;

void scopeglclass::Resize(int width, int height) {
  if (util::ClosingFlag.load() || !HasContext()) return;
  StoreClientSize(width, height);
  vopglbaseclass::Resize(width, height);
  Draw();
}

void scopeglclass::ContextResized(int width, int height) { Resize(width, height); }

bool scopeglclass::BeginFrame(util::TColor background) {
  if (!MakeCurrent()) return false;
  glClearColor(util::RedOf(background) / 255.0f, util::GreenOf(background) / 255.0f, util::BlueOf(background) / 255.0f,
               1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  SetPointScale(PointScale());
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  return true;
}

void scopeglclass::EndFrame() {
  glFlush();
  if (!SwapBuffers()) util::SpeakerDoubleClick();
  glFinish();
  DoneCurrent();
}

void scopeglclass::Lines(std::span<const util::GlVertex> strip, util::TColor colour) {
  util::SetGlColor(colour);
  DrawLines(strip);
}

void scopeglclass::Points(std::span<const util::GlVertex> points, util::TColor colour) {
  util::SetGlColor(colour);
  DrawPoints(points);
}

void scopeglclass::Text(int x, int y, std::string_view text, util::TColor colour) {
  DrawText(x, y, std::string(text), 0, colour);
}

void scopeglclass::Dot(int x, int y, int size, util::TColor colour) {
  util::SetGlColor(colour);
  util::DrawGlEllipse(true, size, size, y, x);
}

void scopeglclass::BackgroundChanged(util::TColor colour) { SetBackgroundColour(colour); }

}  // namespace ui
