// Every entry point of the three libraries against bad input: each must answer with a failure
// status, write nothing and leave the process (and the sanitizers) quiet.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
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

TEST_F(BadInputTest, ShortBuffersGiveBufferTooSmallAndKeepTheirContents) {
  Load(0, 0);
  char text[4] = {'x', 'x', 'x', 'x'};
  EXPECT_EQ(F().PskRx_GetCarrierLockState(0, 0, text, sizeof text), card::kDevBufferTooSmall);
  EXPECT_EQ(text[0], 'x');
  card::DevName names[19] = {};
  names[0][0] = 'x';
  int count = -1;
  EXPECT_EQ(F().Bert_GetPnPatternList(0, 0, names, 18, &count), card::kDevBufferTooSmall);
  EXPECT_EQ(count, -1);
  EXPECT_EQ(names[0][0], 'x');
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
