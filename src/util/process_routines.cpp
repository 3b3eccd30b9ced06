#include "util/process_routines.h"

#include "platform/path_resolve.h"

namespace util {

bool LaunchProcess(const std::string& program, const std::string& parameters, bool /*showWindow*/,
                   LaunchedProcess& handle, std::string* reason) {
  const std::string path = platform::ResolvePath(program);
  const auto slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash == 0 ? 1 : slash);
  auto child = platform::ChildProcess::Launch(path, platform::SplitCommandLine(parameters), folder, reason);
  if (!child) return false;
  handle = std::move(child);
  return true;
}

void TerminateLaunchedProcess(LaunchedProcess& handle) {
  if (!handle) return;
  handle->Terminate();
  handle.reset();
}

}  // namespace util
