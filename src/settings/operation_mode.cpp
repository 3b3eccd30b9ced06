#include "settings/operation_mode.h"

#include "config/globals.h"
#include "settings/set_manager.h"

namespace settings {

bool IsCurrentOperationMode(int card, int routeMode, int fpgaMode) {
  if (gKr20SetMgr == nullptr || card < 0 || card >= config::kMaxCards || routeMode < 0 || fpgaMode < 0) return false;
  const RouteInfoCopy route = gKr20SetMgr->StatusRecord(card, 0).RouteInfo;
  return route.RouteMode == static_cast<unsigned>(routeMode) && route.ModeFunction == static_cast<unsigned>(fpgaMode);
}

}  // namespace settings
