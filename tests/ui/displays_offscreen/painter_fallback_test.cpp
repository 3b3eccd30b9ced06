// The displays where there is no OpenGL: on the "offscreen" platform a shown GL surface would end
// the program, so the spectrum draws with QPainter, says so once in the log, and shows the same
// grid and trace.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QImage>
#include <QWidget>

#include "settings/set_manager.h"
#include "support/log_capture.h"
#include "ui/scheme_colours.h"
#include "ui/displays/fft_widget_form.h"
#include "ui/displays/iq_form.h"
#include "ui/displays/scope_drawing.h"
#include "ui/displays/scope_painter.h"
#include "ui/displays/setup_main_status_form.h"
#include "util/gui/qt_colour.h"

namespace {

constexpr const char* kGlLine = "Spectrum displays draw with OpenGL";
constexpr const char* kOffscreenLine =
    "Spectrum displays draw with QPainter: the \"offscreen\" platform has no OpenGL windows";

TEST(ScopeDrawingChoice, PlatformsWithoutGlWindowsAndDisplaysWithoutGlDrawWithQPainter) {
  struct Row {
    const char* platform;
    bool glWorks;
    const char* renderer;
    ui::ScopeDrawing drawing;
    std::string reason;
  };
  for (const Row& row :
       {Row{"xcb", true, "Mesa Intel(R) UHD Graphics 620 (KBL GT2)", ui::ScopeDrawing::OpenGl, ""},
        Row{"xcb", false, "", ui::ScopeDrawing::Painter, "no OpenGL context on this display"},
        Row{"wayland", true, "AMD Radeon RX 6600", ui::ScopeDrawing::OpenGl, ""},
        Row{"xcb", true, "llvmpipe (LLVM 15.0.6, 256 bits)", ui::ScopeDrawing::Painter,
            "OpenGL is rendered in software (llvmpipe (LLVM 15.0.6, 256 bits))"},
        Row{"xcb", true, "softpipe", ui::ScopeDrawing::Painter, "OpenGL is rendered in software (softpipe)"},
        Row{"offscreen", true, "", ui::ScopeDrawing::Painter, "the \"offscreen\" platform has no OpenGL windows"},
        Row{"minimal", true, "", ui::ScopeDrawing::Painter, "the \"minimal\" platform has no OpenGL windows"}}) {
    SCOPED_TRACE(row.platform + std::string(" ") + row.renderer);
    const ui::ScopeDrawingChoice choice = ui::DecideScopeDrawing(row.platform, row.glWorks, row.renderer);
    EXPECT_EQ(choice.Drawing, row.drawing);
    EXPECT_EQ(choice.Reason, row.reason);
  }
}

TEST(ScopeDrawingChoice, MadeAndLoggedOncePerPolicy) {
  ASSERT_EQ(QGuiApplication::platformName(), "offscreen");
  testsupport::LoggedProgramFolder folder;
  ui::ScopeDrawingPolicy policy;
  EXPECT_EQ(policy.Choose(), ui::ScopeDrawing::Painter);
  EXPECT_EQ(policy.Choose(), ui::ScopeDrawing::Painter);
  const std::vector<std::string> texts = folder.LogTexts();
  EXPECT_EQ(std::count(texts.begin(), texts.end(), kOffscreenLine), 1);
  EXPECT_EQ(std::count(texts.begin(), texts.end(), kGlLine), 0);
}

// The whole panel shown off screen, as the card window's tests will show it: the spectrum draws
// its grid and trace with QPainter, the constellation its points.
TEST(PanelOffScreen, ShowsAndDrawsWithoutGl) {
  kr20setmgrclass manager;
  gKr20SetMgr = &manager;
  settings::DisplayDataBlock& block = manager.DisplayBlock(0, 0);
  std::vector<double> values(2000, -40.0);
  block.SpectrumCount = 2000;
  std::memcpy(reinterpret_cast<std::byte*>(&block) + offsetof(settings::DisplayDataBlock, SpectrumPoints), values.data(),
              values.size() * sizeof(double));
  const double pairs[4] = {1.0, 1.0, -1.0, -1.0};
  block.IqCount = 2;
  std::memcpy(reinterpret_cast<std::byte*>(&block) + offsetof(settings::DisplayDataBlock, IqPairs), pairs, sizeof pairs);

  QWidget host;
  host.resize(515, 150);
  auto* panel = new TSetupMainStatusForm(&host, 0, 0);
  host.show();
  QCoreApplication::processEvents();
  ASSERT_TRUE(panel->DisplaysCreated());
  TFft_WidgetForm* spectrum = panel->SpectrumDisplay();
  ASSERT_NE(dynamic_cast<ui::ScopePainterRenderer*>(spectrum->Renderer()), nullptr);
  panel->UpdateChannelStatus();
  QCoreApplication::processEvents();
  EXPECT_EQ(spectrum->PointCount(), 2000);
  EXPECT_EQ(panel->IqDisplay()->PointCount(), 2);

  const QImage screen = spectrum->PanelVideo->grab().toImage().convertToFormat(QImage::Format_RGB32);
  const QRgb trace = util::ToQColor(ui::SchemeColour(config::kTraceColor)).rgb();
  const QRgb grid = util::ToQColor(ui::SchemeColour(config::kGridColor)).rgb();
  const int row = screen.height() - 1 - spectrum->Renderer()->RowOf(-40.0);
  int onRow = 0;
  int gridPixels = 0;
  for (int x = 0; x < screen.width(); ++x) onRow += screen.pixel(x, row) == trace ? 1 : 0;
  for (int y = 0; y < screen.height(); ++y) gridPixels += screen.pixel(15, y) == grid ? 1 : 0;
  EXPECT_GT(onRow, screen.width() - 4);
  EXPECT_GT(gridPixels, screen.height() / 2) << "the first vertical grid line";
  panel->CloseChannelDisplays();
  gKr20SetMgr = nullptr;
}

}  // namespace
