// The set manager's automatic adjustments. Both run on the user-interface thread inside the
// master timer's pass, under the card command lock, so they touch setups and status records
// without a lock of their own.
#include "settings/auto_adjust.h"

#include <cmath>
#include <cstdint>

#include "card/card_routines.h"
#include "card/kr20card.h"
#include "card/mode_routines.h"
#include "card/rtl20_manager.h"
#include "config/globals.h"
#include "config/options_store.h"
#include "settings/set_manager.h"
#include "util/error_log.h"
#include "util/number_text.h"

namespace settings {

bool TrackLoopBwNeedsAdjust(double currentHz, double suggestedHz) {
  return std::fabs(currentHz - suggestedHz) >= kTrackLoopBwAdjustThresholdHz;
}

double MeasuredCarrierSpreadMhz(const ChannelStatusRecord& record) {
  // Copies: the record is packed.
  const double highest = record.Receiver.HighestSignalFreqHz;
  const double lowest = record.Receiver.LowestSignalFreqHz;
  if (highest == 0.0 || lowest == 0.0 || !std::isfinite(highest) || !std::isfinite(lowest)) return 0.0;
  const double spreadHz = highest - lowest;
  return spreadHz > 0.0 ? spreadHz * 0.000001 : 0.0;
}

std::string TrackLoopBwAdjustLogText(int card, int channel, double suggestedHz, double currentHz) {
  const auto mhz = [](double hz) { return util::FloatToFixedText(12, 6, hz * 0.000001); };
  const std::string suggested = mhz(suggestedHz);
  return "Auto IF TRK LBW adjusted for card " + util::FloatToFixedText(2, 0, card + 1) + " Channel " +
         util::FloatToFixedText(2, 0, channel + 1) + " : " + " suggested = " + suggested + "  " + " current = " +
         mhz(currentHz) + "  " + " dcurrent = " + mhz(std::fabs(currentHz - suggestedHz)) + "  " +
         " setting to = " + suggested + "  " + "   (all in MHz)";
}

bool SelectsChannelB(double chanAEbNoDb, double chanBEbNoDb) { return chanBEbNoDb > chanAEbNoDb; }

}  // namespace settings

namespace {

bool TrackLoopOptionOn() {
  return config::gApp.Options != nullptr && config::gApp.Options->Info().EnableIFCarCFAlg != 0;
}

}  // namespace

void kr20setmgrclass::AutoAdjustIfTrackLoopBw() {
  if (!TrackLoopOptionOn()) return;
  const int cards = card::SystemCardCount();
  for (int card = 0; card < cards; ++card) {
    for (int channel = 0; channel < settings::kChannels; ++channel) {
      Context c;
      if (!ContextOf(card, channel, c)) continue;
      const std::int32_t routeMode = c.Setup->RouteInfo.RouteMode;
      // A Route Mode 1 card is left alone, channel 1 included.
      if (routeMode == 1) break;
      if (!c.PcmFm) continue;
      // Field copies: the setup record is packed.
      const std::uint8_t bitRateBased = c.Setup->Receiver[Idx(channel)].XmitterIsDigital;
      if (bitRateBased != 0) continue;
      const std::int32_t bitRate = c.Setup->Receiver[Idx(channel)].BitSync[0].Bitrate;
      const double current = c.Setup->Receiver[Idx(channel)].CarrierTrkLoopBandwidthHz;
      const double spreadMhz = settings::MeasuredCarrierSpreadMhz(StatusRecord(card, channel));
      const double suggested =
          card::SuggestFmCarrierTrackLoopBw(card, channel, static_cast<double>(bitRate), spreadMhz);
      if (!settings::TrackLoopBwNeedsAdjust(current, suggested)) continue;
      SetCarrierTrackLoopBw(card, channel, suggested);
      if (config::gApp.DebugMode != 0) {
        util::LogInfo(settings::TrackLoopBwAdjustLogText(card, channel, suggested, current), channel, false);
      }
    }
  }
}

void kr20setmgrclass::UpdateDualPcmFmOutputSelect() {
  const int cards = card::SystemCardCount();
  for (int card = 0; card < cards; ++card) {
    card::kr20cardclass* object = card::CardObject(card);
    if (object == nullptr) continue;
    const std::int32_t routeMode = object->Setup().RouteInfo.RouteMode;
    if (routeMode != 1) continue;
    if (card::DeriveOperationalMode(object->CardInfo(), gRtl20Mgr->ChipVariant(card)) != 12) continue;
    const double chanA = StatusRecord(card, 0).PostD.ChanAEbNoDb;
    const double chanB = StatusRecord(card, 1).PostD.ChanBEbNoDb;
    object->DoOnSetFpga0RegB00Bits(settings::SelectsChannelB(chanA, chanB));
  }
}
