#include "net/net_config_file.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <string_view>

#include "platform/path_resolve.h"
#include "util/error_log.h"
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
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return;
  std::uint8_t flag = config.Enabled ? 1 : 0;
  if (util::IniReadBool(path, kNetConfigSection, kEnabledKey, flag)) config.Enabled = flag != 0;
  flag = config.AllowRemoteControl ? 1 : 0;
  if (util::IniReadBool(path, kNetConfigSection, kAllowKey, flag)) config.AllowRemoteControl = flag != 0;
  util::IniReadInt(path, kNetConfigSection, kRateKey, config.BcRateHz);
  util::IniReadInt(path, kNetConfigSection, kStartPortKey, config.StartPort);
  util::IniReadString(path, kNetConfigSection, kClientKey, config.ClientIpAddr);

  if (config.ClientIpAddr.empty()) {
    config.ClientIpAddr = defaultAddress;
  } else if (!util::IsValidIpAddress(config.ClientIpAddr)) {
    util::LogInfo(std::string(kNetConfigFileName) + " " + kClientKey + " \"" + config.ClientIpAddr +
                      "\" is not an IPv4 address; " + defaultAddress + " used",
                  0, false);
    config.ClientIpAddr = defaultAddress;
  }
  Limit(kRateKey, kMinBcRateHz, kMaxBcRateHz, config.BcRateHz);
  Limit(kStartPortKey, kMinStartPort, kMaxStartPort, config.StartPort);
}

bool SaveNetConfig(const std::string& path, const NetConfig& config) {
  bool written = util::IniWriteBool(path, kNetConfigSection, kEnabledKey, config.Enabled);
  written = util::IniWriteBool(path, kNetConfigSection, kAllowKey, config.AllowRemoteControl) && written;
  written = util::IniWriteInt(path, kNetConfigSection, kRateKey, config.BcRateHz) && written;
  written = util::IniWriteInt(path, kNetConfigSection, kStartPortKey, config.StartPort) && written;
  written = util::IniWriteString(path, kNetConfigSection, kClientKey, config.ClientIpAddr) && written;
  written = util::IniFlush(path) && written;
  if (!written) util::LogError("FAILED TO WRITE " + path, 0, false);
  return written;
}

}  // namespace net
