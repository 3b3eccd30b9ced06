// The status tasks of one master-timer tick with six virtual cards: the 10 Hz channel status pass
// and the 25 Hz combiner and down-converter pass, as the set manager runs them.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "card/hwcfg_manager.h"
#include "card/rtl20_manager.h"
#include "settings/set_manager.h"

namespace {

std::string SimFolder() {
  return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "devicesim").string();
}

// Six variant cards: PSK-PSK with pre-D, PSK-PSK with post-D and PSK-FM, twice each.
struct SixCards {
  std::unique_ptr<quorxrtl20mgrclass> cards;
  std::unique_ptr<quorxhwcfgmgrclass> hwcfg;
  std::unique_ptr<kr20setmgrclass> manager;

  bool Open() {
    char pattern[] = "/tmp/quorx-bench-XXXXXX";
    const char* made = ::mkdtemp(pattern);
    if (made == nullptr) return false;
    const std::string folder = made;
    {
      std::ofstream config(folder + "/VirtualHardware.cfg");
      config << "[General]\nCards=6\nSeed=3\nChipVariant=YES\n";
      const int modes[] = {5, 6, 7, 5, 6, 7};
      for (int card = 0; card < 6; ++card) {
        config << "[Card_" << card << "]\nFpgaMode=" << modes[card] << "\nIfInput1=70e6, -40, PSK, 1e6, 14, NRZL\n"
               << "IfInput2=70e6, -42, FM, 1e6, 12, NRZL\n";
      }
      config << "[DownConverters]\nKr12Cards=0\nKr14Cards=0\n";
    }
    ::setenv("QUORX_SIM_FOLDER", folder.c_str(), 1);
    // The card manager writes its FPGA configuration into the program folder: keep it out of
    // the folder the bench was started from.
    std::error_code error;
    std::filesystem::current_path(folder, error);
    if (error) return false;
    cards = std::make_unique<quorxrtl20mgrclass>(SimFolder());
    if (!cards->DoAfterHwCfgMgrLoaded() || !cards->OpenCards(false, 6)) return false;
    hwcfg = std::make_unique<quorxhwcfgmgrclass>();
    for (int card = 0; card < 6; ++card) {
      hwcfg->CardSetRecords[static_cast<std::size_t>(card)] = card::HwCfgCardSetRecord{card, 0, {-1, -1}};
    }
    gRtl20Mgr = cards.get();
    gHwCfgMgr = hwcfg.get();
    manager = std::make_unique<kr20setmgrclass>();
    return true;
  }
  ~SixCards() {
    manager.reset();
    gHwCfgMgr = nullptr;
    gRtl20Mgr = nullptr;
  }
};

void StatusPassesOfSixCards(benchmark::State& state) {
  SixCards six;
  if (!std::filesystem::exists(SimFolder() + "/librtZp903x.so") || !six.Open()) {
    state.SkipWithError("the simulated device library is not built or the cards did not open");
    return;
  }
  for (auto _ : state) {
    six.manager->RefreshChannelStatus();
    six.manager->RefreshCombinerAndDownConverterStatus();
    benchmark::DoNotOptimize(six.manager->StatusRecord(5, 1));
  }
}
BENCHMARK(StatusPassesOfSixCards)->Unit(benchmark::kMicrosecond);

}  // namespace
