#include "settings/operation_mode.h"

#include <gtest/gtest.h>

#include <memory>

#include "config/globals.h"
#include "settings/set_manager.h"

namespace settings {
namespace {

TEST(OperationMode, ComparesChannelZeroStatusWithTheAskedModes) {
  EXPECT_FALSE(IsCurrentOperationMode(0, 0, 0));  // no set manager yet
  auto manager = std::make_unique<kr20setmgrclass>();
  gKr20SetMgr = manager.get();
  RouteInfoCopy route{};
  route.ModeFunction = 12;
  route.RouteMode = 1;
  gKr20SetMgr->StatusRecord(2, 0).RouteInfo = route;

  EXPECT_TRUE(IsCurrentOperationMode(2, 1, 12));
  EXPECT_FALSE(IsCurrentOperationMode(2, 0, 12));
  EXPECT_FALSE(IsCurrentOperationMode(2, 1, 11));
  EXPECT_FALSE(IsCurrentOperationMode(3, 1, 12));
  // Channel 1's record does not count.
  gKr20SetMgr->StatusRecord(4, 1).RouteInfo = route;
  EXPECT_FALSE(IsCurrentOperationMode(4, 1, 12));
  EXPECT_FALSE(IsCurrentOperationMode(6, 1, 12));
  EXPECT_FALSE(IsCurrentOperationMode(-1, 1, 12));
  EXPECT_FALSE(IsCurrentOperationMode(2, -1, 12));
  gKr20SetMgr = nullptr;
}

}  // namespace
}  // namespace settings
