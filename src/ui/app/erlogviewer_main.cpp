// ErLogViewer: shows the error log file named by its argument in a read-only window. The main
// menu's "Error Logs" and the about box start it from the program folder.
#include <QApplication>

#include <cstdio>

#include "util/gui/log_viewer_window.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: ErLogViewer <log file>\n");
    return 2;
  }
  QApplication application(argc, argv);
  util::LogViewerWindow window;
  window.Load(argv[1]);
  window.show();
  return QApplication::exec();
}
