// Each card window of the six personalities, in every operation mode its mode menu offers: the
// mode runs and is named, the panels are arranged for it, and every setup page the mode offers is
// on screen with each of its rows whole, every value filled and the values the card holds shown.
#include <QFrame>

#include <algorithm>
#include <array>
#include <iterator>

#include "held_values.h"
#include "operator_fixture.h"

namespace operatortest {
namespace {

int ModeCode(const std::string& caption) {
  const auto& names = config::CombiningModeNames;
  const auto found = std::find(std::begin(names), std::end(names), caption);
  return found != std::end(names) ? static_cast<int>(std::distance(std::begin(names), found)) : -1;
}

// The parts of a channel's status strip the mode shows lie side by side, none over another.
void ExpectStatusPanelLaidOut(const TSetupMainStatusForm& panel) {
  const std::array<const QWidget*, 4> parts{panel.PanelFftBackground1, panel.PanelIqBackground1, panel.PanelStatusCh1,
                                            panel.PanelRssi};
  std::vector<QRect> shown;
  for (const QWidget* part : parts) {
    if (!part->isVisibleTo(&panel)) continue;
    SCOPED_TRACE(testsupport::WidgetName(part));
    EXPECT_TRUE(testsupport::ShownToOperator(part));
    const QRect where(part->mapTo(panel.window(), QPoint(0, 0)), part->size());
    for (const QRect& other : shown) EXPECT_FALSE(where.intersects(other));
    shown.push_back(where);
  }
  EXPECT_TRUE(panel.PanelFftBackground1->isVisibleTo(&panel));
  EXPECT_TRUE(panel.PanelStatusCh1->isVisibleTo(&panel));
}

// What the card's setup (which the group status datagram carries and the setup files save) and
// its status say of a channel after a mode change: the receiver the card runs, a carrier loop
// bandwidth in per cent the Signal page's prompt would take, and the Data Rate row at the rate
// the bit synchroniser holds, locked or not (a PM channel has no bit sync read: 0).
void ExpectCardNamesWhatItRuns(int card, int channel) {
  const card::kr20cardclass& object = *gRtl20Mgr->Card(card);
  const card::ReceiverRecord& rx = object.Setup().Receiver[channel];
  std::string running = object.PskRx_GetCarrierModulationMode(channel);
  if (card::IsPcmFmChannel(card, channel)) running = "PCM_FM";
  if (card::IsPmChannel(card, channel)) running = "PM";
  if (card::IsMultiHCpmChannel(card, channel)) running = "MH_CPM";
  EXPECT_EQ(card::SetupText(rx.DemodMode), running);
  const double acquisitionPct = rx.CarrierAcqLoopBandwidthPct;
  const double trackingPct = rx.CarrierTrkLoopBandwidthPct;
  EXPECT_LE(acquisitionPct, 10.0);
  EXPECT_LE(trackingPct, 10.0);
  const double dataRate = gKr20SetMgr->StatusRecord(card, channel).BitSync1.BitRate;
  if (card::IsPmChannel(card, channel)) {
    EXPECT_EQ(dataRate, 0.0);
  } else {
    EXPECT_GT(dataRate, 0.0);
  }
}

class CardWindowModesTest : public OperatorTest, public ::testing::WithParamInterface<int> {};

TEST_P(CardWindowModesTest, EveryOfferedModeRunsWithItsPanelsAndFilledPages) {
  StartOnEveryPersonality();
  if (HasFatalFailure()) return;
  const int card = GetParam();
  TSetupMainGuiForm* window = OpenCardWindow(card);
  ASSERT_NE(window, nullptr);
  const std::vector<std::string> modes = OfferedModes(*window);
  ASSERT_FALSE(modes.empty());
  for (const std::string& mode : modes) {
    SCOPED_TRACE("card " + std::to_string(card + 1) + " " + mode);
    ASSERT_TRUE(ChooseMode(*window, mode)) << "the window shows " << window->LabelOperationalMode->text().toStdString();
    Settle();
    EXPECT_EQ(window->LabelOperationalMode->text().toStdString(), mode);
    const int code = ModeCode(mode);
    const bool combining = code >= 4 && code <= 7;
    const bool preD = code == 4 || code == 5;
    for (int channel = 0; channel < 2; ++channel) {
      SCOPED_TRACE("CH " + std::to_string(channel + 1));
      ExpectCardNamesWhatItRuns(card, channel);
      ExpectStatusPanelLaidOut(*window->StatusPanel(channel));
      TSetupMainSetupForm* panel = window->CommandPanel(channel);
      ASSERT_NE(panel, nullptr);
      // Pre-detection combining shows channel 2's setup only, post-detection channel 1's.
      const bool shown = !combining || (preD ? channel == 1 : channel == 0);
      EXPECT_EQ(panel->isVisible(), shown);
      if (!shown) continue;
      QStringList expected{"Rcvr", "Signal", "Output"};
      if (combining) expected << "Combiner";
      EXPECT_EQ(VisibleTabs(*panel), expected);
      int compared = 0;
      for (const QString& tab : VisibleTabs(*panel)) {
        SCOPED_TRACE(tab.toStdString());
        setup::SetupPage* page = OpenTab(*panel, tab.toLatin1().constData());
        ASSERT_NE(page, nullptr);
        EXPECT_TRUE(page->isVisible());
        EXPECT_GE(setuptest::CheckPageShown(*page), 4);
        compared += ExpectPageShowsWhatTheCardHolds(*page);
      }
      // At least the data rate and the carrier frequency (a PM channel shows no modulation).
      EXPECT_GE(compared, 2);
      OpenTab(*panel, "Rcvr");
    }
  }
  EXPECT_TRUE(dialogs_->AllAnswered());
}

INSTANTIATE_TEST_SUITE_P(Cards, CardWindowModesTest, ::testing::Range(0, 6),
                         [](const auto& row) { return "Card" + std::to_string(row.param + 1); });

}  // namespace
}  // namespace operatortest
