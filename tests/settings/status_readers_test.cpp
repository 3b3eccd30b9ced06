// The status tasks against the virtual hardware: which card readings land in which record fields,
// the Eb/No lock rule, the carrier extremes, failed and out-of-range reads and the flight-record
// values.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <algorithm>
#include <array>
#include <cmath>

#include "card/card_routines.h"
#include "card/fpga_image_header.h"
#include "card/kr20card.h"
#include "card/setup_routines.h"
#include "config/options_store.h"
#include "settings/demo_values.h"
#include "settings/status_readers.h"
#include "settings_test_support.h"

namespace {

using settings::ChannelStatusRecord;
using settingstest::SimHook;
using settingstest::Value;

std::string Text(const char (&field)[settings::kStatusTextLen]) { return std::string(field, strnlen(field, sizeof field)); }

bool AllZero(const ChannelStatusRecord& record, std::size_t from, std::size_t to) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(&record);
  return std::all_of(bytes + from, bytes + to, [](unsigned char b) { return b == 0; });
}

TEST(StatusRules, BadBerTextsLongNamesAndTheDemoRangeAreSafe) {
  EXPECT_EQ(settings::BitErrorRateFromText("1.250e-04"), 1.25e-4);
  for (const char* bad : {"BAD", "", "1e-3x", "nan"}) EXPECT_EQ(settings::BitErrorRateFromText(bad), -1.0) << bad;
  char field[settings::kStatusTextLen];
  settings::PutStatusText(field, std::string(100, 'A'));
  EXPECT_EQ(Text(field), std::string(settings::kStatusTextLen - 1, 'A'));
  EXPECT_EQ(settings::DemoRandom(0), 0);  // no division by zero
}

class StatusReadersTest : public settingstest::SimCardTest {
 protected:
  // One card running `mode` with the signals given, on a manual clock; converter 0 tied to
  // channel 0 only.
  void Start(const std::string& chipVariant, int mode, const std::string& input1, const std::string& input2) {
    WriteSimConfig(1,
                   "[Card_0]\nChipVariant=" + chipVariant + "\nFpgaMode=" + std::to_string(mode) +
                       "\nIfInput1=" + input1 + "\nIfInput2=" + input2 + "\n",
                   true);
    clock_ = SimHook<void (*)(int)>(sim_ + "/librtZp903x.so", "QuorxSim_UseManualClock");
    advance_ = SimHook<int (*)(double)>(sim_ + "/librtZp903x.so", "QuorxSim_AdvanceSeconds");
    ASSERT_TRUE(clock_ != nullptr && advance_ != nullptr);
    clock_(1);
    OpenSimCards(1, true);
    hwcfg_->CardSetRecords[0] = card::HwCfgCardSetRecord{0, 1, {0, -1}};
    config::gApp.Options = &options_;
    manager_ = std::make_unique<kr20setmgrclass>();
  }
  void TearDown() override {
    SimCardTest::TearDown();
    config::gApp.Options = nullptr;
    if (clock_ != nullptr) clock_(0);
  }
  void Advance(double seconds) { ASSERT_EQ(advance_(seconds), 0); }
  ChannelStatusRecord& Status(int channel) { return manager_->StatusRecord(0, channel); }
  settings::flightrecordparaminfo& Flight(int channel) {
    return manager_->FlightRecords[0].Params[static_cast<std::size_t>(channel)];
  }
  config::kr20optinfo& Opt() { return options_.Info(); }

  // A PSK channel tuned to the signal: QPSK at 70 MHz, 2 Mb/s.
  void TunePsk(int channel) {
    Card().PskRx_SetCarrierModulationMode(channel, "QPSK");
    Card().PskRx_SetCarrierCenterFrequencyInHz(channel, 70'000'000.0);
    Card().PskRx_SetBitSyncStream1RateInbps(channel, 2'000'000.0);
    card::SetSetupText(Rec().Receiver[channel].DemodMode, "QPSK");
    Rec().Receiver[channel].BitSync[0].Bitrate = 2'000'000;
  }

  config::kr20optionclass options_{false};
  void (*clock_)(int) = nullptr;
  int (*advance_)(double) = nullptr;
};

constexpr const char* kPskSignal = "70e6, -40, QPSK, 2e6, 14, NRZL";
constexpr const char* kFmSignal = "70e6, -40, FM, 1e6, 14, NRZL";

TEST_F(StatusReadersTest, PskChannelFieldsComeFromTheCard) {
  Start("YES", 5, kPskSignal, kPskSignal);  // PSK + PSK with a pre-D combiner
  TunePsk(0);
  TunePsk(1);
  Rec().RouteInfo.FpgaMasterMode = 5;
  Rec().RouteInfo.PreDCombinerMode = 3;
  Rec().Receiver[0].InvertOutput = 1;
  Advance(2.0);
  manager_->RefreshChannelStatus();

  // The card's readings carry measurement noise: each is compared with a second reading.
  const settings::ReceiverStatusBlock rx = Status(0).Receiver;
  EXPECT_EQ(Text(rx.ReceiverName), Card().PskRx_GetCarrierModulationMode(0));
  EXPECT_NEAR(Value(rx.SignalPowerDbm), Card().PskRx_GetReceiverSignalPowerIndBm(0), 1.0);
  // Extremes start from the nominal 70 MHz carrier and then widen.
  const double actual = rx.ActualSignalFreqHz;
  EXPECT_NEAR(actual, Card().PskRx_GetCarrierActualSignalFrequencyInHz(0), 5000.0);
  EXPECT_EQ(Value(rx.HighestSignalFreqHz), std::max(actual, 70'000'000.0));
  EXPECT_EQ(Value(rx.LowestSignalFreqHz), std::min(actual, 70'000'000.0));
  EXPECT_EQ(Value(rx.DataInverted), 1);

  const settings::BitSyncStatusBlock bs = Status(0).BitSync1;
  EXPECT_NEAR(Value(bs.EbNoDb), Card().PskRx_GetBitSyncStream1SignalEbNo(0), 1.5);
  EXPECT_GT(Value(bs.EbNoDb), 8.0);
  EXPECT_EQ(Value(bs.Locked), 1);
  const double symbolRate = bs.SymbolRate;
  EXPECT_NEAR(symbolRate, 1'000'000.0, 1000.0);  // 2 Mb/s QPSK
  EXPECT_EQ(Value(bs.BitRate), 2.0 * symbolRate);
  EXPECT_EQ(Flight(0).EbNoDb, Value(bs.EbNoDb));

  // The route head in channel 0's record only.
  EXPECT_EQ(Value(Status(0).RouteInfo.ModeFunction), 5u);
  EXPECT_EQ(Value(Status(0).RouteInfo.RouteBytes[0]), 3);
  EXPECT_TRUE(AllZero(Status(1), 0, 15));

  // The Eb/No rule on the card's reading of about 14 dB.
  Opt().EnableBsEbNoAlg = 1;
  Opt().MinEbNoBsLock = 25.0;
  manager_->RefreshChannelStatus();
  EXPECT_EQ(Value(Status(0).BitSync1.Locked), 0);
  EXPECT_EQ(Flight(0).BitSyncLock, 0);

  // 4,800,000 typed for a 2 Mb/s signal: the bit sync searches, and its row shows the rate the
  // card holds, not 0.
  Card().PskRx_SetBitSyncStream1RateInbps(1, 4'800'000.0);
  Rec().Receiver[1].BitSync[0].Bitrate = 4'800'000;
  Advance(1.0);
  manager_->RefreshChannelStatus();
  EXPECT_EQ(Value(Status(1).BitSync1.Locked), 0);
  EXPECT_EQ(Value(Status(1).BitSync1.SymbolRate), 2'400'000.0);
  EXPECT_EQ(Value(Status(1).BitSync1.BitRate), 4'800'000.0);
}

// Demo values are exact (Eb/No 0.5 r + 15 dB from a seeded generator): the rule is seen at its
// boundary. A locked bit sync is unlocked only when its Eb/No lies below the minimum.
TEST_F(StatusReadersTest, EbNoRuleUnlocksOnlyBelowTheMinimum) {
  Start("YES", 5, kPskSignal, kPskSignal);
  hwcfg_->Kr20SimulatedFlag = 1;
  Opt().EnableBsEbNoAlg = 0;
  unsigned seed = 0;
  for (; seed < 100; ++seed) {  // a start of the sequence that locks channel 0's bit sync
    settings::DemoRandomEngine().seed(seed);
    manager_->RefreshChannelStatus();
    if (Status(0).BitSync1.Locked != 0) break;
  }
  ASSERT_EQ(Value(Status(0).BitSync1.Locked), 1);
  const double ebNo = Status(0).BitSync1.EbNoDb;
  struct Case {
    const char* Name;
    bool Rule;
    double MinEbNo;
    bool Locked;
  };
  const Case cases[] = {{"Eb/No at the minimum", true, ebNo, true},
                        {"Eb/No 0.01 dB below", true, ebNo + 0.01, false},
                        {"Eb/No 0.01 dB above", true, ebNo - 0.01, true},
                        {"below with the rule off", false, ebNo + 0.01, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Opt().EnableBsEbNoAlg = c.Rule ? 1 : 0;
    Opt().MinEbNoBsLock = c.MinEbNo;
    settings::DemoRandomEngine().seed(seed);
    manager_->RefreshChannelStatus();
    ASSERT_EQ(Value(Status(0).BitSync1.EbNoDb), ebNo);
    EXPECT_EQ(Value(Status(0).BitSync1.Locked), c.Locked ? 1 : 0);
    EXPECT_EQ(Flight(0).BitSyncLock, c.Locked ? 1 : 0);
  }
}

TEST_F(StatusReadersTest, DownConverterFieldsAndRssi) {
  Start("YES", 5, kPskSignal, kPskSignal);
  Opt().AcfInfo[0] = config::AcfInfoRecord{3.5, 1};
  dncvt_->Records[0].StatusByte = 0x5A;
  dncvt_->Records[0].Setup.TcSelected = 0x102;
  dncvt_->Records[0].Setup.BwFilterSelected = 3;
  dncvt_->Records[0].Setup.AgcFreezeEnabled = 1;
  manager_->RefreshCombinerAndDownConverterStatus();
  manager_->RefreshChannelStatus();

  const settings::DnCvtStatusFields dc = Status(0).DnCvt;
  const double agc = dncvt_->Records[0].AgcValue;
  EXPECT_EQ(Value(dc.SignalStrength), agc + 3.5);
  EXPECT_EQ(Value(dc.StatusByte), 0x5A);
  EXPECT_EQ(Value(dc.AgcTcIndex), 0x02);  // low byte of the index
  EXPECT_EQ(Value(dc.IfFilterIndex), 3);
  EXPECT_EQ(Flight(0).Rssi, agc + 3.5);

  // Channel 1 has no converter: its converter fields stay zero, RSSI -200.
  EXPECT_TRUE(AllZero(Status(1), 15, 51));
  manager_->RefreshBertStatusAndFlightValues();
  EXPECT_EQ(Flight(1).Rssi, -200.0);
  EXPECT_EQ(Flight(0).AgcTimeConstMsecs, 0.0);  // index 0x102 is outside the table
}

TEST_F(StatusReadersTest, BertIsReadOnlyWithItsInputSourceOn) {
  Start("YES", 4, kPskSignal, "NONE");
  TunePsk(0);
  Advance(2.0);
  settings::BertStatusBlock marked{};
  marked.LockLossCount = 4321;
  marked.BitErrorRate = 0.5;
  Status(0).Bert = marked;
  Rec().RxBert[0].InputSourceOn = 0;
  manager_->RefreshBertStatusAndFlightValues();
  EXPECT_EQ(Value(Status(0).Bert.LockLossCount), 4321);
  EXPECT_EQ(Flight(0).Ber, 0.5);

  Rec().RxBert[0].InputSourceOn = 1;
  card::SetSetupText(Rec().Receiver[0].BitSync[0].PcmInputCode, "RNRZ-15");
  manager_->RefreshBertStatusAndFlightValues();
  const settings::BertStatusBlock bert = Status(0).Bert;
  EXPECT_EQ(Value(bert.LockLossCount), Card().Bert_GetLockLossCount(0));
  EXPECT_EQ(Value(bert.BitErrorRate), settings::BitErrorRateFromText(Card().Bert_GetBitErrorRate(0)));
  EXPECT_EQ(Value(bert.BitRate), 2.0 * Card().Bert_GetBitRate(0));  // QPSK
  EXPECT_EQ(Flight(0).Ber, Value(bert.BitErrorRate));
  EXPECT_EQ(Flight(0).BerValid, Value(bert.Locked));
  EXPECT_EQ(Flight(0).PcmInputCode, "RNRZ-15");  // the setup's value for the record line
}

// The pulse raises the transmitter-is-digital control and returns with it high; the per-tick
// routine brings it back down.
TEST_F(StatusReadersTest, XmitterIsDigitalPulseOnAWeakOrUnlockedPcmFmBitSync) {
  Start("NO", 1, kPskSignal, kFmSignal);  // PSK + PCM/FM
  auto pulsed = [&](std::uint8_t locked, double ebNo) {
    settings::BitSyncStatusBlock bs = Status(1).BitSync1;
    bs.Locked = locked;
    bs.EbNoDb = ebNo;
    Status(1).BitSync1 = bs;
    manager_->CheckFmXmitterIsDigital();
    const bool raised = Card().FmRx_GetXmitterIsDigital(1);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (Card().XmitterPulsePending() && std::chrono::steady_clock::now() < deadline) manager_->EndXmitterPulses();
    EXPECT_FALSE(Card().FmRx_GetXmitterIsDigital(1));
    return raised;
  };
  EXPECT_TRUE(pulsed(0, 20.0));   // not locked
  EXPECT_TRUE(pulsed(1, 6.0));    // Eb/No at most 6 dB
  EXPECT_FALSE(pulsed(1, 6.1));   // locked and strong, no request
  Card().SetPulseRequest(1, true);
  EXPECT_TRUE(pulsed(1, 6.1));    // the request gives the pulse once
  EXPECT_FALSE(Card().PulseRequest(1));
}

// The bit rate shown doubles the symbol rate only on a PSK receiver running a QPSK-type
// modulation: a PCM/FM channel whose setup still names SOQPSK_TG shows its bit sync's rate.
TEST_F(StatusReadersTest, APcmFmChannelNeverDoublesItsRate) {
  Start("NO", 2, kFmSignal, kFmSignal);  // PCM/FM + PCM/FM
  ASSERT_TRUE(card::IsPcmFmChannel(0, 0));
  card::SetSetupText(Rec().Receiver[0].DemodMode, "SOQPSK_TG");
  Card().FmRx_SetBitSyncRateInbps(0, 1'000'000.0);
  Rec().Receiver[0].BitSync[0].Bitrate = 1'000'000;
  Rec().RxBert[0].InputSourceOn = 1;
  Advance(2.0);
  manager_->RefreshChannelStatus();
  manager_->RefreshBertStatusAndFlightValues();
  const settings::BitSyncStatusBlock bs = Status(0).BitSync1;
  const double symbolRate = bs.SymbolRate;
  EXPECT_NEAR(symbolRate, 1'000'000.0, 1000.0);
  EXPECT_EQ(Value(bs.BitRate), symbolRate);
  EXPECT_EQ(Value(Status(0).Bert.BitRate), Card().Bert_GetBitRate(0));

  // The demo values follow the same rule.
  hwcfg_->Kr20SimulatedFlag = 1;
  settings::DemoRandomEngine().seed(3);
  manager_->RefreshChannelStatus();
  manager_->RefreshBertStatusAndFlightValues();
  EXPECT_EQ(Value(Status(0).BitSync1.BitRate), Value(Status(0).BitSync1.SymbolRate));
  EXPECT_LT(Value(Status(0).Bert.BitRate), 1'000'010.0);
}

// A PCM/FM bit sync's lock comes from the FM receiver's register flags: each channel's own
// receiver, but instance 1's for both channels while the setup's mode function is 1 and its Route
// Mode 1 (one receiver serves both). Only the first channel's receiver has a signal here.
TEST_F(StatusReadersTest, APcmFmBitSyncLockIsThatOfTheReceiverServingTheChannel) {
  Start("NO", 2, kFmSignal, "NONE");  // PCM/FM + PCM/FM
  ASSERT_TRUE(card::IsPcmFmChannel(0, 1));
  Opt().EnableBsEbNoAlg = 0;  // the channel without a signal keeps the lock it is given
  for (int channel = 0; channel < 2; ++channel) {
    Card().FmRx_SetBitSyncRateInbps(channel, 1'000'000.0);
    Rec().Receiver[channel].BitSync[0].Bitrate = 1'000'000;
  }
  Advance(2.0);
  ASSERT_EQ(Card().FmRx_GetBitSyncLockState(0), "LOCKED");
  ASSERT_NE(Card().FmRx_GetBitSyncLockState(1), "LOCKED");
  const struct {
    std::int32_t modeFunction;
    std::int32_t routeMode;
    std::uint8_t channel2Locked;
  } rows[] = {{1, 1, 1}, {1, 0, 0}, {2, 1, 0}, {2, 0, 0}};
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << "mode function " << row.modeFunction << ", route mode " << row.routeMode);
    Rec().RouteInfo.FpgaMasterMode = row.modeFunction;
    Rec().RouteInfo.RouteMode = row.routeMode;
    manager_->RefreshChannelStatus();
    EXPECT_EQ(Value(Status(0).BitSync1.Locked), 1);
    EXPECT_EQ(Value(Status(1).BitSync1.Locked), row.channel2Locked);
    // The searching receiver's loop still reports the rate it was set to.
    EXPECT_EQ(Value(Status(1).BitSync1.BitRate), 1'000'000.0);
  }
}

TEST_F(StatusReadersTest, APskChannelRunningQpskStillDoublesItsRate) {
  Start("YES", 4, kPskSignal, "NONE");  // PSK + PSK
  TunePsk(0);
  card::SetSetupText(Rec().Receiver[0].DemodMode, "SOQPSK_TG");
  hwcfg_->Kr20SimulatedFlag = 1;
  settings::DemoRandomEngine().seed(3);
  manager_->RefreshChannelStatus();
  EXPECT_EQ(Value(Status(0).BitSync1.BitRate), 2.0 * Value(Status(0).BitSync1.SymbolRate));
}

// The lock threshold follows the whole hundredths of the index measured at the previous pass:
// 0.295 writes the 0.29 entry's threshold (64 + 960 x 0.29, rounded) to the card's FM receiver.
TEST_F(StatusReadersTest, TheModIndexLockThresholdIsThatOfTheIndexsWholeHundredths) {
  Start("NO", 2, kFmSignal, kFmSignal);  // PCM/FM + PCM/FM
  ASSERT_TRUE(card::IsPcmFmChannel(0, 0));
  struct Row {
    double previousIndex;
    int hundredths;
  };
  const Row rows[] = {{0.295, 29}, {0.585, 58}, {0.29, 29}, {0.58, 58}, {0.2999, 29}, {0.10, 10}, {1.0, 100}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.previousIndex);
    std::array<std::uint32_t, 1> cleared{0};
    ASSERT_TRUE(Card().Dev176_SetValues(1, card::fmrx_reg::kModIndexLockThreshold, cleared));
    Status(0).Receiver.ModIndexCompensated = row.previousIndex;
    manager_->RefreshChannelStatus();
    std::array<std::uint32_t, 1> written{0};
    ASSERT_TRUE(Card().Dev176_ReadValues(1, card::fmrx_reg::kModIndexLockThreshold, written));
    EXPECT_EQ(written[0], static_cast<std::uint32_t>(std::lround(64.0 + 9.6 * row.hundredths)));
    const card::ModIndexLockTable& table = Card().ModIndexLockThresholds()[0];
    const auto entry = std::find_if(table.begin(), table.end(), [&](const card::ModIndexLockEntry& e) {
      return e.IndexHundredths == row.hundredths;
    });
    ASSERT_NE(entry, table.end());
    EXPECT_TRUE(entry->Written);
  }
}

TEST_F(StatusReadersTest, PreDNoiseReadFailureIsLoggedAndKeepsTheOldValues) {
  Start("YES", 5, kPskSignal, kPskSignal);  // pre-D combiner
  settings::PreDStatusBlock marked = Status(0).PreD;
  marked.ChanAMeasuredNoise = 12.5;
  Status(0).PreD = marked;
  // The library drops the card: its link is down and no reading can be made.
  auto close = SimHook<int (*)(int)>(sim_ + "/librtZp903x.so", "Zp90_Card_Close");
  auto open = SimHook<int (*)(int)>(sim_ + "/librtZp903x.so", "Zp90_Card_Open");
  ASSERT_TRUE(close != nullptr && open != nullptr);
  ASSERT_EQ(close(0), 0);
  manager_->GetPreDStatusInfo(0);
  EXPECT_EQ(open(0), 0);
  EXPECT_EQ(Value(Status(0).PreD.ChanAMeasuredNoise), 12.5);
  EXPECT_EQ(program_.LogTexts().back(),
            "Kr20SetMgrUnit :: kr20setmgrclass::GetPreDStatusInfo :: RTL Fail on PreD Get Measured Noise");
}

TEST_F(StatusReadersTest, BadIndicesDoNothing) {
  Start("YES", 4, kPskSignal, "NONE");
  manager_->GetPreDStatusInfo(-1);
  manager_->GetPreDStatusInfo(6);
  manager_->GetPostDStatusInfo(1);
  EXPECT_TRUE(AllZero(Status(0), 0, sizeof(ChannelStatusRecord)));
}

}  // namespace
