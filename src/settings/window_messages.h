#pragma once
// The window messages of the main window, by number. 50001 and 60001 are sent by the card layer
// too (card::kWmFpgaLoad, card::kWmCardReconfigured); card_recall.cpp checks that the numbers agree.
#include <cstdint>

namespace settings {

inline constexpr std::uint32_t kWmQueryEndSession = 17;
inline constexpr std::uint32_t kWmEndSession = 22;
// wParam and lParam 0: close the program and start it again; otherwise only close it.
inline constexpr std::uint32_t kWmRestartProgram = 18763;
inline constexpr std::uint32_t kWmRecolour = 30000;
inline constexpr std::uint32_t kWmDeferredStartup = 32767;
// wParam the card; lParam 1 when an FPGA image load begins, 0 when it has ended.
inline constexpr std::uint32_t kWmFpgaLoad = 50001;
// wParam the card whose mode or setup changed. Acted on only while the reconfiguration-pending
// flag is set: a sender that wants the card's windows re-synchronised sets it first.
inline constexpr std::uint32_t kWmCardChanged = 60001;

}  // namespace settings
