#include "util/gui/menu_items.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QPointer>

namespace util {
namespace {

TEST(MenuItems, ClearDeletesEveryItemAndSubmenuEvenFromItsOwnClick) {
  QWidget form;
  QMenu menu(&form);
  QPointer<QAction> rebuild = menu.addAction(QStringLiteral("rebuild"));
  QPointer<QAction> formOwned = new QAction(QStringLiteral("two"), &form);
  menu.addAction(formOwned);
  QPointer<QMenu> submenu = menu.addMenu(QStringLiteral("sub"));
  QPointer<QAction> subItem = submenu->addAction(QStringLiteral("three"));
  QObject::connect(rebuild, &QAction::triggered, &menu, [&menu] {
    ClearMenuItems(&menu);
    menu.addAction(QStringLiteral("rebuilt"));
  });
  rebuild->trigger();
  EXPECT_TRUE(rebuild.isNull() && formOwned.isNull() && submenu.isNull() && subItem.isNull());
  ASSERT_EQ(menu.actions().size(), 1);
  EXPECT_EQ(menu.actions().front()->text(), QStringLiteral("rebuilt"));
}

}  // namespace
}  // namespace util
