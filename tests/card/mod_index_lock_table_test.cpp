// The modulation-index lock-threshold tables: the file format, the built-in tables, the lookup,
// and the card object reading the file of its program folder when it is created.
#include "card/mod_index_lock_table.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <future>
#include <string>
#include <vector>

#include "card/kr20card.h"
#include "fake_zp90.h"
#include "support/log_capture.h"

namespace card {
namespace {

TEST(ModIndexLockTable, TheFileGivesEntriesPerChannelOrForBothAndSkipsBadLines) {
  const std::string text =
      "# modulation index lock thresholds\r\n"
      "; channel index threshold\n"
      "\n"
      "0  0.35  400\n"
      "1\t0.35\t0x1F4\n"
      "*  0.50  600\n"
      "0  0.35  999\n"
      "0 0.35\n"
      "2 0.35 400\n"
      "0 nan 400\n"
      "0 0.35 4294967296\n";
  ModIndexLockTables tables;
  ModIndexLockProblems problems;
  ASSERT_TRUE(ParseModIndexLockTables(text, tables, problems));
  ASSERT_EQ(tables[0].size(), 3u);
  ASSERT_EQ(tables[1].size(), 2u);
  EXPECT_EQ(tables[0][0].IndexHundredths, 35);
  EXPECT_EQ(tables[0][0].Threshold, 400u);
  EXPECT_EQ(tables[1][0].Threshold, 500u);
  EXPECT_EQ(tables[1][1].IndexHundredths, 50);
  EXPECT_EQ(problems.First,
            (std::vector<std::string>{"line 8: three fields expected", "line 9: channel must be 0, 1 or *",
                                      "line 10: index must be a number from 0 to 10",
                                      "line 11: threshold must be an unsigned 32-bit number"}));
  EXPECT_EQ(problems.Count, 4u);

  // The first entry of an index wins.
  EXPECT_EQ(FindModIndexLockEntry(tables[0], 0.359), 0);
  EXPECT_EQ(FindModIndexLockEntry(tables[0], 0.5), 1);
}

TEST(ModIndexLockTable, AChannelKeepsAtMost256Entries) {
  std::string text;
  for (int i = 0; i < 300; ++i) text += "* " + std::to_string(i / 100.0) + " " + std::to_string(i) + "\n";
  ModIndexLockTables tables;
  ModIndexLockProblems problems;
  ASSERT_TRUE(ParseModIndexLockTables(text, tables, problems));
  EXPECT_EQ(tables[1].size(), kModIndexLockMaxEntries);
  EXPECT_EQ(problems.First.front(), "line 257: channel 0 already has 256 entries");
  EXPECT_EQ(problems.First.size(), kModIndexLockLoggedLines);
  EXPECT_EQ(problems.Count, 2u * (300 - 256));  // both channels of every line past the 256th
}

TEST(ModIndexLockTable, TheBuiltInTablesCoverTenthsToOneInHundredths) {
  const ModIndexLockTables tables = BuiltInModIndexLockTables();
  ASSERT_EQ(tables[1].size(), 91u);
  EXPECT_EQ(tables[1].front().Threshold, 160u);
  EXPECT_EQ(tables[1].back().Threshold, 1024u);
  // Every value from 0.10 to 1.00 finds the entry of its whole hundredths.
  for (int h = 10; h <= 100; ++h) {
    const int position = FindModIndexLockEntry(tables[0], h / 100.0 + 0.004);
    ASSERT_GE(position, 0) << h;
    EXPECT_EQ(tables[0][static_cast<std::size_t>(position)].IndexHundredths, h);
  }
  for (double outside : {0.099, 1.01, std::nan("")}) EXPECT_EQ(FindModIndexLockEntry(tables[0], outside), -1);
}

// The key is the whole hundredths of the measured index, taken once: 0.295 picks the 0.29 entry,
// and an index that is a whole number of hundredths picks its own entry although 100 x 0.29 is
// 28.999... in binary floating point.
TEST(ModIndexLockTable, TheLookupTakesTheWholeHundredthsOfTheIndexOnce) {
  const ModIndexLockTables tables = BuiltInModIndexLockTables();
  struct Row {
    double index;
    int hundredths;  // of the entry found, -1 for none
  };
  const Row rows[] = {{0.099, -1},    {0.0999999, -1}, {0.10, 10},   {0.105, 10},  {0.28, 28},   {0.2899, 28},
                      {0.29, 29},     {0.295, 29},     {0.2999, 29}, {0.30, 30},   {0.57, 57},   {0.575, 57},
                      {0.58, 58},     {0.585, 58},     {0.5899, 58}, {0.59, 59},   {0.99, 99},   {1.00, 100},
                      {1.005, 100},   {1.0099, 100},   {1.01, -1}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.index);
    const int position = FindModIndexLockEntry(tables[0], row.index);
    if (row.hundredths < 0) {
      EXPECT_EQ(position, -1);
      continue;
    }
    ASSERT_GE(position, 0);
    const ModIndexLockEntry& entry = tables[0][static_cast<std::size_t>(position)];
    EXPECT_EQ(entry.IndexHundredths, row.hundredths);
    EXPECT_EQ(entry.Threshold, static_cast<std::uint32_t>(std::lround(64.0 + 9.6 * row.hundredths)));
  }
  // Entries read from a file are found by the same key.
  ModIndexLockTables file;
  ModIndexLockProblems problems;
  ASSERT_TRUE(ParseModIndexLockTables("0 0.29 290\n0 0.58 580\n", file, problems));
  EXPECT_EQ(FindModIndexLockEntry(file[0], 0.29), 0);
  EXPECT_EQ(FindModIndexLockEntry(file[0], 0.585), 1);
  EXPECT_EQ(FindModIndexLockEntry(file[0], 0.2899), -1);
}

TEST(ModIndexLockTable, TheCardObjectReadsTheFileOfItsProgramFolderWhenCreated) {
  testsupport::LoggedProgramFolder folder;
  const auto logged = [&](const std::string& part) {
    const std::vector<std::string> texts = folder.LogTexts();
    return std::any_of(texts.begin(), texts.end(), [&](const std::string& t) { return t.find(part) != std::string::npos; });
  };
  testing::FakeZp90 fake;
  ASSERT_TRUE(testsupport::WriteWholeFile(folder / "MODINDLOCKTHRESHOLD.CFG", "1 0.42 4242\nbad line\n"));
  kr20cardclass card(0, fake.table, false);
  EXPECT_TRUE(card.ModIndexLockThresholdsFromFile());
  EXPECT_TRUE(card.ModIndexLockThresholds()[0].empty());
  ASSERT_EQ(card.ModIndexLockThresholds()[1].size(), 1u);
  EXPECT_EQ(card.ModIndexLockThresholds()[1][0].Threshold, 4242u);
  EXPECT_TRUE(logged("modIndLockThreshold.cfg line 2: three fields expected, line skipped"));

  // A file without one usable entry leaves the built-in tables in place.
  ASSERT_TRUE(testsupport::WriteWholeFile(folder / "MODINDLOCKTHRESHOLD.CFG", "# nothing\n"));
  bool fromFile = true;
  const ModIndexLockTables tables = LoadModIndexLockTables(folder.Path(), &fromFile);
  EXPECT_FALSE(fromFile);
  EXPECT_EQ(tables[1].size(), 91u);
  EXPECT_TRUE(logged("modIndLockThreshold.cfg has no usable entry, built-in table in use"));
}

// A junk file writes a few lines and a count, once per load; a file too large or not a regular
// file is refused whole without being read, and a FIFO never blocks the load.
TEST(ModIndexLockTable, JunkOversizeAndNonRegularFilesCostAFewLogLines) {
  struct Row {
    const char* name;
    std::function<void(const std::string& path)> make;
    bool fromFile;
    std::vector<std::string> lines;  // what the load adds to the log, <path> for the file's path
  };
  std::string junk;
  for (int i = 0; i < 20000; ++i) junk += "junk\n";
  const std::vector<Row> rows = {
      {"flood of bad lines",
       [&junk](const std::string& path) { ASSERT_TRUE(testsupport::WriteWholeFile(path, "* 0.5 600\n" + junk)); },
       true,
       {"modIndLockThreshold.cfg line 2: three fields expected, line skipped",
        "modIndLockThreshold.cfg line 3: three fields expected, line skipped",
        "modIndLockThreshold.cfg line 4: three fields expected, line skipped",
        "modIndLockThreshold.cfg line 5: three fields expected, line skipped",
        "modIndLockThreshold.cfg line 6: three fields expected, line skipped",
        "modIndLockThreshold.cfg: 19995 more lines skipped"}},
      {"one byte over the limit",
       [](const std::string& path) {
         std::string bytes = "* 0.5 600\n";
         bytes.resize(kModIndexLockMaxFileBytes + 1, '#');
         ASSERT_TRUE(testsupport::WriteWholeFile(path, bytes));
       },
       false,
       {"modIndLockThreshold.cfg refused: <path> is 1048577 bytes, more than the 1048576 allowed; built-in table "
        "in use"}},
      {"at the limit",
       [](const std::string& path) {
         std::string bytes = "* 0.5 600\n";
         bytes.resize(kModIndexLockMaxFileBytes, '#');
         ASSERT_TRUE(testsupport::WriteWholeFile(path, bytes));
       },
       true,
       {}},
      {"FIFO", [](const std::string& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); }, false,
       {"modIndLockThreshold.cfg refused: <path> is not a regular file; built-in table in use"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    testsupport::LoggedProgramFolder folder;
    const std::string path = folder / kModIndLockThresholdFileName;
    row.make(path);
    const std::size_t before = folder.LogTexts().size();

    bool fromFile = !row.fromFile;
    auto load = std::async(std::launch::async, [&] { return LoadModIndexLockTables(folder.Path(), &fromFile); });
    if (load.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
      // Let a reader stuck on the FIFO go before failing.
      const int writer = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
      if (writer >= 0) ::close(writer);
      ADD_FAILURE() << "the load blocked";
    }
    const ModIndexLockTables tables = load.get();
    EXPECT_EQ(fromFile, row.fromFile);
    EXPECT_EQ(tables[0].size(), row.fromFile ? 1u : 91u);

    std::vector<std::string> expected;
    for (std::string line : row.lines) {
      if (const std::size_t at = line.find("<path>"); at != std::string::npos) line.replace(at, 6, path);
      expected.push_back(line);
    }
    const std::vector<std::string> texts = folder.LogTexts();
    EXPECT_EQ(std::vector<std::string>(texts.begin() + static_cast<std::ptrdiff_t>(before), texts.end()), expected);
  }
}

}  // namespace
}  // namespace card
