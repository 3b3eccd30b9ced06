#pragma once
// Message 30000 to the main window: every open window takes its colours from the options again.
namespace ui {

void SendRecolour();

}  // namespace ui
