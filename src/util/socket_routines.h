#pragma once
// Sockets and addresses. Linux needs no socket library start-up; the two calls stay so that
// start-up and shut-down read as they always did.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace util {

bool WinsockStartup();
void WinsockCleanup();

// The machine's own IPv4 address; true when it is known.
bool GetLocalIpv4(std::string& hostName, std::string& address, std::array<std::uint8_t, 4>& octets);

// True for "255.255.255.255" and for any dotted IPv4 address of four decimal numbers 0..255.
bool IsValidIpAddress(const std::string& address);

// Sends up to `count` ICMP echo requests carrying `size` bytes of `fill`; true when at least one
// reply came. `averageMs` is the mean round trip of the replies, -1 without replies.
bool PingHost(const std::string& address, int count, int size, std::uint8_t fill, double& averageMs);
// The same, but empty when no echo request could be sent at all (no ICMP socket can be had on this
// machine): that proves nothing about the address.
std::optional<bool> PingHostIfPossible(const std::string& address, int count, int size, std::uint8_t fill,
                                       double& averageMs);

}  // namespace util
