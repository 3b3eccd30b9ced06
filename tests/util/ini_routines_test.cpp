#include "util/ini_routines.h"
#include "util/ini_rewrite.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <limits>

#include "support/log_capture.h"
#include "support/scratch_folder.h"

namespace util {
namespace {

class IniRoutines : public ::testing::Test {
 protected:
  testsupport::ScratchFolder folder;
  std::string file = folder / "Kr20Options.opt";
};

TEST_F(IniRoutines, ValueFormsInTheFile) {
  EXPECT_TRUE(IniWriteBool(file, "Main", "Enabled", true));
  EXPECT_TRUE(IniWriteBool(file, "Main", "Hidden", false));
  EXPECT_TRUE(IniWriteInt(file, "Main", "Count", -2147483648LL));
  EXPECT_TRUE(IniWriteDouble(file, "Main", "Freq", 2250.5e6));
  EXPECT_TRUE(IniWriteRadix(file, "Bert", "UserPattern", 16, 43981));
  EXPECT_TRUE(IniWriteRadix(file, "Bert", "Mask", 2, 5));
  EXPECT_TRUE(IniWriteRadix(file, "Bert", "Plain", 8, 43981));
  EXPECT_TRUE(IniWriteString(file, "Bert", "Name", "A_DEFAULT"));
  EXPECT_EQ(testsupport::ReadWholeFile(file),
            "[Main]\r\nEnabled=YES\r\nHidden=NO\r\nCount=-2147483648\r\nFreq=2250500000.0000000\r\n"
            "[Bert]\r\nUserPattern=0000ABCD\r\nMask=00000000000000000000000000000101\r\nPlain=43981\r\n"
            "Name=A_DEFAULT\r\n");
}

TEST_F(IniRoutines, DoublesKeepEveryIntegerDigit) {
  EXPECT_EQ(IniDoubleText(12.5), "12.500000000");
  EXPECT_EQ(IniDoubleText(70e6), "70000000.000000000");  // exactly 18 characters
  EXPECT_EQ(IniDoubleText(123456789.123456789), "123456789.12345679");
  EXPECT_EQ(IniDoubleText(-1234567890.5), "-1234567890.500000");
  EXPECT_EQ(IniDoubleText(1e17), "100000000000000000");     // the point would be last: dropped
  EXPECT_EQ(IniDoubleText(-1e17), "-100000000000000000");   // 19 characters, all integer digits
  EXPECT_EQ(IniDoubleText(1e20), "100000000000000000000");  // never cut into the integer part
  EXPECT_EQ(IniDoubleText(-0.0000000004), "0.000000000");
  EXPECT_EQ(IniDoubleText(std::numeric_limits<double>::quiet_NaN()), "NAN");

  // What is written reads back as the same double where 18 characters hold it.
  for (double v : {0.1, -3.75, 2250.5e6, 1e-9, 99.999999999}) {
    ASSERT_TRUE(IniWriteDouble(file, "D", "v", v));
    double back = 0;
    ASSERT_TRUE(IniReadDouble(file, "D", "v", back));
    EXPECT_NEAR(back, v, 1e-9) << v;
  }
}

TEST_F(IniRoutines, MissingOrDamagedKeysLeaveTheValue) {
  ASSERT_TRUE(testsupport::WriteWholeFile(
      file, "[S]\r\nint=12abc\r\ndbl=nan\r\nuns=-1\r\nbogus=BOGUS SECTION or KEY\r\nyes=YES\r\nlower=yes\r\n"
            "hex=0000ABCD\r\nbig=2147483648\r\n  Spaced Key  =  \"quoted value\"  \r\n"));
  std::int32_t i = 5;
  std::uint32_t u = 6;
  double d = 7.5;
  std::string s = "keep";
  std::uint8_t b = 2;

  EXPECT_FALSE(IniReadInt(file, "S", "int", i));
  EXPECT_FALSE(IniReadInt(file, "S", "big", i));
  EXPECT_FALSE(IniReadInt(file, "S", "missing", i));
  EXPECT_FALSE(IniReadInt(file, "Nope", "int", i));
  EXPECT_EQ(i, 5);
  EXPECT_FALSE(IniReadDouble(file, "S", "dbl", d));
  EXPECT_EQ(d, 7.5);
  EXPECT_FALSE(IniReadUnsigned(file, "S", "uns", 10, u));
  EXPECT_EQ(u, 6u);
  EXPECT_FALSE(IniReadString(file, "S", "bogus", s));
  EXPECT_FALSE(IniReadString(folder / "absent.ini", "S", "yes", s));
  EXPECT_EQ(s, "keep");
  EXPECT_FALSE(IniReadBool(file, "S", "missing", b));
  EXPECT_EQ(b, 2);

  EXPECT_TRUE(IniReadBool(file, "s", "YES", b));
  EXPECT_EQ(b, 1);
  EXPECT_TRUE(IniReadBool(file, "S", "lower", b));  // found, but only "YES" is true
  EXPECT_EQ(b, 0);
  EXPECT_TRUE(IniReadUnsigned(file, "S", "hex", 16, u));
  EXPECT_EQ(u, 43981u);
  EXPECT_TRUE(IniReadString(file, "S", "spaced key", s));
  EXPECT_EQ(s, "quoted value");
}

TEST_F(IniRoutines, LongValuesAreCutAndFlushOnlyWrites) {
  const std::string longValue(1500, 'x');
  ASSERT_TRUE(IniWriteString(file, "S", "long", longValue));
  std::string s;
  ASSERT_TRUE(IniReadString(file, "S", "long", s));
  EXPECT_EQ(s, std::string(1023, 'x'));

  const std::string before = testsupport::ReadWholeFile(file);
  EXPECT_TRUE(IniFlush(file));
  EXPECT_TRUE(IniFlushText(file));
  EXPECT_EQ(testsupport::ReadWholeFile(file), before);
}

TEST_F(IniRoutines, WriteIntoMissingFolderFails) {
  EXPECT_FALSE(IniWriteInt(folder / "no/such/folder.ini", "S", "k", 1));
  EXPECT_FALSE(IniWriteString(file, "S", "bad\nkey", "v"));
  EXPECT_FALSE(IniWriteString(file, "S", "k", "two\r\nlines"));
}

}  // namespace
}  // namespace util

namespace util {
namespace {

TEST(IniRewrite, ReplacesTheWholeFileAndKeepsTheOldAsBak) {
  testsupport::ScratchFolder folder;
  const std::string file = folder / "Kr20Last.pos";
  ASSERT_TRUE(testsupport::WriteWholeFile(file, "[Old]\r\nStale=1\r\n; a comment\r\n"));
  EXPECT_TRUE(RewriteIniFile(file, [](const std::string& fresh) {
    return IniWriteInt(fresh, "MainWindow", "Left", 10) && IniWriteBool(fresh, "MainWindow", "Visible", true);
  }));
  EXPECT_EQ(testsupport::ReadWholeFile(file), "[MainWindow]\r\nLeft=10\r\nVisible=YES\r\n");
  EXPECT_EQ(testsupport::ReadWholeFile(file + ".BAK"), "[Old]\r\nStale=1\r\n; a comment\r\n");
  std::int32_t left = 0;
  EXPECT_TRUE(IniReadInt(file, "MainWindow", "Left", left));  // the store sees the new file
  EXPECT_EQ(left, 10);
  EXPECT_FALSE(std::filesystem::exists(file + ".new"));

  // A writer that fails leaves the file as it was and no fresh file behind.
  EXPECT_FALSE(RewriteIniFile(file, [](const std::string& fresh) {
    IniWriteInt(fresh, "MainWindow", "Left", 99);
    return IniWriteString(fresh, "MainWindow", "bad\nkey", "x");
  }));
  EXPECT_EQ(testsupport::ReadWholeFile(file), "[MainWindow]\r\nLeft=10\r\nVisible=YES\r\n");
  EXPECT_FALSE(std::filesystem::exists(file + ".new"));
}

}  // namespace
}  // namespace util
