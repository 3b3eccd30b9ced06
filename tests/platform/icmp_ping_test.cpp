#include "platform/icmp_ping.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/diagnostics.h"

namespace platform {
namespace {

bool CanOpenIcmpSocket() {
  for (const int type : {SOCK_DGRAM, SOCK_RAW}) {
    const int fd = socket(AF_INET, type, IPPROTO_ICMP);
    if (fd >= 0) return close(fd) == 0;
  }
  return false;
}

TEST(Ping, LoopbackAnswersWhateverThePayloadSize) {
  if (!CanOpenIcmpSocket()) GTEST_SKIP() << "this machine allows no ICMP socket";
  const PingResult result = Ping("127.0.0.1", 2, 32, 0x41, 5000);
  EXPECT_GE(result.replies, 1);
  EXPECT_GE(result.averageMs, 0.0);
  // Beyond the IPv4 limit the echo could not be sent at all; it is cut to 65500 bytes.
  for (const int size : {0, 1000000, -5}) EXPECT_GE(Ping("127.0.0.1", 1, size, 0x55, 5000).replies, 1) << size;
}

TEST(Ping, NothingIsSentWithoutAValidAddressOrCount) {
  const auto nothing = [](const PingResult& result) { return result.replies == 0 && result.averageMs == -1.0; };
  for (const char* address : {"", "localhost", "256.0.0.1", "127.0.0"}) {
    EXPECT_TRUE(nothing(Ping(address, 1, 32, 0x41, 100))) << address;
  }
  for (const int count : {0, -3}) EXPECT_TRUE(nothing(Ping("127.0.0.1", count, 32, 0x41, 100))) << count;
}

TEST(Ping, WithoutAnIcmpSocketItReportsOnceAndGetsNoReplies) {
  if (CanOpenIcmpSocket()) GTEST_SKIP() << "this machine allows ICMP sockets";
  std::vector<std::string> texts;
  SetDiagnosticSink([&](const std::string& text) { texts.push_back(text); });
  const PingResult first = Ping("127.0.0.1", 2, 32, 0x41, 100);
  const PingResult second = Ping("127.0.0.1", 1, 32, 0x41, 100);
  SetDiagnosticSink({});
  EXPECT_EQ(first.replies + second.replies, 0);
  EXPECT_EQ(first.averageMs, -1.0);
  EXPECT_THAT(texts, ::testing::ElementsAre(::testing::MatchesRegex("Ping: no ICMP socket available: .+")));
}

// In a child allowed no new descriptor: 0 when the ping reported the address not probed.
void PingWithoutDescriptors() {
  const rlimit none{0, 0};
  if (setrlimit(RLIMIT_NOFILE, &none) != 0) _exit(2);
  const PingResult result = Ping("127.0.0.1", 1, 5, 0xAA, 100);
  // _exit: the leak checker at a normal exit would need descriptors too.
  _exit(!result.probed && result.replies == 0 && result.averageMs == -1.0 ? 0 : 1);
}

// Where no ICMP socket can be had nothing is sent: the result says the address was not probed,
// which is not the same as no reply.
TEST(Ping, WithoutASocketTheAddressIsNotProbed) {
  EXPECT_EXIT(PingWithoutDescriptors(), ::testing::ExitedWithCode(0),
              "Ping: no ICMP socket available: Too many open files");
  // Where a socket can be had, loopback is probed.
  if (CanOpenIcmpSocket()) {
    EXPECT_TRUE(Ping("127.0.0.1", 1, 5, 0xAA, 5000).probed);
  }
}

}  // namespace
}  // namespace platform
