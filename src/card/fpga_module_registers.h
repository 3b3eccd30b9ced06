#pragma once
// What the card object adds to the FPGA register map of fpga_image_header.h: which register runs
// exist, the most registers one peek reads, the module names of the table-of-contents window
// and the modulator input bit of FPGA-0 register 0xB00.
#include <cstdint>
#include <string>

#include "card/fpga_image_header.h"

namespace card {

// Most registers one peek reads (the peek window's limit).
inline constexpr int kFpgaMaxPeekCount = 4096;

// True when registers first .. first + count - 1 all exist on the FPGA: 0 .. 4095 on either
// FPGA, and on FPGA 0 also the same registers seen through its bus window at 0xA0000. A run
// never straddles the two ranges; count 0 is no run.
constexpr bool IsFpgaRegisterRun(int fpga, std::uint32_t first, std::uint64_t count) {
  if (count == 0 || (fpga != 0 && fpga != 1)) return false;
  const std::uint64_t end = std::uint64_t{first} + count;
  if (end <= kFpgaRegisterCount) return true;
  return fpga == 0 && first >= kFpga0WindowBase && end <= std::uint64_t{kFpga0WindowBase} + kFpgaRegisterCount;
}

static_assert(IsFpgaRegisterRun(0, 0, 4096) && !IsFpgaRegisterRun(0, 1, 4096));
static_assert(IsFpgaRegisterRun(0, 0xA0FFF, 1) && !IsFpgaRegisterRun(1, 0xA0000, 1));
static_assert(!IsFpgaRegisterRun(0, 0xFFFFFFFFu, 2) && !IsFpgaRegisterRun(2, 0, 1));

// The name of a table-of-contents module kind ("GPIO", "BERT", "FIFO", "DFP", ...), "UNKNOWN"
// for a code the table does not list.
std::string FpgaModuleName(std::int32_t deviceTypeCode);

// Bit 2 of FPGA-0 register 0xB00: the test modulator takes its input from the pre-D combiner
// (set) or directly (clear). Bits 0 and 1 are the post-D output selection
// (kRoutingSelectEnable, kRoutingCombinedOnCh2).
inline constexpr std::uint32_t kRoutingModulatorFromCombiner = 1u << 2;

}  // namespace card
