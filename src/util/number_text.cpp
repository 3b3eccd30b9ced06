#include "util/number_text.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <utility>

namespace util {

namespace {

constexpr int kSignificantDigits = 18;

std::string NonFiniteText(double value) {
  if (std::isnan(value)) return "NAN";
  return value < 0 ? "-INF" : "INF";
}

std::string CutTo(std::string text, int maxLength) {
  if (maxLength < 0) maxLength = 0;
  if (text.size() > static_cast<std::size_t>(maxLength)) text.resize(static_cast<std::size_t>(maxLength));
  return text;
}

// The 18 significant digits of |value| and the power of ten of the first one.
struct Digits {
  std::string digits;  // kSignificantDigits characters
  int exponent = 0;
};

Digits SignificantDigits(double magnitude) {
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific,
                           kSignificantDigits - 1);
  std::string_view text(buf, static_cast<std::size_t>(res.ptr - buf));
  Digits out;
  const auto e = text.find('e');
  for (char c : text.substr(0, e)) {
    if (c != '.') out.digits.push_back(c);
  }
  std::from_chars(text.data() + e + 1 + (text[e + 1] == '+' ? 1 : 0), text.data() + text.size(), out.exponent);
  return out;
}

std::string_view Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

}  // namespace

std::string FloatToFixedText(int maxLength, int decimals, double value) {
  if (!std::isfinite(value)) return CutTo(NonFiniteText(value), maxLength);
  decimals = std::clamp(decimals, 0, kSignificantDigits);
  const bool negative = std::signbit(value);
  Digits d = SignificantDigits(std::fabs(value));

  // Place the digits around the decimal point: `intCount` digits before it.
  int intCount = d.exponent + 1;
  std::string all = d.digits;
  if (intCount <= 0) {
    all.insert(0, static_cast<std::size_t>(-intCount) + 1, '0');  // one leading zero before the point
    intCount = 1;
  }
  const int keep = intCount + decimals;
  if (static_cast<int>(all.size()) < keep) {
    all.append(static_cast<std::size_t>(keep) - all.size(), '0');
  } else if (static_cast<int>(all.size()) > keep) {
    const bool roundUp = all[static_cast<std::size_t>(keep)] >= '5';
    all.resize(static_cast<std::size_t>(keep));
    if (roundUp) {
      int i = keep - 1;
      for (; i >= 0 && all[static_cast<std::size_t>(i)] == '9'; --i) all[static_cast<std::size_t>(i)] = '0';
      if (i >= 0) {
        ++all[static_cast<std::size_t>(i)];
      } else {
        all.insert(all.begin(), '1');
        ++intCount;
      }
    }
  }
  // Leading zeros of the integer part, except the one before the point.
  std::size_t lead = 0;
  while (static_cast<int>(lead) < intCount - 1 && all[lead] == '0') ++lead;

  std::string text;
  const bool zero = all.find_first_not_of('0') == std::string::npos;
  if (negative && !zero) text.push_back('-');
  text.append(all, lead, static_cast<std::size_t>(intCount) - lead);
  if (decimals > 0) {
    text.push_back('.');
    text.append(all, static_cast<std::size_t>(intCount), static_cast<std::size_t>(decimals));
  }
  return CutTo(std::move(text), maxLength);
}

std::string FloatToExpText(int precision, int digits, double value) {
  std::string text;
  if (!std::isfinite(value)) {
    text = NonFiniteText(value);
  } else {
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific,
                             std::clamp(precision, 0, kSignificantDigits - 1));
    text.assign(buf, res.ptr);
    std::replace(text.begin(), text.end(), 'e', 'E');
  }
  const auto width = static_cast<std::size_t>(std::clamp(digits, 0, 64));
  if (text.size() < width) text.insert(0, width - text.size(), ' ');
  return text;
}

std::string IntToHexText(std::uint64_t value, int width, bool prefix) {
  char buf[24];
  auto res = std::to_chars(buf, buf + sizeof buf, value, 16);
  std::string digits(buf, res.ptr);
  const auto w = static_cast<std::size_t>(std::clamp(width, 0, 16));
  if (digits.size() < w) digits.insert(0, w - digits.size(), '0');
  return prefix ? "0x" + digits : digits;
}

std::string PadRightText(int width, char fill, std::string_view text) {
  const auto w = static_cast<std::size_t>(std::max(width, 0));
  std::string out(text.substr(0, w));
  out.append(w - out.size(), fill);
  return out;
}

std::string ReplaceChar(std::string_view text, char from, char to, bool replaceAll) {
  std::string out(text);
  for (char& c : out) {
    if (c == from) {
      c = to;
      if (!replaceAll) break;
    }
  }
  return out;
}

std::string TextBefore(std::string_view text, std::string_view delimiter) {
  if (delimiter.empty()) return std::string(text);
  return std::string(text.substr(0, text.find(delimiter)));
}

std::string TrimText(std::string_view text) { return std::string(Trimmed(text)); }

bool TextToDouble(std::string_view text, double& value) {
  text = Trimmed(text);
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (text.empty() || text.front() == '+' || text.front() == '-') return false;
  }
  if (text.empty()) return false;
  double parsed = 0;
  const auto res = std::from_chars(text.data(), text.data() + text.size(), parsed, std::chars_format::general);
  // from_chars also takes "nan" and "inf": a number in a file or prompt is always finite.
  if (res.ec != std::errc() || res.ptr != text.data() + text.size() || !std::isfinite(parsed)) return false;
  value = parsed;
  return true;
}

bool TextToUnsigned(std::string_view text, std::uint32_t& value, int radix) {
  if (radix < 2 || radix > 36) return false;
  text = Trimmed(text);
  if (radix == 16 && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.remove_prefix(2);
  if (text.empty()) return false;
  std::uint32_t parsed = 0;
  const auto res = std::from_chars(text.data(), text.data() + text.size(), parsed, radix);
  if (res.ec != std::errc() || res.ptr != text.data() + text.size()) return false;
  value = parsed;
  return true;
}

bool TextToInt(std::string_view text, std::int32_t& value) {
  text = Trimmed(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty() || !std::isalnum(static_cast<unsigned char>(text.front()))) return false;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    std::uint32_t raw = 0;
    if (!TextToUnsigned(text, raw, 16)) return false;
    // Hexadecimal text is a bit pattern: 0xFFFFFFFF is -1.
    value = static_cast<std::int32_t>(negative ? 0u - raw : raw);
    return true;
  }
  std::int64_t parsed = 0;
  const auto res = std::from_chars(text.data(), text.data() + text.size(), parsed, 10);
  if (res.ec != std::errc() || res.ptr != text.data() + text.size()) return false;
  if (negative) parsed = -parsed;
  if (parsed < std::numeric_limits<std::int32_t>::min() || parsed > std::numeric_limits<std::int32_t>::max()) {
    return false;
  }
  value = static_cast<std::int32_t>(parsed);
  return true;
}

std::int32_t FloorToInt(double value) {
  constexpr auto lo = std::numeric_limits<std::int32_t>::min();
  constexpr auto hi = std::numeric_limits<std::int32_t>::max();
  if (std::isnan(value)) return lo;
  const double f = std::floor(value);
  if (f <= static_cast<double>(lo)) return lo;
  if (f >= static_cast<double>(hi)) return hi;
  return static_cast<std::int32_t>(f);
}

std::int32_t RoundToInt(double value) {
  if (std::isnan(value)) return FloorToInt(value);
  const double down = std::floor(value);
  const double up = std::ceil(value);
  return FloorToInt((value - down) < (up - value) ? down : up);
}

double ClampDouble(double boundA, double boundB, double value) {
  const double lo = std::min(boundA, boundB);
  const double hi = std::max(boundA, boundB);
  if (std::isnan(value)) return lo;
  return std::clamp(value, lo, hi);
}

bool InRangeDouble(double value, double boundA, double boundB) {
  return value >= std::min(boundA, boundB) && value <= std::max(boundA, boundB);
}

double SafeLog10(double value) {
  if (!(value > 0.0)) return 0.0;
  return std::log10(value);
}

bool IsBitSet(std::uint32_t word, int n) { return n >= 0 && n < 32 && ((word >> n) & 1u) != 0; }

std::uint32_t SetBit(std::uint32_t word, int n) { return (n >= 0 && n < 32) ? word | (1u << n) : word; }

std::uint32_t ClearBit(std::uint32_t word, int n) { return (n >= 0 && n < 32) ? word & ~(1u << n) : word; }

void SwapDoubles(double& a, double& b) { std::swap(a, b); }

}  // namespace util
