#include "config/general_routines.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>

#include "config/card_state_view.h"
#include "config/globals.h"
#include "platform/path_resolve.h"
#include "util/error_log.h"
#include "util/file_routines.h"
#include "util/process_globals.h"

namespace config {

namespace {

std::mutex gArchiveMutex;
std::string gArchiveDir;

std::string InProgramFolder(const std::string& relative) {
  return platform::ResolvePath(util::ProgramFolder() + "/" + relative);
}

}  // namespace

void CheckDebugModes() {
  gApp.FactoryMode = util::FileExists(InProgramFolder(kFactoryModeMarker)) ? 1 : 0;
  gApp.DebugMode = util::FileExists(InProgramFolder(kDebugModeMarker)) ? 1 : 0;
  gApp.DeveloperMode = util::FileExists(InProgramFolder(kDeveloperModeMarker)) ? 1 : 0;
}

bool DetectW10DeviceDlls() { return false; }

std::string SystemFolder(const std::string& subFolder) { return InProgramFolder("SYSTEM/" + subFolder); }

std::string ArchiveDataFolder() { return InProgramFolder("USER/ARCHIVEDATA"); }

bool CreateArchiveDir() { return CreateArchiveDirAt(std::time(nullptr)); }

bool CreateArchiveDirAt(std::time_t when) {
  const std::string parent = ArchiveDataFolder();
  std::error_code ec;
  std::filesystem::create_directories(parent, ec);

  std::tm local{};
  localtime_r(&when, &local);
  char name[64];
  std::snprintf(name, sizeof name, "%04d_%02d_%02d_%02d_%02d_%02d", local.tm_year + 1900, local.tm_mon + 1,
                local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
  // A second start within the same second gets a folder of its own.
  constexpr int kMaxAttempts = 1000;
  int error = 0;
  for (int attempt = 1; attempt <= kMaxAttempts; ++attempt) {
    const std::string folder = parent + "/" + name + (attempt == 1 ? "" : "_" + std::to_string(attempt));
    if (::mkdir(folder.c_str(), 0777) == 0) {
      std::lock_guard lock(gArchiveMutex);
      gArchiveDir = folder;
      return true;
    }
    error = errno;
    if (error != EEXIST) break;
  }
  util::LogError("Cannot create the archive folder under " + parent + ": " + std::strerror(error), 0, true);
  return false;
}

std::string CurrentArchiveDir() {
  std::lock_guard lock(gArchiveMutex);
  return gArchiveDir;
}

std::string GetFlightDataFileName(int card) {
  if (CurrentArchiveDir().empty() && !CreateArchiveDir()) return {};
  return CurrentArchiveDir() + "/FltData.Kr20_" + std::to_string(card + 1);
}

void GetCardStatusText(int card, std::string& text, util::TColor& colour) {
  text.clear();
  colour = 0;
  const CardStateView* cards = GetCardStateView();
  if (!cards || card < 0 || card >= cards->CardCount()) return;
  if (cards->IsSimulatedCardTypeConfigured(card)) {
    text = "Notice:: HW Simulated ";
    colour = kNoticeColour;
  }
  if (cards->IsFpgaLoading(card)) {
    text = "Alert::  FPGA LOADING";
    colour = kAlertColour;
  }
  if (cards->IsModulatorOutputOn(card) && cards->RouteMode(card) != 1) {
    text = "Alert:: Modulator Active";
    colour = kAlertColour;
  }
}

}  // namespace config
