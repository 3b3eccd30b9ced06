#include "ui/bert/user_pattern_entry.h"

#include "util/number_text.h"

namespace ui {

std::int32_t RoundUpPatternLength(std::int32_t bits) {
  if (bits <= 8) return 8;
  if (bits <= 16) return 16;
  if (bits <= 24) return 24;
  return 32;
}

bool PatternFitsLength(std::uint32_t pattern, std::int32_t lengthBits) {
  if (lengthBits >= 32) return true;
  if (lengthBits <= 0) return pattern == 0;
  return (pattern >> lengthBits) == 0;
}

std::string PatternTooLongText(std::uint32_t pattern, std::int32_t lengthBits) {
  return "The pattern " + util::IntToHexText(pattern, 1, true) + " has bits above its " + std::to_string(lengthBits) +
         "-bit length. The user pattern was not changed.";
}

}  // namespace ui
