// The network configuration file as the operator's other files: kept with a ".BAK", read from it
// when the file is empty, cut, binary or missing, damage logged; and a client address that is no
// address never leaves remote control on.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "net/net_config_file.h"
#include "support/log_capture.h"

namespace {

using testsupport::ReadWholeFile;
using testsupport::WriteWholeFile;

constexpr const char* kOwn = "10.1.2.3";

class NetConfigKeptTest : public ::testing::Test {
 protected:
  std::vector<std::string> NewLines() {
    const std::vector<std::string> texts = folder_.LogTexts();
    std::vector<std::string> lines(texts.begin() + static_cast<std::ptrdiff_t>(seen_), texts.end());
    seen_ = texts.size();
    return lines;
  }
  net::NetConfig Load() {
    net::NetConfig config;
    config.ClientIpAddr = kOwn;
    net::LoadNetConfig(path_, kOwn, config);
    return config;
  }
  static net::NetConfig Operators(std::int32_t rate) {
    net::NetConfig config;
    config.Enabled = true;
    config.AllowRemoteControl = true;
    config.BcRateHz = rate;
    config.StartPort = 40000;
    config.ClientIpAddr = "192.168.7.20";
    return config;
  }
  static std::string Bytes(std::int32_t rate) {
    return "[NET Configuration]\r\nEnabled=YES\r\nAllowRemoteControl=YES\r\nBcRateHz=" + std::to_string(rate) +
           "\r\nStartPort=40000\r\nClientIpAddr=192.168.7.20\r\n";
  }

  testsupport::LoggedProgramFolder folder_;
  std::string path_ = folder_ / "Kr20NetCfg.cfg";
  std::size_t seen_ = 0;
};

TEST_F(NetConfigKeptTest, EachSaveKeepsThePreviousFileAsBak) {
  ASSERT_TRUE(net::SaveNetConfig(path_, Operators(5)));
  EXPECT_FALSE(std::filesystem::exists(path_ + ".BAK"));
  ASSERT_TRUE(net::SaveNetConfig(path_, Operators(7)));
  EXPECT_EQ(ReadWholeFile(path_), Bytes(7));
  EXPECT_EQ(ReadWholeFile(path_ + ".BAK"), Bytes(5));
}

TEST_F(NetConfigKeptTest, ADamagedCutOrMissingFileIsReadFromItsWholeBakWhichTheNextSaveKeeps) {
  struct Row {
    const char* name;
    std::string bytes;  // in place of the file; "MISSING": none
    std::string line;
  };
  const std::string bak = path_ + ".BAK";
  const Row rows[] = {
      {"empty", "", path_ + " is damaged (empty); read from " + bak},
      {"binary", std::string("\x7F" "ELF\x02\x01\x01\0\0\0", 10), path_ + " is damaged (holds NUL bytes); read from " + bak},
      {"no section", "Enabled=NO\r\n", path_ + " is damaged (no section); read from " + bak},
      {"cut at a line end", "[NET Configuration]\r\nEnabled=YES\r\nAllowRemoteControl=YES\r\nBcRateHz=7\r\n",
       path_ + " is cut short (no key StartPort in section NET Configuration); read from " + bak},
      {"cut in a line", "[NET Configuration]\r\nEnabled=YES\r\nAllowRemoteControl=YES\r\nBcRateHz=7\r\nStartPort=40000\r\nClie",
       path_ + " is cut short (no key ClientIpAddr in section NET Configuration); read from " + bak},
      {"missing", "MISSING", path_ + " is missing; read from " + bak},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::filesystem::remove(path_);
    std::filesystem::remove(bak);
    ASSERT_TRUE(net::SaveNetConfig(path_, Operators(5)));
    ASSERT_TRUE(net::SaveNetConfig(path_, Operators(7)));
    if (row.bytes == "MISSING") {
      std::filesystem::remove(path_);
    } else {
      ASSERT_TRUE(WriteWholeFile(path_, row.bytes));
    }
    NewLines();
    const net::NetConfig loaded = Load();
    EXPECT_EQ(NewLines(), std::vector<std::string>{row.line});
    EXPECT_TRUE(loaded.Enabled);
    EXPECT_TRUE(loaded.AllowRemoteControl);
    EXPECT_EQ(loaded.BcRateHz, 5);
    EXPECT_EQ(loaded.StartPort, 40000);
    EXPECT_EQ(loaded.ClientIpAddr, "192.168.7.20");
    // The save at close writes what was read and leaves the whole ".BAK".
    ASSERT_TRUE(net::SaveNetConfig(path_, loaded));
    EXPECT_EQ(ReadWholeFile(bak), Bytes(5));
    EXPECT_EQ(ReadWholeFile(path_), Bytes(5));
  }
}

TEST_F(NetConfigKeptTest, ADamagedFileWithoutBakIsNamedAndChangesNothing) {
  ASSERT_TRUE(WriteWholeFile(path_, ""));
  NewLines();
  const net::NetConfig loaded = Load();
  EXPECT_EQ(NewLines(), std::vector<std::string>{path_ + " is damaged (empty); " + path_ + ".BAK is missing, nothing read"});
  EXPECT_FALSE(loaded.Enabled);
  EXPECT_FALSE(loaded.AllowRemoteControl);
  EXPECT_EQ(loaded.BcRateHz, 10);
}

// The own address stands in only where remote control is off anyway; a client allowed remote
// control with no usable address loses remote control, and the file says NO from then on.
TEST_F(NetConfigKeptTest, AClientAddressThatIsNoAddressSwitchesRemoteControlOff) {
  struct Row {
    const char* name;
    std::string allow;
    std::string client;  // the line; "" for none
    bool allowed;
    std::vector<std::string> lines;
  };
  const Row rows[] = {
      {"typo, remote control on", "YES", "ClientIpAddr=192.168.7.2O\r\n", false,
       {"Kr20NetCfg.cfg ClientIpAddr \"192.168.7.2O\" is not an IPv4 address; remote control off, 10.1.2.3 used"}},
      {"host name, remote control on", "YES", "ClientIpAddr=groundstation\r\n", false,
       {"Kr20NetCfg.cfg ClientIpAddr \"groundstation\" is not an IPv4 address; remote control off, 10.1.2.3 used"}},
      {"empty, remote control on", "YES", "ClientIpAddr=\r\n", false,
       {"Kr20NetCfg.cfg ClientIpAddr is empty; remote control off, 10.1.2.3 used"}},
      {"no key, remote control on", "YES", "", false,
       {"Kr20NetCfg.cfg ClientIpAddr is missing; remote control off, 10.1.2.3 used"}},
      {"typo, remote control off", "NO", "ClientIpAddr=192.168.7.2O\r\n", false,
       {"Kr20NetCfg.cfg ClientIpAddr \"192.168.7.2O\" is not an IPv4 address; 10.1.2.3 used"}},
      {"empty, remote control off", "NO", "ClientIpAddr=\r\n", false, {}},
      {"an address, remote control on", "YES", "ClientIpAddr=192.168.7.20\r\n", true, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ASSERT_TRUE(WriteWholeFile(path_, "[NET Configuration]\r\nEnabled=YES\r\nAllowRemoteControl=" + row.allow +
                                          "\r\nBcRateHz=10\r\nStartPort=33170\r\n" + row.client));
    std::filesystem::remove(path_ + ".BAK");
    NewLines();
    const net::NetConfig loaded = Load();
    EXPECT_EQ(loaded.AllowRemoteControl, row.allowed);
    EXPECT_EQ(NewLines(), row.lines);
    ASSERT_TRUE(net::SaveNetConfig(path_, loaded));
    const std::string saved = ReadWholeFile(path_);
    EXPECT_NE(saved.find(row.allowed ? "AllowRemoteControl=YES\r\n" : "AllowRemoteControl=NO\r\n"), std::string::npos)
        << saved;
    EXPECT_FALSE(Load().AllowRemoteControl && !row.allowed);
  }
}

}  // namespace
