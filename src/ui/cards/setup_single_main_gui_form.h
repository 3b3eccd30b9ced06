#pragma once
// The card window while each card is used with its first channel only.
#include "ui/cards/card_window.h"

class TSetupSingleMainGuiForm final : public ui::CardWindow {
 public:
  TSetupSingleMainGuiForm(QWidget* owner, int card) : CardWindow(owner, card, Variant::SingleChannel) {}
  void FreeSubforms() { CloseChannelPanels(); }
  void BuildOperationalModeMenu() { BuildOperationModeMenu(); }
  void UpdateColors() { ApplyCardColours(); }
  void SaveWindowState() { SaveWindowPlacement(); }
};
