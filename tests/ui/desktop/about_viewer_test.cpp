// The about box's "View Error Log" opens the viewer beside the box, wherever the box stands: its
// frame clear of the box's (and of its OK button) and on the screen. One viewer at a time.
#include <QAction>
#include <QPushButton>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "desktop_fixture.h"
#include "support/log_capture.h"
#include "ui/cards/prepared_folder.h"
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

TEST_F(AboutViewerTest, TheViewerOpensClearOfTheBox) {
  uitest::PrepareFolderAsRunShDoes(folder_.Path());
  ASSERT_FALSE(HasFailure());
  StartProgram();
  if (HasFatalFailure()) return;
  WaitFramed(*form_);
  // Where the box opens, then where the operator dragged it: its left edge a viewer's width from
  // the screen's right edge (no room for the viewer at either side), then at that edge. Each click
  // starts a viewer beside the box and ends the one before.
  struct Opened {
    QRect box;
    int pid = 0;
    std::vector<std::string> arguments;
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
              return viewer.arguments.size() == 4;
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
  for (const Opened& viewer : opened) {
    SCOPED_TRACE("box at " + std::to_string(viewer.box.x()) + "," + std::to_string(viewer.box.y()));
    ASSERT_EQ(viewer.arguments.size(), 4u);
    // The viewer's frame: its window with a frame like the box's.
    const QSize frame = QSize(util::kLogViewerWidth, util::kLogViewerHeight) + frameExtra;
    const QRect place(QPoint(std::stoi(viewer.arguments[2]), std::stoi(viewer.arguments[3])), frame);
    ASSERT_TRUE(RoomFor(place.size(), {viewer.box})) << "the screen holds the box and the viewer apart";
    EXPECT_FALSE(place.intersects(viewer.box)) << place.x() << "," << place.y();
    EXPECT_TRUE(screen.contains(place)) << place.x() << "," << place.y();
    if (&viewer != &opened.back()) {
      EXPECT_TRUE(viewer.endedByNext) << "still runs beside the next viewer";
    }
  }
  form_->CloseProgram();
}

}  // namespace
}  // namespace desktoptest
