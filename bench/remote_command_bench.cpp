// Remote command round trip against a bare UDP echo, in the same run, with the same datagram
// sizes (2404 bytes out, 2921 back), on the loopback address. The program runs on six virtual
// PCM/FM cards with the master timer and the status broadcasts on; a client thread alternates one
// request to the command port (GET AGC SAW FILTERS, answered from the user-interface thread) with
// one datagram to an echo thread of this process, --requests=N times (default 2000). Counters:
//   cmd_p50_us, cmd_p99_us    request-to-reply round trip of the command, in microseconds;
//   echo_p50_us, echo_p99_us  the same for the bare echo;
//   ratio_p50, ratio_p99      command over echo (goals: at most 1.5 and 2.5);
//   longest_busy_ms           the longest stretch the interface thread spent away from waiting in
//                             its event loop during the run (goal: under 2 ms);
//   lost                      requests or echoes without an answer within 1 s.
#include <benchmark/benchmark.h>
#include <arpa/inet.h>
#include <dlfcn.h>
#include <netinet/in.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QEventLoop>
#include <QMetaObject>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "net/net_manager.h"
#include "net/remote_command_datagrams.h"
#include "busy_stretch_watch.h"
#include "running_program.h"
#include "util/error_log.h"

namespace {

using Clock = std::chrono::steady_clock;

int gRequests = 2000;

// ---- Sockets ------------------------------------------------------------------------------------
class Socket {
 public:
  explicit Socket(std::uint16_t port) : fd_(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in address = Address(port);
    socklen_t length = sizeof address;
    if (fd_ < 0 || ::bind(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      Close();
      return;
    }
    port_ = ntohs(address.sin_port);
  }
  ~Socket() { Close(); }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;

  bool Valid() const { return fd_ >= 0; }
  std::uint16_t Port() const { return port_; }
  bool SendTo(std::uint16_t port, const std::vector<std::uint8_t>& bytes) const {
    const sockaddr_in to = Address(port);
    return ::sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to) ==
           static_cast<ssize_t>(bytes.size());
  }
  // One datagram within `waitMs`; its size, or -1. `from` gets the sender's port.
  ssize_t Receive(std::vector<std::uint8_t>& buffer, int waitMs, std::uint16_t* from = nullptr) const {
    pollfd readable{fd_, POLLIN, 0};
    if (::poll(&readable, 1, waitMs) != 1) return -1;
    sockaddr_in sender{};
    socklen_t length = sizeof sender;
    const ssize_t got =
        ::recvfrom(fd_, buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&sender), &length);
    if (from != nullptr) *from = ntohs(sender.sin_port);
    return got;
  }

 private:
  static sockaddr_in Address(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
  }
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  int fd_ = -1;
  std::uint16_t port_ = 0;
};

// The bare echo: answers each datagram with one of the reply's size.
class Echo {
 public:
  Echo() : thread_([this] { Run(); }) {}
  ~Echo() {
    stop_ = true;
    thread_.join();
  }
  std::uint16_t Port() const { return socket_.Port(); }

 private:
  void Run() {
    std::vector<std::uint8_t> buffer(65536);
    const std::vector<std::uint8_t> reply(net::kRemoteCommandReplyBytes, 0x5A);
    while (!stop_) {
      std::uint16_t from = 0;
      if (socket_.Receive(buffer, 50, &from) > 0) socket_.SendTo(from, reply);
    }
  }
  Socket socket_{0};
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

std::string SixPcmFmCards() {
  std::ostringstream config;
  config << "[General]\nCards=6\nSeed=5\n";
  for (int card = 0; card < 6; ++card) {
    config << "[Card_" << card << "]\nFpgaMode=2\nIfInput1=70e6, -42, PCM_FM, 2e6, 13, NRZL\n"
           << "IfInput2=70e6, -42, PCM_FM, 2e6, 13, NRZL\n";
  }
  config << "[DownConverters]\nKr12Cards=1\nKr12Channels=2\nKr14Cards=0\n";
  return config.str();
}

std::vector<std::uint8_t> Request(std::int32_t group, std::int32_t command) {
  std::vector<std::uint8_t> bytes(net::kRemoteCommandRequestBytes, 0);
  const std::int32_t channel = 0;
  std::memcpy(bytes.data() + 0, &group, 4);
  std::memcpy(bytes.data() + 4, &channel, 4);
  std::memcpy(bytes.data() + 8, &command, 4);
  return bytes;
}

double Percentile(std::vector<double> values, double fraction) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  const auto at = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5);
  return values[std::min(at, values.size() - 1)];
}

std::unique_ptr<benchprogram::RunningProgram> gProgram;

// The client's ports: every status port (bound, never read) and the reply port; a free run of 18.
struct Client {
  std::vector<std::unique_ptr<Socket>> sockets;
  int start = 0;
  bool Bind() {
    for (start = 45000; start < 60000; start += 20) {
      sockets.clear();
      bool ok = true;
      for (int offset = 0; offset < 18 && ok; ++offset) {
        if (offset == 16) continue;  // the program's command port
        sockets.push_back(std::make_unique<Socket>(static_cast<std::uint16_t>(start + offset)));
        ok = sockets.back()->Valid();
      }
      if (ok && Socket(static_cast<std::uint16_t>(start + 16)).Valid()) return true;
    }
    return false;
  }
  const Socket& Replies() const { return *sockets.back(); }
};
std::unique_ptr<Client> gClient;

bool StartProgram() {
  gClient = std::make_unique<Client>();
  if (!gClient->Bind()) return false;
  const std::string network = "[NET Configuration]\r\nEnabled=YES\r\nAllowRemoteControl=YES\r\nBcRateHz=10\r\n"
                              "StartPort=" + std::to_string(gClient->start) + "\r\nClientIpAddr=127.0.0.1\r\n";
  net::NetManagerHooks hooks;
  hooks.ping = [](const std::string&) { return true; };
  hooks.clock = [] { return util::ElapsedSeconds() + net::kPingIntervalSeconds; };
  gProgram = std::make_unique<benchprogram::RunningProgram>();
  return gProgram->Start(SixPcmFmCards(), 6, network, hooks);
}

void RemoteRoundTrip(benchmark::State& state) {
  if (!StartProgram()) {
    state.SkipWithError("the program did not start on six virtual cards with remote control");
    return;
  }
  for (auto _ : state) {
    Echo echo;
    Socket client(0);
    std::vector<double> commandUs;
    std::vector<double> echoUs;
    int lost = 0;
    QEventLoop loop;
    const auto exchange = [](const Socket& from, std::uint16_t to, const Socket& answers,
                             const std::vector<std::uint8_t>& bytes, std::vector<double>& times, int& missing) {
      std::vector<std::uint8_t> buffer(65536);
      const Clock::time_point begin = Clock::now();
      if (!from.SendTo(to, bytes) || answers.Receive(buffer, 1000) != static_cast<ssize_t>(net::kRemoteCommandReplyBytes)) {
        ++missing;
        return;
      }
      times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - begin).count());
    };
    std::thread driver([&] {
      const std::vector<std::uint8_t> request = Request(0, 413);
      const auto commandPort = static_cast<std::uint16_t>(gClient->start + 16);
      for (int i = 0; i < gRequests; ++i) {
        exchange(client, commandPort, gClient->Replies(), request, commandUs, lost);
        exchange(client, echo.Port(), client, request, echoUs, lost);
      }
      QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    benchwatch::BusyStretchWatch::Start();
    loop.exec();
    benchwatch::BusyStretchWatch::Stop();
    driver.join();

    const double cmd50 = Percentile(commandUs, 0.50);
    const double cmd99 = Percentile(commandUs, 0.99);
    const double echo50 = Percentile(echoUs, 0.50);
    const double echo99 = Percentile(echoUs, 0.99);
    state.counters["cmd_p50_us"] = cmd50;
    state.counters["cmd_p99_us"] = cmd99;
    state.counters["echo_p50_us"] = echo50;
    state.counters["echo_p99_us"] = echo99;
    state.counters["ratio_p50"] = echo50 > 0.0 ? cmd50 / echo50 : 0.0;
    state.counters["ratio_p99"] = echo99 > 0.0 ? cmd99 / echo99 : 0.0;
    state.counters["longest_busy_ms"] = benchwatch::BusyStretchWatch::LongestMs();
    state.counters["requests"] = static_cast<double>(commandUs.size());
    state.counters["lost"] = lost;
  }
}
BENCHMARK(RemoteRoundTrip)->Iterations(1)->Unit(benchmark::kMillisecond);

// "--requests=N" is ours; everything else goes to the benchmark library.
void TakeRequests(int& argc, char** argv) {
  constexpr std::string_view kFlag = "--requests=";
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument.substr(0, kFlag.size()) == kFlag) {
      std::from_chars(argument.data() + kFlag.size(), argument.data() + argument.size(), gRequests);
    } else {
      argv[kept++] = argv[i];
    }
  }
  argc = kept;
  gRequests = std::clamp(gRequests, 10, 1000000);
}

}  // namespace

int main(int argc, char** argv) {
  TakeRequests(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  // The window and its shut-down saves go while the statics they use still exist.
  gProgram.reset();
  gClient.reset();
  return 0;
}
