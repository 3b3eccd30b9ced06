// Windows on a desktop: each comes back where it was, to the pixel, after reopenings and restarts;
// a window without a place of its own opens with its whole frame, title bar included, clear of the
// main window and of every other window of the program while the screen has room; the main
// window's frame opens on the screen; placing a window never waits for the window manager.
#include <QAction>
#include <QPixmap>

#include <cstdlib>

#include <string>
#include <vector>

#include "config/general_routines.h"
#include "config/window_positions.h"
#include "desktop_fixture.h"
#include "ui/bert/card_bert_form.h"
#include "ui/factory/factory_windows.h"
#include "ui/modulator/mod_control_form.h"
#include "util/ini_routines.h"

namespace desktoptest {
namespace {

using WindowPlacesTest = DesktopTest;

void ExpectFrameOnScreen(const QWidget& window, const std::string& where) {
  const QRect frame = window.frameGeometry();
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_GE(frame.top(), screen.top()) << where;
  EXPECT_GE(frame.left(), screen.left()) << where;
  EXPECT_LE(frame.top(), screen.bottom()) << where;
  EXPECT_LE(frame.left(), screen.right()) << where;
}

TEST_F(WindowPlacesTest, TheMainWindowsFrameOpensOnTheScreen) {
  StartOnEveryPersonality();
  if (HasFatalFailure()) return;
  WaitFramed(*form_);
  ExpectFrameOnScreen(*form_, Where(*form_));
  // And again where the position file put it: its frame is where the file says.
  form_->CloseProgram();
  const std::string file = config::PositionFilePath();
  ASSERT_TRUE(util::IniWriteInt(file, "MainWindow", "Width", 1000));
  ASSERT_TRUE(util::IniWriteInt(file, "MainWindow", "Left", 17));
  ASSERT_TRUE(util::IniWriteInt(file, "MainWindow", "Top", 0));
  RestartProgram();
  WaitFramed(*form_);
  EXPECT_EQ(form_->frameGeometry().topLeft(), QPoint(17, 0)) << Where(*form_);
}

// Opened, then closed and reopened inside one run, then the program restarted three times with
// the windows open (the card and test-modulator windows come back at the start): every window and
// the main window stay where they were, to the pixel.
TEST_F(WindowPlacesTest, WindowsComeBackToThePixel) {
  StartOnEveryPersonality();
  if (HasFatalFailure()) return;
  WaitFramed(*form_);
  QWidget* card = OpenFromMenu("SubMenuMenuCardSetup", 0);
  QWidget* modulator = OpenFromMenu("SubMenuMenuViewTestModulator", 1);
  QWidget* bert = OpenFromMenu("SubMenuMenuViewBERT", 1);
  ASSERT_NE(card, nullptr);
  ASSERT_NE(modulator, nullptr);
  ASSERT_NE(bert, nullptr);
  // The operator drags the card window somewhere of its own.
  const QPoint dragged = card->frameGeometry().topLeft() + QPoint(13, 37);
  card->move(dragged);
  WaitFramed(*card);
  ASSERT_EQ(card->frameGeometry().topLeft(), dragged);
  const QPoint cardPlace = card->frameGeometry().topLeft();
  const QPoint modulatorPlace = modulator->frameGeometry().topLeft();
  const QPoint bertPlace = bert->frameGeometry().topLeft();
  const QPoint mainPlace = form_->frameGeometry().topLeft();

  card->close();
  bert->close();
  Settle();
  card = OpenFromMenu("SubMenuMenuCardSetup", 0);
  bert = OpenFromMenu("SubMenuMenuViewBERT", 1);
  ASSERT_NE(card, nullptr);
  ASSERT_NE(bert, nullptr);
  EXPECT_EQ(card->frameGeometry().topLeft(), cardPlace) << "reopened: " << Where(*card);
  EXPECT_EQ(bert->frameGeometry().topLeft(), bertPlace) << "reopened: " << Where(*bert);

  for (int restart = 1; restart <= 3; ++restart) {
    SCOPED_TRACE("restart " + std::to_string(restart));
    form_->CloseProgram();
    RestartProgram();
    if (HasFatalFailure()) return;
    WaitFramed(*form_);
    EXPECT_EQ(form_->frameGeometry().topLeft(), mainPlace) << Where(*form_);
    const std::vector<std::pair<QWidget*, QPoint>> windows{
        {static_cast<QWidget*>(config::gApp.CardSetupForms[0]), cardPlace},
        {static_cast<QWidget*>(config::gApp.TestModulatorForms[1]), modulatorPlace}};
    for (const auto& [window, place] : windows) {
      // Open at the close: reopened at the start.
      ASSERT_NE(window, nullptr);
      WaitFramed(*window);
      EXPECT_TRUE(window->isVisible()) << Where(*window);
      EXPECT_EQ(window->frameGeometry().topLeft(), place) << Where(*window);
    }
  }
}

// Card, BERT, test-modulator and factory windows opened one after the other: none covers the main
// window or a window opened before it while the screen had room for it elsewhere.
TEST_F(WindowPlacesTest, NewWindowsOpenClearOfEveryWindowOfTheProgram) {
  PrepareProgramFolder(2, false, operatortest::kEveryPersonality);
  if (HasFatalFailure()) return;
  ASSERT_TRUE(testsupport::WriteWholeFile(folder_ / config::kFactoryModeMarker, ""));
  StartProgram();
  if (HasFatalFailure()) return;
  WaitFramed(*form_);
  const std::vector<std::pair<const char*, int>> opened{
      {"SubMenuMenuViewBERT", 0},  {"SubMenuMenuViewTestModulator", 0}, {"SubMenuPeekPoke", 0},
      {"SubMenuFilePoke", 0},      {"SubMenuTOC", 0},                    {"SubMenuMenuCardSetup", 1},
      {"SubMenuMenuViewBERT", 1}};
  std::vector<QRect> blocked{form_->frameGeometry()};
  for (const auto& [item, card] : opened) {
    QWidget* window = OpenFromMenu(item, card);
    ASSERT_NE(window, nullptr) << item << card;
    ASSERT_NE(window, form_.get()) << item << card;
    const QRect frame = window->frameGeometry();
    SCOPED_TRACE(Where(*window));
    EXPECT_TRUE(Screen().contains(frame) || frame.topLeft() == Screen().topLeft());
    bool covers = false;
    for (const QRect& other : blocked) covers = covers || frame.intersects(other);
    if (covers) {
      EXPECT_FALSE(RoomFor(frame.size(), blocked)) << "covers another window though the screen had room";
    }
    blocked.push_back(frame);
  }
  // What the operator sees, title bars and all, kept in the screenshot folder when one is given.
  if (const char* folder = std::getenv("QUORX_SCREENSHOT_FOLDER"); folder != nullptr && *folder != '\0') {
    Settle();
    const QPixmap screen = QGuiApplication::primaryScreen()->grabWindow(0);
    ASSERT_FALSE(screen.isNull());
    EXPECT_TRUE(screen.save(QString::fromStdString(std::string(folder) + (Bare() ? "/bare_desktop_windows.png" : "/desktop_windows.png"))));
  }
}

// Placing a window never waits for the window manager: what the program knows of the frame is
// taken at once and the manager is asked for the rest, its answer serving the windows after it.
// Under the silent manager the answer comes only once asked (and frames nothing). However the
// frame turns out, it goes where it was put once the manager has mapped the window.
TEST_F(WindowPlacesTest, PlacingAWindowNeverWaitsForTheWindowManager) {
  // Left, top, right, bottom as the silent manager answers them (it is told left, right, top, bottom).
  const QMargins answered(4, 23, 5, 6);
  if (Silent()) RestartSilentManager({"--answer-extents=4,5,23,6"});
  if (HasFatalFailure()) return;
  QWidget first;
  first.setWindowTitle(QStringLiteral("First"));
  first.resize(300, 200);
  static_cast<void>(first.winId());
  // No frame of the program known yet: the call returns without the manager's answer.
  EXPECT_EQ(util::FrameMargins(first), QMargins());

  // The answer, once the manager gave it, serves the next window at once.
  QWidget second;
  second.setWindowTitle(QStringLiteral("Second"));
  second.resize(300, 200);
  static_cast<void>(second.winId());
  QMargins known;
  RunUntil(
      [&] {
        known = util::FrameMargins(second);
        return known != QMargins();
      },
      std::chrono::seconds(Bare() ? 0 : 5));
  const QMargins expected = Silent() ? answered : QMargins();
  if (Framing()) {
    EXPECT_NE(known, QMargins()) << "openbox frames windows";
  } else {
    EXPECT_EQ(known, expected);
  }

  // Each frame where it was put: the first placed knowing nothing, the second knowing the answer.
  const QPoint firstPlace = Screen().topLeft() + QPoint(40, 60);
  const QPoint secondPlace = Screen().topLeft() + QPoint(420, 60);
  util::MoveFrameTo(first, firstPlace);
  util::MoveFrameTo(second, secondPlace);
  first.show();
  second.show();
  for (const auto& [window, place] : {std::pair<QWidget*, QPoint>{&first, firstPlace}, {&second, secondPlace}}) {
    EXPECT_TRUE(RunUntil(
        [&, window = window, place = place] {
          return (!Framing() || window->frameGeometry() != window->geometry()) &&
                 window->frameGeometry().topLeft() == place;
        },
        std::chrono::seconds(5)))
        << Where(*window);
    // And it stays there.
    Settle();
    EXPECT_EQ(window->frameGeometry().topLeft(), place) << Where(*window);
  }
  if (Framing()) {
    EXPECT_EQ(util::FrameMargins(second), known) << "the frame the answer told of";
  }
}

}  // namespace
}  // namespace desktoptest
