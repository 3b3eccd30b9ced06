#include "ui/cards/strip_routines.h"

#include <QLabel>
#include <QPalette>

#include "util/gui/qt_colour.h"
#include "util/gui/status_lamp.h"

namespace ui {

QFont StripFont() {
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(11);
  return font;
}

QLabel* MakeStripLabel(QWidget* parent, const char* name, const char* hint, int left) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setToolTip(QString::fromLatin1(hint));
  label->setGeometry(left, 0, 36, 20);
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  return label;
}

util::StatusLamp* MakeStripLamp(QWidget* parent, const char* name, const char* hint, int left, int top, int height) {
  auto* lamp = new util::StatusLamp(parent);
  lamp->setObjectName(QString::fromLatin1(name));
  lamp->setToolTip(QString::fromLatin1(hint));
  lamp->setGeometry(left, top, 25, height);
  lamp->SetColour(util::kLampOffColour);
  return lamp;
}

QString StreamHint(const std::string& designation, int card, int channel) {
  if (!designation.empty()) return QString::fromStdString(designation);
  return QStringLiteral("Group %1 Ch %2").arg(card + 1).arg(channel + 1);
}

}  // namespace ui
