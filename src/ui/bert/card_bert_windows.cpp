#include "ui/bert/card_bert_windows.h"

#include "config/globals.h"
#include "ui/bert/card_bert_form.h"
#include "util/gui/delete_widget.h"

namespace ui {
namespace {

bool ValidCard(int card) { return card >= 0 && card < config::kMaxCards; }

}  // namespace

void ShowCardBertForm(int card, QWidget* owner) {
  if (!ValidCard(card)) return;
  TCardBertForm*& form = config::gApp.CardBertForms[static_cast<std::size_t>(card)];
  if (form == nullptr) form = new TCardBertForm(card, owner);
  form->show();
  form->raise();
  form->activateWindow();
  form->UpdateDisplay();
}

TCardBertForm* CardBertFormOf(int card) {
  return ValidCard(card) ? config::gApp.CardBertForms[static_cast<std::size_t>(card)] : nullptr;
}

void ForEachCardBertForm(const std::function<void(TCardBertForm&)>& each) {
  for (TCardBertForm* form : config::gApp.CardBertForms) {
    if (form != nullptr) each(*form);
  }
}

void DeleteCardBertFormOf(int card) {
  if (!ValidCard(card)) return;
  TCardBertForm*& form = config::gApp.CardBertForms[static_cast<std::size_t>(card)];
  if (form == nullptr) return;
  form->ClosePanels();
  util::DeleteWidget(form);
}

}  // namespace ui
