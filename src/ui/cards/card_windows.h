#pragma once
// The card windows the main window keeps per card in the globals record: opened on first use,
// reused, driven by the timer and the window messages, and deleted at shut-down.
#include <functional>

class QWidget;

namespace ui {

class CardWindow;

// Creates the card's window on first use, shows it, brings it to the front and reloads it.
void ShowSetupMainGuiForm(int card, QWidget* owner);
void ShowSetupSingleMainGuiForm(int card, QWidget* owner);

// Every existing card window of both kinds, the two-channel one of a card first.
void ForEachCardWindow(const std::function<void(CardWindow&)>& each);
// The card's existing windows of both kinds.
void ForEachCardWindowOf(int card, const std::function<void(CardWindow&)>& each);

// Closes the channel panels of every card window and deletes it; the table slots are cleared.
void DeleteCardWindows();
// The same for one card's windows (when the kind of card window changes).
void DeleteCardWindowsOf(int card);

}  // namespace ui
