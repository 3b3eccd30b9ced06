#include "net/command_server.h"

#include <arpa/inet.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <utility>
#include <vector>

#include "net/remote_command_processor.h"
#include "net/udp_receive_thread.h"
#include "net/udp_socket.h"
#include "net/winsock_errors.h"

namespace {

constexpr auto kPauseAfterOpen = std::chrono::milliseconds(10);
constexpr std::size_t kMaxSendBytes = 32768;

// A request with its reply, owned together by the receive thread and the job.
struct RequestAndReply {
  std::array<std::uint8_t, net::kRemoteCommandRequestBytes> request{};
  std::array<std::uint8_t, net::kRemoteCommandReplyBytes> reply{};
  net::InterfaceThreadJob job;
};

}  // namespace

namespace net {

bool CommandReplySocket::Open(const Ipv4Address& address, std::uint16_t port) {
  std::lock_guard lock(mutex_);
  return transport_->Open(address, port);
}

void CommandReplySocket::Close() {
  std::lock_guard lock(mutex_);
  transport_->Close();
}

std::int32_t CommandReplySocket::Send(std::span<const std::uint8_t> bytes) {
  std::lock_guard lock(mutex_);
  if (!transport_->IsOpen()) return -1;
  if (bytes.size() > kMaxSendBytes) return -2;
  return transport_->Send(bytes);
}

}  // namespace net

vexaservercmdudpclass::vexaservercmdudpclass(std::uint16_t listenPort, std::uint16_t replyPort,
                                             std::string clientAddress, net::InterfaceThreadPoster poster,
                                             std::unique_ptr<net::StatusTransport> replyTransport)
    : clientAddress_(std::move(clientAddress)),
      ListenPort_(listenPort),
      ReplyPort_(replyPort),
      poster_(std::move(poster)),
      reply_(std::make_shared<net::CommandReplySocket>(replyTransport != nullptr ? std::move(replyTransport)
                                                                                  : net::MakePosixStatusTransport())),
      processor_(std::make_shared<net::RemoteCommandProcessor>()) {}

vexaservercmdudpclass::~vexaservercmdudpclass() {
  stop_ = true;
  if (thread_ != nullptr) {
    thread_->Terminate();
    thread_->WaitFor();
  }
  Close();
  thread_.reset();
}

void vexaservercmdudpclass::StartThread() {
  if (thread_ != nullptr) return;
  thread_ = std::make_unique<net::vexaudpdrdythreadclass>();
  thread_->SetOnDatagram([this](const std::string& sender, std::uint16_t port, const std::uint8_t* data,
                                std::int32_t length) { OnDatagram(sender, port, data, length); });
  thread_->SetLocalPort(ListenPort_);
  thread_->Resume();
}

bool vexaservercmdudpclass::Reopen() {
  Close();
  bool open = OpenReplySocket();
  std::this_thread::sleep_for(kPauseAfterOpen);
  // The receive socket is opened even when the reply socket failed.
  open = OpenReceiveSocket() && open;
  std::this_thread::sleep_for(kPauseAfterOpen);
  isOpen_ = open;
  return open;
}

void vexaservercmdudpclass::Close() {
  isOpen_ = false;
  if (thread_ != nullptr) {
    // A request waiting for the user-interface thread (which is here now) gives up at once.
    const bool stopping = stop_.exchange(true);
    thread_->CloseSocket();
    stop_ = stopping;
  }
  reply_->Close();
}

bool vexaservercmdudpclass::OpenReceiveSocket() { return thread_ != nullptr && thread_->OpenSocket(); }

bool vexaservercmdudpclass::OpenReplySocket() {
  in_addr parsed{};
  bool opened = false;
  if (::inet_pton(AF_INET, clientAddress_.c_str(), &parsed) == 1) {
    net::Ipv4Address address{};
    std::memcpy(address.data(), &parsed.s_addr, address.size());
    opened = reply_->Open(address, ReplyPort_);
  } else {
    // No fallback address for commands: a reply goes to the client or nowhere.
    net::ReportSocketFailure("Connecting The Socket", net::WinsockErrorCode(EINVAL));
  }
  if (!opened) Close();
  return opened;
}

std::int32_t vexaservercmdudpclass::Send(std::span<const std::uint8_t> bytes) { return reply_->Send(bytes); }

void vexaservercmdudpclass::OnDatagram(const std::string& sender, std::uint16_t, const std::uint8_t* data,
                                       std::int32_t length) {
  if (sender != clientAddress_) return;
  if (length != static_cast<std::int32_t>(net::kRemoteCommandRequestBytes)) return;
  auto exchange = std::make_shared<RequestAndReply>();
  std::memcpy(exchange->request.data(), data, exchange->request.size());
  net::StartRemoteCommandReply(exchange->request, exchange->reply);

  if (!poster_) {
    processor_->ProcessRemoteCommand(exchange->request, exchange->reply);
    Send(exchange->reply);
  } else {
    // The job answers from the user-interface thread itself; it holds what it uses.
    const bool posted = poster_([exchange, processor = processor_, reply = reply_] {
      if (!exchange->job.Begin()) return;
      processor->ProcessRemoteCommand(exchange->request, exchange->reply);
      exchange->job.End([&] { reply->Send(exchange->reply); });
    });
    net::InterfaceThreadJob::Outcome outcome = net::InterfaceThreadJob::Outcome::Closing;
    if (posted) {
      outcome = exchange->job.Wait(startLimit_, stop_);
    } else {
      exchange->job.Abandon();
    }
    if (outcome != net::InterfaceThreadJob::Outcome::Done) {
      // The job never ran, or was given up and delivers nothing: the refusal is answered here.
      std::array<std::uint8_t, net::kRemoteCommandReplyBytes> refusal{};
      net::StartRemoteCommandReply(exchange->request, refusal);
      net::RefuseRemoteCommand(exchange->request, refusal,
                               outcome == net::InterfaceThreadJob::Outcome::TimedOut ? net::kProgramBusyText
                                                                                    : net::kProgramShuttingDownText);
      Send(refusal);
    }
  }
}
