#include "util/gui/status_lamp.h"

#include <QPainter>

#include "util/gui/qt_colour.h"

namespace util {

StatusLamp::StatusLamp(QWidget* parent) : QWidget(parent) {}

void StatusLamp::SetColour(TColor colour) {
  if (colour == colour_) return;
  colour_ = colour;
  update();
}

void StatusLamp::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.setPen(Qt::black);
  painter.setBrush(ToQColor(colour_));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace util
