// One full status read of six virtual cards, two channels each: the getters the 10 Hz channel
// status reader calls for a PSK channel with its stream-1 bit synchroniser, and the 1 Hz BERT
// counters. It has to stay far below the 10 ms master-timer period. The same holds for the 1 Hz
// transmitter-is-digital pulse of twelve PCM/FM channels and the tick that ends it.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "card/kr20card.h"
#include "card/zp90_binding.h"
#include "support/devicesim_support.h"

namespace {

std::string SimFolder() {
  return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "devicesim").string();
}

// Writes the configuration of six cards running `mode` into a new folder and points the
// simulated library at it.
std::string ConfigureSixCards(int mode, const std::string& family) {
  char pattern[] = "/tmp/quorx-bench-XXXXXX";
  const std::string folder = ::mkdtemp(pattern);
  {
    std::ofstream config(folder + "/VirtualHardware.cfg");
    config << "[General]\nCards=6\nSeed=3\n";
    for (int card = 0; card < 6; ++card) {
      config << "[Card_" << card << "]\nFpgaMode=" << mode << "\nIfInput1=70e6, -40, " << family << ", 1e6, 14, NRZL\n"
             << "IfInput2=70e6, -42, " << family << ", 1e6, 12, NRZL\n";
    }
  }
  ::setenv("QUORX_SIM_FOLDER", folder.c_str(), 1);
  return folder;
}

void StatusReadOfSixCards(benchmark::State& state) {
  const std::string folder = ConfigureSixCards(0, "PSK");

  card::zp90class library;
  if (!library.Load(SimFolder())) {
    state.SkipWithError("the simulated device library is not built");
    return;
  }
  std::vector<std::unique_ptr<card::kr20cardclass>> cards;
  for (int c = 0; c < 6; ++c) {
    cards.push_back(std::make_unique<card::kr20cardclass>(c, library, false));
    cards.back()->Open();
  }

  for (auto _ : state) {
    for (auto& c : cards) {
      for (int ch = 0; ch < 2; ++ch) {
        benchmark::DoNotOptimize(c->PskRx_GetCarrierModulationMode(ch));
        benchmark::DoNotOptimize(c->PskRx_GetCarrierLockState(ch));
        benchmark::DoNotOptimize(c->PskRx_GetCarrierCenterFrequencyInHz(ch));
        benchmark::DoNotOptimize(c->PskRx_GetReceiverSignalPowerIndBm(ch));
        benchmark::DoNotOptimize(c->PskRx_GetReceiverTotalPowerIndBm(ch));
        benchmark::DoNotOptimize(c->PskRx_GetCarrierSignalFilterBandwidthRatio(ch));
        benchmark::DoNotOptimize(c->PskRx_GetCarrierActualSignalFrequencyInHz(ch));
        benchmark::DoNotOptimize(c->PskRx_GetBitSyncStream1SignalEbNo(ch));
        benchmark::DoNotOptimize(c->PskRx_GetBitSyncStream1ActualSymbolRate(ch));
        benchmark::DoNotOptimize(c->PskRx_GetBitSyncStream1LockState(ch));
        benchmark::DoNotOptimize(c->PskRx_GetBitSyncStream1InputDataDecodingMode(ch));
        benchmark::DoNotOptimize(c->PskRx_GetBitSyncStream1DescramblerMode(ch));
        benchmark::DoNotOptimize(c->PskRx_GetBitSyncStream1OutputDataEncodingMode(ch));
        benchmark::DoNotOptimize(c->Bert_GetTotalBits(ch));
        benchmark::DoNotOptimize(c->Bert_GetErrorBits(ch));
        benchmark::DoNotOptimize(c->Bert_GetBitRate(ch));
      }
    }
  }
  cards.clear();
  std::filesystem::remove_all(folder);
}
BENCHMARK(StatusReadOfSixCards)->Unit(benchmark::kMicrosecond);

// Six dual PCM/FM cards: the pulse given on all twelve channels, then (untimed) the pulse's
// length, then the tick that ends them all.
void XmitterPulseOfTwelveChannels(benchmark::State& state) {
  const std::string folder = ConfigureSixCards(2, "FM");
  // The library may still be loaded from the bench before: it reads the configuration again.
  void* hooks = testsupport::ResetSimLibrary(SimFolder());
  card::zp90class library;
  const bool loaded = hooks != nullptr && library.Load(SimFolder());
  if (hooks != nullptr) ::dlclose(hooks);
  if (!loaded) {
    state.SkipWithError("the simulated device library is not built");
    return;
  }
  std::vector<std::unique_ptr<card::kr20cardclass>> cards;
  for (int c = 0; c < 6; ++c) {
    cards.push_back(std::make_unique<card::kr20cardclass>(c, library, false));
    cards.back()->Open();
  }
  for (auto _ : state) {
    for (auto& c : cards) {
      for (int ch = 0; ch < 2; ++ch) c->FmRx_PulseXmitterIsDigital(ch);
    }
    state.PauseTiming();
    if (!cards.back()->XmitterPulsePending()) {
      state.SkipWithError("no pulse was given");
      break;
    }
    const auto due = std::chrono::steady_clock::now() + card::kXmitterPulseLength;
    while (std::chrono::steady_clock::now() < due) {
    }
    state.ResumeTiming();
    for (auto& c : cards) c->EndXmitterPulses();
  }
  for (auto& c : cards) {
    if (c->XmitterPulsePending()) state.SkipWithError("a pulse was left high");
  }
  cards.clear();
  std::filesystem::remove_all(folder);
}
BENCHMARK(XmitterPulseOfTwelveChannels)->Unit(benchmark::kMicrosecond);

}  // namespace
