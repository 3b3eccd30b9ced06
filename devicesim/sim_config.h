#pragma once
// The configuration of the simulated hardware ("VirtualHardware.cfg"); the format is described
// at the top of sim_config.cpp.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "devicesim/personality.h"

namespace quorxsim {

inline constexpr int kMaxCards = 6;
inline constexpr const char* kConfigFileName = "VirtualHardware.cfg";

// One signal arriving at an IF input of a card.
struct SignalConfig {
  bool present = false;
  double carrierHz = 70e6;
  double powerDbm = -40.0;
  Family family = Family::Psk;
  std::string modulation;  // a specific modulation ("QPSK"), empty when any of the family fits
  double bitRate = 1e6;
  double ebNoDb = 12.0;
  std::string code = "NRZL";  // PCM code of the data
  bool randomized = false;    // RNRZ-15
  std::string pattern = "pn15";  // BERT pattern carried; "DATA" for live data
  bool convolutional = false;    // rate 1/2 convolutional code
  double bitRate2 = 0.0;         // second stream of an unbalanced QPSK signal
  double modIndex = 0.7;         // FM: h; PM: radians
};

struct CardConfig {
  bool chipVariant = false;
  int fpgaMode = -1;  // personality running at power-up, -1 none
  bool secondFpga = true;  // false: a board with FPGA 1 only; FPGA 2 never holds an image
  std::array<SignalConfig, 2> input{};
};

struct DnCvtConfig {
  int kr12Cards = 1;
  int kr12Channels = 2;
  int kr14Cards = 1;
  int kr14Channels = 2;
  double rfCarrierMhz = 2250.5;
  double rfPowerDbm = -60.0;
  double amToneHz = 30.0;
  double amIndex = 0.05;
};

struct SimConfig {
  int cards = 2;
  std::uint64_t seed = 1;
  std::array<CardConfig, kMaxCards> card{};
  DnCvtConfig dncvt{};
};

// The configuration of a missing file.
SimConfig DefaultSimConfig();
// The configuration a file text gives; keys that are missing or do not parse keep the defaults.
// `notes` gets one report line for each value not taken as written, for lines not understood, for
// unknown keys and sections and for keys given twice.
SimConfig ParseSimConfig(std::string_view text, std::vector<std::string>& notes);
// The file's path: in the folder named by QUORX_SIM_FOLDER, else in the current folder; the log
// of the reports beside it.
std::string SimConfigPath();
std::string SimLogPath();
// Reads the file at `path` (a regular file of at most 1 MB): the defaults when it is missing, the
// defaults and a report when it is not such a file.
SimConfig ReadSimConfig(const std::string& path, std::vector<std::string>& notes);
// Appends the reports, each led by the reading library's file name, to the log: those the log
// does not hold yet, or all of them when the file at `configPath` changed after the log was last
// written.
void WriteSimLog(const std::vector<std::string>& notes, const std::string& configPath);
// ReadSimConfig of SimConfigPath, its reports written with WriteSimLog.
SimConfig LoadSimConfig();

// Number parsing without the C locale; false for trailing text, NaN and infinities.
bool ParseDouble(std::string_view text, double& value);
bool ParseInt(std::string_view text, long long& value);

}  // namespace quorxsim
