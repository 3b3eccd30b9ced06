#pragma once
// Building blocks of the factory windows: raised panels, caption labels, value labels (yellow on
// black, as every value the operator can change) and named popup-menu items.
#include <functional>

class QAction;
class QFrame;
class QGridLayout;
class QLabel;
class QMenu;
class QWidget;

namespace ui {

QFrame* MakeFactoryPanel(QWidget* parent, const char* name);
// A caption in column 0 and a value label in column 1 of row `row`; the value label is returned.
QLabel* AddValueRow(QGridLayout* grid, int row, const char* caption, const char* valueName);
QAction* AddPopupItem(QMenu* menu, const char* name, const char* caption, const std::function<void()>& onClick);

}  // namespace ui
