#include "util/gui/gl_base.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <limits>
#include <memory>
#include <string>
#include <vector>

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLWidget>
#include <QTest>

#include "util/process_globals.h"

namespace util {
namespace {

constexpr QRgb kBlack = 0x000000u, kLime = 0x00FF00u, kRed = 0xFF0000u;
constexpr TColor kLimeT = 0x0000FF00u, kRedT = 0x000000FFu;

// Why a shown GL surface can have no context here; empty where it can. The program draws its
// displays with QPainter there: platforms without GL windows end it when a GL surface paints.
std::string NoGlContext() {
  const std::string platform = QGuiApplication::platformName().toStdString();
  if (platform == "offscreen" || platform == "minimal") {
    return "the \"" + platform + "\" platform has no OpenGL windows";
  }
  QOpenGLContext context;
  if (!context.create()) return "no OpenGL context can be made on this display";
  QOffscreenSurface surface;
  surface.setFormat(context.format());
  surface.create();
  if (!surface.isValid() || !context.makeCurrent(&surface)) {
    return "no OpenGL context can be made current on this display";
  }
  context.doneCurrent();
  return {};
}

struct Box {  // pixels of one colour, GL coordinates (y up), ends included
  int left = 1 << 20, bottom = 1 << 20, right = -1, top = -1, count = 0;
};

// A 200 x 100 window covered by the GL surface, black, in pixel units.
class GlBaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const std::string reason = NoGlContext(); !reason.empty()) GTEST_SKIP() << reason;
    window_.resize(200, 100);
    gl_ = std::make_unique<vopglbaseclass>(&window_);
    window_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
    ASSERT_TRUE(gl_->MakeCurrent());
    ASSERT_TRUE(gl_->Resize(200, 100));
    gl_->SetBackgroundColour(0);
    gl_->ClearBackground();
    SetGlColor(kLimeT);
  }

  QImage Grab() {  // leaves the context current for more drawing
    glFinish();
    QImage image = gl_->GlWidget()->grabFramebuffer();
    gl_->MakeCurrent();
    return image;
  }
  static QRgb At(const QImage& image, int x, int y) { return image.pixel(x, image.height() - 1 - y) & 0xFFFFFFu; }
  static Box BoxOf(const QImage& image, QRgb rgb, int onlyRow = -1) {
    Box box;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        if (At(image, x, y) != rgb || (onlyRow >= 0 && y != onlyRow)) continue;
        box = {std::min(box.left, x), std::min(box.bottom, y), std::max(box.right, x), std::max(box.top, y),
               box.count + 1};
      }
    }
    return box;
  }
  QImage Text(const std::string& text) {
    gl_->ClearBackground();
    gl_->DrawText(20, 20, text, 0, kRedT);
    return Grab();
  }

  QWidget window_;
  std::unique_ptr<vopglbaseclass> gl_;
};

TEST_F(GlBaseTest, LinesAndPointsLightExactPixelsWithYUp) {
  gl_->SetBackgroundColour(0x00FF0000u);  // TColor blue
  gl_->ClearBackground();
  EXPECT_EQ(BoxOf(Grab(), 0x0000FFu).count, 200 * 100);
  gl_->SetBackgroundColour(0);
  gl_->ClearBackground();
  const std::vector<GlVertex> path{{10, 50}, {190, 50}, {190, 10}};
  gl_->DrawLines(1, path.data());  // below two vertices: nothing
  gl_->DrawLines(3, nullptr);
  EXPECT_EQ(BoxOf(Grab(), kLime).count, 0);
  gl_->DrawLines(2, path.data());
  gl_->SetPointScale(3);
  const GlVertex point{100, 80};
  gl_->DrawPoints(1, &point);
  QImage image = Grab();
  const Box line = BoxOf(image, kLime, 50);
  EXPECT_TRUE(line.left == 10 && line.right == 189 && line.count == 180);
  const Box all = BoxOf(image, kLime);
  EXPECT_EQ(all.count, 180 + 9) << "a 3 x 3 point, nothing else";
  EXPECT_EQ(all.top, 81);

  gl_->ClearBackground();  // consecutive vertices are joined
  gl_->DrawLines(path);
  EXPECT_EQ(At(Grab(), 190, 30), kLime);
}

TEST_F(GlBaseTest, TextStandsOnItsBaselineUprightInItsColourOnly) {
  const QImage normal = Text("88");
  const Box box = BoxOf(normal, kRed);
  EXPECT_EQ(box.bottom, 20);
  EXPECT_TRUE(box.left >= 20 && box.left <= 23) << box.left;
  EXPECT_TRUE(box.top >= 25 && box.top <= 30) << box.top;  // digits of a 10-pixel font
  EXPECT_EQ(box.count + BoxOf(normal, kBlack).count, 200 * 100) << "no blended pixels";

  const QImage t = Text("T");  // not upside down: the bar is at the top
  const Box tBox = BoxOf(t, kRed);
  EXPECT_GT(BoxOf(t, kRed, tBox.top).count, BoxOf(t, kRed, tBox.bottom).count + 2);
}

TEST_F(GlBaseTest, FontSizeAndPointScaleLimits) {
  gl_->SetFontSize(500);
  gl_->SetPointScale(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(gl_->FontSize(), 100);
  EXPECT_EQ(gl_->PointScale(), 1.0);
  ClosingFlag = true;  // no changes while the program closes
  gl_->SetFontSize(30);
  ClosingFlag = false;
  EXPECT_EQ(gl_->FontSize(), 100);
}

TEST_F(GlBaseTest, FilledAndOpenEllipses) {
  DrawGlEllipse(true, 40, 20, 50, 100);  // 40 wide, 20 high around (100, 50)
  QImage image = Grab();
  EXPECT_EQ(At(image, 117, 50), kLime);
  EXPECT_EQ(At(image, 100, 58), kLime);
  EXPECT_EQ(At(image, 118, 58), kBlack) << "corner of the bounding box";

  gl_->ClearBackground();  // open: the middle stays dark
  DrawGlEllipse(false, 40, 20, 50, 100);
  image = Grab();
  EXPECT_EQ(At(image, 100, 50), kBlack);
  EXPECT_NEAR(BoxOf(image, kLime).right - BoxOf(image, kLime).left, 40, 1);
}

TEST_F(GlBaseTest, PictureSurvivesRepaintsAndResizeCoversTheControl) {
  const GlVertex point{30, 30};
  gl_->DrawPoints(1, &point);
  ASSERT_TRUE(gl_->SwapBuffers());
  gl_->DoneCurrent();
  window_.repaint();
  QCoreApplication::processEvents();
  EXPECT_EQ(At(Grab(), 30, 30), kLime);

  window_.resize(300, 150);  // the surface follows and the projection with it
  QCoreApplication::processEvents();
  EXPECT_EQ(gl_->GlWidget()->size(), QSize(300, 150));
  EXPECT_EQ(gl_->ClientWidth(), 300);
  EXPECT_TRUE(gl_->Resize(0, -3));
  EXPECT_EQ(gl_->ClientHeight(), 1);
}

TEST(GlBaseLifetime, ContextOnlyWhileTheControlIsShownAndAlive) {
  if (const std::string reason = NoGlContext(); !reason.empty()) GTEST_SKIP() << reason;
  auto window = std::make_unique<QWidget>();
  auto gl = std::make_unique<vopglbaseclass>(window.get());
  EXPECT_FALSE(gl->MakeCurrent());
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  EXPECT_TRUE(gl->MakeCurrent());
  gl.reset();  // takes its surface along; the control can take a new one
  EXPECT_TRUE(window->findChildren<QOpenGLWidget*>().isEmpty());
  gl = std::make_unique<vopglbaseclass>(window.get());
  window.reset();  // Qt deletes the surface with the control
  EXPECT_EQ(gl->GlWidget(), nullptr);
  EXPECT_FALSE(gl->MakeCurrent());
}

}  // namespace
}  // namespace util
