// What the reader of a card setup file makes of the values it finds: limits, renames, forced
// values and option-given values per section family, files written by other tools, and how
// failures show.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <vector>
#include <cstring>
#include <memory>
#include <string>

#include "card/setup_routines.h"
#include "config/globals.h"
#include "config/options_store.h"
#include "settings/setup_file.h"
#include "settings_test_support.h"
#include "setup_file_test_support.h"
#include "support/log_capture.h"

namespace {

using card::SetupText;
using settingstest::Value;

// Explicit records (no card: index 4 has no object) read from a file the test writes.
class SetupFileRulesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    config::gApp.Options = &options_;
    setupfiletest::FillCardSetup(setup_, 1);
    setupfiletest::FillDnCvtSetup(dnCvtA_.Setup, 1);
    setupfiletest::FillDnCvtSetup(dnCvtB_.Setup, 3);
  }
  void TearDown() override { config::gApp.Options = nullptr; }

  config::kr20optinfo& Options() { return options_.Info(); }
  std::string File() const { return program_ / "RULES.VexA"; }
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

TEST_F(SetupFileRulesTest, ReceiverValuesAreLimitedRenamedAndForced) {
  setup_.Receiver[0].PmLoopDiscriminatorEnabled = 1;
  card::SetSetupText(setup_.Receiver[1].Routing.Baseband1Output, "I_FIR");
  ASSERT_TRUE(
      Recall("[Rx Data0]\n"
             "PeakDeviationFactorMin=5\nPeakDeviationFactorMax=0.01\nCarrierPeakDeviationRange=0.01\n"
             "XmitterIsDigital=YES\nPmLoopDiscriminatorEnabled=2.5\n"
             "[Rx Data0 Routing]\nBaseband1Output=I_FIR\n"));
  const card::ReceiverRecord& rx0 = setup_.Receiver[0];
  EXPECT_EQ(Value(rx0.PeakDeviationFactorMin), 1.0);
  EXPECT_EQ(Value(rx0.PeakDeviationFactorMax), 0.1);
  EXPECT_EQ(Value(rx0.CarrierPeakDeviationRange), 0.05);
  EXPECT_EQ(Value(rx0.XmitterIsDigital), 0);
  EXPECT_EQ(Value(rx0.MhCpmLoopValue), 2.5);
  EXPECT_EQ(Value(rx0.PmLoopDiscriminatorEnabled), 1);  // its own key is missing: kept
  EXPECT_EQ(SetupText(rx0.Routing.Baseband1Output), "I_FIR_DBG");
  // No routing section: only a value read from the file is renamed.
  EXPECT_EQ(SetupText(setup_.Receiver[1].Routing.Baseband1Output), "I_FIR");
}

// The peak-deviation values of a receiver section, each below, inside and above its limits.
TEST_F(SetupFileRulesTest, PeakDeviationValuesAreKeptInsideTheirLimitsAtBothEnds) {
  using Field = double (*)(const card::ReceiverRecord&);
  const Field range = [](const card::ReceiverRecord& r) { return Value(r.CarrierPeakDeviationRange); };
  const Field least = [](const card::ReceiverRecord& r) { return Value(r.PeakDeviationFactorMin); };
  const Field most = [](const card::ReceiverRecord& r) { return Value(r.PeakDeviationFactorMax); };
  const struct {
    const char* key;
    Field field;
    const char* written;
    double stored;
  } rows[] = {
      {"CarrierPeakDeviationRange", range, "0.7", 0.45},  {"CarrierPeakDeviationRange", range, "0.46", 0.45},
      {"CarrierPeakDeviationRange", range, "0.3", 0.3},   {"CarrierPeakDeviationRange", range, "0.04", 0.05},
      {"PeakDeviationFactorMin", least, "1.5", 1.0},      {"PeakDeviationFactorMin", least, "0.05", 0.1},
      {"PeakDeviationFactorMax", most, "1.01", 1.0},      {"PeakDeviationFactorMax", most, "0.75", 0.75},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.key << "=" << row.written);
    for (int channel = 0; channel < 2; ++channel) {
      ASSERT_TRUE(Recall("[Rx Data" + std::to_string(channel) + "]\n" + row.key + "=" + row.written + "\n"));
      EXPECT_EQ(row.field(setup_.Receiver[channel]), row.stored) << "channel " << channel;
    }
  }
}

TEST_F(SetupFileRulesTest, SweepIsLimitedAroundTheCarrierReadWithIt) {
  setup_.Modulator.SweepProfileIndex = 2;
  ASSERT_TRUE(
      Recall("[ MOD SWEEP INFO]\nSweepRateHz=0.5\nNumProfiles=7\nStartFreqMhz=1501\nStopFreqMhzAry_0=1499\n"
             "[ MOD REST INFO]\nCarrierFreqMhz=1500\nSub1ModulationType=SOQPSK_TG\n"));
  const card::ModulatorRecord& m = setup_.Modulator;
  EXPECT_EQ(Value(m.SweepRateHz), 1.0);
  EXPECT_EQ(Value(m.NumProfiles), 3);
  EXPECT_EQ(Value(m.StartFreqMhz), 1500.25);
  EXPECT_EQ(Value(m.StopFreqMhzAry[0]), 1499.75);
  EXPECT_EQ(Value(m.SweepProfileIndex), 0);
  EXPECT_EQ(SetupText(m.Sub1ModulationType), "QPSK");
  ASSERT_TRUE(Recall("[ MOD SWEEP INFO]\nNumProfiles=-2\n"));
  EXPECT_EQ(Value(m.NumProfiles), 1);
}

TEST_F(SetupFileRulesTest, DownConverterChoicesAreLimitedAndOptionsGiveTuningAndNoiseGain) {
  Options().UseDirectCifTuningMode = 1;
  Options().NoiseFilterGainValue = 12.5;
  dnCvtA_.Setup.AgcFreezeEnabled = 0;
  ASSERT_TRUE(
      Recall("[DownConvert Data 1 ]\nBwFilterSelected=40\nTcSelected=-3\nUserAgcSlopeMode=NO\n"
             "AgcOutputSlopeSelected=2\nCifTuningMode=0\nAmGain=300\nAgcFreezeEnabled=YES\n"
             "[DownConvert Data 2 ]\nUserAgcSlopeMode=NO\n"
             "[Pre D Combiner Data ]\nNoiseFilterGainValue=3\nTimeConstSecs=0.25\n"));
  const card::DnCvtSetupRecord& a = dnCvtA_.Setup;
  EXPECT_EQ(Value(a.BwFilterSelected), 11);
  EXPECT_EQ(Value(a.TcSelected), 0);
  EXPECT_EQ(Value(a.UserAgcSlopeMode), 1);
  EXPECT_EQ(Value(a.AgcOutputSlopeSelected), 6);
  EXPECT_EQ(Value(a.CifTuningMode), 1);
  EXPECT_EQ(Value(a.AmGain), 44);  // 300 & 0xFF
  EXPECT_EQ(Value(a.AgcFreezeEnabled), 0);
  EXPECT_EQ(Value(dnCvtB_.Setup.UserAgcSlopeMode), 1);
  EXPECT_EQ(Value(setup_.PreD.NoiseFilterGainValue), 12.5);
  EXPECT_EQ(Value(setup_.PreD.TimeConstSecs), 0.25);
}

// Section and key names in any case and spacing, quoted values, user patterns in hexadecimal
// whatever the radix; a value that is no number (or no mode) is logged with the value kept, and
// the keys the file lacks are counted in one line.
TEST_F(SetupFileRulesTest, FilesWrittenByOtherToolsLoad) {
  setup_.Receiver[0].BitSync[0].AcqLoopBandwidthPct = 2.5;
  setup_.Fft[1].DbPerDiv = 10.0;
  const card::CardSetupRecord before = setup_;
  // The keys a whole file holds, counted in one the program writes (minus its three designations).
  ASSERT_TRUE(settings::WriteCardSetup(4, program_ / "WHOLE.VexA", setup_, dnCvtA_, dnCvtB_));
  const std::string whole = testsupport::ReadWholeFile(program_ / "WHOLE.VexA");
  const auto wholeKeys = std::count(whole.begin(), whole.end(), '=') - 3;

  ASSERT_TRUE(
      Recall("[STREAM ROUTE INFO]\n  route mode = 2  \nFpgaMasterMode=99\n"
             "[rx data0 bitsync]\nBITRATE=\"2500000\"\npcminputcode = 'NRZM'\nAcqLoopBandwidthPct=0.5x\n"
             "ViterbiDecodeEnabled=yes\n"
             "[FFT Data 1]\nSpanMhz=  12.5  \nDbPerDiv=nan\n"
             "[Rx Bert Data 1]\nUserPatternRadix=0\nUserPattern=00abcdef\n[Tx Bert Data 0]\nUserPattern=0x1F\n"));
  EXPECT_EQ(Value(setup_.RouteInfo.RouteMode), 2);
  EXPECT_EQ(Value(setup_.RouteInfo.FpgaMasterMode), 5);  // 99 is no mode: ignored
  const card::BitSyncRecord& bs = setup_.Receiver[0].BitSync[0];
  EXPECT_EQ(Value(bs.Bitrate), 2500000);
  EXPECT_EQ(SetupText(bs.PcmInputCode), "NRZM");
  EXPECT_EQ(Value(bs.AcqLoopBandwidthPct), 2.5);
  EXPECT_EQ(Value(bs.ViterbiDecodeEnabled), 0);  // only "YES" is true
  EXPECT_EQ(Value(setup_.Fft[1].SpanMhz), 12.5);
  EXPECT_EQ(Value(setup_.Fft[1].DbPerDiv), 10.0);
  EXPECT_EQ(SetupText(setup_.Fft[1].DisplayMode), SetupText(before.Fft[1].DisplayMode));  // missing: kept
  EXPECT_EQ(Value(setup_.RxBert[1].UserPattern), 0xABCDEFu);
  EXPECT_EQ(Value(setup_.TxBert[0].UserPattern), 0x1Fu);

  const std::string prefix = "Setup file " + File() + ": ";
  // Of the file's keys ten are table keys; its mode key (present or not) is never counted.
  const auto missing = wholeKeys - 2 - 10;
  const std::vector<std::string> log = program_.LogTexts();
  ASSERT_GE(log.size(), 2u);  // the log's own head lines first
  EXPECT_EQ(std::vector<std::string>(log.begin() + 2, log.end()),
            (std::vector<std::string>{
                prefix + "[Stream Route Info] FpgaMasterMode = \"99\" out of range, using 5",
                prefix + "[Rx Data0 Bitsync] AcqLoopBandwidthPct = \"0.5x\" not a number, using 2.5",
                prefix + "[FFT Data 1] DbPerDiv = \"nan\" not a number, using 10",
                prefix + std::to_string(missing) + " keys missing, current values kept",
            }));
}

// A file cut short (a state file of a run that ended mid-save) loads what it holds; what it lacks
// keeps the current values, and one line says how many keys that was.
TEST_F(SetupFileRulesTest, ACutFileLoadsItsFirstPartAndCountsTheRestInOneLine) {
  ASSERT_TRUE(settings::WriteCardSetup(4, File(), setup_, dnCvtA_, dnCvtB_));
  const card::CardSetupRecord saved = setup_;
  const std::string whole = testsupport::ReadWholeFile(File());
  const std::size_t cut = whole.find("\r\n", whole.size() / 2) + 2;
  const auto missing = std::count(whole.begin() + static_cast<std::ptrdiff_t>(cut), whole.end(), '=');
  ASSERT_GT(missing, 100);
  setupfiletest::FillCardSetup(setup_, 2);
  const card::CardSetupRecord current = setup_;
  const std::size_t before = program_.LogTexts().size();

  ASSERT_TRUE(Recall(whole.substr(0, cut)));
  EXPECT_EQ(Value(setup_.Receiver[0].BitSync[0].Bitrate), Value(saved.Receiver[0].BitSync[0].Bitrate));
  EXPECT_EQ(Value(setup_.BasebandSources.BB1DacSource), Value(current.BasebandSources.BB1DacSource));
  const std::vector<std::string> log = program_.LogTexts();
  EXPECT_EQ(std::vector<std::string>(log.begin() + static_cast<std::ptrdiff_t>(before), log.end()),
            std::vector<std::string>{"Setup file " + File() + ": " + std::to_string(missing) +
                                     " keys missing, current values kept"});
}

TEST_F(SetupFileRulesTest, TextsAreCutToTheirFields) {
  const std::uint8_t polarity = setup_.PostD.CombinerModePolarity;
  ASSERT_TRUE(Recall("[Rx Data1 Bitsync2]\nPcmOutputCode=" + std::string(300, 'Q') +
                     "\n[Post D Combiner Data ]\nDiversityOutput=" + std::string(300, 'Q') + "\n"));
  const char(&code)[card::kSetupTextLen] = setup_.Receiver[1].BitSync[1].PcmOutputCode;
  EXPECT_EQ(SetupText(code), std::string(63, 'Q'));
  EXPECT_EQ(code[63], '\0');
  EXPECT_EQ(SetupText(setup_.PostD.DiversityOutput), std::string(103, 'Q'));
  EXPECT_EQ(Value(setup_.PostD.CombinerModePolarity), polarity);
}

TEST_F(SetupFileRulesTest, AFailedWriteIsLoggedAndReported) {
  EXPECT_FALSE(settings::WriteCardSetup(4, program_ / "NO_SUCH_FOLDER/X.VexA", setup_, dnCvtA_, dnCvtB_));
  EXPECT_EQ(program_.LogTexts().back(), "Setup file " + (program_ / "NO_SUCH_FOLDER/X.VexA") + " not saved");

  // A text the file cannot hold (a line break) fails the save; the rest is written.
  card::SetSetupText(setup_.Fft[2].WindowType, "TWO\nLINES");
  EXPECT_FALSE(settings::WriteCardSetup(4, File(), setup_, dnCvtA_, dnCvtB_));
  const std::vector<std::string> log = program_.LogTexts();
  EXPECT_EQ(log[log.size() - 2], "Setup file " + File() + ": [FFT Data 2] WindowType not written");
  EXPECT_NE(testsupport::ReadWholeFile(File()).find("[DownConvert Data 2]\r\n"), std::string::npos);
}

// A setup saved over something that is no file to read (a FIFO, a folder, a link loop, a file too
// large) fails with one line for the save, not one for each of its keys.
TEST_F(SetupFileRulesTest, ASaveOntoSomethingThatIsNoFileIsOneLine) {
  const std::string folder = program_ / "USER/SETUPFILES";
  std::filesystem::create_directories(folder);
  ASSERT_EQ(::mkfifo((folder + "/FIFO.VexA").c_str(), 0600), 0);
  std::filesystem::create_directory(folder + "/FOLDER.VexA");
  ASSERT_EQ(::symlink("LOOP.VexA", (folder + "/LOOP.VexA").c_str()), 0);
  // Larger than any profile file read.
  ASSERT_TRUE(testsupport::WriteWholeFile(folder + "/HUGE.VexA", std::string(8 * 1024 * 1024 + 1, ';')));
  const struct {
    const char* name;
    const char* why;
  } rows[] = {
      {"FIFO.VexA", " is not a regular file"},
      {"FOLDER.VexA", " is not a regular file"},
      {"LOOP.VexA", ": Too many levels of symbolic links"},
      {"HUGE.VexA", " is 8388609 bytes, more than the 8388608 allowed"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string path = folder + "/" + row.name;
    const std::size_t before = program_.LogTexts().size();
    EXPECT_FALSE(settings::WriteCardSetup(4, path, setup_, dnCvtA_, dnCvtB_));
    const std::vector<std::string> texts = program_.LogTexts();
    EXPECT_EQ(std::vector<std::string>(texts.begin() + static_cast<std::ptrdiff_t>(before), texts.end()),
              std::vector<std::string>{"Setup file " + path + " not saved: " + path + row.why});
  }
}

TEST(SetupFileKeyFilter, DropsTheKeyInEverySectionOfThatNameOnly) {
  const std::string bytes =
      "\xEF\xBB\xBF[Stream Route Info]\r\nFpgaMasterMode=1\r\n; FpgaMasterMode=2\r\n  fpgamastermode  =3\n"
      "FpgaMasterModeX=4\r\n[Other]\r\nFpgaMasterMode=5\r\n[ stream ROUTE info ]\nFPGAMASTERMODE=6\nRoute Mode=1";
  EXPECT_EQ(settings::setupfile::WithoutKey(bytes, "Stream Route Info", "FpgaMasterMode"),
            "\xEF\xBB\xBF[Stream Route Info]\r\n; FpgaMasterMode=2\r\nFpgaMasterModeX=4\r\n[Other]\r\n"
            "FpgaMasterMode=5\r\n[ stream ROUTE info ]\nRoute Mode=1");
  // Lone CR line ends: the key's line goes, its neighbours stay.
  EXPECT_EQ(settings::setupfile::WithoutKey("[Stream Route Info]\rFpgaMasterMode=1\rRoute Mode=1\r", "Stream Route Info",
                                            "FpgaMasterMode"),
            "[Stream Route Info]\rRoute Mode=1\r");
}

}  // namespace
