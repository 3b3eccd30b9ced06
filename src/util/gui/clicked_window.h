#pragma once
// The window the operator last clicked or typed into: the window a prompt opened by that click
// belongs to. Without a window manager a click activates no window, so the active window is not it.
#include <QObject>
#include <QPointer>
#include <QWidget>

namespace util {

class ClickedWindow final : public QObject {
 public:
  // Watches every input event of the application (none without one).
  ClickedWindow();

  // The shown window last clicked or typed into; none once it is hidden or gone. A menu's click
  // counts for the window that holds the menu; modal dialogs do not count.
  QWidget* Window() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QPointer<QWidget> window_;
};

}  // namespace util
