// The personalities of a program folder prepared as run.sh prepares it, as the operator meets them
// at the first start: the PM and multi-h CPM cards come up in their own personalities and lock, the
// Modulation menu of their special channels keeps the card as it is, and each pre-detection mode
// combines as soon as "COMB" is chosen as channel 2's input, until the card leaves the mode.
#include <QToolButton>

#include <array>
#include <cstdlib>
#include <string>

#include "card/card_routines.h"
#include "card/kr20card.h"
#include "card/rtl20_manager.h"
#include "operator_fixture.h"
#include "settings/set_manager.h"
#include "support/ini_text.h"
#include "ui/cards/prepared_folder.h"

namespace operatortest {
namespace {

// A PM+PSK and a multi-h CPM+PSK card of the variant board (their channels on the converters), the
// standard board's PSK+PSK and the variant board's FM+FM; channel 2's signal is the weaker twin of
// channel 1's on the two last cards.
constexpr const char* kPreparedHardware =
    "[General]\nCards=4\nSeed=11\n"
    "[Card_0]\nChipVariant=YES\nFpgaMode=13\n"
    "IfInput1=70e6, -40, PM, 1e6, 14, NRZL\nIfInput2=70e6, -42, QPSK, 2e6, 13, NRZL\n"
    "[Card_1]\nChipVariant=YES\nFpgaMode=14\n"
    "IfInput1=70e6, -40, MHCPM, 5e6, 14, NRZL\nIfInput2=70e6, -42, SOQPSK_TG, 5e6, 13, NRZL\n"
    "[Card_2]\nChipVariant=NO\nFpgaMode=0\n"
    "IfInput1=70e6, -40, SOQPSK_TG, 5e6, 14, NRZL\nIfInput2=70e6, -45, SOQPSK_TG, 5e6, 12, NRZL\n"
    "[Card_3]\nChipVariant=YES\nFpgaMode=10\n"
    "IfInput1=70e6, -42, PCM_FM, 2e6, 13, NRZL\nIfInput2=70e6, -44, PCM_FM, 2e6, 11, NRZL\n"
    "[DownConverters]\nKr12Cards=1\nKr12Channels=2\nKr14Cards=1\nKr14Channels=2\n";

class PersonalityModesTest : public OperatorTest {
 protected:
  // The folder as run.sh prepares it for this virtual hardware (the script keeps it), started.
  void StartOnPreparedFolder() {
    namespace fs = std::filesystem;
    fs::create_directories(folder_.Path());
    ASSERT_TRUE(testsupport::WriteWholeFile(folder_ / "VirtualHardware.cfg", kPreparedHardware));
    prepared_ = uitest::PrepareFolderAsRunShDoes(folder_.Path());
    ASSERT_FALSE(HasFailure());
    ASSERT_TRUE(fs::exists(folder_ / "SYSTEM/HARDWARECONFIGURATION/Kr20LastState.last0")) << prepared_;
    for (int card = 0; card < 2; ++card) startStates_[static_cast<std::size_t>(card)] = StateFile(card);
    StartProgram();
  }

  // Both channels locked: bit syncs as the status panels show them; the PM receiver, which has no
  // bit sync, by its carrier (the card's status strip lamp).
  bool BothLocked(TSetupMainGuiForm& window, int card) {
    return RunUntil(
        [&] {
          for (int channel = 0; channel < 2; ++channel) {
            const bool pm = card::IsPmChannel(card, channel);
            if (pm && gKr20SetMgr->StatusRecord(card, channel).Receiver.CarrierLocked == 0) return false;
            if (!pm && window.StatusPanel(channel)->LabelBsLock1->text() != QStringLiteral("Lock")) return false;
          }
          return true;
        },
        std::chrono::seconds(20));
  }
  std::string Locks(TSetupMainGuiForm& window, int card) {
    std::string text;
    for (int channel = 0; channel < 2; ++channel) {
      text += "CH " + std::to_string(channel + 1) + ": carrier " +
              std::to_string(int{gKr20SetMgr->StatusRecord(card, channel).Receiver.CarrierLocked}) + ", bit sync " +
              window.StatusPanel(channel)->LabelBsLock1->text().toStdString() + "; ";
    }
    return text;
  }

  static double EbNo(TSetupMainGuiForm& window, int channel) {
    return std::atof(window.StatusPanel(channel)->LabelEbNo1->text().toStdString().c_str());
  }

  static std::string ModeShown(TSetupMainGuiForm& window) { return window.LabelOperationalMode->text().toStdString(); }

  std::string prepared_;
  std::array<std::string, 2> startStates_;  // the PM and multi-h cards' start setups, as written
};

TEST_F(PersonalityModesTest, PmAndMultiHCardsKeepTheirPersonalityAndLockFromTheFirstStart) {
  StartOnPreparedFolder();
  if (HasFatalFailure()) return;
  // The start setups keep each card's personality.
  EXPECT_EQ(testsupport::IniTextValue(startStates_[0], "Stream Route Info", "FpgaMasterMode"), "13") << startStates_[0];
  EXPECT_EQ(testsupport::IniTextValue(startStates_[1], "Stream Route Info", "FpgaMasterMode"), "14") << startStates_[1];
  EXPECT_EQ(card::CardFpgaMode(0), 13);
  EXPECT_EQ(card::CardFpgaMode(1), 14);

  // The multi-h CPM channel: its Modulation menu offers its own modulation; choosing it keeps the
  // card as it is, the other channel's modulation too.
  TSetupMainGuiForm* window = OpenCardWindow(1);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(ModeShown(*window), "MH-PSK PRE-D COMBINER");
  EXPECT_TRUE(BothLocked(*window, 1)) << Locks(*window, 1);
  card::FpgaLoadState before = gRtl20Mgr->LoadState(1);
  setup::SetupPage* rcvr = OpenTab(*window->CommandPanel(0), "Rcvr");
  ASSERT_NE(rcvr, nullptr);
  dialogs_->AnswerMenu("MH_CPM");
  EXPECT_EQ(ClickValue(*rcvr, "LabelModulation1"), "MH_CPM");
  Settle();
  EXPECT_EQ(card::CardFpgaMode(1), 14);
  EXPECT_EQ(std::int32_t{gRtl20Mgr->LoadState(1).LastFpgaMode}, std::int32_t{before.LastFpgaMode});
  EXPECT_EQ(ModeShown(*window), "MH-PSK PRE-D COMBINER");
  EXPECT_EQ(ValueText(*OpenTab(*window->CommandPanel(1), "Rcvr"), "LabelModulation1"), "SOQPSK_TG");
  EXPECT_TRUE(BothLocked(*window, 1)) << Locks(*window, 1);

  // The PM channel shows no Modulation row; with both channels controlled, the PSK channel's choice
  // is not carried over to it.
  window = OpenCardWindow(0);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(ModeShown(*window), "PM-PSK INDEPENDENT");
  EXPECT_TRUE(BothLocked(*window, 0)) << Locks(*window, 0);
  EXPECT_EQ(ValueText(*OpenTab(*window->CommandPanel(0), "Rcvr"), "LabelModulation1"), "<not shown>");
  before = gRtl20Mgr->LoadState(0);
  Click(window->SpeedButtonControlBothChannels);
  ASSERT_EQ(config::gApp.gControlBothChannels.load(), 1);
  dialogs_->AnswerMenu("QPSK");
  EXPECT_EQ(ClickValue(*OpenTab(*window->CommandPanel(1), "Rcvr"), "LabelModulation1"), "QPSK");
  Click(window->SpeedButtonControlBothChannels);
  Settle();
  EXPECT_EQ(card::CardFpgaMode(0), 13);
  EXPECT_EQ(std::int32_t{gRtl20Mgr->LoadState(0).LastFpgaMode}, std::int32_t{before.LastFpgaMode});
  EXPECT_EQ(ModeShown(*window), "PM-PSK INDEPENDENT");
  EXPECT_TRUE(BothLocked(*window, 0)) << Locks(*window, 0);
  EXPECT_TRUE(dialogs_->AllAnswered());
}

TEST_F(PersonalityModesTest, EachPreDModeCombinesAsSoonAsCombIsChosenAndStopsWhenLeft) {
  StartOnPreparedFolder();
  if (HasFatalFailure()) return;
  struct Row {
    int Card;
    const char* Independent;
    const char* PreD;
  };
  for (const Row& row : {Row{2, "PSK-PSK INDEPENDENT", "PSK PRE-D COMBINER"}, Row{3, "FM-FM INDEPENDENT", "FM PRE-D COMBINER"}}) {
    SCOPED_TRACE("card " + std::to_string(row.Card + 1));
    TSetupMainGuiForm* window = OpenCardWindow(row.Card);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(ModeShown(*window), row.Independent);
    ASSERT_TRUE(BothLocked(*window, row.Card)) << Locks(*window, row.Card);
    Settle(std::chrono::milliseconds(1500));
    const double own1 = EbNo(*window, 0);
    const double own2 = EbNo(*window, 1);
    card::kr20cardclass& card = *gRtl20Mgr->Card(row.Card);

    ASSERT_TRUE(ChooseMode(*window, row.PreD)) << ModeShown(*window);
    setup::SetupPage* signal = OpenTab(*window->CommandPanel(1), "Signal");
    ASSERT_NE(signal, nullptr);
    dialogs_->AnswerMenu("COMB");
    EXPECT_EQ(ClickValue(*signal, "LabelRxInputSource"), "COMB");
    const bool combined = RunUntil([&] { return EbNo(*window, 1) > std::max(own1, own2) + 1.0; }, std::chrono::seconds(10));
    EXPECT_TRUE(combined) << "CH 2 shows Eb/No " << EbNo(*window, 1) << " dB; the channels alone " << own1 << " and "
                          << own2;

    // Leaving the mode gives channel 2 its own input back, on the card.
    ASSERT_TRUE(ChooseMode(*window, row.Independent)) << ModeShown(*window);
    const std::string own = row.Card == 3 ? card.FmRx_GetReceiverInputSourceMode(1) : card.PskRx_GetReceiverInputSourceMode(1);
    EXPECT_EQ(own, "IF_INPUT2");
    const bool separate = RunUntil([&] { return EbNo(*window, 1) < std::max(own1, own2) + 0.5; }, std::chrono::seconds(10));
    EXPECT_TRUE(separate) << "CH 2 shows Eb/No " << EbNo(*window, 1) << " dB";
  }
  EXPECT_TRUE(dialogs_->AllAnswered());
}

}  // namespace
}  // namespace operatortest
