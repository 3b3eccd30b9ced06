#include "support/log_capture.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "util/error_log.h"

namespace testsupport {

LoggedProgramFolder::LoggedProgramFolder() {
  previous_ = std::filesystem::current_path().string();
  std::filesystem::create_directories(folder_ / "SYSTEM/ERLOGS");
  std::filesystem::current_path(folder_.Path());
  util::LogProgramStart(false, "2.01", nullptr, "QuorxL", "\\SYSTEM\\ERLOGS\\", "QuorxL");
}

LoggedProgramFolder::~LoggedProgramFolder() {
  util::LogProgramEnd(false);
  std::error_code ignored;
  std::filesystem::current_path(previous_, ignored);
}

std::vector<std::string> LoggedProgramFolder::LogLines() const {
  std::istringstream in(ReadWholeFile(folder_ / "SYSTEM/ERLOGS/QuorxL.log"));
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> LoggedProgramFolder::LogTexts() const {
  return LogFileTexts(folder_ / "SYSTEM/ERLOGS/QuorxL.log");
}

std::vector<std::string> LogFileTexts(const std::string& path) {
  std::istringstream in(ReadWholeFile(path));
  std::vector<std::string> texts;
  // "nnnnnn  ddd:hh:mm:ss.uuuuuu  text"
  for (std::string line; std::getline(in, line);) texts.push_back(line.size() >= 29 ? line.substr(29) : line);
  return texts;
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  return static_cast<bool>(out.flush());
}

}  // namespace testsupport
