#pragma once
// The process-wide values every subsystem reads.
#include <atomic>
#include <string>

#include "platform/message_bus.h"

namespace util {

// Set first thing by the shut-down sequence, cleared by LogProgramStart. Read from the timer,
// the message handlers and the network receive thread.
extern std::atomic<bool> ClosingFlag;

// The main window: the target of every window message sent to it and the owner of message boxes.
extern std::atomic<platform::MessageTarget*> MainWindowHandle;

// The program folder (the current directory at start-up, at most 260 characters); every file
// path is built from it. Set by LogProgramStart; read-only afterwards.
std::string ProgramFolder();
void SetProgramFolder(const std::string& folder);

// The screen size recorded at start-up (0 until the GUI reports it).
struct ScreenSize {
  int width = 0;
  int height = 0;
};
ScreenSize GetScreenSize();
void SetScreenSize(ScreenSize size);

}  // namespace util
