// The status servers' UDP socket on POSIX: connected to the client, so a send needs no address.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "net/status_transport.h"
#include "net/udp_socket.h"
#include "net/winsock_errors.h"
#include "util/error_log.h"

namespace net {

namespace {

class PosixStatusTransport final : public StatusTransport {
 public:
  ~PosixStatusTransport() override { Close(); }

  bool Open(const Ipv4Address& address, std::uint16_t port) override {
    Close();
    socket_ = GetUdpSocket();
    if (!socket_.Valid()) return false;
    const int on = 1;
    if (::setsockopt(socket_.Get(), SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0) {
      return Fail("Setting Socket Broadcast Option");
    }
    SetSendBuffer();
    if (::setsockopt(socket_.Get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0) {
      return Fail("Setting Socket Re-Use Option");
    }
    sockaddr_in destination{};
    destination.sin_family = AF_INET;
    destination.sin_port = htons(port);
    std::memcpy(&destination.sin_addr.s_addr, address.data(), address.size());
    if (::connect(socket_.Get(), reinterpret_cast<const sockaddr*>(&destination), sizeof destination) != 0) {
      return Fail("Connecting The Socket");
    }
    return true;
  }

  void Close() override {
    if (!socket_.Valid()) return;
    ::shutdown(socket_.Get(), SHUT_WR);
    socket_.Reset();
  }

  bool IsOpen() const override { return socket_.Valid(); }

  std::int32_t Send(std::span<const std::uint8_t> bytes) override {
    if (!socket_.Valid()) return -1;
    // Mostly there is room at once: the wait (a system call of its own) only when there is not.
    const ssize_t atOnce = ::send(socket_.Get(), bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (atOnce >= 0) return static_cast<std::int32_t>(atOnce);
    if (errno != EAGAIN && errno != EWOULDBLOCK) return -TakeSocketError();
    pollfd writable{socket_.Get(), POLLOUT, 0};
    const int ready = ::poll(&writable, 1, kStatusSendWaitMs);
    if (ready == 0) return 0;
    if (ready < 0) return -3;
    const ssize_t sent = ::send(socket_.Get(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent >= 0) return static_cast<std::int32_t>(sent);
    // The error as its Winsock code, taken (and so cleared), negated.
    return -TakeSocketError();
  }

 private:
  bool Fail(const std::string& operation) {
    ReportSocketFailure(operation, TakeSocketError());
    Close();
    return false;
  }

  void SetSendBuffer() {
    const int wanted = static_cast<int>(kStatusSendBufferBytes);
    if (::setsockopt(socket_.Get(), SOL_SOCKET, SO_SNDBUF, &wanted, sizeof wanted) != 0) {
      util::LogInfo("Setting Socket Buffer Length Failed, using default", 0, false);
    }
    int size = 0;
    socklen_t length = sizeof size;
    if (::getsockopt(socket_.Get(), SOL_SOCKET, SO_SNDBUF, &size, &length) != 0) return;
    // Linux reports twice the size asked for (its own bookkeeping on top); the usable half counts.
    size /= 2;
    if (size != wanted) util::LogInfo("Socket Buffer Length using is " + std::to_string(size) + " Bytes", size, false);
  }

  UniqueFd socket_;
};

}  // namespace

std::unique_ptr<StatusTransport> MakePosixStatusTransport() { return std::make_unique<PosixStatusTransport>(); }

}  // namespace net
