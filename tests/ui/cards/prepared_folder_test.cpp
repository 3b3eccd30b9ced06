// The program folder run.sh prepares, as a newcomer first starts it: the two virtual cards come up
// tuned to the converters' RF carrier, at their signals' data rates, with every bit sync locked,
// and the kept-file checks find nothing to say about the state they start from. Preparing the
// folder again keeps the state the operator has made since.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QLabel>
#include <QTabWidget>

#include <array>
#include <cmath>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "card/rtl20_manager.h"
#include "config/globals.h"
#include "settings/last_setup.h"
#include "settings/set_manager.h"
#include "support/log_capture.h"
#include "ui/cards/card_windows.h"
#include "ui/cards/setup_main_gui_form.h"
#include "ui/displays/setup_main_status_form.h"
#include "ui/cards/prepared_folder.h"
#include "ui/main_form_fixture.h"
#include "ui/setup/setup_main_setup_form.h"
#include "util/number_text.h"

namespace uitest {
namespace {

constexpr const char* kStateFolder = "SYSTEM/HARDWARECONFIGURATION/";

class PreparedFolderTest : public MainFormTest {
 protected:
  void Prepare() {
    prepareOutput_ = PrepareFolderAsRunShDoes(folder_.Path());
    ASSERT_FALSE(HasFailure());
  }

  std::string StateFile(const std::string& name) const { return folder_ / (std::string(kStateFolder) + name); }

  // The card's window as the operator opens it from the card's menu.
  TSetupMainGuiForm* Open(int card) {
    ui::ShowSetupMainGuiForm(card, form_.get());
    QCoreApplication::processEvents();
    return config::gApp.CardSetupForms[static_cast<std::size_t>(card)];
  }

  static std::string Text(const QWidget* panel, const char* name) {
    const auto* label = panel->findChild<QLabel*>(QString::fromLatin1(name));
    if (label == nullptr) return "<none>";
    if (!label->isVisible() || label->width() <= 0 || label->height() <= 0) return "<hidden>";
    return label->text().toStdString();
  }

  std::string prepareOutput_;
};

TEST_F(PreparedFolderTest, TheFirstStartShowsEveryReceiverTunedAtItsRateAndLocked) {
  Prepare();
  if (HasFatalFailure()) return;
  for (const char* name : {"Kr20LastState.last", "Kr20LastState.last0", "Kr20LastState.last1"}) {
    EXPECT_TRUE(std::filesystem::exists(StateFile(name))) << name << "\n" << prepareOutput_;
  }
  StartProgram();
  if (HasFatalFailure()) return;

  // The state the program started from passed its checks whole: no line about it, no key missing.
  for (const std::string& line : LogTexts()) {
    EXPECT_EQ(line.find("Kr20LastState"), std::string::npos) << line;
    EXPECT_EQ(line.find("keys missing"), std::string::npos) << line;
  }

  const std::array<const char*, 2> rates{"5.000", "2.000"};
  for (int card = 0; card < 2; ++card) {
    TSetupMainGuiForm* window = Open(card);
    ASSERT_NE(window, nullptr);
    for (int channel = 0; channel < 2; ++channel) {
      SCOPED_TRACE("card " + std::to_string(card) + " channel " + std::to_string(channel));
      const settings::ChannelStatusRecord& status = gKr20SetMgr->StatusRecord(card, channel);
      const double tunedMhz = status.DnCvt.TunedFreqMhz;  // a packed record: read by value
      EXPECT_EQ(tunedMhz, 2250.5);
      const QWidget* statusPanel = window->StatusPanel(channel);
      const QWidget* setupPanel = window->CommandPanel(channel);
      ASSERT_NE(statusPanel, nullptr);
      ASSERT_NE(setupPanel, nullptr);
      const bool locked = RunUntil(
          [&] { return status.BitSync1.Locked == 1 && Text(statusPanel, "LabelBsLock1") == "Lock"; },
          std::chrono::seconds(20));
      EXPECT_TRUE(locked) << Text(statusPanel, "LabelBsLock1");
      EXPECT_EQ(Text(statusPanel, "LabelBsLock1"), "Lock");
      EXPECT_EQ(Text(setupPanel, "LabelTunedFreqMhz1"), "2250.50");
      EXPECT_EQ(Text(setupPanel, "LabelDataRate1"), rates[static_cast<std::size_t>(card)]);
    }
  }
}

// The PCM/FM card of the prepared folder (2 Mb/s on both channels): the automatic tracking-loop
// adjustment follows the measured spread of the carrier, which lies between the bit-rate-based
// suggestion (0.1 % of the rate, 2 kHz) and the default span (5 %, 100 kHz); the Signal page
// shows the card's loop in kHz.
TEST_F(PreparedFolderTest, ThePcmFmTrackingLoopTakesASensibleMeasuredSpread) {
  Prepare();
  if (HasFatalFailure()) return;
  StartProgram();
  if (HasFatalFailure()) return;
  TSetupMainGuiForm* window = Open(1);
  ASSERT_NE(window, nullptr);
  const settings::ChannelStatusRecord& status = gKr20SetMgr->StatusRecord(1, 0);
  const auto spreadHz = [&status] {
    const double highest = status.Receiver.HighestSignalFreqHz;  // a packed record: read by value
    const double lowest = status.Receiver.LowestSignalFreqHz;
    return highest - lowest;
  };
  const auto trackHz = [] {
    const double hz = gRtl20Mgr->Card(1)->Setup().Receiver[0].CarrierTrkLoopBandwidthHz;
    return hz;
  };
  auto* tabs = window->CommandPanel(0)->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
  ASSERT_NE(tabs, nullptr);
  for (int index = 0; index < tabs->count(); ++index) {
    if (tabs->tabText(index) == QStringLiteral("Signal")) tabs->setCurrentIndex(index);
  }
  ASSERT_EQ(tabs->tabText(tabs->currentIndex()).toStdString(), "Signal");
  const QWidget* page = tabs->currentWidget();
  // Once the carrier has been read a while, the loop is within the adjustment's step of the spread
  // and the page shows it. The spread of the first few readings is still narrow, so the loop is
  // waited for until it has passed the suggestion's lower end.
  const bool followed = RunUntil(
      [&] {
        const std::string shown = Text(page, "LabelRxTrackLoopBw");
        return status.Receiver.CarrierLocked == 1 && spreadHz() > 0.0 && trackHz() > 0.001 * 2e6 &&
               std::fabs(trackHz() - spreadHz()) < 1000.0 && shown == util::FloatToFixedText(12, 2, trackHz() * 0.001);
      },
      std::chrono::seconds(20));
  EXPECT_TRUE(followed) << Text(page, "LabelRxTrackLoopBw") << " " << trackHz() << " " << spreadHz();
  EXPECT_GT(trackHz(), 0.001 * 2e6);
  EXPECT_LT(trackHz(), 0.05 * 2e6);
  EXPECT_EQ(Text(page, "LabelRxTrackLoopBwCaption"), "Carrier Trk LBW (kHz)");
}

TEST_F(PreparedFolderTest, PreparingAgainKeepsTheOperatorsState) {
  Prepare();
  if (HasFatalFailure()) return;
  StartProgram();
  if (HasFatalFailure()) return;
  // The operator tunes channel A of card 1 elsewhere; the change goes into the last state.
  gKr20SetMgr->SetTunedFreq(0, 0, 2251.0);
  settings::SaveLastSetupStateIfEnabled();
  QCoreApplication::processEvents();
  const std::vector<std::string> names{"Kr20LastState.last", "Kr20LastState.last0", "Kr20LastState.last1"};
  std::vector<std::string> before;
  for (const std::string& name : names) before.push_back(testsupport::ReadWholeFile(StateFile(name)));
  ASSERT_NE(before[1].find("FreqMhz=2251.000000000"), std::string::npos) << before[1];

  Prepare();
  if (HasFatalFailure()) return;
  EXPECT_NE(prepareOutput_.find("has a last state or last setup already; kept"), std::string::npos) << prepareOutput_;
  for (std::size_t i = 0; i < names.size(); ++i) {
    const bool same = testsupport::ReadWholeFile(StateFile(names[i])) == before[i];
    EXPECT_TRUE(same) << names[i] << " was written over";
  }

  RestartProgram();
  if (HasFatalFailure()) return;
  const double tunedA = gKr20SetMgr->StatusRecord(0, 0).DnCvt.TunedFreqMhz;
  const double tunedB = gKr20SetMgr->StatusRecord(0, 1).DnCvt.TunedFreqMhz;
  EXPECT_EQ(tunedA, 2251.0);
  EXPECT_EQ(tunedB, 2250.5);
}

}  // namespace
}  // namespace uitest
