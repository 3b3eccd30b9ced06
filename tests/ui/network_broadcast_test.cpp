// The running program on two virtual cards sends its status datagrams over real UDP sockets to a
// client on the loopback address: each kind on its mapped port, at its rate.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <random>
#include <vector>

#include "main_form_fixture.h"
#include "util/error_log.h"

namespace uitest {
namespace {

constexpr int kPorts = 13;  // system, six group, six spectrum and IQ

// The test client: a non-blocking UDP socket bound to 127.0.0.1 on each status port.
class LoopbackClient {
 public:
  // Looks for thirteen free ports in a row in a high range.
  bool Bind() {
    std::mt19937 random(static_cast<unsigned>(::getpid()));
    for (int attempt = 0; attempt < 50; ++attempt) {
      startPort_ = 40000 + static_cast<int>(random() % 20000);
      if (BindAll()) return true;
      CloseAll();
    }
    return false;
  }
  ~LoopbackClient() { CloseAll(); }

  int StartPort() const { return startPort_; }

  // Every datagram waiting, per port offset: its bytes.
  void Drain() {
    std::vector<std::uint8_t> buffer(65536);
    for (int offset = 0; offset < kPorts; ++offset) {
      for (;;) {
        const ssize_t got = ::recv(sockets_[static_cast<std::size_t>(offset)], buffer.data(), buffer.size(), 0);
        if (got < 0) break;
        received_[static_cast<std::size_t>(offset)].emplace_back(buffer.begin(), buffer.begin() + got);
      }
    }
  }
  void Clear() {
    for (auto& list : received_) list.clear();
  }
  const std::vector<std::vector<std::uint8_t>>& At(int offset) const {
    return received_[static_cast<std::size_t>(offset)];
  }

 private:
  bool BindAll() {
    for (int offset = 0; offset < kPorts; ++offset) {
      const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
      sockets_[static_cast<std::size_t>(offset)] = fd;
      if (fd < 0) return false;
      const int size = 1 << 20;
      ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
      sockaddr_in address{};
      address.sin_family = AF_INET;
      address.sin_port = htons(static_cast<std::uint16_t>(startPort_ + offset));
      address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) return false;
    }
    return true;
  }
  void CloseAll() {
    for (int& fd : sockets_) {
      if (fd >= 0) ::close(fd);
      fd = -1;
    }
  }

  int startPort_ = 0;
  std::array<int, kPorts> sockets_{-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
  std::array<std::vector<std::vector<std::uint8_t>>, kPorts> received_;
};

std::uint32_t U32At(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
  std::uint32_t value = 0;
  std::memcpy(&value, bytes.data() + offset, sizeof value);
  return value;
}

class NetworkBroadcastTest : public MainFormTest {
 protected:
  // Starts the program as StartProgram does, with the ping answered (the client is this process)
  // and the clock ten seconds on, so that the first reachability decision is due at once.
  void StartWithNetwork() {
    form_ = std::make_unique<TQuorxLMainForm>();
    net::NetManagerHooks hooks;
    hooks.clock = [] { return util::ElapsedSeconds() + 10.0; };
    hooks.ping = [](const std::string& address) { return address == "127.0.0.1"; };
    form_->SetNetManagerHooks(hooks);
    ASSERT_EQ(form_->FormCreate(InstanceSettings()).conflict, ui::InstanceConflict::None);
    form_->show();
    ASSERT_TRUE(RunUntil([this] { return form_->StartupComplete(); }, std::chrono::seconds(30)));
  }

  // Runs the program for `seconds`, draining the client as it goes.
  void Receive(double seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    RunUntil(
        [&] {
          client_.Drain();
          return std::chrono::steady_clock::now() >= end;
        },
        std::chrono::seconds(60));
    client_.Drain();
  }

  LoopbackClient client_;
};

TEST_F(NetworkBroadcastTest, StatusDatagramsReachTheClientOnTheirPortsAtTheirRates) {
  ASSERT_TRUE(client_.Bind());
  PrepareProgramFolder(2);
  const int start = client_.StartPort();
  ASSERT_TRUE(testsupport::WriteWholeFile(folder_ / "SYSTEM/HARDWARECONFIGURATION/Kr20NetCfg.cfg",
                                          "[NET Configuration]\r\nEnabled=YES\r\nBcRateHz=20\r\nStartPort=" +
                                              std::to_string(start) + "\r\nClientIpAddr=127.0.0.1\r\n"));
  StartWithNetwork();
  // The first decision: a datagram on the system port.
  ASSERT_TRUE(RunUntil(
      [&] {
        client_.Drain();
        return !client_.At(0).empty();
      },
      std::chrono::seconds(10)));
  client_.Clear();
  const double window = 3.0;
  Receive(window);

  // System status, 1 Hz.
  EXPECT_GE(client_.At(0).size(), 2u);
  EXPECT_LE(client_.At(0).size(), 4u);
  for (const auto& datagram : client_.At(0)) {
    ASSERT_EQ(datagram.size(), 5604u);
    EXPECT_EQ(U32At(datagram, 0), 2u);
  }
  for (int card = 0; card < 6; ++card) {
    SCOPED_TRACE("card " + std::to_string(card));
    const auto& group = client_.At(1 + card);
    const auto& display = client_.At(7 + card);
    if (card >= 2) {
      EXPECT_TRUE(group.empty());
      EXPECT_TRUE(display.empty());
      continue;
    }
    // Group status at the broadcast rate of 20 Hz (the timer's ticks may come late, never early).
    EXPECT_GE(group.size(), static_cast<std::size_t>(20 * window * 0.5));
    EXPECT_LE(group.size(), static_cast<std::size_t>(20 * window + 2));
    for (const auto& datagram : group) {
      ASSERT_EQ(datagram.size(), 12412u);
      EXPECT_EQ(U32At(datagram, 0), static_cast<std::uint32_t>(card));
    }
    // Spectrum then IQ of channel 0 then 1, five times a second.
    std::array<std::array<std::size_t, 2>, 2> counts{};  // [type][channel]
    for (const auto& datagram : display) {
      ASSERT_EQ(datagram.size(), 32105u);
      EXPECT_EQ(U32At(datagram, 0), static_cast<std::uint32_t>(card));
      const std::uint32_t channel = U32At(datagram, 4);
      const std::uint8_t type = datagram[8];
      ASSERT_LT(channel, 2u);
      ASSERT_LT(type, 2u);
      ++counts[type][channel];
    }
    for (const auto& perType : counts) {
      for (const std::size_t count : perType) {
        EXPECT_GE(count, static_cast<std::size_t>(5 * window * 0.5));
        EXPECT_LE(count, static_cast<std::size_t>(5 * window + 2));
      }
    }
  }
}

}  // namespace
}  // namespace uitest
