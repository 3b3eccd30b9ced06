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
  int count = 2;
  bool simulated = false;
  bool loading = false;
  bool modulator = false;
  int routeMode = 0;
  int CardCount() const override { return count; }
  bool IsCardOpen(int card) const override { return card == 0; }
  bool IsSimulatedCardTypeConfigured(int) const override { return simulated; }
  bool IsFpgaLoading(int) const override { return loading; }
  bool IsModulatorOutputOn(int) const override { return modulator; }
  int RouteMode(int) const override { return routeMode; }
};

TEST(CardStatusText, EachCaseWithItsColourAndTheLaterWins) {
  FakeCards cards;
  SetCardStateView(&cards);
  std::string text = "stale";
  util::TColor colour = 7;
  GetCardStatusText(0, text, colour);
  EXPECT_EQ(text, "");
  EXPECT_EQ(colour, 0u);

  cards.simulated = true;
  GetCardStatusText(1, text, colour);
  EXPECT_EQ(text, "Notice:: HW Simulated ");
  EXPECT_EQ(colour, 0x00FFFFu);

  cards.loading = true;
  GetCardStatusText(1, text, colour);
  EXPECT_EQ(text, "Alert::  FPGA LOADING");
  EXPECT_EQ(colour, 0x0000FFu);

  cards.modulator = true;
  cards.routeMode = 1;  // the modulator of a card in route mode 1 raises nothing
  GetCardStatusText(1, text, colour);
  EXPECT_EQ(text, "Alert::  FPGA LOADING");
  cards.routeMode = 2;
  GetCardStatusText(1, text, colour);
  EXPECT_EQ(text, "Alert:: Modulator Active");
  EXPECT_EQ(colour, 0x0000FFu);

  GetCardStatusText(2, text, colour);  // no such card
  EXPECT_EQ(text, "");
  GetCardStatusText(-1, text, colour);
  EXPECT_EQ(text, "");
  SetCardStateView(nullptr);
  GetCardStatusText(0, text, colour);
  EXPECT_EQ(text, "");
}

TEST(ArchiveFolders, OneNewFolderPerStartEvenWithinOneSecond) {
  testsupport::LoggedProgramFolder folder;
  std::tm when{};
  when.tm_year = 2026 - 1900;
  when.tm_mon = 11;
  when.tm_mday = 6;
  when.tm_hour = 21;
  when.tm_min = 5;
  when.tm_sec = 9;
  when.tm_isdst = -1;
  const std::time_t t = std::mktime(&when);
  ASSERT_TRUE(CreateArchiveDirAt(t));
  const std::string first = CurrentArchiveDir();
  EXPECT_EQ(first, folder / "USER/ARCHIVEDATA/2026_12_06_21_05_09");
  ASSERT_TRUE(CreateArchiveDirAt(t));
  EXPECT_EQ(CurrentArchiveDir(), first + "_2");
  EXPECT_TRUE(std::filesystem::is_directory(first));
  EXPECT_TRUE(std::filesystem::is_directory(first + "_2"));
  EXPECT_EQ(GetFlightDataFileName(0), first + "_2/FltData.Kr20_1");
  EXPECT_EQ(GetFlightDataFileName(5), first + "_2/FltData.Kr20_6");
}

TEST(ArchiveFolders, FailureShowsAnErrorBox) {
  testsupport::ScopedScriptedDialogs dialogs;
  testsupport::LoggedProgramFolder folder;
  // A file where the USER folder should be: nothing can be made below it.
  ASSERT_TRUE(testsupport::WriteWholeFile(folder / "USER", "not a folder"));
  EXPECT_FALSE(CreateArchiveDir());
  ASSERT_EQ(dialogs->Messages().size(), 1u);
  EXPECT_EQ(dialogs->Messages()[0].title, "ERROR");
  EXPECT_EQ(dialogs->Messages()[0].text.rfind("Cannot create the archive folder under ", 0), 0u);
  EXPECT_EQ(folder.LogTexts().back(), dialogs->Messages()[0].text);
}

TEST(DebugModes, MarkerFilesSwitchTheModes) {
  testsupport::LoggedProgramFolder folder;
  CheckDebugModes();
  EXPECT_EQ(gApp.FactoryMode + gApp.DebugMode + gApp.DeveloperMode, 0);
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
