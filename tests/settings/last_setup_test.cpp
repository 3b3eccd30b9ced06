// The last-setup file "Kr20Last.last" and the last-state files over simulated cards: their exact
// contents, the ".BAK" copy, what a save without cards or a failing save leaves behind, loading
// them back, and the gate that saves the state after a setting change.
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <tuple>

#include "card/card_routines.h"
#include "multi_card_fixture.h"
#include "settings/last_setup.h"
#include "settings/setup_file.h"

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

TEST_F(LastSetupTest, TheStateFilesBringEveryCardsSetupBack) {
  EXPECT_FALSE(settings::LoadLastSetupStateFile());  // no common file yet
  for (int card = 0; card < 3; ++card) Rec(card).Receiver[1].CarrierThesholdDbm = -50.0 - card;
  card::SetCardDesignation(2, "THIRD CARD");
  ASSERT_TRUE(settings::SaveLastSetupStateFile());
  for (int card = 0; card < 3; ++card) Rec(card).Receiver[1].CarrierThesholdDbm = 0.0;
  card::SetCardDesignation(2, "CHANGED");
  std::filesystem::remove(StateFile(1));  // card 1 stays as it is

  EXPECT_TRUE(settings::LoadLastSetupStateFile());
  EXPECT_EQ(Threshold(Rec(0), 1), -50.0);
  EXPECT_EQ(Threshold(Rec(1), 1), 0.0);
  EXPECT_EQ(Threshold(Rec(2), 1), -52.0);
  EXPECT_EQ(card::CardDesignationName(2), "THIRD CARD");

  // A common file without a readable card count loads nothing.
  ASSERT_TRUE(WriteWholeFile(HwCfg("Kr20LastState.last"),
                             "[KR20_CommonArea]\r\nNumKr20Cards=two\r\n[KR20_0]\r\nSetupFileName=" + StateFile(0) + "\r\n"));
  Rec(0).Receiver[1].CarrierThesholdDbm = 0.0;
  EXPECT_FALSE(settings::LoadLastSetupStateFile());
  EXPECT_EQ(Threshold(Rec(0), 1), 0.0);
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
