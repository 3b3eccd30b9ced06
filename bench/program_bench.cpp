// The whole program left running on six virtual cards with PCM/FM personalities (twelve PCM/FM
// channels), as an operator leaves it: after the start-up, the event loop runs on its own for
// 60 s (or --run_seconds=N, or QUORX_PROGRAM_BENCH_SECONDS, for a quick check). With
// --broadcast_hz=N (1..20) the network service is on and sends every status datagram to sockets
// of this process on 127.0.0.1 that never read them (the kernel drops what overflows), group
// status at N Hz; compare with a run without it for the cost of the sends. With --card_windows
// every card's card window is open (status panels with spectrum and IQ displays, setup pages).
// With --bert_windows every card's BERT window is open, both BERT inputs on and both channels'
// BER averaging running continuously.
// Counters:
//   cpu_percent       CPU time of the whole process over wall time, in percent of one core;
//   late_p50/p99/max  how much later than its 10 ms period each master-timer tick came, in ms
//                     (stamped as the timer's event arrives, before the window's handler runs);
//   longest_busy_ms   the longest stretch the interface thread spent away from waiting in its
//                     event loop (working, or asleep inside a handler), in ms: the time between
//                     one of its waiting polls returning and the next beginning;
//   ticks, pcmfm_channels, seconds  what the run was.
// SilentWindowManagerStartup (--benchmark_filter=Silent, on an X display without a window
// manager, QT_QPA_PLATFORM=xcb) compares start-up under a window manager that never answers with
// start-up on the bare display, and measures the master timer while windows are placed under it.
#include <benchmark/benchmark.h>
#include <arpa/inet.h>
#include <dlfcn.h>
#include <netinet/in.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QEvent>
#include <QEventLoop>
#include <QObject>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <utility>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "card/card_routines.h"
#include "card/kr20card.h"
#include "config/globals.h"
#include "net/net_manager.h"
#include "busy_stretch_watch.h"
#include "running_program.h"
#include "support/silent_window_manager.h"
#include "ui/bert/bert_control_form.h"
#include "ui/bert/card_bert_form.h"
#include "ui/bert/card_bert_windows.h"
#include "ui/cards/card_windows.h"
#include "ui/cards/setup_main_gui_form.h"
#include "util/error_log.h"
#include "util/gui/window_frame.h"

namespace {

using Clock = std::chrono::steady_clock;

double gRunSeconds = 60.0;
int gBroadcastHz = 0;  // 0: the network service off
bool gCardWindows = false;
bool gBertWindows = false;

std::string SixPcmFmCards() {
  std::ostringstream config;
  config << "[General]\nCards=6\nSeed=5\n";
  for (int card = 0; card < 6; ++card) {
    // Personality 2 runs a PCM/FM receiver on both channels.
    config << "[Card_" << card << "]\nFpgaMode=2\nIfInput1=70e6, -42, PCM_FM, 2e6, 13, NRZL\n"
           << "IfInput2=70e6, -42, PCM_FM, 2e6, 13, NRZL\n";
  }
  config << "[DownConverters]\nKr12Cards=0\nKr14Cards=0\n";
  return config.str();
}

std::unique_ptr<benchprogram::RunningProgram> gProgram;

// The client's ports, bound and never read, so that the sends meet a listener.
class SilentClient {
 public:
  // Thirteen free ports in a row from 45000 on; false when none were found.
  bool Bind() {
    for (int start = 45000; start < 60000; start += 20) {
      if (BindAll(start)) {
        startPort_ = start;
        return true;
      }
      CloseAll();
    }
    return false;
  }
  ~SilentClient() { CloseAll(); }
  int StartPort() const { return startPort_; }

 private:
  bool BindAll(int start) {
    for (int offset = 0; offset < 13; ++offset) {
      const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
      if (fd < 0) return false;
      fds_.push_back(fd);
      sockaddr_in address{};
      address.sin_family = AF_INET;
      address.sin_port = htons(static_cast<std::uint16_t>(start + offset));
      address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) return false;
    }
    return true;
  }
  void CloseAll() {
    for (const int fd : fds_) ::close(fd);
    fds_.clear();
  }
  std::vector<int> fds_;
  int startPort_ = 0;
};
std::unique_ptr<SilentClient> gClient;

bool StartProgram() {
  gProgram = std::make_unique<benchprogram::RunningProgram>();
  if (gBroadcastHz == 0) return gProgram->Start(SixPcmFmCards(), 6);
  gClient = std::make_unique<SilentClient>();
  if (!gClient->Bind()) return false;
  const std::string network = "[NET Configuration]\r\nEnabled=YES\r\nBcRateHz=" + std::to_string(gBroadcastHz) +
                              "\r\nStartPort=" + std::to_string(gClient->StartPort()) +
                              "\r\nClientIpAddr=127.0.0.1\r\n";
  net::NetManagerHooks hooks;
  // The client is this process: it answers; the first reachability decision is due at once.
  hooks.ping = [](const std::string&) { return true; };
  hooks.clock = [] { return util::ElapsedSeconds() + net::kPingIntervalSeconds; };
  return gProgram->Start(SixPcmFmCards(), 6, network, hooks);
}

// Sees the master timer's events before the timer hands them to the window's handler: a tick's
// lateness is when it arrives, not when the work it starts ends.
class TickArrivals : public QObject {
 public:
  explicit TickArrivals(std::function<void()> arrived) : arrived_(std::move(arrived)) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Timer) arrived_();
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<void()> arrived_;
};

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& time) { return static_cast<double>(time.tv_sec) + time.tv_usec * 1e-6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double Percentile(std::vector<double> values, double fraction) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  const auto at = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5);
  return values[std::min(at, values.size() - 1)];
}

int PcmFmChannels() {
  int channels = 0;
  for (int card = 0; card < card::SystemCardCount(); ++card) {
    for (int channel = 0; channel < 2; ++channel) channels += card::GroupChannelContextOf(card, channel).PcmFm ? 1 : 0;
  }
  return channels;
}

// Each card's BERT window with both inputs on and both averagings running.
void OpenBertWindows(TQuorxLMainForm& form) {
  for (int card = 0; card < card::SystemCardCount(); ++card) {
    for (int channel = 0; channel < config::kChannelsPerCard; ++channel) {
      if (card::kr20cardclass* object = card::CardObject(card); object != nullptr) {
        object->Setup().RxBert[channel].InputSourceOn = 1;
      }
    }
    ui::ShowCardBertForm(card, &form);
    if (TCardBertForm* bert = ui::CardBertFormOf(card); bert != nullptr) {
      for (int channel = 0; channel < config::kChannelsPerCard; ++channel) {
        if (TSM_BertControlForm* panel = bert->Panel(channel); panel != nullptr) panel->SpeedButtonBerAvgGo->click();
      }
    }
  }
}

void LeftRunning(benchmark::State& state) {
  if (!StartProgram()) {
    state.SkipWithError("the program did not start on six virtual cards");
    return;
  }
  TQuorxLMainForm& form = gProgram->Form();
  const int pcmFm = PcmFmChannels();
  if (gCardWindows) {
    for (int card = 0; card < card::SystemCardCount(); ++card) ui::ShowSetupMainGuiForm(card, &form);
  }
  if (gBertWindows) OpenBertWindows(form);

  for (auto _ : state) {
    std::vector<double> lateMs;
    Clock::time_point lastTick{};
    TickArrivals arrivals([&] {
      const Clock::time_point now = Clock::now();
      if (lastTick != Clock::time_point{}) {
        const double gapMs = std::chrono::duration<double, std::milli>(now - lastTick).count();
        lateMs.push_back(std::max(0.0, gapMs - ui::kMasterTimerIntervalMs));
      }
      lastTick = now;
    });
    form.MasterTimer()->installEventFilter(&arrivals);

    benchwatch::BusyStretchWatch::Start();
    const double cpuBefore = CpuSeconds();
    const Clock::time_point begin = Clock::now();
    QEventLoop loop;
    QTimer::singleShot(std::chrono::milliseconds(static_cast<long long>(gRunSeconds * 1000.0)), &loop, &QEventLoop::quit);
    loop.exec();
    const double wallSeconds = std::chrono::duration<double>(Clock::now() - begin).count();
    const double cpuSeconds = CpuSeconds() - cpuBefore;
    benchwatch::BusyStretchWatch::Stop();
    form.MasterTimer()->removeEventFilter(&arrivals);

    state.SetIterationTime(wallSeconds);
    state.counters["cpu_percent"] = 100.0 * cpuSeconds / wallSeconds;
    state.counters["late_p50_ms"] = Percentile(lateMs, 0.50);
    state.counters["late_p99_ms"] = Percentile(lateMs, 0.99);
    state.counters["late_max_ms"] = lateMs.empty() ? 0.0 : *std::max_element(lateMs.begin(), lateMs.end());
    state.counters["longest_busy_ms"] = benchwatch::BusyStretchWatch::LongestMs();
    state.counters["ticks"] = static_cast<double>(lateMs.size() + 1);
    state.counters["pcmfm_channels"] = pcmFm;
    state.counters["seconds"] = wallSeconds;
    state.counters["broadcast_hz"] = gBroadcastHz;
    state.counters["card_windows"] = gCardWindows ? card::SystemCardCount() : 0;
    state.counters["bert_windows"] = gBertWindows ? card::SystemCardCount() : 0;
  }
}
BENCHMARK(LeftRunning)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// Runs the event loop for `time`.
void RunFor(std::chrono::milliseconds time) {
  QEventLoop loop;
  QTimer::singleShot(time, &loop, &QEventLoop::quit);
  loop.exec();
}

bool EveryCardWindowShown() {
  for (int card = 0; card < card::SystemCardCount(); ++card) {
    const TSetupMainGuiForm* window = config::gApp.CardSetupForms[static_cast<std::size_t>(card)];
    if (window == nullptr || !window->isVisible()) return false;
  }
  return true;
}

// Each card window closed and opened again from its menu with the master timer running; the
// ticks' lateness in ms goes to `lateMs`.
void ReopenCardWindows(TQuorxLMainForm& form, std::vector<double>& lateMs) {
  Clock::time_point lastTick{};
  TickArrivals arrivals([&] {
    const Clock::time_point now = Clock::now();
    if (lastTick != Clock::time_point{}) {
      const double gapMs = std::chrono::duration<double, std::milli>(now - lastTick).count();
      lateMs.push_back(std::max(0.0, gapMs - ui::kMasterTimerIntervalMs));
    }
    lastTick = now;
  });
  form.MasterTimer()->installEventFilter(&arrivals);
  RunFor(std::chrono::milliseconds(200));
  for (int card = 0; card < card::SystemCardCount(); ++card) {
    if (TSetupMainGuiForm* window = config::gApp.CardSetupForms[static_cast<std::size_t>(card)]; window != nullptr) {
      window->close();
    }
    RunFor(std::chrono::milliseconds(100));
    ui::ShowSetupMainGuiForm(card, &form);
    RunFor(std::chrono::milliseconds(200));
  }
  form.MasterTimer()->removeEventFilter(&arrivals);
}

// Start-up with six card windows to restore, on the bare display and under a window manager that
// maps windows but never answers a request for their frame extents (tests/support/silent_wm),
// alternately, twice each, in one run; then each card window reopened from its menu under that
// manager. Run with QT_QPA_PLATFORM=xcb on a display without a window manager.
// Counters: startup_bare_s, startup_silent_s (means), startup_ratio (silent over bare),
// placing_late_max_ms and placing_late_p99_ms (the master timer's ticks while the windows were
// reopened under the silent manager), placing_longest_busy_ms; bare_late_max_ms and
// bare_longest_busy_ms the same reopening on the bare display (what opening a window costs
// without any window manager).
void SilentWindowManagerStartup(benchmark::State& state) {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (platform == nullptr || std::string_view(platform) != "xcb") {
    state.SkipWithError("needs QT_QPA_PLATFORM=xcb and a display without a window manager");
    return;
  }
  if (gProgram == nullptr && !StartProgram()) {
    state.SkipWithError("the program did not start on six virtual cards");
    return;
  }
  if (util::WindowManagerRunning()) {
    state.SkipWithError("a window manager runs on the display: run on one without");
    return;
  }
  for (int card = 0; card < card::SystemCardCount(); ++card) ui::ShowSetupMainGuiForm(card, &gProgram->Form());
  RunFor(std::chrono::milliseconds(500));

  for (auto _ : state) {
    double bare = 0.0;
    double silent = 0.0;
    std::vector<double> lateMs;
    std::vector<double> bareLateMs;
    double longestBusyMs = 0.0;
    double bareLongestBusyMs = 0.0;
    constexpr int kRounds = 2;
    for (int round = 0; round < kRounds; ++round) {
      const double bareSeconds = gProgram->Restart(EveryCardWindowShown);
      if (bareSeconds >= 0.0) {
        benchwatch::BusyStretchWatch::Start();
        ReopenCardWindows(gProgram->Form(), bareLateMs);
        benchwatch::BusyStretchWatch::Stop();
        bareLongestBusyMs = std::max(bareLongestBusyMs, benchwatch::BusyStretchWatch::LongestMs());
      }
      testsupport::SilentWindowManager manager;
      std::string error;
      if (!manager.Start(QUORX_SILENT_WM, {}, error)) {
        state.SkipWithError(error.c_str());
        return;
      }
      const double silentSeconds = gProgram->Restart(EveryCardWindowShown);
      if (bareSeconds < 0.0 || silentSeconds < 0.0) {
        state.SkipWithError("a restart did not bring the six card windows back");
        return;
      }
      bare += bareSeconds;
      silent += silentSeconds;
      benchwatch::BusyStretchWatch::Start();
      ReopenCardWindows(gProgram->Form(), lateMs);
      benchwatch::BusyStretchWatch::Stop();
      longestBusyMs = std::max(longestBusyMs, benchwatch::BusyStretchWatch::LongestMs());
    }
    state.SetIterationTime(bare + silent);
    state.counters["startup_bare_s"] = bare / kRounds;
    state.counters["startup_silent_s"] = silent / kRounds;
    state.counters["startup_ratio"] = silent / bare;
    state.counters["placing_late_max_ms"] = lateMs.empty() ? 0.0 : *std::max_element(lateMs.begin(), lateMs.end());
    state.counters["placing_late_p99_ms"] = Percentile(lateMs, 0.99);
    state.counters["placing_longest_busy_ms"] = longestBusyMs;
    state.counters["bare_late_max_ms"] =
        bareLateMs.empty() ? 0.0 : *std::max_element(bareLateMs.begin(), bareLateMs.end());
    state.counters["bare_longest_busy_ms"] = bareLongestBusyMs;
  }
}
BENCHMARK(SilentWindowManagerStartup)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// "--run_seconds=N", "--broadcast_hz=N", "--card_windows" and "--bert_windows" are ours; everything else goes to the
// benchmark library.
void TakeRunSeconds(int& argc, char** argv) {
  if (const char* seconds = std::getenv("QUORX_PROGRAM_BENCH_SECONDS"); seconds != nullptr) {
    std::from_chars(seconds, seconds + std::strlen(seconds), gRunSeconds);
  }
  constexpr std::string_view kFlag = "--run_seconds=";
  constexpr std::string_view kBroadcastFlag = "--broadcast_hz=";
  constexpr std::string_view kCardWindowsFlag = "--card_windows";
  constexpr std::string_view kBertWindowsFlag = "--bert_windows";
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument.substr(0, kFlag.size()) == kFlag) {
      std::from_chars(argument.data() + kFlag.size(), argument.data() + argument.size(), gRunSeconds);
    } else if (argument.substr(0, kBroadcastFlag.size()) == kBroadcastFlag) {
      std::from_chars(argument.data() + kBroadcastFlag.size(), argument.data() + argument.size(), gBroadcastHz);
      gBroadcastHz = std::clamp(gBroadcastHz, 0, net::kMaxBcRateHz);
    } else if (argument == kCardWindowsFlag) {
      gCardWindows = true;
    } else if (argument == kBertWindowsFlag) {
      gBertWindows = true;
    } else {
      argv[kept++] = argv[i];
    }
  }
  argc = kept;
  gRunSeconds = std::clamp(gRunSeconds, 1.0, 3600.0);
}

}  // namespace

int main(int argc, char** argv) {
  TakeRunSeconds(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  // The window and its shut-down saves go while the statics they use still exist.
  gProgram.reset();
  gClient.reset();
  return 0;
}
