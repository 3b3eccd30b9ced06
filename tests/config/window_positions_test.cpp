#include "config/window_positions.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "config/globals.h"
#include "support/log_capture.h"
#include "util/process_globals.h"

namespace config {
namespace {

class WindowPositions : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(folder / "SYSTEM/HARDWARECONFIGURATION");
    util::SetScreenSize({1920, 1080});
  }
  void TearDown() override { util::SetScreenSize({}); }
  testsupport::LoggedProgramFolder folder;
};

TEST_F(WindowPositions, SaveThenLoadGivesTheSameRecords) {
  SetDefaultWindowPositions();
  gApp.MainWindowPlacement = {5, 6, 700, 300, 1};
  gApp.Placement(3, CardWindowKind::TestModulator) = {100, 200, 640, 480, 1};
  const auto saved = gApp.CardWindowPlacement;
  const auto savedMain = gApp.MainWindowPlacement;
  ASSERT_TRUE(SaveGlobalPositionInfo());
  gApp.MainWindowPlacement = {};
  for (auto& card : gApp.CardWindowPlacement) card.fill({1, 1, 60, 60, 1});
  LoadGlobalPositionInfo();
  EXPECT_EQ(gApp.MainWindowPlacement, savedMain);
  EXPECT_TRUE(gApp.CardWindowPlacement == saved);

  const std::string text = testsupport::ReadWholeFile(PositionFilePath());
  EXPECT_EQ(text.substr(0, 65), "[MainWindow]\r\nLeft=5\r\nTop=6\r\nWidth=700\r\nHeight=300\r\nVisible=YES\r\n");
  EXPECT_NE(text.find("[TestModulator_3]\r\nLeft=100\r\nTop=200\r\nWidth=640\r\nHeight=480\r\nPlaced=NO\r\n"
                      "Visible=YES\r\n"),
            std::string::npos);
}

// "Placed" tells a place the window had from the default; a file without it had every window placed.
TEST_F(WindowPositions, PlacedTellsAWindowsOwnPlaceFromTheDefault) {
  SetDefaultWindowPositions();
  EXPECT_EQ(gApp.Placed(2, CardWindowKind::CardBert), 0);
  gApp.Placed(2, CardWindowKind::CardBert) = 1;
  ASSERT_TRUE(SaveGlobalPositionInfo());
  const std::string text = testsupport::ReadWholeFile(PositionFilePath());
  EXPECT_NE(text.find("[CardBert_2]\r\nLeft=100\r\nTop=120\r\nWidth=826\r\nHeight=380\r\nPlaced=YES\r\nVisible=NO\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("[CardBert_1]\r\nLeft=70\r\nTop=90\r\nWidth=826\r\nHeight=380\r\nPlaced=NO\r\nVisible=NO\r\n"),
            std::string::npos);
  SetDefaultWindowPositions();
  LoadGlobalPositionInfo();
  EXPECT_EQ(gApp.Placed(2, CardWindowKind::CardBert), 1);
  EXPECT_EQ(gApp.Placed(1, CardWindowKind::CardBert), 0);
  // A section of an older file, without the key, holds a place.
  ASSERT_TRUE(testsupport::WriteWholeFile(PositionFilePath(), "[MainWindow]\r\nLeft=0\r\nTop=0\r\nWidth=400\r\n"
                                                              "Height=100\r\n[CardBert_1]\r\nLeft=30\r\nTop=40\r\n"));
  SetDefaultWindowPositions();
  LoadGlobalPositionInfo();
  EXPECT_EQ(gApp.Placed(1, CardWindowKind::CardBert), 1);
  EXPECT_EQ(gApp.Placed(0, CardWindowKind::CardBert), 0);
}

TEST_F(WindowPositions, RestoredWindowsStayOnTheScreen) {
  ASSERT_TRUE(testsupport::WriteWholeFile(
      PositionFilePath(),
      "[MainWindow]\r\nLeft=-500\r\nTop=5000\r\nWidth=400\r\nHeight=100\r\n"
      "[CardSetup_0]\r\nLeft=1800\r\nTop=20\r\nWidth=3000\r\nHeight=900\r\nVisible=YES\r\n"
      "[CardBert_1]\r\nLeft=30\r\nTop=40\r\nWidth=0\r\nHeight=junk\r\n"));
  SetDefaultWindowPositions();
  const auto bertDefault = gApp.Placement(1, CardWindowKind::CardBert);
  LoadGlobalPositionInfo();
  EXPECT_EQ(gApp.MainWindowPlacement, (WindowPlacementRecord{0, 980, 400, 100, 1}));
  EXPECT_EQ(gApp.Placement(0, CardWindowKind::CardSetup), (WindowPlacementRecord{0, 20, 1920, 900, 1}));
  // A useless size keeps the default size; the position is still taken.
  EXPECT_EQ(gApp.Placement(1, CardWindowKind::CardBert),
            (WindowPlacementRecord{30, 40, bertDefault.Width, bertDefault.Height, 0}));
  EXPECT_EQ(KeepOnScreen({10, 10, 100, 100, 0}, 0, 0), (WindowPlacementRecord{10, 10, 100, 100, 0}));  // size unknown
}

// A value the file holds that is not taken is said once, with the value used instead: a number
// not written in decimal, a side too small to find the window again, a visibility neither YES nor
// NO. A good value beside it is still taken.
TEST_F(WindowPositions, ValuesNotTakenAreReportedOnce) {
  ASSERT_TRUE(testsupport::WriteWholeFile(
      PositionFilePath(), "[MainWindow]\r\nLeft=0x10\r\nTop=7\r\nWidth=700\r\nHeight=-5\r\nVisible=MAYBE\r\n"
                          "[CardBert_1]\r\nLeft=30\r\nTop=40\r\nWidth=500\r\nHeight=300\r\nVisible=YES\r\n"));
  SetDefaultWindowPositions();
  const std::size_t before = folder.LogTexts().size();
  LoadGlobalPositionInfo();
  LoadGlobalPositionInfo();
  EXPECT_EQ(gApp.MainWindowPlacement, (WindowPlacementRecord{0, 7, 700, 200, 1}));
  EXPECT_EQ(gApp.Placement(1, CardWindowKind::CardBert), (WindowPlacementRecord{30, 40, 500, 300, 1}));
  const std::vector<std::string> texts = folder.LogTexts();
  EXPECT_EQ(std::vector<std::string>(texts.begin() + static_cast<std::ptrdiff_t>(before), texts.end()),
            (std::vector<std::string>{
                "Kr20Last.pos [MainWindow] Left=\"0x10\" is not a valid number; 0 used",
                "Kr20Last.pos [MainWindow] Height=\"-5\" is below 50; 200 used",
                "Kr20Last.pos [MainWindow] Visible=\"MAYBE\" is neither YES nor NO; YES used",
            }));
}

}  // namespace
}  // namespace config
