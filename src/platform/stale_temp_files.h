#pragma once
// The files that saves killed mid-way leave in a folder, and their removal at start-up.
#include <string>
#include <vector>

namespace platform {

// Removes from `folder` the regular files of exactly these names (X not empty) whose writer is
// gone, and returns their names in byte order:
// - "X.tmp<pid>-<n>": a whole-file replacement by process <pid> (also "X.new.tmp<pid>-<n>");
// - "X.BAK.tmp<pid>": a backup copy by process <pid>;
// - "X.new": the fresh copy a rewrite renames over X. It names no process, so it is taken as
//   left over whenever it is seen: call this only while no save can run (at start-up, when this
//   single instance holds its lock). The old X is still in place then.
// A file of a process that is still running is never touched, nor any other name, link or folder.
std::vector<std::string> RemoveStaleTemporaryFiles(const std::string& folder);

}  // namespace platform
