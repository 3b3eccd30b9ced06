// The card object's FPGA side over a fake library table: image loads, registers, the modules
// found through the tables of contents, register 0xB00, the sweep engine and the lock thresholds.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "card_test_support.h"
#include "card/fpga_module_registers.h"
#include "card/kr20card.h"
#include "fake_zp90.h"
#include "support/log_capture.h"

namespace card {
namespace {

using testing::FakeZp90;
using testing::RecordingMainWindow;
using testing::TocEntry;
using Args = std::vector<std::string>;

constexpr int kCard = 2;
constexpr std::uint32_t kFmRx1 = kFpga0WindowBase + 0x100;
constexpr std::uint32_t kFmRx2 = kFpga0WindowBase + 0x180;
constexpr std::uint32_t kPostD = kFpga0WindowBase + 0x500;
constexpr std::uint32_t kSweep = 0x180;  // on FPGA 1

std::string Reg(std::uint32_t value) { return std::to_string(value); }

bool Contains(const std::vector<std::string>& texts, const std::string& part) {
  for (const std::string& text : texts) {
    if (text.find(part) != std::string::npos) return true;
  }
  return false;
}

class CardFpgaTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake.info.NumModulators = 1;
    fake.info.NumFmReceivers = 2;
    fake.info.NumBerts = 2;
    fake.toc[0] = {TocEntry(kDevTypeGpio, kModuleGpio, kFpga0WindowBase, 1),
                   TocEntry(kDevTypeFmReceiver, kModuleFmRx, kFmRx1, 1),
                   TocEntry(kDevTypeFmReceiver, kModuleFmRx, kFmRx2, 2),
                   TocEntry(kDevTypePostDCombiner, kModulePostDComb, kPostD, 1)};
    fake.toc[1] = {TocEntry(kDevTypeGpio, kModuleGpio, 0, 1), TocEntry(kDevTypeModSweep, kModuleModSweep, kSweep, 1)};
  }

  kr20cardclass& OpenCard() {
    card = std::make_unique<kr20cardclass>(kCard, fake.table, false);
    EXPECT_TRUE(card->Open());
    fake.calls.clear();
    return *card;
  }

  std::vector<Args> Pokes() const {
    std::vector<Args> pokes;
    for (const testing::FakeCall& call : fake.CallsOf(Zp90Entry::Dtrd_PokeRegOnFpga)) pokes.push_back(call.args);
    return pokes;
  }

  std::uint32_t& RoutingRegister() { return fake.registers[{0, kFpga0RoutingRegister}]; }

  testsupport::LoggedProgramFolder folder;
  FakeZp90 fake;
  std::unique_ptr<kr20cardclass> card;
};

TEST_F(CardFpgaTest, ALoadIsAnnouncedBySendingMessage50001BeforeAndAfter) {
  kr20cardclass& c = OpenCard();
  c.SetFpgaImage(12, 0, "/images/Kr20_Mode12.VantMcs");
  fake.tocAfterLoad[0] = {TocEntry(kDevTypePostDCombiner, kModulePostDComb, kPostD, 1)};
  fake.info.NumPostDCombiners = 1;  // what the new personality is built of
  RecordingMainWindow window(&fake);
  std::uint8_t loadingDuringBegin = 0;
  window.onSend = [&] {
    if (window.messages.size() == 1) loadingDuringBegin = c.LoadState().LoadingNow;
  };
  c.LoadState().ForceLoad = 1;

  ASSERT_TRUE(c.LoadFpgaPersonality(12));

  ASSERT_EQ(window.messages.size(), 2u);
  const auto& begin = window.messages[0];
  const auto& end = window.messages[1];
  for (const auto& m : window.messages) {
    EXPECT_EQ(m.message, 50001u);
    EXPECT_EQ(m.wParam, static_cast<platform::WParam>(kCard));
    EXPECT_TRUE(m.sent);
  }
  EXPECT_EQ(begin.lParam, 1);
  EXPECT_EQ(end.lParam, 0);
  EXPECT_EQ(loadingDuringBegin, 1);

  // The image goes to the library between the two messages, the tables of contents after it.
  EXPECT_EQ(begin.callsBefore, 0u);
  ASSERT_EQ(fake.loadedImages, std::vector<std::string>{"/images/Kr20_Mode12.VantMcs"});
  EXPECT_EQ(fake.calls.front().entry, Zp90Entry::Card_LoadFpgaImage);
  EXPECT_EQ(fake.calls.front().args, (Args{"0", "/images/Kr20_Mode12.VantMcs"}));
  EXPECT_EQ(end.callsBefore, fake.calls.size());
  EXPECT_EQ(Value(c.FpgaInfo()[0].DeviceCount), 1);
  EXPECT_EQ(Value(c.CardInfo().NumPostDCombiners), 1);

  EXPECT_EQ(Value(c.LoadState().CurrentFpgaMode), 12);
  EXPECT_EQ(c.LoadState().ForceLoad, 0);
  EXPECT_EQ(c.LoadState().LoadingNow, 0);
}

TEST_F(CardFpgaTest, AFailedLoadIsLoggedAndStillEndsWithMessage50001) {
  kr20cardclass& c = OpenCard();
  c.SetFpgaImage(2, 0, "/images/a.VantMcs");
  c.SetFpgaImage(2, 1, "/images/b.VantMcs");
  fake.status[Zp90Entry::Card_LoadFpgaImage] = kDevFileError;
  RecordingMainWindow window(&fake);
  c.LoadState().ForceLoad = 1;

  EXPECT_FALSE(c.LoadFpgaPersonality(2));
  ASSERT_EQ(window.messages.size(), 2u);
  EXPECT_EQ(window.messages[1].lParam, 0);
  EXPECT_EQ(fake.Count(Zp90Entry::Card_LoadFpgaImage), 1u);  // the second FPGA is not tried
  EXPECT_EQ(Value(c.LoadState().CurrentFpgaMode), kNoFpgaMode);
  EXPECT_EQ(c.LoadState().ForceLoad, 1);
  EXPECT_TRUE(Contains(folder.LogTexts(), "Card 3 FPGA 1 image /images/a.VantMcs not loaded: file error"));
}

TEST_F(CardFpgaTest, EnsureFpgasLoadedLoadsOnlyWhenForcedChangedOrEmpty) {
  kr20cardclass& c = OpenCard();
  c.SetFpgaImage(5, 0, "/images/5.VantMcs");
  RecordingMainWindow window(&fake);
  c.LoadState().DesiredFpgaMode = 5;
  c.LoadState().CurrentFpgaMode = 5;
  EXPECT_TRUE(c.EnsureFpgasLoaded());
  EXPECT_TRUE(fake.loadedImages.empty());
  EXPECT_TRUE(window.messages.empty());

  c.LoadState().ForceLoad = 1;
  EXPECT_TRUE(c.EnsureFpgasLoaded());
  EXPECT_EQ(fake.loadedImages.size(), 1u);

  c.LoadState().CurrentFpgaMode = 4;
  EXPECT_TRUE(c.EnsureFpgasLoaded());
  EXPECT_EQ(fake.loadedImages.size(), 2u);
  EXPECT_EQ(Value(c.LoadState().CurrentFpgaMode), 5);

  fake.fpgaLoaded = {0, 0};
  c.RefreshFpgaInfo();
  EXPECT_TRUE(c.EnsureFpgasLoaded());
  EXPECT_EQ(fake.loadedImages.size(), 3u);
  EXPECT_EQ(window.messages.size(), 6u);
}

TEST_F(CardFpgaTest, APersonalityWithoutAnImageLoadsNothingAndSendsNothing) {
  kr20cardclass& c = OpenCard();
  RecordingMainWindow window(&fake);
  c.LoadState().DesiredFpgaMode = 7;
  EXPECT_FALSE(c.EnsureFpgasLoaded());
  EXPECT_FALSE(c.LoadFpgaPersonality(kNoFpgaMode));
  EXPECT_TRUE(window.messages.empty());
  EXPECT_EQ(fake.Count(Zp90Entry::Card_LoadFpgaImage), 0u);
  EXPECT_TRUE(Contains(folder.LogTexts(), "Card 3 has no FPGA image for personality 7"));
  EXPECT_TRUE(Contains(folder.LogTexts(), "Card 3 has no FPGA personality 16"));

  // Out-of-range slots and overlong paths are not kept.
  c.SetFpgaImage(16, 0, "/x");
  c.SetFpgaImage(3, 2, "/x");
  c.SetFpgaImage(3, 0, std::string(4096, 'p'));
  EXPECT_EQ(c.FpgaImage(16, 0), "");
  EXPECT_EQ(c.FpgaImage(3, 0), "");
  c.SetFpgaImage(3, 0, std::string(4095, 'p'));
  EXPECT_EQ(c.FpgaImage(3, 0).size(), 4095u);

  // A simulated card never loads through the library.
  kr20cardclass simulated(0, fake.table, true);
  simulated.Open();
  simulated.SetFpgaImage(0, 0, "/x");
  EXPECT_FALSE(simulated.LoadFpgaPersonality(0));
  EXPECT_EQ(fake.Count(Zp90Entry::Card_LoadFpgaImage), 0u);
}

TEST_F(CardFpgaTest, ALoadNeedsNoDcmLinkButAnOpenCard) {
  kr20cardclass& c = OpenCard();
  c.SetFpgaImage(0, 0, "/images/0.VantMcs");
  fake.dcmUp = 0;
  EXPECT_TRUE(c.LoadFpgaPersonality(0));
  c.Close();
  EXPECT_FALSE(c.LoadFpgaPersonality(0));
  EXPECT_EQ(fake.loadedImages.size(), 1u);
}

TEST_F(CardFpgaTest, PeekAndPokeStayInsideTheRegisterSpace) {
  kr20cardclass& c = OpenCard();
  std::vector<std::uint32_t> values(4096, 0xDEAD);
  fake.registers[{1, 4095}] = 77;

  EXPECT_TRUE(c.Dtrd_PeekRegOnFpga(1, 4095, values, 1));
  EXPECT_EQ(values[0], 77u);
  EXPECT_EQ(fake.Last(Zp90Entry::Dtrd_PeekRegOnFpga)->args, (Args{"1", "4095", "1"}));
  EXPECT_TRUE(c.Dtrd_PeekRegOnFpga(0, 0, values, 4096));
  EXPECT_TRUE(c.Dtrd_PeekRegOnFpga(0, kFpga0WindowBase + 4000, values, 96));
  const std::size_t good = fake.WrapperCalls();

  values[0] = 0xBEEF;
  EXPECT_FALSE(c.Dtrd_PeekRegOnFpga(1, 4095, values, 2));                      // past the last register
  EXPECT_FALSE(c.Dtrd_PeekRegOnFpga(1, kFpga0WindowBase, values, 1));          // FPGA 1 has no window
  EXPECT_FALSE(c.Dtrd_PeekRegOnFpga(0, kFpga0WindowBase + 4000, values, 97));  // past the window
  EXPECT_FALSE(c.Dtrd_PeekRegOnFpga(2, 0, values, 1));
  EXPECT_FALSE(c.Dtrd_PeekRegOnFpga(-1, 0, values, 1));
  EXPECT_FALSE(c.Dtrd_PeekRegOnFpga(0, 0, values, 0));
  EXPECT_FALSE(c.Dtrd_PeekRegOnFpga(0, 0, std::span<std::uint32_t>(values).first(3), 4));  // more than given
  std::vector<std::uint32_t> many(5000);
  EXPECT_FALSE(c.Dtrd_PeekRegOnFpga(0, 0, many, 4097));
  EXPECT_FALSE(c.Dtrd_PeekRegOnFpga(0, 0xFFFFFFFFu, values, 2));  // no wrap-around
  EXPECT_EQ(values[0], 0xBEEFu);

  EXPECT_TRUE(c.Dtrd_PokeRegOnFpga(0, 0xB00, 0x12345678));
  EXPECT_EQ(fake.Last(Zp90Entry::Dtrd_PokeRegOnFpga)->args, (Args{"0", "2816", "305419896"}));
  EXPECT_FALSE(c.Dtrd_PokeRegOnFpga(1, 4096, 1));
  EXPECT_FALSE(c.Dtrd_PokeRegOnFpga(2, 0, 1));
  EXPECT_EQ(fake.WrapperCalls(), good + 1);
}

TEST_F(CardFpgaTest, ModuleRegistersAreWrittenAtTheBaseTheTableOfContentsGives) {
  kr20cardclass& c = OpenCard();
  EXPECT_TRUE(c.Dev176_SetValue(2, fmrx_reg::kBitsyncConfidenceWeight, 40));
  EXPECT_EQ(Pokes().back(), (Args{"0", Reg(kFmRx2 + 1), "40"}));

  const std::array<std::uint32_t, 2> pair{7, 8};
  EXPECT_TRUE(c.Dev176_SetValues(1, fmrx_reg::kModIndexLockThreshold, pair));
  const std::vector<Args> pokes = Pokes();
  ASSERT_EQ(pokes.size(), 3u);
  EXPECT_EQ(pokes[1], (Args{"0", Reg(kFmRx1 + 2), "7"}));
  EXPECT_EQ(pokes[2], (Args{"0", Reg(kFmRx1 + 3), "8"}));

  fake.registers[{0, kFmRx2 + fmrx_reg::kStatus}] = fmrx_reg::kStatusBitSyncLocked;
  std::array<std::uint32_t, 1> flags{};
  EXPECT_TRUE(c.Dev176_ReadValues(2, fmrx_reg::kStatus, flags));
  EXPECT_EQ(flags[0], fmrx_reg::kStatusBitSyncLocked);
  EXPECT_EQ(fake.Last(Zp90Entry::Dtrd_PeekRegOnFpga)->args, (Args{"0", Reg(kFmRx2 + 3), "1"}));

  EXPECT_TRUE(c.Dev188_SetValue(postd_reg::kFmConfidenceWeight, 9));
  EXPECT_EQ(Pokes().back(), (Args{"0", Reg(kPostD + 1), "9"}));

  // No such instance, an instance of 0, or registers past the FPGA's space: nothing is written.
  const std::size_t before = fake.calls.size();
  EXPECT_FALSE(c.Dev176_SetValue(3, 0, 1));
  EXPECT_FALSE(c.Dev176_SetValue(0, 0, 1));
  EXPECT_FALSE(c.Dev176_SetValue(1, 0x1000, 1));
  EXPECT_FALSE(c.Dev176_ReadValues(1, 0, std::span<std::uint32_t>()));
  EXPECT_EQ(fake.calls.size(), before);
}

TEST_F(CardFpgaTest, ModulesBeyondTheRecordedDeviceCountAreNotFound) {
  FpgaInfoArray info{};
  info[1].Present = 1;
  info[1].DeviceCount = 1;
  info[1].Devices[0] = TocEntry(kDevTypeGpio, kModuleGpio, 0, 1);
  info[1].Devices[1] = TocEntry(kDevTypeModSweep, kModuleModSweep, 0x180, 1);
  int fpga = 5;
  std::int64_t base = 5;
  EXPECT_FALSE(FindModSweepDevice(info, fpga, base));
  EXPECT_EQ(fpga, -1);
  EXPECT_EQ(base, -1);

  info[1].DeviceCount = 2;
  EXPECT_TRUE(FindModSweepDevice(info, fpga, base));
  EXPECT_EQ(fpga, 1);
  EXPECT_EQ(base, 0x180);

  info[1].DeviceCount = 33;  // a count no record can hold counts as none
  EXPECT_FALSE(FindModSweepDevice(info, fpga, base));
  info[1].DeviceCount = 2;
  info[1].Present = 0;
  EXPECT_FALSE(FindModSweepDevice(info, fpga, base));
}

TEST_F(CardFpgaTest, FmReceiverInstancesFollowTheChannelsTheReceiversSitOn) {
  kr20cardclass& dual = OpenCard();
  EXPECT_EQ(dual.FmReceiverInstance(0), 1);
  EXPECT_EQ(dual.FmReceiverInstance(1), 2);
  EXPECT_EQ(dual.FmReceiverInstance(2), 0);

  fake.info.NumFmReceivers = 1;  // PSK on channel 0, FM on channel 1
  fake.info.NumPskReceivers = 1;
  kr20cardclass& single = OpenCard();
  EXPECT_EQ(single.FmReceiverInstance(0), 0);
  EXPECT_EQ(single.FmReceiverInstance(1), 1);
}

TEST_F(CardFpgaTest, TheLockThresholdOfTheModulationIndexGoesToTheFmModuleAndIsRecorded) {
  kr20cardclass& c = OpenCard();
  EXPECT_FALSE(c.ModIndexLockThresholdsFromFile());
  // 0.7 x 100 = 70: the built-in entry of 0.70, 64 + 960 x 0.7 = 736 counts.
  ASSERT_TRUE(c.ApplyModIndexLockThreshold(0, 0.709, false));
  EXPECT_EQ(Pokes(), (std::vector<Args>{{"0", Reg(kFmRx1 + fmrx_reg::kModIndexLockThreshold), "736"}}));
  const int position = FindModIndexLockEntry(c.ModIndexLockThresholds()[0], 0.7);
  ASSERT_GE(position, 0);
  const ModIndexLockEntry entry = c.ModIndexLockThresholds()[0][static_cast<std::size_t>(position)];
  EXPECT_TRUE(entry.Written);
  EXPECT_EQ(entry.LastWritten, 736u);
  EXPECT_FALSE(c.ModIndexLockThresholds()[1][static_cast<std::size_t>(position)].Written);

  fake.calls.clear();
  ASSERT_TRUE(c.ApplyModIndexLockThreshold(1, 0.25, true));
  EXPECT_EQ(Pokes(), (std::vector<Args>{{"0", Reg(kFmRx2 + fmrx_reg::kModIndexLockThreshold), "304"},
                                        {"0", Reg(kFmRx1 + fmrx_reg::kModIndexLockThreshold), "304"}}));

  // No entry, no write.
  fake.calls.clear();
  EXPECT_FALSE(c.ApplyModIndexLockThreshold(0, 0.05, false));
  EXPECT_FALSE(c.ApplyModIndexLockThreshold(0, std::nan(""), false));
  EXPECT_FALSE(c.ApplyModIndexLockThreshold(2, 0.5, false));
  EXPECT_TRUE(Pokes().empty());
}

TEST_F(CardFpgaTest, TheModulatorInputBitOfRegisterB00KeepsTheOtherBits) {
  fake.info.NumPreDCombiners = 1;
  kr20cardclass& c = OpenCard();
  RoutingRegister() = 0x3;
  c.DoOnSetFpga0RegB00(false);
  EXPECT_FALSE(c.ModulatorInputDirect());
  EXPECT_EQ(RoutingRegister(), 0x7u);
  c.DoOnSetFpga0RegB00(true);
  EXPECT_TRUE(c.ModulatorInputDirect());
  EXPECT_EQ(RoutingRegister(), 0x3u);

  // Without a pre-D combiner only the flag is kept.
  fake.info.NumPreDCombiners = 0;
  kr20cardclass& plain = OpenCard();
  plain.DoOnSetFpga0RegB00(false);
  EXPECT_FALSE(plain.ModulatorInputDirect());
  EXPECT_TRUE(fake.calls.empty());
}

TEST_F(CardFpgaTest, TheOutputSelectionBitsOfRegisterB00NeedTheDualPcmFmPostDPersonalityRoutedTogether) {
  fake.chipVariant = 1;
  fake.info.NumPostDCombiners = 1;
  kr20cardclass& c = OpenCard();
  c.Setup().RouteInfo.RouteMode = 1;
  RoutingRegister() = 0x4;
  c.DoOnSetFpga0RegB00Bits(true);
  EXPECT_EQ(RoutingRegister(), 0x7u);
  c.DoOnSetFpga0RegB00Bits(false);
  EXPECT_EQ(RoutingRegister(), 0x5u);

  fake.calls.clear();
  c.Setup().RouteInfo.RouteMode = 0;
  c.DoOnSetFpga0RegB00Bits(true);
  EXPECT_TRUE(fake.calls.empty());

  // A pre-D combiner makes it personality 11, no chip variant personality 2.
  fake.info.NumPreDCombiners = 1;
  kr20cardclass& preD = OpenCard();
  preD.Setup().RouteInfo.RouteMode = 1;
  preD.DoOnSetFpga0RegB00Bits(true);
  fake.info.NumPreDCombiners = 0;
  fake.chipVariant = 0;
  kr20cardclass& plain = OpenCard();
  plain.Setup().RouteInfo.RouteMode = 1;
  plain.DoOnSetFpga0RegB00Bits(true);
  EXPECT_TRUE(fake.calls.empty());
}

class CardSweepTest : public CardFpgaTest {
 protected:
  kr20cardclass& SweepCard() {
    kr20cardclass& c = OpenCard();
    c.Setup().Modulator.CarrierFreqMhz = 70.0;
    return c;
  }
  static ModSweepParamBlock Block() {
    ModSweepParamBlock block;
    block.SweepRateHz = 1000.0;
    block.StartFreqMhz = 69.9;
    block.NumProfiles = 2;
    block.SweepProfileIndex = 1;
    block.StopFreqMhzAry[0] = 70.1;
    block.StopFreqMhzAry[1] = 69.95;
    block.StopFreqMhzAry[2] = 70.0;
    block.SinglePass = 1;
    return block;
  }
  std::uint32_t& SweepRegister(std::uint32_t offset) { return fake.registers[{1, kSweep + offset}]; }
};

TEST_F(CardSweepTest, TheParameterBlockIsTheSetupsSweepFields) {
  CardSetupRecord setup{};
  StoreModSweepParams(setup, Block());
  EXPECT_EQ(Value(setup.Modulator.SweepRateHz), 1000.0);
  EXPECT_EQ(Value(setup.Modulator.StopFreqMhzAry[1]), 69.95);
  EXPECT_EQ(Value(setup.Modulator.HasModSweep), 0);
  EXPECT_EQ(Value(setup.Modulator.InputSourceDirect), 0);
  const ModSweepParamBlock back = ModSweepParamsOf(setup);
  EXPECT_EQ(std::memcmp(&back, reinterpret_cast<const unsigned char*>(&setup.Modulator) + 1, sizeof back), 0);
}

TEST_F(CardSweepTest, ASweepIsStoredLimitedLoggedProgrammedAndStarted) {
  kr20cardclass& c = SweepCard();
  ModSweepParamBlock block = Block();
  block.SweepRateHz = 50000.0;
  block.StartFreqMhz = 60.0;
  block.NumProfiles = 7;
  block.SweepProfileIndex = 1;
  block.StopFreqMhzAry[1] = 80.0;
  block.SnapCtrAtEndCycle = 9;
  ASSERT_TRUE(c.DoOnSetModulatorSweepProcess(block));

  const ModSweepParamBlock stored = ModSweepParamsOf(c.Setup());
  EXPECT_EQ(Value(stored.SweepRateHz), 20000.0);
  EXPECT_EQ(Value(stored.StartFreqMhz), 69.75);
  EXPECT_EQ(Value(stored.NumProfiles), 3);
  EXPECT_EQ(Value(stored.SweepProfileIndex), 1);
  EXPECT_EQ(Value(stored.StopFreqMhzAry[0]), 70.1);
  EXPECT_EQ(Value(stored.StopFreqMhzAry[1]), 70.25);
  EXPECT_EQ(Value(stored.SnapCtrAtEndCycle), 1);

  // Profile 1 runs from stop frequency 1 (+100 kHz) to stop frequency 2 (+250 kHz).
  EXPECT_EQ(Pokes(), (std::vector<Args>{{"1", Reg(kSweep + modsweep_reg::kRateHzPerSec), "20000"},
                                        {"1", Reg(kSweep + modsweep_reg::kStartOffsetHz), "100000"},
                                        {"1", Reg(kSweep + modsweep_reg::kStopOffsetHz), "250000"},
                                        {"1", Reg(kSweep + modsweep_reg::kControl), "1"}}));
  EXPECT_TRUE(Contains(folder.LogTexts(), "Mod Sweep Card 3 profile 2 of 3: 70.1000 MHz to 70.2500 MHz at 20000 Hz/s, "
                                          "single pass"));
}

TEST_F(CardSweepTest, NegativeOffsetsTravelAsTwosComplementAndFewPointsAreWarnedAbout) {
  kr20cardclass& c = SweepCard();
  ModSweepParamBlock block = Block();
  block.SweepProfileIndex = 0;
  block.StartFreqMhz = 69.999995;
  block.StopFreqMhzAry[0] = 70.0;
  ASSERT_TRUE(c.DoOnSetModulatorSweepProcess(block));
  EXPECT_EQ(Pokes()[1], (Args{"1", Reg(kSweep + modsweep_reg::kStartOffsetHz), "4294967291"}));
  EXPECT_TRUE(Contains(folder.LogTexts(), "Mod Sweep Has Few Points: 5"));
}

TEST_F(CardSweepTest, ARunningSweepIsStoppedFirstAndOneThatKeepsRunningIsLogged) {
  kr20cardclass& c = SweepCard();
  SweepRegister(modsweep_reg::kStatus) = modsweep_reg::kStatusRunning;  // the fake never stops it
  ASSERT_TRUE(c.DoOnSetModulatorSweepProcess(Block()));
  EXPECT_EQ(Pokes().front(), (Args{"1", Reg(kSweep + modsweep_reg::kControl), "2"}));
  EXPECT_TRUE(Contains(folder.LogTexts(), "Mod Sweep Could Not Be Stopped"));
}

TEST_F(CardSweepTest, WithoutTheEngineTheSweepIsRefusedAndLogged) {
  fake.toc[1].pop_back();
  kr20cardclass& c = SweepCard();
  EXPECT_FALSE(c.DoOnSetModulatorSweepProcess(Block()));
  EXPECT_FALSE(c.RunModulatorSweep());
  EXPECT_FALSE(c.StopModulatorSweep());
  EXPECT_FALSE(c.ResetModulatorSweep());
  EXPECT_FALSE(c.IsModulatorSweepRunning());
  EXPECT_EQ(fake.WrapperCalls(), 0u);
  EXPECT_TRUE(Contains(folder.LogTexts(), "DoOnSetModulatorSweepProcess(), bogus modsweep address"));
  EXPECT_EQ(Value(c.Setup().Modulator.SweepRateHz), 0.0);
}

TEST_F(CardSweepTest, ResetClearsTheEngineAndRestoresTheCarrier) {
  kr20cardclass& c = SweepCard();
  ASSERT_TRUE(c.ResetModulatorSweep());
  EXPECT_EQ(Pokes(), (std::vector<Args>{{"1", Reg(kSweep), "2147483648"}, {"1", Reg(kSweep), "0"}}));
  EXPECT_EQ(fake.Last(Zp90Entry::SetMod_SetIfCarrierRateInHz)->args, Args{"70000000.000000"});
  EXPECT_TRUE(c.RunModulatorSweep());
  EXPECT_TRUE(c.StopModulatorSweep());
  EXPECT_EQ(Pokes().back(), (Args{"1", Reg(kSweep), "2"}));
}

TEST_F(CardSweepTest, OffsetAndProgressAreReadWhileTheEngineRuns) {
  kr20cardclass& c = SweepCard();
  StoreModSweepParams(c.Setup(), Block());
  SweepRegister(modsweep_reg::kCurrentOffsetHz) = static_cast<std::uint32_t>(-50000);
  EXPECT_EQ(c.GetModSweepCurrentFreqHz(), 0.0);  // not running
  EXPECT_EQ(c.GetModSweepProgressPercent(0), 0.0);

  SweepRegister(modsweep_reg::kStatus) = modsweep_reg::kStatusRunning;
  EXPECT_TRUE(c.IsModulatorSweepRunning());
  EXPECT_EQ(c.GetModSweepCurrentFreqHz(), -50000.0);
  // Profile 0: from 69.9 to 70.1 MHz, now at 69.95 MHz.
  EXPECT_NEAR(c.GetModSweepProgressPercent(0), 25.0, 1e-6);
  // Profile 1: from 70.1 down to 69.95 MHz.
  EXPECT_NEAR(c.GetModSweepProgressPercent(1), 100.0, 1e-6);
  EXPECT_EQ(c.GetModSweepProgressPercent(3), 0.0);
  // An empty segment has no progress.
  c.Setup().Modulator.StopFreqMhzAry[2] = 69.95;
  EXPECT_EQ(c.GetModSweepProgressPercent(2), 0.0);
}

TEST(CardRoutines, UserPatternsAreWrittenInTheirRadix) {
  const std::string a5 = "\xA5";
  EXPECT_EQ(FormatUserPatternText(a5, 8, 0), "165");
  EXPECT_EQ(FormatUserPatternText(a5, 8, 1), "0xa5");
  EXPECT_EQ(FormatUserPatternText(a5, 8, 2), "10100101");
  EXPECT_EQ(FormatUserPatternText(a5, 8, 7), "165");
  EXPECT_EQ(FormatUserPatternText("\xAB\xC0", 12, 1), "0xabc");
  EXPECT_EQ(FormatUserPatternText("\xAB\xC0", 12, 0), "2748");
  EXPECT_EQ(FormatUserPatternText("\x80", 1, 2), "1");
  EXPECT_EQ(FormatUserPatternText("\x80", 3, 1), "0x4");
  EXPECT_EQ(FormatUserPatternText("\xFF\xFF\xFF\xFF", 32, 0), "4294967295");
  EXPECT_EQ(FormatUserPatternText("", 16, 1), "0x0000");
  EXPECT_EQ(FormatUserPatternText(a5, 0, 0), "BAD");
  EXPECT_EQ(FormatUserPatternText(a5, 33, 0), "BAD");
}

}  // namespace
}  // namespace card
