// The simulated down-converters: their tables, tuning within the bands, and readings that follow
// the RF signal.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim_library.h"

namespace simtest {
namespace {

class DnCvtTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    UseConfig("[DownConverters]\nKr12Cards=1\nKr12Channels=2\nKr14Cards=2\nKr14Channels=3\n"
              "RfCarrierMhz=2250.5\nRfPowerDbm=-55\n");
    Kr12().reset();
    Kr14().reset();
  }
  static const card::DnCvtFunctions& K12() { return Kr12().fn; }
  static const card::DnCvtFunctions& K14() { return Kr14().fn; }
  static double Strength(const card::DnCvtFunctions& f, int cardIndex, int channel) {
    double dbm = 99.0;
    EXPECT_EQ(f.ReadStrength(cardIndex, channel, &dbm), card::kDevOk);
    return dbm;
  }
};

TEST_F(DnCvtTest, CountsComeFromTheConfigurationAndTuningStaysInTheBands) {
  int count = 0;
  ASSERT_EQ(K14().GetCardCount(&count), card::kDevOk);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(K14().GetChannelCount(1, &count), card::kDevBadCard);  // not open yet
  ASSERT_EQ(K14().OpenCard(1), card::kDevOk);
  ASSERT_EQ(K14().GetChannelCount(1, &count), card::kDevOk);
  EXPECT_EQ(count, 3);
  ASSERT_EQ(K12().OpenCard(0), card::kDevOk);
  std::vector<double> filters(12, -1.0);
  EXPECT_EQ(K12().GetIfFilterTable(0, 0, filters.data(), 11, &count), card::kDevBufferTooSmall);
  ASSERT_EQ(K12().GetIfFilterTable(0, 0, filters.data(), 12, &count), card::kDevOk);
  EXPECT_EQ(count, 12);
  EXPECT_EQ(K12().SetIfBandwidth(0, 0, 11), card::kDevBadArgument);
  std::vector<double> start(4), stop(4);
  ASSERT_EQ(K12().GetFreqBandTable(0, 0, start.data(), stop.data(), 4, &count), card::kDevOk);
  ASSERT_GE(count, 1);
  EXPECT_EQ(K12().SetFrequencyMhz(0, 0, 100.0), card::kDevBadArgument);  // outside every band
  EXPECT_EQ(K12().SetFrequencyMhz(0, 0, start[0]), card::kDevOk);
}

TEST_F(DnCvtTest, StrengthAndPllsFollowTheTuningUnlessTheAgcIsFrozen) {
  ASSERT_EQ(K14().OpenCard(0), card::kDevOk);
  EXPECT_LT(Strength(K14(), 0, 0), -80.0);  // nothing tuned yet
  unsigned char s1 = 9, s2 = 9, s3 = 9;
  // 0 is locked: the reference from power-up, the others once tuned.
  ASSERT_EQ(K14().ReadPllStatus(0, 0, &s1, &s2, &s3), card::kDevOk);
  EXPECT_EQ(std::vector<int>({s1, s2, s3}), std::vector<int>({1, 1, 0}));
  ASSERT_EQ(K14().SetFrequencyMhz(0, 0, 2250.5), card::kDevOk);
  ASSERT_EQ(K14().ReadPllStatus(0, 0, &s1, &s2, &s3), card::kDevOk);
  EXPECT_EQ(std::vector<int>({s1, s2, s3}), std::vector<int>({0, 0, 0}));
  EXPECT_NEAR(Strength(K14(), 0, 0), -55.0, 1.0);
  ASSERT_EQ(K14().SetAgcFreeze(0, 0, 1), card::kDevOk);
  const double frozen = Strength(K14(), 0, 0);
  ASSERT_EQ(K14().SetFrequencyMhz(0, 0, 2300.0), card::kDevOk);
  EXPECT_EQ(Strength(K14(), 0, 0), frozen);
  ASSERT_EQ(K14().SetAgcFreeze(0, 0, 0), card::kDevOk);
  EXPECT_LT(Strength(K14(), 0, 0), -80.0);
}

}  // namespace
}  // namespace simtest
