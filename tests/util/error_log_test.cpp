#include "util/error_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <regex>
#include <thread>

#include "platform/diagnostics.h"
#include "support/log_capture.h"
#include "support/scripted_dialogs.h"
#include "support/sound_recorder.h"
#include "util/process_globals.h"

namespace util {
namespace {

using testsupport::LoggedProgramFolder;

using testsupport::kErrorTones;
using testsupport::kWarningTones;
using testsupport::SoundRecorder;

TEST(ElapsedTimeText, CarriesRoundedFractionsIntoWholeUnits) {
  EXPECT_EQ(FormatElapsedTime(0.0), "000:00:00:00.000000");
  EXPECT_EQ(FormatElapsedTime(59.9999996), "000:00:01:00.000000");
  EXPECT_EQ(FormatElapsedTime(59.9999994), "000:00:00:59.999999");
  EXPECT_EQ(FormatElapsedTime(3661.5), "000:01:01:01.500000");
  EXPECT_EQ(FormatElapsedTime(2 * 86400.0 + 23 * 3600.0 + 59 * 60.0 + 59.9999996), "003:00:00:00.000000");
  EXPECT_EQ(FormatElapsedTime(-4.0), "000:00:00:00.000000");
  EXPECT_EQ(FormatElapsedTime(std::numeric_limits<double>::quiet_NaN()), "000:00:00:00.000000");
  EXPECT_EQ(FormatElapsedTime(1e300), "999999:00:00:00.000000");

  EXPECT_EQ(FormatElapsedTimeMs(59.9996), "000:00:01:00.000");
  EXPECT_EQ(FormatElapsedTimeMs(1.2344), "000:00:00:01.234");
  EXPECT_EQ(FormatElapsedTimeMs(7322.0), "000:02:02:02.000");
}

TEST(ErrorLog, StartWritesBannersAndSetsProcessValues) {
  ClosingFlag = true;
  LoggedProgramFolder folder;
  EXPECT_FALSE(ClosingFlag);
  EXPECT_EQ(std::filesystem::path(ProgramFolder()), std::filesystem::current_path());
  EXPECT_EQ(ErrorLogPath(), folder / "SYSTEM/ERLOGS/QuorxL.log");

  const auto lines = folder.LogLines();
  ASSERT_EQ(lines.size(), 2u);
  const std::regex shape(R"(^000000  000:00:00:\d\d\.\d{6}  (.*)$)");
  std::smatch m;
  ASSERT_TRUE(std::regex_match(lines[0], m, shape)) << lines[0];
  EXPECT_EQ(m[1], "------------------PROGRAM START--------------------");
  ASSERT_TRUE(std::regex_match(lines[1], m, shape)) << lines[1];
  EXPECT_EQ(m[1], "Program Version 2.01");
}

TEST(ErrorLog, LineCarriesTheCallersNumberAndText) {
  LoggedProgramFolder folder;
  WriteErrorLogLine("plain line", 42);
  WriteErrorLogLine("negative", -7);
  LogWithLocation("Kr20SetMgrUnit", 738, "kr20setmgrclass::GetPreDStatusInfo", "RTL Fail on PreD Get Measured Noise");
  const auto lines = folder.LogLines();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_TRUE(std::regex_match(lines[2], std::regex(R"(^000042  \d{3}:\d\d:\d\d:\d\d\.\d{6}  plain line$)"))) << lines[2];
  EXPECT_EQ(lines[3].substr(0, 8), "-00007  ");
  EXPECT_EQ(lines[4].substr(0, 8), "000738  ");
  EXPECT_EQ(lines[4].substr(29),
            "Kr20SetMgrUnit :: kr20setmgrclass::GetPreDStatusInfo :: RTL Fail on PreD Get Measured Noise");
  // The file is plain LF text: no CR anywhere.
  EXPECT_EQ(testsupport::ReadWholeFile(ErrorLogPath()).find('\r'), std::string::npos);
}

TEST(ErrorLog, LevelsSoundAndShowTheirBoxes) {
  testsupport::ScopedScriptedDialogs dialogs;
  SoundRecorder sound;
  LoggedProgramFolder folder;

  LogInfoText("info quiet", 1, false);
  LogInfo("info shown", 2, true);
  EXPECT_TRUE(sound.Take().empty());
  LogWarning("warning shown", 3, true);
  EXPECT_EQ(sound.Take(), kWarningTones);
  LogError("error shown", 4, true);
  EXPECT_EQ(sound.Take(), kErrorTones);
  LogError("error quiet", 5, false);
  EXPECT_EQ(sound.Take(), kErrorTones);

  ASSERT_EQ(dialogs->Messages().size(), 3u);
  EXPECT_EQ(dialogs->Messages()[0].title, "INFO");
  EXPECT_EQ(dialogs->Messages()[0].text, "info shown");
  EXPECT_EQ(dialogs->Messages()[1].title, "WARNING");
  EXPECT_EQ(dialogs->Messages()[2].title, "ERROR");
  EXPECT_EQ(dialogs->Messages()[2].text, "error shown");

  const auto texts = folder.LogTexts();
  const std::vector<std::string> expected{"info quiet", "info shown", "warning shown", "error shown", "error quiet"};
  EXPECT_EQ(std::vector<std::string>(texts.begin() + 2, texts.end()), expected);
}

TEST(ErrorLog, ClearEmptiesTheLogAndPlatformReportsReachIt) {
  {
    LoggedProgramFolder folder;
    WriteErrorLogLine("before clearing", 0);
    ClearErrorLog();
    WriteErrorLogLine("after clearing", 9);
    EXPECT_EQ(folder.LogTexts(), (std::vector<std::string>{"ERROR LOG CLEARED", "after clearing"}));
    platform::ReportDiagnostic("from the platform layer");
    EXPECT_EQ(folder.LogTexts().back(), "from the platform layer");
  }
  EXPECT_TRUE(ErrorLogPath().empty());
}

TEST(ErrorLog, EndBannerIsTheLastLine) {
  testsupport::ScratchFolder scratch;
  std::filesystem::create_directories(scratch / "SYSTEM/ERLOGS");
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(scratch.Path());
  LogProgramStart(false, "2.01", nullptr, "QuorxL", "/SYSTEM/ERLOGS/", "QuorxL");
  LogProgramEnd(false);
  WriteErrorLogLine("after the end", 0);  // goes to stderr, not into the closed log
  std::filesystem::current_path(previous);
  const std::string log = testsupport::ReadWholeFile(scratch / "SYSTEM/ERLOGS/QuorxL.log");
  const std::string tail = "  ------------------PROGRAM END--------------------\n";
  ASSERT_GE(log.size(), tail.size());
  EXPECT_EQ(log.substr(log.size() - tail.size()), tail);
}

TEST(ErrorLog, MissingLogFolderPutsTheLogInTheProgramFolder) {
  testsupport::ScratchFolder scratch;
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(scratch.Path());
  LogProgramStart(false, "2.01", nullptr, "QuorxL", "\\SYSTEM\\ERLOGS\\", "QuorxL");
  const std::string path = ErrorLogPath();
  LogProgramEnd(false);
  std::filesystem::current_path(previous);
  EXPECT_EQ(path, scratch / "QuorxL.log");
  EXPECT_TRUE(std::filesystem::exists(scratch / "QuorxL.log"));
}

TEST(ErrorLog, PcReport) {
  SetScreenSize({1280, 1024});
  LoggedProgramFolder folder;
  ReportPcInfo();
  const auto texts = folder.LogTexts();
  ASSERT_EQ(texts.size(), 8u);
  const std::vector<std::string> prefixes{"PC INFO - Host Name: ", "PC INFO - Operating System: Linux ",
                                          "PC INFO - Processors: ", "PC INFO - Physical Memory: ",
                                          "PC INFO - Screen: 1280 x 1024", "PC INFO - Program Folder: "};
  for (std::size_t i = 0; i < prefixes.size(); ++i) {
    EXPECT_EQ(texts[i + 2].substr(0, prefixes[i].size()), prefixes[i]) << texts[i + 2];
  }
  EXPECT_TRUE(std::regex_match(texts[4], std::regex(R"(PC INFO - Processors: \d+ \(usable \d+\))"))) << texts[4];
  EXPECT_TRUE(std::regex_match(texts[5], std::regex(R"(PC INFO - Physical Memory: \d+ MB)"))) << texts[5];
  EXPECT_EQ(texts[7], "PC INFO - Program Folder: " + ProgramFolder());
}

TEST(ErrorLog, LinesFromManyThreadsNeverInterleave) {
  LoggedProgramFolder folder;
  constexpr int kThreads = 4;
  constexpr int kLines = 250;
  {
    std::vector<std::jthread> writers;
    for (int t = 0; t < kThreads; ++t) {
      writers.emplace_back([t] {
        for (int i = 0; i < kLines; ++i) WriteErrorLogLine("thread " + std::to_string(t) + " line " + std::to_string(i), t);
      });
    }
  }
  const auto lines = folder.LogLines();
  ASSERT_EQ(lines.size(), 2u + kThreads * kLines);
  const std::regex shape(R"(^00000(\d)  \d{3}:\d\d:\d\d:\d\d\.\d{6}  thread (\d) line \d+$)");
  std::vector<int> next(kThreads, 0);
  for (std::size_t i = 2; i < lines.size(); ++i) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(lines[i], m, shape)) << lines[i];
    EXPECT_EQ(m[1], m[2]);
    const int t = std::stoi(m[2]);
    EXPECT_EQ(lines[i].substr(lines[i].rfind(' ') + 1), std::to_string(next[static_cast<std::size_t>(t)]++));
  }
}

}  // namespace
}  // namespace util
