#include "platform/power.h"

#include "platform/diagnostics.h"

namespace platform {

bool RequestSystemShutdown() {
  ReportDiagnostic("System shut-down requested: not done, this program never powers the machine off");
  return false;
}

}  // namespace platform
