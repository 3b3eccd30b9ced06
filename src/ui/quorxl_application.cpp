#include "ui/quorxl_application.h"

#include <exception>
#include <string>

#include "util/error_log.h"

namespace ui {

bool DeliverGuarded(const std::function<bool()>& deliver) {
  std::string text;
  try {
    return deliver();
  } catch (const std::exception& error) {
    text = error.what();
  } catch (...) {
    text = "Unknown exception";
  }
  util::LogError(text, 0, true);
  return false;
}

bool QuorxLApplication::notify(QObject* receiver, QEvent* event) {
  return DeliverGuarded([&] { return QApplication::notify(receiver, event); });
}

}  // namespace ui
