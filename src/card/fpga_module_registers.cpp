#include "card/fpga_module_registers.h"

namespace card {

std::string FpgaModuleName(std::int32_t deviceTypeCode) { return std::string(FpgaModuleKindName(deviceTypeCode)); }

}  // namespace card
