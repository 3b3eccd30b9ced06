// Files read once per card or at several start-up steps report what is wrong with them once per
// start; the threshold file takes lone-CR line ends; an FPGA image name held by something other
// than a regular file is named in the log.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "card/fake_zp90.h"
#include "card/hwcfg_manager.h"
#include "card/kr20card.h"
#include "card/mod_index_lock_table.h"
#include "card/rtl20_manager.h"
#include "card_test_support.h"
#include "support/log_capture.h"

namespace card {
namespace {

long CountOf(const testsupport::LoggedProgramFolder& program, const std::string& text) {
  const std::vector<std::string> texts = program.LogTexts();
  return std::count(texts.begin(), texts.end(), text);
}

TEST(RepeatedReports, TheThresholdFileTakesEveryLineEndAndEachCardSharesOneReport) {
  for (const std::string lineEnd : {"\r", "\r\n", "\n"}) {
    SCOPED_TRACE(lineEnd == "\r" ? "CR" : lineEnd == "\n" ? "LF" : "CR LF");
    testsupport::LoggedProgramFolder program;
    ASSERT_TRUE(testsupport::WriteWholeFile(program / "modIndLockThreshold.cfg",
                                            "# index thresholds" + lineEnd + "1 0.42 4242" + lineEnd + "0 0.5 0x100" +
                                                lineEnd + "bad line" + lineEnd));
    testing::FakeZp90 fake;
    std::vector<std::unique_ptr<kr20cardclass>> cards;
    for (int card = 0; card < 6; ++card) cards.push_back(std::make_unique<kr20cardclass>(card, fake.table, false));
    const kr20cardclass& last = *cards.back();
    EXPECT_TRUE(last.ModIndexLockThresholdsFromFile());
    ASSERT_EQ(last.ModIndexLockThresholds()[0].size(), 1u);
    EXPECT_EQ(last.ModIndexLockThresholds()[0][0].Threshold, 0x100u);
    ASSERT_EQ(last.ModIndexLockThresholds()[1].size(), 1u);
    EXPECT_EQ(last.ModIndexLockThresholds()[1][0].Threshold, 4242u);
    EXPECT_EQ(CountOf(program, "modIndLockThreshold.cfg line 4: three fields expected, line skipped"), 1);
  }
}

TEST(RepeatedReports, TheHardwareConfigurationReportsABadNumberOncePerStart) {
  testsupport::LoggedProgramFolder program;
  quorxhwcfgmgrclass mgr;
  ASSERT_TRUE(mgr.SaveConfigFile());
  std::string text = testsupport::ReadWholeFile(program / "SYSTEM/HARDWARECONFIGURATION/Kr20HwCfg.cfg");
  const auto at = text.find("NumToSimulate=1");
  ASSERT_NE(at, std::string::npos);
  text.replace(at, 15, "NumToSimulate=9");
  const auto index = text.find("[CardSet_2]\r\nCardIndex=2");
  ASSERT_NE(index, std::string::npos);
  text.replace(index, 24, "[CardSet_2]\r\nCardIndex=x");
  ASSERT_TRUE(testsupport::WriteWholeFile(program / "SYSTEM/HARDWARECONFIGURATION/Kr20HwCfg.cfg", text));
  // Start-up reads the file up to three times.
  for (int read = 0; read < 3; ++read) mgr.LoadConfigFile();
  mgr.LoadConfigFileSimulatedOnly();
  EXPECT_EQ(CountOf(program, "Kr20HwCfg.cfg [Kr20] NumToSimulate=9 out of range, default kept"), 1);
  EXPECT_EQ(CountOf(program, "Kr20HwCfg.cfg [CardSet_2] CardIndex=\"x\" is not a valid number; 2 used"), 1);
}

// A file with more bad values than a report writes, read at every start-up step: its first lines
// and one count of the rest, once; later reads add nothing.
TEST(RepeatedReports, ManyBadNumbersInTheHardwareConfigurationAreReportedOnceWithACount) {
  testsupport::LoggedProgramFolder program;
  quorxhwcfgmgrclass mgr;
  ASSERT_TRUE(mgr.SaveConfigFile());
  const std::string path = program / "SYSTEM/HARDWARECONFIGURATION/Kr20HwCfg.cfg";
  std::string text = testsupport::ReadWholeFile(path);
  // Every card set's index and converter count no number, Kr20's simulated count out of range.
  for (const std::string key : {"CardIndex=", "NumDnCvts="}) {
    for (std::size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + 1)) {
      text.replace(at + key.size(), text.find("\r\n", at) - at - key.size(), "x");
    }
  }
  const auto simulated = text.find("NumToSimulate=1");
  ASSERT_NE(simulated, std::string::npos);
  text.replace(simulated, 15, "NumToSimulate=9");
  ASSERT_TRUE(testsupport::WriteWholeFile(path, text));
  // Start-up's reads, in its order.
  mgr.LoadConfigFile();
  mgr.LoadConfigFileSimulatedOnly();
  mgr.LoadConfigFile();
  mgr.LoadConfigFile();
  std::vector<std::string> reported;
  for (const std::string& line : program.LogTexts()) {
    if (line.rfind("Kr20HwCfg.cfg", 0) == 0) reported.push_back(line);
  }
  EXPECT_EQ(reported, (std::vector<std::string>{
                          "Kr20HwCfg.cfg [Kr20] NumToSimulate=9 out of range, default kept",
                          "Kr20HwCfg.cfg [CardSet_0] CardIndex=\"x\" is not a valid number; 0 used",
                          "Kr20HwCfg.cfg [CardSet_0] NumDnCvts=\"x\" is not a valid number; 2 used",
                          "Kr20HwCfg.cfg [CardSet_1] CardIndex=\"x\" is not a valid number; 1 used",
                          "Kr20HwCfg.cfg [CardSet_1] NumDnCvts=\"x\" is not a valid number; 2 used",
                          "Kr20HwCfg.cfg: 8 more values not taken as read",
                      }));
}

TEST(RepeatedReports, AnImageNameHeldByAFifoAFolderOrADeviceIsNamed) {
  testsupport::LoggedProgramFolder program;
  const std::string images = program / "SYSTEM/HARDWARECONFIGURATION/KR20_BIN";
  std::filesystem::create_directories(images);
  ASSERT_EQ(::mkfifo((images + "/Fifo.VantMcs").c_str(), 0600), 0);
  std::filesystem::create_directory(images + "/Folder.VantMcs");
  ASSERT_EQ(::symlink("/dev/null", (images + "/Device.VantMcs").c_str()), 0);
  ASSERT_EQ(::symlink("gone.VantMcs", (images + "/Dangling.VantMcs").c_str()), 0);
  ASSERT_TRUE(testsupport::WriteWholeFile(images + "/Notes.txt", "not an image, not named"));
  // No device library in the program folder: the images are scanned all the same.
  quorxrtl20mgrclass manager(program.Path());
  manager.DoAfterHwCfgMgrLoaded();
  std::vector<std::string> named;
  for (const std::string& text : program.LogTexts()) {
    if (text.rfind("FPGA image ", 0) == 0) named.push_back(text);
  }
  std::sort(named.begin(), named.end());
  const std::string ignored = " ignored: not a regular file";
  EXPECT_EQ(named, (std::vector<std::string>{"FPGA image " + images + "/Dangling.VantMcs" + ignored,
                                             "FPGA image " + images + "/Device.VantMcs" + ignored,
                                             "FPGA image " + images + "/Fifo.VantMcs" + ignored,
                                             "FPGA image " + images + "/Folder.VantMcs" + ignored}));
}

}  // namespace
}  // namespace card
