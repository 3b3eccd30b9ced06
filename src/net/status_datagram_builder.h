#pragma once
// Fills the status datagrams from a StatusSource. Each builder zeroes its whole buffer first, so
// every byte it does not name is 0. Card and channel indices are checked: a bad one leaves the
// buffer zero, logs the error and returns false.
#include <cstdint>
#include <span>
#include <string_view>

#include "net/status_datagrams.h"
#include "net/status_source.h"

namespace net {

// The window code of an FFT window text; exact match, anything else is HANNING's 1.
std::uint32_t WindowCodeOf(std::string_view windowText);

void BuildSystemStatusPacket(const StatusSource& source, std::span<std::uint8_t, kSystemStatusBytes> out);
bool BuildGroupStatusPacket(const StatusSource& source, int card, std::span<std::uint8_t, kGroupStatusBytes> out);
// A block count beyond what the datagram carries is cut to the limit, and logged on every build.
bool BuildIqPacket(const StatusSource& source, int card, int channel, std::span<std::uint8_t, kDisplayPacketBytes> out);
bool BuildSpectrumPacket(const StatusSource& source, int card, int channel,
                         std::span<std::uint8_t, kDisplayPacketBytes> out);

}  // namespace net
