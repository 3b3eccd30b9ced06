// The last-state files: every card's whole setup as it stands, so that a restart restores
// changes that were never saved to a setup file. "Kr20LastState.last" lists the cards' state
// files; "Kr20LastState.last<i>" holds card i's setup in setup-file form and keeps its previous
// content as its ".BAK".
//
// Log lines of the load, beside those of the damaged-file check:
//   <common> is damaged (<reason>); each card's state is read from its own file
//   <common> is missing; each card's state is read from its own file
//   <common> [KR20_<i>] names no usable state file; <card i's own file> used
//   <common> [KR20_<i>] names the state file of another card; <card i's own file> used
//   <common> lists <n> cards; <card i's own file> used          (card i beyond the list)
//   <listed file> is in another folder; <the file of that name in this folder> used
//   <listed file> is in another folder; <that name in this folder> is missing, <listed file> used
// Whatever the list says, the saves write each card's own file, so a bad entry never costs a card
// its own state. A list of fewer cards than there are (written by a run with fewer cards, such as
// one on simulated cards) leaves the cards beyond it to their own files: were they left at their
// power-up setup, the next save would write that over the operator's.
#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "card/card_routines.h"
#include "card/rtl20_manager.h"
#include "config/globals.h"
#include "config/options_store.h"
#include "platform/path_resolve.h"
#include "settings/last_setup.h"
#include "settings/last_setup_files.h"
#include "settings/setup_file_sections.h"
#include "settings/merged_saves.h"
#include "util/error_log.h"
#include "util/file_routines.h"
#include "util/ini_file_check.h"
#include "util/ini_rewrite.h"

namespace settings {

namespace {

// Every state file starts with the card's designation section and, written by this program, ends
// with the two down-converter sections: a file without their keys was cut short.
util::IniFileCheck CheckStateKeys(const std::string& file) {
  std::vector<util::IniKeyName> keys;
  for (int converter = 0; converter < 2; ++converter) {
    for (const setupfile::KeySpec& spec : setupfile::DownConverterKeys()) {
      keys.push_back({setupfile::DownConverterSectionName(converter), std::string(spec.Key)});
    }
  }
  return util::FirstMissingKey(file, keys);
}

constexpr util::IniFileShape kCardStateShape{setupfile::kDesignationSection, "", CheckStateKeys};

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  return platform::ResolvePath(a) == platform::ResolvePath(b) || std::filesystem::equivalent(a, b, error);
}

// The file of the listed name in this program's folder when the list names another folder (the
// program folder was copied or moved) and such a file (or its ".BAK") is there; else the listed
// name, with `missingHere` the name it would have here when that is missing.
std::string InThisFolder(const std::string& listed, std::string& missingHere) {
  missingHere.clear();
  std::string normal = listed;
  std::replace(normal.begin(), normal.end(), '\\', '/');
  const auto slash = normal.rfind('/');
  const std::string name = slash == std::string::npos ? normal : normal.substr(slash + 1);
  const std::string folder = slash == std::string::npos ? "." : normal.substr(0, std::max<std::size_t>(slash, 1));
  const std::string here = LastSetupFolder();
  std::error_code error;
  if (name.empty() || std::filesystem::equivalent(folder, here, error)) return listed;
  const std::string local = platform::ResolvePath(here + "/" + name);
  if (!util::IniFileOrBakPresent(local)) {
    missingHere = local;
    return listed;
  }
  util::WriteErrorLogLine(listed + " is in another folder; " + local + " used", 0);
  return local;
}

// The state file to load for each card: the listed one when it is a state file no other card
// takes, else the card's own file by its fixed name; empty when there is nothing to read.
std::vector<std::string> StateFilesToLoad(const std::vector<std::optional<std::string>>& listed,
                                          std::size_t listedCards, const std::string& common, bool listUsable) {
  std::vector<std::string> chosen;
  for (std::size_t card = 0; card < listed.size(); ++card) {
    const std::string own = CardStateFilePath(static_cast<int>(card));
    std::string file;
    std::string why = card < listedCards ? " [" + CardListSection(static_cast<int>(card)) +
                                                     "] names no usable state file; "
                                               : " lists " + std::to_string(listedCards) + " cards; ";
    if (listUsable && listed[card] && !listed[card]->empty()) {
      std::string missingHere;
      const std::string named = InThisFolder(*listed[card], missingHere);
      bool another = false;
      for (std::size_t other = 0; other < listed.size() && !another; ++other) {
        if (other == card) continue;
        another = SameFile(named, CardStateFilePath(static_cast<int>(other))) ||
                  (other < chosen.size() && !chosen[other].empty() && SameFile(named, chosen[other]));
      }
      const util::IniFileState state = util::CheckIniFile(named, kCardStateShape).state;
      if (another) {
        why = " [" + CardListSection(static_cast<int>(card)) + "] names the state file of another card; ";
      } else if (SameFile(named, own) || state == util::IniFileState::kWhole || state == util::IniFileState::kCut) {
        file = named;
        if (!missingHere.empty()) {
          util::WriteErrorLogLine(named + " is in another folder; " + missingHere + " is missing, " + named + " used", 0);
        }
      }
    }
    if (file.empty() && util::IniFileOrBakPresent(own)) {
      file = own;
      if (listUsable) {
        util::WriteErrorLogLine(common + why + own + " used", 0);
      }
    }
    chosen.push_back(file);
  }
  return chosen;
}

}  // namespace

bool SaveLastSetupStateFile() {
  const int count = card::SystemCardCount();
  if (!IsValidCardCount(count)) {
    util::LogError("At SaveLastSetupStateFile(), bogus number of kr20cards, not saving", count, false);
    return false;
  }
  // Without cards the state of the last run is kept for the next.
  if (count == 0) return true;

  std::vector<std::string> files;
  for (int card = 0; card < count; ++card) files.push_back(CardStateFilePath(card));
  MakeLastSetupFolder();
  const std::string common = LastStateFilePath();
  bool saved = util::UpdateKeptIniFile(common, kCardListShape, false,
                                       [&files](const std::string& file) { return WriteCardList(file, files); });
  if (!saved) util::LogError("Last state file " + common + " not saved", 0, false);
  for (int card = 0; card < count; ++card) {
    const bool written =
        util::UpdateKeptIniFile(files[static_cast<std::size_t>(card)], kCardStateShape, true,
                                [card](const std::string& file) { return WriteCardSetupSections(card, file); });
    saved = written && saved;
  }
  return saved;
}

bool LoadLastSetupStateFile() {
  // A save still waiting for its pass end is written before the files are read.
  MakePendingLastStateSave();
  const std::string common = LastStateFilePath();
  const int count = card::SystemCardCount();
  bool anyState = util::FileExists(common);
  for (int card = 0; card < count && card < config::kMaxCards; ++card) {
    anyState = anyState || util::IniFileOrBakPresent(CardStateFilePath(card));
  }
  if (!anyState) return false;  // the first start
  if (!IsValidCardCount(count)) {
    util::LogError("At LoadLastSetupStateFile(), rtlmgr says bogus num cards", count, false);
    return false;
  }
  // A list that cannot be read leaves every card to its own state file, which is intact.
  const util::IniFileCheck check = util::CheckIniFile(common, kCardListShape);
  std::vector<std::optional<std::string>> files;
  const bool listUsable = check.state == util::IniFileState::kWhole || check.state == util::IniFileState::kCut;
  if (listUsable) ReadCardList(common, count, files);
  if (check.state == util::IniFileState::kMissing) {
    util::WriteErrorLogLine(common + " is missing; each card's state is read from its own file", 0);
  } else if (!listUsable) {
    util::WriteErrorLogLine(
        common + " is damaged (" + check.reason + "); each card's state is read from its own file", 0);
  }
  if (!listUsable) files.clear();
  const std::size_t listedCards = files.size();
  files.resize(static_cast<std::size_t>(count), std::nullopt);
  const std::vector<std::string> chosen = StateFilesToLoad(files, listedCards, common, listUsable);
  for (std::size_t card = 0; card < chosen.size(); ++card) {
    if (chosen[card].empty()) continue;
    // A damaged, cut or missing state file is read from its ".BAK".
    const std::string source = util::IniFileToRead(chosen[card], kCardStateShape);
    if (!source.empty()) ReadCardSetupSections(static_cast<int>(card), source);
  }
  return true;
}

std::string LoadCardOwnStateFile(int card) {
  const std::string own = CardStateFilePath(card);
  if (!util::IniFileOrBakPresent(own)) return {};
  const std::string source = util::IniFileToRead(own, kCardStateShape);
  return !source.empty() && ReadCardSetupSections(card, source) ? source : std::string();
}

void SaveLastSetupStateIfEnabled() {
  const config::kr20optionclass* options = config::gApp.Options;
  if (options == nullptr) return;
  const config::kr20optinfo& info = options->Info();
  const bool everyChange = info.MinLastStateSaves == 0 && info.LoadLastSetupState != 0;
  if (everyChange) RequestLastStateSave();
}

}  // namespace settings
