#pragma once
// The command server (`vexaservercmdudpclass`): the transport of remote control. Its receive
// thread takes request datagrams on the listen port (start port + 16); only datagrams of exactly
// 2404 bytes from the configured client address are served, others are dropped without a reply or
// a log line. Each served request is processed on the user-interface thread while the receive
// thread waits, and its 2921-byte reply goes to the client address on the reply port (start port
// + 17), whatever port the request came from.
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>

#include "net/interface_thread_handoff.h"
#include "net/remote_command_datagrams.h"
#include "net/status_transport.h"

namespace net {
class RemoteCommandProcessor;
class vexaudpdrdythreadclass;

// The reply socket: opened and closed on the user-interface thread, sent on by the receive thread
// or, for a request it processed, the user-interface thread. Shared with the requests in flight.
class CommandReplySocket {
 public:
  explicit CommandReplySocket(std::unique_ptr<StatusTransport> transport) : transport_(std::move(transport)) {}
  bool Open(const Ipv4Address& address, std::uint16_t port);
  void Close();
  // As the status server's Send.
  std::int32_t Send(std::span<const std::uint8_t> bytes);

 private:
  std::mutex mutex_;
  std::unique_ptr<StatusTransport> transport_;
};

// The answer to a request the user-interface thread did not take up within the start limit.
inline constexpr std::string_view kProgramBusyText = "Program Busy";
}  // namespace net

class vexaservercmdudpclass {
 public:
  // `poster` empty: requests are processed on the receive thread itself (no user interface).
  // `replyTransport` null: a plain POSIX UDP socket.
  vexaservercmdudpclass(std::uint16_t listenPort, std::uint16_t replyPort, std::string clientAddress,
                        net::InterfaceThreadPoster poster = {},
                        std::unique_ptr<net::StatusTransport> replyTransport = nullptr);
  // Stops the thread, closes both sockets.
  ~vexaservercmdudpclass();
  vexaservercmdudpclass(const vexaservercmdudpclass&) = delete;
  vexaservercmdudpclass& operator=(const vexaservercmdudpclass&) = delete;

  // How long a request waits for the user-interface thread to take it up; before StartThread.
  void SetCommandStartLimit(std::chrono::milliseconds limit) { startLimit_ = limit; }
  // Creates and resumes the receive thread; it idles until the receive socket is opened.
  void StartThread();
  // Closes, then opens the reply socket and the receive socket (also when the first failed).
  bool Reopen();
  void Close();
  bool OpenReplySocket();
  bool OpenReceiveSocket();
  // As the status server's Send: bytes sent, 0 busy, -1 closed, -2 too long, -3 wait failed, or
  // the negated error code.
  std::int32_t Send(std::span<const std::uint8_t> bytes);
  // On the receive thread: filters, processes and answers one datagram.
  void OnDatagram(const std::string& sender, std::uint16_t port, const std::uint8_t* data, std::int32_t length);

  bool IsOpen() const { return isOpen_.load(); }
  const std::string& ClientAddress() const { return clientAddress_; }
  std::uint16_t ListenPort() const { return ListenPort_; }
  std::uint16_t ReplyPort() const { return ReplyPort_; }

 private:

  const std::string clientAddress_;
  const std::uint16_t ListenPort_;
  const std::uint16_t ReplyPort_;
  net::InterfaceThreadPoster poster_;
  std::chrono::milliseconds startLimit_ = net::kCommandStartLimit;
  std::unique_ptr<net::vexaudpdrdythreadclass> thread_;
  std::atomic<bool> isOpen_{false};
  // Asks a waiting request to give up: the server is closing or going away.
  std::atomic<bool> stop_{false};
  std::shared_ptr<net::CommandReplySocket> reply_;
  // Shared with the jobs in flight, which may outlive a wait that gave up.
  std::shared_ptr<net::RemoteCommandProcessor> processor_;
};
