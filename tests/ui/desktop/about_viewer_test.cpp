// The about box's "View Error Log" opens the viewer beside the box: its frame clear of the box's
// (and of its OK button) and on the screen.
#include <QAction>
#include <QPushButton>

#include <cstdio>
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
            return arguments.size() == 4;
          },
          std::chrono::seconds(10));
    }
    shown.accept();
  });
  form_->findChild<QAction*>("MenuAbout")->trigger();
  ASSERT_EQ(arguments.size(), 4u);
  // The viewer's frame: its window with a frame like the box's.
  const QSize frame = QSize(util::kLogViewerWidth, util::kLogViewerHeight) + frameExtra;
  const QRect viewer(QPoint(std::stoi(arguments[2]), std::stoi(arguments[3])), frame);
  ASSERT_TRUE(RoomFor(viewer.size(), {box})) << "the screen holds the box and the viewer apart";
  EXPECT_FALSE(viewer.intersects(box)) << viewer.x() << "," << viewer.y() << " box at " << box.x() << "," << box.y();
  EXPECT_TRUE(screen.contains(viewer)) << viewer.x() << "," << viewer.y();
  form_->CloseProgram();
}

}  // namespace
}  // namespace desktoptest
