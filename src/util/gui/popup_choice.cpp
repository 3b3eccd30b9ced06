#include "util/gui/popup_choice.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

#include <optional>

#include "util/dialog_service.h"

namespace util {

namespace {

QAction* Choose(QMenu* menu, std::optional<MenuChoiceRequest::Point> at) {
  if (menu == nullptr) return nullptr;
  const QList<QAction*> actions = menu->actions();
  MenuChoiceRequest request;
  request.menuName = menu->objectName().toStdString();
  for (const QAction* action : actions) request.items.push_back({action->text().toStdString(), action->isVisible()});
  request.screenPosition = at;
  const int chosen = Dialogs().ChooseMenuItem(request);
  return chosen >= 0 && chosen < actions.size() ? actions[chosen] : nullptr;
}

}  // namespace

QAction* PopupMenuChoice(QMenu* menu) { return Choose(menu, std::nullopt); }

QAction* PopupMenuChoiceBelow(QMenu* menu, const QWidget* control) {
  if (control == nullptr) return Choose(menu, std::nullopt);
  const QPoint below = control->mapToGlobal(QPoint(0, control->height()));
  return Choose(menu, MenuChoiceRequest::Point{below.x(), below.y()});
}

}  // namespace util
