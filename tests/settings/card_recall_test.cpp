// Card mode change and setup recall over simulated cards: the 60001 hand-shake with the main
// window, the two load-and-apply passes of a recall, the personality the chip-variant board is
// given, and the setup file name after a failed recall.
#include <filesystem>
#include <string>

#include "card/card_routines.h"
#include "card/kr20card.h"
#include "multi_card_fixture.h"
#include "settings/card_recall.h"
#include "settings/last_setup.h"
#include "settings/setup_file.h"
#include "settings/window_messages.h"

namespace {

using settingstest::MultiCardTest;
using settingstest::RecordingWindow;
using card::Value;

class CardRecallTest : public MultiCardTest {
 protected:
  // Card 0: the standard board running PSK+PSK (0); card 1: the chip-variant board running
  // PSK+PSK (4), whose image of that personality is missing.
  void SetUp() override { StartCards({{false, 0}, {true, 4}}, 4); }

  // A setup file of card 0 holding `threshold` as channel 0's signal threshold.
  void SaveSetupFile(const std::string& baseName, double threshold) {
    const double before = Rec(0).Receiver[0].CarrierThesholdDbm;
    Rec(0).Receiver[0].CarrierThesholdDbm = threshold;
    manager_->SetupFileNames[0] = SetupFile(baseName);
    ASSERT_TRUE(settings::SaveCardSetupFile(0));
    Rec(0).Receiver[0].CarrierThesholdDbm = before;
  }
  double Threshold(int card) { return Rec(card).Receiver[0].CarrierThesholdDbm; }
};

TEST_F(CardRecallTest, AFailedRecallSendsTheMessageOnceAndSavesNothing) {
  manager_->SetupFileNames[0] = SetupFile("NOSUCHSETUP");
  Rec(0).Receiver[0].CarrierThesholdDbm = -33.0;
  RecordingWindow window;
  EXPECT_FALSE(manager_->RecallCardSetup(0));
  ASSERT_EQ(window.messages.size(), 1u);
  const RecordingWindow::Message& m = window.messages[0];
  EXPECT_TRUE(m.id == settings::kWmCardChanged && m.wParam == 0u && m.lParam == 1 && m.sent);
  EXPECT_EQ(Threshold(0), -33.0);
  EXPECT_FALSE(std::filesystem::exists(HwCfg("Kr20Last.last")));
  EXPECT_FALSE(std::filesystem::exists(HwCfg("Kr20LastState.last")));
}

TEST_F(CardRecallTest, ASuccessfulRecallLoadsAndAppliesTwiceThenSavesTheLastSetup) {
  SaveSetupFile("GOOD", -77.0);
  manager_->SetupFileNames[0] = SetupFile("GOOD");
  RecordingWindow window;
  // The first re-synchronisation of the windows changes the setup; the second load reads the
  // file over it.
  bool first = true;
  window.onSend = [this, &first](const RecordingWindow::Message& m) {
    if (m.id != settings::kWmCardChanged || !first) return;
    first = false;
    Rec(0).Receiver[0].CarrierThesholdDbm = -11.0;
  };
  ASSERT_TRUE(manager_->RecallCardSetup(0));

  const auto changed = window.Of(settings::kWmCardChanged);
  ASSERT_EQ(changed.size(), 3u);
  // Each mode application sets the pending flag before its message; the recall's own message
  // finds it cleared by the window.
  EXPECT_TRUE(changed[0].pendingSet);
  EXPECT_TRUE(changed[1].pendingSet);
  EXPECT_FALSE(changed[2].pendingSet);
  for (const auto& m : changed) EXPECT_TRUE(m.wParam == 0u && m.lParam == 1 && m.sent);
  EXPECT_EQ(Threshold(0), -77.0);
  // Pushed to the card by the second application.
  EXPECT_EQ(cards_->Card(0)->PskRx_GetReceiverSignalLevelQualificationThreshold(0), -77.0);
  EXPECT_NE(testsupport::ReadWholeFile(HwCfg("Kr20Last.last")).find("SetupFileName=" + SetupFile("GOOD") + "\r\n"),
            std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(HwCfg("Kr20LastState.last0")));
  EXPECT_FALSE(config::gApp.ReconfigurationPending);
}

TEST_F(CardRecallTest, AFailedRecallOfANamedFileKeepsThePreviousName) {
  SaveSetupFile("GOOD", -66.0);
  manager_->SetupFileNames[0] = SetupFile("PREVIOUS");
  EXPECT_FALSE(settings::RecallCardSetupFile(0, SetupFile("MISSING")));
  EXPECT_EQ(manager_->SetupFileNames[0], SetupFile("PREVIOUS"));

  EXPECT_TRUE(settings::RecallCardSetupFile(0, SetupFile("GOOD")));
  EXPECT_EQ(manager_->SetupFileNames[0], SetupFile("GOOD"));
  EXPECT_EQ(Threshold(0), -66.0);
}

TEST_F(CardRecallTest, TheVariantBoardIsGivenItsFirstAvailableImageAndLoaded) {
  ASSERT_TRUE(cards_->ChipVariant(1));
  Rec(1).RouteInfo.FpgaMasterMode = card::kNoFpgaMode;
  RecordingWindow window;
  manager_->ApplyCardMode(1);
  // The image of personality 4 is missing: PSK+PCM/FM (7) is the first in the board's order.
  EXPECT_EQ(Value(Rec(1).RouteInfo.FpgaMasterMode), 7);
  EXPECT_EQ(card::CardFpgaMode(1), 7);
  EXPECT_TRUE(card::IsPcmFmChannel(1, 1));
  const auto loads = window.Of(settings::kWmFpgaLoad);  // loading on, then off
  ASSERT_EQ(loads.size(), 2u);
  EXPECT_TRUE(loads[0].lParam == 1 && loads[1].lParam == 0);
  EXPECT_EQ(window.Of(settings::kWmCardChanged).size(), 1u);
}

}  // namespace

namespace {

// The first start: a standard board running nothing, whose setup names no personality, is given
// one instead of being left empty.
class FirstStartTest : public MultiCardTest {
 protected:
  void SetUp() override { StartCards({{false, -1}}); }
};

TEST_F(FirstStartTest, AStandardBoardRunningNothingGetsAPersonality) {
  Rec(0).RouteInfo.FpgaMasterMode = card::kNoFpgaMode;
  RecordingWindow window;
  manager_->ApplyCardMode(0);
  const int mode = card::CardFpgaMode(0);
  EXPECT_TRUE(mode >= 0 && mode < 4) << mode;
  EXPECT_EQ(Value(Rec(0).RouteInfo.FpgaMasterMode), mode);
  EXPECT_EQ(window.Of(settings::kWmFpgaLoad).size(), 2u);
}

}  // namespace
