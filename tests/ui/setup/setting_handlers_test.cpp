// A scripted answer on a page's value, with and without both channels controlled together: what
// reaches the virtual card and what the card setup record holds on each channel. Route Mode 0, so
// the setters themselves repeat nothing but the Viterbi settings; what reaches the other channel
// is the handler's repeat, and the exempt settings never reach it.
#include <charconv>
#include <functional>

#include "card/setup_routines.h"
#include "setup_panel_fixture.h"

namespace setuptest {
namespace {

std::string N(double value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
  return std::string(buffer, result.ptr);
}

using CardRead = std::string (*)(card::kr20cardclass&, int channel);
using StoreRead = std::string (*)(const card::ReceiverRecord&);

struct SettingRow {
  const char* Name;
  Channel Where;
  const char* Form;
  const char* Component;
  bool Menu;           // the answer is a menu caption (else a prompt answer; toggles have none)
  const char* Answer;  // nullptr: a toggle
  CardRead Card;
  StoreRead Store;
  const char* CardValue;
  const char* StoreValue;
  bool Repeats;
};

void PrintTo(const SettingRow& row, std::ostream* os) { *os << row.Name; }

const Channel kPsk{"Psk", false, 0, 0};
const Channel kFm{"PcmFm", false, 2, 0};
const Channel kMh{"MhCpm", true, 14, 0};

const SettingRow kRows[] = {
    {"BitSyncAcqRange", kPsk, "TSM_StdSetupForm", "LabelBsAcqLbw", false, "1.5",
     [](card::kr20cardclass& o, int ch) { return N(o.PskRx_GetBitSyncStream1AcquisitionRangeInPercentOfBitRate(ch)); },
     [](const card::ReceiverRecord& r) { return N(r.BitSync[0].AcqLoopBandwidthPct); }, "1.5", "1.5", true},
    {"BitSyncLoopWidth", kPsk, "TSM_StdSetupForm", "LabelBsTrkLbw", false, "0.25",
     [](card::kr20cardclass& o, int ch) { return N(o.PskRx_GetBitSyncStream1LoopWidthInPercentOfBitRate(ch)); },
     [](const card::ReceiverRecord& r) { return N(r.BitSync[0].TrkLoopBandwidthPct); }, "0.25", "0.25", true},
    {"DataRate", kPsk, "TSM_StdSetupForm", "LabelDataRate1", false, "2000000",
     [](card::kr20cardclass& o, int ch) { return N(o.PskRx_GetBitSyncStream1RateInbps(ch)); },
     [](const card::ReceiverRecord& r) { return N(r.BitSync[0].Bitrate); }, "2000000", "2000000", true},
    {"OutputCode", kPsk, "TSM_StdSetupForm", "LabelOutputCode1", true, "BIOM",
     [](card::kr20cardclass& o, int ch) { return o.PskRx_GetBitSyncStream1OutputDataEncodingMode(ch); },
     [](const card::ReceiverRecord& r) { return card::SetupText(r.BitSync[0].PcmOutputCode); }, "BIOM", "BIOM", true},
    {"InputCodeRandomized", kPsk, "TSM_StdSetupForm", "LabelInputCode1", true, "RNRZ-15",
     [](card::kr20cardclass& o, int ch) {
       return o.PskRx_GetBitSyncStream1InputDataDecodingMode(ch) + "+" + o.PskRx_GetBitSyncStream1DescramblerMode(ch);
     },
     [](const card::ReceiverRecord& r) { return card::SetupText(r.BitSync[0].PcmInputCode); }, "NRZL+RAND15_NRZL",
     "RNRZ-15", true},
    {"DataPolarity", kPsk, "TSM_StdSetupForm", "LabelDataPolarity", false, nullptr,
     [](card::kr20cardclass& o, int ch) { return N(o.PskRx_GetStream1OutputInvertEnable(ch)); },
     [](const card::ReceiverRecord& r) { return N(r.InvertOutput); }, "1", "1", true},
    {"Threshold", kPsk, "TSM_FineSetupForm", "LabelRxCarSigThresh", false, "-55",
     [](card::kr20cardclass& o, int ch) { return N(o.PskRx_GetReceiverSignalLevelQualificationThreshold(ch)); },
     [](const card::ReceiverRecord& r) { return N(r.CarrierThesholdDbm); }, "-55", "-55", true},
    {"CarrierCentre", kPsk, "TSM_FineSetupForm", "LabelRxCarCntrFreq", false, "70100000",
     [](card::kr20cardclass& o, int ch) { return N(o.PskRx_GetCarrierCenterFrequencyInHz(ch)); },
     [](const card::ReceiverRecord& r) { return N(r.CarrierFreqMhz); }, "70100000", "70.1", true},
    {"AcqLoopPercent", kPsk, "TSM_FineSetupForm", "LabelRxAcqLoopBw", false, "3",
     [](card::kr20cardclass& o, int ch) {
       return N(o.PskRx_GetCarrierAcquisitionLoopBandwidthInPercentOfStream1BitRate(ch));
     },
     [](const card::ReceiverRecord& r) { return N(r.CarrierAcqLoopBandwidthPct); }, "3", "3", true},
    {"AcqModeMenu", kPsk, "TSM_FineSetupForm", "LabelRxCarAcqMode", true, "FFT",
     [](card::kr20cardclass& o, int ch) { return o.PskRx_GetCarrierAcquisitionMode(ch); },
     [](const card::ReceiverRecord& r) { return N(r.CarrierAcqModeUnaided); }, "FFT", "0", true},
    {"AcqRangeIsTheChannelsOwn", kPsk, "TSM_FineSetupForm", "LabelRxCarAcqRange", false, "50000",
     [](card::kr20cardclass& o, int ch) { return N(o.PskRx_GetCarrierAcquisitionRangeInHz(ch)); },
     [](const card::ReceiverRecord& r) { return N(r.CarrierAcqRangeHz); }, "50000", "50000", false},
    {"RecombineLocation", kPsk, "TSM_OutputsSetupForm", "LabelRouteRecombineLoc", true, "POST_PCM_CODING",
     [](card::kr20cardclass& o, int ch) { return o.PskRx_GetSignalRoutingRecombineLocation(ch); },
     [](const card::ReceiverRecord& r) { return card::SetupText(r.Routing.RecombineLocation); }, "POST_PCM_CODING",
     "POST_PCM_CODING", true},
    {"StreamControlIsTheChannelsOwn", kPsk, "TSM_OutputsSetupForm", "LabelStreamControl", false, nullptr,
     [](card::kr20cardclass&, int) { return std::string("-"); },
     [](const card::ReceiverRecord& r) { return N(r.StreamControlS1Only); }, "-", "1", false},
    {"FmBitSyncAcqRange", kFm, "TSM_StdSetupForm", "LabelBsAcqLbw", false, "2.25",
     [](card::kr20cardclass& o, int ch) { return N(o.FmRx_GetBitSyncAcquisitionRangeInPercentOfBitRate(ch)); },
     [](const card::ReceiverRecord& r) { return N(r.BitSync[0].AcqLoopBandwidthPct); }, "2.25", "2.25", true},
    {"FmAcqLoopHertz", kFm, "TSM_FineSetupForm", "LabelRxAcqLoopBw", false, "25000",
     [](card::kr20cardclass& o, int ch) { return N(o.FmRx_GetCarrierAcquisitionLoopBandwidthInHz(ch)); },
     [](const card::ReceiverRecord& r) { return N(r.CarrierAcqLoopBandwidthHz); }, "25000", "25000", true},
    {"FmPeakDeviationIsTheChannelsOwn", kFm, "TSM_FineSetupForm", "PeakDeviationLabel", false, "0.8",
     [](card::kr20cardclass& o, int ch) { return N(o.FmRx_GetCarrierPeakDeviation(ch)); },
     [](const card::ReceiverRecord& r) { return N(r.CarrierPeakDeviation); }, "0.8", "0.8", false},
    {"MhCpmCarrierOffsetRepeats", kMh, "TSM_FineSetupForm", "LabelRxCarAcqRange", false, "20000",
     [](card::kr20cardclass& o, int ch) {
       return N(ch == 0 ? o.Setup().Receiver[0].MhCpmLoopValue : o.PskRx_GetCarrierAcquisitionRangeInHz(ch));
     },
     [](const card::ReceiverRecord& r) { return N(r.CarrierAcqRangeHz); }, "20000", "20000", true},
};

class SettingHandlersTest : public SetupPanelTest, public ::testing::WithParamInterface<std::tuple<SettingRow, bool>> {};

TEST_P(SettingHandlersTest, ReachesTheCardAndTheSetupOfEachChannel) {
  const auto& [row, both] = GetParam();
  Start(row.Where.ChipVariant, row.Where.Mode, row.Where.Ch);
  if (IsSkipped() || HasFatalFailure()) return;
  config::gApp.gControlBothChannels = both ? 1 : 0;
  card::kr20cardclass& o = Card();
  const std::string otherCard = row.Card(o, 1);
  const std::string otherStore = row.Store(Receiver(1));
  if (row.Answer != nullptr) {
    if (row.Menu) {
      dialogs_->AnswerMenu(row.Answer);
    } else {
      dialogs_->AnswerInput(row.Answer);
    }
  }
  Click(row.Form, row.Component);
  EXPECT_EQ(row.Card(o, 0), row.CardValue);
  EXPECT_EQ(row.Store(Receiver(0)), row.StoreValue);
  if (both && row.Repeats) {
    EXPECT_EQ(row.Card(o, 1), row.CardValue);
    EXPECT_EQ(row.Store(Receiver(1)), row.StoreValue);
  } else {
    EXPECT_EQ(row.Card(o, 1), otherCard);
    EXPECT_EQ(row.Store(Receiver(1)), otherStore);
  }
  EXPECT_NE(otherStore, row.StoreValue) << "the other channel must start elsewhere for the row to tell";
  EXPECT_EQ(config::gApp.SetupEdited.load(), 1);
}

INSTANTIATE_TEST_SUITE_P(Rows, SettingHandlersTest, ::testing::Combine(::testing::ValuesIn(kRows), ::testing::Bool()),
                         [](const auto& p) {
                           return std::string(std::get<0>(p.param).Name) + (std::get<1>(p.param) ? "_Both" : "_One");
                         });

}  // namespace
}  // namespace setuptest
