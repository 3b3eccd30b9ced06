#include "util/repeated_log_lines.h"

#include <map>
#include <mutex>
#include <set>
#include <vector>

#include "util/error_log.h"

namespace util {

namespace {

struct Repeated {
  std::string cause;
  std::string text;
  long long heldBack = 0;
};

// Part of the error log's state: what went out once, and what is held back.
struct RepeatedLines {
  std::mutex mutex;
  std::set<std::string> written;
  std::map<std::string, Repeated> byKey;
};

RepeatedLines& Lines() {
  static RepeatedLines lines;
  return lines;
}

std::string CountLine(const std::string& key, const Repeated& repeated) {
  return key + ": " + std::to_string(repeated.heldBack) + " more times \"" + repeated.text + "\", not logged";
}

}  // namespace

bool WriteErrorLogLineOnce(const std::string& text, int number) {
  {
    RepeatedLines& lines = Lines();
    std::lock_guard lock(lines.mutex);
    if (!lines.written.insert(text).second) return false;
  }
  WriteErrorLogLine(text, number);
  return true;
}

bool RepeatableLineDue(const std::string& key, const std::string& cause, const std::string& text) {
  std::string countLine;
  {
    RepeatedLines& lines = Lines();
    std::lock_guard lock(lines.mutex);
    const auto [at, added] = lines.byKey.try_emplace(key, Repeated{cause, text, 0});
    Repeated& repeated = at->second;
    if (!added && repeated.cause == cause) {
      ++repeated.heldBack;
      return false;
    }
    // A new cause: what the old one held back is told before the new line.
    if (repeated.heldBack > 0) countLine = CountLine(key, repeated);
    repeated = Repeated{cause, text, 0};
  }
  if (!countLine.empty()) WriteErrorLogLine(countLine, 0);
  return true;
}

void WriteRepeatedLineCounts() {
  std::vector<std::string> countLines;
  {
    RepeatedLines& lines = Lines();
    std::lock_guard lock(lines.mutex);
    for (auto& [key, repeated] : lines.byKey) {
      if (repeated.heldBack > 0) countLines.push_back(CountLine(key, repeated));
      repeated.heldBack = 0;
    }
  }
  for (const std::string& line : countLines) WriteErrorLogLine(line, 0);
}

void ForgetRepeatedLines() {
  RepeatedLines& lines = Lines();
  std::lock_guard lock(lines.mutex);
  lines.written.clear();
  lines.byKey.clear();
}

}  // namespace util
