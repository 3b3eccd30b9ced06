// "Display Colors": a picked colour is in the colour block and every window re-colours at once;
// anything but "Accept" brings the colours of the moment the dialog opened back.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <functional>
#include <string>

#include "ui/dialogs/dialog_fixture.h"
#include "ui/dialogs/user_colour_dialog.h"
#include "ui/modal_driver.h"
#include "util/gui/qt_colour.h"

namespace uitest {
namespace {

constexpr util::TColor kPicked = 0x00123456;

class UserColourDialogTest : public DialogTest {
 protected:
  void Edit(const std::function<void(TVexaCmnUserColorDlg&)>& act) {
    TVexaCmnUserColorDlg dialog(nullptr);
    WhenShown<TVexaCmnUserColorDlg>("VexaCmnUserColorDlg", act);
    dialog.EditColours(record_);
    accepted_ = dialog.Accepted();
  }
  bool accepted_ = false;
};

TEST_F(UserColourDialogTest, APickReachesTheWindowsAtOnceAndCancelRestores) {
  const config::ColorBlock before = record_.ColorScheme;
  dialogs_->AnswerColour(kPicked);
  Edit([&](TVexaCmnUserColorDlg& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "Display Colors");
    // The operator's click on the grid's panel.
    QTest::mouseClick(dialog.Control(config::kGridColor), Qt::LeftButton);
    EXPECT_EQ(record_.ColorScheme[config::kGridColor], kPicked);
    EXPECT_EQ(recolours_.sent, 1);
    EXPECT_EQ(dialog.Control(config::kGridColor)->palette().color(QPalette::Window), util::ToQColor(kPicked));
    dialog.CancelBtn->click();
  });
  EXPECT_FALSE(accepted_);
  EXPECT_EQ(record_.ColorScheme, before);
  EXPECT_EQ(recolours_.sent, 2);
}

TEST_F(UserColourDialogTest, AcceptKeepsThePickedColours) {
  config::ColorBlock expected = record_.ColorScheme;
  expected[config::kAppStatusLabelColor] = kPicked;
  expected[config::kMinStrengthColor] = 0x000000FF;
  dialogs_->AnswerColour(kPicked);
  dialogs_->AnswerColour(0x000000FF);
  Edit([&](TVexaCmnUserColorDlg& dialog) {
    // A "Labels" label shows its colour as its text colour.
    QTest::mouseClick(dialog.Control(config::kAppStatusLabelColor), Qt::LeftButton);
    EXPECT_EQ(dialog.Control(config::kAppStatusLabelColor)->palette().color(QPalette::WindowText),
              util::ToQColor(kPicked));
    dialog.PanelServerMainClick(config::kMinStrengthColor);
    dialog.OKBtn->click();
  });
  EXPECT_TRUE(accepted_);
  EXPECT_EQ(record_.ColorScheme, expected);
  EXPECT_EQ(recolours_.sent, 2);
}

// Every colour but colour 20 has its control and takes a pick; colour 20 stays as it was.
TEST_F(UserColourDialogTest, ColourTwentyIsNeverChanged) {
  const util::TColor twenty = record_.ColorScheme[20];
  for (int index = 0; index < config::kColorSchemeSize; ++index) {
    if (index != 20) dialogs_->AnswerColour(static_cast<util::TColor>(0x00010101 * (index + 1)));
  }
  Edit([&](TVexaCmnUserColorDlg& dialog) {
    EXPECT_EQ(dialog.Control(20), nullptr);
    for (int index = 0; index < config::kColorSchemeSize; ++index) {
      SCOPED_TRACE(index);
      if (index == 20) continue;
      ASSERT_NE(dialog.Control(index), nullptr);
      QTest::mouseClick(dialog.Control(index), Qt::LeftButton);
    }
    dialog.OKBtn->click();
  });
  for (int index = 0; index < config::kColorSchemeSize; ++index) {
    SCOPED_TRACE(index);
    EXPECT_EQ(record_.ColorScheme[static_cast<std::size_t>(index)],
              index == 20 ? twenty : static_cast<util::TColor>(0x00010101 * (index + 1)));
  }
}

// A cancelled colour dialog changes nothing and sends nothing; closing the window restores.
TEST_F(UserColourDialogTest, ACancelledPickAndTheTitleBarsClose) {
  const config::ColorBlock before = record_.ColorScheme;
  dialogs_->AnswerColour(std::nullopt);
  dialogs_->AnswerColour(kPicked);
  Edit([&](TVexaCmnUserColorDlg& dialog) {
    QTest::mouseClick(dialog.Control(config::kTraceColor), Qt::LeftButton);
    EXPECT_EQ(record_.ColorScheme, before);
    EXPECT_EQ(recolours_.sent, 0);
    QTest::mouseClick(dialog.Control(config::kTraceColor), Qt::LeftButton);
    EXPECT_EQ(record_.ColorScheme[config::kTraceColor], kPicked);
    dialog.close();
  });
  EXPECT_FALSE(accepted_);
  EXPECT_EQ(record_.ColorScheme, before);
  EXPECT_EQ(recolours_.sent, 2);
}

}  // namespace
}  // namespace uitest
