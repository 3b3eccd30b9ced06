#pragma once
// The program on an X display as an operator's desktop has it: under a window manager that frames
// every window (title bar, border), or, for the run named "ui.desktop_bare.", on a display without
// one. Places are measured on the frames.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "ui/operator/operator_fixture.h"
#include "util/gui/window_frame.h"

namespace desktoptest {

class DesktopTest : public operatortest::OperatorTest {
 protected:
  void SetUp() override {
    OperatorTest::SetUp();
    // Each run measures what it says it does.
    ASSERT_EQ(util::WindowManagerRunning(), !Bare())
        << (Bare() ? "a window manager runs on the display without one"
                   : "no window manager on $DISPLAY: test.sh starts openbox there");
  }

  static bool Bare() {
    const char* bare = std::getenv("QUORX_WITHOUT_WINDOW_MANAGER");
    return bare != nullptr && *bare != '\0';
  }

  // Waits until the window manager framed the window and the frame came to rest.
  static void WaitFramed(const QWidget& window) {
    if (!Bare()) RunUntil([&] { return window.frameGeometry() != window.geometry(); }, std::chrono::seconds(5));
    Settle();
  }

  // The card's window of a submenu (View > BERT, Setup > Card Setup, Factory > ...), chosen as the
  // operator chooses it.
  QWidget* OpenFromMenu(const char* item, int card) {
    QAction* action = form_->findChild<QAction*>(QString::fromLatin1(item) + QString::number(card));
    EXPECT_NE(action, nullptr) << item << card;
    if (action == nullptr) return nullptr;
    EXPECT_TRUE(action->isVisible() && action->isEnabled()) << item << card;
    action->trigger();
    Settle(std::chrono::milliseconds(100));
    QWidget* window = QApplication::activeWindow();
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
};

}  // namespace desktoptest
