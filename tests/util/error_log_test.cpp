#include "util/error_log.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
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

TEST(ElapsedTimeText, CarriesRoundedFractionsIntoWholeUnits) {
  EXPECT_EQ(FormatElapsedTime(59.9999996), "000:00:01:00.000000");
  EXPECT_EQ(FormatElapsedTime(std::numeric_limits<double>::quiet_NaN()), "000:00:00:00.000000");
  EXPECT_EQ(FormatElapsedTime(1e300), "999999:00:00:00.000000");
  EXPECT_EQ(FormatElapsedTimeMs(59.9996), "000:00:01:00.000");
}

TEST(ErrorLog, StartBannersAndLineFormat) {
  ClosingFlag = true;
  LoggedProgramFolder folder;
  EXPECT_FALSE(ClosingFlag);
  EXPECT_EQ(std::filesystem::path(ProgramFolder()), std::filesystem::current_path());
  EXPECT_EQ(ErrorLogPath(), folder / "SYSTEM/ERLOGS/QuorxL.log");
  WriteErrorLogLine("negative", -7);
  LogWithLocation("Kr20SetMgrUnit", 738, "kr20setmgrclass::GetPreDStatusInfo", "RTL Fail on PreD Get Measured Noise");

  const auto lines = folder.LogLines();
  ASSERT_EQ(lines.size(), 4u);
  const std::regex shape(R"(^(-?\d{5,6})  \d{3}:\d\d:\d\d:\d\d\.\d{6}  (.*)$)");
  const std::pair<const char*, const char*> expected[] = {
      {"000000", "------------------PROGRAM START--------------------"},
      {"000000", "Program Version 2.01"},
      {"-00007", "negative"},
      {"000738", "Kr20SetMgrUnit :: kr20setmgrclass::GetPreDStatusInfo :: RTL Fail on PreD Get Measured Noise"}};
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(lines[i], m, shape)) << lines[i];
    EXPECT_EQ(m[1], expected[i].first);
    EXPECT_EQ(m[2], expected[i].second);
  }
  EXPECT_EQ(testsupport::ReadWholeFile(ErrorLogPath()).find('\r'), std::string::npos);  // plain LF text
}

TEST(ErrorLog, LevelsSoundAndShowTheirBoxes) {
  testsupport::ScopedScriptedDialogs dialogs;
  testsupport::SoundRecorder sound;
  LoggedProgramFolder folder;
  LogInfo("info shown", 2, true);
  EXPECT_TRUE(sound.Take().empty());
  LogWarning("warning shown", 3, true);
  EXPECT_EQ(sound.Take(), testsupport::kWarningTones);
  LogError("error quiet", 5, false);
  EXPECT_EQ(sound.Take(), testsupport::kErrorTones);

  ASSERT_EQ(dialogs->Messages().size(), 2u);
  EXPECT_EQ(dialogs->Messages()[0].title, "INFO");
  EXPECT_EQ(dialogs->Messages()[0].text, "info shown");
  EXPECT_EQ(dialogs->Messages()[1].title, "WARNING");
  EXPECT_EQ(folder.LogTexts().back(), "error quiet");
}

TEST(ErrorLog, ClearAndPlatformReportsAndTheEndBanner) {
  {
    LoggedProgramFolder folder;
    WriteErrorLogLine("before clearing", 0);
    ClearErrorLog();
    platform::ReportDiagnostic("from the platform layer");
    EXPECT_EQ(folder.LogTexts(), (std::vector<std::string>{"ERROR LOG CLEARED", "from the platform layer"}));
  }
  EXPECT_TRUE(ErrorLogPath().empty());

  // Without its log folder the log goes to the program folder; after the end banner nothing more.
  testsupport::ScratchFolder scratch;
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(scratch.Path());
  LogProgramStart(false, "2.01", nullptr, "QuorxL", "\\SYSTEM\\ERLOGS\\", "QuorxL");
  const std::string path = ErrorLogPath();
  LogProgramEnd(false);
  WriteErrorLogLine("after the end", 0);
  std::filesystem::current_path(previous);
  EXPECT_EQ(path, scratch / "QuorxL.log");
  const std::string log = testsupport::ReadWholeFile(path);
  const std::string tail = "  ------------------PROGRAM END--------------------\n";
  ASSERT_GE(log.size(), tail.size());
  EXPECT_EQ(log.substr(log.size() - tail.size()), tail);
}

// The log's size limit for the length of a test.
class ScopedLogLimit {
 public:
  explicit ScopedLogLimit(std::uint64_t bytes) : previous_(SetErrorLogSizeLimit(bytes)) {}
  ~ScopedLogLimit() { SetErrorLogSizeLimit(previous_); }
  ScopedLogLimit(const ScopedLogLimit&) = delete;
  ScopedLogLimit& operator=(const ScopedLogLimit&) = delete;

 private:
  std::uint64_t previous_;
};

// Whole-file text with each line's time column blanked, the rest byte for byte.
std::string WithoutTimes(const std::string& file) {
  static const std::regex time(R"(  \d{3}:\d\d:\d\d:\d\d\.\d{6}  )");
  return std::regex_replace(file, time, "  T  ");
}

// Past its limit the log becomes its one older copy and starts again under its own name with a
// line saying so; clearing empties only the new log; the next turn replaces the older copy.
TEST(ErrorLog, PastItsSizeLimitTheLogMovesToItsOlderCopyAndStartsAgain) {
  EXPECT_GE(kErrorLogMaxBytes, 10u * 1024 * 1024);
  LoggedProgramFolder folder;
  const std::string path = ErrorLogPath();
  const std::string old = path + ".old";
  const std::string start = testsupport::ReadWholeFile(path);
  // Each line below is 6 + 2 + 19 + 2 + 9 + 1 = 39 bytes; three fit, the fourth does not.
  const ScopedLogLimit limit(start.size() + 3 * 39);
  for (const char* text : {"line 0001", "line 0002", "line 0003"}) WriteErrorLogLine(text, 1);
  EXPECT_FALSE(std::filesystem::exists(old));
  WriteErrorLogLine("line 0004", 4);

  EXPECT_EQ(ErrorLogPath(), path);
  EXPECT_EQ(WithoutTimes(testsupport::ReadWholeFile(old)),
            WithoutTimes(start) + "000001  T  line 0001\n000001  T  line 0002\n000001  T  line 0003\n");
  const std::string full = std::to_string(start.size() + 3 * 39);
  EXPECT_EQ(WithoutTimes(testsupport::ReadWholeFile(path)),
            "000000  T  ERROR LOG REACHED " + full + " BYTES, EARLIER LINES MOVED TO " + old + "\n" +
                "000004  T  line 0004\n");

  const std::string kept = testsupport::ReadWholeFile(old);
  ClearErrorLog();
  EXPECT_EQ(WithoutTimes(testsupport::ReadWholeFile(path)), "000000  T  ERROR LOG CLEARED\n");
  EXPECT_EQ(testsupport::ReadWholeFile(old), kept);

  // "ERROR LOG CLEARED" (47 bytes) and five lines of 39 reach the limit again at the sixth.
  const ScopedLogLimit smaller(47 + 5 * 39);
  for (int i = 5; i <= 10; ++i) WriteErrorLogLine("line 000" + std::to_string(i % 10), i);
  EXPECT_EQ(folder.LogTexts(),
            (std::vector<std::string>{"ERROR LOG REACHED 242 BYTES, EARLIER LINES MOVED TO " + old, "line 0000"}));
  EXPECT_EQ(testsupport::LogFileTexts(old),
            (std::vector<std::string>{"ERROR LOG CLEARED", "line 0005", "line 0006", "line 0007", "line 0008",
                                      "line 0009"}));

  // Several lines after each move: each new log counts from its own start, so it fills up before
  // it moves again. Lines of 230 bytes; four fit after "ERROR LOG CLEARED" and after a notice.
  ClearErrorLog();
  ASSERT_LE(old.size(), 190u);  // a notice of at most 276 bytes
  const ScopedLogLimit third(47 + 4 * 230 + 229);
  auto longLine = [](int i) { return "line " + std::to_string(100 + i) + std::string(192, '.'); };
  for (int i = 1; i <= 12; ++i) WriteErrorLogLine(longLine(i), i);
  const std::string first = "ERROR LOG REACHED " + std::to_string(47 + 4 * 230) + " BYTES, EARLIER LINES MOVED TO " + old;
  const std::string second = "ERROR LOG REACHED " + std::to_string(29 + first.size() + 1 + 4 * 230) +
                             " BYTES, EARLIER LINES MOVED TO " + old;
  EXPECT_EQ(testsupport::LogFileTexts(old),
            (std::vector<std::string>{first, longLine(5), longLine(6), longLine(7), longLine(8)}));
  EXPECT_EQ(folder.LogTexts(), (std::vector<std::string>{second, longLine(9), longLine(10), longLine(11), longLine(12)}));

  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(path).parent_path())) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"QuorxL.log", "QuorxL.log.old"}));
}

// Every start keeps the run before as the older copy (a restart or a crash would otherwise take
// the lines an operator wants); the copy before that goes, so the two files stay bounded.
TEST(ErrorLog, EachStartKeepsThePreviousRunsLogAsItsOlderCopy) {
  LoggedProgramFolder folder;
  const std::string path = ErrorLogPath();
  const std::string old = path + ".old";
  const std::vector<std::string> banner = {"------------------PROGRAM START--------------------", "Program Version 2.01"};
  for (const char* run : {"first run", "second run"}) {
    SCOPED_TRACE(run);
    WriteErrorLogLine(run, 0);
    const std::string before = testsupport::ReadWholeFile(path);
    LogProgramStart(false, "2.01", nullptr, "QuorxL", "\\SYSTEM\\ERLOGS\\", "QuorxL");
    EXPECT_EQ(testsupport::ReadWholeFile(old), before);
    EXPECT_EQ(folder.LogTexts(), banner);
  }
  EXPECT_EQ(testsupport::LogFileTexts(old), (std::vector<std::string>{banner[0], banner[1], "second run"}));
}

// A disk that takes `room` more bytes, then refuses with ENOSPC; a write that does not fit goes in
// partly, as on a file system that fills up.
struct SmallDisk {
  std::size_t room = 0;
  long Write(int fd, const void* data, std::size_t size) {
    if (room == 0) {
      errno = ENOSPC;
      return -1;
    }
    const long wrote = ::write(fd, data, std::min(size, room));
    if (wrote > 0) room -= static_cast<std::size_t>(wrote);
    return wrote;
  }
};

class ScopedSmallDisk {
 public:
  explicit ScopedSmallDisk(std::size_t room) : disk_{room} {
    previous_ = SetErrorLogWriteCall([this](int fd, const void* data, std::size_t size) { return disk_.Write(fd, data, size); });
  }
  ~ScopedSmallDisk() { SetErrorLogWriteCall(previous_); }
  ScopedSmallDisk(const ScopedSmallDisk&) = delete;
  ScopedSmallDisk& operator=(const ScopedSmallDisk&) = delete;
  void SetRoom(std::size_t room) { disk_.room = room; }

 private:
  SmallDisk disk_;
  ErrorLogWriteCall previous_;
};

// On a full disk a line is written whole or not at all, and is not counted as written; standard
// error hears it once per spell; once there is room the log says how many lines were lost. A move
// while the disk is full neither cuts a line nor repeats with every line.
TEST(ErrorLog, OnAFullDiskLinesAreWholeCountedAsLostAndReportedOnce) {
  LoggedProgramFolder folder;
  const std::string path = ErrorLogPath();
  const std::string old = path + ".old";
  const std::string start = testsupport::ReadWholeFile(path);
  ScopedSmallDisk disk(20);  // half of a 39-byte line
  testing::internal::CaptureStderr();
  for (const char* text : {"line 0001", "line 0002", "line 0003"}) WriteErrorLogLine(text, 1);
  EXPECT_EQ(testsupport::ReadWholeFile(path), start);
  const std::string full = "000000  T  Error log cannot be written: " + path + " (No space left on device)\n";
  EXPECT_EQ(WithoutTimes(testing::internal::GetCapturedStderr()), full);

  disk.SetRoom(1000);
  testing::internal::CaptureStderr();
  WriteErrorLogLine("line 0004", 4);
  EXPECT_EQ(WithoutTimes(testsupport::ReadWholeFile(path)),
            WithoutTimes(start) + "000000  T  ERROR LOG COULD NOT BE WRITTEN, 3 LINES LOST\n000004  T  line 0004\n");

  // Room for one more line, then the log must move while the disk is full: the older copy ends
  // with the last whole line, and the lines after it do not move the log again.
  const std::size_t size = testsupport::ReadWholeFile(path).size();
  const ScopedLogLimit limit(size + 39);
  disk.SetRoom(39 + 20);
  for (int i = 5; i <= 9; ++i) WriteErrorLogLine("line 000" + std::to_string(i), i);
  EXPECT_EQ(WithoutTimes(testing::internal::GetCapturedStderr()), full);
  const std::string kept = testsupport::ReadWholeFile(old);
  EXPECT_EQ(kept.size(), size + 39);
  EXPECT_EQ(WithoutTimes(kept.substr(size)), "000005  T  line 0005\n");
  EXPECT_EQ(testsupport::ReadWholeFile(path), "");

  // Room again: the lost lines (the move's notice among them) are counted, and the next move
  // counts only the bytes written.
  disk.SetRoom(100000);
  WriteErrorLogLine("line 0010", 10);
  EXPECT_EQ(folder.LogTexts(), (std::vector<std::string>{"ERROR LOG COULD NOT BE WRITTEN, 5 LINES LOST", "line 0010"}));
  EXPECT_EQ(testsupport::ReadWholeFile(old), kept);
  const std::uint64_t written = testsupport::ReadWholeFile(path).size();
  const ScopedLogLimit smaller(written);
  WriteErrorLogLine("line 0011", 11);
  EXPECT_EQ(folder.LogTexts(), (std::vector<std::string>{"ERROR LOG REACHED " + std::to_string(written) +
                                                             " BYTES, EARLIER LINES MOVED TO " + old,
                                                         "line 0011"}));
}

TEST(ErrorLog, PcReport) {
  SetScreenSize({1280, 1024});
  LoggedProgramFolder folder;
  ReportPcInfo();
  const auto texts = folder.LogTexts();
  ASSERT_EQ(texts.size(), 8u);
  EXPECT_EQ(texts[6].rfind("PC INFO - Screen: 1280 x 1024", 0), 0u) << texts[6];
  EXPECT_EQ(texts[7], "PC INFO - Program Folder: " + ProgramFolder());
}

TEST(ErrorLog, LinesFromManyThreadsNeverInterleave) {
  LoggedProgramFolder folder;
  constexpr int kThreads = 4, kLines = 250;
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
  const std::regex shape(R"(^00000(\d)  \d{3}:\d\d:\d\d:\d\d\.\d{6}  thread (\d) line (\d+)$)");
  std::vector<int> next(kThreads, 0);
  for (std::size_t i = 2; i < lines.size(); ++i) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(lines[i], m, shape)) << lines[i];
    ASSERT_EQ(m[1], m[2]);
    EXPECT_EQ(std::stoi(m[3]), next[static_cast<std::size_t>(std::stoi(m[2]))]++);
  }
}

}  // namespace
}  // namespace util
