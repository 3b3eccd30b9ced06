#include "util/ini_routines.h"
#include "util/ini_read_report.h"
#include "util/ini_rewrite.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <string>
#include <vector>

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
  EXPECT_TRUE(IniWriteBool(file, "Main", "Enabled", true) && IniWriteBool(file, "Main", "Hidden", false) &&
              IniWriteInt(file, "Main", "Count", -2147483648LL) && IniWriteDouble(file, "Main", "Freq", 2250.5e6) &&
              IniWriteRadix(file, "Bert", "UserPattern", 16, 43981) && IniWriteRadix(file, "Bert", "Mask", 2, 5) &&
              IniWriteRadix(file, "Bert", "Plain", 8, 43981) && IniWriteString(file, "Bert", "Name", "A_DEFAULT"));
  EXPECT_EQ(testsupport::ReadWholeFile(file),
            "[Main]\r\nEnabled=YES\r\nHidden=NO\r\nCount=-2147483648\r\nFreq=2250500000.0000000\r\n"
            "[Bert]\r\nUserPattern=0000ABCD\r\nMask=00000000000000000000000000000101\r\nPlain=43981\r\n"
            "Name=A_DEFAULT\r\n");
}

TEST_F(IniRoutines, DoublesKeepEveryIntegerDigit) {
  const std::pair<double, const char*> rows[] = {
      {70e6, "70000000.000000000"},  // exactly 18 characters
      {123456789.123456789, "123456789.12345679"},
      {-1e17, "-100000000000000000"},   // the point would be last: dropped
      {1e20, "100000000000000000000"},  // never cut into the integer part
      {-0.0000000004, "0.000000000"},
      {std::numeric_limits<double>::quiet_NaN(), "NAN"}};
  for (const auto& [value, text] : rows) EXPECT_EQ(IniDoubleText(value), text) << value;

  ASSERT_TRUE(IniWriteDouble(file, "D", "v", 99.999999999));  // reads back as written
  double back = 0;
  ASSERT_TRUE(IniReadDouble(file, "D", "v", back));
  EXPECT_NEAR(back, 99.999999999, 1e-9);
}

// A damaged number leaves the value and logs it with the value kept; a missing key says nothing.
TEST(IniRoutinesRead, MissingOrDamagedKeysLeaveTheValue) {
  testsupport::LoggedProgramFolder folder;
  const std::string file = folder / "Kr20Options.opt";
  ASSERT_TRUE(testsupport::WriteWholeFile(
      file, "[S]\r\nint=12abc\r\ndbl=nan\r\nuns=-1\r\nhex=0x1G\r\nbogus=BOGUS SECTION or KEY\r\nlower=yes\r\n"
            "big=2147483648\r\n  Spaced Key  =  \"quoted value\"  \r\n"));
  std::int32_t i = 5;
  std::uint32_t u = 6;
  double d = 7.5;
  std::string s = "keep";
  std::uint8_t b = 2;
  const std::size_t before = folder.LogTexts().size();
  for (const char* key : {"int", "big", "missing"}) EXPECT_FALSE(IniReadInt(file, "S", key, i)) << key;
  EXPECT_FALSE(IniReadDouble(file, "S", "dbl", d));
  EXPECT_FALSE(IniReadUnsigned(file, "S", "uns", 10, u));
  EXPECT_FALSE(IniReadUnsigned(file, "S", "hex", 16, u));
  EXPECT_FALSE(IniReadDouble(file, "S", "missing", d));
  EXPECT_FALSE(IniReadString(file, "S", "bogus", s));  // the marker of a missing key is no value
  EXPECT_FALSE(IniReadBool(file, "S", "missing", b));
  EXPECT_TRUE(i == 5 && u == 6u && d == 7.5 && s == "keep" && b == 2);
  const std::vector<std::string> texts = folder.LogTexts();
  EXPECT_EQ(std::vector<std::string>(texts.begin() + static_cast<std::ptrdiff_t>(before), texts.end()),
            (std::vector<std::string>{
                "Kr20Options.opt [S] int=\"12abc\" is not a valid number; 5 used",
                "Kr20Options.opt [S] big=\"2147483648\" is not a valid number; 5 used",
                "Kr20Options.opt [S] dbl=\"nan\" is not a valid number; 7.5 used",
                "Kr20Options.opt [S] uns=\"-1\" is not a valid number; 6 used",
                "Kr20Options.opt [S] hex=\"0x1G\" is not a valid number; 00000006 used",
            }));

  EXPECT_TRUE(IniReadBool(file, "S", "lower", b));  // found, but only "YES" is true
  EXPECT_EQ(b, 0);
  EXPECT_TRUE(IniReadString(file, "s", "spaced key", s));  // names in any letter case
  EXPECT_EQ(s, "quoted value");
}

// Inside a report a file's first lines are written as they come, the rest counted in one line at
// its end, then the missing keys its reader counted; outside one every line is written.
TEST(IniRoutinesRead, AReportWritesAFewLinesThenTheCounts) {
  testsupport::LoggedProgramFolder folder;
  const std::string file = folder / "Kr20HwCfg.cfg";
  std::string bytes = "[S]\r\n";
  for (int key = 0; key < kIniReportLines + 3; ++key) bytes += "k" + std::to_string(key) + "=x\r\n";
  bytes += "long=" + std::string(kIniReportValueLength + 1, '9') + "\x02\r\n";
  ASSERT_TRUE(testsupport::WriteWholeFile(file, bytes));
  const std::size_t before = folder.LogTexts().size();
  std::int32_t value = 3;
  {
    IniReadReport report("Kr20HwCfg.cfg");
    for (int key = 0; key < kIniReportLines + 3; ++key) IniReadInt(file, "S", "k" + std::to_string(key), value);
    report.SetMissingKeys(212);
  }
  IniReadInt(file, "S", "long", value);
  const std::vector<std::string> texts = folder.LogTexts();
  EXPECT_EQ(std::vector<std::string>(texts.begin() + static_cast<std::ptrdiff_t>(before), texts.end()),
            (std::vector<std::string>{
                "Kr20HwCfg.cfg [S] k0=\"x\" is not a valid number; 3 used",
                "Kr20HwCfg.cfg [S] k1=\"x\" is not a valid number; 3 used",
                "Kr20HwCfg.cfg [S] k2=\"x\" is not a valid number; 3 used",
                "Kr20HwCfg.cfg [S] k3=\"x\" is not a valid number; 3 used",
                "Kr20HwCfg.cfg [S] k4=\"x\" is not a valid number; 3 used",
                "Kr20HwCfg.cfg: 3 more values not taken as read",
                "Kr20HwCfg.cfg: 212 keys missing, current values kept",
                "Kr20HwCfg.cfg [S] long=\"" + std::string(kIniReportValueLength, '9') +
                    "\"... is not a valid number; 3 used",
            }));
  EXPECT_EQ(QuotedIniValue("a\"b\\c\x7F\xC3\xA9"), "\"a\\x22b\\x5cc\\x7f\\xc3\\xa9\"");
}

TEST_F(IniRoutines, LongValuesAreCutAndBadWritesRefused) {
  ASSERT_TRUE(IniWriteString(file, "S", "long", std::string(1500, 'x')));
  std::string s;
  ASSERT_TRUE(IniReadString(file, "S", "long", s));
  EXPECT_EQ(s, std::string(1023, 'x'));
  const std::string before = testsupport::ReadWholeFile(file);
  EXPECT_TRUE(IniFlush(file));
  EXPECT_FALSE(IniWriteInt(folder / "no/such/folder.ini", "S", "k", 1));
  EXPECT_FALSE(IniWriteString(file, "S", "bad\nkey", "v"));
  EXPECT_FALSE(IniWriteString(file, "S", "k", "two\r\nlines"));
  EXPECT_EQ(testsupport::ReadWholeFile(file), before);
}

TEST(IniRewrite, ReplacesTheWholeFileAndKeepsTheOldAsBak) {
  testsupport::ScratchFolder folder;
  const std::string file = folder / "Kr20Last.pos";
  const std::string old = "[Old]\r\nStale=1\r\n; a comment\r\n";
  const std::string fresh = "[MainWindow]\r\nLeft=10\r\nVisible=YES\r\n";
  ASSERT_TRUE(testsupport::WriteWholeFile(file, old));
  EXPECT_TRUE(RewriteIniFile(file, [](const std::string& path) {
    return IniWriteInt(path, "MainWindow", "Left", 10) && IniWriteBool(path, "MainWindow", "Visible", true);
  }));
  EXPECT_EQ(testsupport::ReadWholeFile(file), fresh);
  EXPECT_EQ(testsupport::ReadWholeFile(file + ".BAK"), old);
  std::int32_t left = 0;
  EXPECT_TRUE(IniReadInt(file, "MainWindow", "Left", left));  // the store sees the new file
  EXPECT_EQ(left, 10);

  // A writer that fails leaves the file as it was and no fresh file behind.
  EXPECT_FALSE(RewriteIniFile(file, [](const std::string& path) {
    IniWriteInt(path, "MainWindow", "Left", 99);
    return IniWriteString(path, "MainWindow", "bad\nkey", "x");
  }));
  EXPECT_EQ(testsupport::ReadWholeFile(file), fresh);
  EXPECT_FALSE(std::filesystem::exists(file + ".new"));
}

}  // namespace
}  // namespace util
