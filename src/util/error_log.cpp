#include "util/error_log.h"

#include <sched.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <utility>

#include "platform/diagnostics.h"
#include "platform/path_resolve.h"
#include "util/dialog_service.h"
#include "util/error_log_file.h"
#include "util/number_text.h"
#include "util/process_globals.h"
#include "util/repeated_log_lines.h"
#include "util/speaker.h"

namespace util {

namespace {

using Clock = std::chrono::steady_clock;

struct ErrorLog {
  std::mutex mutex;
  ErrorLogFile file;
  Clock::time_point start = Clock::now();
  std::uint64_t limit = kErrorLogMaxBytes;
  std::uint64_t lost = 0;  // lines not written since the last one that was
  bool failing = false;    // the last write failed, and standard error was told
};

ErrorLog& Log() {
  static ErrorLog log;
  return log;
}

std::string FormatLine(const std::string& text, int number, double seconds) {
  char head[16];
  std::snprintf(head, sizeof head, "%06d", number);
  return std::string(head) + "  " + FormatElapsedTime(seconds) + "  " + text + "\n";
}

void PutOnStandardError(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

// The bytes the next line takes: after lines were lost the log says how many first.
std::string Pending(const ErrorLog& log, const std::string& line, double seconds) {
  if (log.lost == 0) return line;
  return FormatLine("ERROR LOG COULD NOT BE WRITTEN, " + std::to_string(log.lost) + " LINES LOST", 0, seconds) + line;
}

// With the lock held. A line the file does not take is counted as lost, and standard error hears
// once that the log cannot be written, not for every line.
void Put(ErrorLog& log, const std::string& line, double seconds) {
  if (!log.file.IsOpen()) {
    PutOnStandardError(line);
    return;
  }
  std::string why;
  if (log.file.Append(Pending(log, line, seconds), why)) {
    log.lost = 0;
    log.failing = false;
    return;
  }
  ++log.lost;
  if (!log.failing) {
    PutOnStandardError(FormatLine("Error log cannot be written: " + log.file.Path() + " (" + why + ")", 0, seconds));
    log.failing = true;
  }
}

// With the lock held: the full log becomes the older copy and a new one starts under its name.
// When the name cannot be moved or opened again, the open file is emptied in place, so the bound
// holds all the same.
void StartNewLogFile(ErrorLog& log, double seconds) {
  const std::string old = log.file.OldPath();
  const std::string full = std::to_string(log.file.Size());
  std::string why;
  const std::string notice = log.file.MoveToOld(why)
                                 ? "ERROR LOG REACHED " + full + " BYTES, EARLIER LINES MOVED TO " + old
                                 : "ERROR LOG REACHED " + full + " BYTES, EARLIER LINES DROPPED (" + old + ": " + why + ")";
  Put(log, FormatLine(notice, 0, seconds), seconds);
}

// Writes under the lock; the caller must not hold it.
void WriteLine(const std::string& text, int number) {
  ErrorLog& log = Log();
  std::lock_guard lock(log.mutex);
  const double seconds = std::chrono::duration<double>(Clock::now() - log.start).count();
  const std::string line = FormatLine(text, number, seconds);
  const std::uint64_t size = log.file.Size();
  if (log.file.IsOpen() && size > 0 && size + Pending(log, line, seconds).size() > log.limit) {
    StartNewLogFile(log, seconds);
  }
  Put(log, line, seconds);
}

std::string FormatUnits(double seconds, std::int64_t unitsPerSecond, int fractionDigits) {
  if (!(seconds > 0.0)) seconds = 0.0;
  // Beyond 999999 days the time no longer matters; it must only not overflow.
  constexpr double kMaxSeconds = 999999.0 * 86400.0;
  if (seconds > kMaxSeconds) seconds = kMaxSeconds;
  const auto units = static_cast<std::int64_t>(std::llround(seconds * static_cast<double>(unitsPerSecond)));
  const std::int64_t perMinute = 60 * unitsPerSecond;
  const std::int64_t perHour = 60 * perMinute;
  const std::int64_t perDay = 24 * perHour;
  const auto days = static_cast<long long>(units / perDay);
  const auto hours = static_cast<long long>(units % perDay / perHour);
  const auto minutes = static_cast<long long>(units % perHour / perMinute);
  const auto secs = static_cast<long long>(units % perMinute / unitsPerSecond);
  const auto fraction = static_cast<long long>(units % unitsPerSecond);
  char buf[160];
  std::snprintf(buf, sizeof buf, "%03lld:%02lld:%02lld:%02lld.%0*lld", days, hours, minutes, secs, std::clamp(fractionDigits, 0, 9), fraction);
  return buf;
}

std::string CurrentDirectory() {
  std::string dir(4096, '\0');
  if (!::getcwd(dir.data(), dir.size())) return ".";
  dir.resize(dir.find('\0'));
  return dir;
}

bool IsFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void ShowBox(const char* title, const std::string& text, bool showBox) {
  if (showBox) Dialogs().ShowMessage(title, text);
}

}  // namespace

std::string FormatElapsedTime(double seconds) { return FormatUnits(seconds, 1000000, 6); }

std::string FormatElapsedTimeMs(double seconds) { return FormatUnits(seconds, 1000, 3); }

double ElapsedSeconds() {
  ErrorLog& log = Log();
  std::lock_guard lock(log.mutex);
  return std::chrono::duration<double>(Clock::now() - log.start).count();
}

void LogProgramStart(bool isLibrary, const std::string& version, platform::MessageTarget* mainWindow,
                     const std::string& programName, const std::string& logFolder, const std::string& logName) {
  if (!isLibrary) {
    SetProgramFolder(CurrentDirectory());
    MainWindowHandle = mainWindow;
  }
  std::string folder = platform::NormalizeSeparators(ProgramFolder() + "/" + logFolder);
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  folder = platform::ResolvePath(folder);
  if (!IsFolder(folder)) folder = ProgramFolder();
  const std::string path = folder + "/" + (logName.empty() ? programName : logName) + ".log";
  std::string why;
  std::string note;
  bool opened = false;
  {
    ErrorLog& log = Log();
    std::lock_guard lock(log.mutex);
    opened = log.file.Open(path, why, note);
    log.start = Clock::now();
    log.lost = 0;
    log.failing = false;
  }
  ForgetRepeatedLines();
  platform::SetDiagnosticSink([](const std::string& text) { WriteErrorLogLine(text, 0); });
  WriteErrorLogLine("------------------PROGRAM START--------------------", 0);
  WriteErrorLogLine("Program Version " + version, 0);
  // Without a log the lines go to standard error, this one first.
  if (!opened) WriteErrorLogLine("Error log cannot be opened: " + path + " (" + why + ")", 0);
  if (opened && !note.empty()) WriteErrorLogLine(note, 0);
  if (!isLibrary) ClosingFlag = false;
}

void LogProgramEnd(bool /*isLibrary*/) {
  WriteRepeatedLineCounts();
  WriteErrorLogLine("------------------PROGRAM END--------------------", 0);
  platform::SetDiagnosticSink(nullptr);
  ErrorLog& log = Log();
  std::lock_guard lock(log.mutex);
  log.file.Close();
}

void WriteErrorLogLine(const std::string& text, int number) { WriteLine(text, number); }

void LogInfoText(const std::string& text, int number, bool showBox) {
  WriteLine(text, number);
  ShowBox("INFO", text, showBox);
}

void LogInfo(const std::string& text, int number, bool showBox) { LogInfoText(text, number, showBox); }

void LogWarning(const std::string& text, int number, bool showBox) {
  SpeakerErrorTone();
  WriteLine(text, number);
  ShowBox("WARNING", text, showBox);
}

void LogError(const std::string& text, int number, bool showBox) {
  SpeakerDoubleClick();
  WriteLine(text, number);
  ShowBox("ERROR", text, showBox);
}

void LogWithLocation(const std::string& unit, int line, const std::string& operation, const std::string& text) {
  WriteLine(unit + " :: " + operation + " :: " + text, line);
}

void ClearErrorLog() {
  {
    ErrorLog& log = Log();
    std::lock_guard lock(log.mutex);
    // The open file is emptied in place: opening the name again could meet whatever replaced it.
    log.file.Empty();
  }
  WriteLine("ERROR LOG CLEARED", 0);
}

std::uint64_t SetErrorLogSizeLimit(std::uint64_t bytes) {
  ErrorLog& log = Log();
  std::lock_guard lock(log.mutex);
  return std::exchange(log.limit, bytes);
}

std::string ErrorLogPath() {
  ErrorLog& log = Log();
  std::lock_guard lock(log.mutex);
  return log.file.Path();
}

ErrorLogWriteCall SetErrorLogWriteCall(ErrorLogWriteCall call) {
  ErrorLog& log = Log();
  std::lock_guard lock(log.mutex);
  return log.file.SetWriteCall(std::move(call));
}

void ReportPcInfo() {
  char host[256] = {};
  if (::gethostname(host, sizeof host - 1) != 0) host[0] = '\0';
  struct utsname uts {};
  const bool haveUts = ::uname(&uts) == 0;
  const long online = ::sysconf(_SC_NPROCESSORS_ONLN);
  cpu_set_t allowed;
  CPU_ZERO(&allowed);
  const int usable = ::sched_getaffinity(0, sizeof allowed, &allowed) == 0 ? CPU_COUNT(&allowed) : 0;
  const long pages = ::sysconf(_SC_PHYS_PAGES);
  const long pageSize = ::sysconf(_SC_PAGESIZE);
  const long long memoryMb = (pages > 0 && pageSize > 0) ? static_cast<long long>(pages) * pageSize / (1024 * 1024) : 0;
  const ScreenSize screen = GetScreenSize();

  WriteLine(std::string("PC INFO - Host Name: ") + host, 0);
  WriteLine(std::string("PC INFO - Operating System: ") +
                (haveUts ? std::string(uts.sysname) + " " + uts.release + " " + uts.machine : "unknown"),
            0);
  WriteLine("PC INFO - Processors: " + std::to_string(online) + " (usable " + std::to_string(usable) + ")", 0);
  WriteLine("PC INFO - Physical Memory: " + std::to_string(memoryMb) + " MB", 0);
  WriteLine("PC INFO - Screen: " + std::to_string(screen.width) + " x " + std::to_string(screen.height), 0);
  WriteLine("PC INFO - Program Folder: " + ProgramFolder(), 0);
}

}  // namespace util
