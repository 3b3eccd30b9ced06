#pragma once
// Small helpers the page tables share: number texts, the card object, the setup record's
// receiver of a channel and the set manager.
#include <optional>
#include <string>

#include "card/card_routines.h"
#include "card/setup_routines.h"
#include "settings/set_manager.h"
#include "ui/setup/setup_page.h"
#include "util/number_text.h"

namespace setup {

inline std::optional<std::string> Fixed(int maxLength, int decimals, double value) {
  return util::FloatToFixedText(maxLength, decimals, value);
}

inline std::optional<std::string> OnOff(bool set, const char* whenSet, const char* whenClear) {
  return std::string(set ? whenSet : whenClear);
}

// The card object of the page's card; nullptr without one.
inline card::kr20cardclass* Obj(const SetupPage& page) { return page.Context().Object; }
inline bool HasObject(const SetupPage& page) { return Obj(page) != nullptr; }

// The setup record's receiver of a channel; nullptr without a card object.
inline card::ReceiverRecord* Rx(const SetupPage& page, int channel) {
  card::CardSetupRecord* setup = page.Context().Setup;
  return setup != nullptr ? &setup->Receiver[channel != 0 ? 1 : 0] : nullptr;
}
inline card::ReceiverRecord* Rx(const SetupPage& page) { return Rx(page, page.Channel()); }

// The set manager; every setter call of a page goes through it.
inline kr20setmgrclass& Mgr() { return *gKr20SetMgr; }
inline bool HasManager() { return gKr20SetMgr != nullptr; }

}  // namespace setup
