// The handler pattern's own cases: cancelled and unreadable answers, clamped answers, menu items
// outside their list, a menu whose setting makes the card window reload the page, a value the card
// refuses, the input source of a routed card, tuning through the down-converters tied to each
// channel, and the combiners.
#include <QAction>
#include <QPointer>

#include <algorithm>
#include <cstdio>
#include <functional>

#include "card/dncvt_manager.h"
#include "card/setup_routines.h"
#include "platform/message_bus.h"
#include "setup_panel_fixture.h"
#include "util/number_text.h"
#include "util/process_globals.h"

namespace setuptest {
namespace {

// Stands in for the main window: on message 60001 (the card's mode or setup changed) it has the
// card window reload its setup panel, as the real window does.
class ReloadingWindow final : public platform::MessageTarget {
 public:
  explicit ReloadingWindow(TSetupMainSetupForm* panel)
      : panel_(panel), previous_(util::MainWindowHandle.exchange(this)) {}
  ~ReloadingWindow() override { util::MainWindowHandle.store(previous_); }
  ReloadingWindow(const ReloadingWindow&) = delete;
  ReloadingWindow& operator=(const ReloadingWindow&) = delete;
  bool Post(std::uint32_t, platform::WParam, platform::LParam) override { return true; }
  platform::LParam Send(std::uint32_t id, platform::WParam, platform::LParam) override {
    if (id == 60001) {
      panel_->ReloadPages();
      ++reloads;
    }
    return 0;
  }
  int reloads = 0;

 private:
  TSetupMainSetupForm* panel_;
  platform::MessageTarget* previous_;
};

class HandlerCasesTest : public SetupPanelTest {};

// The SAW IF bandwidth and AGC time-constant menus list the converter's table in order: each fitted
// item chosen is the converter's setting of that index, and the value shows its table entry.
TEST_F(HandlerCasesTest, TheConverterMenusSendTheIndexOfTheItemChosen) {
  Start(false, 0, 0);
  if (IsSkipped() || HasFatalFailure()) return;
  const int dc = card::GetDownConverterIndex(0, 0);
  ASSERT_GE(dc, 0);
  const card::DnCvtChannelRecord& record = gDnCvtMgr->Records[static_cast<std::size_t>(dc)];
  struct Menu {
    const char* name;
    const char* label;
    std::function<double(std::size_t)> entry;  // the table entry shown for an index
    int decimals;
    std::function<int()> index;  // the converter's setting as the status reads it
  };
  const Menu menus[] = {
      {"PopupMenuIfBw", "LabelIfBw11", [&record](std::size_t i) { return record.IfFilterBwKhz[i] * 0.001; }, 2,
       [this] { return int{StatusOf(0).DnCvt.IfFilterIndex}; }},
      {"PopupMenuAgc", "LabelAgcTc1", [&record](std::size_t i) { return double{record.AgcTcMsecs[i]}; }, 1,
       [this] { return int{StatusOf(0).DnCvt.AgcTcIndex}; }},
  };
  for (const Menu& menu : menus) {
    const QList<QAction*> items = Find<QMenu>(menu.name)->actions();
    ASSERT_GE(items.size(), 2);
    // Last item first, so that every choice moves the setting.
    for (int i = static_cast<int>(items.size()) - 1; i >= 0; --i) {
      // Positions beyond the converter's fitted entries select nothing on it.
      if (!items[i]->isVisible() || menu.entry(static_cast<std::size_t>(i)) == 0.0) continue;
      SCOPED_TRACE(testing::Message() << menu.name << " item " << i);
      dialogs_->AnswerMenu(items[i]->text().toStdString());
      Click("TSM_StdSetupForm", menu.label);
      QCoreApplication::processEvents();
      EXPECT_TRUE(dialogs_->AllAnswered());
      Refresh();
      EXPECT_EQ(menu.index(), i);
      char expected[32];
      std::snprintf(expected, sizeof expected, "%.*f", menu.decimals, menu.entry(static_cast<std::size_t>(i)));
      EXPECT_EQ(Find<QLabel>(menu.label)->text().trimmed().toStdString(), expected);
    }
  }
}

TEST_F(HandlerCasesTest, CancelResendsTheValueAndAnUnreadableAnswerAppliesNothing) {
  Start(false, 0, 0);
  if (IsSkipped() || HasFatalFailure()) return;
  manager_->SetBitsyncAcqRange(0, 0, 1.25);
  Receiver(0).BitSync[0].AcqLoopBandwidthPct = 0.5;  // the setup record out of step with the card
  dialogs_->AnswerInput(std::nullopt);
  Click("TSM_StdSetupForm", "LabelBsAcqLbw");
  EXPECT_EQ(LastQuery().offered, "1.250");
  EXPECT_EQ(Card().PskRx_GetBitSyncStream1AcquisitionRangeInPercentOfBitRate(0), 1.25);
  EXPECT_EQ(Value(Receiver(0).BitSync[0].AcqLoopBandwidthPct), 1.25);  // the current value was sent again
  EXPECT_EQ(config::gApp.SetupEdited.load(), 1);

  config::gApp.SetupEdited = 0;
  dialogs_->AnswerInput("1.5x");
  Click("TSM_StdSetupForm", "LabelBsAcqLbw");
  EXPECT_EQ(Card().PskRx_GetBitSyncStream1AcquisitionRangeInPercentOfBitRate(0), 1.25);
  EXPECT_EQ(config::gApp.SetupEdited.load(), 1);  // marked all the same on this page
  EXPECT_EQ(Text("LabelBsAcqLbw"), "1.250");
}

TEST_F(HandlerCasesTest, AnOutOfRangeAnswerIsClampedWithTheErrorTone) {
  Start(false, 0, 0);
  if (IsSkipped() || HasFatalFailure()) return;
  sounds_.Take();
  dialogs_->AnswerInput("9");
  Click("TSM_StdSetupForm", "LabelBsAcqLbw");
  EXPECT_EQ(Card().PskRx_GetBitSyncStream1AcquisitionRangeInPercentOfBitRate(0), 4.0);
  EXPECT_EQ(sounds_.Take(), testsupport::kWarningTones);
  EXPECT_EQ(Text("LabelBsAcqLbw"), "4.000");
}

// The signal threshold takes -100 dBm, its lower limit, as it is; below it the answer is clamped.
TEST_F(HandlerCasesTest, TheSignalThresholdTakesItsLowerLimit) {
  Start(false, 0, 0);
  if (IsSkipped() || HasFatalFailure()) return;
  manager_->SetSignalThreshold(0, 0, -50.0);
  const struct {
    const char* answer;
    double held;
    bool tone;
  } rows[] = {{"-100", -100.0, false}, {"-60", -60.0, false}, {"-101", -100.0, true}, {"5", 0.0, true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.answer);
    sounds_.Take();
    dialogs_->AnswerInput(row.answer);
    Click("TSM_FineSetupForm", "LabelRxCarSigThresh");
    EXPECT_EQ(LastQuery().title, "Enter the Receiver Signal Threshold in dBm");
    EXPECT_EQ(LastQuery().prompt, "Input Range -100 - 0");
    EXPECT_EQ(Card().PskRx_GetReceiverSignalLevelQualificationThreshold(0), row.held);
    EXPECT_EQ(Value(Receiver(0).CarrierThesholdDbm), row.held);
    EXPECT_EQ(sounds_.Take().empty(), !row.tone);
  }
}

TEST_F(HandlerCasesTest, DismissedMenusAndTagsOutsideTheListChangeNothing) {
  Start(false, 0, 0);
  if (IsSkipped() || HasFatalFailure()) return;
  const std::string before = Card().PskRx_GetBitSyncStream1OutputDataEncodingMode(0);
  dialogs_->AnswerMenu(std::nullopt);
  Click("TSM_StdSetupForm", "LabelOutputCode1");
  ASSERT_EQ(dialogs_->MenuRequests().size(), 1u);
  EXPECT_EQ(dialogs_->MenuRequests()[0].menuName, "PopupMenuOutputCode");
  EXPECT_EQ(dialogs_->MenuRequests()[0].items.size(), 6u);
  setup::SetupPage& page = Page("TSM_StdSetupForm");
  page.MenuItemChosen("PopupMenuOutputCode", 6);
  page.MenuItemChosen("PopupMenuOutputCode", -1);
  page.MenuItemChosen("PopupMenuIfBw", 12);
  EXPECT_EQ(Card().PskRx_GetBitSyncStream1OutputDataEncodingMode(0), before);
  EXPECT_EQ(config::gApp.SetupEdited.load(), 0);
  page.MenuItemChosen("PopupMenuOutputCode", 5);
  EXPECT_EQ(Card().PskRx_GetBitSyncStream1OutputDataEncodingMode(0), "BIOS");
  EXPECT_EQ(config::gApp.SetupEdited.load(), 1);
}

TEST_F(HandlerCasesTest, ModulationMenuShowsOqpskForSqpskAndSurvivesTheReloadItCauses) {
  Start(false, 0, 0);
  if (IsSkipped() || HasFatalFailure()) return;
  ReloadingWindow window(panel_);
  const std::vector<std::string> items = VisibleItems("PopupMenuModulation");
  EXPECT_NE(std::find(items.begin(), items.end(), "OQPSK"), items.end());
  EXPECT_NE(std::find(items.begin(), items.end(), "SOQPSK_SX"), items.end());
  for (const char* hidden : {"UQPSK", "SQPSK", "SOQPSK"}) {
    EXPECT_EQ(std::find(items.begin(), items.end(), hidden), items.end()) << hidden;
  }
  // Rebuilt while the handler ran: the old items are deleted (a new item may take a deleted one's
  // address, so the old item's pointer is watched rather than compared).
  const QPointer<QAction> first = Find<QMenu>("PopupMenuModulation")->actions().front();
  dialogs_->AnswerMenu("OQPSK");
  Click("TSM_StdSetupForm", "LabelModulation1");
  EXPECT_GE(window.reloads, 1);
  EXPECT_EQ(card::SetupText(Receiver(0).DemodMode), "SQPSK");
  EXPECT_EQ(Card().PskRx_GetCarrierModulationMode(0), "SQPSK");
  EXPECT_EQ(Value(Rec().Modulator.SakLoopbackMode), 0);
  EXPECT_TRUE(first.isNull());
  EXPECT_EQ(config::gApp.SetupEdited.load(), 1);
}

TEST_F(HandlerCasesTest, AnItemTriggeredFromTheMenuItselfIsAppliedAfterTheMenuWasRebuilt) {
  Start(false, 0, 0);
  if (IsSkipped() || HasFatalFailure()) return;
  QMenu* menu = Find<QMenu>("PopupMenuInputCode");
  ASSERT_NE(menu, nullptr);
  menu->actions()[4]->trigger();  // "BIOM"
  panel_->ReloadPages();          // the item is gone before its handler runs
  QCoreApplication::processEvents();
  EXPECT_EQ(card::SetupText(Receiver(0).BitSync[0].PcmInputCode), "BIOM");
  EXPECT_EQ(Card().PskRx_GetBitSyncStream1InputDataDecodingMode(0), "BIOM");
}

TEST_F(HandlerCasesTest, ARefusedValueShowsWhatTheCardHoldsAndIsLogged) {
  Start(false, 0, 0);
  if (IsSkipped() || HasFatalFailure()) return;
  manager_->SetCarrierAcqLoopBw(0, 0, 2.0);
  dialogs_->AnswerInput("0");  // within the prompt's limits, below what the card takes
  Click("TSM_FineSetupForm", "LabelRxAcqLoopBw");
  EXPECT_EQ(Card().PskRx_GetCarrierAcquisitionLoopBandwidthInPercentOfStream1BitRate(0), 2.0);
  EXPECT_EQ(Text("LabelRxAcqLoopBw"), "2.00");
  const std::vector<std::string> log = program_.LogTexts();
  EXPECT_NE(std::find(log.begin(), log.end(),
                      "Card 1 CH 1 Carrier Acq LBW (%): the card refused 0.000000 and holds 2.000000"),
            log.end());
}

TEST_F(HandlerCasesTest, InputSourceActsOnChannelTwoOfARoutedCardOnly) {
  for (const int channel : {0, 1}) {
    SCOPED_TRACE(channel);
    Start(true, 4, channel, 1);
    if (IsSkipped() || HasFatalFailure()) return;
    manager_->SetCarrierCenterFreq(0, 1, 70'200'000.0);
    // A PSK+PSK card without a combiner (the variant board's plain image): the first input is
    // never offered once routed, the second only to channel 2.
    EXPECT_TRUE(Shown("PanelInputSource"));
    const std::vector<std::string> offered =
        channel == 1 ? std::vector<std::string>{"Ch 2"} : std::vector<std::string>{};
    EXPECT_EQ(VisibleItems("PopupMenuInputSource"), offered);
    if (channel == 1) dialogs_->AnswerMenu("Ch 2");
    Click("TSM_FineSetupForm", "LabelRxInputSource");  // channel 0: no menu at all
    if (channel == 1) {
      EXPECT_EQ(card::SetupText(Receiver(1).InputSource), "IF_INPUT2");
      EXPECT_EQ(Card().PskRx_GetCarrierCenterFrequencyInHz(1), 70'000'000.0);
      EXPECT_EQ(Text("LabelRxInputSource"), "Ch 2");
    } else {
      EXPECT_EQ(Card().PskRx_GetCarrierCenterFrequencyInHz(1), 70'200'000.0);
      EXPECT_EQ(config::gApp.SetupEdited.load(), 0);
    }
    TearDown();
  }
}

TEST_F(HandlerCasesTest, TuningAddressesTheConverterTiedToEachChannel) {
  for (const bool both : {false, true}) {
    SCOPED_TRACE(both);
    // Crossed ties: channel 0 on converter 1, channel 1 on converter 0.
    Start(false, 0, 0, 0, card::HwCfgCardSetRecord{0, 2, {1, 0}});
    if (IsSkipped() || HasFatalFailure()) return;
    config::gApp.gControlBothChannels = both ? 1 : 0;
    const double before0 = gDnCvtMgr->Records[0].Setup.FreqMhz;
    dialogs_->AnswerInput("2250.25");
    Click("TSM_StdSetupForm", "LabelTunedFreqMhz1");
    EXPECT_EQ(LastQuery().title.substr(0, 32), "Enter the Tuning Frequency in MH");
    EXPECT_EQ(Value(gDnCvtMgr->Records[1].Setup.FreqMhz), 2250.25);
    EXPECT_EQ(Value(gDnCvtMgr->Records[0].Setup.FreqMhz), both ? 2250.25 : before0);
    EXPECT_EQ(config::gApp.SetupEdited.load(), 1);
    TearDown();
  }
}

TEST_F(HandlerCasesTest, PreDCombinerValuesAreCardWideAndClamped) {
  Start(true, 5, 0, 1);
  if (IsSkipped() || HasFatalFailure()) return;
  config::gApp.gControlBothChannels = 1;
  // The card window offers the "Combiner" tab while the card combines.
  panel_->SetCombinerTabVisible(true);
  EXPECT_TRUE(Shown("PanelPreD"));
  EXPECT_FALSE(Shown("PanelPostD"));
  Rec().PreD.CombinerModeOff = 1;
  Rec().PreD.CombinerModePolarity = 0;
  panel_->RefreshPages();
  EXPECT_EQ(Text("LabelCombinerMode"), "Off");
  Click("TSM_CombinerSetupForm", "LabelCombinerMode");
  EXPECT_EQ(Value(Rec().PreD.CombinerModePolarity), 1);
  EXPECT_EQ(Value(Rec().PreD.CombinerModeOff), 0);
  EXPECT_EQ(Text("LabelCombinerMode"), "Spatial / Polarization");

  sounds_.Take();
  dialogs_->AnswerInput("-150");
  Click("TSM_CombinerSetupForm", "LabelFixedNoiseChA");
  EXPECT_EQ(LastQuery().title, "Enter the Fixed Noise for Ch 1 (dBm/Hz)");
  EXPECT_EQ(LastQuery().prompt, "Input Value between -100.00 & 10.00");
  EXPECT_EQ(sounds_.Take(), testsupport::kWarningTones);
  EXPECT_EQ(Card().PreD_GetFixedNoChannelA(), -100.0);
  EXPECT_EQ(Text("LabelFixedNoiseChA"), "-100.00");

  dialogs_->AnswerInput("2500000");
  Click("TSM_CombinerSetupForm", "LabelSignalBw");
  EXPECT_EQ(LastQuery().prompt, "Input Range 10 - 100000000");
  EXPECT_EQ(Card().PreD_GetSignalBandwidthInHz(), 2'500'000.0);
  EXPECT_EQ(Text("LabelSignalBw"), "2.5000");

  StatusOf(0).PreD.ChanAMeasuredNoise = -61.25;
  panel_->RefreshPages();
  EXPECT_EQ(Text("LabelMeasuredNoiseChA"), "-61.250");
}

// Each input channel's centre frequency and fixed noise: Ch 2's row shows Ch 2's value, offers it,
// and sends the answer to Ch 2's combiner input, leaving Ch 1's alone; and the same for Ch 1.
TEST_F(HandlerCasesTest, PreDChannelRowsShowAndSetTheirOwnInput) {
  Start(true, 5, 0, 1);
  if (IsSkipped() || HasFatalFailure()) return;
  panel_->SetCombinerTabVisible(true);
  manager_->SetPreDCenterFreq(0, 0, 0, 70'000'000.0);
  manager_->SetPreDCenterFreq(0, 0, 1, 70'500'000.0);
  manager_->SetPreDFixedNoise(0, 0, 0, -20.25);
  manager_->SetPreDFixedNoise(0, 0, 1, -30.5);
  panel_->RefreshPages();
  using Get = std::function<double(const card::kr20cardclass&)>;
  const Get centreA = [](const card::kr20cardclass& c) { return c.PreD_GetChannelACenterFreqInHz(); };
  const Get centreB = [](const card::kr20cardclass& c) { return c.PreD_GetChannelBCenterFreqInHz(); };
  const Get noiseA = [](const card::kr20cardclass& c) { return c.PreD_GetFixedNoChannelA(); };
  const Get noiseB = [](const card::kr20cardclass& c) { return c.PreD_GetFixedNoChannelB(); };
  struct Row {
    const char* label;
    const char* shown;    // before the setting
    const char* title;
    const char* offered;  // the input's own current value
    const char* answer;
    Get own;
    Get other;
    double set;
    const char* after;
  };
  const Row rows[] = {
      {"LabelCntrFreqChA", "70.0000", "Enter the Center Frequency for Ch 1 (Hz)", "70000000", "69000000", centreA,
       centreB, 69'000'000.0, "69.0000"},
      {"LabelCntrFreqChB", "70.5000", "Enter the Center Frequency for Ch 2 (Hz)", "70500000", "71250000", centreB,
       centreA, 71'250'000.0, "71.2500"},
      {"LabelFixedNoiseChA", "-20.25", "Enter the Fixed Noise for Ch 1 (dBm/Hz)", "-20.25", "-40.75", noiseA, noiseB,
       -40.75, "-40.75"},
      {"LabelFixedNoiseChB", "-30.50", "Enter the Fixed Noise for Ch 2 (dBm/Hz)", "-30.50", "-45.5", noiseB, noiseA,
       -45.5, "-45.50"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    EXPECT_EQ(Text(row.label), row.shown);
    const double otherBefore = row.other(Card());
    dialogs_->AnswerInput(row.answer);
    Click("TSM_CombinerSetupForm", row.label);
    EXPECT_EQ(LastQuery().title, row.title);
    EXPECT_EQ(LastQuery().offered, row.offered);
    EXPECT_EQ(row.own(Card()), row.set);
    EXPECT_EQ(row.other(Card()), otherBefore);
    EXPECT_EQ(Text(row.label), row.after);
  }
}

TEST_F(HandlerCasesTest, PostDDiversityOutputMenuOffersChannelOneWhileCombiningOnIt) {
  Start(true, 12, 0, 1);
  if (IsSkipped() || HasFatalFailure()) return;
  EXPECT_TRUE(Shown("PanelPostD"));
  EXPECT_EQ(VisibleItems("PopupMenuMenuDiversityOutputMode"),
            (std::vector<std::string>{"Ch1 = Post D Combined", "Ch 1"}));
  dialogs_->AnswerMenu("Ch 1");
  Click("TSM_CombinerSetupForm", "LabelDiversityMode");
  EXPECT_EQ(Card().PostD_GetDiversityOutput(), "CHANNEL_A_OUTPUT");
  EXPECT_EQ(Text("LabelDiversityMode"), "Ch 1");
  StatusOf(0).PostD.ChanBEbNoDb = 12.3456;
  StatusOf(0).PostD.CombiningGainDb = 2.55;
  panel_->RefreshPages();
  EXPECT_EQ(Text("LabelEbNoChB"), "12.346");
  EXPECT_EQ(Text("LabelCombinedGain"), "2.5");
}

}  // namespace
}  // namespace setuptest

namespace setuptest {
namespace {

TEST_F(HandlerCasesTest, ClockShownNormalIsSwitchedWithTheRisingEdge) {
  Start(false, 0, 0);
  if (IsSkipped() || HasFatalFailure()) return;
  manager_->SetClockPolarity(0, 0, "FALLING_EDGE");
  Refresh();
  EXPECT_EQ(Text("LabelClkPolarity"), "Normal");
  Click("TSM_StdSetupForm", "LabelClkPolarity");
  EXPECT_EQ(Card().PskRx_GetStream1OutputClockPolarityMode(0), "RISING_EDGE");
  Refresh();
  EXPECT_EQ(Text("LabelClkPolarity"), "Invert");
}

TEST_F(HandlerCasesTest, DataRatePromptStopsAtTheCardsHighestRate) {
  Start(false, 0, 0);
  if (IsSkipped() || HasFatalFailure()) return;
  dialogs_->AnswerInput("99000000");
  Click("TSM_StdSetupForm", "LabelDataRate1");
  EXPECT_EQ(LastQuery().title, "Enter the Data Rate in Bps");
  const auto upper = std::min<std::uint32_t>(Card().MaxDataRate(), 30'000'000u);
  EXPECT_EQ(LastQuery().prompt, "Input Range 10 - " + std::to_string(upper));
  EXPECT_EQ(Card().PskRx_GetBitSyncStream1RateInbps(0), static_cast<double>(upper));
}

TEST_F(HandlerCasesTest, PeakDeviationTurnsRedAboveTheWarningRange) {
  Start(false, 2, 0);
  if (IsSkipped() || HasFatalFailure()) return;
  options_.Info().WarnCarrierPeakDeviationRange = 1;
  for (const auto& [range, colour] : {std::pair{"0.05", QColor(255, 255, 0)}, std::pair{"0.06", QColor(255, 0, 0)}}) {
    SCOPED_TRACE(range);
    dialogs_->AnswerInput(range);
    Click("TSM_FineSetupForm", "PeakDeviationDeltaLabel");
    EXPECT_EQ(Text("PeakDeviationDeltaLabel"), range);
    EXPECT_EQ(Find("PeakDeviationLabel")->palette().color(QPalette::WindowText), colour);
  }
}

}  // namespace
}  // namespace setuptest
