// The whole program: the hardware dialog accepted while card windows and strips are open, the
// cards closed and reopened for a new count, or the program restarted for a simulation change.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>

#include "card/card_routines.h"
#include "card/hwcfg_manager.h"
#include "card/rtl20_manager.h"
#include "config/globals.h"
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

}  // namespace
}  // namespace uitest
