// The card setup file as the writer lays it out: every section in order, every key, each value
// form, pinned byte for byte.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>

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
  s.RouteInfo.RouteMode = 1;
  s.RouteInfo.PreDCombinerMode = 1;
  s.RouteInfo.PskFmCombinerToChA = 1;
  for (int n = 0; n < 2; ++n) {
    card::ReceiverRecord& rx = s.Receiver[n];
    rx.BitSync[0].Bitrate = 5000000 + n;
    SetSetupText(rx.BitSync[0].PcmInputCode, "NRZL");
    rx.BitSync[0].TrkLoopBandwidthPct = 0.125;
    rx.BitSync[0].ViterbiDecodeEnabled = 1;
    rx.BitSync[1].Bitrate = 2500000;
    rx.BitSync[1].ViterbiG2Inverted = 1;
    SetSetupText(rx.Routing.Baseband1Output, "I_FIR_DBG");
    rx.Routing.PskSakBbOutSelection = 3;
    SetSetupText(rx.InputSource, n == 0 ? "IF_INPUT1" : "IF_INPUT2");
    rx.CarrierAcqRangeHz = 123456789.5;  // nine integer digits: the decimals are cut, never the integer
    rx.InvertOutput = 1;
    rx.CarrierThesholdDbm = -87.25;
    rx.PmModIndex = 0.001953125;
    rx.PmLoopDiscriminatorEnabled = 1;
    rx.MhCpmCarrierFrequencyMhz = -0.000000001;
    rx.MhCpmLoopValue = 2.75;
  }
  s.RxBert[0].InputSourceOn = 1;
  SetSetupText(s.RxBert[0].PrnPattern, "PN15");
  s.RxBert[0].UserPattern = 43981;
  s.RxBert[0].NumSecsToAverage = 10;
  s.RxBert[1] = s.RxBert[0];
  s.RxBert[1].UserPattern = 0xFFFFFFFFu;
  SetSetupText(s.TxBert[0].ClockPolarity, "INVERTED");
  s.TxBert[0].BitErrorRate = 0.00001;
  s.TxBert[1] = s.TxBert[0];
  s.TxBert[1].UserPattern = 0x1234abcdu;
  s.PreD.NoiseFilterGainValue = 8.0;
  s.PreD.CombinerModeOff = 1;
  SetSetupText(s.PostD.DiversityOutput, "COMBINING_OUTPUT");
  s.PostD.CombinerModePolarity = 1;
  card::ModulatorRecord& m = s.Modulator;
  SetSetupText(m.PcmEncoder[0].DataSource, "PRN");
  m.PcmEncoder[1] = m.PcmEncoder[0];
  m.PcmEncoder[1].FallingClockEdge = 1;
  for (int p = 0; p < 5; ++p) m.Profiles[p].Rate = 100.0 * p;
  m.HasModSweep = 1;
  m.StartFreqMhz = 69.75;
  m.NumProfiles = 2;
  m.StopFreqMhzAry[2] = 70.25;
  m.CarrierAmplitudeDbm = -30.5;
  SetSetupText(m.ModulationType, "BPSK");
  m.CarrierEnabled = 1;
  m.IFMaxOutuptCal = -4;
  SetSetupText(m.Sub1InputSource, "PCM_ENCODER1");
  m.SakIfModOutputToDiversity = 1;
  s.Fft[0].CenterFreqMhz = 70.0;
  s.Fft[0].NumFftAverages = 8;
  s.Fft[0].PeakFilterPct = 25.0;
  s.Fft[0].RefLevelPct = 90.0;
  s.Fft[0].NumBwAverages = 4;
  s.Iq[1].NumDataPoints = 1024;
  s.Iq[1].UpdateRateHz = 10;
  s.BasebandSources.BB1DacSource = 1;
  s.BasebandSources.BB2DacSource = 2;
  return s;
}

card::DnCvtChannelRecord GoldenDnCvt(double freqMhz) {
  card::DnCvtChannelRecord r{};
  card::DnCvtSetupRecord& d = r.Setup;
  d.IntRef = 1;
  d.AgcOutputSlopeSelected = 6;
  d.CustomTcSettingsMsecsAry[2] = 0.5;
  d.UserAgcSlopeInfo.MaxDbm = -10;
  d.UserAgcSlopeInfo.MinDbm = -100;
  d.UserAgcSlopeInfo.MinVolts = 0.25;
  d.BwFilterSelected = 11;
  d.FreqMhz = freqMhz;
  d.AmGain = 200;
  d.CifTuningMode = 1;
  return r;
}

// The profile store writes section names trimmed of blanks ("Pre D Combiner Data " becomes
// "[Pre D Combiner Data]"); readers match names trimmed, so files with either spelling load.
const char* const kHead = R"([Stream Designation_CARD_INFO]
Designation=NOT USED
Channel A=NOT USED
Channel B=NOT USED
[Stream Route Info]
FpgaMasterMode=5
UserReceiverMode=6
Route Mode=1
PreDCombinerMode=YES
PostDCombinerMode=NO
PskFmCombinerToChA=YES
)";
// Receiver 1 repeats these lines with its own section names, bit rate and input.
const char* const kReceiver0 = R"([Rx Data0 Bitsync]
Bitrate=5000000
PcmInputCode=NRZL
PcmOutputCode=
AcqLoopBandwidthPct=0.000000000
TrkLoopBandwidthPct=0.125000000
ViterbiRateMode=
ViterbiSymbolOrder=
ViterbiDecodeEnabled=YES
ViterbiG1Inverted=NO
ViterbiG2Inverted=NO
[Rx Data0 Bitsync2]
Bitrate=2500000
PcmInputCode=
PcmOutputCode=
AcqLoopBandwidthPct=0.000000000
TrkLoopBandwidthPct=0.000000000
ViterbiRateMode=
ViterbiSymbolOrder=
ViterbiDecodeEnabled=NO
ViterbiG1Inverted=NO
ViterbiG2Inverted=YES
[Rx Data0 Routing]
RecombineLocation=
StreamSwapLocation=
InvertLocation=
Baseband1Output=I_FIR_DBG
Baseband2Output=
PskSakBbOutSelection=3
[Rx Data0]
InputSource=IF_INPUT1
OutputClockPolarity=
CarrierFreqMhz=0.000000000
CarrierAcqRangeHz=123456789.50000000
CarrierSignalBwRatio=0.000000000
InvertOutput=YES
DemodMode=
CarrierAcqLoopBandwidthPct=0.000000000
CarrierTrkLoopBandwidthPct=0.000000000
CarrierAcqModeUnaided=NO
PmModIndex=0.001953125
CarrierThesholdDbm=-87.250000000
CarrierDiscriminatorEnabled=NO
StreamControlS1Only=NO
CarrierModIndexCompensationMode=
CarrierPeakDeviation=0.000000000
CarrierAcqLoopBandwidthHz=0.000000000
CarrierTrkLoopBandwidthHz=0.000000000
XmitterIsDigital=NO
PeakDeviationFactorMin=0.000000000
PeakDeviationFactorMax=0.000000000
CarrierPeakDeviationRange=0.000000000
PmDebugOutput1MuxSelect=
PmDebugOutput2MuxSelect=
PmCarrierLockDecisionPeriod=0.000000000
PmLoopDiscriminatorFlag=YES
MhCpmSymbolloopbandwidthPct=0.000000000
MhCpmCarrierloopbandwidthPct=0.000000000
MhCpmCarrierFrequencyMhz=-0.000000001
PmLoopDiscriminatorEnabled=2.750000000
)";
// Bit error rate tester 1 repeats these lines with its own name and user pattern.
const char* const kRxBert0 = R"([Rx Bert Data 0]
InputSourceOn=YES
PrnPattern=PN15
ClockPolarity=
UserPatternLength=0
UserPatternRadix=0
UserPattern=0000ABCD
NumSecsToAverage=10
)";
const char* const kTxBert0 = R"([Tx Bert Data 0]
ClockPolarity=INVERTED
DataPolarity=
InsertTimeCode=NO
BitRate=0.000000000
BitErrorRate=0.000010000
SystemClock=0.000000000
PrnPattern=
UserPatternLength=0
UserPatternRadix=0
UserPattern=00000000
)";
const char* const kCombiners = R"([Pre D Combiner Data]
NoiseEstimateMode=
SignalBandwidthMhz=0.000000000
TimeConstSecs=0.000000000
PhaseTimeConstSecs=0.000000000
NoiseFilterGainValue=8.000000000
CenterFreqChAMhz=0.000000000
CenterFreqChBMhz=0.000000000
FixedNoiseChADbm=0.000000000
FixedNoiseChBDbm=0.000000000
SignalBwRatioConstant=0.000000000
CombinerModePolarity=NO
CombinerModeOff=YES
[Post D Combiner Data]
DiversityOutput=COMBINING_OUTPUT
CombinerModePolarity=YES
CombinerModeOff=NO
)";
const char* const kEncoder1 = R"([PCM ENCODER 1]
DataSource=PRN
OutputCode=
ConvolutionEncoding=NO
SwapG1G2=NO
InvertG2=NO
InvertData=NO
FallingClockEdge=NO
)";
// Profile n of the five: "[MOD PROFILE INFO_<name>]" with Rate=100n.
const char* const kProfile = R"(
Rate=0.000000000
DurationPct=0.000000000
MaxRangeValue=0.000000000
MinRangeValue=0.000000000
)";
const char* const kModulatorToFft0 = R"([MOD SWEEP INFO]
HasModSweep=YES
SinglePass=NO
SnapCtrAtEndCycle=NO
SweepRateHz=0.000000000
StartFreqMhz=69.750000000
NumProfiles=2
StopFreqMhzAry_0=0.000000000
StopFreqMhzAry_1=0.000000000
StopFreqMhzAry_2=70.250000000
[MOD REST INFO]
InputSourceDirect=NO
CarrierFreqMhz=0.000000000
CarrierAmplitudeDbm=-30.500000000
TestGenPattern=
ModulationMode=
ModulationType=BPSK
IDataSource=
QDataSource=
IQRouting=
InputPreprocess=
SymbolRouting=
CarrierEnabled=YES
ModulationEnabled=NO
NoiseEnabled=NO
CarrerToNoiseDbm=0.000000000
IFMaxOutuptCal=-4
FSKPremodBandWidthHz=0.000000000
FSKFmDeviationHz=0.000000000
IPowerLevelDbm=0.000000000
QPowerLevelDbm=0.000000000
QPSKConjugate=NO
Subcarrier1DeviationHz=0.000000000
Subcarrier2DeviationHz=0.000000000
FmPeakDeviationFactor=0.000000000
DirPskPmModIndex=0.000000000
RangePmModIndex=0.000000000
CommandPmModIndex=0.000000000
Subcarrier1PmModIndex=0.000000000
Subcarrier2PmModIndex=0.000000000
ExtPmModIndex=0.000000000
Sub1RateHz=0.000000000
Sub1ModulationType=
Sub1InputSource=PCM_ENCODER1
SakLoopbackMode=NO
SakIfModOutputToDiversity=YES
[FFT Data 0]
CenterFreqMhz=70.000000000
SpanMhz=0.000000000
DisplayMode=
WindowType=
NumFftAverages=8
UpdateRateHz=0
DbPerDiv=0.000000000
RefLevelPct=90.000000000
PeakFilterPct=25.000000000
NumBwAverages=4
)";
// FFT 2 repeats these lines under its own name.
const char* const kFft1 = R"([FFT Data 1]
CenterFreqMhz=0.000000000
SpanMhz=0.000000000
DisplayMode=
WindowType=
NumFftAverages=0
UpdateRateHz=0
DbPerDiv=0.000000000
RefLevelPct=0.000000000
PeakFilterPct=0.000000000
NumBwAverages=0
)";
const char* const kIqAndBaseband = R"([IQ Data 0]
NumDataPoints=0
UpdateRateHz=0
[IQ Data 1]
NumDataPoints=1024
UpdateRateHz=10
[Baseband Source Data]
BB1DacSource=1
BB2DacSource=2
)";
// Converter 2 repeats these lines with its own name and frequency.
const char* const kDownConvert1 = R"([DownConvert Data 1]
IntRef=YES
LimitedOutputMode=NO
AgcFreezeEnabled=NO
AgcZeroEnabled=NO
AgcOutputSlopeSelected=6
DigitalAgcMode=0
TcSelected=0
CustomTcSettingsMsecsAry0=0.000000000
CustomTcSettingsMsecsAry1=0.000000000
CustomTcSettingsMsecsAry2=0.500000000
UserAgcSlopeMode=NO
UserAgcSlopeInfo_MinDbm=-100
UserAgcSlopeInfo_MaxDbm=-10
UserAgcSlopeInfo_MinVolts=0.250000000
UserAgcSlopeInfo_MaxVolts=0.000000000
BwFilterSelected=11
FreqBandSelected=0
AmOutputInverted=NO
AmLoPassFilterSelected=0
ExtDiscretePin4=NO
FreqMhz=2250.500000000
ExtRefFreqMhz=0.000000000
AmGain=200
ManGainControl=NO
BitRate=0
BiPhaseCode=NO
BitsyncInputCode=0
ModulationType=0
ViterbiRate=0
SignalBwRatioConstant=0.000000000
DeltaRssiMode=NO
UpdateRateHz=0
CifTuningMode=1
AutoInvertSpectrallyInvertedRF=NO
)";

// `text` with every `from` replaced by its `to`, and LF line ends made CR LF.
std::string Edited(std::string text, std::initializer_list<std::pair<std::string, std::string>> edits = {}) {
  for (const auto& [from, to] : edits) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
      text.replace(at, from.size(), to);
    }
  }
  for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2)) text.insert(at, "\r");
  return text;
}

TEST(SetupFileGolden, NewFileHoldsEverySectionAndKeyInOrder) {
  testsupport::LoggedProgramFolder program;
  const std::string file = program / "GOLDEN.VexA";
  ASSERT_TRUE(settings::WriteCardSetup(3, file, GoldenSetup(), GoldenDnCvt(2250.5), GoldenDnCvt(1435.0)));
  std::string golden =
      Edited(kHead) + Edited(kReceiver0) +
      Edited(kReceiver0, {{"Rx Data0", "Rx Data1"}, {"=5000000", "=5000001"}, {"IF_INPUT1", "IF_INPUT2"}}) +
      Edited(kRxBert0) + Edited(kRxBert0, {{"Data 0", "Data 1"}, {"0000ABCD", "FFFFFFFF"}}) + Edited(kTxBert0) +
      Edited(kTxBert0, {{"Data 0", "Data 1"}, {"UserPattern=00000000", "UserPattern=1234ABCD"}}) +
      Edited(kCombiners) + Edited(kEncoder1) +
      Edited(kEncoder1, {{"ENCODER 1", "ENCODER 2"}, {"FallingClockEdge=NO", "FallingClockEdge=YES"}});
  int rate = 0;
  for (const char* name : {"CarEnableInfo", "ModEnabledInfo", "NoiseInfo", "NoiseEnabledInfo", "CarAmpInfo"}) {
    golden += Edited(std::string("[MOD PROFILE INFO_") + name + "]" + kProfile,
                     {{"Rate=0.", "Rate=" + std::to_string(rate) + "."}});
    rate += 100;
  }
  golden += Edited(kModulatorToFft0) + Edited(kFft1) + Edited(kFft1, {{"FFT Data 1", "FFT Data 2"}}) +
            Edited(kIqAndBaseband) + Edited(kDownConvert1) +
            Edited(kDownConvert1, {{"Data 1]", "Data 2]"}, {"FreqMhz=2250.500000000", "FreqMhz=1435.000000000"}});
  EXPECT_EQ(testsupport::ReadWholeFile(file), golden);
}

}  // namespace
