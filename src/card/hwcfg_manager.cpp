#include "card/hwcfg_manager.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "card/dncvt_manager.h"
#include "card/records/dncvt_channel_record.h"
#include "card/sim_markers.h"
#include "config/general_routines.h"
#include "config/globals.h"
#include "platform/profile_store.h"
#include "util/error_log.h"
#include "util/repeated_log_lines.h"
#include "util/file_routines.h"
#include "util/ini_read_report.h"
#include "util/ini_file_check.h"
#include "util/ini_rewrite.h"
#include "util/ini_routines.h"

namespace card {
namespace {

constexpr std::array<const char*, kHwCfgCardTypes> kTypeSections{"Kr20", "Kr12", "Kr14"};
constexpr std::array<const char*, kHwCfgCardTypes> kMarkerFiles{kKr20SimMarkerFile, kKr12SimMarkerFile,
                                                               kKr14SimMarkerFile};
constexpr std::array<std::int32_t, kHwCfgCardTypes> kDefaultSimulated{1, 1, 2};
constexpr std::int32_t kMaxDnCvtIndex = static_cast<std::int32_t>(kDnCvtRecords) - 1;

// Every hardware-configuration file has the receiver cards' section; any key may be missing.
std::string CardSetSection(std::size_t card) { return "CardSet_" + std::to_string(card); }

// Every configuration file this program wrote holds every key of every section.
util::IniFileCheck CheckHwCfgKeys(const std::string& file) {
  std::vector<util::IniKeyName> keys;
  for (const char* section : kTypeSections) {
    for (const char* key : {"Enabled", "Simulated", "NumToSimulate"}) keys.push_back({section, key});
  }
  for (std::size_t card = 0; card < kHwCfgCardSets; ++card) {
    for (const char* key : {"CardIndex", "NumDnCvts", "DnCvtIndex0", "DnCvtIndex1"}) {
      keys.push_back({CardSetSection(card), key});
    }
  }
  return util::FirstMissingKey(file, keys);
}

constexpr util::IniFileShape kHwCfgFileShape{"Kr20", "", CheckHwCfgKeys};

void LogBadValue(const std::string& section, const std::string& key, std::int32_t value, const std::string& action) {
  // Into the file's report: the first values not taken are written, the rest counted; the file is
  // read at several start-up steps, and each line goes out once.
  util::ReportIniProblem(std::string(kHwCfgFileName) + " [" + section + "] " + key + "=" + std::to_string(value) +
                         " out of range, " + action);
}

// Reads an integer key; a value outside min..max is logged and leaves `value` as it was.
void ReadRanged(const std::string& path, const std::string& section, const std::string& key, std::int32_t min,
                std::int32_t max, const std::string& action, std::int32_t& value) {
  std::int32_t read = value;
  if (!util::IniReadInt(path, section, key, read)) return;
  if (read < min || read > max) {
    LogBadValue(section, key, read, action);
    return;
  }
  value = read;
}

std::int32_t CountAssigned(const HwCfgCardSetRecord& record) {
  std::int32_t count = 0;
  for (std::size_t ch = 0; ch < 2; ++ch) {
    const std::int32_t index = record.DnCvtIndex[ch];
    if (index >= 0 && index <= kMaxDnCvtIndex) ++count;
  }
  return count;
}

// Card indices in place, slots outside 0..11 set to -1, a converter used twice kept only at its
// first channel, counts recomputed. Logs what it had to change when `log` is set.
void NormaliseCardSets(HwCfgCardSetRecords& records, bool log) {
  std::array<bool, kDnCvtRecords> used{};
  for (std::size_t card = 0; card < records.size(); ++card) {
    HwCfgCardSetRecord record = records[card];
    record.CardIndex = static_cast<std::int32_t>(card);
    for (std::size_t ch = 0; ch < 2; ++ch) {
      const std::int32_t index = record.DnCvtIndex[ch];
      if (index < 0 || index > kMaxDnCvtIndex) {
        record.DnCvtIndex[ch] = -1;
        continue;
      }
      if (used[static_cast<std::size_t>(index)]) {
        if (log) {
          LogBadValue(CardSetSection(card), "DnCvtIndex" + std::to_string(ch), index,
                      "already assigned to another channel, not used");
        }
        record.DnCvtIndex[ch] = -1;
        continue;
      }
      used[static_cast<std::size_t>(index)] = true;
    }
    record.NumDnCvts = CountAssigned(record);
    records[card] = record;
  }
}

}  // namespace

HwCfgEnableRecords DefaultEnableRecords() {
  HwCfgEnableRecords records{};
  for (std::size_t type = 0; type < kHwCfgCardTypes; ++type) {
    records[type].Enabled = 1;
    records[type].Simulated = 0;
    records[type].NumToSimulate = kDefaultSimulated[type];
  }
  return records;
}

void AssignDefaultDownConverters(int count, int cards, HwCfgCardSetRecords& records) {
  for (std::size_t card = 0; card < records.size(); ++card) {
    HwCfgCardSetRecord record{};
    record.CardIndex = static_cast<std::int32_t>(card);
    for (std::size_t ch = 0; ch < 2; ++ch) {
      const int index = static_cast<int>(card * 2 + ch);
      const bool assigned = static_cast<int>(card) < cards && index < count && index <= kMaxDnCvtIndex;
      record.DnCvtIndex[ch] = assigned ? index : -1;
    }
    record.NumDnCvts = CountAssigned(record);
    records[card] = record;
  }
}

}  // namespace card

using namespace card;

quorxhwcfgmgrclass::quorxhwcfgmgrclass() : EnableRecords(DefaultEnableRecords()), CardSetRecords{} {
  AssignDefaultDownConverters(static_cast<int>(kDnCvtRecords), static_cast<int>(kHwCfgCardSets), CardSetRecords);
  UpdateFlags();
}

quorxhwcfgmgrclass::~quorxhwcfgmgrclass() = default;

std::string quorxhwcfgmgrclass::ConfigFilePath() { return HardwareConfigPath(kHwCfgFileName); }

quorxdncvtmgrclass* quorxhwcfgmgrclass::DownConverters() const { return dncvt_ != nullptr ? dncvt_ : gDnCvtMgr; }

void quorxhwcfgmgrclass::ReadEnableRecords(const std::string& path) {
  for (std::size_t type = 0; type < kHwCfgCardTypes; ++type) {
    HwCfgEnableRecord record = EnableRecords[type];
    const std::string section = kTypeSections[type];
    std::uint8_t flag = record.Enabled;
    if (util::IniReadBool(path, section, "Enabled", flag)) record.Enabled = flag;
    flag = record.Simulated;
    if (util::IniReadBool(path, section, "Simulated", flag)) record.Simulated = flag;
    std::int32_t number = record.NumToSimulate;
    ReadRanged(path, section, "NumToSimulate", 1, kHwCfgMaxSimulated[type], "default kept", number);
    record.NumToSimulate = number;
    EnableRecords[type] = record;
  }
}

// The markers are what the libraries and the demo mode go by, so they decide the simulated
// flag; their count replaces the file's only when the two disagree.
void quorxhwcfgmgrclass::ReadMarkers() {
  for (std::size_t type = 0; type < kHwCfgCardTypes; ++type) {
    HwCfgEnableRecord record = EnableRecords[type];
    const bool kr14 = type == kHwCfgKr14;
    std::int32_t count = kr14 ? record.NumToSimulate / 2 : record.NumToSimulate;
    const std::int32_t configured = count;
    const bool present =
        ReadSimulationMarkerFile(kMarkerFiles[type], kr14 ? kHwCfgMaxSimulated[type] / 2 : kHwCfgMaxSimulated[type],
                                 count);
    if (present != (record.Simulated != 0)) {
      util::WriteErrorLogLine(std::string(kTypeSections[type]) + " simulated " + (present ? "YES" : "NO") +
                                  " by its marker " + kMarkerFiles[type],
                              0);
    }
    record.Simulated = present ? 1 : 0;
    if (present) {
      record.Enabled = 1;
      if (count != configured) record.NumToSimulate = kr14 ? count * 2 : count;
    }
    EnableRecords[type] = record;
  }
}

void quorxhwcfgmgrclass::UpdateFlags() {
  const HwCfgEnableRecord kr20 = EnableRecords[kHwCfgKr20];
  Kr20SimulatedFlag = kr20.Enabled != 0 && kr20.Simulated != 0 ? 1 : 0;
  AnySimulatedFlag = 0;
  for (const HwCfgEnableRecord& record : EnableRecords) {
    if (record.Enabled != 0 && record.Simulated != 0) AnySimulatedFlag = 1;
  }
}

bool quorxhwcfgmgrclass::LoadConfigFile() {
  EnableRecords = DefaultEnableRecords();
  AssignDefaultDownConverters(static_cast<int>(kDnCvtRecords), static_cast<int>(kHwCfgCardSets), CardSetRecords);
  const std::string file = ConfigFilePath();
  const bool found = util::IniFileOrBakPresent(file);
  if (!found) util::WriteErrorLogLine(file + " not found, hardware configuration defaults used", 0);
  // A damaged file is read from its ".BAK"; with neither readable the defaults stay.
  const std::string path = found ? util::IniFileToRead(file, kHwCfgFileShape) : std::string();
  defaultAssignments_ = path.empty();
  if (!path.empty()) {
    const platform::ProfileReadScope scope(path);
    const util::IniReadReport report(kHwCfgFileName);
    ReadEnableRecords(path);
    for (std::size_t card = 0; card < kHwCfgCardSets; ++card) {
      HwCfgCardSetRecord record = CardSetRecords[card];
      const std::string section = CardSetSection(card);
      std::int32_t value = record.CardIndex;
      ReadRanged(path, section, "CardIndex", static_cast<std::int32_t>(card), static_cast<std::int32_t>(card),
                 "card index kept", value);
      for (std::size_t ch = 0; ch < 2; ++ch) {
        value = record.DnCvtIndex[ch];
        const std::string key = "DnCvtIndex" + std::to_string(ch);
        if (util::IniReadInt(path, section, key, value)) {
          if (value < -1 || value > kMaxDnCvtIndex) {
            LogBadValue(section, key, value, "not used");
            value = -1;
          }
          record.DnCvtIndex[ch] = value;
        }
      }
      value = CountAssigned(record);
      ReadRanged(path, section, "NumDnCvts", 0, 2, "counted again", value);
      record.NumDnCvts = value;
      CardSetRecords[card] = record;
    }
    NormaliseCardSets(CardSetRecords, true);
  }
  ReadMarkers();
  UpdateFlags();
  return found;
}

bool quorxhwcfgmgrclass::LoadConfigFileSimulatedOnly() {
  EnableRecords = DefaultEnableRecords();
  const bool found = util::IniFileOrBakPresent(ConfigFilePath());
  const std::string path = found ? util::IniFileToRead(ConfigFilePath(), kHwCfgFileShape) : std::string();
  if (!path.empty()) {
    const platform::ProfileReadScope scope(path);
    const util::IniReadReport report(kHwCfgFileName);
    ReadEnableRecords(path);
  }
  ReadMarkers();
  UpdateFlags();
  return found;
}

bool quorxhwcfgmgrclass::SaveConfigFile() {
  // What is saved is the configuration from here on, whether or not the file could be written.
  defaultAssignments_ = false;
  std::error_code ignored;
  std::filesystem::create_directories(config::SystemFolder("HARDWARECONFIGURATION"), ignored);
  const HwCfgEnableRecords enables = EnableRecords;
  const HwCfgCardSetRecords sets = CardSetRecords;
  return util::RewriteIniFile(ConfigFilePath(), kHwCfgFileShape, [&enables, &sets](const std::string& file) {
    bool ok = true;
    for (std::size_t type = 0; type < kHwCfgCardTypes; ++type) {
      const HwCfgEnableRecord record = enables[type];
      const std::string section = kTypeSections[type];
      ok = util::IniWriteBool(file, section, "Enabled", record.Enabled != 0) && ok;
      ok = util::IniWriteBool(file, section, "Simulated", record.Simulated != 0) && ok;
      ok = util::IniWriteInt(file, section, "NumToSimulate", record.NumToSimulate) && ok;
    }
    for (std::size_t card = 0; card < kHwCfgCardSets; ++card) {
      const HwCfgCardSetRecord record = sets[card];
      const std::string section = CardSetSection(card);
      ok = util::IniWriteInt(file, section, "CardIndex", record.CardIndex) && ok;
      ok = util::IniWriteInt(file, section, "NumDnCvts", record.NumDnCvts) && ok;
      for (std::size_t ch = 0; ch < 2; ++ch) {
        const std::int32_t index = record.DnCvtIndex[ch];
        ok = util::IniWriteInt(file, section, "DnCvtIndex" + std::to_string(ch), index) && ok;
      }
    }
    return ok;
  });
}

void quorxhwcfgmgrclass::ApplyHardwareConfiguration() {
  for (std::size_t type = 0; type < kHwCfgCardTypes; ++type) {
    HwCfgEnableRecord record = EnableRecords[type];
    if (record.NumToSimulate < 1 || record.NumToSimulate > kHwCfgMaxSimulated[type]) {
      util::WriteErrorLogLine(std::string(kTypeSections[type]) + " number to simulate " +
                                  std::to_string(record.NumToSimulate) + " out of range, default used",
                              record.NumToSimulate);
      record.NumToSimulate = kDefaultSimulated[type];
      EnableRecords[type] = record;
    }
  }
  NormaliseCardSets(CardSetRecords, true);
  UpdateFlags();
  if (quorxdncvtmgrclass* dncvt = DownConverters(); dncvt != nullptr) {
    dncvt->Configure(EnableRecords[kHwCfgKr12], EnableRecords[kHwCfgKr14]);
  }
}

int quorxhwcfgmgrclass::NumSystemCards() {
  const int detected = EnableRecords[kHwCfgKr20].Simulated != 0 ? 0 : HwCfgCountKr20();
  const int count = GetNumSimChannels(EnableRecords[kHwCfgKr20], detected);
  return std::clamp(count, 0, static_cast<int>(kHwCfgCardSets));
}

bool quorxhwcfgmgrclass::OpenAllCards() {
  bool ok = true;
  if (receivers_ != nullptr) {
    ok = receivers_->OpenCards(Kr20SimulatedFlag != 0, NumSystemCards());
  } else {
    util::WriteErrorLogLine("OpenAllCards: no receiver-card manager attached, receiver cards not opened", 0);
    ok = false;
  }
  if (quorxdncvtmgrclass* dncvt = DownConverters(); dncvt != nullptr) {
    ok = dncvt->OpenAll() && ok;
    // A channel tied to a converter that is not there would show and save a converter it lacks.
    if (defaultAssignments_) AssignDefaultDownConverters(dncvt->NumDnCvts, NumSystemCards(), CardSetRecords);
  } else {
    util::WriteErrorLogLine("OpenAllCards: no down-converter manager, down-converters not opened", 0);
    ok = false;
  }
  return ok;
}

void quorxhwcfgmgrclass::CloseAllCards() {
  if (receivers_ != nullptr) receivers_->CloseCards();
  if (quorxdncvtmgrclass* dncvt = DownConverters(); dncvt != nullptr) dncvt->CloseAll();
}

int quorxhwcfgmgrclass::HwCfgCountKr20() {
  if (receivers_ == nullptr) return 0;
  const int count = receivers_->DetectedCardCount();
  if (count < 0 || count > static_cast<int>(kHwCfgCardSets)) {
    util::WriteErrorLogLine("Receiver card count " + std::to_string(count) + " out of range, taken as 0", count);
    return 0;
  }
  return count;
}

int quorxhwcfgmgrclass::HwCfgCountKr12() {
  quorxdncvtmgrclass* dncvt = DownConverters();
  return dncvt != nullptr ? dncvt->ProbeKr12Cards() : 0;
}

int quorxhwcfgmgrclass::HwCfgCountKr14() {
  quorxdncvtmgrclass* dncvt = DownConverters();
  return dncvt != nullptr ? dncvt->ProbeKr14Cards() : 0;
}

int quorxhwcfgmgrclass::GetDownConverterIndex(int card, int channel) const {
  if (card < 0 || card >= static_cast<int>(kHwCfgCardSets) || channel < 0 || channel > 1) return -1;
  const HwCfgCardSetRecord record = CardSetRecords[static_cast<std::size_t>(card)];
  const std::int32_t index = record.DnCvtIndex[channel];
  return index >= 0 && index <= kMaxDnCvtIndex ? index : -1;
}
