// The card object against the simulated device library (skipped when not built): what the fake
// table cannot show - a sweep engine that moves the carrier, a transmitter-is-digital pulse on a
// real control.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "card_test_support.h"
#include "card/kr20card.h"
#include "card/zp90_binding.h"
#include "support/log_capture.h"

namespace card {
namespace {

using Clock = std::chrono::steady_clock;

// The library's transmitter-is-digital entry with a log of its writes: a 1 stamped once the call
// has returned (the control is surely 1), a 0 before the call is made (the control is surely
// still 1), so that the gap between them is a lower bound of the pulse.
struct ControlWrite {
  int value;
  Clock::time_point at;
};
std::vector<ControlWrite> gControlWrites;
int (*gSetXmitterIsDigital)(int, int, int) = nullptr;

int LoggedSetXmitterIsDigital(int card, int rx, int on) {
  if (on == 0) gControlWrites.push_back({on, Clock::now()});
  const int status = gSetXmitterIsDigital(card, rx, on);
  if (on != 0) gControlWrites.push_back({on, Clock::now()});
  return status;
}

class DeviceSimTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = SimFolder();
    if (!std::filesystem::exists(folder_ + "/librtZp903x.so")) GTEST_FAIL() << "devicesim libraries not built (the build makes them)";
    setenv("QUORX_SIM_FOLDER", program.Path().c_str(), 1);
  }
  void TearDown() override {
    if (hooks_ != nullptr) dlclose(hooks_);
  }

  // One card running personality `mode` at power-up; with `logged` its transmitter-is-digital
  // writes go through the log.
  void Configure(int mode = 0, bool logged = false) {
    const std::string text =
        "[General]\nCards=1\nSeed=7\n[Card_0]\nChipVariant=NO\nFpgaMode=" + std::to_string(mode) + "\n";
    ASSERT_TRUE(testsupport::WriteWholeFile(program / "VirtualHardware.cfg", text));
    ASSERT_TRUE(library.Load(folder_));
    // The same loaded image the binding uses, reset to read the configuration above.
    hooks_ = ResetSimLibrary(folder_);
    ASSERT_NE(hooks_, nullptr);
    table_ = library.Fn();
    if (logged) {
      gControlWrites.clear();
      gSetXmitterIsDigital = table_.FmRx_SetXmitterIsDigital;
      table_.FmRx_SetXmitterIsDigital = &LoggedSetXmitterIsDigital;
    }
    card = std::make_unique<kr20cardclass>(0, table_, false);
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
  Zp90Functions table_{};
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

// The pulse is given without a wait: the call returns with the control at 1, and the control goes
// back to 0 at a later tick, never before the pulse's length has passed.
TEST_F(DeviceSimTest, TheXmitterIsDigitalPulseReturnsAtOnceAndLastsItsLength) {
  Configure(1, true);  // PSK + PCM/FM: the FM receiver on channel 1
  kr20cardclass& c = *card;
  ASSERT_FALSE(c.FmRx_GetXmitterIsDigital(1));
  c.FmRx_PulseXmitterIsDigital(1);
  EXPECT_TRUE(c.FmRx_GetXmitterIsDigital(1));
  ASSERT_EQ(gControlWrites.size(), 1u);
  const auto deadline = Clock::now() + std::chrono::seconds(5);
  while (c.XmitterPulsePending() && Clock::now() < deadline) c.EndXmitterPulses();
  EXPECT_FALSE(c.FmRx_GetXmitterIsDigital(1));
  ASSERT_EQ(gControlWrites.size(), 2u);
  EXPECT_EQ(gControlWrites[0].value, 1);
  EXPECT_EQ(gControlWrites[1].value, 0);
  EXPECT_GE(gControlWrites[1].at - gControlWrites[0].at, kXmitterPulseLength);
  c.EndXmitterPulses();
  EXPECT_EQ(gControlWrites.size(), 2u);
}

}  // namespace
}  // namespace card
