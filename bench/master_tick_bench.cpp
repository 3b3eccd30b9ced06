// One working tick of the main window's master timer with six virtual cards, against its 10 ms
// period: the whole program started as it starts, then the tick's work under the card command
// lock. "AllTasksDue" is the heaviest tick (the 1 s, 0.2 s, 0.1 s, 0.04 s and broadcast tasks at
// once); "TwentyFiveHzOnly" is the most frequent one. "BertWindowsRefresh" (run last: it leaves
// the windows open) is the six card BERT windows' part of the 0.1 s task with the repaint it
// causes, every BERT input on and every averaging running.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <QCoreApplication>
#include <QTimer>
#include <QToolButton>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>

#include "card/card_routines.h"
#include "card/kr20card.h"
#include "card/rtl20_manager.h"
#include "config/globals.h"
#include "running_program.h"
#include "support/devicesim_support.h"
#include "ui/bert/bert_control_form.h"
#include "ui/bert/card_bert_form.h"
#include "ui/bert/card_bert_windows.h"

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

void BertWindowsRefresh(benchmark::State& state) {
  TQuorxLMainForm& form = Program().Form();
  for (int card = 0; card < card::SystemCardCount(); ++card) {
    if (card::kr20cardclass* object = card::CardObject(card); object != nullptr) {
      for (int channel = 0; channel < config::kChannelsPerCard; ++channel) object->Setup().RxBert[channel].InputSourceOn = 1;
    }
    ui::ShowCardBertForm(card, &form);
    if (TCardBertForm* bert = ui::CardBertFormOf(card); bert != nullptr) {
      for (int channel = 0; channel < config::kChannelsPerCard; ++channel) {
        if (TSM_BertControlForm* panel = bert->Panel(channel); panel != nullptr) panel->SpeedButtonBerAvgGo->click();
      }
    }
  }
  QCoreApplication::processEvents();
  // The cards' time moves 0.1 s a refresh, so that the counters the windows show change as they
  // do between two runs of the 0.1 s task, and the changed labels are painted again.
  void* library = dlopen((testsupport::SimFolder() + "/librtZp903x.so").c_str(), RTLD_NOW | RTLD_NOLOAD);
  void (*manual)(int) = nullptr;
  int (*advance)(double) = nullptr;
  if (library != nullptr) {
    void* manualSymbol = dlsym(library, "QuorxSim_UseManualClock");
    void* advanceSymbol = dlsym(library, "QuorxSim_AdvanceSeconds");
    std::memcpy(&manual, &manualSymbol, sizeof manual);
    std::memcpy(&advance, &advanceSymbol, sizeof advance);
  }
  if (manual == nullptr || advance == nullptr) {
    state.SkipWithError("the simulated library's clock hooks are missing");
    return;
  }
  manual(1);
  for (auto _ : state) {
    advance(0.1);
    ui::ForEachCardBertForm([](TCardBertForm& bert) { bert.Refresh10Hz(); });
    QCoreApplication::processEvents();
  }
  manual(0);
  dlclose(library);
}
BENCHMARK(BertWindowsRefresh)->Unit(benchmark::kMicrosecond);

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
