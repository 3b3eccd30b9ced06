// The user-pattern prompts through the program's own Qt input box: a click on the pattern, keys
// typed into the box. A cancelled prompt leaves the card, its counters and the setup alone.
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <memory>
#include <vector>

#include "bert_window_fixture.h"
#include "util/gui/qt_dialog_service.h"

namespace berttest {
namespace {

class UserPatternCancelTest : public BertWindowTest {
 protected:
  // The user pattern 0x5A in 16 bits, set through the scripted prompts.
  void StartInUserPattern() {
    Start();
    if (HasFatalFailure()) return;
    dialogs_->AnswerMenu("USER");
    Panel(0)->LabelPrnPatternClick();
    dialogs_->AnswerInput("16");
    dialogs_->AnswerInput("0x5A");
    Panel(0)->LabelUserPatternClick();
    ASSERT_EQ(Value(Rec().RxBert[0].UserPattern), 0x5Au);
    for (int second = 0; second < 3; ++second) Second();
    config::gApp.SetupEdited = 0;
    sounds_.Take();
    util::SetDialogService(std::make_shared<util::QtDialogService>());
  }

  struct Reply {
    QString keys;  // typed over the offered text; none leaves it
    Qt::Key finish;
  };

  // The operator answers every prompt that shows, in turn; one more than expected is cancelled
  // and counted, so a prompt too many never blocks the test.
  void Replies(std::vector<Reply> replies) {
    replies_ = std::move(replies);
    promptsShown_ = 0;
    operator_.setInterval(10);
    QObject::connect(&operator_, &QTimer::timeout, [this] {
      QLineEdit* editor = nullptr;
      for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QDialog*>(widget);
        if (box != nullptr && box->isVisible() && box->findChild<QLineEdit*>() != nullptr) editor = box->findChild<QLineEdit*>();
      }
      if (editor == nullptr) return;
      ++promptsShown_;
      const Reply reply = replies_.empty() ? Reply{QString(), Qt::Key_Escape} : replies_.front();
      if (!replies_.empty()) replies_.erase(replies_.begin());
      if (!reply.keys.isEmpty()) {
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(editor, reply.keys);
      }
      QTest::keyClick(editor, reply.finish);
    });
    operator_.start();
  }

  void Done() {
    operator_.stop();
    operator_.disconnect();
  }

  void ClickUserPattern() {
    QLabel* label = Panel(0)->LabelUserPattern;
    ASSERT_TRUE(label->isVisible());
    QTest::mouseClick(label, Qt::LeftButton, {}, label->rect().center());
  }

  QTimer operator_;
  std::vector<Reply> replies_;
  int promptsShown_ = 0;
};

TEST_F(UserPatternCancelTest, CancelOnEitherPromptChangesNothing) {
  StartInUserPattern();
  std::string pattern;
  int length = 0;

  // Escape on the length prompt: no second prompt, nothing sent, the setup not edited.
  Replies({{QString(), Qt::Key_Escape}});
  ClickUserPattern();
  Done();
  EXPECT_EQ(promptsShown_, 1);
  Card().Bert_GetUserPattern(0, pattern, length);
  EXPECT_EQ(length, 16);
  EXPECT_EQ(Value(Rec().RxBert[0].UserPattern), 0x5Au);
  EXPECT_EQ(config::gApp.SetupEdited.load(), 0);
  EXPECT_TRUE(sounds_.Take().empty());  // no statistics reset, whose tick sounds

  // A new length confirmed, then Escape on the pattern prompt: still nothing changes.
  Replies({{QStringLiteral("32"), Qt::Key_Return}, {QString(), Qt::Key_Escape}});
  ClickUserPattern();
  Done();
  EXPECT_EQ(promptsShown_, 2);
  Card().Bert_GetUserPattern(0, pattern, length);
  EXPECT_EQ(length, 16);
  EXPECT_EQ(Value(Rec().RxBert[0].UserPatternLength), 16);
  EXPECT_EQ(config::gApp.SetupEdited.load(), 0);
  EXPECT_TRUE(sounds_.Take().empty());

  // Both confirmed: the new pattern is sent.
  Replies({{QString(), Qt::Key_Return}, {QStringLiteral("0x3C"), Qt::Key_Return}});
  ClickUserPattern();
  Done();
  EXPECT_EQ(promptsShown_, 2);
  EXPECT_EQ(Value(Rec().RxBert[0].UserPattern), 0x3Cu);
  EXPECT_EQ(config::gApp.SetupEdited.load(), 1);
}

}  // namespace
}  // namespace berttest
