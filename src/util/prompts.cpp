#include "util/prompts.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <optional>

#include "util/dialog_service.h"
#include "util/number_text.h"
#include "util/speaker.h"

namespace util {

namespace {

constexpr int kValueTextLength = 32;

// Shows the box; the answer, or the offered text when the box was cancelled.
std::string Ask(const std::string& title, const std::string& prompt, const std::string& offered) {
  std::string text = offered;
  if (!Dialogs().InputQuery(title, prompt, text)) return offered;
  return text;
}

std::string WholeText(std::int64_t value, int radix) {
  if (radix == 16) {
    // Negative values show their 32-bit pattern, the way they are read back.
    return IntToHexText(static_cast<std::uint32_t>(value), 1, true);
  }
  if (radix >= 2 && radix <= 36 && radix != 10 && value >= 0) {
    char buf[72];
    auto res = std::to_chars(buf, buf + sizeof buf, value, radix);
    return std::string(buf, res.ptr);
  }
  return std::to_string(value);
}

bool HasHexPrefix(const std::string& text) {
  const std::string t = TrimText(text);
  return t.size() > 1 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X');
}

// The answer as a whole number; std::nullopt when it is none.
std::optional<std::int64_t> ParseWhole(const std::string& text, int radix, bool isSigned) {
  if (HasHexPrefix(text) || radix == 16) {
    std::uint32_t raw = 0;
    if (!TextToUnsigned(text, raw, 16)) return std::nullopt;
    return isSigned ? static_cast<std::int64_t>(static_cast<std::int32_t>(raw)) : static_cast<std::int64_t>(raw);
  }
  if (isSigned) {
    std::int32_t v = 0;
    if (!TextToInt(text, v)) return std::nullopt;
    return v;
  }
  std::uint32_t v = 0;
  if (!TextToUnsigned(text, v, radix)) return std::nullopt;
  return v;
}

// Shared by the whole-number prompts: true with the new value in `value`.
bool PromptWhole(const std::string& title, std::int64_t& value, std::int64_t lower, std::int64_t upper, int radix,
                 bool isSigned) {
  if (lower > upper) std::swap(lower, upper);
  const std::string offered = WholeText(value, radix);
  const std::string prompt = "Input Range " + WholeText(lower, radix) + " - " + WholeText(upper, radix);
  const std::string answer = Ask(title, prompt, offered);
  if (answer == offered) return true;
  const auto parsed = ParseWhole(answer, radix, isSigned);
  if (!parsed) return false;
  if (*parsed < lower || *parsed > upper) {
    SpeakerErrorTone();
    value = std::clamp(*parsed, lower, upper);
    return true;
  }
  value = *parsed;
  return true;
}

}  // namespace

bool PromptDoubleInRange(const std::string& title, double& value, int decimals, double lower, double upper) {
  const std::string offered = FloatToFixedText(kValueTextLength, decimals, value);
  const std::string prompt = "Input Value between " + FloatToFixedText(kValueTextLength, decimals, lower) + " & " +
                             FloatToFixedText(kValueTextLength, decimals, upper);
  const std::string answer = Ask(title, prompt, offered);
  if (answer == offered) return true;
  double parsed = 0;
  if (!TextToDouble(answer, parsed)) return false;
  if (!InRangeDouble(parsed, lower, upper)) {
    SpeakerErrorTone();
    value = ClampDouble(lower, upper, parsed);
    return true;
  }
  value = parsed;
  return true;
}

bool PromptIntInRange(const std::string& title, std::int32_t& value, std::int32_t upper, int radix, std::int32_t lower) {
  std::int64_t v = value;
  const bool ok = PromptWhole(title, v, lower, upper, radix, true);
  value = static_cast<std::int32_t>(v);
  return ok;
}

bool PromptUnsignedInRange(const std::string& title, std::uint32_t& value, std::uint32_t upper, int radix,
                           std::uint32_t lower) {
  std::int64_t v = value;
  const bool ok = PromptWhole(title, v, lower, upper, radix, false);
  value = static_cast<std::uint32_t>(v);
  return ok;
}

bool PromptUnsigned(const std::string& title, std::uint32_t& value, int radix) {
  return PromptUnsignedInRange(title, value, std::numeric_limits<std::uint32_t>::max(), radix, 0);
}

}  // namespace util
