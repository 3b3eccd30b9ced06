#include "card/sim_markers.h"

#include <filesystem>
#include <system_error>

#include "config/general_routines.h"
#include "platform/path_resolve.h"
#include "util/error_log.h"
#include "util/file_routines.h"
#include "util/ini_rewrite.h"
#include "util/ini_routines.h"

namespace card {

std::string HardwareConfigPath(const std::string& fileName) {
  return config::SystemFolder("HARDWARECONFIGURATION/" + fileName);
}

bool WriteSimulationMarkerFile(bool simulated, std::int32_t count, const std::string& fileName) {
  const std::string path = HardwareConfigPath(fileName);
  std::error_code error;
  if (!simulated) {
    if (!util::FileExists(path)) return true;
    const std::string found = platform::ResolvePath(path);
    std::filesystem::remove(found, error);
    if (error) {
      util::LogError("Cannot delete the simulation marker " + found + ": " + error.message(), 0, false);
      return false;
    }
    util::WriteErrorLogLine("Simulation marker " + fileName + " deleted", 0);
    return true;
  }
  std::filesystem::create_directories(config::SystemFolder("HARDWARECONFIGURATION"), error);
  const bool written = util::RewriteIniFile(path, [count](const std::string& fresh) {
    return util::IniWriteInt(fresh, kSimMarkerSection, kSimMarkerCountKey, count);
  });
  if (!written) {
    util::LogError("Cannot write the simulation marker " + path, count, false);
    return false;
  }
  util::WriteErrorLogLine("Simulation marker " + fileName + " written with count " + std::to_string(count), 0);
  return true;
}

bool ReadSimulationMarkerFile(const std::string& fileName, std::int32_t maxCount, std::int32_t& count) {
  const std::string path = HardwareConfigPath(fileName);
  if (!util::FileExists(path)) return false;
  std::int32_t value = count;  // a damaged count is logged with the count kept
  if (!util::IniReadInt(path, kSimMarkerSection, kSimMarkerCountKey, value) || value < 1 || value > maxCount) {
    util::WriteErrorLogLine("Simulation marker " + fileName + " has no count in 1.." + std::to_string(maxCount) +
                                "; the configured count is kept",
                            value);
    return true;
  }
  count = value;
  return true;
}

std::int32_t GetNumSimChannels(const HwCfgEnableRecord& record, std::int32_t detected) {
  if (record.Enabled == 0) return 0;
  if (record.Simulated != 0) return record.NumToSimulate;
  return detected;
}

}  // namespace card
