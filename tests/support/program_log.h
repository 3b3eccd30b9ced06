#pragma once
// The lines the program's shut-down writes to its error log.
#include <algorithm>
#include <string>
#include <vector>

#include "support/log_capture.h"

namespace testsupport {

// The shut-down sequence as the log tells it, from its first line to the log's end.
inline std::vector<std::string> CloseSequenceLines(bool positionAndOptionSaves = true, bool lastSetupSave = true) {
  std::vector<std::string> lines = {
      "-----------   Begin CloseProgram()  ---------------",
      "   gRtl20Mgr->FpgaCmdLock()",
      "   Took 0 tries to gRtl20Mgr->FpgaCmdLock()",
      "   UpdateSizePosInfo()",
      "   CloseStandAloneApps()",
      "   CloseStandAloneForms()",
      "   SaveConfigFile",
  };
  if (lastSetupSave) lines.push_back("   SaveLastSetupFile");
  lines.push_back("   delete gHiresTimer");
  if (positionAndOptionSaves) {
    lines.push_back("   SaveGlobalPositionInfo");
    lines.push_back("   SaveOptionsToFile");
  }
  for (const char* line : {"   CloseHwCfgStuff", "----DELETING MANAGERS------", "   gHwCfgMgr", "   gDnCvtMgr",
                           "   gRtl20Mgr", "   gNetMgr", "   gKr20SetMgr", "   WsaCleanUp",
                           "------------------PROGRAM END--------------------"}) {
    lines.push_back(line);
  }
  return lines;
}

// The log's lines from the first that reads `first` to the end (none when no line does).
inline std::vector<std::string> LinesFrom(const std::vector<std::string>& texts, const std::string& first) {
  return {std::find(texts.begin(), texts.end(), first), texts.end()};
}

}  // namespace testsupport
