// Which copy a reader takes, and what a save keeps, when a file lacks keys this program always
// writes into it (it was cut short), at the level of one file and its ".BAK".
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/log_capture.h"
#include "util/ini_file_check.h"
#include "util/ini_rewrite.h"
#include "util/ini_routines.h"

namespace util {
namespace {

using testsupport::ReadWholeFile;
using testsupport::WriteWholeFile;

IniFileCheck ThreeKeys(const std::string& file) {
  return FirstMissingKey(file, {{"Main", "A"}, {"Main", "B"}, {"Tail ", "C"}});
}

constexpr IniFileShape kShape{"Main", "", ThreeKeys};
const std::string kWhole = "[Main]\r\nA=1\r\nB=2\r\n[Tail ]\r\nC=3\r\n";
const std::string kCut = "[Main]\r\nA=1\r\nB=2\r\n";

class IniFileCutTest : public ::testing::Test {
 protected:
  void Put(const std::string& path, const std::optional<std::string>& bytes) {
    std::filesystem::remove(path);
    if (bytes) {
      ASSERT_TRUE(WriteWholeFile(path, *bytes));
    }
  }
  std::vector<std::string> NewLines() {
    const std::vector<std::string> texts = program.LogTexts();
    std::vector<std::string> fresh(texts.begin() + static_cast<std::ptrdiff_t>(seen), texts.end());
    seen = texts.size();
    return fresh;
  }

  testsupport::LoggedProgramFolder program;
  std::string file = program / "Kr20HwCfg.cfg";
  std::string bak = file + ".BAK";
  std::size_t seen = 0;
};

TEST_F(IniFileCutTest, ACutFileIsReadFromAWholeBakElseAsItStands) {
  struct Row {
    const char* name;
    std::optional<std::string> fileBytes;
    std::optional<std::string> bakBytes;
    int reads;  // 0 nothing, 1 the file, 2 the ".BAK"
    std::vector<std::string> log;
  };
  const std::string cut = file + " is cut short (no key C in section Tail); ";
  const std::string damaged = file + " is damaged (empty); ";
  const std::string both = " is cut short and so is " + bak + " (both copies cut), read as it stands; these keys take their defaults: ";
  const Row rows[] = {
      {"whole", kWhole, kCut, 1, {}},
      {"cut, whole .BAK", kCut, kWhole, 2, {cut + "read from " + bak}},
      {"cut in a value line, whole .BAK", "[Main]\r\nA=1\r\nB=2\r\n[Tail ]\r\nC", kWhole, 2, {cut + "read from " + bak}},
      {"cut, no .BAK", kCut, std::nullopt, 1, {}},
      {"cut, cut .BAK", kCut, "[Main]\r\nA=1\r\n", 1, {file + both + "[Tail] C"}},
      {"cut before two keys, cut .BAK", "[Main]\r\nA=1\r\n", kCut, 1, {file + both + "[Main] B; [Tail] C"}},
      {"cut before every key, cut .BAK", "[Main]\r\n", "[Main]\r\nA=1\r\n", 1, {file + both + "[Main] A, B; [Tail] C"}},
      {"cut, damaged .BAK", kCut, "", 1,
       {file + " is cut short and " + bak + " is damaged (empty), read as it stands; these keys take their defaults: [Tail] C"}},
      {"damaged, cut .BAK", "", kCut, 2, {damaged + bak + " is cut short (no key C in section Tail), read as it stands"}},
      {"missing, cut .BAK", std::nullopt, kCut, 0, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Put(file, row.fileBytes);
    Put(bak, row.bakBytes);
    NewLines();
    EXPECT_EQ(IniFileToRead(file, kShape), row.reads == 2 ? bak : row.reads == 1 ? file : "");
    EXPECT_EQ(NewLines(), row.log);
  }
}

TEST_F(IniFileCutTest, ASaveNeverPutsACutFileOverAWholeBak) {
  const auto writeKeys = [](const std::string& fresh) {
    return IniWriteInt(fresh, "Main", "A", 7) && IniWriteInt(fresh, "Main", "B", 8) && IniWriteInt(fresh, "Tail", "C", 9);
  };
  const std::string saved = "[Main]\r\nA=7\r\nB=8\r\n[Tail]\r\nC=9\r\n";
  for (const bool keyByKey : {false, true}) {
    SCOPED_TRACE(keyByKey ? "written over the file" : "written anew");
    Put(file, kCut);
    Put(bak, kWhole);
    NewLines();
    ASSERT_TRUE(keyByKey ? UpdateKeptIniFile(file, kShape, true, writeKeys) : RewriteIniFile(file, kShape, writeKeys));
    EXPECT_EQ(ReadWholeFile(bak), kWhole);
    EXPECT_EQ(ReadWholeFile(file), saved);  // written anew: nothing of the cut file stays
    EXPECT_EQ(NewLines(), std::vector<std::string>{file + " is cut short (no key C in section Tail); its whole .BAK is kept"});
  }
  // Without a whole ".BAK" a cut file (perhaps an older program's) is kept as the ".BAK" and
  // written over key by key.
  Put(file, "[Main]\r\n; the operator's note\r\nA=1\r\n");
  Put(bak, std::nullopt);
  ASSERT_TRUE(UpdateKeptIniFile(file, kShape, true, writeKeys));
  EXPECT_EQ(ReadWholeFile(bak), "[Main]\r\n; the operator's note\r\nA=1\r\n");
  EXPECT_EQ(ReadWholeFile(file), "[Main]\r\n; the operator's note\r\nA=7\r\nB=8\r\n[Tail]\r\nC=9\r\n");
}

// Neither copy whole: a save puts neither a cut file over the .BAK (its keys are in the save
// anyway), nor a damaged file over a cut .BAK (what can still be read stays). Only a damaged
// file goes over a damaged .BAK, and each case says so.
TEST_F(IniFileCutTest, ASaveWithoutAWholeCopyNeverPutsACutFileOverTheBak) {
  const auto writeKeys = [](const std::string& fresh) {
    return IniWriteInt(fresh, "Main", "A", 7) && IniWriteInt(fresh, "Main", "B", 8) && IniWriteInt(fresh, "Tail", "C", 9);
  };
  struct Row {
    const char* name;
    std::string fileBytes;
    std::string bakBytes;
    std::string bakAfter;
    std::string line;
  };
  const Row rows[] = {
      {"cut, cut .BAK", "[Main]\r\nA=1\r\n", kCut, kCut,
       file + " is cut short (no key B in section Main); its .BAK is not whole either and is kept"},
      {"cut, damaged .BAK", kCut, "\x01junk", "\x01junk",
       file + " is cut short (no key C in section Tail); its .BAK is not whole either and is kept"},
      {"damaged, cut .BAK", "", kCut, kCut, file + " is damaged (empty); its cut .BAK is kept"},
      {"damaged, damaged .BAK", "[Other]\r\n", "", "[Other]\r\n",
       file + " is damaged (no section Main); copied over its damaged .BAK"},
  };
  for (const Row& row : rows) {
    for (const bool keyByKey : {false, true}) {
      SCOPED_TRACE(std::string(row.name) + (keyByKey ? ", written over the file" : ", written anew"));
      Put(file, row.fileBytes);
      Put(bak, row.bakBytes);
      NewLines();
      ASSERT_TRUE(keyByKey ? UpdateKeptIniFile(file, kShape, true, writeKeys) : RewriteIniFile(file, kShape, writeKeys));
      EXPECT_EQ(ReadWholeFile(bak), row.bakAfter);
      EXPECT_EQ(NewLines(), std::vector<std::string>{row.line});
    }
  }
  // The save itself holds every key, those the cut file held with the values it held.
  Put(file, "[Main]\r\nA=1\r\n");
  Put(bak, kCut);
  ASSERT_TRUE(UpdateKeptIniFile(file, kShape, true, [](const std::string& target) {
    std::string a;
    return IniReadString(target, "Main", "A", a) && a == "1" && IniWriteString(target, "Main", "A", a) &&
           IniWriteInt(target, "Main", "B", 0) && IniWriteInt(target, "Tail", "C", 0);
  }));
  EXPECT_EQ(ReadWholeFile(file), "[Main]\r\nA=1\r\nB=0\r\n[Tail]\r\nC=0\r\n");
}

}  // namespace
}  // namespace util
