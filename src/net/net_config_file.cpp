#include "net/net_config_file.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

#include "platform/path_resolve.h"
#include "util/error_log.h"
#include "util/ini_file_check.h"
#include "util/ini_rewrite.h"
#include "util/ini_routines.h"
#include "util/process_globals.h"
#include "util/socket_routines.h"

namespace net {

namespace {

constexpr const char* kEnabledKey = "Enabled";
constexpr const char* kAllowKey = "AllowRemoteControl";
constexpr const char* kRateKey = "BcRateHz";
constexpr const char* kStartPortKey = "StartPort";
constexpr const char* kClientKey = "ClientIpAddr";

// Keeps `value` in min..max; a change is logged with the value read as the line's number.
void Limit(std::string_view key, std::int32_t min, std::int32_t max, std::int32_t& value) {
  const std::int32_t limited = std::clamp(value, min, max);
  if (limited == value) return;
  util::LogInfo(std::string(kNetConfigFileName) + " " + std::string(key) + " " + std::to_string(value) +
                    " is outside " + std::to_string(min) + ".." + std::to_string(max) + "; " +
                    std::to_string(limited) + " used",
                value, false);
  value = limited;
}

// Every file this program wrote holds the five keys.
util::IniFileCheck CheckNetConfigKeys(const std::string& file) {
  std::vector<util::IniKeyName> keys;
  for (const char* key : {kEnabledKey, kAllowKey, kRateKey, kStartPortKey, kClientKey}) {
    keys.push_back({kNetConfigSection, key});
  }
  return util::FirstMissingKey(file, keys);
}

constexpr util::IniFileShape kNetConfigShape{kNetConfigSection, "", CheckNetConfigKeys};

}  // namespace

std::string NetConfigPath() {
  return platform::ResolvePath(util::ProgramFolder() + "/SYSTEM/HARDWARECONFIGURATION/" + kNetConfigFileName);
}

std::string DefaultClientAddressText() {
  std::string hostName;
  std::string text;
  std::array<std::uint8_t, 4> octets{};
  if (!util::GetLocalIpv4(hostName, text, octets)) return "255.255.255.255";
  return std::to_string(octets[0]) + "." + std::to_string(octets[1]) + "." + std::to_string(octets[2]) + "." +
         std::to_string(octets[3]);
}

void LoadNetConfig(const std::string& path, const std::string& defaultAddress, NetConfig& config) {
  if (!util::IniFileOrBakPresent(path)) return;
  // A damaged, cut or missing file is read from its ".BAK"; with neither readable nothing changes.
  const std::string file = util::IniFileToRead(path, kNetConfigShape);
  if (file.empty()) return;
  std::uint8_t flag = config.Enabled ? 1 : 0;
  if (util::IniReadBool(file, kNetConfigSection, kEnabledKey, flag)) config.Enabled = flag != 0;
  flag = config.AllowRemoteControl ? 1 : 0;
  if (util::IniReadBool(file, kNetConfigSection, kAllowKey, flag)) config.AllowRemoteControl = flag != 0;
  util::IniReadInt(file, kNetConfigSection, kRateKey, config.BcRateHz);
  util::IniReadInt(file, kNetConfigSection, kStartPortKey, config.StartPort);
  const bool read = util::IniReadString(file, kNetConfigSection, kClientKey, config.ClientIpAddr);

  // The own address stands in only for a client that may not control the program: a typo or a
  // lost key never lets this machine's own datagrams command it.
  const std::string prefix = std::string(kNetConfigFileName) + " " + kClientKey;
  const std::string off = config.AllowRemoteControl ? "remote control off, " : "";
  if (config.ClientIpAddr.empty()) {
    if (config.AllowRemoteControl) {
      util::LogInfo(prefix + " is empty; " + off + defaultAddress + " used", 0, false);
    }
    config.AllowRemoteControl = false;
    config.ClientIpAddr = defaultAddress;
  } else if (!util::IsValidIpAddress(config.ClientIpAddr)) {
    util::LogInfo(prefix + " \"" + config.ClientIpAddr + "\" is not an IPv4 address; " + off + defaultAddress + " used",
                  0, false);
    config.AllowRemoteControl = false;
    config.ClientIpAddr = defaultAddress;
  } else if (!read && config.AllowRemoteControl && config.ClientIpAddr == defaultAddress) {
    util::LogInfo(prefix + " is missing; " + off + defaultAddress + " used", 0, false);
    config.AllowRemoteControl = false;
  }
  Limit(kRateKey, kMinBcRateHz, kMaxBcRateHz, config.BcRateHz);
  Limit(kStartPortKey, kMinStartPort, kMaxStartPort, config.StartPort);
}

bool SaveNetConfig(const std::string& path, const NetConfig& config) {
  // Over the existing file, its previous content kept as ".BAK"; a damaged file is written anew.
  const bool written = util::UpdateKeptIniFile(path, kNetConfigShape, true, [&config](const std::string& file) {
    bool ok = util::IniWriteBool(file, kNetConfigSection, kEnabledKey, config.Enabled);
    ok = util::IniWriteBool(file, kNetConfigSection, kAllowKey, config.AllowRemoteControl) && ok;
    ok = util::IniWriteInt(file, kNetConfigSection, kRateKey, config.BcRateHz) && ok;
    ok = util::IniWriteInt(file, kNetConfigSection, kStartPortKey, config.StartPort) && ok;
    ok = util::IniWriteString(file, kNetConfigSection, kClientKey, config.ClientIpAddr) && ok;
    return util::IniFlush(file) && ok;
  });
  if (!written) util::LogError("FAILED TO WRITE " + path, 0, false);
  return written;
}

}  // namespace net
