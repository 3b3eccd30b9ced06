#include "ui/setup/channel_context.h"

#include <algorithm>

#include "card/card_routines.h"
#include "card/dncvt_manager.h"
#include "config/globals.h"

namespace setup {

Family FamilyOf(int card, int channel) {
  if (card::IsPcmFmChannel(card, channel)) return Family::PcmFm;
  if (card::IsPmChannel(card, channel)) return Family::Pm;
  if (card::IsMultiHCpmChannel(card, channel)) return Family::MhCpm;
  return Family::Psk;
}

ChannelContext ResolveChannelContext(int card, int channel) {
  ChannelContext c;
  c.Card = card;
  c.Channel = channel;
  c.OtherChannel = channel != 0 ? 0 : 1;
  c.Object = card::CardObject(card);
  c.Setup = c.Object != nullptr ? &c.Object->Setup() : nullptr;
  c.DcIndex = card::GetDownConverterIndex(card, channel);
  c.OtherDcIndex = card::GetDownConverterIndex(card, c.OtherChannel);
  c.DcPresent = card::HasDownConverter(card, channel);
  if (c.DcIndex >= 0 && gDnCvtMgr != nullptr && static_cast<std::size_t>(c.DcIndex) < gDnCvtMgr->Records.size()) {
    const card::DnCvtChannelRecord& record = gDnCvtMgr->Records[static_cast<std::size_t>(c.DcIndex)];
    c.HasDcTables = true;
    // Packed fields are copied element by element, never bound to a reference.
    for (std::size_t i = 0; i < c.SawKhz.size(); ++i) c.SawKhz[i] = record.IfFilterBwKhz[i];
    for (std::size_t i = 0; i < c.AgcMs.size(); ++i) c.AgcMs[i] = record.AgcTcMsecs[i];
    c.DcTunedMhz = record.Setup.FreqMhz;
  }
  return c;
}

}  // namespace setup
