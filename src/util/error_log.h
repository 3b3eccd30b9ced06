#pragma once
// The error log: one text file per run under the program folder, one line per event:
//   the caller's number as "%06d", two blanks, the time since the log began as
//   "%03d:%02d:%02d:%09.6f" (days, hours, minutes, seconds), two blanks, the text, "\n".
// Lines are written whole under the log's own mutex and flushed at once, so a crash keeps every
// line written before it. The log is bounded: a line that would take it past its size limit first
// moves it to "<log>.old" (the one older copy kept, replacing the one before) and starts it anew
// with the line "ERROR LOG REACHED <n> BYTES, EARLIER LINES MOVED TO <log>.old"; each start keeps
// the previous run's log there the same way. A line the file does not take (a full disk) is not
// counted as written; standard error hears once that the log cannot be written, and the next line
// that goes in is preceded by "ERROR LOG COULD NOT BE WRITTEN, <n> LINES LOST". Warnings sound the
// two-tone, errors the double click; with `showBox` a box titled "INFO", "WARNING" or "ERROR" follows.
#include <cstdint>
#include <string>

#include "platform/message_bus.h"
#include "util/error_log_file.h"

namespace util {

// Served remote requests log a line each, and their sender is easily forged: without a bound the
// log would fill the disk.
inline constexpr std::uint64_t kErrorLogMaxBytes = 32ull * 1024 * 1024;
inline constexpr const char* kErrorLogOldSuffix = ".old";

// The size limit of the log (kErrorLogMaxBytes unless set); returns the one it replaces.
std::uint64_t SetErrorLogSizeLimit(std::uint64_t bytes);

// Opens the log empty as <program folder>/<logFolder>/<logName>.log (in the program folder itself
// when that folder does not exist), the previous run's log kept as its older copy, starts its
// clock and writes the start banner. The log is always a regular file of its own, opened without
// following links and never waiting: a link, FIFO, device or socket at its name is replaced (what
// it leads to stays untouched). When no log can be opened the lines go to standard error, the
// first "Error log cannot be opened: <path> (<why>)". A
// program (not a library) also records the current directory as the program folder, the main
// window and clears ClosingFlag; a library leaves those process-wide values to its host.
void LogProgramStart(bool isLibrary, const std::string& version, platform::MessageTarget* mainWindow,
                     const std::string& programName, const std::string& logFolder, const std::string& logName);
// Writes the counts of repeated lines not logged (util/repeated_log_lines.h), the end banner, and
// closes the log.
void LogProgramEnd(bool isLibrary);

void LogInfoText(const std::string& text, int number, bool showBox);
void LogInfo(const std::string& text, int number, bool showBox);
void LogWarning(const std::string& text, int number, bool showBox);
void LogError(const std::string& text, int number, bool showBox);
// One line, no sound, no box. Before the log is opened (and after it is closed) lines go to
// stderr so that nothing is lost silently.
void WriteErrorLogLine(const std::string& text, int number);
// A trace line: the line number in the number column, then "<unit> :: <operation> :: <text>".
void LogWithLocation(const std::string& unit, int line, const std::string& operation, const std::string& text);
// Empties the log and writes "ERROR LOG CLEARED" (the older copy stays).
void ClearErrorLog();
// Writes the "PC INFO - " lines: host, operating system, processors, memory, screen, folder.
void ReportPcInfo();

// The path of the open log; empty when none is open.
std::string ErrorLogPath();

// For tests: the call that writes the log's bytes (::write when null); returns the one it replaces.
ErrorLogWriteCall SetErrorLogWriteCall(ErrorLogWriteCall call);

// Seconds since the log began (since the first use before it is opened).
double ElapsedSeconds();
// "%03d:%02d:%02d:%09.6f": days, hours, minutes and seconds rounded to microseconds, carried
// whole (59.9999996 s is "000:00:01:00.000000"). Negative and NaN times count as 0.
std::string FormatElapsedTime(double seconds);
// The same with milliseconds: "%03d:%02d:%02d:%06.3f".
std::string FormatElapsedTimeMs(double seconds);

}  // namespace util
