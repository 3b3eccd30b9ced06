#include "ui/program_folder_notice.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "util/error_log.h"
#include "util/process_globals.h"

namespace ui {

std::string UnwritableFolderText(const std::string& folder) {
  // The effective identity decides, as it does for every file the program writes; a read-only
  // mount answers the same way.
  if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0) return {};
  return "The program folder " + folder + " cannot be written (" + std::strerror(errno) +
         "): no setting, state or log will be kept.";
}

void WarnWhenProgramFolderUnwritable() {
  const std::string text = UnwritableFolderText(util::ProgramFolder());
  if (!text.empty()) util::LogWarning(text, 0, true);
}

}  // namespace ui
