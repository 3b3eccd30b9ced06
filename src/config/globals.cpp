#include "config/globals.h"

namespace config {
GlobalAppRecord gApp;
}  // namespace config

quorxhwcfgmgrclass* gHwCfgMgr = nullptr;
quorxdncvtmgrclass* gDnCvtMgr = nullptr;
quorxrtl20mgrclass* gRtl20Mgr = nullptr;
quorxnetmgrclass* gNetMgr = nullptr;
kr20setmgrclass* gKr20SetMgr = nullptr;
