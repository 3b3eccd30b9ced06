#pragma once
// Where the last-setup and last-state files live and the card list both of them start with:
//   [KR20_CommonArea]  NumKr20Cards=<cards>
//   [KR20_<i>]         SetupFileName=<path>     i = 0 .. cards - 1
// In "Kr20Last.last" the path is card i's setup file, in "Kr20LastState.last" card i's state
// file ("Kr20LastState.last<i>", which holds the card's whole setup in setup-file form).
#include <optional>
#include <string>
#include <vector>

#include "util/ini_file_check.h"

namespace settings {

inline constexpr const char* kLastSetupFileName = "Kr20Last.last";
inline constexpr const char* kLastStateFileName = "Kr20LastState.last";
inline constexpr const char* kCardListSection = "KR20_CommonArea";
inline constexpr const char* kCardCountKey = "NumKr20Cards";
inline constexpr const char* kCardFileKey = "SetupFileName";
// Damaged when the card count is not a number 1 .. 6, cut short when a card below it has no path.
util::IniFileCheck CheckCardListKeys(const std::string& file);
// Both files are whole only with their card count.
inline constexpr util::IniFileShape kCardListShape{kCardListSection, kCardCountKey, CheckCardListKeys};

// In SYSTEM/HARDWARECONFIGURATION of the program folder.
std::string LastSetupFolder();
std::string LastSetupFilePath();
std::string LastStateFilePath();
std::string CardStateFilePath(int card);
// Makes SYSTEM/HARDWARECONFIGURATION when it is missing.
void MakeLastSetupFolder();

// "KR20_" + card.
std::string CardListSection(int card);

// A card count these files may hold: 0 .. 6.
bool IsValidCardCount(int count);

// Writes the card count (the size of `files`) and each card's path. False when a write failed.
bool WriteCardList(const std::string& file, const std::vector<std::string>& files);

// Reads the card count; false when it is missing or not a number. `files` gets one entry per
// card below both that count and `cardCount`: the card's path, or nothing when its key is missing.
bool ReadCardList(const std::string& file, int cardCount, std::vector<std::optional<std::string>>& files);

}  // namespace settings
