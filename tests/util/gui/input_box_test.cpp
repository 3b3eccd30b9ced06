// The prompts as the operator meets them: the real Qt dialog service, keys typed into the box.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "util/dialog_service.h"
#include "platform/message_bus.h"
#include "support/qt/window_settled.h"
#include "util/gui/input_box.h"
#include "util/gui/qt_dialog_service.h"
#include "util/gui/window_frame.h"
#include "util/process_globals.h"
#include "util/prompts.h"

namespace util {
namespace {

// What a label shows: with a buddy, Qt takes a single "&" as a shortcut marker and hides it.
QString ShownText(const QLabel& label) {
  if (label.buddy() == nullptr) return label.text();
  QString shown;
  const QString text = label.text();
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == u'&' && i + 1 < text.size()) ++i;
    shown.append(text[i]);
  }
  return shown;
}

// Every line shown by the visible labels of the window.
QStringList ShownLines(const QWidget& window) {
  QStringList lines;
  for (const QLabel* label : window.findChildren<QLabel*>()) {
    if (label->isVisible()) lines.append(ShownText(*label).split(u'\n'));
  }
  return lines;
}

// Under a window manager a window is framed, placed and moved a while after the program asks, the
// longer the busier the machine: it is measured once it stands where the X server has it, framed.
bool WaitForFrame(QWidget& window) { return testsupport::WaitWindowSettled(window, WindowManagerRunning()); }

template <class Window>
Window* OpenTopLevel() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* window = qobject_cast<Window*>(widget); window != nullptr && window->isVisible()) return window;
  }
  return nullptr;
}

// Runs `act` on the prompt once it shows (from inside its event loop); fails the test when no
// prompt shows within 500 turns of the loop.
template <class Window>
void WhenOpen(std::function<void(Window&)> act) {
  auto turns = std::make_shared<int>(0);
  auto once = std::make_shared<std::function<void()>>();
  *once = [act, turns, once] {
    if (Window* window = OpenTopLevel<Window>(); window != nullptr) {
      act(*window);
      *once = nullptr;
      return;
    }
    if (++*turns > 500) {
      ADD_FAILURE() << "no prompt showed";
      *once = nullptr;
      return;
    }
    QTimer::singleShot(10, *once);
  };
  QTimer::singleShot(0, *once);
}

class InputBoxTest : public testing::Test {
 protected:
  void SetUp() override {
    SetDialogService(std::make_shared<QtDialogService>());
    owner_ = std::make_unique<QWidget>();
    owner_->setWindowTitle(QStringLiteral("Owner"));
    owner_->setGeometry(300, 200, 640, 480);
    owner_->show();
    owner_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(owner_.get()));
    ASSERT_TRUE(WaitForFrame(*owner_));
  }
  void TearDown() override {
    owner_.reset();
    SetDialogService(nullptr);
  }

  // Where the prompt stood, what it showed, how wide it was.
  struct Seen {
    QString windowTitle;
    QStringList lines;
    QRect frame;
    int widestLine = 0;
    QImage image;
  };

  // The prompt as shown, then `keys` typed over its offered text and `finish` pressed. With
  // `centredOn`, its frame is measured once centred on that window (or given up on after a while):
  // a frame the window manager had not told of in time is put right once the box is mapped.
  void Operate(Seen& seen, const QString& keys, Qt::Key finish, const QWidget* centredOn = nullptr) {
    WhenOpen<QDialog>([&seen, keys, finish, centredOn](QDialog& box) {
      seen.windowTitle = box.windowTitle();
      seen.lines = ShownLines(box);
      EXPECT_TRUE(WaitForFrame(box));
      if (centredOn != nullptr) {
        static_cast<void>(QTest::qWaitFor([&] { return WaitForFrame(box) && Centred(box, *centredOn); }, 10000));
      }
      seen.frame = box.frameGeometry();
      const QFontMetrics metrics(box.font());
      for (const QString& line : seen.lines) seen.widestLine = std::max(seen.widestLine, metrics.horizontalAdvance(line));
      seen.image = box.grab().toImage();
      auto* editor = box.findChild<QLineEdit*>();
      ASSERT_NE(editor, nullptr);
      if (!keys.isEmpty()) {
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(editor, keys);
      }
      QTest::keyClick(editor, finish);
    });
  }

  // Whether the box's frame is centred on the window's, along each axis where the screen leaves room.
  static bool Centred(const QWidget& box, const QWidget& window) {
    const QRect area = box.screen()->availableGeometry();
    const QRect frame = box.frameGeometry();
    const QPoint off = frame.center() - window.frameGeometry().center();
    const bool alongX = std::abs(off.x()) <= 2 || frame.left() == area.left() || frame.right() == area.right();
    const bool alongY = std::abs(off.y()) <= 2 || frame.top() == area.top() || frame.bottom() == area.bottom();
    return alongX && alongY;
  }

  static void Save(const QImage& image, const char* name) {
    if (const char* folder = std::getenv("QUORX_SCREENSHOT_FOLDER"); folder != nullptr && *folder != '\0') {
      EXPECT_TRUE(image.save(QString::fromStdString(std::string(folder) + "/" + name)));
    }
  }

  std::unique_ptr<QWidget> owner_;
};

TEST_F(InputBoxTest, RangePromptShowsTheAmpersandAndTakesTheTypedNumber) {
  Seen seen;
  Operate(seen, QStringLiteral("-55.5"), Qt::Key_Return, owner_.get());
  double value = -20.0;
  EXPECT_TRUE(PromptDoubleInRange("Enter Max Signal Strength Before Color Change", value, 2, -100.0, 0.0));
  EXPECT_DOUBLE_EQ(value, -55.5);
  EXPECT_EQ(seen.windowTitle.toStdString(), "Enter Max Signal Strength Before Color Change");
  EXPECT_TRUE(seen.lines.contains(QStringLiteral("Enter Max Signal Strength Before Color Change"))) << seen.lines.join('|').toStdString();
  EXPECT_TRUE(seen.lines.contains(QStringLiteral("Input Value between -100.00 & 0.00"))) << seen.lines.join('|').toStdString();
  // Wide enough for its longest line, centred on the window it belongs to.
  EXPECT_GE(seen.frame.width(), seen.widestLine + 20);
  EXPECT_LE(std::abs(seen.frame.center().x() - owner_->frameGeometry().center().x()), 2);
  EXPECT_LE(std::abs(seen.frame.center().y() - owner_->frameGeometry().center().y()), 2);
  Save(seen.image, "prompt_range.png");

  // The whole-number prompt the same way; a typed hexadecimal answer.
  Seen whole;
  Operate(whole, QStringLiteral("0x1f"), Qt::Key_Enter);
  std::int32_t number = 8;
  EXPECT_TRUE(PromptIntInRange("Enter the number of bits in the pattern [8,16,24, or 32 only] (0x for hex)", number, 32, 10, 8));
  EXPECT_EQ(number, 31);
  EXPECT_TRUE(whole.lines.contains(QStringLiteral("Input Range 8 - 32")));
  EXPECT_TRUE(whole.lines.contains(QStringLiteral("Enter the number of bits in the pattern [8,16,24, or 32 only] (0x for hex)")));
  EXPECT_GE(whole.frame.width(), whole.widestLine + 20);
}

TEST_F(InputBoxTest, TuningPromptShowsEveryTitleLineAndEscapeCancels) {
  const std::string title =
      "Enter the Tuning Frequency in MHz\n1435.00 -- 1540.00\n2200.00 -- 2300.00\n2300.00 -- 2400.00";
  Seen seen;
  Operate(seen, QString(), Qt::Key_Escape, owner_.get());
  double value = 2250.5;
  EXPECT_EQ(AskDoubleInRange(title, value, 2, 1435.0, 2400.0), PromptResult::Cancelled);
  EXPECT_DOUBLE_EQ(value, 2250.5);
  EXPECT_EQ(seen.windowTitle.toStdString(), "Enter the Tuning Frequency in MHz");
  for (const char* line : {"Enter the Tuning Frequency in MHz", "1435.00 -- 1540.00", "2200.00 -- 2300.00",
                           "2300.00 -- 2400.00", "Input Value between 1435.00 & 2400.00"}) {
    EXPECT_TRUE(seen.lines.contains(QString::fromLatin1(line))) << line << " in " << seen.lines.join('|').toStdString();
  }
  EXPECT_GE(seen.frame.width(), seen.widestLine + 20);
  EXPECT_LE(std::abs(seen.frame.center().x() - owner_->frameGeometry().center().x()), 2);

  // The plain prompt keeps the value on Escape and still reports it answered.
  Seen again;
  Operate(again, QString(), Qt::Key_Escape);
  EXPECT_TRUE(PromptDoubleInRange(title, value, 2, 1435.0, 2400.0));
  EXPECT_DOUBLE_EQ(value, 2250.5);
}

// The offered value is selected when the box opens: digits typed at once replace it.
TEST_F(InputBoxTest, DigitsTypedAtOnceReplaceTheOfferedValue) {
  QString selected;
  WhenOpen<QDialog>([&selected](QDialog& box) {
    // As the operator meets it: shown, active, with everything it queued on showing done.
    EXPECT_TRUE(QTest::qWaitForWindowActive(&box));
    QCoreApplication::processEvents();
    auto* editor = box.findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    selected = editor->selectedText();
    QTest::keyClicks(editor, QStringLiteral("-55.5"));
    QTest::keyClick(editor, Qt::Key_Return);
  });
  double value = -20.0;
  EXPECT_TRUE(PromptDoubleInRange("Enter Max Signal Strength Before Color Change", value, 2, -100.0, 0.0));
  EXPECT_EQ(selected.toStdString(), "-20.00");
  EXPECT_DOUBLE_EQ(value, -55.5);
}

// A window of the program standing in for the main window (the owner of message boxes).
class StandInMainWindow final : public QWidget, public platform::MessageTarget {
 public:
  StandInMainWindow() : previous_(MainWindowHandle.exchange(this)) {}
  ~StandInMainWindow() override { MainWindowHandle.store(previous_); }
  StandInMainWindow(const StandInMainWindow&) = delete;
  StandInMainWindow& operator=(const StandInMainWindow&) = delete;
  bool Post(std::uint32_t, platform::WParam, platform::LParam) override { return true; }
  platform::LParam Send(std::uint32_t, platform::WParam, platform::LParam) override { return 0; }

 private:
  platform::MessageTarget* previous_;
};

// With no window of the program active the box belongs to the main window while that is shown,
// and opens centred on it; a hidden main window owns nothing.
TEST_F(InputBoxTest, WithNoActiveWindowTheShownMainWindowOwnsTheBox) {
  StandInMainWindow mainWindow;
  mainWindow.setAttribute(Qt::WA_ShowWithoutActivating);
  mainWindow.setGeometry(100, 500, 400, 300);
  owner_->hide();
  mainWindow.show();
  QCoreApplication::processEvents();
  ASSERT_TRUE(WaitForFrame(mainWindow));
  ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activeWindow() == nullptr; }));
  EXPECT_EQ(InputBox::OwnerWindow(), &mainWindow);

  Seen seen;
  Operate(seen, QStringLiteral("7"), Qt::Key_Return, &mainWindow);
  std::int32_t number = 3;
  EXPECT_TRUE(PromptIntInRange("Enter the number", number, 10, 10, 0));
  EXPECT_EQ(number, 7);
  EXPECT_LE(std::abs(seen.frame.center().x() - mainWindow.frameGeometry().center().x()), 2);
  EXPECT_LE(std::abs(seen.frame.center().y() - mainWindow.frameGeometry().center().y()), 2);

  mainWindow.hide();
  QCoreApplication::processEvents();
  // A window manager hands the focus back to the main window when the box closes; hidden, it loses it.
  ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activeWindow() == nullptr; }));
  EXPECT_EQ(InputBox::OwnerWindow(), nullptr);
}

// A box over a window at the screen's top (or left) edge, taller (or wider) than the window,
// starts on the screen, not above (or left of) it.
TEST_F(InputBoxTest, ABoxOverAWindowAtTheScreensEdgeStaysOnTheScreen) {
  const QRect area = owner_->screen()->availableGeometry();
  const QRect windows[] = {QRect(area.left() + 300, area.top(), 400, 40), QRect(area.left(), area.top() + 300, 60, 400)};
  for (const QRect& window : windows) {
    SCOPED_TRACE(testing::Message() << "window at " << window.x() << "," << window.y());
    const std::optional<QRect> before = testsupport::ServerGeometry(*owner_);
    owner_->setGeometry(window);
    // A window manager answers the move a while later and may keep the title bar on the screen; the
    // box is centred on where the window settled.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return testsupport::ServerGeometry(*owner_) != before && WaitForFrame(*owner_); }, 10000));
    Seen seen;
    // The box belongs to the active window: the window manager hands the focus back to the window a
    // while after the box before closed.
    owner_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(owner_.get()));
    Operate(seen, QString(), Qt::Key_Escape, owner_.get());
    double value = 1.0;
    EXPECT_TRUE(PromptDoubleInRange("Enter the Time Constant (in seconds)", value, 2, 0.0, 1.0));
    ASSERT_FALSE(seen.frame.isEmpty());
    EXPECT_GE(seen.frame.top(), area.top());
    EXPECT_GE(seen.frame.left(), area.left());
    EXPECT_TRUE(area.contains(seen.frame)) << seen.frame.x() << "," << seen.frame.y();
    // Still over the window along the other axis.
    if (window.top() == area.top()) {
      EXPECT_LE(std::abs(seen.frame.center().x() - owner_->frameGeometry().center().x()), 2);
    } else {
      EXPECT_LE(std::abs(seen.frame.center().y() - owner_->frameGeometry().center().y()), 2)
          << seen.frame.y() << " " << seen.frame.height() << " owner " << owner_->frameGeometry().y() << " "
          << owner_->frameGeometry().height() << " " << owner_->geometry().y() << " " << owner_->geometry().height();
    }
  }
}

TEST_F(InputBoxTest, MenuCaptionsShowTheirAmpersand) {
  MenuChoiceRequest request;
  request.menuName = "PopupMenuTest";
  request.items = {{"Peak & Hold", true}, {"R&D", true}};
  QString shown;
  WhenOpen<QMenu>([&shown](QMenu& menu) {
    for (const QAction* action : menu.actions()) shown += action->iconText() + u'|';
    QTest::keyClick(&menu, Qt::Key_Down);
    QTest::keyClick(&menu, Qt::Key_Down);
    QTest::keyClick(&menu, Qt::Key_Return);
  });
  const int chosen = Dialogs().ChooseMenuItem(request);
  EXPECT_EQ(shown.toStdString(), "Peak & Hold|R&D|");
  EXPECT_EQ(chosen, 1);
}

TEST_F(InputBoxTest, MessageBoxesShowTheirTextAsItIs) {
  const std::string text = "Level <b>-20</b> & more";
  QStringList shown;
  WhenOpen<QMessageBox>([&shown](QMessageBox& box) {
    shown = ShownLines(box);
    for (const QLabel* label : box.findChildren<QLabel*>()) {
      if (label->isVisible() && label->text() == box.text()) {
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
      }
    }
    QTest::keyClick(&box, Qt::Key_Escape);
  });
  Dialogs().ShowMessage("WARNING", text);
  EXPECT_TRUE(shown.contains(QString::fromStdString(text))) << shown.join('|').toStdString();
}

}  // namespace
}  // namespace util
