#pragma once
// The set manager (`gKr20SetMgr`): the one road by which the settings of the operator windows and
// of remote commands reach the receiver cards, and the home of what the timer tasks read back
// (per channel a status record and a display block). One setter per setting, each taking
// (card, channel, value...): it re-applies the card's routing, pushes the value through the card
// object (or the down-converter manager), stores it in the card setup record and repeats it for
// the card's other channel by the setter's repeat rule (kSetterRules below).
//
// A card index outside 0 .. CardCount()-1 of `gRtl20Mgr`, or a channel outside 0 .. 1, does
// nothing. Simulated cards get only the store: their card objects send nothing.
//
// No lock of its own: callers run one setting at a time (user-interface thread, or the command
// server's receive thread while the user-interface thread waits).
#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "card/if_rx_auto_logic.h"
#include "config/globals.h"
#include "settings/channel_status_record.h"
#include "settings/display_data_block.h"

namespace card {
class kr20cardclass;
struct CardSetupRecord;
struct DnCvtChannelRecord;
}  // namespace card

namespace settings {

inline constexpr int kCards = config::kMaxCards;
inline constexpr int kChannels = config::kChannelsPerCard;

// 1 for channel 0, 0 for any other value.
constexpr int OtherChannel(int channel) { return channel == 0 ? 1 : 0; }

// How a setter's value reaches the card's other channel.
enum class Repeat : std::uint8_t {
  WithRouteMode,         // whenever the card's Route Mode is not 0
  Always,                // whatever the Route Mode (the Viterbi settings)
  Never,                 // channel-only (input source)
  OutsideFreqDiversity,  // Route Mode not 0 and the card not combining in frequency diversity
  PerCard,               // a card-level (combiner) setting: there is no other channel to repeat for
  WhereDnCvtTied,        // Route Mode not 0 and a down-converter tied to both channels
};

enum class SetterId : std::uint8_t {
  AgcFreeze, AgcZero, RestartAcquisition, TunedFreq, TunedFreqBoth, ApplyIfRxAutoLogic, DataRate,
  PcmInputCode, ModulationFormat, InputSource, PostDDiversityOutput, CarrierCenterFreq, CarrierAcqRange,
  CarrierAcqMode, CarrierAcqLoopBw, CarrierTrackLoopBw, SignalThreshold, SignalFilterBwRatio,
  PeakDevCompFactors, BitsyncAcqRange, BitsyncLoopWidth, PreDCombinerMode, PostDCombinerMode, PreDSignalBw,
  PreDTimeConst, PreDPhaseTimeConst, PreDNoiseEstimateMode, PreDCenterFreq, PreDFixedNoise, ClockPolarity,
  DataPolarity, PcmOutputCode, ViterbiDecodeEnable, ViterbiSymbolInvert, ViterbiRateMode, ViterbiSymbolOrder,
  AgcTimeConst, SawIfFilter, DnCvtLimitedOutputMode, DnCvtDigitalAgcMode, BertUserPattern, BertSampleLength,
  BertPnPattern, BertClockPolarity, BertInputSource, ResetBertStats,
  Count
};

struct SetterRule {
  SetterId Id;
  const char* Name;
  Repeat Rule;
  // Whether the card's routing is re-applied (ApplyGroupSetupToCards) before the value is sent.
  bool RouteApply;
};

// The repeat rules, one entry per setter in SetterId order: the code and the tests both read them.
inline constexpr std::array<SetterRule, static_cast<std::size_t>(SetterId::Count)> kSetterRules{{
    {SetterId::AgcFreeze, "SetAgcFreeze", Repeat::WithRouteMode, true},
    {SetterId::AgcZero, "SetAgcZero", Repeat::WithRouteMode, true},
    {SetterId::RestartAcquisition, "RestartAcquisition", Repeat::WithRouteMode, true},
    {SetterId::TunedFreq, "SetTunedFreq", Repeat::OutsideFreqDiversity, false},
    {SetterId::TunedFreqBoth, "SetTunedFreqBoth", Repeat::WithRouteMode, false},
    {SetterId::ApplyIfRxAutoLogic, "ApplyIfRxAutoLogic", Repeat::Never, false},
    {SetterId::DataRate, "SetDataRate", Repeat::WithRouteMode, true},
    {SetterId::PcmInputCode, "SetPcmInputCode", Repeat::WithRouteMode, true},
    {SetterId::ModulationFormat, "SetModulationFormat", Repeat::WithRouteMode, true},
    {SetterId::InputSource, "SetInputSource", Repeat::Never, true},
    {SetterId::PostDDiversityOutput, "SetPostDDiversityOutput", Repeat::WithRouteMode, true},
    {SetterId::CarrierCenterFreq, "SetCarrierCenterFreq", Repeat::WithRouteMode, true},
    {SetterId::CarrierAcqRange, "SetCarrierAcqRange", Repeat::WithRouteMode, true},
    {SetterId::CarrierAcqMode, "SetCarrierAcqMode", Repeat::WithRouteMode, true},
    {SetterId::CarrierAcqLoopBw, "SetCarrierAcqLoopBw", Repeat::WithRouteMode, true},
    {SetterId::CarrierTrackLoopBw, "SetCarrierTrackLoopBw", Repeat::WithRouteMode, true},
    {SetterId::SignalThreshold, "SetSignalThreshold", Repeat::WithRouteMode, true},
    {SetterId::SignalFilterBwRatio, "SetSignalFilterBwRatio", Repeat::WithRouteMode, true},
    {SetterId::PeakDevCompFactors, "SetPeakDevCompFactors", Repeat::WithRouteMode, true},
    {SetterId::BitsyncAcqRange, "SetBitsyncAcqRange", Repeat::WithRouteMode, true},
    {SetterId::BitsyncLoopWidth, "SetBitsyncLoopWidth", Repeat::WithRouteMode, true},
    {SetterId::PreDCombinerMode, "SetPreDCombinerMode", Repeat::PerCard, true},
    {SetterId::PostDCombinerMode, "SetPostDCombinerMode", Repeat::PerCard, true},
    {SetterId::PreDSignalBw, "SetPreDSignalBw", Repeat::PerCard, true},
    {SetterId::PreDTimeConst, "SetPreDTimeConst", Repeat::PerCard, true},
    {SetterId::PreDPhaseTimeConst, "SetPreDPhaseTimeConst", Repeat::PerCard, true},
    {SetterId::PreDNoiseEstimateMode, "SetPreDNoiseEstimateMode", Repeat::PerCard, true},
    {SetterId::PreDCenterFreq, "SetPreDCenterFreq", Repeat::PerCard, true},
    {SetterId::PreDFixedNoise, "SetPreDFixedNoise", Repeat::PerCard, true},
    {SetterId::ClockPolarity, "SetClockPolarity", Repeat::WithRouteMode, true},
    {SetterId::DataPolarity, "SetDataPolarity", Repeat::WithRouteMode, true},
    {SetterId::PcmOutputCode, "SetPcmOutputCode", Repeat::WithRouteMode, true},
    {SetterId::ViterbiDecodeEnable, "SetViterbiDecodeEnable", Repeat::Always, true},
    {SetterId::ViterbiSymbolInvert, "SetViterbiSymbolInvert", Repeat::Always, true},
    {SetterId::ViterbiRateMode, "SetViterbiRateMode", Repeat::Always, true},
    {SetterId::ViterbiSymbolOrder, "SetViterbiSymbolOrder", Repeat::Always, true},
    {SetterId::AgcTimeConst, "SetAgcTimeConst", Repeat::WhereDnCvtTied, true},
    {SetterId::SawIfFilter, "SetSawIfFilter", Repeat::WhereDnCvtTied, true},
    {SetterId::DnCvtLimitedOutputMode, "SetDnCvtLimitedOutputMode", Repeat::WhereDnCvtTied, true},
    {SetterId::DnCvtDigitalAgcMode, "SetDnCvtDigitalAgcMode", Repeat::WhereDnCvtTied, true},
    {SetterId::BertUserPattern, "SetBertUserPattern", Repeat::WithRouteMode, true},
    {SetterId::BertSampleLength, "SetBertSampleLength", Repeat::WithRouteMode, true},
    {SetterId::BertPnPattern, "SetBertPnPattern", Repeat::WithRouteMode, true},
    {SetterId::BertClockPolarity, "SetBertClockPolarity", Repeat::WithRouteMode, true},
    {SetterId::BertInputSource, "SetBertInputSource", Repeat::WithRouteMode, true},
    {SetterId::ResetBertStats, "ResetBertStats", Repeat::WithRouteMode, true},
}};

static_assert([] {
  for (std::size_t i = 0; i < kSetterRules.size(); ++i) {
    if (static_cast<std::size_t>(kSetterRules[i].Id) != i) return false;
  }
  return true;
}(), "kSetterRules must list the setters in SetterId order");

const SetterRule& RuleOf(SetterId id);

// Whether a setter with `rule` repeats its value for the other channel.
bool RepeatsForOtherChannel(Repeat rule, int routeMode, bool freqDiversity, bool bothChannelsHaveDnCvt);

// Per channel of a flight record: what the status tasks leave for the next record line.
struct flightrecordparaminfo {
  double Rssi = -200.0;  // down-converter signal strength (plus load value); -200 without one
  double IfCarrierPowerDbm = 0.0;
  double IfCarrierFreqHz = 0.0;
  double Deviation = 0.0;
  double EbNoDb = 0.0;
  double Ber = 0.0;
  std::uint8_t BerValid = 0;
  std::uint8_t BitSyncLock = 0;
  double TunedFreqMhz = 0.0;
  double IfBandwidthKhz = 0.0;
  double AgcTimeConstMsecs = 0.0;
  std::string PcmInputCode;
  double BitRateMbps = 0.0;
  std::string DemodType;
  std::string InputSource;
  double PeakDeviation = 0.0;
  double PeakDeviationSpread = 0.0;
};

struct flightrecordinfo {
  // Open record file, null while closed; opened and closed only by the flight-record writer.
  std::FILE* File = nullptr;
  std::string FileName;
  std::array<flightrecordparaminfo, kChannels> Params{};
};

// What a card's status records and display blocks were last filled under: its personality and,
// per channel, the receiver family (0 PSK, 1 PCM/FM, 2 PM, 3 multi-h CPM) and the IQ and FFT capture.
struct ReadMode {
  bool Known = false;
  int Personality = -1;
  std::array<std::uint8_t, kChannels> Family{};
  std::array<bool, kChannels> Iq{};
  std::array<bool, kChannels> Fft{};
  bool operator==(const ReadMode&) const = default;
};

using StatusRecordTable = std::array<std::array<ChannelStatusRecord, kChannels>, kCards>;
using DisplayBlockTable = std::array<std::array<DisplayDataBlock, kChannels>, kCards>;

}  // namespace settings

class kr20setmgrclass final : public card::IfRxAutoSetters {
 public:
  // Everything empty and zeroed, the six lists filled, the flight-record flag cleared, and the
  // object installed as the card layer's IF-receiver-logic setters.
  kr20setmgrclass();
  // Stops the flight record and uninstalls itself.
  ~kr20setmgrclass() override;
  kr20setmgrclass(const kr20setmgrclass&) = delete;
  kr20setmgrclass& operator=(const kr20setmgrclass&) = delete;

  // ---- Data ------------------------------------------------------------------------------------

  std::string ProjectName;
  std::array<std::string, settings::kCards> SetupFileNames;
  std::array<settings::flightrecordinfo, settings::kCards> FlightRecords{};

  std::vector<std::string> ModulationList;
  std::vector<std::string> PskInputSourceList;
  std::vector<std::string> FmInputSourceList;
  std::vector<std::string> PmInputSourceList;
  std::vector<std::string> PcmInputCodeList;
  std::vector<std::string> PcmOutputCodeList;

  // [card][channel]; the indices must be valid (0..5, 0..1).
  settings::ChannelStatusRecord& StatusRecord(int card, int channel) { return (*status_)[Idx(card)][Idx(channel)]; }
  settings::DisplayDataBlock& DisplayBlock(int card, int channel) { return (*display_)[Idx(card)][Idx(channel)]; }
  settings::StatusRecordTable& StatusRecords() { return *status_; }
  settings::DisplayBlockTable& DisplayBlocks() { return *display_; }

  // ---- Flight record (settings/flight_record.cpp) -----------------------------------------------
  // Starts (or restarts) recording into a new archive folder: one file per card with its headers.
  void StartFlightRecord();
  // One data line per card while recording is on (the master timer calls it at the chosen rate).
  void WriteFlightRecordLines();
  // Clears the recording flag and closes every open record file.
  void StopFlightRecord();

  // ---- Card mode change and setup recall (settings/card_recall.cpp) ----------------------------
  // Makes the card run the personality its setup asks for, then re-applies the whole setup.
  void ApplyCardMode(int card);
  // Re-applies the card's whole setup, its down-converters' setups with it, and restarts
  // acquisition (after an FPGA image load).
  void ReapplyCardAndRestart(int card);
  // Loads the card's setup file and applies it; true when the file was loaded.
  bool RecallCardSetup(int card);

  // ---- Timer tasks (status_readers.cpp, display_data.cpp) --------------------------------------

  // Every 0.04 s: down-converter fields (when no card type is simulated), post-D and pre-D blocks.
  void RefreshCombinerAndDownConverterStatus();
  // Every 0.1 s: receiver and bit-sync fields, down-converter flags, route information.
  void RefreshChannelStatus();
  // Every 1 s: receive BERTs, down-converter fields (when some type is simulated), flight values.
  void RefreshBertStatusAndFlightValues();
  // Every 1 s: the transmitter-is-digital pulse of PCM/FM channels whose bit sync is not locked.
  void CheckFmXmitterIsDigital();
  // Every master-timer tick: ends, under the card command lock, the pulses that have lasted long
  // enough, on every card whatever its channels now run.
  void EndXmitterPulses();
  // The card's combiner block of its channel-0 record; nothing for a bad card index.
  void GetPostDStatusInfo(int card);
  void GetPreDStatusInfo(int card);
  // Every 0.2 s: IQ pairs and spectrum points into the display blocks.
  void RefreshFftIqData();
  // Run by each task before it reads a card (settings/mode_values.cpp): when the card has changed
  // its personality (or a channel its family or capture) since the last task, every block the
  // tasks fill for the card (receiver, bit syncs, BERT, combiners, IQ and spectrum) goes back to
  // what a fresh record holds, so that nothing of the old mode stays where the new one does not
  // read. The converter fields and the AGC zero reference are the converter's and stay.
  void ForgetValuesOfOldMode(int card);

  // ---- Setters ---------------------------------------------------------------------------------

  void SetAgcFreeze(int card, int channel, std::uint8_t on);
  void SetAgcZero(int card, int channel, std::uint8_t on);
  void RestartAcquisition(int card, int channel);
  void SetTunedFreq(int card, int channel, double freqMhz) override;
  void SetTunedFreqBoth(int card, double freqMhzCh0, double freqMhzCh1);
  void ApplyIfRxAutoLogic(int card, int channel);
  void SetDataRate(int card, int channel, std::int32_t bitRate);
  void SetPcmInputCode(int card, int channel, std::string_view code);
  void SetModulationFormat(int card, int channel, std::string_view modulation, std::uint8_t pcmFmWanted);
  void SetInputSource(int card, int channel, std::string_view source);
  void SetPostDDiversityOutput(int card, int channel, std::string_view output);
  void SetCarrierCenterFreq(int card, int channel, double hz);
  void SetCarrierAcqRange(int card, int channel, double rangeHz) override;
  void SetCarrierAcqMode(int card, int channel, std::string_view mode);
  void SetCarrierAcqLoopBw(int card, int channel, double bandwidth) override;
  void SetCarrierTrackLoopBw(int card, int channel, double bandwidth);
  void SetSignalThreshold(int card, int channel, double threshold);
  void SetSignalFilterBwRatio(int card, int channel, double ifBandwidthMhz) override;
  void SetPeakDevCompFactors(int card, int channel, double spread);
  void SetBitsyncAcqRange(int card, int channel, double pct);
  void SetBitsyncLoopWidth(int card, int channel, double pct);
  void SetPreDCombinerMode(int card, int channel, std::uint8_t mode);
  void SetPostDCombinerMode(int card, int channel, std::uint8_t mode);
  void SetPreDSignalBw(int card, int channel, double bandwidthHz) override;
  void SetPreDTimeConst(int card, int channel, double seconds);
  void SetPreDPhaseTimeConst(int card, int channel, double seconds);
  void SetPreDNoiseEstimateMode(int card, int channel, std::string_view mode);
  void SetPreDCenterFreq(int card, int channel, std::uint8_t channelB, double hz);
  void SetPreDFixedNoise(int card, int channel, std::uint8_t channelB, double value);
  void SetClockPolarity(int card, int channel, std::string_view polarity);
  void SetDataPolarity(int card, int channel, std::uint8_t invert);
  void SetPcmOutputCode(int card, int channel, std::string_view code);
  void SetViterbiDecodeEnable(int card, int channel, std::uint8_t enable);
  void SetViterbiSymbolInvert(int card, int channel, std::uint8_t g1, std::uint8_t invert);
  void SetViterbiRateMode(int card, int channel, std::string_view rate);
  void SetViterbiSymbolOrder(int card, int channel, std::string_view order);
  void SetAgcTimeConst(int card, int channel, std::int32_t tcIndex);
  void SetSawIfFilter(int card, int channel, std::int32_t filterIndex);
  void SetDnCvtLimitedOutputMode(int card, int channel, std::uint8_t limited) override;
  void SetDnCvtDigitalAgcMode(int card, int channel, std::int32_t mode);
  void SetBertUserPattern(int card, int channel, std::uint32_t pattern, std::int32_t lengthBits);
  void SetBertSampleLength(int card, int channel, std::int32_t seconds);
  void SetBertPnPattern(int card, int channel, std::string_view pattern);
  void SetBertClockPolarity(int card, int channel, std::string_view polarity);
  void SetBertInputSource(int card, int channel, std::uint8_t source);
  void ResetBertStats(int card, int channel);

  // Option appliers (no routing, no repeat), after the options dialog closes.
  void ApplyPcmFmRxRegisterOption(int card);
  void ApplyFmPostDRegisterOption(int card);

  // ---- Automatic adjustments on the master timer (settings/auto_adjust.cpp) --------------------
  // Every 0.2 s: moves a PCM/FM channel's carrier tracking loop bandwidth to the suggested value
  // when it is 1000 Hz or more away; only with the option "EnableIFCarCFAlg" on.
  void AutoAdjustIfTrackLoopBw();
  // Every 0.1 s: on a dual PCM/FM post-D card (mode 12) with Route Mode 1, the combined output
  // follows channel B when its post-D Eb/No is strictly above channel A's.
  void UpdateDualPcmFmOutputSelect();
  // ---- End of automatic adjustments -------------------------------------------------------------

  // What a setter works through for one (card, channel).
  struct Context {
    int Card = -1;
    int Channel = -1;
    int DcIndex = -1;
    bool MhCpm = false;
    bool Pm = false;
    bool PcmFm = false;
    card::DnCvtChannelRecord* DcRecord = nullptr;
    card::CardSetupRecord* Setup = nullptr;
    card::kr20cardclass* Object = nullptr;
  };

 private:
  static std::size_t Idx(int i) { return static_cast<std::size_t>(i); }

  // The context of a valid (card, channel) whose card object exists; false otherwise.
  static bool ContextOf(int card, int channel, Context& context);
  // The common shape: context, routing re-applied (when the setter's rule says so), `step`
  // (context, mirror) on the channel, then on the other channel when the rule repeats it.
  template <class Step>
  void Run(settings::SetterId id, int card, int channel, Step step);

  std::unique_ptr<settings::StatusRecordTable> status_;
  std::unique_ptr<settings::DisplayBlockTable> display_;
  std::array<settings::ReadMode, settings::kCards> readModes_{};
};
