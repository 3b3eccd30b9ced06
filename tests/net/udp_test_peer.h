#pragma once
// The far end of a loopback UDP exchange, and a recorder for the receive thread's callback.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "net/unique_fd.h"

namespace nettest {

inline sockaddr_in Loopback(std::uint16_t port, std::uint32_t hostAddress = INADDR_LOOPBACK) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(hostAddress);
  address.sin_port = htons(port);
  return address;
}

// 127.0.0.2: another sender on the loopback network.
inline constexpr std::uint32_t kOtherLoopback = 0x7F000002u;

// A UDP socket bound to a loopback port (of the kernel's choosing when 0; no address re-use), on
// 127.0.0.1 or another loopback address.
class LoopbackPeer {
 public:
  explicit LoopbackPeer(std::uint16_t port = 0, std::uint32_t hostAddress = INADDR_LOOPBACK)
      : socket_(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in address = Loopback(port, hostAddress);
    socklen_t length = sizeof address;
    if (::bind(socket_.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(socket_.Get(), reinterpret_cast<sockaddr*>(&address), &length) == 0) {
      port_ = ntohs(address.sin_port);
    }
  }
  std::uint16_t Port() const { return port_; }
  bool SendTo(std::uint16_t port, const std::string& bytes) const {
    const sockaddr_in to = Loopback(port);
    return ::sendto(socket_.Get(), bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to) ==
           static_cast<ssize_t>(bytes.size());
  }
  bool SendTo(std::uint16_t port, const std::vector<std::uint8_t>& bytes) const {
    return SendTo(port, std::string(bytes.begin(), bytes.end()));
  }
  // The next datagram, waiting at most `waitMs` (5 s by default); empty when none came.
  std::vector<std::uint8_t> Receive(int waitMs = 5000) const {
    pollfd readable{socket_.Get(), POLLIN, 0};
    if (::poll(&readable, 1, waitMs) != 1) return {};
    std::vector<std::uint8_t> buffer(65536);
    const ssize_t got = ::recv(socket_.Get(), buffer.data(), buffer.size(), 0);
    buffer.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return buffer;
  }

 private:
  net::UniqueFd socket_;
  std::uint16_t port_ = 0;
};

// A port no socket holds now: the kernel's choice, given back at once.
inline std::uint16_t FreePort() { return LoopbackPeer().Port(); }

struct Datagram {
  std::string sender;
  std::uint16_t port;
  std::string bytes;
};

// Collects what the callback is handed; waits for it with a deadline.
class DatagramRecorder {
 public:
  void Record(const std::string& sender, std::uint16_t port, const std::uint8_t* data, std::int32_t length) {
    {
      std::lock_guard lock(mutex_);
      datagrams_.push_back({sender, port, std::string(reinterpret_cast<const char*>(data), length)});
    }
    arrived_.notify_all();
  }
  // The datagrams recorded once there are at least `count` of them, or all of them at the deadline.
  std::vector<Datagram> WaitFor(std::size_t count, std::chrono::seconds deadline = std::chrono::seconds(10)) {
    std::unique_lock lock(mutex_);
    arrived_.wait_for(lock, deadline, [&] { return datagrams_.size() >= count; });
    return datagrams_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::vector<Datagram> datagrams_;
};

}  // namespace nettest
