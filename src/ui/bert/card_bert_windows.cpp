#include "ui/bert/card_bert_windows.h"

#include "config/globals.h"
#include "ui/bert/card_bert_form.h"
#include "ui/per_card_window.h"
#include "util/gui/delete_widget.h"

namespace ui {
void ShowCardBertForm(int card, QWidget* owner) {
  TCardBertForm* form =
      ShowPerCardWindow(config::gApp.CardBertForms, card, [&] { return new TCardBertForm(card, owner); });
  if (form != nullptr) form->UpdateDisplay();
}

TCardBertForm* CardBertFormOf(int card) {
  return IsCardSlot(card) ? config::gApp.CardBertForms[static_cast<std::size_t>(card)] : nullptr;
}

void ForEachCardBertForm(const std::function<void(TCardBertForm&)>& each) {
  for (TCardBertForm* form : config::gApp.CardBertForms) {
    if (form != nullptr) each(*form);
  }
}

void DeleteCardBertFormOf(int card) {
  if (!IsCardSlot(card)) return;
  TCardBertForm*& form = config::gApp.CardBertForms[static_cast<std::size_t>(card)];
  if (form == nullptr) return;
  form->ClosePanels();
  util::DeleteWidget(form);
}

}  // namespace ui
