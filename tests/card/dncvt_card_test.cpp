// The down-converter card objects over a fake converter library table: opening, the channel
// check, settings and readings, and the tables checked before they reach the channel record.
#include "card_test_support.h"
#include "card/dncvt_card.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "card/zp90_binding.h"
#include "support/log_capture.h"

namespace card {
namespace {

struct DnCall {
  DnCvtEntry entry;
  int card;
  std::vector<std::string> args;
};

// A converter library of one card with `channels` channels, recording every call.
class FakeDnCvt {
 public:
  FakeDnCvt() : previous_(current) {
    current = this;
#define DNCVT_API(need, name, params, args) table.name = &Thunk<DnCvtEntry::name>::Call;
#include "card/dncvt_api.def"
#undef DNCVT_API
  }
  ~FakeDnCvt() { current = previous_; }
  FakeDnCvt(const FakeDnCvt&) = delete;
  FakeDnCvt& operator=(const FakeDnCvt&) = delete;

  inline static FakeDnCvt* current = nullptr;

  DnCvtFunctions table{};
  std::vector<DnCall> calls;
  int channels = 2;
  int failing = 0;  // status of every call when not 0
  std::vector<double> filters{500.0, 2000.0, -1.0, NAN};
  int filterCount = -1000;  // reported count; -1000: the size of `filters`
  std::vector<double> bandStarts{1435.0, 2200.0};
  std::vector<double> bandStops{1540.0, 2300.0};

  std::size_t Count(DnCvtEntry entry) const {
    return static_cast<std::size_t>(
        std::count_if(calls.begin(), calls.end(), [&](const DnCall& c) { return c.entry == entry; }));
  }
  const DnCall* Last(DnCvtEntry entry) const {
    for (auto it = calls.rbegin(); it != calls.rend(); ++it) {
      if (it->entry == entry) return &*it;
    }
    return nullptr;
  }

  int Dispatch(DnCvtEntry e, int* out) {
    calls.push_back({e, -1, {}});
    *out = 1;
    return failing;
  }
  int Dispatch(DnCvtEntry e, int card) { return Done(e, card, {}); }
  int Dispatch(DnCvtEntry e, int card, int* out) { return Answer(e, card, {}, out, channels); }
  int Dispatch(DnCvtEntry e, int card, int channel, int value) {
    return Done(e, card, {std::to_string(channel), std::to_string(value)});
  }
  int Dispatch(DnCvtEntry e, int card, int channel, double value) {
    return Done(e, card, {std::to_string(channel), std::to_string(value)});
  }
  int Dispatch(DnCvtEntry e, int card, int channel, double* out) {
    return Answer(e, card, {std::to_string(channel)}, out, e == DnCvtEntry::ReadStrength ? -61.5 : 0.05);
  }
  int Dispatch(DnCvtEntry e, int card, int channel, int* out) { return Answer(e, card, {std::to_string(channel)}, out, 30); }
  int Dispatch(DnCvtEntry e, int card, int channel, unsigned char* out) {
    return Answer(e, card, {std::to_string(channel)}, out, static_cast<unsigned char>(0x81));
  }
  int Dispatch(DnCvtEntry e, int card, int channel, unsigned char* a, unsigned char* b, unsigned char* c) {
    Answer(e, card, {std::to_string(channel)}, b, static_cast<unsigned char>(0));
    if (failing == 0) *a = *c = 1;
    return failing;
  }
  int Dispatch(DnCvtEntry e, int card, int channel, double* values, int capacity, int* count) {
    calls.push_back({e, card, {std::to_string(channel), std::to_string(capacity)}});
    if (failing != 0) return failing;
    const std::vector<double> given =
        e == DnCvtEntry::GetIfFilterTable ? filters : std::vector<double>{1.0, 10.0, 100.0};
    const int reported = e == DnCvtEntry::GetIfFilterTable && filterCount != -1000 ? filterCount
                                                                                    : static_cast<int>(given.size());
    for (int i = 0; i < std::min({reported, capacity, static_cast<int>(given.size())}); ++i) {
      values[i] = given[static_cast<std::size_t>(i)];
    }
    *count = reported;
    return kDevOk;
  }
  int Dispatch(DnCvtEntry e, int card, int channel, double* starts, double* stops, int capacity, int* count) {
    calls.push_back({e, card, {std::to_string(channel), std::to_string(capacity)}});
    if (failing != 0) return failing;
    for (std::size_t i = 0; i < bandStarts.size(); ++i) {
      starts[i] = bandStarts[i];
      stops[i] = bandStops[i];
    }
    *count = static_cast<int>(bandStarts.size());
    return kDevOk;
  }

 private:
  template <DnCvtEntry E>
  struct Thunk {
    template <class... A>
    static int Call(A... args) {
      return current->Dispatch(E, args...);
    }
  };
  int Done(DnCvtEntry e, int card, std::vector<std::string> args) {
    calls.push_back({e, card, std::move(args)});
    return failing;
  }
  template <class T>
  int Answer(DnCvtEntry e, int card, std::vector<std::string> args, T* out, T value) {
    calls.push_back({e, card, std::move(args)});
    if (failing == 0) *out = value;
    return failing;
  }
  FakeDnCvt* previous_;
};

using Args = std::vector<std::string>;

class DnCvtCardTest : public ::testing::Test {
 protected:
  testsupport::LoggedProgramFolder folder;
  FakeDnCvt fake;
};

TEST_F(DnCvtCardTest, OpenReadsTheChannelCountAndRefusesOneOutOfRange) {
  kr14cardclass card(1, fake.table, kDnCvtKindKr14);
  ASSERT_TRUE(card.Open());
  EXPECT_EQ(card.ChannelCount(), 2);
  EXPECT_EQ(card.Kind(), kDnCvtKindKr14);
  EXPECT_EQ(fake.Last(DnCvtEntry::OpenCard)->card, 1);
  card.Close();
  card.Close();
  EXPECT_EQ(fake.Count(DnCvtEntry::CloseCard), 1u);

  for (const int bad : {0, -1, 13}) {
    fake.channels = bad;
    kr12cardclass refused(0, fake.table, kDnCvtKindKr12);
    EXPECT_FALSE(refused.Open()) << bad;
    EXPECT_FALSE(refused.IsOpen());
  }
  EXPECT_EQ(fake.Count(DnCvtEntry::CloseCard), 4u);  // each refused card is closed again
  std::vector<std::string> texts = folder.LogTexts();
  EXPECT_NE(std::find(texts.begin(), texts.end(), "Kr12 card 1 refused: channel count 13"), texts.end());

  fake.channels = 2;
  fake.failing = kDevHardwareError;
  kr12cardclass dead(0, fake.table, kDnCvtKindKr12);
  EXPECT_FALSE(dead.Open());
  texts = folder.LogTexts();
  EXPECT_NE(std::find(texts.begin(), texts.end(), "Kr12 card 1 could not be opened: hardware error"), texts.end());
}

TEST_F(DnCvtCardTest, SettingsReachTheChannelOnlyWhenItExists) {
  kr12cardclass card(0, fake.table, kDnCvtKindKr12);
  EXPECT_FALSE(card.SetFrequencyMhz(0, 2250.0));  // not open
  ASSERT_TRUE(card.Open());
  fake.calls.clear();

  EXPECT_TRUE(card.SetFrequencyMhz(1, 2250.5));
  EXPECT_EQ(fake.Last(DnCvtEntry::SetFrequencyMhz)->args, (Args{"1", "2250.500000"}));
  EXPECT_TRUE(card.SetAgcFreeze(0, true));
  EXPECT_EQ(fake.Last(DnCvtEntry::SetAgcFreeze)->args, (Args{"0", "1"}));
  EXPECT_TRUE(card.SetAgcZero(0, false));
  EXPECT_EQ(fake.Last(DnCvtEntry::SetAgcZero)->args, (Args{"0", "0"}));
  EXPECT_TRUE(card.SetAgcTimeConstant(0, 7));
  EXPECT_TRUE(card.SetIfBandwidth(1, 11));
  EXPECT_TRUE(card.SetLimitedOutputMode(1, true));
  EXPECT_TRUE(card.SetDigitalAgcMode(1, 2));
  EXPECT_EQ(fake.Last(DnCvtEntry::SetDigitalAgcMode)->args, (Args{"1", "2"}));
  const std::size_t sent = fake.calls.size();

  EXPECT_FALSE(card.SetFrequencyMhz(2, 2250.0));
  EXPECT_FALSE(card.SetFrequencyMhz(-1, 2250.0));
  EXPECT_FALSE(card.SetFrequencyMhz(0, std::nan("")));
  EXPECT_FALSE(card.SetAgcTimeConstant(0, 8));
  EXPECT_FALSE(card.SetIfBandwidth(0, 12));
  EXPECT_FALSE(card.SetIfBandwidth(0, -1));
  EXPECT_EQ(fake.calls.size(), sent);

  fake.failing = kDevBadArgument;
  EXPECT_FALSE(card.SetAgcFreeze(0, true));
}

TEST_F(DnCvtCardTest, AMissingEntryMakesOnlyItsOperationFail) {
  fake.table.SetAgcZero = nullptr;
  kr12cardclass card(0, fake.table, kDnCvtKindKr12);
  ASSERT_TRUE(card.Open());
  EXPECT_FALSE(card.SetAgcZero(0, true));
  EXPECT_TRUE(card.SetAgcFreeze(0, true));
  EXPECT_EQ(fake.Count(DnCvtEntry::SetAgcZero), 0u);
}

TEST_F(DnCvtCardTest, ApplySetupSendsEveryConverterSetting) {
  kr12cardclass card(0, fake.table, kDnCvtKindKr12);
  ASSERT_TRUE(card.Open());
  DnCvtSetupRecord setup{};
  setup.FreqMhz = 2200.25;
  setup.AgcFreezeEnabled = 1;
  setup.TcSelected = 3;
  setup.BwFilterSelected = 4;
  setup.LimitedOutputMode = 1;
  setup.DigitalAgcMode = 1;
  EXPECT_TRUE(card.ApplySetup(1, setup));
  EXPECT_EQ(fake.Last(DnCvtEntry::SetFrequencyMhz)->args, (Args{"1", "2200.250000"}));
  EXPECT_EQ(fake.Last(DnCvtEntry::SetAgcFreeze)->args, (Args{"1", "1"}));
  EXPECT_EQ(fake.Last(DnCvtEntry::SetAgcZero)->args, (Args{"1", "0"}));
  EXPECT_EQ(fake.Last(DnCvtEntry::SetAgcTimeConstant)->args, (Args{"1", "3"}));
  EXPECT_EQ(fake.Last(DnCvtEntry::SetIfBandwidth)->args, (Args{"1", "4"}));
  EXPECT_EQ(fake.Last(DnCvtEntry::SetLimitedOutputMode)->args, (Args{"1", "1"}));
  EXPECT_EQ(fake.Last(DnCvtEntry::SetDigitalAgcMode)->args, (Args{"1", "1"}));

  // An index outside the tables is not sent; the rest still is.
  setup.TcSelected = 99;
  fake.calls.clear();
  EXPECT_FALSE(card.ApplySetup(0, setup));
  EXPECT_EQ(fake.Count(DnCvtEntry::SetAgcTimeConstant), 0u);
  EXPECT_EQ(fake.Count(DnCvtEntry::SetIfBandwidth), 1u);
}

TEST_F(DnCvtCardTest, ReadingsLeaveTheirOutputsAloneWhenTheyFail) {
  kr12cardclass card(0, fake.table, kDnCvtKindKr12);
  ASSERT_TRUE(card.Open());
  double dbm = 0.0;
  std::uint8_t pll[3] = {9, 9, 9};
  std::int32_t hz = 0;
  double index = 0.0;
  std::uint8_t status = 0;
  EXPECT_TRUE(card.ReadStrength(1, dbm));
  EXPECT_EQ(dbm, -61.5);
  EXPECT_TRUE(card.ReadPllStatus(1, pll[0], pll[1], pll[2]));
  EXPECT_EQ(std::vector<int>(pll, pll + 3), (std::vector<int>{1, 0, 1}));
  EXPECT_TRUE(card.ReadAmFrequency(0, hz));
  EXPECT_EQ(hz, 30);
  EXPECT_TRUE(card.ReadAmIndex(0, index));
  EXPECT_EQ(index, 0.05);
  EXPECT_TRUE(card.ReadStatus(0, status));
  EXPECT_EQ(status, 0x81);

  fake.failing = kDevHardwareError;
  dbm = 1.0, pll[0] = 7, hz = 2, index = 3.0, status = 4;
  EXPECT_FALSE(card.ReadStrength(1, dbm));
  EXPECT_FALSE(card.ReadPllStatus(1, pll[0], pll[1], pll[2]));
  EXPECT_FALSE(card.ReadAmFrequency(0, hz));
  EXPECT_FALSE(card.ReadAmIndex(0, index));
  EXPECT_FALSE(card.ReadStatus(5, status));
  EXPECT_EQ(dbm, 1.0);
  EXPECT_EQ(pll[0], 7);
  EXPECT_EQ(hz, 2);
  EXPECT_EQ(index, 3.0);
  EXPECT_EQ(status, 4);
}

TEST_F(DnCvtCardTest, TablesAreCheckedBeforeTheyReachTheChannelRecord) {
  kr14cardclass card(2, fake.table, kDnCvtKindKr14);
  ASSERT_TRUE(card.Open());
  DnCvtChannelRecord record{};
  ASSERT_TRUE(card.ReadChannelTables(1, record));
  EXPECT_EQ(Value(record.Kind), kDnCvtKindKr14);
  EXPECT_EQ(Value(record.Card), 2);
  EXPECT_EQ(Value(record.Channel), 1);
  EXPECT_EQ(Value(record.IfFilterBwKhz[0]), 500.0);
  EXPECT_EQ(Value(record.IfFilterBwKhz[1]), 2000.0);
  EXPECT_EQ(Value(record.IfFilterBwKhz[2]), 0.0);  // negative: not fitted
  EXPECT_EQ(Value(record.IfFilterBwKhz[3]), 0.0);  // NaN: not fitted
  EXPECT_EQ(Value(record.AgcTcMsecs[2]), 100.0);
  EXPECT_EQ(Value(record.AgcTcMsecs[3]), 0.0);
  EXPECT_EQ(Value(record.FreqBands[1].StartMhz), 2200.0);
  EXPECT_EQ(Value(record.FreqBands[1].StopMhz), 2300.0);
  EXPECT_EQ(Value(record.FreqBands[2].StartMhz), 0.0);
  EXPECT_EQ(fake.Last(DnCvtEntry::GetIfFilterTable)->args, (Args{"1", "12"}));
  EXPECT_EQ(fake.Last(DnCvtEntry::GetAgcTimeConstantTable)->args, (Args{"1", "8"}));
  EXPECT_EQ(fake.Last(DnCvtEntry::GetFreqBandTable)->args, (Args{"1", "4"}));

  // A count beyond the table handed over empties that table only.
  fake.filterCount = 13;
  record.IfFilterBwKhz[0] = 77.0;
  ASSERT_TRUE(card.ReadChannelTables(0, record));
  EXPECT_EQ(Value(record.IfFilterBwKhz[0]), 0.0);
  EXPECT_EQ(Value(record.AgcTcMsecs[0]), 1.0);

  EXPECT_FALSE(card.ReadChannelTables(2, record));
}

TEST(DnCvtCardLibrary, AnUnloadedLibraryHasNoCardsAndOpensNone) {
  testsupport::LoggedProgramFolder folder;
  dncvtlibclass library(DnCvtLibraryKind::Kr14);
  EXPECT_EQ(CountDnCvtCards(library), 0);
  const std::unique_ptr<dncvtcardclass> card = MakeDnCvtCard(0, library);
  EXPECT_EQ(card->Kind(), kDnCvtKindKr14);
  EXPECT_NE(dynamic_cast<kr14cardclass*>(card.get()), nullptr);
  EXPECT_FALSE(card->Open());
  EXPECT_FALSE(card->IsReady(0));
}

}  // namespace
}  // namespace card
