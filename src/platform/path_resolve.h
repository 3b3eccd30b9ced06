#pragma once
// Paths as the program builds them may use "\" separators and differ in letter case from the
// files on disk (setup names are upper-cased by the program). These helpers map them onto the
// file system.
#include <string>

namespace platform {

// "\" becomes "/"; runs of separators collapse to one.
std::string NormalizeSeparators(const std::string& path);

// The path of the existing file or folder that matches `path` component by component, ignoring
// ASCII letter case; an exact match wins over a case-insensitive one. Components that do not
// exist are kept as given (so a file about to be created lands in the existing folder).
std::string ResolvePath(const std::string& path);

}  // namespace platform
