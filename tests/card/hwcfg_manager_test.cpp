// The hardware-configuration manager: its file (golden bytes, round trip, bad values), the
// simulation markers and the demo mode they switch on, the converter assignments and the hook
// through which the receiver cards are opened.
#include "card_test_support.h"
#include "card/hwcfg_manager.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "card/dncvt_manager.h"
#include "card/sim_markers.h"
#include "config/globals.h"
#include "support/log_capture.h"

namespace card {
namespace {

using testsupport::ReadWholeFile;
using testsupport::WriteWholeFile;

std::string ConfigFile(const testsupport::LoggedProgramFolder& program) {
  return program / "SYSTEM/HARDWARECONFIGURATION/Kr20HwCfg.cfg";
}

// The records as plain numbers, for one comparison each.
using Enable = std::array<int, 3>;   // Enabled, Simulated, NumToSimulate
using CardSet = std::array<int, 4>;  // CardIndex, NumDnCvts, DnCvtIndex0, DnCvtIndex1
Enable Of(HwCfgEnableRecord r) { return {r.Enabled, r.Simulated, r.NumToSimulate}; }
CardSet Of(HwCfgCardSetRecord r) { return {r.CardIndex, r.NumDnCvts, r.DnCvtIndex[0], r.DnCvtIndex[1]}; }

constexpr const char* kDefaultFile =
    "[Kr20]\r\nEnabled=YES\r\nSimulated=NO\r\nNumToSimulate=1\r\n"
    "[Kr12]\r\nEnabled=YES\r\nSimulated=NO\r\nNumToSimulate=1\r\n"
    "[Kr14]\r\nEnabled=YES\r\nSimulated=NO\r\nNumToSimulate=2\r\n"
    "[CardSet_0]\r\nCardIndex=0\r\nNumDnCvts=2\r\nDnCvtIndex0=0\r\nDnCvtIndex1=1\r\n"
    "[CardSet_1]\r\nCardIndex=1\r\nNumDnCvts=2\r\nDnCvtIndex0=2\r\nDnCvtIndex1=3\r\n"
    "[CardSet_2]\r\nCardIndex=2\r\nNumDnCvts=2\r\nDnCvtIndex0=4\r\nDnCvtIndex1=5\r\n"
    "[CardSet_3]\r\nCardIndex=3\r\nNumDnCvts=2\r\nDnCvtIndex0=6\r\nDnCvtIndex1=7\r\n"
    "[CardSet_4]\r\nCardIndex=4\r\nNumDnCvts=2\r\nDnCvtIndex0=8\r\nDnCvtIndex1=9\r\n"
    "[CardSet_5]\r\nCardIndex=5\r\nNumDnCvts=2\r\nDnCvtIndex0=10\r\nDnCvtIndex1=11\r\n";

TEST(HwCfgFile, MissingFileGivesDefaultsAndSavesTheDefaultBytes) {
  testsupport::LoggedProgramFolder program;
  quorxhwcfgmgrclass mgr;
  mgr.EnableRecords[kHwCfgKr20].Simulated = 1;  // must be reset by the load
  mgr.CardSetRecords[3].DnCvtIndex[0] = -1;
  EXPECT_FALSE(mgr.LoadConfigFile());
  EXPECT_TRUE(HasLine(program, program.Path() + "/SYSTEM/HARDWARECONFIGURATION/Kr20HwCfg.cfg not found, "
                                                "hardware configuration defaults used"));
  EXPECT_EQ(Of(mgr.EnableRecords[kHwCfgKr20]), (Enable{1, 0, 1}));
  ASSERT_TRUE(mgr.SaveConfigFile());
  EXPECT_EQ(ReadWholeFile(ConfigFile(program)), kDefaultFile);
}

TEST(HwCfgFile, RoundTripsEveryRecordAndKeepsABackup) {
  testsupport::LoggedProgramFolder program;
  quorxhwcfgmgrclass saved;
  saved.EnableRecords[kHwCfgKr12] = HwCfgEnableRecord{1, 1, 7};  // simulated: its marker goes with it
  saved.EnableRecords[kHwCfgKr14] = HwCfgEnableRecord{0, 0, 11};
  ASSERT_TRUE(WriteSimulationMarkerFile(true, 7, kKr12SimMarkerFile));
  saved.CardSetRecords[0] = HwCfgCardSetRecord{0, 1, {-1, 9}};
  saved.CardSetRecords[4] = HwCfgCardSetRecord{4, 1, {0, -1}};  // converters swapped with card 0
  saved.CardSetRecords[5] = HwCfgCardSetRecord{5, 0, {-1, -1}};
  ASSERT_TRUE(saved.SaveConfigFile());
  ASSERT_TRUE(saved.SaveConfigFile());
  EXPECT_TRUE(std::filesystem::exists(ConfigFile(program) + ".BAK"));

  quorxhwcfgmgrclass loaded;
  loaded.EnableRecords[kHwCfgKr12] = HwCfgEnableRecord{1, 0, 3};
  loaded.CardSetRecords[2] = HwCfgCardSetRecord{2, 0, {-1, -1}};
  ASSERT_TRUE(loaded.LoadConfigFile());
  EXPECT_EQ(std::memcmp(&loaded.EnableRecords, &saved.EnableRecords, sizeof saved.EnableRecords), 0);
  EXPECT_EQ(std::memcmp(&loaded.CardSetRecords, &saved.CardSetRecords, sizeof saved.CardSetRecords), 0);
}

TEST(HwCfgFile, BadValuesAreLoggedAndReplaced) {
  testsupport::LoggedProgramFolder program;
  std::filesystem::create_directories(program / "SYSTEM/HARDWARECONFIGURATION");
  ASSERT_TRUE(WriteWholeFile(ConfigFile(program),
                          "[Kr20]\r\nNumToSimulate=9\r\n"
                          "[Kr12]\r\nEnabled=NO\r\n"
                          "[CardSet_0]\r\nCardIndex=3\r\nDnCvtIndex0=12\r\nDnCvtIndex1=4\r\n"
                          "[CardSet_1]\r\nNumDnCvts=5\r\nDnCvtIndex0=4\r\n"));
  quorxhwcfgmgrclass mgr;
  ASSERT_TRUE(mgr.LoadConfigFile());
  EXPECT_EQ(Of(mgr.EnableRecords[kHwCfgKr20]), (Enable{1, 0, 1}));
  EXPECT_EQ(Of(mgr.EnableRecords[kHwCfgKr12]), (Enable{0, 0, 1}));
  EXPECT_EQ(Of(mgr.CardSetRecords[0]), (CardSet{0, 1, -1, 4}));
  EXPECT_EQ(Of(mgr.CardSetRecords[1]), (CardSet{1, 1, -1, 3}));  // converter 4 is card 0's already

  EXPECT_TRUE(HasLine(program, "Kr20HwCfg.cfg [Kr20] NumToSimulate=9 out of range, default kept"));
  EXPECT_TRUE(HasLine(program, "Kr20HwCfg.cfg [CardSet_1] DnCvtIndex0=4 out of range, already assigned to "
                               "another channel, not used"));
}

TEST(HwCfgMarkers, WrittenWithTheirCountReadInRangeAndRemoved) {
  testsupport::LoggedProgramFolder program;
  const std::string marker = program / "SYSTEM/HARDWARECONFIGURATION/Kr12V2_Dll.SIM";
  ASSERT_TRUE(WriteSimulationMarkerFile(true, 3, kKr12SimMarkerFile));
  EXPECT_EQ(ReadWholeFile(marker), "[Simulation]\r\nCount=3\r\n");
  std::int32_t count = 0;
  EXPECT_TRUE(ReadSimulationMarkerFile(kKr12SimMarkerFile, 8, count));
  EXPECT_EQ(count, 3);
  ASSERT_TRUE(WriteSimulationMarkerFile(false, 3, kKr12SimMarkerFile));
  EXPECT_FALSE(std::filesystem::exists(marker));

  // A count out of range is logged and ignored.
  ASSERT_TRUE(WriteSimulationMarkerFile(true, 40, kKr20SimMarkerFile));
  count = 2;
  EXPECT_TRUE(ReadSimulationMarkerFile(kKr20SimMarkerFile, 6, count));
  EXPECT_EQ(count, 2);
  EXPECT_TRUE(HasLine(program, "Simulation marker Kr20_Dll.SIM has no count in 1..6; the configured count is kept"));
}

TEST(HwCfgMarkers, MarkersSwitchOnDemoMode) {
  testsupport::LoggedProgramFolder program;
  quorxhwcfgmgrclass mgr;
  ASSERT_TRUE(mgr.SaveConfigFile());
  ASSERT_TRUE(WriteSimulationMarkerFile(true, 4, kKr20SimMarkerFile));
  ASSERT_TRUE(WriteSimulationMarkerFile(true, 4, kKr14SimMarkerFile));  // 4 cards: 8 channels
  mgr.CardSetRecords[1] = HwCfgCardSetRecord{1, 0, {-1, -1}};
  ASSERT_TRUE(mgr.LoadConfigFileSimulatedOnly());
  EXPECT_EQ(Value(mgr.CardSetRecords[1].DnCvtIndex[0]), -1);  // only the enable records are read
  EXPECT_EQ(mgr.Kr20SimulatedFlag, 1);
  EXPECT_EQ(Of(mgr.EnableRecords[kHwCfgKr20]), (Enable{1, 1, 4}));
  EXPECT_EQ(Of(mgr.EnableRecords[kHwCfgKr14]), (Enable{1, 1, 8}));
  EXPECT_EQ(Of(mgr.EnableRecords[kHwCfgKr12]), (Enable{1, 0, 1}));
}

TEST(HwCfgAssignments, DefaultsAndLookupsStayWithinTheConverters) {
  HwCfgCardSetRecords records{};
  AssignDefaultDownConverters(5, 2, records);
  EXPECT_EQ(Of(records[0]), (CardSet{0, 2, 0, 1}));
  EXPECT_EQ(Of(records[1]), (CardSet{1, 2, 2, 3}));
  EXPECT_EQ(Of(records[2]), (CardSet{2, 0, -1, -1}));  // converter 4 exists, but only two cards

  quorxhwcfgmgrclass mgr;
  mgr.CardSetRecords[2] = HwCfgCardSetRecord{2, 1, {-1, 7}};
  mgr.CardSetRecords[3] = HwCfgCardSetRecord{3, 1, {42, -5}};  // damaged in memory
  EXPECT_EQ(mgr.GetDownConverterIndex(2, 1), 7);
  for (const auto& [card, channel] : {std::pair{2, 0}, {3, 0}, {3, 1}, {6, 0}, {0, 2}}) {
    EXPECT_EQ(mgr.GetDownConverterIndex(card, channel), -1) << card << "/" << channel;
  }
}

class FakeReceivers final : public HwCfgReceiverCards {
 public:
  int DetectedCardCount() override { return detected; }
  bool OpenCards(bool simulated, int count) override {
    opened.push_back({simulated, count});
    return true;
  }
  void CloseCards() override { ++closed; }

  int detected = 3;
  std::vector<std::pair<bool, int>> opened;
  int closed = 0;
};

TEST(HwCfgOpening, ReceiverCardsOpenThroughTheHook) {
  testsupport::LoggedProgramFolder program;
  quorxhwcfgmgrclass mgr;
  quorxdncvtmgrclass dncvt(program.Path());  // no converter libraries here
  FakeReceivers receivers;
  mgr.AttachDownConverters(&dncvt);
  mgr.EnableRecords[kHwCfgKr12].Enabled = 0;
  mgr.EnableRecords[kHwCfgKr14].Enabled = 0;
  mgr.ApplyHardwareConfiguration();
  EXPECT_FALSE(mgr.OpenAllCards());
  EXPECT_TRUE(HasLine(program, "OpenAllCards: no receiver-card manager attached, receiver cards not opened"));
  mgr.AttachReceiverCards(&receivers);
  mgr.ApplyHardwareConfiguration();
  EXPECT_TRUE(mgr.OpenAllCards());
  mgr.EnableRecords[kHwCfgKr20] = HwCfgEnableRecord{1, 1, 5};
  mgr.ApplyHardwareConfiguration();
  EXPECT_TRUE(mgr.OpenAllCards());
  EXPECT_EQ(receivers.opened, (std::vector<std::pair<bool, int>>{{false, 3}, {true, 5}}));
  mgr.CloseAllCards();
  EXPECT_EQ(receivers.closed, 1);

  receivers.detected = 9;
  EXPECT_EQ(mgr.HwCfgCountKr20(), 0);
  EXPECT_TRUE(HasLine(program, "Receiver card count 9 out of range, taken as 0"));
}

// Without a configuration file the converters that opened are handed out, two per card in order,
// and no channel is tied to one that is not there; a saved configuration is kept as it is.
TEST(HwCfgOpening, WithoutAFileOnlyTheOpenedConvertersAreAssigned) {
  testsupport::LoggedProgramFolder program;
  quorxhwcfgmgrclass mgr;
  quorxdncvtmgrclass dncvt(program.Path());
  FakeReceivers receivers;
  mgr.AttachDownConverters(&dncvt);
  mgr.AttachReceiverCards(&receivers);
  EXPECT_FALSE(mgr.LoadConfigFile());
  mgr.EnableRecords[kHwCfgKr12].Enabled = 0;
  mgr.EnableRecords[kHwCfgKr14] = HwCfgEnableRecord{1, 1, 2};  // one simulated Kr14 card of two channels
  mgr.ApplyHardwareConfiguration();
  EXPECT_TRUE(mgr.OpenAllCards());
  ASSERT_EQ(dncvt.NumDnCvts, 2);
  EXPECT_EQ(Of(mgr.CardSetRecords[0]), (CardSet{0, 2, 0, 1}));
  for (std::size_t card = 1; card < kHwCfgCardSets; ++card) {
    EXPECT_EQ(Of(mgr.CardSetRecords[card]), (CardSet{static_cast<int>(card), 0, -1, -1})) << card;
  }
  EXPECT_EQ(mgr.GetDownConverterIndex(1, 0), -1);

  // The operator's assignments, saved as the hardware dialog saves them, hold when the cards open
  // again at once, and after the file is read again.
  mgr.CardSetRecords[0] = HwCfgCardSetRecord{0, 1, {1, -1}};
  mgr.CardSetRecords[2] = HwCfgCardSetRecord{2, 1, {-1, 0}};
  mgr.ApplyHardwareConfiguration();
  ASSERT_TRUE(mgr.SaveConfigFile());
  mgr.CloseAllCards();
  EXPECT_TRUE(mgr.OpenAllCards());
  EXPECT_EQ(Of(mgr.CardSetRecords[0]), (CardSet{0, 1, 1, -1}));
  EXPECT_EQ(Of(mgr.CardSetRecords[2]), (CardSet{2, 1, -1, 0}));
  mgr.CloseAllCards();
  ASSERT_TRUE(mgr.LoadConfigFile());
  mgr.EnableRecords[kHwCfgKr12].Enabled = 0;
  mgr.EnableRecords[kHwCfgKr14] = HwCfgEnableRecord{1, 1, 2};
  mgr.ApplyHardwareConfiguration();
  EXPECT_TRUE(mgr.OpenAllCards());
  EXPECT_EQ(Of(mgr.CardSetRecords[0]), (CardSet{0, 1, 1, -1}));
  EXPECT_EQ(Of(mgr.CardSetRecords[2]), (CardSet{2, 1, -1, 0}));
}

TEST(HwCfgOpening, ApplyPutsDamagedRecordsInOrder) {
  testsupport::LoggedProgramFolder program;
  quorxhwcfgmgrclass mgr;
  mgr.EnableRecords[kHwCfgKr12].NumToSimulate = 0;
  mgr.CardSetRecords[1] = HwCfgCardSetRecord{7, 2, {0, 99}};  // 0 is card 0's already
  mgr.ApplyHardwareConfiguration();
  EXPECT_EQ(Of(mgr.EnableRecords[kHwCfgKr12]), (Enable{1, 0, 1}));
  EXPECT_EQ(Of(mgr.CardSetRecords[1]), (CardSet{1, 0, -1, -1}));
  EXPECT_TRUE(HasLine(program, "Kr12 number to simulate 0 out of range, default used"));
}

}  // namespace
}  // namespace card
