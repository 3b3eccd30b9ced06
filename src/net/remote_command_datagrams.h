#pragma once
// The two datagrams of remote control: the client's command request and the program's reply.
// The structs only fix the byte layout (packed, little-endian, IEEE doubles, no gaps); the
// helpers read and write each field at its offset with memcpy and never form a pointer to a
// packed member. Every reply byte the processor does not write is 0.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

namespace net {

static_assert(std::endian::native == std::endian::little, "the datagrams are read and built in host byte order");

inline constexpr std::size_t kRemoteOptionTextBytes = 2384;
inline constexpr std::size_t kRemoteMessageBytes = 260;  // at most 259 characters and the NUL
inline constexpr std::size_t kRemoteReplyValueCount = 64;
inline constexpr std::size_t kRemoteReplyTextBytes = 2128;

#pragma pack(push, 1)

struct RemoteCommandRequest {
  std::int32_t Group;    // card index from 0
  std::int32_t Channel;  // receiver channel, 0 or 1
  std::int32_t Command;
  double Value;
  char OptionText[kRemoteOptionTextBytes];  // NUL-terminated, or ends at the field's end
};

struct RemoteCommandReply {
  std::int32_t Group;  // the first three copied from the request
  std::int32_t Channel;
  std::int32_t Command;
  std::uint8_t Success;  // 1 processed, 0 failed
  char Message[kRemoteMessageBytes];
  std::uint32_t ValueCount;
  double Values[kRemoteReplyValueCount];
  std::uint32_t TextCount;
  char Texts[kRemoteReplyTextBytes];
};

#pragma pack(pop)

inline constexpr std::size_t kRemoteCommandRequestBytes = 2404;
inline constexpr std::size_t kRemoteCommandReplyBytes = 2921;
inline constexpr std::size_t kRemoteCommandHeaderBytes = 12;  // group, channel, command

static_assert(sizeof(RemoteCommandRequest) == kRemoteCommandRequestBytes);
static_assert(offsetof(RemoteCommandRequest, Group) == 0);
static_assert(offsetof(RemoteCommandRequest, Channel) == 4);
static_assert(offsetof(RemoteCommandRequest, Command) == 8);
static_assert(offsetof(RemoteCommandRequest, Value) == 12);
static_assert(offsetof(RemoteCommandRequest, OptionText) == 20);

static_assert(sizeof(RemoteCommandReply) == kRemoteCommandReplyBytes);
static_assert(offsetof(RemoteCommandReply, Group) == 0);
static_assert(offsetof(RemoteCommandReply, Channel) == 4);
static_assert(offsetof(RemoteCommandReply, Command) == 8);
static_assert(offsetof(RemoteCommandReply, Success) == 12);
static_assert(offsetof(RemoteCommandReply, Message) == 13);
static_assert(offsetof(RemoteCommandReply, ValueCount) == 273);
static_assert(offsetof(RemoteCommandReply, Values) == 277);
static_assert(offsetof(RemoteCommandReply, TextCount) == 789);
static_assert(offsetof(RemoteCommandReply, Texts) == 793);

static_assert(std::is_standard_layout_v<RemoteCommandRequest>);
static_assert(std::is_standard_layout_v<RemoteCommandReply>);

// A request's fields as plain values. The option text holds the field up to its first NUL, or
// the whole field when it has none.
struct RemoteCommandArguments {
  std::int32_t Group = 0;
  std::int32_t Channel = 0;
  std::int32_t Command = 0;
  double Value = 0.0;
  std::string OptionText;
};

// The fields of a request datagram; none when the datagram is not exactly a request's size.
std::optional<RemoteCommandArguments> ReadRemoteCommandRequest(std::span<const std::uint8_t> datagram);

using RemoteReplyBytes = std::span<std::uint8_t, kRemoteCommandReplyBytes>;

// Zeroes the reply and copies the request's group, channel and command into it.
void StartRemoteCommandReply(std::span<const std::uint8_t, kRemoteCommandRequestBytes> request, RemoteReplyBytes reply);
void PutReplySuccess(RemoteReplyBytes reply, bool ok);
// The message cut to 259 characters and NUL-terminated; the rest of the field is zeroed.
void PutReplyMessage(RemoteReplyBytes reply, std::string_view message);
// The values from the first entry on (at most 64) and their count; the other entries are zeroed.
void PutReplyValues(RemoteReplyBytes reply, std::span<const double> values);
// One name at the start of the texts field, cut to 2127 characters and NUL-terminated; count 1.
void PutReplyText(RemoteReplyBytes reply, std::string_view text);

}  // namespace net
