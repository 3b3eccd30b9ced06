// One full status read of six virtual cards, two channels each: the getters the 10 Hz channel
// status reader calls for a PSK channel with its stream-1 bit synchroniser, and the 1 Hz BERT
// counters. It has to stay far below the 10 ms master-timer period.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "card/kr20card.h"
#include "card/zp90_binding.h"

namespace {

std::string SimFolder() {
  return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "devicesim").string();
}

void StatusReadOfSixCards(benchmark::State& state) {
  char pattern[] = "/tmp/quorx-bench-XXXXXX";
  const std::string folder = ::mkdtemp(pattern);
  {
    std::ofstream config(folder + "/VirtualHardware.cfg");
    config << "[General]\nCards=6\nSeed=3\n";
    for (int card = 0; card < 6; ++card) {
      config << "[Card_" << card << "]\nFpgaMode=0\nIfInput1=70e6, -40, PSK, 1e6, 14, NRZL\n"
             << "IfInput2=70e6, -42, PSK, 1e6, 12, NRZL\n";
    }
  }
  ::setenv("QUORX_SIM_FOLDER", folder.c_str(), 1);

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

}  // namespace
