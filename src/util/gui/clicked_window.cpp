#include "util/gui/clicked_window.h"

#include <QApplication>
#include <QEvent>

namespace util {

namespace {

// The window an input event to `widget` belongs to, or none to keep the one before.
QWidget* OwningWindow(QWidget* widget) {
  QWidget* window = widget->window();
  // A popup menu stands for the window it drops from.
  while (window != nullptr && window->windowType() == Qt::Popup) {
    QWidget* parent = window->parentWidget();
    window = parent != nullptr ? parent->window() : nullptr;
  }
  // A prompt's own keys and clicks leave its owner the owner of the next prompt.
  if (window != nullptr && window->isModal()) return nullptr;
  return window;
}

}  // namespace

ClickedWindow::ClickedWindow() {
  if (QCoreApplication* application = QCoreApplication::instance(); application != nullptr) {
    application->installEventFilter(this);
  }
}

QWidget* ClickedWindow::Window() const {
  QWidget* window = window_.data();
  return window != nullptr && window->isVisible() ? window : nullptr;
}

bool ClickedWindow::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if ((type == QEvent::MouseButtonPress || type == QEvent::KeyPress) && watched->isWidgetType()) {
    if (QWidget* window = OwningWindow(static_cast<QWidget*>(watched)); window != nullptr) window_ = window;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace util
