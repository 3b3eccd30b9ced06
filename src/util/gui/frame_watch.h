#pragma once
// What the program learns about window frames while it runs, without ever waiting for the window
// manager: the extents the manager gave any of the program's windows (it answers a request for
// them, or sets them when it frames a window), and the windows placed before their frame was
// known, which are placed again once it is. One per application, owned by it.
#include <QAbstractNativeEventFilter>
#include <QMargins>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace util {

// Whether a window's frame tells what frame another window of its kind gets: not while it is
// maximised or full screen.
bool FrameMeasuresOthers(const QWidget& window);

// The kind of frame a window gets: a manager decorates dialogs, tool windows and main windows
// alike or not, and gives a window the operator may resize a grip the others lack.
int FrameKind(const QWidget& window);

class FrameWatch : public QObject, public QAbstractNativeEventFilter {
  Q_OBJECT

 public:
  FrameWatch();
  // The application's watch, made on first use; null without an X display.
  static FrameWatch* Of();

  // The extents the window manager gave a window of `kind` (FrameKind) this run, if any; any
  // kind's with a negative `kind`.
  std::optional<QMargins> Learned(int kind) const;
  void Learn(int kind, QMargins extents);

  // Runs `place` once, when the window manager has mapped `window` (framed or not), unless the
  // window goes first. A later call for the same window replaces the earlier one.
  void WhenMapped(QWidget& window, std::function<void()> place);
  // Whether `window` still waits to be placed once mapped.
  bool PlaceDue(const QWidget& window) const;

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

 private:
  struct Pending {
    QPointer<QWidget> window;
    std::function<void()> place;
  };
  // Runs after Qt took in the event, so that Qt's own view of the frame is current.
  void Mapped(std::uint32_t id);
  void ExtentsChanged(std::uint32_t id);

  std::uint32_t extentsAtom_ = 0;
  std::map<std::uint32_t, Pending> pending_;
  std::map<int, QMargins> learned_;
};

}  // namespace util
