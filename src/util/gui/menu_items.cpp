#include "util/gui/menu_items.h"

#include <QAction>
#include <QList>
#include <QMenu>

#include <memory>

namespace util {

QAction* SenderAsMenuItem(QObject* sender) { return qobject_cast<QAction*>(sender); }

void ClearMenuItems(QMenu* menu) {
  if (menu == nullptr) return;
  const QList<QAction*> items = menu->actions();
  for (QAction* item : items) {
    // Removed at once, so new items can follow even when the clicked item is the one going.
    menu->removeAction(item);
    QMenu* submenu = item->menu();
    const bool ownedBySubmenu = submenu != nullptr && submenu->menuAction() == item;
    std::unique_ptr<QMenu> ownedSubmenu(submenu);  // a submenu owns its own menu action
    std::unique_ptr<QAction> ownedItem(ownedBySubmenu ? nullptr : item);
  }
}

}  // namespace util
