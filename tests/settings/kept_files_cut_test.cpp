// Every file kept with a ".BAK" (options, hardware and FPGA configuration, window positions, last
// setup, each card's last state): a file cut short, missing, a dangling link or a link loop is read
// from its whole ".BAK", with one line saying which and why, and the save after it never replaces
// that ".BAK". A cut file without a whole ".BAK" still gives what it holds.
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "card/hwcfg_manager.h"
#include "config/options_store.h"
#include "config/window_positions.h"
#include "multi_card_fixture.h"
#include "settings/last_setup.h"
#include "settings/setup_file.h"

namespace {

using testsupport::ReadWholeFile;
using testsupport::WriteWholeFile;

class KeptFilesCutTest : public settingstest::MultiCardTest {
 protected:
  void SetUp() override { StartCards({{false, 0}, {false, 0}}); }

  struct KeptFile {
    const char* name;
    std::string path;
    std::string lastKey;  // "no key <K> in section <S>" of the last line written; empty: read from the file
    std::function<void(int)> set;  // one value of the file into memory
    std::function<bool()> save;
    std::function<int()> load;  // loads the file and gives the value back
  };

  std::vector<KeptFile> Files() {
    return {
        {"last setup", HwCfg("Kr20Last.last"), "no key SetupFileName in section KR20_1",
         [this](int v) { manager_->SetupFileNames[0] = SetupFile("SETUP" + std::to_string(v)); },
         [] { return settings::SaveLastSetupFile(); },
         [this] {
           settings::LoadLastSetupFile();
           for (int v = 1; v <= 4; ++v) {
             if (manager_->SetupFileNames[0] == SetupFile("SETUP" + std::to_string(v))) return v;
           }
           return 0;
         }},
        {"options", program_ / "SYSTEM/OPTIONS/Kr20Options.opt", "",
         [this](int v) { options_.Info().DataRecordRateHz = v; },
         [this] { return config::kr20optionclass::SaveOptions(options_.Info()); },
         [this] {
           config::kr20optionclass::LoadOptions(options_.Info());
           return static_cast<int>(options_.Info().DataRecordRateHz);
         }},
        {"FPGA configuration", HwCfg("Kr20FpgaCfg.cfg"), "no key CurrentFpgaMode in section Card_5",
         [this](int v) { cards_->LoadState(0).DefaultFpgaMode = v; }, [this] { return cards_->SaveFpgaConfigFile(); },
         [this] {
           cards_->LoadFpgaConfigFile();
           return static_cast<int>(cards_->LoadState(0).DefaultFpgaMode);
         }},
        {"window positions", HwCfg("Kr20Last.pos"), "no key Visible in section TestModulator_5",
         [](int v) { config::gApp.MainWindowPlacement.Left = v; }, [] { return config::SaveGlobalPositionInfo(); },
         [] {
           config::LoadGlobalPositionInfo();
           return static_cast<int>(config::gApp.MainWindowPlacement.Left);
         }},
        {"hardware configuration", HwCfg("Kr20HwCfg.cfg"), "no key DnCvtIndex1 in section CardSet_5",
         [this](int v) { hwcfg_->EnableRecords[card::kHwCfgKr14].NumToSimulate = v; },
         [this] { return hwcfg_->SaveConfigFile(); },
         [this] {
           hwcfg_->LoadConfigFile();
           return static_cast<int>(hwcfg_->EnableRecords[card::kHwCfgKr14].NumToSimulate);
         }},
        {"card 1's last state", HwCfg("Kr20LastState.last1"),
         "no key AutoInvertSpectrallyInvertedRF in section DownConvert Data 2",
         [this](int v) { Rec(1).Receiver[1].CarrierThesholdDbm = -40.0 - v; },
         [] { return settings::SaveLastSetupStateFile(); },
         [this] {
           settings::LoadLastSetupStateFile();
           return static_cast<int>(-40.0 - Rec(1).Receiver[1].CarrierThesholdDbm);
         }},
    };
  }

  // Saves 1 then 2: the file holds 2, its ".BAK" 1. Gives the ".BAK".
  std::string SaveTwice(const KeptFile& file) {
    file.set(1);
    EXPECT_TRUE(file.save());
    file.set(2);
    EXPECT_TRUE(file.save());
    return ReadWholeFile(file.path + ".BAK");
  }

  void SetUpSetupFiles() {
    for (int value = 1; value <= 4; ++value) {
      manager_->SetupFileNames[0] = SetupFile("SETUP" + std::to_string(value));
      ASSERT_TRUE(settings::SaveCardSetupFile(0));
    }
    manager_->SetupFileNames[1] = SetupFile("SETUP1");
    config::SetDefaultWindowPositions();
  }

  std::vector<std::string> NewLines() {
    const std::vector<std::string> texts = program_.LogTexts();
    std::vector<std::string> lines(texts.begin() + static_cast<std::ptrdiff_t>(seen_), texts.end());
    seen_ = texts.size();
    return lines;
  }

  std::size_t seen_ = 0;
};

// The text up to the start of its last line: the file cut at a line end.
std::string WithoutLastLine(const std::string& text) {
  const auto end = text.rfind("\r\n", text.size() - 3);
  return text.substr(0, end + 2);
}

// "no key <K> in section <S>" for the last key line of an INI text.
std::string LastKeyOf(const std::string& text) {
  const std::string tail = text.substr(WithoutLastLine(text).size());
  const std::string key = tail.substr(0, tail.find('='));
  const auto header = text.rfind("\r\n[");
  const std::string section = text.substr(header + 3, text.find(']', header) - header - 3);
  return "no key " + key + " in section " + section;
}

TEST_F(KeptFilesCutTest, AFileCutShortIsReadFromItsWholeBakWhichTheNextSaveKeeps) {
  SetUpSetupFiles();
  for (const KeptFile& file : Files()) {
    SCOPED_TRACE(file.name);
    const std::string bak = file.path + ".BAK";
    const std::string whole = SaveTwice(file);
    const std::string written = ReadWholeFile(file.path);
    const std::string reason = file.lastKey.empty() ? LastKeyOf(written) : file.lastKey;
    // Cut at the line end before the last line, and in the middle of the file.
    for (const std::string& cut :
         {WithoutLastLine(written), WithoutLastLine(written.substr(0, written.size() / 2))}) {
      ASSERT_TRUE(WriteWholeFile(file.path, cut));
      NewLines();
      file.set(3);
      EXPECT_EQ(file.load(), 1);
      const std::vector<std::string> lines = NewLines();
      ASSERT_FALSE(lines.empty());
      EXPECT_EQ(lines.front().rfind(file.path + " is cut short (no key ", 0), 0u) << lines.front();
      EXPECT_EQ(lines.front().substr(lines.front().find(')')), "); read from " + bak);
      ASSERT_TRUE(WriteWholeFile(file.path, cut));
    }
    // The exact line for the cut before the last line.
    ASSERT_TRUE(WriteWholeFile(file.path, WithoutLastLine(written)));
    NewLines();
    EXPECT_EQ(file.load(), 1);
    EXPECT_EQ(NewLines().front(), file.path + " is cut short (" + reason + "); read from " + bak);

    file.set(4);
    ASSERT_TRUE(file.save());
    EXPECT_EQ(ReadWholeFile(bak), whole);
    const std::vector<std::string> saved = NewLines();
    EXPECT_NE(std::find(saved.begin(), saved.end(), file.path + " is cut short (" + reason + "); its whole .BAK is kept"),
              saved.end());
    file.set(3);
    EXPECT_EQ(file.load(), 4);  // the file saved in place of the cut one
  }
}

// A file of another program (or a first start) has no ".BAK": what it holds is read as before.
TEST_F(KeptFilesCutTest, ACutFileWithoutAWholeBakGivesWhatItHolds) {
  SetUpSetupFiles();
  for (const KeptFile& file : Files()) {
    SCOPED_TRACE(file.name);
    SaveTwice(file);
    const std::string written = ReadWholeFile(file.path);
    for (const bool bakCut : {false, true}) {
      SCOPED_TRACE(bakCut ? "the .BAK cut too" : "no .BAK");
      std::filesystem::remove(file.path + ".BAK");
      if (bakCut) {
        ASSERT_TRUE(WriteWholeFile(file.path + ".BAK", WithoutLastLine(written)));
      }
      ASSERT_TRUE(WriteWholeFile(file.path, WithoutLastLine(written)));
      file.set(3);
      EXPECT_EQ(file.load(), 2);
    }
  }
}

// Both copies cut: what the file holds is read, one line names the file and every key that takes
// its default, and the save after it puts the cut file over neither copy's place of the ".BAK".
TEST_F(KeptFilesCutTest, BothCopiesCutAreNamedWithTheKeysTheyLackAndTheSaveKeepsTheBak) {
  SetUpSetupFiles();
  for (const KeptFile& file : Files()) {
    SCOPED_TRACE(file.name);
    const std::string bak = file.path + ".BAK";
    SaveTwice(file);
    const std::string written = ReadWholeFile(file.path);
    const std::string reason = file.lastKey.empty() ? LastKeyOf(written) : file.lastKey;
    // "no key <K> in section <S>"
    const std::string key = reason.substr(7, reason.find(" in section ") - 7);
    const std::string section = reason.substr(reason.find(" in section ") + 12);
    const std::string cut = WithoutLastLine(written);
    ASSERT_TRUE(WriteWholeFile(bak, cut));
    ASSERT_TRUE(WriteWholeFile(file.path, cut));
    NewLines();
    file.set(3);
    EXPECT_EQ(file.load(), 2);
    const std::string both = file.path + " is cut short and so is " + bak +
                             " (both copies cut), read as it stands; these keys take their defaults: ";
    std::vector<std::string> named;
    for (const std::string& line : NewLines()) {
      if (line.find(file.path) != std::string::npos && line.find("both copies cut") != std::string::npos) {
        named.push_back(line);
      }
    }
    EXPECT_EQ(named, std::vector<std::string>{both + "[" + section + "] " + key});

    file.set(4);
    ASSERT_TRUE(file.save());
    EXPECT_EQ(ReadWholeFile(bak), cut);
    const std::vector<std::string> saved = NewLines();
    EXPECT_NE(std::find(saved.begin(), saved.end(), file.path + " is cut short (" + reason + "); its .BAK is not whole either and is kept"),
              saved.end());
    file.set(3);
    EXPECT_EQ(file.load(), 4);
  }
}

TEST_F(KeptFilesCutTest, AMissingFileADanglingLinkOrALinkLoopIsReadFromItsWholeBakWhichTheNextSaveKeeps) {
  SetUpSetupFiles();
  struct Row {
    const char* name;
    std::function<void(const std::string&)> make;  // puts it in place of the file
    const char* line;                              // after the file's name, before "; read from"
  };
  const Row rows[] = {
      {"missing", [](const std::string&) {}, " is missing"},
      {"dangling link", [](const std::string& path) { ASSERT_EQ(::symlink("gone.cfg", path.c_str()), 0); },
       " is missing"},
      {"link loop", [](const std::string& path) { ASSERT_EQ(::symlink(path.c_str(), path.c_str()), 0); },
       " is damaged (cannot be read)"},
  };
  for (const KeptFile& file : Files()) {
    SCOPED_TRACE(file.name);
    const std::string bak = file.path + ".BAK";
    for (const Row& row : rows) {
      SCOPED_TRACE(row.name);
      const std::string whole = SaveTwice(file);
      std::filesystem::remove(file.path);
      row.make(file.path);
      NewLines();
      file.set(3);
      EXPECT_EQ(file.load(), 1);
      const std::vector<std::string> lines = NewLines();
      EXPECT_NE(std::find(lines.begin(), lines.end(), file.path + row.line + "; read from " + bak), lines.end());

      file.set(4);
      ASSERT_TRUE(file.save());
      EXPECT_EQ(ReadWholeFile(bak), whole);
      file.set(3);
      EXPECT_EQ(file.load(), 4);
      std::filesystem::remove(file.path);
      std::filesystem::remove(bak);
    }
  }
}

// A card count in "Kr20Last.last" that is no count of cards is named; the ".BAK" gives the setups.
TEST_F(KeptFilesCutTest, ALastSetupCardCountOutsideOneToSixOrNoNumberIsLoggedAndTheBakRead) {
  SetUpSetupFiles();
  const KeptFile file = Files().front();
  const std::string bak = file.path + ".BAK";
  for (const bool withBak : {true, false}) {
    for (const auto& [count, reason] : std::vector<std::pair<std::string, std::string>>{
             {"0", "NumKr20Cards 0 is outside 1..6"},
             {"-1", "NumKr20Cards -1 is outside 1..6"},
             {"7", "NumKr20Cards 7 is outside 1..6"},
             {"2x", "NumKr20Cards is not a number"}}) {
      SCOPED_TRACE(count + (withBak ? " with .BAK" : " without .BAK"));
      const std::string whole = SaveTwice(file);
      if (!withBak) std::filesystem::remove(bak);
      std::string bad = ReadWholeFile(file.path);
      const auto at = bad.find("NumKr20Cards=2\r\n");
      ASSERT_NE(at, std::string::npos);
      bad.replace(at, 14, "NumKr20Cards=" + count);
      ASSERT_TRUE(WriteWholeFile(file.path, bad));
      NewLines();
      file.set(3);
      EXPECT_EQ(file.load(), withBak ? 1 : 3);
      const std::string damaged = file.path + " is damaged (" + reason + "); ";
      // Without a list each card comes up from its own state file.
      const std::vector<std::string> expected =
          withBak ? std::vector<std::string>{damaged + "read from " + bak}
                  : std::vector<std::string>{damaged + bak + " is missing, nothing read",
                                             file.path + " cannot be read; " + HwCfg("Kr20LastState.last0") + " used",
                                             file.path + " cannot be read; " + HwCfg("Kr20LastState.last1") + " used"};
      EXPECT_EQ(NewLines(), expected);
      if (withBak) {
        ASSERT_TRUE(file.save());
        EXPECT_EQ(ReadWholeFile(bak), whole);
      }
      std::filesystem::remove(file.path);
      std::filesystem::remove(bak);
    }
  }
}

}  // namespace
