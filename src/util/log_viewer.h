#pragma once
// The error-log viewer: a program of its own, kept in the program folder, started with the log
// file's full path as its only argument.
namespace util {

inline constexpr const char* kLogViewerProgram = "ErLogViewer";

}  // namespace util
