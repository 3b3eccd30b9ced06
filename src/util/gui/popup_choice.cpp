#include "util/gui/popup_choice.h"

#include <QAction>
#include <QMenu>

#include "util/dialog_service.h"

namespace util {

QAction* PopupMenuChoice(QMenu* menu) {
  if (menu == nullptr) return nullptr;
  const QList<QAction*> actions = menu->actions();
  MenuChoiceRequest request;
  request.menuName = menu->objectName().toStdString();
  for (const QAction* action : actions) request.items.push_back({action->text().toStdString(), action->isVisible()});
  const int chosen = Dialogs().ChooseMenuItem(request);
  return chosen >= 0 && chosen < actions.size() ? actions[chosen] : nullptr;
}

}  // namespace util
