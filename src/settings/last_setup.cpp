// The last-setup file "Kr20Last.last": which setup file each card was last saved to or recalled
// from, so that start-up can load those files again.
//
// A card the list gives no setup reads its own state file instead; one log line per such card:
//   <list> [KR20_<i>] names no setup file; <read>                  (key missing or empty)
//   <list> [KR20_<i>] names <setup file>, which is missing; <read>
//   <list> [KR20_<i>] names <setup file>, which is damaged (<reason>); <read>
//   <list> [KR20_<i>] names <setup file>, which holds no setup; <read>
//   <list> lists <n> cards; <read>                                  (card i beyond the list)
//   <list> is missing; <read>                                       (state files there, no list)
//   <list> cannot be read; <read>                                   (damaged, no whole .BAK)
// <read> is "<card i's state file or its .BAK> used", or "no state in <card i's state file>".
#include "settings/last_setup.h"

#include <optional>
#include <string>
#include <vector>

#include "card/card_routines.h"
#include "card/rtl20_manager.h"
#include "config/globals.h"
#include "platform/path_resolve.h"
#include "settings/last_setup_files.h"
#include "settings/set_manager.h"
#include "settings/setup_file.h"
#include "util/error_log.h"
#include "util/file_routines.h"
#include "util/ini_file_check.h"
#include "util/ini_rewrite.h"
#include "util/process_globals.h"

namespace settings {

namespace {

// The setup file of that base name in the setup-files folder, whatever folder the list named.
std::string SetupFileOfBaseName(const std::string& baseName) {
  return platform::ResolvePath(util::ProgramFolder() + "/USER/SETUPFILES/" + baseName + "." + kSetupFileExtension);
}

// A setup file is a profile file with sections; anything else there is damaged.
constexpr util::IniFileShape kAnySetupShape{"", "", nullptr};

bool AnyCardStateFile(int count) {
  for (int card = 0; card < count && card < config::kMaxCards; ++card) {
    if (util::IniFileOrBakPresent(CardStateFilePath(card))) return true;
  }
  return false;
}

// Loads the setup file a card's entry names and makes it the card's current one; why it gave the
// card no setup, empty when it did. A file that is no setup file leaves the card as it was.
std::string LoadListedSetup(int card, const std::optional<std::string>& entry) {
  const std::string baseName = entry ? util::FileBaseName(*entry) : std::string();
  if (baseName.empty()) return " names no setup file";
  const std::string setupFile = SetupFileOfBaseName(baseName);
  const util::IniFileCheck check = util::CheckIniFile(setupFile, kAnySetupShape);
  if (check.state == util::IniFileState::kMissing) return " names " + setupFile + ", which is missing";
  if (check.state == util::IniFileState::kDamaged) {
    return " names " + setupFile + ", which is damaged (" + check.reason + ")";
  }
  std::string whyNot;
  if (!ReadCardSetupSections(card, setupFile, &whyNot)) return " names " + setupFile + ", which " + whyNot;
  gKr20SetMgr->SetupFileNames[static_cast<std::size_t>(card)] = setupFile;
  return {};
}

// A card the list gives no setup comes up from its own state file, which the saves keep: left at
// its power-up setup, the next save would write that over the operator's. `why` starts the line.
void ComeUpFromOwnState(int card, const std::string& why) {
  const std::string source = LoadCardOwnStateFile(card);
  const std::string read = source.empty() ? "no state in " + CardStateFilePath(card) : source + " used";
  util::WriteErrorLogLine(why + "; " + read, 0);
}

}  // namespace

bool SaveLastSetupFile() {
  const int count = card::SystemCardCount();
  if (!IsValidCardCount(count)) {
    util::LogError("At SaveLastSetupFile(), bogus number of kr20cards, not saving", count, false);
    return false;
  }
  if (gKr20SetMgr == nullptr) return false;
  // Without cards (a missing device library, say) the list of the last run is kept for the next.
  if (count == 0) return true;

  const auto& names = gKr20SetMgr->SetupFileNames;
  const std::vector<std::string> files(names.begin(), names.begin() + count);
  MakeLastSetupFolder();
  const std::string path = LastSetupFilePath();
  // Written as a new file (so cards no longer present leave no section behind) that replaces the
  // old one only once complete; the old one stays as ".BAK".
  const bool saved =
      util::RewriteIniFile(path, kCardListShape, [&files](const std::string& fresh) { return WriteCardList(fresh, files); });
  if (!saved) util::LogError("Last setup file " + path + " not saved", 0, false);
  const bool stateSaved = SaveLastSetupStateFile();
  return saved && stateSaved;
}

void LoadLastSetupFile() {
  const std::string path = LastSetupFilePath();
  const int count = card::SystemCardCount();
  const bool listThere = util::IniFileOrBakPresent(path);
  if (!listThere && !AnyCardStateFile(count)) return;  // the first start: nothing to read
  if (!IsValidCardCount(count)) {
    util::LogError("At LoadLastSetupFile(), rtlmgr says bogus num cards", count, false);
    return;
  }
  if (gKr20SetMgr == nullptr) return;
  // A damaged, cut or missing list is read from its ".BAK", so that the setups come back and the
  // next save keeps them.
  std::vector<std::optional<std::string>> files;
  std::string unlisted = " is missing";  // why the cards beyond `files` are given no setup file
  if (listThere) {
    const std::string list = util::IniFileToRead(path, kCardListShape);
    if (!list.empty() && ReadCardList(list, count, files)) {
      unlisted = " lists " + std::to_string(files.size()) + " cards";
    } else {
      files.clear();
      unlisted = " cannot be read";
    }
  }
  for (int card = 0; card < count; ++card) {
    const auto index = static_cast<std::size_t>(card);
    std::string why = unlisted;
    if (index < files.size()) {
      const std::string problem = LoadListedSetup(card, files[index]);
      if (problem.empty()) continue;
      why = " [" + CardListSection(card) + "]" + problem;
    }
    ComeUpFromOwnState(card, path + why);
  }
}

}  // namespace settings
