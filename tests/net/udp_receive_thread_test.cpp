#include "net/udp_receive_thread.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "net/udp_test_peer.h"
#include "support/log_capture.h"
#include "support/sound_recorder.h"
#include "util/repeated_log_lines.h"

namespace net {
namespace {

using namespace std::chrono_literals;
using nettest::DatagramRecorder;
using nettest::LoopbackPeer;

// The log's lines after the start banners, as (number column, text).
std::vector<std::pair<std::string, std::string>> LoggedLines(const testsupport::LoggedProgramFolder& folder) {
  std::vector<std::pair<std::string, std::string>> lines;
  const auto all = folder.LogLines();
  for (std::size_t i = 2; i < all.size(); ++i) lines.emplace_back(all[i].substr(0, 6), all[i].substr(29));
  return lines;
}

std::string Pattern(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i % 251);
  return bytes;
}

class ReceiveThread : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(port_, 0);
    ASSERT_TRUE(thread_.SetOnDatagram([this](const std::string& sender, std::uint16_t port, const std::uint8_t* data,
                                             std::int32_t length) { OnDatagram(sender, port, data, length); }));
    ASSERT_TRUE(thread_.SetLocalPort(port_));
    thread_.Resume();
    EXPECT_FALSE(thread_.SetLocalPort(1));  // fixed once the thread runs
  }
  virtual void OnDatagram(const std::string& sender, std::uint16_t port, const std::uint8_t* data, std::int32_t length) {
    recorder_.Record(sender, port, data, length);
  }

  testsupport::LoggedProgramFolder folder_;
  const std::uint16_t port_ = nettest::FreePort();
  LoopbackPeer peer_;
  DatagramRecorder recorder_;
  vexaudpdrdythreadclass thread_;
};

TEST_F(ReceiveThread, HandsOnWholeDatagramsWithTheSenderAndDropsLongerOnesWithALogLine) {
  struct Row {
    const char* name;
    std::size_t size;
    bool handedOn;
  };
  const Row rows[] = {
      {"one byte", 1, true},
      {"fills the buffer", 32768, true},
      {"one byte over", 32769, false},
      {"far over", 40000, false},
  };
  ASSERT_TRUE(thread_.OpenSocket());
  ASSERT_TRUE(thread_.IsOpen());
  ASSERT_NE(peer_.Port(), port_);  // so that the port handed on tells whose it is
  std::vector<std::string> expected;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    // A short marker after each datagram: once it is in, the datagram before it was dealt with.
    const std::string marker = std::string("after ") + row.name;
    ASSERT_TRUE(peer_.SendTo(port_, Pattern(row.size)));
    ASSERT_TRUE(peer_.SendTo(port_, marker));
    if (row.handedOn) expected.push_back(Pattern(row.size));
    expected.push_back(marker);
    const auto received = recorder_.WaitFor(expected.size());
    ASSERT_EQ(received.size(), expected.size());
    for (std::size_t i = 0; i < received.size(); ++i) {
      EXPECT_EQ(received[i].sender, "127.0.0.1");
      EXPECT_EQ(received[i].port, port_);
      EXPECT_EQ(received[i].bytes, expected[i]) << "datagram " << i;
    }
  }
  using Line = std::pair<std::string, std::string>;
  // The second long datagram meets the same cause: counted, not logged again.
  EXPECT_EQ(LoggedLines(folder_), (std::vector<Line>{{"010040", "Socket recvfrom failed, error is  Error Code = 10040"}}));
}

// Any host can send datagrams too long to take, as many as it likes: the first of each cause is
// logged, the rest only counted, and the count is written when the log closes.
TEST_F(ReceiveThread, LongDatagramsFromAnyAddressAreLoggedOnceAndCountedAtTheEnd) {
  ASSERT_TRUE(thread_.OpenSocket());
  const LoopbackPeer stranger(0, nettest::kOtherLoopback);
  ASSERT_NE(stranger.Port(), 0);
  constexpr std::size_t kSent = 50;
  for (std::size_t i = 1; i <= kSent; ++i) {
    ASSERT_TRUE(stranger.SendTo(port_, Pattern(40000)));
    // Once the marker is in, the long datagram before it was dealt with.
    ASSERT_TRUE(stranger.SendTo(port_, "marker"));
    ASSERT_EQ(recorder_.WaitFor(i).size(), i);
  }
  const auto received = recorder_.WaitFor(kSent);
  EXPECT_EQ(received.front().sender, "127.0.0.2");
  EXPECT_EQ(received.back().bytes, "marker");
  using Line = std::pair<std::string, std::string>;
  const std::string text = "Socket recvfrom failed, error is  Error Code = 10040";
  EXPECT_EQ(LoggedLines(folder_), (std::vector<Line>{{"010040", text}}));

  util::WriteRepeatedLineCounts();
  EXPECT_EQ(LoggedLines(folder_),
            (std::vector<Line>{{"010040", text},
                               {"000000", "Socket recvfrom on port " + std::to_string(port_) +
                                              ", error 10040: 49 more times \"" + text + "\", not logged"}}));
}

TEST_F(ReceiveThread, PortInUseIsReportedAndAnOpenLaterSucceeds) {
  testsupport::SoundRecorder sound;
  vexaudpdrdythreadclass second;
  auto holder = std::make_unique<LoopbackPeer>();
  ASSERT_TRUE(second.SetOnDatagram([this](const std::string& sender, std::uint16_t port, const std::uint8_t* data,
                                          std::int32_t length) { recorder_.Record(sender, port, data, length); }));
  ASSERT_TRUE(second.SetLocalPort(holder->Port()));
  second.Resume();

  EXPECT_FALSE(second.OpenSocket());
  EXPECT_FALSE(second.IsOpen());
  EXPECT_EQ(LoggedLines(folder_), (std::vector<std::pair<std::string, std::string>>{
                                      {"010048", "Binding The Socket FAILED.  Error Code = 10048"}}));
  EXPECT_EQ(sound.Take(), testsupport::kErrorTones);

  const std::uint16_t port = holder->Port();
  holder.reset();
  ASSERT_TRUE(second.OpenSocket());
  ASSERT_TRUE(peer_.SendTo(port, "still here"));
  const auto received = recorder_.WaitFor(1);
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].bytes, "still here");
  EXPECT_EQ(received[0].port, port);
}

// A callback that holds the thread until the test lets it go.
class ReceiveThreadBusy : public ReceiveThread {
 protected:
  void OnDatagram(const std::string& sender, std::uint16_t port, const std::uint8_t* data,
                  std::int32_t length) override {
    if (!finished_) {  // only the first datagram holds the thread
      entered_.set_value();
      released_.wait();
      finished_ = true;
    }
    recorder_.Record(sender, port, data, length);
  }
  // Sends a datagram and waits until its callback runs.
  void StartCallback() {
    ASSERT_TRUE(thread_.OpenSocket());
    ASSERT_TRUE(peer_.SendTo(port_, "command"));
    ASSERT_EQ(entered_.get_future().wait_for(10s), std::future_status::ready);
    ASSERT_TRUE(thread_.InCallback());
  }

  std::promise<void> entered_;
  std::promise<void> release_;
  std::shared_future<void> released_ = release_.get_future().share();
  std::atomic<bool> finished_{false};
};

TEST_F(ReceiveThreadBusy, ClosingWaitsForTheRunningCallbackToReturn) {
  StartCallback();
  auto closed = std::async(std::launch::async, [this] {
    thread_.CloseSocket();
    return finished_.load();
  });
  // Still waiting while the callback runs (a close that did not wait would be done by now).
  EXPECT_EQ(closed.wait_for(100ms), std::future_status::timeout);
  release_.set_value();
  EXPECT_TRUE(closed.get());  // the callback had returned when the socket was closed
  EXPECT_FALSE(thread_.IsOpen());
  EXPECT_FALSE(thread_.InCallback());
}

TEST_F(ReceiveThreadBusy, ClosingGivesUpOnACallbackAfterTheBoundAndTheThreadGoesOn) {
  StartCallback();
  const auto start = std::chrono::steady_clock::now();
  thread_.CloseSocket();
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, vexaudpdrdythreadclass::kCallbackWait - 50ms);
  EXPECT_LT(waited, vexaudpdrdythreadclass::kCallbackWait + 2s);
  EXPECT_FALSE(thread_.IsOpen());
  EXPECT_TRUE(thread_.InCallback());
  EXPECT_FALSE(finished_);

  release_.set_value();
  EXPECT_TRUE(thread_.WaitNotBusy());
  EXPECT_TRUE(finished_);
  // The socket closed under the callback is not touched again; a new one serves.
  ASSERT_TRUE(thread_.OpenSocket());
  ASSERT_TRUE(peer_.SendTo(port_, "next"));
  const auto received = recorder_.WaitFor(2);
  ASSERT_EQ(received.size(), 2u);
  EXPECT_EQ(received[0].bytes, "command");
  EXPECT_EQ(received[1].bytes, "next");
  EXPECT_TRUE(LoggedLines(folder_).empty());
}

}  // namespace
}  // namespace net
