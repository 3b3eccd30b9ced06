#pragma once
// Where remote commands run: queued on the main window's thread (the user-interface thread), so a
// command never meets the master timer or a window on another thread.
#include "net/interface_thread_handoff.h"

class TQuorxLMainForm;

namespace ui {

// Queues each job on the window's thread; refuses once the program is closing. A job that comes
// up while an FPGA load lets the queue run waits for the load to return.
net::InterfaceThreadPoster MainWindowCommandPoster(TQuorxLMainForm* window);

}  // namespace ui
