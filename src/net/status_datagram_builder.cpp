#include "net/status_datagram_builder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "util/error_log.h"
#include "util/number_text.h"
#include "util/repeated_log_lines.h"

namespace net {

namespace {

constexpr const char* kCountLimitLine = "Contact Software... iq elements needs enlarged to";

template <class T>
void PutAt(std::span<std::uint8_t> out, std::size_t offset, const T& value) {
  static_assert(std::is_trivially_copyable_v<T>);
  std::memcpy(out.data() + offset, &value, sizeof value);
}

// Trimmed, cut to 63 characters, NUL-terminated in a 64-byte field.
void PutText(std::span<std::uint8_t> out, std::size_t offset, std::string_view text) {
  const std::string trimmed = util::TrimText(text);
  const std::size_t length = std::min(trimmed.size(), kStatusTextBytes - 1);
  std::memcpy(out.data() + offset, trimmed.data(), length);
}

// A fixed text field of a record up to its first NUL (the whole field when it has none).
template <std::size_t N>
std::string_view FieldText(const char (&field)[N]) {
  return {field, static_cast<std::size_t>(std::find(field, field + N, '\0') - field)};
}

// "USER\SETUPFILES\MYSETUP.VexA" and "USER/SETUPFILES/MYSETUP.VexA" both give "MYSETUP".
std::string_view BaseName(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  if (slash != std::string_view::npos) path.remove_prefix(slash + 1);
  const std::size_t dot = path.find_last_of('.');
  if (dot != std::string_view::npos) path = path.substr(0, dot);
  return path;
}

bool ValidCard(int card) { return card >= 0 && card < kStatusCards; }
bool ValidChannel(int channel) { return channel == 0 || channel == 1; }

bool CheckIndices(std::string_view builder, int card, int channel) {
  if (ValidCard(card) && ValidChannel(channel)) return true;
  util::LogError(std::string(builder) + ": card " + std::to_string(card) + " channel " + std::to_string(channel) +
                     " out of range",
                 card, false);
  return false;
}

// The count the datagram carries: the block's count held to 0..limit. A cut count is logged once
// per card, channel and datagram kind and again only when the count changes: the datagrams go out
// up to 20 times a second.
std::int32_t LimitedCount(std::int32_t blockCount, std::int32_t limit, int card, int channel, const char* kind) {
  const std::int32_t count = std::clamp(blockCount, std::int32_t{0}, limit);
  if (count == blockCount) return count;
  const std::string key =
      "Card " + std::to_string(card + 1) + " CH " + std::to_string(channel + 1) + " " + kind + " datagram";
  if (util::RepeatableLineDue(key, std::to_string(blockCount), kCountLimitLine)) {
    util::LogError(kCountLimitLine, blockCount, false);
  }
  return count;
}

void PutDisplayHeader(std::span<std::uint8_t> out, int card, int channel, std::uint8_t kind, double spanMhz,
                      std::uint32_t windowCode, std::int32_t count) {
  PutAt(out, offsetof(DisplayPacket, CardIndex), static_cast<std::uint32_t>(card));
  PutAt(out, offsetof(DisplayPacket, Channel), static_cast<std::uint32_t>(channel));
  PutAt(out, offsetof(DisplayPacket, Kind), kind);
  PutAt(out, offsetof(DisplayPacket, SpanMhz), spanMhz);
  PutAt(out, offsetof(DisplayPacket, WindowCode), windowCode);
  PutAt(out, offsetof(DisplayPacket, Count), count);
}

struct WindowName {
  std::string_view Text;
  std::uint32_t Code;
};
constexpr std::array<WindowName, 6> kWindowCodes{{
    {"NONE", 0}, {"HANNING", 1}, {"HAMMING", 2}, {"BARLETT", 3}, {"BLACKMAN", 4}, {"KAISER", 5},
}};
constexpr std::uint32_t kOtherWindowCode = 1;

}  // namespace

std::uint32_t WindowCodeOf(std::string_view windowText) {
  for (const WindowName& window : kWindowCodes) {
    if (window.Text == windowText) return window.Code;
  }
  return kOtherWindowCode;
}

void BuildSystemStatusPacket(const StatusSource& source, std::span<std::uint8_t, kSystemStatusBytes> out) {
  std::fill(out.begin(), out.end(), std::uint8_t{0});
  const int count = std::clamp(source.CardCount(), 0, kStatusCards);
  PutAt(out, offsetof(SystemStatusPacket, CardCount), static_cast<std::uint32_t>(count));
  PutAt(out, offsetof(SystemStatusPacket, SimulatedFlag), static_cast<std::uint8_t>(source.AnyCardTypeSimulated() ? 1 : 0));

  const RemoteControlSettings remote = source.Remote();
  if (remote.ClientIpAddr.find("255") == std::string::npos) {
    PutAt(out, offsetof(SystemStatusPacket, RemoteControlActive),
          static_cast<std::uint8_t>(remote.Enabled && remote.AllowRemoteControl ? 1 : 0));
    PutText(out, offsetof(SystemStatusPacket, ClientIpAddr), remote.ClientIpAddr);
  }

  for (int card = 0; card < count; ++card) {
    const card::kr20cardinfo* info = source.CardInfo(card);
    const card::CardSetupRecord* setup = source.Setup(card);
    if (info == nullptr || setup == nullptr) continue;
    const auto slot = static_cast<std::size_t>(card);
    PutAt(out, offsetof(SystemStatusPacket, CardInfo) + slot * sizeof(card::kr20cardinfo), *info);
    const std::size_t names = offsetof(SystemStatusPacket, Names) + slot * sizeof(CardNameRecord);
    PutText(out, names + offsetof(CardNameRecord, CardDesignation), FieldText(setup->CardDesignation));
    PutText(out, names + offsetof(CardNameRecord, Channel0Designation), FieldText(setup->StreamDesignation[0]));
    PutText(out, names + offsetof(CardNameRecord, Channel1Designation), FieldText(setup->StreamDesignation[1]));
    PutText(out, names + offsetof(CardNameRecord, SetupBaseName), BaseName(source.SetupFileName(card)));
    PutAt(out, offsetof(SystemStatusPacket, FunctionMasks) + slot * sizeof(std::uint16_t), source.FunctionMask(card));
  }
}

bool BuildGroupStatusPacket(const StatusSource& source, int card, std::span<std::uint8_t, kGroupStatusBytes> out) {
  std::fill(out.begin(), out.end(), std::uint8_t{0});
  if (!CheckIndices("BuildGroupStatusPacket", card, 0)) return false;
  PutAt(out, offsetof(GroupStatusPacket, CardIndex), static_cast<std::uint32_t>(card));
  for (int channel = 0; channel < 2; ++channel) {
    const settings::ChannelStatusRecord* record = source.StatusRecord(card, channel);
    if (record == nullptr) continue;
    PutAt(out, offsetof(GroupStatusPacket, Status) + static_cast<std::size_t>(channel) * sizeof *record, *record);
  }
  if (const card::CardSetupRecord* setup = source.Setup(card); setup != nullptr) {
    PutAt(out, offsetof(GroupStatusPacket, Setup), *setup);
  }
  return true;
}

bool BuildIqPacket(const StatusSource& source, int card, int channel, std::span<std::uint8_t, kDisplayPacketBytes> out) {
  std::fill(out.begin(), out.end(), std::uint8_t{0});
  if (!CheckIndices("BuildIqPacket", card, channel)) return false;
  const settings::DisplayDataBlock* block = source.DisplayBlock(card, channel);
  const std::int32_t count = block != nullptr ? LimitedCount(block->IqCount, kMaxIqPairs, card, channel, "IQ") : 0;
  PutDisplayHeader(out, card, channel, kIqKind, 0.0, 0, count);
  std::size_t offset = offsetof(DisplayPacket, Values);
  for (std::int32_t i = 0; i < count; ++i) {
    const settings::IqPair pair = block->IqPairs[i];
    const std::array<float, 2> values{static_cast<float>(pair.I), static_cast<float>(pair.Q)};
    PutAt(out, offset, values);
    offset += sizeof values;
  }
  return true;
}

bool BuildSpectrumPacket(const StatusSource& source, int card, int channel,
                         std::span<std::uint8_t, kDisplayPacketBytes> out) {
  std::fill(out.begin(), out.end(), std::uint8_t{0});
  if (!CheckIndices("BuildSpectrumPacket", card, channel)) return false;
  const card::CardSetupRecord* setup = source.Setup(card);
  const std::uint32_t windowCode =
      setup != nullptr ? WindowCodeOf(FieldText(setup->Fft[channel].WindowType)) : kOtherWindowCode;
  const double spanMhz = source.FftSpanHz(card, channel) * 0.000001;
  const settings::DisplayDataBlock* block = source.DisplayBlock(card, channel);
  const std::int32_t count = block != nullptr ? LimitedCount(block->SpectrumCount, kMaxSpectrumPoints, card, channel, "spectrum") : 0;
  PutDisplayHeader(out, card, channel, kSpectrumKind, spanMhz, windowCode, count);
  std::size_t offset = offsetof(DisplayPacket, Values);
  for (std::int32_t i = 0; i < count; ++i) {
    const float value = static_cast<float>(block->SpectrumPoints[i]);
    PutAt(out, offset, value);
    offset += sizeof value;
  }
  return true;
}

}  // namespace net
