// One working tick of the main window's master timer with six virtual cards, against its 10 ms
// period: the whole program started as it starts, then the tick's work under the card command
// lock. "AllTasksDue" is the heaviest tick (the 1 s, 0.2 s, 0.1 s, 0.04 s and broadcast tasks at
// once); "TwentyFiveHzOnly" is the most frequent one.
#include <benchmark/benchmark.h>

#include <QTimer>

#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>

#include "card/rtl20_manager.h"
#include "running_program.h"

namespace {

std::string SixCards() {
  std::ostringstream config;
  config << "[General]\nCards=6\nSeed=3\n";
  for (int card = 0; card < 6; ++card) {
    config << "[Card_" << card << "]\nFpgaMode=" << card % 4 << "\nIfInput1=70e6, -40, PSK, 1e6, 14, NRZL\n"
           << "IfInput2=70e6, -42, FM, 1e6, 12, NRZL\n";
  }
  return config.str();
}

// Started by the first benchmark that runs, ended by main() before the statics go.
std::unique_ptr<benchprogram::RunningProgram> gProgram;

benchprogram::RunningProgram& Program() {
  if (gProgram == nullptr) {
    gProgram = std::make_unique<benchprogram::RunningProgram>();
    if (!gProgram->Start(SixCards(), 6)) std::abort();
    // The benchmark runs the ticks itself.
    gProgram->Form().MasterTimer()->stop();
  }
  return *gProgram;
}

void AllTasksDue(benchmark::State& state) {
  TQuorxLMainForm& form = Program().Form();
  for (auto _ : state) {
    if (!gRtl20Mgr->FpgaCmdLock()) state.SkipWithError("no card command lock");
    form.DoOneSecondTasks();
    form.DoFiveHzTasks();
    form.DoTenHzTasks();
    form.DoTwentyFiveHzTasks();
    form.DoBroadcastTasks();
    gRtl20Mgr->FpgaCmdUnlock();
  }
}
BENCHMARK(AllTasksDue)->Unit(benchmark::kMicrosecond);

void TwentyFiveHzOnly(benchmark::State& state) {
  TQuorxLMainForm& form = Program().Form();
  for (auto _ : state) {
    if (!gRtl20Mgr->FpgaCmdLock()) state.SkipWithError("no card command lock");
    form.DoTwentyFiveHzTasks();
    gRtl20Mgr->FpgaCmdUnlock();
  }
}
BENCHMARK(TwentyFiveHzOnly)->Unit(benchmark::kMicrosecond);

// Each task alone, to see where a heavy tick goes.
template <void (TQuorxLMainForm::*Task)()>
void OneTask(benchmark::State& state) {
  TQuorxLMainForm& form = Program().Form();
  for (auto _ : state) (form.*Task)();
}
BENCHMARK(OneTask<&TQuorxLMainForm::DoOneSecondTasks>)->Unit(benchmark::kMicrosecond);
BENCHMARK(OneTask<&TQuorxLMainForm::DoFiveHzTasks>)->Unit(benchmark::kMicrosecond);
BENCHMARK(OneTask<&TQuorxLMainForm::DoTenHzTasks>)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  // The window and its shut-down saves go while the statics they use still exist.
  gProgram.reset();
  return 0;
}
