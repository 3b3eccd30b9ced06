#pragma once
// What is left of a process group: the launcher starts every child as the leader of a group of
// its own, so that a program's own children can be ended with it.
#include <vector>

namespace platform {

// The processes of group `pgid` that still run (zombies, which only wait to be collected, are not
// counted), from /proc; `except` is left out of the answer.
std::vector<int> LiveGroupMembers(int pgid, int except = 0);

}  // namespace platform
