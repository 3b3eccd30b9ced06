// The IQ display as the virtual X server shows it: quadrants, the first point's size, the
// cross-hair, counts out of range and values that are no numbers.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include <QFrame>

#include "display_test_support.h"
#include "ui/scheme_colours.h"
#include "ui/fill_parent.h"
#include "ui/displays/iq_form.h"
#include "util/process_globals.h"

namespace {

using displaytest::At;
using displaytest::CountColour;
using displaytest::Rgb;
using Pairs = std::vector<std::array<double, 2>>;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

class IqDisplay : public ::testing::Test {
 protected:
  void SetUp() override {
    host_.resize(152, 150);
    form_ = new TSC_IQForm(&host_, 0, 0);
    ui::FillParent(form_);
    form_->ResetIqDisplay();
    form_->ApplyIqColours();
    host_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host_));
  }
  void TearDown() override { util::ClosingFlag = false; }

  QImage Show(const Pairs& pairs, int count) {
    manager_.SetIq(pairs, count);
    form_->UpdateIqPoints();
    return displaytest::Screen(form_);
  }
  // The pixel of (I, Q) as the display maps it.
  QPoint PixelOf(double i, double q) const {
    return QPoint(static_cast<int>(std::lround((1.25 - i) * 152 / 2.5)), static_cast<int>(std::lround((1.25 - q) * 150 / 2.5)));
  }

  displaytest::InstalledSetManager manager_;
  QWidget host_;
  TSC_IQForm* form_ = nullptr;
  const QRgb points_ = Rgb(ui::SchemeColour(config::kTraceColor));
  const QRgb grid_ = Rgb(ui::SchemeColour(config::kGridColor));
  const QRgb mark_ = Rgb(ui::SchemeColour(config::kMarker1Color));
};

TEST_F(IqDisplay, PairsLandInTheirQuadrantsAndTheFirstIsTwoBySTwo) {
  const QImage screen = Show({{1.0, 1.0}, {-1.0, -1.0}, {1.0, -1.0}}, 3);
  EXPECT_EQ(form_->Plot().AxisCount(), 3);
  const QPoint upperLeft = PixelOf(1.0, 1.0);  // I grows to the left
  EXPECT_EQ(upperLeft, QPoint(15, 15));
  const QRect firstSquare(upperLeft, QSize(2, 2));
  EXPECT_EQ(CountColour(screen, points_, firstSquare), 4) << "the first pair is 2 x 2";
  EXPECT_EQ(At(screen, PixelOf(-1.0, -1.0).x(), PixelOf(-1.0, -1.0).y()), points_);  // lower right
  EXPECT_EQ(At(screen, PixelOf(1.0, -1.0).x(), PixelOf(1.0, -1.0).y()), points_);    // lower left
  EXPECT_EQ(CountColour(screen, points_), 4 + 1 + 1);
  EXPECT_EQ(CountColour(screen, points_, QRect(76, 0, 76, 75)), 0) << "nothing in the upper right";
}

TEST_F(IqDisplay, CrossHairTicksAndCentreMark) {
  const QImage screen = Show({{0.0, 0.0}, {0.0, 0.0}}, 2);
  for (int y : {0, 40, 149}) EXPECT_EQ(At(screen, 76, y), grid_) << y;  // the vertical line x = W / 2
  for (int x : {10, 100, 151}) EXPECT_EQ(At(screen, x, 75), grid_) << x;
  // The triangle on the left end of the horizontal line: (0, 72) -> (3, 75) -> (0, 78) -> back.
  for (const QPoint p : {QPoint(0, 74), QPoint(2, 74), QPoint(3, 75), QPoint(1, 77), QPoint(0, 77)}) {
    EXPECT_EQ(At(screen, p.x(), p.y()), mark_) << p.x() << "," << p.y();
  }
  EXPECT_NE(At(screen, 1, 75), mark_) << "an outline only";
  // Ticks at +-0.5: x = 46 and 106 across the horizontal line, y = 45 and 105 across the vertical one.
  for (int x : {46, 106}) EXPECT_EQ(At(screen, x, 73), grid_) << x;
  for (int y : {45, 105}) EXPECT_EQ(At(screen, 74, y), grid_) << y;
}

TEST_F(IqDisplay, CountsDecideWhatIsDrawnAndWhatStays) {
  // A first block of one pair keeps the provisional axes: only the cross-hair.
  QImage screen = Show({{1.0, 1.0}}, 1);
  EXPECT_EQ(CountColour(screen, points_), 0);
  EXPECT_GT(CountColour(screen, grid_), 0);
  // Another count makes the axes; the same count keeps them.
  screen = Show({{1.0, 1.0}, {-1.0, -1.0}}, 2);
  EXPECT_EQ(CountColour(screen, points_), 5);
  const double xUnits = form_->Plot().XUnitsPerPixel();
  screen = Show({{-1.0, -1.0}, {1.0, 1.0}}, 2);
  EXPECT_EQ(form_->Plot().XUnitsPerPixel(), xUnits);
  // Zero and negative counts leave the last picture standing.
  for (int count : {0, -5}) {
    SCOPED_TRACE(count);
    const QImage same = Show({}, count);
    EXPECT_EQ(same, screen);
    EXPECT_EQ(form_->PointCount(), 2);
  }
  // A count beyond the block is limited to it.
  Pairs full(16384, {0.5, 0.5});
  screen = Show(full, 1 << 30);
  EXPECT_EQ(form_->PointCount(), 16384);
  EXPECT_EQ(form_->Plot().AxisCount(), 16384);
  EXPECT_EQ(CountColour(screen, points_), 4);  // every pair on the first one's square
}

TEST_F(IqDisplay, ValuesThatAreNoNumbersOrFarOutsideAreSkipped) {
  const QImage screen = Show({{kNaN, 0.5}, {kInf, -kInf}, {1e300, -1e300}, {-1.0, 1.0}, {0.0, kNaN}}, 5);
  EXPECT_EQ(CountColour(screen, points_), 1);
  const QPoint at = PixelOf(-1.0, 1.0);
  EXPECT_EQ(At(screen, at.x(), at.y()), points_);
}

TEST_F(IqDisplay, HiddenClosingOrClosedDisplaysChangeNothing) {
  Show({{1.0, 1.0}, {-1.0, -1.0}}, 2);
  form_->hide();
  manager_.SetIq({{0.0, 0.0}, {0.0, 0.0}, {0.0, 0.0}}, 3);
  form_->UpdateIqPoints();
  EXPECT_EQ(form_->PointCount(), 2);
  form_->show();
  util::ClosingFlag = true;
  form_->UpdateIqPoints();
  EXPECT_EQ(form_->PointCount(), 2);
  util::ClosingFlag = false;
  form_->CloseIqDisplay();
  EXPECT_EQ(form_->InnerForm(), nullptr);
  form_->UpdateIqPoints();  // reads, paints nothing
  EXPECT_EQ(form_->PointCount(), 3);
}

TEST_F(IqDisplay, ResizeRemakesTheAxesForTheNewSize) {
  Show({{1.0, 1.0}, {-1.0, -1.0}}, 2);
  host_.resize(300, 150);
  QCoreApplication::processEvents();
  EXPECT_EQ(form_->PanelGraph->width(), 300);
  EXPECT_DOUBLE_EQ(form_->Plot().XUnitsPerPixel(), -2.5 / 300);
  const QImage screen = Show({{1.0, 1.0}, {-1.0, -1.0}}, 2);
  EXPECT_EQ(At(screen, 30, 15), points_);
  EXPECT_EQ(At(screen, 270, 135), points_);
}

}  // namespace
