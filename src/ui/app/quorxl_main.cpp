// The program entry: the application object, the main window with its single-instance test, the
// message loop. Everything else starts from the main window's first showing.
#include <QApplication>
#include <QGuiApplication>

#include <cstdlib>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "ui/main_form.h"
#include "ui/termination.h"
#include "settings/window_messages.h"
#include "util/dialog_service.h"
#include "util/gui/qt_dialog_service.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  util::SetDialogService(std::make_shared<util::QtDialogService>());
  try {
    TQuorxLMainForm form;
    ui::SingleInstanceSettings instance;
    instance.commandLine.assign(argv, argv + argc);
    const ui::SingleInstanceResult conflict = form.FormCreate(instance);
    if (conflict.conflict != ui::InstanceConflict::None) {
      // Nothing is saved: the other copy owns the files.
      util::Dialogs().ShowMessage(conflict.caption.empty() ? ui::kProgramName : conflict.caption, conflict.text);
      std::_Exit(EXIT_FAILURE);
    }
    ui::InstallSessionEndSignals();
#ifndef QT_NO_SESSIONMANAGER
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &form, [&form](QSessionManager&) {
      form.Post(settings::kWmQueryEndSession, 0, 0);
      form.Post(settings::kWmEndSession, 0, 0);
    });
#endif
    form.show();
    app.exec();
  } catch (const std::exception& error) {
    util::Dialogs().ShowMessage("ERROR", error.what());
  }
  return 0;
}
