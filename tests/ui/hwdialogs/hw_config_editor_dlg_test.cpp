// The hardware-configuration dialog on virtual cards and converters, with scripted prompts and
// popup menus.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "card/dncvt_manager.h"
#include "card/hwcfg_manager.h"
#include "card/rtl20_manager.h"
#include "card/sim_markers.h"
#include "config/globals.h"
#include "support/log_capture.h"
#include "support/scripted_dialogs.h"
#include "ui/cards/main_status_bar_form.h"
#include "ui/dialogs/hw_config_editor_dlg.h"
#include "ui/modal_driver.h"
#include "ui/main_form_fixture.h"

namespace uitest {
namespace {

using card::kHwCfgKr12;
using card::kHwCfgKr14;
using card::kHwCfgKr20;

// Two receiver cards, two Kr12 radios and one two-channel Kr14: four converters.
constexpr const char* kCardsAndConverters =
    "[General]\nCards=2\nSeed=3\n[DownConverters]\nKr12Cards=2\nKr12Channels=1\nKr14Cards=1\nKr14Channels=2\n";
constexpr const char* kKr12a = "KR-12P2 Card 1 Ch 1";
constexpr const char* kKr12b = "KR-12P2 Card 2 Ch 1";
constexpr const char* kKr14a = "KR-14P3 Card 1 Ch 1";
constexpr const char* kKr14b = "KR-14P3 Card 1 Ch 2";

bool HasLine(const std::vector<std::string>& texts, const std::string& text) {
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

class HwConfigEditorDlgTest : public MainFormTest {
 protected:
  void Start(const char* hardware = kCardsAndConverters) {
    PrepareProgramFolder(2, false, hardware);
    StartProgram();
    dialog_ = std::make_unique<TVexaHwCfgMgrEditorDlg>(nullptr, *gHwCfgMgr, *gRtl20Mgr, *gDnCvtMgr);
  }

  // Copies out of the packed records (no reference to a packed member).
  int Slot(int card, int channel) const {
    return dialog_->State().CardSets[static_cast<std::size_t>(card)].DnCvtIndex[channel];
  }
  int Count(int card) const { return dialog_->State().CardSets[static_cast<std::size_t>(card)].NumDnCvts; }

  std::string Panel(int row, int channel) const { return dialog_->CardPanel(row, channel)->text().toStdString(); }
  QPushButton* Button(const char* name) const { return dialog_->findChild<QPushButton*>(name); }
  QCheckBox* Box(const char* name) const { return dialog_->findChild<QCheckBox*>(name); }
  std::string MarkerText(const char* file) const {
    return testsupport::ReadWholeFile(folder_ / ("SYSTEM/HARDWARECONFIGURATION/" + std::string(file)));
  }
  std::vector<std::string> PopupCaptions() const {
    std::vector<std::string> captions;
    for (const QAction* action : dialog_->PopupMenuDnCvt()->actions()) captions.push_back(action->text().toStdString());
    return captions;
  }

  testsupport::ScopedScriptedDialogs dialogs_;
  std::unique_ptr<TVexaHwCfgMgrEditorDlg> dialog_;
};

TEST_F(HwConfigEditorDlgTest, OpensWithTheManagersState) {
  Start();
  dialog_->BeginExecute();
  const ui::HwCfgEditState& state = dialog_->State();
  EXPECT_EQ(dialog_->windowTitle(), "Hardware Configuration");
  EXPECT_EQ(state.DetectedKr20, 2);
  EXPECT_EQ(state.NumSystemCards, 2);
  EXPECT_EQ(state.DetectedKr12, 2);
  EXPECT_EQ(state.DetectedKr14, 1);
  // Kr14 not simulated: two channels per card.
  EXPECT_EQ(state.Kr12Channels, 2);
  EXPECT_EQ(state.Kr14Channels, 2);
  EXPECT_EQ(state.NumDnCvts, 4);
  EXPECT_EQ(PopupCaptions(), (std::vector<std::string>{kKr12a, kKr12b, kKr14a, kKr14b, "NOT USED"}));
  EXPECT_EQ(Panel(0, 0), kKr12a);
  EXPECT_EQ(Panel(0, 1), kKr12b);
  EXPECT_EQ(Panel(1, 0), kKr14a);
  EXPECT_EQ(Panel(1, 1), kKr14b);
  EXPECT_FALSE(dialog_->CardPanel(2, 0)->isVisibleTo(dialog_.get()));
  EXPECT_TRUE(dialog_->CardPanel(1, 1)->isVisibleTo(dialog_.get()));
  EXPECT_EQ(dialog_->findChild<QLabel*>("LabelDetectedKr12V2")->text(), "2");
  EXPECT_EQ(dialog_->findChild<QLabel*>("LabelDetectedKr14V3")->text(), "1");
  EXPECT_TRUE(Button("OKBtn")->isVisibleTo(dialog_.get()));
  EXPECT_FALSE(Button("ButtonAcceptEnables")->isVisibleTo(dialog_.get()));
  // Accepting untouched changes nothing.
  EXPECT_FALSE(dialog_->EndExecute(true));
}

// Any change of the enables closes the assignments and hides "Accept" until "Accept Enables".
TEST_F(HwConfigEditorDlgTest, EnablesGateTheAssignments) {
  Start();
  dialog_->BeginExecute();
  auto* assignments = dialog_->findChild<QGroupBox*>("PageAssignments");
  Box("CheckBoxKr12Enable")->click();
  EXPECT_FALSE(dialog_->EnablesAccepted());
  EXPECT_FALSE(assignments->isEnabled());
  EXPECT_FALSE(Button("OKBtn")->isVisibleTo(dialog_.get()));
  EXPECT_TRUE(Button("ButtonAcceptEnables")->isVisibleTo(dialog_.get()));
  // Kr12 off: only the Kr14 channels remain; the panels of converters gone say so.
  EXPECT_EQ(dialog_->State().NumDnCvts, 2);
  EXPECT_EQ(PopupCaptions(), (std::vector<std::string>{kKr14a, kKr14b, "NOT USED"}));
  // A card panel does nothing while the gate is shut.
  dialog_->PanelCardClick(0, 0);
  EXPECT_TRUE(dialogs_->MenuRequests().empty());
  // Not accepted through a way around the hidden button either.
  EXPECT_FALSE(dialog_->EndExecute(true));
  dialog_->BeginExecute();
  Box("CheckBoxKr12Enable")->click();
  Button("ButtonAcceptEnables")->click();
  EXPECT_TRUE(dialog_->EnablesAccepted());
  EXPECT_TRUE(assignments->isEnabled());
  EXPECT_TRUE(Button("OKBtn")->isVisibleTo(dialog_.get()));
  EXPECT_FALSE(Button("ButtonAcceptEnables")->isVisibleTo(dialog_.get()));
  EXPECT_TRUE(dialog_->EndExecute(true));
  EXPECT_FALSE(dialog_->SimulationChanged());
}

TEST_F(HwConfigEditorDlgTest, AssigningAUsedConverterMovesIt) {
  Start();
  dialog_->BeginExecute();
  dialogs_->AnswerMenu(std::string(kKr14b));
  QTest::mouseClick(dialog_->CardPanel(0, 0), Qt::LeftButton);
  ASSERT_EQ(dialogs_->MenuRequests().size(), 1u);
  EXPECT_EQ(dialogs_->MenuRequests()[0].menuName, "PopupMenuDnCvt");
  EXPECT_EQ(Panel(0, 0), kKr14b);
  EXPECT_EQ(Panel(1, 1), "NOT USED");
  EXPECT_EQ(Slot(0, 0), 3);
  EXPECT_EQ(Count(0), 2);
  EXPECT_EQ(Slot(1, 1), -1);
  EXPECT_EQ(Count(1), 1);
  // "NOT USED" frees the channel.
  dialogs_->AnswerMenu(std::string("NOT USED"));
  dialog_->PanelCardClick(0, 1);
  EXPECT_EQ(Panel(0, 1), "NOT USED");
  EXPECT_EQ(Count(0), 1);
  // No converter is on two channels.
  std::vector<int> used;
  for (const card::HwCfgCardSetRecord& record : dialog_->State().CardSets) {
    for (int ch = 0; ch < 2; ++ch) {
      const int slot = record.DnCvtIndex[ch];
      if (slot >= 0) used.push_back(slot);
    }
  }
  std::sort(used.begin(), used.end());
  EXPECT_EQ(std::adjacent_find(used.begin(), used.end()), used.end());
  // Set Defaults puts them back in order, two per card.
  Button("ButtonSetDefaults")->click();
  EXPECT_EQ(Panel(0, 0), kKr12a);
  EXPECT_EQ(Panel(0, 1), kKr12b);
  EXPECT_EQ(Panel(1, 0), kKr14a);
  EXPECT_EQ(Panel(1, 1), kKr14b);
  // Assignments alone: accepted, no simulation change.
  EXPECT_TRUE(dialog_->EndExecute(true));
  EXPECT_FALSE(dialog_->SimulationChanged());
}

TEST_F(HwConfigEditorDlgTest, SimulatedCountsAndMarkerFiles) {
  Start();
  dialog_->BeginExecute();
  Box("CheckBoxKr14V3Sim")->click();
  dialogs_->AnswerMenu(std::string("Num KR-14P3 Channels to Simulate"));
  dialogs_->AnswerInput(std::string("9"));
  dialog_->ShowSimulatePopup();
  ASSERT_EQ(dialogs_->Queries().size(), 1u);
  EXPECT_EQ(dialogs_->Queries()[0].title, "Enter Number of KR-14P3 Radios if simulating hardware");
  EXPECT_EQ(dialogs_->MenuRequests().at(0).menuName, "PopupMenuSimulate");
  Button("ButtonAcceptEnables")->click();
  EXPECT_EQ(dialog_->State().Kr14Channels, 9);
  EXPECT_EQ(dialog_->State().NumDnCvts, 11);
  EXPECT_EQ(dialog_->findChild<QLabel*>("LabelSimKr14v3")->text(), "9");
  dialog_->WriteSimulationFiles();
  EXPECT_EQ(MarkerText(card::kKr14SimMarkerFile), "[Simulation]\r\nCount=4\r\n");
  EXPECT_FALSE(std::filesystem::exists(folder_ / "SYSTEM/HARDWARECONFIGURATION/Kr20_Dll.SIM"));
  EXPECT_FALSE(std::filesystem::exists(folder_ / "SYSTEM/HARDWARECONFIGURATION/Kr12V2_Dll.SIM"));
  // Kr12 simulated too: 2 + 9 radios' channels would be more than the twelve records.
  Box("CheckBoxKr12Sim")->click();
  dialogs_->AnswerMenu(std::string("Num KR-12P2 Cards to Simulate"));
  dialogs_->AnswerInput(std::string("8"));
  dialog_->ShowSimulatePopup();
  Button("ButtonAcceptEnables")->click();
  EXPECT_EQ(dialog_->State().Kr12Channels, 8);
  EXPECT_EQ(dialog_->State().NumDnCvts, 12);
  EXPECT_EQ(PopupCaptions().size(), 13u);
  EXPECT_EQ(PopupCaptions().back(), "NOT USED");
  EXPECT_TRUE(HasLine(LogTexts(),
                                        "Hardware Configuration: 8 KR-12P2 and 9 KR-14P3 channels, only 12 "
                                        "down-converters used"));
  dialog_->WriteSimulationFiles();
  EXPECT_EQ(MarkerText(card::kKr12SimMarkerFile), "[Simulation]\r\nCount=8\r\n");
  // The prompts clamp: 20 Kr14 channels become 12.
  dialogs_->AnswerMenu(std::string("Num KR-14P3 Channels to Simulate"));
  dialogs_->AnswerInput(std::string("20"));
  dialog_->ShowSimulatePopup();
  const int simulated = dialog_->State().Enables[kHwCfgKr14].NumToSimulate;
  EXPECT_EQ(simulated, 12);
}

// A cancelled count prompt gives no value: nothing counts as changed and the enables stay accepted.
TEST_F(HwConfigEditorDlgTest, CancelledSimulatedCountChangesNothing) {
  Start();
  dialog_->BeginExecute();
  const int before = dialog_->State().Enables[kHwCfgKr14].NumToSimulate;
  dialogs_->AnswerMenu(std::string("Num KR-14P3 Channels to Simulate"));
  dialogs_->AnswerInput(std::nullopt);
  dialog_->ShowSimulatePopup();
  ASSERT_EQ(dialogs_->Queries().size(), 1u);
  const int after = dialog_->State().Enables[kHwCfgKr14].NumToSimulate;  // a packed field
  EXPECT_EQ(after, before);
  EXPECT_FALSE(dialog_->Changed());
  EXPECT_TRUE(dialog_->EnablesAccepted());
}

TEST_F(HwConfigEditorDlgTest, BogusSimulatedCardCountFallsBackToTheDetectedOne) {
  Start();
  gHwCfgMgr->EnableRecords[kHwCfgKr20].Simulated = 1;
  gHwCfgMgr->EnableRecords[kHwCfgKr20].NumToSimulate = 9;
  dialog_->BeginExecute();
  EXPECT_EQ(dialog_->State().NumSystemCards, 2);
  EXPECT_TRUE(HasLine(
      LogTexts(), "At TVexaHwCfgMgrEditorDlg::SetNumSystemCardsAvailable(), rtlmgr says bogus num cards"));
  EXPECT_FALSE(HasLine(
      LogTexts(), "At TVexaHwCfgMgrEditorDlg::SetNumSystemCardsAvailable(), rtlmgr says bogus num live cards"));
}

TEST_F(HwConfigEditorDlgTest, SimulationBoxAsksForARestart) {
  Start();
  dialog_->BeginExecute();
  Box("CheckBoxKr20Sim")->click();
  ASSERT_EQ(dialogs_->Messages().size(), 1u);
  EXPECT_EQ(dialogs_->Messages()[0].text, "You need to restart the application for this to take affect");
  Button("ButtonAcceptEnables")->click();
  EXPECT_TRUE(dialog_->EndExecute(true));
  EXPECT_TRUE(dialog_->SimulationChanged());
}

// Esc, the title bar and Cancel store nothing and leave the cards open.
TEST_F(HwConfigEditorDlgTest, EveryWayOutButAcceptCancels) {
  Start();
  const card::kr20cardclass* card0 = gRtl20Mgr->Card(0);
  // A reopened card may take the deleted one's address; the status strip made anew with it is
  // watched as well.
  const QPointer<TSM_MainStatusBarForm> strip = form_->StatusBar(0);
  ASSERT_NE(strip, nullptr);
  for (int way = 0; way < 3; ++way) {
    SCOPED_TRACE(way);
    bool shown = false;
    WhenShown<TVexaHwCfgMgrEditorDlg>("VexaHwCfgMgrEditorDlg", [way, &shown](TVexaHwCfgMgrEditorDlg& d) {
      shown = true;
      d.findChild<QPushButton*>("ButtonSetDefaults")->click();
      if (way == 0) QTest::keyClick(&d, Qt::Key_Escape);
      if (way == 1) d.close();
      if (way == 2) d.findChild<QPushButton*>("CancelBtn")->click();
    });
    EXPECT_EQ(ui::RunHardwareDialog(*form_), ui::HardwareDialogResult::Unchanged);
    EXPECT_TRUE(shown);
    EXPECT_EQ(gRtl20Mgr->Card(0), card0);
    EXPECT_FALSE(strip.isNull());
    EXPECT_NE(form_->StatusBar(1), nullptr);
    EXPECT_TRUE(form_->StartupBegun());
  }
  // Accept without a change leaves the cards open and untouched too.
  bool accepted = false;
  WhenShown<TVexaHwCfgMgrEditorDlg>("VexaHwCfgMgrEditorDlg", [&accepted](TVexaHwCfgMgrEditorDlg& d) {
    accepted = true;
    d.findChild<QPushButton*>("OKBtn")->click();
  });
  EXPECT_EQ(ui::RunHardwareDialog(*form_), ui::HardwareDialogResult::Unchanged);
  EXPECT_TRUE(accepted);
  EXPECT_EQ(gRtl20Mgr->Card(0), card0);
  EXPECT_FALSE(strip.isNull());
}

}  // namespace
}  // namespace uitest
