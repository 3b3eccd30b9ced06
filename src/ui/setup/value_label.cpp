#include "ui/setup/value_label.h"

#include <QMouseEvent>

namespace setup {

ValueLabel::ValueLabel(QWidget* parent) : QLabel(parent) {
  setAutoFillBackground(true);
  setMargin(2);
}

void ValueLabel::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
}

}  // namespace setup
