#pragma once
// The card BERT windows the main window keeps per card in the globals record: opened from the
// View menu, refreshed by the timer, re-coloured and told of mode changes by the window messages,
// saved and deleted at shut-down.
#include <functional>

class QWidget;
class TCardBertForm;

namespace ui {

// Creates the card's BERT window on first use, shows it, brings it to the front and refreshes it.
void ShowCardBertForm(int card, QWidget* owner = nullptr);

// Every existing card BERT window, card by card.
void ForEachCardBertForm(const std::function<void(TCardBertForm&)>& each);
TCardBertForm* CardBertFormOf(int card);

// Closes the panels of the card's BERT window and deletes it; the table slot is cleared.
void DeleteCardBertFormOf(int card);

}  // namespace ui
