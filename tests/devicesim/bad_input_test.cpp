// Every entry point of the three libraries against bad input: each must answer with a failure
// status, write nothing and leave the process (and the sanitizers) quiet; and every getter that
// fills a buffer against buffers of exactly the right size and of one less.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <map>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "sim_library.h"

namespace simtest {
namespace {

// A value of each parameter type that no entry may take: null pointers, NaN, -7 for indices and
// counts (or `unit` for the first int after the card), all ones for registers and masks.
template <class T>
T Junk(std::size_t position, int unit) {
  static_cast<void>(position);  // used by the int branch only
  static_cast<void>(unit);
  if constexpr (std::is_pointer_v<T>) {
    return nullptr;
  } else if constexpr (std::is_floating_point_v<T>) {
    return std::numeric_limits<T>::quiet_NaN();
  } else if constexpr (std::is_same_v<T, int>) {
    return position == 0 ? unit : -7;
  } else {
    return std::numeric_limits<T>::max();
  }
}

template <class... A, std::size_t... I>
int CallJunk(int (*fn)(int, A...), int cardIndex, int unit, std::index_sequence<I...>) {
  static_cast<void>(unit);  // entries of the card alone take no unit
  return fn(cardIndex, Junk<A>(I, unit)...);
}

struct Outcome {
  int status;
  bool mayPass;  // only (card) or (card, unit) entries: with a good index nothing is wrong
};

template <class... A>
Outcome CallWithJunk(int (*fn)(int, A...), int cardIndex, int unit) {
  constexpr bool unitOnly = sizeof...(A) == 0 || (sizeof...(A) == 1 && (std::is_same_v<A, int> && ...));
  return {CallJunk(fn, cardIndex, unit, std::index_sequence_for<A...>{}), unitOnly};
}
// Library-level entries take only an out pointer.
template <class P>
Outcome CallWithJunk(int (*fn)(P*), int, int) {
  return {fn(nullptr), false};
}

bool IsStatus(int status) { return status <= 0 && status >= card::kDevHardwareError; }

class BadInputTest : public SimTest {
 protected:
  // Calls every entry with junk; the card is opened again before each call so that Card_Close
  // does not hide the checks behind "card not open".
  std::vector<std::pair<std::string, Outcome>> SweepZp90(int cardIndex, int unit) {
    std::vector<std::pair<std::string, Outcome>> outcomes;
#define ZP90_API(need, name, params, args)   \
  F().Card_Open(0);                          \
  F().Card_Open(1);                          \
  outcomes.emplace_back(#name, CallWithJunk(F().name, cardIndex, unit));
#include "card/device_api.def"
#undef ZP90_API
    return outcomes;
  }
};

TEST_F(BadInputTest, EveryListedEntryIsExported) {
  EXPECT_EQ(Zp90().missing, 0);
  EXPECT_EQ(Kr12().missing, 0);
  EXPECT_EQ(Kr14().missing, 0);
  int version = 0;
  ASSERT_EQ(F().Lib_GetApiVersion(&version), card::kDevOk);
  EXPECT_EQ(version, card::kZp90ApiVersion);
}

TEST_F(BadInputTest, CardsOutsideTheCardsFoundAreRefusedByEveryEntry) {
  Load(0, 0);
  for (int cardIndex : {-1, 2, 6, std::numeric_limits<int>::min()}) {
    for (const auto& [name, outcome] : SweepZp90(cardIndex, 0)) {
      if (name == "Lib_GetApiVersion" || name == "Card_GetCount") {
        EXPECT_EQ(outcome.status, card::kDevBadArgument) << name;
      } else {
        EXPECT_EQ(outcome.status, card::kDevBadCard) << name << " card " << cardIndex;
      }
    }
  }
}

TEST_F(BadInputTest, JunkArgumentsFailOnALoadedCardWithoutHarm) {
  Load(0, 0);
  Load(1, 6);
  for (int cardIndex : {0, 1}) {
    for (int unit : {-7, 2, 0, 1}) {
      for (const auto& [name, outcome] : SweepZp90(cardIndex, unit)) {
        EXPECT_TRUE(IsStatus(outcome.status)) << name;
        const bool goodUnit = unit == 0 || unit == 1;
        if ((!outcome.mayPass || !goodUnit) && name != "Card_Open" && name != "Card_Close") {
          EXPECT_LT(outcome.status, 0) << name << " unit " << unit;
        }
      }
    }
  }
  TunePsk(0, 0, 1e6);  // the card still works
  Advance(0.5);
  EXPECT_EQ(Text(F().PskRx_GetCarrierLockState, 0, 0), "LOCKED");
}

TEST_F(BadInputTest, NamesAreTakenOnlyFromTheirListExactlyAndUpToTheLengthLimit) {
  Load(0, 0);
  EXPECT_EQ(F().PskRx_SetBitSyncStream1InputDataDecodingMode(0, 0, "DMM2"), card::kDevOk);
  const std::string longName = "NRZL" + std::string(200, ' ');
  for (const char* bad : {"nrzl", "RNRZ-15", "", longName.c_str()}) {
    EXPECT_EQ(F().PskRx_SetBitSyncStream1InputDataDecodingMode(0, 0, bad), card::kDevBadArgument) << bad;
  }
  EXPECT_EQ(Text(F().PskRx_GetBitSyncStream1InputDataDecodingMode, 0, 0), "DMM2");
}

// Every text, list and table getter with a buffer of exactly its result's size and of one less:
// the exact fit is filled and terminated within the capacity given, the short one gives
// kDevBufferTooSmall and, as every failed call, writes nothing; no byte past the capacity is
// ever written (the guard bytes after it stay as they were).
class ExactFitTest : public SimTest {
 protected:
  static constexpr char kGuard = '#';
  static constexpr int kGuardBytes = 16;

  // A getter of a card's text (unit < 0) or of a unit's text.
  template <class Call>
  void CheckText(const std::string& name, Call&& call) {
    std::vector<char> probe(card::kDevNameSize + kGuardBytes, kGuard);
    if (call(probe.data(), card::kDevNameSize) != card::kDevOk) return;  // no such unit in this personality
    const std::string text(probe.data());
    SCOPED_TRACE(name + " \"" + text + "\"");
    ++checked_[name];
    const int fit = static_cast<int>(text.size()) + 1;

    std::vector<char> buffer(static_cast<std::size_t>(fit + kGuardBytes), kGuard);
    EXPECT_EQ(call(buffer.data(), fit), card::kDevOk);
    EXPECT_EQ(std::string(buffer.data(), text.size()), text);
    EXPECT_EQ(buffer[text.size()], '\0');
    EXPECT_EQ(std::string(buffer.begin() + fit, buffer.end()), std::string(kGuardBytes, kGuard));

    std::vector<char> shortBuffer(static_cast<std::size_t>(fit + kGuardBytes), kGuard);
    EXPECT_EQ(call(shortBuffer.data(), fit - 1), card::kDevBufferTooSmall);
    EXPECT_EQ(std::string(shortBuffer.begin(), shortBuffer.end()), std::string(shortBuffer.size(), kGuard));
  }

  // A getter of a list of names (card::DevName each) and its count.
  template <class Call>
  void CheckList(const std::string& name, Call&& call) {
    constexpr std::size_t kNameSize = sizeof(card::DevName);
    std::vector<char> probe((card::kDevListMaxNames + 1) * kNameSize, kGuard);
    int count = -1;
    if (call(probe.data(), card::kDevListMaxNames, &count) != card::kDevOk) return;
    SCOPED_TRACE(name + " of " + std::to_string(count));
    ++checked_[name];
    ASSERT_GT(count, 0);
    const std::size_t used = static_cast<std::size_t>(count) * kNameSize;
    const std::vector<char> expected(probe.begin(), probe.begin() + static_cast<std::ptrdiff_t>(used));

    std::vector<char> buffer(used + kNameSize, kGuard);
    int got = -1;
    EXPECT_EQ(call(buffer.data(), count, &got), card::kDevOk);
    EXPECT_EQ(got, count);
    for (int i = 0; i < count; ++i) {
      const char* entry = buffer.data() + static_cast<std::size_t>(i) * kNameSize;
      EXPECT_NE(std::memchr(entry, '\0', kNameSize), nullptr) << "name " << i << " unterminated";
      EXPECT_STREQ(entry, expected.data() + static_cast<std::size_t>(i) * kNameSize);
    }
    EXPECT_EQ(std::string(buffer.begin() + static_cast<std::ptrdiff_t>(used), buffer.end()), std::string(kNameSize, kGuard));

    std::vector<char> shortBuffer(used + kNameSize, kGuard);
    got = -1;
    EXPECT_EQ(call(shortBuffer.data(), count - 1, &got), card::kDevBufferTooSmall);
    EXPECT_EQ(got, -1);
    EXPECT_EQ(std::string(shortBuffer.begin(), shortBuffer.end()), std::string(shortBuffer.size(), kGuard));
  }

  static card::DevName* Names(char* bytes) { return reinterpret_cast<card::DevName*>(bytes); }

  // Getters are recognised by their parameter lists; every other entry is passed over.
  template <class Fn>
  void Check(const std::string&, Fn, int, int) {}
  void Check(const std::string& name, int (*fn)(int, char*, int), int cardIndex, int unit) {
    if (unit == 0) CheckText(name, [&](char* text, int capacity) { return fn(cardIndex, text, capacity); });
  }
  void Check(const std::string& name, int (*fn)(int, int, char*, int), int cardIndex, int unit) {
    CheckText(name, [&](char* text, int capacity) { return fn(cardIndex, unit, text, capacity); });
  }
  void Check(const std::string& name, int (*fn)(int, card::DevName*, int, int*), int cardIndex, int unit) {
    if (unit != 0) return;
    CheckList(name, [&](char* names, int capacity, int* count) { return fn(cardIndex, Names(names), capacity, count); });
  }
  void Check(const std::string& name, int (*fn)(int, int, card::DevName*, int, int*), int cardIndex, int unit) {
    CheckList(name, [&](char* names, int capacity, int* count) { return fn(cardIndex, unit, Names(names), capacity, count); });
  }

  void CheckEveryGetter(int cardIndex) {
    for (int unit : {0, 1}) {
#define ZP90_API(need, name, params, args) Check(#name, F().name, cardIndex, unit);
#include "card/device_api.def"
#undef ZP90_API
    }
  }

  std::map<std::string, int> checked_;
};

TEST_F(ExactFitTest, TextAndListGettersNeverWritePastTheCapacityGiven) {
  // Personalities that between them have every kind of unit.
  Load(0, 0);
  CheckEveryGetter(0);
  Load(0, 3);
  CheckEveryGetter(0);
  Load(1, 15);
  CheckEveryGetter(1);
  Load(1, 12);
  CheckEveryGetter(1);
  // Every text and list entry of the list was reached at least once.
  std::size_t getters = 0;
  const auto count = [&](auto fn) {
    using Fn = decltype(fn);
    getters += std::is_same_v<Fn, int (*)(int, char*, int)> || std::is_same_v<Fn, int (*)(int, int, char*, int)> ||
                       std::is_same_v<Fn, int (*)(int, card::DevName*, int, int*)> ||
                       std::is_same_v<Fn, int (*)(int, int, card::DevName*, int, int*)>
                   ? 1
                   : 0;
  };
#define ZP90_API(need, name, params, args) count(F().name);
#include "card/device_api.def"
#undef ZP90_API
  EXPECT_GT(getters, 50u);
  EXPECT_EQ(checked_.size(), getters);
}

// The converters' tables: exactly their length fits, one less is refused untouched.
TEST_F(ExactFitTest, DownConverterTablesNeverWritePastTheCapacityGiven) {
  constexpr double kGuardValue = -12345.0;
  for (const DnCvtLibrary* lib : {&Kr12(), &Kr14()}) {
    ASSERT_NE(lib->handle, nullptr);
    lib->reset();
    ASSERT_EQ(lib->fn.OpenCard(0), card::kDevOk);
    using Table = int (*)(int, int, double*, int, int*);
    const auto bands = [lib](int cardIndex, int channel, double* values, int capacity, int* count) {
      // Start and stop frequencies, the stops written after the starts' guard.
      return lib->fn.GetFreqBandTable(cardIndex, channel, values, values + 64, capacity, count);
    };
    const std::pair<const char*, std::function<int(int, int, double*, int, int*)>> tables[] = {
        {"GetIfFilterTable", Table{lib->fn.GetIfFilterTable}},
        {"GetAgcTimeConstantTable", Table{lib->fn.GetAgcTimeConstantTable}},
        {"GetFreqBandTable", bands},
    };
    for (const auto& [name, table] : tables) {
      SCOPED_TRACE(name);
      std::vector<double> values(128, kGuardValue);
      int count = -1;
      ASSERT_EQ(table(0, 0, values.data(), 32, &count), card::kDevOk);
      ASSERT_GT(count, 0);
      const std::vector<double> full = values;

      std::vector<double> exact(128, kGuardValue);
      int got = -1;
      EXPECT_EQ(table(0, 0, exact.data(), count, &got), card::kDevOk);
      EXPECT_EQ(got, count);
      for (std::size_t i = 0; i < exact.size(); ++i) {
        const bool used = i % 64 < static_cast<std::size_t>(count);
        EXPECT_EQ(exact[i], used ? full[i] : kGuardValue) << "value " << i;
      }

      std::vector<double> shortTable(128, kGuardValue);
      got = -1;
      EXPECT_EQ(table(0, 0, shortTable.data(), count - 1, &got), card::kDevBufferTooSmall);
      EXPECT_EQ(got, -1);
      EXPECT_EQ(shortTable, std::vector<double>(128, kGuardValue));
    }
  }
}

TEST_F(BadInputTest, AShortInfoBlockOrAnOverlongPatternIsRefused) {
  Load(0, 0);
  unsigned char info[228] = {};
  EXPECT_EQ(F().Card_GetInfoBlock(0, info, sizeof info), card::kDevBufferTooSmall);
  const unsigned char pattern[5] = {};
  EXPECT_EQ(F().TxBert_SetUserPattern(0, 0, pattern, 33), card::kDevBadArgument);
}

TEST_F(BadInputTest, NumbersOutsideTheirRangeOrNotFiniteAreRefusedAndNothingChanges) {
  Load(0, 0);
  const double infinity = std::numeric_limits<double>::infinity();
  for (double bad : {std::nan(""), infinity, -infinity, -1.0, 1e12}) {
    EXPECT_EQ(F().PskRx_SetCarrierCenterFrequencyInHz(0, 0, bad), card::kDevBadArgument) << bad;
    EXPECT_EQ(F().PskRx_SetBitSyncStream1RateInbps(0, 0, bad), card::kDevBadArgument) << bad;
    EXPECT_EQ(F().TxBert_SetBitErrorRate(0, 0, bad), card::kDevBadArgument) << bad;
  }
  EXPECT_EQ(Number(F().PskRx_GetCarrierCenterFrequencyInHz, 0, 0), 70e6);
  EXPECT_EQ(F().IQ_SetNumDataPoints(0, 0, 16385), card::kDevBadArgument);
  EXPECT_EQ(F().Card_LoadFpgaImage(0, 0, std::string(5000, 'a').c_str()), card::kDevBadArgument);
  EXPECT_EQ(Zp90().advanceSeconds(std::nan("")), card::kDevBadArgument);
}

class DnCvtBadInputTest : public SimTest {};

TEST_F(DnCvtBadInputTest, EveryEntryRefusesBadCardsChannelsAndPointers) {
  for (const DnCvtLibrary* lib : {&Kr12(), &Kr14()}) {
    ASSERT_NE(lib->handle, nullptr);
    lib->reset();
    for (int cardIndex : {-1, 1, 0}) {
      for (int unit : {-7, 2, 0}) {
        std::vector<std::pair<std::string, int>> outcomes;
#define DNCVT_API(need, name, params, args) \
  lib->fn.OpenCard(0);                      \
  outcomes.emplace_back(#name, CallWithJunk(lib->fn.name, cardIndex, unit).status);
#include "card/dncvt_api.def"
#undef DNCVT_API
        for (const auto& [name, status] : outcomes) {
          EXPECT_TRUE(IsStatus(status)) << name;
          if (name == "OpenCard" || name == "CloseCard") {
            EXPECT_EQ(status, cardIndex == 0 ? card::kDevOk : card::kDevBadCard) << name;
          } else if (name == "Lib_GetApiVersion" || name == "GetCardCount") {
            EXPECT_EQ(status, card::kDevBadArgument) << name;
          } else if (cardIndex != 0) {
            EXPECT_EQ(status, card::kDevBadCard) << name << " card " << cardIndex;
          } else {
            EXPECT_LT(status, 0) << name << " unit " << unit;
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace simtest
