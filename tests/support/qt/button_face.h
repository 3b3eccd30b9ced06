// What a button's picture says about it: the brightness of its face and of its top and bottom
// edges, read from the pixels the button draws.
#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>
#include <QWidget>

namespace testsupport {

struct ButtonFace {
  double face = 0.0;    // mean brightness inside the edges
  double top = 0.0;     // mean brightness of the top edge
  double bottom = 0.0;  // mean brightness of the bottom edge
};

inline ButtonFace ReadButtonFace(QWidget& button) {
  const QImage image = button.grab().toImage().convertToFormat(QImage::Format_RGB32);
  auto luma = [&image](int x, int y) {
    const QRgb pixel = image.pixel(x, y);
    return 0.299 * qRed(pixel) + 0.587 * qGreen(pixel) + 0.114 * qBlue(pixel);
  };
  ButtonFace face;
  const int w = image.width();
  const int h = image.height();
  if (w < 10 || h < 8) return face;
  int count = 0;
  for (int y = 4; y < h - 4; ++y) {
    for (int x = 4; x < w - 4; ++x, ++count) face.face += luma(x, y);
  }
  face.face /= count;
  for (int x = 4; x < w - 4; ++x) {
    face.top += luma(x, 0);
    face.bottom += luma(x, h - 1);
  }
  face.top /= w - 8;
  face.bottom /= w - 8;
  return face;
}

// Raised while up, sunk and darker while down: the released face lighter than the pressed one by
// a step an operator sees, lit from the top when up and from the bottom when down.
inline void ExpectPressedLook(const ButtonFace& up, const ButtonFace& down) {
  EXPECT_GT(up.face - down.face, 40.0) << "released " << up.face << ", pressed " << down.face;
  EXPECT_GT(up.top, up.bottom) << "a released button is lit from the top";
  EXPECT_LT(down.top, down.bottom) << "a pressed button is sunk";
}

}  // namespace testsupport
