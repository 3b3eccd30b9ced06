#pragma once
// The per-card windows kept in the globals record's tables: made on first use, reused after that.
#include <cstddef>

#include "config/globals.h"

namespace ui {

// A card index with a slot in the per-card window tables.
inline bool IsCardSlot(int card) { return card >= 0 && card < static_cast<int>(config::kMaxCards); }

// The card's window from `table`, made by `make` the first time, shown and brought to the front;
// nullptr for a card index outside the table.
template <class Form, class Make>
Form* ShowPerCardWindow(config::PerCardWindows<Form>& table, int card, Make make) {
  if (!IsCardSlot(card)) return nullptr;
  Form*& form = table[static_cast<std::size_t>(card)];
  if (form == nullptr) form = make();
  form->show();
  form->raise();
  form->activateWindow();
  return form;
}

}  // namespace ui
