#include "config/general_routines.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "config/card_state_view.h"
#include "config/globals.h"
#include "support/log_capture.h"
#include "support/scripted_dialogs.h"

namespace config {
namespace {

struct FakeCards final : CardStateView {
  bool simulated = false, loading = false, modulator = false;
  int routeMode = 0;
  int CardCount() const override { return 2; }
  bool IsCardOpen(int card) const override { return card == 0; }
  bool IsSimulatedCardTypeConfigured(int) const override { return simulated; }
  bool IsFpgaLoading(int) const override { return loading; }
  bool IsModulatorOutputOn(int) const override { return modulator; }
  int RouteMode(int) const override { return routeMode; }
};

TEST(CardStatusText, EachCaseWithItsColourAndTheLaterWins) {
  FakeCards cards;
  SetCardStateView(&cards);
  struct Step {
    bool simulated, loading, modulator;
    int routeMode, card;
    std::string text;
    util::TColor colour;
  };
  const Step steps[] = {
      {false, false, false, 0, 0, "", 0},
      {true, false, false, 0, 1, "Notice:: HW Simulated ", 0x00FFFFu},
      {true, true, false, 0, 1, "Alert::  FPGA LOADING", 0x0000FFu},
      {true, true, true, 2, 1, "Alert:: Modulator Active", 0x0000FFu},
      {true, true, true, 2, 2, "", 0},  // no such card
  };
  for (const Step& step : steps) {
    cards.simulated = step.simulated;
    cards.loading = step.loading;
    cards.modulator = step.modulator;
    cards.routeMode = step.routeMode;
    std::string text = "stale";
    util::TColor colour = 7;
    GetCardStatusText(step.card, text, colour);
    EXPECT_EQ(text, step.text) << "card " << step.card;
    EXPECT_EQ(colour, step.colour) << step.text;
  }
  SetCardStateView(nullptr);
}

TEST(ArchiveFolders, OneNewFolderPerStartEvenWithinOneSecond) {
  testsupport::LoggedProgramFolder folder;
  std::tm when{9, 5, 21, 6, 11, 2026 - 1900, 0, 0, -1, 0, nullptr};  // 2026-12-06 21:05:09 local time
  const std::time_t t = std::mktime(&when);
  ASSERT_TRUE(CreateArchiveDirAt(t));
  const std::string first = CurrentArchiveDir();
  EXPECT_EQ(first, folder / "USER/ARCHIVEDATA/2026_12_06_21_05_09");
  ASSERT_TRUE(CreateArchiveDirAt(t));
  EXPECT_EQ(CurrentArchiveDir(), first + "_2");
  EXPECT_TRUE(std::filesystem::is_directory(first) && std::filesystem::is_directory(first + "_2"));
  EXPECT_EQ(GetFlightDataFileName(5), first + "_2/FltData.Kr20_6");

  // A file where the USER folder should be: nothing can be made below it.
  testsupport::ScopedScriptedDialogs dialogs;
  std::filesystem::remove_all(folder / "USER");
  ASSERT_TRUE(testsupport::WriteWholeFile(folder / "USER", "not a folder"));
  EXPECT_FALSE(CreateArchiveDir());
  ASSERT_EQ(dialogs->Messages().size(), 1u);
  EXPECT_EQ(dialogs->Messages()[0].title, "ERROR");
  EXPECT_EQ(dialogs->Messages()[0].text.rfind("Cannot create the archive folder under ", 0), 0u);
  EXPECT_EQ(folder.LogTexts().back(), dialogs->Messages()[0].text);
}

TEST(DebugModes, MarkerFilesSwitchTheModes) {
  testsupport::LoggedProgramFolder folder;
  testsupport::WriteWholeFile(folder / "KR20FACTORYMODE.MRK", "");
  testsupport::WriteWholeFile(folder / kDeveloperModeMarker, "");
  CheckDebugModes();
  EXPECT_EQ(gApp.FactoryMode, 1);
  EXPECT_EQ(gApp.DebugMode, 0);
  EXPECT_EQ(gApp.DeveloperMode, 1);
  EXPECT_FALSE(DetectW10DeviceDlls());
}

}  // namespace
}  // namespace config
