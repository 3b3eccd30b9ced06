#pragma once
// The rules for a BERT user pattern the operator enters: its length in whole bytes and a value
// that fits in that length.
#include <cstdint>
#include <string>

namespace ui {

// Up to 8 gives 8, 9..16 gives 16, 17..24 gives 24, anything above 24 gives 32.
std::int32_t RoundUpPatternLength(std::int32_t bits);

// No bit of `pattern` is set at or above `lengthBits` (1..32).
bool PatternFitsLength(std::uint32_t pattern, std::int32_t lengthBits);

// The error box text for a pattern that does not fit.
std::string PatternTooLongText(std::uint32_t pattern, std::int32_t lengthBits);

}  // namespace ui
