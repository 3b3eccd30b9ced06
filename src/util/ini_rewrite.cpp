#include "util/ini_rewrite.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/path_resolve.h"
#include "platform/profile_store.h"
#include "util/error_log.h"
#include "util/file_routines.h"

namespace util {

namespace {

void SyncFolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

bool RewriteIniFile(const std::string& file, const std::function<bool(const std::string& freshFile)>& writeKeys) {
  return RewriteIniFile(file, IniFileShape{}, writeKeys);
}

bool RewriteIniFile(const std::string& file, const IniFileShape& shape,
                    const std::function<bool(const std::string& freshFile)>& writeKeys) {
  const std::string target = platform::ResolvePath(file);
  const std::string fresh = target + ".new";
  if (!BackupIniFile(target, shape)) {
    WriteErrorLogLine("Cannot copy " + target + " to its .BAK file; writing it anyway", 0);
  }
  ::unlink(fresh.c_str());  // a leftover of an interrupted save

  bool ok = false;
  {
    platform::ProfileBatch batch(fresh);
    const bool written = writeKeys(fresh);
    ok = batch.Commit() && written;
  }
  if (ok && ::rename(fresh.c_str(), target.c_str()) != 0) {
    WriteErrorLogLine("Cannot replace " + target + ": " + std::strerror(errno), 0);
    ok = false;
  } else if (!ok) {
    WriteErrorLogLine("Cannot write " + target + "; the old file is kept", 0);
  }
  if (ok) {
    SyncFolderOf(target);
  } else {
    ::unlink(fresh.c_str());
  }
  return ok;
}

bool UpdateKeptIniFile(const std::string& file, const IniFileShape& shape, bool keepBak,
                       const std::function<bool(const std::string& file)>& writeKeys) {
  // A cut file whose whole ".BAK" was read is written anew as well; without one it may be an older
  // program's file, written over like a whole one (the keys it lacks go to the ends of their sections).
  const IniFileState state = CheckIniFile(file, shape).state;
  const bool readFromBak =
      state == IniFileState::kCut && CheckIniFile(platform::ResolvePath(file) + ".BAK", shape).state == IniFileState::kWhole;
  if (state == IniFileState::kDamaged || readFromBak) return RewriteIniFile(file, shape, writeKeys);
  if (keepBak && !BackupIniFile(file, shape)) {
    WriteErrorLogLine("Cannot copy " + file + " to its .BAK file; writing it anyway", 0);
  }
  platform::ProfileBatch batch(file);
  const bool written = writeKeys(file);
  return batch.Commit() && written;
}

}  // namespace util
