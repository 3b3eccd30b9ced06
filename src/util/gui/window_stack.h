#pragma once
// The order in which the X server stacks the program's windows, the lowest first: which window's
// title bar a later one covers depends on it. A window manager stacks the frames it puts around
// the windows, so each window is ranked by its frame.
#include <vector>

class QWidget;

namespace util {

// `windows` (top-level, shown) sorted from the lowest to the highest on the screen; windows the
// server does not know (not created, off screen) keep their order, below the others.
std::vector<QWidget*> InStackingOrder(std::vector<QWidget*> windows);

}  // namespace util
