// The setters of the set manager. Every family branch names the device operation of the
// channel's receiver; on the repeat for the other channel several setters collapse the families
// (PM or multi-h CPM sent as PSK), as the card software always has.
#include <array>
#include <string>

#include "card/card_routines.h"
#include "card/dncvt_manager.h"
#include "card/fpga_image_header.h"
#include "card/personality_routines.h"
#include "card/rtl20_manager.h"
#include "card/setup_routines.h"
#include "config/options_store.h"
#include "settings/set_manager.h"

using settings::SetterId;
using Context = kr20setmgrclass::Context;

namespace {

card::ReceiverRecord& Rx(const Context& c) { return c.Setup->Receiver[c.Channel]; }
card::BitSyncRecord& Bs(const Context& c) { return c.Setup->Receiver[c.Channel].BitSync[0]; }
card::RxBertRecord& Bert(const Context& c) { return c.Setup->RxBert[c.Channel]; }

// A carrier loop bandwidth is in hertz on a PCM/FM or PM receiver and in per cent of the rate on
// a PSK or multi-h CPM one: the mirror takes it only to a receiver of the same family, as the
// modulation's mirror does, so that 10 kHz set on a PCM/FM channel never becomes 10000 % on its
// partner.
bool SameFamily(const Context& a, const Context& b) { return a.Pm == b.Pm && a.PcmFm == b.PcmFm && a.MhCpm == b.MhCpm; }

const config::kr20optinfo* Options() {
  return config::gApp.Options != nullptr ? &config::gApp.Options->Info() : nullptr;
}

// The whole multi-h CPM receiver setup, from the channel's stored fields.
void SendMhCpmTotalSetup(const Context& c) {
  const card::ReceiverRecord& rx = Rx(c);
  const std::int32_t bitRate = rx.BitSync[0].Bitrate;
  const std::uint8_t invert = rx.InvertOutput;
  c.Object->MhCpmRx_SetTotalSetup(c.Channel, card::SetupText(rx.BitSync[0].PcmInputCode), invert != 0,
                                  card::SetupText(rx.OutputClockPolarity), card::SetupText(rx.BitSync[0].PcmOutputCode),
                                  static_cast<double>(bitRate), rx.MhCpmLoopValue, rx.MhCpmCarrierFrequencyMhz,
                                  rx.MhCpmCarrierloopbandwidthPct, rx.MhCpmSymbolloopbandwidthPct);
}

// Tunes a tied converter; nothing without one.
void Tune(const Context& c, double freqMhz) {
  if (c.DcIndex < 0 || gDnCvtMgr == nullptr) return;
  card::AssignKeepFreqInSpecs(c.DcIndex, freqMhz);
  gDnCvtMgr->DnCvtApplySetup(c.DcIndex);
}

}  // namespace

template <class Step>
void kr20setmgrclass::Run(SetterId id, int card, int channel, Step step) {
  Context here;
  if (!ContextOf(card, channel, here)) return;
  const settings::SetterRule& rule = settings::RuleOf(id);
  const std::int32_t routeMode = here.Setup->RouteInfo.RouteMode;
  if (rule.RouteApply) card::ApplyGroupSetupToCards(routeMode, card, here.Setup);
  step(here, false);
  if (rule.Rule == settings::Repeat::Never || rule.Rule == settings::Repeat::PerCard) return;
  Context other;
  if (!ContextOf(card, settings::OtherChannel(channel), other)) return;
  const bool freqDiversity = rule.Rule == settings::Repeat::OutsideFreqDiversity && card::IsFreqDiversityCombining(card);
  if (settings::RepeatsForOtherChannel(rule.Rule, routeMode, freqDiversity, here.DcIndex >= 0 && other.DcIndex >= 0)) {
    step(other, true);
  }
}

// ---- Down-converter -----------------------------------------------------------------------------

void kr20setmgrclass::SetAgcFreeze(int card, int channel, std::uint8_t on) {
  Run(SetterId::AgcFreeze, card, channel, [&](const Context& c, bool) {
    if (gDnCvtMgr != nullptr) gDnCvtMgr->DnCvtSetAgcFreeze(c.DcIndex, on);
  });
}

void kr20setmgrclass::SetAgcZero(int card, int channel, std::uint8_t on) {
  Run(SetterId::AgcZero, card, channel, [&](const Context& c, bool) {
    if (gDnCvtMgr != nullptr) gDnCvtMgr->DnCvtSetAgcZero(c.DcIndex, on);
    if (on != 0) {
      settings::ChannelStatusRecord& status = StatusRecord(c.Card, c.Channel);
      status.AgcZeroReference = status.DnCvt.SignalStrength;
    }
  });
}

void kr20setmgrclass::SetTunedFreq(int card, int channel, double freqMhz) {
  Run(SetterId::TunedFreq, card, channel, [&](const Context& c, bool) { Tune(c, freqMhz); });
}

void kr20setmgrclass::SetTunedFreqBoth(int card, double freqMhzCh0, double freqMhzCh1) {
  Context first;
  if (!ContextOf(card, 0, first)) return;
  const std::int32_t routeMode = first.Setup->RouteInfo.RouteMode;
  Tune(first, freqMhzCh0);
  Context second;
  if (settings::RepeatsForOtherChannel(settings::RuleOf(SetterId::TunedFreqBoth).Rule, routeMode, false, true) &&
      ContextOf(card, 1, second)) {
    Tune(second, freqMhzCh1);
  }
}

void kr20setmgrclass::SetAgcTimeConst(int card, int channel, std::int32_t tcIndex) {
  Run(SetterId::AgcTimeConst, card, channel, [&](const Context& c, bool) {
    if (c.DcIndex >= 0 && gDnCvtMgr != nullptr) gDnCvtMgr->DnCvtSetTimeConstant(c.DcIndex, tcIndex);
  });
}

void kr20setmgrclass::SetSawIfFilter(int card, int channel, std::int32_t filterIndex) {
  Run(SetterId::SawIfFilter, card, channel, [&](const Context& c, bool) {
    if (c.DcIndex >= 0 && gDnCvtMgr != nullptr) gDnCvtMgr->DnCvtSetIfBandwidth(c.DcIndex, filterIndex);
  });
}

void kr20setmgrclass::SetDnCvtLimitedOutputMode(int card, int channel, std::uint8_t limited) {
  // A usable combiner takes only limited IF.
  const std::uint8_t value = card::IsCombinerUsable(card) ? std::uint8_t{1} : limited;
  Run(SetterId::DnCvtLimitedOutputMode, card, channel, [&](const Context& c, bool) {
    if (c.DcIndex >= 0 && gDnCvtMgr != nullptr) gDnCvtMgr->DnCvtSetLimitedOutputMode(c.DcIndex, value);
  });
}

void kr20setmgrclass::SetDnCvtDigitalAgcMode(int card, int channel, std::int32_t mode) {
  Run(SetterId::DnCvtDigitalAgcMode, card, channel, [&](const Context& c, bool) {
    if (c.DcIndex >= 0 && gDnCvtMgr != nullptr) gDnCvtMgr->DnCvtSetDigitalAgcMode(c.DcIndex, mode);
  });
}

// ---- Receiver -----------------------------------------------------------------------------------

void kr20setmgrclass::RestartAcquisition(int card, int channel) {
  Run(SetterId::RestartAcquisition, card, channel, [&](const Context& c, bool mirror) {
    if (c.Pm && !mirror) {
      c.Object->PmRx_RestartReceiverAcquisition(c.Channel);
    } else if (c.PcmFm) {
      c.Object->FmRx_ReceiverRestartAcquisition(c.Channel);
    } else if (c.MhCpm) {
      c.Object->MhCpmRx_RestartReceiverAcquisition(c.Channel);
    } else {
      c.Object->PskRx_ReceiverRestartAcquisition(c.Channel);
    }
    if (!mirror) {
      settings::ReceiverStatusBlock& status = StatusRecord(c.Card, c.Channel).Receiver;
      status.HighestSignalFreqHz = 70'000'000.0;
      status.LowestSignalFreqHz = 70'000'000.0;
    }
  });
}

void kr20setmgrclass::ApplyIfRxAutoLogic(int card, int channel) { card::RunIfRxAutoLogic(card, channel); }

void kr20setmgrclass::SetDataRate(int card, int channel, std::int32_t bitRate) {
  Run(SetterId::DataRate, card, channel, [&](const Context& c, bool mirror) {
    Bs(c).Bitrate = bitRate;
    if (c.DcRecord != nullptr) c.DcRecord->Setup.BitRate = bitRate;
    if (c.MhCpm) {
      SendMhCpmTotalSetup(c);
    } else if (c.Pm && !mirror) {
      // The PM receiver has no bit sync.
    } else if (c.PcmFm) {
      c.Object->FmRx_SetBitSyncRateInbps(c.Channel, bitRate);
    } else {
      c.Object->PskRx_SetBitSyncStream1RateInbps(c.Channel, bitRate);
    }
    ApplyIfRxAutoLogic(c.Card, c.Channel);
    const config::kr20optinfo* options = Options();
    if (options != nullptr && options->AutoSetFreqSpan != 0) card::AutoSetFftSpanForChannel(c.Card, c.Channel);
  });
}

void kr20setmgrclass::SetPcmInputCode(int card, int channel, std::string_view code) {
  const card::PrnCode split = card::NormalizePrnPattern(code);
  Run(SetterId::PcmInputCode, card, channel, [&](const Context& c, bool mirror) {
    card::SetSetupText(Bs(c).PcmInputCode, code);
    if (c.DcRecord != nullptr) {
      const int number = card::PcmCodeNumber(split.Code);
      c.DcRecord->Setup.BitsyncInputCode = number;
      c.DcRecord->Setup.BiPhaseCode = card::IsBiphaseCode(number) ? 1 : 0;
    }
    if (c.MhCpm && !mirror) {
      SendMhCpmTotalSetup(c);
    } else if (c.PcmFm) {
      c.Object->FmRx_SetBitSyncInputDataDecodingMode(c.Channel, split.Code);
      c.Object->FmRx_SetBitSyncDescramblerMode(c.Channel, split.Descrambler);
    } else if (!c.Pm || mirror) {
      c.Object->PskRx_SetBitSyncStream1InputDataDecodingMode(c.Channel, split.Code);
      c.Object->PskRx_SetBitSyncStream1DescramblerMode(c.Channel, split.Descrambler);
    }
    ApplyIfRxAutoLogic(c.Card, c.Channel);
  });
}

void kr20setmgrclass::SetModulationFormat(int card, int channel, std::string_view modulation,
                                          std::uint8_t pcmFmWanted) {
  const std::string text(modulation);
  // The families of the channel set, once its personality is settled.
  std::array<bool, 3> family{};
  Run(SetterId::ModulationFormat, card, channel, [&](const Context& given, bool mirror) {
    Context c = given;
    if (!mirror) {
      card::ChangeModulationMode(c.Card, c.Channel, text, pcmFmWanted != 0);
      // A personality change moves the channel's family.
      if (!ContextOf(c.Card, c.Channel, c)) return;
      family = {c.Pm, c.PcmFm, c.MhCpm};
      // UAQPSK demodulation setup goes here once the card layer offers it.
      if (!c.Pm && !c.PcmFm && !c.MhCpm) c.Object->PskRx_SetCarrierModulationMode(c.Channel, text);
    } else if (family != std::array<bool, 3>{c.Pm, c.PcmFm, c.MhCpm}) {
      return;  // the other channel's receiver is of another family: it keeps its own modulation
    } else if (!c.PcmFm) {
      c.Object->PskRx_SetCarrierModulationMode(c.Channel, text);
    }
    card::SetSetupText(Rx(c).DemodMode, text);
    if (c.DcRecord != nullptr) c.DcRecord->Setup.ModulationType = card::ModulationNumber(text);
    ApplyIfRxAutoLogic(c.Card, c.Channel);
  });
}

void kr20setmgrclass::SetInputSource(int card, int channel, std::string_view source) {
  Context c;
  if (!ContextOf(card, channel, c)) return;
  card::SetSetupText(Rx(c).InputSource, source);
  const std::int32_t routeMode = c.Setup->RouteInfo.RouteMode;
  card::ApplyGroupSetupToCards(routeMode, card, c.Setup);
  // A channel fed from the diversity combiner takes no input-source call.
  const std::string stored = card::SetupText(Rx(c).InputSource);
  if (stored == card::kDiversityCombinerSource || c.MhCpm) return;
  if (c.Pm) {
    c.Object->PmRx_SetInputSource(c.Channel, stored);
  } else if (c.PcmFm) {
    c.Object->FmRx_SetReceiverInputSourceMode(c.Channel, stored);
  } else {
    c.Object->PskRx_SetReceiverInputSourceMode(c.Channel, stored);
  }
}

void kr20setmgrclass::SetPostDDiversityOutput(int card, int channel, std::string_view output) {
  const std::string text(output);
  Run(SetterId::PostDDiversityOutput, card, channel, [&](const Context& c, bool) {
    c.Object->PostD_SetDiversityOutput(text);
    card::SetSetupText(c.Setup->PostD.DiversityOutput, text);
  });
}

void kr20setmgrclass::SetCarrierCenterFreq(int card, int channel, double hz) {
  const double mhz = hz * 0.000001;
  Context first;
  if (ContextOf(card, channel, first)) Rx(first).CarrierFreqMhz = mhz;
  Run(SetterId::CarrierCenterFreq, card, channel, [&](const Context& c, bool mirror) {
    if (c.MhCpm && !mirror) {
      Rx(c).MhCpmCarrierFrequencyMhz = mhz;
      SendMhCpmTotalSetup(c);
    } else if (c.Pm) {
      c.Object->PmRx_SetCarrierCenterFrequencyInHz(c.Channel, hz);
    } else if (c.PcmFm) {
      c.Object->FmRx_SetCarrierCenterFrequencyInHz(c.Channel, hz);
    } else {
      c.Object->PskRx_SetCarrierCenterFrequencyInHz(c.Channel, hz);
    }
    Rx(c).CarrierFreqMhz = mhz;
  });
}

void kr20setmgrclass::SetCarrierAcqRange(int card, int channel, double rangeHz) {
  Run(SetterId::CarrierAcqRange, card, channel, [&](const Context& c, bool mirror) {
    Rx(c).CarrierAcqRangeHz = rangeHz;
    if (c.MhCpm && !mirror) {
      Rx(c).MhCpmLoopValue = rangeHz;
      SendMhCpmTotalSetup(c);
    } else if (c.Pm && !mirror) {
      c.Object->PmRx_SetCarrierAcquisitionRangeInHz(c.Channel, rangeHz);
    } else if (c.PcmFm) {
      c.Object->FmRx_SetCarrierAcquisitionRangeInHz(c.Channel, rangeHz);
    } else {
      c.Object->PskRx_SetCarrierAcquisitionRangeInHz(c.Channel, rangeHz);
    }
  });
}

void kr20setmgrclass::SetCarrierAcqMode(int card, int channel, std::string_view mode) {
  const std::string text(mode);
  Run(SetterId::CarrierAcqMode, card, channel, [&](const Context& c, bool mirror) {
    if (c.Pm && !mirror) {
      c.Object->PmRx_SetCarrierAcquisitionMode(c.Channel, text);
    } else if (!c.PcmFm) {
      c.Object->PskRx_SetCarrierAcquisitionMode(c.Channel, text);
    }
    Rx(c).CarrierAcqModeUnaided = text == "UNAIDED" ? 1 : 0;
  });
}

void kr20setmgrclass::SetCarrierAcqLoopBw(int card, int channel, double bandwidth) {
  Context source;
  if (!ContextOf(card, channel, source)) return;
  Run(SetterId::CarrierAcqLoopBw, card, channel, [&](const Context& c, bool mirror) {
    if (mirror && !SameFamily(source, c)) return;
    if (c.MhCpm && !mirror) {
      Rx(c).MhCpmCarrierloopbandwidthPct = bandwidth;
      SendMhCpmTotalSetup(c);
    } else if (c.Pm && !mirror) {
      c.Object->PmRx_SetCarrierAcquisitionLoopBandwidthInHz(c.Channel, bandwidth);
      Rx(c).CarrierAcqLoopBandwidthHz = bandwidth;
    } else if (c.PcmFm) {
      c.Object->FmRx_SetCarrierAcquisitionLoopBandwidthInHz(c.Channel, bandwidth);
      Rx(c).CarrierAcqLoopBandwidthHz = bandwidth;
    } else {
      c.Object->PskRx_SetCarrierAcquisitionLoopBandwidthInPercentOfStream1BitRate(c.Channel, bandwidth);
      Rx(c).CarrierAcqLoopBandwidthPct = bandwidth;
    }
  });
}

void kr20setmgrclass::SetCarrierTrackLoopBw(int card, int channel, double bandwidth) {
  Context source;
  if (!ContextOf(card, channel, source)) return;
  Run(SetterId::CarrierTrackLoopBw, card, channel, [&](const Context& c, bool mirror) {
    if (mirror && !SameFamily(source, c)) return;
    if (c.Pm && !mirror) {
      c.Object->PmRx_SetCarrierTrackLoopBandwidthInHz(c.Channel, bandwidth);
      Rx(c).CarrierTrkLoopBandwidthHz = bandwidth;
    } else if (c.PcmFm) {
      c.Object->FmRx_SetCarrierTrackingLoopBandwidthInHz(c.Channel, bandwidth);
      Rx(c).CarrierTrkLoopBandwidthHz = bandwidth;
    } else {
      c.Object->PskRx_SetCarrierTrackingLoopBandwidthInPercentOfStream1BitRate(c.Channel, bandwidth);
      Rx(c).CarrierTrkLoopBandwidthPct = bandwidth;
    }
  });
}

void kr20setmgrclass::SetSignalThreshold(int card, int channel, double threshold) {
  Run(SetterId::SignalThreshold, card, channel, [&](const Context& c, bool mirror) {
    if (c.Pm && !mirror) {
      c.Object->PmRx_SetCarrierSignalThresholdIndBm(c.Channel, threshold);
    } else if (c.PcmFm) {
      c.Object->FmRx_SetReceiverSignalLevelQualificationThreshold(c.Channel, threshold);
    } else {
      c.Object->PskRx_SetReceiverSignalLevelQualificationThreshold(c.Channel, threshold);
    }
    Rx(c).CarrierThesholdDbm = threshold;
  });
}

void kr20setmgrclass::SetSignalFilterBwRatio(int card, int channel, double ifBandwidthMhz) {
  Run(SetterId::SignalFilterBwRatio, card, channel, [&](const Context& c, bool) {
    // A PCM/FM receiver always filters for the widest IF.
    const double bandwidthHz = c.PcmFm ? 20'000'000.0 : ifBandwidthMhz * 1'000'000.0;
    card::ChannelRateInfo info;
    card::GetChannelRateInfo(c.Card, c.Channel, info);
    const double ratio = c.PcmFm ? card::SignalFilterRatioForBwPcmFm(info, bandwidthHz)
                                 : card::SignalFilterRatioForBwPsk(info, bandwidthHz);
    if (c.PcmFm) {
      c.Object->FmRx_SetCarrierSignalFilterBandwidthRatio(c.Channel, ratio);
    } else {
      c.Object->PskRx_SetCarrierSignalFilterBandwidthRatio(c.Channel, ratio);
    }
    Rx(c).CarrierSignalBwRatio = ratio;
  });
}

namespace {
double Limit(double value, double low, double high) { return value < low ? low : (value > high ? high : value); }

void SendPeakDevFactors(const Context& c, double minimum, double maximum) {
  c.Object->FmRx_SetPeakDeviationCompensationFactorMax(c.Channel, maximum);
  c.Object->FmRx_SetPeakDeviationCompensationFactorMin(c.Channel, minimum);
}
}  // namespace

void kr20setmgrclass::SetPeakDevCompFactors(int card, int channel, double spread) {
  Context c;
  if (!ContextOf(card, channel, c) || !c.PcmFm) return;
  const std::int32_t routeMode = c.Setup->RouteInfo.RouteMode;
  card::ApplyGroupSetupToCards(routeMode, card, c.Setup);
  const double d = Limit(spread, 0.01, 0.45);
  const double peak = Rx(c).CarrierPeakDeviation;
  const double lowSum = peak - d;
  const double highSum = peak + d;
  const double minimum = Limit(lowSum, 0.1, 1.0);
  double maximum = Limit(highSum, 0.1, 1.0);
  if (maximum - minimum == 0.0) maximum += 0.001;  // the receiver needs a window
  Rx(c).CarrierPeakDeviationRange = d;
  Rx(c).PeakDeviationFactorMin = minimum;
  Rx(c).PeakDeviationFactorMax = maximum;
  SendPeakDevFactors(c, minimum, maximum);

  Context other;
  if (!settings::RepeatsForOtherChannel(settings::RuleOf(SetterId::PeakDevCompFactors).Rule, routeMode, false, false) ||
      !ContextOf(card, settings::OtherChannel(channel), other) || !other.PcmFm) {
    return;
  }
  // The other receiver gets the plain sums, before the limits and the separation.
  Rx(other).CarrierPeakDeviationRange = d;
  Rx(other).PeakDeviationFactorMin = lowSum;
  Rx(other).PeakDeviationFactorMax = highSum;
  SendPeakDevFactors(other, lowSum, highSum);
}

void kr20setmgrclass::SetBitsyncAcqRange(int card, int channel, double pct) {
  Run(SetterId::BitsyncAcqRange, card, channel, [&](const Context& c, bool mirror) {
    Bs(c).AcqLoopBandwidthPct = pct;
    if (c.MhCpm && !mirror) {
      Rx(c).MhCpmSymbolloopbandwidthPct = pct;
      SendMhCpmTotalSetup(c);
    } else if (c.PcmFm) {
      c.Object->FmRx_SetBitSyncAcquisitionRangeInPercentOfBitRate(c.Channel, pct);
    } else {
      c.Object->PskRx_SetBitSyncStream1AcquisitionRangeInPercentOfBitRate(c.Channel, pct);
    }
  });
}

void kr20setmgrclass::SetBitsyncLoopWidth(int card, int channel, double pct) {
  Run(SetterId::BitsyncLoopWidth, card, channel, [&](const Context& c, bool) {
    if (c.PcmFm) {
      c.Object->FmRx_SetBitSyncLoopWidthInPercentOfBitRate(c.Channel, pct);
    } else {
      c.Object->PskRx_SetBitSyncStream1LoopWidthInPercentOfBitRate(c.Channel, pct);
    }
    Bs(c).TrkLoopBandwidthPct = pct;
  });
}

// ---- Outputs --------------------------------------------------------------------------------------

void kr20setmgrclass::SetClockPolarity(int card, int channel, std::string_view polarity) {
  const std::string text(polarity);
  Run(SetterId::ClockPolarity, card, channel, [&](const Context& c, bool mirror) {
    card::SetSetupText(Rx(c).OutputClockPolarity, text);
    if (c.PcmFm) {
      c.Object->FmRx_SetOutputClockPolarityMode(c.Channel, text);
    } else if (c.MhCpm && !mirror) {
      SendMhCpmTotalSetup(c);
    } else {
      c.Object->PskRx_SetStream1OutputClockPolarityMode(c.Channel, text);
    }
  });
}

void kr20setmgrclass::SetDataPolarity(int card, int channel, std::uint8_t invert) {
  Run(SetterId::DataPolarity, card, channel, [&](const Context& c, bool mirror) {
    Rx(c).InvertOutput = invert;
    if (c.PcmFm) {
      c.Object->FmRx_SetOutputInvertEnable(c.Channel, invert != 0);
    } else if (c.MhCpm && !mirror) {
      SendMhCpmTotalSetup(c);
    } else {
      c.Object->PskRx_SetStream1OutputInvertEnable(c.Channel, invert != 0);
    }
  });
}

void kr20setmgrclass::SetPcmOutputCode(int card, int channel, std::string_view code) {
  const std::string text(code);
  Run(SetterId::PcmOutputCode, card, channel, [&](const Context& c, bool mirror) {
    card::SetSetupText(Bs(c).PcmOutputCode, text);
    if (c.MhCpm && !mirror) {
      SendMhCpmTotalSetup(c);
    } else if (c.PcmFm) {
      c.Object->FmRx_SetBitSyncOutputDataEncodingMode(c.Channel, text);
    } else {
      c.Object->PskRx_SetBitSyncStream1OutputDataEncodingMode(c.Channel, text);
    }
  });
}

// ---- Viterbi --------------------------------------------------------------------------------------

void kr20setmgrclass::SetViterbiDecodeEnable(int card, int channel, std::uint8_t enable) {
  Run(SetterId::ViterbiDecodeEnable, card, channel, [&](const Context& c, bool) {
    if (c.PcmFm) {
      c.Object->FmRx_SetViterbiDecodeEnable(c.Channel, enable != 0);
    } else {
      c.Object->PskRx_SetViterbiStream1DecodeEnable(c.Channel, enable != 0);
    }
    Bs(c).ViterbiDecodeEnabled = enable;
    ApplyIfRxAutoLogic(c.Card, c.Channel);
  });
}

void kr20setmgrclass::SetViterbiSymbolInvert(int card, int channel, std::uint8_t g1, std::uint8_t invert) {
  Run(SetterId::ViterbiSymbolInvert, card, channel, [&](const Context& c, bool) {
    const bool on = invert != 0;
    if (c.PcmFm) {
      g1 != 0 ? c.Object->FmRx_SetViterbiG1SymbolInvert(c.Channel, on)
              : c.Object->FmRx_SetViterbiG2SymbolInvert(c.Channel, on);
    } else {
      g1 != 0 ? c.Object->PskRx_SetViterbiStream1G1SymbolInvert(c.Channel, on)
              : c.Object->PskRx_SetViterbiStream1G2SymbolInvert(c.Channel, on);
    }
    if (g1 != 0) {
      Bs(c).ViterbiG1Inverted = invert;
    } else {
      Bs(c).ViterbiG2Inverted = invert;
    }
    ApplyIfRxAutoLogic(c.Card, c.Channel);
  });
}

void kr20setmgrclass::SetViterbiRateMode(int card, int channel, std::string_view rate) {
  const std::string text(rate);
  Run(SetterId::ViterbiRateMode, card, channel, [&](const Context& c, bool) {
    if (c.PcmFm) {
      c.Object->FmRx_SetViterbiRateMode(c.Channel, text);
    } else {
      c.Object->PskRx_SetViterbiStream1RateMode(c.Channel, text);
    }
    card::SetSetupText(Bs(c).ViterbiRateMode, text);
    ApplyIfRxAutoLogic(c.Card, c.Channel);
  });
}

void kr20setmgrclass::SetViterbiSymbolOrder(int card, int channel, std::string_view order) {
  const std::string text(order);
  Run(SetterId::ViterbiSymbolOrder, card, channel, [&](const Context& c, bool) {
    if (c.PcmFm) {
      c.Object->FmRx_SetViterbiSymbolOrderMode(c.Channel, text);
    } else {
      c.Object->PskRx_SetViterbiStream1SymbolOrderMode(c.Channel, text);
    }
    card::SetSetupText(Bs(c).ViterbiSymbolOrder, text);
    ApplyIfRxAutoLogic(c.Card, c.Channel);
  });
}

// ---- Combiners (card-level) -------------------------------------------------------------------------

void kr20setmgrclass::SetPreDCombinerMode(int card, int channel, std::uint8_t mode) {
  Run(SetterId::PreDCombinerMode, card, channel, [&](const Context& c, bool) {
    c.Setup->PreD.CombinerModePolarity = mode;
    c.Setup->PreD.CombinerModeOff = 0;
  });
}

void kr20setmgrclass::SetPostDCombinerMode(int card, int channel, std::uint8_t mode) {
  Run(SetterId::PostDCombinerMode, card, channel, [&](const Context& c, bool) {
    c.Setup->PostD.CombinerModePolarity = mode;
    c.Setup->PostD.CombinerModeOff = 0;
    ApplyFmPostDRegisterOption(c.Card);
  });
}

void kr20setmgrclass::SetPreDSignalBw(int card, int channel, double bandwidthHz) {
  Run(SetterId::PreDSignalBw, card, channel, [&](const Context& c, bool) {
    c.Object->PreD_SetSignalBandwidthInHz(bandwidthHz);
    c.Setup->PreD.SignalBandwidthMhz = bandwidthHz * 0.000001;
  });
}

void kr20setmgrclass::SetPreDTimeConst(int card, int channel, double seconds) {
  Run(SetterId::PreDTimeConst, card, channel, [&](const Context& c, bool) {
    c.Object->PreD_SetTimeConstInSec(seconds);
    c.Setup->PreD.TimeConstSecs = seconds;
  });
}

void kr20setmgrclass::SetPreDPhaseTimeConst(int card, int channel, double seconds) {
  Run(SetterId::PreDPhaseTimeConst, card, channel, [&](const Context& c, bool) {
    c.Object->PreD_SetPhaseTimeConstInSec(seconds);
    c.Setup->PreD.PhaseTimeConstSecs = seconds;
  });
}

void kr20setmgrclass::SetPreDNoiseEstimateMode(int card, int channel, std::string_view mode) {
  const std::string text(mode);
  Run(SetterId::PreDNoiseEstimateMode, card, channel, [&](const Context& c, bool) {
    c.Object->PreD_SetNoiseEstimateMode(text);
    card::SetSetupText(c.Setup->PreD.NoiseEstimateMode, text);
  });
}

void kr20setmgrclass::SetPreDCenterFreq(int card, int channel, std::uint8_t channelB, double hz) {
  Run(SetterId::PreDCenterFreq, card, channel, [&](const Context& c, bool) {
    if (channelB != 0) {
      c.Object->PreD_SetChannelBCenterFreqInHz(hz);
      c.Setup->PreD.CenterFreqChBMhz = hz * 0.000001;
    } else {
      c.Object->PreD_SetChannelACenterFreqInHz(hz);
      c.Setup->PreD.CenterFreqChAMhz = hz * 0.000001;
    }
  });
}

void kr20setmgrclass::SetPreDFixedNoise(int card, int channel, std::uint8_t channelB, double value) {
  Run(SetterId::PreDFixedNoise, card, channel, [&](const Context& c, bool) {
    if (channelB != 0) {
      c.Object->PreD_SetFixedNoChannelB(value);
      c.Setup->PreD.FixedNoiseChBDbm = value * 0.000001;
    } else {
      c.Object->PreD_SetFixedNoChannelA(value);
      c.Setup->PreD.FixedNoiseChADbm = value * 0.000001;
    }
  });
}

// ---- Receive BERT ---------------------------------------------------------------------------------

void kr20setmgrclass::SetBertUserPattern(int card, int channel, std::uint32_t pattern, std::int32_t lengthBits) {
  const std::string packed = card::PackBitPattern(pattern, lengthBits);
  Run(SetterId::BertUserPattern, card, channel, [&](const Context& c, bool mirror) {
    if (!mirror) {
      Bert(c).UserPattern = pattern;
      Bert(c).UserPatternLength = lengthBits;
    }
    c.Object->Bert_SetUserPattern(c.Channel, packed, lengthBits);
  });
}

void kr20setmgrclass::SetBertSampleLength(int card, int channel, std::int32_t seconds) {
  Run(SetterId::BertSampleLength, card, channel,
      [&](const Context& c, bool) { Bert(c).NumSecsToAverage = seconds; });
}

void kr20setmgrclass::SetBertPnPattern(int card, int channel, std::string_view pattern) {
  const std::string text(pattern);
  Run(SetterId::BertPnPattern, card, channel, [&](const Context& c, bool) {
    c.Object->Bert_SetPnPattern(c.Channel, text);
    card::SetSetupText(Bert(c).PrnPattern, text);
  });
}

void kr20setmgrclass::SetBertClockPolarity(int card, int channel, std::string_view polarity) {
  const std::string text(polarity);
  Run(SetterId::BertClockPolarity, card, channel, [&](const Context& c, bool) {
    c.Object->Bert_SetClockPolarity(c.Channel, text);
    card::SetSetupText(Bert(c).ClockPolarity, text);
  });
}

void kr20setmgrclass::SetBertInputSource(int card, int channel, std::uint8_t source) {
  Run(SetterId::BertInputSource, card, channel, [&](const Context& c, bool) { Bert(c).InputSourceOn = source; });
}

void kr20setmgrclass::ResetBertStats(int card, int channel) {
  Run(SetterId::ResetBertStats, card, channel, [&](const Context& c, bool) { c.Object->Bert_ResetMeasures(c.Channel); });
}

// ---- Option appliers --------------------------------------------------------------------------------

void kr20setmgrclass::ApplyPcmFmRxRegisterOption(int card) {
  const config::kr20optinfo* options = Options();
  if (options == nullptr) return;
  const std::uint32_t weight = options->BitsyncConfidenceWeight;
  for (int channel = 0; channel < settings::kChannels; ++channel) {
    Context c;
    if (!ContextOf(card, channel, c) || !c.PcmFm) continue;
    c.Object->Dev176_SetValue(c.Object->FmReceiverInstance(channel), card::fmrx_reg::kBitsyncConfidenceWeight, weight);
  }
}

void kr20setmgrclass::ApplyFmPostDRegisterOption(int card) {
  const config::kr20optinfo* options = Options();
  if (options == nullptr || !card::IsCombinerUsable(card)) return;
  const std::uint32_t weight = options->FmFmPostDConfidenceWeight;
  for (int channel = 0; channel < settings::kChannels; ++channel) {
    Context c;
    if (!ContextOf(card, channel, c) || !c.PcmFm) continue;
    c.Object->Dev188_SetValue(card::postd_reg::kFmConfidenceWeight, weight);
  }
}
