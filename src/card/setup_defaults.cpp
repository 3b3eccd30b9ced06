#include "card/setup_defaults.h"

#include <cstddef>

#include "card/setup_routines.h"

namespace card {
namespace {

BitSyncRecord DefaultBitSync() {
  BitSyncRecord bitSync{};
  bitSync.Bitrate = kDefaultBitRate;
  SetSetupText(bitSync.PcmInputCode, "NRZL");
  SetSetupText(bitSync.PcmOutputCode, "NRZL");
  bitSync.AcqLoopBandwidthPct = 1.0;
  bitSync.TrkLoopBandwidthPct = 0.1;
  SetSetupText(bitSync.ViterbiSymbolOrder, "G1G2_ORDER");
  bitSync.ViterbiDecodeEnabled = 0;
  bitSync.ViterbiG1Inverted = 0;
  bitSync.ViterbiG2Inverted = 0;
  return bitSync;
}

ReceiverRecord DefaultReceiver(std::size_t channel) {
  ReceiverRecord rx{};
  rx.BitSync[0] = DefaultBitSync();
  rx.BitSync[1] = DefaultBitSync();
  // Each channel listens on its own IF input.
  SetSetupText(rx.InputSource, channel == 0 ? "IF_INPUT1" : "IF_INPUT2");
  SetSetupText(rx.OutputClockPolarity, "RISING_EDGE");
  rx.CarrierFreqMhz = kDefaultIfMhz;
  const CarrierAcqRange range = SuggestCarrierAcqRange(kDefaultBitRate, false, false, "NRZL");
  rx.CarrierAcqRangeHz = range.Suggested;
  // The ratio that gives one signal bandwidth per symbol rate on a PSK channel.
  rx.CarrierSignalBwRatio = 2.5;
  rx.InvertOutput = 0;
  rx.CarrierThesholdDbm = -100.0;
  SetSetupText(rx.DemodMode, "SOQPSK_TG");
  rx.CarrierAcqLoopBandwidthPct = 1.0;
  rx.CarrierTrkLoopBandwidthPct = 0.1;
  rx.CarrierAcqModeUnaided = 1;
  rx.PmModIndex = 1.0;
  rx.CarrierDiscriminatorEnabled = 0;
  rx.StreamControlS1Only = 0;
  // Optimum PCM/FM deviation (h = 0.7) in the middle of its limits (0.1 .. 1.0, range 0.05 .. 0.45).
  rx.CarrierPeakDeviation = 0.35;
  rx.CarrierAcqLoopBandwidthHz = SuggestFmCarrierAcqLoopBw(kDefaultBitRate, true);
  rx.CarrierTrkLoopBandwidthHz = SuggestFmCarrierTrackLoopBw(kDefaultBitRate, true, 0.0, 0.0);
  rx.XmitterIsDigital = 0;
  rx.PeakDeviationFactorMin = 0.25;
  rx.PeakDeviationFactorMax = 0.45;
  rx.CarrierPeakDeviationRange = 0.1;
  rx.PmCarrierLockDecisionPeriod = 0.1;
  rx.PmLoopDiscriminatorEnabled = 0;
  rx.MhCpmSymbolloopbandwidthPct = 0.1;
  rx.MhCpmCarrierloopbandwidthPct = 0.1;
  rx.MhCpmCarrierFrequencyMhz = kDefaultIfMhz;
  rx.MhCpmLoopValue = 0.0;
  return rx;
}

RxBertRecord DefaultRxBert() {
  RxBertRecord bert{};
  bert.InputSourceOn = 0;
  SetSetupText(bert.PrnPattern, "pn15");
  SetSetupText(bert.ClockPolarity, "normal");
  bert.UserPatternLength = 32;
  bert.UserPatternRadix = 1;  // hexadecimal
  bert.UserPattern = 0;
  bert.NumSecsToAverage = 1;
  return bert;
}

TxBertRecord DefaultTxBert() {
  TxBertRecord bert{};
  SetSetupText(bert.ClockPolarity, "normal");
  SetSetupText(bert.DataPolarity, "normal");
  bert.InsertTimeCode = 0;
  bert.BitRate = kDefaultBitRate;
  bert.BitErrorRate = 0.0;
  bert.SystemClock = 0.0;  // the card runs on its own clock
  SetSetupText(bert.PrnPattern, "pn15");
  bert.UserPatternLength = 32;
  bert.UserPatternRadix = 1;
  bert.UserPattern = 0;
  return bert;
}

FftRecord DefaultFft() {
  FftRecord fft{};
  fft.CenterFreqMhz = kDefaultIfMhz;
  fft.SpanMhz = AutoFftSpanHz(kDefaultBitRate) / 1'000'000.0;
  fft.NumFftAverages = 4;
  fft.UpdateRateHz = 10;
  fft.DbPerDiv = 10.0;
  fft.NumBwAverages = 4;
  fft.PeakFilterPct = 0.0;
  fft.RefLevelPct = 50.0;
  return fft;
}

ModulatorRecord DefaultModulator() {
  ModulatorRecord mod{};
  mod.HasModSweep = 0;
  mod.SweepRateHz = 1000.0;
  mod.StartFreqMhz = kDefaultIfMhz - 0.1;
  mod.NumProfiles = 1;
  mod.SweepProfileIndex = 0;
  for (std::size_t i = 0; i < kModSweepStops; ++i) mod.StopFreqMhzAry[i] = kDefaultIfMhz + 0.1;
  mod.SinglePass = 0;
  mod.SnapCtrAtEndCycle = 0;
  mod.InputSourceDirect = 1;
  mod.CarrierFreqMhz = kDefaultIfMhz;
  mod.CarrierAmplitudeDbm = -30.0;
  SetSetupText(mod.ModulationType, "SOQPSK_TG");
  // The test modulator's outputs start off: switching a signal on is the operator's choice.
  mod.CarrierEnabled = 0;
  mod.ModulationEnabled = 0;
  mod.NoiseEnabled = 0;
  mod.CarrerToNoiseDbm = 70.0;
  for (std::size_t i = 0; i < 2; ++i) {
    PcmEncoderRecord encoder{};
    // Each encoder from its own transmit BERT, by the name the card and the remote commands use.
    SetSetupText(encoder.DataSource, "TX_BERT");
    SetSetupText(encoder.OutputCode, "NRZL");
    mod.PcmEncoder[i] = encoder;
  }
  mod.IFMaxOutuptCal = 0;
  mod.FmPeakDeviationFactor = 0.35;
  mod.DirPskPmModIndex = 1.0;
  mod.RangePmModIndex = 1.0;
  mod.CommandPmModIndex = 1.0;
  mod.Subcarrier1PmModIndex = 1.0;
  mod.Subcarrier2PmModIndex = 1.0;
  mod.ExtPmModIndex = 1.0;
  SetSetupText(mod.Sub1InputSource, "PCM_ENCODER1");
  mod.SakLoopbackMode = 0;
  return mod;
}

}  // namespace

CardSetupRecord DefaultCardSetup() {
  CardSetupRecord setup{};
  // No personality asked for: the card runs the one it was found with.
  setup.RouteInfo.FpgaMasterMode = kNoFpgaMode;
  setup.RouteInfo.UserReceiverMode = kNoFpgaMode;
  setup.RouteInfo.RouteMode = 0;
  SetCardDesignationText(setup, "KR20 RECEIVER");
  SetStreamDesignationText(setup, 0, "CHANNEL A");
  SetStreamDesignationText(setup, 1, "CHANNEL B");
  for (std::size_t channel = 0; channel < kSetupChannels; ++channel) {
    setup.Receiver[channel] = DefaultReceiver(channel);
    setup.RxBert[channel] = DefaultRxBert();
    setup.TxBert[channel] = DefaultTxBert();
    setup.Iq[channel].NumDataPoints = 1024;
    setup.Iq[channel].UpdateRateHz = 10;
  }
  setup.PreD.SignalBandwidthMhz = 1.0;
  setup.PreD.TimeConstSecs = 0.01;
  setup.PreD.PhaseTimeConstSecs = 0.01;
  setup.PreD.CenterFreqChAMhz = kDefaultIfMhz;
  setup.PreD.CenterFreqChBMhz = kDefaultIfMhz;
  setup.PreD.FixedNoiseChADbm = -100.0;
  setup.PreD.FixedNoiseChBDbm = -100.0;
  setup.PreD.SignalBwRatioConstant = 2.5;
  setup.Modulator = DefaultModulator();
  for (std::size_t i = 0; i < kSetupFftBlocks; ++i) setup.Fft[i] = DefaultFft();
  return setup;
}

}  // namespace card
