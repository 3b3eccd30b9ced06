// ErLogViewer: shows the error log file named by its argument in a read-only window. The main
// menu's "Error Logs" and the about box start it from the program folder.
#include <QApplication>

#include <cstdio>
#include <string>

#include "util/gui/log_viewer_window.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const QStringList arguments = QApplication::arguments();
  if (arguments.size() != 2) {
    std::fprintf(stderr, "usage: ErLogViewer <log file>\n");
    return 2;
  }
  util::LogViewerWindow window;
  window.Load(arguments[1].toStdString());
  window.show();
  return QApplication::exec();
}
