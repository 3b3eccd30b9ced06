#pragma once
// Runs a test inside its own program folder with the error log open, and reads the log back.
#include <string>
#include <vector>

#include "support/scratch_folder.h"

namespace testsupport {

class LoggedProgramFolder {
 public:
  // Makes the folder (with SYSTEM/ERLOGS), makes it the current folder and opens the log there.
  LoggedProgramFolder();
  // Closes the log and returns to the previous current folder.
  ~LoggedProgramFolder();
  LoggedProgramFolder(const LoggedProgramFolder&) = delete;
  LoggedProgramFolder& operator=(const LoggedProgramFolder&) = delete;

  const std::string& Path() const { return folder_.Path(); }
  std::string operator/(const std::string& name) const { return folder_ / name; }

  // The log's lines with the number and time columns kept; the line end removed.
  std::vector<std::string> LogLines() const;
  // Only the text column of each line.
  std::vector<std::string> LogTexts() const;

 private:
  ScratchFolder folder_;
  std::string previous_;
};

// The text column of each line of an error log file.
std::vector<std::string> LogFileTexts(const std::string& path);

// Reads a whole file as bytes; empty when it cannot be read.
std::string ReadWholeFile(const std::string& path);
bool WriteWholeFile(const std::string& path, const std::string& bytes);

}  // namespace testsupport
