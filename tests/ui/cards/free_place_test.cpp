// Where a window without a place of its own goes: clear of the strips and of the other windows
// while the area has room; with none left, on the area, clear of the strips, cascaded so that no
// frame starts on another and every title bar can still be grabbed.
#include "ui/free_place.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
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
  for (int i = 0; i < 6; ++i) windows.push_back(FindFreeFrame(size, area, kStrips, windows));
  return windows;
}

// Windows opened one after the other, each on top of those before; fixed ones cannot shrink.
std::vector<QRect> PlaceAll(const QRect& area, const std::vector<QRect>& strips, const std::vector<QSize>& sizes,
                            bool fixed) {
  std::vector<QRect> windows;
  for (const QSize& size : sizes) {
    windows.push_back(FindFreeFrame(size, area, strips, windows, fixed ? size : QSize(0, 0)));
  }
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
  EXPECT_EQ(FindFreeFrame(QSize(3000, 2000), QRect(10, 20, 800, 600), {}, {}), QRect(10, 20, 800, 600));
  // With strips on the area it is cut to the room below them.
  EXPECT_EQ(FindFreeFrame(QSize(3000, 2000), QRect(10, 20, 800, 600), kStrips, {}), QRect(10, 174, 800, 446));
}

// A screen the windows fill: no frame starts within 10 px of another (it would hide it) and every
// window keeps 80 px of its title bar in sight of the windows opened after it, so the operator can
// grab and raise each; the main window stays clear while the window can shrink to half its size.
struct FullScreenRow {
  const char* name;
  QRect area;
  QRect mainWindow;
  std::vector<QSize> sizes;
  bool fixed;
};

// Frames as openbox gives them: the BERT, test-modulator, peek/poke, file poke, FPGA table of
// contents and card windows.
const QSize kBert(828, 404);
const QSize kModulator(722, 644);
const QSize kPeekPoke(622, 544);
const QSize kToc(1182, 484);
const QSize kCard(1222, 844);

const std::vector<FullScreenRow> kFullScreenRows{
    {"the desktop test's windows at 1280x1024", QRect(0, 0, 1280, 1024), QRect(0, 0, 1280, 240),
     {kBert, kModulator, kPeekPoke, kPeekPoke, kToc, kCard, kBert}, false},
    {"the desktop test's windows at 1024x768", QRect(0, 0, 1024, 768), QRect(0, 0, 1024, 240),
     {kBert, kModulator, kPeekPoke, kPeekPoke, kToc, kCard, kBert}, false},
    {"six BERT windows at 1024x768", QRect(0, 0, 1024, 768), QRect(0, 0, 1024, 170),
     {kBert, kBert, kBert, kBert, kBert, kBert}, false},
    {"six BERT windows of a fixed size at 1024x768", QRect(0, 0, 1024, 768), QRect(0, 0, 1024, 170),
     {kBert, kBert, kBert, kBert, kBert, kBert}, true},
    {"a card window and a file poke over a peek/poke at 1280x1024", QRect(0, 0, 1280, 1024), QRect(0, 0, 1280, 240),
     {kCard, kPeekPoke, kPeekPoke, kPeekPoke}, false},
};

TEST(FreePlace, AFullScreenKeepsEveryTitleBarInReach) {
  for (const FullScreenRow& row : kFullScreenRows) {
    SCOPED_TRACE(row.name);
    const std::vector<QRect> windows = PlaceAll(row.area, {row.mainWindow}, row.sizes, row.fixed);
    for (std::size_t i = 0; i < windows.size(); ++i) {
      SCOPED_TRACE("window " + std::to_string(i) + " at " + Text(windows[i]));
      EXPECT_TRUE(row.area.contains(windows[i]));
      EXPECT_FALSE(windows[i].intersects(row.mainWindow));
      EXPECT_GE(windows[i].width() * 2, std::min(row.sizes[i].width(), row.area.width()));
      EXPECT_GE(windows[i].height() * 2, std::min(row.sizes[i].height(), row.area.height()));
      if (row.fixed) {
        EXPECT_EQ(windows[i].size(), row.sizes[i]);
      }
      for (std::size_t j = 0; j < i; ++j) {
        EXPECT_FALSE(std::abs(windows[i].left() - windows[j].left()) <= kNearestStart &&
                     std::abs(windows[i].top() - windows[j].top()) <= kNearestStart)
            << "starts on window " << j << " at " << Text(windows[j]);
      }
      const std::vector<QRect> later(windows.begin() + static_cast<std::ptrdiff_t>(i) + 1, windows.end());
      EXPECT_GE(VisibleTitle(windows[i], later, row.area), kVisibleTitle);
    }
  }
}

// A modal dialog over the main window: centred on its frame, clear of its menu bar and strips where
// the screen has room, on the screen always.
struct DialogRow {
  const char* name;
  QRect area;
  QRect mainWindow;
  QSize dialog;
  QPoint place;
};

const std::vector<DialogRow> kDialogRows{
    {"below a main window at the top", QRect(0, 0, 1280, 1024), QRect(0, 0, 1280, 240), QSize(400, 300),
     QPoint(440, 244)},
    {"below a narrow main window at 1024x768", QRect(0, 0, 1024, 768), QRect(100, 50, 700, 170), QSize(420, 500),
     QPoint(240, 224)},
    {"above a main window at the bottom", QRect(0, 0, 1024, 768), QRect(0, 600, 1024, 168), QSize(400, 300),
     QPoint(312, 296)},
    {"no room: from the screen's bottom, over the least of the main window", QRect(0, 0, 1024, 768),
     QRect(0, 0, 1024, 400), QSize(500, 600), QPoint(262, 168)},
    {"a main window partly off the screen", QRect(0, 0, 1024, 768), QRect(-300, -20, 700, 200), QSize(400, 300),
     QPoint(0, 184)},
};

TEST(FreePlace, DialogsCentreOnTheMainWindowClearOfItsStrips) {
  for (const DialogRow& row : kDialogRows) {
    SCOPED_TRACE(row.name);
    const QPoint place = DialogPlace(row.dialog, row.mainWindow, row.area);
    EXPECT_EQ(place, row.place) << place.x() << "," << place.y();
    EXPECT_TRUE(row.area.contains(QRect(place, row.dialog)));
  }
}

TEST(FreePlace, VisibleTitleIsTheLongestRunInSight) {
  const QRect area(0, 0, 1000, 800);
  const QRect window(100, 100, 400, 300);
  EXPECT_EQ(VisibleTitle(window, {}, area), 400);
  // Covered in the middle: the longer end counts.
  EXPECT_EQ(VisibleTitle(window, {QRect(200, 50, 100, 100)}, area), 200);
  // A window below the title bar hides none of it; one over its first rows hides those columns.
  EXPECT_EQ(VisibleTitle(window, {QRect(100, 100 + kTitleBarHeight, 400, 10)}, area), 400);
  EXPECT_EQ(VisibleTitle(window, {QRect(0, 90, 450, 20)}, area), 50);
  // Off the area counts as hidden.
  EXPECT_EQ(VisibleTitle(QRect(950, 10, 400, 300), {}, area), 50);
}

}  // namespace
}  // namespace ui
