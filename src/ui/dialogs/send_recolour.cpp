#include "ui/dialogs/send_recolour.h"

#include "settings/window_messages.h"
#include "util/process_globals.h"

namespace ui {

void SendRecolour() {
  if (platform::MessageTarget* mainWindow = util::MainWindowHandle.load(); mainWindow != nullptr) {
    mainWindow->Send(settings::kWmRecolour, 0, 0);
  }
}

}  // namespace ui
