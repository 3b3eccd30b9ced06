// The receivers of the simulated cards: what makes them lock, and how the bit error rate and the
// BERT counters follow the signal.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "sim_library.h"

namespace simtest {
namespace {

class ReceiverTest : public SimTest {
 protected:
  std::string CarrierLock(int cardIndex, int rx) { return Text(F().PskRx_GetCarrierLockState, cardIndex, rx); }
  std::string BitSyncLock(int cardIndex, int rx) { return Text(F().PskRx_GetBitSyncStream1LockState, cardIndex, rx); }
  std::string BertLock() { return Text(F().Bert_GetLockState, 0, 0); }
  void UsePsk(double ebNo) {
    UseConfig(ConfigText("IfInput1=70e6, -40, BPSK, 1e6, " + std::to_string(ebNo) + ", NRZL\nIfInput2=NONE"));
    Load(0, 0);
    TunePsk(0, 0, 1e6);
    Advance(0.5);
  }
};

TEST_F(ReceiverTest, LocksOnlyOnTheMatchingFamilyFrequencyRateAndEnoughEbNo) {
  Load(0, 0);
  TunePsk(0, 0, 1e6);
  EXPECT_EQ(CarrierLock(0, 0), "UNLOCKED");  // no time has passed since tuning
  Advance(0.5);
  EXPECT_EQ(BitSyncLock(0, 0), "LOCKED");
  EXPECT_NEAR(Number(F().PskRx_GetBitSyncStream1SignalEbNo, 0, 0), 12.0, 1.0);
  EXPECT_NEAR(Number(F().PskRx_GetReceiverSignalPowerIndBm, 0, 0), -40.0, 0.5);
  // 300 kHz off with a 200 kHz acquisition range: lost; a wider range pulls it in again.
  ASSERT_EQ(F().PskRx_SetCarrierCenterFrequencyInHz(0, 0, 70.3e6), card::kDevOk);
  Advance(1.0);
  EXPECT_EQ(CarrierLock(0, 0), "UNLOCKED");
  ASSERT_EQ(F().PskRx_SetCarrierAcquisitionRangeInHz(0, 0, 400e3), card::kDevOk);
  Advance(0.5);
  EXPECT_EQ(CarrierLock(0, 0), "LOCKED");
  TunePsk(0, 0, 1e6, "QPSK");  // a QPSK loop does not demodulate BPSK
  Advance(1.0);
  EXPECT_EQ(CarrierLock(0, 0), "UNLOCKED");
  // A searching bit synchroniser's rate register holds the symbol rate it was set to.
  EXPECT_EQ(Number(F().PskRx_GetBitSyncStream1ActualSymbolRate, 0, 0), 0.5e6);
  // The wrong bit rate leaves the carrier locked and the bit synchroniser searching.
  TunePsk(0, 0, 1.5e6);
  Advance(1.0);
  EXPECT_EQ(CarrierLock(0, 0), "LOCKED");
  EXPECT_EQ(BitSyncLock(0, 0), "UNLOCKED");
  EXPECT_EQ(Number(F().PskRx_GetBitSyncStream1ActualSymbolRate, 0, 0), 1.5e6);
  ASSERT_EQ(F().PskRx_SetBitSyncStream2RateInbps(0, 0, 4.8e6), card::kDevOk);
  EXPECT_EQ(Number(F().PskRx_GetBitSyncStream2ActualSymbolRate, 0, 0), 4.8e6);
  UsePsk(0.0);  // below the carrier loop's threshold
  EXPECT_EQ(CarrierLock(0, 0), "UNLOCKED");
}

TEST_F(ReceiverTest, ThePersonalityDecidesWhichFamilyAChannelDemodulates) {
  UseConfig(ConfigText("IfInput1=70e6, -45, FM, 1e6, 14, NRZL\nIfInput1ModIndex=0.7\nIfInput2=NONE"));
  Load(0, 0);  // two PSK receivers
  TunePsk(0, 0, 1e6);
  Advance(1.0);
  EXPECT_EQ(CarrierLock(0, 0), "UNLOCKED");
  double hz = 0.0;
  EXPECT_EQ(F().FmRx_GetCarrierCenterFrequencyInHz(0, 0, &hz), card::kDevNotSupported);
  Load(0, 1);  // PSK on channel 1, PCM/FM on channel 2
  ASSERT_EQ(F().FmRx_SetReceiverInputSourceMode(0, 1, "IF_INPUT1"), card::kDevOk);
  ASSERT_EQ(F().FmRx_SetCarrierCenterFrequencyInHz(0, 1, 70e6), card::kDevOk);
  ASSERT_EQ(F().FmRx_SetBitSyncRateInbps(0, 1, 4.8e6), card::kDevOk);
  Advance(1.0);
  EXPECT_NE(Text(F().FmRx_GetBitSyncLockState, 0, 1), "LOCKED");  // the signal runs at 1 Mb/s
  EXPECT_EQ(Number(F().FmRx_GetBitSyncActualSymbolRate, 0, 1), 4.8e6);
  ASSERT_EQ(F().FmRx_SetBitSyncRateInbps(0, 1, 1e6), card::kDevOk);
  Advance(1.0);
  EXPECT_EQ(Text(F().FmRx_GetCarrierLockState, 0, 1), "LOCKED");
  EXPECT_NEAR(Number(F().FmRx_GetCarrierModIndexCompensatedValue, 0, 1), 0.7, 0.05);
}

// The spread of a locked receiver's carrier readings over a minute of readings five times a
// second, as the program's status pass collects it (highest minus lowest).
class CarrierReadingTest : public ReceiverTest {
 protected:
  double FmSpreadHz(double bps, double ebNo) {
    UseConfig(ConfigText("IfInput1=70e6, -45, FM, " + std::to_string(bps) + ", " + std::to_string(ebNo) +
                         ", NRZL\nIfInput1ModIndex=0.7\nIfInput2=NONE"));
    Load(0, 1);  // PSK on channel 1, PCM/FM on channel 2
    EXPECT_EQ(F().FmRx_SetReceiverInputSourceMode(0, 1, "IF_INPUT1"), card::kDevOk);
    EXPECT_EQ(F().FmRx_SetCarrierCenterFrequencyInHz(0, 1, 70e6), card::kDevOk);
    EXPECT_EQ(F().FmRx_SetBitSyncRateInbps(0, 1, bps), card::kDevOk);
    Advance(1.0);
    EXPECT_EQ(Text(F().FmRx_GetCarrierLockState, 0, 1), "LOCKED");
    return Spread([this] { return Number(F().FmRx_GetCarrierActualSignalFrequencyInHz, 0, 1); });
  }
  template <class Read>
  double Spread(Read read) {
    double highest = 70e6;
    double lowest = 70e6;
    for (int i = 0; i < 300; ++i) {
      Advance(0.2);
      const double hz = read();
      highest = std::max(highest, hz);
      lowest = std::min(lowest, hz);
    }
    return highest - lowest;
  }
};

// A PCM/FM receiver's carrier estimate wanders with the data's frequency swings: its spread, which
// the automatic tracking-loop adjustment takes as the loop's bandwidth, lies between the
// bit-rate-based suggestion (0.1 % of the rate) and the default span (5 %) and grows with the
// rate. A PSK loop stays within a few hertz.
TEST_F(CarrierReadingTest, PcmFmReadingsSpreadWithTheDataRate) {
  const double at2M = FmSpreadHz(2e6, 13.0);
  EXPECT_GT(at2M, 0.001 * 2e6);
  EXPECT_LT(at2M, 0.05 * 2e6);
  const double at200k = FmSpreadHz(200e3, 13.0);
  EXPECT_GT(at200k, 0.001 * 200e3);
  EXPECT_LT(at200k, 0.05 * 200e3);
  EXPECT_LT(at200k, at2M / 2.0);

  UsePsk(12.0);
  ASSERT_EQ(CarrierLock(0, 0), "LOCKED");
  EXPECT_LT(Spread([this] { return Number(F().PskRx_GetCarrierActualSignalFrequencyInHz, 0, 0); }), 50.0);
}

TEST_F(ReceiverTest, BitErrorRateFallsAsEbNoRisesAndFollowsTheBpskCurve) {
  double previous = 1.0;
  for (double ebNo : {4.0, 8.0}) {
    UsePsk(ebNo);
    ASSERT_EQ(BertLock(), "LOCKED");
    ASSERT_EQ(F().Bert_ResetMeasures(0, 0), card::kDevOk);
    Advance(2.0);
    const double bits = Number(F().Bert_GetTotalBits, 0, 0);
    ASSERT_NEAR(bits, 2e6, 1.0);
    const double ber = Number(F().Bert_GetErrorBits, 0, 0) / bits;
    const double theory = 0.5 * std::erfc(std::sqrt(std::pow(10.0, ebNo / 10.0)));
    EXPECT_LT(ber, previous) << ebNo;
    EXPECT_NEAR(ber, theory, 0.15 * theory) << ebNo;
    previous = ber;
  }
}

TEST_F(ReceiverTest, BertCountersAdvanceOnlyWithSimulatedTimeAndStopOnLockLoss) {
  Load(0, 0);
  TunePsk(0, 0, 1e6);
  Advance(0.5);
  ASSERT_EQ(BertLock(), "LOCKED");
  ASSERT_EQ(F().Bert_ResetMeasures(0, 0), card::kDevOk);
  EXPECT_EQ(Number(F().Bert_GetTotalBits, 0, 0), 0.0);
  Advance(1.0);
  EXPECT_NEAR(Number(F().Bert_GetTotalBits, 0, 0), 1e6, 1.0);
  EXPECT_NEAR(Number(F().Bert_GetTotalBits, 0, 0), 1e6, 1.0);  // reading again adds nothing
  ASSERT_EQ(F().Bert_SetPnPattern(0, 0, "pn11"), card::kDevOk);  // another pattern
  Advance(0.5);
  EXPECT_EQ(BertLock(), "UNLOCKED");
  EXPECT_NEAR(Number(F().Bert_GetTotalBits, 0, 0), 1e6, 1.0);
  int losses = 0;
  ASSERT_EQ(F().Bert_GetLockLossCount(0, 0, &losses), card::kDevOk);
  EXPECT_EQ(losses, 1);
}

// A read right after a setting changed, at the same simulated instant, sees the change: the card
// steps again after any write, however little time passed.
TEST_F(ReceiverTest, ASettingShowsItsEffectAtTheInstantItIsWritten) {
  struct Row {
    const char* name;
    std::function<int()> write;
    std::function<void()> check;
  };
  const std::vector<Row> rows = {
      // In band, the signal (-40 dBm) tops the noise of the 2.4 MHz pass band (-48.2 dBm).
      {"tuned away from the signal: the total power is the pass band's noise",
       [&] { return F().PskRx_SetCarrierCenterFrequencyInHz(0, 0, 100e6); },
       [&] { EXPECT_NEAR(Number(F().PskRx_GetReceiverTotalPowerIndBm, 0, 0), -48.2, 0.3); }},
      {"qualification threshold above the signal: the bit synchroniser lets go",
       [&] { return F().PskRx_SetReceiverSignalLevelQualificationThreshold(0, 0, -30.0); },
       [&] { EXPECT_EQ(BitSyncLock(0, 0), "UNLOCKED"); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    UsePsk(12.0);
    ASSERT_EQ(BitSyncLock(0, 0), "LOCKED");
    ASSERT_GT(Number(F().PskRx_GetReceiverTotalPowerIndBm, 0, 0), -40.5);
    ASSERT_EQ(row.write(), card::kDevOk);
    row.check();
  }
}

// Reads closer together than a step is worth do not lose the time between them.
TEST_F(ReceiverTest, TimeInSlicesShorterThanAMillisecondAddsUpInTheBertCounters) {
  UsePsk(12.0);
  ASSERT_EQ(BertLock(), "LOCKED");
  ASSERT_EQ(F().Bert_ResetMeasures(0, 0), card::kDevOk);
  for (int i = 0; i < 1000; ++i) {
    Advance(0.0004);
    ASSERT_GE(Number(F().Bert_GetTotalBits, 0, 0), 0.0);
  }
  EXPECT_NEAR(Number(F().Bert_GetTotalBits, 0, 0), 0.4e6, 1.0);
}

TEST_F(ReceiverTest, CallsFromManyThreadsWhileTheCardsAreResetStayWellFormed) {
  Load(0, 0);
  Load(1, 5);
  std::atomic<int> malformed{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      const int cardIndex = t % 2;
      std::vector<unsigned char> spectrum(8 * 256);
      for (int i = 0; i < 300; ++i) {
        double value = 0.0;
        char text[card::kDevNameSize];
        unsigned char flag = 0;
        int count = 0;
        const int statuses[] = {F().Card_Open(cardIndex),
                                F().PskRx_SetCarrierCenterFrequencyInHz(cardIndex, i % 2, 70e6 + i),
                                F().PskRx_GetCarrierLockState(cardIndex, i % 2, text, sizeof text),
                                F().Bert_GetTotalBits(cardIndex, i % 2, &value),
                                F().Fft_GetFftBuffer(cardIndex, i % 2, &flag, spectrum.data(), 256, &count)};
        for (int status : statuses) {
          if (status > 0 || status < card::kDevHardwareError) ++malformed;
        }
      }
    });
  }
  for (int i = 0; i < 20; ++i) {
    Advance(0.05);
    Zp90().reset();
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(malformed.load(), 0);
}

TEST_F(ReceiverTest, AClosedCardRefusesCallsAndKeepsItsPersonality) {
  Load(0, 0);
  ASSERT_EQ(F().Card_Close(0), card::kDevOk);
  double hz = 1.5;
  EXPECT_EQ(F().PskRx_GetCarrierCenterFrequencyInHz(0, 0, &hz), card::kDevBadCard);
  EXPECT_EQ(hz, 1.5);
  ASSERT_EQ(F().Card_Open(0), card::kDevOk);
  EXPECT_EQ(F().PskRx_GetCarrierCenterFrequencyInHz(0, 0, &hz), card::kDevOk);
}

}  // namespace
}  // namespace simtest
