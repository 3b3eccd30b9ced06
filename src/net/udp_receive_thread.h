#pragma once
// The receive thread of the remote-control service: it waits on one bound UDP socket and hands
// each datagram to the owner's callback, on this thread, before it receives the next one.
//
// The owner (on the user-interface thread) constructs it suspended, installs OnDatagram and
// LocalPort, resumes it, opens the socket; at the end it terminates it and waits for it. The
// socket is opened and closed by the owner only, and never while the thread is inside a wait or a
// receive on it: closing wakes the thread through an eventfd and waits until the thread has let
// go of the socket, so a descriptor number is never closed (and reused) under a blocked call.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "net/unique_fd.h"

namespace net {

class vexaudpdrdythreadclass {
 public:
  // The sender's dotted address, the thread's own LocalPort (not the sender's port), the datagram
  // and its length. The bytes are valid only during the call.
  using DatagramHandler =
      std::function<void(const std::string& sender, std::uint16_t port, const std::uint8_t* data, std::int32_t length)>;

  static constexpr std::size_t kBufferSize = 32768;
  // How long opening and closing wait for a running callback before they go on regardless.
  static constexpr std::chrono::milliseconds kCallbackWait{4000};

  // Created suspended: no thread runs until Resume.
  vexaudpdrdythreadclass();
  // Terminates the thread, waits for it and closes the socket.
  ~vexaudpdrdythreadclass();
  vexaudpdrdythreadclass(const vexaudpdrdythreadclass&) = delete;
  vexaudpdrdythreadclass& operator=(const vexaudpdrdythreadclass&) = delete;

  // Only while suspended: false, and nothing changed, once the thread was resumed.
  bool SetOnDatagram(DatagramHandler handler);
  bool SetLocalPort(std::uint16_t port);

  void Resume();
  // Asks the thread to end; it notices at once, or when a running callback returns.
  void Terminate();
  // Waits until the thread has ended.
  void WaitFor();

  // Gets, configures and binds a socket on LocalPort (closing an earlier one first); the thread
  // receives on it from then on. False, with the failure logged, when that fails.
  bool OpenSocket();
  // Stops receiving, waits up to kCallbackWait for a running callback, then closes the socket.
  void CloseSocket();
  // True when no callback runs, waiting up to kCallbackWait for a running one to return.
  bool WaitNotBusy();

  bool IsOpen() const;
  bool InCallback() const;

 private:
  void Execute();
  int ClaimSocket();
  void ReleaseSocket();
  void Wake();
  void DrainWake();
  void IdleWait(std::chrono::milliseconds time);
  void Receive(int socket);

  std::unique_ptr<std::uint8_t[]> receiveBuffer_;
  UniqueFd wake_;

  mutable std::mutex mutex_;
  std::condition_variable callbackDone_;
  std::condition_variable socketReleased_;
  // Guarded by mutex_.
  bool isOpen_ = false;
  bool inCallback_ = false;
  bool socketInUse_ = false;  // the thread waits or receives on socket_ now
  bool resumed_ = false;
  UniqueFd socket_;
  // Set before Resume, read-only afterwards.
  std::uint16_t localPort_ = 0;
  DatagramHandler onDatagram_;

  std::atomic<bool> terminate_{false};
  std::thread thread_;
};

}  // namespace net
