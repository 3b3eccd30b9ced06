// The card setup file as the writer lays it out: every section in order and every key, pinned
// byte for byte, with one value of each form (text, integer, decimal, YES/NO, hexadecimal, low
// byte). Other values are pinned by the reading and round-trip tests.
#include <gtest/gtest.h>

#include <string>

#include "card/records/dncvt_channel_record.h"
#include "card/setup_routines.h"
#include "settings/setup_file.h"
#include "support/log_capture.h"

namespace {

using card::SetSetupText;

card::CardSetupRecord GoldenSetup() {
  card::CardSetupRecord s{};
  s.RouteInfo.FpgaMasterMode = 5;
  s.RouteInfo.UserReceiverMode = 6;
  s.RouteInfo.PreDCombinerMode = 1;
  for (card::ReceiverRecord& rx : s.Receiver) {
    for (card::BitSyncRecord& bitsync : rx.BitSync) {
      bitsync.Bitrate = 5000000;
      SetSetupText(bitsync.PcmInputCode, "NRZL");
    }
    rx.CarrierAcqRangeHz = 123456789.5;  // nine integer digits: the decimals are cut, never the integer
    rx.CarrierThesholdDbm = -87.25;
    rx.PmLoopDiscriminatorEnabled = 1;  // written under the key PmLoopDiscriminatorFlag
    rx.MhCpmLoopValue = 2.75;           // written under the key PmLoopDiscriminatorEnabled
  }
  for (card::RxBertRecord& bert : s.RxBert) bert.UserPattern = 43981;
  return s;
}

card::DnCvtChannelRecord GoldenDnCvt() {
  card::DnCvtChannelRecord r{};
  r.Setup.UserAgcSlopeInfo.MinDbm = -100;
  r.Setup.FreqMhz = 2250.5;
  r.Setup.AmGain = 200;
  return r;
}

// Section bodies, several keys to a source line. The profile store writes section names trimmed
// of blanks ("Pre D Combiner Data " becomes "[Pre D Combiner Data]"); readers match names
// trimmed, so files with either spelling load.
const char* const kBitsync =
    "Bitrate=5000000\nPcmInputCode=NRZL\nPcmOutputCode=\nAcqLoopBandwidthPct=0.000000000\n"
    "TrkLoopBandwidthPct=0.000000000\nViterbiRateMode=\nViterbiSymbolOrder=\nViterbiDecodeEnabled=NO\n"
    "ViterbiG1Inverted=NO\nViterbiG2Inverted=NO\n";
const char* const kReceiver =
    "InputSource=\nOutputClockPolarity=\nCarrierFreqMhz=0.000000000\nCarrierAcqRangeHz=123456789.50000000\n"
    "CarrierSignalBwRatio=0.000000000\nInvertOutput=NO\nDemodMode=\nCarrierAcqLoopBandwidthPct=0.000000000\n"
    "CarrierTrkLoopBandwidthPct=0.000000000\nCarrierAcqModeUnaided=NO\nPmModIndex=0.000000000\n"
    "CarrierThesholdDbm=-87.250000000\nCarrierDiscriminatorEnabled=NO\nStreamControlS1Only=NO\n"
    "CarrierModIndexCompensationMode=\nCarrierPeakDeviation=0.000000000\nCarrierAcqLoopBandwidthHz=0.000000000\n"
    "CarrierTrkLoopBandwidthHz=0.000000000\nXmitterIsDigital=NO\nPeakDeviationFactorMin=0.000000000\n"
    "PeakDeviationFactorMax=0.000000000\nCarrierPeakDeviationRange=0.000000000\nPmDebugOutput1MuxSelect=\n"
    "PmDebugOutput2MuxSelect=\nPmCarrierLockDecisionPeriod=0.000000000\nPmLoopDiscriminatorFlag=YES\n"
    "MhCpmSymbolloopbandwidthPct=0.000000000\nMhCpmCarrierloopbandwidthPct=0.000000000\n"
    "MhCpmCarrierFrequencyMhz=0.000000000\nPmLoopDiscriminatorEnabled=2.750000000\n";
const char* const kRxBert =
    "InputSourceOn=NO\nPrnPattern=\nClockPolarity=\nUserPatternLength=0\nUserPatternRadix=0\nUserPattern=0000ABCD\n"
    "NumSecsToAverage=0\n";
const char* const kTxBert =
    "ClockPolarity=\nDataPolarity=\nInsertTimeCode=NO\nBitRate=0.000000000\nBitErrorRate=0.000000000\n"
    "SystemClock=0.000000000\nPrnPattern=\nUserPatternLength=0\nUserPatternRadix=0\nUserPattern=00000000\n";
const char* const kEncoder =
    "DataSource=\nOutputCode=\nConvolutionEncoding=NO\nSwapG1G2=NO\nInvertG2=NO\nInvertData=NO\n"
    "FallingClockEdge=NO\n";
const char* const kProfile =
    "Rate=0.000000000\nDurationPct=0.000000000\nMaxRangeValue=0.000000000\nMinRangeValue=0.000000000\n";
const char* const kFft =
    "CenterFreqMhz=0.000000000\nSpanMhz=0.000000000\nDisplayMode=\nWindowType=\nNumFftAverages=0\nUpdateRateHz=0\n"
    "DbPerDiv=0.000000000\nRefLevelPct=0.000000000\nPeakFilterPct=0.000000000\nNumBwAverages=0\n";
const char* const kDownConvert =
    "IntRef=NO\nLimitedOutputMode=NO\nAgcFreezeEnabled=NO\nAgcZeroEnabled=NO\nAgcOutputSlopeSelected=0\n"
    "DigitalAgcMode=0\nTcSelected=0\nCustomTcSettingsMsecsAry0=0.000000000\nCustomTcSettingsMsecsAry1=0.000000000\n"
    "CustomTcSettingsMsecsAry2=0.000000000\nUserAgcSlopeMode=NO\nUserAgcSlopeInfo_MinDbm=-100\n"
    "UserAgcSlopeInfo_MaxDbm=0\nUserAgcSlopeInfo_MinVolts=0.000000000\nUserAgcSlopeInfo_MaxVolts=0.000000000\n"
    "BwFilterSelected=0\nFreqBandSelected=0\nAmOutputInverted=NO\nAmLoPassFilterSelected=0\nExtDiscretePin4=NO\n"
    "FreqMhz=2250.500000000\nExtRefFreqMhz=0.000000000\nAmGain=200\nManGainControl=NO\nBitRate=0\nBiPhaseCode=NO\n"
    "BitsyncInputCode=0\nModulationType=0\nViterbiRate=0\nSignalBwRatioConstant=0.000000000\nDeltaRssiMode=NO\n"
    "UpdateRateHz=0\nCifTuningMode=0\nAutoInvertSpectrallyInvertedRF=NO\n";

// The whole file; `#` in a section name stands for its number. Line ends become CR LF.
std::string GoldenFile() {
  std::string text =
      "[Stream Designation_CARD_INFO]\nDesignation=NOT USED\nChannel A=NOT USED\nChannel B=NOT USED\n"
      "[Stream Route Info]\n"
      "FpgaMasterMode=5\nUserReceiverMode=6\nRoute Mode=0\nPreDCombinerMode=YES\nPostDCombinerMode=NO\n"
      "PskFmCombinerToChA=NO\n";
  const auto add = [&text](const std::string& header, const char* body, int number) {
    std::string name = header;
    if (const std::size_t at = name.find('#'); at != std::string::npos) name.replace(at, 1, std::to_string(number));
    text += "[" + name + "]\n" + body;
  };
  for (int n = 0; n < 2; ++n) {
    add("Rx Data# Bitsync", kBitsync, n);
    add("Rx Data# Bitsync2", kBitsync, n);
    add("Rx Data# Routing",
        "RecombineLocation=\nStreamSwapLocation=\nInvertLocation=\nBaseband1Output=\nBaseband2Output=\n"
        "PskSakBbOutSelection=0\n",
        n);
    add("Rx Data#", kReceiver, n);
  }
  for (int n = 0; n < 2; ++n) add("Rx Bert Data #", kRxBert, n);
  for (int n = 0; n < 2; ++n) add("Tx Bert Data #", kTxBert, n);
  add("Pre D Combiner Data",
      "NoiseEstimateMode=\nSignalBandwidthMhz=0.000000000\nTimeConstSecs=0.000000000\n"
      "PhaseTimeConstSecs=0.000000000\nNoiseFilterGainValue=0.000000000\nCenterFreqChAMhz=0.000000000\n"
      "CenterFreqChBMhz=0.000000000\nFixedNoiseChADbm=0.000000000\nFixedNoiseChBDbm=0.000000000\n"
      "SignalBwRatioConstant=0.000000000\nCombinerModePolarity=NO\nCombinerModeOff=NO\n",
      0);
  add("Post D Combiner Data", "DiversityOutput=\nCombinerModePolarity=NO\nCombinerModeOff=NO\n", 0);
  for (int n = 1; n <= 2; ++n) add("PCM ENCODER #", kEncoder, n);
  for (const char* name : {"CarEnableInfo", "ModEnabledInfo", "NoiseInfo", "NoiseEnabledInfo", "CarAmpInfo"}) {
    add(std::string("MOD PROFILE INFO_") + name, kProfile, 0);
  }
  add("MOD SWEEP INFO",
      "HasModSweep=NO\nSinglePass=NO\nSnapCtrAtEndCycle=NO\nSweepRateHz=0.000000000\nStartFreqMhz=0.000000000\n"
      "NumProfiles=0\nStopFreqMhzAry_0=0.000000000\nStopFreqMhzAry_1=0.000000000\nStopFreqMhzAry_2=0.000000000\n",
      0);
  add("MOD REST INFO",
      "InputSourceDirect=NO\nCarrierFreqMhz=0.000000000\nCarrierAmplitudeDbm=0.000000000\nTestGenPattern=\n"
      "ModulationMode=\nModulationType=\nIDataSource=\nQDataSource=\nIQRouting=\nInputPreprocess=\nSymbolRouting=\n"
      "CarrierEnabled=NO\nModulationEnabled=NO\nNoiseEnabled=NO\nCarrerToNoiseDbm=0.000000000\nIFMaxOutuptCal=0\n"
      "FSKPremodBandWidthHz=0.000000000\nFSKFmDeviationHz=0.000000000\nIPowerLevelDbm=0.000000000\n"
      "QPowerLevelDbm=0.000000000\nQPSKConjugate=NO\nSubcarrier1DeviationHz=0.000000000\n"
      "Subcarrier2DeviationHz=0.000000000\nFmPeakDeviationFactor=0.000000000\nDirPskPmModIndex=0.000000000\n"
      "RangePmModIndex=0.000000000\nCommandPmModIndex=0.000000000\nSubcarrier1PmModIndex=0.000000000\n"
      "Subcarrier2PmModIndex=0.000000000\nExtPmModIndex=0.000000000\nSub1RateHz=0.000000000\nSub1ModulationType=\n"
      "Sub1InputSource=\nSakLoopbackMode=NO\nSakIfModOutputToDiversity=NO\n",
      0);
  for (int n = 0; n < 3; ++n) add("FFT Data #", kFft, n);
  for (int n = 0; n < 2; ++n) add("IQ Data #", "NumDataPoints=0\nUpdateRateHz=0\n", n);
  add("Baseband Source Data", "BB1DacSource=0\nBB2DacSource=0\n", 0);
  for (int n = 1; n <= 2; ++n) add("DownConvert Data #", kDownConvert, n);
  for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2)) text.insert(at, "\r");
  return text;
}

TEST(SetupFileGolden, NewFileHoldsEverySectionAndKeyInOrder) {
  testsupport::LoggedProgramFolder program;
  const std::string file = program / "GOLDEN.VexA";
  ASSERT_TRUE(settings::WriteCardSetup(3, file, GoldenSetup(), GoldenDnCvt(), GoldenDnCvt()));
  EXPECT_EQ(testsupport::ReadWholeFile(file), GoldenFile());
}

}  // namespace
