#include "config/gui/menu_routines.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>

#include "config/card_state_view.h"

namespace config {
namespace {

struct ThreeCards final : CardStateView {
  int CardCount() const override { return 3; }
  bool IsCardOpen(int card) const override { return card != 1; }
  bool IsSimulatedCardTypeConfigured(int) const override { return false; }
  bool IsFpgaLoading(int) const override { return false; }
  bool IsModulatorOutputOn(int) const override { return false; }
  int RouteMode(int) const override { return 0; }
};

TEST(MenuRoutines, CardMenuHasOneItemPerCardDisabledWhenNotOpen) {
  ThreeCards cards;
  SetCardStateView(&cards);
  QMenu parent;
  parent.addAction(QStringLiteral("left over"));
  std::vector<int> clicked;
  BuildCardMenu(QStringLiteral("SubMenuPeekPoke"), &parent, [&](QAction* item) { clicked.push_back(MenuItemTag(item)); },
                &parent);
  const auto items = parent.actions();
  ASSERT_EQ(items.size(), 3);
  for (int card = 0; card < 3; ++card) {
    EXPECT_EQ(items[card]->text(), QStringLiteral("Card %1").arg(card + 1));
    EXPECT_EQ(items[card]->objectName(), QStringLiteral("SubMenuPeekPoke%1").arg(card));
    EXPECT_EQ(items[card]->isEnabled(), card != 1);
  }
  items[2]->trigger();
  items[1]->trigger();  // a disabled item does not fire
  EXPECT_EQ(clicked, std::vector<int>{2});
  SetCardStateView(nullptr);
}

TEST(MenuRoutines, AddedItemsCarryNameAndTag) {
  QMenu menu;
  int clickedTag = -1;
  QAction* item = AddMenuItem(&menu, QStringLiteral("SubMenuMenuOperationalMode4"), QStringLiteral("FM PRE-D COMBINER"),
                              [&](QAction* sender) { clickedTag = MenuItemTag(sender); }, &menu, 4);
  EXPECT_EQ(item->objectName(), QStringLiteral("SubMenuMenuOperationalMode4_Single"));
  item->trigger();
  EXPECT_EQ(clickedTag, 4);
  ClearMenu(&menu);
  EXPECT_TRUE(menu.actions().isEmpty());
}

}  // namespace
}  // namespace config
