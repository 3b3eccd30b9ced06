#include "ui/cards/card_windows.h"

#include "config/globals.h"
#include "ui/cards/setup_main_gui_form.h"
#include "ui/cards/setup_single_main_gui_form.h"
#include "util/gui/delete_widget.h"

namespace ui {
namespace {

bool ValidCard(int card) { return card >= 0 && card < static_cast<int>(config::kMaxCards); }

template <class Form>
void ShowCardWindow(config::PerCardWindows<Form>& table, int card, QWidget* owner) {
  if (!ValidCard(card)) return;
  Form*& form = table[static_cast<std::size_t>(card)];
  if (form == nullptr) form = new Form(owner, card);
  form->show();
  form->raise();
  form->activateWindow();
  form->Reload();
}

}  // namespace

void ShowSetupMainGuiForm(int card, QWidget* owner) { ShowCardWindow(config::gApp.CardSetupForms, card, owner); }

void ShowSetupSingleMainGuiForm(int card, QWidget* owner) {
  ShowCardWindow(config::gApp.SingleChannelForms, card, owner);
}

void ForEachCardWindowOf(int card, const std::function<void(CardWindow&)>& each) {
  if (!ValidCard(card)) return;
  const auto slot = static_cast<std::size_t>(card);
  if (TSetupMainGuiForm* form = config::gApp.CardSetupForms[slot]; form != nullptr) each(*form);
  if (TSetupSingleMainGuiForm* form = config::gApp.SingleChannelForms[slot]; form != nullptr) each(*form);
}

void ForEachCardWindow(const std::function<void(CardWindow&)>& each) {
  for (int card = 0; card < static_cast<int>(config::kMaxCards); ++card) ForEachCardWindowOf(card, each);
}

void DeleteCardWindowsOf(int card) {
  if (!ValidCard(card)) return;
  const auto slot = static_cast<std::size_t>(card);
  if (TSetupMainGuiForm*& form = config::gApp.CardSetupForms[slot]; form != nullptr) {
    form->PrepareClose();
    util::DeleteWidget(form);
  }
  if (TSetupSingleMainGuiForm*& form = config::gApp.SingleChannelForms[slot]; form != nullptr) {
    form->FreeSubforms();
    util::DeleteWidget(form);
  }
}

void DeleteCardWindows() {
  for (int card = 0; card < static_cast<int>(config::kMaxCards); ++card) DeleteCardWindowsOf(card);
}

}  // namespace ui
