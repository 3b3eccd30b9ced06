// The list of state files "Kr20LastState.last": missing or unusable (a dangling link, a link loop,
// a card count outside 1..6 or no number, two cards on one file, an entry naming something that is
// no state file) gives one line and each card reads its own file by its fixed name; a bad entry
// never costs a card its own state at the next save. Reading another folder's file is logged.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "multi_card_fixture.h"
#include "settings/last_setup.h"
#include "support/scratch_folder.h"

namespace {

using testsupport::ReadWholeFile;
using testsupport::WriteWholeFile;

class StateIndexTest : public settingstest::MultiCardTest {
 protected:
  void SetUp() override { StartCards({{false, 0}, {false, 0}}); }

  std::string StateFile(int card) const { return HwCfg("Kr20LastState.last" + std::to_string(card)); }
  std::string Common() const { return HwCfg("Kr20LastState.last"); }
  // Saves the state files twice with card i's second threshold at base - i.
  void SaveStates(double base) {
    for (int round = 0; round < 2; ++round) {
      for (int card = 0; card < 2; ++card) Rec(card).Receiver[1].CarrierThesholdDbm = base - card;
      ASSERT_TRUE(settings::SaveLastSetupStateFile());
    }
  }
  std::vector<double> Thresholds() {
    std::vector<double> values;
    for (int card = 0; card < 2; ++card) {
      const double value = Rec(card).Receiver[1].CarrierThesholdDbm;  // a copy: the record is packed
      values.push_back(value);
    }
    return values;
  }
  void ClearThresholds() {
    for (int card = 0; card < 2; ++card) Rec(card).Receiver[1].CarrierThesholdDbm = 0.0;
  }
  std::string List(const std::string& count, const std::string& entry0, const std::string& entry1) const {
    return "[KR20_CommonArea]\r\nNumKr20Cards=" + count + "\r\n[KR20_0]\r\nSetupFileName=" + entry0 +
           "\r\n[KR20_1]\r\nSetupFileName=" + entry1 + "\r\n";
  }
  std::vector<std::string> NewLines() {
    const std::vector<std::string> texts = program_.LogTexts();
    std::vector<std::string> lines(texts.begin() + static_cast<std::ptrdiff_t>(seen_), texts.end());
    seen_ = texts.size();
    return lines;
  }
  // Load, save at start, save at close and load again: the states of base -50 stay, in the files
  // and in their ".BAK"s.
  void ExpectStatesKeptOverSaves() {
    ClearThresholds();
    ASSERT_TRUE(settings::LoadLastSetupStateFile());
    EXPECT_EQ(Thresholds(), (std::vector<double>{-50.0, -51.0}));
    ASSERT_TRUE(settings::SaveLastSetupStateFile());
    ASSERT_TRUE(settings::SaveLastSetupStateFile());
    for (int card = 0; card < 2; ++card) {
      EXPECT_EQ(ReadWholeFile(StateFile(card)), states_[card]);
      EXPECT_EQ(ReadWholeFile(StateFile(card) + ".BAK"), states_[card]);
    }
    ClearThresholds();
    ASSERT_TRUE(settings::LoadLastSetupStateFile());
    EXPECT_EQ(Thresholds(), (std::vector<double>{-50.0, -51.0}));
  }
  // The operator's states as a load and a save give them back (a load settles a few fields).
  void SaveOperatorStates() {
    SaveStates(-50.0);
    ASSERT_TRUE(settings::LoadLastSetupStateFile());
    SaveStates(-50.0);
    for (int card = 0; card < 2; ++card) states_[card] = ReadWholeFile(StateFile(card));
    NewLines();
  }

  std::string states_[2];
  std::size_t seen_ = 0;
};

TEST_F(StateIndexTest, AMissingListOrALinkInItsPlaceLeavesEachCardToItsOwnFile) {
  SaveOperatorStates();
  struct Row {
    const char* name;
    std::function<void()> make;
    std::string line;
  };
  const std::string own = "; each card's state is read from its own file";
  const Row rows[] = {
      {"missing", [] {}, Common() + " is missing" + own},
      {"dangling link", [this] { ASSERT_EQ(::symlink("gone.last", Common().c_str()), 0); }, Common() + " is missing" + own},
      {"link loop", [this] { ASSERT_EQ(::symlink(Common().c_str(), Common().c_str()), 0); },
       Common() + " is damaged (cannot be read)" + own},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::filesystem::remove(Common());
    row.make();
    ClearThresholds();
    EXPECT_TRUE(settings::LoadLastSetupStateFile());
    EXPECT_EQ(Thresholds(), (std::vector<double>{-50.0, -51.0}));
    EXPECT_EQ(NewLines(), std::vector<std::string>{row.line});
    std::filesystem::remove(Common());
    row.make();
    ExpectStatesKeptOverSaves();
    NewLines();
  }
}

TEST_F(StateIndexTest, ACardCountOutsideOneToSixOrNoNumberLeavesEachCardToItsOwnFile) {
  SaveOperatorStates();
  const std::string own = "; each card's state is read from its own file";
  for (const auto& [count, reason] : std::vector<std::pair<std::string, std::string>>{
           {"0", "NumKr20Cards 0 is outside 1..6"},
           {"-1", "NumKr20Cards -1 is outside 1..6"},
           {"7", "NumKr20Cards 7 is outside 1..6"},
           {"two", "NumKr20Cards is not a number"}}) {
    SCOPED_TRACE(count);
    ASSERT_TRUE(WriteWholeFile(Common(), List(count, StateFile(0), StateFile(1))));
    ClearThresholds();
    EXPECT_TRUE(settings::LoadLastSetupStateFile());
    EXPECT_EQ(Thresholds(), (std::vector<double>{-50.0, -51.0}));
    EXPECT_EQ(NewLines(), std::vector<std::string>{Common() + " is damaged (" + reason + ")" + own});
    ASSERT_TRUE(WriteWholeFile(Common(), List(count, StateFile(0), StateFile(1))));
    ExpectStatesKeptOverSaves();
    NewLines();
  }
}

TEST_F(StateIndexTest, AnEntryNamingAnotherCardsFileOrNoStateFileLeavesThatCardToItsOwnFile) {
  SaveOperatorStates();
  const std::string options = program_ / "SYSTEM/OPTIONS/Kr20Options.opt";
  ASSERT_TRUE(config::kr20optionclass::SaveOptions(options_.Info()));
  const std::string folder = HwCfg("KR20_BIN");
  ASSERT_TRUE(std::filesystem::is_directory(folder));
  struct Row {
    const char* name;
    std::string entry0;
    std::string entry1;
    std::vector<std::string> log;
  };
  const std::string another = " names the state file of another card; ";
  const std::string noState = " names no usable state file; ";
  const Row rows[] = {
      {"both on card 0's file", StateFile(0), StateFile(0), {Common() + " [KR20_1]" + another + StateFile(1) + " used"}},
      {"both on card 1's file", StateFile(1), StateFile(1), {Common() + " [KR20_0]" + another + StateFile(0) + " used"}},
      {"the options file", options, StateFile(1), {Common() + " [KR20_0]" + noState + StateFile(0) + " used"}},
      {"a folder", StateFile(0), folder, {Common() + " [KR20_1]" + noState + StateFile(1) + " used"}},
      {"a system file", "/etc/passwd", StateFile(1), {Common() + " [KR20_0]" + noState + StateFile(0) + " used"}},
      {"a device", StateFile(0), "/dev/null", {Common() + " [KR20_1]" + noState + StateFile(1) + " used"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ASSERT_TRUE(WriteWholeFile(Common(), List("2", row.entry0, row.entry1)));
    ClearThresholds();
    EXPECT_TRUE(settings::LoadLastSetupStateFile());
    EXPECT_EQ(Thresholds(), (std::vector<double>{-50.0, -51.0}));
    EXPECT_EQ(NewLines(), row.log);
    ASSERT_TRUE(WriteWholeFile(Common(), List("2", row.entry0, row.entry1)));
    ExpectStatesKeptOverSaves();
    NewLines();
  }
}

// A copied program folder whose list still names the first folder's files, without a state file
// of its own for card 0: the first folder's file is read, and the log says so.
TEST_F(StateIndexTest, ReadingAnotherFoldersStateFileIsLogged) {
  SaveOperatorStates();
  testsupport::ScratchFolder original;
  const std::string oldFolder = original / "SYSTEM/HARDWARECONFIGURATION";
  std::filesystem::create_directories(oldFolder);
  std::string older = states_[0];
  const auto at = older.find("-50.0");
  ASSERT_NE(at, std::string::npos);
  older.replace(at, 5, "-99.0");
  const std::string listed = oldFolder + "/Kr20LastState.last0";
  ASSERT_TRUE(WriteWholeFile(listed, older));
  std::filesystem::remove(StateFile(0));
  std::filesystem::remove(StateFile(0) + ".BAK");
  ASSERT_TRUE(WriteWholeFile(Common(), List("2", listed, StateFile(1))));
  ClearThresholds();
  EXPECT_TRUE(settings::LoadLastSetupStateFile());
  EXPECT_EQ(Thresholds(), (std::vector<double>{-99.0, -51.0}));
  EXPECT_EQ(NewLines(), std::vector<std::string>{listed + " is in another folder; " + StateFile(0) + " is missing, " +
                                                 listed + " used"});
}

}  // namespace
