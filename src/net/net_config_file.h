#pragma once
// The network configuration and its file "Kr20NetCfg.cfg" (one INI section, "NET Configuration").
// Values are limited on load so that every port of the port map is a valid port and the broadcast
// period stays defined; each correction is logged.
#include <cstdint>
#include <string>

namespace net {

inline constexpr const char* kNetConfigFileName = "Kr20NetCfg.cfg";
inline constexpr const char* kNetConfigSection = "NET Configuration";

inline constexpr std::int32_t kDefaultBcRateHz = 10;
inline constexpr std::int32_t kDefaultStartPort = 33170;
inline constexpr std::int32_t kMinBcRateHz = 1;
inline constexpr std::int32_t kMaxBcRateHz = 20;
// The highest port of the map is the start port + 17.
inline constexpr std::int32_t kMinStartPort = 1000;
inline constexpr std::int32_t kMaxStartPort = 65535 - 17;

struct NetConfig {
  bool Enabled = false;
  bool AllowRemoteControl = false;
  std::int32_t BcRateHz = kDefaultBcRateHz;
  std::int32_t StartPort = kDefaultStartPort;
  std::string ClientIpAddr;
};

// <program folder>/SYSTEM/HARDWARECONFIGURATION/Kr20NetCfg.cfg
std::string NetConfigPath();

// The own IPv4 address in dotted form, or "255.255.255.255" when it is not known.
std::string DefaultClientAddressText();

// Reads the file over `config`: a missing file changes nothing (unless its ".BAK" is whole); a
// damaged or cut file is read from a whole ".BAK"; a missing or unreadable key keeps its field.
// Afterwards an empty client address becomes `defaultAddress`, an address that does not parse falls
// back to it, and the rate and start port are limited; each of those with a log line. The own
// address never stands in for a client allowed remote control: remote control is switched off.
// Lines:
//   Kr20NetCfg.cfg ClientIpAddr "<text>" is not an IPv4 address; [remote control off, ]<default> used
//   Kr20NetCfg.cfg ClientIpAddr is empty; remote control off, <default> used
//   Kr20NetCfg.cfg ClientIpAddr is missing; remote control off, <default> used
void LoadNetConfig(const std::string& path, const std::string& defaultAddress, NetConfig& config);

// Writes the five keys in their order over the existing file and flushes it, the previous file
// kept as its ".BAK" (a damaged file is written anew); false when the file could not be written
// (logged).
bool SaveNetConfig(const std::string& path, const NetConfig& config);

}  // namespace net
