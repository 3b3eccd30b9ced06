// The abnormal end: an exception that escapes every handler shows the operator a message, logs
// it, takes the system down in order and ends the process with a failure status; once a session
// end began it does nothing.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <exception>
#include <thread>

#include "config/globals.h"
#include "main_form_fixture.h"
#include "settings/window_messages.h"
#include "support/program_log.h"
#include "support/scripted_dialogs.h"
#include "support/sound_recorder.h"
#include "ui/termination.h"

namespace uitest {
namespace {

using Lines = std::vector<std::string>;

const std::string kAbnormalLine = "QUORXL Abnormal Program Termination";

Lines AbnormalEndLines() {
  Lines lines = {kAbnormalLine};
  const Lines close = testsupport::CloseSequenceLines();
  lines.insert(lines.end(), close.begin(), close.end());
  return lines;
}

// The number column of the log line whose text is `text` (the line: number, time, text).
std::string NumberColumnOf(const std::string& log, const std::string& text) {
  const std::size_t end = log.find("  " + text + "\n");
  if (end == std::string::npos) return {};
  const std::size_t begin = log.rfind('\n', end);
  const std::size_t start = begin == std::string::npos ? 0 : begin + 1;
  return log.substr(start, log.find("  ", start) - start);
}

class AbnormalEndTest : public MainFormTest, public ::testing::WithParamInterface<bool> {};

// From the interface thread, or from another thread that waits while the interface thread runs it.
TEST_P(AbnormalEndTest, ShowsTheMessageLogsAndShutsDown) {
  PrepareProgramFolder(1);
  StartProgram();
  testsupport::ScopedScriptedDialogs dialogs;
  testsupport::SoundRecorder sound;
  if (GetParam()) {
    std::atomic<bool> returned{false};
    std::thread other([&] {
      ui::RunAbnormalTermination();
      returned = true;
    });
    const bool ended = RunUntil([&] { return returned.load(); }, std::chrono::seconds(30));
    other.join();
    ASSERT_TRUE(ended);
  } else {
    ui::RunAbnormalTermination();
  }
  ASSERT_EQ(dialogs->Messages().size(), 1U);
  EXPECT_EQ(dialogs->Messages()[0].title, ui::kProgramName);
  EXPECT_EQ(dialogs->Messages()[0].text, "ABNORMAL PROGRAM TERMINATE");
  EXPECT_EQ(sound.Take(), testsupport::kErrorTones);
  EXPECT_EQ(testsupport::LinesFrom(LogTexts(), kAbnormalLine), AbnormalEndLines());
  EXPECT_EQ(NumberColumnOf(testsupport::ReadWholeFile(LogPath()), kAbnormalLine), "005000");
  EXPECT_TRUE(util::ClosingFlag.load());
  EXPECT_EQ(gRtl20Mgr, nullptr);
}

INSTANTIATE_TEST_SUITE_P(FromEitherThread, AbnormalEndTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& row) {
                           return row.param ? "AnotherThread" : "InterfaceThread";
                         });

// Once the session end began (it closes the program itself) nothing more is shown or written.
TEST_F(AbnormalEndTest, DoesNothingOnceTheSessionEnds) {
  PrepareProgramFolder(0);
  StartProgram();
  form_->Send(settings::kWmQueryEndSession, 0, 0);
  form_->Send(settings::kWmEndSession, 0, 0);
  const std::string log = testsupport::ReadWholeFile(LogPath());
  testsupport::ScopedScriptedDialogs dialogs;
  testsupport::SoundRecorder sound;
  ui::RunAbnormalTermination();
  EXPECT_TRUE(dialogs->Messages().empty());
  EXPECT_TRUE(sound.Take().empty());
  EXPECT_EQ(testsupport::ReadWholeFile(LogPath()), log);
}

// The start-up installs the handler: an escaped exception runs the shut-down, then the process
// ends at once with a failure status.
TEST_F(AbnormalEndTest, AnEscapedExceptionEndsTheProcessAfterTheShutDown) {
  GTEST_FLAG_SET(death_test_style, "fast");
  PrepareProgramFolder(0);
  StartProgram();
  EXPECT_EXIT(std::terminate(), ::testing::ExitedWithCode(EXIT_FAILURE), "");
  EXPECT_EQ(testsupport::LinesFrom(LogTexts(), kAbnormalLine), AbnormalEndLines());
}

}  // namespace
}  // namespace uitest
