// ErLogViewer: shows the error log file named by its argument in a read-only window, its frame at
// the place the next two arguments give when they are there, the window of the size the two after
// them give when they are there too (the program that starts it found it a place that small). The main menu's "Error Logs" and the
// about box start it from the program folder.
#include <QApplication>

#include <charconv>
#include <cstdio>
#include <cstring>

#include "util/gui/log_viewer_window.h"

namespace {

bool ReadNumber(const char* text, int& value) {
  const char* end = text + std::strlen(text);
  const auto [stop, error] = std::from_chars(text, end, value);
  return error == std::errc() && stop == end && stop != text;
}

}  // namespace

int main(int argc, char** argv) {
  int left = 0;
  int top = 0;
  int width = util::kLogViewerWidth;
  int height = util::kLogViewerHeight;
  const bool placed = argc == 4 || argc == 6;
  const bool sized = argc == 6;
  if ((argc != 2 && !placed) || (placed && (!ReadNumber(argv[2], left) || !ReadNumber(argv[3], top))) ||
      (sized && (!ReadNumber(argv[4], width) || !ReadNumber(argv[5], height) || width <= 0 || height <= 0))) {
    std::fprintf(stderr, "usage: ErLogViewer <log file> [<left> <top> [<width> <height>]]\n");
    return 2;
  }
  QApplication application(argc, argv);
  util::LogViewerWindow window;
  window.Load(argv[1]);
  if (sized) window.resize(width, height);
  // Moved before it is first shown, a window is placed by its frame.
  if (placed) window.move(left, top);
  window.show();
  return QApplication::exec();
}
