#pragma once
// Number and text routines shared by every subsystem. None of them depends on the C locale:
// a decimal point is always ".".
#include <cstdint>
#include <string>
#include <string_view>

namespace util {

// The value as fixed-point text with `decimals` decimals (0..18), taken from its 18 significant
// digits and rounded half away from zero; then cut to its first `maxLength` characters. A value
// that rounds to zero has no minus sign. NaN and the infinities give "NAN", "INF" and "-INF".
std::string FloatToFixedText(int maxLength, int decimals, double value);

// The value in exponent notation with `precision` decimals (0..17) in the mantissa, an upper-case
// "E", the exponent's sign and at least two exponent digits, padded on the left with blanks to
// `digits` characters: FloatToExpText(2, 9, 1.5e-5) == " 1.50E-05".
std::string FloatToExpText(int precision, int digits, double value);

// Lower-case hexadecimal digits, zero-padded to `width` (at most 16), "0x" in front when asked.
std::string IntToHexText(std::uint64_t value, int width, bool prefix);

// The text padded on the right with `fill`, or cut, to exactly `width` characters.
std::string PadRightText(int width, char fill, std::string_view text);

// The text with every occurrence of `from` replaced by `to`. `replaceAll` false replaces only the
// first occurrence.
std::string ReplaceChar(std::string_view text, char from, char to, bool replaceAll = true);

// The text before the first occurrence of the delimiter (the whole text when it does not occur).
std::string TextBefore(std::string_view text, std::string_view delimiter);

// The text with blanks, tabs, CR and LF removed at both ends.
std::string TrimText(std::string_view text);

// True, with the value stored, when the whole text (blanks around it allowed) is a finite
// decimal number; otherwise false and the value untouched (NaN, infinities, trailing characters
// and empty text are refused).
bool TextToDouble(std::string_view text, double& value);
// True, with the value stored, when the whole text is an unsigned 32-bit integer in the radix
// (2..36; radix 16 accepts a "0x" prefix). Signs, overflow and trailing characters are refused.
bool TextToUnsigned(std::string_view text, std::uint32_t& value, int radix = 10);
// The same for a signed 32-bit integer in decimal, or in hexadecimal after "0x".
bool TextToInt(std::string_view text, std::int32_t& value);

// The next lower whole number, saturated at the 32-bit range; NaN gives the lowest value, so it
// falls outside every table index.
std::int32_t FloorToInt(double value);
// The nearer of floor and ceiling by distance (halves go up), saturated like FloorToInt.
std::int32_t RoundToInt(double value);

// The value limited to the closed interval between the bounds, given in either order; NaN gives
// the lower bound.
double ClampDouble(double boundA, double boundB, double value);
// True when the value lies between the bounds (both included, either order). NaN is never in.
bool InRangeDouble(double value, double boundA, double boundB);

// log10 of the value; 0.0 for zero, negative or NaN input.
double SafeLog10(double value);

// Bit n of a 32-bit word; n outside 0..31 reads as clear and leaves the word unchanged.
bool IsBitSet(std::uint32_t word, int n);
std::uint32_t SetBit(std::uint32_t word, int n);
std::uint32_t ClearBit(std::uint32_t word, int n);

void SwapDoubles(double& a, double& b);

}  // namespace util
