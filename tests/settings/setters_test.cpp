// Every setter of the set manager against one card of the simulated device library with a
// simulated Kr12 converter on each channel: what the card (or the converter record) reads back and
// what the card setup record holds on both channels, by the setter's repeat rule and route mode.
// One table row per setter; the edge cases of single setters follow the table.
#include <gtest/gtest.h>

#include <charconv>
#include <cstring>
#include <memory>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

#include "card/card_routines.h"
#include "card/setup_routines.h"
#include "config/options_store.h"
#include "settings_test_support.h"

namespace {

using card::SetupText;
using settingstest::Value;

// Values joined with '|': numbers in their shortest exact form, flags as 0 or 1.
std::string Piece(const std::string& text) { return text; }
template <class T>
  requires std::is_arithmetic_v<T>
std::string Piece(T value) {
  if constexpr (std::is_floating_point_v<T>) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value));
    return std::string(buffer, result.ptr);
  } else {
    return std::to_string(static_cast<long long>(value));
  }
}
template <class... A>
std::string J(A... values) {
  std::string text;
  ((text += (text.empty() ? "" : "|") + Piece(values)), ...);
  return text;
}

// What a channel shows: the card's (or converter's) read-back and the setup record's field.
struct Shown {
  std::string Card;
  std::string Store;
  bool operator==(const Shown&) const = default;
};
void PrintTo(const Shown& s, std::ostream* os) { *os << "card {" << s.Card << "} store {" << s.Store << "}"; }

// The repeat rule a row expects. Card-level settings have one field for both channels.
enum class Rep { Route, Always, Never, PerCard, RouteCardOnly };
// What the card must have for the row: a PSK or a PCM/FM pair, a pre-D or post-D combiner.
enum Need : unsigned { kAny = 0, kPsk = 1, kFm = 2, kPreD = 4, kPostD = 8 };

struct Personality {
  const char* Name;
  int Mode;
  bool Fm;
  unsigned Has;
};
const Personality kPersonalities[] = {{"PskPreD", 5, false, kPsk | kPreD}, {"FmPostD", 12, true, kFm | kPostD}};

class SettersTest : public settingstest::SimCardTest {
 public:
  // Converters 0 and 1 tied to channels 0 and 1, the automatic IF logic and FFT span off, both
  // channels at 1 Mb/s BPSK NRZ-L with a peak deviation of 0.5, both combiners marked off.
  void StartPersonality(const Personality& p) {
    fm_ = p.Fm;
    StartCard("YES", p.Mode, card::HwCfgCardSetRecord{0, 2, {0, 1}}, true);
    if (HasFatalFailure() || IsSkipped()) return;
    config::kr20optinfo& o = options_.Info();
    o.AutoSetFreqSpan = o.EnableIFCarAcqRgAlg = o.EnableIFCarFilterAlg = o.EnableIFCarCFAlg = 0;
    config::gApp.Options = &options_;
    Rec().RouteInfo.PreDCombinerMode = Rec().RouteInfo.PostDCombinerMode = 0;
    Rec().PreD.CombinerModeOff = Rec().PostD.CombinerModeOff = 1;
    for (int ch = 0; ch < 2; ++ch) {
      Bs(ch).Bitrate = 1'000'000;
      card::SetSetupText(Rx(ch).DemodMode, "BPSK");
      card::SetSetupText(Bs(ch).PcmInputCode, "NRZL");
      Rx(ch).CarrierPeakDeviation = 0.5;
    }
  }
  void TearDown() override {
    SimCardTest::TearDown();
    config::gApp.Options = nullptr;
  }
  kr20setmgrclass& M() { return *manager_; }
  card::kr20cardclass& C() { return Card(); }
  card::CardSetupRecord& Rc() { return Rec(); }
  card::ReceiverRecord& Rx(int ch) { return Rec().Receiver[ch]; }
  card::BitSyncRecord& Bs(int ch) { return Rec().Receiver[ch].BitSync[0]; }
  card::RxBertRecord& Bert(int ch) { return Rec().RxBert[ch]; }
  card::DnCvtSetupRecord& Dc(int index) { return dncvt_->Records[static_cast<std::size_t>(index)].Setup; }
  config::kr20optinfo& Opt() { return options_.Info(); }
  bool Fm() const { return fm_; }

 protected:
  config::kr20optionclass options_{false};
  bool fm_ = false;
};

using T = SettersTest;

struct Row {
  const char* Name;
  Rep Rule;
  unsigned Needs;
  void (*Set)(T&, int channel, int step);  // step 0: the baseline value, step 1: the value tested
  Shown (*Read)(T&, int channel);
  Shown (*Want)(T&, int step);
};

Shown Same(const std::string& text) { return {text, text}; }
Shown StoreOnly(const std::string& text) { return {"", text}; }

// The card's user pattern as hexadecimal bytes and its length in bits.
std::string PatternText(T& t, int ch) {
  std::string pattern;
  int bits = 0;
  t.C().Bert_GetUserPattern(ch, pattern, bits);
  std::string hex;
  for (unsigned char b : pattern) hex += "0123456789ABCDEF"[b >> 4], hex += "0123456789ABCDEF"[b & 15];
  return J(hex, bits);
}

// Both Viterbi symbol inversions; both pre-D channels' centre frequencies and fixed noises.
Shown ViterbiInverts(T& t, int ch) {
  card::kr20cardclass& c = t.C();
  return Shown{t.Fm() ? J(c.FmRx_GetViterbiG1SymbolInvert(ch), c.FmRx_GetViterbiG2SymbolInvert(ch))
                      : J(c.PskRx_GetViterbiStream1G1SymbolInvert(ch), c.PskRx_GetViterbiStream1G2SymbolInvert(ch)),
               J(t.Bs(ch).ViterbiG1Inverted, t.Bs(ch).ViterbiG2Inverted)};
}
Shown PreDCentres(T& t, int) {
  return Shown{J(t.C().PreD_GetChannelACenterFreqInHz(), t.C().PreD_GetChannelBCenterFreqInHz()),
               J(t.Rc().PreD.CenterFreqChAMhz, t.Rc().PreD.CenterFreqChBMhz)};
}
Shown PreDFixedNoises(T& t, int) {
  return Shown{J(t.C().PreD_GetFixedNoChannelA(), t.C().PreD_GetFixedNoChannelB()),
               J(t.Rc().PreD.FixedNoiseChADbm, t.Rc().PreD.FixedNoiseChBDbm)};
}

const Row kRows[] = {
    {"SetAgcFreeze", Rep::Route, kAny, [](T& t, int ch, int s) { t.M().SetAgcFreeze(0, ch, s); },
     [](T& t, int ch) { return StoreOnly(J(t.Dc(ch).AgcFreezeEnabled)); }, [](T&, int s) { return StoreOnly(J(s)); }},
    {"SetAgcZero", Rep::Route, kAny, [](T& t, int ch, int s) { t.M().SetAgcZero(0, ch, s); },
     [](T& t, int ch) { return StoreOnly(J(t.Dc(ch).AgcZeroEnabled)); }, [](T&, int s) { return StoreOnly(J(s)); }},
    {"SetTunedFreq", Rep::Route, kAny, [](T& t, int ch, int s) { t.M().SetTunedFreq(0, ch, s ? 2250.0 : 2200.0); },
     [](T& t, int ch) { return StoreOnly(J(t.Dc(ch).FreqMhz)); },
     [](T&, int s) { return StoreOnly(J(s ? 2250.0 : 2200.0)); }},
    {"SetDataRate", Rep::Route, kAny, [](T& t, int ch, int s) { t.M().SetDataRate(0, ch, s ? 2'000'000 : 1'000'000); },
     [](T& t, int ch) {
       return Shown{J(t.Fm() ? t.C().FmRx_GetBitSyncRateInbps(ch) : t.C().PskRx_GetBitSyncStream1RateInbps(ch)),
                    J(t.Bs(ch).Bitrate, t.Dc(ch).BitRate)};
     },
     [](T&, int s) {
       const int rate = s ? 2'000'000 : 1'000'000;
       return Shown{J(double(rate)), J(rate, rate)};
     }},
    {"SetPcmInputCode", Rep::Route, kAny, [](T& t, int ch, int s) { t.M().SetPcmInputCode(0, ch, s ? "RNRZ-15" : "BIOL"); },
     [](T& t, int ch) {
       card::kr20cardclass& c = t.C();
       return Shown{t.Fm() ? J(c.FmRx_GetBitSyncInputDataDecodingMode(ch), c.FmRx_GetBitSyncDescramblerMode(ch))
                           : J(c.PskRx_GetBitSyncStream1InputDataDecodingMode(ch),
                               c.PskRx_GetBitSyncStream1DescramblerMode(ch)),
                    J(SetupText(t.Bs(ch).PcmInputCode), t.Dc(ch).BitsyncInputCode, t.Dc(ch).BiPhaseCode)};
     },
     // The card gets the code split from its descrambler; the setup keeps the name given, the
     // converter the code's number and whether it is biphase.
     [](T&, int s) { return s ? Shown{"NRZL|RAND15_NRZL", "RNRZ-15|0|0"} : Shown{"BIOL|NONE", "BIOL|3|1"}; }},
    {"SetModulationFormat", Rep::Route, kAny,
     [](T& t, int ch, int s) { t.M().SetModulationFormat(0, ch, s ? "QPSK" : "BPSK", t.Fm() ? 1 : 0); },
     [](T& t, int ch) {
       return Shown{t.Fm() ? "" : t.C().PskRx_GetCarrierModulationMode(ch),
                    J(SetupText(t.Rx(ch).DemodMode), t.Dc(ch).ModulationType)};
     },
     // A PCM/FM receiver takes no modulation call; the converter gets the modulation's number.
     [](T& t, int s) { return Shown{t.Fm() ? "" : (s ? "QPSK" : "BPSK"), s ? "QPSK|1" : "BPSK|0"}; }},
    {"SetInputSource", Rep::Never, kAny, [](T& t, int ch, int s) { t.M().SetInputSource(0, ch, s ? "IF_INPUT2" : "IF_INPUT1"); },
     [](T& t, int ch) {
       return Shown{t.Fm() ? t.C().FmRx_GetReceiverInputSourceMode(ch) : t.C().PskRx_GetReceiverInputSourceMode(ch),
                    SetupText(t.Rx(ch).InputSource)};
     },
     [](T&, int s) { return Same(s ? "IF_INPUT2" : "IF_INPUT1"); }},
    {"SetPostDDiversityOutput", Rep::PerCard, kPostD,
     [](T& t, int ch, int s) { t.M().SetPostDDiversityOutput(0, ch, s ? "CHANNEL_B_OUTPUT" : "CHANNEL_A_OUTPUT"); },
     [](T& t, int) { return Shown{t.C().PostD_GetDiversityOutput(), SetupText(t.Rc().PostD.DiversityOutput)}; },
     [](T&, int s) { return Same(s ? "CHANNEL_B_OUTPUT" : "CHANNEL_A_OUTPUT"); }},
    {"SetCarrierCenterFreq", Rep::Route, kAny, [](T& t, int ch, int s) { t.M().SetCarrierCenterFreq(0, ch, s ? 70.5e6 : 70e6); },
     [](T& t, int ch) {
       return Shown{J(t.Fm() ? t.C().FmRx_GetCarrierCenterFrequencyInHz(ch) : t.C().PskRx_GetCarrierCenterFrequencyInHz(ch)),
                    J(t.Rx(ch).CarrierFreqMhz)};
     },
     [](T&, int s) { return Shown{J(s ? 70.5e6 : 70e6), J(s ? 70.5 : 70.0)}; }},
    {"SetCarrierAcqRange", Rep::Route, kAny, [](T& t, int ch, int s) { t.M().SetCarrierAcqRange(0, ch, s ? 2e5 : 1e5); },
     [](T& t, int ch) {
       return Shown{J(t.Fm() ? t.C().FmRx_GetCarrierAcquisitionRangeInHz(ch) : t.C().PskRx_GetCarrierAcquisitionRangeInHz(ch)),
                    J(t.Rx(ch).CarrierAcqRangeHz)};
     },
     [](T&, int s) { return Same(J(s ? 2e5 : 1e5)); }},
    {"SetCarrierAcqMode", Rep::Route, kAny, [](T& t, int ch, int s) { t.M().SetCarrierAcqMode(0, ch, s ? "UNAIDED" : "FFT"); },
     [](T& t, int ch) {
       return Shown{t.Fm() ? "" : t.C().PskRx_GetCarrierAcquisitionMode(ch), J(t.Rx(ch).CarrierAcqModeUnaided)};
     },
     // Stored as the "unaided" flag; nothing is sent to a PCM/FM receiver.
     [](T& t, int s) { return Shown{t.Fm() ? "" : (s ? "UNAIDED" : "FFT"), J(s)}; }},
    {"SetCarrierAcqLoopBw", Rep::Route, kAny, [](T& t, int ch, int s) { t.M().SetCarrierAcqLoopBw(0, ch, s ? 3.0 : 2.0); },
     [](T& t, int ch) {
       card::kr20cardclass& c = t.C();
       // PCM/FM in Hz, PSK in percent of the bit rate, each in its own field.
       return t.Fm() ? Shown{J(c.FmRx_GetCarrierAcquisitionLoopBandwidthInHz(ch)),
                             J(t.Rx(ch).CarrierAcqLoopBandwidthHz, t.Rx(ch).CarrierAcqLoopBandwidthPct)}
                     : Shown{J(c.PskRx_GetCarrierAcquisitionLoopBandwidthInPercentOfStream1BitRate(ch)),
                             J(t.Rx(ch).CarrierAcqLoopBandwidthPct, t.Rx(ch).CarrierAcqLoopBandwidthHz)};
     },
     [](T& t, int s) {  // the other unit's field keeps its default
       return Shown{J(s ? 3.0 : 2.0), J(s ? 3.0 : 2.0, t.Fm() ? t.Rx(0).CarrierAcqLoopBandwidthPct : t.Rx(0).CarrierAcqLoopBandwidthHz)};
     }},
    {"SetCarrierTrackLoopBw", Rep::Route, kAny, [](T& t, int ch, int s) { t.M().SetCarrierTrackLoopBw(0, ch, s ? 3.0 : 2.0); },
     [](T& t, int ch) {
       card::kr20cardclass& c = t.C();
       return t.Fm() ? Shown{J(c.FmRx_GetCarrierTrackingLoopBandwidthInHz(ch)),
                             J(t.Rx(ch).CarrierTrkLoopBandwidthHz, t.Rx(ch).CarrierTrkLoopBandwidthPct)}
                     : Shown{J(c.PskRx_GetCarrierTrackingLoopBandwidthInPercentOfStream1BitRate(ch)),
                             J(t.Rx(ch).CarrierTrkLoopBandwidthPct, t.Rx(ch).CarrierTrkLoopBandwidthHz)};
     },
     [](T& t, int s) {
       return Shown{J(s ? 3.0 : 2.0), J(s ? 3.0 : 2.0, t.Fm() ? t.Rx(0).CarrierTrkLoopBandwidthPct : t.Rx(0).CarrierTrkLoopBandwidthHz)};
     }},
    {"SetSignalThreshold", Rep::Route, kAny, [](T& t, int ch, int s) { t.M().SetSignalThreshold(0, ch, s ? -70.0 : -60.0); },
     [](T& t, int ch) {
       return Shown{J(t.Fm() ? t.C().FmRx_GetReceiverSignalLevelQualificationThreshold(ch)
                             : t.C().PskRx_GetReceiverSignalLevelQualificationThreshold(ch)),
                    J(t.Rx(ch).CarrierThesholdDbm)};
     },
     [](T&, int s) { return Same(J(s ? -70.0 : -60.0)); }},
    // 1 Mb/s BPSK NRZ-L is one symbol per bit: the ratio is 2.5 per MHz of IF bandwidth.
    {"SetSignalFilterBwRatio", Rep::Route, kPsk, [](T& t, int ch, int s) { t.M().SetSignalFilterBwRatio(0, ch, s ? 2.0 : 1.0); },
     [](T& t, int ch) { return Shown{J(t.C().PskRx_GetCarrierSignalFilterBandwidthRatio(ch)), J(t.Rx(ch).CarrierSignalBwRatio)}; },
     [](T&, int s) { return Same(J(s ? 5.0 : 2.5)); }},
    // Peak deviation 0.5: the factors are 0.5 -+ the spread.
    {"SetPeakDevCompFactors", Rep::Route, kFm, [](T& t, int ch, int s) { t.M().SetPeakDevCompFactors(0, ch, s ? 0.25 : 0.125); },
     [](T& t, int ch) {
       return Shown{J(t.C().FmRx_GetPeakDeviationCompensationFactorMin(ch), t.C().FmRx_GetPeakDeviationCompensationFactorMax(ch)),
                    J(t.Rx(ch).CarrierPeakDeviationRange, t.Rx(ch).PeakDeviationFactorMin, t.Rx(ch).PeakDeviationFactorMax)};
     },
     [](T&, int s) { return s ? Shown{"0.25|0.75", "0.25|0.25|0.75"} : Shown{"0.375|0.625", "0.125|0.375|0.625"}; }},
    {"SetBitsyncAcqRange", Rep::Route, kAny, [](T& t, int ch, int s) { t.M().SetBitsyncAcqRange(0, ch, s ? 2.0 : 1.0); },
     [](T& t, int ch) {
       return Shown{J(t.Fm() ? t.C().FmRx_GetBitSyncAcquisitionRangeInPercentOfBitRate(ch)
                             : t.C().PskRx_GetBitSyncStream1AcquisitionRangeInPercentOfBitRate(ch)),
                    J(t.Bs(ch).AcqLoopBandwidthPct)};
     },
     [](T&, int s) { return Same(J(s ? 2.0 : 1.0)); }},
    {"SetBitsyncLoopWidth", Rep::Route, kAny, [](T& t, int ch, int s) { t.M().SetBitsyncLoopWidth(0, ch, s ? 0.5 : 0.25); },
     [](T& t, int ch) {
       return Shown{J(t.Fm() ? t.C().FmRx_GetBitSyncLoopWidthInPercentOfBitRate(ch)
                             : t.C().PskRx_GetBitSyncStream1LoopWidthInPercentOfBitRate(ch)),
                    J(t.Bs(ch).TrkLoopBandwidthPct)};
     },
     [](T&, int s) { return Same(J(s ? 0.5 : 0.25)); }},
    // The combiner modes clear the combiner's second byte (set before the baseline).
    {"SetPreDCombinerMode", Rep::PerCard, kAny, [](T& t, int ch, int s) { t.M().SetPreDCombinerMode(0, ch, s ? 2 : 1); },
     [](T& t, int) { return StoreOnly(J(t.Rc().PreD.CombinerModePolarity, t.Rc().PreD.CombinerModeOff)); },
     [](T&, int s) { return StoreOnly(J(s ? 2 : 1, 0)); }},
    {"SetPostDCombinerMode", Rep::PerCard, kAny, [](T& t, int ch, int s) { t.M().SetPostDCombinerMode(0, ch, s ? 2 : 1); },
     [](T& t, int) { return StoreOnly(J(t.Rc().PostD.CombinerModePolarity, t.Rc().PostD.CombinerModeOff)); },
     [](T&, int s) { return StoreOnly(J(s ? 2 : 1, 0)); }},
    {"SetPreDSignalBw", Rep::PerCard, kPreD, [](T& t, int ch, int s) { t.M().SetPreDSignalBw(0, ch, s ? 2.5e6 : 1.5e6); },
     [](T& t, int) { return Shown{J(t.C().PreD_GetSignalBandwidthInHz()), J(t.Rc().PreD.SignalBandwidthMhz)}; },
     [](T&, int s) { return Shown{J(s ? 2.5e6 : 1.5e6), J(s ? 2.5 : 1.5)}; }},
    {"SetPreDTimeConst", Rep::PerCard, kPreD, [](T& t, int ch, int s) { t.M().SetPreDTimeConst(0, ch, s ? 0.5 : 0.25); },
     [](T& t, int) { return Shown{J(t.C().PreD_GetTimeConstInSec()), J(t.Rc().PreD.TimeConstSecs)}; },
     [](T&, int s) { return Same(J(s ? 0.5 : 0.25)); }},
    {"SetPreDPhaseTimeConst", Rep::PerCard, kPreD, [](T& t, int ch, int s) { t.M().SetPreDPhaseTimeConst(0, ch, s ? 0.5 : 0.25); },
     [](T& t, int) { return Shown{J(t.C().PreD_GetPhaseTimeConstInSec()), J(t.Rc().PreD.PhaseTimeConstSecs)}; },
     [](T&, int s) { return Same(J(s ? 0.5 : 0.25)); }},
    {"SetPreDNoiseEstimateMode", Rep::PerCard, kPreD,
     [](T& t, int ch, int s) { t.M().SetPreDNoiseEstimateMode(0, ch, s ? "FIXED" : "AUTOMATIC"); },
     [](T& t, int) { return Shown{t.C().PreD_GetNoiseEstimateMode(), SetupText(t.Rc().PreD.NoiseEstimateMode)}; },
     [](T&, int s) { return Same(s ? "FIXED" : "AUTOMATIC"); }},
    // Each channel flag reaches its own combiner channel, in MHz in the setup.
    {"SetPreDCenterFreqA", Rep::PerCard, kPreD, [](T& t, int ch, int s) { t.M().SetPreDCenterFreq(0, ch, 0, s ? 70.5e6 : 70e6); },
     PreDCentres,
     [](T& t, int s) {
       return Shown{J(s ? 70.5e6 : 70e6, t.C().PreD_GetChannelBCenterFreqInHz()), J(s ? 70.5 : 70.0, t.Rc().PreD.CenterFreqChBMhz)};
     }},
    {"SetPreDCenterFreqB", Rep::PerCard, kPreD, [](T& t, int ch, int s) { t.M().SetPreDCenterFreq(0, ch, 1, s ? 70.5e6 : 70e6); },
     PreDCentres,
     [](T& t, int s) {
       return Shown{J(t.C().PreD_GetChannelACenterFreqInHz(), s ? 70.5e6 : 70e6), J(t.Rc().PreD.CenterFreqChAMhz, s ? 70.5 : 70.0)};
     }},
    // The fixed noise is stored as the value x 0.000001.
    {"SetPreDFixedNoiseA", Rep::PerCard, kPreD, [](T& t, int ch, int s) { t.M().SetPreDFixedNoise(0, ch, 0, s ? -150.0 : -160.0); },
     PreDFixedNoises,
     [](T& t, int s) {
       return Shown{J(s ? -150.0 : -160.0, t.C().PreD_GetFixedNoChannelB()), J(s ? -150.0 * 0.000001 : -160.0 * 0.000001, t.Rc().PreD.FixedNoiseChBDbm)};
     }},
    {"SetPreDFixedNoiseB", Rep::PerCard, kPreD, [](T& t, int ch, int s) { t.M().SetPreDFixedNoise(0, ch, 1, s ? -150.0 : -160.0); },
     PreDFixedNoises,
     [](T& t, int s) {
       return Shown{J(t.C().PreD_GetFixedNoChannelA(), s ? -150.0 : -160.0), J(t.Rc().PreD.FixedNoiseChADbm, s ? -150.0 * 0.000001 : -160.0 * 0.000001)};
     }},
    {"SetClockPolarity", Rep::Route, kAny,
     [](T& t, int ch, int s) { t.M().SetClockPolarity(0, ch, s ? "FALLING_EDGE" : "RISING_EDGE"); },
     [](T& t, int ch) {
       return Shown{t.Fm() ? t.C().FmRx_GetOutputClockPolarityMode(ch) : t.C().PskRx_GetStream1OutputClockPolarityMode(ch),
                    SetupText(t.Rx(ch).OutputClockPolarity)};
     },
     [](T&, int s) { return Same(s ? "FALLING_EDGE" : "RISING_EDGE"); }},
    {"SetDataPolarity", Rep::Route, kAny, [](T& t, int ch, int s) { t.M().SetDataPolarity(0, ch, s); },
     [](T& t, int ch) {
       return Shown{J(t.Fm() ? t.C().FmRx_GetOutputInvertEnable(ch) : t.C().PskRx_GetStream1OutputInvertEnable(ch)),
                    J(t.Rx(ch).InvertOutput)};
     },
     [](T&, int s) { return Same(J(s)); }},
    {"SetPcmOutputCode", Rep::Route, kAny, [](T& t, int ch, int s) { t.M().SetPcmOutputCode(0, ch, s ? "BIOL" : "NRZM"); },
     [](T& t, int ch) {
       return Shown{t.Fm() ? t.C().FmRx_GetBitSyncOutputDataEncodingMode(ch) : t.C().PskRx_GetBitSyncStream1OutputDataEncodingMode(ch),
                    SetupText(t.Bs(ch).PcmOutputCode)};
     },
     [](T&, int s) { return Same(s ? "BIOL" : "NRZM"); }},
    {"SetViterbiDecodeEnable", Rep::Always, kAny, [](T& t, int ch, int s) { t.M().SetViterbiDecodeEnable(0, ch, s); },
     [](T& t, int ch) {
       return Shown{J(t.Fm() ? t.C().FmRx_GetViterbiDecodeEnable(ch) : t.C().PskRx_GetViterbiStream1DecodeEnable(ch)),
                    J(t.Bs(ch).ViterbiDecodeEnabled)};
     },
     [](T&, int s) { return Same(J(s)); }},
    // The G1 flag chooses the symbol: the other one stays as it was.
    {"SetViterbiSymbolInvertG1", Rep::Always, kAny, [](T& t, int ch, int s) { t.M().SetViterbiSymbolInvert(0, ch, 1, s); },
     ViterbiInverts,
     [](T&, int s) { return Same(J(s, 0)); }},
    {"SetViterbiSymbolInvertG2", Rep::Always, kAny, [](T& t, int ch, int s) { t.M().SetViterbiSymbolInvert(0, ch, 0, s); },
     ViterbiInverts,
     [](T&, int s) { return Same(J(0, s)); }},
    {"SetViterbiRateMode", Rep::Always, kAny,
     [](T& t, int ch, int s) { t.M().SetViterbiRateMode(0, ch, s ? "RATE_ONE_THIRD" : "RATE_ONE_HALF"); },
     [](T& t, int ch) {
       return Shown{t.Fm() ? t.C().FmRx_GetViterbiRateMode(ch) : t.C().PskRx_GetViterbiStream1RateMode(ch),
                    SetupText(t.Bs(ch).ViterbiRateMode)};
     },
     [](T&, int s) { return Same(s ? "RATE_ONE_THIRD" : "RATE_ONE_HALF"); }},
    {"SetViterbiSymbolOrder", Rep::Always, kAny,
     [](T& t, int ch, int s) { t.M().SetViterbiSymbolOrder(0, ch, s ? "G2G1_ORDER" : "G1G2_ORDER"); },
     [](T& t, int ch) {
       return Shown{t.Fm() ? t.C().FmRx_GetViterbiSymbolOrderMode(ch) : t.C().PskRx_GetViterbiStream1SymbolOrderMode(ch),
                    SetupText(t.Bs(ch).ViterbiSymbolOrder)};
     },
     [](T&, int s) { return Same(s ? "G2G1_ORDER" : "G1G2_ORDER"); }},
    {"SetAgcTimeConst", Rep::Route, kAny, [](T& t, int ch, int s) { t.M().SetAgcTimeConst(0, ch, s ? 3 : 1); },
     [](T& t, int ch) { return StoreOnly(J(t.Dc(ch).TcSelected)); }, [](T&, int s) { return StoreOnly(J(s ? 3 : 1)); }},
    {"SetSawIfFilter", Rep::Route, kAny, [](T& t, int ch, int s) { t.M().SetSawIfFilter(0, ch, s ? 2 : 1); },
     [](T& t, int ch) { return StoreOnly(J(t.Dc(ch).BwFilterSelected)); }, [](T&, int s) { return StoreOnly(J(s ? 2 : 1)); }},
    {"SetDnCvtLimitedOutputMode", Rep::Route, kAny, [](T& t, int ch, int s) { t.M().SetDnCvtLimitedOutputMode(0, ch, s); },
     [](T& t, int ch) { return StoreOnly(J(t.Dc(ch).LimitedOutputMode)); }, [](T&, int s) { return StoreOnly(J(s)); }},
    {"SetDnCvtDigitalAgcMode", Rep::Route, kAny, [](T& t, int ch, int s) { t.M().SetDnCvtDigitalAgcMode(0, ch, s ? 2 : 1); },
     [](T& t, int ch) { return StoreOnly(J(t.Dc(ch).DigitalAgcMode)); }, [](T&, int s) { return StoreOnly(J(s ? 2 : 1)); }},
    // The pattern reaches the card left-justified; the other channel's card gets it, its setup not.
    {"SetBertUserPattern", Rep::RouteCardOnly, kAny,
     [](T& t, int ch, int s) { t.M().SetBertUserPattern(0, ch, s ? 0x1234u : 0xA5u, s ? 16 : 8); },
     [](T& t, int ch) { return Shown{PatternText(t, ch), J(t.Bert(ch).UserPattern, t.Bert(ch).UserPatternLength)}; },
     [](T&, int s) { return s ? Shown{"12340000|16", J(0x1234, 16)} : Shown{"A5000000|8", J(0xA5, 8)}; }},
    {"SetBertSampleLength", Rep::Route, kAny, [](T& t, int ch, int s) { t.M().SetBertSampleLength(0, ch, s ? 10 : 5); },
     [](T& t, int ch) { return StoreOnly(J(t.Bert(ch).NumSecsToAverage)); }, [](T&, int s) { return StoreOnly(J(s ? 10 : 5)); }},
    {"SetBertPnPattern", Rep::Route, kAny, [](T& t, int ch, int s) { t.M().SetBertPnPattern(0, ch, s ? "pn15" : "pn11"); },
     [](T& t, int ch) { return Shown{t.C().Bert_GetPnPattern(ch), SetupText(t.Bert(ch).PrnPattern)}; },
     [](T&, int s) { return Same(s ? "pn15" : "pn11"); }},
    {"SetBertClockPolarity", Rep::Route, kAny,
     [](T& t, int ch, int s) { t.M().SetBertClockPolarity(0, ch, s ? "FALLING_EDGE" : "RISING_EDGE"); },
     [](T& t, int ch) { return Shown{t.C().Bert_GetClockPolarity(ch), SetupText(t.Bert(ch).ClockPolarity)}; },
     [](T&, int s) { return Same(s ? "FALLING_EDGE" : "RISING_EDGE"); }},
    {"SetBertInputSource", Rep::Route, kAny, [](T& t, int ch, int s) { t.M().SetBertInputSource(0, ch, s ? 1 : 2); },
     [](T& t, int ch) { return StoreOnly(J(t.Bert(ch).InputSourceOn)); }, [](T&, int s) { return StoreOnly(J(s ? 1 : 2)); }},
};

void PrintTo(const Personality& p, std::ostream* os) { *os << p.Name; }
void PrintTo(const Row& r, std::ostream* os) { *os << r.Name; }

class SetterTable : public SettersTest, public ::testing::WithParamInterface<std::tuple<Personality, Row>> {};

// Both channels get the baseline (Route Mode 0), then the value is set on one channel in one route
// mode: that channel shows it, the other shows it only when the row's rule repeats it.
TEST_P(SetterTable, ReachesTheCardAndTheSetupOfTheChannelsItsRuleNames) {
  const auto& [personality, row] = GetParam();
  StartPersonality(personality);
  if (HasFatalFailure() || IsSkipped()) return;
  const Shown base = row.Want(*this, 0);
  const Shown value = row.Want(*this, 1);
  ASSERT_NE(base.Store, value.Store);
  for (const auto& [routeMode, channel] : {std::pair{0, 0}, std::pair{1, 0}, std::pair{2, 1}, std::pair{0, 1}}) {
    SCOPED_TRACE("Route Mode " + std::to_string(routeMode) + ", channel " + std::to_string(channel));
    Rc().RouteInfo.RouteMode = 0;
    row.Set(*this, 0, 0);
    row.Set(*this, 1, 0);
    ASSERT_EQ(row.Read(*this, 0), base);
    ASSERT_EQ(row.Read(*this, 1), base);
    Rc().RouteInfo.RouteMode = routeMode;
    row.Set(*this, channel, 1);
    EXPECT_EQ(row.Read(*this, channel), value);
    const bool repeats = row.Rule == Rep::Always || row.Rule == Rep::PerCard ||
                         ((row.Rule == Rep::Route || row.Rule == Rep::RouteCardOnly) && routeMode != 0);
    const Shown other = row.Read(*this, settings::OtherChannel(channel));
    EXPECT_EQ(other.Card, repeats ? value.Card : base.Card);
    EXPECT_EQ(other.Store, repeats && row.Rule != Rep::RouteCardOnly ? value.Store : base.Store);
  }
}

// The rows a personality can take (one with what the row needs).
std::vector<std::tuple<Personality, Row>> RowsFor(const Personality& personality) {
  std::vector<std::tuple<Personality, Row>> rows;
  for (const Row& row : kRows) {
    if ((row.Needs & ~personality.Has) == 0) rows.emplace_back(personality, row);
  }
  return rows;
}
std::string RowName(const ::testing::TestParamInfo<std::tuple<Personality, Row>>& param) {
  return std::get<1>(param.param).Name;
}

INSTANTIATE_TEST_SUITE_P(PskPreD, SetterTable, ::testing::ValuesIn(RowsFor(kPersonalities[0])), RowName);
INSTANTIATE_TEST_SUITE_P(FmPostD, SetterTable, ::testing::ValuesIn(RowsFor(kPersonalities[1])), RowName);

// ---- Edge cases of single setters -----------------------------------------------------------------

class SetterCases : public SettersTest {
 protected:
  void SetUp() override { StartPersonality(kPersonalities[0]); }  // PSK pair with a pre-D combiner
};
class FmSetterCases : public SettersTest {
 protected:
  void SetUp() override { StartPersonality(kPersonalities[1]); }  // PCM/FM pair with a post-D combiner
};

constexpr int kRouteModes[] = {0, 1, 2};

TEST_F(FmSetterCases, PeakDeviationFactorsAreLimitedAndSeparated) {
  struct Case {
    const char* Name;
    double Peak, Spread;
    double Range, Min, Max;  // this channel: stored and sent
  };
  const Case cases[] = {
      {"spread above 0.45", 0.5, 1.0, 0.45, 0.1, 0.95},
      {"spread below 0.01", 0.5, 0.001, 0.01, 0.5 - 0.01, 0.5 + 0.01},
      {"maximum above 1.0", 0.95, 0.2, 0.2, 0.95 - 0.2, 1.0},
      {"equal at the bottom", 0.05, 0.01, 0.01, 0.1, 0.1 + 0.001},
      {"equal at the top", 1.5, 0.01, 0.01, 1.0, 1.0 + 0.001},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Rc().RouteInfo.RouteMode = 1;
    Rx(0).CarrierPeakDeviation = c.Peak;
    M().SetPeakDevCompFactors(0, 0, c.Spread);
    EXPECT_EQ(J(C().FmRx_GetPeakDeviationCompensationFactorMin(0), C().FmRx_GetPeakDeviationCompensationFactorMax(0)),
              J(c.Min, c.Max));
    EXPECT_EQ(J(Rx(0).CarrierPeakDeviationRange, Rx(0).PeakDeviationFactorMin, Rx(0).PeakDeviationFactorMax),
              J(c.Range, c.Min, c.Max));
    // The other channel gets the plain sums, before the limits and the separation.
    const double low = c.Peak - c.Range;
    const double high = c.Peak + c.Range;
    EXPECT_EQ(J(C().FmRx_GetPeakDeviationCompensationFactorMin(1), C().FmRx_GetPeakDeviationCompensationFactorMax(1)),
              J(low, high));
    EXPECT_EQ(J(Rx(1).CarrierPeakDeviationRange, Rx(1).PeakDeviationFactorMin, Rx(1).PeakDeviationFactorMax),
              J(c.Range, low, high));
  }
}

TEST_F(SetterCases, PeakDeviationFactorsLeaveAPskChannelAlone) {
  const card::CardSetupRecord before = Rc();
  M().SetPeakDevCompFactors(0, 0, 0.2);
  EXPECT_EQ(std::memcmp(&before, &Rc(), sizeof before), 0);
}

TEST_F(FmSetterCases, SignalFilterOfAPcmFmChannelIsWorkedOutFor20Mhz) {
  Bs(0).Bitrate = 2'000'000;  // 20 MHz over 2 Mb/s at 0.5 per symbol: ratio 5
  for (double ifMhz : {1.0, 7.0}) {
    SCOPED_TRACE(ifMhz);
    M().SetSignalFilterBwRatio(0, 0, ifMhz);
    EXPECT_EQ(C().FmRx_GetCarrierSignalFilterBandwidthRatio(0), 5.0);
    EXPECT_EQ(Value(Rx(0).CarrierSignalBwRatio), 5.0);
  }
}

// With "AutoSetFreqSpan" on, the data rate sets the channel's FFT span: 2.85 x the rate, 3 to 60
// MHz, whole MHz; the repeat for the other channel does the same.
TEST_F(SetterCases, DataRateSetsTheFftSpanOnlyWithTheOption) {
  struct Case {
    const char* Name;
    bool Option;
    std::int32_t Rate;
    double SpanMhz;
  };
  const Case cases[] = {{"rounded", true, 2'000'000, 6.0},  {"lowest", true, 100'000, 3.0},
                        {"highest", true, 30'000'000, 60.0}, {"option off", false, 4'000'000, 1.0}};
  Rc().RouteInfo.RouteMode = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Opt().AutoSetFreqSpan = c.Option ? 1 : 0;
    for (int ch = 0; ch < 2; ++ch) {
      C().Fft_SetFrequencySpanInHz(ch, 1e6);
      Rc().Fft[ch].SpanMhz = 1.0;
    }
    M().SetDataRate(0, 0, c.Rate);
    for (int ch = 0; ch < 2; ++ch) {
      EXPECT_EQ(Value(Rc().Fft[ch].SpanMhz), c.SpanMhz) << "channel " << ch;
      EXPECT_EQ(C().Fft_GetFrequencySpanInHz(ch), c.SpanMhz * 1e6) << "channel " << ch;
    }
  }
}

// The rate, code, modulation and Viterbi setters run the automatic IF receiver logic afterwards
// (seen by the carrier acquisition range it sets); the others do not.
TEST_F(SetterCases, RateCodeModulationAndViterbiSettersRunTheAutomaticIfLogic) {
  struct Case {
    const char* Name;
    bool RunsLogic;
    void (*Call)(kr20setmgrclass&);
  };
  const Case cases[] = {
      {"ApplyIfRxAutoLogic", true, [](kr20setmgrclass& m) { m.ApplyIfRxAutoLogic(0, 0); }},
      {"SetDataRate", true, [](kr20setmgrclass& m) { m.SetDataRate(0, 0, 1'000'000); }},
      {"SetPcmInputCode", true, [](kr20setmgrclass& m) { m.SetPcmInputCode(0, 0, "NRZL"); }},
      {"SetModulationFormat", true, [](kr20setmgrclass& m) { m.SetModulationFormat(0, 0, "BPSK", 0); }},
      {"SetViterbiDecodeEnable", true, [](kr20setmgrclass& m) { m.SetViterbiDecodeEnable(0, 0, 0); }},
      {"SetViterbiSymbolInvert", true, [](kr20setmgrclass& m) { m.SetViterbiSymbolInvert(0, 0, 1, 0); }},
      {"SetViterbiRateMode", true, [](kr20setmgrclass& m) { m.SetViterbiRateMode(0, 0, "RATE_ONE_HALF"); }},
      {"SetViterbiSymbolOrder", true, [](kr20setmgrclass& m) { m.SetViterbiSymbolOrder(0, 0, "G1G2_ORDER"); }},
      {"SetSignalThreshold", false, [](kr20setmgrclass& m) { m.SetSignalThreshold(0, 0, -60.0); }},
      {"SetPcmOutputCode", false, [](kr20setmgrclass& m) { m.SetPcmOutputCode(0, 0, "NRZL"); }},
      {"SetBitsyncLoopWidth", false, [](kr20setmgrclass& m) { m.SetBitsyncLoopWidth(0, 0, 0.25); }},
      {"SetClockPolarity", false, [](kr20setmgrclass& m) { m.SetClockPolarity(0, 0, "RISING_EDGE"); }},
  };
  Opt().EnableIFCarAcqRgAlg = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Rx(0).CarrierAcqRangeHz = 1.0;
    Rx(1).CarrierAcqRangeHz = 1.0;
    c.Call(M());
    EXPECT_EQ(Value(Rx(0).CarrierAcqRangeHz) != 1.0, c.RunsLogic);
  }
  EXPECT_EQ(Value(Rx(1).CarrierAcqRangeHz), 1.0);  // Route Mode 0: the logic of channel 0 only
}

TEST_F(SetterCases, SetTunedFreqBothTunesChannel1OnlyOutsideRouteMode0) {
  for (int routeMode : kRouteModes) {
    SCOPED_TRACE(routeMode);
    Rc().RouteInfo.RouteMode = routeMode;
    ASSERT_TRUE(dncvt_->AssignKeepFreqInSpecs(0, 2200.0));
    ASSERT_TRUE(dncvt_->AssignKeepFreqInSpecs(1, 2200.0));
    M().SetTunedFreqBoth(0, 2250.0, 2260.0);
    EXPECT_EQ(Value(Dc(0).FreqMhz), 2250.0);
    EXPECT_EQ(Value(Dc(1).FreqMhz), routeMode != 0 ? 2260.0 : 2200.0);
  }
}

TEST_F(SetterCases, DiversityCombinerSourceIsStoredButNotSentToTheReceiver) {
  M().SetInputSource(0, 0, "IF_INPUT2");
  M().SetInputSource(0, 0, card::kDiversityCombinerSource);
  EXPECT_EQ(SetupText(Rx(0).InputSource), card::kDiversityCombinerSource);
  // Independent channels (Route Mode 0) are never fed from the combiner: the routing gives the
  // channel its own input.
  ASSERT_EQ(Value(Rc().RouteInfo.RouteMode), 0);
  EXPECT_EQ(C().PskRx_GetReceiverInputSourceMode(0), "IF_INPUT1");
}

// A usable combiner (post-D, Route Mode 1) takes only a limited IF.
TEST_F(FmSetterCases, LimitedOutputIsForcedWhileTheCombinerIsUsable) {
  for (int routeMode : kRouteModes) {
    SCOPED_TRACE(routeMode);
    Rc().RouteInfo.RouteMode = routeMode;
    M().SetDnCvtLimitedOutputMode(0, 0, 0);
    EXPECT_EQ(Value(Dc(0).LimitedOutputMode), routeMode == 1 ? 1 : 0);
  }
}

TEST_F(SetterCases, LimitedOutputIsNotForcedWithoutAPostDCombiner) {
  Rc().RouteInfo.RouteMode = 1;
  M().SetDnCvtLimitedOutputMode(0, 0, 0);
  EXPECT_EQ(Value(Dc(0).LimitedOutputMode), 0);
}

// Restarting acquisition and resetting the BERT show only on a card that receives: both channels
// lock onto a PN15 BPSK signal on a manual clock, then one channel is restarted or reset. The
// setup names no input source, so that the routing re-applied in Route Mode 0 (which sends the
// sources again and so restarts the receivers) leaves the card alone.
class LiveSetterCases : public SettersTest {
 protected:
  void SetUp() override {
    const std::string signal = "70e6, -40, BPSK, 1e6, 20, NRZL";
    WriteSimConfig(1, "[Card_0]\nChipVariant=YES\nFpgaMode=4\nIfInput1=" + signal + "\nIfInput1Pattern=pn15\nIfInput2=" +
                          signal + "\nIfInput2Pattern=pn15\n", true);
    if (HasFatalFailure() || IsSkipped()) return;
    clock_ = settingstest::SimHook<void (*)(int)>(sim_ + "/librtZp903x.so", "QuorxSim_UseManualClock");
    advance_ = settingstest::SimHook<int (*)(double)>(sim_ + "/librtZp903x.so", "QuorxSim_AdvanceSeconds");
    ASSERT_TRUE(clock_ != nullptr && advance_ != nullptr);
    clock_(1);
    OpenSimCards(1, true);
    hwcfg_->CardSetRecords[0] = card::HwCfgCardSetRecord{0, 2, {0, 1}};
    manager_ = std::make_unique<kr20setmgrclass>();
    for (int ch = 0; ch < 2; ++ch) {
      C().PskRx_SetReceiverInputSourceMode(ch, ch == 0 ? "IF_INPUT1" : "IF_INPUT2");
      card::SetSetupText(Rx(ch).InputSource, "");
      C().PskRx_SetCarrierModulationMode(ch, "BPSK");
      C().PskRx_SetCarrierCenterFrequencyInHz(ch, 70e6);
      C().PskRx_SetBitSyncStream1RateInbps(ch, 1e6);
      C().Bert_SetPnPattern(ch, "pn15");
    }
  }
  void TearDown() override {
    SettersTest::TearDown();
    if (clock_ != nullptr) clock_(0);
  }
  // Both channels locked and counting after a while.
  void LockBoth() {
    ASSERT_EQ(advance_(3.0), 0);
    for (int ch = 0; ch < 2; ++ch) {
      ASSERT_EQ(C().PskRx_GetCarrierLockState(ch), "LOCKED") << ch;
      ASSERT_GT(C().Bert_GetTotalBits(ch), 0.0) << ch;
    }
  }
  void (*clock_)(int) = nullptr;
  int (*advance_)(double) = nullptr;
};

TEST_F(LiveSetterCases, RestartAndBertResetReachTheOtherChannelOutsideRouteMode0) {
  for (int routeMode : kRouteModes) {
    SCOPED_TRACE(routeMode);
    Rc().RouteInfo.RouteMode = routeMode;
    LockBoth();
    M().ResetBertStats(0, 1);
    EXPECT_EQ(C().Bert_GetTotalBits(1), 0.0);
    EXPECT_EQ(C().Bert_GetTotalBits(0) == 0.0, routeMode != 0);

    LockBoth();
    M().RestartAcquisition(0, 0);
    EXPECT_EQ(C().PskRx_GetCarrierLockState(0), "UNLOCKED");
    EXPECT_EQ(C().PskRx_GetCarrierLockState(1), routeMode != 0 ? "UNLOCKED" : "LOCKED");
  }
}

// The PM and multi-h CPM receivers of channel 0 (PM + PSK, multi-h CPM + PSK): a multi-h CPM
// setting goes out as the receiver's whole setup from the stored fields; a repeat from the PSK
// channel reaches a PM channel's setup only (it is sent as PSK, which a PM receiver does not take).
class FamilySetterCases : public SettersTest, public ::testing::WithParamInterface<int> {};

struct FamilyCase {
  const char* Name;
  int Mode;
  void (*Call)(kr20setmgrclass&);
  std::string (*Read)(T&);
  const char* Want;
};

const FamilyCase kFamilyCases[] = {
    {"MhCpmDataRate", 14, [](kr20setmgrclass& m) { m.SetDataRate(0, 0, 2'000'000); },
     [](T& t) { return J(t.C().MhCpmRx_GetBitSyncRateInbps(0), t.Bs(0).Bitrate); }, "2e+06|2000000"},
    {"MhCpmCarrierCenterFreq", 14, [](kr20setmgrclass& m) { m.SetCarrierCenterFreq(0, 0, 70.5e6); },
     [](T& t) { return J(t.C().MhCpmRx_GetCarrierCenterFrequencyInMhz(0), t.Rx(0).MhCpmCarrierFrequencyMhz, t.Rx(0).CarrierFreqMhz); },
     "70.5|70.5|70.5"},
    {"MhCpmCarrierAcqRange", 14, [](kr20setmgrclass& m) { m.SetCarrierAcqRange(0, 0, 2e5); },
     [](T& t) { return J(t.C().MhCpmRx_GetCarrierAcquisitionRangeInHz(0), t.Rx(0).MhCpmLoopValue, t.Rx(0).CarrierAcqRangeHz); },
     "2e+05|2e+05|2e+05"},
    {"MhCpmCarrierAcqLoopBw", 14, [](kr20setmgrclass& m) { m.SetCarrierAcqLoopBw(0, 0, 3.5); },
     [](T& t) { return J(t.C().MhCpmRx_GetCarrierAcquisitionLoopBandwidthInPercent(0), t.Rx(0).MhCpmCarrierloopbandwidthPct); },
     "3.5|3.5"},
    {"MhCpmBitsyncAcqRange", 14, [](kr20setmgrclass& m) { m.SetBitsyncAcqRange(0, 0, 2.5); },
     [](T& t) {
       return J(t.C().MhCpmRx_GetBitSyncAcquisitionRangeInPercent(0), t.Rx(0).MhCpmSymbolloopbandwidthPct, t.Bs(0).AcqLoopBandwidthPct);
     },
     "2.5|2.5|2.5"},
    {"MhCpmPcmInputCode", 14, [](kr20setmgrclass& m) { m.SetPcmInputCode(0, 0, "NRZM"); },
     [](T& t) { return J(t.C().MhCpmRx_GetBitSyncInputDataDecodingMode(0), SetupText(t.Bs(0).PcmInputCode)); }, "NRZM|NRZM"},
    {"MhCpmDataPolarity", 14, [](kr20setmgrclass& m) { m.SetDataPolarity(0, 0, 1); },
     [](T& t) { return J(t.C().MhCpmRx_GetOutputInvertEnable(0), t.Rx(0).InvertOutput); }, "1|1"},
    {"MhCpmClockPolarity", 14, [](kr20setmgrclass& m) { m.SetClockPolarity(0, 0, "FALLING_EDGE"); },
     [](T& t) { return J(t.C().MhCpmRx_GetOutputClockPolarityMode(0), SetupText(t.Rx(0).OutputClockPolarity)); },
     "FALLING_EDGE|FALLING_EDGE"},
    {"MhCpmPcmOutputCode", 14, [](kr20setmgrclass& m) { m.SetPcmOutputCode(0, 0, "BIOL"); },
     [](T& t) { return J(t.C().MhCpmRx_GetBitSyncOutputDataEncodingMode(0), SetupText(t.Bs(0).PcmOutputCode)); }, "BIOL|BIOL"},
    {"PmCarrierCenterFreq", 13, [](kr20setmgrclass& m) { m.SetCarrierCenterFreq(0, 0, 70.5e6); },
     [](T& t) { return J(t.C().PmRx_GetCarrierCenterFrequencyInHz(0), t.Rx(0).CarrierFreqMhz); }, "70500000|70.5"},
    {"PmCarrierAcqRange", 13, [](kr20setmgrclass& m) { m.SetCarrierAcqRange(0, 0, 2e5); },
     [](T& t) { return J(t.C().PmRx_GetCarrierAcquisitionRangeInHz(0), t.Rx(0).CarrierAcqRangeHz); }, "2e+05|2e+05"},
    {"PmCarrierAcqMode", 13, [](kr20setmgrclass& m) { m.SetCarrierAcqMode(0, 0, "UNAIDED"); },
     [](T& t) { return J(t.C().PmRx_GetCarrierAcquisitionMode(0), t.Rx(0).CarrierAcqModeUnaided); }, "UNAIDED|1"},
    {"PmCarrierAcqLoopBw", 13, [](kr20setmgrclass& m) { m.SetCarrierAcqLoopBw(0, 0, 3500.0); },
     [](T& t) { return J(t.C().PmRx_GetCarrierAcquisitionLoopBandwidthInHz(0), t.Rx(0).CarrierAcqLoopBandwidthHz); }, "3500|3500"},
    {"PmCarrierTrackLoopBw", 13, [](kr20setmgrclass& m) { m.SetCarrierTrackLoopBw(0, 0, 350.0); },
     [](T& t) { return J(t.C().PmRx_GetCarrierTrackLoopBandwidthInHz(0), t.Rx(0).CarrierTrkLoopBandwidthHz); }, "350|350"},
    {"PmSignalThreshold", 13, [](kr20setmgrclass& m) { m.SetSignalThreshold(0, 0, -75.0); },
     [](T& t) { return J(t.C().PmRx_GetCarrierSignalThresholdIndBm(0), t.Rx(0).CarrierThesholdDbm); }, "-75|-75"},
    {"PmInputSource", 13, [](kr20setmgrclass& m) { m.SetInputSource(0, 0, "IF_2"); },
     [](T& t) { return J(t.C().PmRx_GetInputSource(0), SetupText(t.Rx(0).InputSource)); }, "IF_2|IF_2"},
    {"PmThresholdRepeatedFromPsk", 13,
     [](kr20setmgrclass& m) {
       m.SetSignalThreshold(0, 0, -75.0);
       gRtl20Mgr->Card(0)->Setup().RouteInfo.RouteMode = 1;
       m.SetSignalThreshold(0, 1, -65.0);
     },
     [](T& t) {
       return J(t.C().PmRx_GetCarrierSignalThresholdIndBm(0), t.Rx(0).CarrierThesholdDbm,
                t.C().PskRx_GetReceiverSignalLevelQualificationThreshold(1));
     },
     "-75|-65|-65"},
    // Multi-h CPM + PCM/FM combined: a loop bandwidth set in hertz on the PCM/FM channel does not
    // become per cent in the multi-h CPM channel's setup (10000 % while its page showed 1.00).
    {"MhCpmLoopBwsNotRepeatedFromPcmFm", 15,
     [](kr20setmgrclass& m) {
       card::ReceiverRecord& mh = gRtl20Mgr->Card(0)->Setup().Receiver[0];
       m.SetCarrierAcqLoopBw(0, 0, 1.0);
       mh.CarrierAcqLoopBandwidthPct = 1.0;
       mh.CarrierTrkLoopBandwidthPct = 0.5;
       gRtl20Mgr->Card(0)->Setup().RouteInfo.RouteMode = 1;
       m.SetCarrierAcqLoopBw(0, 1, 10000.0);
       m.SetCarrierTrackLoopBw(0, 1, 5600.0);
     },
     [](T& t) {
       return J(t.Rx(0).MhCpmCarrierloopbandwidthPct, t.Rx(0).CarrierAcqLoopBandwidthPct, t.Rx(0).CarrierTrkLoopBandwidthPct,
                t.C().FmRx_GetCarrierAcquisitionLoopBandwidthInHz(1), t.Rx(1).CarrierAcqLoopBandwidthHz,
                t.C().FmRx_GetCarrierTrackingLoopBandwidthInHz(1), t.Rx(1).CarrierTrkLoopBandwidthHz);
     },
     "1|1|0.5|10000|10000|5600|5600"},
};

TEST_P(FamilySetterCases, ReachTheReceiverOfTheChannelsFamily) {
  const FamilyCase& c = kFamilyCases[GetParam()];
  StartCard("YES", c.Mode, card::HwCfgCardSetRecord{0, 2, {0, 1}}, true);
  if (HasFatalFailure() || IsSkipped()) return;
  c.Call(M());
  EXPECT_EQ(c.Read(*this), c.Want);
}

INSTANTIATE_TEST_SUITE_P(PmAndMultiHCpm, FamilySetterCases, ::testing::Range(0, static_cast<int>(std::size(kFamilyCases))),
                         [](const auto& param) { return std::string(kFamilyCases[param.param].Name); });

TEST_F(SetterCases, TuningRepeatsOnlyOutsideFrequencyDiversity) {
  for (bool diversity : {false, true}) {
    for (int routeMode : kRouteModes) {
      SCOPED_TRACE(std::to_string(routeMode) + (diversity ? " diversity" : ""));
      Rec().RouteInfo.RouteMode = routeMode;
      Rec().RouteInfo.PreDCombinerMode = diversity ? 1 : 0;
      Rec().PreD.CombinerModeOff = 0;
      Rec().PreD.CombinerModePolarity = 0;
      ASSERT_EQ(card::IsFreqDiversityCombining(0), diversity && routeMode != 0);
      ASSERT_TRUE(dncvt_->AssignKeepFreqInSpecs(1, 2200.0));
      const double mhz = 2250.0 + routeMode;
      manager_->SetTunedFreq(0, 0, mhz);
      EXPECT_EQ(Value(Dc(0).FreqMhz), mhz);
      EXPECT_EQ(Value(Dc(1).FreqMhz), routeMode != 0 && !diversity ? mhz : 2200.0);
    }
  }
}

TEST_F(SetterCases, ConverterSettersRepeatOnlyWhereTheOtherChannelHasAConverter) {
  Rec().RouteInfo.RouteMode = 1;
  manager_->SetSawIfFilter(0, 1, 2);
  EXPECT_EQ(Value(Dc(0).BwFilterSelected), 2);
  hwcfg_->CardSetRecords[0] = card::HwCfgCardSetRecord{0, 2, {0, -1}};  // channel 1 without a converter
  Dc(0).BwFilterSelected = 0;
  Dc(1).TcSelected = 7;
  manager_->SetAgcTimeConst(0, 0, 3);
  EXPECT_EQ(Value(Dc(0).TcSelected), 3);
  EXPECT_EQ(Value(Dc(1).TcSelected), 7);  // converter 1 is tied to no channel
  // Channel 1 has no converter: nothing changes, not even through its other channel.
  manager_->SetSawIfFilter(0, 1, 2);
  EXPECT_EQ(Value(Dc(0).BwFilterSelected), 0);
}

TEST_F(SetterCases, AgcZeroAndRestartFillTheChannelsStatusRecord) {
  Rec().RouteInfo.RouteMode = 1;
  manager_->StatusRecord(0, 0).DnCvt.SignalStrength = -42.0;
  manager_->StatusRecord(0, 1).DnCvt.SignalStrength = -43.0;
  manager_->SetAgcZero(0, 0, 1);
  EXPECT_EQ(Value(manager_->StatusRecord(0, 0).AgcZeroReference), -42.0);
  EXPECT_EQ(Value(manager_->StatusRecord(0, 1).AgcZeroReference), -43.0);
  EXPECT_EQ(Value(Dc(1).AgcZeroEnabled), 1);

  manager_->RestartAcquisition(0, 1);
  EXPECT_EQ(Value(manager_->StatusRecord(0, 1).Receiver.LowestSignalFreqHz), 70'000'000.0);
  EXPECT_EQ(Value(manager_->StatusRecord(0, 0).Receiver.HighestSignalFreqHz), 0.0);
}

TEST_F(SetterCases, LongTextsAreCutToTheirFields) {
  manager_->SetBertPnPattern(0, 0, std::string(100, 'X'));
  manager_->SetPostDDiversityOutput(0, 0, std::string(200, 'Y'));
  EXPECT_EQ(SetupText(Rec().RxBert[0].PrnPattern), std::string(card::kSetupTextLen - 1, 'X'));
  EXPECT_EQ(SetupText(Rec().PostD.DiversityOutput), std::string(103, 'Y'));
  EXPECT_EQ(Value(Rec().PostD.CombinerModePolarity), 0);  // nothing written past the text
}

TEST_F(SetterCases, OutOfRangeIndicesDoNothing) {
  Rec().RouteInfo.RouteMode = 1;
  const card::CardSetupRecord before = Rec();
  const card::DnCvtChannelRecords converters = dncvt_->Records;
  for (const auto& [card, channel] : {std::pair{1, 0}, std::pair{-1, 0}, std::pair{6, 1}, std::pair{0, 2},
                                      std::pair{0, -1}}) {
    manager_->SetSignalThreshold(card, channel, -10.0);
    manager_->SetInputSource(card, channel, "IF_INPUT2");
    manager_->SetTunedFreq(card, channel, 2260.0);
    manager_->SetPreDTimeConst(card, channel, 9.0);
    manager_->SetBertPnPattern(card, channel, "X");
    manager_->RestartAcquisition(card, channel);
  }
  manager_->SetTunedFreqBoth(3, 2260.0, 2261.0);
  EXPECT_EQ(std::memcmp(&before, &Rec(), sizeof before), 0);
  EXPECT_EQ(std::memcmp(&converters, &dncvt_->Records, sizeof converters), 0);
}

}  // namespace
