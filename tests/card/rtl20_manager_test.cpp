// The card run-time manager against the simulated receiver-card library.
#include "card/rtl20_manager.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <thread>
#include <variant>
#include <vector>

#include "card_test_support.h"
#include "card/fpga_module_registers.h"
#include "card/setup_defaults.h"
#include "card/setup_routines.h"
#include "config/globals.h"
#include "support/log_capture.h"

namespace card {
namespace {

class Rtl20ManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = SimFolder();
    if (!std::filesystem::exists(folder_ + "/librtZp903x.so")) GTEST_SKIP() << "devicesim libraries not built";
    setenv("QUORX_SIM_FOLDER", program.Path().c_str(), 1);
    imageFolder_ = program / "SYSTEM/HARDWARECONFIGURATION/KR20_BIN";
    ASSERT_TRUE(MakeFpgaImages(program, folder_));
  }

  void TearDown() override {
    if (handle_ != nullptr) dlclose(handle_);
  }

  // Cards of the given personalities (modes 4 .. 15 on the chip-variant board).
  void Configure(const std::vector<int>& modes) {
    std::string text = "[General]\nCards=" + std::to_string(modes.size()) + "\nSeed=3\n";
    for (std::size_t i = 0; i < modes.size(); ++i) {
      text += "[Card_" + std::to_string(i) + "]\nChipVariant=" + (modes[i] >= 4 ? "YES" : "NO") +
              "\nFpgaMode=" + std::to_string(modes[i]) + "\n";
    }
    ASSERT_TRUE(testsupport::WriteWholeFile(program / "VirtualHardware.cfg", text));
    // Kept loaded through the test, so the manager binds this same, freshly reset simulator.
    handle_ = ResetSimLibrary(folder_);
    ASSERT_NE(handle_, nullptr);
  }

  std::unique_ptr<quorxrtl20mgrclass> Manager() { return std::make_unique<quorxrtl20mgrclass>(folder_); }

  testsupport::LoggedProgramFolder program;
  std::string folder_;
  std::string imageFolder_;
  void* handle_ = nullptr;
};

TEST_F(Rtl20ManagerTest, BindsCountsAndScansTheImagesIntoSlotsAndFunctionMasks) {
  Configure({0, 5});
  // The extension is matched without regard to case; a file that is no image is passed over.
  std::filesystem::rename(imageFolder_ + "/Kr20_Mode02.VantMcs", imageFolder_ + "/kr20_mode02.vantMCS");
  ASSERT_TRUE(testsupport::WriteWholeFile(imageFolder_ + "/Broken.VantMcs", "not an image"));
  ASSERT_TRUE(testsupport::WriteWholeFile(imageFolder_ + "/Readme.txt", "QXVANTMC"));

  auto manager = Manager();
  ASSERT_TRUE(manager->DoAfterHwCfgMgrLoaded());
  EXPECT_TRUE(manager->Library().Loaded());
  EXPECT_EQ(manager->CardCount(), 2);
  EXPECT_EQ(manager->DetectedCardCount(), 2);
  EXPECT_FALSE(manager->ChipVariant(0));
  EXPECT_TRUE(manager->ChipVariant(1));

  // The standard card gets modes 0 .. 3, the variant card 4 .. 15.
  const kr20modefnavailstruct& standard = manager->ModeImages(0);
  EXPECT_EQ(standard[2].Mode, 2);
  EXPECT_EQ(standard[2].ImageFile, imageFolder_ + "/kr20_mode02.vantMCS");
  EXPECT_EQ(standard[3].ImageFile, imageFolder_ + "/Kr20_Mode03.VantMcs");
  EXPECT_EQ(standard[4].Mode, kNoFpgaMode);
  const kr20modefnavailstruct& variant = manager->ModeImages(1);
  EXPECT_EQ(variant[0].Mode, kNoFpgaMode);
  EXPECT_EQ(variant[14].Mode, 14);
  EXPECT_EQ(Value(variant[14].Header.CardInfo.NumMhCpmReceivers), 1);
  EXPECT_TRUE(manager->ModeSlots(1)[5].PreDCombining);
  EXPECT_TRUE(manager->ModeSlots(1)[12].PostDCombining);
  EXPECT_FALSE(manager->ModeSlots(0)[5].Usable);

  // Standard board: the independent modes and the two pre-D modes served by modes 1 and 0.
  EXPECT_EQ(manager->FunctionMask(0), 0x003F);
  EXPECT_EQ(manager->FunctionMask(1), 0x03FF);
  EXPECT_EQ(manager->FunctionMask(2), 0);
  EXPECT_EQ(manager->FunctionMask(-1), 0);

  EXPECT_TRUE(HasLine(program, "Card 1 standard, FPGA images 4, function mask 0x003F"));
  EXPECT_TRUE(HasLine(program, "Card 2 chip variant, FPGA images 12, function mask 0x03FF"));
  EXPECT_TRUE(HasLine(program, "FPGA image " + imageFolder_ + "/Broken.VantMcs ignored: not an image of this format"));
  // The probe leaves the cards closed.
  EXPECT_EQ(manager->Card(0), nullptr);
}

TEST_F(Rtl20ManagerTest, WithoutTheLibraryNoCardIsCountedAndImagesStillScan) {
  Configure({0});
  auto manager = std::make_unique<quorxrtl20mgrclass>(program / "nowhere");
  EXPECT_FALSE(manager->DoAfterHwCfgMgrLoaded());
  EXPECT_EQ(manager->CardCount(), 0);
  EXPECT_EQ(manager->DetectedCardCount(), 0);
  EXPECT_FALSE(manager->OpenCards(false, 1));
  EXPECT_EQ(manager->CardCount(), 0);
  // Demo cards need no library: standard images, PSK+PSK counts from the mode 0 header.
  EXPECT_TRUE(manager->OpenCards(true, 9));
  ASSERT_EQ(manager->CardCount(), 6);
  kr20cardclass* demo = manager->Card(5);
  ASSERT_NE(demo, nullptr);
  EXPECT_TRUE(demo->IsSimulated());
  EXPECT_EQ(Value(demo->CardInfo().NumPskReceivers), 2);
  EXPECT_EQ(Value(demo->CardInfo().NumModulators), 1);
  EXPECT_EQ(manager->FunctionMask(5), 0x003F);
  EXPECT_TRUE(manager->ApplyCardSetup(5));  // nothing to push, nothing wrong
}

TEST_F(Rtl20ManagerTest, OpensCardsWithTheirImagesLoadStateAndDefaultSetup) {
  Configure({0, 5});
  auto manager = Manager();
  ASSERT_TRUE(manager->DoAfterHwCfgMgrLoaded());
  manager->LoadState(1).DesiredFpgaMode = 8;
  EXPECT_FALSE(manager->OpenCards(false, 4));  // more than found: only those found open
  ASSERT_EQ(manager->CardCount(), 2);
  kr20cardclass* card0 = manager->Card(0);
  kr20cardclass* card1 = manager->Card(1);
  ASSERT_NE(card0, nullptr);
  ASSERT_NE(card1, nullptr);
  EXPECT_EQ(manager->Card(2), nullptr);
  EXPECT_TRUE(card0->IsReady());
  EXPECT_EQ(card0->FpgaImage(1, 0), imageFolder_ + "/Kr20_Mode01.VantMcs");
  EXPECT_EQ(card0->FpgaImage(5, 0), "");
  EXPECT_EQ(card1->FpgaImage(5, 0), imageFolder_ + "/Kr20_Mode05.VantMcs");
  EXPECT_EQ(Value(manager->LoadState(0).CurrentFpgaMode), 0);
  EXPECT_EQ(Value(manager->LoadState(1).CurrentFpgaMode), 5);
  EXPECT_EQ(Value(card1->LoadState().DesiredFpgaMode), 8);  // the slot's record went to the card
  const CardSetupRecord defaults = DefaultCardSetup();
  EXPECT_EQ(std::memcmp(&card0->Setup(), &defaults, sizeof defaults), 0);

  // The loaded personality is what the card then runs.
  ASSERT_TRUE(card1->EnsureFpgasLoaded());
  EXPECT_EQ(Value(card1->LoadState().CurrentFpgaMode), 8);
  EXPECT_EQ(Value(card1->CardInfo().NumFmReceivers), 1);

  manager->CloseCards();
  EXPECT_EQ(manager->Card(1), nullptr);
  EXPECT_EQ(manager->CardCount(), 0);
  EXPECT_EQ(Value(manager->LoadState(1).CurrentFpgaMode), 8);  // kept for the file
}

TEST_F(Rtl20ManagerTest, FpgaConfigFileIsWrittenWholeAndReadBackRangeChecked) {
  {
    quorxrtl20mgrclass manager(folder_);
    FpgaLoadState& state = manager.LoadState(2);
    state.ForceLoad = 1;
    state.DefaultFpgaMode = 3;
    state.DesiredFpgaMode = 13;
    state.LastFpgaMode = 16;
    state.CurrentFpgaMode = 12;
    ASSERT_TRUE(manager.SaveFpgaConfigFile());
  }
  const std::string path = program / "SYSTEM/HARDWARECONFIGURATION/Kr20FpgaCfg.cfg";
  EXPECT_EQ(quorxrtl20mgrclass::FpgaConfigFilePath(), path);
  std::string expected;
  for (int card = 0; card < 6; ++card) {
    const bool two = card == 2;
    expected += "[Card_" + std::to_string(card) + "]\r\nForceLoad=" + (two ? "1" : "0") +
                "\r\nDefaultFpgaMode=" + (two ? "3" : "0") + "\r\nDesiredFpgaMode=" + (two ? "13" : "0") +
                "\r\nLastFpgaMode=16\r\nCurrentFpgaMode=" + (two ? "12" : "16") + "\r\n";
  }
  EXPECT_EQ(testsupport::ReadWholeFile(path), expected);

  std::string edited = expected;
  const std::string bad = "DesiredFpgaMode=13";
  edited.replace(edited.find(bad), bad.size(), "DesiredFpgaMode=17");
  const std::string last = "[Card_5]\r\nForceLoad=0";
  edited.replace(edited.find(last), last.size(), "[Card_5]\r\nForceLoad=1");
  ASSERT_TRUE(testsupport::WriteWholeFile(path, edited));

  quorxrtl20mgrclass manager(folder_);
  ASSERT_TRUE(manager.LoadFpgaConfigFile());
  const FpgaLoadState two = manager.LoadState(2);
  EXPECT_EQ(Value(two.ForceLoad), 1);
  EXPECT_EQ(Value(two.DefaultFpgaMode), 3);
  EXPECT_EQ(Value(two.DesiredFpgaMode), 0);  // out of range: the value held stays
  EXPECT_EQ(Value(two.CurrentFpgaMode), 12);
  EXPECT_EQ(Value(manager.LoadState(5).ForceLoad), 1);
  EXPECT_TRUE(HasLine(program, "FPGA configuration Card_2 DesiredFpgaMode=17 out of range, ignored"));
  // A bad index never reaches the table.
  manager.LoadState(6).ForceLoad = 1;
  EXPECT_EQ(Value(manager.LoadState(6).ForceLoad), 0);
}

TEST_F(Rtl20ManagerTest, FpgaCommandLockIsReenteredByItsOwnerAndTimesOutForOthers) {
  quorxrtl20mgrclass manager(folder_);
  ASSERT_TRUE(manager.FpgaCmdLock());
  ASSERT_TRUE(manager.FpgaCmdLock());  // the master timer may lock inside a locked command

  std::atomic<int> result{-1};
  const auto started = std::chrono::steady_clock::now();
  std::thread other([&] { result = manager.FpgaCmdLock() ? 1 : 0; });
  other.join();
  const auto waited = std::chrono::steady_clock::now() - started;
  EXPECT_EQ(result, 0);
  EXPECT_GE(waited, std::chrono::milliseconds(1900));
  EXPECT_TRUE(HasLine(program, "COULDN'T GET A FPGA COMMAND LOCK"));

  manager.FpgaCmdUnlock();
  manager.FpgaCmdUnlock();
  std::thread again([&] {
    result = manager.FpgaCmdLock() ? 1 : 0;
    manager.FpgaCmdUnlock();
  });
  again.join();
  EXPECT_EQ(result, 1);
}

TEST_F(Rtl20ManagerTest, DestructorMarksEveryCardForAForcedLoadWhenAsked) {
  Configure({0});
  const std::string path = program / "SYSTEM/HARDWARECONFIGURATION/Kr20FpgaCfg.cfg";
  {
    auto manager = Manager();
    ASSERT_TRUE(manager->DoAfterHwCfgMgrLoaded());
    ASSERT_TRUE(manager->OpenCards(false, 1));
  }
  EXPECT_EQ(testsupport::ReadWholeFile(path).find("ForceLoad=1"), std::string::npos);

  config::gApp.ForceFpgaLoad = 1;
  {
    auto manager = Manager();
    ASSERT_TRUE(manager->DoAfterHwCfgMgrLoaded());
    ASSERT_TRUE(manager->OpenCards(false, 1));
    // Shut-down takes the lock and never gives it back; destruction must still work.
    ASSERT_TRUE(manager->FpgaCmdLock());
  }
  config::gApp.ForceFpgaLoad = 0;
  const std::string text = testsupport::ReadWholeFile(path);
  std::size_t marks = 0;
  for (std::size_t at = 0; (at = text.find("ForceLoad=1", at)) != std::string::npos; ++at) ++marks;
  EXPECT_EQ(marks, 6u);
  EXPECT_NE(text.find("[Card_0]\r\nForceLoad=1\r\nDefaultFpgaMode=0\r\nDesiredFpgaMode=0\r\nLastFpgaMode=16\r\n"
                      "CurrentFpgaMode=0\r\n"),
            std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(path + ".BAK"));
}

// A setup with a value other than the default in every family.
CardSetupRecord FilledSetup() {
  CardSetupRecord setup = DefaultCardSetup();
  for (std::size_t ch = 0; ch < kSetupChannels; ++ch) {
    ReceiverRecord rx = setup.Receiver[ch];
    BitSyncRecord s1 = rx.BitSync[0];
    s1.Bitrate = ch == 0 ? 2'000'000 : 500'000;
    SetSetupText(s1.PcmInputCode, "RNRZ-15");
    SetSetupText(s1.PcmOutputCode, "BIOL");
    SetSetupText(s1.ViterbiRateMode, "RATE_ONE_HALF");
    SetSetupText(s1.ViterbiSymbolOrder, "G2G1_ORDER");
    s1.ViterbiDecodeEnabled = 1;
    s1.ViterbiG2Inverted = 1;
    rx.BitSync[0] = s1;
    SetSetupText(rx.DemodMode, "QPSK");
    SetSetupText(rx.OutputClockPolarity, "FALLING_EDGE");
    rx.InvertOutput = 1;
    rx.CarrierFreqMhz = ch == 0 ? 70.5 : 69.25;
    rx.CarrierAcqRangeHz = 150'000.0;
    rx.CarrierAcqModeUnaided = 0;
    rx.CarrierThesholdDbm = -90.0;
    rx.CarrierAcqLoopBandwidthHz = 3000.0;
    rx.CarrierTrkLoopBandwidthHz = 700.0;
    rx.MhCpmCarrierFrequencyMhz = 71.0;
    RxRoutingRecord routing = rx.Routing;
    SetSetupText(routing.StreamSwapLocation, "POST_VITERBI");
    rx.Routing = routing;
    setup.Receiver[ch] = rx;

    RxBertRecord bert = setup.RxBert[ch];
    SetSetupText(bert.PrnPattern, "pn11");
    setup.RxBert[ch] = bert;
    TxBertRecord tx = setup.TxBert[ch];
    SetSetupText(tx.PrnPattern, "pn17");
    SetSetupText(tx.DataPolarity, "invert");
    tx.BitRate = 250'000.0;
    setup.TxBert[ch] = tx;
    FftRecord fft = setup.Fft[ch];
    fft.SpanMhz = 12.0;
    setup.Fft[ch] = fft;
  }
  PreDCombinerRecord pre = setup.PreD;
  SetSetupText(pre.NoiseEstimateMode, "FIXED");
  pre.TimeConstSecs = 0.05;
  pre.CenterFreqChBMhz = 70.25;
  setup.PreD = pre;
  PostDCombinerRecord post = setup.PostD;
  SetSetupText(post.DiversityOutput, "CHANNEL_B_OUTPUT");
  setup.PostD = post;
  ModulatorRecord mod = setup.Modulator;
  mod.CarrierFreqMhz = 70.125;
  mod.CarrierAmplitudeDbm = -22.0;
  mod.CarrierEnabled = 1;
  SetSetupText(mod.ModulationType, "BPSK");
  PcmEncoderRecord encoder = mod.PcmEncoder[1];
  SetSetupText(encoder.OutputCode, "RNRZ-15");
  encoder.InvertG2 = 1;
  mod.PcmEncoder[1] = encoder;
  setup.Modulator = mod;
  return setup;
}

TEST_F(Rtl20ManagerTest, ApplyCardSetupPushesEveryFamilyTheCardHas) {
  // PSK+PSK, PSK+PSK pre-D, PSK+PCM/FM post-D, PM+PSK, multi-h CPM+PSK.
  Configure({0, 5, 9, 13, 14});
  auto manager = Manager();
  ASSERT_TRUE(manager->DoAfterHwCfgMgrLoaded());
  ASSERT_TRUE(manager->OpenCards(false, 5));
  ASSERT_EQ(manager->CardCount(), 5);
  for (int card = 0; card < 5; ++card) {
    manager->Card(card)->Setup() = FilledSetup();
    EXPECT_TRUE(manager->ApplyCardSetup(card)) << card;
  }
  EXPECT_FALSE(manager->ApplyCardSetup(5));

  // What the readback table below does not cover: mode 5's pre-D combiner, the second channel of
  // the mixed cards, and the post-D output pushed on its own.
  EXPECT_EQ(manager->Card(0)->PskRx_GetCarrierCenterFrequencyInHz(0), 70.5e6);
  kr20cardclass& preD = *manager->Card(1);
  EXPECT_EQ(preD.PreD_GetNoiseEstimateMode(), "FIXED");
  EXPECT_EQ(preD.PreD_GetTimeConstInSec(), 0.05);
  EXPECT_EQ(preD.PreD_GetChannelBCenterFreqInHz(), 70.25e6);
  kr20cardclass& fm = *manager->Card(2);
  EXPECT_EQ(fm.PskRx_GetCarrierCenterFrequencyInHz(0), 70.5e6);
  EXPECT_EQ(fm.PostD_GetDiversityOutput(), "CHANNEL_B_OUTPUT");
  EXPECT_TRUE(manager->ApplyPostDDiversityOutput(2, "CHANNEL_A_OUTPUT"));
  EXPECT_EQ(fm.PostD_GetDiversityOutput(), "CHANNEL_A_OUTPUT");
  EXPECT_FALSE(manager->ApplyPostDDiversityOutput(0, "CHANNEL_A_OUTPUT"));  // no post-D combiner
  EXPECT_EQ(manager->Card(3)->PskRx_GetCarrierCenterFrequencyInHz(1), 69.25e6);
  kr20cardclass& mh = *manager->Card(4);
  MhCpmStatusValues status;
  ASSERT_TRUE(mh.MhCpmRx_GetStatusValues(0, status));
  EXPECT_NEAR(status.CarrierFreqMhz, 71.0, 0.01);
  EXPECT_EQ(mh.PskRx_GetCarrierCenterFrequencyInHz(1), 69.25e6);
}

// Every field of FilledSetup() and of the extras below that ApplyCardSetup sends, each with a
// value the defaults do not have, read back from the stand-in library.
CardSetupRecord FullySetSetup() {
  CardSetupRecord setup = FilledSetup();
  for (std::size_t ch = 0; ch < kSetupChannels; ++ch) {
    ReceiverRecord rx = setup.Receiver[ch];
    BitSyncRecord s1 = rx.BitSync[0];
    // A randomised code shows the descrambler on channel 0, a plain one the decoder on channel 1.
    if (ch == 1) SetSetupText(s1.PcmInputCode, "BIOL");
    s1.AcqLoopBandwidthPct = 3.0;
    s1.TrkLoopBandwidthPct = 0.3;
    SetSetupText(s1.ViterbiRateMode, "RATE_ONE_THIRD");
    s1.ViterbiG1Inverted = 1;
    rx.BitSync[0] = s1;
    BitSyncRecord s2 = rx.BitSync[1];
    s2.Bitrate = 300'000;
    SetSetupText(s2.PcmInputCode, ch == 0 ? "RNRZ-15" : "DMM2");
    SetSetupText(s2.PcmOutputCode, "NRZM");
    rx.BitSync[1] = s2;
    RxRoutingRecord routing = rx.Routing;
    SetSetupText(routing.RecombineLocation, "POST_BITSYNC");
    SetSetupText(routing.InvertLocation, "POST_PCM_CODING");
    SetSetupText(routing.Baseband1Output, "I_FIR_DBG");
    SetSetupText(routing.Baseband2Output, "STREAM2_DATA");
    routing.PskSakBbOutSelection = 2;
    rx.Routing = routing;
    // The channels swap their IF inputs.
    SetSetupText(rx.InputSource, ch == 0 ? "IF_INPUT2" : "IF_INPUT1");
    rx.CarrierAcqLoopBandwidthPct = 2.0;
    rx.CarrierTrkLoopBandwidthPct = 0.2;
    rx.CarrierSignalBwRatio = 1.5;
    rx.CarrierPeakDeviation = 0.3;
    rx.PeakDeviationFactorMin = 0.2;
    rx.PeakDeviationFactorMax = 0.5;
    rx.XmitterIsDigital = 1;
    rx.MhCpmCarrierloopbandwidthPct = 0.3;
    rx.MhCpmSymbolloopbandwidthPct = 0.4;
    rx.CarrierDiscriminatorEnabled = 1;
    SetSetupText(rx.CarrierModIndexCompensationMode, "AUTOMATIC");
    rx.PmModIndex = 1.25;
    rx.PmCarrierLockDecisionPeriod = 0.4;
    rx.PmLoopDiscriminatorEnabled = 1;
    SetSetupText(rx.PmDebugOutput1MuxSelect, "PHASE_ERROR");
    SetSetupText(rx.PmDebugOutput2MuxSelect, "LOOP_FILTER");
    setup.Receiver[ch] = rx;
    RxBertRecord bert = setup.RxBert[ch];
    SetSetupText(bert.ClockPolarity, "FALLING_EDGE");
    bert.UserPattern = 0xABC;
    bert.UserPatternLength = 12;
    setup.RxBert[ch] = bert;
    TxBertRecord tx = setup.TxBert[ch];
    tx.UserPattern = 0x5A5;
    tx.UserPatternLength = 12;
    tx.InsertTimeCode = 1;
    tx.SystemClock = 10e6;
    tx.BitErrorRate = 1e-4;
    SetSetupText(tx.ClockPolarity, "invert");
    setup.TxBert[ch] = tx;
    FftRecord fft = setup.Fft[ch];
    fft.CenterFreqMhz = 70.75;
    SetSetupText(fft.WindowType, "BLACKMAN");
    fft.NumFftAverages = 16;
    fft.UpdateRateHz = 20;
    setup.Fft[ch] = fft;
    IqRecord iq = setup.Iq[ch];
    iq.NumDataPoints = 2048;
    iq.UpdateRateHz = 25;
    setup.Iq[ch] = iq;
  }
  PreDCombinerRecord pre = setup.PreD;
  pre.SignalBandwidthMhz = 2.0;
  pre.PhaseTimeConstSecs = 0.02;
  pre.CenterFreqChAMhz = 69.75;
  pre.FixedNoiseChADbm = -110.0;
  pre.FixedNoiseChBDbm = -120.0;
  pre.NoiseFilterGainValue = 2.0;
  setup.PreD = pre;
  ModulatorRecord mod = setup.Modulator;
  SetSetupText(mod.ModulationMode, "USB");
  SetSetupText(mod.ModulationType, "QPSK");
  mod.IFMaxOutuptCal = 3;
  mod.CarrerToNoiseDbm = 60.0;
  mod.IPowerLevelDbm = -3.0;
  mod.QPowerLevelDbm = -6.0;
  mod.QPSKConjugate = 1;
  SetSetupText(mod.IDataSource, "CMD_ENCODER");
  SetSetupText(mod.QDataSource, "PCM_ENCODER1");
  SetSetupText(mod.IQRouting, "Q_EQUAL_I");
  SetSetupText(mod.SymbolRouting, "DEINTERLEAVE");
  SetSetupText(mod.InputPreprocess, "DEINTERLEAVE");
  mod.DirPskPmModIndex = 1.5;
  mod.FmPeakDeviationFactor = 0.5;
  SetSetupText(mod.Sub1InputSource, "PCM_ENCODER2");
  SetSetupText(mod.Sub1ModulationType, "BPSK");
  mod.Sub1RateHz = 16'000.0;
  mod.Subcarrier1PmModIndex = 0.75;
  mod.ModulationEnabled = 1;
  mod.NoiseEnabled = 1;
  mod.InputSourceDirect = 0;  // from the pre-D combiner, where there is one
  for (std::size_t i = 0; i < 2; ++i) {
    PcmEncoderRecord encoder = mod.PcmEncoder[i];
    SetSetupText(encoder.DataSource, i == 0 ? "TTL_INPUT_1" : "422_INPUT_2");
    if (i == 0) SetSetupText(encoder.OutputCode, "BIOL");
    encoder.ConvolutionEncoding = 1;
    encoder.SwapG1G2 = 1;
    encoder.InvertG2 = 1;
    encoder.InvertData = 1;
    encoder.FallingClockEdge = 1;
    mod.PcmEncoder[i] = encoder;
  }
  SetSetupText(mod.TestGenPattern, "PN11");
  mod.FSKPremodBandWidthHz = 40'000.0;
  mod.FSKFmDeviationHz = 25'000.0;
  mod.Subcarrier1DeviationHz = 11'000.0;
  mod.Subcarrier2DeviationHz = 12'000.0;
  mod.Subcarrier2PmModIndex = 0.8;
  mod.RangePmModIndex = 0.6;
  mod.CommandPmModIndex = 0.7;
  mod.ExtPmModIndex = 0.9;
  mod.SakLoopbackMode = 1;
  mod.SakIfModOutputToDiversity = 1;
  setup.Modulator = mod;
  BasebandSourceRecord baseband = setup.BasebandSources;
  baseband.BB1DacSource = 3;
  baseband.BB2DacSource = 7;
  setup.BasebandSources = baseband;
  return setup;
}

TEST_F(Rtl20ManagerTest, ApplyCardSetupLeavesEveryPushedFieldReadableFromTheCard) {
  // PSK+PSK, PSK+PCM/FM post-D, PM+PSK, multi-h CPM+PSK pre-D, PCM/FM+PCM/FM.
  Configure({0, 9, 13, 14, 10});
  auto manager = Manager();
  ASSERT_TRUE(manager->DoAfterHwCfgMgrLoaded());
  ASSERT_TRUE(manager->OpenCards(false, 5));
  ASSERT_EQ(manager->CardCount(), 5);

  std::vector<CardSetupRecord> setups(5, FullySetSetup());
  // Card 1: its PSK channel runs stream 1 alone; the encoders swap codes with card 0's, so that
  // each encoder shows both its code and its randomiser on one card or the other.
  {
    ReceiverRecord rx = setups[1].Receiver[0];
    rx.StreamControlS1Only = 1;
    setups[1].Receiver[0] = rx;
    ModulatorRecord mod = setups[1].Modulator;
    PcmEncoderRecord first = mod.PcmEncoder[0];
    PcmEncoderRecord second = mod.PcmEncoder[1];
    SetSetupText(first.OutputCode, "RNRZ-15");
    SetSetupText(second.OutputCode, "BIOM");
    mod.PcmEncoder[0] = first;
    mod.PcmEncoder[1] = second;
    setups[1].Modulator = mod;
  }
  // Card 2: the PM receiver names its inputs its own way.
  {
    ReceiverRecord rx = setups[2].Receiver[0];
    SetSetupText(rx.InputSource, "IF_2");
    setups[2].Receiver[0] = rx;
  }
  // Card 3: a plain code for the multi-h CPM receiver, and a combining route with the pre-D
  // output left elsewhere.
  {
    ReceiverRecord mh = setups[3].Receiver[0];
    BitSyncRecord mhBits = mh.BitSync[0];
    SetSetupText(mhBits.PcmInputCode, "NRZM");
    mh.BitSync[0] = mhBits;
    setups[3].Receiver[0] = mh;
    setups[3].RouteInfo.RouteMode = 1;
    manager->Card(3)->PreD_SetDiversityOutput("CHANNEL_A_OUTPUT");
    ASSERT_EQ(manager->Card(3)->PreD_GetDiversityOutput(), "CHANNEL_A_OUTPUT");
  }
  for (int card = 0; card < 5; ++card) {
    manager->Card(card)->Setup() = setups[static_cast<std::size_t>(card)];
    ASSERT_TRUE(manager->ApplyCardSetup(card)) << card;
  }

  using Value = std::variant<double, std::string>;
  struct Readback {
    const char* field;
    int card;
    std::function<Value(const kr20cardclass&)> get;
    Value want;
  };
#define NUM(field, card, expr, want) \
  Readback { field, card, [](const kr20cardclass& c) { return Value(static_cast<double>(c.expr)); }, Value(want) }
#define TEXT(field, card, expr, want) \
  Readback { field, card, [](const kr20cardclass& c) { return Value(c.expr); }, Value(std::string(want)) }
// A BERT user pattern as the card gives it back, in hexadecimal.
#define PATTERN(field, card, getter, unit, want)                                               \
  Readback {                                                                                   \
    field, card,                                                                               \
        [](const kr20cardclass& c) {                                                           \
          std::string pattern;                                                                 \
          int length = 0;                                                                      \
          c.getter(unit, pattern, length);                                                     \
          return Value(FormatUserPatternText(pattern, length, 1));                             \
        },                                                                                     \
        Value(std::string(want))                                                               \
  }
  const std::vector<Readback> table = {
      // PSK receiver (card 0), both channels where the value differs per channel.
      TEXT("InputSource", 0, PskRx_GetReceiverInputSourceMode(0), "IF_INPUT2"),
      NUM("CarrierThesholdDbm", 0, PskRx_GetReceiverSignalLevelQualificationThreshold(0), -90.0),
      TEXT("DemodMode", 0, PskRx_GetCarrierModulationMode(1), "QPSK"),
      NUM("CarrierFreqMhz", 0, PskRx_GetCarrierCenterFrequencyInHz(1), 69.25e6),
      NUM("CarrierAcqRangeHz", 0, PskRx_GetCarrierAcquisitionRangeInHz(0), 150'000.0),
      TEXT("CarrierAcqModeUnaided", 0, PskRx_GetCarrierAcquisitionMode(0), "FFT"),
      NUM("CarrierAcqLoopBandwidthPct", 0, PskRx_GetCarrierAcquisitionLoopBandwidthInPercentOfStream1BitRate(1), 2.0),
      NUM("CarrierTrkLoopBandwidthPct", 0, PskRx_GetCarrierTrackingLoopBandwidthInPercentOfStream1BitRate(0), 0.2),
      NUM("CarrierSignalBwRatio", 0, PskRx_GetCarrierSignalFilterBandwidthRatio(1), 1.5),
      NUM("Bitsync Bitrate", 0, PskRx_GetBitSyncStream1RateInbps(1), 500'000.0),
      TEXT("Bitsync PcmInputCode", 0, PskRx_GetBitSyncStream1DescramblerMode(0), "RAND15_NRZL"),
      TEXT("Bitsync PcmInputCode", 0, PskRx_GetBitSyncStream1InputDataDecodingMode(1), "BIOL"),
      TEXT("Bitsync PcmOutputCode", 0, PskRx_GetBitSyncStream1OutputDataEncodingMode(0), "BIOL"),
      NUM("Bitsync AcqLoopBandwidthPct", 0, PskRx_GetBitSyncStream1AcquisitionRangeInPercentOfBitRate(0), 3.0),
      NUM("Bitsync TrkLoopBandwidthPct", 0, PskRx_GetBitSyncStream1LoopWidthInPercentOfBitRate(1), 0.3),
      NUM("Bitsync2 Bitrate", 0, PskRx_GetBitSyncStream2RateInbps(0), 300'000.0),
      TEXT("Bitsync2 PcmInputCode", 0, PskRx_GetBitSyncStream2DescramblerMode(0), "RAND15_NRZL"),
      TEXT("Bitsync2 PcmInputCode", 0, PskRx_GetBitSyncStream2InputDataDecodingMode(1), "DMM2"),
      TEXT("Bitsync2 PcmOutputCode", 0, PskRx_GetBitSyncStream2OutputDataEncodingMode(1), "NRZM"),
      NUM("StreamControlS1Only", 0, PskRx_GetStreamControlS1Only(0), 0.0),
      TEXT("OutputClockPolarity", 0, PskRx_GetStream1OutputClockPolarityMode(0), "FALLING_EDGE"),
      NUM("InvertOutput", 0, PskRx_GetStream1OutputInvertEnable(1), 1.0),
      TEXT("RecombineLocation", 0, PskRx_GetSignalRoutingRecombineLocation(0), "POST_BITSYNC"),
      TEXT("StreamSwapLocation", 0, PskRx_GetSignalRoutingStreamSwapLocation(1), "POST_VITERBI"),
      TEXT("InvertLocation", 0, PskRx_GetSignalRoutingStream1InvertLocation(0), "POST_PCM_CODING"),
      TEXT("InvertLocation", 0, PskRx_GetSignalRoutingStream2InvertLocation(1), "POST_PCM_CODING"),
      TEXT("Baseband1Output", 0, PskRx_GetSignalRoutingBaseband1Output(0), "I_FIR_DBG"),
      TEXT("Baseband2Output", 0, PskRx_GetSignalRoutingBaseband2Output(1), "STREAM2_DATA"),
      NUM("PskSakBbOutSelection", 0, PskRx_GetSakBbOutSelection(0), 2.0),
      TEXT("ViterbiRateMode", 0, PskRx_GetViterbiStream1RateMode(1), "RATE_ONE_THIRD"),
      TEXT("ViterbiSymbolOrder", 0, PskRx_GetViterbiStream1SymbolOrderMode(0), "G2G1_ORDER"),
      NUM("ViterbiDecodeEnabled", 0, PskRx_GetViterbiStream1DecodeEnable(0), 1.0),
      NUM("ViterbiG1Inverted", 0, PskRx_GetViterbiStream1G1SymbolInvert(0), 1.0),
      NUM("ViterbiG2Inverted", 0, PskRx_GetViterbiStream1G2SymbolInvert(1), 1.0),
      // A PSK receiver running stream 1 alone (card 1, channel 0): stream 2 keeps the rate it had.
      NUM("StreamControlS1Only", 1, PskRx_GetStreamControlS1Only(0), 1.0),
      NUM("Bitsync2 Bitrate", 1, PskRx_GetBitSyncStream2RateInbps(0), 1e6),
      // PCM/FM receiver (card 1, channel 1; card 4, channel 0 for the descrambler).
      TEXT("InputSource", 1, FmRx_GetReceiverInputSourceMode(1), "IF_INPUT1"),
      NUM("CarrierThesholdDbm", 1, FmRx_GetReceiverSignalLevelQualificationThreshold(1), -90.0),
      NUM("CarrierFreqMhz", 1, FmRx_GetCarrierCenterFrequencyInHz(1), 69.25e6),
      NUM("CarrierAcqRangeHz", 1, FmRx_GetCarrierAcquisitionRangeInHz(1), 150'000.0),
      NUM("CarrierAcqLoopBandwidthHz", 1, FmRx_GetCarrierAcquisitionLoopBandwidthInHz(1), 3000.0),
      NUM("CarrierTrkLoopBandwidthHz", 1, FmRx_GetCarrierTrackingLoopBandwidthInHz(1), 700.0),
      NUM("CarrierSignalBwRatio", 1, FmRx_GetCarrierSignalFilterBandwidthRatio(1), 1.5),
      NUM("PeakDeviationFactorMin", 1, FmRx_GetPeakDeviationCompensationFactorMin(1), 0.2),
      NUM("PeakDeviationFactorMax", 1, FmRx_GetPeakDeviationCompensationFactorMax(1), 0.5),
      TEXT("CarrierModIndexCompensationMode", 1, FmRx_GetCarrierModIndexCompensationMode(1), "AUTOMATIC"),
      NUM("CarrierPeakDeviation", 1, FmRx_GetCarrierPeakDeviation(1), 0.3),
      NUM("CarrierDiscriminatorEnabled", 1, FmRx_GetCarrierDiscriminatorEnable(1), 1.0),
      NUM("XmitterIsDigital", 1, FmRx_GetXmitterIsDigital(1), 1.0),
      NUM("Bitsync Bitrate", 1, FmRx_GetBitSyncRateInbps(1), 500'000.0),
      TEXT("Bitsync PcmInputCode", 1, FmRx_GetBitSyncInputDataDecodingMode(1), "BIOL"),
      TEXT("Bitsync PcmInputCode", 4, FmRx_GetBitSyncDescramblerMode(0), "RAND15_NRZL"),
      TEXT("Bitsync PcmOutputCode", 1, FmRx_GetBitSyncOutputDataEncodingMode(1), "BIOL"),
      NUM("Bitsync AcqLoopBandwidthPct", 1, FmRx_GetBitSyncAcquisitionRangeInPercentOfBitRate(1), 3.0),
      NUM("Bitsync TrkLoopBandwidthPct", 1, FmRx_GetBitSyncLoopWidthInPercentOfBitRate(1), 0.3),
      TEXT("OutputClockPolarity", 1, FmRx_GetOutputClockPolarityMode(1), "FALLING_EDGE"),
      NUM("InvertOutput", 1, FmRx_GetOutputInvertEnable(1), 1.0),
      TEXT("ViterbiRateMode", 1, FmRx_GetViterbiRateMode(1), "RATE_ONE_THIRD"),
      TEXT("ViterbiSymbolOrder", 1, FmRx_GetViterbiSymbolOrderMode(1), "G2G1_ORDER"),
      NUM("ViterbiDecodeEnabled", 1, FmRx_GetViterbiDecodeEnable(1), 1.0),
      NUM("ViterbiG1Inverted", 1, FmRx_GetViterbiG1SymbolInvert(1), 1.0),
      NUM("ViterbiG2Inverted", 1, FmRx_GetViterbiG2SymbolInvert(1), 1.0),
      // PM receiver (card 2, channel 0).
      TEXT("InputSource", 2, PmRx_GetInputSource(0), "IF_2"),
      NUM("CarrierFreqMhz", 2, PmRx_GetCarrierCenterFrequencyInHz(0), 70.5e6),
      NUM("CarrierAcqRangeHz", 2, PmRx_GetCarrierAcquisitionRangeInHz(0), 150'000.0),
      TEXT("CarrierAcqModeUnaided", 2, PmRx_GetCarrierAcquisitionMode(0), "FFT"),
      NUM("CarrierAcqLoopBandwidthHz", 2, PmRx_GetCarrierAcquisitionLoopBandwidthInHz(0), 3000.0),
      NUM("CarrierTrkLoopBandwidthHz", 2, PmRx_GetCarrierTrackLoopBandwidthInHz(0), 700.0),
      NUM("CarrierThesholdDbm", 2, PmRx_GetCarrierSignalThresholdIndBm(0), -90.0),
      NUM("PmModIndex", 2, PmRx_GetModulationIndex(0), 1.25),
      NUM("PmCarrierLockDecisionPeriod", 2, PmRx_GetCarrierLockDecisionPeriod(0), 0.4),
      NUM("PM loop discriminator", 2, PmRx_GetLoopDiscriminatorEnable(0), 1.0),
      TEXT("PmDebugOutput1MuxSelect", 2, PmRx_GetDebugOutput1MuxSelect(0), "PHASE_ERROR"),
      TEXT("PmDebugOutput2MuxSelect", 2, PmRx_GetDebugOutput2MuxSelect(0), "LOOP_FILTER"),
      // Multi-h CPM receiver (card 3, channel 0): the whole setup of one call.
      TEXT("Bitsync PcmInputCode", 3, MhCpmRx_GetBitSyncInputDataDecodingMode(0), "NRZM"),
      NUM("InvertOutput", 3, MhCpmRx_GetOutputInvertEnable(0), 1.0),
      TEXT("OutputClockPolarity", 3, MhCpmRx_GetOutputClockPolarityMode(0), "FALLING_EDGE"),
      TEXT("Bitsync PcmOutputCode", 3, MhCpmRx_GetBitSyncOutputDataEncodingMode(0), "BIOL"),
      NUM("Bitsync Bitrate", 3, MhCpmRx_GetBitSyncRateInbps(0), 2e6),
      NUM("CarrierAcqRangeHz", 3, MhCpmRx_GetCarrierAcquisitionRangeInHz(0), 150'000.0),
      NUM("MhCpmCarrierFrequencyMhz", 3, MhCpmRx_GetCarrierCenterFrequencyInMhz(0), 71.0),
      NUM("MhCpmCarrierloopbandwidthPct", 3, MhCpmRx_GetCarrierAcquisitionLoopBandwidthInPercent(0), 0.3),
      NUM("MhCpmSymbolloopbandwidthPct", 3, MhCpmRx_GetBitSyncAcquisitionRangeInPercent(0), 0.4),
      // Pre-D combiner (card 3) and post-D combiner (card 1).
      TEXT("PreD NoiseEstimateMode", 3, PreD_GetNoiseEstimateMode(), "FIXED"),
      NUM("PreD SignalBandwidthMhz", 3, PreD_GetSignalBandwidthInHz(), 2e6),
      NUM("PreD TimeConstSecs", 3, PreD_GetTimeConstInSec(), 0.05),
      NUM("PreD PhaseTimeConstSecs", 3, PreD_GetPhaseTimeConstInSec(), 0.02),
      NUM("PreD CenterFreqChAMhz", 3, PreD_GetChannelACenterFreqInHz(), 69.75e6),
      NUM("PreD CenterFreqChBMhz", 3, PreD_GetChannelBCenterFreqInHz(), 70.25e6),
      NUM("PreD FixedNoiseChADbm", 3, PreD_GetFixedNoChannelA(), -110.0),
      NUM("PreD FixedNoiseChBDbm", 3, PreD_GetFixedNoChannelB(), -120.0),
      NUM("PreD NoiseFilterGainValue", 3, PreD_GetNoiseFilterGainValue(), 2.0),
      TEXT("RouteMode (pre-D output)", 3, PreD_GetDiversityOutput(), "COMBINING_OUTPUT"),
      TEXT("PostD DiversityOutput", 1, PostD_GetDiversityOutput(), "CHANNEL_B_OUTPUT"),
      // BERTs, FFT, IQ, baseband (card 0).
      TEXT("Rx Bert PrnPattern", 0, Bert_GetPnPattern(1), "pn11"),
      TEXT("Rx Bert ClockPolarity", 0, Bert_GetClockPolarity(0), "FALLING_EDGE"),
      PATTERN("Rx Bert UserPattern", 0, Bert_GetUserPattern, 1, "0xabc"),
      TEXT("Tx Bert PrnPattern", 0, TxBert_GetPnPattern(0), "pn17"),
      NUM("Tx Bert BitRate", 0, TxBert_GetBitRate(1), 250'000.0),
      NUM("Tx Bert BitErrorRate", 0, TxBert_GetBitErrorRate(0), 1e-4),
      TEXT("Tx Bert ClockPolarity", 0, TxBert_GetClockPolarity(0), "invert"),
      TEXT("Tx Bert DataPolarity", 0, TxBert_GetDataPolarity(1), "invert"),
      NUM("Tx Bert InsertTimeCode", 0, TxBert_GetInsertTimeCode(1), 1.0),
      NUM("Tx Bert SystemClock", 0, TxBert_GetSystemClock(0), 10e6),
      PATTERN("Tx Bert UserPattern", 0, TxBert_GetUserPattern, 0, "0x5a5"),
      NUM("FFT CenterFreqMhz", 0, Fft_GetCenterFrequencyInHz(1), 70.75e6),
      NUM("FFT SpanMhz", 0, Fft_GetFrequencySpanInHz(0), 12e6),
      TEXT("FFT WindowType", 0, Fft_GetWindowType(0), "BLACKMAN"),
      NUM("FFT NumFftAverages", 0, Fft_GetNumberOfAverages(1), 16.0),
      NUM("FFT UpdateRateHz", 0, Fft_GetUpdateRateInHz(0), 20.0),
      NUM("IQ NumDataPoints", 0, IQ_GetNumDataPoints(0), 2048.0),
      NUM("IQ UpdateRateHz", 0, IQ_GetUpdateRateInHz(1), 25.0),
      NUM("BB1DacSource", 0, Card_GetBasebandDacSource(0), 3.0),
      NUM("BB2DacSource", 0, Card_GetBasebandDacSource(1), 7.0),
      // Test modulator (card 0; card 1 for the encoders' other codes).
      TEXT("ModulationMode", 0, GetMod_GetModulatorMode(), "USB"),
      TEXT("ModulationType", 0, GetMod_GetModulationType(), "QPSK"),
      NUM("CarrierFreqMhz", 0, GetMod_IfCarrierRateInHz(), 70.125e6),
      NUM("CarrierAmplitudeDbm", 0, GetMod_IfCarrierLevelInDbm(), -22.0),
      NUM("IFMaxOutuptCal", 0, GetMod_GetIfMaxOutputCalOffset(), 3.0),
      NUM("CarrerToNoiseDbm", 0, GetMod_GetCarrierToNoiseLevel(), 60.0),
      NUM("IPowerLevelDbm", 0, GetMod_GetIPowerLevel(), -3.0),
      NUM("QPowerLevelDbm", 0, GetMod_GetQPowerLevel(), -6.0),
      NUM("QPSKConjugate", 0, GetMod_GetEnableQpskConjugate(), 1.0),
      TEXT("IDataSource", 0, GetMod_GetIDataSource(), "CMD_ENCODER"),
      TEXT("QDataSource", 0, GetMod_GetQDataSource(), "PCM_ENCODER1"),
      TEXT("IQRouting", 0, GetMod_GetIQOutputRouting(), "Q_EQUAL_I"),
      TEXT("SymbolRouting", 0, GetMod_GetSymbolRouting(), "DEINTERLEAVE"),
      TEXT("InputPreprocess", 0, GetMod_GetInputPreprocessing(), "DEINTERLEAVE"),
      NUM("DirPskPmModIndex", 0, GetMod_GetDirPcmModIndex(), 1.5),
      NUM("FmPeakDeviationFactor", 0, GetMod_GetPCMFMPeakDeviationFactor(), 0.5),
      TEXT("Sub1InputSource", 0, GetMod_GetSglsSubCh1DataSource(), "PCM_ENCODER2"),
      TEXT("Sub1ModulationType", 0, GetMod_GetSglsSubCh1ModulationType(), "BPSK"),
      NUM("Sub1RateHz", 0, GetMod_GetSglsSubCh1SubCarrierRateInHz(), 16'000.0),
      NUM("Subcarrier1PmModIndex", 0, GetMod_GetSubcarrier1PmModIndex(), 0.75),
      TEXT("TestGenPattern", 0, GetMod_GetTestGenPattern(), "PN11"),
      NUM("FSKPremodBandWidthHz", 0, GetMod_GetFskPremodBandwidthInHz(), 40'000.0),
      NUM("FSKFmDeviationHz", 0, GetMod_GetFskFmDeviationInHz(), 25'000.0),
      NUM("Subcarrier1DeviationHz", 0, GetMod_GetSubcarrier1DeviationInHz(), 11'000.0),
      NUM("Subcarrier2DeviationHz", 0, GetMod_GetSubcarrier2DeviationInHz(), 12'000.0),
      NUM("Subcarrier2PmModIndex", 0, GetMod_GetSubcarrier2PmModIndex(), 0.8),
      NUM("RangePmModIndex", 0, GetMod_GetRangePmModIndex(), 0.6),
      NUM("CommandPmModIndex", 0, GetMod_GetCommandPmModIndex(), 0.7),
      NUM("ExtPmModIndex", 0, GetMod_GetExtPmModIndex(), 0.9),
      NUM("SakLoopbackMode", 0, GetMod_GetSakLoopbackMode(), 1.0),
      NUM("SakIfModOutputToDiversity", 0, GetMod_GetSakIfModOutputToDiversity(), 1.0),
      NUM("CarrierEnabled", 0, GetMod_GetIfCarrierOn(), 1.0),
      NUM("ModulationEnabled", 0, GetMod_GetIfModulationOn(), 1.0),
      NUM("NoiseEnabled", 0, GetMod_GetEnableNoiseGeneration(), 1.0),
      Readback{"InputSourceDirect", 3,
               [](const kr20cardclass& c) {
                 std::uint32_t routing = 0;
                 c.Dtrd_PeekRegOnFpga(0, kFpga0RoutingRegister, std::span<std::uint32_t>(&routing, 1), 1);
                 return Value(static_cast<double>(routing & kRoutingModulatorFromCombiner));
               },
               Value(static_cast<double>(kRoutingModulatorFromCombiner))},
      TEXT("PCM ENCODER 1 DataSource", 0, GetMod_GetPcmCh1DataSource(), "TTL_INPUT_1"),
      TEXT("PCM ENCODER 1 OutputCode", 0, GetMod_GetPcmCh1PcmEncoding(), "BIOL"),
      TEXT("PCM ENCODER 1 OutputCode", 1, GetMod_GetPcmCh1PcmRandScrambling(), "RAND15_NRZL"),
      NUM("PCM ENCODER 1 ConvolutionEncoding", 0, GetMod_GetPcmCh1ConvolutionalEncodingOn(), 1.0),
      NUM("PCM ENCODER 1 SwapG1G2", 0, GetMod_GetPcmCh1SwapG1G2(), 1.0),
      NUM("PCM ENCODER 1 InvertG2", 0, GetMod_GetPcmCh1InvertG2(), 1.0),
      NUM("PCM ENCODER 1 InvertData", 0, GetMod_GetPcmCh1InvertData(), 1.0),
      NUM("PCM ENCODER 1 FallingClockEdge", 0, GetMod_GetPcmCh1FallingEdgeClk(), 1.0),
      TEXT("PCM ENCODER 2 DataSource", 0, GetMod_GetPcmCh2DataSource(), "422_INPUT_2"),
      TEXT("PCM ENCODER 2 OutputCode", 0, GetMod_GetPcmCh2PcmRandScrambling(), "RAND15_NRZL"),
      TEXT("PCM ENCODER 2 OutputCode", 1, GetMod_GetPcmCh2PcmEncoding(), "BIOM"),
      NUM("PCM ENCODER 2 ConvolutionEncoding", 0, GetMod_GetPcmCh2ConvolutionalEncodingOn(), 1.0),
      NUM("PCM ENCODER 2 SwapG1G2", 0, GetMod_GetPcmCh2SwapG1G2(), 1.0),
      NUM("PCM ENCODER 2 InvertG2", 0, GetMod_GetPcmCh2InvertG2(), 1.0),
      NUM("PCM ENCODER 2 InvertData", 0, GetMod_GetPcmCh2InvertData(), 1.0),
      NUM("PCM ENCODER 2 FallingClockEdge", 0, GetMod_GetPcmCh2FallingEdgeClk(), 1.0),
  };
#undef NUM
#undef TEXT
#undef PATTERN
  for (const Readback& row : table) {
    const Value got = row.get(*manager->Card(row.card));
    if (const double* want = std::get_if<double>(&row.want)) {
      ASSERT_TRUE(std::holds_alternative<double>(got)) << row.field;
      EXPECT_DOUBLE_EQ(std::get<double>(got), *want) << row.field << " on card " << row.card;
    } else {
      EXPECT_EQ(got, row.want) << row.field << " on card " << row.card;
    }
  }
}

}  // namespace
}  // namespace card
