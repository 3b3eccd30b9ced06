// Drives a modal dialog from inside its own event loop: the action runs once the dialog of that
// class is shown, so exec() never waits for a person.
#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

namespace uitest {

template <class Dialog>
void WhenShown(std::function<void(Dialog&)> act) {
  auto* timer = new QTimer(qApp);
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, timer, [timer, act = std::move(act)] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      auto* dialog = dynamic_cast<Dialog*>(widget);
      if (dialog == nullptr || !dialog->isVisible()) continue;
      timer->stop();
      timer->deleteLater();
      act(*dialog);
      return;
    }
  });
  timer->start();
}

}  // namespace uitest
