#pragma once
// A child that covers its parent's whole client area and follows its size, as a control aligned
// to fill its parent.
class QWidget;

namespace ui {

void FillParent(QWidget* child);

}  // namespace ui
