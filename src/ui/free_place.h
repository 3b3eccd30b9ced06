#pragma once
// Where a new window goes when it has no place of its own: inside the screen's free area, clear of
// the main window (the "strips") and of the program's other windows. All rectangles are frames.
#include <QPoint>
#include <QRect>
#include <QSize>

#include <vector>

namespace ui {

// Two frames never start closer than this, along both axes at once: one would hide the other.
inline constexpr int kNearestStart = 10;
// What must stay in sight of a window's title bar for the operator to grab and raise it.
inline constexpr int kVisibleTitle = 80;
// The title bar's height taken for every frame (a window manager's is about 20 px).
inline constexpr int kTitleBarHeight = 24;

// The frame for a window of `size` inside `area`: the highest (then leftmost) place that touches
// neither a strip nor a window, at the window's size (cut to the area). Without such a place: the
// one that covers the least of the strips, then starts near no other frame, then leaves every
// window's title bar in sight (kVisibleTitle px of it), then keeps most of the size (the window
// shrinks, to no less than half of it nor than `smallest`, rather than hide a strip or a title),
// then covers the fewest title corners, then lies highest (then leftmost). Gaps of `gap` pixels
// are kept. `windows` are in their stacking order, the lowest first; the new window goes on top.
QRect FindFreeFrame(QSize size, const QRect& area, const std::vector<QRect>& strips,
                    const std::vector<QRect>& windows, QSize smallest = QSize(0, 0), int gap = 4);

// The frame's top-left corner for a modal dialog of `size` over the main window: centred on the
// main window's frame, below it (else above it) where the area has room for the whole dialog clear
// of the main window's menu bar and strips, and always on the area.
QPoint DialogPlace(QSize size, const QRect& mainFrame, const QRect& area, int gap = 4);

// The longest run of `window`'s title bar, in pixels, that lies on `area` and under none of `others`.
int VisibleTitle(const QRect& window, const std::vector<QRect>& others, const QRect& area);

}  // namespace ui
