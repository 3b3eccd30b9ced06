// The last-state files: every card's whole setup as it stands, so that a restart restores
// changes that were never saved to a setup file. "Kr20LastState.last" lists the cards' state
// files; "Kr20LastState.last<i>" holds card i's setup in setup-file form.
#include <optional>
#include <vector>

#include "card/card_routines.h"
#include "card/rtl20_manager.h"
#include "config/globals.h"
#include "config/options_store.h"
#include "platform/profile_store.h"
#include "settings/last_setup.h"
#include "settings/last_setup_files.h"
#include "settings/merged_saves.h"
#include "util/error_log.h"
#include "util/file_routines.h"

namespace settings {

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
  bool saved = false;
  {
    platform::ProfileBatch batch(common);
    const bool written = WriteCardList(common, files);
    saved = batch.Commit() && written;
  }
  if (!saved) util::LogError("Last state file " + common + " not saved", 0, false);
  for (int card = 0; card < count; ++card) {
    saved = WriteCardSetupSections(card, files[static_cast<std::size_t>(card)]) && saved;
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
  std::vector<std::optional<std::string>> files;
  if (!ReadCardList(common, count, files)) return false;
  for (std::size_t card = 0; card < files.size(); ++card) {
    if (files[card] && util::FileExists(*files[card])) ReadCardSetupSections(static_cast<int>(card), *files[card]);
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
