#pragma once
// Numeric prompts: an input box offering the current value, with the allowed range in its text.
// A cancelled box hands back the offered text, so cancel and an unchanged answer both keep the
// value and return true; an answer that is no number returns false, value unchanged; a number
// outside the limits sounds the error tone, is limited into them and returns true.
#include <cstdint>
#include <string>

namespace util {

// What became of a prompt, for the callers that must tell a cancelled box from an answer.
enum class PromptResult {
  Answered,    // a number (limited into the range) or the offered text confirmed: value set
  Cancelled,   // the operator cancelled the box: value unchanged
  NotANumber,  // the answer is no number: value unchanged
};

// Prompt text "Input Value between <lower> & <upper>", the bounds and the offered value written
// with `decimals` decimals.
bool PromptDoubleInRange(const std::string& title, double& value, int decimals, double lower, double upper);

// Prompt text "Input Range <lower> - <upper>"; with radix 16 the bounds and the offered value are
// written as "0x" and hexadecimal digits and the answer is read in hexadecimal. An answer
// beginning "0x" is read as hexadecimal with any radix.
bool PromptIntInRange(const std::string& title, std::int32_t& value, std::int32_t upper, int radix, std::int32_t lower);
bool PromptUnsignedInRange(const std::string& title, std::uint32_t& value, std::uint32_t upper, int radix,
                           std::uint32_t lower);
// The whole unsigned 32-bit range.
bool PromptUnsigned(const std::string& title, std::uint32_t& value, int radix);

// The same prompts, telling a cancelled box apart from a confirmed unchanged answer.
PromptResult AskDoubleInRange(const std::string& title, double& value, int decimals, double lower, double upper);
PromptResult AskIntInRange(const std::string& title, std::int32_t& value, std::int32_t upper, int radix,
                           std::int32_t lower);
PromptResult AskUnsignedInRange(const std::string& title, std::uint32_t& value, std::uint32_t upper, int radix,
                                std::uint32_t lower);

}  // namespace util
