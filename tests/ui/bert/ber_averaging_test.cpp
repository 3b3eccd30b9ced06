// The BER averaging of a receive-BERT panel on a virtual card whose counters advance with the
// library's time, the program clock moved second by second by the test.
#include <QRadioButton>
#include <QTest>

#include "bert_window_fixture.h"
#include "support/qt/button_face.h"
#include "support/qt/shown_widget.h"

namespace berttest {
namespace {

using BerAveragingTest = BertWindowTest;

// "Start BER Avg" looks pressed while the averaging runs, and released again once it stops.
TEST_F(BerAveragingTest, RunningAveragingShowsTheButtonPressed) {
  Start();
  QToolButton* button = Panel(0)->SpeedButtonBerAvgGo;
  ASSERT_TRUE(testsupport::ShownToOperator(button));
  const testsupport::ButtonFace up = testsupport::ReadButtonFace(*button);
  QTest::mouseClick(button, Qt::LeftButton);
  ASSERT_TRUE(ButtonDown());
  Second();
  ASSERT_TRUE(button->isChecked());
  const testsupport::ButtonFace down = testsupport::ReadButtonFace(*button);
  testsupport::ExpectPressedLook(up, down);
  QTest::mouseClick(button, Qt::LeftButton);
  ASSERT_FALSE(ButtonDown());
  const testsupport::ButtonFace again = testsupport::ReadButtonFace(*button);
  EXPECT_NEAR(again.face, up.face, 1.0);
}

TEST_F(BerAveragingTest, SinglePeriodCountsTenSecondsThenReleasesTheButton) {
  Start();
  ASSERT_EQ(Value(StatusRecord(0).Bert.Locked), 1);
  Panel(0)->RadioBerAvgSingle->click();
  Panel(0)->SpeedButtonBerAvgGo->click();
  ASSERT_TRUE(ButtonDown());
  for (int second = 1; second <= 9; ++second) {
    SCOPED_TRACE(second);
    Second();
    EXPECT_EQ(Status(), "Acquiring");
    EXPECT_EQ(Progress(), second * 10);
    EXPECT_TRUE(ButtonDown());
  }
  Second();
  EXPECT_EQ(Status(), "Complete");
  EXPECT_EQ(Progress(), 100);
  EXPECT_FALSE(ButtonDown());
  // Errors over the ten seconds of a 2 Mb/s stream at 7 dB: about one error in a thousand bits.
  const double ber = Panel(0)->Averager().AverageBer();
  EXPECT_GT(ber, 0.0);
  EXPECT_LT(ber, 1e-2);
  EXPECT_EQ(Text(0, "LabelAvgBer"), util::FloatToExpText(1, 0, ber));
  EXPECT_EQ(Text(0, "LabelAvgErrors"), util::FloatToFixedText(24, 0, Panel(0)->Averager().AverageErrors()));
  // A refresh within the same second changes nothing; at the next second the averaging is off.
  form_->Refresh10Hz();
  EXPECT_EQ(Status(), "Complete");
  Second();
  EXPECT_EQ(Status(), "OFF");
  EXPECT_EQ(Progress(), 0);
}

TEST_F(BerAveragingTest, ContinuousStartsTheNextPeriodAtOnce) {
  Start();
  Rec().RxBert[0].NumSecsToAverage = 4;
  ASSERT_TRUE(Panel(0)->RadioBerAvgContinuous->isChecked());
  Panel(0)->SpeedButtonBerAvgGo->click();
  const std::vector<std::pair<const char*, int>> expected{
      {"Acquiring", 25}, {"Acquiring", 50}, {"Acquiring", 75}, {"Complete", 100}, {"Acquiring", 25}, {"Acquiring", 50}};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(i);
    Second();
    EXPECT_EQ(Status(), expected[i].first);
    EXPECT_EQ(Progress(), expected[i].second);
    EXPECT_TRUE(ButtonDown());
  }
}

TEST_F(BerAveragingTest, PeriodWithoutBitsGivesBerOneAndLengthBelowOneIsCorrected) {
  Start();
  Rec().RxBert[0].NumSecsToAverage = 0;
  Panel(0)->SpeedButtonBerAvgGo->click();
  // The program's time moves, the card's does not: no bits arrive.
  now_ += 1.0;
  form_->Refresh10Hz();
  EXPECT_EQ(Value(Rec().RxBert[0].NumSecsToAverage), 1);
  EXPECT_EQ(Status(), "Complete");
  EXPECT_EQ(Panel(0)->Averager().AverageBer(), 1.0);
  EXPECT_EQ(Text(0, "LabelAvgBer"), "1.0E+00");
  EXPECT_EQ(Text(0, "LabelAvgErrors"), "0");
}

TEST_F(BerAveragingTest, CountersResetMidPeriodRestartThePeriod) {
  Start();
  Panel(0)->SpeedButtonBerAvgGo->click();
  for (int second = 0; second < 4; ++second) Second();
  ASSERT_EQ(Progress(), 40);
  // The card's counters go back to zero (a remote command or the other channel's reset).
  Card().Bert_ResetMeasures(0);
  Second();
  EXPECT_EQ(Status(), "Acquiring");
  EXPECT_EQ(Progress(), 0);
  EXPECT_EQ(Panel(0)->Averager().SecondsCounted(), 0);
  for (int second = 1; second <= 10; ++second) Second();
  EXPECT_EQ(Status(), "Complete");
  const double ber = Panel(0)->Averager().AverageBer();
  EXPECT_GT(ber, 0.0);
  EXPECT_LT(ber, 1e-2);
  EXPECT_GE(Panel(0)->Averager().AverageErrors(), 0.0);
}

TEST_F(BerAveragingTest, LossOfLockStopsTheAveraging) {
  Start();
  Panel(0)->SpeedButtonBerAvgGo->click();
  Second();
  ASSERT_EQ(Status(), "Acquiring");
  StatusRecord(0).Bert.Locked = 0;
  now_ += 1.0;
  form_->Refresh10Hz();
  EXPECT_EQ(Status(), "NO SYNC");
  EXPECT_FALSE(ButtonDown());
  EXPECT_EQ(Progress(), 0);
  for (const char* name : {"LabelTotalBits", "LabelErrorBits", "LabelBer", "LabelAvgErrors", "LabelAvgBer"}) {
    EXPECT_EQ(Text(0, name), "-----") << name;
  }
  EXPECT_FALSE(Panel(0)->LabelAvgBer->isEnabled());
}

TEST_F(BerAveragingTest, SingleAndContinuousReleaseTheButton) {
  Start();
  Panel(0)->SpeedButtonBerAvgGo->click();
  Second();
  Second();
  ASSERT_EQ(Progress(), 20);
  Panel(0)->RadioBerAvgSingle->click();
  EXPECT_FALSE(ButtonDown());
  EXPECT_EQ(Panel(0)->Averager().SecondsCounted(), 0);
  Second();
  EXPECT_EQ(Status(), "OFF");
}

}  // namespace
}  // namespace berttest
