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

// Shows the box; the answer, or std::nullopt when the box was cancelled.
std::optional<std::string> Ask(const std::string& title, const std::string& prompt, const std::string& offered) {
  std::string text = offered;
  if (!Dialogs().InputQuery(title, prompt, text)) return std::nullopt;
  return text;
}

// A cancelled box hands back the offered text: it keeps the value and counts as answered.
bool KeepsOnCancel(PromptResult result) { return result != PromptResult::NotANumber; }

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

// Shared by the whole-number prompts.
PromptResult PromptWhole(const std::string& title, std::int64_t& value, std::int64_t lower, std::int64_t upper,
                         int radix, bool isSigned) {
  if (lower > upper) std::swap(lower, upper);
  const std::string offered = WholeText(value, radix);
  const std::string prompt = "Input Range " + WholeText(lower, radix) + " - " + WholeText(upper, radix);
  const auto answer = Ask(title, prompt, offered);
  if (!answer) return PromptResult::Cancelled;
  if (*answer == offered) return PromptResult::Answered;
  const auto parsed = ParseWhole(*answer, radix, isSigned);
  if (!parsed) return PromptResult::NotANumber;
  if (*parsed < lower || *parsed > upper) {
    SpeakerErrorTone();
    value = std::clamp(*parsed, lower, upper);
    return PromptResult::Answered;
  }
  value = *parsed;
  return PromptResult::Answered;
}

}  // namespace

PromptResult AskDoubleInRange(const std::string& title, double& value, int decimals, double lower, double upper) {
  const std::string offered = FloatToFixedText(kValueTextLength, decimals, value);
  const std::string prompt = "Input Value between " + FloatToFixedText(kValueTextLength, decimals, lower) + " & " +
                             FloatToFixedText(kValueTextLength, decimals, upper);
  const auto answer = Ask(title, prompt, offered);
  if (!answer) return PromptResult::Cancelled;
  if (*answer == offered) return PromptResult::Answered;
  double parsed = 0;
  if (!TextToDouble(*answer, parsed)) return PromptResult::NotANumber;
  if (!InRangeDouble(parsed, lower, upper)) {
    SpeakerErrorTone();
    value = ClampDouble(lower, upper, parsed);
    return PromptResult::Answered;
  }
  value = parsed;
  return PromptResult::Answered;
}

PromptResult AskIntInRange(const std::string& title, std::int32_t& value, std::int32_t upper, int radix,
                           std::int32_t lower) {
  std::int64_t v = value;
  const PromptResult result = PromptWhole(title, v, lower, upper, radix, true);
  value = static_cast<std::int32_t>(v);
  return result;
}

PromptResult AskUnsignedInRange(const std::string& title, std::uint32_t& value, std::uint32_t upper, int radix,
                                std::uint32_t lower) {
  std::int64_t v = value;
  const PromptResult result = PromptWhole(title, v, lower, upper, radix, false);
  value = static_cast<std::uint32_t>(v);
  return result;
}

bool PromptDoubleInRange(const std::string& title, double& value, int decimals, double lower, double upper) {
  return KeepsOnCancel(AskDoubleInRange(title, value, decimals, lower, upper));
}

bool PromptIntInRange(const std::string& title, std::int32_t& value, std::int32_t upper, int radix, std::int32_t lower) {
  return KeepsOnCancel(AskIntInRange(title, value, upper, radix, lower));
}

bool PromptUnsignedInRange(const std::string& title, std::uint32_t& value, std::uint32_t upper, int radix,
                           std::uint32_t lower) {
  return KeepsOnCancel(AskUnsignedInRange(title, value, upper, radix, lower));
}

bool PromptUnsigned(const std::string& title, std::uint32_t& value, int radix) {
  return PromptUnsignedInRange(title, value, std::numeric_limits<std::uint32_t>::max(), radix, 0);
}

}  // namespace util
