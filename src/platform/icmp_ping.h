#pragma once
#include <string>

namespace platform {

struct PingResult {
  int replies = 0;
  double averageMs = -1.0;  // -1 without replies
  // False when no echo request could be sent at all (no ICMP socket to be had): no replies then
  // say nothing about the address.
  bool probed = true;
};

// Sends `count` ICMP echo requests carrying `size` bytes of `fill` to the IPv4 address, each
// waiting up to `timeoutMs` for its reply. Uses an unprivileged ICMP datagram socket, else a raw
// socket; when neither can be opened it reports that once (diagnostics) and returns no replies,
// not probed.
PingResult Ping(const std::string& address, int count, int size, unsigned char fill, int timeoutMs = 1000);

}  // namespace platform
