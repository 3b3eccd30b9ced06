#pragma once
// The X side of window frames: the program's X connection, whether a window manager runs, and the
// frame extents it gives a window. Every call here is a request to the X server, which answers at
// once; none waits for the window manager.
#include <QMargins>
#include <xcb/xcb.h>

#include <optional>
#include <string_view>

namespace util {

// The program's X connection; null on another platform (off screen).
xcb_connection_t* XConnection();

xcb_atom_t Atom(xcb_connection_t* connection, std::string_view name);

// Whether a window manager runs: the root names a check window that names itself, as a running
// manager keeps it (a manager that has gone leaves the root's name behind, its window gone).
bool ManagerOn(xcb_connection_t* connection);

// The extents the window manager set on `window` (_NET_FRAME_EXTENTS), if it set them yet.
std::optional<QMargins> ReadFrameExtents(xcb_connection_t* connection, xcb_window_t window);

// Asks the window manager to set the extents it will give `window`; its answer comes later, as a
// change of the window's property.
void RequestFrameExtents(xcb_connection_t* connection, xcb_window_t window);

}  // namespace util
