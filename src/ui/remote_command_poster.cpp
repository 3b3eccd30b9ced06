#include "ui/remote_command_poster.h"

#include <QMetaObject>
#include <QObject>

#include <utility>

#include "util/process_globals.h"

namespace ui {

net::InterfaceThreadPoster MainWindowCommandPoster(QObject* window) {
  return [window](std::function<void()> job) {
    if (util::ClosingFlag.load()) return false;
    return QMetaObject::invokeMethod(window, std::move(job), Qt::QueuedConnection);
  };
}

}  // namespace ui
