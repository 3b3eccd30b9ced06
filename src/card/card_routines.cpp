#include "card/card_routines.h"

#include <algorithm>
#include <array>
#include <limits>
#include <vector>

#include "card/dncvt_manager.h"
#include "card/mode_routines.h"
#include "card/rtl20_manager.h"
#include "config/globals.h"
#include "config/options_store.h"
#include "util/dialog_service.h"
#include "util/number_text.h"
#include "util/prompts.h"

namespace card {

namespace {

bool ValidChannel(int channel) { return channel == 0 || channel == 1; }

// The option record, nullptr before the options exist.
config::kr20optinfo* Options() {
  return config::gApp.Options != nullptr ? &config::gApp.Options->Info() : nullptr;
}

}  // namespace

kr20cardclass* CardObject(int card) {
  if (gRtl20Mgr == nullptr || card < 0 || card >= gRtl20Mgr->CardCount()) return nullptr;
  return gRtl20Mgr->Card(card);
}

int CardFpgaMode(int card) {
  const kr20cardclass* object = CardObject(card);
  if (object == nullptr) return kNoFpgaMode;
  const int derived = DeriveOperationalMode(object->CardInfo(), gRtl20Mgr->ChipVariant(card));
  if (derived >= 0 && derived < kFpgaModeCount) return derived;
  const std::int32_t current = object->LoadState().CurrentFpgaMode;
  return current >= 0 && current < kFpgaModeCount ? current : kNoFpgaMode;
}

// ---- Capabilities ---------------------------------------------------------------------------------

bool CardHasBertForChannel(int card, int channel) {
  const kr20cardclass* object = CardObject(card);
  return object != nullptr && CardHasBertForChannel(object->CardInfo(), channel);
}

bool CardHasFftForChannel(int card, int channel) {
  const kr20cardclass* object = CardObject(card);
  return object != nullptr && CardHasFftForChannel(object->CardInfo(), channel);
}

bool CardHasChannelReceiver(int card, int channel) {
  const kr20cardclass* object = CardObject(card);
  return object != nullptr && CardHasChannelReceiver(object->CardInfo(), channel);
}

bool CardHasDualTransmit(int card) {
  const kr20cardclass* object = CardObject(card);
  return object != nullptr && CardHasDualTransmit(object->CardInfo(), gRtl20Mgr->ChipVariant(card));
}

bool CardHasIqForChannel(int card, int channel) {
  const kr20cardclass* object = CardObject(card);
  return object != nullptr && CardHasIqForChannel(object->CardInfo(), channel, CardFpgaMode(card));
}

bool CardHasPreDCombiner(int card) {
  const kr20cardclass* object = CardObject(card);
  return object != nullptr && CardHasPreDCombiner(object->CardInfo());
}

bool CardHasPostDCombiner(int card) {
  const kr20cardclass* object = CardObject(card);
  return object != nullptr && CardHasPostDCombiner(object->CardInfo());
}

// ---- Families ---------------------------------------------------------------------------------------

bool IsPcmFmChannel(int card, int channel) { return IsPcmFmChannelInMode(CardFpgaMode(card), channel); }
bool IsPmChannel(int card, int channel) { return IsPmChannelInMode(CardFpgaMode(card), channel); }
bool IsMultiHCpmChannel(int card, int channel) { return IsMultiHCpmChannelInMode(CardFpgaMode(card), channel); }

bool IsModulationSupported(int card, int channel, std::string_view modulation) {
  if (modulation.empty()) return false;
  if (IsPcmFmChannel(card, channel)) return modulation == "PCM_FM";
  if (IsPmChannel(card, channel)) return modulation == "PM";
  if (IsMultiHCpmChannel(card, channel)) return modulation == "MH_CPM";
  if (modulation == "PCM_FM" || modulation == "PM" || modulation == "MH_CPM") return false;
  const kr20cardclass* object = CardObject(card);
  std::vector<std::string> offered;
  if (object != nullptr && object->PskRx_GetCarrierModulationModeSupportedTypes(channel, offered)) {
    return std::find(offered.begin(), offered.end(), modulation) != offered.end();
  }
  std::vector<std::string> all;
  FillModulationList(all);
  return std::find(all.begin(), all.end(), modulation) != all.end();
}

// ---- Routing and combining ----------------------------------------------------------------------

int GetCardRouteMode(int card) {
  const kr20cardclass* object = CardObject(card);
  if (object == nullptr) return 1;
  return object->Setup().RouteInfo.RouteMode;
}

bool IsCombinerUsable(int card) { return CardHasPostDCombiner(card) && GetCardRouteMode(card) == 1; }

bool IsCardCombining(int card) {
  const kr20cardclass* object = CardObject(card);
  if (object == nullptr) return false;
  const RouteInfoRecord route = object->Setup().RouteInfo;
  if (route.RouteMode == 0) return false;
  if (IsCombinedOutputOnCh2Active(card)) return false;
  if (IsCombinerUsable(card)) return true;
  const auto sameFamily = [](int mode) { return IsPskPskMode(mode) || IsPcmFmPcmFmMode(mode); };
  return sameFamily(route.UserReceiverMode) && sameFamily(route.FpgaMasterMode);
}

bool IsFreqDiversityCombining(int card) {
  const kr20cardclass* object = CardObject(card);
  if (object == nullptr) return false;
  const CardSetupRecord& setup = object->Setup();
  const RouteInfoRecord route = setup.RouteInfo;
  if (route.RouteMode == 0) return false;
  std::uint8_t off = 1;
  std::uint8_t polarization = 0;
  if (route.PreDCombinerMode != 0) {
    off = setup.PreD.CombinerModeOff;
    polarization = setup.PreD.CombinerModePolarity;
  } else if (route.PostDCombinerMode != 0) {
    off = setup.PostD.CombinerModeOff;
    polarization = setup.PostD.CombinerModePolarity;
  }
  return off == 0 && polarization == 0;
}

bool IsCombinedOutputOnCh2(int card) {
  const kr20cardclass* object = CardObject(card);
  config::kr20optinfo* options = Options();
  if (object == nullptr || options == nullptr) return false;
  if (CardFpgaMode(card) != 12 || object->Setup().RouteInfo.RouteMode == 0 || options->FmFmPostDOut2 == 0) {
    return false;
  }
  // Only a reading can prove the output is elsewhere; a card that cannot be read keeps the option.
  if (!object->IsReady()) return false;
  std::array<std::uint32_t, 1> value{};
  if (!object->Dtrd_PeekRegOnFpga(0, kCombinedOutputOnCh2Register, value, 1)) return false;
  if (value[0] == kCombinedOutputOnCh2Pattern) return true;
  options->FmFmPostDOut2 = 0;
  return false;
}

bool IsCombinedOutputOnCh2Active(int card) {
  if (!IsCombinedOutputOnCh2(card)) return false;
  const config::kr20optinfo* options = Options();
  return options != nullptr && options->FmFmPostDOut2 != 0;
}

namespace {
bool RunsRouted(int card, int mode) {
  return CardObject(card) != nullptr && CardFpgaMode(card) == mode && GetCardRouteMode(card) != 0;
}
}  // namespace

bool IsDualPcmFmVariant1Routed(int card) { return RunsRouted(card, 11); }
bool IsDualPcmFmVariant2Routed(int card) { return RunsRouted(card, 12); }
bool IsDualPskVariant1Routed(int card) { return RunsRouted(card, 5); }
bool IsDualPskVariant2Routed(int card) { return RunsRouted(card, 6); }

bool RoutesThroughPreDCombiner(const RouteInfoRecord& route) {
  return route.RouteMode != 0 && route.PreDCombinerMode != 0;
}

namespace {

// The receiver of the channel takes `source` as its input.
void SendInputSource(kr20cardclass& object, int card, int channel, const std::string& source) {
  if (IsPmChannel(card, channel)) {
    object.PmRx_SetInputSource(channel, source);
  } else if (IsPcmFmChannel(card, channel)) {
    object.FmRx_SetReceiverInputSourceMode(channel, source);
  } else if (!IsMultiHCpmChannel(card, channel)) {
    object.PskRx_SetReceiverInputSourceMode(channel, source);
  }
}

}  // namespace

void ApplyGroupSetupToCards(int routeMode, int card, const CardSetupRecord* setup) {
  kr20cardclass* object = CardObject(card);
  if (object == nullptr || setup == nullptr) return;
  if (routeMode == 0) {
    for (int channel = 0; channel < 2; ++channel) {
      if (!CardHasChannelReceiver(card, channel)) continue;
      std::string source = SetupText(setup->Receiver[channel].InputSource);
      if (source == kDiversityCombinerSource) {
        source = OwnInputSource(channel, IsPmChannel(card, channel), IsMultiHCpmChannel(card, channel));
      }
      if (!source.empty()) SendInputSource(*object, card, channel, source);
    }
    return;
  }
  if (CardHasPostDCombiner(card) && !IsCardCombining(card)) object->PostD_SetDiversityOutput(kCombiningOutputName);
  RouteInfoRecord route = setup->RouteInfo;
  route.RouteMode = routeMode;
  if (!CardHasPreDCombiner(card) || !RoutesThroughPreDCombiner(route)) return;
  for (int channel = 0; channel < 2; ++channel) {
    if (!CardHasChannelReceiver(card, channel)) continue;
    if (SetupText(setup->Receiver[channel].InputSource) == kDiversityCombinerSource) {
      SendInputSource(*object, card, channel, kDiversityCombinerSource);
    }
  }
}

void GiveChannelsOwnInputs(int card, bool everySource) {
  kr20cardclass* object = CardObject(card);
  if (object == nullptr) return;
  CardSetupRecord& setup = object->Setup();
  for (int channel = 0; channel < 2; ++channel) {
    const std::string stored = SetupText(setup.Receiver[channel].InputSource);
    if (stored.empty() || (!everySource && stored != kDiversityCombinerSource)) continue;
    const std::string own = OwnInputSource(channel, IsPmChannel(card, channel), IsMultiHCpmChannel(card, channel));
    if (!own.empty()) SetSetupText(setup.Receiver[channel].InputSource, own);
  }
}

void StoreRouteMode(int card, int routeMode) {
  kr20cardclass* object = CardObject(card);
  if (object == nullptr) return;
  CardSetupRecord& setup = object->Setup();
  const std::int32_t previous = setup.RouteInfo.RouteMode;
  setup.RouteInfo.RouteMode = routeMode;
  const RouteInfoRecord now = setup.RouteInfo;
  if (routeMode == 0 && previous != 0) {
    GiveChannelsOwnInputs(card, true);
  } else if (!RoutesThroughPreDCombiner(now)) {
    GiveChannelsOwnInputs(card, false);
  }
}

// ---- Designations ------------------------------------------------------------------------------

std::string CardDesignationName(int card) {
  const kr20cardclass* object = CardObject(card);
  return object != nullptr ? CardDesignationText(object->Setup()) : kNotUsedDesignation;
}

void SetCardDesignation(int card, std::string_view text) {
  kr20cardclass* object = CardObject(card);
  if (object != nullptr) SetCardDesignationText(object->Setup(), text);
}

std::string StreamDesignationName(int card, int stream) {
  const kr20cardclass* object = CardObject(card);
  if (object == nullptr || !ValidChannel(stream)) return kNotUsedDesignation;
  return StreamDesignationText(object->Setup(), stream);
}

void SetStreamDesignation(int card, int stream, std::string_view text) {
  kr20cardclass* object = CardObject(card);
  if (object != nullptr && ValidChannel(stream)) SetStreamDesignationText(object->Setup(), stream, text);
}

// ---- Channel context -------------------------------------------------------------------------------

bool GetChannelRateInfo(int card, int channel, ChannelRateInfo& info) {
  const kr20cardclass* object = CardObject(card);
  if (object == nullptr || !ValidChannel(channel)) return false;
  const CardSetupRecord& setup = object->Setup();
  const std::int32_t bitRate = setup.Receiver[channel].BitSync[0].Bitrate;
  info.BitRate = static_cast<double>(bitRate);
  info.Modulation = SetupText(setup.Receiver[channel].DemodMode);
  info.PcmCode = SetupText(setup.Receiver[channel].BitSync[0].PcmInputCode);
  info.Viterbi = setup.Receiver[channel].BitSync[0].ViterbiDecodeEnabled != 0;
  return true;
}

int SystemCardCount() { return gRtl20Mgr != nullptr ? std::clamp(gRtl20Mgr->CardCount(), 0, kMaxReceiverCards) : 0; }

GroupChannelContext GroupChannelContextOf(int card, int channel) {
  GroupChannelContext c;
  c.Valid = GetGroupChannelContext(card, channel, c.DcIndex, c.MultiHCpm, c.Pm, c.PcmFm, c.DcRecord, c.Setup, c.Object) &&
            c.Setup != nullptr;
  return c;
}

std::string FamilyReceiverName(const GroupChannelContext& context) {
  if (context.PcmFm) return "PCM_FM";
  if (context.Pm) return "PM";
  if (context.MultiHCpm) return "MH_CPM";
  return {};
}

bool GetGroupChannelContext(int card, int channel, int& dcIndex, bool& isMultiHCpm, bool& isPm, bool& isPcmFm,
                            DnCvtChannelRecord*& dcRecord, CardSetupRecord*& setup, kr20cardclass*& cardObject) {
  cardObject = CardObject(card);
  if (cardObject == nullptr) {
    setup = nullptr;
    dcIndex = -1;
    return false;
  }
  setup = &cardObject->Setup();
  dcIndex = GetDownConverterIndex(card, channel);
  // The record only of a converter that is present: an absent one has nothing to tune.
  dcRecord = dcIndex >= 0 && gDnCvtMgr != nullptr && gDnCvtMgr->IsValidIndex(dcIndex)
                 ? &gDnCvtMgr->Records[static_cast<std::size_t>(dcIndex)]
                 : nullptr;
  isPcmFm = IsPcmFmChannel(card, channel);
  isPm = IsPmChannel(card, channel);
  isMultiHCpm = IsMultiHCpmChannel(card, channel);
  return true;
}

// ---- FFT span --------------------------------------------------------------------------------------------

double AutoSetFftSpanForChannel(int card, int channel) {
  kr20cardclass* object = CardObject(card);
  if (object == nullptr || !ValidChannel(channel)) return 0.0;
  ChannelRateInfo info;
  GetChannelRateInfo(card, channel, info);
  const double spanHz = AutoFftSpanHz(info.BitRate);
  object->Setup().Fft[channel].SpanMhz = spanHz * 1e-6;
  object->Fft_SetFrequencySpanInHz(channel, spanHz);
  return spanHz;
}

// ---- Suggestions ---------------------------------------------------------------------------------------

CarrierAcqRange SuggestCarrierAcqRange(int card, int channel) {
  ChannelRateInfo info;
  if (!GetChannelRateInfo(card, channel, info)) return CarrierAcqRange{};
  return SuggestCarrierAcqRange(info.BitRate, IsPcmFmChannel(card, channel), IsPmChannel(card, channel),
                                info.PcmCode);
}

double SuggestFmCarrierAcqLoopBw(int card, int channel) {
  const kr20cardclass* object = CardObject(card);
  if (object == nullptr || !ValidChannel(channel)) return SuggestFmCarrierAcqLoopBw(0.0, false);
  const std::int32_t bitRate = object->Setup().Receiver[channel].BitSync[0].Bitrate;
  const std::uint8_t digital = object->Setup().Receiver[channel].XmitterIsDigital;
  return SuggestFmCarrierAcqLoopBw(static_cast<double>(bitRate), digital != 0);
}

double SuggestFmCarrierTrackLoopBw(int card, int channel, double bitRate, double measuredSpreadMhz) {
  const kr20cardclass* object = CardObject(card);
  if (object == nullptr || !ValidChannel(channel)) return SuggestFmCarrierTrackLoopBw(bitRate, true, 0.0, 0.0);
  const bool bitRateBased = object->Setup().Receiver[channel].XmitterIsDigital != 0;
  const config::kr20optinfo* options = Options();
  const double spanPct = options != nullptr ? options->IfCarCfSpanPct : 0.0;
  return SuggestFmCarrierTrackLoopBw(bitRate, bitRateBased, measuredSpreadMhz, spanPct);
}

// ---- Prompt --------------------------------------------------------------------------------------------

double PromptTuningFrequency(int dcIndex, double currentMhz) {
  if (gDnCvtMgr == nullptr || dcIndex < 0 || dcIndex >= static_cast<int>(kDnCvtRecords)) return currentMhz;
  const DnCvtChannelRecord& record = gDnCvtMgr->Records[static_cast<std::size_t>(dcIndex)];
  std::string title = "Enter the Tuning Frequency in MHz";
  double lowest = std::numeric_limits<double>::infinity();
  double highest = -std::numeric_limits<double>::infinity();
  for (std::size_t i = 0; i < kDnCvtFreqBands; ++i) {
    const DnCvtFreqBand band = record.FreqBands[i];
    if (band.StartMhz <= 0.0 || band.StopMhz <= 0.0) continue;
    title += "\n" + util::FloatToFixedText(12, 2, band.StartMhz) + " -- " + util::FloatToFixedText(12, 2, band.StopMhz);
    lowest = std::min({lowest, band.StartMhz, band.StopMhz});
    highest = std::max({highest, band.StartMhz, band.StopMhz});
  }
  if (!(lowest <= highest)) return currentMhz;
  double value = currentMhz;
  if (!util::PromptDoubleInRange(title, value, 2, lowest, highest)) {
    util::Dialogs().ShowMessage("INVALID NUMBER", "Invalid Number, freq won't change");
    return currentMhz;
  }
  return value;
}

}  // namespace card
