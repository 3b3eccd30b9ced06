// The QuorxL program in its own process with remote control on, flooded from a second loopback
// address with datagrams too long to take: the error log stays small, the count of what was not
// logged is written at the close, and the client is still served.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/process_launcher.h"
#include "program_folder.h"
#include "support/log_capture.h"
#include "support/scratch_folder.h"

namespace {

using namespace std::chrono_literals;

constexpr const char* kStartUpComplete = "---------------START UP COMPLETE------------------";
constexpr const char* kTooLong = "Socket recvfrom failed, error is  Error Code = 10040";
constexpr int kFlood = 20000;
constexpr std::size_t kFloodBytes = 40000;
constexpr std::size_t kRequestBytes = 2404;
constexpr std::size_t kReplyBytes = 2921;

class Socket {
 public:
  // A UDP socket bound to the address and port (0: the kernel's choice).
  Socket(const char* address, std::uint16_t port) : fd_(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    ::inet_pton(AF_INET, address, &local.sin_addr);
    socklen_t length = sizeof local;
    if (fd_ >= 0 && ::bind(fd_, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0 &&
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&local), &length) == 0) {
      port_ = ntohs(local.sin_port);
    }
  }
  ~Socket() {
    if (fd_ >= 0) ::close(fd_);
  }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;

  std::uint16_t Port() const { return port_; }  // 0 when it could not be bound
  bool SendTo(std::uint16_t port, const std::string& bytes) const {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return ::sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to) ==
           static_cast<ssize_t>(bytes.size());
  }
  // The length of the next datagram, waiting at most `waitMs`; -1 when none came.
  ssize_t Receive(int waitMs) const {
    pollfd readable{fd_, POLLIN, 0};
    if (::poll(&readable, 1, waitMs) != 1) return -1;
    std::vector<char> buffer(65536);
    return ::recv(fd_, buffer.data(), buffer.size(), 0);
  }

 private:
  int fd_;
  std::uint16_t port_ = 0;
};

// What the kernel holds for the UDP socket bound to the port on any address: the bytes queued for
// reading and the datagrams it dropped. Found: false when no such socket is listed.
struct QueueState {
  bool found = false;
  unsigned long queued = 0;
  unsigned long drops = 0;
};

QueueState ReceiveQueue(std::uint16_t port) {
  std::ifstream table("/proc/net/udp");
  std::string line;
  std::getline(table, line);  // the heading
  char wanted[16];
  std::snprintf(wanted, sizeof wanted, "00000000:%04X", port);
  while (std::getline(table, line)) {
    std::istringstream fields(line);
    std::vector<std::string> field;
    for (std::string f; fields >> f;) field.push_back(f);
    if (field.size() < 13 || field[1] != wanted) continue;
    QueueState state;
    state.found = true;
    state.queued = std::stoul(field[4].substr(field[4].find(':') + 1), nullptr, 16);
    state.drops = std::stoul(field.back());
    return state;
  }
  return {};
}

class DatagramFloodProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!acceptance::ProgramBuilt()) GTEST_FAIL() << "program or simulated libraries not built (the build makes them)";
    acceptance::PrepareProgramFolder(folder_, "[General]\nCards=2\nSeed=7\n[Card_0]\nFpgaMode=0\n[Card_1]\nFpgaMode=1\n");
  }
  void TearDown() override {
    if (program_ != nullptr) program_->Terminate(100);
  }

  std::string LogPath() const { return folder_ / "SYSTEM/ERLOGS/QuorxL.log"; }

  bool WaitForStartUp() const {
    for (const auto end = std::chrono::steady_clock::now() + 60s; std::chrono::steady_clock::now() < end;
         std::this_thread::sleep_for(50ms)) {
      const std::vector<std::string> texts = testsupport::LogFileTexts(LogPath());
      if (std::find(texts.begin(), texts.end(), kStartUpComplete) != texts.end()) return true;
    }
    ADD_FAILURE() << testsupport::ReadWholeFile(LogPath());
    return false;
  }

  testsupport::ScratchFolder folder_;
  std::unique_ptr<platform::ChildProcess> program_;
};

TEST_F(DatagramFloodProgramTest, LongDatagramsFromAnotherAddressLeaveTheLogSmallAndTheClientServed) {
  // The replies come to our socket on the reply port; the port below it takes the requests.
  const Socket client("127.0.0.1", 0);
  ASSERT_GT(client.Port(), 1017);
  const std::uint16_t commandPort = client.Port() - 1;
  const int startPort = client.Port() - 17;
  {
    const Socket probe("0.0.0.0", commandPort);
    ASSERT_EQ(probe.Port(), commandPort) << "the port below the reply port is taken";
  }
  std::filesystem::create_directories(folder_ / "SYSTEM/HARDWARECONFIGURATION");
  ASSERT_TRUE(testsupport::WriteWholeFile(folder_ / "SYSTEM/HARDWARECONFIGURATION/Kr20NetCfg.cfg",
                                          "[NET Configuration]\r\nEnabled=YES\r\nAllowRemoteControl=YES\r\n"
                                          "BcRateHz=10\r\nStartPort=" +
                                              std::to_string(startPort) + "\r\nClientIpAddr=127.0.0.1\r\n"));
  std::string error;
  program_ = platform::ChildProcess::Launch(QUORX_PROGRAM, {}, folder_.Path(), &error);
  ASSERT_NE(program_, nullptr) << error;
  ASSERT_TRUE(WaitForStartUp());
  ASSERT_TRUE(ReceiveQueue(commandPort).found) << "no command server on port " << commandPort;

  const Socket stranger("127.0.0.2", 0);
  ASSERT_NE(stranger.Port(), 0);
  const std::string flood(kFloodBytes, '\x5A');
  const auto before = std::filesystem::file_size(LogPath());
  for (int i = 0; i < kFlood; ++i) {
    ASSERT_TRUE(stranger.SendTo(commandPort, flood)) << "datagram " << i;
    // Each one taken off the queue before the next: the kernel drops what does not fit. A
    // program that stopped receiving fails here instead of holding the test.
    const auto giveUp = std::chrono::steady_clock::now() + 30s;
    while (ReceiveQueue(commandPort).queued != 0) {
      ASSERT_LT(std::chrono::steady_clock::now(), giveUp) << "datagram " << i << " never taken";
      std::this_thread::yield();
    }
  }
  // The client's request after them is served: everything before it was dealt with.
  std::string request(kRequestBytes, '\0');
  request[8] = 1;  // command 1, card 1 channel 1
  ASSERT_TRUE(client.SendTo(commandPort, request));
  ASSERT_EQ(client.Receive(30000), static_cast<ssize_t>(kReplyBytes));
  const QueueState state = ReceiveQueue(commandPort);
  const auto grown = std::filesystem::file_size(LogPath()) - before;
  EXPECT_LT(grown, 4096u);

  ASSERT_EQ(kill(program_->Pid(), SIGTERM), 0);
  int status = -1;
  ASSERT_TRUE(program_->WaitForExit(60000, &status));
  EXPECT_EQ(status, 0);
  const std::vector<std::string> texts = testsupport::LogFileTexts(LogPath());
  EXPECT_EQ(std::count(texts.begin(), texts.end(), std::string(kTooLong)), 1);
  // The rest were counted: every datagram is the logged one, a counted one or one the kernel
  // dropped before the program could receive it.
  const std::string countStart = "Socket recvfrom on port " + std::to_string(commandPort) + ", error 10040: ";
  const std::string countEnd = std::string(" more times \"") + kTooLong + "\", not logged";
  const auto counted = std::find_if(texts.begin(), texts.end(),
                                    [&countStart](const std::string& text) { return text.rfind(countStart, 0) == 0; });
  ASSERT_NE(counted, texts.end()) << testsupport::ReadWholeFile(LogPath());
  ASSERT_GT(counted->size(), countStart.size() + countEnd.size());
  EXPECT_EQ(counted->substr(counted->size() - countEnd.size()), countEnd);
  const unsigned long notLogged =
      std::stoul(counted->substr(countStart.size(), counted->size() - countStart.size() - countEnd.size()));
  EXPECT_EQ(1 + notLogged + state.drops, static_cast<unsigned long>(kFlood)) << "drops " << state.drops;
  // The client's request kept its line.
  EXPECT_EQ(std::count_if(texts.begin(), texts.end(),
                          [](const std::string& text) { return text.rfind("---- NET REMOTE COMMAND -----", 0) == 0; }),
            1);
}

}  // namespace
