#include "platform/path_resolve.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>

#include "support/scratch_folder.h"

namespace platform {
namespace {

class ResolvePathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(root_.empty());
    std::filesystem::create_directories(folder_ / "Sys/HardwareConfig");
    for (const char* file : {"Sys/HardwareConfig/Kr20.cfg", "Sys/ABC", "Sys/aBc"}) std::ofstream(folder_ / file) << "x";
  }

  testsupport::ScratchFolder folder_;
  const std::string root_ = folder_.Path();
};

TEST_F(ResolvePathTest, MatchesExistingComponentsIgnoringCaseAndKeepsTheRestAsGiven) {
  const std::pair<const char*, const char*> cases[] = {
      {"\\SYS\\hardwareconfig\\KR20.CFG", "/Sys/HardwareConfig/Kr20.cfg"},
      {"/sys/./HARDWARECONFIG/../hardwareconfig/kr20.CFG", "/Sys/./HardwareConfig/../HardwareConfig/Kr20.cfg"},
      // An exact name wins, then the first in byte order.
      {"/SYS/aBc", "/Sys/aBc"},
      {"/SYS/abc", "/Sys/ABC"},
      // A new file lands in the existing folder; below a missing folder or a file nothing is
      // looked up; letters beyond ASCII are not folded.
      {"\\sys\\hardwareconfig\\New.CFG", "/Sys/HardwareConfig/New.CFG"},
      {"/SYS/Missing/kr20.cfg", "/Sys/Missing/kr20.cfg"},
      {"/sys/\xc3\x84", "/Sys/\xc3\x84"}};
  for (const auto& [path, expected] : cases) EXPECT_EQ(ResolvePath(root_ + path), root_ + expected) << path;
  EXPECT_EQ(ResolvePath("/"), "/");
  EXPECT_EQ(ResolvePath(""), "");
}

}  // namespace
}  // namespace platform
