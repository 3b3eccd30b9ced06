#pragma once
// The operator's own programs: every "*.Exe" file in the program folder's USERTOOLS folder becomes
// an item of the Tools menu. Each tool runs in its own folder; starting it again ends its earlier
// run first, and the shut-down ends every run still going.
#include <array>
#include <string>

#include "util/process_routines.h"

class QMenu;
class QObject;

namespace ui {

inline constexpr int kUserToolSlots = 32;
inline constexpr const char* kUserToolsFolder = "/USERTOOLS/";
inline constexpr const char* kUserToolExtension = "Exe";

class UserTools {
 public:
  // Clears the table, then lists the tools of `programFolder` under `menu` (items named
  // "SubMenuUserTools" + slot, tagged with the slot). Tools beyond the 32 slots are not listed:
  // each writes one log line.
  void AssignUserTools(QMenu* menu, QObject* owner, const std::string& programFolder);
  // Starts the tool of `slot` (ending its earlier run). A tool that cannot be started sounds the
  // double click and writes its information line with the reason; the menu goes on working.
  void MenuUserToolClick(int slot);
  // Ends every run this table started.
  void TerminateAll();

  const std::string& Path(int slot) const;
  bool IsRunning(int slot);
  int RunningPid(int slot);

 private:
  struct Slot {
    std::string path;
    util::LaunchedProcess process;
  };
  std::array<Slot, kUserToolSlots> slots_{};
};

}  // namespace ui
