#pragma once
// What the configuration core's card texts and menus ask of the cards, answered from the card
// run-time and hardware-configuration managers. The main window installs it while they exist.
#include "config/card_state_view.h"

namespace card {

const config::CardStateView& ManagerCardStateView();

}  // namespace card
