// The card and receiver commands (100 to 456): card-level commands, combiner and AGC, receiver,
// bit-sync and Viterbi. Each handler runs after the processor has validated the request and read
// the argument by the command's rule; settings go through the set manager's setters as the
// operator windows send them, with the channel's down-converter taken from its context.
#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "card/card_routines.h"
#include "card/kr20card.h"
#include "card/mode_routines.h"
#include "card/personality_routines.h"
#include "card/records/card_setup_record.h"
#include "card/records/dncvt_channel_record.h"
#include "card/rtl20_manager.h"
#include "card/setup_routines.h"
#include "config/globals.h"
#include "net/remote_command_table.h"
#include "platform/path_resolve.h"
#include "settings/card_recall.h"
#include "settings/last_setup.h"
#include "settings/operation_mode.h"
#include "settings/set_manager.h"
#include "settings/setup_file.h"
#include "util/number_text.h"
#include "util/process_globals.h"
#include "util/speaker.h"

namespace net {
namespace {

using Ctx = RemoteCommandContext;
using Arg = RemoteArgument;

constexpr const char* kSetupFolder = "/USER/SETUPFILES/";
constexpr const char* kDefaultSetupBaseName = "A_DEFAULT";
constexpr int kReadBackCount = 8;

std::size_t Ch(const Ctx& c) { return static_cast<std::size_t>(c.Channel); }
card::DnCvtChannelRecord* Dc(const Ctx& c) { return c.DnCvtRecord[Ch(c)]; }
kr20setmgrclass& SetMgr() { return *gKr20SetMgr; }
bool HaveSetMgr() { return gKr20SetMgr != nullptr; }

std::string SetupFilePathOf(const std::string& baseName) {
  return util::ProgramFolder() + kSetupFolder + baseName + "." + settings::kSetupFileExtension;
}

// ---- Card-level commands ------------------------------------------------------------------------

bool ReloadFirmware(Ctx& c, const Arg&, RemoteReplyBytes) {
  bool reloaded = false;
  // A failed load is logged by the card layer; the command reports success as the window does.
  card::ApplyPersonalityChange(c.Group, c.Setup->RouteInfo.FpgaMasterMode, true, reloaded);
  return true;
}

// Mode change asked for by operation mode: the card loads the personality the operation mode
// needs and the main window re-synchronises the card's windows (message 60001).
void ApplyRemoteOperationalMode(Ctx& c, std::int32_t routeMode, std::int32_t personality, bool featureFlag) {
  if (config::gApp.ReconfigurationPending.load() ||
      settings::IsCurrentOperationMode(c.Group, routeMode, personality)) {
    return;
  }
  config::gApp.ReconfigurationPending = true;
  // The pause lets the card settle before its personality changes. The command runs on the
  // user-interface thread: its queue is not run from here (the card would be re-entered).
  std::this_thread::sleep_for(std::chrono::milliseconds(10));
  card::CardSetupRecord& setup = *c.Setup;
  const card::FpgaModeSlotTable slots = gRtl20Mgr->ModeSlots(c.Group);
  setup.RouteInfo.PreDCombinerMode = featureFlag && card::ModeHasFeatureA(slots, personality) ? 1 : 0;
  setup.RouteInfo.PostDCombinerMode = featureFlag && card::ModeHasFeatureB(slots, personality) ? 1 : 0;
  setup.RouteInfo.UserReceiverMode = personality;
  card::ChooseFpgaMode(c.Group);
  // The route goes with the personality: the image loads into the mode that was asked for.
  card::StoreRouteMode(c.Group, routeMode);
  bool changed = false;
  card::ApplyPersonalityChange(c.Group, setup.RouteInfo.FpgaMasterMode, false, changed);
  config::gApp.ReconfigurationPending = true;
  card::SetOperationalModeNotify(c.Group, routeMode, changed);
}

bool SetOperationalMode(Ctx& c, const Arg& a, RemoteReplyBytes) {
  if (gRtl20Mgr == nullptr) return false;
  card::OperationModeChoice choice;
  if (!card::ModeFeatureTest(a.Index, gRtl20Mgr->ModeSlots(c.Group), gRtl20Mgr->ChipVariant(c.Group), choice)) {
    return false;  // the processor names the missing image
  }
  ApplyRemoteOperationalMode(c, choice.RouteMode, choice.FpgaMode, choice.CombinerFlag != 0);
  return true;
}

bool SaveSetup(Ctx& c, const Arg&, RemoteReplyBytes) {
  if (!HaveSetMgr()) return true;
  std::string& name = SetMgr().SetupFileNames[static_cast<std::size_t>(c.Group)];
  if (name.empty()) name = SetupFilePathOf(kDefaultSetupBaseName);
  // Failed writes are logged by the file routines; the command answers success regardless.
  settings::SaveCardSetupFile(c.Group);
  settings::SaveLastSetupFile();
  return true;
}

bool RecallSetup(Ctx& c, const Arg& a, RemoteReplyBytes) {
  if (!HaveSetMgr()) return false;
  // Found whatever its letter case on disk.
  std::error_code error;
  if (!std::filesystem::is_regular_file(platform::ResolvePath(SetupFilePathOf(a.Name)), error)) return false;
  std::string upper = a.Name;
  std::transform(upper.begin(), upper.end(), upper.begin(),
                 [](char ch) { return ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 'a' + 'A') : ch; });
  settings::SaveCardSetupFile(c.Group);
  settings::SaveLastSetupFile();
  // A failed recall puts the card's previous setup file name back.
  return settings::RecallCardSetupFile(c.Group, SetupFilePathOf(upper));
}

bool RecallProject(Ctx&, const Arg&, RemoteReplyBytes) { return false; }

// ---- Combiner and AGC -------------------------------------------------------------------------------

bool SetCombinerPolarityMode(Ctx& c, const Arg& a, RemoteReplyBytes) {
  SetMgr().SetPreDCombinerMode(c.Group, c.Channel, a.Flag ? 1 : 0);
  return true;
}

bool SetPostDCombinerPolarityMode(Ctx& c, const Arg& a, RemoteReplyBytes) {
  SetMgr().SetPostDCombinerMode(c.Group, c.Channel, a.Flag ? 1 : 0);
  return true;
}

bool SetAgcSlopeMode(Ctx&, const Arg&, RemoteReplyBytes) { return true; }

bool SetAgcFreeze(Ctx& c, const Arg& a, RemoteReplyBytes) {
  SetMgr().SetAgcFreeze(c.Group, c.Channel, a.Flag ? 1 : 0);
  return true;
}

bool SetAgcZero(Ctx& c, const Arg& a, RemoteReplyBytes) {
  SetMgr().SetAgcZero(c.Group, c.Channel, a.Flag ? 1 : 0);
  return true;
}

// ---- Receiver ---------------------------------------------------------------------------------------

bool RestartAcquisition(Ctx& c, const Arg&, RemoteReplyBytes) {
  SetMgr().RestartAcquisition(c.Group, c.Channel);
  util::SpeakerTick();
  return true;
}

// A band counts when both its bounds are above 0.0; a channel without a converter has none.
bool IsTunedFreqInBands(const card::DnCvtChannelRecord* record, double freqMhz) {
  if (record == nullptr) return false;
  for (std::size_t band = 0; band < card::kDnCvtFreqBands; ++band) {
    const double start = record->FreqBands[band].StartMhz;
    const double stop = record->FreqBands[band].StopMhz;
    if (start > 0.0 && stop > 0.0 && util::InRangeDouble(freqMhz, start, stop)) return true;
  }
  return false;
}

bool SetTunedFreq(Ctx& c, const Arg& a, RemoteReplyBytes) {
  if (!IsTunedFreqInBands(Dc(c), a.Value)) {
    c.ErrorText = "Not Valid Tuned Freq";
    return false;
  }
  if (!card::IsFreqDiversityCombining(c.Group)) {
    SetMgr().SetTunedFreq(c.Group, c.Channel, a.Value);
    return true;
  }
  // Both channels are tuned together: the other one stays where it is.
  std::array<double, 2> freq{};
  freq[Ch(c)] = a.Value;
  const int other = settings::OtherChannel(c.Channel);
  freq[static_cast<std::size_t>(other)] = SetMgr().StatusRecord(c.Group, other).DnCvt.TunedFreqMhz;
  SetMgr().SetTunedFreqBoth(c.Group, freq[0], freq[1]);
  return true;
}

bool SetModulationFormat(Ctx& c, const Arg& a, RemoteReplyBytes) {
  const int n = a.Index;
  const bool pcmFm = card::IsPcmFmChannel(c.Group, c.Channel);
  const bool psk = !pcmFm && !card::IsPmChannel(c.Group, c.Channel) && !card::IsMultiHCpmChannel(c.Group, c.Channel);
  const bool fmOnly = pcmFm || (card::GetCardRouteMode(c.Group) != 0 && c.Setup->RouteInfo.FpgaMasterMode == 1);
  std::string format;
  if (fmOnly) {
    if (n != 0) {
      c.ErrorText = "Only FM Format on this channel this mode";
      return false;
    }
    format = "PCM_FM";
  } else if (psk) {
    if (n == 0) {
      c.ErrorText = "FM Format not supported on this channel this mode";
      return false;
    }
    if (n == 6 || n == 7) {
      c.ErrorText = "Modulation Format not supported at this time";
      return false;
    }
    format = RemoteModulationFormatNames[static_cast<std::size_t>(n)];
  }
  c.Setup->Modulator.SakLoopbackMode = 0;
  SetMgr().SetModulationFormat(c.Group, c.Channel, format, pcmFm ? 1 : 0);
  SetMgr().ApplyCardMode(c.Group);
  return true;
}

bool SetDataRate(Ctx& c, const Arg& a, RemoteReplyBytes) {
  const double maximum = static_cast<double>(c.Card->MaxDataRate());
  // NaN fails both comparisons.
  if (!(a.Value >= 100.0 && a.Value <= maximum)) {
    c.ErrorText = "Invalid Data Rate";
    return false;
  }
  const double whole = std::min(std::trunc(a.Value), static_cast<double>(std::numeric_limits<std::int32_t>::max()));
  SetMgr().SetDataRate(c.Group, c.Channel, static_cast<std::int32_t>(whole));
  SetMgr().RestartAcquisition(c.Group, c.Channel);
  return true;
}

bool SetPcmInputCode(Ctx& c, const Arg& a, RemoteReplyBytes) {
  const bool psk = !card::IsPcmFmChannel(c.Group, c.Channel) && !card::IsPmChannel(c.Group, c.Channel) &&
                   !card::IsMultiHCpmChannel(c.Group, c.Channel);
  std::vector<std::string> codes;
  psk ? card::FillInputCodeList(codes) : card::FillOutputCodeList(codes);
  std::string code;
  if (a.Index == 12) {
    code = "RNRZ-15";
  } else if (static_cast<std::size_t>(a.Index) < codes.size()) {
    code = codes[static_cast<std::size_t>(a.Index)];
  } else {
    c.ErrorText = "Input Code type not supported this operational mode.";
    return false;
  }
  SetMgr().SetPcmInputCode(c.Group, c.Channel, code);
  return true;
}

bool SetPcmOutputCode(Ctx& c, const Arg& a, RemoteReplyBytes) {
  SetMgr().SetPcmOutputCode(c.Group, c.Channel, RemotePcmOutputCodeNames[static_cast<std::size_t>(a.Index)]);
  return true;
}

bool SetSawIfFilter(Ctx& c, const Arg& a, RemoteReplyBytes) {
  const card::DnCvtChannelRecord* record = Dc(c);
  if (record == nullptr || !(record->IfFilterBwKhz[static_cast<std::size_t>(a.Index)] > 0.0)) {
    c.ErrorText = "This Saw IF Filter selection is unavailable";
    return false;
  }
  SetMgr().SetSawIfFilter(c.Group, c.Channel, a.Index);
  return true;
}

bool SetAgcTimeConst(Ctx& c, const Arg& a, RemoteReplyBytes) {
  SetMgr().SetAgcTimeConst(c.Group, c.Channel, a.Index);
  return true;
}

bool SetDataPolarity(Ctx& c, const Arg& a, RemoteReplyBytes) {
  SetMgr().SetDataPolarity(c.Group, c.Channel, a.Flag ? 1 : 0);
  return true;
}

bool SetClockPolarity(Ctx& c, const Arg& a, RemoteReplyBytes) {
  SetMgr().SetClockPolarity(c.Group, c.Channel, a.Flag ? "RISING_EDGE" : "FALLING_EDGE");
  return true;
}

bool SetStreamSwapLoc(Ctx& c, const Arg& a, RemoteReplyBytes) {
  c.Card->PskRx_SetSignalRoutingStreamSwapLocation(c.Channel, a.Name);
  card::SetSetupText(c.Setup->Receiver[Ch(c)].Routing.StreamSwapLocation, a.Name);
  return true;
}

bool SetInvertLoc(Ctx& c, const Arg& a, RemoteReplyBytes) {
  c.Card->PskRx_SetSignalRoutingStream1InvertLocation(c.Channel, a.Name);
  card::SetSetupText(c.Setup->Receiver[Ch(c)].Routing.InvertLocation, a.Name);
  return true;
}

bool SetRecombineLoc(Ctx& c, const Arg& a, RemoteReplyBytes) {
  c.Card->PskRx_SetSignalRoutingRecombineLocation(c.Channel, a.Name);
  card::SetSetupText(c.Setup->Receiver[Ch(c)].Routing.RecombineLocation, a.Name);
  return true;
}

// A channel without a converter answers eight zeros, as a converter without those filters would.
bool GetAgcSawFilters(Ctx& c, const Arg&, RemoteReplyBytes reply) {
  std::array<double, kReadBackCount> values{};
  if (const card::DnCvtChannelRecord* record = Dc(c); record != nullptr) {
    for (std::size_t i = 0; i < values.size(); ++i) values[i] = record->IfFilterBwKhz[i];
  }
  PutReplyValues(reply, values);
  return true;
}

bool GetAgcTcTimes(Ctx& c, const Arg&, RemoteReplyBytes reply) {
  static_assert(card::kDnCvtAgcTimeConstants == kReadBackCount);
  std::array<double, kReadBackCount> values{};
  if (const card::DnCvtChannelRecord* record = Dc(c); record != nullptr) {
    for (std::size_t i = 0; i < values.size(); ++i) values[i] = record->AgcTcMsecs[i];
  }
  PutReplyValues(reply, values);
  return true;
}

// ---- Bit sync and Viterbi (the setters store into the channel's bit-sync record) -------------------

bool SetBitsyncAcqLoopBw(Ctx& c, const Arg& a, RemoteReplyBytes) {
  SetMgr().SetBitsyncAcqRange(c.Group, c.Channel, a.Value);
  return true;
}

bool SetBitsyncTrkLoopBw(Ctx& c, const Arg& a, RemoteReplyBytes) {
  SetMgr().SetBitsyncLoopWidth(c.Group, c.Channel, a.Value);
  return true;
}

bool SetViterbiRateMode(Ctx& c, const Arg& a, RemoteReplyBytes) {
  SetMgr().SetViterbiRateMode(c.Group, c.Channel, a.Name);
  return true;
}

bool SetViterbiSymbolOrder(Ctx& c, const Arg& a, RemoteReplyBytes) {
  SetMgr().SetViterbiSymbolOrder(c.Group, c.Channel, a.Name);
  return true;
}

bool SetViterbiEnable(Ctx& c, const Arg& a, RemoteReplyBytes) {
  SetMgr().SetViterbiDecodeEnable(c.Group, c.Channel, a.Flag ? 1 : 0);
  return true;
}

bool SetViterbiG1Inverted(Ctx& c, const Arg& a, RemoteReplyBytes) {
  SetMgr().SetViterbiSymbolInvert(c.Group, c.Channel, 1, a.Flag ? 1 : 0);
  return true;
}

bool SetViterbiG2Inverted(Ctx& c, const Arg& a, RemoteReplyBytes) {
  SetMgr().SetViterbiSymbolInvert(c.Group, c.Channel, 0, a.Flag ? 1 : 0);
  return true;
}

using R = RemoteArgumentRule;
constexpr OptionTable kNoOptions{};

// Number order: FindRemoteCommand searches it by halves.
constexpr std::array<RemoteCommandEntry, 32> kCommands{{
    {100, "RELOAD FIRMWARE", true, R::None, 0, "", kNoOptions, false, ReloadFirmware},
    {101, "SET OPERATIONAL MODE", true, R::IndexBelow, 10, "Unsupported Operational Mode", kNoOptions, true,
     SetOperationalMode},
    {102, "SAVE SETUP", true, R::None, 0, "", kNoOptions, false, SaveSetup},
    {103, "RECALL SETUP", true, R::SetupName, 0, "", kNoOptions, false, RecallSetup},
    {104, "RECALL PROJECT", true, R::None, 0, "", kNoOptions, false, RecallProject},
    {200, "SET COMBINER POLARITY MODE", true, R::FlagIsOne, 0, "", kNoOptions, true, SetCombinerPolarityMode},
    {201, "SET POST-D COMBINER POLARITY MODE", true, R::FlagIsOne, 0, "", kNoOptions, true,
     SetPostDCombinerPolarityMode},
    {300, "SET AGC SLOPE MODE", false, R::None, 0, "", kNoOptions, false, SetAgcSlopeMode},
    {301, "SET AGC FREEZE", true, R::FlagIsOne, 0, "", kNoOptions, true, SetAgcFreeze},
    {302, "SET AGC ZERO", true, R::FlagIsOne, 0, "", kNoOptions, true, SetAgcZero},
    {400, "RESTART ACQUISITION", true, R::None, 0, "", kNoOptions, false, RestartAcquisition},
    {401, "SET TUNED FREQ", true, R::Checked, 0, "", kNoOptions, true, SetTunedFreq},
    {402, "SET MODULATION FORMAT", true, R::IndexBelow, 8, "Unsupported Modulation Format", kNoOptions, true,
     SetModulationFormat},
    {403, "SET DATA RATE", true, R::Checked, 0, "", kNoOptions, true, SetDataRate},
    {404, "SET PCM INPUT CODE", true, R::IndexBelow, 13, "Unsupported PCM Input Code", kNoOptions, true,
     SetPcmInputCode},
    {405, "SET PCM OUTPUT CODE", true, R::IndexBelow, 6, "Unsupported PCM Output Code", kNoOptions, true,
     SetPcmOutputCode},
    {406, "SET SAW IF FILTER", true, R::IndexBelow, 8, "Unsupported Saw IF Filter selection", kNoOptions, true,
     SetSawIfFilter},
    {407, "SET AGC TC", true, R::IndexBelow, 5, "Unsupported AGC TC selection", kNoOptions, true, SetAgcTimeConst},
    {408, "SET DATA POLARITY", true, R::FlagIsZero, 0, "", kNoOptions, true, SetDataPolarity},
    {409, "SET CLOCK POLARITY", true, R::FlagIsZero, 0, "", kNoOptions, true, SetClockPolarity},
    {410, "SET STREAM SWAP LOC", true, R::OptionName, 0, "", OptRoutingLocations, true, SetStreamSwapLoc},
    {411, "SET INVERT LOC", true, R::OptionName, 0, "", OptRoutingLocations, true, SetInvertLoc},
    {412, "SET RECOMBINE LOC", true, R::OptionName, 0, "", OptRoutingLocations, true, SetRecombineLoc},
    {413, "GET AGC SAW FILTERS", true, R::None, 0, "", kNoOptions, false, GetAgcSawFilters},
    {414, "GET AGC TC TIMES", true, R::None, 0, "", kNoOptions, false, GetAgcTcTimes},
    {450, "SET B/S ACQ LOOP BW", true, R::Number, 0, "", kNoOptions, true, SetBitsyncAcqLoopBw},
    {451, "SET B/S TRK LOOP BW", true, R::Number, 0, "", kNoOptions, true, SetBitsyncTrkLoopBw},
    {452, "SET VITERBI RATE MODE", true, R::OptionName, 0, "", OptViterbiRates, true, SetViterbiRateMode},
    {453, "SET VITERBI SYMBOL ORDER", true, R::OptionName, 0, "", OptViterbiSymbolOrders, true,
     SetViterbiSymbolOrder},
    {454, "SET VITERBI ENABLE", true, R::FlagIsZero, 0, "", kNoOptions, true, SetViterbiEnable},
    {455, "SET VITERBI G1 INVERTED", true, R::FlagIsZero, 0, "", kNoOptions, true, SetViterbiG1Inverted},
    {456, "SET VITERBI G2 INVERTED", true, R::FlagIsZero, 0, "", kNoOptions, true, SetViterbiG2Inverted},
}};

static_assert(std::is_sorted(kCommands.begin(), kCommands.end(),
                             [](const RemoteCommandEntry& a, const RemoteCommandEntry& b) { return a.Number < b.Number; }),
              "the command table must be in number order");

}  // namespace

std::span<const RemoteCommandEntry> CardAndReceiverCommands() { return kCommands; }

}  // namespace net
