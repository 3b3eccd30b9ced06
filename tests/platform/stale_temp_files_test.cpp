#include "platform/stale_temp_files.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/log_capture.h"
#include "support/scratch_folder.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

// The id of a process that has ended and been reaped.
pid_t EndedProcessId() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  int status = 0;
  ::waitpid(child, &status, 0);
  return child;
}

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(RemoveStaleTemporaryFiles, RemovesOnlyOurLeftoversOfEndedProcesses) {
  testsupport::ScratchFolder folder;
  ASSERT_FALSE(folder.Path().empty());
  const std::string ended = std::to_string(EndedProcessId());
  const std::string alive = std::to_string(::getpid());
  const std::vector<std::string> stale = {
      "Kr20HwCfg.cfg.tmp" + ended + "-3",
      "Kr20Options.opt.new",
      "Kr20Options.opt.new.tmp" + ended + "-12",
      "Kr20Last.pos.BAK.tmp" + ended,
  };
  const std::vector<std::string> kept = {
      "Kr20HwCfg.cfg",
      "Kr20HwCfg.cfg.tmp" + alive + "-1",  // a save still running
      "Kr20Last.pos.BAK.tmp" + alive,
      "Kr20Last.pos.BAK.tmp1",             // pid 1 always runs
      ".new",
      ".tmp" + ended + "-1",
      "a.tmp" + ended,
      "a.tmp" + ended + "-",
      "a.tmp-3",
      "a.tmp" + ended + "-3x",
      "a.tmpx" + ended + "-3",
      "a.tmp99999999999999999999-1",
      "a.bak.tmp" + ended,
      "a.BAK.tmp" + ended + "x",
      "a.NEW",
      "a.new.old",
  };
  for (const auto& name : stale) testsupport::WriteWholeFile(folder / name, "x");
  for (const auto& name : kept) testsupport::WriteWholeFile(folder / name, "x");
  // Only regular files go: a folder or a link of the same form stays.
  fs::create_directory(folder / ("dir.tmp" + ended + "-1"));
  fs::create_symlink(folder / "Kr20HwCfg.cfg", folder / "link.new");

  std::vector<std::string> expected = stale;
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(RemoveStaleTemporaryFiles(folder.Path()), expected);

  std::vector<std::string> left = kept;
  left.push_back("dir.tmp" + ended + "-1");
  left.push_back("link.new");
  std::sort(left.begin(), left.end());
  EXPECT_EQ(Names(folder.Path()), left);
  EXPECT_TRUE(RemoveStaleTemporaryFiles(folder.Path()).empty());
  EXPECT_TRUE(RemoveStaleTemporaryFiles(folder / "missing").empty());
}

}  // namespace
}  // namespace platform
