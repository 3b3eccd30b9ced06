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
#include <memory>
#include <span>
#include <string>
#include <thread>
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
    if (!std::filesystem::exists(folder_ + "/librtZp903x.so")) GTEST_FAIL() << "devicesim libraries not built (the build makes them)";
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
  // An image with bytes after its payload is no image either (whole, it would only be reported as
  // a second image of mode 3).
  const std::string mode3 = testsupport::ReadWholeFile(imageFolder_ + "/Kr20_Mode03.VantMcs");
  ASSERT_TRUE(testsupport::WriteWholeFile(imageFolder_ + "/Padded.VantMcs", mode3 + std::string(1u << 20, '\0')));
  ASSERT_TRUE(testsupport::WriteWholeFile(imageFolder_ + "/Readme.txt", "QXVANTMC"));

  auto manager = Manager();
  ASSERT_TRUE(manager->DoAfterHwCfgMgrLoaded());
  EXPECT_EQ(manager->CardCount(), 2);
  EXPECT_EQ(manager->DetectedCardCount(), 2);
  EXPECT_FALSE(manager->ChipVariant(0));
  EXPECT_TRUE(manager->ChipVariant(1));

  // The standard card gets modes 0 .. 3, the variant card 4 .. 15.
  const kr20modefnavailstruct& standard = manager->ModeImages(0);
  EXPECT_EQ(standard[2].ImageFile, imageFolder_ + "/kr20_mode02.vantMCS");
  const kr20modefnavailstruct& variant = manager->ModeImages(1);
  EXPECT_EQ(variant[0].Mode, kNoFpgaMode);

  // Standard board: the independent modes and PSK pre-D, served by mode 0 (FM pre-D needs two
  // FM receivers, which the standard board's images do not have).
  EXPECT_EQ(manager->FunctionMask(0), 0x002F);
  EXPECT_EQ(manager->FunctionMask(1), 0x03FF);
  EXPECT_EQ(manager->FunctionMask(-1), 0);
  EXPECT_TRUE(HasLine(program, "Card 2 chip variant, FPGA images 12, function mask 0x03FF"));
  EXPECT_TRUE(HasLine(program, "FPGA image " + imageFolder_ + "/Broken.VantMcs ignored: not an image of this format"));
  EXPECT_TRUE(HasLine(program, "FPGA image " + imageFolder_ + "/Padded.VantMcs ignored: not an image of this format"));
  EXPECT_EQ(manager->Card(0), nullptr);  // the probe leaves the cards closed
}

TEST_F(Rtl20ManagerTest, WithoutTheLibraryNoCardIsCountedButDemoCardsOpen) {
  Configure({0});
  // A library cut short counts as none: refused before loading, no card.
  testsupport::ScratchFolder cut;
  const std::string library = testsupport::ReadWholeFile(folder_ + "/librtZp903x.so");
  ASSERT_TRUE(testsupport::WriteWholeFile(cut / "librtZp903x.so", library.substr(0, library.size() / 2)));
  auto refused = std::make_unique<quorxrtl20mgrclass>(cut.Path());
  EXPECT_FALSE(refused->DoAfterHwCfgMgrLoaded());
  EXPECT_EQ(refused->CardCount(), 0);
  EXPECT_FALSE(refused->OpenCards(false, 1));
  EXPECT_EQ(refused->CardCount(), 0);
  EXPECT_TRUE(refused->OpenCards(true, 9));
  EXPECT_EQ(refused->CardCount(), 6);

  // No library at all: the same.
  auto manager = std::make_unique<quorxrtl20mgrclass>(program / "nowhere");
  EXPECT_FALSE(manager->DoAfterHwCfgMgrLoaded());
  EXPECT_EQ(manager->CardCount(), 0);
  EXPECT_FALSE(manager->OpenCards(false, 1));
  EXPECT_EQ(manager->CardCount(), 0);
  // Demo cards need no library; there are at most six.
  EXPECT_TRUE(manager->OpenCards(true, 9));
  ASSERT_EQ(manager->CardCount(), 6);
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
  EXPECT_EQ(card0->FpgaImage(5, 0), "");
  EXPECT_EQ(card1->FpgaImage(5, 0), imageFolder_ + "/Kr20_Mode05.VantMcs");
  EXPECT_EQ(Value(manager->LoadState(1).CurrentFpgaMode), 5);
  EXPECT_EQ(Value(card1->LoadState().DesiredFpgaMode), 8);  // the slot's record went to the card
  const CardSetupRecord defaults = DefaultCardSetup();
  EXPECT_EQ(std::memcmp(&card0->Setup(), &defaults, sizeof defaults), 0);
  ASSERT_TRUE(card1->EnsureFpgasLoaded());
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
  edited.replace(edited.find("DesiredFpgaMode=13"), 18, "DesiredFpgaMode=17");
  ASSERT_TRUE(testsupport::WriteWholeFile(path, edited));

  quorxrtl20mgrclass manager(folder_);
  ASSERT_TRUE(manager.LoadFpgaConfigFile());
  const FpgaLoadState two = manager.LoadState(2);
  EXPECT_EQ(Value(two.ForceLoad), 1);
  EXPECT_EQ(Value(two.DefaultFpgaMode), 3);
  EXPECT_EQ(Value(two.DesiredFpgaMode), 0);  // out of range: the value held stays
  EXPECT_EQ(Value(two.CurrentFpgaMode), 12);
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
  EXPECT_TRUE(std::filesystem::exists(path + ".BAK"));
}


// A setup with a value other than the default in each field read back below, for every card.
CardSetupRecord FilledSetup() {
  CardSetupRecord setup = DefaultCardSetup();
  for (std::size_t ch = 0; ch < kSetupChannels; ++ch) {
    setup.Receiver[ch].BitSync[0].Bitrate = 2'000'000;
    // A randomised code shows the descrambler on channel 0, a plain one the decoder on channel 1.
    SetSetupText(setup.Receiver[ch].BitSync[0].PcmInputCode, ch == 0 ? "RNRZ-15" : "BIOL");
    setup.Receiver[ch].BitSync[1].Bitrate = 300'000;
    setup.Receiver[ch].CarrierFreqMhz = ch == 0 ? 70.5 : 69.25;
    setup.Receiver[ch].CarrierAcqModeUnaided = 0;
    setup.Receiver[ch].MhCpmCarrierloopbandwidthPct = 0.3;
    SetSetupText(setup.RxBert[ch].PrnPattern, "pn11");
    setup.Fft[ch].CenterFreqMhz = 70.75;
  }
  setup.PreD.SignalBandwidthMhz = 2.0;
  SetSetupText(setup.PostD.DiversityOutput, "CHANNEL_B_OUTPUT");
  setup.Modulator.CarrierFreqMhz = 70.125;
  setup.Modulator.InputSourceDirect = 0;  // from the pre-D combiner, where there is one
  SetSetupText(setup.Modulator.PcmEncoder[1].OutputCode, "RNRZ-15");
  SetSetupText(setup.Modulator.ModulationMode, "SUBCAR");  // as a remote command stores "SGLS"
  setup.BasebandSources.BB2DacSource = 7;
  return setup;
}

TEST_F(Rtl20ManagerTest, ApplyCardSetupPushesEveryFamilyTheCardHas) {
  // PSK+PSK, PSK+PSK pre-D, PSK+PCM/FM post-D, PM+PSK, multi-h CPM+PSK pre-D.
  Configure({0, 5, 9, 13, 14});
  auto manager = Manager();
  ASSERT_TRUE(manager->DoAfterHwCfgMgrLoaded());
  ASSERT_TRUE(manager->OpenCards(false, 5));
  ASSERT_EQ(manager->CardCount(), 5);
  std::vector<CardSetupRecord> setups(5, FilledSetup());
  setups[1].RouteInfo.RouteMode = 1;  // combining, with the pre-D output left elsewhere before
  manager->Card(1)->PreD_SetDiversityOutput("CHANNEL_A_OUTPUT");
  setups[2].Receiver[0].StreamControlS1Only = 1;           // stream 1 alone
  SetSetupText(setups[3].Receiver[0].InputSource, "IF_2");  // the PM receiver's own input names
  SetSetupText(setups[4].Receiver[0].BitSync[0].PcmInputCode, "NRZM");  // a plain multi-h CPM code
  for (int card = 0; card < 5; ++card) {
    manager->Card(card)->Setup() = setups[static_cast<std::size_t>(card)];
    ASSERT_TRUE(manager->ApplyCardSetup(card)) << card;
  }
  EXPECT_FALSE(manager->ApplyCardSetup(5));

  const kr20cardclass& psk = *manager->Card(0);
  const kr20cardclass& preD = *manager->Card(1);
  const kr20cardclass& postD = *manager->Card(2);
  const kr20cardclass& pm = *manager->Card(3);
  const kr20cardclass& mhCpm = *manager->Card(4);
  // PSK receiver, per channel where the values differ; on a PM card it is on channel 1.
  EXPECT_EQ(psk.PskRx_GetCarrierCenterFrequencyInHz(1), 69.25e6);
  EXPECT_EQ(pm.PskRx_GetCarrierCenterFrequencyInHz(1), 69.25e6);
  EXPECT_EQ(psk.PskRx_GetCarrierAcquisitionMode(0), "FFT");
  EXPECT_EQ(psk.PskRx_GetBitSyncStream1DescramblerMode(0), "RAND15_NRZL");
  EXPECT_EQ(psk.PskRx_GetBitSyncStream1InputDataDecodingMode(1), "BIOL");
  // A PSK receiver running stream 1 alone: stream 2 keeps the rate it had.
  EXPECT_TRUE(postD.PskRx_GetStreamControlS1Only(0));
  EXPECT_EQ(postD.PskRx_GetBitSyncStream2RateInbps(0), 1e6);
  // PCM/FM, PM and multi-h CPM receivers (the last one takes its whole setup in one call).
  EXPECT_EQ(postD.FmRx_GetCarrierCenterFrequencyInHz(1), 69.25e6);
  EXPECT_EQ(pm.PmRx_GetInputSource(0), "IF_2");
  EXPECT_EQ(mhCpm.MhCpmRx_GetBitSyncInputDataDecodingMode(0), "NRZM");
  EXPECT_NEAR(mhCpm.MhCpmRx_GetCarrierAcquisitionLoopBandwidthInPercent(0), 0.3, 1e-9);
  // The combiners.
  EXPECT_EQ(preD.PreD_GetSignalBandwidthInHz(), 2e6);
  EXPECT_EQ(preD.PreD_GetDiversityOutput(), "COMBINING_OUTPUT");  // from RouteMode
  EXPECT_EQ(postD.PostD_GetDiversityOutput(), "CHANNEL_B_OUTPUT");
  // BERT, FFT, baseband and the test modulator.
  EXPECT_EQ(psk.Bert_GetPnPattern(1), "pn11");
  EXPECT_EQ(psk.Fft_GetCenterFrequencyInHz(1), 70.75e6);
  EXPECT_EQ(psk.Card_GetBasebandDacSource(1), 7);
  EXPECT_EQ(psk.GetMod_IfCarrierRateInHz(), 70.125e6);
  EXPECT_EQ(psk.GetMod_GetPcmCh2PcmRandScrambling(), "RAND15_NRZL");
  EXPECT_EQ(psk.GetMod_GetModulatorMode(), "SGLS");

  // The modulator fed from the pre-D combiner.
  std::uint32_t routing = 0;
  ASSERT_TRUE(manager->Card(1)->Dtrd_PeekRegOnFpga(0, kFpga0RoutingRegister, std::span<std::uint32_t>(&routing, 1), 1));
  EXPECT_EQ(routing & kRoutingModulatorFromCombiner, kRoutingModulatorFromCombiner);
  // The post-D output is also pushed on its own, where there is a post-D combiner.
  EXPECT_TRUE(manager->ApplyPostDDiversityOutput(2, "CHANNEL_A_OUTPUT"));
  EXPECT_EQ(manager->Card(2)->PostD_GetDiversityOutput(), "CHANNEL_A_OUTPUT");
  EXPECT_FALSE(manager->ApplyPostDDiversityOutput(0, "CHANNEL_A_OUTPUT"));
}

}  // namespace
}  // namespace card
