#include "config/window_positions.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "config/general_routines.h"
#include "config/globals.h"
#include "platform/profile_store.h"
#include "util/ini_file_check.h"
#include "util/ini_read_report.h"
#include "util/ini_rewrite.h"
#include "util/ini_routines.h"
#include "util/number_text.h"
#include "util/process_globals.h"

namespace config {

namespace {

constexpr std::array<const char*, kCardWindowKinds> kKindNames{
    "PeekPoke", "FilePoke", "FpgaToc", "CardSetup", "SingleChannelSetup", "CardBert", "TestModulator"};

// Default sizes per kind; the windows of each card are stacked with an offset so none hides another.
constexpr std::array<std::array<int, 2>, kCardWindowKinds> kDefaultSizes{
    {{620, 520}, {620, 520}, {1180, 460}, {1220, 820}, {660, 820}, {826, 380}, {720, 620}}};
constexpr int kCardOffset = 30;
constexpr std::int32_t kMinimumSide = 50;
constexpr const char* kPositionFileName = "Kr20Last.pos";

constexpr WindowPlacementRecord kMainDefault{0, 0, 1280, 200, 1};

constexpr std::array<const char*, 5> kPlacementKeys{"Left", "Top", "Width", "Height", "Visible"};

// Every position file this program wrote holds every window's place.
util::IniFileCheck CheckPlacementKeys(const std::string& file);

// Every position file has the main window's section; one of an older program may lack keys.
constexpr util::IniFileShape kPositionFileShape{"MainWindow", "", CheckPlacementKeys};

// A value of the file not taken, with the value kept instead, into the file's report.
void ReportNotTaken(const std::string& section, const char* key, const std::string& text, const char* why,
                    const std::string& used) {
  util::ReportIniProblem(std::string(kPositionFileName) + " [" + section + "] " + key + "=" + util::QuotedIniValue(text) +
                         " " + why + "; " + used + " used");
}

// The file holds whole decimal numbers, as its writer writes them; anything else (hexadecimal too)
// is not taken.
void ReadCoordinate(const std::string& file, const std::string& section, const char* key, std::int32_t minimum,
                    std::int32_t& value) {
  std::string text;
  if (!util::IniReadString(file, section, key, text)) return;
  const std::string_view digits = std::string_view(text).substr(!text.empty() && text[0] == '-' ? 1 : 0);
  const bool decimal = !digits.empty() && std::all_of(digits.begin(), digits.end(), [](char c) {
    return c >= '0' && c <= '9';
  });
  std::int32_t read = 0;
  if (!decimal || !util::TextToInt(text, read)) {
    ReportNotTaken(section, key, text, "is not a valid number", std::to_string(value));
  } else if (read < minimum) {
    // A window too small to find again keeps its size.
    ReportNotTaken(section, key, text, ("is below " + std::to_string(minimum)).c_str(), std::to_string(value));
  } else {
    value = read;
  }
}

// Whether the section holds a place the window had: "Placed" says so; a file without the key
// (an older one) had every window placed.
std::uint8_t ReadPlaced(const std::string& file, const std::string& section) {
  std::uint8_t placed = 0;
  if (util::IniReadBool(file, section, "Placed", placed)) return placed;
  std::int32_t left = 0;
  return util::IniReadInt(file, section, "Left", left) ? 1 : 0;
}

void ReadPlacement(const std::string& file, const std::string& section, WindowPlacementRecord& placement) {
  WindowPlacementRecord read = placement;
  // Copies, not references: the record is packed.
  std::int32_t left = read.Left;
  std::int32_t top = read.Top;
  std::int32_t width = read.Width;
  std::int32_t height = read.Height;
  constexpr std::int32_t kAnyPlace = std::numeric_limits<std::int32_t>::min();
  ReadCoordinate(file, section, "Left", kAnyPlace, left);
  ReadCoordinate(file, section, "Top", kAnyPlace, top);
  ReadCoordinate(file, section, "Width", kMinimumSide, width);
  ReadCoordinate(file, section, "Height", kMinimumSide, height);
  read.Left = left;
  read.Top = top;
  read.Width = width;
  read.Height = height;
  std::string visible;
  if (util::IniReadString(file, section, "Visible", visible)) {
    if (visible == "YES" || visible == "NO") {
      read.WasVisible = visible == "YES" ? 1 : 0;
    } else {
      ReportNotTaken(section, "Visible", visible, "is neither YES nor NO", read.WasVisible != 0 ? "YES" : "NO");
    }
  }
  const util::ScreenSize screen = util::GetScreenSize();
  placement = KeepOnScreen(read, screen.width, screen.height);
}

// A card window's "Placed" goes before "Visible", so that every section still ends with a key
// every file has: a file cut short is told by its last section.
bool WritePlacement(const std::string& file, const std::string& section, const WindowPlacementRecord& placement,
                    const std::uint8_t* placed = nullptr) {
  return util::IniWriteInt(file, section, "Left", placement.Left) &&
         util::IniWriteInt(file, section, "Top", placement.Top) &&
         util::IniWriteInt(file, section, "Width", placement.Width) &&
         util::IniWriteInt(file, section, "Height", placement.Height) &&
         (placed == nullptr || util::IniWriteBool(file, section, "Placed", *placed != 0)) &&
         util::IniWriteBool(file, section, "Visible", placement.WasVisible != 0);
}

util::IniFileCheck CheckPlacementKeys(const std::string& file) {
  std::vector<std::string> sections{"MainWindow"};
  for (int card = 0; card < kMaxCards; ++card) {
    for (std::size_t kind = 0; kind < kCardWindowKinds; ++kind) {
      sections.push_back(PlacementSectionName(card, static_cast<CardWindowKind>(kind)));
    }
  }
  std::vector<util::IniKeyName> keys;
  for (const std::string& section : sections) {
    for (const char* key : kPlacementKeys) keys.push_back({section, key});
  }
  return util::FirstMissingKey(file, keys);
}

}  // namespace

std::string PositionFilePath() { return SystemFolder("HARDWARECONFIGURATION/Kr20Last.pos"); }

std::string PlacementSectionName(int card, CardWindowKind kind) {
  return std::string(kKindNames.at(static_cast<std::size_t>(kind))) + "_" + std::to_string(card);
}

WindowPlacementRecord KeepOnScreen(WindowPlacementRecord placement, int screenWidth, int screenHeight) {
  if (screenWidth <= 0 || screenHeight <= 0) return placement;
  // Copies, not references: the record is packed.
  const std::int32_t storedWidth = placement.Width;
  const std::int32_t storedHeight = placement.Height;
  const std::int32_t left = placement.Left;
  const std::int32_t top = placement.Top;
  const std::int32_t width = std::clamp(storedWidth, 1, screenWidth);
  const std::int32_t height = std::clamp(storedHeight, 1, screenHeight);
  placement.Width = width;
  placement.Height = height;
  placement.Left = std::clamp(left, 0, screenWidth - width);
  placement.Top = std::clamp(top, 0, screenHeight - height);
  return placement;
}

void SetDefaultWindowPositions() {
  gApp.MainWindowPlacement = kMainDefault;
  for (int card = 0; card < kMaxCards; ++card) {
    for (std::size_t kind = 0; kind < kCardWindowKinds; ++kind) {
      const int offset = kCardOffset * card;
      gApp.Placement(card, static_cast<CardWindowKind>(kind)) =
          WindowPlacementRecord{40 + offset, 60 + offset, kDefaultSizes[kind][0], kDefaultSizes[kind][1], 0};
      // Not a place the window had: the first showing looks for a free one.
      gApp.Placed(card, static_cast<CardWindowKind>(kind)) = 0;
    }
  }
}

void LoadGlobalPositionInfo() {
  // A damaged file is read from its ".BAK"; with neither readable the windows keep their places.
  const std::string file = util::IniFileToRead(PositionFilePath(), kPositionFileShape);
  if (file.empty()) return;
  const platform::ProfileReadScope scope(file);
  const util::IniReadReport report(kPositionFileName);
  ReadPlacement(file, "MainWindow", gApp.MainWindowPlacement);
  for (int card = 0; card < kMaxCards; ++card) {
    for (std::size_t kind = 0; kind < kCardWindowKinds; ++kind) {
      const auto k = static_cast<CardWindowKind>(kind);
      const std::string section = PlacementSectionName(card, k);
      ReadPlacement(file, section, gApp.Placement(card, k));
      gApp.Placed(card, k) = ReadPlaced(file, section);
    }
  }
}

bool SaveGlobalPositionInfo() {
  return util::RewriteIniFile(PositionFilePath(), kPositionFileShape, [](const std::string& file) {
    bool ok = WritePlacement(file, "MainWindow", gApp.MainWindowPlacement);
    for (int card = 0; card < kMaxCards; ++card) {
      for (std::size_t kind = 0; kind < kCardWindowKinds; ++kind) {
        const auto k = static_cast<CardWindowKind>(kind);
        ok = WritePlacement(file, PlacementSectionName(card, k), gApp.Placement(card, k), &gApp.Placed(card, k)) && ok;
      }
    }
    return ok;
  });
}

}  // namespace config
