// The sweep panel on a virtual card's sweep engine, with the engine's time moved by the test and
// the master timer's beat standing in as SweepTick.
#include <QImage>
#include <QProgressBar>
#include <algorithm>
#include <cmath>

#include "ui/modulator/mod_window_fixture.h"

namespace modtest {
namespace {

class ModSweepTest : public ModWindowTest {
 protected:
  void StartWithSweep(int profiles, bool single, bool snap) {
    Start(5, true);
    if (IsSkipped()) return;
    card::ModSweepParamBlock block = card::ModSweepParamsOf(Rec());
    block.SweepRateHz = 20000.0;
    block.StartFreqMhz = 70.0;
    block.StopFreqMhzAry[0] = 70.1;
    block.StopFreqMhzAry[1] = 70.2;
    block.StopFreqMhzAry[2] = 70.05;
    block.NumProfiles = profiles;
    block.SweepProfileIndex = 0;
    block.SinglePass = single ? 1 : 0;
    block.SnapCtrAtEndCycle = snap ? 1 : 0;
    card::StoreModSweepParams(Rec(), block);
    Form().UpdateDisplay();
  }

  // One profile's worth of engine time, then the timer's beat.
  void ProfileEnds() {
    Advance(10.0);
    Form().SweepTick();
  }

  void ClickStart() {
    ASSERT_TRUE(Form().SpeedButtonStart->isEnabled());
    Form().SpeedButtonStart->click();
  }

  std::string State() const { return Text("PanelSweepState"); }
  // The stop frequency the ".." mark is on (1..3), 0 for none.
  int Marked() const {
    for (int i = 0; i < 3; ++i) {
      if (form_->LabelSwStopFreqCaption[static_cast<std::size_t>(i)]->text().startsWith("..")) return i + 1;
    }
    return 0;
  }
};

// A board that carries FPGA 1 only has no sweep engine: the window hides the sweep panel and the
// sweep offset, leaves the panel as it is at every refresh, and the card's sweep operations fail.
TEST_F(ModWindowTest, WithoutASweepEngineTheSweepPanelIsHiddenAndRests) {
  Start(5, true, true, "SecondFpga=NO\n");
  if (IsSkipped() || HasFatalFailure()) return;
  EXPECT_FALSE(Form().PanelSweep->isVisibleTo(&Form()));
  EXPECT_FALSE(Form().LabelSweepOffsetCaption->isVisibleTo(&Form()));
  EXPECT_FALSE(Form().LabelSweepOffset->isVisibleTo(&Form()));
  const QString state = Form().PanelSweepState->text();
  const QString stop = Form().LabelSwStopFreqCaption[1]->text();
  card::ModSweepParamBlock block = card::ModSweepParamsOf(Rec());
  block.NumProfiles = 3;
  block.SweepProfileIndex = 1;
  card::StoreModSweepParams(Rec(), block);
  Form().UpdateDisplay();
  EXPECT_EQ(Form().PanelSweepState->text(), state);
  EXPECT_EQ(Form().LabelSwStopFreqCaption[1]->text(), stop);
  EXPECT_FALSE(Card().ResetModulatorSweep());
  EXPECT_FALSE(Card().RunModulatorSweep());
  EXPECT_FALSE(Card().IsModulatorSweepRunning());
}

// The same card with both FPGAs shows the panel and the offset, and marks the profile in use.
TEST_F(ModWindowTest, WithTheSweepEngineTheSweepPanelShows) {
  Start(5, true, true);
  if (IsSkipped() || HasFatalFailure()) return;
  EXPECT_TRUE(Form().PanelSweep->isVisibleTo(&Form()));
  EXPECT_TRUE(Form().LabelSweepOffsetCaption->isVisibleTo(&Form()));
  card::ModSweepParamBlock block = card::ModSweepParamsOf(Rec());
  block.NumProfiles = 3;
  block.SweepProfileIndex = 1;
  card::StoreModSweepParams(Rec(), block);
  Form().UpdateDisplay();
  EXPECT_TRUE(Form().LabelSwStopFreqCaption[1]->text().startsWith(".."));
}

TEST_F(ModSweepTest, SinglePassWithoutSnapHoldsAtTheEnd) {
  StartWithSweep(2, true, false);
  if (IsSkipped()) return;
  EXPECT_EQ(Text("LabelSweepMode"), "Single");
  ClickStart();
  EXPECT_TRUE(Form().SweepActive());
  EXPECT_EQ(State(), "RUNNING");
  EXPECT_EQ(Marked(), 1);
  EXPECT_FALSE(Form().SpeedButtonStart->isEnabled());
  Advance(2.5);
  Form().SweepTick();
  EXPECT_EQ(Text("LabelSweepOffset"), "50000");
  EXPECT_EQ(Form().ProgressBarSweep->value(), 50);
  EXPECT_EQ(Text("LabelSweepProgress"), "50 %");
  // The timer's beat after the profile ended starts the next one and shows it.
  ProfileEnds();
  EXPECT_EQ(State(), "RUNNING");
  EXPECT_EQ(Marked(), 2);
  EXPECT_EQ(Rec().Modulator.SweepProfileIndex, 1);
  ProfileEnds();
  EXPECT_EQ(State(), "PAUSE");
  EXPECT_EQ(Text("LabelSweepProgress"), "100 %");
  EXPECT_EQ(Form().ProgressBarSweep->value(), 100);
  EXPECT_EQ(Form().SpeedButtonStart->text().toStdString(), "Resume");
  EXPECT_TRUE(Form().SweepPaused());
}

TEST_F(ModSweepTest, SinglePassWithSnapReturnsToTheCarrier) {
  StartWithSweep(2, true, true);
  if (IsSkipped()) return;
  EXPECT_EQ(Text("LabelSweepMode"), "Single [SNAP]");
  ClickStart();
  ProfileEnds();
  Form().SweepTick();
  ProfileEnds();
  EXPECT_FALSE(Form().SweepActive());
  EXPECT_EQ(State(), "OFF");
  EXPECT_EQ(settingstest::Value(Rec().Modulator.SweepProfileIndex), 0);
  EXPECT_DOUBLE_EQ(Card().GetMod_IfCarrierRateInHz(), 70e6);
  EXPECT_TRUE(Form().SpeedButtonStop->isChecked());
}

TEST_F(ModSweepTest, ContinuousSweepMovesThroughItsProfilesByItself) {
  StartWithSweep(3, false, false);
  if (IsSkipped()) return;
  EXPECT_EQ(Text("LabelSweepMode"), "Continuous");
  ClickStart();
  std::vector<int> marks{Marked()};
  for (int i = 0; i < 3; ++i) {
    ProfileEnds();
    marks.push_back(Marked());
    EXPECT_EQ(State(), "RUNNING");
  }
  EXPECT_EQ(marks, (std::vector<int>{1, 2, 3, 1}));
}

TEST_F(ModSweepTest, PauseAndResumeKeepTheProfile) {
  StartWithSweep(2, true, false);
  if (IsSkipped()) return;
  ClickStart();
  ProfileEnds();
  Form().SweepTick();
  Advance(2.5);
  Form().SweepTick();
  Form().SpeedButtonPause->click();
  EXPECT_TRUE(Form().SweepPaused());
  EXPECT_EQ(State(), "PAUSE");
  EXPECT_EQ(Form().SpeedButtonStart->text().toStdString(), "Resume");
  const std::string offset = Text("LabelSweepOffset");
  Advance(5.0);
  Form().UpdateDisplay();
  EXPECT_EQ(Text("LabelSweepOffset"), offset);
  ClickStart();
  EXPECT_FALSE(Form().SweepPaused());
  EXPECT_EQ(State(), "RUNNING");
  EXPECT_EQ(Marked(), 2);
}

TEST_F(ModSweepTest, StopRestoresTheCarrier) {
  StartWithSweep(1, true, false);
  if (IsSkipped()) return;
  ClickStart();
  Advance(2.0);
  Form().SpeedButtonStop->click();
  EXPECT_FALSE(Form().SweepActive());
  EXPECT_EQ(State(), "OFF");
  EXPECT_DOUBLE_EQ(Card().GetMod_IfCarrierRateInHz(), 70e6);
}

TEST_F(ModSweepTest, StopIsPressedAndPressableWhileIdle) {
  StartWithSweep(1, true, false);
  if (IsSkipped()) return;
  ASSERT_FALSE(Form().SweepActive());
  EXPECT_TRUE(Form().SpeedButtonStop->isChecked());
  EXPECT_TRUE(Form().SpeedButtonStop->isEnabled());
  // Idle, the carrier wandered off its frequency: Stop puts it back.
  Card().SetMod_SetIfCarrierRateInHz(70.2e6);
  QTest::mouseClick(Form().SpeedButtonStop, Qt::LeftButton);
  EXPECT_DOUBLE_EQ(Card().GetMod_IfCarrierRateInHz(), 70e6);
  EXPECT_TRUE(Form().SpeedButtonStop->isChecked());
  EXPECT_TRUE(Form().SpeedButtonStop->isEnabled());
  ClickStart();
  EXPECT_FALSE(Form().SpeedButtonStop->isChecked());
  EXPECT_TRUE(Form().SpeedButtonStop->isEnabled());
}

TEST_F(ModSweepTest, StartWithoutARangeSaysWhatIsWrong) {
  StartWithSweep(1, true, false);
  if (IsSkipped()) return;
  // The carrier moves as the operator moves it; start (70.0) and stop (70.1) are kept within
  // 0.25 MHz of it, so both become 70.25.
  Enter(Form().LabelCarrierFreq, "70500000");
  ASSERT_DOUBLE_EQ(settingstest::Value(Rec().Modulator.CarrierFreqMhz), 70.5);
  const std::size_t before = dialogs_->Messages().size();
  ClickStart();
  for (int i = 0; i < TSM_ModControlForm::kStartPolls && Form().StartPending(); ++i) Form().PollStartWait();
  ASSERT_FALSE(Form().StartPending());
  ASSERT_EQ(dialogs_->Messages().size(), before + 1);
  EXPECT_EQ(dialogs_->Messages()[before].title, "WARNING");
  EXPECT_EQ(dialogs_->Messages()[before].text,
            "Nothing to sweep: Start Freq and Stop Freq are both 70.2500 MHz. Each is kept within 0.25 MHz of "
            "the carrier (70.5000 MHz): enter them again.");
  EXPECT_FALSE(Form().SweepActive());
  EXPECT_FALSE(Card().IsModulatorSweepRunning());
  EXPECT_EQ(State(), "OFF");
  EXPECT_TRUE(Form().SpeedButtonStart->isEnabled());
  EXPECT_DOUBLE_EQ(Card().GetMod_IfCarrierRateInHz(), 70.5e6);
}

TEST_F(ModSweepTest, SweepMenuShowsItsSeparatorsSubmenuAndChecks) {
  StartWithSweep(1, true, false);
  if (IsSkipped()) return;
  QStringList captions;
  int separatorHeight = -1;
  int itemHeight = -1;
  bool submenu = false;
  QImage picture;
  QRect modeRow;
  QRect rateRow;
  ASSERT_TRUE(UseSweepMenu({}, [&](QMenu& menu) {
    for (QAction* action : menu.actions()) {
      captions << (action->isSeparator() ? QStringLiteral("-") : action->text());
      if (action->isSeparator()) separatorHeight = menu.actionGeometry(action).height();
      if (action->text() == "Sweep Rate") {
        itemHeight = menu.actionGeometry(action).height();
        rateRow = menu.actionGeometry(action);
      }
      if (action->text() == "Sweep Mode") {
        submenu = action->menu() != nullptr;
        modeRow = menu.actionGeometry(action);
      }
      if (action->text() == "Snap Center at Cycle Complete") {
        EXPECT_TRUE(action->isCheckable());
        EXPECT_FALSE(action->isChecked());
      }
    }
    picture = menu.grab().toImage();
  }));
  EXPECT_EQ(captions, (QStringList{"Sweep Rate", "Start Freq", "Stop Freq", "Stop Freq 2", "Stop Freq 3", "-",
                                   "Sweep Mode", "-", "Snap Center at Cycle Complete"}));
  EXPECT_TRUE(submenu);
  ASSERT_GT(itemHeight, 0);
  EXPECT_GT(separatorHeight, 0);
  EXPECT_LT(separatorHeight * 2, itemHeight) << "a separator is a thin line, not a blank row";
  // The submenu arrow: the right end of "Sweep Mode" is drawn on, that of "Sweep Rate" is not.
  auto inked = [&picture](const QRect& row) {
    const QRgb background = picture.pixel(row.right() - 2, row.top() + 1);
    int count = 0;
    for (int x = row.right() - 24; x < row.right() - 2; ++x) {
      for (int y = row.top() + 2; y < row.bottom() - 1; ++y) count += picture.pixel(x, y) != background ? 1 : 0;
    }
    return count;
  };
  ASSERT_FALSE(picture.isNull());
  EXPECT_GT(inked(modeRow), 4);
  EXPECT_EQ(inked(rateRow), 0);

  // The submenu: both modes checkable, the one in use checked and drawn with its mark.
  QImage modes;
  bool singleChecked = false;
  bool continuousChecked = true;
  QRect singleRow;
  QRect continuousRow;
  QMenu* modeMenu = Form().PopupMenuSweep->findChild<QMenu*>("MenuSweepMode");
  ASSERT_NE(modeMenu, nullptr);
  // Looked at once the submenu shows.
  bool seen = false;
  QTimer look;
  look.setInterval(5);
  QObject::connect(&look, &QTimer::timeout, [&] {
    if (!modeMenu->isVisible()) return;
    look.stop();
    seen = true;
    for (QAction* action : modeMenu->actions()) {
      EXPECT_TRUE(action->isCheckable()) << action->text().toStdString();
      if (action->text() == "Single") {
        singleChecked = action->isChecked();
        singleRow = modeMenu->actionGeometry(action);
      }
      if (action->text() == "Continuous") {
        continuousChecked = action->isChecked();
        continuousRow = modeMenu->actionGeometry(action);
      }
    }
    modes = modeMenu->grab().toImage();
    while (QWidget* popup = QApplication::activePopupWidget()) popup->close();
  });
  look.start();
  UseSweepMenu({"Sweep Mode"});
  look.stop();
  ASSERT_TRUE(seen);
  EXPECT_TRUE(singleChecked);
  EXPECT_FALSE(continuousChecked);
  // The check mark sits left of the caption: there the two rows differ.
  ASSERT_FALSE(modes.isNull());
  ASSERT_EQ(singleRow.height(), continuousRow.height());
  int differing = 0;
  for (int x = singleRow.left() + 1; x < singleRow.left() + 24; ++x) {
    for (int y = 1; y < singleRow.height() - 1; ++y) {
      differing += modes.pixel(x, singleRow.top() + y) != modes.pixel(x, continuousRow.top() + y) ? 1 : 0;
    }
  }
  EXPECT_GT(differing, 4) << "Single shows its check mark";
}

TEST_F(ModSweepTest, StartWithTheCarrierOffIsRefused) {
  StartWithSweep(1, true, false);
  if (IsSkipped()) return;
  Form().CheckBoxCarrierEnabled->setChecked(false);
  ASSERT_EQ(Rec().Modulator.CarrierEnabled, 0);
  ClickStart();
  EXPECT_FALSE(Form().SweepActive());
  EXPECT_EQ(State(), "OFF");
  ASSERT_EQ(dialogs_->Messages().size(), 1u);
  EXPECT_EQ(dialogs_->Messages()[0].title, "WARNING");
  EXPECT_EQ(dialogs_->Messages()[0].text, "Turn your carrier on first!");
  EXPECT_EQ(sounds_.Take(), testsupport::kWarningTones);
  EXPECT_FALSE(Card().IsModulatorSweepRunning());
}

TEST_F(ModSweepTest, UncheckingTheCarrierStopsARunningSweep) {
  StartWithSweep(1, true, false);
  if (IsSkipped()) return;
  ClickStart();
  ASSERT_TRUE(Card().IsModulatorSweepRunning());
  Form().CheckBoxCarrierEnabled->setChecked(false);
  EXPECT_FALSE(Form().SweepActive());
  EXPECT_FALSE(Card().IsModulatorSweepRunning());
  EXPECT_FALSE(Card().GetMod_GetIfCarrierOn());
}

TEST_F(ModSweepTest, StopFrequencyEqualToStartIsRefused) {
  StartWithSweep(1, true, false);
  if (IsSkipped()) return;
  ClickStart();
  dialogs_->AnswerInput("70.0000");
  EXPECT_TRUE(UseSweepMenu({"Stop Freq"}));
  EXPECT_TRUE(dialogs_->AllAnswered());
  ASSERT_EQ(dialogs_->Messages().size(), 1u);
  EXPECT_EQ(dialogs_->Messages()[0].title, "ERROR");
  EXPECT_EQ(dialogs_->Messages()[0].text, "Stop Freq cannot equal Start Freq...try again");
  EXPECT_DOUBLE_EQ(settingstest::Value(Rec().Modulator.StopFreqMhzAry[0]), 70.1);
  EXPECT_FALSE(Form().SweepActive());
  // An accepted value is stored and leaves the sweep stopped.
  dialogs_->AnswerInput("70.3");
  EXPECT_TRUE(UseSweepMenu({"Stop Freq"}));
  EXPECT_NEAR(settingstest::Value(Rec().Modulator.StopFreqMhzAry[0]), 70.25, 1e-9);
  EXPECT_EQ(Text("LabelSwStopFreq1"), "70.2500");
  EXPECT_FALSE(Card().IsModulatorSweepRunning());
}

TEST_F(ModSweepTest, EmptySegmentFromTheSetupNeitherDividesNorStalls) {
  StartWithSweep(2, false, false);
  if (IsSkipped()) return;
  // Profile 2 starts where it stops.
  Rec().Modulator.StopFreqMhzAry[1] = 70.1;
  ClickStart();
  std::vector<int> running;
  for (int i = 0; i < 6; ++i) {
    ProfileEnds();
    const std::string progress = Text("LabelSweepProgress");
    SCOPED_TRACE(progress);
    EXPECT_EQ(progress.find("nan"), std::string::npos);
    EXPECT_EQ(progress.find("inf"), std::string::npos);
    EXPECT_TRUE(Form().SweepActive());
    if (Card().IsModulatorSweepRunning()) running.push_back(Marked());
  }
  // The continuous sweep keeps coming back to its real segment.
  EXPECT_GE(std::count(running.begin(), running.end(), 1), 2);
}

TEST_F(ModSweepTest, StartWaitsForTheEngineWithoutBlocking) {
  StartWithSweep(1, true, false);
  if (IsSkipped()) return;
  // An empty first segment: the engine never reports running.
  Rec().Modulator.StopFreqMhzAry[0] = 70.0;
  ClickStart();
  ASSERT_TRUE(Form().StartPending());
  sounds_.Take();
  EXPECT_FALSE(Form().SpeedButtonStart->isEnabled());
  EXPECT_TRUE(dialogs_->Messages().empty());
  for (int i = 1; i < TSM_ModControlForm::kStartPolls; ++i) Form().PollStartWait();
  EXPECT_TRUE(Form().StartPending());
  Form().PollStartWait();
  EXPECT_FALSE(Form().StartPending());
  ASSERT_EQ(dialogs_->Messages().size(), 1u);
  // The operator hears why: start and stop are one frequency.
  EXPECT_EQ(dialogs_->Messages()[0].title, "WARNING");
  EXPECT_EQ(dialogs_->Messages()[0].text,
            "Nothing to sweep: Start Freq and Stop Freq are both 70.0000 MHz. Each is kept within 0.25 MHz of "
            "the carrier (70.0000 MHz): enter them again.");
  EXPECT_EQ(sounds_.Take(), testsupport::kWarningTones);
  EXPECT_FALSE(Form().SweepActive());
  EXPECT_EQ(State(), "OFF");
}

TEST_F(ModSweepTest, ClosingDuringTheStartWaitSettlesItQuietly) {
  StartWithSweep(1, true, false);
  if (IsSkipped()) return;
  Rec().Modulator.StopFreqMhzAry[0] = 70.0;
  ClickStart();
  ASSERT_TRUE(Form().StartPending());
  Form().close();
  EXPECT_FALSE(Form().StartPending());
  EXPECT_FALSE(Form().SweepActive());
  Form().PollStartWait();
  EXPECT_TRUE(dialogs_->Messages().empty());
  // Deleting the window while the wait timer would fire touches nothing freed.
  Form().show();
  QCoreApplication::processEvents();
  ClickStart();
  ASSERT_TRUE(Form().StartPending());
  form_.reset();
  QCoreApplication::processEvents();
  EXPECT_TRUE(dialogs_->Messages().empty());
}

TEST_F(ModSweepTest, ProfileBoxesAndModeMenu) {
  StartWithSweep(3, false, false);
  if (IsSkipped()) return;
  EXPECT_TRUE(Form().CheckBoxSwStop1Enable->isChecked());
  EXPECT_TRUE(Form().CheckBoxSwStop2Enable->isChecked());
  ClickStart();
  Form().CheckBoxSwStop1Enable->click();
  EXPECT_EQ(settingstest::Value(Rec().Modulator.NumProfiles), 1);
  EXPECT_FALSE(Form().CheckBoxSwStop1Enable->isChecked());
  EXPECT_FALSE(Form().CheckBoxSwStop2Enable->isChecked());
  EXPECT_FALSE(Form().LabelSwStopFreq[1]->isEnabled());
  EXPECT_FALSE(Form().MenuSwStopFreq[2]->isEnabled());
  EXPECT_FALSE(Form().SweepActive());
  EXPECT_EQ(Marked(), 0);
  Form().CheckBoxSwStop1Enable->click();
  EXPECT_EQ(settingstest::Value(Rec().Modulator.NumProfiles), 2);
  Form().CheckBoxSwStop2Enable->click();
  EXPECT_EQ(settingstest::Value(Rec().Modulator.NumProfiles), 3);
  Form().CheckBoxSwStop2Enable->click();
  EXPECT_EQ(settingstest::Value(Rec().Modulator.NumProfiles), 2);

  EXPECT_TRUE(UseSweepMenu({"Sweep Mode", "Single"}));
  EXPECT_EQ(settingstest::Value(Rec().Modulator.SinglePass), 1);
  EXPECT_TRUE(Form().MenuSwModeSingle->isChecked());
  EXPECT_TRUE(UseSweepMenu({"Snap Center at Cycle Complete"}));
  EXPECT_EQ(settingstest::Value(Rec().Modulator.SnapCtrAtEndCycle), 1);
  EXPECT_EQ(Text("LabelSweepMode"), "Single [SNAP]");
  dialogs_->AnswerInput("50000");
  EXPECT_TRUE(UseSweepMenu({"Sweep Rate"}));
  EXPECT_DOUBLE_EQ(settingstest::Value(Rec().Modulator.SweepRateHz), 20000.0);
  EXPECT_TRUE(dialogs_->AllAnswered());
  // None of these count as setup edits.
  EXPECT_EQ(config::gApp.SetupEdited.load(), 0);
}

TEST_F(ModSweepTest, ClosingTheWindowStopsAdvancing) {
  StartWithSweep(3, false, false);
  if (IsSkipped()) return;
  ClickStart();
  Form().close();
  ProfileEnds();
  EXPECT_EQ(settingstest::Value(Rec().Modulator.SweepProfileIndex), 0);
}

}  // namespace
}  // namespace modtest
