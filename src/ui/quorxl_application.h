#pragma once
// The application object. Like the application object of the old program, it shows an exception
// that escapes an event handler and goes on running: one failed handler does not take the
// operator's cards down.
#include <QApplication>

#include <functional>

namespace ui {

// Runs `deliver`; an exception it throws is logged and shown (a box titled "ERROR") instead of
// leaving the event loop. False after an exception.
bool DeliverGuarded(const std::function<bool()>& deliver);

class QuorxLApplication final : public QApplication {
 public:
  QuorxLApplication(int& argc, char** argv) : QApplication(argc, argv) {}
  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace ui
