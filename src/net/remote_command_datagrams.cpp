#include "net/remote_command_datagrams.h"

#include <algorithm>
#include <cstring>

namespace net {

namespace {

template <class T>
void PutAt(RemoteReplyBytes out, std::size_t offset, const T& value) {
  static_assert(std::is_trivially_copyable_v<T>);
  std::memcpy(out.data() + offset, &value, sizeof value);
}

template <class T>
T GetAt(std::span<const std::uint8_t> in, std::size_t offset) {
  static_assert(std::is_trivially_copyable_v<T>);
  T value;
  std::memcpy(&value, in.data() + offset, sizeof value);
  return value;
}

// Zeroes the field, then writes the text cut to leave room for its NUL.
void PutFieldText(RemoteReplyBytes out, std::size_t offset, std::size_t fieldBytes, std::string_view text) {
  std::memset(out.data() + offset, 0, fieldBytes);
  const std::size_t length = std::min(text.size(), fieldBytes - 1);
  std::memcpy(out.data() + offset, text.data(), length);
}

}  // namespace

std::optional<RemoteCommandArguments> ReadRemoteCommandRequest(std::span<const std::uint8_t> datagram) {
  if (datagram.size() != kRemoteCommandRequestBytes) return std::nullopt;
  RemoteCommandArguments args;
  args.Group = GetAt<std::int32_t>(datagram, offsetof(RemoteCommandRequest, Group));
  args.Channel = GetAt<std::int32_t>(datagram, offsetof(RemoteCommandRequest, Channel));
  args.Command = GetAt<std::int32_t>(datagram, offsetof(RemoteCommandRequest, Command));
  args.Value = GetAt<double>(datagram, offsetof(RemoteCommandRequest, Value));
  const auto field = datagram.subspan(offsetof(RemoteCommandRequest, OptionText), kRemoteOptionTextBytes);
  const auto end = std::find(field.begin(), field.end(), std::uint8_t{0});
  args.OptionText.assign(field.begin(), end);
  return args;
}

void StartRemoteCommandReply(std::span<const std::uint8_t, kRemoteCommandRequestBytes> request, RemoteReplyBytes reply) {
  std::fill(reply.begin(), reply.end(), std::uint8_t{0});
  std::memcpy(reply.data(), request.data(), kRemoteCommandHeaderBytes);
}

void PutReplySuccess(RemoteReplyBytes reply, bool ok) {
  PutAt(reply, offsetof(RemoteCommandReply, Success), static_cast<std::uint8_t>(ok ? 1 : 0));
}

void PutReplyMessage(RemoteReplyBytes reply, std::string_view message) {
  PutFieldText(reply, offsetof(RemoteCommandReply, Message), kRemoteMessageBytes, message);
}

void PutReplyValues(RemoteReplyBytes reply, std::span<const double> values) {
  const std::size_t count = std::min(values.size(), kRemoteReplyValueCount);
  const std::size_t offset = offsetof(RemoteCommandReply, Values);
  std::memset(reply.data() + offset, 0, kRemoteReplyValueCount * sizeof(double));
  if (count != 0) std::memcpy(reply.data() + offset, values.data(), count * sizeof(double));
  PutAt(reply, offsetof(RemoteCommandReply, ValueCount), static_cast<std::uint32_t>(count));
}

void PutReplyText(RemoteReplyBytes reply, std::string_view text) {
  PutFieldText(reply, offsetof(RemoteCommandReply, Texts), kRemoteReplyTextBytes, text);
  PutAt(reply, offsetof(RemoteCommandReply, TextCount), std::uint32_t{1});
}

}  // namespace net
