#pragma once
// What a card is built of, as the device library reports it when the card opens. The system-status
// datagram carries the block byte for byte, so its layout is a wire format; bytes after the counts
// are reserved and stay zero.
#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace card {

#pragma pack(push, 1)
struct kr20cardinfo {
  std::int32_t NumModulators{};
  std::int32_t NumPskReceivers{};
  std::int32_t NumFmReceivers{};  // PCM/FM receivers
  std::int32_t NumPmReceivers{};
  std::int32_t NumBerts{};
  std::int32_t NumTxBerts{};
  std::int32_t NumFftChannels{};
  std::int32_t NumIqChannels{};
  std::int32_t NumPreDCombiners{};
  std::int32_t NumPostDCombiners{};
  std::int32_t NumMhCpmReceivers{};
  std::uint8_t Reserved44[185]{};
};
#pragma pack(pop)

using CardInfoBlock = kr20cardinfo;

static_assert(sizeof(kr20cardinfo) == 229);
static_assert(offsetof(kr20cardinfo, NumModulators) == 0);
static_assert(offsetof(kr20cardinfo, NumPskReceivers) == 4);
static_assert(offsetof(kr20cardinfo, NumFmReceivers) == 8);
static_assert(offsetof(kr20cardinfo, NumPmReceivers) == 12);
static_assert(offsetof(kr20cardinfo, NumBerts) == 16);
static_assert(offsetof(kr20cardinfo, NumTxBerts) == 20);
static_assert(offsetof(kr20cardinfo, NumFftChannels) == 24);
static_assert(offsetof(kr20cardinfo, NumIqChannels) == 28);
static_assert(offsetof(kr20cardinfo, NumPreDCombiners) == 32);
static_assert(offsetof(kr20cardinfo, NumPostDCombiners) == 36);
static_assert(offsetof(kr20cardinfo, NumMhCpmReceivers) == 40);
static_assert(offsetof(kr20cardinfo, Reserved44) == 44);
static_assert(std::is_standard_layout_v<kr20cardinfo>);
static_assert(std::is_trivially_copyable_v<kr20cardinfo>);

}  // namespace card
