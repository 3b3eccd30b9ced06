#pragma once
// Where a new window goes when it has no place of its own: inside the screen's free area, clear of
// the main window (the "strips") and of the program's other windows. All rectangles are frames.
#include <QPoint>
#include <QRect>
#include <QSize>

#include <vector>

namespace ui {

// The top-left corner for a window of `size` inside `area`: the highest (then leftmost) place
// that touches neither a strip nor a window. Without such a place: the one that covers the least of
// the strips, then the fewest title corners of the windows, then the least of the windows. Gaps of
// `gap` pixels are kept.
QPoint FindFreePlace(QSize size, const QRect& area, const std::vector<QRect>& strips,
                     const std::vector<QRect>& windows, int gap = 4);

}  // namespace ui
