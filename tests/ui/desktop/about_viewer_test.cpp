// The error-log viewers (View > Error Logs, the about box's "View Error Log") take a free place as
// every window does: their frames clear of the main window and of the box (and of its OK button),
// on the screen, wherever the box stands; one viewer at a time. The about box opens centred on the
// main window, clear of it.
#include <QAction>
#include <QPushButton>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
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
  // The box at its own place, then moved to the screen's right edge (one viewer's width from it,
  // then at it): each click ends the viewer before it and opens one clear of the box.
  struct Opened {
    QRect box;
    std::vector<std::string> arguments;
    int pid = 0;
    bool endedByNext = false;
  };
  std::vector<Opened> opened;
  QSize frameExtra;
  QRect screen;
  uitest::WhenShown<util::TVopBorAboutBoxForm>("VopBorAboutBoxForm", [&](util::TVopBorAboutBoxForm& shown) {
    WaitFramed(shown);
    frameExtra = shown.frameGeometry().size() - shown.size();
    screen = Screen();
    const int viewerWidth = util::kLogViewerWidth + frameExtra.width();
    const std::vector<std::optional<int>> lefts{std::nullopt, screen.right() + 1 - viewerWidth,
                                                screen.right() + 1 - shown.frameGeometry().width()};
    for (const std::optional<int>& left : lefts) {
      if (left.has_value()) {
        const QPoint place(*left, shown.frameGeometry().y());
        shown.move(place);
        EXPECT_TRUE(WaitFrameAt(shown, place)) << Where(shown);
      }
      Opened& viewer = opened.emplace_back();
      viewer.box = shown.frameGeometry();
      shown.findChild<QPushButton*>("ButtonViewErrorLog")->click();
      viewer.pid = shown.ViewerPid();
      if (viewer.pid > 0) {
        RunUntil(
            [&] {
              viewer.arguments = Arguments(viewer.pid);
              return viewer.arguments.size() >= 4;
            },
            std::chrono::seconds(10));
      }
      if (opened.size() < 2) continue;
      Opened& before = opened[opened.size() - 2];
      before.endedByNext = before.pid > 0 && !std::filesystem::exists("/proc/" + std::to_string(before.pid));
      if (!before.endedByNext && before.pid > 0) kill(before.pid, SIGTERM);
    }
    shown.accept();
  });
  form_->findChild<QAction*>("MenuAbout")->trigger();
  ASSERT_EQ(opened.size(), 3u);
  const QRect main = form_->frameGeometry();
  for (const Opened& viewer : opened) {
    SCOPED_TRACE("box at " + std::to_string(viewer.box.x()) + "," + std::to_string(viewer.box.y()));
    // The viewer's frame: its window with a frame like the box's.
    const QRect place = ViewerFrame(viewer.arguments, frameExtra);
    ASSERT_FALSE(place.isEmpty());
    // Clear of the box while the screen has room for both; never over the main window (on a small
    // screen the viewer is cut to the room left).
    if (RoomFor(place.size(), {viewer.box, main})) {
      EXPECT_FALSE(place.intersects(viewer.box)) << place.x() << "," << place.y();
    }
    EXPECT_FALSE(place.intersects(main)) << place.x() << "," << place.y() << " main window " << Where(*form_);
    EXPECT_TRUE(screen.contains(place)) << place.x() << "," << place.y();
    if (&viewer != &opened.back()) {
      EXPECT_TRUE(viewer.endedByNext) << "still runs beside the next viewer";
    }
  }
  // The box itself, where it first opened: centred on the main window, below it.
  const QRect box = opened.front().box;
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
