#pragma once
// The last setup ("Kr20Last.last": each card's setup file name) and the last state (each card's
// whole setup as it stood), saved so that the next start-up restores them.
#include <string>

namespace settings {

// Rewrites the last-setup file, then the last-state files. False (logged) when a write failed.
bool SaveLastSetupFile();
// Loads each card's last setup file into its records. A card the list gives no setup (none
// listed, the file missing, damaged or no setup file) reads its own state file instead, with one
// log line naming the list, the card's entry, the reason and the file read: left at its power-up
// setup, the next save would write that over the operator's state.
void LoadLastSetupFile();
// Rewrites the last-state files, each card's previous state kept as its ".BAK". False (logged)
// when a write failed.
bool SaveLastSetupStateFile();
// Loads every card's state; true when the common file existed and the system's card count was
// valid, so that the card loop ran. A card the common file names no usable file for (the file
// damaged, the key missing, the file gone) takes its own state file by its fixed name.
bool LoadLastSetupStateFile();
// Loads one card's own state file (or its ".BAK"); the file read, empty when there was none to
// read.
std::string LoadCardOwnStateFile(int card);
// The auto-save gate after a setting change: saves the last state when the options ask for it,
// merged with the other saves of the same pass of the event loop (merged_saves.h).
void SaveLastSetupStateIfEnabled();

// One card's complete setup into / from a given file, with the card's two down-converter records.
bool WriteCardSetupSections(int card, const std::string& fileName);
// `whyNot` as for ReadCardSetup.
bool ReadCardSetupSections(int card, const std::string& fileName, std::string* whyNot = nullptr);

}  // namespace settings
