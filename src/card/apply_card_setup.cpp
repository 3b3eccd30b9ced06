#include "card/apply_card_setup.h"

#include <cstddef>
#include <cstdint>
#include <string>

#include "card/card_routines.h"
#include "card/kr20card.h"
#include "card/mode_routines.h"
#include "card/setup_routines.h"

namespace card {
namespace {

// Not pushed, because the program uses them itself or the card has no home for them:
//   - the modulator sweep and its profiles: DoOnSetModulatorSweepProcess programs and starts the
//     engine, which only the operator does from the test modulator window; HasModSweep records
//     whether the engine exists. Applying a setup leaves the engine as it is.
//   - receive BERT NumSecsToAverage (the BER averaging window), InputSourceOn and the user
//     pattern radixes (display choices);
//   - FFT DisplayMode, DbPerDiv, NumBwAverages, PeakFilterPct, RefLevelPct, and the third FFT
//     block (the card has two FFT channels): display settings;
//   - PreD SignalBwRatioConstant and the combiners' CombinerModePolarity / CombinerModeOff,
//     CarrierPeakDeviationRange and the multi-h CPM loop value (MhCpmRx_SetTotalSetup takes none):
//     inputs of the program's own calculations and mode choices.

constexpr double kHzPerMhz = 1'000'000.0;

// Sends a text setting unless the record leaves it to the library.
template <class Setter>
void SendText(const std::string& text, Setter&& setter) {
  if (!text.empty()) setter(text);
}

// A BERT user pattern is sent only with a length the BERTs take.
bool UsablePatternLength(std::int32_t length) { return length >= 1 && length <= 32; }

void PushPskReceiver(kr20cardclass& card, int ch, const ReceiverRecord& rx) {
  // Sub-records are copied: the setup record is packed.
  const BitSyncRecord s1 = rx.BitSync[0];
  const BitSyncRecord s2 = rx.BitSync[1];
  const RxRoutingRecord routing = rx.Routing;

  SendText(SetupText(rx.InputSource), [&](const std::string& v) { card.PskRx_SetReceiverInputSourceMode(ch, v); });
  card.PskRx_SetReceiverSignalLevelQualificationThreshold(ch, rx.CarrierThesholdDbm);
  SendText(SetupText(rx.DemodMode), [&](const std::string& v) { card.PskRx_SetCarrierModulationMode(ch, v); });
  card.PskRx_SetCarrierCenterFrequencyInHz(ch, rx.CarrierFreqMhz * kHzPerMhz);
  card.PskRx_SetCarrierAcquisitionRangeInHz(ch, rx.CarrierAcqRangeHz);
  card.PskRx_SetCarrierAcquisitionMode(ch, rx.CarrierAcqModeUnaided != 0 ? "UNAIDED" : "FFT");
  card.PskRx_SetCarrierAcquisitionLoopBandwidthInPercentOfStream1BitRate(ch, rx.CarrierAcqLoopBandwidthPct);
  card.PskRx_SetCarrierTrackingLoopBandwidthInPercentOfStream1BitRate(ch, rx.CarrierTrkLoopBandwidthPct);
  card.PskRx_SetCarrierSignalFilterBandwidthRatio(ch, rx.CarrierSignalBwRatio);

  // Bit synchroniser of stream 1: the rate first, the loops are in percent of it.
  card.PskRx_SetBitSyncStream1RateInbps(ch, s1.Bitrate);
  if (const std::string code = SetupText(s1.PcmInputCode); !code.empty()) {
    const PrnCode prn = NormalizePrnPattern(code);
    card.PskRx_SetBitSyncStream1InputDataDecodingMode(ch, prn.Code);
    card.PskRx_SetBitSyncStream1DescramblerMode(ch, prn.Descrambler);
  }
  SendText(SetupText(s1.PcmOutputCode),
           [&](const std::string& v) { card.PskRx_SetBitSyncStream1OutputDataEncodingMode(ch, v); });
  card.PskRx_SetBitSyncStream1AcquisitionRangeInPercentOfBitRate(ch, s1.AcqLoopBandwidthPct);
  card.PskRx_SetBitSyncStream1LoopWidthInPercentOfBitRate(ch, s1.TrkLoopBandwidthPct);
  // Stream 2 runs only when both streams are in use.
  card.PskRx_SetStreamControlS1Only(ch, rx.StreamControlS1Only != 0);
  if (rx.StreamControlS1Only == 0) {
    if (s2.Bitrate > 0) card.PskRx_SetBitSyncStream2RateInbps(ch, s2.Bitrate);
    if (const std::string code = SetupText(s2.PcmInputCode); !code.empty()) {
      const PrnCode prn = NormalizePrnPattern(code);
      card.PskRx_SetBitSyncStream2InputDataDecodingMode(ch, prn.Code);
      card.PskRx_SetBitSyncStream2DescramblerMode(ch, prn.Descrambler);
    }
    SendText(SetupText(s2.PcmOutputCode),
             [&](const std::string& v) { card.PskRx_SetBitSyncStream2OutputDataEncodingMode(ch, v); });
  }

  SendText(SetupText(rx.OutputClockPolarity),
           [&](const std::string& v) { card.PskRx_SetStream1OutputClockPolarityMode(ch, v); });
  card.PskRx_SetStream1OutputInvertEnable(ch, rx.InvertOutput != 0);

  SendText(SetupText(routing.RecombineLocation),
           [&](const std::string& v) { card.PskRx_SetSignalRoutingRecombineLocation(ch, v); });
  SendText(SetupText(routing.StreamSwapLocation),
           [&](const std::string& v) { card.PskRx_SetSignalRoutingStreamSwapLocation(ch, v); });
  SendText(SetupText(routing.InvertLocation),
           [&](const std::string& v) { card.PskRx_SetSignalRoutingStream1InvertLocation(ch, v); });
  SendText(SetupText(routing.Baseband1Output),
           [&](const std::string& v) { card.PskRx_SetSignalRoutingBaseband1Output(ch, v); });
  SendText(SetupText(routing.Baseband2Output),
           [&](const std::string& v) { card.PskRx_SetSignalRoutingBaseband2Output(ch, v); });
  card.PskRx_SetSakBbOutSelection(ch, routing.PskSakBbOutSelection);

  SendText(SetupText(s1.ViterbiRateMode), [&](const std::string& v) { card.PskRx_SetViterbiStream1RateMode(ch, v); });
  SendText(SetupText(s1.ViterbiSymbolOrder),
           [&](const std::string& v) { card.PskRx_SetViterbiStream1SymbolOrderMode(ch, v); });
  card.PskRx_SetViterbiStream1DecodeEnable(ch, s1.ViterbiDecodeEnabled != 0);
  card.PskRx_SetViterbiStream1G1SymbolInvert(ch, s1.ViterbiG1Inverted != 0);
  card.PskRx_SetViterbiStream1G2SymbolInvert(ch, s1.ViterbiG2Inverted != 0);
}

void PushFmReceiver(kr20cardclass& card, int ch, const ReceiverRecord& rx) {
  const BitSyncRecord s1 = rx.BitSync[0];

  SendText(SetupText(rx.InputSource), [&](const std::string& v) { card.FmRx_SetReceiverInputSourceMode(ch, v); });
  card.FmRx_SetReceiverSignalLevelQualificationThreshold(ch, rx.CarrierThesholdDbm);
  card.FmRx_SetCarrierCenterFrequencyInHz(ch, rx.CarrierFreqMhz * kHzPerMhz);
  card.FmRx_SetCarrierAcquisitionRangeInHz(ch, rx.CarrierAcqRangeHz);
  card.FmRx_SetCarrierAcquisitionLoopBandwidthInHz(ch, rx.CarrierAcqLoopBandwidthHz);
  card.FmRx_SetCarrierTrackingLoopBandwidthInHz(ch, rx.CarrierTrkLoopBandwidthHz);
  card.FmRx_SetCarrierSignalFilterBandwidthRatio(ch, rx.CarrierSignalBwRatio);
  card.FmRx_SetPeakDeviationCompensationFactorMin(ch, rx.PeakDeviationFactorMin);
  card.FmRx_SetPeakDeviationCompensationFactorMax(ch, rx.PeakDeviationFactorMax);
  SendText(SetupText(rx.CarrierModIndexCompensationMode),
           [&](const std::string& v) { card.FmRx_SetCarrierModIndexCompensationMode(ch, v); });
  card.FmRx_SetCarrierPeakDeviation(ch, rx.CarrierPeakDeviation);
  card.FmRx_SetCarrierDiscriminatorEnable(ch, rx.CarrierDiscriminatorEnabled != 0);
  card.FmRx_SetXmitterIsDigital(ch, rx.XmitterIsDigital != 0);

  card.FmRx_SetBitSyncRateInbps(ch, s1.Bitrate);
  if (const std::string code = SetupText(s1.PcmInputCode); !code.empty()) {
    const PrnCode prn = NormalizePrnPattern(code);
    card.FmRx_SetBitSyncInputDataDecodingMode(ch, prn.Code);
    card.FmRx_SetBitSyncDescramblerMode(ch, prn.Descrambler);
  }
  SendText(SetupText(s1.PcmOutputCode),
           [&](const std::string& v) { card.FmRx_SetBitSyncOutputDataEncodingMode(ch, v); });
  card.FmRx_SetBitSyncAcquisitionRangeInPercentOfBitRate(ch, s1.AcqLoopBandwidthPct);
  card.FmRx_SetBitSyncLoopWidthInPercentOfBitRate(ch, s1.TrkLoopBandwidthPct);

  SendText(SetupText(rx.OutputClockPolarity),
           [&](const std::string& v) { card.FmRx_SetOutputClockPolarityMode(ch, v); });
  card.FmRx_SetOutputInvertEnable(ch, rx.InvertOutput != 0);

  SendText(SetupText(s1.ViterbiRateMode), [&](const std::string& v) { card.FmRx_SetViterbiRateMode(ch, v); });
  SendText(SetupText(s1.ViterbiSymbolOrder), [&](const std::string& v) { card.FmRx_SetViterbiSymbolOrderMode(ch, v); });
  card.FmRx_SetViterbiDecodeEnable(ch, s1.ViterbiDecodeEnabled != 0);
  card.FmRx_SetViterbiG1SymbolInvert(ch, s1.ViterbiG1Inverted != 0);
  card.FmRx_SetViterbiG2SymbolInvert(ch, s1.ViterbiG2Inverted != 0);
}

void PushPmReceiver(kr20cardclass& card, int ch, const ReceiverRecord& rx) {
  SendText(SetupText(rx.InputSource), [&](const std::string& v) { card.PmRx_SetInputSource(ch, v); });
  card.PmRx_SetCarrierCenterFrequencyInHz(ch, rx.CarrierFreqMhz * kHzPerMhz);
  card.PmRx_SetCarrierAcquisitionRangeInHz(ch, rx.CarrierAcqRangeHz);
  card.PmRx_SetCarrierAcquisitionMode(ch, rx.CarrierAcqModeUnaided != 0 ? "UNAIDED" : "FFT");
  card.PmRx_SetCarrierAcquisitionLoopBandwidthInHz(ch, rx.CarrierAcqLoopBandwidthHz);
  card.PmRx_SetCarrierTrackLoopBandwidthInHz(ch, rx.CarrierTrkLoopBandwidthHz);
  card.PmRx_SetCarrierSignalThresholdIndBm(ch, rx.CarrierThesholdDbm);
  card.PmRx_SetModulationIndex(ch, rx.PmModIndex);
  card.PmRx_SetCarrierLockDecisionPeriod(ch, rx.PmCarrierLockDecisionPeriod);
  card.PmRx_SetLoopDiscriminatorEnable(ch, rx.PmLoopDiscriminatorEnabled != 0);
  // The PM receiver's bit-sync loops are reached through the PSK stream-1 entries, as its setters
  // reach them.
  const BitSyncRecord s1 = rx.BitSync[0];
  card.PskRx_SetBitSyncStream1AcquisitionRangeInPercentOfBitRate(ch, s1.AcqLoopBandwidthPct);
  card.PskRx_SetBitSyncStream1LoopWidthInPercentOfBitRate(ch, s1.TrkLoopBandwidthPct);
  SendText(SetupText(rx.PmDebugOutput1MuxSelect),
           [&](const std::string& v) { card.PmRx_SetDebugOutput1MuxSelect(ch, v); });
  SendText(SetupText(rx.PmDebugOutput2MuxSelect),
           [&](const std::string& v) { card.PmRx_SetDebugOutput2MuxSelect(ch, v); });
}

void PushMhCpmReceiver(kr20cardclass& card, int ch, const ReceiverRecord& rx) {
  const BitSyncRecord s1 = rx.BitSync[0];
  // The library takes the whole receiver in one call, all or nothing.
  const PrnCode prn = NormalizePrnPattern(SetupText(s1.PcmInputCode));
  card.MhCpmRx_SetTotalSetup(ch, prn.Code, rx.InvertOutput != 0, SetupText(rx.OutputClockPolarity),
                             SetupText(s1.PcmOutputCode), s1.Bitrate, rx.CarrierAcqRangeHz,
                             rx.MhCpmCarrierFrequencyMhz, rx.MhCpmCarrierloopbandwidthPct,
                             rx.MhCpmSymbolloopbandwidthPct);
}

void PushRxBert(kr20cardclass& card, int bert, const RxBertRecord record) {
  SendText(SetupText(record.PrnPattern), [&](const std::string& v) { card.Bert_SetPnPattern(bert, v); });
  SendText(SetupText(record.ClockPolarity), [&](const std::string& v) { card.Bert_SetClockPolarity(bert, v); });
  const std::int32_t length = record.UserPatternLength;
  if (UsablePatternLength(length)) card.Bert_SetUserPattern(bert, PackBitPattern(record.UserPattern, length), length);
}

void PushTxBert(kr20cardclass& card, int bert, const TxBertRecord record) {
  SendText(SetupText(record.PrnPattern), [&](const std::string& v) { card.TxBert_SetPnPattern(bert, v); });
  card.TxBert_SetBitRate(bert, record.BitRate);
  card.TxBert_SetBitErrorRate(bert, record.BitErrorRate);
  SendText(SetupText(record.ClockPolarity), [&](const std::string& v) { card.TxBert_SetClockPolarity(bert, v); });
  SendText(SetupText(record.DataPolarity), [&](const std::string& v) { card.TxBert_SetDataPolarity(bert, v); });
  card.TxBert_SetInsertTimeCode(bert, record.InsertTimeCode != 0);
  card.TxBert_SetSystemClock(bert, record.SystemClock);
  const std::int32_t length = record.UserPatternLength;
  if (UsablePatternLength(length)) {
    card.TxBert_SetUserPattern(bert, PackBitPattern(record.UserPattern, length), length);
  }
}

void PushPreD(kr20cardclass& card, const PreDCombinerRecord pre, std::int32_t routeMode) {
  SendText(SetupText(pre.NoiseEstimateMode), [&](const std::string& v) { card.PreD_SetNoiseEstimateMode(v); });
  card.PreD_SetSignalBandwidthInHz(pre.SignalBandwidthMhz * kHzPerMhz);
  card.PreD_SetTimeConstInSec(pre.TimeConstSecs);
  card.PreD_SetPhaseTimeConstInSec(pre.PhaseTimeConstSecs);
  card.PreD_SetChannelACenterFreqInHz(pre.CenterFreqChAMhz * kHzPerMhz);
  card.PreD_SetChannelBCenterFreqInHz(pre.CenterFreqChBMhz * kHzPerMhz);
  card.PreD_SetFixedNoChannelA(pre.FixedNoiseChADbm);
  card.PreD_SetFixedNoChannelB(pre.FixedNoiseChBDbm);
  card.PreD_SetNoiseFilterGainValue(pre.NoiseFilterGainValue);
  // The record has no pre-D output of its own: combining routes (Route Mode 1) take the
  // combined output.
  if (routeMode == 1) card.PreD_SetDiversityOutput("COMBINING_OUTPUT");
}

void PushPcmEncoders(kr20cardclass& card, const ModulatorRecord& mod) {
  for (int i = 0; i < 2; ++i) {
    const PcmEncoderRecord encoder = mod.PcmEncoder[i];
    const std::string source = SetupText(encoder.DataSource);
    const std::string code = SetupText(encoder.OutputCode);
    const PrnCode prn = NormalizePrnPattern(code);
    if (i == 0) {
      SendText(source, [&](const std::string& v) { card.SetMod_SetPcmCh1DataSource(v); });
      if (!code.empty()) {
        card.SetMod_SetPcmCh1PcmEncoding(prn.Code);
        card.SetMod_SetPcm1Randomizer(prn.Descrambler);
      }
      card.SetMod_SetPcmCh1ConvolutionalEncodingOn(encoder.ConvolutionEncoding != 0);
      card.SetMod_SetPcmCh1SwapG1G2(encoder.SwapG1G2 != 0);
      card.SetMod_SetPcmCh1InvertG2(encoder.InvertG2 != 0);
      card.SetMod_SetPcmCh1InvertData(encoder.InvertData != 0);
      card.SetMod_SetPcmCh1FallingEdgeClk(encoder.FallingClockEdge != 0);
    } else {
      SendText(source, [&](const std::string& v) { card.SetMod_SetPcmCh2DataSource(v); });
      if (!code.empty()) {
        card.SetMod_SetPcmCh2PcmEncoding(prn.Code);
        card.SetMod_SetPcm2Randomizer(prn.Descrambler);
      }
      card.SetMod_SetPcmCh2ConvolutionalEncodingOn(encoder.ConvolutionEncoding != 0);
      card.SetMod_SetPcmCh2SwapG1G2(encoder.SwapG1G2 != 0);
      card.SetMod_SetPcmCh2InvertG2(encoder.InvertG2 != 0);
      card.SetMod_SetPcmCh2InvertData(encoder.InvertData != 0);
      card.SetMod_SetPcmCh2FallingEdgeClk(encoder.FallingClockEdge != 0);
    }
  }
}

void PushModulator(kr20cardclass& card, const ModulatorRecord mod) {
  // Mode and modulation first: they decide which of the later settings apply.
  // "SUBCAR" is how the setup stores the mode the card calls "SGLS".
  const std::string modulatorMode = SetupText(mod.ModulationMode);
  SendText(modulatorMode == "SUBCAR" ? std::string("SGLS") : modulatorMode,
           [&](const std::string& v) { card.SetMod_SetModulatorMode(v); });
  SendText(SetupText(mod.ModulationType), [&](const std::string& v) { card.SetMod_SetModulationType(v); });
  card.SetMod_SetIfCarrierRateInHz(mod.CarrierFreqMhz * kHzPerMhz);
  card.SetMod_SetIfCarrierLevel(mod.CarrierAmplitudeDbm);
  card.SetMod_SetIfMaxOutputCalOffset(mod.IFMaxOutuptCal);
  card.SetMod_SetCarrierToNoiseLevel(mod.CarrerToNoiseDbm);
  card.SetMod_SetIPowerLevel(mod.IPowerLevelDbm);
  card.SetMod_SetQPowerLevel(mod.QPowerLevelDbm);
  card.SetMod_SetEnableQpskConjugate(mod.QPSKConjugate != 0);
  SendText(SetupText(mod.IDataSource), [&](const std::string& v) { card.SetMod_SetIDataSource(v); });
  SendText(SetupText(mod.QDataSource), [&](const std::string& v) { card.SetMod_SetQDataSource(v); });
  SendText(SetupText(mod.IQRouting), [&](const std::string& v) { card.SetMod_SetIQOutputRouting(v); });
  SendText(SetupText(mod.SymbolRouting), [&](const std::string& v) { card.SetMod_SetSymbolRouting(v); });
  SendText(SetupText(mod.InputPreprocess), [&](const std::string& v) { card.SetMod_SetInputPreprocess(v); });
  card.SetMod_SetDirPcmModIndex(mod.DirPskPmModIndex);
  card.SetMod_SetPCMFMPeakDeviationFactor(mod.FmPeakDeviationFactor);
  SendText(SetupText(mod.Sub1InputSource), [&](const std::string& v) { card.SetMod_SetSglsSubCh1DataSource(v); });
  SendText(SetupText(mod.Sub1ModulationType),
           [&](const std::string& v) { card.SetMod_SetSglsSubCh1ModulationType(v); });
  if (mod.Sub1RateHz > 0.0) card.SetMod_SetSglsSubCh1SubCarrierRateInHz(mod.Sub1RateHz);
  card.SetMod_SetSubcarrier1PmModIndex(mod.Subcarrier1PmModIndex);
  card.SetMod_SetSubcarrier1DeviationInHz(mod.Subcarrier1DeviationHz);
  card.SetMod_SetSubcarrier2DeviationInHz(mod.Subcarrier2DeviationHz);
  card.SetMod_SetSubcarrier2PmModIndex(mod.Subcarrier2PmModIndex);
  card.SetMod_SetRangePmModIndex(mod.RangePmModIndex);
  card.SetMod_SetCommandPmModIndex(mod.CommandPmModIndex);
  card.SetMod_SetExtPmModIndex(mod.ExtPmModIndex);
  card.SetMod_SetFskPremodBandwidthInHz(mod.FSKPremodBandWidthHz);
  card.SetMod_SetFskFmDeviationInHz(mod.FSKFmDeviationHz);
  SendText(SetupText(mod.TestGenPattern), [&](const std::string& v) { card.SetMod_SetTestGenPattern(v); });
  PushPcmEncoders(card, mod);
  card.DoOnSetFpga0RegB00(mod.InputSourceDirect != 0);
  card.SetMod_SetSakIfModOutputToDiversity(mod.SakIfModOutputToDiversity != 0);
  card.SetMod_SetSakLoopbackMode(mod.SakLoopbackMode != 0);
  // Outputs last, once everything they transmit is set.
  card.SetMod_SetIfCarrierOn(mod.CarrierEnabled != 0);
  card.SetMod_SetIfModulationOn(mod.ModulationEnabled != 0);
  card.SetMod_SetEnableNoiseGeneration(mod.NoiseEnabled != 0);
}

void PushFft(kr20cardclass& card, int ch, const FftRecord fft) {
  card.Fft_SetCenterFrequencyInHz(ch, fft.CenterFreqMhz * kHzPerMhz);
  card.Fft_SetFrequencySpanInHz(ch, fft.SpanMhz * kHzPerMhz);
  SendText(SetupText(fft.WindowType), [&](const std::string& v) { card.Fft_SetWindowType(ch, v); });
  if (fft.NumFftAverages > 0) card.Fft_SetNumberOfAverages(ch, fft.NumFftAverages);
  if (fft.UpdateRateHz > 0) card.Fft_SetUpdateRateInHz(ch, fft.UpdateRateHz);
}

void PushIq(kr20cardclass& card, int ch, const IqRecord iq) {
  if (iq.NumDataPoints > 0) card.IQ_SetNumDataPoints(ch, iq.NumDataPoints);
  if (iq.UpdateRateHz > 0) card.IQ_SetUpdateRateInHz(ch, iq.UpdateRateHz);
}

}  // namespace

int RunningPersonality(const kr20cardclass& card) {
  const int derived = DeriveOperationalMode(card.CardInfo(), card.ChipVariant());
  if (derived != kNoFpgaMode) return derived;
  const std::int32_t current = card.LoadState().CurrentFpgaMode;
  return current >= 0 && current < kFpgaModeCount ? current : kNoFpgaMode;
}

bool PushCardSetup(kr20cardclass& card, const CardSetupRecord& setup) {
  if (!card.IsReady()) return false;
  const kr20cardinfo info = card.CardInfo();
  const int mode = RunningPersonality(card);
  const RouteInfoRecord route = setup.RouteInfo;

  for (int ch = 0; ch < static_cast<int>(kSetupChannels); ++ch) {
    const std::size_t at = static_cast<std::size_t>(ch);
    // By the personality's family of the channel (a PM or multi-h CPM receiver sits on channel 0,
    // which the display-side capability tests hide).
    if (mode != kNoFpgaMode) {
      ReceiverRecord rx = setup.Receiver[at];
      // Independent channels are never fed from the combiner: they take their own input.
      if (!RoutesThroughPreDCombiner(route) && SetupText(rx.InputSource) == kDiversityCombinerSource) {
        SetSetupText(rx.InputSource, OwnInputSource(ch, IsPmChannelInMode(mode, ch), IsMultiHCpmChannelInMode(mode, ch)));
      }
      if (IsPcmFmChannelInMode(mode, ch)) {
        PushFmReceiver(card, ch, rx);
      } else if (IsPmChannelInMode(mode, ch)) {
        PushPmReceiver(card, ch, rx);
      } else if (IsMultiHCpmChannelInMode(mode, ch)) {
        PushMhCpmReceiver(card, ch, rx);
      } else {
        PushPskReceiver(card, ch, rx);
      }
    }
    const std::int32_t berts = info.NumBerts;
    if (ch < berts) PushRxBert(card, ch, setup.RxBert[at]);
    const std::int32_t txBerts = info.NumTxBerts;
    if (ch < txBerts) PushTxBert(card, ch, setup.TxBert[at]);
    if (CardHasFftForChannel(info, ch)) PushFft(card, ch, setup.Fft[at]);
    if (mode != kNoFpgaMode && CardHasIqForChannel(info, ch, mode)) PushIq(card, ch, setup.Iq[at]);
  }

  if (CardHasPreDCombiner(info)) PushPreD(card, setup.PreD, route.RouteMode);
  if (CardHasPostDCombiner(info)) {
    const PostDCombinerRecord post = setup.PostD;
    PushPostDDiversityOutput(card, SetupText(post.DiversityOutput));
  }
  const std::int32_t modulators = info.NumModulators;
  if (modulators > 0) PushModulator(card, setup.Modulator);
  const BasebandSourceRecord baseband = setup.BasebandSources;
  card.Card_SetBasebandDacSource(0, baseband.BB1DacSource);
  card.Card_SetBasebandDacSource(1, baseband.BB2DacSource);
  return true;
}

bool PushPostDDiversityOutput(kr20cardclass& card, const std::string& name) {
  if (name.empty() || !card.IsReady() || !CardHasPostDCombiner(card.CardInfo())) return false;
  card.PostD_SetDiversityOutput(name);
  return true;
}

}  // namespace card
