#pragma once
// An off-screen picture: callers paint a whole frame on the canvas and copy it to the screen in
// one step, so the screen never shows a half-painted frame.
#include <QImage>
#include <QPointer>

#include "util/colour.h"

class QLabel;
class QWidget;

namespace util {

class offscnimageclass {
 public:
  // A hidden image control on `parent` and a 2000 x 2000 picture.
  explicit offscnimageclass(QWidget* parent);
  ~offscnimageclass();
  offscnimageclass(const offscnimageclass&) = delete;
  offscnimageclass& operator=(const offscnimageclass&) = delete;

  // The picture to paint on: open a QPainter on it for the frame and end it before SetSize.
  QImage& Canvas() { return image_; }
  const QImage& Image() const { return image_; }

  // Fills the whole picture.
  void Fill(TColor colour);
  // Replaces the picture with a black one of that size (at least 1 x 1).
  void SetSize(int height, int width);

  QLabel* ImageControl() const { return control_; }

 private:
  QPointer<QLabel> control_;
  QImage image_;
};

}  // namespace util
