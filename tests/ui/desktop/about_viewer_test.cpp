// The error-log viewers (View > Error Logs, the about box's "View Error Log") take a free place as
// every window does: their frames clear of the main window and of the box (and of its OK button),
// on the screen. The about box opens centred on the main window, clear of it.
#include <QAction>
#include <QPushButton>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "desktop_fixture.h"
#include "support/log_capture.h"
#include "config/general_routines.h"
#include "ui/cards/prepared_folder.h"
#include "ui/free_place.h"
#include "ui/main_menus.h"
#include "ui/modal_driver.h"
#include "util/gui/about_box.h"
#include "util/gui/log_viewer_window.h"

namespace desktoptest {
namespace {

using AboutViewerTest = DesktopTest;

std::vector<std::string> Arguments(int pid) {
  const std::string line = testsupport::ReadWholeFile("/proc/" + std::to_string(pid) + "/cmdline");
  std::vector<std::string> arguments;
  std::string argument;
  for (const char c : line) {
    if (c != '\0') {
      argument += c;
      continue;
    }
    arguments.push_back(argument);
    argument.clear();
  }
  return arguments;
}

// The viewer's frame from its arguments (program, file, left, top, and its window's width and
// height where it was cut smaller), with the frame around its window `frameExtra` larger; empty
// without a place.
QRect ViewerFrame(const std::vector<std::string>& arguments, QSize frameExtra) {
  if (arguments.size() != 4 && arguments.size() != 6) return {};
  QSize window(util::kLogViewerWidth, util::kLogViewerHeight);
  if (arguments.size() == 6) window = QSize(std::stoi(arguments[4]), std::stoi(arguments[5]));
  return QRect(QPoint(std::stoi(arguments[2]), std::stoi(arguments[3])), window + frameExtra);
}

TEST_F(AboutViewerTest, TheViewerOpensClearOfTheBox) {
  uitest::PrepareFolderAsRunShDoes(folder_.Path());
  ASSERT_FALSE(HasFailure());
  StartProgram();
  if (HasFatalFailure()) return;
  WaitFramed(*form_);
  std::vector<std::string> arguments;
  QRect box;
  QSize frameExtra;
  QRect screen;
  uitest::WhenShown<util::TVopBorAboutBoxForm>("VopBorAboutBoxForm", [&](util::TVopBorAboutBoxForm& shown) {
    WaitFramed(shown);
    box = shown.frameGeometry();
    frameExtra = box.size() - shown.size();
    screen = Screen();
    shown.findChild<QPushButton*>("ButtonViewErrorLog")->click();
    const int pid = shown.ViewerPid();
    if (pid > 0) {
      RunUntil(
          [&] {
            arguments = Arguments(pid);
            return arguments.size() >= 4;
          },
          std::chrono::seconds(10));
    }
    shown.accept();
  });
  form_->findChild<QAction*>("MenuAbout")->trigger();
  // The viewer's frame: its window with a frame like the box's.
  const QRect viewer = ViewerFrame(arguments, frameExtra);
  ASSERT_FALSE(viewer.isEmpty());
  const QRect main = form_->frameGeometry();
  // Clear of the box while the screen has room for both; never over the main window (on a small
  // screen the viewer is cut to the room left).
  if (RoomFor(viewer.size(), {box, main})) {
    EXPECT_FALSE(viewer.intersects(box)) << viewer.x() << "," << viewer.y() << " box at " << box.x() << "," << box.y();
  }
  EXPECT_FALSE(viewer.intersects(main)) << viewer.x() << "," << viewer.y() << " main window " << Where(*form_);
  EXPECT_TRUE(screen.contains(viewer)) << viewer.x() << "," << viewer.y();
  // The box itself: centred on the main window, below it.
  EXPECT_LE(std::abs(box.center().x() - main.center().x()), 2) << box.x() << " main " << main.x();
  EXPECT_FALSE(box.intersects(main)) << box.x() << "," << box.y() << " main window " << Where(*form_);
  form_->CloseProgram();
}

// View > Error Logs with a card window open: the viewer's frame takes a free place, clear of the
// main window's menu bar and strips and of the card window, not the screen's corner.
TEST_F(AboutViewerTest, TheErrorLogsViewerTakesAFreePlace) {
  uitest::PrepareFolderAsRunShDoes(folder_.Path());
  ASSERT_FALSE(HasFailure());
  ASSERT_TRUE(testsupport::WriteWholeFile(folder_ / config::kFactoryModeMarker, ""));
  StartProgram();
  if (HasFatalFailure()) return;
  WaitFramed(*form_);
  QWidget* card = OpenCardWindow(0);
  ASSERT_NE(card, nullptr);
  WaitFramed(*card);
  form_->findChild<QAction*>("MenuErrorLogs")->trigger();
  const int pid = form_->Menus().LogViewerPid();
  ASSERT_GT(pid, 0);
  std::vector<std::string> arguments;
  RunUntil(
      [&] {
        arguments = Arguments(pid);
        return arguments.size() >= 2;
      },
      std::chrono::seconds(10));
  const QRect main = form_->frameGeometry();
  const QRect viewer = ViewerFrame(arguments, main.size() - form_->size());
  ASSERT_FALSE(viewer.isEmpty()) << arguments.size() << " arguments";
  const QRect window = card->frameGeometry();
  EXPECT_TRUE(Screen().contains(viewer)) << viewer.x() << "," << viewer.y();
  EXPECT_FALSE(viewer.intersects(main)) << viewer.x() << "," << viewer.y() << " main window " << Where(*form_);
  if (RoomFor(viewer.size(), {main, window})) {
    EXPECT_FALSE(viewer.intersects(window)) << viewer.x() << "," << viewer.y() << " " << Where(*card);
  }
  // Windows opened after it leave the viewer's title bar in sight and do not start on it.
  for (const char* item : {"SubMenuTOC", "SubMenuPeekPoke"}) {
    QWidget* later = OpenFromMenu(item, 0);
    ASSERT_NE(later, nullptr) << item;
    const QRect frame = later->frameGeometry();
    EXPECT_GE(ui::VisibleTitle(viewer, {frame}, Screen()), ui::kVisibleTitle) << Where(*later);
    EXPECT_FALSE(std::abs(frame.left() - viewer.left()) <= ui::kNearestStart &&
                 std::abs(frame.top() - viewer.top()) <= ui::kNearestStart)
        << Where(*later);
  }
  form_->CloseProgram();
}

}  // namespace
}  // namespace desktoptest
