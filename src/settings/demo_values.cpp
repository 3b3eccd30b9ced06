#include "settings/demo_values.h"

#include <cmath>
#include <cstring>
#include <string_view>

namespace settings {
namespace {

constexpr double kDemoCarrierHz = 70'000'000.0;

void PutName(char (&field)[kStatusTextLen], std::string_view text) {
  const std::size_t length = text.size() < kStatusTextLen - 1 ? text.size() : kStatusTextLen - 1;
  std::memset(field, 0, kStatusTextLen);
  std::memcpy(field, text.data(), length);
}

bool DemoLocked() { return DemoRandom(100) > 30; }

}  // namespace

std::mt19937& DemoRandomEngine() {
  static std::mt19937 engine{std::random_device{}()};
  return engine;
}

int DemoRandom(int n) {
  if (n <= 0) return 0;
  return std::uniform_int_distribution<int>(0, n - 1)(DemoRandomEngine());
}

void FillDemoReceiver(ReceiverStatusBlock& block, DemoFamily family) {
  const bool locked = DemoLocked();
  const int r = DemoRandom(10);
  const bool pm = family == DemoFamily::Pm;
  switch (family) {
    case DemoFamily::Psk: PutName(block.ReceiverName, "SOQPSK"); break;
    case DemoFamily::PcmFm: PutName(block.ReceiverName, "PCM_FM"); break;
    case DemoFamily::Pm: PutName(block.ReceiverName, "PM"); break;
    case DemoFamily::MhCpm: PutName(block.ReceiverName, "MH_CPM"); break;
  }
  block.CarrierLocked = locked ? 1 : 0;
  block.CarrierFreqMhz = pm ? 70.3 : 70.2;
  block.SignalPowerDbm = -((pm ? 54.0 : 44.0) + r);
  block.TotalPowerDbm = -((pm ? 43.0 : 33.0) + r);
  if (!pm) block.SignalFilterBwRatio = 0.1 * r;
  block.ActualSignalFreqHz = kDemoCarrierHz;
  block.HighestSignalFreqHz = kDemoCarrierHz;
  block.LowestSignalFreqHz = kDemoCarrierHz;
}

void FillDemoBitSync(BitSyncStatusBlock& block, bool doubleRate) {
  const bool locked = DemoLocked();
  const int r = DemoRandom(10);
  block.Locked = locked ? 1 : 0;
  block.EbNoDb = 0.5 * r + 15.0;
  block.SymbolRate = r + 1'000'000.0;
  block.BitRate = doubleRate ? 2.0 * block.SymbolRate : block.SymbolRate;
  PutName(block.PcmInputCode, "RNRZ-15");
}

void FillDemoPostD(PostDStatusBlock& block) {
  const int r = DemoRandom(10);
  block.CombinerMode = r > 4 ? 1 : 0;
  block.SecondByte = r > 8 ? 1 : 0;
  block.TimerTaskByte = 0;
  block.CombiningGainDb = r / 9.0 + 1.0;
  block.ChanAEbNoDb = 0.5 * r + 15.0;
  block.ChanBEbNoDb = 0.5 * r + 15.0;
  block.ChanAScalePct = 0.5 * r + 75.0;
  block.ChanBScalePct = 0.5 * r + 76.0;
}

void FillDemoPreD(PreDStatusBlock& block) {
  const int r = DemoRandom(10);
  block.CombinerMode = r > 4 ? 1 : 0;
  block.SecondByte = r > 8 ? 1 : 0;
  block.ChanAMeasuredNoise = 0.5 * r + 15.0;
  block.ChanBMeasuredNoise = 0.5 * r + 15.0;
}

void FillDemoBert(BertStatusBlock& block) {
  const bool locked = DemoLocked();
  const int r = DemoRandom(10);
  block.Locked = locked ? 1 : 0;
  block.DataInverted = 0;
  block.BitRate = r + 1'000'000.0;
  block.BitErrorRate = std::pow(10.0, -(r + 3.0));
}

}  // namespace settings
