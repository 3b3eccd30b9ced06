#include "config/gui/menu_routines.h"

#include <QAction>
#include <QFrame>
#include <QMenu>

#include "config/card_state_view.h"
#include "util/gui/menu_items.h"

namespace config {

int MenuItemTag(const QAction* item) {
  if (item == nullptr) return -1;
  bool ok = false;
  const int tag = item->data().toInt(&ok);
  return ok ? tag : -1;
}

void ClearMenu(QMenu* menu) {
  if (menu != nullptr) util::ClearMenuItems(menu);
}

QAction* AddMenuItemVisible(QMenu* menu, const QString& name, const QString& caption, bool visible,
                            const MenuClickHandler& onClick, QObject* handlerObject, int tag) {
  if (menu == nullptr) return nullptr;
  auto* item = new QAction(caption, menu);  // owned by the menu
  item->setObjectName(name + QStringLiteral("_Single"));
  item->setData(tag);
  item->setVisible(visible);
  if (onClick) {
    QObject::connect(item, &QAction::triggered, handlerObject != nullptr ? handlerObject : menu,
                     [item, onClick] { onClick(item); });
  }
  menu->addAction(item);
  return item;
}

QAction* AddMenuItem(QMenu* menu, const QString& name, const QString& caption, const MenuClickHandler& onClick,
                     QObject* handlerObject, int tag) {
  return AddMenuItemVisible(menu, name, caption, true, onClick, handlerObject, tag);
}

void BuildCardMenu(const QString& namePrefix, QMenu* parent, const MenuClickHandler& onClick, QObject* owner) {
  if (parent == nullptr) return;
  ClearMenu(parent);
  const CardStateView* cards = GetCardStateView();
  const int count = cards != nullptr ? cards->CardCount() : 0;
  for (int card = 0; card < count; ++card) {
    auto* item = new QAction(QStringLiteral("Card %1").arg(card + 1), parent);
    item->setObjectName(namePrefix + QString::number(card));
    item->setData(card);
    item->setEnabled(cards->IsCardOpen(card));
    if (onClick) {
      QObject::connect(item, &QAction::triggered, owner != nullptr ? owner : parent, [item, onClick] { onClick(item); });
    }
    parent->addAction(item);
  }
}

void RemovePanelBevels(QFrame* panel) {
  if (panel == nullptr) return;
  panel->setFrameShape(QFrame::NoFrame);
  panel->setFrameShadow(QFrame::Plain);
  panel->setLineWidth(0);
  panel->setMidLineWidth(0);
}

}  // namespace config
