// One setting on each page of a card window, made as the operator makes it (the value clicked, the
// number typed into its prompt or the item chosen from its popup): the page shows it, the card
// runs it, the last state holds it, the receivers lock, and all of it is there again after the
// program was closed and started anew, and after a recall of the setup saved with it.
#include <QToolButton>

#include "card/dncvt_manager.h"
#include "card/kr20card.h"
#include "card/rtl20_manager.h"
#include "card/setup_routines.h"
#include "held_values.h"
#include "operator_fixture.h"

namespace operatortest {
namespace {

class CardWindowSettingsTest : public OperatorTest {
 protected:
  // The values a card window reads for channel `channel` of card 0, on each page; each page's
  // values are those the card holds.
  struct Shown {
    std::string Frequency, Modulation, DataRate, CarrierFreq, Recombine, SignalBw;
  };

  Shown Read(TSetupMainGuiForm& window, int channel) {
    Shown shown;
    TSetupMainSetupForm& panel = *window.CommandPanel(channel);
    setup::SetupPage* rcvr = OpenTab(panel, "Rcvr");
    EXPECT_EQ(ExpectPageShowsWhatTheCardHolds(*rcvr), 3);
    shown.Frequency = ValueText(*rcvr, "LabelTunedFreqMhz1");
    shown.Modulation = ValueText(*rcvr, "LabelModulation1");
    shown.DataRate = ValueText(*rcvr, "LabelDataRate1");
    setup::SetupPage* signal = OpenTab(panel, "Signal");
    EXPECT_EQ(ExpectPageShowsWhatTheCardHolds(*signal), 2);
    shown.CarrierFreq = ValueText(*signal, "LabelRxCarCntrFreq");
    setup::SetupPage* output = OpenTab(panel, "Output");
    EXPECT_EQ(ExpectPageShowsWhatTheCardHolds(*output), 1);
    shown.Recombine = ValueText(*output, "LabelRouteRecombineLoc");
    if (VisibleTabs(panel).contains(QStringLiteral("Combiner"))) {
      setup::SetupPage* combiner = OpenTab(panel, "Combiner");
      EXPECT_EQ(ExpectPageShowsWhatTheCardHolds(*combiner), 1);
      shown.SignalBw = ValueText(*combiner, "LabelSignalBw");
    }
    OpenTab(panel, "Rcvr");
    return shown;
  }

  // Both channels' bit syncs and converter references locked, as the status panels show them.
  bool Locked(TSetupMainGuiForm& window) {
    return RunUntil(
        [&] {
          for (int channel = 0; channel < 2; ++channel) {
            const TSetupMainStatusForm& status = *window.StatusPanel(channel);
            if (status.LabelBsLock1->text() != QStringLiteral("Lock")) return false;
            if (status.LabelRefLock1->text() != QStringLiteral("Lock")) return false;
          }
          return true;
        },
        std::chrono::seconds(10));
  }

  card::kr20cardclass& Card0() { return *gRtl20Mgr->Card(0); }
  std::string SetupsFolder() const { return folder_.Path() + "/USER/SETUPFILES/"; }

  void Trigger(TSetupMainGuiForm& window, const char* item) {
    QAction* action = window.findChild<QAction*>(QString::fromLatin1(item));
    ASSERT_NE(action, nullptr) << item;
    action->trigger();
    Settle();
  }
};

TEST_F(CardWindowSettingsTest, SettingsOnEveryPageLandOnTheCardAndSurviveARestartAndARecall) {
  StartOnEveryPersonality();
  if (HasFatalFailure()) return;
  TSetupMainGuiForm* window = OpenCardWindow(0);
  ASSERT_NE(window, nullptr);
  TSetupMainSetupForm& panel = *window->CommandPanel(0);

  // Rcvr: the converter tuned to the carrier, the modulation and the data rate of the signal.
  setup::SetupPage* rcvr = OpenTab(panel, "Rcvr");
  ASSERT_NE(rcvr, nullptr);
  dialogs_->AnswerInput("2250.5");
  EXPECT_EQ(ClickValue(*rcvr, "LabelTunedFreqMhz1"), "2250.50");
  dialogs_->AnswerMenu("SOQPSK_TG");
  EXPECT_EQ(ClickValue(*rcvr, "LabelModulation1"), "SOQPSK_TG");
  dialogs_->AnswerInput("5000000");
  ClickValue(*rcvr, "LabelDataRate1");
  EXPECT_EQ(Card0().PskRx_GetBitSyncStream1RateInbps(0), 5e6);
  // Signal: the carrier at the IF.
  setup::SetupPage* signal = OpenTab(panel, "Signal");
  ASSERT_NE(signal, nullptr);
  dialogs_->AnswerInput("70000000");  // Hz
  EXPECT_EQ(ClickValue(*signal, "LabelRxCarCntrFreq"), "70.00");
  // Output: a recombine location from its popup.
  setup::SetupPage* output = OpenTab(panel, "Output");
  ASSERT_NE(output, nullptr);
  dialogs_->AnswerMenu("POST_BITSYNC");
  EXPECT_EQ(ClickValue(*output, "LabelRouteRecombineLoc"), "POST_BITSYNC");
  EXPECT_EQ(Card0().PskRx_GetSignalRoutingRecombineLocation(0), "POST_BITSYNC");
  const Shown set = Read(*window, 0);
  const int converter = card::GetDownConverterIndex(0, 0);
  ASSERT_GE(converter, 0);
  const double tuned = gDnCvtMgr->Records[static_cast<std::size_t>(converter)].Setup.FreqMhz;
  EXPECT_EQ(tuned, 2250.5);

  // Both channels the same way, with both channels controlled at once.
  Click(window->SpeedButtonControlBothChannels);
  ASSERT_EQ(config::gApp.gControlBothChannels.load(), 1);
  dialogs_->AnswerInput("2250.5");
  ClickValue(*OpenTab(panel, "Rcvr"), "LabelTunedFreqMhz1");
  dialogs_->AnswerMenu("SOQPSK_TG");
  ClickValue(*OpenTab(panel, "Rcvr"), "LabelModulation1");
  dialogs_->AnswerInput("5000000");
  ClickValue(*OpenTab(panel, "Rcvr"), "LabelDataRate1");
  dialogs_->AnswerInput("70000000");  // Hz
  ClickValue(*OpenTab(panel, "Signal"), "LabelRxCarCntrFreq");
  Click(window->SpeedButtonControlBothChannels);
  ASSERT_EQ(config::gApp.gControlBothChannels.load(), 0);
  EXPECT_TRUE(Locked(*window)) << window->StatusPanel(0)->LabelBsLock1->text().toStdString() << " "
                               << window->StatusPanel(0)->LabelRefLock1->text().toStdString() << " "
                               << window->StatusPanel(1)->LabelBsLock1->text().toStdString() << " "
                               << window->StatusPanel(1)->LabelRefLock1->text().toStdString();

  // Combiner: pre-detection combining, and its signal bandwidth on channel 2's page.
  ASSERT_TRUE(ChooseMode(*window, "PSK PRE-D COMBINER"));
  Settle();
  TSetupMainSetupForm& combined = *window->CommandPanel(1);
  setup::SetupPage* combiner = OpenTab(combined, "Combiner");
  ASSERT_NE(combiner, nullptr);
  dialogs_->AnswerInput("2500000");  // Hz
  EXPECT_EQ(ClickValue(*combiner, "LabelSignalBw"), "2.5000");
  EXPECT_EQ(Card0().PreD_GetSignalBandwidthInHz(), 2.5e6);
  const Shown combinedShown = Read(*window, 1);

  // The last state holds every value at once.
  EXPECT_EQ(StateValue(0, "Rx Data0 Bitsync", "Bitrate"), "5000000");
  EXPECT_EQ(StateValue(0, "Rx Data0", "CarrierFreqMhz"), "70.000000000");
  EXPECT_EQ(StateValue(0, "Rx Data0 Routing", "RecombineLocation"), "POST_BITSYNC");
  EXPECT_NE(StateFile(0).find("SignalBandwidthMhz=2.500000000"), std::string::npos);
  EXPECT_NE(StateFile(0).find("FreqMhz=2250.500000000"), std::string::npos);

  // Saved under a name of the operator's, then the program closed through its window.
  dialogs_->AnswerFile(SetupsFolder() + "OPTEST.VexA");
  Trigger(*window, "MenuFileSaveAs");
  ASSERT_TRUE(std::filesystem::exists(SetupsFolder() + "OPTEST.VexA"));
  form_->close();
  RestartProgram();
  if (HasFatalFailure()) return;

  window = OpenCardWindow(0);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->LabelOperationalMode->text().toStdString(), "PSK PRE-D COMBINER");
  EXPECT_EQ(Read(*window, 1).SignalBw, "2.5000");
  EXPECT_EQ(Read(*window, 1).Frequency, combinedShown.Frequency);
  EXPECT_EQ(Read(*window, 1).DataRate, combinedShown.DataRate);
  EXPECT_EQ(Card0().PskRx_GetBitSyncStream1RateInbps(0), 5e6);
  EXPECT_EQ(Card0().PreD_GetSignalBandwidthInHz(), 2.5e6);
  EXPECT_EQ(Card0().PskRx_GetSignalRoutingRecombineLocation(0), "POST_BITSYNC");
  // The converters are tuned again, not only shown tuned.
  EXPECT_TRUE(Locked(*window));

  // Back to independent channels, a value changed; the recall brings back the saved setup.
  ASSERT_TRUE(ChooseMode(*window, "PSK-PSK INDEPENDENT"));
  dialogs_->AnswerInput("4000000");
  ClickValue(*OpenTab(*window->CommandPanel(0), "Rcvr"), "LabelDataRate1");
  EXPECT_EQ(Card0().PskRx_GetBitSyncStream1RateInbps(0), 4e6);
  dialogs_->AnswerQuestion(util::Answer::No);
  dialogs_->AnswerFile(SetupsFolder() + "OPTEST.VexA");
  Trigger(*window, "MenuFileRecall");
  ASSERT_TRUE(RunUntil([&] { return window->LabelOperationalMode->text() == QStringLiteral("PSK PRE-D COMBINER"); },
                       std::chrono::seconds(20)));
  Settle();
  EXPECT_EQ(Card0().PskRx_GetBitSyncStream1RateInbps(0), 5e6);
  EXPECT_EQ(Read(*window, 1).SignalBw, "2.5000");
  EXPECT_EQ(Read(*window, 1).DataRate, combinedShown.DataRate);
  EXPECT_TRUE(Locked(*window));
  EXPECT_EQ(set.Frequency, "2250.50");
  EXPECT_EQ(set.CarrierFreq, "70.00");
  EXPECT_EQ(set.Recombine, "POST_BITSYNC");
  EXPECT_TRUE(dialogs_->AllAnswered());
}

}  // namespace
}  // namespace operatortest
