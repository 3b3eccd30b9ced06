#pragma once
// A window's place is the place of its frame, the title bar and border the window manager puts
// around it: a window saved and shown again comes back to the pixel, and a window placed clear of
// others keeps its title bar clear of them too. On a display without a window manager the frame is
// the window itself.
#include <QMargins>
#include <QPoint>
#include <QRect>

class QWidget;

namespace util {

// The frame's margins around the window's client area: measured on a framed window; for one not
// yet framed, what the window manager already set on it, else the frame of another window of the
// program (of its kind first), else what the manager answered this run to an earlier ask; none on
// a display without a window manager or off screen. Never waits for the window manager: it asks
// for the window's extents and takes the answer, whenever it comes, for the windows after it.
QMargins FrameMargins(QWidget& window);

// Whether a window manager runs on the program's X display.
bool WindowManagerRunning();

// Puts the top-left corner of the window's frame at `frame`, whether or not the window was framed
// yet. Qt takes a move of a window it created but that was never framed as the client's place: the
// client goes inside the margins FrameMargins knows, and once the window manager has mapped the
// window (framed or not), its frame is moved to `frame` should the margins have been other.
void MoveFrameTo(QWidget& window, QPoint frame);

// Whether a window moved before it was framed still waits for its frame to be put in place.
bool FramePlaceDue(const QWidget& window);

// The frame's top-left corner moved so that a frame of `frameSize` lies on `area` (at its top-left
// corner where it is larger).
QPoint FrameOnArea(QPoint frame, QSize frameSize, const QRect& area);

// The frame cut to the area's size where it is larger, then moved onto the area as FrameOnArea does:
// a window larger than the screen keeps its title-bar buttons on it.
QRect FitFrameOnArea(const QRect& frame, const QRect& area);

}  // namespace util
