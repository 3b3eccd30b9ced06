// The last-state files: every card's whole setup as it stands, so that a restart restores
// changes that were never saved to a setup file. "Kr20LastState.last" lists the cards' state
// files; "Kr20LastState.last<i>" holds card i's setup in setup-file form and keeps its previous
// content as its ".BAK".
//
// Log lines of the load, beside those of the damaged-file check:
//   <common> is damaged (<reason>); each card's state is read from its own file
//   <common> [KR20_<i>] names no usable state file; <card i's own file> used
//   <listed file> is in another folder; <the file of that name in this folder> used
#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <system_error>
#include <vector>

#include "card/card_routines.h"
#include "card/rtl20_manager.h"
#include "config/globals.h"
#include "config/options_store.h"
#include "platform/path_resolve.h"
#include "platform/profile_store.h"
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

// Every state file starts with the card's designation section.
constexpr util::IniFileShape kCardStateShape{setupfile::kDesignationSection, ""};

using KeyWriter = std::function<bool(const std::string& file)>;

// Writes the keys over what the file holds, as these files are written; a damaged file is written
// anew instead (what it held kept as its ".BAK" when that is not whole), so that no junk outlives
// the save. With `keepBak` the previous content goes to the ".BAK" first.
bool WriteStateFile(const std::string& file, const util::IniFileShape& shape, bool keepBak, const KeyWriter& write) {
  if (util::CheckIniFile(file, shape).state == util::IniFileState::kDamaged) {
    return util::RewriteIniFile(file, shape, write);
  }
  if (keepBak && !util::BackupIniFile(file, shape)) {
    util::WriteErrorLogLine("Cannot copy " + file + " to its .BAK file; writing it anyway", 0);
  }
  platform::ProfileBatch batch(file);
  const bool written = write(file);
  return batch.Commit() && written;
}

// The file of the listed name in this program's folder when the list names another folder (the
// program folder was copied or moved) and such a file is there; else the listed name.
std::string InThisFolder(const std::string& listed) {
  std::string normal = listed;
  std::replace(normal.begin(), normal.end(), '\\', '/');
  const auto slash = normal.rfind('/');
  const std::string name = slash == std::string::npos ? normal : normal.substr(slash + 1);
  const std::string folder = slash == std::string::npos ? "." : normal.substr(0, std::max<std::size_t>(slash, 1));
  const std::string here = LastSetupFolder();
  std::error_code error;
  if (name.empty() || std::filesystem::equivalent(folder, here, error)) return listed;
  const std::string local = platform::ResolvePath(here + "/" + name);
  if (!util::FileExists(local)) return listed;
  util::WriteErrorLogLine(listed + " is in another folder; " + local + " used", 0);
  return local;
}

// The state file to load for the card: the listed one (see InThisFolder), else the card's own
// file by its fixed name; empty when neither exists.
std::string StateFileToLoad(int card, const std::optional<std::string>& listed, const std::string& common,
                            bool listUsable) {
  if (listed && !listed->empty()) {
    const std::string file = InThisFolder(*listed);
    if (util::FileExists(file)) return file;
  }
  const std::string own = CardStateFilePath(card);
  if (!util::FileExists(own)) return {};
  if (listUsable) {
    util::WriteErrorLogLine(common + " [" + CardListSection(card) + "] names no usable state file; " + own + " used",
                            0);
  }
  return own;
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
  bool saved = WriteStateFile(common, kCardListShape, false,
                              [&files](const std::string& file) { return WriteCardList(file, files); });
  if (!saved) util::LogError("Last state file " + common + " not saved", 0, false);
  for (int card = 0; card < count; ++card) {
    const bool written = WriteStateFile(files[static_cast<std::size_t>(card)], kCardStateShape, true,
                                        [card](const std::string& file) { return WriteCardSetupSections(card, file); });
    saved = written && saved;
  }
  return saved;
}

bool LoadLastSetupStateFile() {
  // A save still waiting for its pass end is written before the files are read.
  MakePendingLastStateSave();
  const std::string common = LastStateFilePath();
  if (!util::FileExists(common)) return false;
  const int count = card::SystemCardCount();
  if (!IsValidCardCount(count)) {
    util::LogError("At LoadLastSetupStateFile(), rtlmgr says bogus num cards", count, false);
    return false;
  }
  // A list that cannot be read leaves every card to its own state file, which is intact.
  const util::IniFileCheck check = util::CheckIniFile(common, kCardListShape);
  std::vector<std::optional<std::string>> files;
  std::string damage = check.reason;
  if (check.state == util::IniFileState::kWhole && !ReadCardList(common, count, files)) {
    damage = std::string(kCardCountKey) + " is not a number";
  }
  const bool listUsable = damage.empty();
  if (!listUsable) {
    util::WriteErrorLogLine(common + " is damaged (" + damage + "); each card's state is read from its own file", 0);
    files.assign(static_cast<std::size_t>(count), std::nullopt);
  }
  for (std::size_t card = 0; card < files.size(); ++card) {
    const std::string file = StateFileToLoad(static_cast<int>(card), files[card], common, listUsable);
    if (file.empty()) continue;
    // A damaged state file is read from its ".BAK".
    const std::string source = util::IniFileToRead(file, kCardStateShape);
    if (!source.empty()) ReadCardSetupSections(static_cast<int>(card), source);
  }
  return true;
}

void SaveLastSetupStateIfEnabled() {
  const config::kr20optionclass* options = config::gApp.Options;
  if (options == nullptr) return;
  const config::kr20optinfo& info = options->Info();
  const bool everyChange = info.MinLastStateSaves == 0 && info.LoadLastSetupState != 0;
  if (everyChange) RequestLastStateSave();
}

}  // namespace settings
