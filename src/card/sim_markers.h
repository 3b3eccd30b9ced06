#pragma once
// Demo-mode marker files. The hardware-configuration dialog leaves one marker per simulated card
// type in SYSTEM/HARDWARECONFIGURATION/; while a marker exists that card type is simulated (the
// receiver cards show demo values, the converters answer without a library). A marker is a
// small INI file holding the number simulated:
//
//   [Simulation]
//   Count=<n>            Kr20: cards 1..6; Kr12: radios 1..8; Kr14: cards 1..6
//
// Unlike the dialog's Kr14 count (channels), the Kr14 marker holds cards: half the channels.
#include <cstdint>
#include <string>

#include "card/records/hw_config_records.h"

namespace card {

inline constexpr const char* kKr20SimMarkerFile = "Kr20_Dll.SIM";
inline constexpr const char* kKr12SimMarkerFile = "Kr12V2_Dll.SIM";
inline constexpr const char* kKr14SimMarkerFile = "Kr14P3_Dll.SIM";
inline constexpr const char* kSimMarkerSection = "Simulation";
inline constexpr const char* kSimMarkerCountKey = "Count";

// "<program>/SYSTEM/HARDWARECONFIGURATION/<fileName>".
std::string HardwareConfigPath(const std::string& fileName);

// Simulated: writes the marker holding `count` (making the folder when needed). Not simulated:
// deletes it (a missing marker is fine). False, logged, when the file could not be written or
// removed.
bool WriteSimulationMarkerFile(bool simulated, std::int32_t count, const std::string& fileName);

// True when the marker exists. `count` gets its number when that lies in 1..maxCount; a missing
// or out-of-range number is logged once and leaves `count` unchanged.
bool ReadSimulationMarkerFile(const std::string& fileName, std::int32_t maxCount, std::int32_t& count);

// The number of cards (or channels) of a type the system works with: 0 when the type is
// disabled, the number to simulate when simulated, otherwise the detected count.
std::int32_t GetNumSimChannels(const HwCfgEnableRecord& record, std::int32_t detected);

}  // namespace card
