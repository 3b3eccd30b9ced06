// The card objects against the simulated device library (skipped when not built): what the fake
// table cannot show - real tables of contents, buffers, registers and the sweep engine.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "card_test_support.h"
#include "card/fpga_module_registers.h"
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

  // One card of the given personality running at power-up, a PSK signal on IF input 1.
  void Configure(int fpgaMode, bool chipVariant) {
    const std::string text = std::string("[General]\nCards=1\nSeed=7\n[Card_0]\nChipVariant=") +
                             (chipVariant ? "YES" : "NO") + "\nFpgaMode=" + std::to_string(fpgaMode) +
                             "\nIfInput1=70e6, -40, PSK, 1e6, 14, NRZL\n";
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

TEST_F(DeviceSimTest, ThePskCardOpensWithItsModulesAndItsBuffersFit) {
  Configure(0, false);
  kr20cardclass& c = *card;
  EXPECT_EQ(Value(c.CardInfo().NumPskReceivers), 2);
  EXPECT_EQ(Value(c.CardInfo().NumBerts), 2);
  EXPECT_FALSE(c.ChipVariant());
  EXPECT_GT(c.MaxDataRate(), 0u);
  int fpga = -1;
  std::int64_t base = -1;
  ASSERT_TRUE(FindModSweepDevice(c.FpgaInfo(), fpga, base));
  EXPECT_EQ(fpga, 1);


  std::vector<std::byte> points(8 * 512);
  std::uint8_t flag = 0;
  EXPECT_GT(c.Fft_GetFftBuffer(0, flag, points), 0);
  c.IQ_SetRunIQData(0, true);
  c.IQ_SetNumDataPoints(0, 256);
  std::vector<std::byte> pairs(16 * 1024);
  const int count = c.IQ_GetIqBuffer(0, flag, pairs);
  EXPECT_GT(count, 0);
  EXPECT_LE(count, 1024);
}

TEST_F(DeviceSimTest, RegistersAreReadThroughBothWindowsOfFpga0) {
  Configure(0, false);
  ASSERT_TRUE(card->Dtrd_PokeRegOnFpga(1, 0xF00, 0xCAFE));
  std::array<std::uint32_t, 1> values{};
  ASSERT_TRUE(card->Dtrd_PeekRegOnFpga(1, 0xF00, values, 1));
  EXPECT_EQ(values[0], 0xCAFEu);
  ASSERT_TRUE(card->Dtrd_PokeRegOnFpga(0, 0xF10, 0xBEEF));
  ASSERT_TRUE(card->Dtrd_PeekRegOnFpga(0, kFpga0WindowBase + 0xF10, values, 1));
  EXPECT_EQ(values[0], 0xBEEFu);
}

TEST_F(DeviceSimTest, ThePcmFmModulesAreFoundThroughTheRealTablesOfContents) {
  Configure(12, true);  // FM-FM V POST-D
  kr20cardclass& c = *card;
  EXPECT_EQ(Value(c.CardInfo().NumFmReceivers), 2);
  ASSERT_TRUE(c.Dev176_SetValue(2, fmrx_reg::kBitsyncConfidenceWeight, 1234));
  std::array<std::uint32_t, 1> value{};
  ASSERT_TRUE(c.Dev176_ReadValues(2, fmrx_reg::kBitsyncConfidenceWeight, value));
  EXPECT_EQ(value[0], 1234u);
  EXPECT_TRUE(c.ApplyModIndexLockThreshold(0, 0.5, true));
  ASSERT_TRUE(c.Dev176_ReadValues(2, fmrx_reg::kModIndexLockThreshold, value));
  EXPECT_EQ(value[0], 544u);  // built-in: 64 + 960 x 0.5
  ASSERT_TRUE(c.Dev188_SetValue(postd_reg::kFmConfidenceWeight, 55));

  c.Setup().RouteInfo.RouteMode = 1;
  c.DoOnSetFpga0RegB00Bits(true);
  ASSERT_TRUE(c.Dtrd_PeekRegOnFpga(0, kFpga0RoutingRegister, value, 1));
  EXPECT_EQ(value[0] & (kRoutingSelectEnable | kRoutingCombinedOnCh2), kRoutingSelectEnable | kRoutingCombinedOnCh2);
}

TEST_F(DeviceSimTest, TheSweepEngineMovesTheCarrierAndResetsIt) {
  Configure(0, false);
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
  EXPECT_FALSE(c.IsModulatorSweepRunning());
  ASSERT_TRUE(c.ResetModulatorSweep());
  EXPECT_EQ(c.GetMod_IfCarrierRateInHz(), 70e6);
  Hook<void (*)(int)>("QuorxSim_UseManualClock", 0);
}

}  // namespace
}  // namespace card
