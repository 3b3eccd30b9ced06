#pragma once
// Where each window was and whether it was open, kept across runs in the window-position file.
#include <cstddef>
#include <cstdint>

namespace config {

#pragma pack(push, 1)
struct WindowPlacementRecord {
  std::int32_t Left;
  std::int32_t Top;
  std::int32_t Width;
  std::int32_t Height;
  std::uint8_t WasVisible;
};
#pragma pack(pop)
static_assert(sizeof(WindowPlacementRecord) == 17);
static_assert(offsetof(WindowPlacementRecord, Left) == 0);
static_assert(offsetof(WindowPlacementRecord, Top) == 4);
static_assert(offsetof(WindowPlacementRecord, Width) == 8);
static_assert(offsetof(WindowPlacementRecord, Height) == 12);
static_assert(offsetof(WindowPlacementRecord, WasVisible) == 16);

inline bool operator==(const WindowPlacementRecord& a, const WindowPlacementRecord& b) {
  return a.Left == b.Left && a.Top == b.Top && a.Width == b.Width && a.Height == b.Height &&
         a.WasVisible == b.WasVisible;
}

// The per-card window kinds that remember their placement.
enum class CardWindowKind : std::size_t {
  PeekPoke,
  FilePoke,
  FpgaToc,
  CardSetup,
  SingleChannelSetup,
  CardBert,
  TestModulator,
};
inline constexpr std::size_t kCardWindowKinds = 7;

}  // namespace config
