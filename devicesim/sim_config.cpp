// The simulated hardware's configuration file, "VirtualHardware.cfg", in the program folder (the
// current folder) or in the folder named by the environment variable QUORX_SIM_FOLDER. All three
// simulated libraries read it: the receiver-card library when it is first used and on
// QuorxSim_Reset, the down-converter libraries likewise. Without the file the defaults below
// hold: two cards, each with a PSK signal on both IF inputs.
//
// INI text: "[Section]" headers, "Key=Value" lines; section and key names match regardless of
// case; text after ';' or '#' is a comment; CR LF or LF line ends. Numbers are read without the
// C locale ("1.5e6", never "1,5e6"). A key that is missing or does not parse keeps its default.
//
//   [General]
//   Cards=2             receiver cards, 0 .. 6
//   Seed=1              unsigned; equal seeds give equal noise, bit errors and readings
//   ChipVariant=NO      YES/NO (or 1/0): board type of every card unless its section says
//
//   [Card_0]            one section per card, counted from 0
//   ChipVariant=YES     this card's board: YES runs the variant images (modes 4 .. 15), NO the
//                       others (modes 0 .. 3)
//   FpgaMode=-1         personality already running at power-up, 0 .. 15; -1 none (the
//                       program loads one)
//   IfInput1=70e6, -40, PSK, 5e6, 14, NRZL
//                       the signal at IF input 1: carrier Hz, power dBm, modulation, bit rate
//                       bit/s, Eb/No dB, PCM code; "NONE" (or empty) for no signal. Trailing
//                       fields may be left out (they keep their defaults). Modulation: a family
//                       PSK, FM, PM or MHCPM (any receiver setting of the family demodulates
//                       it) or a specific one: BPSK, QPSK, SQPSK, OQPSK, UQPSK, AUQPSK, UAQPSK,
//                       SOQPSK, SOQPSK_TG, SOQPSK_MIL, PCM_FM, ARTM_II. Code: NRZL, NRZM, NRZS,
//                       BIOL, BIOM, BIOS, RZ, DBIOM, DBIOS, DMM, DMS, DMM2 or RNRZ-15.
//   IfInput1Pattern=pn15   the BERT pattern in the data (a receive-BERT pattern name), or DATA
//   IfInput1Viterbi=NO     YES when the data is rate 1/2 convolutionally encoded
//   IfInput1Rate2=0        bit rate of the second stream (AUQPSK/UAQPSK/UQPSK), 0 none
//   IfInput1ModIndex=0.7   FM modulation index h, or PM modulation index in radians
//   IfInput2=...           the same keys for IF input 2
//
//   [DownConverters]
//   Kr12Cards=1  Kr12Channels=2  Kr14Cards=1  Kr14Channels=2   cards 0 .. 6, channels 1 .. 4
//   RfCarrierMhz=2250.5  RfPowerDbm=-60   the RF signal every converter channel sees
//   AmToneHz=30  AmIndex=0.05             its amplitude modulation (antenna scan)
#include "devicesim/sim_config.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <vector>

#include "devicesim/sim_names.h"

namespace quorxsim {
namespace {

std::string_view Trim(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// Section -> key -> value, names lower-cased; the first occurrence of a name wins.
using IniMap = std::map<std::string, std::map<std::string, std::string>>;

IniMap ParseIni(std::string_view text) {
  IniMap ini;
  std::string section;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    const std::size_t comment = line.find_first_of(";#");
    line = Trim(line.substr(0, comment));
    if (line.empty()) continue;
    if (line.front() == '[') {
      const std::size_t close = line.find(']');
      section = close == std::string_view::npos ? std::string{} : Lower(Trim(line.substr(1, close - 1)));
      continue;
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || section.empty()) continue;
    const std::string key = Lower(Trim(line.substr(0, equals)));
    if (key.empty()) continue;
    ini[section].emplace(key, std::string(Trim(line.substr(equals + 1))));
  }
  return ini;
}

const std::string* Find(const IniMap& ini, std::string_view section, std::string_view key) {
  const auto s = ini.find(Lower(section));
  if (s == ini.end()) return nullptr;
  const auto k = s->second.find(Lower(key));
  return k == s->second.end() ? nullptr : &k->second;
}

bool ParseBool(std::string_view text, bool& value) {
  const std::string upper = Upper(Trim(text));
  if (upper == "YES" || upper == "1" || upper == "TRUE") {
    value = true;
    return true;
  }
  if (upper == "NO" || upper == "0" || upper == "FALSE") {
    value = false;
    return true;
  }
  return false;
}

void ReadInt(const IniMap& ini, std::string_view section, std::string_view key, long long low, long long high,
             int& target) {
  long long value = 0;
  const std::string* text = Find(ini, section, key);
  if (text != nullptr && ParseInt(*text, value) && value >= low && value <= high) target = static_cast<int>(value);
}

void ReadDouble(const IniMap& ini, std::string_view section, std::string_view key, double low, double high,
                double& target) {
  double value = 0.0;
  const std::string* text = Find(ini, section, key);
  if (text != nullptr && ParseDouble(*text, value) && value >= low && value <= high) target = value;
}

void ReadBool(const IniMap& ini, std::string_view section, std::string_view key, bool& target) {
  bool value = false;
  const std::string* text = Find(ini, section, key);
  if (text != nullptr && ParseBool(*text, value)) target = value;
}

bool ParseModulation(std::string_view text, Family& family, std::string& modulation) {
  const std::string name = Upper(Trim(text));
  if (name == "PSK") {
    family = Family::Psk;
    modulation.clear();
  } else if (name == "FM" || name == "PCM_FM") {
    family = Family::Fm;
    modulation.clear();
  } else if (name == "PM") {
    family = Family::Pm;
    modulation.clear();
  } else if (name == "MHCPM" || name == "ARTM_II" || name == "MULTIH_CPM") {
    family = Family::MhCpm;
    modulation.clear();
  } else if (PskGroup(name) != 0) {
    family = Family::Psk;
    modulation = name;
  } else {
    return false;
  }
  return true;
}

// "carrier, power, modulation, bit rate, Eb/No, code", trailing fields optional.
bool ParseSignal(std::string_view text, SignalConfig& signal) {
  SignalConfig parsed = signal;
  text = Trim(text);
  if (text.empty() || Upper(text) == "NONE") {
    parsed.present = false;
    signal = parsed;
    return true;
  }
  std::vector<std::string_view> fields;
  while (true) {
    const std::size_t comma = text.find(',');
    fields.push_back(Trim(text.substr(0, comma)));
    if (comma == std::string_view::npos) break;
    text = text.substr(comma + 1);
  }
  if (fields.size() > 6) return false;
  double number = 0.0;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const std::string_view field = fields[i];
    switch (i) {
      case 0:
        if (!ParseDouble(field, number) || number <= 0.0 || number > 1e9) return false;
        parsed.carrierHz = number;
        break;
      case 1:
        if (!ParseDouble(field, number) || number < -200.0 || number > 30.0) return false;
        parsed.powerDbm = number;
        break;
      case 2:
        if (!ParseModulation(field, parsed.family, parsed.modulation)) return false;
        break;
      case 3:
        if (!ParseDouble(field, number) || number <= 0.0 || number > 100e6) return false;
        parsed.bitRate = number;
        break;
      case 4:
        if (!ParseDouble(field, number) || number < -30.0 || number > 100.0) return false;
        parsed.ebNoDb = number;
        break;
      default: {
        const std::string code = Upper(field);
        if (code == "RNRZ-15") {
          parsed.code = "NRZL";
          parsed.randomized = true;
        } else if (InList(kDecoderCodes, code)) {
          parsed.code = code;
          parsed.randomized = false;
        } else {
          return false;
        }
      }
    }
  }
  parsed.present = true;
  signal = parsed;
  return true;
}

void ReadSignal(const IniMap& ini, const std::string& section, const std::string& key, SignalConfig& signal) {
  const std::string* text = Find(ini, section, key);
  if (text != nullptr) ParseSignal(*text, signal);
  if (const std::string* pattern = Find(ini, section, key + "Pattern")) {
    if (*pattern == "DATA" || InList(kRxPnPatterns, *pattern)) signal.pattern = *pattern;
  }
  ReadBool(ini, section, key + "Viterbi", signal.convolutional);
  ReadDouble(ini, section, key + "Rate2", 0.0, 100e6, signal.bitRate2);
  ReadDouble(ini, section, key + "ModIndex", 0.0, 10.0, signal.modIndex);
}

SignalConfig DefaultSignal(double powerDbm, double bitRate, double ebNoDb) {
  SignalConfig signal;
  signal.present = true;
  signal.powerDbm = powerDbm;
  signal.bitRate = bitRate;
  signal.ebNoDb = ebNoDb;
  return signal;
}

}  // namespace

bool ParseDouble(std::string_view text, double& value) {
  text = Trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double parsed = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (error != std::errc{} || end != text.data() + text.size() || text.empty() || !std::isfinite(parsed)) {
    return false;
  }
  value = parsed;
  return true;
}

bool ParseInt(std::string_view text, long long& value) {
  text = Trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  long long parsed = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (error != std::errc{} || end != text.data() + text.size() || text.empty()) return false;
  value = parsed;
  return true;
}

SimConfig DefaultSimConfig() {
  SimConfig config;
  for (int i = 0; i < kMaxCards; ++i) {
    CardConfig& card = config.card[static_cast<std::size_t>(i)];
    // Two antennas' copies of one downlink per card; the odd cards get a faster, weaker one.
    if (i % 2 == 0) {
      card.input[0] = DefaultSignal(-40.0, 5e6, 14.0);
      card.input[1] = DefaultSignal(-43.0, 5e6, 11.0);
    } else {
      card.input[0] = DefaultSignal(-48.0, 10e6, 10.0);
      card.input[1] = DefaultSignal(-50.0, 10e6, 8.0);
    }
  }
  return config;
}

SimConfig ParseSimConfig(std::string_view text) {
  SimConfig config = DefaultSimConfig();
  const IniMap ini = ParseIni(text);
  ReadInt(ini, "General", "Cards", 0, kMaxCards, config.cards);
  if (const std::string* seed = Find(ini, "General", "Seed")) {
    std::string_view digits = Trim(*seed);
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error == std::errc{} && end == digits.data() + digits.size() && !digits.empty()) config.seed = value;
  }
  bool variant = false;
  ReadBool(ini, "General", "ChipVariant", variant);
  for (int i = 0; i < kMaxCards; ++i) {
    CardConfig& card = config.card[static_cast<std::size_t>(i)];
    const std::string section = "Card_" + std::to_string(i);
    card.chipVariant = variant;
    ReadBool(ini, section, "ChipVariant", card.chipVariant);
    ReadInt(ini, section, "FpgaMode", -1, 15, card.fpgaMode);
    ReadSignal(ini, section, "IfInput1", card.input[0]);
    ReadSignal(ini, section, "IfInput2", card.input[1]);
  }
  DnCvtConfig& dn = config.dncvt;
  ReadInt(ini, "DownConverters", "Kr12Cards", 0, kMaxCards, dn.kr12Cards);
  ReadInt(ini, "DownConverters", "Kr12Channels", 1, 4, dn.kr12Channels);
  ReadInt(ini, "DownConverters", "Kr14Cards", 0, kMaxCards, dn.kr14Cards);
  ReadInt(ini, "DownConverters", "Kr14Channels", 1, 4, dn.kr14Channels);
  ReadDouble(ini, "DownConverters", "RfCarrierMhz", 1.0, 100000.0, dn.rfCarrierMhz);
  ReadDouble(ini, "DownConverters", "RfPowerDbm", -200.0, 30.0, dn.rfPowerDbm);
  ReadDouble(ini, "DownConverters", "AmToneHz", 0.0, 100000.0, dn.amToneHz);
  ReadDouble(ini, "DownConverters", "AmIndex", 0.0, 1.0, dn.amIndex);
  return config;
}

std::string SimConfigPath() {
  const char* folder = std::getenv("QUORX_SIM_FOLDER");
  std::string base = folder != nullptr && folder[0] != '\0' ? folder : ".";
  if (base.back() != '/') base += '/';
  return base + kConfigFileName;
}

SimConfig LoadSimConfig() {
  std::ifstream file(SimConfigPath(), std::ios::binary);
  if (!file) return DefaultSimConfig();
  // A configuration is a few hundred lines; a huge file is no configuration of ours.
  constexpr std::size_t kMaxBytes = 1u << 20;
  std::string text;
  char buffer[4096];
  while (file.read(buffer, sizeof buffer) || file.gcount() > 0) {
    text.append(buffer, static_cast<std::size_t>(file.gcount()));
    if (text.size() > kMaxBytes) return DefaultSimConfig();
  }
  return ParseSimConfig(text);
}

}  // namespace quorxsim
