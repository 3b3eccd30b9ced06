// The start-up as the error log tells it, line by line with the number and time columns (and
// what differs between machines) masked, for no cards, one, six and simulated ones.
#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "card/rtl20_manager.h"
#include "main_form_fixture.h"
#include "support/permission_bits.h"
#include "support/scripted_dialogs.h"

namespace uitest {
namespace {

using Lines = std::vector<std::string>;

Lines Masked(Lines texts, const std::string& folder) {
  for (std::string& text : texts) {
    if (text.rfind("PC INFO - ", 0) == 0) text = "PC INFO - *";
    for (std::size_t at = text.find(folder); at != std::string::npos; at = text.find(folder)) {
      text.replace(at, folder.size(), "<program>");
    }
  }
  return texts;
}

Lines Join(std::initializer_list<Lines> parts) {
  Lines all;
  for (const Lines& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// "Card n <text>" for cards 1 .. count.
Lines PerCard(int count, const std::string& text) {
  Lines lines;
  for (int card = 1; card <= count; ++card) lines.push_back("Card " + std::to_string(card) + " " + text);
  return lines;
}

const std::string kHwCfgMissing =
    "<program>/SYSTEM/HARDWARECONFIGURATION/Kr20HwCfg.cfg not found, hardware configuration defaults used";
const std::string kMarker = "Kr20 simulated YES by its marker Kr20_Dll.SIM";

const Lines kBanner = {
    "------------------PROGRAM START--------------------", "Program Version 2.01", "PC INFO - *", "PC INFO - *",
    "PC INFO - *", "PC INFO - *", "PC INFO - *", "PC INFO - *", "Startup - DoWsaStartUp()",
    "Startup - AssignUserTools()", "Startup - LoadGlobalPositionInfo()", "Startup - Get Options Mgr",
    "Options file not found: <program>/SYSTEM/OPTIONS/Kr20Options.opt", "Startup - AssignStatusPanelArray",
    "Startup - Get gHwCfgMgr", "Startup - LoadConfigFile()", kHwCfgMissing,
};
const Lines kManagers = {"Startup - Get gDnCvtMgr", "Startup - Get gRtl20Mgr", "Startup - Get gNetMgr", "Startup - Get gKr20SetMgr",
                         "Startup - CreateMenus()", "Startup 1 - LoadConfigFile() for simulated"};
const Lines kLibrary = {
    "Startup - gRtl20Mgr->DoAfterHwCfgMgrLoaded()",
    "FPGA configuration file <program>/SYSTEM/HARDWARECONFIGURATION/Kr20FpgaCfg.cfg not found, defaults kept",
    "Device library <program>/librtZp903x.so loaded: 408 of 408 entry points",
};
const Lines kConverters = {
    "Device library <program>/libKr12V2_Dll.so loaded: 20 of 20 entry points",
    "Device library <program>/libKr14P3_Dll.so loaded: 20 of 20 entry points",
};
const Lines kComplete = {"---------------START UP COMPLETE------------------"};

// Virtual cards: each found with the four standard images, opened, and given its first
// personality (none was running, the setup named none).
Lines VirtualCardsStartUp(int cards) {
  return Join({kBanner, kManagers, kLibrary, PerCard(cards, "standard, FPGA images 4, function mask 0x002F"),
               {"Startup 2 - LoadConfigFile()", kHwCfgMissing, "Startup - Init Complete"}, PerCard(cards, "opened"),
               {"Receiver cards opened: " + std::to_string(cards)}, kConverters,
               PerCard(cards, "FPGA 1 image <program>/SYSTEM/HARDWARECONFIGURATION/KR20_BIN/Kr20_Mode00.VantMcs loaded"),
               kComplete});
}

class StartUpTest : public MainFormTest, public ::testing::WithParamInterface<int> {
 protected:
  Lines StartUpLog() { return Masked(LogTexts(), folder_.Path()); }
};

TEST_P(StartUpTest, VirtualCards) {
  const int cards = GetParam();
  PrepareProgramFolder(cards);
  StartProgram();
  EXPECT_EQ(StartUpLog(), VirtualCardsStartUp(cards));
  EXPECT_EQ(gRtl20Mgr->CardCount(), cards);
}

INSTANTIATE_TEST_SUITE_P(NoneOneSix, StartUpTest, ::testing::Values(0, 1, 6));

// Demo mode: the hardware configuration is read three times, the marker each time, and the
// simulated cards need no image.
TEST_F(StartUpTest, DemoMode) {
  PrepareProgramFolder(2, true);
  StartProgram();
  EXPECT_EQ(StartUpLog(), Join({kBanner, {kMarker}, kManagers, {kMarker, kHwCfgMissing, kMarker}, kLibrary,
                                {"Startup 2 - LoadConfigFile()", kHwCfgMissing, kMarker, "Startup - Init Complete",
                                 "Receiver cards opened: 2 (simulated)"},
                                kConverters, kComplete}));
  EXPECT_EQ(gRtl20Mgr->CardCount(), 2);
}

// Every folder and file under `root` read-only, or writable again (links are left as they are).
void SetTreeWritable(const std::string& root, bool writable) {
  namespace fs = std::filesystem;
  const fs::perms folder = writable ? fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec
                                    : fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read | fs::perms::group_exec;
  const fs::perms file = writable ? fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read
                                  : fs::perms::owner_read | fs::perms::group_read;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_symlink()) continue;
    fs::permissions(entry.path(), entry.is_directory() ? folder : file);
  }
  fs::permissions(root, folder);
}

// A program folder that cannot be written: the program comes up and runs all the same, and the
// operator is told once, in a box naming the folder, that nothing will be kept.
TEST_F(StartUpTest, AReadOnlyProgramFolderIsToldOnceInABoxAndTheProgramRunsOn) {
  PrepareProgramFolder(1);
  testsupport::ScopedScriptedDialogs dialogs;
  SetTreeWritable(folder_.Path(), false);
  // The instance locks live outside the program folder when the program runs.
  std::filesystem::permissions(folder_ / "locks", std::filesystem::perms::owner_all);
  {
    testsupport::PermissionBitsApply readOnly;
    StartProgram();
    for (int pass = 0; pass < 10; ++pass) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  SetTreeWritable(folder_.Path(), true);
  ASSERT_EQ(dialogs->Messages().size(), 1u);
  EXPECT_EQ(dialogs->Messages()[0].title, "WARNING");
  EXPECT_EQ(dialogs->Messages()[0].text, "The program folder " + folder_.Path() +
                                             " cannot be written (Permission denied): no setting, state or log will be kept.");
  EXPECT_TRUE(form_->StartupComplete());
  EXPECT_EQ(gRtl20Mgr->CardCount(), 1);
  EXPECT_FALSE(std::filesystem::exists(LogPath()));
}

}  // namespace
}  // namespace uitest
