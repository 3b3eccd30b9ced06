// Setup routines and defaults: lists and code tables pinned, rate-derived numbers worked out.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <string>
#include <vector>

#include "card_test_support.h"
#include "card/setup_defaults.h"
#include "card/setup_routines.h"

namespace card {
namespace {

using List = std::vector<std::string>;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(SetupLists, ListsAndTheNumbersOfTheirNames) {
  const struct {
    void (*fill)(List&);
    List expected;
  } lists[] = {
      {FillInputCodeList, {"NRZL", "NRZM", "NRZS", "BIOL", "BIOM", "BIOS", "RZ", "DBIOM", "DBIOS", "DMM", "DMS", "DMM2"}},
      {FillPskInputSourceList, {"IF_INPUT1", "IF_INPUT2", "DIVERSITY_COMBINER"}},
      {FillPmInputSourceList, {"IF_1", "IF_2"}},
      {FillModulationList,
       {"BPSK", "QPSK", "SQPSK", "AQPSK", "UQPSK", "UAQPSK", "AUQPSK", "SOQPSK", "SOQPSK_TG", "PCM_FM", "PM", "MH_CPM"}},
  };
  for (const auto& l : lists) {
    List list{"stale"};
    l.fill(list);
    EXPECT_EQ(list, l.expected);
  }
  const List& modulations = lists[3].expected;
  for (std::size_t i = 0; i < modulations.size(); ++i) EXPECT_EQ(ModulationNumber(modulations[i]), static_cast<int>(i));
  EXPECT_EQ(ModulationNumber("soqpsk_tg"), -1);  // names are exact
}

TEST(PcmCodes, NamesNumbersBiphaseAndPrnSplit) {
  EXPECT_EQ(PcmEncoderCodeName(6), "UNKNOWN");
  EXPECT_EQ(PcmDecoderCodeName(12), "RNRZ-15");
  EXPECT_EQ(PcmDecoderCodeName(-1), "UNKNOWN");
  EXPECT_EQ(PcmCodeNumber("nrzl"), -1);
  const List biphase{"BIOL", "BIOM", "BIOS", "DBIOM", "DBIOS"};
  for (int i = -1; i <= 13; ++i) {
    const std::string name = PcmDecoderCodeName(i);
    EXPECT_EQ(IsBiphaseCode(i), std::find(biphase.begin(), biphase.end(), name) != biphase.end()) << name;
    if (i < 0 || i > 12) continue;
    EXPECT_EQ(PcmCodeNumber(name), i);
    // The PRN split and its display are inverse on every decoder code.
    const PrnCode split = NormalizePrnPattern(name);
    EXPECT_EQ(PrnNameToDisplay(split.Code, split.Descrambler), name);
  }
  EXPECT_EQ(NormalizePrnPattern("RNRZ-15"), (PrnCode{"NRZL", "RAND15_NRZL"}));
}

std::string Bytes(std::initializer_list<unsigned char> bytes) { return std::string(bytes.begin(), bytes.end()); }

TEST(PackBitPattern, LeftJustifiedBigEndianAndLimited) {
  EXPECT_EQ(PackBitPattern(0xABCD, 16), Bytes({0xAB, 0xCD, 0, 0}));
  EXPECT_EQ(PackBitPattern(0x5, 3), Bytes({0xA0, 0, 0, 0}));
  EXPECT_EQ(PackBitPattern(0x1FF, 8), Bytes({0xFF, 0, 0, 0}));  // bits above the length dropped
  EXPECT_EQ(PackBitPattern(0x12345678, 40), Bytes({0x12, 0x34, 0x56, 0x78}));
  EXPECT_EQ(PackBitPattern(0xFF, -5), Bytes({0, 0, 0, 0}));
}

TEST(CarrierSuggestions, RangesAndLoopBandwidths) {
  CarrierAcqRange r = SuggestCarrierAcqRange(1e6, false, true, "NRZL");  // PM
  EXPECT_DOUBLE_EQ(r.Upper, 1e6);
  EXPECT_DOUBLE_EQ(r.Suggested, 1e6);
  r = SuggestCarrierAcqRange(2e6, true, false, "BIOL");
  EXPECT_DOUBLE_EQ(r.Suggested, 4e6 * kCarrierAcqRangeRateFactor);
  EXPECT_DOUBLE_EQ(r.Upper, 2.0 * r.Suggested);
  EXPECT_DOUBLE_EQ(r.Lower, 1.0);

  EXPECT_DOUBLE_EQ(SuggestFmCarrierAcqLoopBw(1e6, true), 2000.0);
  EXPECT_DOUBLE_EQ(SuggestFmCarrierAcqLoopBw(1e6, false), 10000.0);
  EXPECT_DOUBLE_EQ(SuggestFmCarrierTrackLoopBw(1e6, false, 0.002, 5.0), 2000.0);
  // No measured spread: the span option's share of the bit rate.
  EXPECT_DOUBLE_EQ(SuggestFmCarrierTrackLoopBw(1e6, false, -1.0, 2.0), 20000.0);
  EXPECT_DOUBLE_EQ(SuggestPmCarrierAcqLoopBw(64000.0), 128.0);
  EXPECT_DOUBLE_EQ(SuggestPmCarrierTrackLoopBw(64000.0), 64.0);
}

ChannelRateInfo Rate(double bitRate, const char* modulation, const char* code, bool viterbi) {
  return {bitRate, modulation, code, viterbi};
}

TEST(SignalBandwidth, FactorsMultiplyAndRatioAndBandwidthAreInverse) {
  EXPECT_DOUBLE_EQ(SignalRateFactor(Rate(1e6, "QPSK", "NRZL", false)), 0.5);
  EXPECT_DOUBLE_EQ(SignalRateFactor(Rate(1e6, "BPSK", "BIOL", true)), 4.0);
  EXPECT_DOUBLE_EQ(SignalRateFactor(Rate(1e6, "PCM_FM", "DBIOS", false)), 2.0);
  EXPECT_DOUBLE_EQ(SignalRateFactor(Rate(1e6, "NOT A MODULATION", "NOT A CODE", false)), 1.0);

  const ChannelRateInfo psk = Rate(2e6, "BPSK", "NRZL", false);
  EXPECT_DOUBLE_EQ(SignalBwForRatioPsk(psk, 5.0), 4000.0);  // kHz
  EXPECT_DOUBLE_EQ(ChannelSignalBw(psk, true, 2.5), 10e6);  // Hz
  const ChannelRateInfo fm = Rate(5e6, "PCM_FM", "BIOL", true);
  for (double ratio : {0.1, 3.7}) {
    EXPECT_NEAR(SignalFilterRatioForBwPcmFm(fm, ChannelSignalBw(fm, true, ratio)), ratio, 1e-12);
    EXPECT_NEAR(SignalFilterRatioForBwPsk(fm, ChannelSignalBw(fm, false, ratio)), ratio, 1e-12);
  }
  // No rate gives no ratio.
  EXPECT_DOUBLE_EQ(SignalFilterRatioForBwPcmFm(Rate(-1.0, "PCM_FM", "NRZL", false), 1e6), 0.0);
  EXPECT_DOUBLE_EQ(SignalFilterRatioForBwPsk(psk, kNaN), 0.0);
}

TEST(AutoFftSpan, RateTimesFactorLimitedAndRounded) {
  const double cases[][2] = {{1e6, 3e6},    // 2.85 MHz, below the floor
                             {10e6, 29e6},  // 28.5 MHz rounds up
                             {21e6, 60e6},  // 59.85 MHz rounds to the ceiling
                             {30e6, 60e6},  {kNaN, 3e6}, {std::numeric_limits<double>::infinity(), 60e6}};
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(AutoFftSpanHz(c[0]), c[1]) << c[0];
}

TEST(Designations, CutToSeventeenCharactersAndTerminated) {
  CardSetupRecord setup{};
  std::memset(setup.CardDesignation, 'x', sizeof setup.CardDesignation);
  SetCardDesignationText(setup, "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
  EXPECT_EQ(CardDesignationText(setup), "ABCDEFGHIJKLMNOPQ");
  SetCardDesignationText(setup, "AB");
  for (std::size_t i = 2; i < kDesignationLen; ++i) EXPECT_EQ(setup.CardDesignation[i], '\0') << i;

  SetStreamDesignationText(setup, 0, "TELEMETRY STREAM ONE");
  SetStreamDesignationText(setup, 2, "C");
  SetStreamDesignationText(setup, -1, "C");
  EXPECT_EQ(StreamDesignationText(setup, 0), "TELEMETRY STREAM ");
  EXPECT_EQ(StreamDesignationText(setup, 2), "");
  EXPECT_EQ(CardDesignationText(setup), "AB");  // neighbours untouched
  // A full field without a terminator reads safely.
  std::memset(setup.CardDesignation, 'Z', sizeof setup.CardDesignation);
  EXPECT_EQ(CardDesignationText(setup), std::string(kDesignationLen, 'Z'));
}

TEST(SetupDefaults, NewCardStartsIndependentOnTheIfWithTheModulatorOff) {
  const CardSetupRecord setup = DefaultCardSetup();
  EXPECT_EQ(Value(setup.RouteInfo.FpgaMasterMode), kNoFpgaMode);
  EXPECT_EQ(Value(setup.RouteInfo.UserReceiverMode), kNoFpgaMode);
  EXPECT_EQ(Value(setup.RouteInfo.RouteMode), 0);
  EXPECT_EQ(SetupText(setup.Receiver[0].InputSource), "IF_INPUT1");
  EXPECT_EQ(SetupText(setup.Receiver[1].InputSource), "IF_INPUT2");
  const ReceiverRecord rx = setup.Receiver[1];
  EXPECT_EQ(Value(rx.BitSync[0].Bitrate), kDefaultBitRate);
  EXPECT_EQ(SetupText(rx.BitSync[0].PcmInputCode), "NRZL");
  EXPECT_DOUBLE_EQ(Value(rx.CarrierFreqMhz), kDefaultIfMhz);
  // Within the limits a setup file recall applies.
  EXPECT_TRUE(rx.PeakDeviationFactorMin >= 0.1 && rx.PeakDeviationFactorMin <= rx.PeakDeviationFactorMax);
  const ModulatorRecord mod = setup.Modulator;
  EXPECT_EQ(mod.CarrierEnabled + mod.ModulationEnabled + mod.NoiseEnabled + mod.SakLoopbackMode, 0);
  EXPECT_DOUBLE_EQ(setup.Fft[1].SpanMhz * 1e6, AutoFftSpanHz(kDefaultBitRate));
}

}  // namespace
}  // namespace card
