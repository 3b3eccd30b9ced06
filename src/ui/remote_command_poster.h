#pragma once
// Where remote commands run: queued on the main window's thread (the user-interface thread), so a
// command never meets the master timer or a window on another thread.
#include "net/interface_thread_handoff.h"

class QObject;

namespace ui {

// Queues each job on `window`'s thread; refuses once the program is closing.
net::InterfaceThreadPoster MainWindowCommandPoster(QObject* window);

}  // namespace ui
