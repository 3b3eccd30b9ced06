// The main window's menus in the running program on virtual cards: the tree with its names and
// captions, the per-card items, and what each item opens or changes.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>

#include <algorithm>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "card/card_routines.h"
#include "card/kr20card.h"
#include "card/rtl20_manager.h"
#include "config/general_routines.h"
#include "config/globals.h"
#include "config/options_store.h"
#include "settings/set_manager.h"
#include "support/scripted_dialogs.h"
#include "ui/cards/card_windows.h"
#include "ui/cards/setup_main_gui_form.h"
#include "ui/cards/setup_single_main_gui_form.h"
#include "ui/dialogs/option_edit_dialog.h"
#include "ui/dialogs/user_colour_dialog.h"
#include "ui/main_form_fixture.h"
#include "ui/main_menus.h"
#include "ui/modal_driver.h"
#include "util/gui/about_box.h"
#include "util/gui/qt_colour.h"

namespace uitest {
namespace {

namespace fs = std::filesystem;

class MainMenusTest : public MainFormTest {
 protected:
  void TearDown() override {
    config::gApp.ForceFpgaLoad = 0;
    MainFormTest::TearDown();
  }

  QAction* Item(const std::string& name) const {
    QAction* item = form_->findChild<QAction*>(QString::fromStdString(name));
    EXPECT_NE(item, nullptr) << name;
    return item;
  }
  ui::MainMenus& Menus() const { return form_->Menus(); }

  // Caption, name and state of each item of a menu, separators as "-".
  static std::vector<std::string> Rows(const QMenu* menu) {
    std::vector<std::string> rows;
    for (const QAction* item : menu->actions()) {
      if (item->isSeparator()) {
        rows.emplace_back("-");
        continue;
      }
      rows.push_back(item->objectName().toStdString() + " \"" + item->text().toStdString() + "\"" +
                     (item->isVisible() ? "" : " hidden") +
                     (item->isVisible() && !item->isEnabled() ? " disabled" : ""));
    }
    return rows;
  }

  bool HasLogText(const std::string& text) const {
    const std::vector<std::string> texts = LogTexts();
    return std::find(texts.begin(), texts.end(), text) != texts.end();
  }
};

TEST_F(MainMenusTest, TheMenuBarAndItsMenus) {
  PrepareProgramFolder(2);
  StartProgram();
  std::vector<std::string> bar;
  for (const QAction* item : Menus().MainMenu->actions()) {
    bar.push_back(item->objectName().toStdString() + " \"" + item->text().toStdString() + "\"" +
                  (item->isVisible() ? "" : " hidden"));
  }
  EXPECT_EQ(bar, (std::vector<std::string>{"MenuSystem \"System\"", " \"         \"", "MenuiSetup \"Setup\"",
                                           " \"           \"", "MenuView \"View\"", " \"\"",
                                           "MenuRecording \"Logging\"", " \"\"", "MenuTools \"Tools\"", " \"   \"",
                                           "MenuAbout \"About\"", " \"   \"", "MenuFactory \"Factory\" hidden"}));
  EXPECT_EQ(Rows(Menus().MenuSystem),
            (std::vector<std::string>{"MenuOptions \"Options\"", "-",
                                      "MenuForceFPGALoadatStartup \"Force FPGA Load at Startup\"", "-",
                                      "MenuHardwareConfiguration \"Hardware Configuration\"", "-",
                                      "MenuNetworkConfiguration \"Network Configuration\""}));
  EXPECT_EQ(Rows(Menus().MenuView),
            (std::vector<std::string>{"MenuViewTestModulator \"Test Modulator\"", "MenuViewBERT \"BERT\"", "-",
                                      "MenuErrorLogs \"Error Logs\"", "-", "MenuClearErrorLog \"Clear Error Log\""}));
  EXPECT_EQ(Rows(Menus().MenuRecording), (std::vector<std::string>{"MenuRecordRSSI \"Log Receiver Parameters\"", "-",
                                                                   "MenuRestartRecord \"Restart Logging\""}));
  EXPECT_EQ(Rows(Menus().MenuiSetup), (std::vector<std::string>{"MenuCardSetup \"Card Setup\""}));
}

// With two cards: the items of cards 1 and 2 are visible, and the card setup items name the
// groups once the start-up ran; the BERT items open their windows, the windows not built yet keep
// their items disabled.
TEST_F(MainMenusTest, PerCardItemsForTwoCards) {
  PrepareProgramFolder(2);
  StartProgram();
  EXPECT_EQ(Rows(Menus().MenuCardSetup),
            (std::vector<std::string>{
                "SubMenuMenuCardSetup0 \"Group Card 1\"", "SubMenuMenuCardSetup1 \"Group Card 2\"",
                "SubMenuMenuCardSetup2 \"KR-20 Card 3\" hidden", "SubMenuMenuCardSetup3 \"KR-20 Card 4\" hidden",
                "SubMenuMenuCardSetup4 \"KR-20 Card 5\" hidden", "SubMenuMenuCardSetup5 \"KR-20 Card 6\" hidden"}));
  // The BERT and test modulator windows exist: their items of the present cards are usable.
  for (const auto& [menu, prefix] : {std::pair{Menus().MenuViewBERT, "SubMenuMenuViewBERT"},
                                     std::pair{Menus().MenuViewTestModulator, "SubMenuMenuViewTestModulator"}}) {
    SCOPED_TRACE(prefix);
    std::vector<std::string> expected;
    for (int i = 0; i < 6; ++i) {
      expected.push_back(std::string(prefix) + std::to_string(i) + " \"KR-20 Card " + std::to_string(i + 1) + "\"" +
                         (i >= 2 ? " hidden" : ""));
    }
    EXPECT_EQ(Rows(menu), expected);
  }
  // The tags carry the card index.
  EXPECT_EQ(Item("SubMenuMenuCardSetup1")->data().toInt(), 1);
  // The factory submenus hold the open cards only.
  EXPECT_EQ(Rows(Menus().MenuPeekPoke),
            (std::vector<std::string>{"SubMenuPeekPoke0 \"Card 1\"", "SubMenuPeekPoke1 \"Card 2\""}));
  // The log-mask dialog is there: its items are usable.
  EXPECT_EQ(Rows(Menus().MenuSetRTLLogMask),
            (std::vector<std::string>{"SubMenuSetRTLLogMask0 \"Card 1\"", "SubMenuSetRTLLogMask1 \"Card 2\""}));
}

TEST_F(MainMenusTest, FactoryMenuOnlyInTheFactoryMode) {
  PrepareProgramFolder(1);
  ASSERT_TRUE(testsupport::WriteWholeFile(folder_ / config::kFactoryModeMarker, ""));
  StartProgram();
  EXPECT_TRUE(Menus().MenuFactory->menuAction()->isVisible());
  EXPECT_EQ(Rows(Menus().MenuFactory),
            (std::vector<std::string>{"MenuPeekPoke \"Kr20 Peek / Poke\"", "MenuFilePoke \"Kr20 File Poke\"",
                                      "MenuTOC \"Kr20 TOC\"", "-", "MenuSetRTLLogMask \"Set RTL Log Mask\"", "-"}));
  EXPECT_EQ(Rows(Menus().MenuTOC), (std::vector<std::string>{"SubMenuTOC0 \"Card 1\""}));
}

// A window kind that installs its opener makes its items usable; a factory window only opens on a
// card with its first FPGA present.
TEST_F(MainMenusTest, InstalledOpenersEnableTheirItems) {
  PrepareProgramFolder(2);
  StartProgram();
  std::vector<int> opened;
  Menus().SetCardWindowOpener(ui::CardMenuWindow::Bert, [&opened](int card) { opened.push_back(card); });
  Menus().SetCardWindowOpener(ui::CardMenuWindow::FpgaToc, [&opened](int card) { opened.push_back(10 + card); });
  EXPECT_TRUE(Item("SubMenuMenuViewBERT1")->isEnabled());
  EXPECT_TRUE(Item("SubMenuMenuViewTestModulator1")->isEnabled());
  EXPECT_TRUE(Item("SubMenuTOC0")->isEnabled());
  // The program installs the log-mask dialog's opener itself.
  EXPECT_TRUE(Item("SubMenuSetRTLLogMask0")->isEnabled());
  Item("SubMenuMenuViewBERT1")->trigger();
  Item("SubMenuTOC0")->trigger();
  EXPECT_EQ(opened, (std::vector<int>{1, 10}));
  Menus().SetCardWindowOpener(ui::CardMenuWindow::Bert, nullptr);
  EXPECT_FALSE(Item("SubMenuMenuViewBERT1")->isEnabled());

  // A card without its first FPGA (here: no card at all in slot 4) opens nothing and says why.
  testsupport::ScopedScriptedDialogs dialogs;
  QAction missing(nullptr);
  missing.setData(3);
  Menus().MenuFpgaInfoItemClick(&missing);
  EXPECT_EQ(opened, (std::vector<int>{1, 10}));
  ASSERT_EQ(dialogs->Messages().size(), 1u);
  EXPECT_EQ(dialogs->Messages()[0].title, "WARNING");
  EXPECT_EQ(dialogs->Messages()[0].text, "NO FPGA LOADED..LOAD AN FPGA FIRST");
  const std::vector<std::string> lines = testsupport::LogFileTexts(LogPath());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "NO FPGA LOADED..LOAD AN FPGA FIRST"), lines.end());
}

TEST_F(MainMenusTest, CardSetupOpensTheKindOfWindowTheOptionsAskFor) {
  PrepareProgramFolder(2);
  StartProgram();
  Item("SubMenuMenuCardSetup1")->trigger();
  // Watched, not only compared: a window made anew may take the deleted one's address.
  const QPointer<TSetupMainGuiForm> window = config::gApp.CardSetupForms[1];
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(config::gApp.SingleChannelForms[1], nullptr);
  // Shown again, not made anew.
  window->hide();
  Item("SubMenuMenuCardSetup1")->trigger();
  ASSERT_EQ(config::gApp.CardSetupForms[1], window);
  EXPECT_TRUE(window->isVisible());

  config::gApp.Options->Info().SingleChannelUsage = 1;
  Item("SubMenuMenuCardSetup0")->trigger();
  ASSERT_NE(config::gApp.SingleChannelForms[0], nullptr);
  EXPECT_TRUE(config::gApp.SingleChannelForms[0]->isVisible());
  EXPECT_EQ(config::gApp.CardSetupForms[0], nullptr);
}

TEST_F(MainMenusTest, ForceFpgaLoadToggles) {
  PrepareProgramFolder(1);
  StartProgram();
  QAction* item = Item("MenuForceFPGALoadatStartup");
  for (const int expected : {1, 0, 1}) {
    item->trigger();
    EXPECT_EQ(config::gApp.ForceFpgaLoad, expected);
    EXPECT_EQ(item->isChecked(), expected == 1);
  }
}

TEST_F(MainMenusTest, ClearErrorLogEmptiesTheLog) {
  PrepareProgramFolder(1);
  StartProgram();
  ASSERT_TRUE(HasLogText("---------------START UP COMPLETE------------------"));
  Item("MenuClearErrorLog")->trigger();
  EXPECT_EQ(LogTexts(), (std::vector<std::string>{"ERROR LOG CLEARED"}));
}

// "Log Receiver Parameters" starts the flight record (one file per card in a new archive folder)
// and stops its lines; the check mark and the Logging image follow; the shut-down closes the files.
TEST_F(MainMenusTest, RecordingSwitchedOnAndOffFromTheMenu) {
  PrepareProgramFolder(2);
  StartProgram();
  const fs::path archive = folder_ / "USER/ARCHIVEDATA";
  auto files = [&archive] {
    std::vector<fs::path> found;
    std::error_code error;
    for (const auto& entry : fs::recursive_directory_iterator(archive, error)) {
      if (entry.is_regular_file()) found.push_back(entry.path());
    }
    std::sort(found.begin(), found.end());
    return found;
  };
  auto size = [](const fs::path& path) {
    std::error_code error;
    return fs::file_size(path, error);
  };
  QAction* record = Item("MenuRecordRSSI");
  EXPECT_FALSE(record->isChecked());
  EXPECT_TRUE(Menus().MenuRecording->icon().isNull());

  record->trigger();
  EXPECT_TRUE(config::gApp.Recording.load());
  EXPECT_TRUE(record->isChecked());
  EXPECT_FALSE(Menus().MenuRecording->icon().isNull());
  // Lines at the options' rate (1 Hz): the header and at least one data line per card.
  ASSERT_TRUE(RunUntil([&] { return files().size() == 2 && size(files()[1]) > 0 && size(files()[0]) > 0; },
                       std::chrono::seconds(10)));
  auto lines = [](const fs::path& path) {
    const std::string text = testsupport::ReadWholeFile(path.string());
    return std::count(text.begin(), text.end(), '\n');
  };
  ASSERT_TRUE(RunUntil([&] { return lines(files()[0]) >= 4 && lines(files()[1]) >= 4; }, std::chrono::seconds(10)));
  EXPECT_EQ(files()[0].filename(), "FltData.Kr20_1");
  EXPECT_EQ(files()[1].filename(), "FltData.Kr20_2");

  record->trigger();
  EXPECT_FALSE(config::gApp.Recording.load());
  EXPECT_FALSE(record->isChecked());
  EXPECT_TRUE(Menus().MenuRecording->icon().isNull());
  const auto stopped = size(files()[0]);
  RunUntil([] { return false; }, std::chrono::milliseconds(2200));
  EXPECT_EQ(size(files()[0]), stopped);

  // "Restart Logging" opens new files in a new archive folder and keeps the recording flag as it was.
  record->trigger();
  Item("MenuRestartRecord")->trigger();
  EXPECT_TRUE(config::gApp.Recording.load());
  EXPECT_TRUE(record->isChecked());
  EXPECT_EQ(files().size(), 4u);

  form_->CloseProgram();
  EXPECT_FALSE(config::gApp.Recording.load());
}

TEST_F(MainMenusTest, AboutShowsTheProgramAndItsLog) {
  PrepareProgramFolder(1);
  StartProgram();
  std::string logFile;
  std::string title;
  WhenShown<util::TVopBorAboutBoxForm>("VopBorAboutBoxForm", [&](util::TVopBorAboutBoxForm& box) {
    logFile = box.LogFilePath();
    title = box.windowTitle().toStdString();
    box.accept();
  });
  Item("MenuAbout")->trigger();
  EXPECT_EQ(title, "About QuorxL");
  EXPECT_EQ(fs::path(logFile).lexically_normal(), fs::path(LogPath()).lexically_normal());
}

// Changing the kind of card window closes the open ones; the next "Card Setup" opens the other kind.
TEST_F(MainMenusTest, OptionsSingleChannelUsageClosesTheCardWindows) {
  PrepareProgramFolder(2);
  StartProgram();
  testsupport::ScopedScriptedDialogs dialogs;
  Item("SubMenuMenuCardSetup0")->trigger();
  Item("SubMenuMenuCardSetup1")->trigger();
  ASSERT_NE(config::gApp.CardSetupForms[1], nullptr);
  bool idled = false;
  WhenShown<TVexaCmnOptionEditDlg>("VexaCmnOptionEditDlg", [&](TVexaCmnOptionEditDlg& dialog) {
    // The master timer idles while the dialog is open.
    idled = !form_->StartupBegun();
    dialog.CheckBoxSingleChannelUsage->click();
    dialog.OKBtn->click();
  });
  Item("MenuOptions")->trigger();
  EXPECT_TRUE(idled);
  EXPECT_TRUE(form_->StartupBegun());
  EXPECT_EQ(config::gApp.Options->Info().SingleChannelUsage, 1);
  EXPECT_EQ(config::gApp.CardSetupForms[0], nullptr);
  EXPECT_EQ(config::gApp.CardSetupForms[1], nullptr);
  config::kr20optinfo stored = config::gApp.Options->Info();
  stored.SingleChannelUsage = 0;
  ASSERT_TRUE(config::kr20optionclass::LoadOptions(stored));
  EXPECT_EQ(stored.SingleChannelUsage, 1);
  Item("SubMenuMenuCardSetup1")->trigger();
  ASSERT_NE(config::gApp.SingleChannelForms[1], nullptr);
  EXPECT_TRUE(config::gApp.SingleChannelForms[1]->isVisible());
}

// The post-D output option re-applies the combining output and keeps the open windows.
TEST_F(MainMenusTest, OptionsPostDOutputResynchronisesTheCards) {
  PrepareProgramFolder(2);
  StartProgram();
  testsupport::ScopedScriptedDialogs dialogs;
  Item("SubMenuMenuCardSetup0")->trigger();
  const QPointer<TSetupMainGuiForm> window = config::gApp.CardSetupForms[0];
  ASSERT_NE(window, nullptr);
  for (int card = 0; card < 2; ++card) gKr20SetMgr->SetPostDDiversityOutput(card, 0, "CH1_OUTPUT");
  WhenShown<TVexaCmnOptionEditDlg>("VexaCmnOptionEditDlg", [&](TVexaCmnOptionEditDlg& dialog) {
    dialog.CheckBoxFmFmPostDOut2->click();
    dialog.OKBtn->click();
  });
  Item("MenuOptions")->trigger();
  for (int card = 0; card < 2; ++card) {
    SCOPED_TRACE(card);
    EXPECT_EQ(card::SetupText(gRtl20Mgr->Card(card)->Setup().PostD.DiversityOutput), "COMBINING_OUTPUT");
  }
  ASSERT_EQ(config::gApp.CardSetupForms[0], window);
  EXPECT_TRUE(window->isVisible());
}

// A colour picked in the colour dialog reaches the main window and the open card window at once;
// Cancel in the colour dialog and then in the options brings the old colours back.
TEST_F(MainMenusTest, ColoursReachEveryOpenWindowAndCancelRestoresThem) {
  PrepareProgramFolder(2);
  StartProgram();
  testsupport::ScopedScriptedDialogs dialogs;
  Item("SubMenuMenuCardSetup0")->trigger();
  TSetupMainGuiForm* window = config::gApp.CardSetupForms[0];
  const QColor mainBefore = form_->palette().color(QPalette::Window);
  const QColor cardBefore = window->palette().color(QPalette::Window);
  constexpr util::TColor kMain = 0x00204080;
  constexpr util::TColor kSetup = 0x00806040;
  dialogs->AnswerColour(kMain);
  dialogs->AnswerColour(kSetup);
  QColor mainDuring;
  QColor cardDuring;
  WhenShown<TVexaCmnOptionEditDlg>("VexaCmnOptionEditDlg", [&](TVexaCmnOptionEditDlg& options) {
    WhenShown<TVexaCmnUserColorDlg>("VexaCmnUserColorDlg", [&](TVexaCmnUserColorDlg& colours) {
      colours.PanelServerMainClick(config::kAppMainBackgroundColor);
      colours.PanelServerMainClick(config::kAppSetupBackgroundColor);
      mainDuring = form_->palette().color(QPalette::Window);
      cardDuring = window->palette().color(QPalette::Window);
      colours.CancelBtn->click();
    });
    options.ButtonColors->click();
    options.CancelBtn->click();
  });
  Item("MenuOptions")->trigger();
  EXPECT_EQ(mainDuring, util::ToQColor(kMain));
  EXPECT_EQ(cardDuring, util::ToQColor(kSetup));
  EXPECT_EQ(form_->palette().color(QPalette::Window), mainBefore);
  EXPECT_EQ(window->palette().color(QPalette::Window), cardBefore);
}

}  // namespace
}  // namespace uitest
