// Pictures of the card windows on virtual cards, as the operator sees them. Each picture is checked
// for what must be in it; with QUORX_SCREENSHOT_DIR set it is also kept there (docs/screenshots/).
#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>

#include <cstdlib>
#include <string>

#include "ui/main_form_fixture.h"

namespace uitest {
namespace {

// Two virtual cards with signals, as run.sh starts them: a PSK card and a PCM/FM card.
constexpr const char* kTwoSignalCards =
    "[General]\nCards=2\nSeed=1\n"
    "[Card_0]\nFpgaMode=0\nIfInput1=70e6, -40, SOQPSK_TG, 5e6, 14, NRZL\nIfInput2=70e6, -45, SOQPSK_TG, 5e6, 12, NRZL\n"
    "[Card_1]\nFpgaMode=2\nIfInput1=70e6, -42, PCM_FM, 2e6, 13, NRZL\nIfInput2=70e6, -42, PCM_FM, 2e6, 13, NRZL\n"
    "[DownConverters]\nKr12Cards=1\nKr12Channels=2\nKr14Cards=1\nKr14Channels=2\n";

class ScreenshotTest : public MainFormTest {
 protected:
  void StartOnSignalCards() {
    PrepareProgramFolder(2);
    ASSERT_TRUE(testsupport::WriteWholeFile(folder_.Path() + "/VirtualHardware.cfg", kTwoSignalCards));
    StartProgram();
    // A few timer passes: status read, strips refreshed.
    RunUntil([] { return false; }, std::chrono::milliseconds(1500));
  }

  // Keeps the picture where the caller asked for it.
  static void Keep(const QImage& image, const char* name) {
    const char* folder = std::getenv("QUORX_SCREENSHOT_DIR");
    if (folder == nullptr || *folder == '\0') return;
    EXPECT_TRUE(image.save(QString::fromStdString(std::string(folder) + "/" + name)));
  }

  static int CountColour(const QImage& image, QRgb colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) count += (image.pixel(x, y) & 0xFFFFFFu) == (colour & 0xFFFFFFu) ? 1 : 0;
    }
    return count;
  }
};

TEST_F(ScreenshotTest, MainWindowWithItsStrips) {
  StartOnSignalCards();
  const QImage image = form_->grab().toImage().convertToFormat(QImage::Format_RGB32);
  Keep(image, "main_window.png");
  // Both strips' lamps are lit: each channel shows at least one lime (locked) lamp of 25 x 10.
  EXPECT_GE(CountColour(image, qRgb(0, 255, 0)), 4 * 23 * 8);
}

}  // namespace
}  // namespace uitest
