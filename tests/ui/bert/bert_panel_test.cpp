// What a receive-BERT panel shows and what its settings do, on a virtual card.
#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>

#include <optional>

#include "bert_window_fixture.h"
#include "settings/set_manager.h"
#include "ui/bert/pattern_names.h"

namespace berttest {
namespace {

using BertPanelTest = BertWindowTest;

TEST_F(BertPanelTest, LockedChannelShowsTheCardsCounters) {
  Start();
  Second();
  EXPECT_EQ(form_->windowTitle().toStdString(), "BERT  Card 1");
  EXPECT_EQ(Text(0, "LabelInputSource"), "RCVR1");
  EXPECT_EQ(Text(0, "LabelLock"), "LOCKED");
  EXPECT_EQ(Panel(0)->ShapeLock->Colour(), 0x00FF00u);
  EXPECT_EQ(Text(0, "LabelInvert"), "NORM");
  EXPECT_EQ(Panel(0)->ShapeInvert->Colour(), 0x00FF00u);
  EXPECT_EQ(Text(0, "LabelPrnPattern"), "PRN-15");
  EXPECT_EQ(Text(0, "LabelClockPolarity"), Card().Bert_GetClockPolarity(0));
  EXPECT_EQ(Text(0, "LabelCounterCaption"), "Lock Loss Count");
  EXPECT_EQ(Text(0, "LabelBerSampleLength"), "10");
  EXPECT_FALSE(Panel(0)->PanelUserPattern->isVisibleTo(Panel(0)));
  // The status record's values as whole numbers and in exponent notation; the card's bit rate
  // in Mb/s with five decimals.
  const settings::BertStatusBlock status = StatusRecord(0).Bert;
  EXPECT_EQ(Text(0, "LabelErrorBits"), util::FloatToFixedText(24, 0, status.ErrorBits));
  EXPECT_EQ(Text(0, "LabelBer"), util::FloatToExpText(1, 0, status.BitErrorRate));
  EXPECT_EQ(Text(0, "LabelCounter"), std::to_string(Value(status.LockLossCount)));
  EXPECT_EQ(Text(0, "LabelBitRate"), util::FloatToFixedText(24, 5, Card().Bert_GetBitRate(0) * 0.000001));
  EXPECT_EQ(Text(0, "LabelTotalBits"), util::FloatToExpText(2, 0, Card().Bert_GetTotalBits(0)));
  EXPECT_NE(Text(0, "LabelTotalBits").find("E+06"), std::string::npos);
  EXPECT_EQ(Text(0, "LabelBitRate").substr(0, 4), "2.00");
}

// The lock-loss and inversion counts, made different on the card: the data inverted and put back
// (two inversions), then the pattern lost and found again (one lock loss). Each value shows its own.
TEST_F(BertPanelTest, LockLossAndInversionCountsEachShowTheirOwn) {
  Start();
  Second();
  ASSERT_EQ(Text(0, "LabelLock"), "LOCKED");
  for (const bool inverted : {true, false}) {
    Card().PskRx_SetStream1OutputInvertEnable(0, inverted);
    Second();
    EXPECT_EQ(Text(0, "LabelInvert"), inverted ? "INVERT" : "NORM");
  }
  Card().Bert_SetPnPattern(0, "pn11");
  Second();
  EXPECT_EQ(Text(0, "LabelLock"), "UNLOCK");
  Card().Bert_SetPnPattern(0, "pn15");
  Second();
  ASSERT_EQ(Text(0, "LabelLock"), "LOCKED");
  ASSERT_EQ(Card().Bert_GetInversionCount(0), 2);
  ASSERT_EQ(Card().Bert_GetLockLossCount(0), 1);
  EXPECT_EQ(Value(StatusRecord(0).Bert.LockLossCount), 1);
  EXPECT_EQ(Text(0, "LabelCounterCaption"), "Lock Loss Count");
  EXPECT_EQ(Text(0, "LabelCounter"), "1");
  EXPECT_EQ(Text(0, "LabelInversionCount"), "2");
}

TEST_F(BertPanelTest, InputOffShowsOffEverywhereWithGreyLamps) {
  Start();
  Second();
  for (const char* name : {"LabelInputSource", "LabelLock", "LabelBitRate", "LabelInvert", "LabelTotalBits",
                           "LabelErrorBits", "LabelBer", "LabelCounter", "LabelInversionCount"}) {
    EXPECT_EQ(Text(1, name), "OFF") << name;
  }
  EXPECT_EQ(Panel(1)->ShapeLock->Colour(), 0x808080u);
  EXPECT_EQ(Panel(1)->ShapeInvert->Colour(), 0x808080u);
}

TEST_F(BertPanelTest, PatternMenuOffersTheSevenKnownPatterns) {
  Start();
  const QMenu* menu = Panel(0)->PopupMenuPrnPattern;
  std::vector<std::string> visible;
  std::size_t items = 0;
  for (const QAction* action : menu->actions()) {
    EXPECT_EQ(action->objectName().toStdString(), "MenuPrnPattern" + std::to_string(items));
    EXPECT_EQ(action->data().toInt(), static_cast<int>(items));
    ++items;
    if (action->isVisible()) visible.push_back(action->text().toStdString());
  }
  EXPECT_EQ(items, 19u);  // every name the card offers has its item
  EXPECT_EQ(visible, (std::vector<std::string>{"ZERO'S", "ONE'S", "ONE ZERO", "PRN-11", "PRN-15", "PRN-17", "USER"}));
  const QMenu* polarity = Panel(0)->PopupMenuClockPolarity;
  ASSERT_EQ(polarity->actions().size(), 2);
  EXPECT_EQ(polarity->actions()[1]->objectName().toStdString(), "MenuClockPolarity1");
  EXPECT_EQ(polarity->actions()[1]->text().toStdString(), "FALLING_EDGE");
}

TEST(BertPatternNames, DisplayTexts) {
  const std::vector<std::pair<const char*, const char*>> rows{
      {"allZeros", "ZERO'S"}, {"allOnes", "ONE'S"}, {"alternatingOneZero", "ONE ZERO"}, {"pn11", "PRN-11"},
      {"pn15", "PRN-15"},     {"pn17", "PRN-17"},   {"userPattern", "USER"},            {"  pn23 ", "pn23"},
      {"BAD", "BAD"}};
  for (const auto& [name, shown] : rows) {
    SCOPED_TRACE(name);
    EXPECT_EQ(ui::BertPatternDisplayName(name), shown);
    EXPECT_EQ(ui::IsKnownBertPattern(name), std::string(shown) != "pn23" && std::string(shown) != "BAD");
  }
}

TEST_F(BertPanelTest, UserPatternModeGreysTheLockLampAndCountsPatterns) {
  Start();
  dialogs_->AnswerMenu("USER");
  Panel(0)->LabelPrnPatternClick();
  EXPECT_EQ(Card().Bert_GetPnPattern(0), "userPattern");
  EXPECT_EQ(card::SetupText(Rec().RxBert[0].PrnPattern), "userPattern");
  EXPECT_EQ(LastStateValue("Rx Bert Data 0", "PrnPattern"), "userPattern");
  Second();
  EXPECT_EQ(Text(0, "LabelPrnPattern"), "USER");
  EXPECT_EQ(Panel(0)->ShapeLock->Colour(), 0xC0C0C0u);
  EXPECT_EQ(Text(0, "LabelCounterCaption"), "Pattern Count");
  for (const char* name : {"LabelTotalBits", "LabelErrorBits", "LabelBer", "LabelInversionCount"}) {
    EXPECT_EQ(Text(0, name), "-----") << name;
  }
  EXPECT_TRUE(Panel(0)->PanelUserPattern->isVisibleTo(Panel(0)));
}

TEST_F(BertPanelTest, PatternLengthAnswersRoundUpToWholeBytes) {
  Start();
  const std::vector<std::pair<const char*, int>> rows{{"12", 16}, {"25", 32}, {"8", 8}, {"17", 24}, {"0x20", 32}};
  for (const auto& [answer, bits] : rows) {
    SCOPED_TRACE(answer);
    dialogs_->AnswerInput(answer);
    dialogs_->AnswerInput("0x5A");
    Panel(0)->LabelUserPatternClick();
    EXPECT_EQ(dialogs_->Queries().back().title, "Enter the pattern (0x for hex)");
    EXPECT_EQ(Value(Rec().RxBert[0].UserPatternLength), bits);
    EXPECT_EQ(Value(Rec().RxBert[0].UserPattern), 0x5Au);
    std::string pattern;
    int length = 0;
    Card().Bert_GetUserPattern(0, pattern, length);
    EXPECT_EQ(length, bits);
    EXPECT_EQ(card::FormatUserPatternText(pattern, length, 1), util::IntToHexText(0x5A, bits / 4, true));
  }
  EXPECT_EQ(dialogs_->Queries().front().title,
            "Enter the number of bits in the pattern [8,16,24, or 32 only] (0x for hex)");
  EXPECT_EQ(LastStateValue("Rx Bert Data 0", "UserPatternLength"), "32");
  EXPECT_EQ(LastStateValue("Rx Bert Data 0", "UserPattern"), "0000005A");
  EXPECT_TRUE(dialogs_->Messages().empty());
}

TEST_F(BertPanelTest, PatternWithBitsAboveItsLengthIsRefused) {
  Start();
  dialogs_->AnswerInput("12");
  dialogs_->AnswerInput("0x5A");
  Panel(0)->LabelUserPatternClick();
  config::gApp.SetupEdited = 0;
  dialogs_->AnswerInput("8");
  dialogs_->AnswerInput("0x1FF");
  Panel(0)->LabelUserPatternClick();
  ASSERT_EQ(dialogs_->Messages().size(), 1u);
  EXPECT_EQ(dialogs_->Messages()[0].title, "ERROR");
  EXPECT_EQ(dialogs_->Messages()[0].text, "The pattern 0x1ff has bits above its 8-bit length. The user pattern was not changed.");
  EXPECT_EQ(Value(Rec().RxBert[0].UserPatternLength), 16);
  EXPECT_EQ(Value(Rec().RxBert[0].UserPattern), 0x5Au);
  std::string pattern;
  int length = 0;
  Card().Bert_GetUserPattern(0, pattern, length);
  EXPECT_EQ(length, 16);
  EXPECT_EQ(config::gApp.SetupEdited.load(), 0);
}

TEST_F(BertPanelTest, SettersReachTheCardTheSetupAndTheLastState) {
  Start();
  sounds_.Take();
  // Input source: off and on again, each toggle a reset of the statistics.
  Panel(0)->LabelInputSourceClick();
  EXPECT_EQ(Value(Rec().RxBert[0].InputSourceOn), 0);
  EXPECT_EQ(Text(0, "LabelInputSource"), "OFF");
  EXPECT_EQ(LastStateValue("Rx Bert Data 0", "InputSourceOn"), "NO");
  EXPECT_EQ(config::gApp.SetupEdited.load(), 1);
  EXPECT_EQ(sounds_.Take(), (std::vector<platform::Tone>{{2000, 5}}));
  Panel(0)->LabelInputSourceClick();
  EXPECT_EQ(Value(Rec().RxBert[0].InputSourceOn), 1);

  // Clock polarity from its menu.
  dialogs_->AnswerMenu("FALLING_EDGE");
  Panel(0)->LabelClockPolarityClick();
  EXPECT_EQ(dialogs_->MenuRequests().back().menuName, "PopupMenuClockPolarity");
  EXPECT_EQ(Card().Bert_GetClockPolarity(0), "FALLING_EDGE");
  EXPECT_EQ(card::SetupText(Rec().RxBert[0].ClockPolarity), "FALLING_EDGE");
  EXPECT_EQ(LastStateValue("Rx Bert Data 0", "ClockPolarity"), "FALLING_EDGE");
  EXPECT_EQ(Text(0, "LabelClockPolarity"), "FALLING_EDGE");

  // Averaging length: a prompt within 1..600; an answer that is no number changes nothing.
  dialogs_->AnswerInput("30");
  Panel(0)->LabelBerSampleLengthClick();
  EXPECT_EQ(dialogs_->Queries().back().title, "Enter the number of seconds to average the BER over");
  EXPECT_EQ(Value(Rec().RxBert[0].NumSecsToAverage), 30);
  EXPECT_EQ(Text(0, "LabelBerSampleLength"), "30");
  dialogs_->AnswerInput("many");
  Panel(0)->LabelBerSampleLengthClick();
  EXPECT_EQ(Value(Rec().RxBert[0].NumSecsToAverage), 30);
  dialogs_->AnswerInput("900");
  Panel(0)->LabelBerSampleLengthClick();
  EXPECT_EQ(Value(Rec().RxBert[0].NumSecsToAverage), 600);

  // Radix buttons: straight into the setup record and the last state.
  Panel(0)->RadioBin->click();
  EXPECT_EQ(Value(Rec().RxBert[0].UserPatternRadix), 2);
  EXPECT_EQ(LastStateValue("Rx Bert Data 0", "UserPatternRadix"), "2");
  Panel(0)->RadioDec->click();
  EXPECT_EQ(Value(Rec().RxBert[0].UserPatternRadix), 0);
  Panel(0)->RadioHex->click();
  EXPECT_EQ(Value(Rec().RxBert[0].UserPatternRadix), 1);
  EXPECT_TRUE(dialogs_->AllAnswered());
}

TEST_F(BertPanelTest, ResetStatisticsClearsTheCardsCountersAndTheAverages) {
  Start();
  Panel(0)->SpeedButtonBerAvgGo->click();
  for (int second = 0; second < 10; ++second) Second();
  ASSERT_GT(Panel(0)->Averager().AverageBer(), 0.0);
  ASSERT_GT(Card().Bert_GetTotalBits(0), 1e6);
  sounds_.Take();
  config::gApp.SetupEdited = 0;
  Panel(0)->ButtonResetStats->click();
  EXPECT_LT(Card().Bert_GetTotalBits(0), 1e3);
  EXPECT_EQ(Panel(0)->Averager().AverageBer(), 0.0);
  EXPECT_EQ(Panel(0)->Averager().AverageErrors(), 0.0);
  EXPECT_EQ(Panel(0)->Averager().SecondsCounted(), 0);
  EXPECT_EQ(sounds_.Take(), (std::vector<platform::Tone>{{2000, 5}}));
  EXPECT_EQ(config::gApp.SetupEdited.load(), 1);
}

}  // namespace
}  // namespace berttest
