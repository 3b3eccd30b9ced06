#pragma once
// The roads by which the process ends without the operator closing the window: an exception
// that escapes every handler, and the signals that stand for the end of the desktop session.

namespace ui {

// The run-time's terminate handler: the main window's orderly shut-down, then an immediate exit.
[[noreturn]] void AbnormalTerminationHandler();

// SIGTERM, SIGINT and SIGHUP close the program the way a session end does (messages 17 then 22
// to the main window). The handler only writes to a pipe; the main thread does the work.
void InstallSessionEndSignals();

}  // namespace ui
