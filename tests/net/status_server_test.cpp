// The status server: where it aims, what it refuses to send, and one real datagram over loopback.
#include <poll.h>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>
#include <vector>

#include "net/status_datagram_builder.h"
#include "net/status_server.h"
#include "recording_transport.h"
#include "status_test_source.h"
#include "udp_test_peer.h"
#include "support/log_capture.h"
#include "support/sound_recorder.h"

namespace {

TEST(StatusServerTest, Destination) {
  struct Row {
    const char* name;
    std::string client;
    std::optional<net::Ipv4Address> own;
    net::Ipv4Address expected;
    bool fallback;
  };
  const Row rows[] = {
      {"limited broadcast", "255.255.255.255", net::Ipv4Address{192, 168, 7, 9}, {255, 255, 255, 255}, false},
      {"dotted address", "10.1.2.3", net::Ipv4Address{192, 168, 7, 9}, {10, 1, 2, 3}, false},
      {"subnet broadcast as given", "10.1.2.255", std::nullopt, {10, 1, 2, 255}, false},
      {"not an address, own known", "bogus", net::Ipv4Address{192, 168, 7, 9}, {192, 168, 7, 255}, true},
      {"three octets, own known", "10.1.2", net::Ipv4Address{172, 16, 0, 4}, {172, 16, 0, 255}, true},
      {"octet over 255, own unknown", "10.1.2.256", std::nullopt, {255, 255, 255, 255}, true},
      {"empty, own unknown", "", std::nullopt, {255, 255, 255, 255}, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    bool fallback = !row.fallback;
    EXPECT_EQ(net::StatusDestination(row.client, row.own ? &*row.own : nullptr, fallback), row.expected);
    EXPECT_EQ(fallback, row.fallback);
  }
}

TEST(StatusServerTest, InvalidClientAddressFallsBackWithToneAndLogLine) {
  testsupport::LoggedProgramFolder log;
  testsupport::SoundRecorder sound;
  auto shared = std::make_shared<nettest::TransportLog>();
  vexaserverstatusudpclass server(33171, "bogus", 0, std::make_unique<nettest::RecordingTransport>(shared));

  ASSERT_TRUE(server.Open());
  ASSERT_TRUE(shared->address.has_value());
  EXPECT_EQ(shared->port, 33171);
  EXPECT_EQ((*shared->address)[3], 255);
  EXPECT_EQ(sound.Take(), testsupport::kWarningTones);
  const std::vector<std::string> texts = log.LogTexts();
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(texts.back(), "Invalid ClientIpAddr Mask bogus Setting to " + net::AddressText(*shared->address));
}

TEST(StatusServerTest, SendRules) {
  testsupport::LoggedProgramFolder log;
  struct Row {
    const char* name;
    bool openResult;
    bool closeUnderneath;  // the socket went away after opening
    std::size_t length;
    std::int32_t result;
    bool reachesSocket;
  };
  const Row rows[] = {
      {"open failed", false, false, 100, -1, false},
      {"socket closed underneath", true, true, 100, -1, false},
      {"largest datagram", true, false, 32768, 32768, true},
      {"one byte too long", true, false, 32769, -2, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    auto shared = std::make_shared<nettest::TransportLog>();
    shared->openResult = row.openResult;
    vexaserverstatusudpclass server(33177, "127.0.0.1", 0, std::make_unique<nettest::RecordingTransport>(shared));
    EXPECT_EQ(server.Open(), row.openResult);
    if (row.closeUnderneath) shared->closedUnderneath = true;
    const std::vector<std::uint8_t> bytes(row.length, 0x5A);
    EXPECT_EQ(server.Send(bytes), row.result);
    EXPECT_EQ(shared->Total(), row.reachesSocket ? 1u : 0u);
    if (row.result == -1) {
      EXPECT_FALSE(server.IsOpen());
    }
  }
}

TEST(StatusServerTest, DatagramsReachALoopbackClientWhole) {
  testsupport::LoggedProgramFolder log;
  nettest::LoopbackPeer client;
  ASSERT_NE(client.Port(), 0);
  nettest::TestStatusSource source;
  source.Card(3).HasObject = true;
  nettest::FillPattern(source.Status(3, 0), 5, 3);
  nettest::FillPattern(source.Card(3).Setup, 9, 5);
  source.Display(3, 1).IqCount = 4010;

  vexaserverstatusudpclass server(client.Port(), "127.0.0.1", 3);
  ASSERT_TRUE(server.Open());
  EXPECT_EQ(log.LogLines().size(), 2u) << "a clean open logs nothing after the log's banner";

  std::vector<std::uint8_t> group(net::kGroupStatusBytes);
  ASSERT_TRUE(net::BuildGroupStatusPacket(source, 3, std::span<std::uint8_t, net::kGroupStatusBytes>(group)));
  std::vector<std::uint8_t> iq(net::kDisplayPacketBytes);
  ASSERT_TRUE(net::BuildIqPacket(source, 3, 1, std::span<std::uint8_t, net::kDisplayPacketBytes>(iq)));

  EXPECT_EQ(server.Send(group), 12412);
  EXPECT_EQ(client.Receive(), group);
  EXPECT_EQ(server.Send(iq), 32105);
  EXPECT_EQ(client.Receive(), iq);

  server.Close();
  EXPECT_EQ(server.Send(group), -1);
}

// A client that is not listening: loopback answers with "port unreachable", and a later send
// fails with Winsock's "connection refused", negated.
TEST(StatusServerTest, AFailedSendAnswersTheNegatedWinsockCode) {
  testsupport::LoggedProgramFolder log;
  const std::uint16_t port = nettest::FreePort();
  ASSERT_NE(port, 0);
  vexaserverstatusudpclass server(port, "127.0.0.1", 0);
  ASSERT_TRUE(server.Open());
  const std::vector<std::uint8_t> bytes(100, 7);
  std::int32_t result = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while ((result = server.Send(bytes)) > 0 && std::chrono::steady_clock::now() < deadline) {
    ::poll(nullptr, 0, 1);  // the refusal comes back asynchronously
  }
  EXPECT_EQ(result, -10061);
}

}  // namespace
