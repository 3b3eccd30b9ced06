// The test modulator looped back into the receivers, its sweep engine, the diversity combiner,
// and the spectrum and IQ buffers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "sim_library.h"

namespace simtest {
namespace {

// The doubles of a display block, which starts at an odd offset (the blocks are packed).
std::vector<double> Doubles(const std::vector<unsigned char>& bytes, int count) {
  std::vector<double> values(static_cast<std::size_t>(count));
  std::memcpy(values.data(), bytes.data() + 1, values.size() * sizeof(double));
  return values;
}

class ModulatorTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    UseConfig(ConfigText("IfInput1=NONE\nIfInput2=NONE"));
    Load(0, 0);
  }

  // Carrier at 70 MHz, BPSK from transmit BERT 1 at `bps`, noise at `cno` dB-Hz.
  void TransmitBpsk(double bps, double cno) {
    ASSERT_EQ(F().SetMod_SetIfCarrierRateInHz(0, 70e6), card::kDevOk);
    ASSERT_EQ(F().SetMod_SetIfCarrierLevel(0, -30.0), card::kDevOk);
    ASSERT_EQ(F().SetMod_SetModulationType(0, "BPSK"), card::kDevOk);
    ASSERT_EQ(F().TxBert_SetBitRate(0, 0, bps), card::kDevOk);
    ASSERT_EQ(F().TxBert_SetPnPattern(0, 0, "pn15"), card::kDevOk);
    ASSERT_EQ(F().SetMod_SetCarrierToNoiseLevel(0, cno), card::kDevOk);
    ASSERT_EQ(F().SetMod_SetEnableNoiseGeneration(0, 1), card::kDevOk);
    ASSERT_EQ(F().SetMod_SetIfModulationOn(0, 1), card::kDevOk);
    ASSERT_EQ(F().SetMod_SetIfCarrierOn(0, 1), card::kDevOk);
  }

  // Found the way the card object finds it: through FPGA 1's table of contents.
  std::uint32_t SweepBase() {
    int count = 0;
    EXPECT_EQ(F().Card_GetFpgaTocCount(0, 1, &count), card::kDevOk);
    for (int i = 0; i < count; ++i) {
      int entry = 0, major = 0, minor = 0, fpgaInstance = 0, cardInstance = 0, code = 0;
      std::uint32_t type = 0, base = 0;
      EXPECT_EQ(F().Card_GetFpgaTocEntry(0, 1, i, &entry, &type, &major, &minor, &base, &fpgaInstance, &cardInstance,
                                         &code),
                card::kDevOk);
      if (type == card::kDevTypeModSweep) return base;
    }
    ADD_FAILURE() << "no sweep engine";
    return 0;
  }
  std::uint32_t Peek(int fpga, std::uint32_t reg) {
    std::uint32_t value = 0xDEADBEEF;
    EXPECT_EQ(F().Dtrd_PeekRegOnFpga(0, fpga, reg, &value, 1), card::kDevOk);
    return value;
  }
};

TEST_F(ModulatorTest, LoopedBackCarrierIsReceivedWithTheEbNoOfItsNoiseSetting) {
  TransmitBpsk(2e6, 70.0);  // Eb/No = 70 - 63 = 7 dB
  TunePsk(0, 0, 2e6);
  Advance(0.5);
  EXPECT_EQ(Text(F().PskRx_GetCarrierLockState, 0, 0), "LOCKED");
  EXPECT_NEAR(Number(F().PskRx_GetBitSyncStream1SignalEbNo, 0, 0), 7.0, 0.7);
  EXPECT_NEAR(Number(F().PskRx_GetReceiverSignalPowerIndBm, 0, 0), -30.0, 0.5);
  EXPECT_EQ(Text(F().Bert_GetLockState, 0, 0), "LOCKED");
}

TEST_F(ModulatorTest, TransmitBertErrorsAndInvertedDataReachTheReceiveBert) {
  TransmitBpsk(1e6, 100.0);
  ASSERT_EQ(F().TxBert_SetBitErrorRate(0, 0, 1e-2), card::kDevOk);
  ASSERT_EQ(F().TxBert_SetDataPolarity(0, 0, "invert"), card::kDevOk);
  TunePsk(0, 0, 1e6);
  Advance(0.5);
  EXPECT_EQ(Text(F().Bert_GetInvertState, 0, 0), "INVERT");
  ASSERT_EQ(F().Bert_ResetMeasures(0, 0), card::kDevOk);
  Advance(1.0);
  EXPECT_NEAR(Number(F().Bert_GetErrorBits, 0, 0) / 1e6, 1e-2, 1e-3);
}

TEST_F(ModulatorTest, SweepEngineMovesTheCarrierAtItsRateAndStopsAtTheStopOffset) {
  namespace reg = card::modsweep_reg;
  TransmitBpsk(100e3, 90.0);
  TunePsk(0, 0, 100e3);
  Advance(0.5);
  const std::uint32_t base = SweepBase();
  ASSERT_EQ(F().Dtrd_PokeRegOnFpga(0, 1, base + reg::kRateHzPerSec, 1000), card::kDevOk);
  ASSERT_EQ(F().Dtrd_PokeRegOnFpga(0, 1, base + reg::kStartOffsetHz, 0), card::kDevOk);
  ASSERT_EQ(F().Dtrd_PokeRegOnFpga(0, 1, base + reg::kStopOffsetHz, static_cast<std::uint32_t>(-5000)), card::kDevOk);
  ASSERT_EQ(F().Dtrd_PokeRegOnFpga(0, 1, base + reg::kControl, reg::kControlStart), card::kDevOk);
  Advance(2.0);
  EXPECT_EQ(static_cast<std::int32_t>(Peek(1, base + reg::kCurrentOffsetHz)), -2000);
  EXPECT_NEAR(Number(F().PskRx_GetCarrierActualSignalFrequencyInHz, 0, 0), 70e6 - 2000, 20.0);
  Advance(5.0);
  EXPECT_EQ(static_cast<std::int32_t>(Peek(1, base + reg::kCurrentOffsetHz)), -5000);
  EXPECT_EQ(Peek(1, base + reg::kStatus), reg::kStatusDone);
}

TEST_F(ModulatorTest, RegistersAnswerInBothWindowsAndRefuseAddressesPastTheEnd) {
  EXPECT_EQ(Peek(0, 0), card::gpio_reg::kCardId);
  ASSERT_EQ(F().Dtrd_PokeRegOnFpga(0, 0, 0x7F0, 0x12345678), card::kDevOk);
  EXPECT_EQ(Peek(0, card::kFpga0WindowBase + 0x7F0), 0x12345678u);
  std::uint32_t values[4] = {1, 2, 3, 4};
  EXPECT_EQ(F().Dtrd_PeekRegOnFpga(0, 0, 4094, values, 3), card::kDevBadArgument);
  EXPECT_EQ(values[0], 1u);  // nothing written
  EXPECT_EQ(F().Dtrd_PeekRegOnFpga(0, 0, 4093, values, 3), card::kDevOk);
  EXPECT_EQ(F().Dtrd_PokeRegOnFpga(0, 1, card::kFpga0WindowBase, 1), card::kDevBadArgument);  // FPGA 1's window is at 0
  EXPECT_EQ(F().Dtrd_PokeRegOnFpga(0, 0, card::kFpga0WindowBase + 4096, 1), card::kDevBadArgument);
  EXPECT_EQ(F().Dtrd_PokeRegOnFpga(0, 2, 0, 1), card::kDevBadChannel);
}

class CombinerTest : public SimTest {};

TEST_F(CombinerTest, PreDCombinerAddsTheInputsEbNo) {
  UseConfig(ConfigText("IfInput1=NONE\nIfInput2=NONE",
                       "IfInput1=70e6, -45, BPSK, 1e6, 8, NRZL\nIfInput2=70e6, -48, BPSK, 1e6, 8, NRZL"));
  Load(1, 5);
  TunePsk(1, 0, 1e6);
  ASSERT_EQ(F().PskRx_SetReceiverInputSourceMode(1, 0, "DIVERSITY_COMBINER"), card::kDevOk);
  Advance(0.5);
  EXPECT_NEAR(Number(F().PskRx_GetBitSyncStream1SignalEbNo, 1, 0), 11.0, 0.6);
  ASSERT_EQ(F().PreD_SetDiversityOutput(1, "CHANNEL_B_OUTPUT"), card::kDevOk);
  Advance(0.5);
  EXPECT_NEAR(Number(F().PskRx_GetBitSyncStream1SignalEbNo, 1, 0), 8.0, 0.6);
}

// The standard board's PSK+PSK and PSK+PCM/FM images carry the pre-D combiner the card layer
// runs their combining modes with: a receiver fed from "DIVERSITY_COMBINER" sees both inputs.
TEST_F(CombinerTest, TheStandardBoardsPreDImagesCombine) {
  UseConfig(ConfigText("IfInput1=70e6, -45, BPSK, 1e6, 8, NRZL\nIfInput2=70e6, -48, BPSK, 1e6, 8, NRZL"));
  Load(0, 0);
  TunePsk(0, 1, 1e6);
  ASSERT_EQ(F().PskRx_SetReceiverInputSourceMode(0, 1, "DIVERSITY_COMBINER"), card::kDevOk);
  Advance(0.5);
  EXPECT_NEAR(Number(F().PskRx_GetBitSyncStream1SignalEbNo, 0, 1), 11.0, 0.6);

  UseConfig(ConfigText("IfInput1=70e6, -45, PCM_FM, 1e6, 8, NRZL\nIfInput2=70e6, -48, PCM_FM, 1e6, 8, NRZL"));
  Load(0, 1);
  ASSERT_EQ(F().FmRx_SetCarrierCenterFrequencyInHz(0, 1, 70e6), card::kDevOk);
  ASSERT_EQ(F().FmRx_SetBitSyncRateInbps(0, 1, 1e6), card::kDevOk);
  ASSERT_EQ(F().FmRx_SetReceiverInputSourceMode(0, 1, "IF_INPUT2"), card::kDevOk);
  Advance(0.5);
  EXPECT_NEAR(Number(F().FmRx_GetBitSyncSignalEbNo, 0, 1), 8.0, 0.6);
  ASSERT_EQ(F().FmRx_SetReceiverInputSourceMode(0, 1, "DIVERSITY_COMBINER"), card::kDevOk);
  Advance(0.5);
  EXPECT_NEAR(Number(F().FmRx_GetBitSyncSignalEbNo, 0, 1), 11.0, 0.6);
}

class DisplayTest : public SimTest {};

TEST_F(DisplayTest, SpectrumPeaksAtTheCarrierAboveTheNoiseWithTheAskedPoints) {
  UseConfig(ConfigText("IfInput1=70.5e6, -40, BPSK, 100e3, 25, NRZL\nIfInput2=NONE"));
  Load(0, 0);
  ASSERT_EQ(F().Fft_SetCenterFrequencyInHz(0, 0, 70e6), card::kDevOk);
  ASSERT_EQ(F().Fft_SetFrequencySpanInHz(0, 0, 4e6), card::kDevOk);
  Advance(0.1);
  constexpr int kPoints = 1001;
  std::vector<unsigned char> bytes(1 + kPoints * 8);
  unsigned char flag = 1;
  int count = 0;
  ASSERT_EQ(F().Fft_GetFftBuffer(0, 0, &flag, bytes.data() + 1, kPoints, &count), card::kDevOk);
  ASSERT_EQ(count, kPoints);
  EXPECT_EQ(flag, 1);
  const std::vector<double> db = Doubles(bytes, count);
  const auto peak = std::max_element(db.begin(), db.end());
  const double peakHz = 68e6 + 4e6 * static_cast<double>(peak - db.begin()) / (kPoints - 1);
  EXPECT_NEAR(peakHz, 70.5e6, 20e3);  // a fifth of the symbol rate: the top of the main lobe
  std::vector<double> sorted = db;
  std::nth_element(sorted.begin(), sorted.begin() + kPoints / 2, sorted.end());
  EXPECT_GT(*peak - sorted[kPoints / 2], 20.0);
}

TEST_F(DisplayTest, LockedQpskIqPointsClusterAtTheConstellationPoints) {
  UseConfig(ConfigText("IfInput1=70e6, -40, QPSK, 1e6, 20, NRZL\nIfInput2=NONE"));
  Load(0, 0);
  ASSERT_EQ(F().IQ_SetNumDataPoints(0, 0, 2000), card::kDevOk);
  TunePsk(0, 0, 1e6, "QPSK");
  Advance(0.5);
  ASSERT_EQ(Text(F().PskRx_GetCarrierLockState, 0, 0), "LOCKED");
  std::vector<unsigned char> bytes(1 + 2000 * 16);
  unsigned char flag = 0;
  int count = -1;
  ASSERT_EQ(F().IQ_GetIqBuffer(0, 0, &flag, bytes.data() + 1, 2000, &count), card::kDevOk);
  ASSERT_EQ(count, 2000);
  const std::vector<double> iq = Doubles(bytes, 2 * count);
  int near = 0;
  for (std::size_t k = 0; k < iq.size(); k += 2) {
    near += std::hypot(std::fabs(iq[k]) - std::sqrt(0.5), std::fabs(iq[k + 1]) - std::sqrt(0.5)) < 0.3 ? 1 : 0;
  }
  EXPECT_GT(near, 1900);
}

}  // namespace
}  // namespace simtest
