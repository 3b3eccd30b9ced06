#pragma once
// The window-position file "Kr20Last.pos" under SYSTEM/HARDWARECONFIGURATION: one section per
// window ("MainWindow", and "<Kind>_<card>" such as "CardSetup_0") with the keys "Left", "Top",
// "Width", "Height" and "Visible"; a card window's section also "Placed" ("NO" while the window
// never had a place of its own: it then looks for a free one when first shown). Places and sizes
// are whole decimal numbers, sizes at least 50, "Visible" and "Placed" are "YES" or "NO"; any other
// value is not taken (the current one stays) and is reported in the log.
#include <string>

#include "config/window_placement.h"

namespace config {

std::string PositionFilePath();
// The section name of a card window's placement, e.g. "TestModulator_5".
std::string PlacementSectionName(int card, CardWindowKind kind);

// Fills every placement record of the globals record with its default.
void SetDefaultWindowPositions();
// Reads the placement records from the file; missing or unusable entries keep their current
// value, and every window is moved fully onto the screen (when its size is known).
void LoadGlobalPositionInfo();
// Writes every placement record; false (logged) when the file cannot be written.
bool SaveGlobalPositionInfo();

// The placement moved onto a screen of that size: no larger than the screen, no part outside it.
WindowPlacementRecord KeepOnScreen(WindowPlacementRecord placement, int screenWidth, int screenHeight);

}  // namespace config
