#include "util/number_text.h"

#include <gtest/gtest.h>

#include <limits>

namespace util {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max(), kMin = std::numeric_limits<std::int32_t>::min();

TEST(NumberText, FixedAndExponentForms) {
  struct Row {
    int maxLength, decimals;
    double value;
    const char* text;
  };
  const Row rows[] = {
      {20, 2, 1.005, "1.00"},  // 1.005 is 1.00499999999999989... in binary
      {20, 1, -0.25, "-0.3"},  // halves away from zero
      {20, 3, 999.9996, "1000.000"},
      {20, 2, -0.004, "0.00"},  // no "-0.00"
      {40, 9, 123456789012.123456789, "123456789012.123459000"},  // 18 significant digits, then zeros
      {5, 3, 123.4567, "123.4"},  // cut to the length
      {16, 3, kNaN, "NAN"},
  };
  for (const Row& r : rows) EXPECT_EQ(FloatToFixedText(r.maxLength, r.decimals, r.value), r.text) << r.value;

  EXPECT_EQ(FloatToExpText(2, 9, 1.5e-5), " 1.50E-05");
  EXPECT_EQ(FloatToExpText(3, 0, 12346.0), "1.235E+04");
  EXPECT_EQ(FloatToExpText(2, 9, 1e-123), "1.00E-123");  // wider than asked, never cut
  EXPECT_EQ(FloatToExpText(2, 9, kNaN), "      NAN");

  EXPECT_EQ(IntToHexText(0xABCD, 8, false), "0000abcd");
  EXPECT_EQ(PadRightText(3, '*', "abcdef"), "abc");
  EXPECT_EQ(TextBefore("12.5 MHz", " "), "12.5");
}

TEST(NumberText, ParsersAcceptWholeNumbersOnly) {
  double d = 7.0;
  EXPECT_TRUE(TextToDouble(" -1e-3 ", d));
  EXPECT_EQ(d, -1e-3);
  for (const char* bad : {"", "12.5x", "1,5", "nan", "-Infinity", "1e999", "+-1", "0x10", "12 5"}) {
    d = 7.0;
    EXPECT_FALSE(TextToDouble(bad, d)) << bad;
    EXPECT_EQ(d, 7.0) << bad;
  }

  std::uint32_t u = 9;
  EXPECT_TRUE(TextToUnsigned("0xFFff", u, 16));
  EXPECT_EQ(u, 0xFFFFu);
  for (const char* bad : {"4294967296", "-1", "+1", "12a", "0x"}) {
    u = 9;
    EXPECT_FALSE(TextToUnsigned(bad, u, 10)) << bad;
    EXPECT_EQ(u, 9u);
  }
  EXPECT_FALSE(TextToUnsigned("10", u, 37));

  std::int32_t i = 3;
  EXPECT_TRUE(TextToInt("-2147483648", i));
  EXPECT_EQ(i, kMin);
  EXPECT_TRUE(TextToInt("0xFFFFFFFF", i));
  EXPECT_EQ(i, -1);
  for (const char* bad : {"2147483648", "-2147483649", "1.5", "-", "0x1FFFFFFFF"}) {
    i = 3;
    EXPECT_FALSE(TextToInt(bad, i)) << bad;
    EXPECT_EQ(i, 3);
  }
}

TEST(NumberText, RoundingSaturatesAndRangesTakeEitherOrder) {
  EXPECT_EQ(FloorToInt(1e12), kMax);
  EXPECT_EQ(FloorToInt(-kInf), kMin);
  EXPECT_EQ(FloorToInt(kNaN), kMin);  // falls outside every table
  EXPECT_EQ(RoundToInt(-2.5), -2);
  EXPECT_EQ(RoundToInt(3e10), kMax);

  EXPECT_EQ(ClampDouble(0, 10, -3), 0);
  EXPECT_EQ(ClampDouble(5, -5, kNaN), -5);
  EXPECT_TRUE(InRangeDouble(10, 10, 0));
  EXPECT_FALSE(InRangeDouble(kNaN, -kInf, kInf));
  EXPECT_EQ(SafeLog10(-5), 0.0);

  EXPECT_FALSE(IsBitSet(0xFFFFFFFFu, 32) || IsBitSet(0xFFFFFFFFu, -1));
  EXPECT_EQ(SetBit(0, 32), 0u);
}

}  // namespace
}  // namespace util
