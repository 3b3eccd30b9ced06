#pragma once
// A popup menu at the mouse cursor, shown through the dialog service so that tests can choose for
// the operator.
class QAction;
class QMenu;

namespace util {

// The item of `menu` the operator chose among its visible items; nullptr when the menu was
// dismissed or is empty.
QAction* PopupMenuChoice(QMenu* menu);

}  // namespace util
