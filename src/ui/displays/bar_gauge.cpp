#include "ui/displays/bar_gauge.h"

#include <algorithm>

#include <QPainter>

#include "util/gui/qt_colour.h"

namespace ui {

BarGauge::BarGauge(QWidget* parent, int minimum, int maximum)
    : QWidget(parent), minimum_(std::min(minimum, maximum)), maximum_(std::max(minimum, maximum)), progress_(minimum_) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void BarGauge::SetProgress(int progress) {
  progress = std::clamp(progress, minimum_, maximum_);
  if (progress == progress_) return;
  progress_ = progress;
  update();
}

void BarGauge::SetForeColour(util::TColor colour) {
  if (colour == fore_) return;
  fore_ = colour;
  update();
}

void BarGauge::SetBackColour(util::TColor colour) {
  if (colour == back_) return;
  back_ = colour;
  update();
}

int BarGauge::FilledHeight() const {
  if (maximum_ == minimum_) return 0;
  return static_cast<int>(static_cast<long long>(height()) * (progress_ - minimum_) / (maximum_ - minimum_));
}

void BarGauge::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), util::ToQColor(back_));
  const int filled = FilledHeight();
  painter.fillRect(QRect(0, height() - filled, width(), filled), util::ToQColor(fore_));
}

}  // namespace ui
