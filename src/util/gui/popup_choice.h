#pragma once
// A popup menu at the mouse cursor or just below a control, shown through the dialog service so
// that tests can choose for the operator.
class QAction;
class QMenu;
class QWidget;

namespace util {

// The item of `menu` the operator chose among its visible items; nullptr when the menu was
// dismissed or is empty.
QAction* PopupMenuChoice(QMenu* menu);
// The same with the menu opened just below `control`, aligned with its left edge.
QAction* PopupMenuChoiceBelow(QMenu* menu, const QWidget* control);

}  // namespace util
