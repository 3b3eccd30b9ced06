#pragma once
// A window is measured once it stands where the X server has it. A window manager frames a window,
// places it and answers its moves a while after the program asks, and a busy machine stretches
// that while: until then Qt's idea of the window is the program's wish or a step on the way (the
// window inside its new frame at 1,20, say). Settled: the server has the window mapped, Qt has its
// place and size as the server has them, and, under a manager that frames windows, the frame.
#include <QGuiApplication>
#include <QRect>
#include <QTest>
#include <QWidget>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <optional>

namespace testsupport {

namespace settled_detail {

struct FreeReply {
  void operator()(void* reply) const { std::free(reply); }
};
template <class Value>
using Reply = std::unique_ptr<Value, FreeReply>;

}  // namespace settled_detail

// The window's client area as the X server has it now, in screen coordinates; nothing while the
// window is not mapped or off the X server.
inline std::optional<QRect> ServerGeometry(const QWidget& window) {
  auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  if (x11 == nullptr || !window.testAttribute(Qt::WA_WState_Created)) return std::nullopt;
  xcb_connection_t* connection = x11->connection();
  const auto id = static_cast<xcb_window_t>(window.internalWinId());
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
  const auto attributesCookie = xcb_get_window_attributes(connection, id);
  const auto geometryCookie = xcb_get_geometry(connection, id);
  const auto originCookie = xcb_translate_coordinates(connection, id, root, 0, 0);
  const settled_detail::Reply<xcb_get_window_attributes_reply_t> attributes(
      xcb_get_window_attributes_reply(connection, attributesCookie, nullptr));
  const settled_detail::Reply<xcb_get_geometry_reply_t> geometry(
      xcb_get_geometry_reply(connection, geometryCookie, nullptr));
  const settled_detail::Reply<xcb_translate_coordinates_reply_t> origin(
      xcb_translate_coordinates_reply(connection, originCookie, nullptr));
  if (attributes == nullptr || geometry == nullptr || origin == nullptr ||
      attributes->map_state != XCB_MAP_STATE_VIEWABLE) {
    return std::nullopt;
  }
  return QRect(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
}

// Whether the window stands settled now; `framed`: under a window manager that frames windows.
inline bool WindowSettled(const QWidget& window, bool framed) {
  if (!window.isVisible()) return false;
  if (framed && window.frameGeometry() == window.geometry()) return false;
  return ServerGeometry(window) == window.geometry();
}

// Runs the event loop until the window stands settled, for up to `limit`; false when it did not.
inline bool WaitWindowSettled(const QWidget& window, bool framed,
                              std::chrono::milliseconds limit = std::chrono::seconds(10)) {
  return QTest::qWaitFor([&] { return WindowSettled(window, framed); }, static_cast<int>(limit.count()));
}

}  // namespace testsupport
