#include "card/gui/modulation_menu.h"

#include <QAction>

#include "card/card_routines.h"

namespace card {

void HideUnsupportedMenuItem(int card, const QList<QAction*>& items, int index, int channel, bool apply,
                             const QString& caption) {
  if (!apply || index < 0 || index >= items.size() || items[index] == nullptr) return;
  if (!IsModulationSupported(card, channel, caption.toStdString())) items[index]->setVisible(false);
}

}  // namespace card
