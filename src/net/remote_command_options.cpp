#include "net/remote_command_options.h"

#include <algorithm>
#include <cstdint>

#include "util/number_text.h"

namespace net {

bool ResolveOptionArgument(std::string& text, double value, OptionTable table, std::string& errorText) {
  if (text.empty()) {
    // FloorToInt saturates and sends NaN below 0, so no value reaches past the table.
    const std::int32_t index = util::FloorToInt(value);
    if (index >= 0 && static_cast<std::size_t>(index) < table.size()) {
      text = table[static_cast<std::size_t>(index)];
      return true;
    }
  } else if (std::find(table.begin(), table.end(), std::string_view(text)) != table.end()) {
    return true;
  }
  errorText = kInvalidOptionText;
  return false;
}

}  // namespace net
