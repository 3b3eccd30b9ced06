// The card object against the simulated device library (skipped when not built): what the fake
// table cannot show - a sweep engine that moves the carrier.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "card_test_support.h"
#include "card/kr20card.h"
#include "card/zp90_binding.h"
#include "support/log_capture.h"

namespace card {
namespace {

class DeviceSimTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = SimFolder();
    if (!std::filesystem::exists(folder_ + "/librtZp903x.so")) GTEST_SKIP() << "devicesim libraries not built";
    setenv("QUORX_SIM_FOLDER", program.Path().c_str(), 1);
  }
  void TearDown() override {
    if (hooks_ != nullptr) dlclose(hooks_);
  }

  // One PSK card running at power-up.
  void Configure() {
    const std::string text = "[General]\nCards=1\nSeed=7\n[Card_0]\nChipVariant=NO\nFpgaMode=0\n";
    ASSERT_TRUE(testsupport::WriteWholeFile(program / "VirtualHardware.cfg", text));
    ASSERT_TRUE(library.Load(folder_));
    // The same loaded image the binding uses, reset to read the configuration above.
    hooks_ = ResetSimLibrary(folder_);
    ASSERT_NE(hooks_, nullptr);
    card = std::make_unique<kr20cardclass>(0, library, false);
    ASSERT_TRUE(card->Open());
    ASSERT_TRUE(card->IsReady());
  }

  template <class F, class... A>
  void Hook(const char* name, A... args) {
    void* symbol = dlsym(hooks_, name);
    ASSERT_NE(symbol, nullptr) << name;
    F function = nullptr;
    std::memcpy(&function, &symbol, sizeof function);
    function(args...);
  }

  testsupport::LoggedProgramFolder program;
  std::string folder_;
  zp90class library;
  void* hooks_ = nullptr;
  std::unique_ptr<kr20cardclass> card;
};

TEST_F(DeviceSimTest, TheSweepEngineMovesTheCarrierAndResetsIt) {
  Configure();
  kr20cardclass& c = *card;
  Hook<void (*)(int)>("QuorxSim_UseManualClock", 1);
  c.Setup().Modulator.CarrierFreqMhz = 70.0;
  c.SetMod_SetIfCarrierRateInHz(70e6);
  c.SetMod_SetIfCarrierOn(true);
  ModSweepParamBlock block;
  block.SweepRateHz = 10000.0;
  block.StartFreqMhz = 69.95;
  block.NumProfiles = 1;
  block.StopFreqMhzAry[0] = 70.05;
  block.SinglePass = 1;
  ASSERT_TRUE(c.DoOnSetModulatorSweepProcess(block));
  EXPECT_TRUE(c.IsModulatorSweepRunning());

  Hook<int (*)(double)>("QuorxSim_AdvanceSeconds", 2.5);  // 25 kHz of the 100 kHz segment
  EXPECT_NEAR(c.GetModSweepCurrentFreqHz(), -25000.0, 100.0);
  EXPECT_NEAR(c.GetModSweepProgressPercent(0), 25.0, 0.5);
  ASSERT_TRUE(c.StopModulatorSweep());
  ASSERT_TRUE(c.ResetModulatorSweep());
  EXPECT_EQ(c.GetMod_IfCarrierRateInHz(), 70e6);
  Hook<void (*)(int)>("QuorxSim_UseManualClock", 0);
}

}  // namespace
}  // namespace card
