#include "ui/factory/factory_windows.h"

#include "config/globals.h"
#include "ui/factory/file_poke_form.h"
#include "ui/factory/fpga_info_form.h"
#include "ui/factory/peek_poke_form.h"
#include "ui/main_menus.h"
#include "ui/per_card_window.h"
#include "util/gui/delete_widget.h"

namespace ui {
namespace {

template <class Form>
void ShowFactoryWindow(config::PerCardWindows<Form>& table, int card, QWidget* owner) {
  if (Form* form = ShowPerCardWindow(table, card, [&] { return new Form(owner, card); }); form != nullptr) {
    form->UpdateDisplay();
  }
}

template <class Form>
void DeleteFactoryWindow(config::PerCardWindows<Form>& table, int card) {
  Form*& form = table[static_cast<std::size_t>(card)];
  if (form == nullptr) return;
  form->SaveWindowState();
  util::DeleteWidget(form);
}

bool WasOpen(int card, config::CardWindowKind kind) { return config::gApp.Placement(card, kind).WasVisible != 0; }

}  // namespace

void ShowPeekPokeForm(int card, QWidget* owner) { ShowFactoryWindow(config::gApp.PeekPokeForms, card, owner); }
void ShowFilePokeForm(int card, QWidget* owner) { ShowFactoryWindow(config::gApp.FilePokeForms, card, owner); }
void ShowFpgaInfoForm(int card, QWidget* owner) { ShowFactoryWindow(config::gApp.FpgaTocForms, card, owner); }

void InstallFactoryMenuOpeners(MainMenus& menus, QWidget* owner) {
  menus.SetCardWindowOpener(CardMenuWindow::PeekPoke, [owner](int card) { ShowPeekPokeForm(card, owner); });
  menus.SetCardWindowOpener(CardMenuWindow::FilePoke, [owner](int card) { ShowFilePokeForm(card, owner); });
  menus.SetCardWindowOpener(CardMenuWindow::FpgaToc, [owner](int card) { ShowFpgaInfoForm(card, owner); });
}

void ReopenFactoryWindows(int card, QWidget* owner) {
  if (!IsCardSlot(card)) return;
  if (WasOpen(card, config::CardWindowKind::PeekPoke)) ShowPeekPokeForm(card, owner);
  if (WasOpen(card, config::CardWindowKind::FilePoke)) ShowFilePokeForm(card, owner);
  if (WasOpen(card, config::CardWindowKind::FpgaToc)) ShowFpgaInfoForm(card, owner);
}

void DeleteFactoryWindowsOf(int card) {
  if (!IsCardSlot(card)) return;
  DeleteFactoryWindow(config::gApp.PeekPokeForms, card);
  DeleteFactoryWindow(config::gApp.FilePokeForms, card);
  DeleteFactoryWindow(config::gApp.FpgaTocForms, card);
}

void FactoryWindowsFpgaLoaded(int card) {
  if (!IsCardSlot(card)) return;
  const auto slot = static_cast<std::size_t>(card);
  if (TDbg_PeekPokeForm* form = config::gApp.PeekPokeForms[slot]; form != nullptr) form->UpdateDisplay();
  if (TDbg_FilePokeForm* form = config::gApp.FilePokeForms[slot]; form != nullptr) form->UpdateDisplay();
  if (TDbg_FpgaInfoForm* form = config::gApp.FpgaTocForms[slot]; form != nullptr) form->UpdateDisplay();
}

}  // namespace ui
