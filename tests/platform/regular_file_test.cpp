#include "platform/regular_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "support/scratch_folder.h"

namespace platform {
namespace {

TEST(ReadRegularFile, ReadsWholeFilesAndRefusesFifosFoldersAndOversizeWithoutBlocking) {
  testsupport::ScratchFolder folder;
  const std::string root = folder.Path();
  std::ofstream(root + "/ok.cfg", std::ios::binary) << "A=1\r\nB=2";
  std::ofstream(root + "/big.cfg", std::ios::binary) << std::string(11, 'x');
  ASSERT_EQ(::mkfifo((root + "/fifo.cfg").c_str(), 0600), 0);
  std::filesystem::create_directory(root + "/folder.cfg");

  const ReadFileResult ok = ReadRegularFile(root + "/ok.cfg", 10);
  EXPECT_EQ(ok.status, ReadFileStatus::kOk);
  EXPECT_EQ(ok.bytes, "A=1\r\nB=2");
  EXPECT_EQ(ReadRegularFile(root + "/missing.cfg", 10).status, ReadFileStatus::kMissing);
  EXPECT_EQ(ReadRegularFile(root + "/nofolder/x.cfg", 10).status, ReadFileStatus::kMissing);
  // A path that runs through a regular file (ENOTDIR) names no file either: missing, not unreadable.
  EXPECT_EQ(ReadRegularFile(root + "/ok.cfg/x.cfg", 10).status, ReadFileStatus::kMissing);
  ReadFileStatus status = ReadFileStatus::kOk;
  std::string why;
  EXPECT_EQ(OpenRegularFile(root + "/ok.cfg/x.cfg", 10, status, why), -1);
  EXPECT_EQ(status, ReadFileStatus::kMissing);
  // A FIFO with no writer would block a plain open for ever.
  const ReadFileResult fifo = ReadRegularFile(root + "/fifo.cfg", 10);
  EXPECT_EQ(fifo.status, ReadFileStatus::kNotRegular);
  EXPECT_EQ(fifo.why, root + "/fifo.cfg is not a regular file");
  EXPECT_EQ(ReadRegularFile(root + "/folder.cfg", 10).status, ReadFileStatus::kNotRegular);
  const ReadFileResult big = ReadRegularFile(root + "/big.cfg", 10);
  EXPECT_EQ(big.status, ReadFileStatus::kTooLarge);
  EXPECT_EQ(big.why, root + "/big.cfg is 11 bytes, more than the 10 allowed");
  EXPECT_TRUE(big.bytes.empty());
  EXPECT_EQ(ReadRegularFile(root + "/big.cfg", 11).status, ReadFileStatus::kOk);
}

}  // namespace
}  // namespace platform
