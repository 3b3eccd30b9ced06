// A stand-in Kr12 down-converter library for the binding tests: the five required entries and
// the signal-strength reading.
#include "card/device_exports.h"

extern "C" int Kr12_Lib_GetApiVersion(int* version) {
  if (version == nullptr) return card::kDevBadArgument;
  *version = card::kDnCvtApiVersion;
  return card::kDevOk;
}

extern "C" int Kr12_GetCardCount(int* count) {
  if (count == nullptr) return card::kDevBadArgument;
  *count = 1;
  return card::kDevOk;
}

extern "C" int Kr12_OpenCard(int card) { return card == 0 ? card::kDevOk : card::kDevBadCard; }

extern "C" int Kr12_CloseCard(int card) { return card == 0 ? card::kDevOk : card::kDevBadCard; }

extern "C" int Kr12_GetChannelCount(int card, int* channels) {
  if (card != 0) return card::kDevBadCard;
  if (channels == nullptr) return card::kDevBadArgument;
  *channels = 2;
  return card::kDevOk;
}

extern "C" int Kr12_ReadStrength(int card, int channel, double* dbm) {
  if (card != 0) return card::kDevBadCard;
  if (channel < 0 || channel > 1) return card::kDevBadChannel;
  if (dbm == nullptr) return card::kDevBadArgument;
  *dbm = channel == 0 ? -61.5 : -72.25;
  return card::kDevOk;
}
