#include "net/reachability_probe.h"

#include <utility>

#include "util/socket_routines.h"

namespace net {

std::optional<bool> PingClientOnce(const std::string& address) {
  double averageMs = -1.0;
  return util::PingHostIfPossible(address, 1, 5, 0xAA, averageMs);
}

ReachabilityProbe::ReachabilityProbe(PingFunction ping)
    : ping_(std::move(ping)) {}

ReachabilityProbe::~ReachabilityProbe() {
  worker_.request_stop();
  wake_.notify_all();
}

bool ReachabilityProbe::Request(const std::string& address) {
  {
    std::lock_guard lock(mutex_);
    if (busy_.load()) return false;
    address_ = address;
    pending_ = true;
    busy_ = true;
    // Started at the first ping only: a program that never pings (network off) has no thread to
    // wait for at its end, also not in a child forked after a fault.
    if (!worker_.joinable()) worker_ = std::jthread([this](std::stop_token stop) { Run(stop); });
  }
  wake_.notify_one();
  return true;
}

ReachabilityProbe::Outcome ReachabilityProbe::Take() { return outcome_.exchange(Outcome::None); }

void ReachabilityProbe::Run(std::stop_token stop) {
  for (;;) {
    std::string address;
    {
      std::unique_lock lock(mutex_);
      if (!wake_.wait(lock, stop, [this] { return pending_; })) return;
      pending_ = false;
      address = address_;
    }
    const std::optional<bool> answered = ping_ ? ping_(address) : std::optional<bool>(false);
    outcome_ = !answered ? Outcome::NotChecked : *answered ? Outcome::Reachable : Outcome::Unreachable;
    busy_ = false;
  }
}

}  // namespace net
