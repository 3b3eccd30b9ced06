#pragma once
// What the spectrum renderer draws besides the trace: texts, markers, colours, grid and the dB
// range. The spectrum display fills it and hands it to the renderer whole.
#include <array>
#include <cstdint>
#include <string_view>

#include "util/colour.h"

namespace ui {

inline constexpr int kScopeTextColumns = 3;
inline constexpr int kScopeTextLines = 5;
// 12 characters and the NUL.
inline constexpr std::size_t kScopeTextSize = 13;

inline constexpr util::TColor kScopeSilver = 0xC0C0C0u;
inline constexpr util::TColor kScopeLime = 0x00FF00u;
inline constexpr util::TColor kScopeYellow = 0x00FFFFu;

struct ScopeTextSlot {
  std::uint8_t Shown = 0;
  std::array<char, kScopeTextSize> Label{};
  std::array<char, kScopeTextSize> Value{};
  std::uint8_t ValueActive = 0;
  util::TColor Colour = kScopeSilver;
};

struct ScopeMarker {
  std::uint8_t Shown = 0;
  util::TColor Colour = 0;
  double PositionPct = 0.0;
};

struct ScopeViewRecord {
  std::array<std::array<ScopeTextSlot, kScopeTextLines>, kScopeTextColumns> Texts{};
  std::array<ScopeMarker, 2> HorizontalMarkers{};
  std::array<ScopeMarker, 2> VerticalMarkers{};
  util::TColor TraceColour = kScopeLime;
  util::TColor BackgroundColour = 0;
  util::TColor MinorGridColour = 0x303030u;
  util::TColor MajorGridColour = 0x303030u;
  std::uint8_t MajorVerticalOn = 1;
  std::uint8_t MajorHorizontalOn = 1;
  std::uint8_t MinorVerticalOn = 0;
  std::uint8_t MinorHorizontalOn = 0;
  std::uint8_t MirrorHorizontally = 0;
  std::uint32_t MajorVerticalCount = 9;
  std::uint32_t MajorHorizontalCount = 9;
  std::uint32_t MinorVerticalCount = 0;
  std::uint32_t MinorHorizontalCount = 0;
  double TopDb = 10.0;
  double BottomDb = -90.0;
};

// Copies `text` into a slot field, cut to 12 characters and NUL-terminated.
void SetScopeText(std::array<char, kScopeTextSize>& field, std::string_view text);
std::string_view ScopeText(const std::array<char, kScopeTextSize>& field);

// The record as the spectrum display starts it: grid 9 x 9 major lines, -90 .. +10 dB, lime
// trace on black, markers shown at 0; column 0 and the first slot of column 1 shown with an
// active value, column 0 line 0 labelled "Span", column 2 hidden, every slot silver.
ScopeViewRecord DefaultScopeView();

}  // namespace ui
