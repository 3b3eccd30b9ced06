#include "ui/single_instance.h"

#include <thread>

#include "config/globals.h"

namespace ui {
namespace {

void Sleep(const SingleInstanceSettings& settings, std::chrono::milliseconds duration) {
  if (settings.sleep) {
    settings.sleep(duration);
  } else {
    std::this_thread::sleep_for(duration);
  }
}

// The command line as one text, the words joined by blanks.
bool CommandLineHolds(const std::vector<std::string>& commandLine, const std::string& word) {
  std::string text;
  for (const std::string& argument : commandLine) {
    if (!text.empty()) text += ' ';
    text += argument;
  }
  return text.find(word) != std::string::npos;
}

// Waits when an old copy may still hold the lock, then claims it into `slot`. True when the lock
// is held by someone else.
bool ClaimInstanceLock(const std::string& mutexName, const SingleInstanceSettings& settings,
                       std::unique_ptr<platform::InstanceLock>& slot) {
  if (WaitForPreviousInstance(mutexName, settings)) Sleep(settings, settings.previousInstanceWait);
  slot = platform::InstanceLock::TryAcquire(mutexName, settings.lockFolder);
  return slot == nullptr;
}

}  // namespace

std::string ProgramMutexName() { return std::string(kMutexNamePrefix) + kProgramName; }

std::string MainWindowMutexName() { return platform::MainWindowLockName(kProgramName); }

std::unique_ptr<platform::InstanceLock> ClaimMainWindowLock(const SingleInstanceSettings& settings) {
  return platform::InstanceLock::TryAcquire(MainWindowMutexName(), settings.lockFolder);
}

bool WaitForPreviousInstance(const std::string& mutexName, const SingleInstanceSettings& settings) {
  if (CommandLineHolds(settings.commandLine, kRestartWord)) return true;
  if (!platform::InstanceLock::IsHeld(mutexName, settings.lockFolder)) return false;
  const std::string mainWindow = MainWindowMutexName();
  for (int look = 0; look < settings.mainWindowLooks; ++look) {
    if (platform::InstanceLock::IsHeld(mainWindow, settings.lockFolder)) return true;
    Sleep(settings, settings.mainWindowLookInterval);
  }
  return false;
}

bool CheckSingleInstance(const SingleInstanceSettings& settings) {
  return ClaimInstanceLock(ProgramMutexName(), settings, config::gApp.InstanceMutex);
}

bool CheckSiblingInstance(const SingleInstanceSettings& settings) {
  return ClaimInstanceLock(kSiblingMutexName, settings, config::gApp.SiblingInstanceMutex);
}

SingleInstanceResult RunSingleInstanceTest(const SingleInstanceSettings& settings) {
  if (CheckSingleInstance(settings)) {
    return {InstanceConflict::ProgramRunning, kProgramRunningText, kProgramRunningCaption};
  }
  if (CheckSiblingInstance(settings)) return {InstanceConflict::SiblingRunning, kSiblingRunningText, {}};
  return {};
}

}  // namespace ui
