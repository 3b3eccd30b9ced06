// Where a window without a place of its own goes: clear of the strips and of the other windows
// while the area has room; with none left, on the area, clear of the strips, cascaded.
#include "ui/free_place.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ui {
namespace {

// The main window's menu bar, then its six status strips.
const std::vector<QRect> kStrips{{0, 0, 1280, 22}, {0, 40, 678, 20}, {0, 62, 678, 20}, {0, 84, 678, 20},
                                 {0, 106, 678, 20}, {0, 128, 678, 20}, {0, 150, 678, 20}};

std::string Text(const QRect& r) {
  return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) + "x" +
         std::to_string(r.height());
}

// Six windows placed one after the other, as the operator opens them.
std::vector<QRect> PlaceSix(const QRect& area, QSize size) {
  std::vector<QRect> windows;
  for (int i = 0; i < 6; ++i) windows.emplace_back(FindFreePlace(size, area, kStrips, windows), size);
  return windows;
}

TEST(FreePlace, WithRoomNoWindowTouchesAStripOrAnother) {
  const QRect area(0, 0, 2560, 1440);
  const std::vector<QRect> windows = PlaceSix(area, QSize(529, 610));
  for (std::size_t i = 0; i < windows.size(); ++i) {
    SCOPED_TRACE(Text(windows[i]));
    EXPECT_TRUE(area.contains(windows[i]));
    for (const QRect& strip : kStrips) EXPECT_FALSE(windows[i].intersects(strip));
    for (std::size_t j = 0; j < i; ++j) EXPECT_FALSE(windows[i].intersects(windows[j])) << Text(windows[j]);
  }
  // The first goes as high as it can, at the left of what is free (right of the menu bar); the
  // next beside it, a gap apart.
  EXPECT_EQ(windows[0].topLeft(), QPoint(1284, 0));
  EXPECT_EQ(windows[1].topLeft(), QPoint(1817, 0));
}

TEST(FreePlace, AFullScreenKeepsTheStripsClearAndCascades) {
  const QRect area(0, 0, 1280, 1024);
  const std::vector<QRect> windows = PlaceSix(area, QSize(529, 610));
  for (std::size_t i = 0; i < windows.size(); ++i) {
    SCOPED_TRACE(Text(windows[i]));
    EXPECT_TRUE(area.contains(windows[i]));
    for (const QRect& strip : kStrips) EXPECT_FALSE(windows[i].intersects(strip));
    // No two share a corner: each window's title stays in sight of the next.
    for (std::size_t j = 0; j < i; ++j) EXPECT_NE(windows[i].topLeft(), windows[j].topLeft()) << Text(windows[j]);
  }
  EXPECT_FALSE(windows[0].intersects(windows[1]));
  EXPECT_FALSE(windows[1].intersects(windows[0]));
}

TEST(FreePlace, AWindowLargerThanTheAreaStartsAtItsCorner) {
  EXPECT_EQ(FindFreePlace(QSize(3000, 2000), QRect(10, 20, 800, 600), kStrips, {}), QPoint(10, 20));
}

}  // namespace
}  // namespace ui
