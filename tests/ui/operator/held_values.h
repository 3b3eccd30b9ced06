// What a setup page shows, compared with what the card holds: the set manager's status record of
// the channel (channel 0's for the combiners), the card's getters and the card's setup record.
// The page is refreshed and read at once, with no timer pass in between, so each shown value must
// be exactly the text of the value it was read from.
#pragma once

#include <gtest/gtest.h>

#include <QLabel>

#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "card/card_routines.h"
#include "card/kr20card.h"
#include "card/mode_routines.h"
#include "card/rtl20_manager.h"
#include "settings/set_manager.h"
#include "support/qt/shown_widget.h"
#include "ui/setup/setup_page.h"
#include "util/number_text.h"

namespace operatortest {

// The card's side of one channel, read through the managers, never through the page.
struct HeldBy {
  int Card = 0;
  int Channel = 0;
  const card::kr20cardclass& Object;
  const card::CardSetupRecord& Setup;
  const settings::ChannelStatusRecord& Status;
  const settings::ChannelStatusRecord& Status0;

  bool PcmFm() const { return card::IsPcmFmChannel(Card, Channel); }
  bool Pm() const { return card::IsPmChannel(Card, Channel); }
  bool MhCpm() const { return card::IsMultiHCpmChannel(Card, Channel); }
  bool Psk() const { return !PcmFm() && !Pm() && !MhCpm(); }
};

inline std::string Fixed(int length, int decimals, double value) {
  return util::FloatToFixedText(length, decimals, value);
}
inline std::string StatusText(const char* field, std::size_t size) { return std::string(field, strnlen(field, size)); }

// One value of a page and what the card holds for it; std::nullopt where the channel's family
// shows something else there (a placeholder, or nothing).
struct HeldValue {
  const char* Form;
  const char* Component;
  std::function<std::optional<std::string>(const HeldBy&)> Text;
};

inline const std::vector<HeldValue>& HeldValues() {
  static const std::vector<HeldValue> rows{
      {"TSM_StdSetupForm", "LabelModulation1",
       [](const HeldBy& h) -> std::optional<std::string> {
         return StatusText(h.Status.Receiver.ReceiverName, sizeof h.Status.Receiver.ReceiverName);
       }},
      {"TSM_StdSetupForm", "LabelDataRate1",
       [](const HeldBy& h) -> std::optional<std::string> { return Fixed(9, 3, h.Status.BitSync1.BitRate * 0.000001); }},
      {"TSM_StdSetupForm", "LabelTunedFreqMhz1",
       [](const HeldBy& h) -> std::optional<std::string> { return Fixed(9, 2, h.Status.DnCvt.TunedFreqMhz); }},
      {"TSM_FineSetupForm", "LabelRxCarCntrFreq",
       [](const HeldBy& h) -> std::optional<std::string> {
         const card::ReceiverRecord& rx = h.Setup.Receiver[h.Channel];
         if (h.MhCpm()) return Fixed(12, 2, rx.MhCpmCarrierFrequencyMhz);
         if (h.Psk() && h.Channel == 1 && card::IsPmPskMode(h.Setup.RouteInfo.FpgaMasterMode)) {
           return Fixed(12, 2, rx.CarrierFreqMhz);
         }
         return Fixed(12, 2, h.Status.Receiver.CarrierFreqMhz);
       }},
      {"TSM_FineSetupForm", "LabelRxCarSigThresh",
       [](const HeldBy& h) -> std::optional<std::string> {
         if (h.MhCpm() || h.Pm()) return std::nullopt;
         return Fixed(12, 2,
                      h.PcmFm() ? h.Object.FmRx_GetReceiverSignalLevelQualificationThreshold(h.Channel)
                                : h.Object.PskRx_GetReceiverSignalLevelQualificationThreshold(h.Channel));
       }},
      {"TSM_OutputsSetupForm", "LabelRouteRecombineLoc",
       [](const HeldBy& h) -> std::optional<std::string> {
         if (!h.Psk()) return std::nullopt;
         return h.Object.PskRx_GetSignalRoutingRecombineLocation(h.Channel);
       }},
      {"TSM_CombinerSetupForm", "LabelSignalBw",
       [](const HeldBy& h) -> std::optional<std::string> {
         if (!card::CardHasPreDCombiner(h.Card)) return std::nullopt;
         return Fixed(7, 4, h.Object.PreD_GetSignalBandwidthInHz() * 0.000001);
       }},
      {"TSM_CombinerSetupForm", "LabelCombinedGain",
       [](const HeldBy& h) -> std::optional<std::string> {
         if (!card::CardHasPostDCombiner(h.Card)) return std::nullopt;
         return Fixed(9, 1, h.Status0.PostD.CombiningGainDb);
       }},
  };
  return rows;
}

// Refreshes `page` and compares each value it shows with what the card holds; returns how many
// values were compared.
inline int ExpectPageShowsWhatTheCardHolds(setup::SetupPage& page) {
  const card::kr20cardclass* object = gRtl20Mgr->Card(page.Card());
  EXPECT_NE(object, nullptr);
  if (object == nullptr || gKr20SetMgr == nullptr) return 0;
  const HeldBy held{page.Card(), page.Channel(), *object, object->Setup(),
                    gKr20SetMgr->StatusRecord(page.Card(), page.Channel()), gKr20SetMgr->StatusRecord(page.Card(), 0)};
  page.RefreshValues();
  int compared = 0;
  for (const HeldValue& row : HeldValues()) {
    if (page.objectName() != QString::fromLatin1(row.Form)) continue;
    const auto* label = page.findChild<QLabel*>(QString::fromLatin1(row.Component));
    if (label == nullptr || !label->isVisibleTo(&page)) continue;
    const std::optional<std::string> expected = row.Text(held);
    if (!expected) continue;
    EXPECT_EQ(label->text().toStdString(), *expected)
        << row.Component << " of card " << page.Card() + 1 << " CH " << page.Channel() + 1;
    ++compared;
  }
  return compared;
}

}  // namespace operatortest
