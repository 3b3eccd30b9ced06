#pragma once
// The device libraries' entry lists (device_api.def, dncvt_api.def) turned into C++: a table of
// function pointers per list, an enumeration of the entries, and each entry's symbol and need.
// Expanding a list into an enumeration and a struct makes a name listed twice a compile error;
// the static_asserts below add the symbol spelling and the required count.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string_view>

#include "card/device_status.h"

namespace card {

// Version of the lists that this program was built with; a library reports its own through
// Lib_GetApiVersion.
inline constexpr int kZp90ApiVersion = 1;
inline constexpr int kDnCvtApiVersion = 1;

// Whether a library without the entry is refused.
enum class EntryNeed : std::uint8_t { Required, Optional };

struct EntryInfo {
  std::string_view name;  // the entry's name, without the library's symbol prefix
  EntryNeed need;
};

// ---- Receiver-card library ----------------------------------------------------------------------

inline constexpr std::string_view kZp90SymbolPrefix = "Zp90_";

enum class Zp90Entry : int {
#define ZP90_API(need, name, params, args) name,
#include "card/device_api.def"
#undef ZP90_API
};

inline constexpr EntryInfo kZp90Entries[] = {
#define ZP90_API(need, name, params, args) {#name, EntryNeed::need},
#include "card/device_api.def"
#undef ZP90_API
};
inline constexpr std::size_t kZp90EntryCount = std::size(kZp90Entries);

constexpr const EntryInfo& EntryInfoOf(Zp90Entry entry) { return kZp90Entries[static_cast<std::size_t>(entry)]; }

// One pointer per entry, null until bound.
struct Zp90Functions {
#define ZP90_API(need, name, params, args) int(*name) params = nullptr;
#include "card/device_api.def"
#undef ZP90_API
};

// ---- Down-converter libraries -------------------------------------------------------------------

inline constexpr std::string_view kKr12SymbolPrefix = "Kr12_";
inline constexpr std::string_view kKr14SymbolPrefix = "Kr14_";

enum class DnCvtEntry : int {
#define DNCVT_API(need, name, params, args) name,
#include "card/dncvt_api.def"
#undef DNCVT_API
};

inline constexpr EntryInfo kDnCvtEntries[] = {
#define DNCVT_API(need, name, params, args) {#name, EntryNeed::need},
#include "card/dncvt_api.def"
#undef DNCVT_API
};
inline constexpr std::size_t kDnCvtEntryCount = std::size(kDnCvtEntries);

constexpr const EntryInfo& EntryInfoOf(DnCvtEntry entry) { return kDnCvtEntries[static_cast<std::size_t>(entry)]; }

struct DnCvtFunctions {
#define DNCVT_API(need, name, params, args) int(*name) params = nullptr;
#include "card/dncvt_api.def"
#undef DNCVT_API
};

// ---- Checks on the lists ------------------------------------------------------------------------

namespace detail {

template <std::size_t N>
constexpr std::size_t CountRequired(const EntryInfo (&entries)[N]) {
  std::size_t count = 0;
  for (const EntryInfo& entry : entries) count += entry.need == EntryNeed::Required ? 1 : 0;
  return count;
}

// Two entries of one name would bind one symbol twice.
template <std::size_t N>
constexpr bool NamesAreUnique(const EntryInfo (&entries)[N]) {
  for (std::size_t i = 0; i < N; ++i) {
    for (std::size_t j = i + 1; j < N; ++j) {
      if (entries[i].name == entries[j].name) return false;
    }
  }
  return true;
}

// A symbol must fit the texts the binder logs and the libraries' own tables.
template <std::size_t N>
constexpr bool NamesFit(const EntryInfo (&entries)[N], std::size_t prefixLength) {
  for (const EntryInfo& entry : entries) {
    if (entry.name.empty() || entry.name.size() + prefixLength > static_cast<std::size_t>(kDevNameMaxLength)) {
      return false;
    }
  }
  return true;
}

}  // namespace detail

// A library is accepted only when exactly these five entries exist; the rest are optional.
inline constexpr std::size_t kRequiredEntryCount = 5;

static_assert(detail::CountRequired(kZp90Entries) == kRequiredEntryCount);
static_assert(detail::NamesAreUnique(kZp90Entries));
static_assert(detail::NamesFit(kZp90Entries, kZp90SymbolPrefix.size()));

static_assert(detail::CountRequired(kDnCvtEntries) == kRequiredEntryCount);
static_assert(detail::NamesAreUnique(kDnCvtEntries));
static_assert(detail::NamesFit(kDnCvtEntries, kKr12SymbolPrefix.size()));
static_assert(kKr12SymbolPrefix.size() == kKr14SymbolPrefix.size());

// The table holds nothing but the pointers, one per entry, in list order.
static_assert(sizeof(Zp90Functions) == kZp90EntryCount * sizeof(void (*)()));
static_assert(sizeof(DnCvtFunctions) == kDnCvtEntryCount * sizeof(void (*)()));

// The enumeration and the info table come from the same expansion, in the same order.
static_assert(EntryInfoOf(Zp90Entry::Lib_GetApiVersion).name == "Lib_GetApiVersion");
static_assert(EntryInfoOf(Zp90Entry::TxBert_SetDataPolarity).name == "TxBert_SetDataPolarity");
static_assert(EntryInfoOf(DnCvtEntry::GetChannelCount).name == "GetChannelCount");

}  // namespace card
