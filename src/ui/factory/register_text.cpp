#include "ui/factory/register_text.h"

#include <algorithm>

#include "card/fpga_image_header.h"
#include "util/number_text.h"

namespace factory {

std::string FpgaAddressText(int fpga) {
  return util::IntToHexText(fpga == 0 ? card::kFpga0WindowBase : card::kFpga1WindowBase, 5, true);
}

std::string RegisterLabelText(int reg) {
  const auto value = static_cast<std::uint32_t>(std::max(reg, 0));
  return std::to_string(value) + "  (" + util::IntToHexText(value, 4, true) + ")";
}

std::string CommandValueText(std::uint32_t value, bool hex) {
  return hex ? util::IntToHexText(value, 8, true) : std::to_string(value);
}

std::string DumpLine(int address, std::uint32_t value, bool hex) {
  const auto where = static_cast<std::uint32_t>(std::max(address, 0));
  std::string addressText;
  if (hex) {
    addressText = util::IntToHexText(where, 4, true);
  } else if (where < 10000) {
    addressText = util::FloatToFixedText(4, 1, where);
  } else {
    // Cut to 4 characters a five-digit address would read as another one.
    addressText = std::to_string(where);
  }
  std::string line = util::PadRightText(std::max(6, static_cast<int>(addressText.size())), ' ', addressText);
  line += "    ";
  line += CommandValueText(value, hex);
  return line;
}

int PeekRunLength(int first, int count) {
  if (first < 0 || first >= kFpgaRegisters || count < 1) return 0;
  return std::min(count, kFpgaRegisters - first);
}

}  // namespace factory
