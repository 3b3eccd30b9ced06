#pragma once
// What the card layer knows of a card's FPGAs: the table of contents of each loaded image (one
// record per FPGA, filled from the device library) and the load state of the card's personality.
// Packed, fields in a fixed order; the whole record is zero until filled.
#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace card {

inline constexpr std::size_t kFpgasPerCard = 2;
// Module entries kept per FPGA (the table-of-contents window shows 32); a longer table is cut
// when the record is filled.
inline constexpr std::size_t kFpgaTocMaxDevices = 32;

#pragma pack(push, 1)

// One functional module that the loaded image declares.
struct FpgaDeviceEntry {
  std::int32_t TocEntry{};            // table-of-contents entry number
  std::uint32_t DeviceTypeNumber{};   // hardware type number, e.g. 3584 for the sweep engine
  std::int32_t MajorVersion{};
  std::int32_t MinorVersion{};
  std::uint32_t BaseAddress{};        // register base address
  std::int32_t FpgaInstance{};
  std::int32_t CardInstance{};
  std::int32_t DeviceTypeCode{};      // the library's module kind, named by FpgaModuleName
};

struct FpgaInfoRecord {
  std::uint8_t Present{};
  std::int32_t DeviceCount{};  // entries in use, 0..kFpgaTocMaxDevices
  FpgaDeviceEntry Devices[kFpgaTocMaxDevices]{};
};

// Personality load bookkeeping of one card (mode numbers 0..15, 16 = none).
struct FpgaLoadState {
  std::uint8_t ForceLoad{};
  std::uint8_t LoadingNow{};
  std::int32_t DefaultFpgaMode{};
  std::int32_t DesiredFpgaMode{};
  std::int32_t LastFpgaMode{};
  std::int32_t CurrentFpgaMode{};
};

#pragma pack(pop)

static_assert(sizeof(FpgaDeviceEntry) == 32);
static_assert(offsetof(FpgaDeviceEntry, TocEntry) == 0);
static_assert(offsetof(FpgaDeviceEntry, DeviceTypeNumber) == 4);
static_assert(offsetof(FpgaDeviceEntry, MajorVersion) == 8);
static_assert(offsetof(FpgaDeviceEntry, MinorVersion) == 12);
static_assert(offsetof(FpgaDeviceEntry, BaseAddress) == 16);
static_assert(offsetof(FpgaDeviceEntry, FpgaInstance) == 20);
static_assert(offsetof(FpgaDeviceEntry, CardInstance) == 24);
static_assert(offsetof(FpgaDeviceEntry, DeviceTypeCode) == 28);

static_assert(sizeof(FpgaInfoRecord) == 5 + 32 * kFpgaTocMaxDevices);
static_assert(offsetof(FpgaInfoRecord, Present) == 0);
static_assert(offsetof(FpgaInfoRecord, DeviceCount) == 1);
static_assert(offsetof(FpgaInfoRecord, Devices) == 5);

static_assert(sizeof(FpgaLoadState) == 18);
static_assert(offsetof(FpgaLoadState, ForceLoad) == 0);
static_assert(offsetof(FpgaLoadState, LoadingNow) == 1);
static_assert(offsetof(FpgaLoadState, DefaultFpgaMode) == 2);
static_assert(offsetof(FpgaLoadState, DesiredFpgaMode) == 6);
static_assert(offsetof(FpgaLoadState, LastFpgaMode) == 10);
static_assert(offsetof(FpgaLoadState, CurrentFpgaMode) == 14);

static_assert(std::is_standard_layout_v<FpgaInfoRecord>);
static_assert(std::is_standard_layout_v<FpgaLoadState>);
static_assert(std::is_trivially_copyable_v<FpgaDeviceEntry>);
static_assert(std::is_trivially_copyable_v<FpgaInfoRecord>);
static_assert(std::is_trivially_copyable_v<FpgaLoadState>);

}  // namespace card
