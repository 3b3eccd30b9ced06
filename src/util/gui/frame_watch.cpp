#include "util/gui/frame_watch.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <xcb/xcb.h>

#include <memory>
#include <utility>

#include "util/gui/x_frame_extents.h"

namespace util {

namespace {

constexpr char kName[] = "quorx_frame_watch";

}  // namespace

bool FrameMeasuresOthers(const QWidget& window) { return !window.isMaximized() && !window.isFullScreen(); }

FrameWatch::FrameWatch() {
  if (xcb_connection_t* connection = XConnection(); connection != nullptr) {
    extentsAtom_ = Atom(connection, "_NET_FRAME_EXTENTS");
  }
}

FrameWatch* FrameWatch::Of() {
  QCoreApplication* application = QCoreApplication::instance();
  if (application == nullptr || XConnection() == nullptr) return nullptr;
  if (auto* watch = application->findChild<FrameWatch*>(kName, Qt::FindDirectChildrenOnly); watch != nullptr) {
    return watch;
  }
  auto watch = std::make_unique<FrameWatch>();
  watch->setObjectName(kName);
  application->installNativeEventFilter(watch.get());
  // The application owns it from here on.
  watch->setParent(application);
  return watch.release();
}

int FrameKind(const QWidget& window) {
  const bool fixed = window.minimumSize() == window.maximumSize();
  return static_cast<int>(window.windowType()) * 2 + (fixed ? 1 : 0);
}

std::optional<QMargins> FrameWatch::Learned(int kind) const {
  if (learned_.empty()) return std::nullopt;
  const auto found = kind < 0 ? learned_.begin() : learned_.find(kind);
  if (found == learned_.end()) return std::nullopt;
  return found->second;
}

void FrameWatch::Learn(int kind, QMargins extents) { learned_[kind] = extents; }

void FrameWatch::WhenMapped(QWidget& window, std::function<void()> place) {
  // Windows that went before they were mapped leave nothing behind.
  std::erase_if(pending_, [](const auto& entry) { return entry.second.window == nullptr; });
  pending_[static_cast<std::uint32_t>(window.winId())] = Pending{QPointer<QWidget>(&window), std::move(place)};
}

bool FrameWatch::PlaceDue(const QWidget& window) const {
  if (!window.testAttribute(Qt::WA_WState_Created)) return false;
  const auto found = pending_.find(static_cast<std::uint32_t>(window.internalWinId()));
  return found != pending_.end() && found->second.window == &window;
}

bool FrameWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr* /*result*/) {
  if (eventType != "xcb_generic_event_t") return false;
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  switch (event->response_type & 0x7f) {
    case XCB_MAP_NOTIFY: {
      const auto* map = reinterpret_cast<const xcb_map_notify_event_t*>(event);
      if (pending_.count(map->window) != 0) {
        QMetaObject::invokeMethod(this, [this, id = map->window] { Mapped(id); }, Qt::QueuedConnection);
      }
      break;
    }
    case XCB_PROPERTY_NOTIFY: {
      const auto* property = reinterpret_cast<const xcb_property_notify_event_t*>(event);
      if (property->atom == extentsAtom_ && extentsAtom_ != XCB_ATOM_NONE &&
          property->state == XCB_PROPERTY_NEW_VALUE) {
        QMetaObject::invokeMethod(this, [this, id = property->window] { ExtentsChanged(id); }, Qt::QueuedConnection);
      }
      break;
    }
    default:
      break;
  }
  return false;
}

void FrameWatch::Mapped(std::uint32_t id) {
  const auto found = pending_.find(id);
  if (found == pending_.end()) return;
  Pending pending = std::move(found->second);
  pending_.erase(found);
  if (pending.window != nullptr && static_cast<std::uint32_t>(pending.window->winId()) == id) pending.place();
}

void FrameWatch::ExtentsChanged(std::uint32_t id) {
  const QWidget* window = QWidget::find(static_cast<WId>(id));
  xcb_connection_t* connection = XConnection();
  if (window == nullptr || !window->isWindow() || !FrameMeasuresOthers(*window) || connection == nullptr) return;
  if (const std::optional<QMargins> extents = ReadFrameExtents(connection, id); extents.has_value()) {
    Learn(FrameKind(*window), *extents);
  }
}

}  // namespace util
