// The card-level remote commands that change a whole card: operation mode, setup save and recall.
#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <string>

#include "card/card_routines.h"
#include "card/mode_routines.h"
#include "card/rtl20_manager.h"
#include "card/setup_routines.h"
#include "config/globals.h"
#include "remote_fixture.h"
#include "settings/set_manager.h"
#include "util/process_globals.h"

namespace remotetest {
namespace {

using RemoteSetupTest = RemoteTest;

std::string Text(const char (&field)[card::kSetupTextLen]) { return card::SetupText(field); }

TEST_F(RemoteSetupTest, OperationalModeLoadsThePersonalityOnlyWhenItMustAndCanChange) {
  missingImage_ = 3;  // the PM and PSK personality of operation mode 3
  StartRemote();
  ASSERT_EQ(card::CardFpgaMode(0), 0);
  struct Refusal {
    const char* name;
    double value;
    const char* message;
  };
  for (const Refusal& row : {Refusal{"10.0", 10.0, "Unsupported Operational Mode"},
                             Refusal{"below 0", -0.25, "Unsupported Operational Mode"},
                             Refusal{"NaN", std::numeric_limits<double>::quiet_NaN(), "Unsupported Operational Mode"},
                             Refusal{"no image for its personality", 3.0, "No FPGA Configuration File"}}) {
    SCOPED_TRACE(row.name);
    const Reply reply = Command(0, 0, 101, row.value);
    EXPECT_FALSE(reply.Success());
    EXPECT_EQ(reply.Message(), row.message);
    EXPECT_EQ(card::CardFpgaMode(0), 0);
  }
  EXPECT_EQ(LastRemoteLine(), Line(101, "SET OPERATIONAL MODE", "3.000000", "  FAILED No FPGA Configuration File"));

  // 2.99 is operation mode 2: PSK and PCM/FM, personality 1.
  ASSERT_TRUE(UseOperationalMode(0, 2.99, 1));
  const GroupStatus status = WaitGroupStatus([](const GroupStatus& s) { return s.Status(0).RouteInfo.ModeFunction == 1; });
  EXPECT_EQ(status.Status(0).RouteInfo.ModeFunction, 1u);
  EXPECT_EQ(status.Setup().RouteInfo.UserReceiverMode, 1);
  EXPECT_EQ(status.Setup().RouteInfo.FpgaMasterMode, 1);
  EXPECT_EQ(LastRemoteLine(), Line(101, "SET OPERATIONAL MODE", "2.990000", " Processed OK"));

  // The mode the card runs already, or any mode while a reconfiguration is pending: success, and
  // the card is not touched.
  const card::FpgaLoadState before = gRtl20Mgr->LoadState(0);
  EXPECT_TRUE(Command(0, 0, 101, 2.0).Success());
  config::gApp.ReconfigurationPending = true;
  EXPECT_TRUE(Command(0, 1, 101, 1.0).Success());
  config::gApp.ReconfigurationPending = false;
  const card::FpgaLoadState after = gRtl20Mgr->LoadState(0);
  EXPECT_EQ(std::int32_t{after.CurrentFpgaMode}, 1);
  EXPECT_EQ(std::int32_t{after.LastFpgaMode}, std::int32_t{before.LastFpgaMode});
  EXPECT_EQ(card::CardFpgaMode(0), 1);
}

// On the standard board the remote command runs the pre-D combining mode of the PSK+PSK image
// with its combiner flags, and refuses FM pre-D (its PSK+PCM/FM image has one FM receiver) and
// the post-D and multi-h modes it has no image for, as the card windows' menu leaves them out.
TEST_F(RemoteSetupTest, OperationalModeRunsTheStandardBoardsCombiningModes) {
  StartRemote();
  ASSERT_FALSE(gRtl20Mgr->ChipVariant(0));
  struct Mode {
    double value;
    int personality;
    const char* name;
  };
  for (const Mode& row : {Mode{5.0, 0, "PSK PRE-D COMBINER"}}) {
    SCOPED_TRACE(row.name);
    ASSERT_TRUE(UseOperationalMode(0, row.value, row.personality));
    const card::RouteInfoRecord route = gRtl20Mgr->Card(0)->Setup().RouteInfo;
    EXPECT_EQ(std::int32_t{route.RouteMode}, 1);
    EXPECT_EQ(int{route.PreDCombinerMode}, 1);
    EXPECT_EQ(int{route.PostDCombinerMode}, 0);
    EXPECT_EQ(card::GetCombiningModeName(route).Name, row.name);
    EXPECT_TRUE(card::CardHasPreDCombiner(0));
  }
  for (double refused : {4.0, 6.0, 7.0, 8.0, 9.0}) {
    const Reply reply = Command(0, 0, 101, refused);
    EXPECT_FALSE(reply.Success()) << refused;
    EXPECT_EQ(reply.Message(), "No FPGA Configuration File") << refused;
  }
  EXPECT_EQ(card::CardFpgaMode(0), 0);
}

TEST_F(RemoteSetupTest, SaveWritesTheDefaultFileAndRecallLoadsANamedOne) {
  StartRemote();
  const std::string folder = util::ProgramFolder() + "/USER/SETUPFILES/";
  ASSERT_TRUE(gKr20SetMgr->SetupFileNames[0].empty());

  // A card without a setup file saves to the default one.
  ASSERT_TRUE(Command(0, 0, 452, 0.0, "RATE_ONE_THIRD").Success());
  ASSERT_TRUE(Command(0, 0, 102, 0.0).Success());
  EXPECT_EQ(LastRemoteLine(), Line(102, "SAVE SETUP", "0.000000", " Processed OK"));
  EXPECT_EQ(gKr20SetMgr->SetupFileNames[0], folder + "A_DEFAULT.VexA");
  const std::string saved = testsupport::ReadWholeFile(folder + "A_DEFAULT.VexA");
  EXPECT_NE(saved.find("RATE_ONE_THIRD"), std::string::npos);
  EXPECT_NE(testsupport::ReadWholeFile(folder_ / "SYSTEM/HARDWARECONFIGURATION/Kr20Last.last").find(folder + "A_DEFAULT.VexA"),
            std::string::npos);

  // A copy under another name, then the card changed, then the copy recalled by its base name in
  // other letters: the current setup goes to the old file first.
  ASSERT_TRUE(testsupport::WriteWholeFile(folder + "MySetup.VexA", saved));
  ASSERT_TRUE(Command(0, 0, 452, 2.0).Success());
  const Reply recalled = Command(0, 0, 103, 0.0, "mysetup");
  EXPECT_TRUE(recalled.Success()) << recalled.Message();
  EXPECT_EQ(LastRemoteLine(), Line(103, "RECALL SETUP", "0.000000", " Processed OK"));
  EXPECT_EQ(gKr20SetMgr->SetupFileNames[0], folder + "MYSETUP.VexA");
  const GroupStatus status = WaitGroupStatus(
      [](const GroupStatus& s) { return Text(s.Setup().Receiver[0].BitSync[0].ViterbiRateMode) == "RATE_ONE_THIRD"; });
  EXPECT_EQ(Text(status.Setup().Receiver[0].BitSync[0].ViterbiRateMode), "RATE_ONE_THIRD");
  EXPECT_NE(testsupport::ReadWholeFile(folder + "A_DEFAULT.VexA").find("RATE_THREE_FOURTHS"), std::string::npos);

  // Names that are no base name of the setup folder, and files that do not exist.
  struct Row {
    const char* name;
    std::string text;
    const char* message;
  };
  const Row refused[] = {
      {"missing file", "NOSUCH", ""},
      {"empty name", "", ""},
      {"200 characters, no such file", std::string(200, 'A'), ""},
      {"201 characters", std::string(201, 'A'), "Invalid Setup Name"},
      {"parent folder", "../USER/SETUPFILES/MYSETUP", "Invalid Setup Name"},
      {"two dots", "MY..SETUP", "Invalid Setup Name"},
      {"separator", "SETUPFILES/MYSETUP", "Invalid Setup Name"},
      {"backslash", "SETUPFILES\\MYSETUP", "Invalid Setup Name"},
      {"control character", "MY\nSETUP", "Invalid Setup Name"},
  };
  for (const Row& row : refused) {
    SCOPED_TRACE(row.name);
    const Reply reply = Command(0, 0, 103, 0.0, row.text);
    ASSERT_TRUE(reply.Received());
    EXPECT_FALSE(reply.Success());
    EXPECT_EQ(reply.Message(), row.message);
    EXPECT_EQ(LastRemoteLine(), Line(103, "RECALL SETUP", "0.000000", std::string("  FAILED ") + row.message));
    EXPECT_EQ(gKr20SetMgr->SetupFileNames[0], folder + "MYSETUP.VexA");
  }
  const Reply project = Command(0, 0, 104, 0.0);
  EXPECT_FALSE(project.Success());
  EXPECT_EQ(project.Message(), "");
}

// RECALL SETUP of a file that exists but holds no setup: the current setup is saved to the old
// file first; the card keeps its setup, its mode and the name of the file that setup came from,
// and the request fails with an empty message.
TEST_F(RemoteSetupTest, RecallOfAFileThatHoldsNoSetupFailsAfterSavingTheCurrentSetup) {
  StartRemote();
  const std::string folder = util::ProgramFolder() + "/USER/SETUPFILES/";
  ASSERT_TRUE(Command(0, 0, 452, 0.0, "RATE_ONE_THIRD").Success());
  ASSERT_TRUE(Command(0, 0, 102, 0.0).Success());
  ASSERT_EQ(gKr20SetMgr->SetupFileNames[0], folder + "A_DEFAULT.VexA");
  ASSERT_TRUE(Command(0, 0, 452, 2.0).Success());
  ASSERT_EQ(testsupport::ReadWholeFile(folder + "A_DEFAULT.VexA").find("RATE_THREE_FOURTHS"), std::string::npos);
  const int mode = card::CardFpgaMode(0);
  ASSERT_TRUE(testsupport::WriteWholeFile(folder + "BROKEN.VexA", "[Window]\r\nLeft=10\r\n"));

  const Reply reply = Command(0, 0, 103, 0.0, "broken");
  ASSERT_TRUE(reply.Received());
  EXPECT_FALSE(reply.Success());
  EXPECT_EQ(reply.Message(), "");
  EXPECT_EQ(LastRemoteLine(), Line(103, "RECALL SETUP", "0.000000", "  FAILED "));
  EXPECT_EQ(gKr20SetMgr->SetupFileNames[0], folder + "A_DEFAULT.VexA");
  EXPECT_NE(testsupport::ReadWholeFile(folder + "A_DEFAULT.VexA").find("RATE_THREE_FOURTHS"), std::string::npos);
  EXPECT_EQ(Text(gRtl20Mgr->Card(0)->Setup().Receiver[0].BitSync[0].ViterbiRateMode), "RATE_THREE_FOURTHS");
  EXPECT_EQ(card::CardFpgaMode(0), mode);
  EXPECT_EQ(testsupport::ReadWholeFile(folder + "BROKEN.VexA"), "[Window]\r\nLeft=10\r\n");
}

}  // namespace
}  // namespace remotetest
