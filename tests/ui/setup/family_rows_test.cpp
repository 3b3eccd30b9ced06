// Per receiver family on a virtual card: which rows the four pages show, their captions, which
// values are enabled, and the titles and limits of the prompts (answered by cancelling, which
// sends the current value again).
#include "card/setup_routines.h"
#include "setup_panel_fixture.h"

namespace setuptest {
namespace {

struct FamilyRow {
  Channel Where;
  bool Modulation;       // Rcvr: modulation row
  bool RateEnabled;      // Rcvr: data rate and input code enabled
  bool FilterRows;       // Signal: FIR filter, acquisition range and threshold rows
  bool AcqMode;          // Signal: acquisition-mode row
  const char* LoopUnit;  // Signal: unit of the loop-bandwidth captions
  bool PcmFmPanel;       // Signal: peak deviation panel
  bool RoutingPsk;       // Output: routing values read from the card (else "N/A")
  bool RoutingEnabled;   // Output: routing values enabled
  bool Viterbi;          // Output: Viterbi group (decode enabled in the setup)
  const char* BsAcqTitle;
  const char* BsAcqRange;
  const char* AcqLoopTitle;  // Signal: acquisition loop prompt title up to the line break
  const char* AcqLoopRange;
};

void PrintTo(const FamilyRow& row, std::ostream* os) { *os << row.Where.Name; }

const FamilyRow kFamilies[] = {
    {{"Psk", false, 0, 0}, true, true, true, true, "(%)", false, true, true, true,
     "Enter the Acquisition Range in % of Data Rate", "Input Value between 0.020 & 4.000",
     "Enter the Carrier Acquision Loop BW in % of Data Rate", "Input Value between 0.00 & 10.00"},
    {{"PcmFm", false, 2, 0}, false, true, true, false, "(kHz)", true, false, true, true,
     "Enter the Acquisition Range in % of Data Rate", "Input Value between 0.020 & 4.000",
     "Enter the Carrier Acquision Loop BW in Hertz", "Input Value between 1.00 & 10000000.00"},
    {{"Pm", false, 3, 0}, false, false, false, true, "(kHz)", false, false, false, false,
     "Enter the Acquisition Range in % of Data Rate", "Input Value between 0.020 & 4.000",
     "Enter the Carrier Acquision Loop BW in Hertz", "Input Value between 1.00 & 10000000.00"},
    {{"MhCpm", true, 14, 0}, true, true, true, false, "(%)", false, false, false, false,
     "Enter the Symbol Loop Bandwidth in % of Data Rate", "Input Value between 0.005 & 0.100",
     "Enter the Carrier Loop BW in Percent", "Input Value between 0.005 & 0.100"},
};

class FamilyRowsTest : public SetupPanelTest, public ::testing::WithParamInterface<FamilyRow> {
 protected:
  void SetUp() override {
    const FamilyRow& row = GetParam();
    Start(row.Where.ChipVariant, row.Where.Mode, row.Where.Ch);
  }
};

TEST_P(FamilyRowsTest, RcvrRows) {
  if (IsSkipped() || HasFatalFailure()) return;
  const FamilyRow& row = GetParam();
  const std::pair<const char*, const char*> captions[] = {
      {"LabelTunedFreqCaption", "Frequency (MHz)"},       {"LabelModulationCaption", "Modulation"},
      {"LabelDataRateCaption", "Data Rate (Mbps)"},      {"LabelInputCodeCaption", "Input Data Code"},
      {"LabelOutputCodeCaption", "Output Data Code"},    {"LabelBsAcqLbwCaption", "Bit Sync Acq LBW (%)"},
      {"LabelBsTrkLbwCaption", "Bit Sync Trk LBW (%)"}, {"LabelIfBwCaption", "SAW IF BW (MHz)"},
      {"LabelAgcTcCaption", "AGC TC (msec)"},           {"LabelDataPolarityCaption", "Data Polarity"},
      {"LabelClkPolarityCaption", "Clock Polarity"}};
  for (const auto& [name, caption] : captions) EXPECT_EQ(RawText(name), caption) << name;
  EXPECT_TRUE(Shown("LabelTunedFreqMhz1"));
  EXPECT_EQ(Shown("LabelModulation1"), row.Modulation);
  EXPECT_EQ(Shown("LabelModulationCaption"), row.Modulation);
  EXPECT_EQ(Enabled("LabelDataRate1"), row.RateEnabled);
  EXPECT_EQ(Enabled("LabelInputCode1"), row.RateEnabled);
  EXPECT_FALSE(Shown("LabelDataRate2"));
  EXPECT_TRUE(Shown("PanelRcvrGroup2"));
}

TEST_P(FamilyRowsTest, SignalRows) {
  if (IsSkipped() || HasFatalFailure()) return;
  const FamilyRow& row = GetParam();
  EXPECT_EQ(Shown("LabelRxCarSigFilterBwRatio"), row.FilterRows);
  EXPECT_EQ(Shown("LabelRxCarAcqRange"), row.FilterRows);
  EXPECT_EQ(Shown("LabelRxCarSigThresh"), row.FilterRows);
  EXPECT_TRUE(Shown("LabelRxCarCntrFreq"));
  EXPECT_EQ(Shown("LabelRxCarAcqMode"), row.AcqMode);
  EXPECT_EQ(Text("LabelRxAcqLoopBwCaption"), std::string("Carrier Acq LBW ") + row.LoopUnit);
  EXPECT_EQ(Text("LabelRxTrackLoopBwCaption"), std::string("Carrier Trk LBW ") + row.LoopUnit);
  EXPECT_EQ(Shown("PanelPcmFm"), row.PcmFmPanel);
  EXPECT_FALSE(Shown("PanelInputSource"));  // Route Mode 0: every channel has its own input
  if (row.Where.Mode == 14) {
    EXPECT_EQ(Text("LabelRxCarSigFilterBwRatio"), "xxxx");
    EXPECT_EQ(Text("LabelRxCarSigThresh"), "xxxx");
  }
  EXPECT_EQ(row.AcqMode, !VisibleItems("PopupMenuCarAcqMode").empty());
}

TEST_P(FamilyRowsTest, OutputRows) {
  if (IsSkipped() || HasFatalFailure()) return;
  const FamilyRow& row = GetParam();
  Receiver(row.Where.Ch).BitSync[0].ViterbiDecodeEnabled = 1;
  panel_->RefreshPages();
  for (const char* name : {"LabelRouteStreamSwapLoc", "LabelRouteInvertLocStream1", "LabelRouteRecombineLoc"}) {
    SCOPED_TRACE(name);
    if (row.RoutingPsk) {
      EXPECT_NE(Text(name), "N/A");
      EXPECT_NE(Text(name), "");
    } else {
      EXPECT_EQ(Text(name), "N/A");
    }
    EXPECT_EQ(Enabled(name), row.RoutingEnabled);
  }
  EXPECT_EQ(Text("LabelStreamControl"), "Stream 1 = Stream 2");
  EXPECT_EQ(Shown("GroupBoxViterbi"), row.Viterbi);
  EXPECT_EQ(Enabled("PanelOutputsOuter"), row.Where.Mode != 3);
}

TEST_P(FamilyRowsTest, CombinerPanelsNeedACombiningPersonality) {
  if (IsSkipped() || HasFatalFailure()) return;
  // On the plain board the pre-D group follows the personality the card reports (PSK+PSK or
  // PSK+PCM/FM), whether or not a combiner is fitted. The tab offered as a combining mode offers it.
  panel_->SetCombinerTabVisible(true);
  EXPECT_EQ(Shown("PanelPreD"), GetParam().Where.Mode == 0);
  EXPECT_FALSE(Shown("PanelPostD"));
}

TEST_P(FamilyRowsTest, PromptTitlesAndLimits) {
  if (IsSkipped() || HasFatalFailure()) return;
  const FamilyRow& row = GetParam();
  dialogs_->AnswerInput(std::nullopt);
  Click("TSM_StdSetupForm", "LabelBsAcqLbw");
  EXPECT_EQ(LastQuery().title, row.BsAcqTitle);
  EXPECT_EQ(LastQuery().prompt, row.BsAcqRange);
  dialogs_->AnswerInput(std::nullopt);
  Click("TSM_FineSetupForm", "LabelRxAcqLoopBw");
  EXPECT_EQ(LastQuery().title.substr(0, LastQuery().title.find('\n')), row.AcqLoopTitle);
  EXPECT_EQ(LastQuery().prompt, row.AcqLoopRange);
  // A cancelled prompt keeps the value: the setup is edited, the card unchanged.
  EXPECT_EQ(config::gApp.SetupEdited.load(), 1);
}

INSTANTIATE_TEST_SUITE_P(Families, FamilyRowsTest, ::testing::ValuesIn(kFamilies),
                         [](const auto& row) { return std::string(row.param.Where.Name); });

}  // namespace
}  // namespace setuptest

namespace setuptest {
namespace {

// What the pages show comes from the status record, the card setup record or the card, by family.
struct ShownValue {
  const char* Component;
  const char* Text;
};

struct FamilyValues {
  Channel Where;
  void (*Prepare)(settings::ChannelStatusRecord& status, card::ReceiverRecord& rx);
  std::vector<ShownValue> Expected;
};

void PrintTo(const FamilyValues& row, std::ostream* os) { *os << row.Where.Name; }

void CommonStatus(settings::ChannelStatusRecord& s) {
  s.Receiver.CarrierFreqMhz = 70.25;
  s.Receiver.SignalBw = 1'500'000.0;
  s.BitSync1.BitRate = 1'250'000.0;
  s.BitSync1.PcmOutputCode = 4;
  card::SetSetupText(s.BitSync1.PcmInputCode, "BIOL");
  card::SetSetupText(s.Receiver.ReceiverName, "MH_CPM");
}

const FamilyValues kValues[] = {
    {{"Psk", false, 0, 0},
     [](settings::ChannelStatusRecord& s, card::ReceiverRecord&) { CommonStatus(s); },
     {{"LabelRxCarCntrFreq", "70.25"}, {"LabelRxCarSigFilterBwRatio", "1.50"}, {"LabelDataRate1", "1.250"},
      {"LabelOutputCode1", "BIOM"}}},
    {{"PcmFm", false, 2, 0},
     [](settings::ChannelStatusRecord& s, card::ReceiverRecord& rx) {
       CommonStatus(s);
       rx.CarrierPeakDeviation = 0.45;
       rx.CarrierPeakDeviationRange = 0.07;
     },
     {{"LabelRxCarCntrFreq", "70.25"}, {"PeakDeviationLabel", "0.45"}, {"PeakDeviationDeltaLabel", "0.07"}}},
    {{"Pm", false, 3, 0},
     [](settings::ChannelStatusRecord& s, card::ReceiverRecord&) { CommonStatus(s); },
     {{"LabelRxCarCntrFreq", "70.25"}, {"LabelInputCode1", "BIOL"}, {"LabelDataRate1", "1.250"}}},
    {{"MhCpm", true, 14, 0},
     [](settings::ChannelStatusRecord& s, card::ReceiverRecord& rx) {
       CommonStatus(s);
       rx.MhCpmCarrierFrequencyMhz = 70.3;
       rx.MhCpmCarrierloopbandwidthPct = 0.05;
       rx.MhCpmSymbolloopbandwidthPct = 0.02;
       rx.MhCpmLoopValue = 12'000.0;
     },
     {{"LabelRxCarCntrFreq", "70.30"}, {"LabelRxAcqLoopBw", "0.05"}, {"LabelBsAcqLbw", "0.020"},
      {"LabelRxCarAcqRange", "12.00"}, {"LabelInputCode1", "BIOL"}, {"LabelModulation1", "MH_CPM"}}},
};

class FamilyValuesTest : public SetupPanelTest, public ::testing::WithParamInterface<FamilyValues> {};

TEST_P(FamilyValuesTest, ShownFromTheRecordsOfTheFamily) {
  const FamilyValues& row = GetParam();
  Start(row.Where.ChipVariant, row.Where.Mode, row.Where.Ch);
  if (IsSkipped() || HasFatalFailure()) return;
  row.Prepare(StatusOf(row.Where.Ch), Receiver(row.Where.Ch));
  panel_->RefreshPages();
  for (const ShownValue& value : row.Expected) EXPECT_EQ(Text(value.Component), value.Text) << value.Component;
}

INSTANTIATE_TEST_SUITE_P(Families, FamilyValuesTest, ::testing::ValuesIn(kValues),
                         [](const auto& row) { return std::string(row.param.Where.Name); });

}  // namespace
}  // namespace setuptest
