// The card objects against the simulated device libraries (skipped when not built): each wrapper
// family reads back what it set, images load with their messages, registers and the sweep answer.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "card_test_support.h"
#include "card/dncvt_card.h"
#include "card/fpga_module_registers.h"
#include "card/kr20card.h"
#include "card/zp90_binding.h"
#include "fake_zp90.h"
#include "support/log_capture.h"

namespace card {
namespace {

// The simulated library's test hooks, from the same loaded image the binding uses.
class SimHooks {
 public:
  explicit SimHooks(const std::string& path) : handle_(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {}
  ~SimHooks() {
    if (handle_ != nullptr) dlclose(handle_);
  }
  SimHooks(const SimHooks&) = delete;
  SimHooks& operator=(const SimHooks&) = delete;

  void Reset() const { Call<void (*)()>("QuorxSim_Reset"); }
  void UseManualClock(int on) const { Call<void (*)(int)>("QuorxSim_UseManualClock", on); }
  void Advance(double seconds) const { Call<int (*)(double)>("QuorxSim_AdvanceSeconds", seconds); }

 private:
  template <class F, class... A>
  void Call(const char* name, A... args) const {
    void* symbol = handle_ != nullptr ? dlsym(handle_, name) : nullptr;
    ASSERT_NE(symbol, nullptr) << name;
    F function = nullptr;
    std::memcpy(&function, &symbol, sizeof function);
    function(args...);
  }
  void* handle_;
};

class DeviceSimTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = SimFolder();
    if (!std::filesystem::exists(folder_ + "/librtZp903x.so")) GTEST_SKIP() << "devicesim libraries not built";
    setenv("QUORX_SIM_FOLDER", program.Path().c_str(), 1);
  }

  // One card of the given personality running at power-up, a PSK signal on IF input 1.
  void Configure(int fpgaMode, bool chipVariant, const std::string& extra = {}) {
    const std::string text = std::string("[General]\nCards=1\nSeed=7\n[Card_0]\nChipVariant=") +
                             (chipVariant ? "YES" : "NO") + "\nFpgaMode=" + std::to_string(fpgaMode) +
                             "\nIfInput1=70e6, -40, PSK, 1e6, 14, NRZL\n" + extra;
    ASSERT_TRUE(testsupport::WriteWholeFile(program / "VirtualHardware.cfg", text));
    ASSERT_TRUE(library.Load(folder_));
    hooks = std::make_unique<SimHooks>(library.Path());
    hooks->Reset();
    card = std::make_unique<kr20cardclass>(0, library, false);
    ASSERT_TRUE(card->Open());
    ASSERT_TRUE(card->IsReady());
  }

  testsupport::LoggedProgramFolder program;
  std::string folder_;
  zp90class library;
  std::unique_ptr<SimHooks> hooks;
  std::unique_ptr<kr20cardclass> card;
};

TEST_F(DeviceSimTest, TheCardOpensWithWhatItsPersonalityIsBuiltOf) {
  Configure(0, false);
  kr20cardclass& c = *card;
  EXPECT_EQ(Value(c.CardInfo().NumPskReceivers), 2);
  EXPECT_EQ(Value(c.CardInfo().NumFmReceivers), 0);
  EXPECT_EQ(Value(c.CardInfo().NumBerts), 2);
  EXPECT_FALSE(c.ChipVariant());
  EXPECT_GT(c.MaxDataRate(), 0u);
  EXPECT_TRUE(c.FirstFpgaPresent());
  EXPECT_GT(Value(c.FpgaInfo()[1].DeviceCount), 0);
  int fpga = -1;
  std::int64_t base = -1;
  ASSERT_TRUE(FindModSweepDevice(c.FpgaInfo(), fpga, base));
  EXPECT_EQ(fpga, 1);
}

TEST_F(DeviceSimTest, TheTestModulatorAndItsEncodersReadBackWhatTheyWereSet) {
  Configure(0, false);
  kr20cardclass& c = *card;
  // The manager's whole-setup push test reads the numbers back; here the switch both ways.
  c.SetMod_SetIfCarrierOn(true);
  EXPECT_TRUE(c.GetMod_GetIfCarrierOn());
  c.SetMod_SetIfCarrierOn(false);
  EXPECT_FALSE(c.GetMod_GetIfCarrierOn());

  std::vector<std::string> names;
  ASSERT_TRUE(c.GetMod_GetSupportedModulations(names));
  ASSERT_FALSE(names.empty());
  c.SetMod_SetModulationType(names.back());
  EXPECT_EQ(c.GetMod_GetModulationType(), names.back());
  ASSERT_TRUE(c.GetMod_GetAvailableModulatorModes(names));
  c.SetMod_SetModulatorMode(names.front());
  EXPECT_EQ(c.GetMod_GetModulatorMode(), names.front());

  ASSERT_TRUE(c.GetMod_GetPcmCh2AvailablePcmEncodings(names));
  c.SetMod_SetPcmCh2PcmEncoding(names.back());
  EXPECT_EQ(c.GetMod_GetPcmCh2PcmEncoding(), names.back());
  c.SetMod_SetPcm1Randomizer("RAND15_NRZL");
  EXPECT_EQ(c.GetMod_GetPcmCh1PcmRandScrambling(), "RAND15_NRZL");
  c.SetMod_SetPcmCh1InvertG2(true);
  EXPECT_TRUE(c.GetMod_GetPcmCh1InvertG2());

  // A name the library does not know is refused there: the setting stays.
  c.SetMod_SetPcm1Randomizer("NO_SUCH_RANDOMIZER");
  EXPECT_EQ(c.GetMod_GetPcmCh1PcmRandScrambling(), "RAND15_NRZL");
}

TEST_F(DeviceSimTest, ThePskReceiverBertsAndDisplaysReadBackWhatTheyWereSet) {
  Configure(0, false);
  kr20cardclass& c = *card;
  c.PskRx_SetCarrierCenterFrequencyInHz(1, 70.2e6);
  EXPECT_EQ(c.PskRx_GetCarrierCenterFrequencyInHz(1), 70.2e6);
  std::vector<std::string> names;
  ASSERT_TRUE(c.PskRx_GetCarrierModulationModeSupportedTypes(0, names));
  ASSERT_GE(names.size(), 2u);
  c.PskRx_SetCarrierModulationMode(0, names[1]);
  EXPECT_EQ(c.PskRx_GetCarrierModulationMode(0), names[1]);
  ASSERT_TRUE(c.PskRx_GetSignalRoutingSupportedTypes(0, names));
  c.PskRx_SetSignalRoutingStream1InvertLocation(0, names.back());
  EXPECT_EQ(c.PskRx_GetSignalRoutingStream1InvertLocation(0), names.back());
  EXPECT_EQ(c.PskRx_GetSignalRoutingStream2InvertLocation(0), names.back());

  ASSERT_TRUE(c.Bert_GetPnPatternList(1, names));
  c.Bert_SetPnPattern(1, names.front());
  EXPECT_EQ(c.Bert_GetPnPattern(1), names.front());
  c.Bert_SetUserPattern(1, "\xAB\xC0", 12);
  std::string pattern;
  int length = 0;
  ASSERT_TRUE(c.Bert_GetUserPattern(1, pattern, length));
  EXPECT_EQ(length, 12);
  EXPECT_EQ(FormatUserPatternText(pattern, length, 1), "0xabc");

  ASSERT_TRUE(c.TxBert_GetPnPatternList(0, names));
  c.TxBert_SetPnPattern(0, names.back());
  EXPECT_EQ(c.TxBert_GetPnPattern(0), names.back());
  c.TxBert_SetUserPattern(0, "\x81", 8);
  ASSERT_TRUE(c.TxBert_GetUserPattern(0, pattern, length));
  EXPECT_EQ(FormatUserPatternText(pattern, length, 2), "10000001");

  c.Fft_SetFrequencySpanInHz(0, 5e6);
  EXPECT_EQ(c.Fft_GetFrequencySpanInHz(0), 5e6);
  std::vector<std::byte> points(8 * 512);
  std::uint8_t flag = 0;
  EXPECT_GT(c.Fft_GetFftBuffer(0, flag, points), 0);
  c.IQ_SetRunIQData(0, true);
  EXPECT_TRUE(c.IQ_GetRunIQData(0));
  c.IQ_SetNumDataPoints(0, 256);
  std::vector<std::byte> pairs(16 * 1024);
  const int count = c.IQ_GetIqBuffer(0, flag, pairs);
  EXPECT_GT(count, 0);
  EXPECT_LE(count, 1024);
}

TEST_F(DeviceSimTest, ThePcmFmReceiversAndThePostDCombinerReachTheirModules) {
  Configure(12, true);  // FM-FM V POST-D
  kr20cardclass& c = *card;
  EXPECT_TRUE(c.ChipVariant());
  EXPECT_EQ(Value(c.CardInfo().NumFmReceivers), 2);
  c.FmRx_SetBitSyncRateInbps(1, 2e6);
  EXPECT_EQ(c.FmRx_GetBitSyncRateInbps(1), 2e6);
  c.FmRx_SetCarrierAcquisitionLoopBandwidthInHz(0, 4000.0);
  EXPECT_EQ(c.FmRx_GetCarrierAcquisitionLoopBandwidthInHz(0), 4000.0);
  std::vector<std::string> names;
  ASSERT_TRUE(c.FmRx_GetViterbiRateModeSupportedTypes(0, names));
  c.FmRx_SetViterbiRateMode(0, names.front());
  EXPECT_EQ(c.FmRx_GetViterbiRateMode(0), names.front());
  c.FmRx_PulseXmitterIsDigital(0);

  ASSERT_TRUE(c.PostD_GetAvailableDiversityOutputs(names));
  c.PostD_SetDiversityOutput(names.back());
  EXPECT_EQ(c.PostD_GetDiversityOutput(), names.back());
  EXPECT_EQ(c.PskRx_GetCarrierModulationMode(0), "BAD");  // no PSK receiver in this personality

  ASSERT_TRUE(c.Dev176_SetValue(2, fmrx_reg::kBitsyncConfidenceWeight, 1234));
  std::array<std::uint32_t, 1> weight{};
  ASSERT_TRUE(c.Dev176_ReadValues(2, fmrx_reg::kBitsyncConfidenceWeight, weight));
  EXPECT_EQ(weight[0], 1234u);
  EXPECT_TRUE(c.ApplyModIndexLockThreshold(0, 0.5, true));
  std::array<std::uint32_t, 1> threshold{};
  ASSERT_TRUE(c.Dev176_ReadValues(2, fmrx_reg::kModIndexLockThreshold, threshold));
  EXPECT_EQ(threshold[0], 544u);  // built-in: 64 + 960 x 0.5
  ASSERT_TRUE(c.Dev188_SetValue(postd_reg::kFmConfidenceWeight, 55));

  c.Setup().RouteInfo.RouteMode = 1;
  c.DoOnSetFpga0RegB00Bits(true);
  std::array<std::uint32_t, 1> routing{};
  ASSERT_TRUE(c.Dtrd_PeekRegOnFpga(0, kFpga0RoutingRegister, routing, 1));
  EXPECT_EQ(routing[0] & (kRoutingSelectEnable | kRoutingCombinedOnCh2), kRoutingSelectEnable | kRoutingCombinedOnCh2);
}

TEST_F(DeviceSimTest, ThePreDCombinerPmAndMultiHCpmReceiversReachTheLibrary) {
  Configure(5, true);  // PSK-PSK V PRE-D
  card->PreD_SetTimeConstInSec(0.25);
  EXPECT_EQ(card->PreD_GetTimeConstInSec(), 0.25);
  std::vector<std::string> names;
  ASSERT_TRUE(card->PreD_GetAvailableNoiseEstimateModes(names));
  card->PreD_SetNoiseEstimateMode(names.back());
  EXPECT_EQ(card->PreD_GetNoiseEstimateMode(), names.back());

  Configure(13, true);  // PM-PSK V
  card->PmRx_SetCarrierCenterFrequencyInHz(0, 70.3e6);
  EXPECT_EQ(card->PmRx_GetCarrierCenterFrequencyInHz(0), 70.3e6);
  card->PmRx_SetCarrierTrackLoopBandwidthInHz(0, 800.0);
  EXPECT_EQ(card->PmRx_GetCarrierTrackLoopBandwidthInHz(0), 800.0);

  Configure(14, true);  // MHCPM-PSK V PRE-D
  card->MhCpmRx_SetTotalSetup(0, "NRZL", false, "RISING_EDGE", "NRZL", 1e6, 1e5, 70.0, 0.1, 0.5);
  MhCpmStatusValues values;
  values.LockState = -7;
  ASSERT_TRUE(card->MhCpmRx_GetStatusValues(0, values));
  EXPECT_GE(values.LockState, 0);
}

TEST_F(DeviceSimTest, RegistersAreReadThroughBothWindowsOfFpga0) {
  Configure(0, false);
  ASSERT_TRUE(card->Dtrd_PokeRegOnFpga(1, 0xF00, 0xCAFE));
  std::array<std::uint32_t, 2> values{};
  ASSERT_TRUE(card->Dtrd_PeekRegOnFpga(1, 0xF00, values, 1));
  EXPECT_EQ(values[0], 0xCAFEu);
  ASSERT_TRUE(card->Dtrd_PokeRegOnFpga(0, 0xF10, 0xBEEF));
  ASSERT_TRUE(card->Dtrd_PeekRegOnFpga(0, kFpga0WindowBase + 0xF10, values, 1));
  EXPECT_EQ(values[0], 0xBEEFu);
}

TEST_F(DeviceSimTest, TheSweepEngineMovesTheCarrierAndResetsIt) {
  Configure(0, false);
  kr20cardclass& c = *card;
  hooks->UseManualClock(1);
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

  hooks->Advance(2.5);  // 25 kHz of the 100 kHz segment
  const double offset = c.GetModSweepCurrentFreqHz();
  EXPECT_NEAR(offset, -25000.0, 100.0);
  EXPECT_NEAR(c.GetModSweepProgressPercent(0), 25.0, 0.5);

  ASSERT_TRUE(c.StopModulatorSweep());
  EXPECT_FALSE(c.IsModulatorSweepRunning());
  ASSERT_TRUE(c.ResetModulatorSweep());
  EXPECT_EQ(c.GetModSweepCurrentFreqHz(), 0.0);
  EXPECT_EQ(c.GetMod_IfCarrierRateInHz(), 70e6);
  hooks->UseManualClock(0);
}

TEST_F(DeviceSimTest, APersonalityImageLoadsBetweenTheTwoMessages50001) {
  Configure(-1, false);
  kr20cardclass& c = *card;
  EXPECT_FALSE(c.FirstFpgaPresent());
  const std::string images = program / "SYSTEM/HARDWARECONFIGURATION/KR20_BIN";
  ASSERT_TRUE(MakeFpgaImages(program, folder_));
  c.SetFpgaImage(2, 0, images + "/" + FpgaImageFileName(2));
  c.LoadState().DesiredFpgaMode = 2;
  testing::RecordingMainWindow window;

  ASSERT_TRUE(c.EnsureFpgasLoaded());
  ASSERT_EQ(window.messages.size(), 2u);
  EXPECT_EQ(window.messages[0].lParam, 1);
  EXPECT_EQ(window.messages[1].lParam, 0);
  EXPECT_TRUE(c.FirstFpgaPresent());
  EXPECT_EQ(Value(c.CardInfo().NumFmReceivers), 2);
  EXPECT_EQ(Value(c.LoadState().CurrentFpgaMode), 2);
  c.FmRx_SetBitSyncRateInbps(0, 3e6);
  EXPECT_EQ(c.FmRx_GetBitSyncRateInbps(0), 3e6);

  // An image of the other board is refused by the card; the end message still comes.
  c.SetFpgaImage(10, 0, images + "/" + FpgaImageFileName(10));
  c.LoadState().DesiredFpgaMode = 10;
  EXPECT_FALSE(c.EnsureFpgasLoaded());
  EXPECT_EQ(window.messages.size(), 4u);
  EXPECT_EQ(Value(c.LoadState().CurrentFpgaMode), 2);
}

TEST_F(DeviceSimTest, DownConverterCardsTuneAndRead) {
  ASSERT_TRUE(testsupport::WriteWholeFile(program / "VirtualHardware.cfg",
                                          "[DownConverters]\nKr12Cards=1\nKr12Channels=2\nKr14Cards=2\n"));
  for (const DnCvtLibraryKind kind : {DnCvtLibraryKind::Kr12, DnCvtLibraryKind::Kr14}) {
    dncvtlibclass converters(kind);
    ASSERT_TRUE(converters.Load(folder_));
    ASSERT_GE(CountDnCvtCards(converters), 1);
    const std::unique_ptr<dncvtcardclass> converter = MakeDnCvtCard(0, converters);
    ASSERT_TRUE(converter->Open());
    ASSERT_GE(converter->ChannelCount(), 1);
    DnCvtChannelRecord record{};
    ASSERT_TRUE(converter->ReadChannelTables(0, record));
    const double start = Value(record.FreqBands[0].StartMhz);
    const double stop = Value(record.FreqBands[0].StopMhz);
    ASSERT_GT(stop, start);
    EXPECT_TRUE(converter->SetFrequencyMhz(0, (start + stop) / 2.0));
    EXPECT_TRUE(converter->SetIfBandwidth(0, 0));
    EXPECT_TRUE(converter->SetAgcFreeze(0, true));
    double dbm = 1.0;
    EXPECT_TRUE(converter->ReadStrength(0, dbm));
    EXPECT_LT(dbm, 0.0);
    EXPECT_FALSE(converter->SetFrequencyMhz(converter->ChannelCount(), start));
    converter->Close();
  }
}

}  // namespace
}  // namespace card
