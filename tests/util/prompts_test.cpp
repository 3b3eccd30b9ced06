#include "util/prompts.h"

#include <gtest/gtest.h>

#include "support/scripted_dialogs.h"
#include "support/sound_recorder.h"

namespace util {
namespace {

using testsupport::kWarningTones;

class Prompts : public ::testing::Test {
 protected:
  testsupport::ScopedScriptedDialogs dialogs;
  testsupport::SoundRecorder sound;
};

TEST_F(Prompts, DoubleShowsRangeKeepsTheExactValueAndClamps) {
  double value = 12.499;  // offered as "12.50"
  dialogs->AnswerInput(std::nullopt);
  EXPECT_TRUE(PromptDoubleInRange("Carrier Frequency", value, 2, 0.0, 100.0));
  EXPECT_EQ(value, 12.499);
  ASSERT_EQ(dialogs->Queries().size(), 1u);
  EXPECT_EQ(dialogs->Queries()[0].prompt, "Input Value between 0.00 & 100.00");
  EXPECT_EQ(dialogs->Queries()[0].offered, "12.50");
  dialogs->AnswerInput("12.50");  // unchanged answer
  EXPECT_TRUE(PromptDoubleInRange("t", value, 2, 0.0, 100.0));
  EXPECT_EQ(value, 12.499);
  dialogs->AnswerInput("42.125");
  EXPECT_TRUE(PromptDoubleInRange("t", value, 2, 0.0, 100.0));
  EXPECT_EQ(value, 42.125);

  dialogs->AnswerInput("5 MHz");
  EXPECT_FALSE(PromptDoubleInRange("t", value, 1, -10.0, 10.0));
  EXPECT_EQ(value, 42.125);
  EXPECT_TRUE(sound.Take().empty());
  dialogs->AnswerInput("150");
  EXPECT_TRUE(PromptDoubleInRange("t", value, 1, 10.0, -10.0));  // bounds in either order
  EXPECT_EQ(value, 10.0);
  EXPECT_EQ(sound.Take(), kWarningTones);
}

TEST_F(Prompts, IntegerInHexadecimal) {
  std::int32_t value = 31;
  dialogs->AnswerInput("20");
  EXPECT_TRUE(PromptIntInRange("Register", value, 0xFFFF, 16, 0));
  EXPECT_EQ(value, 0x20);
  EXPECT_EQ(dialogs->Queries()[0].prompt, "Input Range 0x0 - 0xffff");
  EXPECT_EQ(dialogs->Queries()[0].offered, "0x1f");
}

TEST_F(Prompts, UnsignedRefusesSignsAndTakesTheFullRange) {
  std::uint32_t value = 3;
  dialogs->AnswerInput("-1");
  EXPECT_FALSE(PromptUnsigned("t", value, 10));
  EXPECT_EQ(value, 3u);
  dialogs->AnswerInput("0xFFFFFFFF");
  EXPECT_TRUE(PromptUnsigned("t", value, 10));
  EXPECT_EQ(value, 0xFFFFFFFFu);
  EXPECT_EQ(dialogs->Queries().back().prompt, "Input Range 0 - 4294967295");
}

// The callers that must honour Cancel tell it from an unchanged answer and from no number.
TEST_F(Prompts, AskReportsCancelApartFromAnswers) {
  double value = 12.499;
  dialogs->AnswerInput(std::nullopt);
  EXPECT_EQ(AskDoubleInRange("t", value, 2, 0.0, 100.0), PromptResult::Cancelled);
  EXPECT_EQ(value, 12.499);
  dialogs->AnswerInput("12.50");
  EXPECT_EQ(AskDoubleInRange("t", value, 2, 0.0, 100.0), PromptResult::Answered);
  EXPECT_EQ(value, 12.499);
  dialogs->AnswerInput("x");
  EXPECT_EQ(AskDoubleInRange("t", value, 2, 0.0, 100.0), PromptResult::NotANumber);

  std::int32_t whole = 16;
  dialogs->AnswerInput(std::nullopt);
  EXPECT_EQ(AskIntInRange("t", whole, 32, 10, 8), PromptResult::Cancelled);
  dialogs->AnswerInput("40");
  EXPECT_EQ(AskIntInRange("t", whole, 32, 10, 8), PromptResult::Answered);
  EXPECT_EQ(whole, 32);
  EXPECT_EQ(sound.Take(), kWarningTones);

  std::uint32_t pattern = 0x5A;
  dialogs->AnswerInput(std::nullopt);
  EXPECT_EQ(AskUnsignedInRange("t", pattern, 0xFFFFFFFFu, 10, 0), PromptResult::Cancelled);
  EXPECT_EQ(pattern, 0x5Au);
  dialogs->AnswerInput("0x3c");
  EXPECT_EQ(AskUnsignedInRange("t", pattern, 0xFFFFFFFFu, 10, 0), PromptResult::Answered);
  EXPECT_EQ(pattern, 0x3Cu);
}

}  // namespace
}  // namespace util
