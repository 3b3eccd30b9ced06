// The network manager: its servers on the port map, when the client counts as reachable, and
// which sends go out; sockets, clock and ping are stand-ins.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>
#include <thread>

#include "net/net_manager.h"
#include "recording_transport.h"
#include "status_test_source.h"
#include "support/log_capture.h"

namespace {

// A ping the test answers: it counts the requests and answers with `answer` once released.
struct TestPing {
  std::atomic<int> calls{0};
  std::atomic<bool> released{true};
  std::atomic<bool> answer{true};
  std::atomic<int> answered{0};
  bool operator()(const std::string&) {
    ++calls;
    while (!released.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const bool reply = answer.load();
    ++answered;
    return reply;
  }
};

class NetManagerTest : public ::testing::Test {
 protected:
  void WriteConfig(const std::string& body) {
    ASSERT_TRUE(testsupport::WriteWholeFile(folder_ / "Kr20NetCfg.cfg", "[NET Configuration]\r\n" + body));
  }

  std::unique_ptr<quorxnetmgrclass> Make() {
    net::NetManagerHooks hooks;
    hooks.clock = [this] { return now_.load(); };
    hooks.ping = [this](const std::string& address) { return ping_(address); };
    hooks.transport = [this] { return std::make_unique<nettest::RecordingTransport>(wire_); };
    hooks.configPath = folder_ / "Kr20NetCfg.cfg";
    hooks.defaultAddress = "10.1.2.3";
    auto manager = std::make_unique<quorxnetmgrclass>(hooks);
    source_.Count = 1;
    manager->AttachStatusSource(&source_);
    return manager;
  }

  // Every send of one card once; the number that reported success.
  static int SendAll(quorxnetmgrclass& manager) {
    return int{manager.SendSystemStatus()} + int{manager.SendCardStatus(0)} + int{manager.SendSpectrumPacket(0, 0)} +
           int{manager.SendIqPacket(0, 0)};
  }

  // Checks until the client counts as reachable, for at most 5 s.
  static bool WaitReachable(quorxnetmgrclass& manager) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!manager.CheckClientReachable()) {
      if (std::chrono::steady_clock::now() > end) return false;
      std::this_thread::yield();
    }
    return true;
  }

  testsupport::LoggedProgramFolder folder_;
  std::atomic<double> now_{0.0};
  TestPing ping_;
  std::shared_ptr<nettest::TransportLog> wire_ = std::make_shared<nettest::TransportLog>();
  nettest::TestStatusSource source_;
};

TEST_F(NetManagerTest, ServersSitOnThePortMap) {
  WriteConfig("Enabled=YES\r\nStartPort=40000\r\n");
  const auto manager = Make();
  ASSERT_NE(manager->SystemStatusServer(), nullptr);
  EXPECT_EQ(manager->SystemStatusServer()->Port(), 40000);
  EXPECT_EQ(manager->SystemStatusServer()->ServerIndex(), -1);
  EXPECT_TRUE(manager->SystemStatusServer()->IsOpen());
  for (int card = 0; card < 6; ++card) {
    SCOPED_TRACE(card);
    ASSERT_NE(manager->CardStatusServer(card), nullptr);
    ASSERT_NE(manager->CardIqServer(card), nullptr);
    EXPECT_EQ(manager->CardStatusServer(card)->Port(), 40001 + card);
    EXPECT_EQ(manager->CardIqServer(card)->Port(), 40007 + card);
    EXPECT_EQ(manager->CardIqServer(card)->ServerIndex(), card);
    EXPECT_FALSE(manager->CardStatusServer(card)->IsOpen());
  }
  manager->StartNetworkServers();
  EXPECT_TRUE(manager->CardStatusServer(5)->IsOpen());
  EXPECT_TRUE(manager->CardIqServer(5)->IsOpen());
}

TEST_F(NetManagerTest, DisabledHasNoServersAndSendsNothing) {
  WriteConfig("Enabled=NO\r\nClientIpAddr=255.255.255.255\r\n");
  const auto manager = Make();
  manager->StartNetworkServers();
  now_ = 100.0;
  EXPECT_EQ(manager->SystemStatusServer(), nullptr);
  EXPECT_EQ(manager->CardIqServer(0), nullptr);
  EXPECT_FALSE(manager->CheckClientReachable());
  EXPECT_EQ(SendAll(*manager), 0);
  EXPECT_EQ(wire_->Total(), 0u);
}

TEST_F(NetManagerTest, BroadcastAddressIsReachableWithoutAPingOnceTheFirstCheckIsDue) {
  WriteConfig("Enabled=YES\r\nClientIpAddr=192.168.255.7\r\n");
  const auto manager = Make();
  manager->StartNetworkServers();
  now_ = 9.9;
  EXPECT_EQ(SendAll(*manager), 0);
  EXPECT_EQ(wire_->Total(), 0u);
  now_ = 10.0;
  EXPECT_EQ(SendAll(*manager), 4);
  EXPECT_EQ(ping_.calls.load(), 0);
  EXPECT_EQ(wire_->sent[33170], std::vector<std::size_t>{5604});
  EXPECT_EQ(wire_->sent[33171], std::vector<std::size_t>{12412});
  EXPECT_EQ(wire_->sent[33177], (std::vector<std::size_t>{32105, 32105}));
}

TEST_F(NetManagerTest, NothingLeavesBeforeThePingAnswersOrWhileItFailed) {
  WriteConfig("Enabled=YES\r\nClientIpAddr=127.0.0.1\r\n");
  const auto manager = Make();
  manager->StartNetworkServers();
  ping_.released = false;
  now_ = 10.0;
  EXPECT_EQ(SendAll(*manager), 0);  // the ping is asked for, not answered
  EXPECT_EQ(wire_->Total(), 0u);

  ping_.answer = false;
  ping_.released = true;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  // The first ping has read its answer before the next one is changed.
  while (ping_.answered.load() < 1 && std::chrono::steady_clock::now() < end) std::this_thread::yield();
  now_ = 15.0;
  EXPECT_EQ(SendAll(*manager), 0);
  EXPECT_EQ(ping_.calls.load(), 1);  // one ping per 10 s at most

  ping_.answer = true;
  now_ = 20.0;
  ASSERT_TRUE(WaitReachable(*manager));
  EXPECT_EQ(ping_.calls.load(), 2);
  EXPECT_EQ(SendAll(*manager), 4);
  EXPECT_EQ(wire_->Total(), 4u);
}

// Where no ICMP socket can be had the ping proves nothing about the client: the datagrams go out,
// and the log says once that reachability is not checked.
TEST_F(NetManagerTest, APingThatCannotRunLeavesTheClientReachableWithOneLine) {
  WriteConfig("Enabled=YES\r\nClientIpAddr=127.0.0.1\r\n");
  std::atomic<int> calls{0};
  net::NetManagerHooks hooks;
  hooks.clock = [this] { return now_.load(); };
  hooks.ping = [&calls](const std::string&) -> std::optional<bool> {
    ++calls;
    return std::nullopt;
  };
  hooks.transport = [this] { return std::make_unique<nettest::RecordingTransport>(wire_); };
  hooks.configPath = folder_ / "Kr20NetCfg.cfg";
  hooks.defaultAddress = "10.1.2.3";
  const auto manager = std::make_unique<quorxnetmgrclass>(hooks);
  source_.Count = 1;
  manager->AttachStatusSource(&source_);
  manager->StartNetworkServers();
  now_ = 10.0;
  ASSERT_TRUE(WaitReachable(*manager));
  EXPECT_EQ(SendAll(*manager), 4);
  // The next check, 10 s on, tries again and still cannot.
  now_ = 20.0;
  manager->CheckClientReachable();
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (calls.load() < 2 && std::chrono::steady_clock::now() < end) std::this_thread::yield();
  now_ = 25.0;
  EXPECT_EQ(SendAll(*manager), 4);
  EXPECT_EQ(calls.load(), 2);
  EXPECT_EQ(wire_->Total(), 8u);
  const std::vector<std::string> texts = folder_.LogTexts();
  EXPECT_EQ(std::count(texts.begin(), texts.end(),
                       "Client reachability is not checked: no ping can be sent from here; status datagrams go out"),
            1);
}

TEST_F(NetManagerTest, ADatagramWithoutTheCommandLockIsDroppedAndLogged) {
  WriteConfig("Enabled=YES\r\nClientIpAddr=255.255.255.255\r\n");
  const auto manager = Make();
  now_ = 10.0;
  std::atomic<bool> held{false};
  std::atomic<bool> done{false};
  std::thread holder([&] {
    platform::NamedMutex mutex("VEXA_NET_COMMAND_MUTEX");
    mutex.Wait(std::chrono::milliseconds(1000));
    held = true;
    while (!done.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    mutex.Release();
  });
  while (!held.load()) std::this_thread::yield();
  EXPECT_FALSE(manager->SendSystemStatus());
  done = true;
  holder.join();
  EXPECT_EQ(wire_->Total(), 0u);
  const std::vector<std::string> lines = folder_.LogLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back().substr(0, 6), "000258");
  EXPECT_EQ(folder_.LogTexts().back(), "COULDN'T GET A COMMAND LOCK");
  EXPECT_TRUE(manager->SendSystemStatus());
}

TEST_F(NetManagerTest, BroadcastOctetRefusesRemoteControlWithItsLine) {
  WriteConfig("Enabled=YES\r\nAllowRemoteControl=YES\r\nClientIpAddr=10.1.255.3\r\n");
  const auto manager = Make();
  manager->StartNetworkServers();
  const std::string line = "Client IP Address has a broadcast octet.  You cannot have remote network control";
  const std::vector<std::string> texts = folder_.LogTexts();
  EXPECT_EQ(std::count(texts.begin(), texts.end(), line), 2);
}

TEST_F(NetManagerTest, TheCommandServerExistsOnlyForAllowedRemoteControlOfOneClient) {
  struct Row {
    const char* name;
    const char* config;
    bool exists;
  };
  const Row rows[] = {
      {"allowed", "Enabled=YES\r\nAllowRemoteControl=YES\r\nStartPort=40000\r\nClientIpAddr=127.0.0.1\r\n", true},
      {"not allowed", "Enabled=YES\r\nAllowRemoteControl=NO\r\nClientIpAddr=127.0.0.1\r\n", false},
      {"broadcast octet", "Enabled=YES\r\nAllowRemoteControl=YES\r\nClientIpAddr=10.255.0.1\r\n", false},
      {"network disabled", "Enabled=NO\r\nAllowRemoteControl=YES\r\nClientIpAddr=127.0.0.1\r\n", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    WriteConfig(row.config);
    const auto manager = Make();
    manager->StartNetworkServers();
    const vexaservercmdudpclass* server = manager->CommandServer();
    ASSERT_EQ(server != nullptr, row.exists);
    if (server == nullptr) continue;
    EXPECT_EQ(server->ListenPort(), 40016);
    EXPECT_EQ(server->ReplyPort(), 40017);
    EXPECT_EQ(server->ClientAddress(), "127.0.0.1");
    EXPECT_TRUE(server->IsOpen());
    manager->DeleteNetworkServers();
    EXPECT_EQ(manager->CommandServer(), nullptr);
  }
}

TEST_F(NetManagerTest, DeletionSavesTheConfiguration) {
  WriteConfig("Enabled=YES\r\nBcRateHz=99\r\n");
  Make().reset();
  EXPECT_EQ(testsupport::ReadWholeFile(folder_ / "Kr20NetCfg.cfg"),
            "[NET Configuration]\r\nEnabled=YES\r\nBcRateHz=20\r\nAllowRemoteControl=NO\r\nStartPort=33170\r\n"
            "ClientIpAddr=10.1.2.3\r\n");
}

}  // namespace
