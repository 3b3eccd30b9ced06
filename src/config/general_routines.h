#pragma once
// Routines of the configuration core: mode markers, device-library file names, archive folders
// and flight-data file names, and the card status text.
#include <ctime>
#include <string>

#include "util/colour.h"

namespace config {

// Marker files in the program folder that switch on the factory, debug and developer modes.
inline constexpr const char* kFactoryModeMarker = "Kr20FactoryMode.mrk";
inline constexpr const char* kDebugModeMarker = "Kr20DebugMode.mrk";
inline constexpr const char* kDeveloperModeMarker = "Kr20DeveloperMode.mrk";

// Sets the factory, debug and developer flags of the globals record from the marker files.
void CheckDebugModes();

// The device libraries had 32-bit builds for a 64-bit Windows ("W10_" files). Linux runs the
// program natively, so such libraries are never chosen.
bool DetectW10DeviceDlls();

// Folders below the program folder.
std::string SystemFolder(const std::string& subFolder);  // "<program>/SYSTEM/<subFolder>"
std::string ArchiveDataFolder();                         // "<program>/USER/ARCHIVEDATA"

// Makes a new archive folder named from the local date and time ("YYYY_MM_DD_hh_mm_ss", with
// "_2", "_3" ... added when that second already has one) under USER/ARCHIVEDATA and makes it the
// current archive folder. On failure it logs the error with a message box and returns false.
bool CreateArchiveDir();
bool CreateArchiveDirAt(std::time_t when);
// The current archive folder; empty before the first CreateArchiveDir.
std::string CurrentArchiveDir();

// "<current archive folder>/FltData.Kr20_<card + 1>"; makes the archive folder first when there is
// none yet. Empty when it cannot be made.
std::string GetFlightDataFileName(int card);

// The card's status-strip warning. When several cases apply the later one in this list wins:
//   " HW Simulated "     simulated card type configured             "Notice::", yellow
//   "  FPGA LOADING"     FPGA load running or mode not the desired  "Alert::",  red
//   " Modulator Active"  test modulator output on, route mode not 1 "Alert::",  red
// Empty text (colour 0) when nothing applies or the card is unknown.
void GetCardStatusText(int card, std::string& text, util::TColor& colour);

inline constexpr util::TColor kAlertColour = 0x0000FF;   // red
inline constexpr util::TColor kNoticeColour = 0x00FFFF;  // yellow

}  // namespace config
