#include "ui/modulator/test_modulator_windows.h"

#include "config/globals.h"
#include "ui/modulator/mod_control_form.h"
#include "util/gui/delete_widget.h"

namespace ui {
namespace {

bool ValidCard(int card) { return card >= 0 && card < config::kMaxCards; }

}  // namespace

void ShowTestModulatorForm(int card, QWidget* owner) {
  if (!ValidCard(card)) return;
  TSM_ModControlForm*& form = config::gApp.TestModulatorForms[static_cast<std::size_t>(card)];
  if (form == nullptr) form = new TSM_ModControlForm(card, owner);
  form->show();
  form->raise();
  form->activateWindow();
  form->UpdateDisplay();
}

TSM_ModControlForm* TestModulatorFormOf(int card) {
  return ValidCard(card) ? config::gApp.TestModulatorForms[static_cast<std::size_t>(card)] : nullptr;
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
