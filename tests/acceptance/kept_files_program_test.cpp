// The QuorxL program in its own processes with every file it keeps cut short at a line end, above
// the operator's values: started and closed twice, it keeps every value the operator set, in the
// files and in their ".BAK" copies. The options and window positions, which a close at the
// session's end does not save, are read from their ".BAK", which keeps the values.
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

#include "config/globals.h"
#include "config/options_store.h"
#include "config/window_positions.h"
#include "platform/process_launcher.h"
#include "program_folder.h"
#include "support/log_capture.h"
#include "support/scratch_folder.h"
#include "util/process_globals.h"

namespace {

using namespace std::chrono_literals;
using testsupport::ReadWholeFile;
using testsupport::WriteWholeFile;

constexpr const char* kStartUpComplete = "---------------START UP COMPLETE------------------";

class KeptFilesProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!acceptance::ProgramBuilt()) GTEST_FAIL() << "program or simulated libraries not built (the build makes them)";
    acceptance::PrepareProgramFolder(folder_, "[General]\nCards=2\nSeed=7\n[Card_0]\nFpgaMode=0\n[Card_1]\nFpgaMode=1\n");
  }

  std::string HwCfg(const std::string& name) const {
    return std::filesystem::path(folder_ / ("SYSTEM/HARDWARECONFIGURATION/" + name)).lexically_normal().string();
  }
  std::vector<std::string> Log() const { return testsupport::LogFileTexts(folder_ / "SYSTEM/ERLOGS/QuorxL.log"); }

  // Starts the program, waits for its start-up and closes it as the session's end does.
  void StartAndClose() {
    // The last run's log would tell of a start-up before this one has begun.
    std::filesystem::remove(folder_ / "SYSTEM/ERLOGS/QuorxL.log");
    std::string error;
    std::unique_ptr<platform::ChildProcess> program =
        platform::ChildProcess::Launch(QUORX_PROGRAM, {}, folder_.Path(), &error);
    ASSERT_NE(program, nullptr) << error;
    bool up = false;
    for (const auto end = std::chrono::steady_clock::now() + 60s; !up && std::chrono::steady_clock::now() < end;
         std::this_thread::sleep_for(50ms)) {
      const std::vector<std::string> texts = Log();
      up = std::find(texts.begin(), texts.end(), kStartUpComplete) != texts.end();
    }
    if (!up) {
      program->Terminate(100);
      FAIL() << ReadWholeFile(folder_ / "SYSTEM/ERLOGS/QuorxL.log");
    }
    ASSERT_EQ(kill(program->Pid(), SIGTERM), 0);
    int status = -1;
    ASSERT_TRUE(program->WaitForExit(30000, &status));
    EXPECT_EQ(status, 0);
  }

  testsupport::ScratchFolder folder_;
};

// A value the operator set: the line as the file holds it, and the line the program wrote there.
struct OperatorValue {
  const char* file;
  std::string section;  // the value's section header, so that the same key elsewhere is not taken
  std::string written;  // as the first run wrote it
  std::string set;      // as the operator set it
};

// Replaces the first `from` after `section` in the text; false when there is none.
bool ReplaceInSection(std::string& text, const std::string& section, const std::string& from, const std::string& to) {
  const auto start = text.find(section);
  if (start == std::string::npos) return false;
  const auto at = text.find(from, start);
  if (at == std::string::npos) return false;
  text.replace(at, from.size(), to);
  return true;
}

TEST_F(KeptFilesProgramTest, EveryFileCutAboveTheOperatorsValuesKeepsThemOverTwoStartsAndCloses) {
  StartAndClose();  // the program writes its files

  const OperatorValue values[] = {
      {"Kr20HwCfg.cfg", "[Kr14]\r\n", "NumToSimulate=2\r\n", "NumToSimulate=6\r\n"},
      {"Kr20FpgaCfg.cfg", "[Card_5]\r\n", "DefaultFpgaMode=0\r\n", "DefaultFpgaMode=3\r\n"},
      {"Kr20LastState.last0", "[Rx Data1]\r\n", "CarrierThesholdDbm=-100.000000000\r\n",
       "CarrierThesholdDbm=-77.000000000\r\n"},
      {"Kr20LastState.last1", "[Rx Data0]\r\n", "CarrierThesholdDbm=-100.000000000\r\n",
       "CarrierThesholdDbm=-66.000000000\r\n"},
      {"Kr20NetCfg.cfg", "[NET Configuration]\r\n", "BcRateHz=10\r\n", "BcRateHz=7\r\n"},
  };
  // The operator's settings, as a run that changed them leaves them: in each file and its ".BAK".
  for (const OperatorValue& value : values) {
    SCOPED_TRACE(value.file);
    std::string text = ReadWholeFile(HwCfg(value.file));
    ASSERT_TRUE(ReplaceInSection(text, value.section, value.written, value.set)) << text;
    ASSERT_TRUE(WriteWholeFile(HwCfg(value.file), text));
  }
  // The options and window positions as a close that saves them leaves them, twice.
  util::SetProgramFolder(folder_.Path());
  config::kr20optionclass options(false);
  options.Info().DataRecordRateHz = 7;
  config::SetDefaultWindowPositions();
  config::gApp.MainWindowPlacement.Left = 123;
  for (int save = 0; save < 2; ++save) {
    ASSERT_TRUE(config::kr20optionclass::SaveOptions(options.Info()));
    ASSERT_TRUE(config::SaveGlobalPositionInfo());
  }
  const OperatorValue readOnly[] = {
      {"../OPTIONS/Kr20Options.opt", "[OPTIONS]\r\n", "DataRecordRateHz=1\r\n", "DataRecordRateHz=7\r\n"},
      {"Kr20Last.pos", "[MainWindow]\r\n", "Left=0\r\n", "Left=123\r\n"},
  };
  StartAndClose();
  for (const OperatorValue& value : values) {
    SCOPED_TRACE(value.file);
    ASSERT_NE(ReadWholeFile(HwCfg(value.file)).find(value.section), std::string::npos);
    ASSERT_NE(ReadWholeFile(HwCfg(value.file)).find(value.set), std::string::npos) << "not taken by the program";
  }

  // Every file cut at the line end above the operator's value; the lists at the line end above
  // their last line.
  std::vector<OperatorValue> all(std::begin(values), std::end(values));
  all.insert(all.end(), std::begin(readOnly), std::end(readOnly));
  for (const OperatorValue& value : all) {
    const std::string text = ReadWholeFile(HwCfg(value.file));
    const auto at = text.find(value.set, text.find(value.section));
    ASSERT_TRUE(WriteWholeFile(HwCfg(value.file), text.substr(0, at)));
  }
  for (const char* list : {"Kr20Last.last", "Kr20LastState.last"}) {
    const std::string text = ReadWholeFile(HwCfg(list));
    ASSERT_TRUE(WriteWholeFile(HwCfg(list), text.substr(0, text.rfind("\r\n", text.size() - 3) + 2)));
  }

  StartAndClose();
  const std::vector<std::string> firstLog = Log();
  StartAndClose();
  for (const OperatorValue& value : all) {
    SCOPED_TRACE(value.file);
    const std::string path = HwCfg(value.file);
    const bool named = std::any_of(firstLog.begin(), firstLog.end(), [&path](const std::string& line) {
      return line.rfind(path + " is cut short (", 0) == 0 && line.find("; read from " + path + ".BAK") != std::string::npos;
    });
    std::string mentions;
    for (const std::string& line : firstLog) {
      if (line.find(path) != std::string::npos) mentions += line + "\n";
    }
    EXPECT_TRUE(named) << "no line names the cut file; lines naming it:\n" << mentions;
    const bool saved = std::find_if(std::begin(readOnly), std::end(readOnly), [&value](const OperatorValue& other) {
                         return std::string(other.file) == value.file;
                       }) == std::end(readOnly);
    std::vector<std::string> copies{path + ".BAK"};
    if (saved) copies.push_back(path);
    for (const std::string& file : copies) {
      const std::string text = ReadWholeFile(file);
      const auto section = text.find(value.section);
      ASSERT_NE(section, std::string::npos) << file;
      EXPECT_NE(text.find(value.set, section), std::string::npos) << file << "\n" << text;
    }
  }
}

// With the start choice "Load Last Setup File", a run on one card writes a setup list of one card;
// with the three cards back, cards 1 and 2 get no setup file from it (nor later from the entries
// the next saves give them, naming none) and come up from their own state files at every start,
// each with one line saying so: their state files and the ".BAK" copies keep the operator's values.
TEST_F(KeptFilesProgramTest, CardsTheLastSetupListNamesNoFileForKeepTheirStateOverThreeStarts) {
  const std::string threeCards =
      "[General]\nCards=3\nSeed=7\n[Card_0]\nFpgaMode=0\n[Card_1]\nFpgaMode=1\n[Card_2]\nFpgaMode=2\n";
  ASSERT_TRUE(WriteWholeFile(folder_ / "VirtualHardware.cfg", threeCards));
  StartAndClose();  // the program writes its files
  util::SetProgramFolder(folder_.Path());
  config::kr20optionclass options(false);
  options.Info().LoadLastSetupFile = 1;
  ASSERT_TRUE(config::kr20optionclass::SaveOptions(options.Info()));

  // The operator's test-modulator carrier amplitude and transmit BERT rate on cards 1 and 2.
  const OperatorValue values[] = {
      {"Kr20LastState.last1", "[MOD REST INFO]\r\n", "CarrierAmplitudeDbm=-30.000000000\r\n",
       "CarrierAmplitudeDbm=-12.500000000\r\n"},
      {"Kr20LastState.last1", "[Tx Bert Data 0]\r\n", "BitRate=1000000.000000000\r\n", "BitRate=2500000.000000000\r\n"},
      {"Kr20LastState.last2", "[MOD REST INFO]\r\n", "CarrierAmplitudeDbm=-30.000000000\r\n",
       "CarrierAmplitudeDbm=-7.250000000\r\n"},
      {"Kr20LastState.last2", "[Tx Bert Data 1]\r\n", "BitRate=1000000.000000000\r\n", "BitRate=640000.000000000\r\n"},
  };
  for (const OperatorValue& value : values) {
    SCOPED_TRACE(std::string(value.file) + " " + value.set);
    std::string text = ReadWholeFile(HwCfg(value.file));
    ASSERT_TRUE(ReplaceInSection(text, value.section, value.written, value.set)) << text;
    ASSERT_TRUE(WriteWholeFile(HwCfg(value.file), text));
  }

  // A run on one card.
  ASSERT_TRUE(WriteWholeFile(folder_ / "VirtualHardware.cfg", "[General]\nCards=1\nSeed=7\n[Card_0]\nFpgaMode=0\n"));
  StartAndClose();
  const std::string list = HwCfg("Kr20Last.last");
  ASSERT_EQ(ReadWholeFile(list), "[KR20_CommonArea]\r\nNumKr20Cards=1\r\n[KR20_0]\r\nSetupFileName=\r\n");

  // The three cards back, started three times.
  ASSERT_TRUE(WriteWholeFile(folder_ / "VirtualHardware.cfg", threeCards));
  const auto used = [this](int card) { return "; " + HwCfg("Kr20LastState.last" + std::to_string(card)) + " used"; };
  const auto noFile = [&](int card) {
    return list + " [KR20_" + std::to_string(card) + "] names no setup file" + used(card);
  };
  const std::vector<std::string> firstStart{noFile(0), list + " lists 1 cards" + used(1), list + " lists 1 cards" + used(2)};
  const std::vector<std::string> laterStart{noFile(0), noFile(1), noFile(2)};
  for (int start = 1; start <= 3; ++start) {
    SCOPED_TRACE("start " + std::to_string(start));
    StartAndClose();
    std::vector<std::string> lines;
    for (const std::string& line : Log()) {
      if (line.find(HwCfg("Kr20Last")) != std::string::npos) lines.push_back(line);
    }
    EXPECT_EQ(lines, start == 1 ? firstStart : laterStart);
    for (const OperatorValue& value : values) {
      for (const std::string& file : {HwCfg(value.file), HwCfg(value.file) + ".BAK"}) {
        const std::string text = ReadWholeFile(file);
        const auto section = text.find(value.section);
        ASSERT_NE(section, std::string::npos) << file;
        EXPECT_LT(text.find(value.set, section), text.find("\n[", section)) << file << " lost " << value.set;
      }
    }
  }
}

}  // namespace
