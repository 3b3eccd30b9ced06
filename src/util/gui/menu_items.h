#pragma once
// Menu routines shared by the windows that build their menus at run time.
class QAction;
class QMenu;
class QObject;

namespace util {

// The sender of a signal as a menu item, or nullptr when it is something else (or nothing).
QAction* SenderAsMenuItem(QObject* sender);

// Deletes every item of the menu, submenus with their own items included. The items are the
// menu's, whoever their Qt parent is: do not put actions held elsewhere into such a menu.
void ClearMenuItems(QMenu* menu);

}  // namespace util
