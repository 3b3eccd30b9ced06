#pragma once
// The place of a per-card window when it is shown: the one its placement record holds, or, for a
// window that never had one, a free place found clear of the main window and of every other window
// of the program on the screen; the record keeps that place from then on. Places are the frame's.
#include <QRect>

#include <vector>

#include "config/window_placement.h"

class QWidget;

namespace ui {

// Moves `window` (already sized, shown but not yet mapped).
void PlaceCardWindow(QWidget& window, int card, config::CardWindowKind kind);

// The frame places of the program's shown windows other than `window` and the main window.
std::vector<QRect> OtherWindowFrames(const QWidget& window);

}  // namespace ui
