#pragma once
// What a reader did not take from a file as it stood. Outside a report every such value is one
// log line at once. A file read again (once per card, or at several start-up steps) reports each
// line once per start (util/repeated_log_lines.h). A reader that may meet many (a damaged or foreign file) opens a report on its
// thread for the time it reads: the first kIniReportLines lines are written as they come, the
// rest only counted, and when the report ends one line gives that count and, when the reader
// counted keys it expected and did not find, one line gives how many.
#include <string>
#include <string_view>

namespace util {

inline constexpr int kIniReportLines = 5;

class IniReadReport {
 public:
  // `file` starts the report's own lines, as the reader names the file in its lines.
  explicit IniReadReport(std::string file);
  ~IniReadReport();
  IniReadReport(const IniReadReport&) = delete;
  IniReadReport& operator=(const IniReadReport&) = delete;

  // Keys the file should have held and did not: "<file>: <n> keys missing, current values kept".
  void SetMissingKeys(int count) { missing_ = count; }

  // Writes the line, or counts it once the report has written its share.
  void Add(const std::string& line);

 private:
  std::string file_;
  int written_ = 0;
  int heldBack_ = 0;
  int missing_ = 0;
  IniReadReport* outer_ = nullptr;
};

// A value of a file not taken as read: into the innermost report open on this thread, or
// written at once when none is.
void ReportIniProblem(const std::string& line);

// The value as a log line shows it: quoted, control and non-ASCII bytes as \xNN, cut after
// kIniReportValueLength characters with "..." after the closing quote.
inline constexpr std::size_t kIniReportValueLength = 40;
std::string QuotedIniValue(std::string_view text);

}  // namespace util
