// The card BERT window: its size, its panels through close and reopen, re-colouring, and a panel
// its window frees while one of its prompts waits for the operator.
#include <QFrame>
#include <QPalette>

#include <functional>
#include <optional>

#include "bert_window_fixture.h"
#include "ui/scheme_colours.h"
#include "util/dialog_service.h"
#include "util/gui/qt_colour.h"

namespace berttest {
namespace {

using CardBertFormTest = BertWindowTest;

TEST_F(CardBertFormTest, WidthFollowsTheSingleChannelOption) {
  Start();
  EXPECT_EQ(form_->width(), 826);
  options_.Info().SingleChannelUsage = 1;
  TCardBertForm single(0, nullptr, [this] { return now_; });
  EXPECT_EQ(single.width(), 429);
  EXPECT_EQ(form_->LabelChannel[0]->text().toStdString(), "Channel 1");
  EXPECT_EQ(form_->LabelChannel[1]->text().toStdString(), "Channel 2");
}

TEST_F(CardBertFormTest, PanelsFitTheirWindow) {
  Start();
  // Channel 1 with its user-pattern rows shown, in binary: the tallest and widest panel.
  Card().Bert_SetPnPattern(0, "userPattern");
  Rec().RxBert[0].UserPatternRadix = 2;
  Second();
  ASSERT_TRUE(Panel(0)->PanelUserPattern->isVisibleTo(Panel(0)));
  for (int channel = 0; channel < 2; ++channel) {
    SCOPED_TRACE(channel);
    TSM_BertControlForm* panel = Panel(channel);
    // Every panel's layout fits into the room the window gives it.
    EXPECT_LE(panel->sizeHint().height(), form_->PanelChannel[static_cast<std::size_t>(channel)]->height());
    EXPECT_LE(panel->minimumSizeHint().width(), form_->PanelChannel[static_cast<std::size_t>(channel)]->width());
    for (const QLabel* label : panel->findChildren<QLabel*>()) {
      if (!label->isVisibleTo(panel)) continue;
      SCOPED_TRACE(label->objectName().toStdString());
      EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width());
    }
  }
  EXPECT_LE(form_->PanelChannel[1]->geometry().right(), form_->width());
}

TEST_F(CardBertFormTest, CloseFreesThePanelsAndShowMakesThemAnew) {
  Start();
  Panel(0)->SpeedButtonBerAvgGo->click();
  Second();
  form_->close();
  EXPECT_EQ(Panel(0), nullptr);
  EXPECT_EQ(Panel(1), nullptr);
  // The timer and the messages still reach the window: nothing of the panels is touched.
  form_->Refresh10Hz();
  form_->UpdateColors();
  form_->UpdateCardMode();
  form_->SaveWindowState();
  EXPECT_EQ(config::gApp.Placement(0, config::CardWindowKind::CardBert).WasVisible, 0);
  form_->move(40, 50);
  form_->show();
  QCoreApplication::processEvents();
  ASSERT_NE(Panel(0), nullptr);
  EXPECT_FALSE(ButtonDown());
  Second();
  EXPECT_EQ(Text(0, "LabelLock"), "LOCKED");
  form_->SaveWindowState();
  const config::WindowPlacementRecord placement = config::gApp.Placement(0, config::CardWindowKind::CardBert);
  EXPECT_EQ(placement.WasVisible, 1);
  EXPECT_EQ(placement.Width, 826);
}

TEST_F(CardBertFormTest, RecolourTakesTheSchemesColours) {
  Start();
  config::ColorBlock& scheme = options_.Info().ColorScheme;
  scheme[config::kAppMainBackgroundColor] = 0x102030;
  scheme[config::kAppStatusBackgroundColor] = 0x405060;
  scheme[config::kAppStatusDataColor] = 0x00A0B0;
  scheme[config::kAppSetupBackgroundColor] = 0x708090;
  form_->UpdateColors();
  EXPECT_EQ(form_->palette().color(QPalette::Window), util::ToQColor(0x102030));
  EXPECT_EQ(form_->PanelChannel[0]->palette().color(QPalette::Window), util::ToQColor(0x708090));
  for (int channel = 0; channel < 2; ++channel) {
    SCOPED_TRACE(channel);
    EXPECT_EQ(Panel(channel)->PanelStatus->palette().color(QPalette::Window), util::ToQColor(0x405060));
    EXPECT_EQ(Panel(channel)->LabelBer->palette().color(QPalette::WindowText), util::ToQColor(0x00A0B0));
    EXPECT_EQ(Panel(channel)->PanelConfig->palette().color(QPalette::Window), util::ToQColor(0x708090));
    // The values the operator clicks stay yellow on black.
    EXPECT_EQ(Panel(channel)->LabelInputSource->palette().color(QPalette::WindowText), util::ToQColor(0x00FFFF));
  }
}

// Closes the BERT window while the operator is asked for a value, then answers.
class ClosingDialogs final : public util::DialogService {
 public:
  explicit ClosingDialogs(TCardBertForm* form, std::function<void()> closer = {})
      : form_(form), closer_(std::move(closer)) {}
  void ShowMessage(const std::string&, const std::string& text) override { messages.push_back(text); }
  bool InputQuery(const std::string&, const std::string&, std::string& text) override {
    ++queries;
    if (closer_) {
      closer_();
    } else {
      form_->close();
    }
    text = "12";
    return true;
  }
  bool OpenFile(const util::FileDialogRequest&, std::string&) override { return false; }
  bool SaveFile(const util::FileDialogRequest&, std::string&) override { return false; }
  bool PickColour(util::TColor&) override { return false; }
  int ChooseMenuItem(const util::MenuChoiceRequest&) override {
    form_->close();
    return 1;
  }
  util::Answer AskYesNoCancel(const std::string&, const std::string&) override { return util::Answer::Cancel; }

  int queries = 0;
  std::vector<std::string> messages;

 private:
  TCardBertForm* form_;
  std::function<void()> closer_;
};

TEST_F(CardBertFormTest, PanelFreedDuringItsPromptIsNeverTouchedAgain) {
  Start();
  const std::int32_t length = Rec().RxBert[0].UserPatternLength;
  const std::int32_t seconds = Rec().RxBert[1].NumSecsToAverage;
  const std::string polarity = Card().Bert_GetClockPolarity(0);
  auto closing = std::make_shared<ClosingDialogs>(form_.get());
  util::SetDialogService(closing);
  Panel(0)->LabelUserPatternClick();
  EXPECT_EQ(closing->queries, 1);
  EXPECT_EQ(Panel(0), nullptr);
  form_->show();
  QCoreApplication::processEvents();
  Panel(1)->LabelBerSampleLengthClick();
  form_->show();
  QCoreApplication::processEvents();
  Panel(0)->LabelClockPolarityClick();
  util::SetDialogService(nullptr);
  // Nothing reached the card or the setup from the freed panels; the timer goes on.
  EXPECT_EQ(Value(Rec().RxBert[0].UserPatternLength), length);
  EXPECT_EQ(Value(Rec().RxBert[1].NumSecsToAverage), seconds);
  EXPECT_EQ(Card().Bert_GetClockPolarity(0), polarity);
  EXPECT_EQ(closing->queries, 2);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  form_->Refresh10Hz();
  form_->UpdateColors();
  form_->show();
  QCoreApplication::processEvents();
  Second();
  EXPECT_EQ(Text(0, "LabelLock"), "LOCKED");
}

TEST_F(CardBertFormTest, WindowDeletedDuringAPromptLeavesNothingBehind) {
  Start();
  const std::int32_t length = Rec().RxBert[0].UserPatternLength;
  // The shut-down deletes the window while the operator is asked.
  auto closing = std::make_shared<ClosingDialogs>(form_.get(), [this] { form_.reset(); });
  util::SetDialogService(closing);
  TSM_BertControlForm* panel = Panel(0);
  panel->LabelUserPatternClick();
  util::SetDialogService(nullptr);
  EXPECT_EQ(form_, nullptr);
  EXPECT_EQ(Value(Rec().RxBert[0].UserPatternLength), length);
  // The panel frees itself once its handler has returned (the sanitizers watch both).
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace
}  // namespace berttest
