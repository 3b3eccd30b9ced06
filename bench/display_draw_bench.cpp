// The spectrum and IQ displays on the X server (run it under Xvfb: Mesa draws the GL frames).
//
// "SpectrumTrace": one refresh of a spectrum display with a 16384-point trace (the copy from the
// display block and one whole frame, glFinish included), GL and QPainter, at the status panel's
// width (146 x 124 drawing area) and at double width. Goal: at most 1 ms per GL frame.
//
// "TwelveDisplaysBesideTheMasterTimer": the whole program on six virtual cards with its master
// timer running, and six card windows of two channel status panels each (spectrum, IQ, status
// column) refreshed every 0.2 s as the card windows refresh them, each window painted on the
// screen at once after its refresh (what changed: labels, constellations, spectra). Reports
// the main thread's CPU time spent in those refreshes and paints as a share of one core
// (drawing_pct; goal at most 5 %) and the main thread's whole share (main_thread_pct). Mesa
// rasterises on the main thread here (LP_NUM_THREADS=0), so its work is counted; the X server's
// own work is not. --run_seconds=N (default 10) sets the running time.
#include <benchmark/benchmark.h>
#include <time.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "card/rtl20_manager.h"
#include "running_program.h"
#include "settings/set_manager.h"
#include "ui/displays/fft_widget_form.h"
#include "ui/fill_parent.h"
#include "ui/displays/setup_main_status_form.h"

namespace {

int gRunSeconds = 10;

double ThreadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

std::string SixCards() {
  std::ostringstream config;
  config << "[General]\nCards=6\nSeed=3\n";
  for (int card = 0; card < 6; ++card) {
    // PSK and PCM/FM cards in turn: constellations on the PSK ones.
    const bool fm = card % 2 == 1;
    config << "[Card_" << card << "]\nChipVariant=NO\nFpgaMode=" << (fm ? 2 : 0) << "\n"
           << "IfInput1=70e6, -40, " << (fm ? "FM" : "QPSK") << ", 1e6, 14, NRZL\n"
           << "IfInput2=70e6, -42, " << (fm ? "FM" : "QPSK") << ", 1e6, 12, NRZL\n";
  }
  return config.str();
}

// Started by the first benchmark that needs it, ended by main() before the statics go.
std::unique_ptr<benchprogram::RunningProgram> gProgram;

benchprogram::RunningProgram& Program() {
  if (gProgram == nullptr) {
    gProgram = std::make_unique<benchprogram::RunningProgram>();
    if (!gProgram->Start(SixCards(), 6)) std::abort();
  }
  return *gProgram;
}

// A carrier over a ragged noise floor, in every one of the 16384 points of card 0, channel 0.
void FillSpectrum(settings::DisplayDataBlock& block) {
  std::vector<double> values(settings::kDisplayPoints);
  for (std::size_t i = 0; i < values.size(); ++i) {
    const double offset = (static_cast<double>(i) - 8192.0) / 600.0;
    values[i] = -75.0 + 5.0 * std::sin(static_cast<double>(i) * 0.37) + 50.0 * std::exp(-offset * offset);
  }
  block.SpectrumCount = static_cast<std::int32_t>(values.size());
  std::memcpy(reinterpret_cast<std::byte*>(&block) + offsetof(settings::DisplayDataBlock, SpectrumPoints),
              values.data(), values.size() * sizeof(double));
}

void SpectrumTrace(benchmark::State& state, ui::ScopeDrawing drawing) {
  // The timer would refill the block with the card's own spectrum.
  Program().Form().MasterTimer()->stop();
  FillSpectrum(gKr20SetMgr->DisplayBlock(0, 0));
  gKr20SetMgr->DisplayBlock(0, 0).SpectrumCount = static_cast<std::int32_t>(state.range(1));
  QWidget host;
  host.resize(static_cast<int>(state.range(0)), 150);
  auto* form = new TFft_WidgetForm(&host, 0, 0, drawing);
  ui::FillParent(form);
  host.show();
  for (int i = 0; i < 20; ++i) QCoreApplication::processEvents();
  for (auto _ : state) form->UpdateSpectrum();
  state.counters["points"] = form->PointCount();
  Program().Form().MasterTimer()->start();
}
void SpectrumTraceGl(benchmark::State& state) { SpectrumTrace(state, ui::ScopeDrawing::OpenGl); }
void SpectrumTracePainter(benchmark::State& state) { SpectrumTrace(state, ui::ScopeDrawing::Painter); }
// Arguments: the display's width (the status panel's, and double), the point count.
BENCHMARK(SpectrumTraceGl)->Args({152, 16384})->Args({304, 16384})->Args({152, 0})->Unit(benchmark::kMicrosecond);
BENCHMARK(SpectrumTracePainter)->Args({152, 16384})->Args({304, 16384})->Args({152, 0})->Unit(benchmark::kMicrosecond);

void TwelveDisplaysBesideTheMasterTimer(benchmark::State& state) {
  Program();
  // Six card windows, each with the status panels of its two channels one above the other.
  std::vector<std::unique_ptr<QWidget>> hosts;
  std::vector<TSetupMainStatusForm*> panels;
  for (int card = 0; card < 6; ++card) {
    hosts.push_back(std::make_unique<QWidget>());
    QWidget& window = *hosts.back();
    window.resize(515, 300);
    window.move((card % 2) * 520, (card / 2) * 310);
    for (int channel = 0; channel < 2; ++channel) {
      auto* owner = new QWidget(&window);
      owner->setGeometry(0, channel * 150, 515, 150);
      panels.push_back(new TSetupMainStatusForm(owner, channel, card));
    }
    window.show();
  }
  for (int i = 0; i < 50; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);

  for (auto _ : state) {
    double drawing = 0.0;
    double updating = 0.0;
    int refreshes = 0;
    const double threadStart = ThreadCpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    // The refresh task of the card windows, every 0.2 s beside the master timer.
    QTimer refresh;
    QObject::connect(&refresh, &QTimer::timeout, [&] {
      const double before = ThreadCpuSeconds();
      const double updateStart = ThreadCpuSeconds();
      for (TSetupMainStatusForm* panel : panels) panel->UpdateChannelStatus();
      updating += ThreadCpuSeconds() - updateStart;
      // Each card window paints what changed at once, as its pending update would.
      for (const std::unique_ptr<QWidget>& window : hosts) {
        QCoreApplication::sendPostedEvents(window.get(), QEvent::UpdateRequest);
      }
      drawing += ThreadCpuSeconds() - before;
      ++refreshes;
    });
    refresh.start(200);
    QEventLoop loop;
    QTimer::singleShot(gRunSeconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    refresh.stop();
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.counters["drawing_pct"] = 100.0 * drawing / wall;
    state.counters["main_thread_pct"] = 100.0 * (ThreadCpuSeconds() - threadStart) / wall;
    state.counters["refreshes"] = refreshes;
    // The panels' own refresh (values, constellation, spectrum frame) without the window paints.
    state.counters["update_ms_per_refresh"] = refreshes > 0 ? 1000.0 * updating / refreshes : 0.0;
    state.counters["drawing_ms_per_refresh"] = refreshes > 0 ? 1000.0 * drawing / refreshes : 0.0;
  }
  hosts.clear();
}
BENCHMARK(TwelveDisplaysBesideTheMasterTimer)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--run_seconds=", 14) == 0) gRunSeconds = std::max(1, std::atoi(argv[i] + 14));
  }
  // The displays draw on the X server; Mesa rasterises on the calling thread, so it is measured.
  ::setenv("QT_QPA_PLATFORM", "xcb", 0);
  ::setenv("LP_NUM_THREADS", "0", 0);
  benchmark::Initialize(&argc, argv);
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--run_seconds=", 14) != 0) argv[kept++] = argv[i];
  }
  argc = kept;
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (gProgram != nullptr) gProgram->End();
  gProgram.reset();
  return 0;
}
