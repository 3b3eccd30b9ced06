// The command server over real loopback sockets: which datagrams it serves, where the reply goes,
// and how a request waiting for the user-interface thread ends when that thread does not come.
// No cards exist here, so a served request answers "Invalid Group Index".
#include "net/command_server.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "net/remote_command_datagrams.h"
#include "net/udp_test_peer.h"
#include "support/log_capture.h"
#include "util/process_globals.h"

namespace net {
namespace {

using namespace std::chrono_literals;
using nettest::LoopbackPeer;

std::vector<std::uint8_t> Request(std::int32_t group, std::int32_t channel, std::int32_t command, double value,
                                  std::size_t size = kRemoteCommandRequestBytes) {
  std::vector<std::uint8_t> bytes(size, 0);
  std::memcpy(bytes.data() + 0, &group, 4);
  std::memcpy(bytes.data() + 4, &channel, 4);
  std::memcpy(bytes.data() + 8, &command, 4);
  if (size >= 20) std::memcpy(bytes.data() + 12, &value, 8);
  return bytes;
}

std::string MessageOf(const std::vector<std::uint8_t>& reply) {
  return std::string(reinterpret_cast<const char*>(reply.data() + 13));
}

std::vector<std::string> RemoteLines(const testsupport::LoggedProgramFolder& folder) {
  std::vector<std::string> lines;
  for (const std::string& text : folder.LogTexts()) {
    if (text.rfind("---- NET REMOTE COMMAND -----", 0) == 0) lines.push_back(text);
  }
  return lines;
}

// Jobs queued for an interface thread the test runs by hand (or never).
class HeldJobs {
 public:
  InterfaceThreadPoster Poster() {
    return [this](std::function<void()> job) {
      std::lock_guard lock(mutex_);
      jobs_.push_back(std::move(job));
      ++posted_;
      return true;
    };
  }
  bool WaitPosted(int count) {
    const auto end = std::chrono::steady_clock::now() + 5s;
    while (posted_.load() < count) {
      if (std::chrono::steady_clock::now() > end) return false;
      std::this_thread::sleep_for(1ms);
    }
    return true;
  }
  void RunAll() {
    std::deque<std::function<void()>> jobs;
    {
      std::lock_guard lock(mutex_);
      jobs.swap(jobs_);
    }
    for (auto& job : jobs) job();
  }

 private:
  std::mutex mutex_;
  std::deque<std::function<void()>> jobs_;
  std::atomic<int> posted_{0};
};

class CommandServerTest : public ::testing::Test {
 protected:
  void TearDown() override {
    server_.reset();
    util::ClosingFlag = false;
  }

  void Start(InterfaceThreadPoster poster = {}, std::chrono::milliseconds startLimit = kCommandStartLimit) {
    ASSERT_NE(listenPort_, 0);
    ASSERT_NE(replies_.Port(), 0);
    server_ = std::make_unique<vexaservercmdudpclass>(listenPort_, replies_.Port(), "127.0.0.1", std::move(poster));
    server_->SetCommandStartLimit(startLimit);
    server_->StartThread();
    ASSERT_TRUE(server_->Reopen());
    ASSERT_TRUE(server_->IsOpen());
  }

  testsupport::LoggedProgramFolder folder_;
  const std::uint16_t listenPort_ = nettest::FreePort();
  LoopbackPeer replies_{nettest::FreePort()};
  LoopbackPeer client_;
  std::unique_ptr<vexaservercmdudpclass> server_;
};

TEST_F(CommandServerTest, OnlyWholeRequestsFromTheClientAreAnsweredOnTheReplyPort) {
  Start();
  LoopbackPeer otherAddress(0, nettest::kOtherLoopback);
  ASSERT_NE(otherAddress.Port(), 0);
  struct Row {
    const char* name;
    const LoopbackPeer* from;
    std::size_t size;
  };
  const Row ignored[] = {
      {"one byte short", &client_, kRemoteCommandRequestBytes - 1},
      {"one byte long", &client_, kRemoteCommandRequestBytes + 1},
      {"another address", &otherAddress, kRemoteCommandRequestBytes},
  };
  for (const Row& row : ignored) {
    SCOPED_TRACE(row.name);
    ASSERT_TRUE(row.from->SendTo(listenPort_, Request(3, 1, 401, 2250.5, row.size)));
  }
  // A whole request from the client, from any of its ports, is answered on the reply port.
  LoopbackPeer secondPort;
  for (const LoopbackPeer* from : {&client_, &secondPort}) {
    ASSERT_TRUE(from->SendTo(listenPort_, Request(3, 1, 401, 2250.5)));
    const std::vector<std::uint8_t> reply = replies_.Receive();
    ASSERT_EQ(reply.size(), kRemoteCommandReplyBytes);
    const std::vector<std::uint8_t> request = Request(3, 1, 401, 2250.5);
    EXPECT_TRUE(std::equal(request.begin(), request.begin() + 12, reply.begin()));
    EXPECT_EQ(reply[12], 0);
    EXPECT_EQ(MessageOf(reply), "Invalid Group Index");
  }
  // The ignored datagrams came first: had any been answered, its reply would have been first.
  EXPECT_TRUE(replies_.Receive(200).empty());
  EXPECT_EQ(RemoteLines(folder_),
            std::vector<std::string>(2, "---- NET REMOTE COMMAND ----- Received Remote Control Command Number 401 :: "
                                        "UNKNOWN COMMAND :: Value = 2250.500000  FAILED Invalid Group Index"));
}

TEST_F(CommandServerTest, RequestsRunWhereThePosterPutsThem) {
  std::thread::id ranOn;
  std::mutex mutex;
  std::vector<std::thread> workers;
  InterfaceThreadPoster poster = [&](std::function<void()> job) {
    std::lock_guard lock(mutex);
    workers.emplace_back([&, job = std::move(job)] {
      {
        std::lock_guard inner(mutex);
        ranOn = std::this_thread::get_id();
      }
      job();
    });
    return true;
  };
  Start(poster);
  ASSERT_TRUE(client_.SendTo(listenPort_, Request(0, 0, 999, 1.0)));
  const std::vector<std::uint8_t> reply = replies_.Receive();
  ASSERT_EQ(reply.size(), kRemoteCommandReplyBytes);
  EXPECT_EQ(MessageOf(reply), "Invalid Group Index");
  server_.reset();
  for (std::thread& worker : workers) worker.join();
  EXPECT_NE(ranOn, std::thread::id{});
  EXPECT_NE(ranOn, std::this_thread::get_id());
}

TEST_F(CommandServerTest, ARequestTheInterfaceThreadNeverTookIsRefusedAndNeverRuns) {
  struct Row {
    const char* name;
    bool closeProgram;  // else the start limit runs out
    const char* text;
  };
  for (const Row& row : {Row{"closing", true, "Program Shutting Down"}, Row{"busy", false, "Program Busy"}}) {
    SCOPED_TRACE(row.name);
    HeldJobs held;
    Start(held.Poster(), row.closeProgram ? 60s : 100ms);
    ASSERT_TRUE(client_.SendTo(listenPort_, Request(2, 0, 400, 0.0)));
    ASSERT_TRUE(held.WaitPosted(1));
    if (row.closeProgram) util::ClosingFlag = true;
    const std::vector<std::uint8_t> reply = replies_.Receive();
    ASSERT_EQ(reply.size(), kRemoteCommandReplyBytes);
    EXPECT_EQ(reply[12], 0);
    EXPECT_EQ(MessageOf(reply), row.text);
    // The job comes too late: it must not run the command (no second log line).
    held.RunAll();
    const std::string line = std::string("---- NET REMOTE COMMAND ----- Received Remote Control Command Number 400 :: ") +
                             "UNKNOWN COMMAND :: Value = 0.000000  FAILED " + row.text;
    EXPECT_EQ(RemoteLines(folder_).back(), line);
    server_.reset();
    util::ClosingFlag = false;
    const auto lines = RemoteLines(folder_);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), line), 1);
  }
}

TEST_F(CommandServerTest, ClosingTheServerDoesNotWaitForARequestTheInterfaceThreadHasNotTaken) {
  HeldJobs held;
  Start(held.Poster(), 60s);
  ASSERT_TRUE(client_.SendTo(listenPort_, Request(0, 0, 400, 0.0)));
  ASSERT_TRUE(held.WaitPosted(1));
  // The user-interface thread closes the server while the request waits for that same thread.
  const auto start = std::chrono::steady_clock::now();
  server_->Close();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
  EXPECT_FALSE(server_->IsOpen());
  held.RunAll();
  EXPECT_EQ(RemoteLines(folder_).size(), 1u);
}

}  // namespace
}  // namespace net
