#include "net/udp_receive_thread.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>

#include <cerrno>
#include <charconv>

#include "net/udp_socket.h"
#include "net/winsock_errors.h"
#include "util/error_log.h"
#include "util/process_globals.h"
#include "util/repeated_log_lines.h"

namespace net {
namespace {

constexpr int kSelectTimeoutMs = 200;
constexpr auto kPauseAfterTimeout = std::chrono::milliseconds(1);
constexpr auto kPauseWhileClosed = std::chrono::milliseconds(10);

std::string WholeNumberText(int value) {
  char digits[16];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  return std::string(digits, end);
}

// Any host can send datagrams that fail to be received (too long), as many as it likes: each cause
// is logged once, its repeats counted and the count written when the log closes.
void ReportReceiveFailure(std::uint16_t port, int code) {
  const std::string text = "Socket recvfrom failed, error is " + WinsockErrorText(code);
  const std::string key = "Socket recvfrom on port " + WholeNumberText(port) + ", error " + WholeNumberText(code);
  if (util::RepeatableLineDue(key, {}, text)) util::LogInfo(text, code, false);
}

}  // namespace

vexaudpdrdythreadclass::vexaudpdrdythreadclass()
    : receiveBuffer_(std::make_unique<std::uint8_t[]>(kBufferSize)),
      wake_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
  // The thread class's time-critical priority needs privileges Linux does not give a desktop
  // program; the thread runs at normal priority and receives the next datagram at once instead.
  if (!wake_.Valid()) util::LogInfo("Receive thread wake-up event not available", TakeSocketError(), false);
}

vexaudpdrdythreadclass::~vexaudpdrdythreadclass() {
  Terminate();
  WaitFor();
}

bool vexaudpdrdythreadclass::SetOnDatagram(DatagramHandler handler) {
  std::lock_guard lock(mutex_);
  if (resumed_) return false;
  onDatagram_ = std::move(handler);
  return true;
}

bool vexaudpdrdythreadclass::SetLocalPort(std::uint16_t port) {
  std::lock_guard lock(mutex_);
  if (resumed_) return false;
  localPort_ = port;
  return true;
}

void vexaudpdrdythreadclass::Resume() {
  std::lock_guard lock(mutex_);
  if (resumed_) return;
  resumed_ = true;
  thread_ = std::thread(&vexaudpdrdythreadclass::Execute, this);
}

void vexaudpdrdythreadclass::Terminate() {
  terminate_ = true;
  Wake();
}

void vexaudpdrdythreadclass::WaitFor() {
  if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

bool vexaudpdrdythreadclass::IsOpen() const {
  std::lock_guard lock(mutex_);
  return isOpen_;
}

bool vexaudpdrdythreadclass::InCallback() const {
  std::lock_guard lock(mutex_);
  return inCallback_;
}

bool vexaudpdrdythreadclass::WaitNotBusy() {
  std::unique_lock lock(mutex_);
  return callbackDone_.wait_for(lock, kCallbackWait, [this] { return !inCallback_; });
}

void vexaudpdrdythreadclass::CloseSocket() {
  {
    std::lock_guard lock(mutex_);
    isOpen_ = false;
  }
  // A callback still running after the wait does not use the socket: it is closed regardless.
  WaitNotBusy();
  Wake();
  std::unique_lock lock(mutex_);
  // Woken, the thread leaves its wait at once; a receive never blocks.
  socketReleased_.wait(lock, [this] { return !socketInUse_; });
  socket_.Reset();
}

bool vexaudpdrdythreadclass::OpenSocket() {
  CloseSocket();
  UniqueFd socket = GetUdpSocket();
  if (!socket.Valid()) return false;

  int size = static_cast<int>(kBufferSize);
  if (::setsockopt(socket.Get(), SOL_SOCKET, SO_RCVBUF, &size, sizeof size) != 0) {
    util::LogInfo("Setting Socket Buffer Length Failed, using default", TakeSocketError(), false);
  }
  int actual = 0;
  socklen_t length = sizeof actual;
  if (::getsockopt(socket.Get(), SOL_SOCKET, SO_RCVBUF, &actual, &length) == 0) {
    // Linux reports twice the size asked for: the other half is its own bookkeeping.
    actual /= 2;
    if (actual != size) util::LogInfo("Socket Buffer Length using is " + WholeNumberText(actual) + " Bytes", 0, false);
  }

  const int reuse = 1;
  if (::setsockopt(socket.Get(), SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse) != 0) {
    ReportSocketFailure("Setting Socket Re-Use Option", TakeSocketError());
    return false;
  }

  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_addr.s_addr = htonl(INADDR_ANY);
  local.sin_port = htons(localPort_);
  if (::bind(socket.Get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
    const int code = TakeSocketError();
    // An address the machine cannot provide leaves the open standing, as it always has.
    if (code != WinsockErrorCode(EADDRNOTAVAIL)) {
      ReportSocketFailure("Binding The Socket", code);
      return false;
    }
  }

  std::lock_guard lock(mutex_);
  socket_ = std::move(socket);
  isOpen_ = true;
  return true;
}

void vexaudpdrdythreadclass::Wake() {
  if (!wake_.Valid()) return;
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = ::write(wake_.Get(), &one, sizeof one);
}

void vexaudpdrdythreadclass::DrainWake() {
  std::uint64_t count = 0;
  [[maybe_unused]] const ssize_t read = ::read(wake_.Get(), &count, sizeof count);
}

void vexaudpdrdythreadclass::IdleWait(std::chrono::milliseconds time) {
  pollfd wake{wake_.Get(), POLLIN, 0};
  if (::poll(&wake, 1, static_cast<int>(time.count())) > 0) DrainWake();
}

int vexaudpdrdythreadclass::ClaimSocket() {
  std::lock_guard lock(mutex_);
  if (!isOpen_ || !socket_.Valid() || !onDatagram_ || util::ClosingFlag.load()) return -1;
  socketInUse_ = true;
  return socket_.Get();
}

void vexaudpdrdythreadclass::ReleaseSocket() {
  {
    std::lock_guard lock(mutex_);
    socketInUse_ = false;
  }
  socketReleased_.notify_all();
}

void vexaudpdrdythreadclass::Execute() {
  while (!terminate_) {
    const int socket = ClaimSocket();
    if (socket < 0) {
      IdleWait(kPauseWhileClosed);
      continue;
    }
    pollfd waits[2] = {{socket, POLLIN, 0}, {wake_.Get(), POLLIN, 0}};
    const int ready = ::poll(waits, 2, kSelectTimeoutMs);
    if (ready == 0) {
      ReleaseSocket();
      std::this_thread::sleep_for(kPauseAfterTimeout);
      continue;
    }
    if (ready < 0) {
      const bool interrupted = errno == EINTR;
      const int code = TakeSocketError();
      ReleaseSocket();
      if (interrupted) continue;
      if (IsOpen()) util::LogInfo("Socket select oktorx failed, error is " + WinsockErrorText(code), code, false);
      std::this_thread::sleep_for(kPauseAfterTimeout);
      continue;
    }
    if ((waits[1].revents & POLLIN) != 0) DrainWake();
    if ((waits[0].revents & (POLLIN | POLLERR)) == 0) {
      ReleaseSocket();
      continue;
    }
    Receive(socket);
  }
}

// Receives one datagram from the claimed socket and hands it on. The socket is let go in the same
// step that marks the callback running, and only while the socket is open: once CloseSocket has
// cleared IsOpen and seen no callback, none can start on a datagram received before.
void vexaudpdrdythreadclass::Receive(int socket) {
  sockaddr_in sender{};
  iovec buffer{receiveBuffer_.get(), kBufferSize};
  msghdr message{};
  message.msg_name = &sender;
  message.msg_namelen = sizeof sender;
  message.msg_iov = &buffer;
  message.msg_iovlen = 1;
  // MSG_TRUNC makes the call return the datagram's whole length, so a longer one is seen and
  // dropped rather than handed on cut. Linux does not fail that call where Winsock does; the
  // error reported for it is the one a too-long message has, EMSGSIZE, in Winsock's numbering.
  const ssize_t received = ::recvmsg(socket, &message, MSG_TRUNC | MSG_DONTWAIT);
  const bool wouldBlock = received < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR);
  const int code = received < 0 ? TakeSocketError() : WinsockErrorCode(EMSGSIZE);
  const bool failed = !wouldBlock && (received < 0 || static_cast<std::size_t>(received) > kBufferSize);
  const bool deliver = !wouldBlock && !failed;
  bool open = false;
  bool call = false;
  {
    std::lock_guard lock(mutex_);
    socketInUse_ = false;
    open = isOpen_;
    // A datagram that arrives as the program closes or the thread ends is not handed on.
    call = deliver && open && !terminate_ && !util::ClosingFlag.load();
    inCallback_ = call;
  }
  socketReleased_.notify_all();
  if (failed && open) ReportReceiveFailure(localPort_, code);
  if (!call) return;

  char text[INET_ADDRSTRLEN] = {};
  ::inet_ntop(AF_INET, &sender.sin_addr, text, sizeof text);
  onDatagram_(text, localPort_, receiveBuffer_.get(), static_cast<std::int32_t>(received));
  {
    std::lock_guard lock(mutex_);
    inCallback_ = false;
  }
  callbackDone_.notify_all();
}

}  // namespace net
