// The down-converter popup of the hardware dialog, opened from the main menu with the program's
// own dialog service: it opens just below the card panel the operator clicked, wherever the
// mouse is.
#include <gtest/gtest.h>

#include <QCursor>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include <memory>
#include <optional>

#include "ui/dialogs/hw_config_editor_dlg.h"
#include "ui/main_form_fixture.h"
#include "ui/main_menus.h"
#include "ui/modal_driver.h"
#include "util/dialog_service.h"
#include "util/gui/qt_dialog_service.h"

namespace uitest {
namespace {

constexpr const char* kCardsAndConverters =
    "[General]\nCards=2\nSeed=3\n[DownConverters]\nKr12Cards=2\nKr12Channels=1\nKr14Cards=1\nKr14Channels=2\n";

class ConverterPopupPositionTest : public MainFormTest {
 protected:
  void TearDown() override {
    util::SetDialogService(nullptr);
    MainFormTest::TearDown();
  }
};

TEST_F(ConverterPopupPositionTest, OpensJustBelowTheClickedPanel) {
  PrepareProgramFolder(2, false, kCardsAndConverters);
  StartProgram();
  util::SetDialogService(std::make_shared<util::QtDialogService>());

  struct Seen {
    QPoint below;            // the clicked panel's lower left corner on the screen
    QPoint popup;            // where the popup showed
    QStringList captions;
    bool panelShown = false;
  };
  auto seen = std::make_shared<Seen>();
  auto popupSeen = std::make_shared<bool>(false);

  WhenShown<TVexaHwCfgMgrEditorDlg>("VexaHwCfgMgrEditorDlg", [seen, popupSeen](TVexaHwCfgMgrEditorDlg& dialog) {
    // The mouse is far from every panel: a popup at the mouse would open up there.
    QCursor::setPos(dialog.mapToGlobal(QPoint(dialog.width() - 5, 5)));
    // The left panel of the second row: the popup fits on the screen beside it.
    QLabel* panel = dialog.CardPanel(1, 0);
    ASSERT_NE(panel, nullptr);
    seen->panelShown = panel->isVisible() && panel->width() > 0 && panel->height() > 0;
    seen->below = panel->mapToGlobal(QPoint(0, panel->height()));
    WhenShown<QMenu>("PopupMenuDnCvt", [seen, popupSeen](QMenu& menu) {
      seen->popup = menu.geometry().topLeft();
      for (const QAction* action : menu.actions()) seen->captions << action->text();
      *popupSeen = true;
      menu.close();
    });
    QTest::mouseClick(panel, Qt::LeftButton, {}, QPoint(panel->width() - 3, 3));
    dialog.findChild<QPushButton*>("CancelBtn")->click();
  });
  form_->Menus().MenuHardwareConfiguration->trigger();

  ASSERT_TRUE(*popupSeen);
  EXPECT_TRUE(seen->panelShown);
  EXPECT_EQ(seen->captions, (QStringList{"KR-12P2 Card 1 Ch 1", "KR-12P2 Card 2 Ch 1", "KR-14P3 Card 1 Ch 1",
                                         "KR-14P3 Card 1 Ch 2", "NOT USED"}));
  EXPECT_EQ(seen->popup, seen->below);
}

}  // namespace
}  // namespace uitest
