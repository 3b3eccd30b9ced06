#include "util/gui/offscreen_image.h"

#include <algorithm>

#include <QLabel>

#include "util/gui/qt_colour.h"

namespace util {

namespace {
constexpr int kInitialSide = 2000;
}

offscnimageclass::offscnimageclass(QWidget* parent)
    : control_(new QLabel(parent)), image_(kInitialSide, kInitialSide, QImage::Format_RGB32) {
  image_.fill(Qt::black);
  control_->setObjectName(QStringLiteral("OffscreenImage"));
  control_->hide();
}

offscnimageclass::~offscnimageclass() {
  // The parent may already have deleted the control with itself.
  delete control_.data();
}

void offscnimageclass::Fill(TColor colour) { image_.fill(ToQColor(colour)); }

void offscnimageclass::SetSize(int height, int width) {
  image_ = QImage(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
  image_.fill(Qt::black);
}

}  // namespace util
