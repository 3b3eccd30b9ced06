// The card object over a fake library table: opening, the ready rule, missing entries, and what
// comes back from the library (texts, lists, patterns, buffers) being checked before use.
#include "card_test_support.h"
#include "card/kr20card.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "card/fpga_module_registers.h"
#include "card/zp90_binding.h"
#include "fake_zp90.h"
#include "support/log_capture.h"

namespace card {
namespace {

using testing::FakeZp90;
using testing::TocEntry;
using Args = std::vector<std::string>;

constexpr int kCard = 1;  // not 0, so that a card index that gets lost shows

class CardObjectTest : public ::testing::Test {
 protected:
  // A card of the common kind, open, with both FPGAs loaded; the calls of the open are forgotten.
  kr20cardclass& OpenCard(bool simulated = false) {
    card = std::make_unique<kr20cardclass>(kCard, fake.table, simulated);
    EXPECT_TRUE(card->Open());
    fake.calls.clear();
    return *card;
  }

  void SetUp() override {
    fake.info.NumModulators = 1;
    fake.info.NumPskReceivers = 1;
    fake.info.NumFmReceivers = 1;
    fake.info.NumBerts = 2;
    fake.info.NumPreDCombiners = 1;
    fake.toc[0] = {TocEntry(kDevTypeGpio, kModuleGpio, kFpga0WindowBase, 1),
                   TocEntry(kDevTypeFmReceiver, kModuleFmRx, kFpga0WindowBase + 0x180, 1)};
    fake.toc[1] = {TocEntry(kDevTypeModSweep, kModuleModSweep, 0x180, 1)};
  }

  testsupport::LoggedProgramFolder folder;
  FakeZp90 fake;
  std::unique_ptr<kr20cardclass> card;
};

TEST_F(CardObjectTest, OpenCopiesTheInfoBlockWholeAndRefusesCountsOutOfRange) {
  fake.info.NumTxBerts = -1;
  fake.info.NumIqChannels = 99;
  fake.info.Reserved44[184] = 0x5A;
  fake.chipVariant = 1;
  fake.maxDataRate = 30000000;
  card = std::make_unique<kr20cardclass>(kCard, fake.table, false);
  ASSERT_TRUE(card->Open());
  EXPECT_TRUE(card->IsReady());
  EXPECT_EQ(fake.Last(Zp90Entry::Card_Open)->card, kCard);
  EXPECT_EQ(fake.Last(Zp90Entry::Card_GetInfoBlock)->args, Args{"229"});
  kr20cardinfo expected = fake.info;
  expected.NumTxBerts = 0;
  expected.NumIqChannels = 0;
  EXPECT_EQ(std::memcmp(&card->CardInfo(), &expected, sizeof expected), 0);
  EXPECT_TRUE(card->ChipVariant());
  EXPECT_EQ(card->MaxDataRate(), 30000000u);
  EXPECT_TRUE(HasLine(folder, "Card 2 reports -1 transmit BERTs, taken as 0"));
  EXPECT_TRUE(HasLine(folder, "Card 2 reports 99 IQ channels, taken as 0"));
}

TEST_F(CardObjectTest, OpenFailuresAreLoggedAndLeaveTheCardClosed) {
  fake.status[Zp90Entry::Card_Open] = kDevHardwareError;
  card = std::make_unique<kr20cardclass>(kCard, fake.table, false);
  EXPECT_FALSE(card->Open());
  EXPECT_FALSE(card->IsOpen());
  EXPECT_TRUE(HasLine(folder, "Card 2 could not be opened: hardware error"));

  // An info block that cannot be read closes the card again.
  fake.status = {{Zp90Entry::Card_GetInfoBlock, kDevBadArgument}};
  EXPECT_FALSE(card->Open());
  EXPECT_FALSE(card->IsOpen());
  EXPECT_EQ(fake.Count(Zp90Entry::Card_Close), 1u);
  EXPECT_TRUE(HasLine(folder, "Card 2 info block could not be read: bad argument"));
}

TEST_F(CardObjectTest, CloseReachesTheLibraryOnceAndDestructionCloses) {
  kr20cardclass& c = OpenCard();
  c.Close();
  c.Close();
  EXPECT_EQ(fake.Count(Zp90Entry::Card_Close), 1u);
  EXPECT_FALSE(c.IsReady());
  OpenCard();
  card.reset();
  EXPECT_EQ(fake.Count(Zp90Entry::Card_Close), 1u);
}

// A transmitter-is-digital pulse still high is ended, after its whole length, before the card
// closes or takes another personality: a control left at 1 or cut short is a fault.
TEST_F(CardObjectTest, APendingXmitterPulseEndsWholeBeforeCloseAndPersonalityLoad) {
  constexpr Zp90Entry kControl = Zp90Entry::FmRx_SetXmitterIsDigital;
  struct Row {
    const char* name;
    void (*act)(kr20cardclass&);
    Zp90Entry then;
  };
  const Row rows[] = {
      {"close", [](kr20cardclass& c) { c.Close(); }, Zp90Entry::Card_Close},
      {"personality load",
       [](kr20cardclass& c) {
         c.SetFpgaImage(3, 0, "/images/Kr20_Mode3.VantMcs");
         c.LoadFpgaPersonality(3);
       },
       Zp90Entry::Card_LoadFpgaImage},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    kr20cardclass& c = OpenCard();
    c.FmRx_PulseXmitterIsDigital(0);
    c.FmRx_PulseXmitterIsDigital(0);  // still high: the pulse under way serves this one too
    row.act(c);
    std::vector<Zp90Entry> order;
    for (const testing::FakeCall& call : fake.calls) {
      if (call.entry == kControl || call.entry == row.then) order.push_back(call.entry);
    }
    EXPECT_EQ(order, (std::vector<Zp90Entry>{kControl, kControl, row.then}));
    const std::vector<testing::FakeCall> writes = fake.CallsOf(kControl);
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0].args, (Args{"0", "1"}));
    EXPECT_EQ(writes[1].args, (Args{"0", "0"}));
    EXPECT_GE(writes[1].at - writes[0].at, kXmitterPulseLength);
    EXPECT_FALSE(c.XmitterPulsePending());
  }
}

// A control that did not go to 1 leaves no pulse behind; a reset that fails is logged and not
// sent again at every tick.
TEST_F(CardObjectTest, FailedXmitterPulseWritesLeaveNothingPending) {
  constexpr Zp90Entry kControl = Zp90Entry::FmRx_SetXmitterIsDigital;
  kr20cardclass& c = OpenCard();
  fake.status[kControl] = kDevHardwareError;
  c.FmRx_PulseXmitterIsDigital(1);
  EXPECT_FALSE(c.XmitterPulsePending());
  fake.status.erase(kControl);
  c.FmRx_PulseXmitterIsDigital(1);
  fake.status[kControl] = kDevHardwareError;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (c.XmitterPulsePending() && std::chrono::steady_clock::now() < deadline) c.EndXmitterPulses();
  c.EndXmitterPulses();
  EXPECT_EQ(fake.Count(kControl), 3u);
  EXPECT_TRUE(HasLine(folder, std::string("Card 2 channel 2 transmitter-is-digital control not reset: ") +
                                  DeviceStatusText(kDevHardwareError)));
}

TEST_F(CardObjectTest, TablesOfContentsAreCutToTheRecordAndRefusedWhenNegative) {
  fake.toc[0].assign(40, TocEntry(kDevTypeBert, kModuleBert, 0x200, 1));
  fake.tocCount[1] = -3;
  kr20cardclass& c = OpenCard();
  EXPECT_EQ(Value(c.FpgaInfo()[0].DeviceCount), 32);
  EXPECT_EQ(Value(c.FpgaInfo()[0].Devices[31].BaseAddress), 0x200u);
  EXPECT_EQ(Value(c.FpgaInfo()[1].Present), 1);
  EXPECT_EQ(Value(c.FpgaInfo()[1].DeviceCount), 0);
  EXPECT_TRUE(HasLine(folder, "Card 2 FPGA 1 table of contents of 40 modules cut to 32"));
  EXPECT_TRUE(HasLine(folder, "Card 2 FPGA 2 table of contents of -3 modules refused"));

  // An FPGA without an image is not present and keeps an empty record.
  fake.fpgaLoaded = {0, 1};
  c.RefreshFpgaInfo();
  EXPECT_FALSE(c.FirstFpgaPresent());
  EXPECT_EQ(Value(c.FpgaInfo()[0].DeviceCount), 0);
}

// One wrapper of each answer shape, each answering as a card that is not ready must.
void ExpectInert(kr20cardclass& c) {
  std::vector<std::string> list{"kept"};
  EXPECT_EQ(c.GetMod_GetModulatorMode(), "BAD");
  EXPECT_FALSE(c.PskRx_GetCarrierModulationModeSupportedTypes(0, list));
  EXPECT_EQ(c.PskRx_GetCarrierCenterFrequencyInHz(1), 0.0);
  c.PskRx_SetCarrierCenterFrequencyInHz(0, 70e6);
  std::array<std::byte, 64> buffer{};
  std::uint8_t flag = 9;
  EXPECT_EQ(c.Fft_GetFftBuffer(0, flag, buffer), 0);
  std::array<std::uint32_t, 2> registers{11, 22};
  EXPECT_FALSE(c.Dtrd_PeekRegOnFpga(0, 0, registers, 2));
  EXPECT_FALSE(c.DoOnSetModulatorSweepProcess(ModSweepParamsOf(c.Setup())));
  EXPECT_EQ(list, std::vector<std::string>{"kept"});
}

TEST_F(CardObjectTest, NoCallReachesTheLibraryForACardThatIsNotReady) {
  card = std::make_unique<kr20cardclass>(kCard, fake.table, false);
  ExpectInert(*card);
  kr20cardclass& simulated = OpenCard(true);
  EXPECT_TRUE(simulated.IsOpen());
  ExpectInert(simulated);
  EXPECT_TRUE(fake.calls.empty());

  // A card whose DCM link is down, or cannot be asked, only asks for the link.
  kr20cardclass& down = OpenCard();
  fake.dcmUp = 0;
  ExpectInert(down);
  fake.dcmUp = 1;
  fake.status[Zp90Entry::Card_GetDcmLinkState] = kDevHardwareError;
  EXPECT_EQ(down.GetMod_GetModulatorMode(), "BAD");
  EXPECT_EQ(fake.WrapperCalls(), 0u);
  EXPECT_GT(fake.Count(Zp90Entry::Card_GetDcmLinkState), 0u);
}

TEST_F(CardObjectTest, AReadyCardForwardsCardUnitAndValueAndReturnsTheAnswers) {
  kr20cardclass& c = OpenCard();
  c.PskRx_SetCarrierCenterFrequencyInHz(1, 70.5e6);
  EXPECT_EQ(fake.Last(Zp90Entry::PskRx_SetCarrierCenterFrequencyInHz)->card, kCard);
  EXPECT_EQ(fake.Last(Zp90Entry::PskRx_SetCarrierCenterFrequencyInHz)->args, (Args{"1", "70500000.000000"}));
  c.SetAllLoggingMasks(0xFFFFFFFFu);  // only the mask's defined bits
  EXPECT_EQ(fake.Last(Zp90Entry::Card_SetAllLoggingMasks)->args, Args{"65520"});

  fake.number = -3.25;
  fake.integer = 17;
  fake.text = "SOQPSK";
  EXPECT_EQ(c.PostD_GetChannelBEbNo(), -3.25);
  EXPECT_EQ(c.Bert_GetLockLossCount(1), 17);
  EXPECT_EQ(fake.Last(Zp90Entry::Bert_GetLockLossCount)->args, Args{"1"});
  EXPECT_EQ(c.PskRx_GetCarrierModulationMode(0), "SOQPSK");

  // A failed call answers like a card that is not ready.
  fake.status[Zp90Entry::PskRx_GetCarrierModulationMode] = kDevNotSupported;
  fake.status[Zp90Entry::PostD_GetChannelBEbNo] = kDevNotSupported;
  EXPECT_EQ(c.PskRx_GetCarrierModulationMode(0), "BAD");
  EXPECT_EQ(c.PostD_GetChannelBEbNo(), 0.0);
}

TEST_F(CardObjectTest, AMissingOptionalEntryMakesOnlyItsOwnWrapperInert) {
  fake.table.PskRx_GetCarrierCenterFrequencyInHz = nullptr;
  fake.table.Card_GetDcmLinkState = nullptr;  // a library that cannot tell counts its link as up
  kr20cardclass& c = OpenCard();
  EXPECT_EQ(c.PskRx_GetCarrierCenterFrequencyInHz(0), 0.0);
  EXPECT_TRUE(fake.calls.empty());
  EXPECT_EQ(c.PskRx_GetCarrierActualSignalFrequencyInHz(0), 12.5);
}

TEST_F(CardObjectTest, TwoFmReceiversRoutedTogetherBothTakeTheDeviation) {
  fake.info.NumPskReceivers = 0;
  fake.info.NumFmReceivers = 2;
  kr20cardclass& dual = OpenCard();
  dual.Setup().RouteInfo.RouteMode = 1;
  dual.FmRx_SetCarrierPeakDeviation(0, 0.35);
  const std::vector<testing::FakeCall> both = fake.CallsOf(Zp90Entry::FmRx_SetCarrierPeakDeviation);
  ASSERT_EQ(both.size(), 2u);
  EXPECT_EQ(both[1].args, (Args{"1", "0.350000"}));
}

TEST_F(CardObjectTest, TextsAndListsAreCutToTheirFieldsAndBadCountsRefused) {
  kr20cardclass& c = OpenCard();
  fake.text = std::string(200, 'X');
  EXPECT_EQ(c.Bert_GetBitErrorRate(0), std::string(100, 'X'));

  std::vector<std::string> list{"old1", "old2", "old3"};
  ASSERT_TRUE(c.Bert_GetPnPatternList(1, list));
  EXPECT_EQ(list, (std::vector<std::string>{"NRZL", "NRZM"}));
  fake.names.assign(64, std::string(200, 'Y'));
  ASSERT_TRUE(c.GetMod_GetAvailableIQDataSources(list));
  ASSERT_EQ(list.size(), 64u);
  EXPECT_EQ(list.back(), std::string(100, 'Y'));

  const std::vector<std::string> before = list;
  for (const int bad : {65, -1}) {
    fake.namesCount = bad;
    EXPECT_FALSE(c.PskRx_GetViterbiRateModeSupportedTypes(0, list)) << bad;
  }
  EXPECT_EQ(list, before);
}

TEST_F(CardObjectTest, UserPatternsTravelAsFourLeftJustifiedBytesOfACheckedLength) {
  kr20cardclass& c = OpenCard();
  fake.pattern = {0xFF, 0xFF, 0xFF, 0xFF};
  fake.patternLength = 12;
  std::string pattern;
  int length = 0;
  ASSERT_TRUE(c.Bert_GetUserPattern(1, pattern, length));
  EXPECT_EQ(length, 12);
  EXPECT_EQ(pattern, std::string("\xFF\xF0\x00\x00", 4));  // bits past the length cleared

  fake.patternLength = 33;
  EXPECT_FALSE(c.TxBert_GetUserPattern(0, pattern, length));
  EXPECT_EQ(length, 0);

  c.TxBert_SetUserPattern(1, std::string("\x12\x34", 2), 16);
  EXPECT_EQ(fake.Last(Zp90Entry::TxBert_SetUserPattern)->args, (Args{"1", "18.52.0.0", "16"}));
  c.Bert_SetUserPattern(0, "\x01", 33);
  EXPECT_EQ(fake.Count(Zp90Entry::Bert_SetUserPattern), 0u);
}

TEST(CardRoutines, UserPatternsAreWrittenInTheirRadix) {
  EXPECT_EQ(FormatUserPatternText("\x80", 3, 2), "100");
  EXPECT_EQ(FormatUserPatternText("\xFF\xFF\xFF\xFF", 32, 0), "4294967295");  // no digit lost
  EXPECT_EQ(FormatUserPatternText("\xA5", 33, 0), "BAD");
}

TEST_F(CardObjectTest, SpectrumAndIqBuffersRefuseCountsBeyondTheBuffer) {
  kr20cardclass& c = OpenCard();
  std::array<std::byte, 8 * 4 + 3> points{};
  std::uint8_t flag = 1;
  fake.bufferCount = 3;
  EXPECT_EQ(c.Fft_GetFftBuffer(0, flag, points), 3);
  EXPECT_EQ(flag, 7);
  EXPECT_EQ(fake.Last(Zp90Entry::Fft_GetFftBuffer)->args, (Args{"0", "1", "4"}));  // whole points only

  flag = 1;
  fake.bufferCount = 5;
  EXPECT_EQ(c.Fft_GetFftBuffer(0, flag, points), 0);
  EXPECT_EQ(flag, 1);
  fake.bufferCount = -1;
  EXPECT_EQ(c.IQ_GetIqBuffer(1, flag, points), 0);
}

}  // namespace
}  // namespace card
