#pragma once
// The place of a per-card window when it is shown: the one its placement record holds, or, for a
// window that never had one, a free place found among the main window's menu bar and status
// strips and the shown windows of its kind; the record keeps that place from then on.
#include <functional>

#include "config/window_placement.h"

class QWidget;

namespace ui {

// Moves `window` (already sized); `sameKind` tells the windows it must not cover.
void PlaceCardWindow(QWidget& window, int card, config::CardWindowKind kind,
                     const std::function<bool(const QWidget&)>& sameKind);

}  // namespace ui
