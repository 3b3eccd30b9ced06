#include "ui/termination.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QThread>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>

#include "config/globals.h"
#include "ui/main_form.h"
#include "settings/window_messages.h"
#include "util/process_globals.h"

namespace ui {
namespace {

// The write end is the only thing the signal handler touches.
int signalPipe[2] = {-1, -1};

extern "C" void OnSessionEndSignal(int) {
  const int saved = errno;
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = write(signalPipe[1], &byte, 1);
  errno = saved;
}

}  // namespace

void AbnormalTerminationHandler() {
  static std::atomic<bool> entered{false};
  if (entered.exchange(true)) {
    // Another thread runs the shut-down and ends the process.
    for (;;) std::this_thread::sleep_for(std::chrono::seconds(1));
  }
  RunAbnormalTermination();
  std::_Exit(EXIT_FAILURE);
}

void RunAbnormalTermination() {
  TQuorxLMainForm* form = config::gApp.QuorxLMainForm;
  if (form == nullptr) return;
  if (QThread::currentThread() == form->thread()) {
    form->AbnormalTermination();
    return;
  }
  // The windows and the managers belong to the user-interface thread: it runs the shut-down while
  // this thread waits, for a bounded time.
  struct Done {
    std::mutex mutex;
    std::condition_variable signal;
    bool done = false;
  };
  auto done = std::make_shared<Done>();
  QMetaObject::invokeMethod(
      form,
      [form, done] {
        form->AbnormalTermination();
        const std::lock_guard lock(done->mutex);
        done->done = true;
        done->signal.notify_all();
      },
      Qt::QueuedConnection);
  std::unique_lock lock(done->mutex);
  done->signal.wait_for(lock, std::chrono::seconds(60), [&done] { return done->done; });
}

void InstallSessionEndSignals() {
  if (signalPipe[0] >= 0 || pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  // The notifier lives as long as the application; it reads on the main thread.
  auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
  QObject::connect(notifier, &QSocketNotifier::activated, [] {
    char bytes[16];
    while (read(signalPipe[0], bytes, sizeof bytes) > 0) {
    }
    // A signal during the shut-down changes nothing: it already runs.
    if (util::ClosingFlag.load()) return;
    TQuorxLMainForm* form = config::gApp.QuorxLMainForm;
    if (form == nullptr) {
      QCoreApplication::exit(0);
      return;
    }
    form->Post(settings::kWmQueryEndSession, 0, 0);
    form->Post(settings::kWmEndSession, 0, 0);
  });
  struct sigaction action {};
  action.sa_handler = OnSessionEndSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
}

}  // namespace ui
