#include "platform/local_address.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <utility>

namespace platform {
namespace {

bool IsLoopback(const in_addr& address) { return (ntohl(address.s_addr) >> 24) == 127; }

void Fill(const in_addr& address, LocalAddress& out) {
  char text[INET_ADDRSTRLEN] = {};
  inet_ntop(AF_INET, &address, text, sizeof text);
  out.address = text;
  std::memcpy(out.octets.data(), &address.s_addr, out.octets.size());  // network order: a.b.c.d
}

// The first IPv4 address the host name resolves to that is not a loopback address.
bool FromHostName(const std::string& hostName, LocalAddress& out) {
  if (hostName.empty()) return false;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(hostName.c_str(), nullptr, &hints, &found) != 0) return false;
  const std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> guard(found, &freeaddrinfo);
  for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
    if (entry->ai_family != AF_INET || entry->ai_addr == nullptr) continue;
    sockaddr_in address{};
    std::memcpy(&address, entry->ai_addr, sizeof address);
    if (IsLoopback(address.sin_addr)) continue;
    Fill(address.sin_addr, out);
    return true;
  }
  return false;
}

bool FromInterfaces(LocalAddress& out) {
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return false;
  const std::unique_ptr<ifaddrs, decltype(&freeifaddrs)> guard(list, &freeifaddrs);
  for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
    if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) continue;
    if ((entry->ifa_flags & IFF_UP) == 0 || (entry->ifa_flags & IFF_LOOPBACK) != 0) continue;
    sockaddr_in address{};
    std::memcpy(&address, entry->ifa_addr, sizeof address);
    if (IsLoopback(address.sin_addr)) continue;
    Fill(address.sin_addr, out);
    return true;
  }
  return false;
}

}  // namespace

// `out` is left as it was when no address is found.
bool GetLocalAddress(LocalAddress& out) {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0) name[0] = '\0';
  LocalAddress found;
  found.hostName = name;
  if (!FromHostName(found.hostName, found) && !FromInterfaces(found)) return false;
  out = std::move(found);
  return true;
}

}  // namespace platform
