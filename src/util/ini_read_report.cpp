#include "util/ini_read_report.h"

#include "util/error_log.h"
#include "util/number_text.h"
#include "util/repeated_log_lines.h"

namespace util {

namespace {
// The report each thread is filling; a thread reads its own files.
thread_local IniReadReport* tCurrentReport = nullptr;
}  // namespace

IniReadReport::IniReadReport(std::string file) : file_(std::move(file)), outer_(tCurrentReport) {
  tCurrentReport = this;
}

IniReadReport::~IniReadReport() {
  tCurrentReport = outer_;
  if (heldBack_ > 0) {
    WriteErrorLogLineOnce(file_ + ": " + std::to_string(heldBack_) + " more values not taken as read", heldBack_);
  }
  if (missing_ > 0) {
    WriteErrorLogLineOnce(file_ + ": " + std::to_string(missing_) + " keys missing, current values kept", missing_);
  }
}

void IniReadReport::Add(const std::string& line) {
  if (written_ >= kIniReportLines) {
    ++heldBack_;
    return;
  }
  // A line written at an earlier read of the file this start keeps its place in the share: a file
  // read at several start-up steps gives its first lines and one count, once.
  WriteErrorLogLineOnce(line, 0);
  ++written_;
}

void ReportIniProblem(const std::string& line) {
  if (tCurrentReport != nullptr) {
    tCurrentReport->Add(line);
  } else {
    WriteErrorLogLineOnce(line, 0);
  }
}

std::string QuotedIniValue(std::string_view text) {
  std::string quoted = "\"";
  const std::size_t shown = text.size() < kIniReportValueLength ? text.size() : kIniReportValueLength;
  for (std::size_t i = 0; i < shown; ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x20 || byte >= 0x7F || byte == '"' || byte == '\\') {
      quoted += "\\x" + IntToHexText(byte, 2, false);
    } else {
      quoted.push_back(static_cast<char>(byte));
    }
  }
  quoted += '"';
  if (shown < text.size()) quoted += "...";
  return quoted;
}

}  // namespace util
