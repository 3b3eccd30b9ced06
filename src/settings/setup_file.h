#pragma once
// Card setup files: the whole setup of one receiver card (its CardSetupRecord and the setup of the
// two down-converter channels tied to it) in an INI file under USER/SETUPFILES/.
#include <array>
#include <string>

namespace card {
struct CardSetupRecord;
struct DnCvtChannelRecord;
}  // namespace card

namespace settings {

inline constexpr const char* kSetupFileExtension = "VexA";

// Writes the whole file from explicit records, through one batch (the file is written once).
// Keys this writer does not produce stay in the file. False (logged) when the file could not be
// written.
bool WriteCardSetup(int card, const std::string& fileName, const card::CardSetupRecord& setup,
                    const card::DnCvtChannelRecord& dnCvtA, const card::DnCvtChannelRecord& dnCvtB);

// Reads the file into explicit records. False, with nothing changed, when the file does not exist
// (or is not a setup file); true otherwise. A key the file lacks keeps the record's value; their
// number is logged in one line ("<n> keys missing, current values kept"). With `whyNot` given, a
// file that is not read says why there ("is missing", "holds no setup") instead of in the log, for
// a caller that names the file in a line of its own.
bool ReadCardSetup(int card, const std::string& fileName, card::CardSetupRecord& setup,
                   card::DnCvtChannelRecord& dnCvtA, card::DnCvtChannelRecord& dnCvtB,
                   std::string* whyNot = nullptr);

// The card's two down-converter records: channel 0's converter (record 0 when none) and channel
// 1's (channel 0's when none), so a card with one converter or none stores one record twice.
// Without a converter manager both are `spare`.
std::array<card::DnCvtChannelRecord*, 2> CardDnCvtRecords(int card, card::DnCvtChannelRecord& spare);

// The path of the card's current setup file: <program folder>/USER/SETUPFILES/<base name>.VexA,
// the base name taken from the set manager's name of that card (a bare base name or a whole file
// name), found whatever its letter case on disk. Empty without a set manager, card or name.
std::string CardSetupFilePath(int card);

// Writes / reads the card's current setup file from / into the card's own records and its two
// down-converter records. False when there is no card, the write failed or the file is missing.
bool SaveCardSetupFile(int card);
bool LoadCardSetupFile(int card);

}  // namespace settings
