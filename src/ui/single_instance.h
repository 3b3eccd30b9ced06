#pragma once
// The single-instance test the main window runs when it is created: no second copy of this
// program and no copy of the sibling data-processing program may run beside it. Each program
// holds a lock named like its mutex; a copy started with "restart" on its command line waits
// before it claims each lock, so that the old copy can let go of it.
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/instance_lock.h"

namespace ui {

inline constexpr const char* kMutexNamePrefix = "Protect_";
inline constexpr const char* kProgramName = "QuorxL";
inline constexpr const char* kSiblingMutexName = "Protect_QuorrWixo";
inline constexpr const char* kRestartWord = "restart";

inline constexpr const char* kProgramRunningText = "ALREADY HAVE THE PROGRAM RUNNING.  KILL IT FIRST!";
inline constexpr const char* kProgramRunningCaption = "RUN FAIL";
inline constexpr const char* kSiblingRunningText = "ALREADY HAVE WIXO/KR14 APP RUNNING.  KILL IT FIRST";

// Where the test looks and how it waits. The defaults are the program's; tests give their own
// lock folder and sleep so that they run fast and apart from each other.
struct SingleInstanceSettings {
  // The process's command line, program path included.
  std::vector<std::string> commandLine;
  // The folder of the lock files; empty means the default folder.
  std::string lockFolder;
  // The wait before a claim when an old copy may still hold the lock.
  std::chrono::milliseconds previousInstanceWait{2000};
  // How often and how far apart the test looks for the old copy's main window.
  int mainWindowLooks = 10;
  std::chrono::milliseconds mainWindowLookInterval{20};
  // Sleeps for the given time; empty means std::this_thread::sleep_for.
  std::function<void(std::chrono::milliseconds)> sleep;
};

// This program's single-instance lock name: "Protect_QuorxL".
std::string ProgramMutexName();

// The lock this program holds while its main window exists.
std::string MainWindowMutexName();

// Takes the main-window lock; the main window keeps it for its lifetime. nullptr when another
// main window of the program holds it or the lock cannot be made.
std::unique_ptr<platform::InstanceLock> ClaimMainWindowLock(const SingleInstanceSettings& settings);

// True when the new instance must wait before it claims `mutexName`: the command line holds
// "restart", or the lock is held and a main window of the program is found within the looks.
bool WaitForPreviousInstance(const std::string& mutexName, const SingleInstanceSettings& settings);

// True when another copy of this program runs. Otherwise this process now holds the program's
// lock, kept in config::gApp.InstanceMutex.
bool CheckSingleInstance(const SingleInstanceSettings& settings);

// True when the sibling program runs. Otherwise this process now holds the sibling's lock, kept
// in config::gApp.SiblingInstanceMutex.
bool CheckSiblingInstance(const SingleInstanceSettings& settings);

enum class InstanceConflict { None, ProgramRunning, SiblingRunning };

struct SingleInstanceResult {
  InstanceConflict conflict = InstanceConflict::None;
  // The message to show before the process ends; empty when nothing conflicts.
  std::string text;
  // The message box caption; empty for a plain message.
  std::string caption;
};

// The whole test of the main window's creation: this program's lock first, then, only when that
// was claimed, the sibling's. On a conflict the caller shows the message and ends the process.
SingleInstanceResult RunSingleInstanceTest(const SingleInstanceSettings& settings);

}  // namespace ui
