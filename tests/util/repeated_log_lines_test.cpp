// Lines written once per start, and the counts of held-back repeats the end of the log gives.
#include "util/repeated_log_lines.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/log_capture.h"
#include "support/scratch_folder.h"
#include "util/error_log.h"

namespace util {
namespace {

TEST(RepeatedLogLines, AOncePerStartLineIsWrittenOnceUntilTheNextLogAndTheEndCountsTheRepeats) {
  testsupport::ScratchFolder folder;
  std::filesystem::create_directories(folder / "SYSTEM/ERLOGS");
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(folder.Path());
  const std::string log = folder / "SYSTEM/ERLOGS/QuorxL.log";
  std::vector<std::string> seen;
  for (int start = 0; start < 2; ++start) {
    LogProgramStart(false, "2.01", nullptr, "QuorxL", "\\SYSTEM\\ERLOGS\\", "QuorxL");
    for (int card = 0; card < 3; ++card) {
      EXPECT_EQ(WriteErrorLogLineOnce("modIndLockThreshold.cfg line 2: three fields expected, line skipped", 0), card == 0);
    }
    for (int pass = 0; pass < 3; ++pass) {
      if (RepeatableLineDue("Card 1 task", "cause A", "fault A")) WriteErrorLogLine("fault A", 0);
    }
    LogProgramEnd(false);
    seen = testsupport::LogFileTexts(log);
    SCOPED_TRACE(start);
    EXPECT_EQ(seen, (std::vector<std::string>{"------------------PROGRAM START--------------------",
                                              "Program Version 2.01",
                                              "modIndLockThreshold.cfg line 2: three fields expected, line skipped",
                                              "fault A",
                                              "Card 1 task: 2 more times \"fault A\", not logged",
                                              "------------------PROGRAM END--------------------"}));
  }
  std::filesystem::current_path(previous);
}

}  // namespace
}  // namespace util
