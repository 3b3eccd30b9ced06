#pragma once
#include <QList>
#include <QString>

class QAction;

namespace card {

// Hides item `index` of a modulation menu when its modulation (`caption`, the device name) is not
// offered on the card's channel in the card's current personality. With `apply` false nothing is
// hidden; an index outside the items is ignored.
void HideUnsupportedMenuItem(int card, const QList<QAction*>& items, int index, int channel, bool apply,
                             const QString& caption);

}  // namespace card
