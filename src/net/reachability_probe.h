#pragma once
// Pings the client on a worker thread so that the master timer never waits for a reply. The
// interface thread asks for a ping and later reads the published outcome; one ping runs at a
// time, and a request while one runs is ignored. The worker starts with the first request.
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace net {

// True when the address answered, false when it did not; empty when no ping could be sent at all
// (no ICMP socket can be had), which says nothing about the address.
using PingFunction = std::function<std::optional<bool>(const std::string& address)>;

// One echo request of 5 bytes of 0xAA.
std::optional<bool> PingClientOnce(const std::string& address);

class ReachabilityProbe {
 public:
  enum class Outcome { None, Reachable, Unreachable, NotChecked };

  explicit ReachabilityProbe(PingFunction ping);
  // Waits for a running ping to end.
  ~ReachabilityProbe();
  ReachabilityProbe(const ReachabilityProbe&) = delete;
  ReachabilityProbe& operator=(const ReachabilityProbe&) = delete;

  // Starts a ping of the address unless one is running; false when one was.
  bool Request(const std::string& address);
  // The outcome of the last finished ping, once: None when no ping finished since the last take.
  Outcome Take();
  bool Busy() const { return busy_.load(); }

 private:
  void Run(std::stop_token stop);

  PingFunction ping_;
  std::mutex mutex_;
  std::condition_variable_any wake_;
  std::string address_;
  bool pending_ = false;
  std::atomic<bool> busy_{false};
  std::atomic<Outcome> outcome_{Outcome::None};
  std::jthread worker_;
};

}  // namespace net
