#pragma once
// The texts of the register peek/poke window: the FPGA's bus window, register labels, command
// values and the lines of the peek dump. Qt-free, so the dump can be built and measured alone.
#include <cstdint>
#include <string>

namespace factory {

// Registers of each FPGA: 0 .. 4095.
inline constexpr int kFpgaRegisters = 4096;
// The dump takes no more lines than this; a peek into a full dump warns and stops.
inline constexpr int kMaxDumpLines = 30000;
inline constexpr const char* kDumpEndMarker = "----";

// The window base of FPGA 0 or 1 as "0x" and 5 hexadecimal digits: "0xa0000", "0x00000".
std::string FpgaAddressText(int fpga);
// The register in decimal, two blanks and "(0x" with 4 hexadecimal digits ")": "100  (0x0064)".
std::string RegisterLabelText(int reg);
// "0x" and 8 lower-case hexadecimal digits, or the unsigned decimal value.
std::string CommandValueText(std::uint32_t value, bool hex);
// One dump line: the address padded to 6 characters, four blanks, the value. In hexadecimal the
// address is "0x" and 4 digits and the value "0x" and 8 digits; in decimal the address is written
// with one decimal cut to 4 characters ("8.0", "100.") and the value in unsigned decimal.
std::string DumpLine(int address, std::uint32_t value, bool hex);
// How many of `count` registers from `first` on the FPGA holds: the run ends at register 4095.
int PeekRunLength(int first, int count);

}  // namespace factory
