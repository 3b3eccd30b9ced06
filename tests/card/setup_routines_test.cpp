// Setup routines and defaults: lists and code tables pinned, rate-derived numbers worked out.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
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

TEST(SetupLists, FillClearsAndFillsInOrder) {
  List list{"stale"};
  FillInputCodeList(list);
  EXPECT_EQ(list, (List{"NRZL", "NRZM", "NRZS", "BIOL", "BIOM", "BIOS", "RZ", "DBIOM", "DBIOS", "DMM", "DMS", "DMM2"}));
  list = {"stale"};
  FillOutputCodeList(list);
  EXPECT_EQ(list, (List{"NRZL", "NRZM", "NRZS", "BIOL", "BIOM", "BIOS"}));
  list = {"stale"};
  FillFmInputSourceList(list);
  EXPECT_EQ(list, (List{"IF_INPUT1", "IF_INPUT2", "DIVERSITY_COMBINER"}));
  list = {"stale"};
  FillPskInputSourceList(list);
  EXPECT_EQ(list, (List{"IF_INPUT1", "IF_INPUT2", "DIVERSITY_COMBINER"}));
  list = {"stale"};
  FillPmInputSourceList(list);
  EXPECT_EQ(list, (List{"IF_1", "IF_2"}));
  list = {"stale"};
  FillModulationList(list);
  EXPECT_EQ(list, (List{"BPSK", "QPSK", "SQPSK", "AQPSK", "UQPSK", "UAQPSK", "AUQPSK", "SOQPSK", "SOQPSK_TG",
                        "PCM_FM", "PM", "MH_CPM"}));
}

TEST(SetupLists, ModulationNumbersFollowTheList) {
  List list;
  FillModulationList(list);
  for (std::size_t i = 0; i < list.size(); ++i) EXPECT_EQ(ModulationNumber(list[i]), static_cast<int>(i));
  EXPECT_EQ(ModulationNumber("soqpsk_tg"), -1);  // names are exact
  EXPECT_EQ(ModulationNumber(""), -1);
}

TEST(PcmCodes, NamesNumbersAndBiphase) {
  EXPECT_EQ(PcmEncoderCodeName(0), "NRZL");
  EXPECT_EQ(PcmEncoderCodeName(5), "BIOS");
  EXPECT_EQ(PcmEncoderCodeName(6), "UNKNOWN");
  EXPECT_EQ(PcmEncoderCodeName(-1), "UNKNOWN");
  EXPECT_EQ(PcmDecoderCodeName(6), "RZ");
  EXPECT_EQ(PcmDecoderCodeName(12), "RNRZ-15");
  EXPECT_EQ(PcmDecoderCodeName(13), "UNKNOWN");
  for (int i = 0; i <= 12; ++i) EXPECT_EQ(PcmCodeNumber(PcmDecoderCodeName(i)), i);
  EXPECT_EQ(PcmCodeNumber("UNKNOWN"), -1);
  EXPECT_EQ(PcmCodeNumber("nrzl"), -1);
  const std::vector<std::string> biphase{"BIOL", "BIOM", "BIOS", "DBIOM", "DBIOS"};
  for (int i = -1; i <= 13; ++i) {
    const std::string name = PcmDecoderCodeName(i);
    const bool expected = std::find(biphase.begin(), biphase.end(), name) != biphase.end();
    EXPECT_EQ(IsBiphaseCode(i), expected) << name;
  }
}

TEST(PrnPattern, NormalizeAndDisplay) {
  EXPECT_EQ(NormalizePrnPattern("RNRZ-15"), (PrnCode{"NRZL", "RAND15_NRZL"}));
  EXPECT_EQ(NormalizePrnPattern("NRZL"), (PrnCode{"NRZL", "NONE"}));
  EXPECT_EQ(NormalizePrnPattern("BIOM"), (PrnCode{"BIOM", "NONE"}));
  EXPECT_EQ(NormalizePrnPattern("rnrz-15"), (PrnCode{"rnrz-15", "NONE"}));
  EXPECT_EQ(NormalizePrnPattern(""), (PrnCode{"", "NONE"}));
  EXPECT_EQ(PrnNameToDisplay("NRZL", "RAND15_NRZL"), "RNRZ-15");
  EXPECT_EQ(PrnNameToDisplay("NRZL", "NONE"), "NRZL");
  EXPECT_EQ(PrnNameToDisplay("BIOL", ""), "BIOL");
  // The two are inverse on every decoder code.
  for (int i = 0; i <= 12; ++i) {
    const PrnCode split = NormalizePrnPattern(PcmDecoderCodeName(i));
    EXPECT_EQ(PrnNameToDisplay(split.Code, split.Descrambler), PcmDecoderCodeName(i));
  }
}

std::string Bytes(std::initializer_list<unsigned char> bytes) { return std::string(bytes.begin(), bytes.end()); }

TEST(PackBitPattern, LeftJustifiedBigEndian) {
  EXPECT_EQ(PackBitPattern(0xAB, 8), Bytes({0xAB, 0, 0, 0}));
  EXPECT_EQ(PackBitPattern(0xABCD, 16), Bytes({0xAB, 0xCD, 0, 0}));
  EXPECT_EQ(PackBitPattern(0x5, 3), Bytes({0xA0, 0, 0, 0}));
  EXPECT_EQ(PackBitPattern(0x12345678, 32), Bytes({0x12, 0x34, 0x56, 0x78}));
  EXPECT_EQ(PackBitPattern(0xFFFFFF, 24), Bytes({0xFF, 0xFF, 0xFF, 0}));
  // Bits above the length are dropped; lengths are limited.
  EXPECT_EQ(PackBitPattern(0x1FF, 8), Bytes({0xFF, 0, 0, 0}));
  EXPECT_EQ(PackBitPattern(0x12345678, 40), Bytes({0x12, 0x34, 0x56, 0x78}));
  EXPECT_EQ(PackBitPattern(0xFF, 0), Bytes({0, 0, 0, 0}));
  EXPECT_EQ(PackBitPattern(0xFF, -5), Bytes({0, 0, 0, 0}));
}

TEST(CarrierSuggestions, AcquisitionRange) {
  CarrierAcqRange r = SuggestCarrierAcqRange(1e6, false, false, "NRZL");
  EXPECT_DOUBLE_EQ(r.Lower, 1.0);
  EXPECT_DOUBLE_EQ(r.Upper, 10e6);
  EXPECT_DOUBLE_EQ(r.Suggested, 10e6);
  r = SuggestCarrierAcqRange(1e6, false, true, "NRZL");
  EXPECT_DOUBLE_EQ(r.Upper, 1e6);
  EXPECT_DOUBLE_EQ(r.Suggested, 1e6);
  r = SuggestCarrierAcqRange(2e6, true, false, "NRZL");
  EXPECT_DOUBLE_EQ(r.Suggested, 2e6 * kCarrierAcqRangeRateFactor);
  EXPECT_DOUBLE_EQ(r.Upper, 2.0 * r.Suggested);
  r = SuggestCarrierAcqRange(2e6, true, false, "BIOL");
  EXPECT_DOUBLE_EQ(r.Suggested, 4e6 * kCarrierAcqRangeRateFactor);
  EXPECT_DOUBLE_EQ(r.Upper, 2.0 * r.Suggested);
  EXPECT_DOUBLE_EQ(r.Lower, 1.0);
}

TEST(CarrierSuggestions, LoopBandwidths) {
  EXPECT_DOUBLE_EQ(SuggestFmCarrierAcqLoopBw(5e6, true), 10000.0);
  EXPECT_DOUBLE_EQ(SuggestFmCarrierAcqLoopBw(1e6, true), 2000.0);
  EXPECT_DOUBLE_EQ(SuggestFmCarrierAcqLoopBw(1e6, false), 10000.0);
  EXPECT_DOUBLE_EQ(SuggestFmCarrierTrackLoopBw(1e6, true, 0.5, 5.0), 1000.0);
  EXPECT_DOUBLE_EQ(SuggestFmCarrierTrackLoopBw(1e6, false, 0.002, 5.0), 2000.0);
  // No measured spread: the span option's share of the bit rate.
  EXPECT_DOUBLE_EQ(SuggestFmCarrierTrackLoopBw(1e6, false, 0.0, 5.0), 50000.0);
  EXPECT_DOUBLE_EQ(SuggestFmCarrierTrackLoopBw(1e6, false, -1.0, 2.0), 20000.0);
  EXPECT_DOUBLE_EQ(SuggestPmCarrierAcqLoopBw(64000.0), 128.0);
  EXPECT_DOUBLE_EQ(SuggestPmCarrierTrackLoopBw(64000.0), 64.0);
}

ChannelRateInfo Rate(double bitRate, const char* modulation, const char* code, bool viterbi) {
  return {bitRate, modulation, code, viterbi};
}

TEST(SignalBandwidth, FactorsMultiply) {
  EXPECT_DOUBLE_EQ(SignalRateFactor(Rate(1e6, "BPSK", "NRZL", false)), 1.0);
  EXPECT_DOUBLE_EQ(SignalRateFactor(Rate(1e6, "QPSK", "NRZL", false)), 0.5);
  EXPECT_DOUBLE_EQ(SignalRateFactor(Rate(1e6, "QPSK", "NRZL", true)), 1.0);
  EXPECT_DOUBLE_EQ(SignalRateFactor(Rate(1e6, "BPSK", "BIOL", true)), 4.0);
  EXPECT_DOUBLE_EQ(SignalRateFactor(Rate(1e6, "PCM_FM", "DBIOS", false)), 2.0);
  EXPECT_DOUBLE_EQ(SignalRateFactor(Rate(1e6, "NOT A MODULATION", "NOT A CODE", false)), 1.0);
}

TEST(SignalBandwidth, RatioAndBandwidthAreInverse) {
  const ChannelRateInfo psk = Rate(2e6, "BPSK", "NRZL", false);
  EXPECT_DOUBLE_EQ(SignalBwForRatioPsk(psk, 2.5), 2000.0);  // kHz
  EXPECT_DOUBLE_EQ(SignalBwForRatioPsk(psk, 5.0), 4000.0);
  EXPECT_DOUBLE_EQ(SignalBwForRatioPsk(psk, 0.0), 0.0);
  EXPECT_DOUBLE_EQ(SignalBwForRatioPcmFm(psk, 0.5), 2000.0);
  EXPECT_DOUBLE_EQ(SignalFilterRatioForBwPsk(psk, 2e6), 2.5);
  EXPECT_DOUBLE_EQ(SignalFilterRatioForBwPcmFm(psk, 20e6), 5.0);
  const ChannelRateInfo fm = Rate(5e6, "PCM_FM", "BIOL", true);
  for (double ratio : {0.1, 1.0, 3.7}) {
    EXPECT_NEAR(SignalFilterRatioForBwPcmFm(fm, ChannelSignalBw(fm, true, ratio)), ratio, 1e-12);
    EXPECT_NEAR(SignalFilterRatioForBwPsk(fm, ChannelSignalBw(fm, false, ratio)), ratio, 1e-12);
  }
  EXPECT_DOUBLE_EQ(ChannelSignalBw(psk, false, 2.5), 2e6);  // Hz
  EXPECT_DOUBLE_EQ(ChannelSignalBw(psk, true, 2.5), 10e6);
  // No rate gives no ratio.
  EXPECT_DOUBLE_EQ(SignalFilterRatioForBwPsk(Rate(0.0, "BPSK", "NRZL", false), 1e6), 0.0);
  EXPECT_DOUBLE_EQ(SignalFilterRatioForBwPcmFm(Rate(-1.0, "PCM_FM", "NRZL", false), 1e6), 0.0);
  EXPECT_DOUBLE_EQ(
      SignalFilterRatioForBwPsk(Rate(1e6, "BPSK", "NRZL", false), std::numeric_limits<double>::quiet_NaN()), 0.0);
}

TEST(AutoFftSpan, RateTimesFactorLimitedAndRounded) {
  EXPECT_DOUBLE_EQ(AutoFftSpanHz(1e6), 3e6);    // 2.85 MHz, below the floor
  EXPECT_DOUBLE_EQ(AutoFftSpanHz(10e6), 29e6);  // 28.5 MHz rounds up
  EXPECT_DOUBLE_EQ(AutoFftSpanHz(30e6), 60e6);  // 85.5 MHz, above the ceiling
  EXPECT_DOUBLE_EQ(AutoFftSpanHz(5e6), 14e6);   // 14.25 MHz
  EXPECT_DOUBLE_EQ(AutoFftSpanHz(4e6), 11e6);   // 11.4 MHz
  EXPECT_DOUBLE_EQ(AutoFftSpanHz(21e6), 60e6);  // 59.85 MHz rounds to the ceiling
  EXPECT_DOUBLE_EQ(AutoFftSpanHz(0.0), 3e6);
  EXPECT_DOUBLE_EQ(AutoFftSpanHz(-5e6), 3e6);
  EXPECT_DOUBLE_EQ(AutoFftSpanHz(std::numeric_limits<double>::quiet_NaN()), 3e6);
  EXPECT_DOUBLE_EQ(AutoFftSpanHz(std::numeric_limits<double>::infinity()), 60e6);
}

TEST(Designations, CutToSeventeenCharactersAndTerminated) {
  CardSetupRecord setup{};
  std::memset(setup.CardDesignation, 'x', sizeof setup.CardDesignation);
  SetCardDesignationText(setup, "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
  EXPECT_EQ(CardDesignationText(setup), "ABCDEFGHIJKLMNOPQ");
  EXPECT_EQ(setup.CardDesignation[17], '\0');
  SetCardDesignationText(setup, "AB");
  EXPECT_EQ(CardDesignationText(setup), "AB");
  for (std::size_t i = 2; i < kDesignationLen; ++i) EXPECT_EQ(setup.CardDesignation[i], '\0') << i;

  SetStreamDesignationText(setup, 0, "TELEMETRY STREAM ONE");
  SetStreamDesignationText(setup, 1, "B");
  EXPECT_EQ(StreamDesignationText(setup, 0), "TELEMETRY STREAM ");
  EXPECT_EQ(StreamDesignationText(setup, 1), "B");
  EXPECT_EQ(CardDesignationText(setup), "AB");  // neighbours untouched
  SetStreamDesignationText(setup, 2, "C");
  SetStreamDesignationText(setup, -1, "C");
  EXPECT_EQ(StreamDesignationText(setup, 2), "");
  EXPECT_EQ(StreamDesignationText(setup, 1), "B");
  // A full field without a terminator reads safely.
  std::memset(setup.CardDesignation, 'Z', sizeof setup.CardDesignation);
  EXPECT_EQ(CardDesignationText(setup), std::string(kDesignationLen, 'Z'));
}

TEST(SetupDefaults, NewCardStartsIndependentOnTheIfWithTheModulatorOff) {
  const CardSetupRecord setup = DefaultCardSetup();
  EXPECT_EQ(Value(setup.RouteInfo.FpgaMasterMode), kNoFpgaMode);
  EXPECT_EQ(Value(setup.RouteInfo.UserReceiverMode), kNoFpgaMode);
  EXPECT_EQ(Value(setup.RouteInfo.RouteMode), 0);
  EXPECT_LE(CardDesignationText(setup).size(), kDesignationMaxChars);
  EXPECT_EQ(SetupText(setup.Receiver[0].InputSource), "IF_INPUT1");
  EXPECT_EQ(SetupText(setup.Receiver[1].InputSource), "IF_INPUT2");
  const auto within = [](double value, double low, double high) { return value >= low && value <= high; };
  for (std::size_t ch = 0; ch < kSetupChannels; ++ch) {
    const ReceiverRecord rx = setup.Receiver[ch];
    EXPECT_EQ(Value(rx.BitSync[0].Bitrate), kDefaultBitRate);
    EXPECT_EQ(SetupText(rx.BitSync[0].PcmInputCode), "NRZL");
    EXPECT_DOUBLE_EQ(Value(rx.CarrierFreqMhz), kDefaultIfMhz);
    // Within the limits a setup file recall applies.
    EXPECT_TRUE(within(rx.PeakDeviationFactorMin, 0.1, Value(rx.PeakDeviationFactorMax)));
    EXPECT_TRUE(within(rx.PeakDeviationFactorMax, 0.1, 1.0));
    EXPECT_TRUE(within(rx.CarrierPeakDeviationRange, 0.05, 0.45));
    EXPECT_EQ(Value(rx.XmitterIsDigital), 0);
    EXPECT_TRUE(within(setup.RxBert[ch].NumSecsToAverage, 1, 600));
  }
  const ModulatorRecord mod = setup.Modulator;
  EXPECT_EQ(mod.CarrierEnabled + mod.ModulationEnabled + mod.NoiseEnabled + mod.SakLoopbackMode, 0);
  EXPECT_TRUE(within(mod.SweepRateHz, 1.0, 20000.0));
  EXPECT_LE(std::fabs(mod.StartFreqMhz - mod.CarrierFreqMhz), 0.25);
  for (std::size_t i = 0; i < kModSweepStops; ++i) EXPECT_LE(std::fabs(mod.StopFreqMhzAry[i] - mod.CarrierFreqMhz), 0.25);
  EXPECT_TRUE(within(mod.NumProfiles, 1, 3));
  for (std::size_t i = 0; i < kSetupFftBlocks; ++i) EXPECT_DOUBLE_EQ(setup.Fft[i].SpanMhz * 1e6, AutoFftSpanHz(kDefaultBitRate));
}

}  // namespace
}  // namespace card
