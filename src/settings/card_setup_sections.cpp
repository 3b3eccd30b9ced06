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

namespace {

int ValidDnCvtIndex(int index) {
  return index >= 0 && static_cast<std::size_t>(index) < card::kDnCvtRecords ? index : -1;
}

// The down-converter records of the card's channel 0 and channel 1. A channel without a converter
// takes record 0 (channel 0) or channel 0's record (channel 1), so a card with one converter or
// none stores the same record twice. Without a converter manager both are `spare`.
std::array<card::DnCvtChannelRecord*, 2> DnCvtRecordsOf(int cardIndex, card::DnCvtChannelRecord& spare) {
  if (gDnCvtMgr == nullptr) return {&spare, &spare};
  int first = ValidDnCvtIndex(card::GetDownConverterIndex(cardIndex, 0));
  if (first < 0) first = 0;
  int second = ValidDnCvtIndex(card::GetDownConverterIndex(cardIndex, 1));
  if (second < 0) second = first;
  auto& records = gDnCvtMgr->Records;
  return {&records[static_cast<std::size_t>(first)], &records[static_cast<std::size_t>(second)]};
}

}  // namespace

bool WriteCardSetupSections(int cardIndex, const std::string& fileName) {
  const card::kr20cardclass* object = card::CardObject(cardIndex);
  if (object == nullptr) return false;
  card::DnCvtChannelRecord spare{};
  const auto dnCvt = DnCvtRecordsOf(cardIndex, spare);
  return WriteCardSetup(cardIndex, fileName, object->Setup(), *dnCvt[0], *dnCvt[1]);
}

bool ReadCardSetupSections(int cardIndex, const std::string& fileName) {
  card::kr20cardclass* object = card::CardObject(cardIndex);
  if (object == nullptr) return false;
  card::DnCvtChannelRecord spare{};
  const auto dnCvt = DnCvtRecordsOf(cardIndex, spare);
  return ReadCardSetup(cardIndex, fileName, object->Setup(), *dnCvt[0], *dnCvt[1]);
}

}  // namespace settings
