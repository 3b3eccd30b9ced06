// One working tick of the main window's master timer with six virtual cards, against its 10 ms
// period: the whole program started as it starts, then the tick's work under the card command
// lock. "AllTasksDue" is the heaviest tick (the 1 s, 0.2 s, 0.1 s, 0.04 s and broadcast tasks at
// once); "TwentyFiveHzOnly" is the most frequent one.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <QApplication>
#include <QTimer>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "card/rtl20_manager.h"
#include "config/globals.h"
#include "support/devicesim_support.h"
#include "support/scratch_folder.h"
#include "ui/main_form.h"

namespace {

struct RunningProgram {
  std::unique_ptr<QApplication> app;
  std::unique_ptr<TQuorxLMainForm> form;
  testsupport::ScratchFolder scratch;
  std::string folder;

  bool Start() {
    static int argc = 1;
    static char name[] = "master_tick_bench";
    static char* argv[] = {name, nullptr};
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    app = std::make_unique<QApplication>(argc, argv);

    folder = scratch.Path();
    if (folder.empty()) return false;
    const std::string sim = testsupport::SimFolder();
    namespace fs = std::filesystem;
    fs::create_directories(folder + "/SYSTEM/ERLOGS");
    fs::create_directories(folder + "/SYSTEM/HARDWARECONFIGURATION/KR20_BIN");
    fs::create_directories(folder + "/locks");
    for (const char* library : {"librtZp903x.so", "libKr12V2_Dll.so", "libKr14P3_Dll.so"}) {
      fs::create_symlink(sim + "/" + library, folder + "/" + library);
    }
    if (!testsupport::MakeFpgaImages(folder + "/SYSTEM/HARDWARECONFIGURATION/KR20_BIN", sim)) return false;
    {
      std::ofstream config(folder + "/VirtualHardware.cfg");
      config << "[General]\nCards=6\nSeed=3\n";
      for (int card = 0; card < 6; ++card) {
        config << "[Card_" << card << "]\nFpgaMode=" << card % 4 << "\nIfInput1=70e6, -40, PSK, 1e6, 14, NRZL\n"
               << "IfInput2=70e6, -42, FM, 1e6, 12, NRZL\n";
      }
    }
    ::setenv("QUORX_SIM_FOLDER", folder.c_str(), 1);
    std::error_code error;
    fs::current_path(folder, error);
    if (error) return false;

    form = std::make_unique<TQuorxLMainForm>();
    ui::SingleInstanceSettings instance;
    instance.lockFolder = folder + "/locks";
    if (form->FormCreate(instance).conflict != ui::InstanceConflict::None) return false;
    form->show();
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!form->StartupComplete()) {
      if (std::chrono::steady_clock::now() > end) return false;
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    // The benchmark runs the ticks itself.
    form->MasterTimer()->stop();
    return gRtl20Mgr != nullptr && gRtl20Mgr->CardCount() == 6;
  }

  ~RunningProgram() {
    if (form != nullptr) form->close();
    form.reset();
  }
};

RunningProgram& Program() {
  static RunningProgram program;
  static const bool started = program.Start();
  if (!started) std::abort();
  return program;
}

void AllTasksDue(benchmark::State& state) {
  TQuorxLMainForm& form = *Program().form;
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
  TQuorxLMainForm& form = *Program().form;
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
  TQuorxLMainForm& form = *Program().form;
  for (auto _ : state) (form.*Task)();
}
BENCHMARK(OneTask<&TQuorxLMainForm::DoOneSecondTasks>)->Unit(benchmark::kMicrosecond);
BENCHMARK(OneTask<&TQuorxLMainForm::DoFiveHzTasks>)->Unit(benchmark::kMicrosecond);
BENCHMARK(OneTask<&TQuorxLMainForm::DoTenHzTasks>)->Unit(benchmark::kMicrosecond);

}  // namespace
