// Pictures of the options dialog's pages, the colour dialog and the flight-record column form.
// Each picture is checked for what must be in it; with QUORX_SCREENSHOT_FOLDER set it is also kept
// there (docs/screenshots/).
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableWidget>

#include <cstdlib>
#include <string>

#include "ui/dialogs/dialog_fixture.h"
#include "ui/dialogs/flight_record_columns_form.h"
#include "ui/dialogs/option_edit_dialog.h"
#include "ui/dialogs/user_colour_dialog.h"
#include "ui/modal_driver.h"

namespace uitest {
namespace {

class ScreenshotTest : public DialogTest {
 protected:
  static void Keep(const QImage& image, const std::string& name) {
    const char* folder = std::getenv("QUORX_SCREENSHOT_FOLDER");
    if (folder == nullptr || *folder == '\0') return;
    EXPECT_TRUE(image.save(QString::fromStdString(std::string(folder) + "/" + name)));
  }
  static QImage Picture(QWidget& widget) {
    QApplication::processEvents();
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
  }
  // The number of pixels of one colour.
  static int Count(const QImage& image, QRgb colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) count += (image.pixel(x, y) & 0xFFFFFFu) == (colour & 0xFFFFFFu) ? 1 : 0;
    }
    return count;
  }
};

TEST_F(ScreenshotTest, TheOptionsPages) {
  SaveRecord();
  const char* pages[] = {"dialog_options_operations.png", "dialog_options_utility.png",
                         "dialog_options_card_settings.png", "dialog_options_flight_record.png"};
  TVexaCmnOptionEditDlg dialog(nullptr);
  WhenShown<TVexaCmnOptionEditDlg>("VexaCmnOptionEditDlg", [&](TVexaCmnOptionEditDlg& shown) {
    for (int page = 0; page < 4; ++page) {
      SCOPED_TRACE(pages[page]);
      shown.PageControl->setCurrentIndex(page);
      const QImage image = Picture(shown);
      Keep(image, pages[page]);
      EXPECT_EQ(image.size(), shown.size());
      // The value panels (yellow on black) on the pages that have them.
      if (page == 0 || page == 2) {
        EXPECT_GT(Count(image, qRgb(0, 0, 0)), 500);
      }
    }
    shown.OKBtn->click();
  });
  dialog.EditOptions(record_);
}

TEST_F(ScreenshotTest, TheColourDialog) {
  TVexaCmnUserColorDlg dialog(nullptr);
  WhenShown<TVexaCmnUserColorDlg>("VexaCmnUserColorDlg", [&](TVexaCmnUserColorDlg& shown) {
    const QImage image = Picture(shown);
    Keep(image, "dialog_colours.png");
    // The scope background panel in its colour.
    const util::TColor scope = record_.ColorScheme[config::kScopeBackgroundColor];
    EXPECT_GT(Count(image, qRgb(util::RedOf(scope), util::GreenOf(scope), util::BlueOf(scope))), 1000);
    shown.OKBtn->click();
  });
  dialog.EditColours(record_);
}

TEST_F(ScreenshotTest, TheFlightRecordColumns) {
  QWidget page;
  page.resize(860, 420);
  auto* form = new TFltParamOptionsEditForm(&page, record_.FlightRecordParamOptions);
  page.show();
  const QImage image = Picture(page);
  Keep(image, "dialog_flight_columns.png");
  EXPECT_EQ(form->Grid1->item(0, 1)->text(), "Time");
  EXPECT_EQ(image.size(), page.size());
  // No empty band under the rows while no scroll bar is shown.
  for (QTableWidget* grid : {form->Grid1, form->Grid2}) {
    const int last = grid->rowCount() - 1;
    EXPECT_FALSE(grid->horizontalScrollBar()->isVisible());
    EXPECT_EQ(grid->viewport()->height(), grid->rowViewportPosition(last) + grid->rowHeight(last));
  }
}

}  // namespace
}  // namespace uitest
