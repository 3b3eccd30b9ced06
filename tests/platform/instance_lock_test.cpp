#include "platform/instance_lock.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>

#include "support/scratch_folder.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

class InstanceLockTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(folder_.Path().empty()); }
  std::unique_ptr<InstanceLock> Take(const std::string& name) { return InstanceLock::TryAcquire(name, folder_.Path()); }
  bool Held(const std::string& name) { return InstanceLock::IsHeld(name, folder_.Path()); }

  testsupport::ScratchFolder folder_;
};

TEST_F(InstanceLockTest, OneHolderPerNameAtATimeAndFreedOnDestruction) {
  EXPECT_FALSE(Held("Protect_Test"));
  EXPECT_FALSE(fs::exists(folder_ / "Protect_Test.lock"));  // a probe creates nothing
  auto first = Take("Protect_Test");
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(fs::exists(folder_ / "Protect_Test.lock"));
  EXPECT_TRUE(Held("Protect_Test"));
  EXPECT_EQ(Take("Protect_Test"), nullptr);
  EXPECT_TRUE(Held("Protect_Test"));  // neither the probe nor the failed take freed it
  EXPECT_NE(Take(MainWindowLockName("Protect_Test")), nullptr);
  fs::create_directory(folder_ / "sub");
  for (const char* name : {"sub/Lock", "", ".."}) EXPECT_EQ(Take(name), nullptr) << name;
  EXPECT_FALSE(fs::exists(folder_ / "sub/Lock.lock"));
  first.reset();
  EXPECT_FALSE(Held("Protect_Test"));
  EXPECT_NE(Take("Protect_Test"), nullptr);
}

TEST_F(InstanceLockTest, FreedWhenTheHoldingProcessIsKilled) {
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const auto lock = Take("Protect_Killed");
    if (lock == nullptr || write(ready[1], "y", 1) != 1) _exit(1);
    for (;;) pause();
  }
  close(ready[1]);
  char taken = 0;
  EXPECT_EQ(read(ready[0], &taken, 1), 1);  // none when the child could not take the lock
  close(ready[0]);
  EXPECT_TRUE(Held("Protect_Killed"));
  EXPECT_EQ(Take("Protect_Killed"), nullptr);
  ASSERT_EQ(kill(child, SIGKILL), 0);
  ASSERT_EQ(waitpid(child, nullptr, 0), child);
  EXPECT_FALSE(Held("Protect_Killed"));
  EXPECT_NE(Take("Protect_Killed"), nullptr);
}

TEST_F(InstanceLockTest, DefaultFolderIsTheRuntimeFolderWhenUsableElseAPrivateTmpFolder) {
  const char* old = getenv("XDG_RUNTIME_DIR");
  const std::optional<std::string> saved = old ? std::optional<std::string>(old) : std::nullopt;
  const auto setRuntime = [](const char* value) {
    value != nullptr ? setenv("XDG_RUNTIME_DIR", value, 1) : unsetenv("XDG_RUNTIME_DIR");
  };
  setRuntime(folder_.Path().c_str());
  EXPECT_EQ(InstanceLock::DefaultFolder(), folder_.Path());
  EXPECT_NE(InstanceLock::TryAcquire("Protect_Default"), nullptr);
  EXPECT_TRUE(fs::exists(folder_ / "Protect_Default.lock"));
  const std::string fallback = "/tmp/quorxl-" + std::to_string(geteuid());
  for (const char* runtime : {static_cast<const char*>(nullptr), "relative/dir"}) {
    setRuntime(runtime);
    EXPECT_EQ(InstanceLock::DefaultFolder(), fallback) << (runtime ? runtime : "(unset)");
  }
  setRuntime(saved ? saved->c_str() : nullptr);
  struct stat info {};
  ASSERT_EQ(lstat(fallback.c_str(), &info), 0);
  EXPECT_TRUE(S_ISDIR(info.st_mode));
  EXPECT_EQ(info.st_uid, geteuid());
  EXPECT_EQ(info.st_mode & 0777, 0700u);
}

}  // namespace
}  // namespace platform
