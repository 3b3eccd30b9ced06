#include "platform/process_group.h"

#include <dirent.h>

#include <charconv>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

namespace platform {
namespace {

struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};

// State and group of /proc/<pid>/stat: "pid (name) state ppid pgrp ..."; the name may hold
// blanks and parentheses, so the fields are read after its last ')'.
bool ReadStateAndGroup(const std::string& pid, char& state, int& group) {
  std::ifstream file("/proc/" + pid + "/stat");
  std::string line;
  if (!file || !std::getline(file, line)) return false;
  const auto close = line.rfind(')');
  if (close == std::string::npos) return false;
  std::istringstream fields(line.substr(close + 1));
  int parent = 0;
  return static_cast<bool>(fields >> state >> parent >> group);
}

}  // namespace

std::vector<int> LiveGroupMembers(int pgid, int except) {
  std::vector<int> members;
  std::unique_ptr<DIR, DirCloser> proc(opendir("/proc"));
  if (!proc) return members;
  while (const dirent* entry = readdir(proc.get())) {
    const std::string name = entry->d_name;
    int pid = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), pid);
    if (error != std::errc() || end != name.data() + name.size() || pid == except) continue;
    char state = 0;
    int group = 0;
    // A process that ended while being read is simply gone.
    if (!ReadStateAndGroup(name, state, group)) continue;
    if (group == pgid && state != 'Z' && state != 'X') members.push_back(pid);
  }
  return members;
}

}  // namespace platform
