// The simulator's configuration file: the value forms it takes, the values and lines it does not
// take (each reported), and files it refuses to read.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <future>
#include <string>
#include <vector>

#include "devicesim/sim_config.h"
#include "sim_library.h"

namespace quorxsim {
namespace {

TEST(SimConfig, ReadsEverySectionCaseInsensitivelyWithCommentsAndCrLf) {
  std::vector<std::string> notes;
  const SimConfig config = ParseSimConfig(
      "; virtual hardware\r\n"
      "[general]\r\nCARDS=3\r\nSeed=18446744073709551615\r\nChipVariant=YES ; every card\r\n"
      "[Card_1]\r\nchipvariant=NO\r\nFpgaMode=2\r\n"
      "IfInput1 = 70.25e6, -55.5, fm, 2.5e6, 9.5, biol\r\nIfInput1Pattern=pn11\r\nIfInput1Viterbi=YES\r\n"
      "[Card_2]\r\nIfInput2=69e6, -60, SQPSK, 4e6, 7, RNRZ-15\r\n"
      "[DownConverters]\r\nKr12Cards=2\r\n",
      notes);
  EXPECT_TRUE(notes.empty()) << notes.front();
  EXPECT_EQ(config.cards, 3);
  EXPECT_EQ(config.seed, 18446744073709551615ull);
  EXPECT_TRUE(config.card[0].chipVariant);
  EXPECT_FALSE(config.card[1].chipVariant);
  EXPECT_EQ(config.card[1].fpgaMode, 2);
  const SignalConfig& fm = config.card[1].input[0];
  EXPECT_EQ(fm.family, Family::Fm);
  EXPECT_EQ(fm.carrierHz, 70.25e6);
  EXPECT_EQ(fm.ebNoDb, 9.5);
  EXPECT_EQ(fm.code, "BIOL");
  EXPECT_EQ(fm.pattern, "pn11");
  EXPECT_TRUE(fm.convolutional);
  const SignalConfig& psk = config.card[2].input[1];
  EXPECT_EQ(psk.modulation, "SQPSK");
  EXPECT_EQ(psk.code, "NRZL");
  EXPECT_TRUE(psk.randomized);
  EXPECT_EQ(config.dncvt.kr12Cards, 2);
}

// Each value that is not taken keeps its default, and one report line names the file, section,
// key, the value as written and the value used.
TEST(SimConfig, EveryValueNotTakenKeepsItsDefaultAndIsReported) {
  struct Row {
    const char* name;
    std::string text;
    std::vector<std::string> notes;
    std::function<bool(const SimConfig&)> kept;
  };
  const std::string file = "VirtualHardware.cfg ";
  static const char kBinary[] = "\x7F" "ELF\x02\x01\x01\x00\x00\n\xFE\xFF\n=\x01\n\x90\n\x00\n";
  const Row rows[] = {
      {"NaN", "[General]\nCards=NaN\n", {file + "[General] Cards: \"NaN\" not taken, 2 used"},
       [](const SimConfig& c) { return c.cards == 2; }},
      {"infinity", "[DownConverters]\nRfCarrierMhz=inf\n",
       {file + "[DownConverters] RfCarrierMhz: \"inf\" not taken, 2250.5 used"},
       [](const SimConfig& c) { return c.dncvt.rfCarrierMhz == 2250.5; }},
      {"1e999", "[DownConverters]\nRfPowerDbm=1e999\n",
       {file + "[DownConverters] RfPowerDbm: \"1e999\" not taken, -60 used"},
       [](const SimConfig& c) { return c.dncvt.rfPowerDbm == -60.0; }},
      {"2147483648", "[Card_0]\nFpgaMode=2147483648\n", {file + "[Card_0] FpgaMode: \"2147483648\" not taken, -1 used"},
       [](const SimConfig& c) { return c.card[0].fpgaMode == -1; }},
      {"outside the range", "[DownConverters]\nKr12Channels=5\n",
       {file + "[DownConverters] Kr12Channels: \"5\" not taken, 2 used"},
       [](const SimConfig& c) { return c.dncvt.kr12Channels == 2; }},
      {"negative seed", "[General]\nSeed=-1\n", {file + "[General] Seed: \"-1\" not taken, 1 used"},
       [](const SimConfig& c) { return c.seed == 1; }},
      {"yes or no", "[Card_1]\nChipVariant=maybe\n", {file + "[Card_1] ChipVariant: \"maybe\" not taken, NO used"},
       [](const SimConfig& c) { return !c.card[1].chipVariant; }},
      {"signal", "[Card_0]\nIfInput1=70e6, -40, QAM, 1e6\n",
       {file + "[Card_0] IfInput1: \"70e6, -40, QAM, 1e6\" not taken, 70000000, -40, PSK, 5000000, 14, NRZL used"},
       [](const SimConfig& c) { return c.card[0].input[0].bitRate == 5e6 && c.card[0].input[0].family == Family::Psk; }},
      {"pattern", "[Card_0]\nIfInput2Pattern=pn99\n", {file + "[Card_0] IfInput2Pattern: \"pn99\" not taken, pn15 used"},
       [](const SimConfig& c) { return c.card[0].input[1].pattern == "pn15"; }},
      {"binary", std::string(kBinary, sizeof kBinary - 1),
       {"VirtualHardware.cfg line 1 not understood: \"\\x7FELF\\x02\\x01\\x01\\x00\\x00\"",
        "VirtualHardware.cfg line 2 not understood: \"\\xFE\\xFF\"",
        "VirtualHardware.cfg line 3 not understood: \"=\\x01\"", "VirtualHardware.cfg: 2 more lines not understood"},
       [](const SimConfig& c) { return c.cards == 2 && c.seed == 1; }},
      {"lone CR line ends", "[General]\rCards=3\rSeed=9\r\r[DownConverters]\rKr14Cards=0\r", {},
       [](const SimConfig& c) { return c.cards == 3 && c.seed == 9 && c.dncvt.kr14Cards == 0; }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::vector<std::string> notes;
    const SimConfig config = ParseSimConfig(row.text, notes);
    EXPECT_EQ(notes, row.notes);
    EXPECT_TRUE(row.kept(config));
  }
}

// Keys and sections that no value is read from, and keys given twice, are reported with their
// line; the first value of a key holds.
TEST(SimConfig, UnknownAndRepeatedKeysAndSectionsAreReported) {
  struct Row {
    const char* name;
    std::string text;
    std::vector<std::string> notes;
    std::function<bool(const SimConfig&)> kept;
  };
  const Row rows[] = {
      {"unknown key", "[General]\nCards=3\nBogusKey=7\n", {"VirtualHardware.cfg line 3: [General] BogusKey: unknown key, ignored"},
       [](const SimConfig& c) { return c.cards == 3; }},
      {"a key of another section", "[Card_0]\nFpgaMode=2\nKr12Cards=0\nIfInput3=NONE\n",
       {"VirtualHardware.cfg line 3: [Card_0] Kr12Cards: unknown key, ignored",
        "VirtualHardware.cfg line 4: [Card_0] IfInput3: unknown key, ignored"},
       [](const SimConfig& c) { return c.card[0].fpgaMode == 2 && c.dncvt.kr12Cards == 1; }},
      {"unknown section", "; cards\n[Card_6]\nFpgaMode=2\nIfInput1=NONE\n[General]\nCards=1\n",
       {"VirtualHardware.cfg line 2: [Card_6]: unknown section, its 2 keys ignored"},
       [](const SimConfig& c) { return c.cards == 1; }},
      {"unreadable names", "[Gen\x01]\nA=1\n[General]\nBo\xFEgus=1\n",
       {"VirtualHardware.cfg line 1: [Gen\\x01]: unknown section, its 1 keys ignored",
        "VirtualHardware.cfg line 4: [General] Bo\\xFEgus: unknown key, ignored"},
       [](const SimConfig& c) { return c.cards == 2; }},
      {"repeated key", "[Card_0]\nFpgaMode=2\n[General]\nCards=1\n[card_0]\nfpgamode = 3\n",
       {"VirtualHardware.cfg line 6: [Card_0] fpgamode: given again, \"3\" ignored (the value of line 2 holds)"},
       [](const SimConfig& c) { return c.card[0].fpgaMode == 2; }},
      {"repeated bad key", "[General]\nCards=x\nCards=4\n",
       {"VirtualHardware.cfg [General] Cards: \"x\" not taken, 2 used",
        "VirtualHardware.cfg line 3: [General] Cards: given again, \"4\" ignored (the value of line 2 holds)"},
       [](const SimConfig& c) { return c.cards == 2; }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::vector<std::string> notes;
    const SimConfig config = ParseSimConfig(row.text, notes);
    EXPECT_EQ(notes, row.notes);
    EXPECT_TRUE(row.kept(config));
  }
}

// The libraries read the file without blocking, only when it is a regular file of at most 1 MB,
// and report in their log what they did not take.
class SimConfigFileTest : public simtest::SimTest {
 protected:
  std::string Log() const { return testsupport::ReadWholeFile(folder_ / "VirtualHardware.log"); }
  int Cards() const {
    int count = -1;
    EXPECT_EQ(F().Card_GetCount(&count), card::kDevOk);
    return count;
  }
};

TEST_F(SimConfigFileTest, TheLibraryLogsEachValueItDidNotTake) {
  UseConfig("[General]\nCards=1\n[Card_0]\nFpgaMode=NaN\n");
  EXPECT_EQ(Cards(), 1);
  EXPECT_EQ(Log(), "librtZp903x.so: VirtualHardware.cfg [Card_0] FpgaMode: \"NaN\" not taken, -1 used\n");
}

// The three libraries read one file, each at its first use and again when reset (as at every start
// of the program): each fault is in the log once, until the file changes.
TEST_F(SimConfigFileTest, EachFaultIsReportedOnceForEachVersionOfTheFile) {
  const std::string text = "[General]\nCards=1\nBogusKey=7\n[Card_0]\nFpgaMode=NaN\n[DownConverters]\n"
                           "Kr12Cards=1\nKr12Cards=2\n";
  const std::string reports =
      "librtZp903x.so: VirtualHardware.cfg [Card_0] FpgaMode: \"NaN\" not taken, -1 used\n"
      "librtZp903x.so: VirtualHardware.cfg line 3: [General] BogusKey: unknown key, ignored\n"
      "librtZp903x.so: VirtualHardware.cfg line 8: [DownConverters] Kr12Cards: given again, \"2\" ignored (the value "
      "of line 7 holds)\n";
  UseConfig(text);
  ASSERT_NE(simtest::Kr12().reset, nullptr);
  ASSERT_NE(simtest::Kr14().reset, nullptr);
  simtest::Kr12().reset();
  simtest::Kr14().reset();
  simtest::Zp90().reset();
  EXPECT_EQ(Cards(), 1);
  EXPECT_EQ(Log(), reports);

  // Written again, the same faults are reported again, by whichever library reads it first.
  const std::string path = folder_ / "VirtualHardware.cfg";
  ASSERT_TRUE(testsupport::WriteWholeFile(path, text));
  struct stat config {};
  ASSERT_EQ(stat(path.c_str(), &config), 0);
  // The log last written a second before (the clock of file times may not have moved on since).
  const timespec before[2] = {config.st_mtim, {config.st_mtim.tv_sec - 1, config.st_mtim.tv_nsec}};
  ASSERT_EQ(utimensat(AT_FDCWD, (folder_ / "VirtualHardware.log").c_str(), before, 0), 0);
  simtest::Kr14().reset();
  simtest::Zp90().reset();
  simtest::Kr12().reset();
  std::string again = reports;
  for (std::size_t at = again.find("librtZp903x.so"); at != std::string::npos; at = again.find("librtZp903x.so", at)) {
    again.replace(at, 14, "libKr14P3_Dll.so");
  }
  EXPECT_EQ(Log(), reports + again);
}

TEST_F(SimConfigFileTest, AFifoOrAFileAbove1MbIsRefusedWithALineAndTheDefaultsHold) {
  const std::string path = folder_ / "VirtualHardware.cfg";
  std::string large = "[General]\nCards=1\n";
  large += std::string((1u << 20) + 1 - large.size(), ';');
  ASSERT_TRUE(testsupport::WriteWholeFile(path, large));
  simtest::Zp90().reset();
  EXPECT_EQ(Cards(), 2);
  EXPECT_EQ(Log(), "librtZp903x.so: " + path + " is 1048577 bytes, more than the 1048576 allowed; the defaults are used\n");

  ASSERT_EQ(unlink(path.c_str()), 0);
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  auto reading = std::async(std::launch::async, [] { simtest::Zp90().reset(); });
  if (reading.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
    const int writer = open(path.c_str(), O_WRONLY | O_NONBLOCK);
    reading.wait();
    if (writer >= 0) close(writer);
    FAIL() << "reading the configuration blocked on the FIFO";
  }
  EXPECT_EQ(Cards(), 2);
  EXPECT_EQ(Log(), "librtZp903x.so: " + path + " is 1048577 bytes, more than the 1048576 allowed; the defaults are used\n" +
                       "librtZp903x.so: " + path + " is not a regular file; the defaults are used\n");
}

}  // namespace
}  // namespace quorxsim
