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
  EXPECT_EQ(dialogs->Queries()[0].title, "Carrier Frequency");
  EXPECT_EQ(dialogs->Queries()[0].prompt, "Input Value between 0.00 & 100.00");
  EXPECT_EQ(dialogs->Queries()[0].offered, "12.50");
  dialogs->AnswerInput("12.50");  // unchanged answer
  EXPECT_TRUE(PromptDoubleInRange("t", value, 2, 0.0, 100.0));
  EXPECT_EQ(value, 12.499);
  dialogs->AnswerInput("42.125");
  EXPECT_TRUE(PromptDoubleInRange("t", value, 2, 0.0, 100.0));
  EXPECT_EQ(value, 42.125);

  for (const char* bad : {"abc", "", "nan", "5 MHz"}) {
    dialogs->AnswerInput(bad);
    EXPECT_FALSE(PromptDoubleInRange("t", value, 1, -10.0, 10.0)) << bad;
    EXPECT_EQ(value, 42.125);
  }
  EXPECT_TRUE(sound.Take().empty());
  dialogs->AnswerInput("150");
  EXPECT_TRUE(PromptDoubleInRange("t", value, 1, 10.0, -10.0));  // bounds in either order
  EXPECT_EQ(value, 10.0);
  EXPECT_EQ(sound.Take(), kWarningTones);
}

TEST_F(Prompts, IntegerInDecimalAndHexadecimal) {
  std::int32_t value = 31;
  dialogs->AnswerInput("20");
  EXPECT_TRUE(PromptIntInRange("Register", value, 0xFFFF, 16, 0));
  EXPECT_EQ(value, 0x20);
  EXPECT_EQ(dialogs->Queries()[0].prompt, "Input Range 0x0 - 0xffff");
  EXPECT_EQ(dialogs->Queries()[0].offered, "0x1f");

  dialogs->AnswerInput("0x10");  // "0x" is hexadecimal whatever the radix
  EXPECT_TRUE(PromptIntInRange("t", value, 127, 10, 1));
  EXPECT_EQ(value, 16);
  EXPECT_EQ(dialogs->Queries()[1].prompt, "Input Range 1 - 127");
  EXPECT_EQ(dialogs->Queries()[1].offered, "32");

  dialogs->AnswerInput("-99");
  EXPECT_TRUE(PromptIntInRange("t", value, 10, 10, -10));
  EXPECT_EQ(value, -10);
  EXPECT_EQ(sound.Take(), kWarningTones);
  dialogs->AnswerInput("7.5");
  EXPECT_FALSE(PromptIntInRange("t", value, 10, 10, -10));
  EXPECT_EQ(value, -10);
}

TEST_F(Prompts, UnsignedRefusesSignsAndOverflow) {
  std::uint32_t value = 3;
  for (const char* bad : {"-1", "4294967296", "0x1FFFFFFFF"}) {
    dialogs->AnswerInput(bad);
    EXPECT_FALSE(PromptUnsigned("t", value, 10)) << bad;
    EXPECT_EQ(value, 3u);
  }
  dialogs->AnswerInput("0xFFFFFFFF");
  EXPECT_TRUE(PromptUnsigned("t", value, 10));
  EXPECT_EQ(value, 0xFFFFFFFFu);
  EXPECT_EQ(dialogs->Queries().back().prompt, "Input Range 0 - 4294967295");
  dialogs->AnswerInput("2");
  EXPECT_TRUE(PromptUnsignedInRange("t", value, 64, 10, 8));
  EXPECT_EQ(value, 8u);
  EXPECT_EQ(sound.Take(), kWarningTones);
}

}  // namespace
}  // namespace util
