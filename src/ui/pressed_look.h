#pragma once
// Toggle buttons that look as they are: raised while up, sunk with a darker face while down.
class QAbstractButton;

namespace ui {

// Gives a checkable button the raised and sunk faces; its font stays as set.
void ShowPressedWhenChecked(QAbstractButton* button);

}  // namespace ui
