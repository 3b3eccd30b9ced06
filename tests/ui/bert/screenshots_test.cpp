// The picture of a card BERT window on a virtual card: channel 1 locked and averaging, channel 2
// with its input off. Checked for what must be in it; with QUORX_SCREENSHOT_FOLDER set it is also
// kept there (docs/screenshots/).
#include <QImage>
#include <QPixmap>

#include <cstdlib>

#include "bert_window_fixture.h"
#include "support/qt/button_face.h"

namespace berttest {
namespace {

class ScreenshotTest : public BertWindowTest {
 protected:
  static int CountColour(const QImage& image, QRgb colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) count += (image.pixel(x, y) & 0xFFFFFFu) == (colour & 0xFFFFFFu) ? 1 : 0;
    }
    return count;
  }
};

TEST_F(ScreenshotTest, BertWindowLockedAndAveragingBesideInputOff) {
  Start();
  Panel(0)->SpeedButtonBerAvgGo->click();
  for (int second = 0; second < 10; ++second) Second();  // one period complete
  for (int second = 0; second < 4; ++second) Second();   // the next one under way
  ASSERT_EQ(Status(), "Acquiring");
  QCoreApplication::processEvents();
  const QImage image = form_->grab().toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(image.width(), 826);
  // Two lime lamps of channel 1 (lock, data polarity) and two grey ones of channel 2.
  EXPECT_GE(CountColour(image, qRgb(0, 255, 0)), 2 * 21 * 8);
  EXPECT_GE(CountColour(image, qRgb(0x80, 0x80, 0x80)), 2 * 21 * 8);
  // Channel 1 averages: its "Start BER Avg" is drawn pressed beside channel 2's released one.
  ASSERT_TRUE(Panel(0)->SpeedButtonBerAvgGo->isChecked());
  ASSERT_FALSE(Panel(1)->SpeedButtonBerAvgGo->isChecked());
  testsupport::ExpectPressedLook(testsupport::ReadButtonFace(*Panel(1)->SpeedButtonBerAvgGo),
                                 testsupport::ReadButtonFace(*Panel(0)->SpeedButtonBerAvgGo));
  if (const char* folder = std::getenv("QUORX_SCREENSHOT_FOLDER"); folder != nullptr && *folder != '\0') {
    EXPECT_TRUE(image.save(QString::fromStdString(std::string(folder) + "/bert_window.png")));
  }
}

}  // namespace
}  // namespace berttest
