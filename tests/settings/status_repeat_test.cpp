// A status read that fails at every pass of the master timer is logged once per card, and the
// repeats are counted at shut-down, instead of a line per pass.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "config/options_store.h"
#include "settings/status_readers.h"
#include "settings_test_support.h"
#include "util/repeated_log_lines.h"

namespace {

using settingstest::SimHook;

class StatusRepeatTest : public settingstest::SimCardTest {
 protected:
  void TearDown() override {
    SimCardTest::TearDown();
    config::gApp.Options = nullptr;
  }
  config::kr20optionclass options_{false};
};

TEST_F(StatusRepeatTest, APreDNoiseReadThatKeepsFailingIsLoggedOnceWithTheRepeatsCounted) {
  // One chip-variant card in the pre-D combining personality, PSK on both inputs.
  const std::string psk = "70e6, -40, QPSK, 2e6, 14, NRZL";
  WriteSimConfig(1, "[Card_0]\nChipVariant=YES\nFpgaMode=5\nIfInput1=" + psk + "\nIfInput2=" + psk + "\n", true);
  OpenSimCards(1, true);
  config::gApp.Options = &options_;
  auto manager = std::make_unique<kr20setmgrclass>();
  auto close = SimHook<int (*)(int)>(sim_ + "/librtZp903x.so", "Zp90_Card_Close");
  auto open = SimHook<int (*)(int)>(sim_ + "/librtZp903x.so", "Zp90_Card_Open");
  ASSERT_TRUE(close != nullptr && open != nullptr);
  ASSERT_EQ(close(0), 0);
  for (int pass = 0; pass < 50; ++pass) manager->GetPreDStatusInfo(0);
  EXPECT_EQ(open(0), 0);
  const std::string line = "Kr20SetMgrUnit :: kr20setmgrclass::GetPreDStatusInfo :: RTL Fail on PreD Get Measured Noise";
  std::vector<std::string> texts = program_.LogTexts();
  EXPECT_EQ(std::count(texts.begin(), texts.end(), line), 1);
  util::WriteRepeatedLineCounts();
  texts = program_.LogTexts();
  EXPECT_EQ(texts.back(), "Card 1 pre-D measured noise: 49 more times \"RTL Fail on PreD Get Measured Noise\", not logged");
}

}  // namespace
