// The error-log viewer's window: the log's lines, read-only, on screen, newest lines in view.
#include "util/gui/log_viewer_window.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

#include <string>
#include <vector>

#include "support/log_capture.h"
#include "support/scratch_folder.h"

namespace util {
namespace {

TEST(LogViewerWindow, ShowsTheLogReadOnlyWithTheNewestLinesInView) {
  testsupport::ScratchFolder folder;
  ASSERT_FALSE(folder.Path().empty());
  const std::string path = folder / "QuorxL.log";
  std::string log;
  for (int i = 0; i < 200; ++i) log += "000001  000:00:00:00.000100  line " + std::to_string(i) + "\r\n";
  ASSERT_TRUE(testsupport::WriteWholeFile(path, log));

  LogViewerWindow window;
  EXPECT_TRUE(window.Load(path));
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  EXPECT_EQ(window.windowTitle().toStdString(), "Error Log - " + path);
  EXPECT_EQ(window.FileName()->text().toStdString(), path);
  QPlainTextEdit* text = window.Text();
  ASSERT_TRUE(text->isVisible());
  EXPECT_GT(text->height(), 100);
  EXPECT_TRUE(window.rect().contains(text->geometry()));
  EXPECT_TRUE(text->isReadOnly());
  EXPECT_EQ(text->blockCount(), 201);  // the last line end starts an empty line
  EXPECT_EQ(text->document()->findBlockByNumber(0).text().toStdString(), "000001  000:00:00:00.000100  line 0");
  EXPECT_EQ(text->document()->findBlockByNumber(199).text().toStdString(), "000001  000:00:00:00.000100  line 199");
  EXPECT_GT(text->verticalScrollBar()->maximum(), 0);
  EXPECT_EQ(text->verticalScrollBar()->value(), text->verticalScrollBar()->maximum());

  // Typing changes nothing.
  text->setFocus();
  QTest::keyClicks(text, "typed");
  EXPECT_EQ(text->toPlainText().toStdString().find("typed"), std::string::npos);
}

TEST(LogViewerWindow, AFileThatCannotBeReadSaysSo) {
  LogViewerWindow window;
  EXPECT_FALSE(window.Load("/no/such/folder/QuorxL.log"));
  EXPECT_EQ(window.Text()->toPlainText().toStdString(), "Cannot read /no/such/folder/QuorxL.log: No such file or directory");
}

// The viewer's place arguments: the frame's corner, and the window's size only where the frame was
// cut smaller than the window's own size.
TEST(LogViewerWindow, PlaceArgumentsGiveTheSizeOnlyWhenCut) {
  const QMargins margins(1, 20, 1, 1);
  struct Row {
    QRect frame;
    std::vector<std::string> arguments;
  };
  const Row rows[] = {
      {QRect(0, 107, kLogViewerWidth + 2, kLogViewerHeight + 21), {"0", "107"}},
      {QRect(-5, 30, kLogViewerWidth + 2, kLogViewerHeight + 21), {"-5", "30"}},
      {QRect(0, 260, kLogViewerWidth + 2, 504), {"0", "260", std::to_string(kLogViewerWidth), "483"}},
      {QRect(10, 20, 700, kLogViewerHeight + 21), {"10", "20", "698", std::to_string(kLogViewerHeight)}},
  };
  for (const Row& row : rows) EXPECT_EQ(LogViewerPlaceArguments(row.frame, margins), row.arguments);
}

}  // namespace
}  // namespace util
