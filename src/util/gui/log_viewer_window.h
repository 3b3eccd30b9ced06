#pragma once
// The window of the error-log viewer program: the log file's text, read-only, scrolled to its
// newest lines.
#include <string>
#include <vector>

#include <QMargins>
#include <QRect>

#include <QWidget>

class QLabel;
class QPlainTextEdit;

namespace util {

// The size the viewer's window opens with.
inline constexpr int kLogViewerWidth = 900;
inline constexpr int kLogViewerHeight = 600;

// The viewer program's arguments after the file's name for a frame at `frame` around a window with
// `margins`: the frame's left and top, then the window's width and height where the frame is cut
// smaller than the window's own size.
std::vector<std::string> LogViewerPlaceArguments(const QRect& frame, const QMargins& margins);

class LogViewerWindow final : public QWidget {
 public:
  explicit LogViewerWindow(QWidget* parent = nullptr);

  // Shows the file's text; a file that cannot be read shows why instead. False then.
  bool Load(const std::string& path);

  QPlainTextEdit* Text() const { return text_; }
  QLabel* FileName() const { return fileName_; }

 private:
  QLabel* fileName_;
  QPlainTextEdit* text_;
};

}  // namespace util
