#pragma once
// Starting and ending the programs the operator launches (user tools, the log viewer).
#include <memory>
#include <string>

#include "platform/process_launcher.h"

namespace util {

using LaunchedProcess = std::unique_ptr<platform::ChildProcess>;

// Starts the program in its own folder with the parameters (blanks separate, quotes group). There
// is no window to show or hide here, so `showWindow` only exists for the callers. False when it
// cannot be started; the handle is then left as it was and `reason` (when given) says why.
bool LaunchProcess(const std::string& program, const std::string& parameters, bool showWindow,
                   LaunchedProcess& handle, std::string* reason = nullptr);
// Ends the process when the handle is set (only ever one this program started) and clears it.
void TerminateLaunchedProcess(LaunchedProcess& handle);

}  // namespace util
