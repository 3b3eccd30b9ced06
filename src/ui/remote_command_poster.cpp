#include "ui/remote_command_poster.h"

#include <QMetaObject>
#include <QTimer>

#include <chrono>
#include <memory>
#include <utility>

#include "ui/main_form.h"
#include "util/process_globals.h"

namespace ui {

namespace {

constexpr std::chrono::milliseconds kRetryAfterLoad{1};

// Runs the job, or puts it off while a card operation is still on the stack below this event or
// the cards are being closed and reopened.
void RunWhenNoLoad(TQuorxLMainForm* window, std::shared_ptr<std::function<void()>> job) {
  if (window->InsideFpgaLoad() || window->CardsReconfiguring()) {
    QTimer::singleShot(kRetryAfterLoad, window, [window, job] { RunWhenNoLoad(window, job); });
    return;
  }
  (*job)();
}

}  // namespace

net::InterfaceThreadPoster MainWindowCommandPoster(TQuorxLMainForm* window) {
  return [window](std::function<void()> job) {
    if (util::ClosingFlag.load()) return false;
    auto shared = std::make_shared<std::function<void()>>(std::move(job));
    return QMetaObject::invokeMethod(
        window, [window, shared] { RunWhenNoLoad(window, shared); }, Qt::QueuedConnection);
  };
}

}  // namespace ui
