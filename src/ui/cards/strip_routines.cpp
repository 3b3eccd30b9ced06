#include "ui/cards/strip_routines.h"

#include <QLabel>
#include <QPalette>

#include "config/globals.h"
#include "config/options_store.h"
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

util::TColor SchemeColour(config::ColorIndex index) {
  if (config::gApp.Options != nullptr) return config::gApp.Options->Info().ColorScheme[index];
  config::ColorBlock colours{};
  config::kr20optionclass::SelectDefaultColorScheme(0, colours);
  return colours[index];
}

void SetBackgroundColour(QWidget* widget, util::TColor colour) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, util::ToQColor(colour));
  widget->setPalette(palette);
  widget->setAutoFillBackground(true);
}

void SetFontColour(QWidget* widget, util::TColor colour) {
  const QColor wanted = util::ToQColor(colour);
  if (widget->palette().color(QPalette::WindowText) == wanted) return;
  QPalette palette = widget->palette();
  palette.setColor(QPalette::WindowText, wanted);
  widget->setPalette(palette);
}

QString StreamHint(const std::string& designation, int card, int channel) {
  if (!designation.empty()) return QString::fromStdString(designation);
  return QStringLiteral("Group %1 Ch %2").arg(card + 1).arg(channel + 1);
}

}  // namespace ui
