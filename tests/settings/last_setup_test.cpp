// The last-setup file "Kr20Last.last" and the last-state files over simulated cards: their exact
// contents, the ".BAK" copies, what a save without cards or a failing save leaves behind, loading
// them back (a damaged list or state file, a list naming another folder), and the gate that saves
// the state after a setting change.
#include <sys/stat.h>

#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "card/card_routines.h"
#include "multi_card_fixture.h"
#include "settings/last_setup.h"
#include "settings/setup_file.h"
#include "support/scratch_folder.h"

namespace {

using settingstest::MultiCardTest;
using testsupport::ReadWholeFile;
using testsupport::WriteWholeFile;

double Threshold(const card::CardSetupRecord& setup, int channel) {
  return setup.Receiver[channel].CarrierThesholdDbm;
}

class LastSetupTest : public MultiCardTest {
 protected:
  void SetUp() override { StartCards({{false, 0}, {true, 4}, {false, 1}}); }

  // The card list both files start with.
  static std::string CardList(const std::vector<std::string>& files) {
    std::string text = "[KR20_CommonArea]\r\nNumKr20Cards=" + std::to_string(files.size()) + "\r\n";
    for (std::size_t i = 0; i < files.size(); ++i) {
      text += "[KR20_" + std::to_string(i) + "]\r\nSetupFileName=" + files[i] + "\r\n";
    }
    return text;
  }
  std::string StateFile(int card) const { return HwCfg("Kr20LastState.last" + std::to_string(card)); }
  // Saves the state files with card i's second threshold at base - i.
  void SaveStates(double base) {
    for (int card = 0; card < 3; ++card) Rec(card).Receiver[1].CarrierThesholdDbm = base - card;
    ASSERT_TRUE(settings::SaveLastSetupStateFile());
  }
  std::vector<double> Thresholds() {
    std::vector<double> values;
    for (int card = 0; card < 3; ++card) values.push_back(Threshold(Rec(card), 1));
    return values;
  }
};

TEST_F(LastSetupTest, SavingListsEverySetupFileAndStateFileKeepsTheOldListAsBakAndNeedsCards) {
  manager_->SetupFileNames = {SetupFile("ALPHA"), SetupFile("BETA"), ""};
  ASSERT_TRUE(settings::SaveLastSetupFile());
  const std::string threeCards = CardList({SetupFile("ALPHA"), SetupFile("BETA"), ""});
  EXPECT_EQ(ReadWholeFile(HwCfg("Kr20Last.last")), threeCards);
  EXPECT_FALSE(std::filesystem::exists(HwCfg("Kr20Last.last.BAK")));
  EXPECT_EQ(ReadWholeFile(HwCfg("Kr20LastState.last")), CardList({StateFile(0), StateFile(1), StateFile(2)}));
  EXPECT_NE(ReadWholeFile(StateFile(2)).find("[Stream Route Info]\r\n"), std::string::npos);

  // Down to two cards: a new list without the third card, the previous list as ".BAK".
  cards_->SetCardCount(2);
  manager_->SetupFileNames[0] = SetupFile("GAMMA");
  ASSERT_TRUE(settings::SaveLastSetupFile());
  EXPECT_EQ(ReadWholeFile(HwCfg("Kr20Last.last")), CardList({SetupFile("GAMMA"), SetupFile("BETA")}));
  EXPECT_EQ(ReadWholeFile(HwCfg("Kr20Last.last.BAK")), threeCards);

  // Without cards nothing is saved: the list and its ".BAK" copy stay.
  cards_->SetCardCount(0);
  EXPECT_TRUE(settings::SaveLastSetupFile());
  EXPECT_EQ(ReadWholeFile(HwCfg("Kr20Last.last.BAK")), threeCards);
}

TEST_F(LastSetupTest, AFailedSaveReportsFalseLogsAndLeavesTheOldFiles) {
  manager_->SetupFileNames = {SetupFile("ALPHA"), SetupFile("BETA"), SetupFile("DELTA")};
  ASSERT_TRUE(settings::SaveLastSetupFile());
  const std::string list = ReadWholeFile(HwCfg("Kr20Last.last"));
  const std::string state1 = ReadWholeFile(StateFile(1));

  manager_->SetupFileNames[0] = SetupFile("OTHER");
  Rec(1).Receiver[0].CarrierThesholdDbm = -42.5;
  const std::string folder = HwCfg("");
  ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
  bool saved = true;
  bool stateSaved = true;
  {
    settingstest::PermissionBitsApply readOnly;
    saved = settings::SaveLastSetupFile();
    stateSaved = settings::SaveLastSetupStateFile();
  }
  ASSERT_EQ(chmod(folder.c_str(), 0755), 0);

  EXPECT_FALSE(saved);
  EXPECT_FALSE(stateSaved);
  EXPECT_TRUE(Logged("Last setup file " + HwCfg("Kr20Last.last") + " not saved"));
  EXPECT_TRUE(Logged("Last state file " + HwCfg("Kr20LastState.last") + " not saved"));
  EXPECT_EQ(ReadWholeFile(HwCfg("Kr20Last.last")), list);
  EXPECT_EQ(ReadWholeFile(StateFile(1)), state1);
}

TEST_F(LastSetupTest, LoadingTakesEachSetupFileByItsBaseNameFromTheSetupFolder) {
  Rec(0).Receiver[0].CarrierThesholdDbm = -77.0;
  manager_->SetupFileNames[0] = SetupFile("MYSETUP");
  ASSERT_TRUE(settings::SaveCardSetupFile(0));
  Rec(0).Receiver[0].CarrierThesholdDbm = -10.0;
  Rec(1).Receiver[0].CarrierThesholdDbm = -20.0;
  manager_->SetupFileNames = {"", "PREVIOUS", ""};
  // Listed in another folder and with Windows separators; card 1's file is gone; the list names
  // more cards than there are.
  ASSERT_TRUE(WriteWholeFile(HwCfg("Kr20Last.last"),
                             "[KR20_CommonArea]\r\nNumKr20Cards=5\r\n[KR20_0]\r\nSetupFileName=C:\\ELSEWHERE\\MYSETUP.VexA\r\n"
                             "[KR20_1]\r\nSetupFileName=/gone/MISSING.VexA\r\n[KR20_4]\r\nSetupFileName=MYSETUP\r\n"));
  settings::LoadLastSetupFile();
  EXPECT_EQ(manager_->SetupFileNames[0], SetupFile("MYSETUP"));
  EXPECT_EQ(Threshold(Rec(0), 0), -77.0);
  EXPECT_EQ(manager_->SetupFileNames[1], "PREVIOUS");
  EXPECT_EQ(Threshold(Rec(1), 0), -20.0);
}

// ---- The last-state files ------------------------------------------------------------------

TEST_F(LastSetupTest, TheStateFilesBringEveryCardsSetupBackAndKeepTheirPreviousStateAsBak) {
  EXPECT_FALSE(settings::LoadLastSetupStateFile());  // no common file yet
  SaveStates(-50.0);
  const std::string previous = ReadWholeFile(StateFile(2));
  card::SetCardDesignation(2, "THIRD CARD");
  ASSERT_TRUE(settings::SaveLastSetupStateFile());
  EXPECT_TRUE(ReadWholeFile(StateFile(2) + ".BAK") == previous);
  for (int card = 0; card < 3; ++card) Rec(card).Receiver[1].CarrierThesholdDbm = 0.0;
  card::SetCardDesignation(2, "CHANGED");
  // Card 1 stays as it is (with its ".BAK" there, the ".BAK" would be read).
  std::filesystem::remove(StateFile(1));
  std::filesystem::remove(StateFile(1) + ".BAK");

  EXPECT_TRUE(settings::LoadLastSetupStateFile());
  EXPECT_EQ(Thresholds(), (std::vector<double>{-50.0, 0.0, -52.0}));
  EXPECT_EQ(card::CardDesignationName(2), "THIRD CARD");
}

TEST_F(LastSetupTest, ADamagedStateFileIsReadFromItsBakAndNeverReplacesIt) {
  SaveStates(-60.0);
  SaveStates(-50.0);
  const std::string bak = ReadWholeFile(StateFile(1) + ".BAK");
  ASSERT_TRUE(WriteWholeFile(StateFile(1), std::string("\x7F" "ELF\0\0\x01", 7)));
  for (int card = 0; card < 3; ++card) Rec(card).Receiver[1].CarrierThesholdDbm = 0.0;
  EXPECT_TRUE(settings::LoadLastSetupStateFile());
  EXPECT_EQ(Thresholds(), (std::vector<double>{-50.0, -61.0, -52.0}));
  EXPECT_TRUE(Logged(StateFile(1) + " is damaged (holds NUL bytes); read from " + StateFile(1) + ".BAK"));

  // The save writes the file anew, without the junk, and leaves the whole ".BAK" as it was.
  ASSERT_TRUE(settings::SaveLastSetupStateFile());
  EXPECT_EQ(ReadWholeFile(StateFile(1) + ".BAK"), bak);
  EXPECT_EQ(ReadWholeFile(StateFile(1)).rfind("[Stream Designation_CARD_INFO]\r\n", 0), 0u);
  EXPECT_TRUE(Logged(StateFile(1) + " is damaged (holds NUL bytes); its whole .BAK is kept"));
}

// A list of one card (written by a run on fewer cards) leaves the others to their own state files,
// so that the next save writes their setups back and not the ones they powered up with.
TEST_F(LastSetupTest, CardsBeyondAShorterListReadTheirOwnStateFiles) {
  SaveStates(-50.0);
  const std::string common = HwCfg("Kr20LastState.last");
  ASSERT_TRUE(WriteWholeFile(common, CardList({StateFile(0)})));
  for (int card = 0; card < 3; ++card) Rec(card).Receiver[1].CarrierThesholdDbm = 0.0;
  EXPECT_TRUE(settings::LoadLastSetupStateFile());
  EXPECT_EQ(Thresholds(), (std::vector<double>{-50.0, -51.0, -52.0}));
  EXPECT_TRUE(Logged(common + " lists 1 cards; " + StateFile(1) + " used"));
  EXPECT_TRUE(Logged(common + " lists 1 cards; " + StateFile(2) + " used"));
  ASSERT_TRUE(settings::SaveLastSetupStateFile());
  EXPECT_EQ(ReadWholeFile(common), CardList({StateFile(0), StateFile(1), StateFile(2)}));
  for (int card = 0; card < 3; ++card) Rec(card).Receiver[1].CarrierThesholdDbm = 0.0;
  ASSERT_TRUE(settings::LoadLastSetupStateFile());
  EXPECT_EQ(Thresholds(), (std::vector<double>{-50.0, -51.0, -52.0}));
}

// Likewise when the setup files are loaded: a card the setup list gives no setup (the list shorter
// than the cards, no entry, its file missing, damaged or no setup file, no list at all) reads its own
// state file, with one line saying why, and neither the next save nor the start after it loses it.
// Card 1's entry in turn, beside card 0's and card 2's setup files.
TEST_F(LastSetupTest, ACardTheSetupListGivesNoSetupReadsItsOwnStateFile) {
  Rec(0).Receiver[1].CarrierThesholdDbm = -70.0;
  manager_->SetupFileNames[0] = SetupFile("FIRST");
  ASSERT_TRUE(settings::SaveCardSetupFile(0));
  Rec(2).Receiver[1].CarrierThesholdDbm = -80.0;
  manager_->SetupFileNames[2] = SetupFile("THIRD");
  ASSERT_TRUE(settings::SaveCardSetupFile(2));
  ASSERT_TRUE(WriteWholeFile(SetupFile("DAMAGED"), "[Rx Data1]\r\nCarrierThesholdDbm=-5" + std::string(2, '\0')));
  ASSERT_TRUE(WriteWholeFile(SetupFile("OPTIONS"), "[OPTIONS]\r\nDataRecordRateHz=7\r\n"));
  ASSERT_TRUE(WriteWholeFile(SetupFile("EMPTY"), ""));
  ASSERT_TRUE(std::filesystem::create_directory(SetupFile("FOLDER")));
  const std::string list = HwCfg("Kr20Last.last");
  const std::string entry = list + " [KR20_1] names ";
  const std::string ownUsed = "; " + StateFile(1) + " used";
  const auto listOf = [this](const std::string& card1) {
    return "[KR20_CommonArea]\r\nNumKr20Cards=3\r\n[KR20_0]\r\nSetupFileName=" + SetupFile("FIRST") + "\r\n" + card1 +
           "[KR20_2]\r\nSetupFileName=" + SetupFile("THIRD") + "\r\n";
  };
  struct Row {
    const char* name;
    std::optional<std::string> list;  // none: no list at all
    bool damageOwnState;              // card 1's state file damaged, its ".BAK" whole
    std::vector<double> thresholds;   // after the load, and after a save and the next load
    std::vector<std::string> log;
  };
  const Row rows[] = {
      {"list of one card", CardList({SetupFile("FIRST")}), false, {-70.0, -51.0, -52.0},
       {list + " lists 1 cards; " + StateFile(1) + " used", list + " lists 1 cards; " + StateFile(2) + " used"}},
      {"entry missing", listOf(""), false, {-70.0, -51.0, -80.0}, {entry + "no setup file" + ownUsed}},
      {"entry empty", listOf("[KR20_1]\r\nSetupFileName=\r\n"), false, {-70.0, -51.0, -80.0},
       {entry + "no setup file" + ownUsed}},
      {"file missing", listOf("[KR20_1]\r\nSetupFileName=C:\\SETUPS\\GONE.VexA\r\n"), false, {-70.0, -51.0, -80.0},
       {entry + SetupFile("GONE") + ", which is missing" + ownUsed}},
      {"file damaged", listOf("[KR20_1]\r\nSetupFileName=" + SetupFile("DAMAGED") + "\r\n"), false,
       {-70.0, -51.0, -80.0}, {entry + SetupFile("DAMAGED") + ", which is damaged (holds NUL bytes)" + ownUsed}},
      {"file empty", listOf("[KR20_1]\r\nSetupFileName=EMPTY\r\n"), false, {-70.0, -51.0, -80.0},
       {entry + SetupFile("EMPTY") + ", which is damaged (empty)" + ownUsed}},
      {"a folder", listOf("[KR20_1]\r\nSetupFileName=FOLDER.VexA\r\n"), false, {-70.0, -51.0, -80.0},
       {entry + SetupFile("FOLDER") + ", which is damaged (not a regular file)" + ownUsed}},
      {"not a setup file", listOf("[KR20_1]\r\nSetupFileName=OPTIONS\r\n"), false, {-70.0, -51.0, -80.0},
       {entry + SetupFile("OPTIONS") + ", which holds no setup" + ownUsed}},
      {"own state damaged", listOf("[KR20_1]\r\nSetupFileName=\r\n"), true, {-70.0, -61.0, -80.0},
       {StateFile(1) + " is damaged (holds NUL bytes); read from " + StateFile(1) + ".BAK",
        entry + "no setup file; " + StateFile(1) + ".BAK used"}},
      {"no list", std::nullopt, false, {-50.0, -51.0, -52.0},
       {list + " is missing; " + StateFile(0) + " used", list + " is missing; " + StateFile(1) + " used",
        list + " is missing; " + StateFile(2) + " used"}},
      {"list damaged without .BAK", std::string("\0\0", 2), false, {-50.0, -51.0, -52.0},
       {list + " is damaged (holds NUL bytes); " + list + ".BAK is missing, nothing read",
        list + " cannot be read; " + StateFile(0) + " used", list + " cannot be read; " + StateFile(1) + " used",
        list + " cannot be read; " + StateFile(2) + " used"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    // Each card's state file at base - card, its ".BAK" at -60 - card.
    SaveStates(-60.0);
    SaveStates(-50.0);
    if (row.damageOwnState) {
      ASSERT_TRUE(WriteWholeFile(StateFile(1), std::string("\x7F" "ELF\0\0\x01", 7)));
    }
    std::filesystem::remove(list + ".BAK");
    std::filesystem::remove(list);
    if (row.list) {
      ASSERT_TRUE(WriteWholeFile(list, *row.list));
    }
    manager_->SetupFileNames = {"", "", ""};
    for (int card = 0; card < 3; ++card) Rec(card).Receiver[1].CarrierThesholdDbm = 0.0;
    std::size_t before = program_.LogTexts().size();
    settings::LoadLastSetupFile();
    EXPECT_EQ(Thresholds(), row.thresholds);
    std::vector<std::string> texts = program_.LogTexts();
    EXPECT_EQ(std::vector<std::string>(texts.begin() + static_cast<std::ptrdiff_t>(before), texts.end()), row.log);
    EXPECT_EQ(manager_->SetupFileNames[1], "");

    // The run's saves, then the next start: the list now names no setup file for card 1.
    ASSERT_TRUE(settings::SaveLastSetupFile());
    ASSERT_TRUE(settings::SaveLastSetupFile());
    for (int card = 0; card < 3; ++card) Rec(card).Receiver[1].CarrierThesholdDbm = 0.0;
    before = program_.LogTexts().size();
    settings::LoadLastSetupFile();
    EXPECT_EQ(Thresholds(), row.thresholds);
    texts = program_.LogTexts();
    const std::vector<std::string> next(texts.begin() + static_cast<std::ptrdiff_t>(before), texts.end());
    EXPECT_NE(std::find(next.begin(), next.end(), entry + "no setup file" + ownUsed), next.end());
    for (int card = 0; card < 3; ++card) Rec(card).Receiver[1].CarrierThesholdDbm = 0.0;
    ASSERT_TRUE(settings::LoadLastSetupStateFile());
    EXPECT_EQ(Thresholds(), row.thresholds);
  }
}

// A list that cannot be read leaves each card to its own state file; nothing is lost at the next save.
TEST_F(LastSetupTest, ADamagedStateListIsNamedInTheLogAndEachCardReadsItsOwnFile) {
  SaveStates(-50.0);
  const std::string common = HwCfg("Kr20LastState.last");
  const std::string list = ReadWholeFile(common);
  struct Row {
    const char* name;
    std::string bytes;  // written over the list; "FOLDER" and "FIFO" put such a thing in its place
    const char* reason;
  };
  const Row rows[] = {
      {"empty", "", "empty"},
      {"binary", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16), "holds NUL bytes"},
      {"control bytes", "[KR20_CommonArea]\r\nNumKr20Cards=3\x1B[0m\r\n", "NumKr20Cards is not a number"},
      {"no section", "NumKr20Cards=3\r\nSetupFileName=" + StateFile(0) + "\r\n", "no section"},
      {"another section only", "[KR20_0]\r\nSetupFileName=" + StateFile(0) + "\r\n", "no section KR20_CommonArea"},
      {"truncated in the count", "[KR20_CommonArea]\r\nNumKr2", "no key NumKr20Cards in section KR20_CommonArea"},
      {"count not a number", "[KR20_CommonArea]\r\nNumKr20Cards=three\r\n", "NumKr20Cards is not a number"},
      {"oversized", list + std::string(1 << 20, ' '), "larger than 1048576 bytes"},
      {"folder", "FOLDER", "not a regular file"},
      {"fifo", "FIFO", "not a regular file"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::filesystem::remove_all(common);
    if (row.bytes == "FOLDER") {
      ASSERT_TRUE(std::filesystem::create_directory(common));
    } else if (row.bytes == "FIFO") {
      ASSERT_EQ(::mkfifo(common.c_str(), 0600), 0);
    } else {
      ASSERT_TRUE(WriteWholeFile(common, row.bytes));
    }
    for (int card = 0; card < 3; ++card) Rec(card).Receiver[1].CarrierThesholdDbm = 0.0;
    EXPECT_TRUE(settings::LoadLastSetupStateFile());
    EXPECT_EQ(Thresholds(), (std::vector<double>{-50.0, -51.0, -52.0}));
    EXPECT_TRUE(Logged(common + " is damaged (" + row.reason + "); each card's state is read from its own file"));
  }
  // The next save puts a whole list in place of the damaged one, and the cards' states stay.
  std::filesystem::remove_all(common);
  ASSERT_TRUE(WriteWholeFile(common, std::string("\0\0", 2)));
  ASSERT_TRUE(settings::LoadLastSetupStateFile());
  ASSERT_TRUE(settings::SaveLastSetupStateFile());
  EXPECT_EQ(ReadWholeFile(common), list);
  for (int card = 0; card < 3; ++card) Rec(card).Receiver[1].CarrierThesholdDbm = 0.0;
  ASSERT_TRUE(settings::LoadLastSetupStateFile());
  EXPECT_EQ(Thresholds(), (std::vector<double>{-50.0, -51.0, -52.0}));
}

// Card 0's entry in the list in turn; the list otherwise names the cards' own files.
TEST_F(LastSetupTest, AStateFileListedElsewhereIsTakenFromThisFolderWhenItIsThere) {
  SaveStates(-50.0);
  // A copy of the program folder left behind elsewhere, its state of card 0 older.
  testsupport::ScratchFolder old;
  const std::string oldFolder = old / "SYSTEM/HARDWARECONFIGURATION";
  std::filesystem::create_directories(oldFolder);
  std::string older = ReadWholeFile(StateFile(0));
  const auto at = older.find("-50.0");
  ASSERT_NE(at, std::string::npos);
  older.replace(at, 5, "-99.0");
  ASSERT_TRUE(WriteWholeFile(oldFolder + "/Kr20LastState.last0", older));
  ASSERT_TRUE(WriteWholeFile(oldFolder + "/custom.state", older));

  const std::string common = HwCfg("Kr20LastState.last");
  struct Row {
    const char* name;
    std::string entry;  // card 0's lines in the list
    double threshold;   // card 0's, after the load
    std::vector<std::string> log;
  };
  const std::string moved = " is in another folder; " + StateFile(0) + " used";
  const std::string ownFile = common + " [KR20_0] names no usable state file; " + StateFile(0) + " used";
  const Row rows[] = {
      {"old folder still there", "SetupFileName=" + oldFolder + "/Kr20LastState.last0",
       -50.0, {oldFolder + "/Kr20LastState.last0" + moved}},
      {"old folder gone", "SetupFileName=/gone/SYSTEM/HARDWARECONFIGURATION/Kr20LastState.last0", -50.0,
       {"/gone/SYSTEM/HARDWARECONFIGURATION/Kr20LastState.last0" + moved}},
      {"written on another machine", "SetupFileName=C:\\Quorx\\SYSTEM\\HARDWARECONFIGURATION\\Kr20LastState.last0",
       -50.0, {"C:\\Quorx\\SYSTEM\\HARDWARECONFIGURATION\\Kr20LastState.last0" + moved}},
      {"no such file here", "SetupFileName=" + oldFolder + "/custom.state", -99.0,
       {oldFolder + "/custom.state is in another folder; " + HwCfg("custom.state") + " is missing, " + oldFolder +
        "/custom.state used"}},
      {"named file gone", "SetupFileName=" + HwCfg("Kr20LastState.gone"), -50.0, {ownFile}},
      {"no name", "SetupFileName=", -50.0, {ownFile}},
      {"key missing", "", -50.0, {ownFile}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ASSERT_TRUE(WriteWholeFile(common, "[KR20_CommonArea]\r\nNumKr20Cards=3\r\n[KR20_0]\r\n" + row.entry +
                                           "\r\n[KR20_1]\r\nSetupFileName=" + StateFile(1) +
                                           "\r\n[KR20_2]\r\nSetupFileName=" + StateFile(2) + "\r\n"));
    for (int card = 0; card < 3; ++card) Rec(card).Receiver[1].CarrierThesholdDbm = 0.0;
    const std::size_t before = program_.LogTexts().size();
    EXPECT_TRUE(settings::LoadLastSetupStateFile());
    EXPECT_EQ(Thresholds(), (std::vector<double>{row.threshold, -51.0, -52.0}));
    const std::vector<std::string> texts = program_.LogTexts();
    EXPECT_EQ(std::vector<std::string>(texts.begin() + static_cast<std::ptrdiff_t>(before), texts.end()), row.log);
  }
}

TEST_F(LastSetupTest, ASettingChangeSavesTheStateOnlyWhenAskedForAndNotMinimised) {
  for (const auto& [minSaves, loadState, saves] :
       {std::tuple<std::uint8_t, std::uint8_t, bool>{0, 1, true}, {1, 1, false}, {0, 0, false}}) {
    SCOPED_TRACE(std::to_string(minSaves) + std::to_string(loadState));
    std::filesystem::remove(HwCfg("Kr20LastState.last"));
    options_.Info().MinLastStateSaves = minSaves;
    options_.Info().LoadLastSetupState = loadState;
    settings::SaveLastSetupStateIfEnabled();
    EXPECT_EQ(std::filesystem::exists(HwCfg("Kr20LastState.last")), saves);
  }
  // Without an options object nothing is saved.
  std::filesystem::remove(HwCfg("Kr20LastState.last"));
  config::gApp.Options = nullptr;
  settings::SaveLastSetupStateIfEnabled();
  EXPECT_FALSE(std::filesystem::exists(HwCfg("Kr20LastState.last")));
}

}  // namespace
