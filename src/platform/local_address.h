#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace platform {

struct LocalAddress {
  std::string hostName;
  std::string address;  // dotted text
  std::array<std::uint8_t, 4> octets{};
};

// The machine's own IPv4 address: the host name's address when that is not a loopback address,
// else the first IPv4 address of an interface that is up and not loopback. False when none.
bool GetLocalAddress(LocalAddress& out);

}  // namespace platform
