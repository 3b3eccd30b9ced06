// The QuorxL program as the operator runs it: its own process in a program folder with virtual
// cards, started, refused, restarted, killed and ended by signals.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/instance_lock.h"
#include "platform/process_launcher.h"
#include "program_folder.h"
#include "support/devicesim_support.h"
#include "support/log_capture.h"
#include "support/program_log.h"
#include "support/scratch_folder.h"

namespace {

using namespace std::chrono_literals;

constexpr const char* kStartUpComplete = "---------------START UP COMPLETE------------------";
constexpr const char* kProgramEnd = "------------------PROGRAM END--------------------";

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!acceptance::ProgramBuilt()) GTEST_FAIL() << "program or simulated libraries not built (the build makes them)";
    acceptance::PrepareProgramFolder(folder_, "[General]\nCards=2\nSeed=7\n[Card_0]\nFpgaMode=0\n[Card_1]\nFpgaMode=1\n");
  }

  void TearDown() override {
    for (auto& program : running_) {
      if (program != nullptr) program->Terminate(100);
    }
  }

  platform::ChildProcess& Launch(const std::vector<std::string>& arguments = {}) {
    std::string error;
    running_.push_back(platform::ChildProcess::Launch(QUORX_PROGRAM, arguments, folder_.Path(), &error));
    EXPECT_NE(running_.back(), nullptr) << error;
    return *running_.back();
  }

  std::string LogPath() const { return folder_ / "SYSTEM/ERLOGS/QuorxL.log"; }
  std::vector<std::string> Log() const { return testsupport::LogFileTexts(LogPath()); }
  bool LockHeld() const { return platform::InstanceLock::IsHeld("Protect_QuorxL", folder_ / "locks"); }

  // Until the log tells of a completed start-up; with `endedToo` false, of one that has not ended
  // yet (a log that holds the end is a closed copy's).
  bool WaitForStartUp(bool endedToo = true) const {
    for (const auto end = std::chrono::steady_clock::now() + 60s; std::chrono::steady_clock::now() < end;
         std::this_thread::sleep_for(50ms)) {
      const std::vector<std::string> texts = Log();
      const bool ended = std::find(texts.begin(), texts.end(), kProgramEnd) != texts.end();
      if (std::find(texts.begin(), texts.end(), kStartUpComplete) != texts.end() && (endedToo || !ended)) return true;
    }
    ADD_FAILURE() << testsupport::ReadWholeFile(LogPath());
    return false;
  }

  testsupport::ScratchFolder folder_;
  std::vector<std::unique_ptr<platform::ChildProcess>> running_;
};

// A killed copy leaves no lock behind; the next one comes up, stays up and closes in order on
// SIGTERM, as when the session ends.
TEST_F(ProgramTest, AfterAKilledCopyTheNextRunsAndClosesInOrderOnSigterm) {
  platform::ChildProcess& first = Launch();
  ASSERT_TRUE(WaitForStartUp());
  ASSERT_EQ(kill(first.Pid(), SIGKILL), 0);
  ASSERT_TRUE(first.WaitForExit(10000));
  EXPECT_FALSE(LockHeld());

  // The killed copy's lines are kept as the older copy before the next one's log starts.
  const std::string killed = testsupport::ReadWholeFile(LogPath());
  platform::ChildProcess& program = Launch();
  bool kept = false;
  for (const auto end = std::chrono::steady_clock::now() + 60s; !kept && std::chrono::steady_clock::now() < end;
       std::this_thread::sleep_for(20ms)) {
    kept = testsupport::ReadWholeFile(LogPath() + ".old") == killed;
  }
  ASSERT_TRUE(kept) << testsupport::ReadWholeFile(LogPath() + ".old");
  ASSERT_TRUE(WaitForStartUp());
  // It stayed up until the signal: the close below is its answer to it.
  ASSERT_TRUE(program.IsRunning());
  ASSERT_EQ(kill(program.Pid(), SIGTERM), 0);
  int status = -1;
  ASSERT_TRUE(program.WaitForExit(30000, &status));
  EXPECT_EQ(status, 0);
  const std::string badForm = "Windows Shutting Down without the User Closing The Application...BAD FORM";
  std::vector<std::string> expected = testsupport::CloseSequenceLines(false);
  expected.insert(expected.begin(), badForm);
  EXPECT_EQ(testsupport::LinesFrom(Log(), badForm), expected);
}

// Six virtual cards with every card window open, left running for 30 s under the sanitizers: the
// windows come back from the last close, nothing is reported, and the program still answers the
// end of the session by closing in order.
TEST_F(ProgramTest, SixCardsWithEveryCardWindowOpenKeepRunning) {
  std::string hardware = "[General]\nCards=6\nSeed=9\n";
  std::string positions = "[MainWindow]\r\nLeft=0\r\nTop=0\r\nWidth=700\r\nHeight=200\r\nVisible=YES\r\n";
  for (int card = 0; card < 6; ++card) {
    const std::string n = std::to_string(card);
    hardware += "[Card_" + n + "]\nFpgaMode=" + std::to_string(card % 3) + "\n" +
                "IfInput1=70e6, -42, " + (card % 3 == 0 ? "SOQPSK_TG" : "PCM_FM") + ", 2e6, 13, NRZL\n";
    positions += "[CardSetup_" + n + "]\r\nLeft=" + std::to_string(20 * card) + "\r\nTop=" + std::to_string(20 * card) +
                 "\r\nWidth=525\r\nHeight=600\r\nVisible=YES\r\n";
  }
  ASSERT_TRUE(testsupport::WriteWholeFile(folder_.Path() + "/VirtualHardware.cfg", hardware));
  std::filesystem::create_directories(folder_.Path() + "/SYSTEM/HARDWARECONFIGURATION");
  ASSERT_TRUE(testsupport::WriteWholeFile(folder_.Path() + "/SYSTEM/HARDWARECONFIGURATION/Kr20Last.pos", positions));

  platform::ChildProcess& program = Launch();
  ASSERT_TRUE(WaitForStartUp());
  // The card windows were reopened: their spectrum displays said how they draw.
  const std::vector<std::string> started = Log();
  EXPECT_NE(std::find_if(started.begin(), started.end(),
                         [](const std::string& line) { return line.rfind("Spectrum displays draw with", 0) == 0; }),
            started.end());
  std::this_thread::sleep_for(30s);
  ASSERT_TRUE(program.IsRunning());
  ASSERT_EQ(kill(program.Pid(), SIGTERM), 0);
  int status = -1;
  ASSERT_TRUE(program.WaitForExit(60000, &status));
  EXPECT_EQ(status, 0);
  const std::vector<std::string> texts = Log();
  EXPECT_EQ(texts.back(), kProgramEnd);
  EXPECT_EQ(std::count(texts.begin(), texts.end(), std::string(kStartUpComplete)), 1);
}

TEST_F(ProgramTest, ASecondCopyIsRefusedAndARestartingCopyWaitsForTheFirst) {
  platform::ChildProcess& first = Launch();
  ASSERT_TRUE(WaitForStartUp());

  // The second copy says why and stops at its message box; it never touches the first one's log.
  const std::string refusal = folder_ / "refusal.txt";
  const std::string second = "cd '" + folder_.Path() + "' && timeout -s KILL 5 '" + QUORX_PROGRAM + "' 2>'" + refusal + "'";
  EXPECT_NE(std::system(second.c_str()), 0);
  EXPECT_NE(testsupport::ReadWholeFile(refusal).find("QuorxL: ALREADY HAVE THE PROGRAM RUNNING.  KILL IT FIRST!\n"),
            std::string::npos);
  EXPECT_TRUE(first.IsRunning());
  const std::vector<std::string> log = Log();
  EXPECT_EQ(std::count(log.begin(), log.end(), "------------------PROGRAM START--------------------"), 1);

  // A copy started with "restart" while the first still holds its lock (its close takes over a
  // second) waits, then runs.
  ASSERT_EQ(kill(first.Pid(), SIGTERM), 0);
  ASSERT_TRUE(LockHeld());
  platform::ChildProcess& restarted = Launch({"restart"});
  int status = -1;
  ASSERT_TRUE(first.WaitForExit(30000, &status));
  EXPECT_EQ(status, 0);  // closed in order
  // The new copy's log starts empty; the first copy's, which ends with the program's end, is kept
  // as the older copy.
  ASSERT_TRUE(WaitForStartUp(false));
  EXPECT_TRUE(restarted.IsRunning());
  const std::vector<std::string> kept = testsupport::LogFileTexts(LogPath() + ".old");
  ASSERT_FALSE(kept.empty());
  EXPECT_EQ(kept.front(), "------------------PROGRAM START--------------------");
  EXPECT_EQ(kept.back(), kProgramEnd);
  EXPECT_EQ(std::count(kept.begin(), kept.end(), std::string(kStartUpComplete)), 1);
}

}  // namespace

namespace {

// While the sibling data-processing program runs, no copy starts; it says why.
TEST_F(ProgramTest, NoCopyStartsBesideTheSiblingProgram) {
  auto sibling = platform::InstanceLock::TryAcquire("Protect_QuorrWixo", folder_ / "locks");
  ASSERT_NE(sibling, nullptr);
  const std::string refusal = folder_ / "refusal.txt";
  const std::string run = "cd '" + folder_.Path() + "' && timeout -s KILL 5 '" + QUORX_PROGRAM + "' 2>'" + refusal + "'";
  EXPECT_NE(std::system(run.c_str()), 0);
  EXPECT_NE(testsupport::ReadWholeFile(refusal).find("QuorxL: ALREADY HAVE WIXO/KR14 APP RUNNING.  KILL IT FIRST\n"),
            std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(LogPath()));
}

}  // namespace
