#include "ui/cards/card_windows.h"

#include "config/globals.h"
#include "ui/cards/setup_main_gui_form.h"
#include "ui/cards/setup_single_main_gui_form.h"
#include "ui/per_card_window.h"
#include "util/gui/delete_widget.h"

namespace ui {
namespace {

template <class Form>
void ShowCardWindow(config::PerCardWindows<Form>& table, int card, QWidget* owner) {
  if (Form* form = ShowPerCardWindow(table, card, [&] { return new Form(owner, card); }); form != nullptr) {
    form->Reload();
  }
}

}  // namespace

void ShowSetupMainGuiForm(int card, QWidget* owner) { ShowCardWindow(config::gApp.CardSetupForms, card, owner); }

void ShowSetupSingleMainGuiForm(int card, QWidget* owner) {
  ShowCardWindow(config::gApp.SingleChannelForms, card, owner);
}

void ForEachCardWindowOf(int card, const std::function<void(CardWindow&)>& each) {
  if (!IsCardSlot(card)) return;
  const auto slot = static_cast<std::size_t>(card);
  if (TSetupMainGuiForm* form = config::gApp.CardSetupForms[slot]; form != nullptr) each(*form);
  if (TSetupSingleMainGuiForm* form = config::gApp.SingleChannelForms[slot]; form != nullptr) each(*form);
}

void ForEachCardWindow(const std::function<void(CardWindow&)>& each) {
  for (int card = 0; card < static_cast<int>(config::kMaxCards); ++card) ForEachCardWindowOf(card, each);
}

void DeleteCardWindowsOf(int card) {
  if (!IsCardSlot(card)) return;
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
