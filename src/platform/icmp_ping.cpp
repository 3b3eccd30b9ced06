#include "platform/icmp_ping.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <system_error>
#include <vector>

#include "platform/diagnostics.h"

// Echo payloads are limited to 65500 bytes, as the Windows echo call limits them (the IPv4
// packet limit would allow 65507); larger sizes are cut to that, negative ones count as 0.

namespace platform {
namespace {

constexpr int kMaxPayload = 65500;
constexpr std::size_t kIcmpHeaderSize = 8;
constexpr std::uint8_t kEchoReply = 0;
constexpr std::uint8_t kEchoRequest = 8;
// Large enough for any IPv4 packet.
constexpr std::size_t kReceiveCapacity = 65536;

using Clock = std::chrono::steady_clock;

class Socket {
 public:
  explicit Socket(int fd) : fd_(fd) {}
  ~Socket() {
    if (fd_ >= 0) close(fd_);
  }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  int Fd() const { return fd_; }

 private:
  int fd_;
};

struct IcmpSocket {
  int fd = -1;
  // A raw socket sees every ICMP packet of the machine, IPv4 header included, and takes our
  // identifier as written; a datagram ("ping") socket sees only its own replies, without the IP
  // header, and the kernel chooses the identifier.
  bool raw = false;
  int error = 0;
};

IcmpSocket OpenIcmpSocket() {
  IcmpSocket result;
  result.fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP);
  if (result.fd >= 0) return result;
  result.fd = socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
  result.raw = true;
  result.error = errno;
  return result;
}

void ReportNoSocketOnce(int error) {
  static std::atomic<bool> reported{false};
  if (!reported.exchange(true)) {
    ReportDiagnostic("Ping: no ICMP socket available: " + std::generic_category().message(error));
  }
}

std::uint16_t Checksum(const std::vector<unsigned char>& data) {
  std::uint32_t sum = 0;
  std::size_t i = 0;
  for (; i + 1 < data.size(); i += 2) sum += static_cast<std::uint32_t>(data[i] << 8 | data[i + 1]);
  if (i < data.size()) sum += static_cast<std::uint32_t>(data[i] << 8);
  while ((sum >> 16) != 0) sum = (sum & 0xffffu) + (sum >> 16);
  return static_cast<std::uint16_t>(~sum & 0xffffu);
}

void PutU16(std::vector<unsigned char>& data, std::size_t at, std::uint16_t value) {
  data[at] = static_cast<unsigned char>(value >> 8);
  data[at + 1] = static_cast<unsigned char>(value & 0xffu);
}

std::uint16_t GetU16(const unsigned char* data) { return static_cast<std::uint16_t>(data[0] << 8 | data[1]); }

std::vector<unsigned char> EchoRequest(std::uint16_t id, std::uint16_t sequence, int size, unsigned char fill) {
  std::vector<unsigned char> packet(kIcmpHeaderSize + static_cast<std::size_t>(size), fill);
  packet[0] = kEchoRequest;
  packet[1] = 0;
  PutU16(packet, 2, 0);
  PutU16(packet, 4, id);
  PutU16(packet, 6, sequence);
  PutU16(packet, 2, Checksum(packet));
  return packet;
}

// True when the received packet is the echo reply to our request with that sequence number.
bool IsOurReply(const unsigned char* data, std::size_t size, const IcmpSocket& icmp, std::uint16_t id,
                std::uint16_t sequence) {
  if (icmp.raw) {
    if (size < 20 || (data[0] >> 4) != 4) return false;
    const std::size_t headerSize = static_cast<std::size_t>(data[0] & 0x0f) * 4;
    if (headerSize < 20 || size < headerSize) return false;
    data += headerSize;
    size -= headerSize;
  }
  if (size < kIcmpHeaderSize || data[0] != kEchoReply || data[1] != 0) return false;
  if (icmp.raw && GetU16(data + 4) != id) return false;
  return GetU16(data + 6) == sequence;
}

// Waits until `deadline` for the reply; true when it came.
bool AwaitReply(const IcmpSocket& icmp, const in_addr& target, std::uint16_t id, std::uint16_t sequence,
                Clock::time_point deadline, std::vector<unsigned char>& buffer) {
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    pollfd entry{icmp.fd, POLLIN, 0};
    const int ready = poll(&entry, 1, left > 0 ? static_cast<int>(left) : 0);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    sockaddr_in from{};
    socklen_t fromSize = sizeof from;
    const ssize_t received = recvfrom(icmp.fd, buffer.data(), buffer.size(), MSG_DONTWAIT,
                                      reinterpret_cast<sockaddr*>(&from), &fromSize);
    if (received < 0) {
      if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) continue;
      return false;
    }
    // Anything else (other programs' traffic on a raw socket, late replies to earlier echoes)
    // is skipped, and the rest of the time is waited for ours.
    if (from.sin_addr.s_addr == target.s_addr &&
        IsOurReply(buffer.data(), static_cast<std::size_t>(received), icmp, id, sequence)) {
      return true;
    }
  }
}

}  // namespace

PingResult Ping(const std::string& address, int count, int size, unsigned char fill, int timeoutMs) {
  PingResult result;
  in_addr target{};
  if (inet_pton(AF_INET, address.c_str(), &target) != 1) return result;
  if (count <= 0) return result;
  size = std::clamp(size, 0, kMaxPayload);
  timeoutMs = std::max(timeoutMs, 0);

  const IcmpSocket icmp = OpenIcmpSocket();
  if (icmp.fd < 0) {
    ReportNoSocketOnce(icmp.error);
    result.probed = false;
    return result;
  }
  const Socket guard(icmp.fd);

  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_addr = target;
  const auto id = static_cast<std::uint16_t>(getpid() & 0xffff);
  // Sequence numbers run on across calls (and threads), so a late reply to an earlier echo is
  // never taken for the reply to a later one.
  static std::atomic<std::uint16_t> nextSequence{1};
  std::vector<unsigned char> buffer(kReceiveCapacity);
  double totalMs = 0.0;

  for (int i = 0; i < count; ++i) {
    const std::uint16_t sequence = nextSequence.fetch_add(1);
    const std::vector<unsigned char> request = EchoRequest(id, sequence, size, fill);
    const Clock::time_point sent = Clock::now();
    const ssize_t written =
        sendto(icmp.fd, request.data(), request.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    if (written != static_cast<ssize_t>(request.size())) continue;  // no way there: no reply
    if (AwaitReply(icmp, target, id, sequence, sent + std::chrono::milliseconds(timeoutMs), buffer)) {
      ++result.replies;
      totalMs += std::chrono::duration<double, std::milli>(Clock::now() - sent).count();
    }
  }
  if (result.replies > 0) result.averageMs = totalMs / result.replies;
  return result;
}

}  // namespace platform
