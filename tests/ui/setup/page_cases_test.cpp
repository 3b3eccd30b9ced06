// Cases of single pages: the second bit sync's rate, tuning while the card combines in frequency
// diversity, the diversity-combiner input, the Viterbi group and the routing texts.
#include <QCheckBox>

#include <algorithm>

#include "card/card_routines.h"
#include "card/dncvt_manager.h"
#include "card/setup_routines.h"
#include "setup_panel_fixture.h"

namespace setuptest {
namespace {

class PageCasesTest : public SetupPanelTest {};

TEST_F(PageCasesTest, SecondBitSyncRateIsStoredForTheChannelAndSentToBoth) {
  Start(true, 4, 0);
  if (IsSkipped() || HasFatalFailure()) return;
  config::gApp.gControlBothChannels = 1;
  EXPECT_FALSE(Shown("LabelDataRate2"));
  card::SetSetupText(Receiver(0).DemodMode, "UAQPSK");
  panel_->RefreshPages();
  ASSERT_TRUE(Shown("LabelDataRate2"));
  const std::int32_t otherStored = Receiver(1).BitSync[1].Bitrate;
  dialogs_->AnswerInput("250000");
  Click("TSM_StdSetupForm", "LabelDataRate2");
  EXPECT_EQ(LastQuery().title, "Enter the Data Rate in Bps for 2nd bit sync");
  EXPECT_EQ(Value(Receiver(0).BitSync[1].Bitrate), 250'000);
  EXPECT_EQ(Card().PskRx_GetBitSyncStream2RateInbps(0), 250'000.0);
  EXPECT_EQ(Card().PskRx_GetBitSyncStream2RateInbps(1), 250'000.0);  // the card call only
  EXPECT_EQ(Value(Receiver(1).BitSync[1].Bitrate), otherStored);
  EXPECT_NE(otherStored, 250'000);
  EXPECT_EQ(Text("LabelDataRate2"), "0.250");
}

TEST_F(PageCasesTest, FrequencyDiversityTuningAsksForEachChannelAndTunesBoth) {
  Start(true, 5, 0, 1);
  if (IsSkipped() || HasFatalFailure()) return;
  Rec().RouteInfo.PreDCombinerMode = 1;
  Rec().PreD.CombinerModeOff = 0;
  Rec().PreD.CombinerModePolarity = 0;
  ASSERT_TRUE(card::IsFreqDiversityCombining(0));
  dialogs_->AnswerInput("2240.5");
  dialogs_->AnswerInput("2260.5");
  Click("TSM_StdSetupForm", "LabelTunedFreqMhz1");
  EXPECT_EQ(dialogs_->Queries().size(), 2u);
  EXPECT_EQ(Value(gDnCvtMgr->Records[0].Setup.FreqMhz), 2240.5);
  EXPECT_EQ(Value(gDnCvtMgr->Records[1].Setup.FreqMhz), 2260.5);
  EXPECT_EQ(config::gApp.SetupEdited.load(), 1);
}

TEST_F(PageCasesTest, TheDiversityCombinerInputKeepsTheCarrierCentre) {
  Start(true, 5, 1, 1);
  if (IsSkipped() || HasFatalFailure()) return;
  manager_->SetCarrierCenterFreq(0, 1, 70'200'000.0);
  EXPECT_EQ(VisibleItems("PopupMenuInputSource"), (std::vector<std::string>{"Ch 2", "COMB"}));
  dialogs_->AnswerMenu("COMB");
  Click("TSM_FineSetupForm", "LabelRxInputSource");
  EXPECT_EQ(card::SetupText(Receiver(1).InputSource), "DIVERSITY_COMBINER");
  EXPECT_EQ(Card().PskRx_GetCarrierCenterFrequencyInHz(1), 70'200'000.0);
  EXPECT_EQ(config::gApp.SetupEdited.load(), 1);
}

// The group first shows the decoder's lock, its error rates in per cent and each symbol-invert box.
TEST_F(PageCasesTest, ClearingViterbiDecodingHidesItsValuesAtOnceAndTheGroupAtTheNextRefresh) {
  // A convolutionally coded signal weak enough that the decoder's symbol errors reach whole per cents.
  Start(false, 0, 0, 0, card::HwCfgCardSetRecord{0, 2, {0, 1}}, "IfInput1=70e6, -40, PSK, 1e6, 4, NRZL\nIfInput1Viterbi=YES\n");
  if (IsSkipped() || HasFatalFailure()) return;
  auto manualClock = settingstest::SimHook<void (*)(int)>(sim_ + "/librtZp903x.so", "QuorxSim_UseManualClock");
  auto advance = settingstest::SimHook<int (*)(double)>(sim_ + "/librtZp903x.so", "QuorxSim_AdvanceSeconds");
  ASSERT_NE(manualClock, nullptr);
  ASSERT_NE(advance, nullptr);
  manualClock(1);
  manager_->SetDataRate(0, 0, 1'000'000);
  manager_->SetCarrierCenterFreq(0, 0, 70'000'000.0);
  manager_->SetViterbiDecodeEnable(0, 0, 1);
  const auto lamp = [this] { return Find("ShapeViterbiLockStateS1")->palette().color(QPalette::Window); };
  const auto settle = [&] {
    for (int step = 0; step < 8; ++step) advance(0.25);
    Refresh();
  };
  settle();
  ASSERT_TRUE(Shown("GroupBoxViterbi"));
  ASSERT_TRUE(Shown("PanelViterbi"));
  EXPECT_EQ(lamp(), QColor(0, 255, 0));
  EXPECT_EQ(Text("LabelViterbiSymbolRateS1"), "6");
  EXPECT_EQ(Text("LabelViterbiBitErrorRateS1"), "0");  // well below 0.5 % after decoding
  EXPECT_FALSE(Find<QCheckBox>("CheckBoxInvertG1")->isChecked());
  EXPECT_FALSE(Find<QCheckBox>("CheckBoxInvertG2")->isChecked());
  // G2 inverted against the signal: the decoder loses its lock and its rates read 0.
  Card().PskRx_SetViterbiStream1G2SymbolInvert(0, true);
  settle();
  manualClock(0);
  EXPECT_EQ(lamp(), QColor(255, 255, 0));
  EXPECT_EQ(Text("LabelViterbiSymbolRateS1"), "0");
  EXPECT_FALSE(Find<QCheckBox>("CheckBoxInvertG1")->isChecked());
  EXPECT_TRUE(Find<QCheckBox>("CheckBoxInvertG2")->isChecked());
  Find<QCheckBox>("CheckBoxViterbiDecodeEnable")->click();
  EXPECT_FALSE(Card().PskRx_GetViterbiStream1DecodeEnable(0));
  EXPECT_FALSE(Card().PskRx_GetViterbiStream1DecodeEnable(1));  // the Viterbi setters always repeat
  EXPECT_FALSE(Shown("PanelViterbi"));
  EXPECT_EQ(Value(Receiver(0).BitSync[0].ViterbiDecodeEnabled), 0);
  panel_->RefreshPages();
  EXPECT_FALSE(Shown("GroupBoxViterbi"));
}

// The virtual card has one output-invert flag for both streams, so its streams never mismatch.
TEST_F(PageCasesTest, RoutingTextsJoinDifferentInvertLocationsWhileBothStreamsCarryTheData) {
  Start(false, 0, 0);
  if (IsSkipped() || HasFatalFailure()) return;
  Card().PskRx_SetSignalRoutingStream1InvertLocation(0, "OFF");
  Card().PskRx_SetSignalRoutingStream2InvertLocation(0, "POST_BITSYNC");
  Card().PskRx_SetStream1OutputInvertEnable(0, true);
  panel_->RefreshPages();
  EXPECT_EQ(Text("LabelRouteInvertLocStream1"), "OFF / POST_BITSYNC");
  EXPECT_FALSE(Shown("LabelMismatch"));
  EXPECT_EQ(RawText("LabelMismatch"), "Mismatch");
  Click("TSM_OutputsSetupForm", "LabelStreamControl");
  EXPECT_EQ(Text("LabelStreamControl"), "Stream 1 Only");
  EXPECT_EQ(Text("LabelRouteInvertLocStream1"), "OFF");

  const std::vector<std::string> recombine = VisibleItems("PopupMenuRecombineLocation");
  EXPECT_NE(std::find(recombine.begin(), recombine.end(), "POST_VITERBI"), recombine.end());
  for (const char* menu : {"PopupMenuStreamSwapLocation", "PopupMenuInvertLocationStream1"}) {
    const std::vector<std::string> items = VisibleItems(menu);
    EXPECT_FALSE(items.empty()) << menu;
    EXPECT_EQ(std::find(items.begin(), items.end(), "POST_VITERBI"), items.end()) << menu;
  }
}

}  // namespace
}  // namespace setuptest
