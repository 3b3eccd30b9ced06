#include "util/gui/offscreen_image.h"

#include <gtest/gtest.h>

#include <memory>

#include <QLabel>
#include <QPainter>
#include <QWidget>

namespace util {
namespace {

int PixelsOf(const QImage& image, QRgb rgb) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) n += (image.pixel(x, y) & 0xFFFFFFu) == rgb ? 1 : 0;
  }
  return n;
}

TEST(OffscreenImage, FillAndSetSize) {
  QWidget panel;
  offscnimageclass image(&panel);
  EXPECT_EQ(image.Image().size(), QSize(2000, 2000));
  image.SetSize(30, 50);  // height, width
  EXPECT_EQ(image.Image().size(), QSize(50, 30));
  image.Fill(0x00336699u);  // TColor: red 0x99, green 0x66, blue 0x33
  {
    QPainter painter(&image.Canvas());
    painter.fillRect(QRect(5, 2, 3, 4), QColor(255, 0, 0));
  }
  EXPECT_EQ(PixelsOf(image.Image(), 0xFF0000u), 12);
  EXPECT_EQ(PixelsOf(image.Image(), 0x996633u), 50 * 30 - 12);
  image.SetSize(0, -4);
  EXPECT_EQ(image.Image().size(), QSize(1, 1));
}

TEST(OffscreenImage, HiddenControlLivesWithTheImageOrItsParent) {
  QWidget panel;
  {
    offscnimageclass image(&panel);
    panel.show();
    ASSERT_EQ(panel.findChildren<QLabel*>().size(), 1);
    EXPECT_FALSE(panel.findChildren<QLabel*>().front()->isVisible());
  }
  EXPECT_TRUE(panel.findChildren<QLabel*>().isEmpty());

  auto owner = std::make_unique<QWidget>();
  offscnimageclass image(owner.get());
  owner.reset();  // takes the control along; the image must not delete it again
  EXPECT_EQ(image.ImageControl(), nullptr);
}

}  // namespace
}  // namespace util
