#pragma once
// The test modulator windows the main window keeps per card in the globals record: opened from
// the View menu or at start-up, re-laid out and re-coloured by the window messages, moved on by
// the master timer while a sweep runs, saved and deleted at shut-down.
#include <functional>

class QWidget;
class TSM_ModControlForm;

namespace ui {

// Creates the card's test modulator window on first use, shows it, brings it to the front and
// refreshes it.
void ShowTestModulatorForm(int card, QWidget* owner = nullptr);
TSM_ModControlForm* TestModulatorFormOf(int card);
void ForEachTestModulatorForm(const std::function<void(TSM_ModControlForm&)>& each);
// Deletes every window (one whose handler waits for the operator frees itself afterwards); the
// table slots are cleared.
void DeleteTestModulatorForms();

}  // namespace ui
