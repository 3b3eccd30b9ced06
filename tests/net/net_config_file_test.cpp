// The network configuration file: defaults, the exact bytes written, and values limited on load.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/net_config_file.h"
#include "support/log_capture.h"

namespace {

constexpr const char* kOwn = "10.1.2.3";

std::string FileOf(const std::string& body) { return "[NET Configuration]\r\n" + body; }

struct Loaded {
  net::NetConfig config;
  std::vector<std::string> lines;
};

Loaded LoadFrom(const testsupport::LoggedProgramFolder& folder, const std::string& bytes) {
  const std::string path = folder / "Kr20NetCfg.cfg";
  EXPECT_TRUE(testsupport::WriteWholeFile(path, bytes));
  const std::size_t before = folder.LogTexts().size();
  Loaded loaded;
  loaded.config.ClientIpAddr = kOwn;
  net::LoadNetConfig(path, kOwn, loaded.config);
  const std::vector<std::string> texts = folder.LogTexts();
  loaded.lines.assign(texts.begin() + static_cast<std::ptrdiff_t>(before), texts.end());
  return loaded;
}

TEST(NetConfigFile, MissingFileKeepsTheDefaults) {
  testsupport::LoggedProgramFolder folder;
  net::NetConfig config;
  config.ClientIpAddr = kOwn;
  net::LoadNetConfig(folder / "Kr20NetCfg.cfg", kOwn, config);
  EXPECT_FALSE(config.Enabled);
  EXPECT_FALSE(config.AllowRemoteControl);
  EXPECT_EQ(config.BcRateHz, 10);
  EXPECT_EQ(config.StartPort, 33170);
  EXPECT_EQ(config.ClientIpAddr, kOwn);
}

TEST(NetConfigFile, SaveWritesTheFiveKeysInOrderAndLoadReadsThemBack) {
  testsupport::LoggedProgramFolder folder;
  const std::string path = folder / "Kr20NetCfg.cfg";
  net::NetConfig saved;
  saved.Enabled = true;
  saved.AllowRemoteControl = false;
  saved.BcRateHz = 20;
  saved.StartPort = 40000;
  saved.ClientIpAddr = "192.168.7.255";
  ASSERT_TRUE(net::SaveNetConfig(path, saved));
  EXPECT_EQ(testsupport::ReadWholeFile(path),
            "[NET Configuration]\r\nEnabled=YES\r\nAllowRemoteControl=NO\r\nBcRateHz=20\r\nStartPort=40000\r\n"
            "ClientIpAddr=192.168.7.255\r\n");

  net::NetConfig loaded;
  net::LoadNetConfig(path, kOwn, loaded);
  EXPECT_TRUE(loaded.Enabled);
  EXPECT_FALSE(loaded.AllowRemoteControl);
  EXPECT_EQ(loaded.BcRateHz, 20);
  EXPECT_EQ(loaded.StartPort, 40000);
  EXPECT_EQ(loaded.ClientIpAddr, "192.168.7.255");
}

struct LoadRow {
  const char* name;
  std::string body;
  std::int32_t rate;
  std::int32_t startPort;
  std::string client;
  std::vector<std::string> lines;
};

TEST(NetConfigFile, LoadLimitsAndRepairsValues) {
  const std::vector<LoadRow> rows = {
      {"in range", "BcRateHz=1\r\nStartPort=1000\r\nClientIpAddr=127.0.0.1\r\n", 1, 1000, "127.0.0.1", {}},
      {"highest", "BcRateHz=20\r\nStartPort=65518\r\n", 20, 65518, kOwn, {}},
      {"rate zero", "BcRateHz=0\r\n", 1, 33170, kOwn,
       {"Kr20NetCfg.cfg BcRateHz 0 is outside 1..20; 1 used"}},
      {"rate high", "BcRateHz=50\r\n", 20, 33170, kOwn,
       {"Kr20NetCfg.cfg BcRateHz 50 is outside 1..20; 20 used"}},
      {"port low", "StartPort=999\r\n", 10, 1000, kOwn,
       {"Kr20NetCfg.cfg StartPort 999 is outside 1000..65518; 1000 used"}},
      {"port high", "StartPort=65519\r\n", 10, 65518, kOwn,
       {"Kr20NetCfg.cfg StartPort 65519 is outside 1000..65518; 65518 used"}},
      {"empty address", "ClientIpAddr=\r\n", 10, 33170, kOwn, {}},
      {"bad address", "ClientIpAddr=10.1.2.300\r\n", 10, 33170, kOwn,
       {"Kr20NetCfg.cfg ClientIpAddr \"10.1.2.300\" is not an IPv4 address; 10.1.2.3 used"}},
      {"rate not a number", "BcRateHz=fast\r\n", 10, 33170, kOwn,
       {"Kr20NetCfg.cfg [NET Configuration] BcRateHz=\"fast\" is not a valid number; 10 used"}},
  };
  for (const LoadRow& row : rows) {
    SCOPED_TRACE(row.name);
    testsupport::LoggedProgramFolder folder;
    const Loaded loaded = LoadFrom(folder, FileOf(row.body));
    EXPECT_EQ(loaded.config.BcRateHz, row.rate);
    EXPECT_EQ(loaded.config.StartPort, row.startPort);
    EXPECT_EQ(loaded.config.ClientIpAddr, row.client);
    EXPECT_EQ(loaded.lines, row.lines);
  }
}

}  // namespace
