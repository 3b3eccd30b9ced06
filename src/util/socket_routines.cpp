#include "util/socket_routines.h"

#include <arpa/inet.h>

#include "platform/icmp_ping.h"
#include "platform/local_address.h"

namespace util {

bool WinsockStartup() { return true; }

void WinsockCleanup() {}

bool GetLocalIpv4(std::string& hostName, std::string& address, std::array<std::uint8_t, 4>& octets) {
  platform::LocalAddress local;
  if (!platform::GetLocalAddress(local)) return false;
  hostName = local.hostName;
  address = local.address;
  octets = local.octets;
  return true;
}

bool IsValidIpAddress(const std::string& address) {
  if (address == "255.255.255.255") return true;
  in_addr parsed{};
  // inet_pton takes exactly four dotted decimal numbers 0..255, nothing around them.
  return ::inet_pton(AF_INET, address.c_str(), &parsed) == 1;
}

bool PingHost(const std::string& address, int count, int size, std::uint8_t fill, double& averageMs) {
  return PingHostIfPossible(address, count, size, fill, averageMs).value_or(false);
}

std::optional<bool> PingHostIfPossible(const std::string& address, int count, int size, std::uint8_t fill,
                                       double& averageMs) {
  const platform::PingResult result = platform::Ping(address, count, size, fill);
  averageMs = result.averageMs;
  if (!result.probed) return std::nullopt;
  return result.replies > 0;
}

}  // namespace util
