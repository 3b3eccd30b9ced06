#pragma once
// The latest IQ samples and spectrum points of one card channel, filled in place by the card's
// buffer reads and carried by the spectrum and IQ datagrams. A wire format: packed,
// little-endian, IEEE doubles. Only the first "count" entries of each array are valid; the rest
// keep older data or zero.
#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace settings {

inline constexpr std::size_t kDisplayPoints = 16384;

#pragma pack(push, 1)

struct IqPair {
  double I{};
  double Q{};
};

struct DisplayDataBlock {
  std::uint8_t DataFlag{};  // handed to the card with each buffer read; its flag of the last read
  std::int32_t IqCount{};
  std::int32_t SpectrumCount{};
  IqPair IqPairs[kDisplayPoints]{};
  double SpectrumPoints[kDisplayPoints]{};
};

#pragma pack(pop)

static_assert(sizeof(IqPair) == 16);
static_assert(offsetof(IqPair, I) == 0);
static_assert(offsetof(IqPair, Q) == 8);

static_assert(sizeof(DisplayDataBlock) == 393225);
static_assert(offsetof(DisplayDataBlock, DataFlag) == 0);
static_assert(offsetof(DisplayDataBlock, IqCount) == 1);
static_assert(offsetof(DisplayDataBlock, SpectrumCount) == 5);
static_assert(offsetof(DisplayDataBlock, IqPairs) == 9);
static_assert(offsetof(DisplayDataBlock, SpectrumPoints) == 262153);
// Twelve blocks (six cards, two channels) are preallocated together.
static_assert(12 * sizeof(DisplayDataBlock) == 4718700);
static_assert(std::is_standard_layout_v<DisplayDataBlock>);
static_assert(std::is_trivially_copyable_v<DisplayDataBlock>);
static_assert(std::is_trivially_copyable_v<IqPair>);

}  // namespace settings
