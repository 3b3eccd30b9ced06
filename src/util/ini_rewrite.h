#pragma once
// Writing an INI file anew rather than key by key over the old one (options, positions, hardware
// and FPGA configuration, last setup). The old file is first copied to its name plus ".BAK"; the
// keys go into a fresh file beside it, which replaces the old file only once it is complete, so a
// crash at any moment leaves either the old or the new whole file. A damaged old file never
// replaces a whole ".BAK" (see BackupIniFile).
#include <functional>
#include <string>

#include "util/ini_file_check.h"

namespace util {

// `shape` is what every whole file of this kind holds. `writeKeys` gets the path to write the keys
// to and returns false when a write failed. True when the new file is in place; on false the old
// file is untouched and the failure has been logged.
bool RewriteIniFile(const std::string& file, const IniFileShape& shape,
                    const std::function<bool(const std::string& freshFile)>& writeKeys);
// Writes the keys over what the file holds, key by key, lines the program does not write kept;
// with `keepBak` the previous content goes to the ".BAK" first (see BackupIniFile). A damaged file,
// or a cut one with a whole ".BAK", is written anew instead (RewriteIniFile), so that no junk
// outlives the save.
// False when a write failed.
bool UpdateKeptIniFile(const std::string& file, const IniFileShape& shape, bool keepBak,
                       const std::function<bool(const std::string& file)>& writeKeys);
// The same for a file of any section.
bool RewriteIniFile(const std::string& file, const std::function<bool(const std::string& freshFile)>& writeKeys);

}  // namespace util
