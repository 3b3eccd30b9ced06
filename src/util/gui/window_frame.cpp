#include "util/gui/window_frame.h"

#include <QApplication>
#include <QPointer>
#include <QScreen>
#include <QVariant>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <optional>

#include "util/gui/frame_watch.h"
#include "util/gui/x_frame_extents.h"

namespace util {

namespace {

// The margins FrameMargins last gave for the window while it was not framed yet.
constexpr char kToldMargins[] = "quorxToldFrameMargins";

bool Framed(const QWidget& window) { return window.frameGeometry() != window.geometry(); }

QMargins Measured(const QWidget& window) {
  const QRect frame = window.frameGeometry();
  const QRect client = window.geometry();
  return QMargins(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                  frame.bottom() - client.bottom());
}

// The window manager has mapped the window: Qt knows its frame, or that it has none.
bool Mapped(const QWidget& window) {
  const QWindow* handle = window.windowHandle();
  return handle != nullptr && handle->isExposed();
}

// The frame another window of the program has, of the window's kind or, failing that, of any kind.
std::optional<QMargins> FrameOfAnother(const QWidget& window, bool sameKind) {
  for (const QWidget* other : QApplication::topLevelWidgets()) {
    if (other == &window || !other->isVisible() || !FrameMeasuresOthers(*other) || !Framed(*other)) continue;
    if (sameKind && FrameKind(*other) != FrameKind(window)) continue;
    return Measured(*other);
  }
  return std::nullopt;
}

// What this run already knows of the frame the window will get.
std::optional<QMargins> KnownFrame(const QWidget& window, const FrameWatch* watch) {
  if (std::optional<QMargins> frame = FrameOfAnother(window, true)) return frame;
  if (watch != nullptr) {
    if (std::optional<QMargins> learned = watch->Learned(FrameKind(window))) return learned;
  }
  if (std::optional<QMargins> frame = FrameOfAnother(window, false)) return frame;
  return watch != nullptr ? watch->Learned(-1) : std::nullopt;
}

// Once mapped: the client area moved so that the frame the manager gave it (Qt reads it afresh
// from the window) starts at `frame`, or, where the frame placed with `guessed` margins lay on the
// screen and the real one would not, as near as it stays on it. QWidget::move adds the frame
// offset the widget last heard of, which may lag behind; the client's place is given net of it.
void PutFrameAt(QWidget& window, QPoint frame, QMargins guessed) {
  const QWindow* handle = window.windowHandle();
  const QMargins margins = handle != nullptr ? handle->frameMargins() : QMargins();
  const QScreen* screen = window.screen();
  const QRect area = screen != nullptr ? screen->availableGeometry() : QRect();
  if (area.contains(QRect(frame, window.size().grownBy(guessed)))) {
    // A window cut to the screen with the margins guessed is cut again to fit with the real ones.
    const QRect fitted = FitFrameOnArea(QRect(frame, window.size().grownBy(margins)), area);
    const QSize client = fitted.size().shrunkBy(margins).expandedTo(window.minimumSize());
    if (client != window.size()) window.resize(client);
    frame = fitted.topLeft();
  }
  const QPoint client = frame + QPoint(margins.left(), margins.top());
  if (window.geometry().topLeft() == client) return;
  window.move(client - (window.geometry().topLeft() - window.pos()));
}

}  // namespace

bool WindowManagerRunning() {
  xcb_connection_t* connection = XConnection();
  return connection != nullptr && ManagerOn(connection);
}

QMargins FrameMargins(QWidget& window) {
  if (Framed(window)) return Measured(window);
  // Not created yet: it is placed by its frame anyway.
  if (!window.testAttribute(Qt::WA_WState_Created)) return {};
  xcb_connection_t* connection = XConnection();
  if (connection == nullptr || !ManagerOn(connection)) return {};
  const auto id = static_cast<xcb_window_t>(window.winId());
  // Read before asking: whatever answers the ask, this call never waits for it. A manager that
  // never answers costs nothing.
  QMargins margins;
  if (std::optional<QMargins> extents = ReadFrameExtents(connection, id)) {
    margins = *extents;
  } else {
    RequestFrameExtents(connection, id);
    margins = KnownFrame(window, FrameWatch::Of()).value_or(QMargins());
  }
  // The answer may come before the window is placed: the place follows what its placer was told.
  window.setProperty(kToldMargins, QVariant::fromValue(margins));
  return margins;
}

void MoveFrameTo(QWidget& window, QPoint frame) {
  // Not created yet, framed before, or mapped without a frame: Qt takes the move as the frame's.
  if (!window.testAttribute(Qt::WA_WState_Created) || Framed(window) || Mapped(window)) {
    window.move(frame);
    return;
  }
  // Not framed yet: the move places the client area, inside the frame's margins as far as they are
  // known; once the manager has mapped the window, its frame is put exactly there.
  const QVariant told = window.property(kToldMargins);
  const QMargins margins = told.canConvert<QMargins>() ? told.value<QMargins>() : FrameMargins(window);
  window.setProperty(kToldMargins, QVariant());
  window.move(frame + QPoint(margins.left(), margins.top()));
  FrameWatch* watch = FrameWatch::Of();
  if (watch == nullptr || !WindowManagerRunning()) return;
  watch->WhenMapped(window, [guarded = QPointer<QWidget>(&window), frame, margins] {
    if (guarded != nullptr) PutFrameAt(*guarded, frame, margins);
  });
}

bool FramePlaceDue(const QWidget& window) {
  const FrameWatch* watch = FrameWatch::Of();
  return watch != nullptr && watch->PlaceDue(window);
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
