// The last-setup file "Kr20Last.last": which setup file each card was last saved to or recalled
// from, so that start-up can load those files again.
#include "settings/last_setup.h"

#include <optional>
#include <string>
#include <utility>
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
  if (!util::IniFileOrBakPresent(path)) return;
  const int count = card::SystemCardCount();
  if (!IsValidCardCount(count)) {
    util::LogError("At LoadLastSetupFile(), rtlmgr says bogus num cards", count, false);
    return;
  }
  if (gKr20SetMgr == nullptr) return;
  // A damaged, cut or missing list is read from its ".BAK", so that the setups come back and the
  // next save keeps them.
  const std::string list = util::IniFileToRead(path, kCardListShape);
  if (list.empty()) return;
  std::vector<std::optional<std::string>> files;
  if (!ReadCardList(list, count, files)) return;

  for (std::size_t card = 0; card < files.size(); ++card) {
    if (!files[card]) continue;
    const std::string baseName = util::FileBaseName(*files[card]);
    if (baseName.empty()) continue;
    const std::string setupFile = SetupFileOfBaseName(baseName);
    if (!util::FileExists(setupFile)) continue;
    std::string& name = gKr20SetMgr->SetupFileNames[card];
    std::string previous = std::exchange(name, setupFile);
    // A file that is there but no setup file leaves the card as it was, name included.
    if (!LoadCardSetupFile(static_cast<int>(card))) name = std::move(previous);
  }
  // A list of fewer cards than there are (written by a run on fewer cards) leaves the others to
  // their own state files: left at their power-up setups, the next save would write those over
  // the operator's.
  for (int card = static_cast<int>(files.size()); card < count; ++card) {
    if (LoadCardOwnStateFile(card)) {
      util::WriteErrorLogLine(path + " lists " + std::to_string(files.size()) + " cards; " + CardStateFilePath(card) + " used", 0);
    }
  }
}

}  // namespace settings
