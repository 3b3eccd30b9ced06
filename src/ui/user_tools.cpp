#include "ui/user_tools.h"

#include <QAction>
#include <QMenu>

#include <vector>

#include "config/gui/menu_routines.h"
#include "util/error_log.h"
#include "util/file_routines.h"
#include "util/gui/qt_dialog_service.h"
#include "util/speaker.h"

namespace ui {

void UserTools::AssignUserTools(QMenu* menu, QObject* owner, const std::string& programFolder) {
  TerminateAll();
  for (Slot& slot : slots_) slot.path.clear();
  const std::string folder = programFolder + kUserToolsFolder;
  std::vector<std::string> names;
  util::ListFileBaseNames(folder, kUserToolExtension, names);
  config::ClearMenu(menu);
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string path = folder + names[i] + "." + kUserToolExtension;
    if (i >= slots_.size()) {
      // The table has no slot for it: a click could never start it, so it is not offered.
      util::LogInfoText("Too Many User Tools.  " + path + " Not Added To The Tools Menu.", 1, false);
      continue;
    }
    slots_[i].path = path;
    const int tag = static_cast<int>(i);
    QAction* item = menu->addAction(util::MenuCaptionText(util::FileBaseName(path)));
    item->setObjectName(QStringLiteral("SubMenuUserTools%1").arg(tag));
    item->setData(tag);
    QObject::connect(item, &QAction::triggered, owner, [this, item] { MenuUserToolClick(config::MenuItemTag(item)); });
  }
}

void UserTools::MenuUserToolClick(int slot) {
  if (slot < 0 || slot >= kUserToolSlots) return;
  Slot& tool = slots_[static_cast<std::size_t>(slot)];
  if (tool.path.empty()) return;
  util::TerminateLaunchedProcess(tool.process);
  // The tool runs in its own folder; the program's own current directory never changes.
  std::string reason;
  if (!util::LaunchProcess(tool.path, "", true, tool.process, &reason)) {
    util::SpeakerDoubleClick();
    util::LogInfoText("Could Not Find " + tool.path + ".  Cannot Use This Tool.", 1, false);
    util::LogInfoText(reason, 1, false);
  }
}

void UserTools::TerminateAll() {
  for (Slot& slot : slots_) util::TerminateLaunchedProcess(slot.process);
}

const std::string& UserTools::Path(int slot) const { return slots_.at(static_cast<std::size_t>(slot)).path; }

bool UserTools::IsRunning(int slot) {
  Slot& tool = slots_.at(static_cast<std::size_t>(slot));
  return tool.process != nullptr && tool.process->IsRunning();
}

int UserTools::RunningPid(int slot) {
  Slot& tool = slots_.at(static_cast<std::size_t>(slot));
  return tool.process != nullptr ? tool.process->Pid() : 0;
}

}  // namespace ui
