// The receivers of the simulated cards: what makes them lock, what they measure, and how the bit
// error rate and the BERT counters follow the signal.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "sim_library.h"

namespace simtest {
namespace {

double TheoryBer(double ebNoDb) { return 0.5 * std::erfc(std::sqrt(std::pow(10.0, ebNoDb / 10.0))); }

class ReceiverTest : public SimTest {
 protected:
  std::string CarrierLock(int cardIndex, int rx) { return Text(F().PskRx_GetCarrierLockState, cardIndex, rx); }
  std::string BitSyncLock(int cardIndex, int rx) { return Text(F().PskRx_GetBitSyncStream1LockState, cardIndex, rx); }

  // Bits and errors that BERT `b` counts over `seconds` once locked.
  std::pair<double, double> MeasureBer(int cardIndex, int b, double seconds) {
    EXPECT_EQ(Text(F().Bert_GetLockState, cardIndex, b), "LOCKED");
    EXPECT_EQ(F().Bert_ResetMeasures(cardIndex, b), card::kDevOk);
    Advance(seconds);
    return {Number(F().Bert_GetTotalBits, cardIndex, b), Number(F().Bert_GetErrorBits, cardIndex, b)};
  }
};

TEST_F(ReceiverTest, LocksOnlyOnTheMatchingSignalAfterAnAcquisitionTime) {
  Load(0, 0);
  TunePsk(0, 0, 1e6);
  EXPECT_EQ(CarrierLock(0, 0), "UNLOCKED");  // no time has passed since tuning
  Advance(0.5);
  EXPECT_EQ(BitSyncLock(0, 0), "LOCKED");
  EXPECT_NEAR(Number(F().PskRx_GetBitSyncStream1SignalEbNo, 0, 0), 12.0, 1.0);
  EXPECT_NEAR(Number(F().PskRx_GetReceiverSignalPowerIndBm, 0, 0), -40.0, 0.5);
  // Channel 2 sees nothing on IF input 2; fed from IF input 1 it locks too.
  TunePsk(0, 1, 1e6);
  Advance(0.5);
  EXPECT_EQ(CarrierLock(0, 1), "UNLOCKED");
  ASSERT_EQ(F().PskRx_SetReceiverInputSourceMode(0, 1, "IF_INPUT1"), card::kDevOk);
  Advance(0.5);
  EXPECT_EQ(CarrierLock(0, 1), "LOCKED");
  // 300 kHz off with a 200 kHz acquisition range: lost at once; a wider range pulls it in again.
  ASSERT_EQ(F().PskRx_SetCarrierCenterFrequencyInHz(0, 0, 70.3e6), card::kDevOk);
  Advance(1.0);
  EXPECT_EQ(CarrierLock(0, 0), "UNLOCKED");
  ASSERT_EQ(F().PskRx_SetCarrierAcquisitionRangeInHz(0, 0, 400e3), card::kDevOk);
  Advance(0.5);
  EXPECT_EQ(CarrierLock(0, 0), "LOCKED");
  EXPECT_NEAR(Number(F().PskRx_GetCarrierActualSignalFrequencyInHz, 0, 0), 70e6, 20.0);
  TunePsk(0, 0, 1e6, "QPSK");  // a QPSK loop does not demodulate BPSK
  Advance(1.0);
  EXPECT_EQ(CarrierLock(0, 0), "UNLOCKED");
  // The wrong bit rate leaves the carrier locked and the bit synchroniser searching.
  TunePsk(0, 0, 1.5e6);
  Advance(1.0);
  EXPECT_EQ(CarrierLock(0, 0), "LOCKED");
  EXPECT_EQ(BitSyncLock(0, 0), "UNLOCKED");
}

TEST_F(ReceiverTest, ThePersonalityDecidesWhichFamilyAChannelDemodulates) {
  UseConfig(ConfigText("IfInput1=70e6, -45, FM, 1e6, 14, NRZL\nIfInput1ModIndex=0.7\nIfInput2=NONE",
                       "IfInput1=70e6, -45, FM, 1e6, 14, NRZL\nIfInput2=NONE"));
  Load(0, 0);  // two PSK receivers
  TunePsk(0, 0, 1e6);
  Advance(1.0);
  EXPECT_EQ(CarrierLock(0, 0), "UNLOCKED");
  double hz = 0.0;
  EXPECT_EQ(F().FmRx_GetCarrierCenterFrequencyInHz(0, 0, &hz), card::kDevNotSupported);

  Load(0, 1);  // PSK on channel 1, PCM/FM on channel 2
  ASSERT_EQ(F().FmRx_SetReceiverInputSourceMode(0, 1, "IF_INPUT1"), card::kDevOk);
  ASSERT_EQ(F().FmRx_SetCarrierCenterFrequencyInHz(0, 1, 70e6), card::kDevOk);
  ASSERT_EQ(F().FmRx_SetBitSyncRateInbps(0, 1, 1e6), card::kDevOk);
  Advance(1.0);
  EXPECT_EQ(Text(F().FmRx_GetCarrierLockState, 0, 1), "LOCKED");
  EXPECT_NEAR(Number(F().FmRx_GetCarrierModIndexCompensatedValue, 0, 1), 0.7, 0.05);

  // The FM receiver module's status register carries the two lock flags.
  Load(1, 10);
  ASSERT_EQ(F().FmRx_SetCarrierCenterFrequencyInHz(1, 0, 70e6), card::kDevOk);
  ASSERT_EQ(F().FmRx_SetBitSyncRateInbps(1, 0, 1e6), card::kDevOk);
  Advance(1.0);
  std::uint32_t status = 0;
  ASSERT_EQ(F().Dtrd_PeekRegOnFpga(1, 0, card::kFpga0WindowBase + 0x100 + card::fmrx_reg::kStatus, &status, 1),
            card::kDevOk);
  EXPECT_EQ(status, card::fmrx_reg::kStatusBitSyncLocked | card::fmrx_reg::kStatusCarrierLocked);
  ASSERT_EQ(F().Dtrd_PeekRegOnFpga(1, 0, card::kFpga0WindowBase + 0x180 + card::fmrx_reg::kStatus, &status, 1),
            card::kDevOk);
  EXPECT_EQ(status, 0u);  // channel 2's FM receiver has nothing on IF input 2
}

TEST_F(ReceiverTest, PmAndMultiHCpmReceiversLockOnTheirSignals) {
  UseConfig(ConfigText("IfInput1=70e6, -50, PM, 100e3, 15, NRZL\nIfInput2=NONE",
                       "IfInput1=70.1e6, -50, MHCPM, 2e6, 12, NRZL\nIfInput2=NONE"));
  Load(0, 3);
  ASSERT_EQ(F().PmRx_SetCarrierCenterFrequencyInHz(0, 0, 70e6), card::kDevOk);
  Advance(0.5);
  EXPECT_EQ(Text(F().PmRx_GetCarrierLockState, 0, 0), "LOCKED");
  ASSERT_EQ(F().PmRx_SetInputSource(0, 0, "IF_2"), card::kDevOk);
  Advance(0.5);
  EXPECT_EQ(Text(F().PmRx_GetCarrierLockState, 0, 0), "UNLOCKED");

  Load(1, 14);
  ASSERT_EQ(F().MhCpmRx_SetTotalSetup(1, 0, "NRZL", 0, "RISING_EDGE", "NRZL", 2e6, 200e3, 70.0, 1.0, 1.0),
            card::kDevOk);
  Advance(0.5);
  int lockState = -1, carrierLocked = -1;
  double mhz = 0.0, rate = 0.0, loopError = 0.0;
  ASSERT_EQ(F().MhCpmRx_GetStatusValues(1, 0, &lockState, &carrierLocked, &mhz, &rate, &loopError), card::kDevOk);
  EXPECT_EQ(lockState, 3);
  EXPECT_EQ(carrierLocked, 1);
  EXPECT_NEAR(loopError, 100e3, 1.0);
  // A wrong code leaves the bit synchroniser locked on a code of the same class, the data invalid.
  ASSERT_EQ(F().MhCpmRx_SetTotalSetup(1, 0, "NRZM", 0, "RISING_EDGE", "NRZL", 2e6, 200e3, 70.0, 1.0, 1.0),
            card::kDevOk);
  Advance(0.5);
  ASSERT_EQ(F().MhCpmRx_GetStatusValues(1, 0, &lockState, &carrierLocked, &mhz, &rate, &loopError), card::kDevOk);
  EXPECT_EQ(lockState, 2);
  // One bad value refuses the whole setup.
  EXPECT_EQ(F().MhCpmRx_SetTotalSetup(1, 0, "NRZL", 0, "RISING_EDGE", "NRZL", std::nan(""), 200e3, 70.0, 1.0, 1.0),
            card::kDevBadArgument);
}

TEST_F(ReceiverTest, BitErrorRateFallsAsEbNoRisesAndFollowsTheBpskCurve) {
  double previous = 1.0;
  for (double ebNo : {4.0, 6.0, 8.0}) {
    UseConfig(ConfigText("IfInput1=70e6, -40, BPSK, 1e6, " + std::to_string(ebNo) + ", NRZL\nIfInput2=NONE"));
    Load(0, 0);
    TunePsk(0, 0, 1e6);
    Advance(0.5);
    const auto [bits, errors] = MeasureBer(0, 0, 2.0);
    ASSERT_NEAR(bits, 2e6, 1.0);
    const double ber = errors / bits;
    SCOPED_TRACE("Eb/No " + std::to_string(ebNo));
    EXPECT_LT(ber, previous);
    EXPECT_NEAR(ber, TheoryBer(ebNo), 0.15 * TheoryBer(ebNo));
    previous = ber;
  }
}

TEST_F(ReceiverTest, BertCountersAdvanceOnlyWithSimulatedTimeAndReset) {
  Load(0, 0);
  TunePsk(0, 0, 1e6);
  Advance(0.5);
  ASSERT_EQ(Text(F().Bert_GetLockState, 0, 0), "LOCKED");
  ASSERT_EQ(F().Bert_ResetMeasures(0, 0), card::kDevOk);
  EXPECT_EQ(Number(F().Bert_GetTotalBits, 0, 0), 0.0);
  Advance(1.0);
  EXPECT_NEAR(Number(F().Bert_GetTotalBits, 0, 0), 1e6, 1.0);
  EXPECT_NEAR(Number(F().Bert_GetTotalBits, 0, 0), 1e6, 1.0);  // reading again adds nothing
  char text[32] = {};
  ASSERT_EQ(F().Bert_GetBitErrorRate(0, 0, text, sizeof text), card::kDevOk);
  EXPECT_EQ(std::string(text).find(','), std::string::npos);
  EXPECT_NE(std::string(text).find('e'), std::string::npos);
  // Another pattern: the BERT loses lock, counts the loss and stops counting.
  ASSERT_EQ(F().Bert_SetPnPattern(0, 0, "pn11"), card::kDevOk);
  Advance(0.5);
  EXPECT_EQ(Text(F().Bert_GetLockState, 0, 0), "UNLOCKED");
  EXPECT_NEAR(Number(F().Bert_GetTotalBits, 0, 0), 1e6, 1.0);
  int losses = 0;
  ASSERT_EQ(F().Bert_GetLockLossCount(0, 0, &losses), card::kDevOk);
  EXPECT_EQ(losses, 1);
}

TEST_F(ReceiverTest, DataIsValidOnlyWithTheTransmittedCodeDescramblerAndDecoder) {
  UseConfig(ConfigText("IfInput1=70e6, -40, BPSK, 1e6, 12, RNRZ-15\nIfInput1Viterbi=YES\nIfInput2=NONE"));
  Load(0, 0);
  TunePsk(0, 0, 1e6);
  Advance(0.5);
  ASSERT_EQ(BitSyncLock(0, 0), "LOCKED");
  EXPECT_EQ(Text(F().Bert_GetLockState, 0, 0), "UNLOCKED");
  ASSERT_EQ(F().PskRx_SetBitSyncStream1DescramblerMode(0, 0, "RAND15_NRZL"), card::kDevOk);
  Advance(0.5);
  EXPECT_EQ(Text(F().Bert_GetLockState, 0, 0), "UNLOCKED");  // still coded
  ASSERT_EQ(F().PskRx_SetViterbiStream1DecodeEnable(0, 0, 1), card::kDevOk);
  Advance(0.5);
  EXPECT_EQ(Text(F().PskRx_GetViterbiStream1LockState, 0, 0), "LOCKED");
  EXPECT_EQ(Text(F().Bert_GetLockState, 0, 0), "LOCKED");
}

TEST_F(ReceiverTest, SameSeedSameErrorsAndReadingsOtherSeedOthers) {
  const auto run = [&](int seed) {
    UseConfig(ConfigText("IfInput1=70e6, -40, BPSK, 1e6, 5, NRZL\nIfInput2=NONE", "IfInput1=NONE\nIfInput2=NONE", seed));
    Load(0, 0);
    TunePsk(0, 0, 1e6);
    Advance(0.5);
    MeasureBer(0, 0, 1.0);
    Advance(0.3);
    return std::vector<double>{Number(F().Bert_GetErrorBits, 0, 0), Number(F().PskRx_GetBitSyncStream1SignalEbNo, 0, 0),
                               Number(F().PskRx_GetReceiverTotalPowerIndBm, 0, 0)};
  };
  const std::vector<double> first = run(11);
  EXPECT_EQ(run(11), first);
  EXPECT_NE(run(12), first);
}

TEST_F(ReceiverTest, UnbalancedQpskLocksBothBitSynchronisers) {
  UseConfig(ConfigText("IfInput1=70e6, -40, AUQPSK, 1e6, 12, NRZL\nIfInput1Rate2=250e3\nIfInput2=NONE"));
  Load(0, 0);
  TunePsk(0, 0, 1e6, "UAQPSK");
  ASSERT_EQ(F().PskRx_SetBitSyncStream2RateInbps(0, 0, 250e3), card::kDevOk);
  Advance(0.5);
  EXPECT_EQ(BitSyncLock(0, 0), "LOCKED");
  EXPECT_EQ(Text(F().PskRx_GetBitSyncStream2LockState, 0, 0), "LOCKED");
  ASSERT_EQ(F().PskRx_SetBitSyncStream2RateInbps(0, 0, 300e3), card::kDevOk);
  Advance(0.5);
  EXPECT_EQ(Text(F().PskRx_GetBitSyncStream2LockState, 0, 0), "UNLOCKED");
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

TEST_F(ReceiverTest, ClosedCardsAndLostLocksReportPlainly) {
  Load(0, 0);
  ASSERT_EQ(F().Card_Close(0), card::kDevOk);
  double hz = 1.5;
  EXPECT_EQ(F().PskRx_GetCarrierCenterFrequencyInHz(0, 0, &hz), card::kDevBadCard);
  EXPECT_EQ(hz, 1.5);
  ASSERT_EQ(F().Card_Open(0), card::kDevOk);  // the personality survives closing and opening
  EXPECT_EQ(F().PskRx_GetCarrierCenterFrequencyInHz(0, 0, &hz), card::kDevOk);
}

}  // namespace
}  // namespace simtest
