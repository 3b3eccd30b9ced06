#pragma once
// A status socket that records what its server asks of it in a log the test keeps.
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "net/status_transport.h"

namespace nettest {

struct TransportLog {
  std::mutex mutex;
  std::optional<net::Ipv4Address> address;  // of the last open
  std::uint16_t port = 0;
  bool openResult = true;
  std::atomic<bool> closedUnderneath{false};  // every socket reports itself closed
  std::map<std::uint16_t, std::vector<std::size_t>> sent;  // datagram sizes per port
  std::size_t Total() {
    std::lock_guard lock(mutex);
    std::size_t total = 0;
    for (const auto& [to, sizes] : sent) total += sizes.size();
    return total;
  }
};

class RecordingTransport final : public net::StatusTransport {
 public:
  explicit RecordingTransport(std::shared_ptr<TransportLog> log) : log_(std::move(log)) {}
  bool Open(const net::Ipv4Address& address, std::uint16_t port) override {
    std::lock_guard lock(log_->mutex);
    log_->address = address;
    log_->port = port_ = port;
    return open_ = log_->openResult;
  }
  void Close() override { open_ = false; }
  bool IsOpen() const override { return open_ && !log_->closedUnderneath; }
  std::int32_t Send(std::span<const std::uint8_t> bytes) override {
    std::lock_guard lock(log_->mutex);
    log_->sent[port_].push_back(bytes.size());
    return static_cast<std::int32_t>(bytes.size());
  }

 private:
  std::shared_ptr<TransportLog> log_;
  std::uint16_t port_ = 0;
  bool open_ = false;
};

}  // namespace nettest
