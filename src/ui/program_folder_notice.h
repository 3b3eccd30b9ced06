#pragma once
// A program folder the program cannot write: it runs all the same, but keeps no setting, state or
// log. The operator hears it once, in the window, at start-up.
#include <string>

namespace ui {

// The warning for `folder`, or empty when this process can write there.
std::string UnwritableFolderText(const std::string& folder);

// Logs the warning for the program folder and shows it in a box titled "WARNING"; nothing when the
// folder can be written.
void WarnWhenProgramFolderUnwritable();

}  // namespace ui
