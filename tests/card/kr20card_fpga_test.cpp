// The card object's FPGA side over a fake library table: image loads, registers, the modules
// found through the tables of contents, register 0xB00, the sweep engine and the lock thresholds.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
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

class CardFpgaTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake.info.NumModulators = 1;
    fake.info.NumFmReceivers = 2;
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
  EXPECT_TRUE(HasLine(folder, "Card 3 FPGA 1 image /images/a.VantMcs not loaded: file error"));
}

TEST_F(CardFpgaTest, ALoadIsAnnouncedBySendingMessage50001BeforeAndAfter) {
  kr20cardclass& c = OpenCard();
  c.SetFpgaImage(12, 0, "/images/Kr20_Mode12.VantMcs");
  fake.toc[0] = {TocEntry(kDevTypePostDCombiner, kModulePostDComb, kPostD, 1)};
  fake.info.NumPostDCombiners = 1;  // what the new personality is built of: read again after the load
  RecordingMainWindow window(&fake);
  std::uint8_t loadingDuringBegin = 0;
  window.onSend = [&] {
    if (window.messages.size() == 1) loadingDuringBegin = c.LoadState().LoadingNow;
  };
  c.LoadState().ForceLoad = 1;
  ASSERT_TRUE(c.LoadFpgaPersonality(12));

  ASSERT_EQ(window.messages.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(window.messages[i].message, 50001u);
    EXPECT_EQ(window.messages[i].wParam, static_cast<platform::WParam>(kCard));
    EXPECT_EQ(window.messages[i].lParam, i == 0 ? 1 : 0);
    EXPECT_TRUE(window.messages[i].sent);
  }
  EXPECT_EQ(loadingDuringBegin, 1);
  // The image goes to the library between the two messages, the tables of contents after it.
  EXPECT_EQ(window.messages[0].callsBefore, 0u);
  EXPECT_EQ(fake.calls.front().args, (Args{"0", "/images/Kr20_Mode12.VantMcs"}));
  EXPECT_EQ(window.messages[1].callsBefore, fake.calls.size());
  EXPECT_EQ(Value(c.FpgaInfo()[0].DeviceCount), 1);
  EXPECT_EQ(Value(c.CardInfo().NumPostDCombiners), 1);
  EXPECT_EQ(Value(c.LoadState().CurrentFpgaMode), 12);
  EXPECT_EQ(c.LoadState().LoadingNow, 0);
}

TEST_F(CardFpgaTest, EnsureFpgasLoadedLoadsWhenForcedOrEmptyWithoutTheDcmLinkButNotOnAClosedCard) {
  kr20cardclass& c = OpenCard();
  c.SetFpgaImage(5, 0, "/images/5.VantMcs");
  c.LoadState().DesiredFpgaMode = 5;
  c.LoadState().CurrentFpgaMode = 5;
  EXPECT_TRUE(c.EnsureFpgasLoaded());
  EXPECT_TRUE(fake.loadedImages.empty());
  c.LoadState().ForceLoad = 1;
  EXPECT_TRUE(c.EnsureFpgasLoaded());
  EXPECT_EQ(fake.loadedImages.size(), 1u);
  fake.fpgaLoaded = {0, 0};
  c.RefreshFpgaInfo();
  fake.dcmUp = 0;
  EXPECT_TRUE(c.EnsureFpgasLoaded());
  EXPECT_EQ(fake.loadedImages.size(), 2u);
  c.Close();
  EXPECT_FALSE(c.LoadFpgaPersonality(5));
  EXPECT_EQ(fake.loadedImages.size(), 2u);
}

TEST_F(CardFpgaTest, APersonalityWithoutAnImageLoadsNothingAndBadSlotsAreNotKept) {
  kr20cardclass& c = OpenCard();
  RecordingMainWindow window(&fake);
  c.LoadState().DesiredFpgaMode = 7;
  EXPECT_FALSE(c.EnsureFpgasLoaded());
  EXPECT_FALSE(c.LoadFpgaPersonality(kNoFpgaMode));
  EXPECT_TRUE(window.messages.empty());
  EXPECT_TRUE(HasLine(folder, "Card 3 has no FPGA image for personality 7"));
  EXPECT_TRUE(HasLine(folder, "Card 3 has no FPGA personality 16"));

  c.SetFpgaImage(16, 0, "/x");
  c.SetFpgaImage(3, 0, std::string(4096, 'p'));
  EXPECT_EQ(c.FpgaImage(16, 0), "");
  EXPECT_EQ(c.FpgaImage(3, 0), "");
}

TEST_F(CardFpgaTest, PeekAndPokeStayInsideTheRegisterSpace) {
  kr20cardclass& c = OpenCard();
  std::vector<std::uint32_t> values(5000, 0xBEEF);
  fake.registers[{1, 4095}] = 77;
  EXPECT_TRUE(c.Dtrd_PeekRegOnFpga(1, 4095, values, 1));
  EXPECT_EQ(values[0], 77u);
  EXPECT_EQ(fake.Last(Zp90Entry::Dtrd_PeekRegOnFpga)->args, (Args{"1", "4095", "1"}));
  EXPECT_TRUE(c.Dtrd_PeekRegOnFpga(0, kFpga0WindowBase + 4000, values, 96));
  const std::size_t good = fake.WrapperCalls();

  values[0] = 0xBEEF;
  EXPECT_FALSE(c.Dtrd_PeekRegOnFpga(1, 4095, values, 2));                     // past the last register
  EXPECT_FALSE(c.Dtrd_PeekRegOnFpga(1, kFpga0WindowBase, values, 1));         // FPGA 1 has no window
  EXPECT_FALSE(c.Dtrd_PeekRegOnFpga(0, kFpga0WindowBase + 4000, values, 97));  // past the window
  EXPECT_FALSE(c.Dtrd_PeekRegOnFpga(-1, 0, values, 1));
  EXPECT_FALSE(c.Dtrd_PeekRegOnFpga(0, 0, values, 4097));        // more than one peek reads
  EXPECT_FALSE(c.Dtrd_PeekRegOnFpga(0, 0xFFFFFFFFu, values, 2));  // no wrap-around
  EXPECT_FALSE(c.Dtrd_PeekRegOnFpga(0, 0, std::span<std::uint32_t>(values).first(3), 4));  // more than given
  EXPECT_EQ(values[0], 0xBEEFu);

  EXPECT_TRUE(c.Dtrd_PokeRegOnFpga(0, 0xB00, 0x12345678));
  EXPECT_EQ(fake.Last(Zp90Entry::Dtrd_PokeRegOnFpga)->args, (Args{"0", "2816", "305419896"}));
  EXPECT_FALSE(c.Dtrd_PokeRegOnFpga(1, 4096, 1));
  EXPECT_EQ(fake.WrapperCalls(), good + 1);
}

TEST_F(CardFpgaTest, ModuleRegistersAreWrittenAtTheBaseTheTableOfContentsGives) {
  kr20cardclass& c = OpenCard();
  const std::array<std::uint32_t, 2> pair{7, 8};
  EXPECT_TRUE(c.Dev176_SetValues(1, fmrx_reg::kModIndexLockThreshold, pair));
  EXPECT_EQ(Pokes().back(), (Args{"0", Reg(kFmRx1 + 3), "8"}));
  EXPECT_TRUE(c.Dev188_SetValue(postd_reg::kFmConfidenceWeight, 9));
  EXPECT_EQ(Pokes().back(), (Args{"0", Reg(kPostD + 1), "9"}));

  // No such instance, an instance of 0, or registers past the FPGA's space: nothing is written.
  const std::size_t before = fake.calls.size();
  EXPECT_FALSE(c.Dev176_SetValue(3, 0, 1));
  EXPECT_FALSE(c.Dev176_SetValue(0, 0, 1));
  EXPECT_FALSE(c.Dev176_SetValue(1, 0xFFFFFFFFu, 1));  // base + offset must not wrap around
  EXPECT_EQ(fake.calls.size(), before);
}

TEST_F(CardFpgaTest, ModulesBeyondTheRecordedDeviceCountAreNotFound) {
  FpgaInfoArray info{};
  info[1].Present = 1;
  info[1].DeviceCount = 1;
  info[1].Devices[1] = TocEntry(kDevTypeModSweep, kModuleModSweep, 0x180, 1);
  int fpga = 5;
  std::int64_t base = 5;
  EXPECT_FALSE(FindModSweepDevice(info, fpga, base));
  info[1].DeviceCount = 2;
  EXPECT_TRUE(FindModSweepDevice(info, fpga, base));
  info[1].DeviceCount = 33;  // a count no record can hold counts as none
  EXPECT_FALSE(FindModSweepDevice(info, fpga, base));
}

TEST_F(CardFpgaTest, TheLockThresholdOfTheModulationIndexGoesToTheFmModule) {
  kr20cardclass& c = OpenCard();
  // 0.7 x 100 = 70: the built-in entry of 0.70, 64 + 960 x 0.7 = 736 counts.
  ASSERT_TRUE(c.ApplyModIndexLockThreshold(0, 0.709, false));
  EXPECT_EQ(Pokes(), (std::vector<Args>{{"0", Reg(kFmRx1 + fmrx_reg::kModIndexLockThreshold), "736"}}));

  fake.calls.clear();
  EXPECT_FALSE(c.ApplyModIndexLockThreshold(0, 0.05, false));  // no entry, no write
  EXPECT_FALSE(c.ApplyModIndexLockThreshold(0, std::nan(""), false));
  EXPECT_FALSE(c.ApplyModIndexLockThreshold(2, 0.5, false));
  EXPECT_TRUE(Pokes().empty());
}

TEST_F(CardFpgaTest, RegisterB00BitsChangeAloneAndOnlyOnTheirPersonalities) {
  fake.info.NumPreDCombiners = 1;
  kr20cardclass& c = OpenCard();
  RoutingRegister() = 0x3;
  c.DoOnSetFpga0RegB00(false);
  EXPECT_EQ(RoutingRegister(), 0x7u);

  // The output selection bits need the dual PCM/FM post-D personality (chip variant, no pre-D)
  // routed together.
  fake.chipVariant = 1;
  fake.info.NumPreDCombiners = 0;
  fake.info.NumPostDCombiners = 1;
  kr20cardclass& postD = OpenCard();
  postD.Setup().RouteInfo.RouteMode = 1;
  RoutingRegister() = 0x4;
  postD.DoOnSetFpga0RegB00Bits(true);
  EXPECT_EQ(RoutingRegister(), 0x7u);
  postD.DoOnSetFpga0RegB00Bits(false);
  EXPECT_EQ(RoutingRegister(), 0x5u);
  fake.calls.clear();
  postD.Setup().RouteInfo.RouteMode = 0;
  postD.DoOnSetFpga0RegB00Bits(true);
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

TEST_F(CardSweepTest, ASweepIsStoredLimitedLoggedProgrammedAndStarted) {
  kr20cardclass& c = SweepCard();
  c.Setup().Modulator.HasModSweep = 1;
  ModSweepParamBlock block = Block();
  block.SweepRateHz = 50000.0;
  block.StartFreqMhz = 60.0;
  block.NumProfiles = 7;
  block.StopFreqMhzAry[1] = 80.0;
  block.SnapCtrAtEndCycle = 9;
  ASSERT_TRUE(c.DoOnSetModulatorSweepProcess(block));

  const ModSweepParamBlock stored = ModSweepParamsOf(c.Setup());
  EXPECT_EQ(Value(stored.SweepRateHz), 20000.0);
  EXPECT_EQ(Value(stored.StartFreqMhz), 69.75);
  EXPECT_EQ(Value(stored.NumProfiles), 3);
  EXPECT_EQ(Value(stored.StopFreqMhzAry[1]), 70.25);
  EXPECT_EQ(Value(stored.SnapCtrAtEndCycle), 1);
  EXPECT_EQ(Value(c.Setup().Modulator.HasModSweep), 1);  // the neighbours of the block stay

  // Profile 1 runs from stop frequency 1 (+100 kHz) to stop frequency 2 (+250 kHz).
  EXPECT_EQ(Pokes(), (std::vector<Args>{{"1", Reg(kSweep + modsweep_reg::kRateHzPerSec), "20000"},
                                        {"1", Reg(kSweep + modsweep_reg::kStartOffsetHz), "100000"},
                                        {"1", Reg(kSweep + modsweep_reg::kStopOffsetHz), "250000"},
                                        {"1", Reg(kSweep + modsweep_reg::kControl), "1"}}));
  EXPECT_TRUE(HasLine(folder, "Mod Sweep Card 3 profile 2 of 3: 70.1000 MHz to 70.2500 MHz at 20000 Hz/s, single pass"));
}

TEST_F(CardSweepTest, ARunningSweepIsStoppedFirstAndNegativeOffsetsTravelAsTwosComplement) {
  kr20cardclass& c = SweepCard();
  SweepRegister(modsweep_reg::kStatus) = modsweep_reg::kStatusRunning;  // the fake never stops it
  ModSweepParamBlock block = Block();
  block.SweepProfileIndex = 0;
  block.StartFreqMhz = 69.999995;
  block.StopFreqMhzAry[0] = 70.0;
  ASSERT_TRUE(c.DoOnSetModulatorSweepProcess(block));
  EXPECT_EQ(Pokes()[0], (Args{"1", Reg(kSweep + modsweep_reg::kControl), "2"}));
  EXPECT_EQ(Pokes()[2], (Args{"1", Reg(kSweep + modsweep_reg::kStartOffsetHz), "4294967291"}));
  EXPECT_TRUE(HasLine(folder, "Mod Sweep Could Not Be Stopped"));
  EXPECT_TRUE(HasLine(folder, "Mod Sweep Has Few Points: 5"));
}

TEST_F(CardSweepTest, WithoutTheEngineTheSweepIsRefusedAndLogged) {
  fake.toc[1].pop_back();
  kr20cardclass& c = SweepCard();
  EXPECT_FALSE(c.DoOnSetModulatorSweepProcess(Block()));
  EXPECT_FALSE(c.RunModulatorSweep());
  EXPECT_EQ(fake.WrapperCalls(), 0u);
  EXPECT_TRUE(HasLine(folder, "DoOnSetModulatorSweepProcess(), bogus modsweep address"));
}

TEST_F(CardSweepTest, AnEmptyOrUnknownSegmentHasNoProgress) {
  kr20cardclass& c = SweepCard();
  StoreModSweepParams(c.Setup(), Block());
  SweepRegister(modsweep_reg::kStatus) = modsweep_reg::kStatusRunning;
  SweepRegister(modsweep_reg::kCurrentOffsetHz) = static_cast<std::uint32_t>(-50000);
  EXPECT_NEAR(c.GetModSweepProgressPercent(1), 100.0, 1e-6);  // 70.1 down to 69.95 MHz
  EXPECT_EQ(c.GetModSweepProgressPercent(3), 0.0);
  c.Setup().Modulator.StopFreqMhzAry[2] = 69.95;
  EXPECT_EQ(c.GetModSweepProgressPercent(2), 0.0);
}

}  // namespace
}  // namespace card
