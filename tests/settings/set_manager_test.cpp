// The set manager object: what construction leaves, its installation as the card layer's IF
// receiver-logic setters, and the operation-mode query over its status records.
#include "settings/set_manager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "card/if_rx_auto_logic.h"
#include "config/globals.h"
#include "settings/operation_mode.h"

namespace {

bool AllZero(const void* data, std::size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  return std::all_of(bytes, bytes + size, [](unsigned char b) { return b == 0; });
}

TEST(SetManager, ConstructionZeroesTheRecordsStopsRecordingAndInstallsItself) {
  config::gApp.Recording = true;
  auto manager = std::make_unique<kr20setmgrclass>();
  EXPECT_FALSE(config::gApp.Recording.load());
  EXPECT_TRUE(AllZero(&manager->StatusRecords(), sizeof(settings::StatusRecordTable)));
  EXPECT_TRUE(AllZero(&manager->DisplayBlocks(), sizeof(settings::DisplayBlockTable)));

  EXPECT_EQ(card::InstalledIfRxAutoSetters(), manager.get());
  // Destruction uninstalls only itself.
  auto second = std::make_unique<kr20setmgrclass>();
  manager.reset();
  EXPECT_EQ(card::InstalledIfRxAutoSetters(), second.get());
  second.reset();
  EXPECT_EQ(card::InstalledIfRxAutoSetters(), nullptr);
}

TEST(OperationMode, ComparesChannelZeroStatusWithTheAskedModes) {
  EXPECT_FALSE(settings::IsCurrentOperationMode(0, 0, 0));  // no set manager yet
  auto manager = std::make_unique<kr20setmgrclass>();
  gKr20SetMgr = manager.get();
  settings::RouteInfoCopy route{};
  route.ModeFunction = 12;
  route.RouteMode = 1;
  manager->StatusRecord(2, 0).RouteInfo = route;
  manager->StatusRecord(4, 1).RouteInfo = route;  // channel 1's record does not count

  EXPECT_TRUE(settings::IsCurrentOperationMode(2, 1, 12));
  EXPECT_FALSE(settings::IsCurrentOperationMode(2, 1, 11));
  EXPECT_FALSE(settings::IsCurrentOperationMode(4, 1, 12));
  EXPECT_FALSE(settings::IsCurrentOperationMode(6, 1, 12));  // no such card
  gKr20SetMgr = nullptr;
}

}  // namespace
