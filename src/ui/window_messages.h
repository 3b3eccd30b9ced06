#pragma once
// The window messages the main window handles. The card layer names the two it sends itself.
#include <cstdint>

#include "card/kr20card.h"
#include "card/personality_routines.h"

namespace ui {

inline constexpr std::uint32_t kWmQueryEndSession = 17;
inline constexpr std::uint32_t kWmEndSession = 22;
inline constexpr std::uint32_t kWmRestartProgram = 18763;
inline constexpr std::uint32_t kWmRecolour = 30000;
inline constexpr std::uint32_t kWmDeferredStartup = 32767;
inline constexpr std::uint32_t kWmFpgaLoad = card::kWmFpgaLoad;
inline constexpr std::uint32_t kWmCardChanged = card::kWmCardReconfigured;

static_assert(kWmFpgaLoad == 50001 && kWmCardChanged == 60001);

}  // namespace ui
