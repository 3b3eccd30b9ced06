#include "util/gui/window_frame.h"

#include <QGuiApplication>
#include <QWidget>
#include <xcb/xcb.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <thread>

namespace util {

namespace {

struct FreeDeleter {
  void operator()(void* reply) const { std::free(reply); }
};
template <class Reply>
using ReplyPtr = std::unique_ptr<Reply, FreeDeleter>;

xcb_atom_t Atom(xcb_connection_t* connection, std::string_view name) {
  const ReplyPtr<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
      connection, xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.data()), nullptr));
  return reply != nullptr ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

// `count` 32-bit values of a window's property; false while the property is not there.
template <std::size_t count>
bool ReadProperty(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
                  std::array<std::uint32_t, count>& values) {
  const ReplyPtr<xcb_get_property_reply_t> reply(xcb_get_property_reply(
      connection, xcb_get_property(connection, 0, window, property, type, 0, count), nullptr));
  if (reply == nullptr || reply->format != 32 ||
      xcb_get_property_value_length(reply.get()) != static_cast<int>(sizeof(std::uint32_t) * count)) {
    return false;
  }
  std::memcpy(values.data(), xcb_get_property_value(reply.get()), sizeof(std::uint32_t) * count);
  return true;
}

// A window manager answers within a few milliseconds; one that never answers leaves no frame known.
constexpr int kExtentPolls = 100;
constexpr std::chrono::milliseconds kExtentPollStep{5};

xcb_connection_t* XConnection() {
  auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  return x11 != nullptr ? x11->connection() : nullptr;
}

xcb_window_t RootWindow(xcb_connection_t* connection) {
  return xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
}

bool ManagerOn(xcb_connection_t* connection) {
  std::array<std::uint32_t, 1> manager{};
  return ReadProperty(connection, RootWindow(connection), Atom(connection, "_NET_SUPPORTING_WM_CHECK"),
                      XCB_ATOM_WINDOW, manager) &&
         manager[0] != static_cast<std::uint32_t>(XCB_WINDOW_NONE);
}

// The extents the window manager gives a window, asked before the window is mapped.
QMargins AskFrameExtents(QWidget& window) {
  // Asking needs the window's X window; one not created yet is placed by its frame anyway.
  if (!window.testAttribute(Qt::WA_WState_Created)) return {};
  xcb_connection_t* connection = XConnection();
  if (connection == nullptr || !ManagerOn(connection)) return {};
  const xcb_window_t root = RootWindow(connection);
  const auto id = static_cast<xcb_window_t>(window.winId());
  const xcb_atom_t extentsAtom = Atom(connection, "_NET_FRAME_EXTENTS");
  xcb_client_message_event_t request{};
  request.response_type = XCB_CLIENT_MESSAGE;
  request.format = 32;
  request.window = id;
  request.type = Atom(connection, "_NET_REQUEST_FRAME_EXTENTS");
  std::array<char, sizeof request> bytes{};
  std::memcpy(bytes.data(), &request, sizeof request);
  xcb_send_event(connection, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                 bytes.data());
  xcb_flush(connection);
  for (int poll = 0; poll < kExtentPolls; ++poll) {
    // Left, right, top, bottom.
    std::array<std::uint32_t, 4> extents{};
    if (ReadProperty(connection, id, extentsAtom, XCB_ATOM_CARDINAL, extents)) {
      return QMargins(static_cast<int>(extents[0]), static_cast<int>(extents[2]), static_cast<int>(extents[1]),
                      static_cast<int>(extents[3]));
    }
    std::this_thread::sleep_for(kExtentPollStep);
  }
  return {};
}

bool Framed(const QWidget& window) { return window.frameGeometry() != window.geometry(); }

}  // namespace

bool WindowManagerRunning() {
  xcb_connection_t* connection = XConnection();
  return connection != nullptr && ManagerOn(connection);
}

QMargins FrameMargins(QWidget& window) {
  if (Framed(window)) {
    const QRect frame = window.frameGeometry();
    const QRect client = window.geometry();
    return QMargins(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                    frame.bottom() - client.bottom());
  }
  return AskFrameExtents(window);
}

void MoveFrameTo(QWidget& window, QPoint frame) {
  // Not created yet, or framed before: Qt takes the move as the frame's.
  if (!window.testAttribute(Qt::WA_WState_Created) || Framed(window)) {
    window.move(frame);
    return;
  }
  const QMargins margins = AskFrameExtents(window);
  // Not framed yet: the move places the client area, inside the frame's margins.
  window.move(frame + QPoint(margins.left(), margins.top()));
}

QPoint FrameOnArea(QPoint frame, QSize frameSize, const QRect& area) {
  if (area.isEmpty()) return frame;
  const int x = std::max(area.left(), std::min(frame.x(), area.right() + 1 - frameSize.width()));
  const int y = std::max(area.top(), std::min(frame.y(), area.bottom() + 1 - frameSize.height()));
  return QPoint(x, y);
}

QRect FitFrameOnArea(const QRect& frame, const QRect& area) {
  if (area.isEmpty()) return frame;
  const QSize size = frame.size().boundedTo(area.size());
  return QRect(FrameOnArea(frame.topLeft(), size, area), size);
}

}  // namespace util
