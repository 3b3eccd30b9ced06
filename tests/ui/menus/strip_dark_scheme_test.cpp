// The main window's strips in the dark colour scheme: the strength numbers are drawn in the
// scheme's status data colour (yellow) over its main background (near black).
#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>

#include "ui/cards/main_status_bar_form.h"
#include "ui/cards/prepared_folder.h"
#include "ui/cards/status_independent_form.h"
#include "ui/main_form_fixture.h"
#include "ui/dialogs/option_edit_dialog.h"
#include "ui/main_menus.h"
#include "ui/modal_driver.h"

namespace uitest {
namespace {

class StripDarkSchemeTest : public MainFormTest {};

TEST_F(StripDarkSchemeTest, StrengthNumbersAreYellowOnNearBlack) {
  PrepareFolderAsRunShDoes(folder_.Path());
  ASSERT_FALSE(HasFailure());
  StartProgram();
  // System > Options, "Dark", "Set Default Colors", OK.
  WhenShown<TVexaCmnOptionEditDlg>("VexaCmnOptionEditDlg", [](TVexaCmnOptionEditDlg& dialog) {
    auto* dark = dialog.findChild<QRadioButton*>("RadioDefaultColors2");
    ASSERT_NE(dark, nullptr);
    EXPECT_EQ(dark->text(), "Dark");
    dark->click();
    dialog.findChild<QPushButton*>("ButtonDefaultColors")->click();
    dialog.findChild<QPushButton*>("OKBtn")->click();
  });
  form_->Menus().MenuOptions->trigger();
  // A few timer passes: the strips are refreshed.
  RunUntil([] { return false; }, std::chrono::milliseconds(600));

  TSM_MainStatusBarForm* strip = form_->StatusBar(0);
  ASSERT_NE(strip, nullptr);
  auto* panel = strip->findChild<TSM_Status_IndependentForm*>("MAIN_SM_STATUS_IND_0");
  ASSERT_NE(panel, nullptr);
  auto* strength = panel->findChild<QLabel*>("LabelStrength");
  ASSERT_NE(strength, nullptr);
  ASSERT_TRUE(strength->isVisible());
  ASSERT_GT(strength->width(), 0);
  EXPECT_FALSE(strength->text().isEmpty());
  EXPECT_EQ(strength->palette().color(QPalette::WindowText), QColor(255, 255, 0));
  EXPECT_EQ(strip->PanelStatus1->palette().color(QPalette::Window), QColor(0x20, 0x20, 0x20));

  // What is drawn: the strip as the operator sees it, the number's pixels yellow, none dark red.
  const QImage image = strip->grab().toImage();
  const QRect area(strength->mapTo(strip, QPoint(0, 0)), strength->size());
  int yellow = 0, darkRed = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      const QRgb pixel = image.pixel(x, y);
      yellow += qRed(pixel) > 180 && qGreen(pixel) > 180 && qBlue(pixel) < 90 ? 1 : 0;
      darkRed += qRed(pixel) > 60 && qGreen(pixel) < 40 && qBlue(pixel) < 40 ? 1 : 0;
    }
  }
  EXPECT_GT(yellow, 10);
  EXPECT_EQ(darkRed, 0);
}

}  // namespace
}  // namespace uitest
