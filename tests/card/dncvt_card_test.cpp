// The down-converter card objects over a fake converter library table: opening, the channel
// check, settings and readings, and the tables checked before they reach the channel record.
#include "card_test_support.h"
#include "card/dncvt_card.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
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
  int failing = 0;                                           // status of every call when not 0
  std::vector<double> filters{500.0, 2000.0, -1.0, NAN};  // negative and NaN: not fitted
  int filterCount = 4;                                       // the count the filter table reports

  std::size_t Count(DnCvtEntry entry) const {
    return static_cast<std::size_t>(
        std::count_if(calls.begin(), calls.end(), [&](const DnCall& c) { return c.entry == entry; }));
  }
  const DnCall* Last(DnCvtEntry entry) const {
    const auto it = std::find_if(calls.rbegin(), calls.rend(), [&](const DnCall& c) { return c.entry == entry; });
    return it == calls.rend() ? nullptr : &*it;
  }

  int Dispatch(DnCvtEntry e, int* out) { return Answer(e, -1, {}, out, 1); }
  int Dispatch(DnCvtEntry e, int card) { return Answer<int>(e, card, {}, nullptr, 0); }
  int Dispatch(DnCvtEntry e, int card, int* out) { return Answer(e, card, {}, out, channels); }
  int Dispatch(DnCvtEntry e, int card, int ch, int value) { return Answer<int>(e, card, Of(ch, value), nullptr, 0); }
  int Dispatch(DnCvtEntry e, int card, int ch, double value) { return Answer<int>(e, card, Of(ch, value), nullptr, 0); }
  int Dispatch(DnCvtEntry e, int card, int ch, double* out) {
    return Answer(e, card, Of(ch), out, e == DnCvtEntry::ReadStrength ? -61.5 : 0.05);
  }
  int Dispatch(DnCvtEntry e, int card, int ch, int* out) { return Answer(e, card, Of(ch), out, 30); }
  int Dispatch(DnCvtEntry e, int card, int ch, unsigned char* out) {
    return Answer(e, card, Of(ch), out, static_cast<unsigned char>(0x81));
  }
  int Dispatch(DnCvtEntry e, int card, int ch, unsigned char* a, unsigned char* b, unsigned char* c) {
    if (failing == 0) *a = *c = 1;
    return Answer(e, card, Of(ch), b, static_cast<unsigned char>(0));
  }
  int Dispatch(DnCvtEntry e, int card, int ch, double* values, int capacity, int* count) {
    const bool filter = e == DnCvtEntry::GetIfFilterTable;
    const std::vector<double> given = filter ? filters : std::vector<double>{1.0, 10.0, 100.0};
    const int reported = filter ? filterCount : 3;
    for (int i = 0; failing == 0 && i < std::min({reported, capacity, static_cast<int>(given.size())}); ++i) {
      values[i] = given[static_cast<std::size_t>(i)];
    }
    return Answer(e, card, Of(ch, capacity), count, reported);
  }
  int Dispatch(DnCvtEntry e, int card, int ch, double* starts, double* stops, int capacity, int* count) {
    if (failing == 0) starts[0] = 1435.0, stops[0] = 1540.0, starts[1] = 2200.0, stops[1] = 2300.0;
    return Answer(e, card, Of(ch, capacity), count, 2);
  }

 private:
  template <DnCvtEntry E>
  struct Thunk {
    template <class... A>
    static int Call(A... args) {
      return current->Dispatch(E, args...);
    }
  };
  template <class... V>
  static std::vector<std::string> Of(V... values) {
    return {std::to_string(values)...};
  }
  template <class T>
  int Answer(DnCvtEntry e, int card, std::vector<std::string> args, T* out, T value) {
    calls.push_back({e, card, std::move(args)});
    if (failing == 0 && out != nullptr) *out = value;
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
  EXPECT_EQ(fake.Last(DnCvtEntry::OpenCard)->card, 1);
  card.Close();
  card.Close();
  EXPECT_EQ(fake.Count(DnCvtEntry::CloseCard), 1u);

  for (const int bad : {0, 13}) {
    fake.channels = bad;
    kr12cardclass refused(0, fake.table, kDnCvtKindKr12);
    EXPECT_FALSE(refused.Open()) << bad;
    EXPECT_FALSE(refused.IsOpen());
  }
  EXPECT_EQ(fake.Count(DnCvtEntry::CloseCard), 3u);  // each refused card is closed again
  EXPECT_TRUE(HasLine(folder, "Kr12 card 1 refused: channel count 13"));

  fake.channels = 2;
  fake.failing = kDevHardwareError;
  kr12cardclass dead(0, fake.table, kDnCvtKindKr12);
  EXPECT_FALSE(dead.Open());
  EXPECT_TRUE(HasLine(folder, "Kr12 card 1 could not be opened: hardware error"));
}

TEST_F(DnCvtCardTest, SettingsReachTheChannelOnlyWhenItExistsAndTheValueFits) {
  kr12cardclass card(0, fake.table, kDnCvtKindKr12);
  EXPECT_FALSE(card.SetFrequencyMhz(0, 2250.0));  // not open
  ASSERT_TRUE(card.Open());
  fake.calls.clear();
  EXPECT_TRUE(card.SetFrequencyMhz(1, 2250.5));
  EXPECT_EQ(fake.Last(DnCvtEntry::SetFrequencyMhz)->args, (Args{"1", "2250.500000"}));
  const std::size_t sent = fake.calls.size();
  EXPECT_FALSE(card.SetFrequencyMhz(2, 2250.0));
  EXPECT_FALSE(card.SetFrequencyMhz(0, std::nan("")));
  EXPECT_FALSE(card.SetAgcTimeConstant(0, 8));
  EXPECT_FALSE(card.SetIfBandwidth(0, 12));
  EXPECT_EQ(fake.calls.size(), sent);

  // A missing entry makes only its operation fail.
  fake.table.SetAgcZero = nullptr;
  EXPECT_FALSE(card.SetAgcZero(0, true));
  EXPECT_TRUE(card.SetAgcFreeze(0, true));
}

TEST_F(DnCvtCardTest, ApplySetupSendsEveryConverterSetting) {
  kr12cardclass card(0, fake.table, kDnCvtKindKr12);
  ASSERT_TRUE(card.Open());
  DnCvtSetupRecord setup{};
  setup.FreqMhz = 2200.25;
  setup.AgcFreezeEnabled = 1;
  setup.TcSelected = 3;
  setup.BwFilterSelected = 4;
  fake.calls.clear();
  EXPECT_TRUE(card.ApplySetup(1, setup));
  const std::vector<std::pair<DnCvtEntry, Args>> expected{
      {DnCvtEntry::SetFrequencyMhz, {"1", "2200.250000"}}, {DnCvtEntry::SetAgcFreeze, {"1", "1"}},
      {DnCvtEntry::SetAgcZero, {"1", "0"}},                {DnCvtEntry::SetAgcTimeConstant, {"1", "3"}},
      {DnCvtEntry::SetIfBandwidth, {"1", "4"}},            {DnCvtEntry::SetLimitedOutputMode, {"1", "0"}},
      {DnCvtEntry::SetDigitalAgcMode, {"1", "0"}}};
  for (const auto& [entry, args] : expected) EXPECT_EQ(fake.Last(entry)->args, args) << static_cast<int>(entry);
  EXPECT_EQ(fake.calls.size(), expected.size());

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
  EXPECT_TRUE(card.ReadStrength(1, dbm));
  EXPECT_EQ(dbm, -61.5);
  EXPECT_TRUE(card.ReadPllStatus(1, pll[0], pll[1], pll[2]));
  EXPECT_EQ(std::vector<int>(pll, pll + 3), (std::vector<int>{1, 0, 1}));

  fake.failing = kDevHardwareError;
  std::uint8_t status = 4;
  dbm = 1.0, pll[0] = 7;
  EXPECT_FALSE(card.ReadStrength(1, dbm));
  EXPECT_FALSE(card.ReadPllStatus(1, pll[0], pll[1], pll[2]));
  EXPECT_FALSE(card.ReadStatus(5, status));
  EXPECT_TRUE(dbm == 1.0 && pll[0] == 7 && status == 4);
}

TEST_F(DnCvtCardTest, TablesAreCheckedBeforeTheyReachTheChannelRecord) {
  kr14cardclass card(2, fake.table, kDnCvtKindKr14);
  ASSERT_TRUE(card.Open());
  DnCvtChannelRecord record{};
  ASSERT_TRUE(card.ReadChannelTables(1, record));
  EXPECT_EQ(Value(record.Channel), 1);
  EXPECT_EQ(Value(record.IfFilterBwKhz[1]), 2000.0);
  EXPECT_EQ(Value(record.IfFilterBwKhz[2]), 0.0);  // negative: not fitted
  EXPECT_EQ(Value(record.IfFilterBwKhz[3]), 0.0);  // NaN: not fitted
  EXPECT_EQ(Value(record.AgcTcMsecs[2]), 100.0);
  EXPECT_EQ(Value(record.FreqBands[1].StopMhz), 2300.0);
  EXPECT_EQ(fake.Last(DnCvtEntry::GetIfFilterTable)->args, (Args{"1", "12"}));  // the capacity handed over

  // A count beyond the table handed over empties that table only.
  fake.filterCount = 13;
  record.IfFilterBwKhz[0] = 77.0;
  ASSERT_TRUE(card.ReadChannelTables(0, record));
  EXPECT_EQ(Value(record.IfFilterBwKhz[0]), 0.0);
  EXPECT_EQ(Value(record.AgcTcMsecs[0]), 1.0);

  EXPECT_FALSE(card.ReadChannelTables(2, record));
}

}  // namespace
}  // namespace card
