// Pictures of the card windows on virtual cards, as the operator sees them. Each picture is checked
// for what must be in it; with QUORX_SCREENSHOT_FOLDER set it is also kept there (docs/screenshots/).
#include <gtest/gtest.h>

#include <QFrame>
#include <QImage>
#include <QPixmap>

#include <cstdlib>
#include <string>

#include "config/globals.h"
#include "settings/set_manager.h"
#include "ui/cards/card_windows.h"
#include "ui/cards/setup_main_gui_form.h"
#include "ui/cards/prepared_folder.h"
#include "support/qt/whole_paint.h"
#include "ui/main_form_fixture.h"
#include "ui/setup/value_label.h"

namespace uitest {
namespace {

class ScreenshotTest : public MainFormTest {
 protected:
  // The program folder run.sh prepares, as a newcomer first starts it: a PSK card and a PCM/FM card
  // tuned and set up for their signals, locked.
  void StartOnSignalCards() {
    PrepareFolderAsRunShDoes(folder_.Path());
    ASSERT_FALSE(HasFailure());
    StartProgram();
    // A few timer passes: status read, strips refreshed.
    RunUntil([] { return false; }, std::chrono::milliseconds(1500));
  }

  // Keeps the picture where the caller asked for it.
  static void Keep(const QImage& image, const char* name) {
    const char* folder = std::getenv("QUORX_SCREENSHOT_FOLDER");
    if (folder == nullptr || *folder == '\0') return;
    EXPECT_TRUE(image.save(QString::fromStdString(std::string(folder) + "/" + name)));
  }

  // Yellow text drawn with antialiasing: bright red and green, little blue.
  static int CountYellowish(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        const QRgb pixel = image.pixel(x, y);
        count += qRed(pixel) > 180 && qGreen(pixel) > 180 && qBlue(pixel) < 90 ? 1 : 0;
      }
    }
    return count;
  }

  // A setting's value: a box of its own colour on the page.
  static bool IsValueBox(const QLabel* label) {
    return qobject_cast<const setup::ValueLabel*>(label) != nullptr && label->autoFillBackground();
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

// The card window of each card: the PSK card and the PCM/FM card, each with its status panels
// (spectrum, constellation, values) and its setup panels.
TEST_F(ScreenshotTest, CardWindowsOfAPskAndAPcmFmCard) {
  StartOnSignalCards();
  for (const auto& [card, name] : {std::pair{0, "card_window_psk.png"}, std::pair{1, "card_window_pcmfm.png"}}) {
    SCOPED_TRACE(name);
    ui::ShowSetupMainGuiForm(card, form_.get());
    TSetupMainGuiForm* window = config::gApp.CardSetupForms[static_cast<std::size_t>(card)];
    ASSERT_NE(window, nullptr);
    RunUntil([] { return false; }, std::chrono::milliseconds(1500));
    const QImage image = testsupport::SettledPicture(*window);
    Keep(image, name);
    EXPECT_EQ(image.size(), window->size());
    // Each channel's setup page, below the status panels: its values in yellow text on black, each
    // box drawn whole.
    for (int channel = 0; channel < 2; ++channel) {
      SCOPED_TRACE(channel);
      const QWidget* command = window->PanelCommand[channel];
      const QImage page = image.copy(QRect(command->mapTo(window, QPoint(0, 0)), command->size()));
      EXPECT_GT(CountYellowish(page), 300);
      EXPECT_GT(CountColour(page, qRgb(0, 0, 0)), 2000);
      int boxes = 0;
      EXPECT_TRUE(testsupport::ValueBoxesWhole(image, *window, *command, IsValueBox, &boxes));
      EXPECT_GE(boxes, 8);
    }
  }
}

// A picture taken while a value box is cut short (the value beside it shown and hidden again, its
// row not yet laid out anew) is seen as such; once the layout is done, the box is whole.
TEST_F(ScreenshotTest, AValueBoxCutShortIsSeenAndTheSettledPictureIsWhole) {
  StartOnSignalCards();
  ui::ShowSetupMainGuiForm(1, form_.get());
  TSetupMainGuiForm* window = config::gApp.CardSetupForms[1];
  ASSERT_NE(window, nullptr);
  RunUntil([] { return false; }, std::chrono::milliseconds(500));
  const QWidget* command = window->PanelCommand[0];
  auto* rate = command->findChild<QLabel*>(QStringLiteral("LabelDataRate1"));
  auto* second = command->findChild<QLabel*>(QStringLiteral("LabelDataRate2"));
  ASSERT_NE(rate, nullptr);
  ASSERT_NE(second, nullptr);
  ASSERT_FALSE(second->isVisible()) << "a PCM/FM channel has one data rate";
  second->show();
  second->hide();
  const QImage cut = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
  const testing::AssertionResult seen = testsupport::ValueBoxesWhole(cut, *window, *command, IsValueBox);
  EXPECT_FALSE(seen);
  EXPECT_NE(std::string(seen.message()).find("LabelDataRate1"), std::string::npos) << seen.message();
  EXPECT_TRUE(testsupport::ValueBoxesWhole(testsupport::SettledPicture(*window), *window, *command, IsValueBox));
}

}  // namespace
}  // namespace uitest
