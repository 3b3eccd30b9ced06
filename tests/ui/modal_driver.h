// Acting inside a modal dialog: the test schedules what the operator does before the code under
// test opens the dialog; it runs from inside the dialog's own event loop once the dialog shows.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>

namespace uitest {

// The visible top-level window named `name`, nullptr while there is none.
template <class Window>
Window* VisibleTopLevel(const std::string& name) {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->isVisible() && widget->objectName().toStdString() == name) {
      if (auto* window = dynamic_cast<Window*>(widget); window != nullptr) return window;
    }
  }
  return nullptr;
}

// Runs `act` on the window named `name` as soon as it is visible (tried every 10 ms, 5 s at most;
// a window that never shows fails the test).
template <class Window>
void WhenShown(const std::string& name, std::function<void(Window&)> act) {
  auto attempts = std::make_shared<int>(0);
  auto tryOnce = std::make_shared<std::function<void()>>();
  *tryOnce = [name, act, attempts, tryOnce] {
    if (Window* window = VisibleTopLevel<Window>(name); window != nullptr) {
      act(*window);
      *tryOnce = nullptr;  // breaks the self-reference
      return;
    }
    if (++*attempts > 500) {
      ADD_FAILURE() << "the window " << name << " did not show";
      *tryOnce = nullptr;
      return;
    }
    QTimer::singleShot(10, *tryOnce);
  };
  QTimer::singleShot(0, *tryOnce);
}

}  // namespace uitest
