#pragma once
// The hardware configuration's records: per card type whether it is enabled or simulated, and per
// receiver card which down-converter channels serve its two channels. Packed, as the
// hardware-configuration manager and its dialog exchange them whole.
#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace card {

// Order of the three enable records.
inline constexpr std::size_t kHwCfgKr20 = 0;
inline constexpr std::size_t kHwCfgKr12 = 1;
inline constexpr std::size_t kHwCfgKr14 = 2;
inline constexpr std::size_t kHwCfgCardTypes = 3;
inline constexpr std::size_t kHwCfgCardSets = 6;

#pragma pack(push, 1)

struct HwCfgEnableRecord {
  std::uint8_t Enabled{};
  std::uint8_t Simulated{};
  // Kr20 cards, Kr12 radios or Kr14 channels to simulate.
  std::int32_t NumToSimulate{};
};

struct HwCfgCardSetRecord {
  std::int32_t CardIndex{};
  std::int32_t NumDnCvts{};      // assigned down-converters, 0..2
  std::int32_t DnCvtIndex[2]{};  // per channel; outside 0..11 (normally -1) = not used
};

#pragma pack(pop)

static_assert(sizeof(HwCfgEnableRecord) == 6);
static_assert(offsetof(HwCfgEnableRecord, Enabled) == 0);
static_assert(offsetof(HwCfgEnableRecord, Simulated) == 1);
static_assert(offsetof(HwCfgEnableRecord, NumToSimulate) == 2);

static_assert(sizeof(HwCfgCardSetRecord) == 16);
static_assert(offsetof(HwCfgCardSetRecord, CardIndex) == 0);
static_assert(offsetof(HwCfgCardSetRecord, NumDnCvts) == 4);
static_assert(offsetof(HwCfgCardSetRecord, DnCvtIndex) == 8);

static_assert(std::is_trivially_copyable_v<HwCfgEnableRecord>);
static_assert(std::is_trivially_copyable_v<HwCfgCardSetRecord>);

}  // namespace card
