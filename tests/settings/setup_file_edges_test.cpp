// Setup files at the edges the readers must get right: the test modulator's output flags with the
// option that keeps them and without it, a file lacking a bit synchroniser's section, and a file
// saved from one card recalled into another.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "card/card_routines.h"
#include "card/setup_routines.h"
#include "config/globals.h"
#include "config/options_store.h"
#include "multi_card_fixture.h"
#include "settings/setup_file.h"
#include "setup_file_test_support.h"
#include "support/log_capture.h"

namespace {

class SetupFileEdgesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    config::gApp.Options = &options_;
    setupfiletest::FillCardSetup(setup_, 1);
  }
  void TearDown() override { config::gApp.Options = nullptr; }

  std::string File() const { return program_ / "EDGES.VexA"; }
  bool Recall(const std::string& text) {
    EXPECT_TRUE(testsupport::WriteWholeFile(File(), text));
    return settings::ReadCardSetup(4, File(), setup_, dnCvtA_, dnCvtB_);
  }

  testsupport::LoggedProgramFolder program_;
  config::kr20optionclass options_{false};
  card::CardSetupRecord setup_{};
  card::DnCvtChannelRecord dnCvtA_{};
  card::DnCvtChannelRecord dnCvtB_{};
};

// Without the option the carrier, modulation and noise come back off whatever the file says; with
// it they follow the file, both ways.
TEST_F(SetupFileEdgesTest, TestModulatorOutputFlagsFollowTheFileOnlyWithTheOption) {
  const std::string on = "[ MOD REST INFO]\r\nCarrierEnabled=YES\r\nModulationEnabled=YES\r\nNoiseEnabled=YES\r\n";
  const std::string off = "[ MOD REST INFO]\r\nCarrierEnabled=NO\r\nModulationEnabled=NO\r\nNoiseEnabled=NO\r\n";
  struct Row {
    const char* name;
    bool option;
    const std::string& text;
    std::uint8_t before;
    std::uint8_t after;
  };
  const Row rows[] = {
      {"option off, file on", false, on, 1, 0},
      {"option on, file on", true, on, 0, 1},
      {"option on, file off", true, off, 1, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    options_.Info().RecallTestModOutputState = row.option ? 1 : 0;
    setup_.Modulator.CarrierEnabled = setup_.Modulator.ModulationEnabled = setup_.Modulator.NoiseEnabled = row.before;
    ASSERT_TRUE(Recall(row.text));
    EXPECT_EQ(int{setup_.Modulator.CarrierEnabled}, int{row.after});
    EXPECT_EQ(int{setup_.Modulator.ModulationEnabled}, int{row.after});
    EXPECT_EQ(int{setup_.Modulator.NoiseEnabled}, int{row.after});
  }
}

// A file without the section of the first receiver's second bit synchroniser leaves that synchroniser as
// it is and reads every other one.
TEST_F(SetupFileEdgesTest, AMissingBitsync2SectionKeepsThatSynchroniser) {
  ASSERT_TRUE(settings::WriteCardSetup(4, File(), setup_, dnCvtA_, dnCvtB_));
  const card::CardSetupRecord saved = setup_;
  std::string text = testsupport::ReadWholeFile(File());
  const auto header = text.find("[Rx Data0 Bitsync2]");
  ASSERT_NE(header, std::string::npos);
  const auto next = text.find("\r\n[", header);
  ASSERT_NE(next, std::string::npos);
  text.erase(header, next + 2 - header);
  ASSERT_EQ(text.find("Bitsync2]"), text.rfind("Bitsync2]"));  // channel 2's is still there

  setupfiletest::FillCardSetup(setup_, 2);
  const card::CardSetupRecord current = setup_;
  ASSERT_NE(std::memcmp(&saved.Receiver[0].BitSync[1], &current.Receiver[0].BitSync[1], sizeof(card::BitSyncRecord)), 0);
  ASSERT_TRUE(Recall(text));
  EXPECT_EQ(std::memcmp(&setup_.Receiver[0].BitSync[1], &current.Receiver[0].BitSync[1], sizeof(card::BitSyncRecord)), 0);
  EXPECT_EQ(std::memcmp(&setup_.Receiver[0].BitSync[0], &saved.Receiver[0].BitSync[0], sizeof(card::BitSyncRecord)), 0);
  EXPECT_EQ(std::memcmp(&setup_.Receiver[1].BitSync[1], &saved.Receiver[1].BitSync[1], sizeof(card::BitSyncRecord)), 0);
}

class SetupFileAcrossCardsTest : public settingstest::MultiCardTest {
 protected:
  void SetUp() override { StartCards({{false, 0}, {false, 0}, {false, 0}}); }
};

// A setup saved from card 3 recalls into card 1 as it was, designations included.
TEST_F(SetupFileAcrossCardsTest, ASetupSavedFromCardThreeRecallsIntoCardOne) {
  card::CardSetupRecord& three = Rec(2);
  three.Receiver[0].CarrierThesholdDbm = -61.5;
  three.Receiver[1].BitSync[0].Bitrate = 123457;
  card::SetSetupText(three.Receiver[0].BitSync[0].PcmOutputCode, "BIOM");
  card::SetCardDesignationText(three, "CARD THREE");
  card::SetStreamDesignationText(three, 0, "LEFT HAND");
  card::SetStreamDesignationText(three, 1, "RIGHT HAND");
  manager_->SetupFileNames[2] = SetupFile("FROM3");
  ASSERT_TRUE(settings::SaveCardSetupFile(2));

  manager_->SetupFileNames[0] = SetupFile("FROM3");
  ASSERT_TRUE(settings::LoadCardSetupFile(0));
  const card::CardSetupRecord& one = Rec(0);
  EXPECT_EQ(settingstest::Value(one.Receiver[0].CarrierThesholdDbm), -61.5);
  EXPECT_EQ(settingstest::Value(one.Receiver[1].BitSync[0].Bitrate), 123457);
  EXPECT_EQ(card::SetupText(one.Receiver[0].BitSync[0].PcmOutputCode), "BIOM");
  EXPECT_EQ(card::CardDesignationName(0), "CARD THREE");
  EXPECT_EQ(card::StreamDesignationName(0, 0), "LEFT HAND");
  EXPECT_EQ(card::StreamDesignationName(0, 1), "RIGHT HAND");
}

}  // namespace
