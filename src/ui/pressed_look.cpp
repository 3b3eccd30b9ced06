#include "ui/pressed_look.h"

#include <QAbstractButton>
#include <QString>

namespace ui {

namespace {

// The platform style draws a checked tool button hardly different from a released one (and not
// at all once a style sheet touches it), so both faces are drawn here.
constexpr const char* kToggleFaces =
    "QToolButton, QPushButton { color: black; background-color: #e4e4e4; border: 2px outset #d8d8d8; "
    "padding: 0px; }"
    "QToolButton:checked, QPushButton:checked, QToolButton:pressed, QPushButton:pressed { "
    "background-color: #a4a4a4; border: 2px inset #b0b0b0; }"
    "QToolButton:disabled, QPushButton:disabled { color: #808080; }";

}  // namespace

void ShowPressedWhenChecked(QAbstractButton* button) {
  if (button == nullptr) return;
  button->setCheckable(true);
  button->setStyleSheet(QString::fromLatin1(kToggleFaces));
}

}  // namespace ui
