// The status tasks against the virtual hardware: which card readings land in which record fields
// (read back through the record, and at the wire offsets where the datagrams and the flight
// record rely on them), the Eb/No lock rule, the carrier extremes and their reset, the demo
// values of simulated cards and the flight-record values.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "card/card_routines.h"
#include "card/dncvt_manager.h"
#include "card/hwcfg_manager.h"
#include "card/rtl20_manager.h"
#include "card/setup_routines.h"
#include "config/globals.h"
#include "config/options_store.h"
#include "settings/demo_values.h"
#include "settings/set_manager.h"
#include "settings/status_readers.h"
#include "support/devicesim_support.h"
#include "support/log_capture.h"

namespace {

using settings::ChannelStatusRecord;

template <class T>
T Value(T field) {
  return field;
}

double DoubleAt(const ChannelStatusRecord& record, std::size_t offset) {
  double value = 0.0;
  std::memcpy(&value, reinterpret_cast<const unsigned char*>(&record) + offset, sizeof value);
  return value;
}

std::uint8_t ByteAt(const ChannelStatusRecord& record, std::size_t offset) {
  return reinterpret_cast<const unsigned char*>(&record)[offset];
}

std::string Text(const char (&field)[settings::kStatusTextLen]) { return std::string(field, strnlen(field, sizeof field)); }

using testsupport::SimFolder;

template <class F>
F SimHook(const std::string& path, const char* name) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NOLOAD);
  if (handle == nullptr) handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) return nullptr;
  void* symbol = dlsym(handle, name);
  F function = nullptr;
  std::memcpy(&function, &symbol, sizeof function);
  return function;  // the library stays loaded: the card manager holds it as well
}

// ---- The value rules ---------------------------------------------------------------------------

TEST(StatusRules, EbNoRuleClearsLockBelowTheMinimumOnly) {
  EXPECT_FALSE(settings::QualifiedBitSyncLock(true, 4.9, true, 5.0));
  EXPECT_TRUE(settings::QualifiedBitSyncLock(true, 5.0, true, 5.0));
  EXPECT_TRUE(settings::QualifiedBitSyncLock(true, 4.9, false, 5.0));
  EXPECT_FALSE(settings::QualifiedBitSyncLock(false, 20.0, true, 5.0));
}

TEST(StatusRules, BitRateDoublingCodesAndBerText) {
  for (const char* m : {"QPSK", "SQPSK", "UQPSK", "SOQPSK_TG", "OQPSK", "SOQPSK_SX", "SOQPSK", "SOQPSK_MIL"}) {
    EXPECT_TRUE(settings::IsDoubleRateModulation(m)) << m;
  }
  EXPECT_FALSE(settings::IsDoubleRateModulation("BPSK"));
  EXPECT_FALSE(settings::IsDoubleRateModulation("PCM_FM"));
  EXPECT_EQ(settings::PcmOutputCodeNumber("NRZL"), 0);
  EXPECT_EQ(settings::PcmOutputCodeNumber("BIOS"), 5);
  EXPECT_EQ(settings::PcmOutputCodeNumber("RZ"), -1);
  EXPECT_EQ(settings::BitErrorRateFromText("1.250e-04"), 1.25e-4);
  EXPECT_EQ(settings::BitErrorRateFromText("BAD"), -1.0);
  EXPECT_EQ(settings::BitErrorRateFromText(""), -1.0);
  EXPECT_EQ(settings::BitErrorRateFromText("1e-3x"), -1.0);
  EXPECT_EQ(settings::BitErrorRateFromText("nan"), -1.0);
}

TEST(StatusRules, CarrierExtremesStartFromTheirFirstValue) {
  settings::ReceiverStatusBlock rx{};
  rx.ActualSignalFreqHz = 69'400'000.0;
  settings::TrackCarrierExtremes(rx, settings::kNominalCarrierHz);
  EXPECT_EQ(Value(rx.HighestSignalFreqHz), 70'000'000.0);
  EXPECT_EQ(Value(rx.LowestSignalFreqHz), 69'400'000.0);
  rx.ActualSignalFreqHz = 70'100'000.0;
  settings::TrackCarrierExtremes(rx, settings::kNominalCarrierHz);
  EXPECT_EQ(Value(rx.HighestSignalFreqHz), 70'100'000.0);
  EXPECT_EQ(Value(rx.LowestSignalFreqHz), 69'400'000.0);

  settings::ReceiverStatusBlock pm{};
  pm.ActualSignalFreqHz = 71'000'000.0;
  settings::TrackCarrierExtremes(pm, 71'000'000.0);
  EXPECT_EQ(Value(pm.HighestSignalFreqHz), 71'000'000.0);
  EXPECT_EQ(Value(pm.LowestSignalFreqHz), 71'000'000.0);
}

TEST(StatusRules, StatusTextIsCutAndTerminated) {
  char field[settings::kStatusTextLen];
  std::memset(field, 'x', sizeof field);
  settings::PutStatusText(field, std::string(100, 'A'));
  EXPECT_EQ(field[settings::kStatusTextLen - 1], '\0');
  EXPECT_EQ(Text(field), std::string(settings::kStatusTextLen - 1, 'A'));
  settings::PutStatusText(field, "PM");
  EXPECT_EQ(Text(field), "PM");
  EXPECT_EQ(field[10], '\0');
}

// ---- Against the virtual hardware --------------------------------------------------------------

class StatusReadersTest : public ::testing::Test {
 protected:
  // One card running `mode` with the signals given; converter 0 tied to channel 0 only.
  void Start(const std::string& chipVariant, int mode, const std::string& input1, const std::string& input2) {
    sim_ = SimFolder();
    if (!std::filesystem::exists(sim_ + "/librtZp903x.so")) GTEST_SKIP() << "devicesim libraries not built";
    setenv("QUORX_SIM_FOLDER", program_.Path().c_str(), 1);
    ASSERT_TRUE(testsupport::WriteWholeFile(
        program_ / "VirtualHardware.cfg",
        "[General]\nCards=1\nSeed=5\n[Card_0]\nChipVariant=" + chipVariant + "\nFpgaMode=" + std::to_string(mode) +
            "\nIfInput1=" + input1 + "\nIfInput2=" + input2 +
            "\n[DownConverters]\nKr12Cards=1\nKr12Channels=2\nKr14Cards=0\n"));
    for (const char* lib : {"/librtZp903x.so", "/libKr12V2_Dll.so", "/libKr14P3_Dll.so"}) {
      auto reset = SimHook<void (*)()>(sim_ + lib, "QuorxSim_Reset");
      ASSERT_NE(reset, nullptr);
      reset();
    }
    auto manual = SimHook<void (*)(int)>(sim_ + "/librtZp903x.so", "QuorxSim_UseManualClock");
    ASSERT_NE(manual, nullptr);
    manual(1);
    advance_ = SimHook<int (*)(double)>(sim_ + "/librtZp903x.so", "QuorxSim_AdvanceSeconds");
    ASSERT_NE(advance_, nullptr);
    cards_ = std::make_unique<quorxrtl20mgrclass>(sim_);
    ASSERT_TRUE(cards_->DoAfterHwCfgMgrLoaded());
    ASSERT_TRUE(cards_->OpenCards(false, 1));
    ASSERT_TRUE(cards_->Card(0)->IsReady());
    hwcfg_ = std::make_unique<quorxhwcfgmgrclass>();
    hwcfg_->CardSetRecords[0] = card::HwCfgCardSetRecord{0, 1, {0, -1}};
    dncvt_ = std::make_unique<quorxdncvtmgrclass>(sim_);
    dncvt_->Configure(card::HwCfgEnableRecord{1, 0, 1}, card::HwCfgEnableRecord{0, 0, 1});
    ASSERT_TRUE(dncvt_->OpenAll());
    options_ = std::make_unique<config::kr20optionclass>(false);
    config::gApp.Options = options_.get();
    gRtl20Mgr = cards_.get();
    gHwCfgMgr = hwcfg_.get();
    gDnCvtMgr = dncvt_.get();
    manager_ = std::make_unique<kr20setmgrclass>();
  }
  // A simulated (demo) card whose info block describes a PM receiver on channel 0 and a PSK
  // receiver on channel 1, with both combiners.
  void StartDemo() {
    cards_ = std::make_unique<quorxrtl20mgrclass>(program_.Path());
    ASSERT_TRUE(cards_->OpenCards(true, 1));
    ASSERT_NE(cards_->Card(0), nullptr);
    card::kr20cardinfo info{};
    info.NumPmReceivers = 1;
    info.NumPskReceivers = 1;
    info.NumModulators = 1;
    info.NumBerts = 2;
    info.NumFftChannels = 2;
    info.NumIqChannels = 1;
    cards_->Card(0)->SetSimulatedCardInfo(info);
    cards_->Card(0)->LoadState().CurrentFpgaMode = 3;
    hwcfg_ = std::make_unique<quorxhwcfgmgrclass>();
    hwcfg_->CardSetRecords[0] = card::HwCfgCardSetRecord{0, 0, {-1, -1}};
    hwcfg_->Kr20SimulatedFlag = 1;
    hwcfg_->AnySimulatedFlag = 1;
    options_ = std::make_unique<config::kr20optionclass>(false);
    config::gApp.Options = options_.get();
    gRtl20Mgr = cards_.get();
    gHwCfgMgr = hwcfg_.get();
    manager_ = std::make_unique<kr20setmgrclass>();
  }
  void TearDown() override {
    manager_.reset();
    config::gApp.Options = nullptr;
    gDnCvtMgr = nullptr;
    gHwCfgMgr = nullptr;
    gRtl20Mgr = nullptr;
    dncvt_.reset();
    hwcfg_.reset();
    cards_.reset();
    if (advance_ != nullptr) {
      auto manual = SimHook<void (*)(int)>(sim_ + "/librtZp903x.so", "QuorxSim_UseManualClock");
      if (manual != nullptr) manual(0);
    }
  }
  void Advance(double seconds) { ASSERT_EQ(advance_(seconds), 0); }
  card::kr20cardclass& Card() { return *cards_->Card(0); }
  card::CardSetupRecord& Rec() { return Card().Setup(); }
  ChannelStatusRecord& Status(int channel) { return manager_->StatusRecord(0, channel); }
  settings::flightrecordparaminfo& Flight(int channel) {
    return manager_->FlightRecords[0].Params[static_cast<std::size_t>(channel)];
  }
  config::kr20optinfo& Opt() { return options_->Info(); }

  // A PSK channel tuned to the signal: QPSK at 70 MHz, 2 Mb/s.
  void TunePsk(int channel) {
    Card().PskRx_SetCarrierModulationMode(channel, "QPSK");
    Card().PskRx_SetCarrierCenterFrequencyInHz(channel, 70'000'000.0);
    Card().PskRx_SetBitSyncStream1RateInbps(channel, 2'000'000.0);
    card::SetSetupText(Rec().Receiver[channel].DemodMode, "QPSK");
    Rec().Receiver[channel].BitSync[0].Bitrate = 2'000'000;
  }

  testsupport::LoggedProgramFolder program_;
  std::string sim_;
  int (*advance_)(double) = nullptr;
  std::unique_ptr<quorxrtl20mgrclass> cards_;
  std::unique_ptr<quorxhwcfgmgrclass> hwcfg_;
  std::unique_ptr<quorxdncvtmgrclass> dncvt_;
  std::unique_ptr<config::kr20optionclass> options_;
  std::unique_ptr<kr20setmgrclass> manager_;
};

constexpr const char* kPskSignal = "70e6, -40, QPSK, 2e6, 14, NRZL";

TEST_F(StatusReadersTest, PskChannelFieldsComeFromTheCard) {
  Start("YES", 5, kPskSignal, kPskSignal);  // PSK + PSK with a pre-D combiner
  TunePsk(0);
  TunePsk(1);
  Rec().RouteInfo.RouteMode = 0;
  Rec().RouteInfo.FpgaMasterMode = 5;
  Rec().RouteInfo.PreDCombinerMode = 3;
  Rec().Receiver[0].InvertOutput = 1;
  card::SetSetupText(Rec().Receiver[0].OutputClockPolarity, "RISING_EDGE");
  card::SetSetupText(Rec().Receiver[1].OutputClockPolarity, "FALLING_EDGE");
  Rec().Receiver[1].InvertOutput = 0;
  Advance(2.0);
  manager_->RefreshChannelStatus();

  const ChannelStatusRecord& s = Status(0);
  const settings::ReceiverStatusBlock rx = s.Receiver;
  std::string mode = Card().PskRx_GetCarrierModulationMode(0);
  EXPECT_EQ(Text(rx.ReceiverName), mode);
  // The card's readings carry measurement noise: each is compared with a second reading.
  EXPECT_EQ(Value(rx.CarrierFreqMhz), Card().PskRx_GetCarrierCenterFrequencyInHz(0) * 0.000001);
  EXPECT_NEAR(Value(rx.SignalPowerDbm), Card().PskRx_GetReceiverSignalPowerIndBm(0), 1.0);
  EXPECT_NEAR(Value(rx.TotalPowerDbm), Card().PskRx_GetReceiverTotalPowerIndBm(0), 1.0);
  EXPECT_LT(Value(rx.SignalPowerDbm), -30.0);
  EXPECT_EQ(Value(rx.SignalFilterBwRatio), Card().PskRx_GetCarrierSignalFilterBandwidthRatio(0));
  EXPECT_NEAR(Value(rx.ActualSignalFreqHz), Card().PskRx_GetCarrierActualSignalFrequencyInHz(0), 5000.0);
  EXPECT_GT(Value(rx.SignalBw), 0.0);
  EXPECT_EQ(Value(rx.DataInverted), 1);
  EXPECT_EQ(Value(rx.ClockRisingEdge), 1);
  EXPECT_EQ(Value(Status(1).Receiver.DataInverted), 0);
  EXPECT_EQ(Value(Status(1).Receiver.ClockRisingEdge), 0);

  const settings::BitSyncStatusBlock bs = s.BitSync1;
  EXPECT_NEAR(Value(bs.EbNoDb), Card().PskRx_GetBitSyncStream1SignalEbNo(0), 1.5);
  EXPECT_GT(Value(bs.EbNoDb), 5.0);
  EXPECT_EQ(Value(bs.Locked), 1);
  const double symbolRate = bs.SymbolRate;
  EXPECT_NEAR(symbolRate, Card().PskRx_GetBitSyncStream1ActualSymbolRate(0), 1000.0);
  EXPECT_NEAR(symbolRate, 1'000'000.0, 1000.0);  // 2 Mb/s QPSK
  EXPECT_EQ(Value(bs.BitRate), 2.0 * symbolRate);
  EXPECT_EQ(Text(bs.PcmInputCode), card::PrnNameToDisplay(Card().PskRx_GetBitSyncStream1InputDataDecodingMode(0),
                                                          Card().PskRx_GetBitSyncStream1DescramblerMode(0)));
  EXPECT_EQ(Value(bs.PcmOutputCode),
            settings::PcmOutputCodeNumber(Card().PskRx_GetBitSyncStream1OutputDataEncodingMode(0)));

  // The wire offsets the datagrams and the flight record read.
  EXPECT_EQ(ByteAt(s, 223), Value(rx.CarrierLocked));
  EXPECT_EQ(DoubleAt(s, 272), Value(rx.ActualSignalFreqHz));
  EXPECT_EQ(ByteAt(s, 410), 1);
  EXPECT_EQ(DoubleAt(s, 411), Value(bs.EbNoDb));
  EXPECT_EQ(Flight(0).EbNoDb, Value(bs.EbNoDb));
  EXPECT_EQ(Flight(0).BitSyncLock, 1);

  // Route head in channel 0's record only.
  const settings::RouteInfoCopy route = s.RouteInfo;
  EXPECT_EQ(Value(route.ModeFunction), 5u);
  EXPECT_EQ(Value(route.RouteMode), 0u);
  EXPECT_EQ(Value(route.RouteBytes[0]), 3);
  for (std::size_t i = 0; i < 15; ++i) EXPECT_EQ(ByteAt(Status(1), i), 0) << i;

  // The variant PSK-PSK card transmits two streams: stream 2 is read too.
  ASSERT_TRUE(card::CardHasDualTransmit(0));
  EXPECT_NEAR(Value(s.BitSync2.EbNoDb), Card().PskRx_GetBitSyncStream2SignalEbNo(0), 1.5);
}

TEST_F(StatusReadersTest, EbNoRuleOnTheCardsReading) {
  Start("YES", 4, kPskSignal, "NONE");
  TunePsk(0);
  Advance(2.0);
  // The card reports about 14 dB and locked.
  Opt().EnableBsEbNoAlg = 1;
  Opt().MinEbNoBsLock = 5.0;
  manager_->RefreshChannelStatus();
  ASSERT_GT(Value(Status(0).BitSync1.EbNoDb), 8.0);
  EXPECT_EQ(Value(Status(0).BitSync1.Locked), 1);

  Opt().MinEbNoBsLock = 25.0;
  manager_->RefreshChannelStatus();
  EXPECT_EQ(Value(Status(0).BitSync1.Locked), 0);
  EXPECT_EQ(Flight(0).BitSyncLock, 0);

  Opt().EnableBsEbNoAlg = 0;
  manager_->RefreshChannelStatus();
  EXPECT_EQ(Value(Status(0).BitSync1.Locked), 1);
}

TEST_F(StatusReadersTest, CarrierBelow70MHzMovesOnlyTheLowestAndRestartResets) {
  Start("YES", 4, "69.8e6, -40, QPSK, 2e6, 14, NRZL", "NONE");
  TunePsk(0);
  Rec().RouteInfo.RouteMode = 0;
  Advance(2.0);
  manager_->RefreshChannelStatus();
  const double actual = Status(0).Receiver.ActualSignalFreqHz;
  EXPECT_NEAR(actual, Card().PskRx_GetCarrierActualSignalFrequencyInHz(0), 5000.0);
  ASSERT_LT(actual, 70'000'000.0);
  ASSERT_GT(actual, 69'000'000.0);
  EXPECT_EQ(Value(Status(0).Receiver.HighestSignalFreqHz), 70'000'000.0);
  EXPECT_EQ(Value(Status(0).Receiver.LowestSignalFreqHz), actual);
  EXPECT_EQ(DoubleAt(Status(0), 280), 70'000'000.0);
  EXPECT_EQ(DoubleAt(Status(0), 288), actual);

  manager_->RestartAcquisition(0, 0);
  EXPECT_EQ(Value(Status(0).Receiver.HighestSignalFreqHz), 70'000'000.0);
  EXPECT_EQ(Value(Status(0).Receiver.LowestSignalFreqHz), 70'000'000.0);
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
  EXPECT_EQ(DoubleAt(Status(0), 23), agc + 3.5);
  EXPECT_EQ(Value(dc.TunedFreqMhz), Value(dncvt_->Records[0].Setup.FreqMhz));
  EXPECT_EQ(Value(dc.StatusByte), 0x5A);
  EXPECT_EQ(ByteAt(Status(0), 46), 0x5A);
  EXPECT_EQ(ByteAt(Status(0), 47), 1);
  EXPECT_EQ(ByteAt(Status(0), 49), 0x02);  // low byte of the index
  EXPECT_EQ(ByteAt(Status(0), 50), 3);
  std::int32_t amHz = 0;
  ASSERT_TRUE(dncvt_->DnCvtReadAmFrequency(0, amHz));
  EXPECT_EQ(Value(dc.AmFrequency), amHz);
  EXPECT_EQ(Flight(0).Rssi, agc + 3.5);

  // Channel 1 has no converter: offsets 15-50 stay zero, RSSI -200.
  for (std::size_t i = 15; i <= 50; ++i) EXPECT_EQ(ByteAt(Status(1), i), 0) << i;
  manager_->RefreshBertStatusAndFlightValues();
  EXPECT_EQ(Flight(1).Rssi, -200.0);
  EXPECT_EQ(Flight(0).IfBandwidthKhz, Value(dncvt_->Records[0].IfFilterBwKhz[3]));
  EXPECT_EQ(Flight(0).AgcTimeConstMsecs, 0.0);  // index 0x102 is outside the table
}

TEST_F(StatusReadersTest, CombinerBlocksAreSharedAndMissingOnesStay) {
  Start("YES", 5, kPskSignal, kPskSignal);  // pre-D, no post-D
  Rec().PreD.CombinerModePolarity = 1;
  Rec().PreD.CombinerModeOff = 0;
  Advance(1.0);
  manager_->RefreshCombinerAndDownConverterStatus();
  const settings::PreDStatusBlock pre = Status(0).PreD;
  EXPECT_EQ(Value(pre.CombinerMode), 1);
  EXPECT_EQ(Value(pre.SecondByte), 0);
  EXPECT_NEAR(Value(pre.ChanAMeasuredNoise), Card().PreD_GetMeasuredNoiseChannelA(), 1.0);
  EXPECT_NEAR(Value(pre.ChanBMeasuredNoise), Card().PreD_GetMeasuredNoiseChannelB(), 1.0);
  EXPECT_NE(Value(pre.ChanAMeasuredNoise), 0.0);
  EXPECT_EQ(std::memcmp(reinterpret_cast<const unsigned char*>(&Status(0)) + 1051,
                        reinterpret_cast<const unsigned char*>(&Status(1)) + 1051, 150),
            0);
  for (std::size_t i = 908; i < 908 + 143; ++i) EXPECT_EQ(ByteAt(Status(0), i), 0) << i;
}

TEST_F(StatusReadersTest, PostDBlockOnAPostDCard) {
  Start("YES", 6, kPskSignal, kPskSignal);  // post-D, no pre-D
  Rec().PostD.CombinerModePolarity = 1;
  Rec().PostD.CombinerModeOff = 1;
  Advance(1.0);
  manager_->RefreshCombinerAndDownConverterStatus();
  const settings::PostDStatusBlock post = Status(1).PostD;
  EXPECT_EQ(Value(post.CombiningGainDb), Card().PostD_GetCombiningGainIndB());
  EXPECT_EQ(Value(post.ChanAScalePct), Card().PostD_GetChannelAScaleInPercent());
  EXPECT_EQ(ByteAt(Status(1), 908 + 40), 1);
  EXPECT_EQ(ByteAt(Status(1), 908 + 41), 1);
  EXPECT_EQ(ByteAt(Status(1), 908 + 42), 0);
  for (std::size_t i = 1051; i < 1051 + 150; ++i) EXPECT_EQ(ByteAt(Status(0), i), 0) << i;
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
  manager_->RefreshBertStatusAndFlightValues();
  const settings::BertStatusBlock bert = Status(0).Bert;
  EXPECT_EQ(Value(bert.LockLossCount), Card().Bert_GetLockLossCount(0));
  EXPECT_EQ(Value(bert.BitErrorRate), settings::BitErrorRateFromText(Card().Bert_GetBitErrorRate(0)));
  EXPECT_EQ(Value(bert.BitRate), 2.0 * Card().Bert_GetBitRate(0));  // QPSK
  EXPECT_EQ(DoubleAt(Status(0), 820), Value(bert.BitErrorRate));
  EXPECT_EQ(Flight(0).Ber, Value(bert.BitErrorRate));
  EXPECT_EQ(Flight(0).BerValid, Value(bert.Locked));

  // The setup's values for the record line.
  card::SetSetupText(Rec().Receiver[0].InputSource, "IF_INPUT1");
  card::SetSetupText(Rec().Receiver[0].BitSync[0].PcmInputCode, "RNRZ-15");
  Rec().Receiver[0].CarrierPeakDeviation = 0.35;
  Rec().Receiver[0].CarrierPeakDeviationRange = 0.05;
  manager_->RefreshBertStatusAndFlightValues();
  EXPECT_EQ(Flight(0).InputSource, "IF_INPUT1");
  EXPECT_EQ(Flight(0).PcmInputCode, "RNRZ-15");
  EXPECT_EQ(Flight(0).DemodType, "QPSK");
  EXPECT_EQ(Flight(0).BitRateMbps, 2.0);
  EXPECT_EQ(Flight(0).PeakDeviation, 0.35);
  EXPECT_EQ(Flight(0).PeakDeviationSpread, 0.05);
}

TEST_F(StatusReadersTest, PcmFmChannelNameAndLockFromTheRegisterFlag) {
  Start("NO", 1, kPskSignal, "70e6, -40, FM, 1e6, 14, NRZL");  // PSK + PCM/FM
  Card().FmRx_SetCarrierCenterFrequencyInHz(1, 70'000'000.0);
  card::SetSetupText(Rec().Receiver[1].DemodMode, "PCM_FM");
  Card().FmRx_SetBitSyncRateInbps(1, 1'000'000.0);
  Advance(3.0);
  manager_->RefreshChannelStatus();
  const ChannelStatusRecord& s = Status(1);
  EXPECT_EQ(Text(s.Receiver.ReceiverName), "NTSC_VIDEO");
  EXPECT_NEAR(Value(s.Receiver.ModIndexCompensated), Card().FmRx_GetCarrierModIndexCompensatedValue(1), 0.05);
  EXPECT_NEAR(Value(s.Receiver.ModIndexCompensated), 0.7, 0.05);
  std::array<std::uint32_t, 1> status{};
  ASSERT_TRUE(Card().Dev176_ReadValues(Card().FmReceiverInstance(1), card::fmrx_reg::kStatus, status));
  EXPECT_EQ(Value(s.BitSync1.Locked), (status[0] & card::fmrx_reg::kStatusBitSyncLocked) != 0 ? 1 : 0);
  EXPECT_NEAR(Value(s.BitSync1.EbNoDb), Card().FmRx_GetBitSyncSignalEbNo(1), 1.5);
  EXPECT_EQ(Value(s.BitSync1.BitRate), Value(s.BitSync1.SymbolRate));  // not doubled
}

// The pulse drops the transmitter-is-digital flag back to off: a flag set beforehand shows whether
// a pulse was given.
TEST_F(StatusReadersTest, XmitterIsDigitalPulseOnAWeakOrUnlockedPcmFmBitSync) {
  Start("NO", 1, kPskSignal, "70e6, -40, FM, 1e6, 14, NRZL");  // PSK + PCM/FM
  ASSERT_TRUE(card::IsPcmFmChannel(0, 1));
  auto pulsed = [&](std::uint8_t locked, double ebNo) {
    settings::BitSyncStatusBlock bs = Status(1).BitSync1;
    bs.Locked = locked;
    bs.EbNoDb = ebNo;
    Status(1).BitSync1 = bs;
    Card().FmRx_SetXmitterIsDigital(1, true);
    EXPECT_TRUE(Card().FmRx_GetXmitterIsDigital(1));
    manager_->CheckFmXmitterIsDigital();
    return !Card().FmRx_GetXmitterIsDigital(1);
  };
  EXPECT_TRUE(pulsed(0, 20.0));   // not locked
  EXPECT_TRUE(pulsed(1, 6.0));    // Eb/No at most 6 dB
  EXPECT_FALSE(pulsed(1, 6.1));   // locked and strong, no request
  Card().SetPulseRequest(1, true);
  EXPECT_TRUE(pulsed(1, 6.1));    // the request gives the pulse once
  EXPECT_FALSE(Card().PulseRequest(1));
  EXPECT_FALSE(pulsed(1, 6.1));
  // A weak bit sync pulses without touching a pending request.
  Card().SetPulseRequest(1, true);
  EXPECT_TRUE(pulsed(1, 3.0));
  EXPECT_TRUE(Card().PulseRequest(1));
}

TEST_F(StatusReadersTest, PreDNoiseReadFailureIsLoggedAndKeepsTheOldValues) {
  Start("YES", 5, kPskSignal, kPskSignal);  // pre-D combiner
  settings::PreDStatusBlock marked = Status(0).PreD;
  marked.ChanAMeasuredNoise = 12.5;
  marked.ChanBMeasuredNoise = 13.5;
  Status(0).PreD = marked;
  // The library drops the card: its link is down and no reading can be made.
  auto close = SimHook<int (*)(int)>(sim_ + "/librtZp903x.so", "Zp90_Card_Close");
  auto open = SimHook<int (*)(int)>(sim_ + "/librtZp903x.so", "Zp90_Card_Open");
  ASSERT_NE(close, nullptr);
  ASSERT_NE(open, nullptr);
  ASSERT_EQ(close(0), 0);
  manager_->GetPreDStatusInfo(0);
  EXPECT_EQ(open(0), 0);
  EXPECT_EQ(Value(Status(0).PreD.ChanAMeasuredNoise), 12.5);
  EXPECT_EQ(Value(Status(0).PreD.ChanBMeasuredNoise), 13.5);
  const std::vector<std::string> texts = program_.LogTexts();
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(texts.back(),
            "Kr20SetMgrUnit :: kr20setmgrclass::GetPreDStatusInfo :: RTL Fail on PreD Get Measured Noise");
}

TEST_F(StatusReadersTest, MultiHCpmReceiverFillsItsBlockAndBitSyncStream1) {
  Start("YES", 14, "70.1e6, -50, MHCPM, 2e6, 12, NRZL", "NONE");
  ASSERT_TRUE(card::IsMultiHCpmChannel(0, 0));
  Card().MhCpmRx_SetTotalSetup(0, "NRZL", false, "RISING_EDGE", "NRZL", 2e6, 200e3, 70.0, 1.0, 1.0);
  settings::BitSyncStatusBlock marked = Status(0).BitSync1;
  marked.EbNoDb = 99.0;
  marked.PcmOutputCode = 4;
  Status(0).BitSync1 = marked;
  Advance(0.5);
  manager_->RefreshChannelStatus();
  card::MhCpmStatusValues values;
  ASSERT_TRUE(Card().MhCpmRx_GetStatusValues(0, values));
  ASSERT_GT(values.LockState, 1);
  const ChannelStatusRecord& s = Status(0);
  EXPECT_EQ(Text(s.Receiver.ReceiverName), "MH_CPM");
  EXPECT_EQ(Value(s.Receiver.MhCpmLockState), values.LockState);
  EXPECT_EQ(Value(s.Receiver.CarrierLocked), values.CarrierLocked ? 1 : 0);
  EXPECT_NEAR(Value(s.Receiver.CarrierFreqMhz), values.CarrierFreqMhz, 1e-3);
  EXPECT_EQ(DoubleAt(s, 159 + 113), Value(s.Receiver.CarrierFreqMhz) * 1'000'000.0);
  EXPECT_EQ(DoubleAt(s, 159 + 65), Value(s.Receiver.CarrierFreqMhz));
  EXPECT_EQ(ByteAt(s, 159 + 64), Value(s.Receiver.CarrierLocked));
  const settings::BitSyncStatusBlock bs = s.BitSync1;
  EXPECT_EQ(Value(bs.Locked), 1);
  EXPECT_EQ(ByteAt(s, 410), 1);
  EXPECT_NEAR(Value(bs.BitRate), values.BitRate, 50.0);
  EXPECT_EQ(Value(bs.SymbolRate), Value(bs.BitRate));
  EXPECT_EQ(Text(bs.PcmInputCode), "NRZL");
  // The bit-sync reader does not run for this family.
  EXPECT_EQ(Value(bs.EbNoDb), 99.0);
  EXPECT_EQ(Value(bs.PcmOutputCode), 4);
  EXPECT_EQ(Flight(0).BitSyncLock, 1);

  // Tuned 5 MHz off the carrier the lock state drops to 1 or below: the stream counts as unlocked.
  Card().MhCpmRx_SetTotalSetup(0, "NRZL", false, "RISING_EDGE", "NRZL", 2e6, 200e3, 75.0, 1.0, 1.0);
  Advance(0.5);
  manager_->RefreshChannelStatus();
  ASSERT_TRUE(Card().MhCpmRx_GetStatusValues(0, values));
  ASSERT_LE(values.LockState, 1);
  EXPECT_EQ(Value(Status(0).Receiver.MhCpmLockState), values.LockState);
  EXPECT_EQ(Value(Status(0).BitSync1.Locked), 0);
  EXPECT_EQ(ByteAt(Status(0), 410), 0);
  EXPECT_EQ(Flight(0).BitSyncLock, 0);
}

// ---- Demo mode ---------------------------------------------------------------------------------------

TEST_F(StatusReadersTest, DemoValuesOfASimulatedCard) {
  StartDemo();
  ASSERT_TRUE(card::IsPmChannel(0, 0));
  ASSERT_FALSE(card::IsPmChannel(0, 1) || card::IsPcmFmChannel(0, 1) || card::IsMultiHCpmChannel(0, 1));
  settings::DemoRandomEngine().seed(42);
  manager_->RefreshChannelStatus();
  const ChannelStatusRecord pm = Status(0);
  const ChannelStatusRecord psk = Status(1);

  EXPECT_EQ(Text(pm.Receiver.ReceiverName), "PM");
  EXPECT_EQ(Value(pm.Receiver.CarrierFreqMhz), 70.3);
  const double pmSignal = pm.Receiver.SignalPowerDbm;
  EXPECT_GE(pmSignal, -63.0);
  EXPECT_LE(pmSignal, -54.0);
  EXPECT_EQ(Value(pm.Receiver.TotalPowerDbm), pmSignal + 11.0);
  EXPECT_EQ(Value(pm.Receiver.HighestSignalFreqHz), 70'000'000.0);
  EXPECT_EQ(Value(pm.BitSync1.SymbolRate), 0.0);  // no bit sync on a PM channel

  EXPECT_EQ(Text(psk.Receiver.ReceiverName), "SOQPSK");
  EXPECT_EQ(Value(psk.Receiver.CarrierFreqMhz), 70.2);
  const double r = -44.0 - psk.Receiver.SignalPowerDbm;
  EXPECT_GE(r, 0.0);
  EXPECT_LE(r, 9.0);
  EXPECT_EQ(Value(psk.Receiver.TotalPowerDbm), -(33.0 + r));
  EXPECT_DOUBLE_EQ(Value(psk.Receiver.SignalFilterBwRatio), 0.1 * r);
  const double ebNo = psk.BitSync1.EbNoDb;
  const double rb = (ebNo - 15.0) / 0.5;
  EXPECT_EQ(rb, std::floor(rb));
  EXPECT_GE(rb, 0.0);
  EXPECT_LE(rb, 9.0);
  EXPECT_EQ(Value(psk.BitSync1.SymbolRate), rb + 1'000'000.0);
  EXPECT_EQ(Text(psk.BitSync1.PcmInputCode), "RNRZ-15");

  // The same seed gives the same snapshot.
  const ChannelStatusRecord first = Status(1);
  settings::DemoRandomEngine().seed(42);
  manager_->RefreshChannelStatus();
  EXPECT_EQ(std::memcmp(&first, &Status(1), sizeof first), 0);

  // With a minimum above every demo Eb/No, no demo bit sync is locked.
  Opt().EnableBsEbNoAlg = 1;
  Opt().MinEbNoBsLock = 25.0;
  for (int pass = 0; pass < 10; ++pass) {
    manager_->RefreshChannelStatus();
    EXPECT_EQ(Value(Status(1).BitSync1.Locked), 0);
  }
}

TEST_F(StatusReadersTest, DemoCombinerValues) {
  StartDemo();
  settings::DemoRandomEngine().seed(7);
  manager_->GetPreDStatusInfo(0);
  manager_->GetPostDStatusInfo(0);
  const settings::PreDStatusBlock pre = Status(0).PreD;
  const double r = (pre.ChanAMeasuredNoise - 15.0) / 0.5;
  EXPECT_EQ(r, std::floor(r));
  EXPECT_EQ(Value(pre.CombinerMode), r > 4 ? 1 : 0);
  EXPECT_EQ(Value(pre.SecondByte), r > 8 ? 1 : 0);
  const settings::PostDStatusBlock post = Status(0).PostD;
  const double rp = (post.ChanAEbNoDb - 15.0) / 0.5;
  EXPECT_DOUBLE_EQ(Value(post.CombiningGainDb), rp / 9.0 + 1.0);
  EXPECT_EQ(Value(post.ChanAScalePct), 0.5 * rp + 75.0);
  EXPECT_EQ(Value(post.ChanBScalePct), 0.5 * rp + 76.0);
  EXPECT_EQ(Value(post.CombinerMode), rp > 4 ? 1 : 0);
}

TEST(DemoRandom, StaysInRangeAndRepeatsWithTheSeed) {
  settings::DemoRandomEngine().seed(3);
  int draws[50];
  for (int& d : draws) {
    d = settings::DemoRandom(10);
    EXPECT_GE(d, 0);
    EXPECT_LT(d, 10);
  }
  settings::DemoRandomEngine().seed(3);
  for (int d : draws) EXPECT_EQ(settings::DemoRandom(10), d);
  EXPECT_EQ(settings::DemoRandom(0), 0);
  EXPECT_EQ(settings::DemoRandom(-5), 0);
}

TEST_F(StatusReadersTest, BadIndicesDoNothing) {
  Start("YES", 4, kPskSignal, "NONE");
  manager_->GetPreDStatusInfo(-1);
  manager_->GetPreDStatusInfo(6);
  manager_->GetPostDStatusInfo(1);
  for (std::size_t i = 0; i < sizeof(ChannelStatusRecord); ++i) EXPECT_EQ(ByteAt(Status(0), i), 0) << i;
}

}  // namespace
