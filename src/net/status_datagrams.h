#pragma once
// The four status datagrams the client receives: system status (all cards), group status (one
// card's two status records and its setup), spectrum and IQ data of one card channel. The structs
// only fix the byte layout (packed, little-endian, IEEE doubles and floats, no gaps): the builders
// write each field at its offset with memcpy and never form a pointer to a packed member. Every
// byte without a name is 0.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "card/records/card_info_block.h"
#include "card/records/card_setup_record.h"
#include "settings/channel_status_record.h"

namespace net {

static_assert(std::endian::native == std::endian::little, "the datagrams are built in host byte order");

inline constexpr int kStatusCards = 6;
inline constexpr std::size_t kStatusTextBytes = 64;  // texts of at most 63 characters and the NUL

#pragma pack(push, 1)

// The texts that name one card.
struct CardNameRecord {
  char CardDesignation[kStatusTextBytes];
  char Channel0Designation[kStatusTextBytes];
  char Channel1Designation[kStatusTextBytes];
  char SetupBaseName[kStatusTextBytes];  // no folder, no extension
  std::uint8_t Reserved256[368];
};

struct SystemStatusPacket {
  std::uint32_t CardCount;
  std::uint8_t SimulatedFlag;  // 1 when some card type is simulated
  card::kr20cardinfo CardInfo[kStatusCards];
  std::uint8_t Reserved1379[260];
  CardNameRecord Names[kStatusCards];
  std::uint8_t RemoteControlActive;
  char ClientIpAddr[kStatusTextBytes];  // all zero when the address holds "255"
  std::uint16_t FunctionMasks[kStatusCards];
  std::uint8_t Reserved5460[144];
};

struct GroupStatusPacket {
  std::uint32_t CardIndex;
  settings::ChannelStatusRecord Status[2];
  card::CardSetupRecord Setup;  // zero when the card has no object
  std::uint8_t Reserved12112[300];
};

// The spectrum and the IQ datagram share one layout; Kind tells them apart.
struct DisplayPacket {
  std::uint32_t CardIndex;
  std::uint32_t Channel;
  std::uint8_t Kind;         // 1 IQ, 0 spectrum
  double SpanMhz;            // spectrum only
  std::uint32_t WindowCode;  // spectrum only
  std::int32_t Count;        // I/Q pairs or spectrum points
  std::uint8_t Values[32080];  // floats: I then Q per pair, or one per point
};

#pragma pack(pop)

inline constexpr std::size_t kSystemStatusBytes = 5604;
inline constexpr std::size_t kGroupStatusBytes = 12412;
inline constexpr std::size_t kDisplayPacketBytes = 32105;

inline constexpr std::uint8_t kIqKind = 1;
inline constexpr std::uint8_t kSpectrumKind = 0;
// What fits: (32105 - 25) / 8 pairs; spectrum points are held to 8000.
inline constexpr std::int32_t kMaxIqPairs = 4010;
inline constexpr std::int32_t kMaxSpectrumPoints = 8000;

static_assert(sizeof(CardNameRecord) == 624);
static_assert(offsetof(CardNameRecord, CardDesignation) == 0);
static_assert(offsetof(CardNameRecord, Channel0Designation) == 64);
static_assert(offsetof(CardNameRecord, Channel1Designation) == 128);
static_assert(offsetof(CardNameRecord, SetupBaseName) == 192);
static_assert(offsetof(CardNameRecord, Reserved256) == 256);

static_assert(sizeof(SystemStatusPacket) == kSystemStatusBytes);
static_assert(offsetof(SystemStatusPacket, CardCount) == 0);
static_assert(offsetof(SystemStatusPacket, SimulatedFlag) == 4);
static_assert(offsetof(SystemStatusPacket, CardInfo) == 5);
static_assert(sizeof(card::kr20cardinfo) == 229);
static_assert(offsetof(SystemStatusPacket, Reserved1379) == 1379);
static_assert(offsetof(SystemStatusPacket, Names) == 1639);
static_assert(offsetof(SystemStatusPacket, RemoteControlActive) == 5383);
static_assert(offsetof(SystemStatusPacket, ClientIpAddr) == 5384);
static_assert(offsetof(SystemStatusPacket, FunctionMasks) == 5448);
static_assert(offsetof(SystemStatusPacket, Reserved5460) == 5460);

static_assert(sizeof(GroupStatusPacket) == kGroupStatusBytes);
static_assert(offsetof(GroupStatusPacket, CardIndex) == 0);
static_assert(offsetof(GroupStatusPacket, Status) == 4);
static_assert(offsetof(GroupStatusPacket, Status) + sizeof(settings::ChannelStatusRecord) == 1513);
static_assert(offsetof(GroupStatusPacket, Setup) == 3022);
static_assert(sizeof(card::CardSetupRecord) == 9090);
static_assert(offsetof(GroupStatusPacket, Reserved12112) == 12112);

static_assert(sizeof(DisplayPacket) == kDisplayPacketBytes);
static_assert(offsetof(DisplayPacket, CardIndex) == 0);
static_assert(offsetof(DisplayPacket, Channel) == 4);
static_assert(offsetof(DisplayPacket, Kind) == 8);
static_assert(offsetof(DisplayPacket, SpanMhz) == 9);
static_assert(offsetof(DisplayPacket, WindowCode) == 17);
static_assert(offsetof(DisplayPacket, Count) == 21);
static_assert(offsetof(DisplayPacket, Values) == 25);
static_assert(sizeof(DisplayPacket::Values) / 8 == kMaxIqPairs);
static_assert(sizeof(DisplayPacket::Values) / 4 >= kMaxSpectrumPoints);

static_assert(std::is_standard_layout_v<SystemStatusPacket>);
static_assert(std::is_standard_layout_v<GroupStatusPacket>);
static_assert(std::is_standard_layout_v<DisplayPacket>);

}  // namespace net
