// Saving and loading a card's setup file on a card of the simulated device library: the round
// trip of every field, the converter records chosen per channel, designations, the FPGA mode
// handed to the load state, saving over an older file and refusing files that are no setup.
#include "settings/setup_file.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "card/card_routines.h"
#include "card/setup_routines.h"
#include "settings_test_support.h"
#include "setup_file_test_support.h"

namespace {

using card::CardSetupRecord;
using card::DnCvtSetupRecord;
using card::ModulatorRecord;
using card::ReceiverRecord;
using settingstest::Value;
using setupfiletest::Span;
namespace sf = settings::setupfile;

#define FIELD(Record, base, Field) \
  Span { #Field, (base) + offsetof(Record, Field), sizeof(std::declval <Record&>().Field) }

// The card-record fields a recalled file does not give back as saved: forced, limited, taken
// from the options, or not in the file at all.
std::vector<Span> CardFieldsNotRecalled() {
  std::vector<Span> spans;
  for (std::size_t n = 0; n < card::kSetupChannels; ++n) {
    const std::size_t rx = offsetof(CardSetupRecord, Receiver) + n * sizeof(ReceiverRecord);
    spans.insert(spans.end(), {FIELD(ReceiverRecord, rx, XmitterIsDigital), FIELD(ReceiverRecord, rx, Reserved1247),
                               FIELD(ReceiverRecord, rx, PeakDeviationFactorMin),
                               FIELD(ReceiverRecord, rx, PeakDeviationFactorMax),
                               FIELD(ReceiverRecord, rx, CarrierPeakDeviationRange)});
  }
  const std::size_t mod = offsetof(CardSetupRecord, Modulator);
  for (std::size_t p = 0; p < card::kModProfiles; ++p) {
    const std::size_t profile = mod + offsetof(ModulatorRecord, Profiles) + p * sizeof(card::ModProfileRecord);
    spans.push_back(FIELD(card::ModProfileRecord, profile, Reserved16));
  }
  spans.insert(spans.end(),
               {FIELD(CardSetupRecord, 0, PreD.NoiseFilterGainValue), FIELD(ModulatorRecord, mod, SweepRateHz),
                FIELD(ModulatorRecord, mod, StartFreqMhz), FIELD(ModulatorRecord, mod, NumProfiles),
                FIELD(ModulatorRecord, mod, SweepProfileIndex), FIELD(ModulatorRecord, mod, StopFreqMhzAry),
                FIELD(ModulatorRecord, mod, Reserved51), FIELD(ModulatorRecord, mod, TestGenPattern),
                FIELD(ModulatorRecord, mod, CarrierEnabled), FIELD(ModulatorRecord, mod, ModulationEnabled),
                FIELD(ModulatorRecord, mod, NoiseEnabled), FIELD(ModulatorRecord, mod, SakLoopbackMode)});
  return spans;
}

std::vector<Span> DnCvtFieldsNotRecalled() {
  return {FIELD(DnCvtSetupRecord, 0, AgcFreezeEnabled),   FIELD(DnCvtSetupRecord, 0, AgcZeroEnabled),
          FIELD(DnCvtSetupRecord, 0, AgcOutputSlopeSelected), FIELD(DnCvtSetupRecord, 0, DigitalAgcMode),
          FIELD(DnCvtSetupRecord, 0, TcSelected),         FIELD(DnCvtSetupRecord, 0, BwFilterSelected),
          FIELD(DnCvtSetupRecord, 0, FreqBandSelected),   FIELD(DnCvtSetupRecord, 0, AmLoPassFilterSelected),
          FIELD(DnCvtSetupRecord, 0, UserAgcSlopeMode),   FIELD(DnCvtSetupRecord, 0, CifTuningMode),
          FIELD(DnCvtSetupRecord, 0, Reserved70),         FIELD(DnCvtSetupRecord, 0, Reserved72),
          FIELD(DnCvtSetupRecord, 0, Reserved105)};
}

class SetupFileCardTest : public settingstest::SimCardTest {
 protected:
  // One card running mode 5 with converters `channelA` and `channelB` (-1: none).
  void Start(int channelA, int channelB, bool openConverters = true) {
    StartCard("YES", 5, card::HwCfgCardSetRecord{0, 2, {channelA, channelB}}, openConverters);
    if (!openConverters) {
      dncvt_ = std::make_unique<quorxdncvtmgrclass>(sim_);
      gDnCvtMgr = dncvt_.get();
    }
    gKr20SetMgr = manager_.get();
    manager_->SetupFileNames[0] = "TRACK_A";
  }
  void TearDown() override {
    gKr20SetMgr = nullptr;
    SimCardTest::TearDown();
  }
  DnCvtSetupRecord& Dc(int index) { return dncvt_->Records[static_cast<std::size_t>(index)].Setup; }
  std::string SetupFile() const { return program_ / "USER/SETUPFILES/TRACK_A.VexA"; }
  std::string FileText() const { return testsupport::ReadWholeFile(SetupFile()); }
  void WriteFile(const std::string& text) {
    std::filesystem::create_directories(program_ / "USER/SETUPFILES");
    ASSERT_TRUE(testsupport::WriteWholeFile(SetupFile(), text));
  }
};

TEST_F(SetupFileCardTest, EveryStoredFieldComesBackFromTheFile) {
  Start(0, 1);
  setupfiletest::FillCardSetup(Rec(), 1);
  card::SetCardDesignationText(Rec(), "TRACKING STN 4");
  card::SetStreamDesignationText(Rec(), 0, "LEFT HAND");
  card::SetStreamDesignationText(Rec(), 1, "RIGHT HAND");
  setupfiletest::FillDnCvtSetup(Dc(0), 1);
  setupfiletest::FillDnCvtSetup(Dc(1), 3);
  const CardSetupRecord savedCard = Rec();
  const DnCvtSetupRecord savedA = Dc(0);
  const DnCvtSetupRecord savedB = Dc(1);
  ASSERT_TRUE(settings::SaveCardSetupFile(0));

  setupfiletest::FillCardSetup(Rec(), 2);
  setupfiletest::FillDnCvtSetup(Dc(0), 2);
  setupfiletest::FillDnCvtSetup(Dc(1), 2);
  ASSERT_TRUE(settings::LoadCardSetupFile(0));

  const std::vector<std::size_t> none;
  EXPECT_EQ(setupfiletest::Differences(sf::BytesOf(savedCard), sf::BytesOf(Rec()), CardFieldsNotRecalled()), none);
  EXPECT_EQ(setupfiletest::Differences(sf::BytesOf(savedA), sf::BytesOf(Dc(0)), DnCvtFieldsNotRecalled()), none);
  EXPECT_EQ(setupfiletest::Differences(sf::BytesOf(savedB), sf::BytesOf(Dc(1)), DnCvtFieldsNotRecalled()), none);
  EXPECT_EQ(card::CardDesignationName(0), "TRACKING STN 4");
  EXPECT_EQ(card::StreamDesignationName(0, 1), "RIGHT HAND");
  EXPECT_EQ(Value(cards_->LoadState(0).DesiredFpgaMode), 5);  // the file's mode, handed to the load state
}

TEST_F(SetupFileCardTest, ConvertersAreChosenPerChannel) {
  // Channel A without a converter saves a blank record, channel B its converter's.
  Start(-1, 1, false);
  Dc(1).FreqMhz = 100.0;
  ASSERT_TRUE(settings::SaveCardSetupFile(0));
  const std::string text = FileText();
  EXPECT_NE(setupfiletest::SectionText(text, "[DownConvert Data 1]").find("\nFreqMhz=0.000000000\r"), std::string::npos);
  EXPECT_NE(setupfiletest::SectionText(text, "[DownConvert Data 2]").find("\nFreqMhz=100.000000000\r"),
            std::string::npos);
  TearDown();
  // One converter for both channels reads both sections, the second last.
  Start(-1, -1, false);
  Dc(0).FreqMhz = 5.0;
  Dc(0).BitRate = 7;
  WriteFile("[DownConvert Data 1 ]\nFreqMhz=1500.5\nExtRefFreqMhz=10\n[DownConvert Data 2 ]\nFreqMhz=2200.25\n");
  ASSERT_TRUE(settings::LoadCardSetupFile(0));
  EXPECT_EQ(Value(Dc(0).FreqMhz), 2200.25);
  EXPECT_EQ(Value(Dc(0).ExtRefFreqMhz), 10.0);  // only in the first section
  EXPECT_EQ(Value(Dc(0).BitRate), 7);           // in neither
  EXPECT_EQ(Value(Dc(1).FreqMhz), 0.0);
}

TEST_F(SetupFileCardTest, DesignationsFallBackToTheOlderSectionOfTheSameCard) {
  Start(0, 1);
  const std::string route = "[Stream Route Info]\r\nRoute Mode=1\r\n";
  WriteFile(route + "[Stream Designation_CARD_3]\r\nDesignation=OTHER CARD\r\n"
            "[Stream Designation_CARD_0]\r\nDesignation=FROM OLD FILE\r\n");
  ASSERT_TRUE(settings::LoadCardSetupFile(0));
  EXPECT_EQ(card::CardDesignationName(0), "FROM OLD FILE");

  WriteFile(route +
            "[Stream Designation_CARD_0]\r\nDesignation=FROM OLD FILE\r\n"
            "[Stream Designation_CARD_INFO]\r\nDesignation=A DESIGNATION LONGER THAN 17\r\n");
  ASSERT_TRUE(settings::LoadCardSetupFile(0));
  EXPECT_EQ(card::CardDesignationName(0), "A DESIGNATION LON");
}

TEST_F(SetupFileCardTest, AFileWithoutModeKeepsTheCurrentMode) {
  Start(0, 1);
  WriteFile("[Stream Route Info]\r\nRoute Mode=2\r\n");
  Rec().RouteInfo.FpgaMasterMode = 3;
  Rec().RouteInfo.UserReceiverMode = 4;
  ASSERT_TRUE(settings::LoadCardSetupFile(0));
  EXPECT_EQ(Value(Rec().RouteInfo.FpgaMasterMode), 3);
  EXPECT_EQ(Value(Rec().RouteInfo.UserReceiverMode), 3);  // missing: the master mode
  EXPECT_EQ(Value(cards_->LoadState(0).DesiredFpgaMode), 3);
}

TEST_F(SetupFileCardTest, SavingOverAnOlderFileKeepsItsOtherKeysAndDropsAStaleMode) {
  Start(0, 1);
  WriteFile(
      "; written by an older version\n[stream route info]\nfpgamastermode = 4\n; operator note\nOldKey=kept\n"
      "UserReceiverMode=\"5\"\n[Operator Notes]\nNote=keep me\n[Rx Data0]\nRetiredKey=1\nCarrierFreqMhz=1.0\n");
  Rec().RouteInfo.FpgaMasterMode = 16;
  Rec().RouteInfo.UserReceiverMode = 16;
  Rec().Receiver[0].CarrierFreqMhz = 70.5;
  ASSERT_TRUE(settings::SaveCardSetupFile(0));
  const std::string text = FileText();
  EXPECT_TRUE(
      text.starts_with("; written by an older version\r\n[stream route info]\r\n; operator note\r\n"
                       "OldKey=kept\r\nRoute Mode=0\r\n"))
      << text.substr(0, 200);
  EXPECT_EQ(setupfiletest::SectionText(text, "[Operator Notes]"), "[Operator Notes]\r\nNote=keep me\r\n");
  EXPECT_TRUE(setupfiletest::SectionText(text, "[Rx Data0]")
                  .starts_with("[Rx Data0]\r\nRetiredKey=1\r\nCarrierFreqMhz=70.500000000\r\nInputSource="));
  EXPECT_EQ(text.find("astermode"), std::string::npos);
  EXPECT_EQ(text.find("UserReceiverMode"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(SetupFile() + ".new"));

  // The mode back: written where a new key goes.
  Rec().RouteInfo.FpgaMasterMode = 7;
  ASSERT_TRUE(settings::SaveCardSetupFile(0));
  EXPECT_NE(FileText().find("PskFmCombinerToChA=NO\r\nFpgaMasterMode=7\r\n"), std::string::npos);
}

TEST_F(SetupFileCardTest, AFileThatIsNoSetupChangesNothing) {
  Start(0, 1);
  setupfiletest::FillCardSetup(Rec(), 1);
  setupfiletest::FillDnCvtSetup(Dc(0), 1);
  cards_->LoadState(0).DesiredFpgaMode = 2;
  const CardSetupRecord before = Rec();
  const DnCvtSetupRecord beforeA = Dc(0);
  for (const std::string& text : {std::string("[Window]\nLeft=10\n"), std::string("\x7f" "ELF\x02\x01\0\0", 8)}) {
    WriteFile(text);
    EXPECT_FALSE(settings::LoadCardSetupFile(0));
    EXPECT_EQ(std::memcmp(&before, &Rec(), sizeof before), 0);
    EXPECT_EQ(std::memcmp(&beforeA, &Dc(0), sizeof beforeA), 0);
    EXPECT_EQ(Value(cards_->LoadState(0).DesiredFpgaMode), 2);
  }
  EXPECT_EQ(program_.LogTexts().back(), "Setup file " + SetupFile() + " holds no setup; not loaded");
  std::filesystem::remove(SetupFile());
  EXPECT_FALSE(settings::LoadCardSetupFile(0));
}

TEST_F(SetupFileCardTest, TheFileIsInTheSetupFolderUnderItsBaseNameInAnyLetterCase) {
  Start(0, 1);
  EXPECT_FALSE(settings::SaveCardSetupFile(1));
  EXPECT_FALSE(settings::LoadCardSetupFile(-1));
  const std::string folder = program_ / "USER/SETUPFILES/";
  for (const auto& [name, file] : std::vector<std::pair<std::string, std::string>>{
           {"C:\\ELSEWHERE\\SITE_B.vexa", "SITE_B.VexA"}, {"..", ""}}) {
    manager_->SetupFileNames[0] = name;
    EXPECT_EQ(settings::CardSetupFilePath(0), file.empty() ? "" : folder + file) << name;
  }
  EXPECT_FALSE(settings::SaveCardSetupFile(0));

  manager_->SetupFileNames[0] = "TRACK_A";
  std::filesystem::create_directories(program_ / "user/SetupFiles");
  ASSERT_TRUE(
      testsupport::WriteWholeFile(program_ / "user/SetupFiles/track_a.vexa", "[Stream Route Info]\nRoute Mode=2\n"));
  EXPECT_EQ(settings::CardSetupFilePath(0), program_ / "user/SetupFiles/track_a.vexa");
  ASSERT_TRUE(settings::LoadCardSetupFile(0));
  EXPECT_EQ(Value(Rec().RouteInfo.RouteMode), 2);
  ASSERT_TRUE(settings::SaveCardSetupFile(0));
  EXPECT_FALSE(std::filesystem::exists(program_ / "USER"));
}

}  // namespace
