// The whole program: the hardware dialog accepted while card windows and strips are open, the
// cards closed and reopened for a new count, or the program restarted for a simulation change.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>

#include "card/card_routines.h"
#include "card/dncvt_manager.h"
#include "card/hwcfg_manager.h"
#include "card/rtl20_manager.h"
#include "config/globals.h"
#include "settings/last_setup.h"
#include "settings/set_manager.h"
#include "support/log_capture.h"
#include "support/scripted_dialogs.h"
#include "ui/cards/card_windows.h"
#include "ui/cards/main_status_bar_form.h"
#include "ui/cards/setup_main_gui_form.h"
#include "ui/dialogs/hw_config_editor_dlg.h"
#include "ui/modal_driver.h"
#include "ui/main_form_fixture.h"
#include "util/process_globals.h"

namespace uitest {
namespace {

class HardwareChangeTest : public MainFormTest {
 protected:
  // The operator sets the number of simulated receiver cards and accepts.
  void ScriptSimulatedCards(int cards) {
    dialogs_->AnswerMenu(std::string("Num KR-20 Cards to Simulate"));
    dialogs_->AnswerInput(std::to_string(cards));
    WhenShown<TVexaHwCfgMgrEditorDlg>("VexaHwCfgMgrEditorDlg", [](TVexaHwCfgMgrEditorDlg& d) {
      d.ShowSimulatePopup();
      d.findChild<QPushButton*>("ButtonAcceptEnables")->click();
      d.findChild<QPushButton*>("OKBtn")->click();
    });
  }

  std::string Kr20Marker() const {
    return testsupport::ReadWholeFile(folder_ / "SYSTEM/HARDWARECONFIGURATION/Kr20_Dll.SIM");
  }

  // The windows and strips of exactly `cards` cards, the card windows shown.
  void ExpectCards(int cards) {
    EXPECT_EQ(gRtl20Mgr->CardCount(), cards);
    for (int card = 0; card < config::kMaxCards; ++card) {
      SCOPED_TRACE(card);
      const bool present = card < cards;
      EXPECT_EQ(gRtl20Mgr->Card(card) != nullptr, present);
      EXPECT_EQ(form_->StatusBar(card) != nullptr, present);
      TSetupMainGuiForm* window = config::gApp.CardSetupForms[static_cast<std::size_t>(card)];
      EXPECT_EQ(window != nullptr, present);
      if (window != nullptr) {
        EXPECT_TRUE(window->isVisible());
      }
    }
    EXPECT_TRUE(form_->StartupBegun());
    EXPECT_TRUE(form_->CardTasksEnabled());
  }

  testsupport::ScopedScriptedDialogs dialogs_;
};

TEST_F(HardwareChangeTest, CardsFollowTheNewCountAndBack) {
  PrepareProgramFolder(2, true);
  StartProgram();
  ui::ShowSetupMainGuiForm(0, form_.get());
  ui::ShowSetupMainGuiForm(1, form_.get());
  RunUntil([] { return false; }, std::chrono::milliseconds(500));
  ExpectCards(2);
  // The operator's setup of a card that stays comes back with it.
  card::SetCardDesignation(0, "GROUND A");

  ScriptSimulatedCards(1);
  EXPECT_EQ(ui::RunHardwareDialog(*form_), ui::HardwareDialogResult::Reopened);
  ExpectCards(1);
  EXPECT_EQ(Kr20Marker(), "[Simulation]\r\nCount=1\r\n");
  EXPECT_EQ(card::CardDesignationName(0), "GROUND A");
  // The timer works on the one card; nothing reads the card that went.
  RunUntil([] { return false; }, std::chrono::milliseconds(1500));
  ExpectCards(1);
  // The status the windows and the datagrams read of the card that went is blank.
  for (int channel = 0; channel < 2; ++channel) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(&gKr20SetMgr->StatusRecord(1, channel));
    EXPECT_TRUE(std::all_of(bytes, bytes + sizeof(settings::ChannelStatusRecord), [](unsigned char b) { return b == 0; }));
    const int spectrumCount = gKr20SetMgr->DisplayBlock(1, channel).SpectrumCount;
    EXPECT_EQ(spectrumCount, 0);
  }

  ScriptSimulatedCards(2);
  EXPECT_EQ(ui::RunHardwareDialog(*form_), ui::HardwareDialogResult::Reopened);
  // The second card's window was open before, so it comes back with its card.
  ExpectCards(2);
  EXPECT_EQ(Kr20Marker(), "[Simulation]\r\nCount=2\r\n");
  RunUntil([] { return false; }, std::chrono::milliseconds(1500));
  ExpectCards(2);
  // The configuration file keeps the new count.
  EXPECT_NE(testsupport::ReadWholeFile(quorxhwcfgmgrclass::ConfigFilePath()).find("NumToSimulate=2"), std::string::npos);
  EXPECT_TRUE(dialogs_->AllAnswered());
}

// Holds back the window messages posted to the main window, so that the test sees them arrive
// without the program ending this test process's message loops.
class MessageCatcher final : public QObject {
 public:
  int caught = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() < QEvent::User) return false;
    ++caught;
    return true;
  }
};

TEST_F(HardwareChangeTest, SimulationChangeRestartsTheProgram) {
  PrepareProgramFolder(2, true);
  StartProgram();
  ui::ShowSetupMainGuiForm(0, form_.get());
  WhenShown<TVexaHwCfgMgrEditorDlg>("VexaHwCfgMgrEditorDlg", [](TVexaHwCfgMgrEditorDlg& d) {
    d.findChild<QCheckBox*>("CheckBoxKr20Sim")->click();
    d.findChild<QPushButton*>("ButtonAcceptEnables")->click();
    d.findChild<QPushButton*>("OKBtn")->click();
  });
  EXPECT_EQ(ui::RunHardwareDialog(*form_), ui::HardwareDialogResult::Restarting);
  ASSERT_EQ(dialogs_->Messages().size(), 2u);
  EXPECT_EQ(dialogs_->Messages()[0].text, "You need to restart the application for this to take affect");
  EXPECT_EQ(dialogs_->Messages()[1].text,
            "You have changed the simulation mode of the KR-20.\nYou must restart the application now.");
  // The marker is gone; the cards are closed until the new copy opens them.
  EXPECT_FALSE(std::filesystem::exists(folder_ / "SYSTEM/HARDWARECONFIGURATION/Kr20_Dll.SIM"));
  EXPECT_EQ(gRtl20Mgr->CardCount(), 0);
  EXPECT_EQ(form_->StatusBar(0), nullptr);
  EXPECT_EQ(config::gApp.CardSetupForms[0], nullptr);
  EXPECT_FALSE(form_->StartupBegun());
  // The restart message (18763) is on its way; its handler is tested with the main window.
  MessageCatcher catcher;
  form_->installEventFilter(&catcher);
  RunUntil([] { return false; }, std::chrono::milliseconds(300));
  form_->removeEventFilter(&catcher);
  EXPECT_EQ(catcher.caught, 1);
  // Closing now leaves the last setup as it was.
  form_->CloseProgram();
  const std::vector<std::string> texts = LogTexts();
  EXPECT_EQ(std::find(texts.begin(), texts.end(), "   SaveLastSetupFile"), texts.end());
  EXPECT_NE(std::find(texts.begin(), texts.end(), "   SaveConfigFile"), texts.end());
}

// Receiver-card simulation switched on and off again through the dialog, each time accepted, the
// restart box answered and the program restarting itself: the run on one simulated card writes a
// card list of one, and the next start on the six cards still brings cards 2 to 6 back as the
// operator left them, and keeps them so in their files.
TEST_F(HardwareChangeTest, SimulationOnAndOffAgainKeepsEveryCardsSetup) {
  PrepareProgramFolder(6);
  const std::string script = folder_ / ui::kRestartScript;
  ASSERT_TRUE(testsupport::WriteWholeFile(script, "#!/bin/sh\necho restarted >> restarted.txt\n"));
  std::filesystem::permissions(script, std::filesystem::perms::owner_all);
  const auto restarts = [this] {
    const std::string text = testsupport::ReadWholeFile(folder_ / "restarted.txt");
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
  };
  // The dialog with the simulation box clicked, then the restart the program asks for.
  const auto toggleSimulation = [&](int restartsBefore) {
    SCOPED_TRACE(testing::Message() << "simulation change " << restartsBefore + 1);
    WhenShown<TVexaHwCfgMgrEditorDlg>("VexaHwCfgMgrEditorDlg", [](TVexaHwCfgMgrEditorDlg& d) {
      QCheckBox* simulated = d.findChild<QCheckBox*>("CheckBoxKr20Sim");
      const bool before = simulated->isChecked();
      simulated->click();
      EXPECT_NE(simulated->isChecked(), before);
      d.findChild<QPushButton*>("ButtonAcceptEnables")->click();
      d.findChild<QPushButton*>("OKBtn")->click();
    });
    ASSERT_TRUE(gHwCfgMgr != nullptr && gRtl20Mgr != nullptr && gDnCvtMgr != nullptr);
    ASSERT_EQ(ui::RunHardwareDialog(*form_), ui::HardwareDialogResult::Restarting);
    ASSERT_TRUE(RunUntil([&] { return restarts() == restartsBefore + 1; }, std::chrono::seconds(20)));
    ASSERT_TRUE(util::ClosingFlag.load());
    // The old copy ended its message loop; the new one starts with a loop of its own (here: the
    // quit is taken back by running the application's loop once).
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
    RestartProgram();
  };
  const std::string stateList = folder_ / "SYSTEM/HARDWARECONFIGURATION/Kr20LastState.last";

  StartProgram();
  ASSERT_EQ(gRtl20Mgr->CardCount(), 6);
  const auto setup = [](int card) -> card::CardSetupRecord& { return gRtl20Mgr->Card(card)->Setup(); };
  gKr20SetMgr->SetDataRate(1, 0, 5000000);
  gKr20SetMgr->SetBitsyncLoopWidth(1, 0, 0.25);
  setup(1).Receiver[0].StreamControlS1Only = 1;
  gKr20SetMgr->SetDataRate(5, 1, 3000000);
  ASSERT_TRUE(settings::SaveLastSetupStateFile());
  const auto expectOperatorsSetups = [&setup] {
    // Copies: the record is packed.
    const std::int32_t rate = setup(1).Receiver[0].BitSync[0].Bitrate;
    const double loopWidth = setup(1).Receiver[0].BitSync[0].TrkLoopBandwidthPct;
    const int streamControl = setup(1).Receiver[0].StreamControlS1Only;
    const std::int32_t rate6 = setup(5).Receiver[1].BitSync[0].Bitrate;
    EXPECT_EQ(rate, 5000000);
    EXPECT_EQ(loopWidth, 0.25);
    EXPECT_EQ(streamControl, 1);
    EXPECT_EQ(rate6, 3000000);
  };
  expectOperatorsSetups();

  toggleSimulation(0);
  if (HasFatalFailure()) return;
  ASSERT_EQ(gRtl20Mgr->CardCount(), 1);
  // A setting on the simulated card saves the state of the one card there is.
  gKr20SetMgr->SetDataRate(0, 0, 2000000);
  ASSERT_TRUE(settings::SaveLastSetupStateFile());
  ASSERT_EQ(testsupport::ReadWholeFile(stateList).rfind("[KR20_CommonArea]\r\nNumKr20Cards=1\r\n", 0), 0u);

  toggleSimulation(1);
  if (HasFatalFailure()) return;
  ASSERT_EQ(gRtl20Mgr->CardCount(), 6);
  expectOperatorsSetups();
  // Closed and started again, they come back from their files.
  form_->CloseProgram();
  RestartProgram();
  ASSERT_EQ(gRtl20Mgr->CardCount(), 6);
  expectOperatorsSetups();
}

}  // namespace
}  // namespace uitest
