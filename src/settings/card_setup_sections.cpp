// One card's complete setup written to, or read from, a given file in setup-file form: the card's
// setup record with the two down-converter records tied to its channels.
#include <array>

#include "card/card_routines.h"
#include "card/dncvt_manager.h"
#include "card/records/dncvt_channel_record.h"
#include "card/rtl20_manager.h"
#include "config/globals.h"
#include "settings/last_setup.h"
#include "settings/setup_file.h"

namespace settings {

bool WriteCardSetupSections(int cardIndex, const std::string& fileName) {
  const card::kr20cardclass* object = card::CardObject(cardIndex);
  if (object == nullptr) return false;
  card::DnCvtChannelRecord spare{};
  const auto dnCvt = CardDnCvtRecords(cardIndex, spare);
  return WriteCardSetup(cardIndex, fileName, object->Setup(), *dnCvt[0], *dnCvt[1]);
}

bool ReadCardSetupSections(int cardIndex, const std::string& fileName, std::string* whyNot) {
  card::kr20cardclass* object = card::CardObject(cardIndex);
  if (object == nullptr) {
    if (whyNot != nullptr) *whyNot = "has no card to take it";
    return false;
  }
  card::DnCvtChannelRecord spare{};
  const auto dnCvt = CardDnCvtRecords(cardIndex, spare);
  return ReadCardSetup(cardIndex, fileName, object->Setup(), *dnCvt[0], *dnCvt[1], whyNot);
}

}  // namespace settings
