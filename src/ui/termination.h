#pragma once
// The roads by which the process ends without the operator closing the window: an exception
// that escapes every handler, and the signals that stand for the end of the desktop session.

namespace ui {

// The run-time's terminate handler: RunAbnormalTermination, then an immediate exit with failure.
[[noreturn]] void AbnormalTerminationHandler();

// The handler's work: the main window's abnormal end (message, log line, shut-down) run on the
// user-interface thread. From another thread it waits for that thread, for a bounded time.
void RunAbnormalTermination();

// SIGTERM, SIGINT and SIGHUP close the program the way a session end does (messages 17 then 22
// to the main window). The handler only writes to a pipe; the main thread does the work.
void InstallSessionEndSignals();

}  // namespace ui
