#include "ui/modulator/test_modulator_windows.h"

#include "config/globals.h"
#include "ui/modulator/mod_control_form.h"
#include "ui/per_card_window.h"
#include "util/gui/delete_widget.h"

namespace ui {
void ShowTestModulatorForm(int card, QWidget* owner) {
  TSM_ModControlForm* form =
      ShowPerCardWindow(config::gApp.TestModulatorForms, card, [&] { return new TSM_ModControlForm(card, owner); });
  if (form != nullptr) form->UpdateDisplay();
}

TSM_ModControlForm* TestModulatorFormOf(int card) {
  return IsCardSlot(card) ? config::gApp.TestModulatorForms[static_cast<std::size_t>(card)] : nullptr;
}

void ForEachTestModulatorForm(const std::function<void(TSM_ModControlForm&)>& each) {
  for (TSM_ModControlForm* form : config::gApp.TestModulatorForms) {
    if (form != nullptr) each(*form);
  }
}

void DeleteTestModulatorForms() {
  for (TSM_ModControlForm*& form : config::gApp.TestModulatorForms) {
    if (form == nullptr) continue;
    if (form->Busy()) {
      form->MarkClosed();
      form = nullptr;
    } else {
      util::DeleteWidget(form);
    }
  }
}

}  // namespace ui
