#pragma once
// The sending side of one status server: a UDP socket aimed at one address and port. The status
// server only decides where to send and what; the socket work sits behind this interface.
#include <array>
#include <cstdint>
#include <memory>
#include <span>

namespace net {

using Ipv4Address = std::array<std::uint8_t, 4>;

inline constexpr std::size_t kStatusSendBufferBytes = 32768;
inline constexpr int kStatusSendWaitMs = 200;

class StatusTransport {
 public:
  virtual ~StatusTransport() = default;
  // A socket with broadcast and address re-use allowed, aimed at address:port. False, with the
  // failure logged and nothing left open, when a step fails.
  virtual bool Open(const Ipv4Address& address, std::uint16_t port) = 0;
  // Shuts the sending side down and closes; nothing when closed.
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;
  // Waits up to 0.2 s for room, then sends the bytes as one datagram: the bytes sent, 0 when the
  // socket stayed busy, -3 when the wait failed, or the negated error code of a failed send.
  virtual std::int32_t Send(std::span<const std::uint8_t> bytes) = 0;
};

// A plain POSIX UDP socket.
std::unique_ptr<StatusTransport> MakePosixStatusTransport();

}  // namespace net
