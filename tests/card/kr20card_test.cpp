// The card object over a fake library table: opening, the ready rule of every wrapper family,
// missing entries, and what comes back from the library (texts, lists, patterns, buffers) being
// checked before use.
#include "card_test_support.h"
#include "card/kr20card.h"

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <string_view>
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

bool Contains(const std::vector<std::string>& texts, const std::string& part) {
  for (const std::string& text : texts) {
    if (text.find(part) != std::string::npos) return true;
  }
  return false;
}

class CardObjectTest : public ::testing::Test {
 protected:
  // A card of the common kind, open, with both FPGAs loaded and the modules the card object
  // addresses itself in the tables of contents; the calls of the open are forgotten.
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
                   TocEntry(kDevTypeFmReceiver, kModuleFmRx, kFpga0WindowBase + 0x180, 1),
                   TocEntry(kDevTypePostDCombiner, kModulePostDComb, kFpga0WindowBase + 0x500, 1)};
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

  EXPECT_TRUE(card->IsOpen());
  EXPECT_TRUE(card->IsReady());
  EXPECT_EQ(fake.Last(Zp90Entry::Card_Open)->card, kCard);
  EXPECT_EQ(fake.Last(Zp90Entry::Card_GetInfoBlock)->args, Args{"229"});
  kr20cardinfo expected = fake.info;
  expected.NumTxBerts = 0;
  expected.NumIqChannels = 0;
  EXPECT_EQ(std::memcmp(&card->CardInfo(), &expected, sizeof expected), 0);
  EXPECT_TRUE(card->ChipVariant());
  EXPECT_EQ(card->MaxDataRate(), 30000000u);
  EXPECT_TRUE(card->FirstFpgaPresent());
  EXPECT_TRUE(Contains(folder.LogTexts(), "Card 2 reports -1 transmit BERTs, taken as 0"));
  EXPECT_TRUE(Contains(folder.LogTexts(), "Card 2 reports 99 IQ channels, taken as 0"));
}

TEST_F(CardObjectTest, OpenFailuresAreLoggedAndLeaveTheCardClosed) {
  fake.status[Zp90Entry::Card_Open] = kDevHardwareError;
  card = std::make_unique<kr20cardclass>(kCard, fake.table, false);
  EXPECT_FALSE(card->Open());
  EXPECT_FALSE(card->IsOpen());
  EXPECT_TRUE(Contains(folder.LogTexts(), "Card 2 could not be opened: hardware error"));

  // An info block that cannot be read closes the card again.
  fake.status.clear();
  fake.status[Zp90Entry::Card_GetInfoBlock] = kDevBadArgument;
  EXPECT_FALSE(card->Open());
  EXPECT_FALSE(card->IsOpen());
  EXPECT_EQ(fake.Count(Zp90Entry::Card_Close), 1u);
  EXPECT_TRUE(Contains(folder.LogTexts(), "Card 2 info block could not be read: bad argument"));

  // A library that is not loaded opens nothing.
  zp90class unloaded;
  kr20cardclass orphan(0, unloaded, false);
  EXPECT_FALSE(orphan.Open());
  EXPECT_TRUE(Contains(folder.LogTexts(), "Card 1 not opened: the device library is not loaded"));
}

TEST_F(CardObjectTest, ASimulatedCardOpensWithoutTheLibraryAndIsNeverReady) {
  kr20cardclass& c = OpenCard(true);
  EXPECT_TRUE(c.IsOpen());
  EXPECT_TRUE(c.IsSimulated());
  EXPECT_FALSE(c.IsReady());
  EXPECT_TRUE(fake.calls.empty());
  kr20cardinfo demo{};
  demo.NumFmReceivers = 2;
  c.SetSimulatedCardInfo(demo);
  EXPECT_EQ(Value(c.CardInfo().NumFmReceivers), 2);
  c.Close();
  EXPECT_TRUE(fake.calls.empty());
}

TEST_F(CardObjectTest, MeasuredNoiseIsReadAsAPairOrNotAtAll) {
  kr20cardclass& c = OpenCard();
  double a = -1.0;
  double b = -2.0;
  fake.status[Zp90Entry::PreD_GetMeasuredNoiseChannelB] = kDevHardwareError;
  EXPECT_FALSE(c.PreD_ReadMeasuredNoise(a, b));
  EXPECT_EQ(a, -1.0);
  EXPECT_EQ(b, -2.0);
  fake.status.erase(Zp90Entry::PreD_GetMeasuredNoiseChannelB);
  EXPECT_TRUE(c.PreD_ReadMeasuredNoise(a, b));
  EXPECT_EQ(a, 12.5);
  EXPECT_EQ(b, 12.5);
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

TEST_F(CardObjectTest, TablesOfContentsAreReadCutToTheRecordAndRefusedWhenNegative) {
  fake.toc[0].assign(40, TocEntry(kDevTypeBert, kModuleBert, 0x200, 1));
  fake.tocCount[1] = -3;
  kr20cardclass& c = OpenCard();
  EXPECT_EQ(Value(c.FpgaInfo()[0].Present), 1);
  EXPECT_EQ(Value(c.FpgaInfo()[0].DeviceCount), 32);
  const FpgaDeviceEntry last = c.FpgaInfo()[0].Devices[31];
  EXPECT_EQ(Value(last.DeviceTypeNumber), kDevTypeBert);
  EXPECT_EQ(Value(last.BaseAddress), 0x200u);
  EXPECT_EQ(Value(c.FpgaInfo()[1].Present), 1);
  EXPECT_EQ(Value(c.FpgaInfo()[1].DeviceCount), 0);
  EXPECT_TRUE(Contains(folder.LogTexts(), "Card 2 FPGA 1 table of contents of 40 modules cut to 32"));
  EXPECT_TRUE(Contains(folder.LogTexts(), "Card 2 FPGA 2 table of contents of -3 modules refused"));

  // An FPGA without an image is not present and keeps an empty record.
  fake.fpgaLoaded = {0, 1};
  c.RefreshFpgaInfo();
  EXPECT_FALSE(c.FirstFpgaPresent());
  EXPECT_EQ(Value(c.FpgaInfo()[0].DeviceCount), 0);
}

// One wrapper or more of every family, each answering as a card that is not ready must.
void ExpectInert(kr20cardclass& c) {
  std::vector<std::string> list{"kept"};
  EXPECT_EQ(c.GetMod_GetModulatorMode(), "BAD");
  EXPECT_FALSE(c.GetMod_GetSupportedModulations(list));
  EXPECT_EQ(c.GetMod_IfCarrierRateInHz(), 0.0);
  EXPECT_FALSE(c.GetMod_GetIfCarrierOn());
  c.SetMod_SetModulationType("BPSK");
  c.SetMod_SetIfCarrierOn(true);
  c.SetMod_SetIfCarrierLevel(-10.0);
  EXPECT_EQ(c.GetMod_GetPcmCh1DataSource(), "BAD");
  c.SetMod_SetPcm1Randomizer("NONE");
  EXPECT_FALSE(c.GetMod_GetPcmCh2SwapG1G2());

  EXPECT_EQ(c.PskRx_GetCarrierLockState(0), "BAD");
  EXPECT_FALSE(c.PskRx_GetCarrierModulationModeSupportedTypes(0, list));
  EXPECT_EQ(c.PskRx_GetCarrierCenterFrequencyInHz(1), 0.0);
  c.PskRx_SetCarrierCenterFrequencyInHz(0, 70e6);
  c.PskRx_ReceiverRestartAcquisition(0);
  c.PskRx_SetSignalRoutingStream1InvertLocation(0, "AT_OUTPUT");
  EXPECT_FALSE(c.PskRx_GetViterbiStream1DecodeEnable(0));

  EXPECT_EQ(c.FmRx_GetViterbiLockState(1), "BAD");
  EXPECT_EQ(c.FmRx_GetBitSyncActualSymbolRate(1), 0.0);
  c.FmRx_SetCarrierPeakDeviation(1, 0.7);
  c.FmRx_PulseXmitterIsDigital(1);
  EXPECT_EQ(c.PmRx_GetCarrierAcquisitionMode(0), "BAD");
  c.PmRx_SetInputSource(0, "IF_1");

  c.MhCpmRx_SetTotalSetup(0, "NRZL", false, "RISING_EDGE", "NRZL", 1e6, 1e5, 70.0, 0.1, 0.5);
  MhCpmStatusValues values;
  values.LockState = 42;
  EXPECT_FALSE(c.MhCpmRx_GetStatusValues(0, values));
  EXPECT_EQ(values.LockState, 42);

  EXPECT_EQ(c.Fft_GetFrequencySpanInHz(0), 0.0);
  c.Fft_SetFrequencySpanInHz(0, 5e6);
  std::array<std::byte, 64> buffer{};
  std::uint8_t flag = 9;
  EXPECT_EQ(c.Fft_GetFftBuffer(0, flag, buffer), 0);
  EXPECT_EQ(c.IQ_GetIqBuffer(0, flag, buffer), 0);
  EXPECT_EQ(flag, 9);
  EXPECT_FALSE(c.IQ_GetRunIQData(0));

  EXPECT_EQ(c.PreD_GetNoiseEstimateMode(), "BAD");
  EXPECT_FALSE(c.PreD_GetAvailableNoiseEstimateModes(list));
  c.PreD_SetTimeConstInSec(0.5);
  EXPECT_EQ(c.PostD_GetCombiningGainIndB(), 0.0);
  EXPECT_EQ(c.PostD_GetDiversityOutput(), "BAD");

  EXPECT_EQ(c.Bert_GetInversionCount(0), 0);
  EXPECT_EQ(c.Bert_GetTotalBits(0), 0.0);
  EXPECT_EQ(c.Bert_GetBitErrorRate(0), "BAD");
  EXPECT_FALSE(c.Bert_GetClockPolarityList(0, list));
  std::string pattern = "xx";
  int length = 7;
  EXPECT_FALSE(c.Bert_GetUserPattern(0, pattern, length));
  EXPECT_EQ(pattern, "BAD");
  EXPECT_EQ(length, 0);
  c.Bert_SetUserPattern(0, "\xA5", 8);
  c.Bert_ResetMeasures(0);
  EXPECT_EQ(c.TxBert_GetPnPattern(1), "BAD");
  c.TxBert_SetBitRate(1, 1e6);
  c.TxBert_SetPnPattern(1, "pn15");

  EXPECT_FALSE(c.GetCarrierAcquisitionModeList(list));
  EXPECT_FALSE(c.PskRx_GetViterbiSymbolOrderModeList(list));

  std::array<std::uint32_t, 2> registers{11, 22};
  EXPECT_FALSE(c.Dtrd_PeekRegOnFpga(0, 0, registers, 2));
  EXPECT_EQ(registers[0], 11u);
  EXPECT_FALSE(c.Dtrd_PokeRegOnFpga(0, 0, 1));
  EXPECT_FALSE(c.Dev176_SetValue(1, fmrx_reg::kBitsyncConfidenceWeight, 5));
  EXPECT_FALSE(c.Dev188_SetValue(postd_reg::kFmConfidenceWeight, 5));
  c.DoOnSetFpga0RegB00(false);
  c.SetAllLoggingMasks(0xFFFF);
  EXPECT_FALSE(c.IsModulatorSweepRunning());
  EXPECT_FALSE(c.RunModulatorSweep());
  EXPECT_FALSE(c.ResetModulatorSweep());
  EXPECT_EQ(c.GetModSweepCurrentFreqHz(), 0.0);
  EXPECT_FALSE(c.DoOnSetModulatorSweepProcess(ModSweepParamsOf(c.Setup())));

  EXPECT_EQ(list, std::vector<std::string>{"kept"});
}

TEST_F(CardObjectTest, NoCallReachesTheLibraryForACardThatIsNotOpenSimulatedOrClosed) {
  card = std::make_unique<kr20cardclass>(kCard, fake.table, false);
  ExpectInert(*card);
  ExpectInert(OpenCard(true));
  kr20cardclass& closed = OpenCard();
  closed.Close();
  fake.calls.clear();
  ExpectInert(closed);
  EXPECT_TRUE(fake.calls.empty());

  zp90class unloaded;
  kr20cardclass orphan(0, unloaded, false);
  orphan.Open();
  ExpectInert(orphan);
}

TEST_F(CardObjectTest, ACardWithItsDcmLinkDownOnlyAsksForTheLink) {
  kr20cardclass& c = OpenCard();
  fake.dcmUp = 0;
  ExpectInert(c);
  EXPECT_EQ(fake.WrapperCalls(), 0u);
  EXPECT_GT(fake.Count(Zp90Entry::Card_GetDcmLinkState), 0u);

  // A failing link query counts as a link that is down.
  fake.dcmUp = 1;
  fake.status[Zp90Entry::Card_GetDcmLinkState] = kDevHardwareError;
  EXPECT_EQ(c.GetMod_GetModulatorMode(), "BAD");
  EXPECT_EQ(fake.WrapperCalls(), 0u);
}

TEST_F(CardObjectTest, AReadyCardForwardsCardUnitAndValueAndReturnsTheAnswers) {
  kr20cardclass& c = OpenCard();
  c.PskRx_SetCarrierCenterFrequencyInHz(1, 70.5e6);
  EXPECT_EQ(fake.Last(Zp90Entry::PskRx_SetCarrierCenterFrequencyInHz)->card, kCard);
  EXPECT_EQ(fake.Last(Zp90Entry::PskRx_SetCarrierCenterFrequencyInHz)->args, (Args{"1", "70500000.000000"}));
  c.SetMod_SetIfCarrierOn(true);
  EXPECT_EQ(fake.Last(Zp90Entry::SetMod_SetIfCarrierOn)->args, Args{"1"});
  c.SetMod_SetIfCarrierOn(false);
  EXPECT_EQ(fake.Last(Zp90Entry::SetMod_SetIfCarrierOn)->args, Args{"0"});
  c.TxBert_SetDataPolarity(1, "invert");
  EXPECT_EQ(fake.Last(Zp90Entry::TxBert_SetDataPolarity)->args, (Args{"1", "invert"}));
  c.IQ_SetNumDataPoints(0, 2048);
  EXPECT_EQ(fake.Last(Zp90Entry::IQ_SetNumDataPoints)->args, (Args{"0", "2048"}));
  c.SetAllLoggingMasks(0xFFFFFFFFu);
  EXPECT_EQ(fake.Last(Zp90Entry::Card_SetAllLoggingMasks)->args, Args{"65520"});

  fake.number = -3.25;
  fake.integer = 17;
  fake.text = "SOQPSK";
  EXPECT_EQ(c.PostD_GetChannelBEbNo(), -3.25);
  EXPECT_EQ(c.Bert_GetLockLossCount(1), 17);
  EXPECT_EQ(fake.Last(Zp90Entry::Bert_GetLockLossCount)->args, Args{"1"});
  EXPECT_TRUE(c.Fft_GetEnableFFT(0));
  EXPECT_EQ(c.PskRx_GetCarrierModulationMode(0), "SOQPSK");

  c.MhCpmRx_SetTotalSetup(0, "NRZM", true, "FALLING_EDGE", "BIOL", 2e6, 1e5, 70.1, 0.2, 0.5);
  EXPECT_EQ(fake.Last(Zp90Entry::MhCpmRx_SetTotalSetup)->args,
            (Args{"0", "NRZM", "1", "FALLING_EDGE", "BIOL", "2000000.000000", "100000.000000", "70.100000",
                  "0.200000", "0.500000"}));
  MhCpmStatusValues values;
  EXPECT_TRUE(c.MhCpmRx_GetStatusValues(1, values));
  EXPECT_EQ(values.LockState, 2);
  EXPECT_TRUE(values.CarrierLocked);
  EXPECT_EQ(values.CarrierFreqMhz, 70.25);
  EXPECT_EQ(values.LoopErrorHz, -3.5);

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
  c.PskRx_SetCarrierCenterFrequencyInHz(0, 1.0);
  EXPECT_EQ(fake.Count(Zp90Entry::PskRx_SetCarrierCenterFrequencyInHz), 1u);
  EXPECT_EQ(c.PskRx_GetCarrierActualSignalFrequencyInHz(0), 12.5);

  // Without the optional identity entries the card still opens, without variant and data rate.
  fake.table.Card_GetChipVariant = nullptr;
  fake.table.Card_GetMaxDataRate = nullptr;
  fake.chipVariant = 1;
  fake.maxDataRate = 5;
  kr20cardclass& plain = OpenCard();
  EXPECT_FALSE(plain.ChipVariant());
  EXPECT_EQ(plain.MaxDataRate(), 0u);
}

TEST_F(CardObjectTest, TheTwoWrappersThatDoMoreThanForward) {
  kr20cardclass& c = OpenCard();
  c.PskRx_SetSignalRoutingStream1InvertLocation(1, "AT_DECODER");
  EXPECT_EQ(fake.Last(Zp90Entry::PskRx_SetSignalRoutingStream1InvertLocation)->args, (Args{"1", "AT_DECODER"}));
  EXPECT_EQ(fake.Last(Zp90Entry::PskRx_SetSignalRoutingStream2InvertLocation)->args, (Args{"1", "AT_DECODER"}));

  // One FM receiver: not paired, only the channel asked for.
  c.Setup().RouteInfo.RouteMode = 1;
  c.FmRx_SetCarrierPeakDeviation(1, 0.35);
  EXPECT_EQ(fake.Count(Zp90Entry::FmRx_SetCarrierPeakDeviation), 1u);

  // Two FM receivers routed together: both receivers take the deviation.
  fake.info.NumPskReceivers = 0;
  fake.info.NumFmReceivers = 2;
  kr20cardclass& dual = OpenCard();
  dual.Setup().RouteInfo.RouteMode = 1;
  dual.FmRx_SetCarrierPeakDeviation(0, 0.35);
  const std::vector<testing::FakeCall> both = fake.CallsOf(Zp90Entry::FmRx_SetCarrierPeakDeviation);
  ASSERT_EQ(both.size(), 2u);
  EXPECT_EQ(both[0].args, (Args{"0", "0.350000"}));
  EXPECT_EQ(both[1].args, (Args{"1", "0.350000"}));
  dual.Setup().RouteInfo.RouteMode = 0;
  dual.FmRx_SetCarrierPeakDeviation(0, 0.4);
  EXPECT_EQ(fake.Count(Zp90Entry::FmRx_SetCarrierPeakDeviation), 3u);
}

TEST_F(CardObjectTest, TheTransmitterPulseSetsThenClears) {
  kr20cardclass& c = OpenCard();
  c.FmRx_PulseXmitterIsDigital(1);
  const std::vector<testing::FakeCall> pulse = fake.CallsOf(Zp90Entry::FmRx_SetXmitterIsDigital);
  ASSERT_EQ(pulse.size(), 2u);
  EXPECT_EQ(pulse[0].args, (Args{"1", "1"}));
  EXPECT_EQ(pulse[1].args, (Args{"1", "0"}));

  EXPECT_FALSE(c.PulseRequest(0));
  c.SetPulseRequest(0, true);
  c.SetPulseRequest(5, true);
  EXPECT_TRUE(c.PulseRequest(0));
  EXPECT_FALSE(c.PulseRequest(1));
  EXPECT_FALSE(c.PulseRequest(5));
}

TEST_F(CardObjectTest, TextsAreCutTo100CharactersWhenTheLibraryLeavesNoTerminator) {
  kr20cardclass& c = OpenCard();
  fake.unterminatedText = true;
  EXPECT_EQ(c.Bert_GetBitErrorRate(0), std::string(100, 'X'));
  EXPECT_EQ(c.GetMod_GetModulatorMode(), std::string(100, 'X'));
  fake.unterminatedText = false;
  fake.text = std::string(101, 'Z');  // does not fit: the library refuses
  EXPECT_EQ(c.PreD_GetDiversityOutput(), "BAD");
}

TEST_F(CardObjectTest, ListsHoldAtMost64NamesOf100CharactersAndRefuseBadCounts) {
  kr20cardclass& c = OpenCard();
  std::vector<std::string> list{"old1", "old2", "old3"};
  ASSERT_TRUE(c.Bert_GetPnPatternList(1, list));
  EXPECT_EQ(list, (std::vector<std::string>{"NRZL", "NRZM"}));
  EXPECT_EQ(fake.Last(Zp90Entry::Bert_GetPnPatternList)->args, Args{"1"});

  fake.unterminatedNames = true;
  fake.namesCount = 64;
  ASSERT_TRUE(c.GetMod_GetAvailableIQDataSources(list));
  ASSERT_EQ(list.size(), 64u);
  EXPECT_EQ(list.front(), std::string(100, 'Y'));
  EXPECT_EQ(list.back(), std::string(100, 'Y'));

  const std::vector<std::string> before = list;
  fake.namesCount = 65;
  EXPECT_FALSE(c.GetMod_GetAvailableIQDataSources(list));
  fake.namesCount = -1;
  EXPECT_FALSE(c.PskRx_GetViterbiRateModeSupportedTypes(0, list));
  fake.namesCount = -1000;
  fake.status[Zp90Entry::PostD_GetAvailableDiversityOutputs] = kDevBufferTooSmall;
  EXPECT_FALSE(c.PostD_GetAvailableDiversityOutputs(list));
  EXPECT_EQ(list, before);

  fake.unterminatedNames = false;
  fake.names.clear();
  ASSERT_TRUE(c.TxBert_GetPnPatternList(0, list));
  EXPECT_TRUE(list.empty());

  // The fixed lists replace the list too.
  ASSERT_TRUE(c.GetCarrierAcquisitionModeList(list));
  EXPECT_EQ(list, (std::vector<std::string>{"UNAIDED", "FFT"}));
  ASSERT_TRUE(c.PskRx_GetViterbiSymbolOrderModeList(list));
  EXPECT_EQ(list, (std::vector<std::string>{"G1G2_ORDER", "G2G1_ORDER"}));
}

TEST_F(CardObjectTest, UserPatternsTravelAsFourLeftJustifiedBytesOfACheckedLength) {
  kr20cardclass& c = OpenCard();
  fake.pattern = {0xFF, 0xFF, 0xFF, 0xFF};
  fake.patternLength = 12;
  std::string pattern;
  int length = 0;
  ASSERT_TRUE(c.Bert_GetUserPattern(1, pattern, length));
  EXPECT_EQ(length, 12);
  EXPECT_EQ(pattern, std::string("\xFF\xF0\x00\x00", 4));
  EXPECT_EQ(FormatUserPatternText(pattern, length, 1), "0xfff");

  for (const int bad : {0, 33, -1}) {
    fake.patternLength = bad;
    EXPECT_FALSE(c.TxBert_GetUserPattern(0, pattern, length)) << bad;
    EXPECT_EQ(pattern, "BAD");
    EXPECT_EQ(length, 0);
  }

  c.TxBert_SetUserPattern(1, std::string("\x12\x34", 2), 16);
  EXPECT_EQ(fake.Last(Zp90Entry::TxBert_SetUserPattern)->args, (Args{"1", "18.52.0.0", "16"}));
  c.Bert_SetUserPattern(0, "\x01\x02\x03\x04\x05", 32);
  EXPECT_EQ(fake.Last(Zp90Entry::Bert_SetUserPattern)->args, (Args{"0", "1.2.3.4", "32"}));
  c.Bert_SetUserPattern(0, "\x01", 33);
  c.Bert_SetUserPattern(0, "\x01", 0);
  EXPECT_EQ(fake.Count(Zp90Entry::Bert_SetUserPattern), 1u);
}

TEST_F(CardObjectTest, SpectrumAndIqBuffersRefuseCountsBeyondTheBuffer) {
  kr20cardclass& c = OpenCard();
  std::array<std::byte, 8 * 4 + 3> points{};
  std::uint8_t flag = 1;
  fake.bufferCount = 3;
  EXPECT_EQ(c.Fft_GetFftBuffer(0, flag, points), 3);
  EXPECT_EQ(flag, 7);
  EXPECT_EQ(fake.Last(Zp90Entry::Fft_GetFftBuffer)->args, (Args{"0", "1", "4"}));
  double first = 0.0;
  std::memcpy(&first, points.data(), sizeof first);
  EXPECT_EQ(first, 12.5);

  flag = 1;
  fake.bufferCount = 5;
  EXPECT_EQ(c.Fft_GetFftBuffer(0, flag, points), 0);
  EXPECT_EQ(flag, 1);
  fake.bufferCount = 2;
  EXPECT_EQ(c.IQ_GetIqBuffer(1, flag, points), 2);
  EXPECT_EQ(fake.Last(Zp90Entry::IQ_GetIqBuffer)->args, (Args{"1", "1", "2"}));
  fake.bufferCount = -1;
  EXPECT_EQ(c.IQ_GetIqBuffer(1, flag, points), 0);
}

// Whether the card object has a member of the entry's name (one, not overloaded).
#define ZP90_API(need, name, params, args) \
  template <class C>                       \
  concept HasWrapper_##name = requires { &C::name; };
#include "card/device_api.def"
#undef ZP90_API

struct WrapperPresence {
  std::string_view name;
  bool present;
};

constexpr WrapperPresence kWrappers[] = {
#define ZP90_API(need, name, params, args) {#name, HasWrapper_##name<kr20cardclass>},
#include "card/device_api.def"
#undef ZP90_API
};

TEST(CardObjectWrappers, EveryDeviceOperationHasAWrapperOfItsName) {
  // The card's own life (open, close, identity, FPGA load and its table of contents) is not
  // wrapped one to one; the logging mask goes through SetAllLoggingMasks.
  const std::set<std::string_view> internal = {
      "Lib_GetApiVersion",    "Card_GetCount",        "Card_Open",          "Card_Close",
      "Card_GetInfoBlock",    "Card_GetChipVariant",  "Card_GetMaxDataRate", "Card_GetDcmLinkState",
      "Card_LoadFpgaImage",   "Card_GetFpgaLoaded",   "Card_GetFpgaTocCount", "Card_GetFpgaTocEntry",
      "Card_SetAllLoggingMasks"};
  std::size_t wrapped = 0;
  for (const WrapperPresence& wrapper : kWrappers) {
    EXPECT_EQ(wrapper.present, internal.count(wrapper.name) == 0) << wrapper.name;
    wrapped += wrapper.present ? 1 : 0;
  }
  EXPECT_EQ(wrapped, kZp90EntryCount - internal.size());
}

}  // namespace
}  // namespace card
