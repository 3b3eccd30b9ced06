#include <gtest/gtest.h>

#include <signal.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <thread>

#include "support/log_capture.h"
#include "support/scratch_folder.h"
#include "util/process_routines.h"
#include "util/socket_routines.h"

namespace util {
namespace {

TEST(LaunchedProcess, StartsInItsOwnFolderAndEndsOnRequest) {
  testsupport::ScratchFolder folder;
  LaunchedProcess handle;
  EXPECT_FALSE(LaunchProcess(folder / "missing.Exe", "", true, handle));

  std::filesystem::create_directory(folder / "USERTOOLS");
  const std::string tool = folder / "USERTOOLS/tool.sh";
  ASSERT_TRUE(testsupport::WriteWholeFile(tool, "#!/bin/sh\necho \"$1|$2\" > started.txt\nexec sleep 30\n"));
  std::filesystem::permissions(tool, std::filesystem::perms::owner_all);
  ASSERT_TRUE(LaunchProcess(tool, "first \"second arg\"", true, handle));
  ASSERT_TRUE(handle);
  const int pid = handle->Pid();
  const std::string marker = folder / "USERTOOLS/started.txt";
  for (int i = 0; i < 500 && testsupport::ReadWholeFile(marker).empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(testsupport::ReadWholeFile(marker), "first|second arg\n");

  TerminateLaunchedProcess(handle);
  EXPECT_FALSE(handle);
  EXPECT_EQ(::kill(pid, 0), -1);  // ended and reaped
  EXPECT_EQ(errno, ESRCH);
  TerminateLaunchedProcess(handle);  // nothing left to end
}

TEST(Network, AddressesAndLoopbackPing) {
  for (const char* good : {"255.255.255.255", "0.0.0.0"}) EXPECT_TRUE(IsValidIpAddress(good)) << good;
  for (const char* bad : {"", "256.1.1.1", "1.2.3", "1.2.3.4.5", "1.2.3.4 ", "a.b.c.d", "1..2.3", "::1"}) {
    EXPECT_FALSE(IsValidIpAddress(bad)) << bad;
  }
  double average = -5;
  ASSERT_TRUE(PingHost("127.0.0.1", 2, 5, 0xAA, average));
  EXPECT_GE(average, 0.0);
  EXPECT_LT(average, 1000.0);
  EXPECT_FALSE(PingHost("not an address", 1, 5, 0xAA, average));
  EXPECT_EQ(average, -1.0);
}

}  // namespace
}  // namespace util
