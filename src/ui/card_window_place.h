#pragma once
// The place of a per-card window when it is shown: the one its placement record holds, or, for a
// window that never had one, a free place found clear of the main window and of every other window
// of the program on the screen; the record keeps that place from then on. Places are the frame's.
// Also the places of the other windows that open over the main window: its modal dialogs and the
// error-log viewer.
#include <QMargins>
#include <QRect>
#include <QSize>

#include <vector>

#include "config/window_placement.h"

class QWidget;

namespace ui {

// Moves a modal dialog of the main window (not shown yet) to its place: centred on the main window,
// clear of its menu bar and strips where the screen has room, its whole frame on the screen.
void PlaceDialogOnMainWindow(QWidget& dialog);

// Moves `window` (already sized, shown but not yet mapped).
void PlaceCardWindow(QWidget& window, int card, config::CardWindowKind kind);

// A free frame for a window of `frameSize` that another program shows for this one (the error-log
// viewer): clear of the whole main window and of the program's windows while the screen has room,
// cut to the room beside the main window where it has too little. `alsoClear` are kept clear like
// the main window (the dialog that opens the window).
QRect FreeFrameBesideMainWindow(QSize frameSize, const std::vector<QRect>& alsoClear = {});

// The margins a window manager puts around a window of the program: the main window's.
QMargins MainWindowFrameMargins();

// The frame places of the program's shown windows other than `window` and the main window, the
// lowest on the screen first.
std::vector<QRect> OtherWindowFrames(const QWidget& window);

}  // namespace ui
