#pragma once
// Files, folders and the file and colour dialogs.
#include <cstdio>
#include <string>
#include <vector>

#include "util/colour.h"

namespace util {

// True when the file (or folder) exists; letter case of the names does not matter.
bool FileExists(const std::string& file);
// Copies the file to the same name with ".BAK" appended, replacing an older copy whole (the
// copy is written beside it and renamed). False when the file is not a regular file, cannot be
// read or the copy cannot be written.
bool BackupFile(const std::string& file);
// The file name without folder ("/" or "\") and extension; the path is cut at 259 characters.
std::string FileBaseName(const std::string& path);
// The base names of every file in the folder with that extension (letter case ignored), sorted.
void ListFileBaseNames(const std::string& folder, const std::string& extension, std::vector<std::string>& list);
// Reads the next line of at most bufferSize - 1 characters (the rest of a longer line is the next
// read), skipping up to 100 empty reads, then trims blanks and removes CR and LF. False, with an
// empty text, at the end of the file.
bool ReadTextLine(std::FILE* stream, std::string& text, int bufferSize);

// The open and save dialogs: filter "File Type (*.<type>)|*.<type>", starting in the folder and
// proposing the base name of `proposedName` (the open dialog proposes the existing file of that
// base name and type as it is named on disk). True with the chosen path when confirmed.
bool OpenFileDialog(const std::string& initialFolder, const std::string& fileType, std::string& fileName,
                    const std::string& proposedName);
bool SaveFileDialog(const std::string& initialFolder, const std::string& fileType, std::string& fileName,
                    const std::string& proposedName);
// The colour dialog; true with the chosen colour.
bool PickColour(TColor& colour);

}  // namespace util
