#include "ui/factory/factory_widgets.h"

#include <QAction>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>

#include "ui/scheme_colours.h"

namespace ui {
namespace {
constexpr util::TColor kValueText = 0x00FFFF;  // yellow
constexpr util::TColor kValueBackground = 0x000000;
}  // namespace

QFrame* MakeFactoryPanel(QWidget* parent, const char* name) {
  auto* panel = new QFrame(parent);
  panel->setObjectName(QString::fromLatin1(name));
  panel->setFrameShape(QFrame::Panel);
  panel->setFrameShadow(QFrame::Raised);
  return panel;
}

QLabel* AddValueRow(QGridLayout* grid, int row, const char* caption, const char* valueName) {
  auto* title = new QLabel(QString::fromLatin1(caption));
  auto* value = new QLabel;
  value->setObjectName(QString::fromLatin1(valueName));
  value->setMinimumWidth(110);
  value->setContentsMargins(4, 1, 4, 1);
  PaintPanel(value, kValueBackground);
  SetTextColour(value, kValueText);
  grid->addWidget(title, row, 0);
  grid->addWidget(value, row, 1);
  return value;
}

QAction* AddPopupItem(QMenu* menu, const char* name, const char* caption, const std::function<void()>& onClick) {
  QAction* item = menu->addAction(QString::fromLatin1(caption));
  item->setObjectName(QString::fromLatin1(name));
  QObject::connect(item, &QAction::triggered, menu, [onClick] { onClick(); });
  return item;
}

}  // namespace ui
