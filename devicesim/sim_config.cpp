// The simulated hardware's configuration file, "VirtualHardware.cfg", in the program folder (the
// current folder) or in the folder named by the environment variable QUORX_SIM_FOLDER. All three
// simulated libraries read it: the receiver-card library when it is first used and on
// QuorxSim_Reset, the down-converter libraries likewise. Without the file the defaults below
// hold: two cards, each with a PSK signal on both IF inputs.
//
// INI text: "[Section]" headers, "Key=Value" lines; section and key names match regardless of
// case; text after ';' or '#' is a comment; CR LF, LF or a lone CR end a line. Numbers are read
// without the C locale ("1.5e6", never "1,5e6"). A key that is missing keeps its default; a value
// that does not parse or lies outside its range keeps the default too and is reported, as are
// lines that are no section header, key or comment (the first three, then their count), keys and
// sections that are not among those below (ignored), and a key given twice in its section (the
// first value holds). The file is read only when it is a regular file of at most 1 MB; another is
// reported, the defaults hold.
//
// Reports go to "VirtualHardware.log" in the file's folder, one line each, led by the file name
// of the library that read the configuration:
//   librtZp903x.so: VirtualHardware.cfg [Card_0] FpgaMode: "NaN" not taken, -1 used
//   librtZp903x.so: VirtualHardware.cfg line 3: [General] BogusKey: unknown key, ignored
// Each report is written once for each version of the file: the three libraries read the same file
// (each at its first use and again at every start of the program), and a report the log already
// holds is not written again unless the file has changed since the log was last written. The log
// starts over once it has grown beyond 1 MB.
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
//   SecondFpga=YES      NO: the board carries FPGA 1 only; FPGA 2 never holds an image
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

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "devicesim/sim_names.h"
#include "platform/regular_file.h"

namespace quorxsim {
namespace {

constexpr std::size_t kMaxConfigBytes = std::size_t{1} << 20;
constexpr std::size_t kMaxLogBytes = std::size_t{1} << 20;
constexpr const char* kLogFileName = "VirtualHardware.log";
// Reports of single lines that are not understood; beyond them only their count is reported.
constexpr int kMaxBadLineNotes = 3;
// A value is quoted in a report up to this length.
constexpr std::size_t kMaxQuotedChars = 40;

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

// The text as it can stand in a log line: control and non-ASCII bytes as \xNN, cut when long.
std::string Escaped(std::string_view text) {
  constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (std::size_t i = 0; i < text.size() && i < kMaxQuotedChars; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
      out += static_cast<char>(c);
    } else {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 0xF];
    }
  }
  if (text.size() > kMaxQuotedChars) out += "...";
  return out;
}

std::string Quoted(std::string_view text) { return "\"" + Escaped(text) + "\""; }

// The shortest text that reads back as the value, without an exponent for ordinary sizes.
std::string DoubleText(double value) {
  char buffer[64];
  const auto result = std::fabs(value) < 1e15 ? std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed)
                                              : std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

// A key or section as the file gives it: its name as written and the line it is on.
struct IniKey {
  std::string name;
  std::string value;
  int line = 0;
};
struct IniSection {
  std::string name;
  int line = 0;
  std::map<std::string, IniKey> keys;  // by lower-cased name; the first occurrence holds
  std::vector<std::pair<IniKey, int>> repeats;  // a key given again, and the line of the one that holds
};
// Sections by lower-cased name.
using IniMap = std::map<std::string, IniSection>;

std::string LinePlace(int line) { return std::string(kConfigFileName) + " line " + std::to_string(line) + ": "; }

IniMap ParseIni(std::string_view text, std::vector<std::string>& notes) {
  IniMap ini;
  std::string section;
  int lineNumber = 0;
  int badLines = 0;
  while (!text.empty()) {
    // CR LF, LF and a lone CR each end one line.
    const std::size_t end = text.find_first_of("\r\n");
    std::string_view line = text.substr(0, end);
    std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
    if (end != std::string_view::npos && text[end] == '\r' && next < text.size() && text[next] == '\n') ++next;
    text.remove_prefix(next);
    ++lineNumber;
    const std::string_view whole = Trim(line);
    line = Trim(line.substr(0, line.find_first_of(";#")));
    if (line.empty()) continue;
    bool understood = false;
    if (line.front() == '[') {
      const std::size_t close = line.find(']');
      const std::string_view name = close == std::string_view::npos ? std::string_view{} : Trim(line.substr(1, close - 1));
      section = Lower(name);
      understood = !section.empty();
      if (understood) ini.try_emplace(section, IniSection{std::string(name), lineNumber, {}, {}});
    } else if (const std::size_t equals = line.find('='); equals != std::string_view::npos && !section.empty()) {
      const std::string_view name = Trim(line.substr(0, equals));
      if (!name.empty()) {
        IniSection& entries = ini[section];
        const std::string_view value = Trim(line.substr(equals + 1));
        IniKey key{std::string(name), std::string(value), lineNumber};
        if (const auto first = entries.keys.find(Lower(name)); first != entries.keys.end()) {
          entries.repeats.emplace_back(std::move(key), first->second.line);
        } else {
          entries.keys.emplace(Lower(name), std::move(key));
        }
        understood = true;
      }
    }
    if (!understood && ++badLines <= kMaxBadLineNotes) {
      notes.push_back(std::string(kConfigFileName) + " line " + std::to_string(lineNumber) +
                      " not understood: " + Quoted(whole));
    }
  }
  if (badLines > kMaxBadLineNotes) {
    notes.push_back(std::string(kConfigFileName) + ": " + std::to_string(badLines - kMaxBadLineNotes) +
                    " more lines not understood");
  }
  return ini;
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

// A signal as a value of its key would give it.
std::string SignalText(const SignalConfig& signal) {
  if (!signal.present) return "NONE";
  std::string modulation = signal.modulation;
  if (modulation.empty()) {
    switch (signal.family) {
      case Family::Fm: modulation = "FM"; break;
      case Family::Pm: modulation = "PM"; break;
      case Family::MhCpm: modulation = "MHCPM"; break;
      default: modulation = "PSK"; break;
    }
  }
  return DoubleText(signal.carrierHz) + ", " + DoubleText(signal.powerDbm) + ", " + modulation + ", " +
         DoubleText(signal.bitRate) + ", " + DoubleText(signal.ebNoDb) + ", " +
         (signal.randomized ? std::string("RNRZ-15") : signal.code);
}

// The configuration's values as they are read, with a report of each one that is not taken.
class Reader {
 public:
  Reader(IniMap ini, std::vector<std::string>& notes) : ini_(std::move(ini)), notes_(notes) {}

  // Every key of every section is asked for, present or not: what was never asked for is unknown.
  const std::string* Find(std::string_view section, std::string_view key) {
    const std::string sectionName = Lower(section);
    const std::string keyName = Lower(key);
    askedSections_.insert(sectionName);
    askedKeys_.insert({sectionName, keyName});
    const auto s = ini_.find(sectionName);
    if (s == ini_.end()) return nullptr;
    const auto k = s->second.keys.find(keyName);
    return k == s->second.keys.end() ? nullptr : &k->second.value;
  }

  // After every value was read: the sections and keys of the file that no value is read from, and
  // the keys given twice, in the order of their lines.
  void ReportKeysNotRead() {
    std::vector<std::pair<int, std::string>> found;
    for (const auto& [sectionName, section] : ini_) {
      const std::string place = "[" + Escaped(section.name) + "]";
      if (askedSections_.count(sectionName) == 0) {
        const std::size_t keys = section.keys.size() + section.repeats.size();
        found.emplace_back(section.line, LinePlace(section.line) + place + ": unknown section, its " +
                                             std::to_string(keys) + " keys ignored");
        continue;
      }
      for (const auto& [keyName, key] : section.keys) {
        if (askedKeys_.count({sectionName, keyName}) == 0) {
          found.emplace_back(key.line, LinePlace(key.line) + place + " " + Escaped(key.name) + ": unknown key, ignored");
        }
      }
      for (const auto& [key, holding] : section.repeats) {
        found.emplace_back(key.line, LinePlace(key.line) + place + " " + Escaped(key.name) + ": given again, " +
                                         Quoted(key.value) + " ignored (the value of line " + std::to_string(holding) +
                                         " holds)");
      }
    }
    std::sort(found.begin(), found.end());
    for (auto& [line, note] : found) notes_.push_back(std::move(note));
  }

  void NotTaken(std::string_view section, std::string_view key, std::string_view text, const std::string& used) {
    notes_.push_back(std::string(kConfigFileName) + " [" + std::string(section) + "] " + std::string(key) + ": " +
                     Quoted(text) + " not taken, " + used + " used");
  }

  void Int(std::string_view section, std::string_view key, long long low, long long high, int& target) {
    long long value = 0;
    const std::string* text = Find(section, key);
    if (text == nullptr) return;
    if (ParseInt(*text, value) && value >= low && value <= high) {
      target = static_cast<int>(value);
    } else {
      NotTaken(section, key, *text, std::to_string(target));
    }
  }

  void Double(std::string_view section, std::string_view key, double low, double high, double& target) {
    double value = 0.0;
    const std::string* text = Find(section, key);
    if (text == nullptr) return;
    if (ParseDouble(*text, value) && value >= low && value <= high) {
      target = value;
    } else {
      NotTaken(section, key, *text, DoubleText(target));
    }
  }

  void Bool(std::string_view section, std::string_view key, bool& target) {
    bool value = false;
    const std::string* text = Find(section, key);
    if (text == nullptr) return;
    if (ParseBool(*text, value)) {
      target = value;
    } else {
      NotTaken(section, key, *text, target ? "YES" : "NO");
    }
  }

  void Seed(std::uint64_t& target) {
    const std::string* text = Find("General", "Seed");
    if (text == nullptr) return;
    const std::string_view digits = Trim(*text);
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error == std::errc{} && end == digits.data() + digits.size() && !digits.empty()) {
      target = value;
    } else {
      NotTaken("General", "Seed", *text, std::to_string(target));
    }
  }

  void Signal(const std::string& section, const std::string& key, SignalConfig& signal) {
    if (const std::string* text = Find(section, key); text != nullptr && !ParseSignal(*text, signal)) {
      NotTaken(section, key, *text, SignalText(signal));
    }
    const std::string patternKey = key + "Pattern";
    if (const std::string* pattern = Find(section, patternKey)) {
      if (*pattern == "DATA" || InList(kRxPnPatterns, *pattern)) {
        signal.pattern = *pattern;
      } else {
        NotTaken(section, patternKey, *pattern, signal.pattern);
      }
    }
    Bool(section, key + "Viterbi", signal.convolutional);
    Double(section, key + "Rate2", 0.0, 100e6, signal.bitRate2);
    Double(section, key + "ModIndex", 0.0, 10.0, signal.modIndex);
  }

 private:
  IniMap ini_;
  std::vector<std::string>& notes_;
  std::set<std::string> askedSections_;
  std::set<std::pair<std::string, std::string>> askedKeys_;
};

SignalConfig DefaultSignal(double powerDbm, double bitRate, double ebNoDb) {
  SignalConfig signal;
  signal.present = true;
  signal.powerDbm = powerDbm;
  signal.bitRate = bitRate;
  signal.ebNoDb = ebNoDb;
  return signal;
}

// The file name of the library (or program) this code was linked into, to lead its reports.
std::string ReaderName() {
  static const char anchor = 0;
  Dl_info info{};
  if (dladdr(&anchor, &info) == 0 || info.dli_fname == nullptr) return "simulator";
  const std::string_view path = info.dli_fname;
  return std::string(path.substr(path.find_last_of('/') + 1));
}

std::string SimFolder() {
  const char* folder = std::getenv("QUORX_SIM_FOLDER");
  std::string base = folder != nullptr && folder[0] != '\0' ? folder : ".";
  if (base.back() != '/') base += '/';
  return base;
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

SimConfig ParseSimConfig(std::string_view text, std::vector<std::string>& notes) {
  SimConfig config = DefaultSimConfig();
  Reader read(ParseIni(text, notes), notes);
  read.Int("General", "Cards", 0, kMaxCards, config.cards);
  read.Seed(config.seed);
  bool variant = false;
  read.Bool("General", "ChipVariant", variant);
  for (int i = 0; i < kMaxCards; ++i) {
    CardConfig& card = config.card[static_cast<std::size_t>(i)];
    const std::string section = "Card_" + std::to_string(i);
    card.chipVariant = variant;
    read.Bool(section, "ChipVariant", card.chipVariant);
    read.Int(section, "FpgaMode", -1, 15, card.fpgaMode);
    read.Bool(section, "SecondFpga", card.secondFpga);
    read.Signal(section, "IfInput1", card.input[0]);
    read.Signal(section, "IfInput2", card.input[1]);
  }
  DnCvtConfig& dn = config.dncvt;
  read.Int("DownConverters", "Kr12Cards", 0, kMaxCards, dn.kr12Cards);
  read.Int("DownConverters", "Kr12Channels", 1, 4, dn.kr12Channels);
  read.Int("DownConverters", "Kr14Cards", 0, kMaxCards, dn.kr14Cards);
  read.Int("DownConverters", "Kr14Channels", 1, 4, dn.kr14Channels);
  read.Double("DownConverters", "RfCarrierMhz", 1.0, 100000.0, dn.rfCarrierMhz);
  read.Double("DownConverters", "RfPowerDbm", -200.0, 30.0, dn.rfPowerDbm);
  read.Double("DownConverters", "AmToneHz", 0.0, 100000.0, dn.amToneHz);
  read.Double("DownConverters", "AmIndex", 0.0, 1.0, dn.amIndex);
  read.ReportKeysNotRead();
  return config;
}

std::string SimConfigPath() { return SimFolder() + kConfigFileName; }

std::string SimLogPath() { return SimFolder() + kLogFileName; }

SimConfig ReadSimConfig(const std::string& path, std::vector<std::string>& notes) {
  const platform::ReadFileResult file = platform::ReadRegularFile(path, kMaxConfigBytes);
  if (file.status == platform::ReadFileStatus::kMissing) return DefaultSimConfig();
  if (file.status != platform::ReadFileStatus::kOk) {
    notes.push_back(file.why + "; the defaults are used");
    return DefaultSimConfig();
  }
  return ParseSimConfig(file.bytes, notes);
}

namespace {

bool WriteAll(int fd, const std::string& text) {
  std::size_t written = 0;
  while (written < text.size()) {
    const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    written += static_cast<std::size_t>(n);
  }
  return true;
}

// The reports of a log text, without the leading reader names.
std::set<std::string> LoggedNotes(const std::string& log) {
  std::set<std::string> logged;
  std::string_view rest = log;
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    const std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    if (const std::size_t lead = line.find(": "); lead != std::string_view::npos) {
      logged.emplace(line.substr(lead + 2));
    }
  }
  return logged;
}

std::string ReadAll(int fd) {
  std::string text;
  char buffer[65536];
  off_t at = 0;
  while (text.size() <= 2 * kMaxLogBytes) {
    const ssize_t n = ::pread(fd, buffer, sizeof buffer, at);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
    at += n;
  }
  return text;
}

bool Later(const timespec& a, const timespec& b) {
  return a.tv_sec != b.tv_sec ? a.tv_sec > b.tv_sec : a.tv_nsec > b.tv_nsec;
}

}  // namespace

void WriteSimLog(const std::vector<std::string>& notes, const std::string& configPath) {
  if (notes.empty()) return;
  const std::string path = SimLogPath();
  // Never blocks on, or writes into, anything but a regular file.
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_APPEND | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0644);
  if (fd < 0) return;
  struct stat st {};
  // Held while the log is read and written: the libraries that read the file at once see each
  // other's reports and do not interleave their lines.
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX) == 0 && ::fstat(fd, &st) == 0) {
    bool startOver = static_cast<std::size_t>(st.st_size) > kMaxLogBytes;
    if (startOver && ::ftruncate(fd, 0) != 0) {
      ::close(fd);
      return;
    }
    // The file changed after the log was last written: its reports are written again, old or new.
    struct stat config {};
    const bool changed = startOver || st.st_size == 0 || ::stat(configPath.c_str(), &config) != 0 ||
                         Later(config.st_mtim, st.st_mtim);
    const std::set<std::string> logged = changed ? std::set<std::string>{} : LoggedNotes(ReadAll(fd));
    const std::string reader = ReaderName();
    std::string text;
    for (const std::string& note : notes) {
      if (logged.count(note) == 0) text += reader + ": " + note + "\n";
    }
    WriteAll(fd, text);
  }
  ::close(fd);
}

SimConfig LoadSimConfig() {
  std::vector<std::string> notes;
  const std::string path = SimConfigPath();
  const SimConfig config = ReadSimConfig(path, notes);
  WriteSimLog(notes, path);
  return config;
}

}  // namespace quorxsim
