// The three dialogs opened from the main menu by their items, on the whole program.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>

#include <string>
#include <vector>

#include "card/rtl20_manager.h"
#include "config/globals.h"
#include "net/net_manager.h"
#include "support/scripted_dialogs.h"
#include "ui/dialogs/hw_config_editor_dlg.h"
#include "ui/dialogs/network_editor_dlg.h"
#include "ui/dialogs/rtl_log_mask_dlg.h"
#include "ui/main_form_fixture.h"
#include "ui/main_menus.h"
#include "ui/modal_driver.h"

namespace uitest {
namespace {

class MenuItemsTest : public MainFormTest {
 protected:
  QAction* Item(const char* name) const {
    auto* item = form_->findChild<QAction*>(QString::fromLatin1(name));
    EXPECT_NE(item, nullptr) << name;
    return item;
  }
  // The visible items of a per-card menu.
  static std::vector<std::string> Visible(const QMenu* menu) {
    std::vector<std::string> names;
    for (const QAction* item : menu->actions()) {
      if (item->isVisible() && !item->isSeparator()) names.push_back(item->objectName().toStdString());
    }
    return names;
  }

  testsupport::ScopedScriptedDialogs dialogs_;
};

TEST_F(MenuItemsTest, NetworkItemOpensTheDialog) {
  PrepareProgramFolder(1);
  StartProgram();
  ASSERT_TRUE(Item("MenuNetworkConfiguration")->isEnabled());
  const std::int32_t rate = gNetMgr->BcRateHz() == 4 ? 5 : 4;
  WhenShown<TNetworkEditorDlg>("NetworkEditorDlg", [rate](TNetworkEditorDlg& d) {
    d.findChild<QScrollBar*>("ScrollBarDataRate")->setValue(rate);
    d.findChild<QPushButton*>("OKBtn")->click();
  });
  Item("MenuNetworkConfiguration")->trigger();
  EXPECT_EQ(gNetMgr->BcRateHz(), rate);
  EXPECT_TRUE(dialogs_->Messages().empty());
}

// Two demo cards down to one: the card items follow; the log-mask item of the remaining card opens
// its dialog.
TEST_F(MenuItemsTest, HardwareItemAndTheCardItemsThatFollow) {
  PrepareProgramFolder(2, true);
  StartProgram();
  ui::MainMenus& menus = form_->Menus();
  ASSERT_TRUE(Item("MenuHardwareConfiguration")->isEnabled());
  EXPECT_EQ(Visible(menus.MenuSetRTLLogMask), (std::vector<std::string>{"SubMenuSetRTLLogMask0", "SubMenuSetRTLLogMask1"}));
  dialogs_->AnswerMenu(std::string("Num KR-20 Cards to Simulate"));
  dialogs_->AnswerInput(std::string("1"));
  WhenShown<TVexaHwCfgMgrEditorDlg>("VexaHwCfgMgrEditorDlg", [](TVexaHwCfgMgrEditorDlg& d) {
    d.ShowSimulatePopup();
    d.findChild<QPushButton*>("ButtonAcceptEnables")->click();
    d.findChild<QPushButton*>("OKBtn")->click();
  });
  Item("MenuHardwareConfiguration")->trigger();
  ASSERT_EQ(gRtl20Mgr->CardCount(), 1);
  EXPECT_EQ(Visible(menus.MenuCardSetup), (std::vector<std::string>{"SubMenuMenuCardSetup0"}));
  EXPECT_EQ(Visible(menus.MenuViewBERT), (std::vector<std::string>{"SubMenuMenuViewBERT0"}));
  EXPECT_EQ(Visible(menus.MenuSetRTLLogMask), (std::vector<std::string>{"SubMenuSetRTLLogMask0"}));
  EXPECT_EQ(Item("SubMenuMenuCardSetup0")->text(), "Group Card 1");

  // Demo cards take no mask (nothing reaches a library), but the dialog is that card's.
  std::string caption;
  WhenShown<TDbg_RtlLogMaskDlg>("Dbg_RtlLogMaskDlg", [&caption](TDbg_RtlLogMaskDlg& d) {
    caption = d.windowTitle().toStdString();
    d.findChild<QPushButton*>("OKBtn")->click();
  });
  Item("SubMenuSetRTLLogMask0")->trigger();
  EXPECT_EQ(caption, "RTL DLL LOGGING MASK Card 1");
}

}  // namespace
}  // namespace uitest
