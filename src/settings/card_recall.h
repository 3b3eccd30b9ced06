#pragma once
// Recalling a named setup file into a card (the card windows' File menu and the remote RECALL
// SETUP command). The set manager's RecallCardSetup loads the card's current setup file name; the
// callers name the new file first, so a failed recall must put the old name back.
#include <string>

namespace settings {

// Makes `fileName` the card's setup file name and recalls it (kr20setmgrclass::RecallCardSetup).
// On failure the card's previous setup file name is put back. False without a set manager.
bool RecallCardSetupFile(int card, const std::string& fileName);

}  // namespace settings
