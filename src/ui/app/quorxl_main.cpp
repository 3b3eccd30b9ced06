// The program entry: the application object, the main window with its single-instance test, the
// message loop. Everything else starts from the main window's first showing.
#include <QApplication>
#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "ui/main_form.h"
#include "ui/quorxl_application.h"
#include "ui/termination.h"
#include "settings/window_messages.h"
#include "util/dialog_service.h"
#include "util/gui/qt_dialog_service.h"

int main(int argc, char** argv) {
  ui::QuorxLApplication app(argc, argv);
  util::SetDialogService(std::make_shared<util::QtDialogService>());
  std::unique_ptr<TQuorxLMainForm> form;
  try {
    form = std::make_unique<TQuorxLMainForm>();
    ui::SingleInstanceSettings instance;
    instance.commandLine.assign(argv, argv + argc);
    const ui::SingleInstanceResult conflict = form->FormCreate(instance);
    if (conflict.conflict != ui::InstanceConflict::None) {
      // Nothing is saved: the other copy owns the files. On a virtual screen nobody sees the box,
      // so the terminal or script that started the copy is told as well.
      std::fprintf(stderr, "QuorxL: %s\n", conflict.text.c_str());
      util::Dialogs().ShowMessage(conflict.caption.empty() ? ui::kProgramName : conflict.caption, conflict.text);
      std::_Exit(EXIT_FAILURE);
    }
    ui::InstallSessionEndSignals();
#ifndef QT_NO_SESSIONMANAGER
    QObject::connect(&app, &QGuiApplication::commitDataRequest, form.get(), [&form](QSessionManager&) {
      form->Post(settings::kWmQueryEndSession, 0, 0);
      form->Post(settings::kWmEndSession, 0, 0);
    });
#endif
    form->show();
    app.exec();
  } catch (const std::exception& error) {
    util::Dialogs().ShowMessage("ERROR", error.what());
    // What the start-up brought up is still taken down in order.
    if (form != nullptr && form->StartupBegun()) form->CloseProgram();
  }
  return 0;
}
