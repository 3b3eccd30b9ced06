#pragma once
// Menus built at run time: items carry their tag (a card or list index) in the action's data and
// their component name as objectName, so handlers and tests find them.
#include <functional>

#include <QString>

class QAction;
class QFrame;
class QMenu;
class QObject;

namespace config {

using MenuClickHandler = std::function<void(QAction* item)>;

// The tag of an item; -1 for anything that is not one of ours.
int MenuItemTag(const QAction* item);

// Below `parent`, one item "Card <n>" per card (n from 1), named `namePrefix` followed by the card
// index, tagged with the card index and disabled while that card is not open. The cards come from
// the installed card state view; the parent's earlier items are removed first.
void BuildCardMenu(const QString& namePrefix, QMenu* parent, const MenuClickHandler& onClick, QObject* owner);

// Removes every item of the menu.
void ClearMenu(QMenu* menu);

// Appends an item owned by the menu, named `name` + "_Single", with the caption and tag; a click
// calls `onClick` (for as long as `handlerObject` lives).
QAction* AddMenuItem(QMenu* menu, const QString& name, const QString& caption, const MenuClickHandler& onClick,
                     QObject* handlerObject, int tag);
QAction* AddMenuItemVisible(QMenu* menu, const QString& name, const QString& caption, bool visible,
                            const MenuClickHandler& onClick, QObject* handlerObject, int tag);

// Panels are drawn flat.
void RemovePanelBevels(QFrame* panel);

}  // namespace config
