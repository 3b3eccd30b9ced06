#include "util/ini_file_check.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/log_capture.h"
#include "util/ini_rewrite.h"
#include "util/ini_routines.h"

namespace util {
namespace {

using testsupport::ReadWholeFile;
using testsupport::WriteWholeFile;

constexpr IniFileShape kShape{"Main", "Key"};
const std::string kWhole = "[Main]\r\nKey=1\r\n";

class IniFileCheckTest : public ::testing::Test {
 protected:
  void Put(const std::string& path, const std::optional<std::string>& bytes) {
    std::filesystem::remove(path);
    if (bytes) {
      ASSERT_TRUE(WriteWholeFile(path, *bytes));
    }
  }
  // The log lines written since the last call.
  std::vector<std::string> NewLines() {
    const std::vector<std::string> texts = program.LogTexts();
    std::vector<std::string> fresh(texts.begin() + static_cast<std::ptrdiff_t>(seen), texts.end());
    seen = texts.size();
    return fresh;
  }

  testsupport::LoggedProgramFolder program;
  std::string file = program / "Kr20Last.pos";
  std::string bak = file + ".BAK";
  std::size_t seen = 0;
};

// What counts as whole beyond the damage kinds the readers' tests go through.
TEST_F(IniFileCheckTest, WholeMeansTheFirstSectionOfTheNameHoldsTheKey) {
  struct Row {
    const char* name;
    std::string bytes;
    const char* reason;  // empty: whole
  };
  const Row rows[] = {
      {"names in any case and blanks", "  [ main ]\r\n  KEY = 1\r\n", ""},
      {"byte order mark and lone CR line ends", "\xEF\xBB\xBF[Main]\rKey=1\r", ""},
      {"latin-1 and UTF-8 text", "[Main]\r\nKey=Stra\xDF" "e \xC3\xA9t\xC3\xA9\r\n", ""},
      {"key only in a later section of the name", "[Main]\r\nOther=1\r\n[Main]\r\nKey=1\r\n",
       "no key Key in section Main"},
      {"key as a value", "[Main]\r\nOther=Key\r\n", "no key Key in section Main"},
      {"a header without a name", "[]\r\nKey=1\r\n", "no section"},
      {"control bytes in a value", "[Main]\r\nKey=1\x1B\x7F\r\n", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Put(file, row.bytes);
    const IniFileCheck check = CheckIniFile(file, kShape);
    EXPECT_EQ(check.state, *row.reason == '\0' ? IniFileState::kWhole : IniFileState::kDamaged);
    EXPECT_EQ(check.reason, row.reason);
  }
  // Without a key in the shape the section is enough; without a section any section.
  Put(file, "[Main]\r\n");
  EXPECT_EQ(CheckIniFile(file, IniFileShape{"Main", ""}).state, IniFileState::kWhole);
  Put(file, "[Other]\r\n");
  EXPECT_EQ(CheckIniFile(file, IniFileShape{}).state, IniFileState::kWhole);
  std::filesystem::remove(file);
  EXPECT_EQ(CheckIniFile(file, kShape).state, IniFileState::kMissing);
}

// A path that runs through a regular file names no file: missing (the first start), neither
// damaged nor "cannot be read", so nothing is logged and no .BAK is taken.
TEST_F(IniFileCheckTest, APathThroughARegularFileIsMissing) {
  Put(file, kWhole);
  const std::string through = file + "/x.cfg";
  NewLines();
  const IniFileCheck check = CheckIniFile(through, kShape);
  EXPECT_EQ(check.state, IniFileState::kMissing);
  EXPECT_EQ(check.reason, "");
  // Missing with no .BAK: nothing to read, as for any missing file.
  EXPECT_EQ(IniFileToRead(through, kShape), "");
  EXPECT_TRUE(BackupIniFile(through, kShape));
  EXPECT_EQ(NewLines(), std::vector<std::string>{});
  EXPECT_EQ(ReadWholeFile(file), kWhole);
}

TEST_F(IniFileCheckTest, AReaderTakesTheBakForADamagedOrMissingFile) {
  struct Row {
    const char* name;
    std::optional<std::string> fileBytes;
    std::optional<std::string> bakBytes;
    bool readsBak;
    bool readsFile;
    std::vector<std::string> log;
  };
  const std::string damaged = file + " is damaged (no section Main); ";
  const Row rows[] = {
      {"whole file, damaged .BAK", kWhole, "junk", false, true, {}},
      {"missing file, whole .BAK", std::nullopt, kWhole, true, false, {file + " is missing; read from " + bak}},
      {"missing file, damaged .BAK", std::nullopt, "junk", false, false, {}},
      {"missing file, no .BAK", std::nullopt, std::nullopt, false, false, {}},
      {"damaged file, whole .BAK", "[Other]\r\n", kWhole, true, false, {damaged + "read from " + bak}},
      {"damaged file, no .BAK", "[Other]\r\n", std::nullopt, false, false, {damaged + bak + " is missing, nothing read"}},
      {"damaged file, damaged .BAK", "[Other]\r\n", "", false, false,
       {damaged + bak + " is damaged too (empty), nothing read"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Put(file, row.fileBytes);
    Put(bak, row.bakBytes);
    NewLines();
    EXPECT_EQ(IniFileToRead(file, kShape), row.readsBak ? bak : row.readsFile ? file : "");
    EXPECT_EQ(NewLines(), row.log);
  }
}

// The five files' tests show a whole ".BAK" kept; without one, what the damaged file held is not lost.
TEST_F(IniFileCheckTest, ARewriteKeepsADamagedFileAsItsBakWhenThatIsNotWhole) {
  Put(file, "[Other]\r\n");
  Put(bak, std::string("\0", 1));
  ASSERT_TRUE(RewriteIniFile(file, kShape, [](const std::string& fresh) { return IniWriteInt(fresh, "Main", "Key", 2); }));
  EXPECT_EQ(ReadWholeFile(bak), "[Other]\r\n");
  EXPECT_EQ(ReadWholeFile(file), "[Main]\r\nKey=2\r\n");
}

}  // namespace
}  // namespace util
