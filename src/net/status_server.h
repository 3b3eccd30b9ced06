#pragma once
// One sending socket of the status datagrams (`vexaserverstatusudpclass`): the system status
// server (index -1) or a card's group, spectrum and IQ server (index 0..5), aimed at the client's
// address on one port of the port map. Created closed; the network manager opens it, decides
// when to send and holds the send lock. No receive thread.
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "net/status_transport.h"

namespace net {

inline constexpr const char* kLimitedBroadcast = "255.255.255.255";
inline constexpr std::size_t kMaxStatusDatagramBytes = 32768;

// Where the datagrams go: the limited broadcast address for exactly "255.255.255.255", else the
// dotted address; when that does not parse, the own subnet's broadcast address (the own address
// with its last octet 255), or the limited broadcast address when the own address is unknown.
// `fallbackUsed` tells the caller to report it.
Ipv4Address StatusDestination(const std::string& clientAddress, const Ipv4Address* ownAddress, bool& fallbackUsed);
std::string AddressText(const Ipv4Address& address);

}  // namespace net

class vexaserverstatusudpclass {
 public:
  // `transport` null: a plain POSIX UDP socket.
  vexaserverstatusudpclass(std::uint16_t port, std::string clientAddress, std::int32_t serverIndex,
                           std::unique_ptr<net::StatusTransport> transport = nullptr);
  ~vexaserverstatusudpclass();
  vexaserverstatusudpclass(const vexaserverstatusudpclass&) = delete;
  vexaserverstatusudpclass& operator=(const vexaserverstatusudpclass&) = delete;

  // Aims the socket at the client (an address that does not parse: the fallback, with the error
  // tone and an information line); false, with the failure logged, leaves it closed.
  bool Open();
  void Close();
  bool Reopen();
  // Bytes sent; 0 when the socket stayed busy for 0.2 s (the datagram is lost); -1 closed, -2 more
  // than 32768 bytes, -3 the wait failed, else the negated error code of the send.
  std::int32_t Send(std::span<const std::uint8_t> bytes);

  const std::string& ClientAddress() const { return clientAddress_; }
  std::uint16_t Port() const { return port_; }
  std::int32_t ServerIndex() const { return serverIndex_; }
  bool IsOpen() const { return isOpen_; }

 private:
  std::string clientAddress_ = net::kLimitedBroadcast;
  std::uint16_t port_;
  std::int32_t serverIndex_;
  bool isOpen_ = false;
  std::unique_ptr<net::StatusTransport> transport_;
};
