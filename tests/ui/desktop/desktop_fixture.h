#pragma once
// The program on an X display as an operator's desktop has it: under a window manager that frames
// every window (title bar, border); for the run named "ui.desktop_bare.", on a display without
// one; for "ui.desktop_silent.", there under a window manager that frames nothing and never answers
// a request for frame extents (started for each test). Places are measured on the frames.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "config/general_routines.h"
#include "support/qt/window_settled.h"
#include "support/silent_window_manager.h"
#include "ui/operator/operator_fixture.h"
#include "util/gui/window_frame.h"

namespace desktoptest {

class DesktopTest : public operatortest::OperatorTest {
 protected:
  void SetUp() override {
    OperatorTest::SetUp();
    if (Silent()) {
      ASSERT_FALSE(util::WindowManagerRunning()) << "a window manager runs on the display without one";
      std::string error;
      ASSERT_TRUE(silent_.Start(QUORX_SILENT_WM, {}, error)) << error;
    }
    // Each run measures what it says it does.
    ASSERT_EQ(util::WindowManagerRunning(), !Bare())
        << (Bare() ? "a window manager runs on the display without one"
                   : "no window manager on $DISPLAY: test.sh starts openbox there");
  }

  void TearDown() override {
    OperatorTest::TearDown();
    silent_.Stop();
  }

  static bool Flag(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
  }
  // No window manager on the display.
  static bool Bare() { return Flag("QUORX_WITHOUT_WINDOW_MANAGER"); }
  // The silent window manager on it.
  static bool Silent() { return Flag("QUORX_SILENT_WINDOW_MANAGER"); }
  // A window manager that frames windows.
  static bool Framing() { return !Bare() && !Silent(); }

  // Waits until the window manager framed the window and the frame came to rest where the X server
  // has it, its place no longer due.
  static void WaitFramed(const QWidget& window) {
    EXPECT_TRUE(RunUntil([&] { return Settled(window); }, std::chrono::seconds(10))) << "never settled: " << Where(window);
  }
  static bool Settled(const QWidget& window) {
    return testsupport::WindowSettled(window, Framing()) && !util::FramePlaceDue(window);
  }

  // Waits until the window's frame stands at `place`; false when it never came there.
  static bool WaitFrameAt(const QWidget& window, QPoint place) {
    return RunUntil(
        [&] { return Settled(window) && window.frameGeometry().topLeft() == place; },
        std::chrono::seconds(10));
  }

  // The program's windows the operator sees now, the main window among them.
  static std::vector<QWidget*> ShownWindows() {
    std::vector<QWidget*> shown;
    for (QWidget* window : QApplication::topLevelWidgets()) {
      const Qt::WindowType type = window->windowType();
      if (window->isVisible() && (type == Qt::Window || type == Qt::Dialog || type == Qt::Tool)) {
        shown.push_back(window);
      }
    }
    return shown;
  }

  // Two cards of the first personalities with the Factory menu, the main window framed.
  void StartTwoCardsInFactoryMode() {
    PrepareProgramFolder(2, false, operatortest::kEveryPersonality);
    if (HasFatalFailure()) return;
    ASSERT_TRUE(testsupport::WriteWholeFile(folder_ / config::kFactoryModeMarker, ""));
    StartProgram();
    if (HasFatalFailure()) return;
    WaitFramed(*form_);
  }

  // Restarts the silent window manager with `arguments`.
  void RestartSilentManager(const std::vector<std::string>& arguments) {
    silent_.Stop();
    std::string error;
    ASSERT_TRUE(silent_.Start(QUORX_SILENT_WM, arguments, error)) << error;
  }

  // The card's window of a submenu (View > BERT, Setup > Card Setup, Factory > ...), chosen as the
  // operator chooses it.
  QWidget* OpenFromMenu(const char* item, int card) {
    QAction* action = form_->findChild<QAction*>(QString::fromLatin1(item) + QString::number(card));
    EXPECT_NE(action, nullptr) << item << card;
    if (action == nullptr) return nullptr;
    EXPECT_TRUE(action->isVisible() && action->isEnabled()) << item << card;
    // The window the item showed, not the active one: the window manager or the X server hands the
    // focus over a while later.
    const std::vector<QWidget*> before = ShownWindows();
    action->trigger();
    QWidget* window = nullptr;
    RunUntil(
        [&] {
          for (QWidget* shown : ShownWindows()) {
            if (std::find(before.begin(), before.end(), shown) == before.end()) window = shown;
          }
          return window != nullptr;
        },
        std::chrono::seconds(5));
    EXPECT_NE(window, nullptr) << item << card << " showed no window";
    if (window != nullptr) WaitFramed(*window);
    return window;
  }

  static QRect Screen() { return QGuiApplication::primaryScreen()->availableGeometry(); }

  static std::string Where(const QWidget& window) {
    const QRect frame = window.frameGeometry();
    return window.windowTitle().toStdString() + " frame at " + std::to_string(frame.x()) + "," +
           std::to_string(frame.y()) + " " + std::to_string(frame.width()) + "x" + std::to_string(frame.height());
  }

  // Whether a frame of `size` fits on the screen clear of every one of `blocked`.
  static bool RoomFor(QSize size, const std::vector<QRect>& blocked) {
    const QRect screen = Screen();
    for (int y = screen.top(); y + size.height() <= screen.bottom() + 1; ++y) {
      for (int x = screen.left(); x + size.width() <= screen.right() + 1; ++x) {
        const QRect candidate(QPoint(x, y), size);
        bool clear = true;
        for (const QRect& other : blocked) {
          if (candidate.intersects(other)) {
            clear = false;
            // Past the obstacle at once.
            x = other.right();
            break;
          }
        }
        if (clear) return true;
      }
    }
    return false;
  }

 private:
  testsupport::SilentWindowManager silent_;
};

}  // namespace desktoptest
