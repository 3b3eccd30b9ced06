#include "util/gui/x_frame_extents.h"

#include <QGuiApplication>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace util {

namespace {

struct FreeDeleter {
  void operator()(void* reply) const { std::free(reply); }
};
template <class Reply>
using ReplyPtr = std::unique_ptr<Reply, FreeDeleter>;

// `count` 32-bit values of a window's property; false while the property is not there or the
// window is gone (the error is taken here, not left to the event queue).
template <std::size_t count>
bool ReadProperty(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
                  std::array<std::uint32_t, count>& values) {
  xcb_generic_error_t* error = nullptr;
  const ReplyPtr<xcb_get_property_reply_t> reply(xcb_get_property_reply(
      connection, xcb_get_property(connection, 0, window, property, type, 0, count), &error));
  std::free(error);
  if (reply == nullptr || reply->format != 32 ||
      xcb_get_property_value_length(reply.get()) != static_cast<int>(sizeof(std::uint32_t) * count)) {
    return false;
  }
  std::memcpy(values.data(), xcb_get_property_value(reply.get()), sizeof(std::uint32_t) * count);
  return true;
}

xcb_window_t RootWindow(xcb_connection_t* connection) {
  return xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
}

}  // namespace

xcb_connection_t* XConnection() {
  auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  return x11 != nullptr ? x11->connection() : nullptr;
}

xcb_atom_t Atom(xcb_connection_t* connection, std::string_view name) {
  const ReplyPtr<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
      connection, xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.data()), nullptr));
  return reply != nullptr ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

bool ManagerOn(xcb_connection_t* connection) {
  const xcb_atom_t check = Atom(connection, "_NET_SUPPORTING_WM_CHECK");
  std::array<std::uint32_t, 1> named{};
  if (!ReadProperty(connection, RootWindow(connection), check, XCB_ATOM_WINDOW, named) ||
      named[0] == static_cast<std::uint32_t>(XCB_WINDOW_NONE)) {
    return false;
  }
  std::array<std::uint32_t, 1> itself{};
  return ReadProperty(connection, named[0], check, XCB_ATOM_WINDOW, itself) && itself[0] == named[0];
}

std::optional<QMargins> ReadFrameExtents(xcb_connection_t* connection, xcb_window_t window) {
  // Left, right, top, bottom.
  std::array<std::uint32_t, 4> extents{};
  if (!ReadProperty(connection, window, Atom(connection, "_NET_FRAME_EXTENTS"), XCB_ATOM_CARDINAL, extents)) {
    return std::nullopt;
  }
  return QMargins(static_cast<int>(extents[0]), static_cast<int>(extents[2]), static_cast<int>(extents[1]),
                  static_cast<int>(extents[3]));
}

void RequestFrameExtents(xcb_connection_t* connection, xcb_window_t window) {
  xcb_client_message_event_t request{};
  request.response_type = XCB_CLIENT_MESSAGE;
  request.format = 32;
  request.window = window;
  request.type = Atom(connection, "_NET_REQUEST_FRAME_EXTENTS");
  std::array<char, sizeof request> bytes{};
  std::memcpy(bytes.data(), &request, sizeof request);
  xcb_send_event(connection, 0, RootWindow(connection),
                 XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY, bytes.data());
  xcb_flush(connection);
}

}  // namespace util
