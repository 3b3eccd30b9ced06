#include "card/gui/modulation_menu.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>

#include "card/card_routines.h"

namespace card {
namespace {

// Without a card object the channel counts as a PSK channel that cannot be asked: every PSK
// modulation is offered, the other families' names are not.
TEST(ModulationMenu, HidesWhatTheChannelDoesNotOffer) {
  QMenu menu;
  for (const char* name : {"BPSK", "PCM_FM", "SOQPSK_TG", "PM", "NOT_A_MODULATION"}) menu.addAction(name);
  const QList<QAction*> items = menu.actions();
  for (int i = 0; i < items.size(); ++i) HideUnsupportedMenuItem(5, items, i, 0, true, items[i]->text());
  const bool visible[] = {true, false, true, false, false};
  for (int i = 0; i < items.size(); ++i) EXPECT_EQ(items[i]->isVisible(), visible[i]) << i;

  // An index beyond the menu is left alone.
  HideUnsupportedMenuItem(5, items, static_cast<int>(items.size()), 0, true, QStringLiteral("PM"));
}

}  // namespace
}  // namespace card
