#include "net/status_server.h"

#include <arpa/inet.h>

#include <cstring>
#include <utility>

#include "util/error_log.h"
#include "util/socket_routines.h"
#include "util/speaker.h"

namespace net {

Ipv4Address StatusDestination(const std::string& clientAddress, const Ipv4Address* ownAddress, bool& fallbackUsed) {
  fallbackUsed = false;
  if (clientAddress == kLimitedBroadcast) return {255, 255, 255, 255};
  in_addr parsed{};
  if (::inet_pton(AF_INET, clientAddress.c_str(), &parsed) == 1) {
    Ipv4Address address{};
    std::memcpy(address.data(), &parsed.s_addr, address.size());
    return address;
  }
  fallbackUsed = true;
  if (ownAddress == nullptr) return {255, 255, 255, 255};
  return {(*ownAddress)[0], (*ownAddress)[1], (*ownAddress)[2], 255};
}

std::string AddressText(const Ipv4Address& address) {
  return std::to_string(address[0]) + "." + std::to_string(address[1]) + "." + std::to_string(address[2]) + "." +
         std::to_string(address[3]);
}

}  // namespace net

vexaserverstatusudpclass::vexaserverstatusudpclass(std::uint16_t port, std::string clientAddress,
                                                   std::int32_t serverIndex,
                                                   std::unique_ptr<net::StatusTransport> transport)
    : clientAddress_(std::move(clientAddress)),
      port_(port),
      serverIndex_(serverIndex),
      transport_(transport != nullptr ? std::move(transport) : net::MakePosixStatusTransport()) {}

vexaserverstatusudpclass::~vexaserverstatusudpclass() { Close(); }

bool vexaserverstatusudpclass::Open() {
  std::string hostName;
  std::string ownText;
  net::Ipv4Address own{};
  const bool ownKnown = util::GetLocalIpv4(hostName, ownText, own);
  bool fallbackUsed = false;
  const net::Ipv4Address destination = net::StatusDestination(clientAddress_, ownKnown ? &own : nullptr, fallbackUsed);
  if (fallbackUsed) {
    util::SpeakerErrorTone();
    util::LogInfo("Invalid ClientIpAddr Mask " + clientAddress_ + " Setting to " + net::AddressText(destination), 0,
                  false);
  }
  isOpen_ = transport_->Open(destination, port_);
  return isOpen_;
}

void vexaserverstatusudpclass::Close() {
  isOpen_ = false;
  transport_->Close();
}

bool vexaserverstatusudpclass::Reopen() {
  Close();
  isOpen_ = Open();
  return isOpen_;
}

std::int32_t vexaserverstatusudpclass::Send(std::span<const std::uint8_t> bytes) {
  if (!isOpen_ || !transport_->IsOpen()) {
    if (!transport_->IsOpen()) isOpen_ = false;
    return -1;
  }
  if (bytes.size() > net::kMaxStatusDatagramBytes) return -2;
  return transport_->Send(bytes);
}
