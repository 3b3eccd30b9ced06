// The simulated card's spectrum and IQ buffers at their largest (16384 points, 16384 pairs), as
// the 0.2 s display task reads them for every card and channel on the user-interface thread. A
// single call has to stay far below a millisecond; "SixCardsDisplayRound" is one whole round.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "card/kr20card.h"
#include "card/zp90_binding.h"
#include "support/devicesim_support.h"
#include "support/scratch_folder.h"

namespace {

constexpr int kCards = 6;
constexpr int kPoints = 16384;

// Six cards: even ones PSK-PSK with a locked PSK signal on input 1 and, on input 2, a PSK signal
// too weak to lock (its constellation spins); odd ones PSK-FM with an FM signal on input 2.
struct SimulatedCards {
  testsupport::ScratchFolder scratch;
  card::zp90class library;
  std::vector<std::unique_ptr<card::kr20cardclass>> cards;
  std::string error;

  SimulatedCards() {
    const std::string folder = scratch.Path();
    if (folder.empty()) {
      error = "no scratch folder";
      return;
    }
    {
      std::ofstream config(folder + "/VirtualHardware.cfg");
      config << "[General]\nCards=" << kCards << "\nSeed=3\n";
      for (int c = 0; c < kCards; ++c) {
        config << "[Card_" << c << "]\nFpgaMode=" << c % 2 << "\nIfInput1=70e6, -40, PSK, 1e6, 14, NRZL\n"
               << (c % 2 == 0 ? "IfInput2=70.05e6, -42, PSK, 1e6, 0, NRZL\n" : "IfInput2=70e6, -42, FM, 1e6, 12, NRZL\n");
      }
    }
    ::setenv("QUORX_SIM_FOLDER", folder.c_str(), 1);
    const std::string sim = testsupport::SimFolder();
    void* handle = testsupport::ResetSimLibrary(sim);
    if (handle == nullptr || !library.Load(sim)) {
      error = "the simulated device library is not built";
      return;
    }
    for (int c = 0; c < kCards; ++c) {
      cards.push_back(std::make_unique<card::kr20cardclass>(c, library, false));
      cards.back()->Open();
      for (int ch = 0; ch < 2; ++ch) cards.back()->IQ_SetNumDataPoints(ch, kPoints);
    }
    // The carrier loops lock in simulated (here: real) time.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    if (cards[0]->PskRx_GetCarrierLockState(0) != "LOCKED" || cards[0]->PskRx_GetCarrierLockState(1) == "LOCKED") {
      error = "the receivers are not in the states the bench needs";
    }
  }
};

SimulatedCards& Cards() {
  static SimulatedCards cards;
  return cards;
}

// Spectrum of card 0 channel 0 (a PSK signal) or card 1 channel 1 (an FM signal).
void Spectrum(benchmark::State& state) {
  SimulatedCards& sim = Cards();
  if (!sim.error.empty()) {
    state.SkipWithError(sim.error.c_str());
    return;
  }
  const bool fm = state.range(0) != 0;
  card::kr20cardclass& c = *sim.cards[fm ? 1 : 0];
  std::vector<std::byte> buffer(kPoints * sizeof(double));
  std::uint8_t flag = 0;
  for (auto _ : state) {
    if (c.Fft_GetFftBuffer(fm ? 1 : 0, flag, buffer) != kPoints) {
      state.SkipWithError("short spectrum");
      return;
    }
    benchmark::DoNotOptimize(buffer.data());
  }
}
BENCHMARK(Spectrum)->ArgName("fm")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// IQ pairs of card 0's locked channel 0 or its spinning channel 1.
void Iq(benchmark::State& state) {
  SimulatedCards& sim = Cards();
  if (!sim.error.empty()) {
    state.SkipWithError(sim.error.c_str());
    return;
  }
  const int ch = static_cast<int>(state.range(0));
  std::vector<std::byte> buffer(kPoints * 2 * sizeof(double));
  std::uint8_t flag = 0;
  for (auto _ : state) {
    if (sim.cards[0]->IQ_GetIqBuffer(ch, flag, buffer) != kPoints) {
      state.SkipWithError("short IQ buffer");
      return;
    }
    benchmark::DoNotOptimize(buffer.data());
  }
}
BENCHMARK(Iq)->ArgName("spinning")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Every card's two spectra and its IQ buffers (where the personality has them).
void SixCardsDisplayRound(benchmark::State& state) {
  SimulatedCards& sim = Cards();
  if (!sim.error.empty()) {
    state.SkipWithError(sim.error.c_str());
    return;
  }
  std::vector<std::byte> spectrum(kPoints * sizeof(double));
  std::vector<std::byte> pairs(kPoints * 2 * sizeof(double));
  std::uint8_t flag = 0;
  for (auto _ : state) {
    for (auto& c : sim.cards) {
      for (int ch = 0; ch < 2; ++ch) {
        benchmark::DoNotOptimize(c->Fft_GetFftBuffer(ch, flag, spectrum));
        benchmark::DoNotOptimize(c->IQ_GetIqBuffer(ch, flag, pairs));
      }
    }
  }
}
BENCHMARK(SixCardsDisplayRound)->Unit(benchmark::kMillisecond);

}  // namespace
