// The down-converter manager, against the simulated converter libraries (the build makes them)
// and with the simulated converters of demo mode.
#include "card_test_support.h"
#include "card/dncvt_manager.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "card/hwcfg_manager.h"
#include "support/log_capture.h"

namespace card {
namespace {

HwCfgEnableRecord Live() { return HwCfgEnableRecord{1, 0, 1}; }
HwCfgEnableRecord Off() { return HwCfgEnableRecord{0, 0, 1}; }

class DnCvtManagerSimTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = SimFolder();
    if (!std::filesystem::exists(folder_ + "/libKr12V2_Dll.so")) GTEST_FAIL() << "devicesim libraries not built (the build makes them)";
    setenv("QUORX_SIM_FOLDER", program.Path().c_str(), 1);
  }
  void Configure(const std::string& converters) {
    ASSERT_TRUE(testsupport::WriteWholeFile(program / "VirtualHardware.cfg", "[DownConverters]\n" + converters));
    for (const char* file : {"libKr12V2_Dll.so", "libKr14P3_Dll.so"}) {
      void* handle = ResetSimLibrary(folder_, file);
      ASSERT_NE(handle, nullptr) << file;
      dlclose(handle);
    }
  }

  testsupport::LoggedProgramFolder program;
  std::string folder_;
};

TEST_F(DnCvtManagerSimTest, TableHoldsKr12ThenKr14Channels) {
  Configure("Kr12Cards=1\nKr12Channels=2\nKr14Cards=2\nKr14Channels=2\n");
  quorxdncvtmgrclass mgr(folder_);
  mgr.Configure(Live(), Live());
  ASSERT_TRUE(mgr.OpenAll());
  EXPECT_EQ(mgr.NumDnCvts, 6);
  EXPECT_EQ(mgr.NumKr14Cards, 2);
  EXPECT_EQ(Value(mgr.Records[1].Kind), kDnCvtKindKr12);
  EXPECT_EQ(Value(mgr.Records[4].Kind), kDnCvtKindKr14);
  EXPECT_GT(Value(mgr.Records[4].FreqBands[0].StartMhz), 0.0);
  std::string label;
  DownConverterAssignmentLabel(4, mgr.Records, label);
  EXPECT_EQ(label, "KR-14P3 Card 2 Ch 1");
  DownConverterAssignmentLabel(6, mgr.Records, label);
  EXPECT_EQ(label, "NOT USED");
}

TEST_F(DnCvtManagerSimTest, SettersReachTheConverterAndStoreIntoTheRecord) {
  Configure("Kr12Cards=1\nKr12Channels=2\nKr14Cards=0\n");
  quorxdncvtmgrclass mgr(folder_);
  mgr.Configure(Live(), Off());
  ASSERT_TRUE(mgr.OpenAll());
  ASSERT_EQ(mgr.NumDnCvts, 2);

  EXPECT_TRUE(mgr.AssignKeepFreqInSpecs(1, 2250.5));
  EXPECT_EQ(Value(mgr.Records[1].Setup.FreqMhz), 2250.5);
  EXPECT_FALSE(mgr.AssignKeepFreqInSpecs(1, 900.0));
  EXPECT_EQ(Value(mgr.Records[1].Setup.FreqMhz), 2250.5);
  EXPECT_TRUE(HasLine(program, "Freq Not In Available Freq Range, freq won't change"));

  EXPECT_TRUE(mgr.DnCvtSetTimeConstant(1, 2));
  EXPECT_EQ(Value(mgr.Records[1].Setup.TcSelected), 2);
  // A filter index the converter does not have is stored but refused by the converter.
  EXPECT_FALSE(mgr.DnCvtSetIfBandwidth(1, 40));

  double dbm = 1.0;
  ASSERT_TRUE(mgr.DnCvtReadStrength(1, dbm));
  EXPECT_LT(dbm, 0.0);
  EXPECT_EQ(Value(mgr.Records[1].AgcValue), dbm);
  EXPECT_TRUE(mgr.DnCvtSetAgcZero(1, 1));
  EXPECT_EQ(Value(mgr.Records[1].AgcZeroReference), dbm);

  // Closed: the records stay, nothing reaches a converter, readers leave their outputs.
  mgr.CloseAll();
  EXPECT_FALSE(mgr.DnCvtSetAgcFreeze(1, 0));
  double untouched = 5.0;
  EXPECT_FALSE(mgr.DnCvtReadStrength(1, untouched));
  EXPECT_EQ(untouched, 5.0);
  // Reopened: the channel gets its setup back.
  ASSERT_TRUE(mgr.OpenAll());
  EXPECT_EQ(Value(mgr.Records[1].Setup.BwFilterSelected), 40);
  EXPECT_EQ(Value(mgr.Records[1].Setup.FreqMhz), 2250.5);
}

TEST(DnCvtManager, InvalidIndicesAreRefusedAndChangeNothing) {
  testsupport::LoggedProgramFolder program;
  quorxdncvtmgrclass mgr(program.Path());
  mgr.Configure(HwCfgEnableRecord{1, 1, 2}, Off());
  ASSERT_TRUE(mgr.OpenAll());
  ASSERT_EQ(mgr.NumDnCvts, 2);
  const card::DnCvtChannelRecords before = mgr.Records;
  for (int index : {-1, 2, 12}) {
    EXPECT_FALSE(mgr.DnCvtSetAgcZero(index, 1)) << index;
    EXPECT_FALSE(mgr.DnCvtSetIfBandwidth(index, 1)) << index;
    EXPECT_FALSE(mgr.DnCvtApplySetup(index)) << index;
    EXPECT_FALSE(mgr.AssignKeepFreqInSpecs(index, 1500.0)) << index;
    double dbm = 3.0;
    EXPECT_FALSE(mgr.DnCvtReadStrength(index, dbm));
    EXPECT_EQ(dbm, 3.0);
  }
  EXPECT_EQ(std::memcmp(&before, &mgr.Records, sizeof before), 0);
}

// Simulated converters (no library) store what is set; indices outside the table change nothing.
TEST(DnCvtManager, SimulatedConvertersStoreAndInvalidIndicesChangeNothing) {
  testsupport::LoggedProgramFolder program;
  quorxdncvtmgrclass mgr(program.Path());
  mgr.Configure(Off(), HwCfgEnableRecord{1, 1, 3});
  ASSERT_TRUE(mgr.OpenAll());
  ASSERT_EQ(mgr.NumDnCvts, 3);
  EXPECT_EQ(mgr.NumKr14Cards, 2);
  EXPECT_TRUE(mgr.DnCvtSetTimeConstant(2, 4));
  EXPECT_EQ(Value(mgr.Records[2].Setup.TcSelected), 4);
  EXPECT_TRUE(mgr.AssignKeepFreqInSpecs(2, 1500.0));
  double strength = 3.0;  // nothing to read from a simulated converter
  EXPECT_FALSE(mgr.DnCvtReadStrength(2, strength));
  EXPECT_EQ(strength, 3.0);
  const card::DnCvtChannelRecords before = mgr.Records;
  for (int index : {-1, 3, 12}) {
    EXPECT_FALSE(mgr.DnCvtSetAgcZero(index, 1)) << index;
    EXPECT_FALSE(mgr.DnCvtSetIfBandwidth(index, 1)) << index;
    EXPECT_FALSE(mgr.DnCvtApplySetup(index)) << index;
    EXPECT_FALSE(mgr.AssignKeepFreqInSpecs(index, 1500.0)) << index;
    double dbm = 3.0;
    EXPECT_FALSE(mgr.DnCvtReadStrength(index, dbm));
    EXPECT_EQ(dbm, 3.0);
  }
  EXPECT_EQ(std::memcmp(&before, &mgr.Records, sizeof before), 0);
}

TEST(DnCvtManager, BuildListClampsAndKeepsKnownChannels) {
  testsupport::LoggedProgramFolder program;
  DnCvtChannelRecords records{};
  records[0].Kind = kDnCvtKindKr12;
  records[0].Setup.TcSelected = 6;
  const std::array<HwCfgEnableRecord, 3> enables{Live(), Live(), Live()};
  int count = -1;
  BuildDownConverterList(count, records, enables, 10, 4);
  EXPECT_EQ(count, 12);
  EXPECT_EQ(Value(records[0].Setup.TcSelected), 6);  // Kr12 card 0 channel 0 came back
  EXPECT_EQ(Value(records[11].Kind), kDnCvtKindKr14);
  EXPECT_EQ(Value(records[11].Card), 3);
  const std::vector<std::string> texts = program.LogTexts();
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "14 down-converter channels found, only the first 12 are used"), 1);

  const std::array<HwCfgEnableRecord, 3> kr14Off{Live(), Live(), Off()};
  BuildDownConverterList(count, records, kr14Off, 10, 4);
  EXPECT_EQ(count, 4);
  EXPECT_EQ(Value(records[4].Kind), kDnCvtKindNone);
}

// The list the hardware dialog builds is the table the manager opens: a Kr12 card of two channels
// gives two converters on card 1, simulated radios one each.
TEST_F(DnCvtManagerSimTest, BuildListLaysOutTheChannelsAsTheManagerOpensThem) {
  Configure("Kr12Cards=2\nKr12Channels=2\nKr14Cards=1\nKr14Channels=2\n");
  quorxdncvtmgrclass mgr(folder_);
  mgr.Configure(Live(), Live());
  ASSERT_TRUE(mgr.OpenAll());
  ASSERT_EQ(mgr.NumDnCvts, 6);
  EXPECT_EQ(mgr.ChannelsPerCard().Kr12, 2);
  EXPECT_EQ(mgr.ChannelsPerCard().Kr14, 2);
  mgr.Records[3].Setup.FreqMhz = 2250.5;

  const std::array<HwCfgEnableRecord, 3> enables{Live(), Live(), Live()};
  DnCvtChannelRecords records = mgr.Records;
  int count = -1;
  BuildDownConverterList(count, records, enables, mgr.NumKr14Channels, mgr.NumKr12Channels, mgr.ChannelsPerCard());
  EXPECT_EQ(count, mgr.NumDnCvts);
  EXPECT_EQ(std::memcmp(&records, &mgr.Records, sizeof records), 0);
  std::string label;
  DownConverterAssignmentLabel(3, records, label);
  EXPECT_EQ(label, "KR-12P2 Card 2 Ch 2");

  // Simulated Kr12: radios of one channel, whatever the cards had.
  const std::array<HwCfgEnableRecord, 3> kr12Simulated{Live(), HwCfgEnableRecord{1, 1, 3}, Live()};
  BuildDownConverterList(count, records, kr12Simulated, 2, 3, mgr.ChannelsPerCard());
  EXPECT_EQ(count, 5);
  DownConverterAssignmentLabel(2, records, label);
  EXPECT_EQ(label, "KR-12P2 Card 3 Ch 1");
  DownConverterAssignmentLabel(4, records, label);
  EXPECT_EQ(label, "KR-14P3 Card 1 Ch 2");

  // Without open cards the defaults hold: Kr12 radios of one channel, Kr14 cards of two.
  mgr.CloseAll();
  EXPECT_EQ(mgr.ChannelsPerCard().Kr12, 1);
  EXPECT_EQ(mgr.ChannelsPerCard().Kr14, 2);
}

}  // namespace
}  // namespace card
