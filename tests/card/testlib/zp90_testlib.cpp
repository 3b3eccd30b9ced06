// A stand-in receiver-card library for the binding tests: the five required entries (without
// the info block when built as the incomplete variant) and a few optional ones, with just enough
// state to show that calls through the bound pointers reach it.
#include <cstring>

#include "card/device_exports.h"
#include "card/records/card_info_block.h"

namespace {

constexpr int kCards = 2;
bool cardOpen[kCards]{};
double pskCenterHz[kCards][2]{};

bool ValidCard(int card) { return card >= 0 && card < kCards; }

}  // namespace

extern "C" int Zp90_Lib_GetApiVersion(int* version) {
  if (version == nullptr) return card::kDevBadArgument;
  *version = card::kZp90ApiVersion;
  return card::kDevOk;
}

extern "C" int Zp90_Card_GetCount(int* count) {
  if (count == nullptr) return card::kDevBadArgument;
  *count = kCards;
  return card::kDevOk;
}

extern "C" int Zp90_Card_Open(int card) {
  if (!ValidCard(card)) return card::kDevBadCard;
  cardOpen[card] = true;
  return card::kDevOk;
}

extern "C" int Zp90_Card_Close(int card) {
  if (!ValidCard(card)) return card::kDevBadCard;
  cardOpen[card] = false;
  return card::kDevOk;
}

#ifndef QUORX_TESTLIB_WITHOUT_INFO_BLOCK
extern "C" int Zp90_Card_GetInfoBlock(int card, void* block, int capacity) {
  if (!ValidCard(card) || !cardOpen[card]) return card::kDevBadCard;
  if (block == nullptr) return card::kDevBadArgument;
  if (capacity < static_cast<int>(sizeof(card::kr20cardinfo))) return card::kDevBufferTooSmall;
  card::kr20cardinfo info{};
  info.NumModulators = 1;
  info.NumPskReceivers = 2;
  info.NumBerts = 2;
  info.NumFftChannels = 2;
  std::memcpy(block, &info, sizeof info);
  return card::kDevOk;
}
#endif

extern "C" int Zp90_PskRx_SetCarrierCenterFrequencyInHz(int card, int rx, double hz) {
  if (!ValidCard(card) || !cardOpen[card]) return card::kDevBadCard;
  if (rx < 0 || rx > 1) return card::kDevBadChannel;
  pskCenterHz[card][rx] = hz;
  return card::kDevOk;
}

extern "C" int Zp90_PskRx_GetCarrierCenterFrequencyInHz(int card, int rx, double* hz) {
  if (!ValidCard(card) || !cardOpen[card]) return card::kDevBadCard;
  if (rx < 0 || rx > 1) return card::kDevBadChannel;
  if (hz == nullptr) return card::kDevBadArgument;
  *hz = pskCenterHz[card][rx];
  return card::kDevOk;
}

extern "C" int Zp90_GetMod_GetSupportedModulations(int card, card::DevName* names, int capacity, int* count) {
  static const char* const kNames[] = {"BPSK", "QPSK", "PCM_FM"};
  constexpr int kCount = 3;
  if (!ValidCard(card) || !cardOpen[card]) return card::kDevBadCard;
  if (names == nullptr || count == nullptr) return card::kDevBadArgument;
  if (capacity < kCount) return card::kDevBufferTooSmall;
  for (int i = 0; i < kCount; ++i) {
    std::strncpy(names[i], kNames[i], card::kDevNameSize - 1);
    names[i][card::kDevNameSize - 1] = '\0';
  }
  *count = kCount;
  return card::kDevOk;
}
