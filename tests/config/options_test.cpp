#include "config/options_store.h"

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "config/cpu_usage.h"
#include "support/log_capture.h"

namespace config {
namespace {

class OptionsStore : public ::testing::Test {
 protected:
  // The log lines the options reader wrote.
  std::vector<std::string> OptionsLogLines() const {
    std::vector<std::string> lines;
    for (const std::string& text : folder.LogTexts()) {
      if (text.rfind("Options file: ", 0) == 0) lines.push_back(text);
    }
    return lines;
  }
  std::string File() const { return OptionsFilePath(); }
  void WriteOptionsFile(const std::string& bytes) const {
    std::filesystem::create_directories(folder / "SYSTEM/OPTIONS");
    ASSERT_TRUE(testsupport::WriteWholeFile(File(), bytes));
  }
  static kr20optinfo Defaults() {
    kr20optinfo r{};
    SetDefaultOptions(r);
    return r;
  }

  testsupport::LoggedProgramFolder folder;
};

std::string Hex8(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%08X", value);
  return text;
}

void SetText(FlightRecordHeaderText& field, const std::string& text) {
  std::memset(field, 0, sizeof field);
  std::memcpy(field, text.data(), std::min(text.size(), sizeof field - 1));
}

// Every field away from its default (and from zero), within the limits the reader applies.
kr20optinfo NonDefaultOptions() {
  kr20optinfo r{};
  SetDefaultOptions(r);
  r.SingleChannelUsage = r.RecallTestModOutputState = r.WarnCarrierPeakDeviationRange = r.ViewTestModCarNoiseLevel =
      r.MinLastStateSaves = r.LoadLastSetupFile = r.AlwaysSaveSetups = r.EnableIFCarAcqRgAlg = r.EnableIFCarFilterAlg =
          r.UseDirectCifTuningMode = r.FmFmPostDOut2 = r.CpuUsageInfo.PriorityHigh = 1;
  r.AutoSetFreqSpan = r.ViewCarrierFreqSpan = r.LoadLastSetupState = r.EnableBsEbNoAlg = r.EnableIFCarCFAlg = 0;
  r.DataRecordRateHz = 25;
  CpuUsageSettings& cpu = r.CpuUsageInfo;
  cpu.ProcessorAffinityMask = cpu.ProcessorCount > 1 ? cpu.AllProcessorsMask & ~1u : cpu.AllProcessorsMask;
  r.RxSignalStrengthWarningMax = -10.5;
  r.RxSignalStrengthWarningMin = -95.25;
  r.DnCvtIfConstantMultiplier = 2.5;
  r.MinEbNoBsLock = 12.345678901;  // all nine decimals the file keeps
  r.BitsyncConfidenceWeight = 0x007F1234;
  r.FmFmPostDConfidenceWeight = 0x00010000;
  r.IfCarCfSpanPct = 49.5;
  r.NoiseFilterGainValue = 63.75;
  for (int i = 0; i < kAcfInfoCount; ++i) r.AcfInfo[static_cast<std::size_t>(i)] = {-49.5 + 7.25 * i, 1};
  const std::string headers[] = {" leading blank", "quote \"in\" it", std::string(29, 'W')};
  for (int ch = 0; ch < kFlightRecordChannels; ++ch) {
    for (int col = 0; col < kFlightRecordColumns; ++col) {
      flightrecordparamoptions& c = r.FlightRecordParamOptions[ch][col];
      c.Enabled = c.Enabled != 0 ? 0 : 1;
      c.Width = 20 + col + ch;
      c.Decimals = 9 - col;
      c.Scientific = c.Scientific != 0 ? 0 : 1;
      for (int line = 0; line < 3; ++line) SetText(c.HeaderText[line], headers[(ch + col + line) % 3]);
    }
    r.FlightRecordParamOptions[ch][0].IncludeSetup = 1;
  }
  for (std::size_t i = 0; i < r.ColorScheme.size(); ++i) r.ColorScheme[i] = 0x00ABCD00u + static_cast<std::uint32_t>(i);
  return r;
}

TEST_F(OptionsStore, MissingFileGivesTheDefaultsAndAllUsableProcessors) {
  kr20optionclass options(true);
  const kr20optinfo& o = options.Info();
  EXPECT_TRUE(o == Defaults());
  cpu_set_t allowed;
  ASSERT_EQ(sched_getaffinity(0, sizeof allowed, &allowed), 0);
  EXPECT_EQ(o.CpuUsageInfo.ProcessorCount, std::min(CPU_COUNT(&allowed), kMaxProcessors));
  EXPECT_EQ(o.CpuUsageInfo.ProcessorAffinityMask, o.CpuUsageInfo.AllProcessorsMask);
  EXPECT_EQ(folder.LogTexts().back(), "Options file not found: " + File());
  EXPECT_FALSE(std::filesystem::exists(File()));  // loading never writes
}

TEST_F(OptionsStore, SaveThenLoadGivesTheSavedRecordAndKeepsWhatTheFileLacks) {
  const kr20optinfo saved = NonDefaultOptions();
  ASSERT_TRUE(kr20optionclass::SaveOptions(saved));
  // Garbage everywhere, the processor description included: that one is taken from the system.
  kr20optinfo loaded;
  std::memset(static_cast<void*>(&loaded), 0x5A, sizeof loaded);
  ASSERT_TRUE(kr20optionclass::LoadOptions(loaded));
  EXPECT_TRUE(loaded == saved);
  EXPECT_TRUE(kr20optionclass(true).Info() == saved);
  EXPECT_TRUE(OptionsLogLines().empty());

  WriteOptionsFile("[OPTIONS]\r\nDataRecordRateHz=5\r\n");
  ASSERT_TRUE(kr20optionclass::LoadOptions(loaded));
  EXPECT_EQ(loaded.DataRecordRateHz, 5);
  EXPECT_EQ(loaded.MinEbNoBsLock, saved.MinEbNoBsLock);
}

// Every key of a file written from the defaults, in file order (lines end in CRLF in the file).
// @ACF@ stands for the twelve empty AcfInfo_i sections, @CH2@ for channel 1's section with "Ch2"
// headers and the time column off.
constexpr const char* kDefaultOptionsFile = R"([OPTIONS]
SingleChannelUsage=NO
DataRecordRateHz=1
AutoSetFreqSpan=YES
RecallTestModOutputState=NO
WarnCarrierPeakDeviationRange=NO
ViewCarrierFreqSpan=YES
ViewTestModCarNoiseLevel=NO
MinLastStateSaves=NO
LoadLastSetupState=YES
LoadLastSetupFile=NO
AlwaysSaveSetups=NO
RxSignalStrengthWarningMax=-20.000000000
RxSignalStrengthWarningMin=-90.000000000
[CPU USAGE]
CpuUsageInfo_ProcessorAffinityMask=@MASK@
CpuUsageInfo_PriorityHigh=NO
[CARD OPTIONS]
DnCvtIfConstantMultiplier=1.000000000
BitsyncConfidenceWeight=33
FmFmPostDConfidenceWeight=4259840
UseDirectCifTuningMode=NO
FmFmPostDOut2=NO
NoiseFilterGainValue=1.000000000
[BITSYNC LOCK LOGIC]
EnableBsEbNoAlg=YES
MinEbNoBsLock=5.000000000
[IF RX AUTO LOGIC]
EnableIFCarAcqRgAlg=NO
EnableIFCarFilterAlg=NO
EnableIFCarCFAlg=YES
IfCarCfSpanPct=5.000000000
@ACF@
[FLIGHT RECORD CH1]
IncludeSetup=NO
Time Enabled=YES
Time Width=19
Time Header1="Ch1"
Time Header2="Elapsed Time"
Time Header3="ddd:hh:mm:ss.ssssss"
Time Decimals=6
Time Scientific=NO
RSSI Enabled=YES
RSSI Width=7
RSSI Header1="Ch1"
RSSI Header2="RSSI"
RSSI Header3="dBm"
RSSI Decimals=1
RSSI Scientific=NO
IfCarPwr Enabled=YES
IfCarPwr Width=10
IfCarPwr Header1="Ch1"
IfCarPwr Header2="IF Car Pwr"
IfCarPwr Header3="dBm"
IfCarPwr Decimals=1
IfCarPwr Scientific=NO
IfCarFrq Enabled=YES
IfCarFrq Width=12
IfCarFrq Header1="Ch1"
IfCarFrq Header2="IF Car Frq"
IfCarFrq Header3="Hz"
IfCarFrq Decimals=1
IfCarFrq Scientific=NO
PeakDev Enabled=YES
PeakDev Width=8
PeakDev Header1="Ch1"
PeakDev Header2="Peak Dev"
PeakDev Header3="Index"
PeakDev Decimals=3
PeakDev Scientific=NO
EbNo Enabled=YES
EbNo Width=7
EbNo Header1="Ch1"
EbNo Header2="Eb / No"
EbNo Header3="dB"
EbNo Decimals=1
EbNo Scientific=NO
BER Enabled=YES
BER Width=9
BER Header1="Ch1"
BER Header2="BER"
BER Header3=""
BER Decimals=2
BER Scientific=YES
BsLock Enabled=YES
BsLock Width=6
BsLock Header1="Ch1"
BsLock Header2="B/S Lk"
BsLock Header3=""
BsLock Decimals=0
BsLock Scientific=NO
@CH2@
[COLORS]
AppMain BackgroundColor=00C0C0C0
AppMain LabelColor=00000000
AppMain DataColor=00800000
AppStatus BackgroundColor=00A0A0A0
AppStatus LabelColor=00000000
AppStatus DataColor=00000080
AppSetup BackgroundColor=00D0D0D0
AppSetup LabelColor=00000000
AppSetup DataColor=00800000
DisplayPageBackgroundColor=00B0B0B0
ScopeControlPanelColor=00909090
DataBarBackgroundColor=00404040
DataBarLabelsColor=00FFFFFF
ScopeBackgroundColor=00000000
GridColor=00606060
TraceColor=0000FF00
Marker1Color=0000FFFF
Marker2Color=00FFFF00
GaugeBackgroundColor1=00E0E0E0
GaugeDataColor1=00008000
GaugeBackgroundColor2=00E0E0E0
GaugeDataColor2=00800000
StripBackgroundColor=00202020
StripDataColor1=0000FF00
StripDataColor2=0000FFFF
MaxStrengthColor=000000FF
MinStrengthColor=00FF8000
)";

TEST_F(OptionsStore, DefaultFileBytes) {
  const kr20optinfo record = Defaults();
  ASSERT_TRUE(kr20optionclass::SaveOptions(record));
  std::string expected;
  for (const char* c = kDefaultOptionsFile; *c != '\0'; ++c) expected += *c == '\n' ? std::string("\r\n") : std::string(1, *c);
  expected.replace(expected.find("@MASK@"), 6, Hex8(record.CpuUsageInfo.AllProcessorsMask));
  std::string acf;
  for (int i = 0; i < 12; ++i) acf += "[AcfInfo_" + std::to_string(i) + "]\r\nLoadValue=0.000000000\r\nEnabled=NO\r\n";
  expected.replace(expected.find("@ACF@\r\n"), 7, acf);
  const std::size_t ch1 = expected.find("[FLIGHT RECORD CH1]"), ch2 = expected.find("@CH2@\r\n");
  std::string second = expected.substr(ch1, ch2 - ch1);
  for (std::size_t at; (at = second.find("Ch1")) != std::string::npos;) second.replace(at, 3, "Ch2");
  second.replace(second.find("CH1"), 3, "CH2");
  second.replace(second.find("Time Enabled=YES"), 16, "Time Enabled=NO");
  expected.replace(ch2, 7, second);
  EXPECT_EQ(testsupport::ReadWholeFile(File()), expected);
}

// A line break in a header would end its line in the file.
TEST_F(OptionsStore, ControlCharactersOfAHeaderAreWrittenAsBlanks) {
  kr20optinfo record = Defaults();
  SetText(record.FlightRecordParamOptions[1][kFltColBer].HeaderText[2], "a\tb\r\nc");
  ASSERT_TRUE(kr20optionclass::SaveOptions(record));
  EXPECT_NE(testsupport::ReadWholeFile(File()).find("\r\nBER Header3=\"a b  c\"\r\n"), std::string::npos);
}

// One line each for the first few, then one line with the count of the rest.
TEST_F(OptionsStore, ValuesOutsideTheLimitsAndGarbageAreLoggedOneLineEach) {
  kr20optinfo record = Defaults();
  const CpuUsageSettings cpu = record.CpuUsageInfo;
  if (cpu.ProcessorCount >= kMaxProcessors) GTEST_SKIP() << "no processor bit outside the mask";
  const std::string maskText = Hex8((1u << cpu.ProcessorCount) | 1u);
  const std::string longHeader = "0123456789012345678901234567890123456789";
  const std::string lastSections = "[FLIGHT RECORD CH1]\r\n"
                                   "RSSI Header1=\"" + longHeader + "\"\r\nIfCarFrq Header2=   spaced   \r\n"
                                   "[COLORS]\r\nGridColor=zz\r\n";
  WriteOptionsFile("[OPTIONS]\r\nDataRecordRateHz=40\r\nRxSignalStrengthWarningMax=abc\r\nSingleChannelUsage=yes\r\n"
                   "[CPU USAGE]\r\nCpuUsageInfo_ProcessorAffinityMask=" + maskText + "\r\n"
                   "[CARD OPTIONS]\r\nDnCvtIfConstantMultiplier=0.5\r\nBitsyncConfidenceWeight=0x00FF0021\r\n" +
                   lastSections);
  ASSERT_TRUE(kr20optionclass::LoadOptions(record));

  EXPECT_EQ(OptionsLogLines(),
            (std::vector<std::string>{
                "Options file: [OPTIONS] DataRecordRateHz = \"40\" out of range, using 25",
                "Options file: [OPTIONS] RxSignalStrengthWarningMax = \"abc\" not a number, using -20.00",
                "Options file: [CPU USAGE] CpuUsageInfo_ProcessorAffinityMask = \"" + maskText +
                    "\" out of range, using 00000001",
                "Options file: [CARD OPTIONS] DnCvtIfConstantMultiplier = \"0.5\" out of range, using 1.00",
                "Options file: [CARD OPTIONS] BitsyncConfidenceWeight = \"0x00FF0021\" out of range, using 8323105",
                "Options file: 2 more values not taken as read",
            }));
  // What was read without a line:
  EXPECT_EQ(record.SingleChannelUsage, 0);                 // only "YES" switches a flag on
  EXPECT_EQ(record.BitsyncConfidenceWeight, 0x007F0021u);  // the lower 16 bits as read
  EXPECT_STREQ(record.FlightRecordParamOptions[0][kFltColIfCarrierFreq].HeaderText[1], "spaced");

  // The two held back, alone in a file.
  const std::size_t before = OptionsLogLines().size();
  WriteOptionsFile("[OPTIONS]\r\n" + lastSections);
  ASSERT_TRUE(kr20optionclass::LoadOptions(record));
  const std::vector<std::string> lines = OptionsLogLines();
  EXPECT_EQ(std::vector<std::string>(lines.begin() + static_cast<std::ptrdiff_t>(before), lines.end()),
            (std::vector<std::string>{
                "Options file: [FLIGHT RECORD CH1] RSSI Header1 = \"" + longHeader + "\" too long, using \"" +
                    longHeader.substr(0, 29) + "\"",
                "Options file: [COLORS] GridColor = \"zz\" not a number, using 00606060",
            }));
}

TEST_F(OptionsStore, EmptyMaskMeansAllProcessorsAndReversedStrengthLimitsAreSwapped) {
  WriteOptionsFile("[OPTIONS]\r\nRxSignalStrengthWarningMax=-90\r\nRxSignalStrengthWarningMin=-20\r\n"
                   "[CPU USAGE]\r\nCpuUsageInfo_ProcessorAffinityMask=00000000\r\n");
  kr20optinfo record = Defaults();
  record.CpuUsageInfo.ProcessorAffinityMask = 1;
  ASSERT_TRUE(kr20optionclass::LoadOptions(record));
  EXPECT_EQ(record.RxSignalStrengthWarningMax, -20.0);
  EXPECT_EQ(record.RxSignalStrengthWarningMin, -90.0);
  EXPECT_EQ(record.CpuUsageInfo.ProcessorAffinityMask, record.CpuUsageInfo.AllProcessorsMask);
  const std::vector<std::string> expected{
      "Options file: [CPU USAGE] CpuUsageInfo_ProcessorAffinityMask = \"00000000\" out of range, using " +
          Hex8(record.CpuUsageInfo.AllProcessorsMask),
      "Options file: [OPTIONS] RxSignalStrengthWarningMin = -20.00 above RxSignalStrengthWarningMax = -90.00, swapped"};
  EXPECT_EQ(OptionsLogLines(), expected);
}

TEST_F(OptionsStore, AFailedSaveKeepsTheFileAndIsLogged) {
  kr20optinfo record = Defaults();
  ASSERT_TRUE(kr20optionclass::SaveOptions(record));
  const std::string before = testsupport::ReadWholeFile(File());
  // The new file cannot take the old one's place: a folder stands where it is written.
  std::filesystem::create_directories(File() + ".new/blocker");
  record.DataRecordRateHz = 25;
  EXPECT_FALSE(kr20optionclass::SaveOptions(record));
  EXPECT_EQ(testsupport::ReadWholeFile(File()), before);
  EXPECT_EQ(folder.LogTexts().back(), "Options not saved to " + File());
}

TEST(ColorSchemes, ThreeDistinctSchemesAndAnUnknownOneGivesTheFirst) {
  std::vector<ColorBlock> schemes(kDefaultColorSchemeCount + 1);
  for (int scheme = 0; scheme <= kDefaultColorSchemeCount; ++scheme) {
    kr20optionclass::SelectDefaultColorScheme(scheme, schemes[static_cast<std::size_t>(scheme)]);
  }
  EXPECT_TRUE(schemes[0] != schemes[1] && schemes[0] != schemes[2] && schemes[1] != schemes[2]);
  EXPECT_EQ(schemes[3], schemes[0]);
}

// Puts every thread of the test back on the processors it had.
struct AffinityRestorer {
  cpu_set_t original{};
  bool ok = sched_getaffinity(0, sizeof original, &original) == 0;
  ~AffinityRestorer() {
    std::error_code ec;
    for (std::filesystem::directory_iterator it("/proc/self/task", ec), end; ok && !ec && it != end; it.increment(ec)) {
      sched_setaffinity(std::stoi(it->path().filename().string()), sizeof original, &original);
    }
  }
};

TEST_F(OptionsStore, ApplyCpuUsageOptions) {
  AffinityRestorer restore;
  ASSERT_TRUE(restore.ok);
  kr20optionclass options(false);
  CpuUsageSettings& usage = options.Info().CpuUsageInfo;
  cpu_set_t before, now;
  ASSERT_EQ(sched_getaffinity(0, sizeof before, &before), 0);

  // No processor it may use: refused, nothing applied.
  usage.ProcessorAffinityMask = usage.ProcessorCount < kMaxProcessors ? ~usage.AllProcessorsMask : 0;
  EXPECT_FALSE(ApplyCpuUsageOptions(options));
  ASSERT_EQ(sched_getaffinity(0, sizeof now, &now), 0);
  EXPECT_TRUE(CPU_EQUAL(&before, &now));
  EXPECT_EQ(folder.LogTexts().back(), "ApplyCpuUsageOptions: empty processor affinity mask, nothing applied");

  CpuUsageSettings absent = usage;  // a processor that is not there: logged and reported
  absent.ProcessorIds[0] = 1000;
  absent.ProcessorAffinityMask = 1;
  EXPECT_FALSE(ApplyCpuUsageOptions(absent));
  const std::vector<std::string> texts = folder.LogTexts();  // a priority line may follow
  EXPECT_EQ(std::count(texts.begin(), texts.end(),
                       "ApplyCpuUsageOptions: cannot set the processor affinity mask 0x00000001: Invalid argument"),
            1);

  // The last usable processor alone (bit i names the i-th usable processor, not CPU i).
  const int last = usage.ProcessorCount - 1;
  usage.ProcessorAffinityMask = 1u << last;
  const int niceBefore = getpriority(PRIO_PROCESS, 0);
  const bool applied = ApplyCpuUsageOptions(options);
  ASSERT_EQ(sched_getaffinity(0, sizeof now, &now), 0);
  EXPECT_EQ(CPU_COUNT(&now), 1);
  EXPECT_TRUE(CPU_ISSET(usage.ProcessorIds[static_cast<std::size_t>(last)], &now));
  if (niceBefore == 0 || geteuid() == 0) {  // else going back to nice 0 is not allowed
    EXPECT_TRUE(applied);
  }
  setpriority(PRIO_PROCESS, 0, niceBefore);
}

}  // namespace
}  // namespace config
