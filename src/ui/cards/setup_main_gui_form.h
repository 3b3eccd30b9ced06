#pragma once
// The card window of a two-channel card.
#include "ui/cards/card_window.h"

class TSetupMainGuiForm final : public ui::CardWindow {
 public:
  TSetupMainGuiForm(QWidget* owner, int card) : CardWindow(owner, card, Variant::TwoChannels) {}
  // Before the shut-down deletes the window.
  void PrepareClose() { CloseChannelPanels(); }
};
