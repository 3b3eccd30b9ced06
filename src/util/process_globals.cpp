#include "util/process_globals.h"

#include <mutex>

namespace util {

std::atomic<bool> ClosingFlag{false};
std::atomic<platform::MessageTarget*> MainWindowHandle{nullptr};

namespace {
std::mutex gFolderMutex;
std::string gProgramFolder;
std::atomic<int> gScreenWidth{0};
std::atomic<int> gScreenHeight{0};
}  // namespace

std::string ProgramFolder() {
  std::lock_guard lock(gFolderMutex);
  // Before start-up has recorded it, paths stay relative to the current folder.
  return gProgramFolder.empty() ? std::string(".") : gProgramFolder;
}

void SetProgramFolder(const std::string& folder) {
  std::lock_guard lock(gFolderMutex);
  // Paths built from the folder were limited to 260 characters.
  gProgramFolder = folder.substr(0, 260);
}

ScreenSize GetScreenSize() { return {gScreenWidth.load(), gScreenHeight.load()}; }

void SetScreenSize(ScreenSize size) {
  gScreenWidth = size.width;
  gScreenHeight = size.height;
}

}  // namespace util
