// Saving over an older setup file that holds keys the new setup must not have. The profile
// store can only set keys; a setup whose mode is "none" writes no mode key, so an older file's
// mode key must go first or it would come back at the next recall.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "settings/setup_file_sections.h"
#include "util/ini_routines.h"

namespace settings::setupfile {

namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

std::string_view Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

bool HasKey(const std::string& file, const char* section, const char* key) {
  std::string ignored;
  return util::IniReadString(file, section, key, ignored);
}

bool ReadFileBytes(const std::string& path, std::string& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  char buffer[65536];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
  const bool ok = std::ferror(file) == 0;
  std::fclose(file);
  return ok;
}

}  // namespace

std::string WithoutKey(std::string_view bytes, std::string_view section, std::string_view key) {
  const std::string_view wantedSection = Trim(section);
  const std::string_view wantedKey = Trim(key);
  std::string kept;
  kept.reserve(bytes.size());
  bool inSection = false;
  bool firstLine = true;
  std::size_t start = 0;
  while (start < bytes.size()) {
    // CRLF, LF or a lone CR ends a line, as when the file is read.
    const std::size_t brk = bytes.find_first_of("\r\n", start);
    std::size_t end = bytes.size();
    if (brk != std::string_view::npos) {
      end = brk + 1;
      if (bytes[brk] == '\r' && end < bytes.size() && bytes[end] == '\n') ++end;
    }
    const std::string_view raw = bytes.substr(start, end - start);
    std::string_view line = raw;
    if (firstLine && line.starts_with(kUtf8Bom)) line.remove_prefix(kUtf8Bom.size());
    firstLine = false;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    start = end;

    const std::string_view content = Trim(line);
    if (content.starts_with('[')) {
      const std::size_t close = content.find(']');
      if (close != std::string_view::npos) {
        inSection = SameName(Trim(content.substr(1, close - 1)), wantedSection);
        kept += raw;
        continue;
      }
    }
    if (inSection && !content.starts_with(';')) {
      const std::size_t equals = content.find('=');
      if (equals != std::string_view::npos && SameName(Trim(content.substr(0, equals)), wantedKey)) continue;
    }
    kept += raw;
  }
  return kept;
}

std::optional<std::string> WithoutStaleModeKeys(const std::string& path, const card::RouteInfoRecord& route) {
  const std::int32_t master = route.FpgaMasterMode;
  const std::int32_t receiver = route.UserReceiverMode;
  const bool staleMaster = master == card::kNoFpgaMode && HasKey(path, kRouteInfoSection, kFpgaMasterModeKey);
  const bool staleReceiver = receiver == card::kNoFpgaMode && HasKey(path, kRouteInfoSection, kUserReceiverModeKey);
  if (!staleMaster && !staleReceiver) return std::nullopt;
  std::string bytes;
  if (!ReadFileBytes(path, bytes)) return std::nullopt;  // the save then fails on it as well
  if (staleMaster) bytes = WithoutKey(bytes, kRouteInfoSection, kFpgaMasterModeKey);
  if (staleReceiver) bytes = WithoutKey(bytes, kRouteInfoSection, kUserReceiverModeKey);
  return bytes;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) break;
    done += static_cast<std::size_t>(wrote);
  }
  return ::close(fd) == 0 && done == bytes.size();
}

}  // namespace settings::setupfile
