// The card windows on virtual cards in the running program: layout, the operation-mode menu and
// a mode change, the both-channels control, the File menu, and their life with the main window.
#include <gtest/gtest.h>

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <filesystem>
#include <string>
#include <vector>

#include "card/card_routines.h"
#include "card/mode_routines.h"
#include "card/rtl20_manager.h"
#include "config/globals.h"
#include "config/name_tables.h"
#include "config/options_store.h"
#include "settings/set_manager.h"
#include "settings/window_messages.h"
#include "support/qt/button_face.h"
#include "support/qt/shown_widget.h"
#include "support/scripted_dialogs.h"
#include "ui/setup/page_shown.h"
#include "ui/cards/card_windows.h"
#include "ui/cards/setup_main_gui_form.h"
#include "ui/cards/setup_single_main_gui_form.h"
#include "ui/displays/setup_main_status_form.h"
#include "ui/main_form_fixture.h"
#include "util/gui/qt_dialog_service.h"
#include "ui/setup/setup_main_setup_form.h"

namespace uitest {
namespace {

// Two virtual cards on the chip-variant board, so that every personality has an image: card 0
// runs PSK-PSK (personality 4), card 1 FM-FM (10).
constexpr const char* kVariantCards =
    "[General]\nCards=2\nSeed=5\nChipVariant=YES\n"
    "[Card_0]\nFpgaMode=4\nIfInput1=70e6, -40, SOQPSK_TG, 5e6, 14, NRZL\nIfInput2=70e6, -45, SOQPSK_TG, 5e6, 12, NRZL\n"
    "[Card_1]\nFpgaMode=10\nIfInput1=70e6, -42, PCM_FM, 2e6, 13, NRZL\nIfInput2=70e6, -42, PCM_FM, 2e6, 13, NRZL\n"
    "[DownConverters]\nKr12Cards=0\nKr14Cards=0\n";

class CardWindowTest : public MainFormTest {
 protected:
  void Start(int cards = 2) {
    PrepareProgramFolder(cards, false, kVariantCards);
    StartProgram();
  }
  void TearDown() override {
    config::gApp.gControlBothChannels = 0;
    MainFormTest::TearDown();
  }

  TSetupMainGuiForm* Open(int card) {
    ui::ShowSetupMainGuiForm(card, form_.get());
    QCoreApplication::processEvents();
    return config::gApp.CardSetupForms[static_cast<std::size_t>(card)];
  }
  static std::vector<std::string> MenuItemNames(QMenu* menu) {
    std::vector<std::string> names;
    for (const QAction* action : menu->actions()) names.push_back(action->objectName().toStdString());
    return names;
  }
  static QRect Rect(const QWidget* widget) { return widget->geometry(); }
};

TEST_F(CardWindowTest, LayoutAndPanelsOfTheTwoChannelWindow) {
  Start();
  TSetupMainGuiForm* window = Open(0);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(Rect(window->PanelChStatus[0]), QRect(4, 1, 515, 150));
  EXPECT_EQ(Rect(window->PanelChStatus[1]), QRect(4, 151, 515, 150));
  EXPECT_EQ(Rect(window->PanelUtility), QRect(20, 304, 483, 25));
  EXPECT_EQ(Rect(window->PanelBothChControl), QRect(266, 2, 83, 22));
  EXPECT_EQ(Rect(window->ButtonReload), QRect(394, 5, 87, 19));
  EXPECT_EQ(Rect(window->PanelCommand[0]), QRect(4, 335, 255, 248));
  EXPECT_EQ(Rect(window->PanelCommand[1]), QRect(264, 335, 255, 248));
  EXPECT_EQ(window->centralWidget()->size(), QSize(525, 588));
  EXPECT_EQ(window->LabelOpModeLabel->text().toStdString(), "OPERATION MODE");
  EXPECT_EQ(window->ButtonReload->text().toStdString(), "Load Firmware");
  EXPECT_EQ(window->PanelBothChControl->toolTip().toStdString(), "Control Both Channels");
  for (int channel = 0; channel < 2; ++channel) {
    SCOPED_TRACE(channel);
    ASSERT_NE(window->StatusPanel(channel), nullptr);
    ASSERT_NE(window->CommandPanel(channel), nullptr);
    EXPECT_EQ(window->StatusPanel(channel)->parentWidget(), window->PanelChStatus[static_cast<std::size_t>(channel)]);
    EXPECT_EQ(window->CommandPanel(channel)->parentWidget(), window->PanelCommand[static_cast<std::size_t>(channel)]);
    EXPECT_EQ(window->CommandPanel(channel)->Channel(), channel);
  }
  // The running clock follows the card number in the caption; the mode label shows the status's mode.
  EXPECT_EQ(window->windowTitle().left(16).toStdString(), "QuorxL Card 1  0");
  RunUntil([] { return false; }, std::chrono::milliseconds(500));
  EXPECT_EQ(window->LabelOperationalMode->text().toStdString(), "PSK-PSK INDEPENDENT");
  EXPECT_TRUE(config::gApp.CardSetupForms[1] == nullptr);
}

TEST_F(CardWindowTest, ModeMenuFollowsTheFunctionMaskAndTheSingleChannelOption) {
  Start();
  TSetupMainGuiForm* window = Open(0);
  const std::uint16_t mask = gRtl20Mgr->FunctionMask(0);
  std::vector<std::string> expected;
  for (int i = 0; i < 10; ++i) {
    if ((mask >> i) & 1u) expected.push_back("SubMenuMenuOperationalMode" + std::to_string(i) + "_Single");
  }
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(MenuItemNames(window->PopupMenuOperationalMode), expected);
  EXPECT_EQ(window->PopupMenuOperationalMode->actions().front()->text().toStdString(),
            std::string(config::CombiningModeNames[static_cast<std::size_t>(
                std::stoi(expected.front().substr(26, 1)))]));

  // One channel per card: the two-channel window stops at the fourth mode, the single one at the third.
  config::gApp.Options->Info().SingleChannelUsage = 1;
  window->BuildOperationModeMenu();
  for (const std::string& name : MenuItemNames(window->PopupMenuOperationalMode)) EXPECT_LT(name[26], '4') << name;
  ui::ShowSetupSingleMainGuiForm(0, form_.get());
  TSetupSingleMainGuiForm* single = config::gApp.SingleChannelForms[0];
  ASSERT_NE(single, nullptr);
  for (const std::string& name : MenuItemNames(single->PopupMenuOperationalMode)) EXPECT_LT(name[26], '3') << name;
  config::gApp.Options->Info().SingleChannelUsage = 0;
}

// The both-channels control sets the global flag and shows it; a combining mode releases it.
TEST_F(CardWindowTest, BothChannelsControl) {
  Start();
  TSetupMainGuiForm* window = Open(0);
  window->SpeedButtonControlBothChannels->click();
  EXPECT_EQ(config::gApp.gControlBothChannels.load(), 1);
  window->UpdateDisplay();
  EXPECT_EQ(window->PanelBothChControl->palette().color(QPalette::Window), QColor(0, 128, 0));
  window->SpeedButtonControlBothChannels->click();
  EXPECT_EQ(config::gApp.gControlBothChannels.load(), 0);
  window->UpdateDisplay();
  EXPECT_EQ(window->PanelBothChControl->palette().color(QPalette::Window), QColor(192, 192, 192));
}

// The button's own face tells whether both channels are controlled, not only its panel.
TEST_F(CardWindowTest, BothChannelsControlLooksPressedWhileOn) {
  Start();
  TSetupMainGuiForm* window = Open(0);
  QToolButton* button = window->SpeedButtonControlBothChannels;
  ASSERT_NE(button, nullptr);
  ASSERT_TRUE(testsupport::ShownToOperator(button));
  const testsupport::ButtonFace up = testsupport::ReadButtonFace(*button);
  QTest::mouseClick(button, Qt::LeftButton);
  window->UpdateDisplay();
  ASSERT_EQ(config::gApp.gControlBothChannels.load(), 1);
  const testsupport::ButtonFace down = testsupport::ReadButtonFace(*button);
  testsupport::ExpectPressedLook(up, down);
  QTest::mouseClick(button, Qt::LeftButton);
  window->UpdateDisplay();
  ASSERT_EQ(config::gApp.gControlBothChannels.load(), 0);
  EXPECT_NEAR(testsupport::ReadButtonFace(*button).face, up.face, 1.0);
}

// A mode chosen from the menu loads the personality that serves it while the window stays open;
// a pre-D combining mode then shows only channel 2's setup panel, with its "Combiner" tab.
TEST_F(CardWindowTest, ModeChangeThroughTheMenuReloadsThePersonality) {
  Start();
  TSetupMainGuiForm* window = Open(0);
  ASSERT_EQ((gRtl20Mgr->FunctionMask(0) >> 5) & 1u, 1u) << "function mask " << gRtl20Mgr->FunctionMask(0);
  testsupport::ScopedScriptedDialogs dialogs;
  window->SpeedButtonControlBothChannels->click();
  dialogs->AnswerMenu("PSK PRE-D COMBINER");
  window->LabelOperationalModeClick();
  ASSERT_TRUE(RunUntil([&] { return window->LabelOperationalMode->text() == "PSK PRE-D COMBINER"; },
                       std::chrono::seconds(10)))
      << window->LabelOperationalMode->text().toStdString();
  EXPECT_EQ(card::CardFpgaMode(0), 5);
  EXPECT_EQ(gRtl20Mgr->Card(0)->Setup().RouteInfo.PreDCombinerMode, 1);
  EXPECT_FALSE(config::gApp.ReconfigurationPending.load());
  ASSERT_NE(window->CommandPanel(1), nullptr);
  EXPECT_FALSE(window->CommandPanel(0)->isVisible());
  EXPECT_TRUE(window->CommandPanel(1)->isVisible());
  EXPECT_TRUE(window->StatusPanel(0)->isVisible());
  EXPECT_TRUE(window->StatusPanel(1)->isVisible());
  const auto* tabs = window->CommandPanel(1)->findChild<QTabWidget*>("PageControl1");
  ASSERT_NE(tabs, nullptr);
  EXPECT_TRUE(tabs->isTabVisible(3));
  // Combining releases the both-channels control and hides it.
  EXPECT_EQ(config::gApp.gControlBothChannels.load(), 0);
  EXPECT_FALSE(window->PanelBothChControl->isVisible());

  // Back to independent channels: both setup panels, no "Combiner" tab.
  dialogs->AnswerMenu("PSK-PSK INDEPENDENT");
  window->LabelOperationalModeClick();
  ASSERT_TRUE(RunUntil([&] { return window->LabelOperationalMode->text() == "PSK-PSK INDEPENDENT"; },
                       std::chrono::seconds(10)));
  EXPECT_TRUE(window->CommandPanel(0)->isVisible());
  EXPECT_FALSE(window->CommandPanel(1)->findChild<QTabWidget*>("PageControl1")->isTabVisible(3));
  EXPECT_TRUE(window->PanelBothChControl->isVisible());
}

// The single-channel window never combines: a combining mode chosen there (while the option is
// off, before the main window replaces the window) stores both combiner flags as 0; it has no
// both-channels control and no "Combiner" tab.
TEST_F(CardWindowTest, TheSingleChannelWindowStoresNoCombinerFlags) {
  Start();
  ui::ShowSetupSingleMainGuiForm(0, form_.get());
  TSetupSingleMainGuiForm* window = config::gApp.SingleChannelForms[0];
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->PanelBothChControl, nullptr);
  EXPECT_EQ(window->StatusPanel(1), nullptr);
  EXPECT_EQ(window->CommandPanel(1), nullptr);
  EXPECT_EQ(window->PanelCommand[0]->geometry(), QRect(152, 189, 255, 248));
  EXPECT_FALSE(window->CommandPanel(0)->findChild<QTabWidget*>("PageControl1")->isTabVisible(3));
  testsupport::ScopedScriptedDialogs dialogs;
  dialogs->AnswerMenu("PSK PRE-D COMBINER");
  window->LabelOperationalModeClick();
  RunUntil([] { return false; }, std::chrono::milliseconds(500));
  EXPECT_EQ(gRtl20Mgr->Card(0)->Setup().RouteInfo.PreDCombinerMode, 0);
  EXPECT_EQ(gRtl20Mgr->Card(0)->Setup().RouteInfo.PostDCombinerMode, 0);
  EXPECT_FALSE(config::gApp.ReconfigurationPending.load());
  EXPECT_TRUE(dialogs->AllAnswered());
}

// Choosing the running mode changes nothing but the display.
TEST_F(CardWindowTest, ChoosingTheRunningModeChangesNothing) {
  Start();
  TSetupMainGuiForm* window = Open(0);
  RunUntil([] { return false; }, std::chrono::milliseconds(300));
  const int current = gRtl20Mgr->LoadState(0).CurrentFpgaMode;
  const int last = gRtl20Mgr->LoadState(0).LastFpgaMode;
  testsupport::ScopedScriptedDialogs dialogs;
  dialogs->AnswerMenu("PSK-PSK INDEPENDENT");
  window->LabelOperationalModeClick();
  const int currentAfter = gRtl20Mgr->LoadState(0).CurrentFpgaMode;
  const int lastAfter = gRtl20Mgr->LoadState(0).LastFpgaMode;
  EXPECT_EQ(currentAfter, current);
  EXPECT_EQ(lastAfter, last);
  EXPECT_FALSE(config::gApp.ReconfigurationPending.load());
}

TEST_F(CardWindowTest, SaveWithoutANameAsksOrWritesTheDefaultFile) {
  Start();
  TSetupMainGuiForm* window = Open(1);
  gKr20SetMgr->SetupFileNames[1].clear();
  testsupport::ScopedScriptedDialogs dialogs;
  config::gApp.Options->Info().AlwaysSaveSetups = 0;
  dialogs->AnswerFile(std::nullopt);
  window->MenuFileSaveClick();
  ASSERT_EQ(dialogs->FileRequests().size(), 1u);
  EXPECT_EQ(dialogs->FileRequests()[0].initialFolder, folder_.Path() + "/USER/SETUPFILES/");
  EXPECT_EQ(dialogs->FileRequests()[0].filter, "File Type (*.VexA)|*.VexA");
  EXPECT_TRUE(gKr20SetMgr->SetupFileNames[1].empty());

  config::gApp.Options->Info().AlwaysSaveSetups = 1;
  config::gApp.SetupEdited = 1;
  window->MenuFileSaveClick();
  EXPECT_TRUE(std::filesystem::exists(folder_.Path() + "/USER/SETUPFILES/A_DEFAULT.VexA"));
  EXPECT_EQ(config::gApp.SetupEdited.load(), 0);
  EXPECT_NE(window->windowTitle().toStdString().find("  A_DEFAULT "), std::string::npos);
  config::gApp.Options->Info().AlwaysSaveSetups = 0;
}

TEST_F(CardWindowTest, SaveAsStoresTheNameInUpperCaseAndRecallAsksFirst) {
  Start();
  TSetupMainGuiForm* window = Open(0);
  testsupport::ScopedScriptedDialogs dialogs;
  config::gApp.Options->Info().AlwaysSaveSetups = 0;
  const std::string folder = folder_.Path() + "/USER/SETUPFILES/";
  dialogs->AnswerFile(folder + "range_day.VexA");
  window->MenuFileSaveAsClick();
  EXPECT_EQ(gKr20SetMgr->SetupFileNames[0], folder + "RANGE_DAY.VEXA");
  EXPECT_TRUE(std::filesystem::exists(folder + "RANGE_DAY.VexA"));

  // An edited setup: Cancel ends the recall before any file dialog.
  config::gApp.SetupEdited = 1;
  dialogs->AnswerQuestion(util::Answer::Cancel);
  window->MenuFileRecallClick();
  ASSERT_EQ(dialogs->Questions().size(), 1u);
  EXPECT_EQ(dialogs->Questions()[0].title, "SAVE");
  EXPECT_EQ(dialogs->Questions()[0].text, "Setup gEdited Without Saving.  Save First?");
  EXPECT_EQ(dialogs->FileRequests().size(), 1u);

  // A file that is no setup: the previous name stays, the failure is logged and shown.
  ASSERT_TRUE(testsupport::WriteWholeFile(folder + "NOT_A_SETUP.VexA", "garbage\n"));
  dialogs->AnswerQuestion(util::Answer::No);
  dialogs->AnswerFile(folder + "not_a_setup.VexA");
  window->MenuFileRecallClick();
  EXPECT_EQ(gKr20SetMgr->SetupFileNames[0], folder + "RANGE_DAY.VEXA");
  ASSERT_FALSE(dialogs->Messages().empty());
  EXPECT_EQ(dialogs->Messages().back().title, "ERROR");
  EXPECT_NE(dialogs->Messages().back().text.find("INVALID SETUP FILE..ABORT LOAD"), std::string::npos);
  EXPECT_TRUE(window->Shown());

  // The saved file recalls.
  dialogs->AnswerQuestion(util::Answer::No);
  dialogs->AnswerFile(folder + "RANGE_DAY.VexA");
  window->MenuFileRecallClick();
  EXPECT_EQ(gKr20SetMgr->SetupFileNames[0], folder + "RANGE_DAY.VEXA");
  EXPECT_EQ(config::gApp.SetupEdited.load(), 0);
  EXPECT_TRUE(dialogs->AllAnswered());
}

// Every page of both setup panels fits its place in the card window: no row below the page's
// bottom, no caption or value wider than its label.
TEST_F(CardWindowTest, SetupPagesFitTheCardWindow) {
  Start();
  for (int card = 0; card < 2; ++card) {
    TSetupMainGuiForm* window = Open(card);
    RunUntil([] { return false; }, std::chrono::milliseconds(300));
    for (int channel = 0; channel < 2; ++channel) {
      auto* tabs = window->CommandPanel(channel)->findChild<QTabWidget*>("PageControl1");
      ASSERT_NE(tabs, nullptr);
      // The window opens on the "Rcvr" page, filled, before the operator touches a tab.
      EXPECT_EQ(tabs->currentIndex(), 0);
      const auto* first = tabs->currentWidget()->findChild<setup::SetupPage*>();
      ASSERT_NE(first, nullptr);
      EXPECT_TRUE(testsupport::ShownToOperator(first)) << "card " << card << " channel " << channel;
      // Every tab the mode offers (the "Combiner" tab belongs to the combining modes).
      for (int page = 0; page < tabs->count(); ++page) {
        if (!tabs->isTabVisible(page)) continue;
        SCOPED_TRACE(testing::Message() << "card " << card << " channel " << channel << " page "
                                        << tabs->tabText(page).toStdString());
        // The operator clicks the tab.
        QTabBar* bar = tabs->tabBar();
        ASSERT_TRUE(testsupport::ShownToOperator(bar));
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(page).center());
        QCoreApplication::processEvents();
        ASSERT_EQ(tabs->currentIndex(), page);
        auto* shown = tabs->currentWidget()->findChild<setup::SetupPage*>();
        ASSERT_NE(shown, nullptr);
        EXPECT_TRUE(testsupport::ShownToOperator(shown));
        EXPECT_GE(setuptest::CheckPageShown(*shown), 6);
      }
      tabs->setCurrentIndex(0);
    }
  }
}

// The 0.2 s task leaves the card windows' refresh to the ticks after it, one card's windows a
// tick, cards without a window skipped; a card whose window is gone is passed over.
TEST_F(CardWindowTest, TheFiveHzRefreshIsSpreadOverTheFollowingTicks) {
  Start();
  TSetupMainGuiForm* first = Open(0);
  TSetupMainGuiForm* second = Open(1);
  const QString firstTitle = first->windowTitle();
  const QString secondTitle = second->windowTitle();
  form_->DoFiveHzTasks();
  EXPECT_EQ(first->windowTitle(), firstTitle);
  form_->RefreshNextCardWindow();
  EXPECT_NE(first->windowTitle(), firstTitle);
  EXPECT_EQ(second->windowTitle(), secondTitle);
  form_->RefreshNextCardWindow();
  EXPECT_NE(second->windowTitle(), secondTitle);
  // Nothing is due any more.
  const QString both[] = {first->windowTitle(), second->windowTitle()};
  form_->RefreshNextCardWindow();
  EXPECT_EQ(first->windowTitle(), both[0]);
  EXPECT_EQ(second->windowTitle(), both[1]);
  // Card 0's window deleted while due: the tick goes on to card 1's.
  form_->DoFiveHzTasks();
  ui::DeleteCardWindowsOf(0);
  form_->RefreshNextCardWindow();
  EXPECT_NE(second->windowTitle(), both[1]);
}

// The master timer's 0.2 s pass is what keeps the setup pages of a shown card window current: a
// value changed behind the window's back shows after the pass and the tick that refreshes the card.
TEST_F(CardWindowTest, TheFiveHzPassRefreshesTheShownSetupPage) {
  Start();
  TSetupMainGuiForm* window = Open(0);
  auto* label = window->CommandPanel(0)->findChild<QLabel*>("LabelBsAcqLbw");
  ASSERT_NE(label, nullptr);
  ASSERT_TRUE(testsupport::ShownToOperator(label));
  // A remote command or another window sets it.
  gKr20SetMgr->SetBitsyncAcqRange(0, 0, 2.625);
  ASSERT_NE(label->text().toStdString(), "2.625");
  form_->DoFiveHzTasks();
  form_->RefreshNextCardWindow();
  EXPECT_EQ(label->text().toStdString(), "2.625");
}

// The status route words that name operation mode `code`, found by trying every combination.
bool RouteOfCode(int code, settings::RouteInfoCopy& route) {
  for (int fpga = 0; fpga < 16; ++fpga) {
    for (int routeMode = 0; routeMode < 3; ++routeMode) {
      for (const int flags : {0, 1, 2, 3}) {
        if (card::GetCombiningModeName(fpga, routeMode, (flags & 1) != 0, (flags & 2) != 0).Code != code) continue;
        route.ModeFunction = static_cast<std::uint32_t>(fpga);
        route.RouteMode = static_cast<std::uint32_t>(routeMode);
        route.RouteBytes[0] = (flags & 1) != 0 ? 1 : 0;
        route.RouteBytes[1] = (flags & 2) != 0 ? 1 : 0;
        return true;
      }
    }
  }
  return false;
}

bool CombinerTabShown(TSetupMainSetupForm* panel) {
  auto* tabs = panel->findChild<QTabWidget*>("PageControl1");
  if (tabs == nullptr) return false;
  for (int i = 0; i < tabs->count(); ++i) {
    if (tabs->tabText(i) == QStringLiteral("Combiner")) return tabs->isTabVisible(i);
  }
  return false;
}

// The pre-detection combining modes (4, 5) show channel 2's command panel only, the post-detection
// ones (6, 7) channel 1's, each with its "Combiner" tab; the multi-h modes 8 and 9 count as not
// combining: both panels, no "Combiner" tab, the both-channels control offered.
TEST_F(CardWindowTest, OnlyTheModesFourToSevenArrangeTheWindowForCombining) {
  Start();
  TSetupMainGuiForm* window = Open(0);
  struct Row {
    int code;
    bool channel1;
    bool channel2;
    bool bothControl;
  };
  for (const Row& row : {Row{5, false, true, false}, Row{6, true, false, false}, Row{8, true, true, true},
                         Row{9, true, true, true}, Row{1, true, true, true}}) {
    SCOPED_TRACE(testing::Message() << "mode " << row.code);
    settings::RouteInfoCopy route{};
    ASSERT_TRUE(RouteOfCode(row.code, route));
    gKr20SetMgr->StatusRecord(0, 0).RouteInfo = route;
    window->UpdateDisplay();
    EXPECT_EQ(window->CommandPanel(0)->isVisibleTo(window), row.channel1);
    EXPECT_EQ(window->CommandPanel(1)->isVisibleTo(window), row.channel2);
    EXPECT_TRUE(window->StatusPanel(0)->isVisibleTo(window));
    EXPECT_TRUE(window->StatusPanel(1)->isVisibleTo(window));
    EXPECT_EQ(CombinerTabShown(window->CommandPanel(0)), row.code == 6);
    EXPECT_EQ(CombinerTabShown(window->CommandPanel(1)), row.code == 5);
    EXPECT_EQ(window->PanelBothChControl->isVisibleTo(window), row.bothControl);
  }
}

// With one channel per card the window hides channel 2's panels and the both-channels control,
// and releases the control.
TEST_F(CardWindowTest, SingleChannelUsageHidesChannelTwoAndReleasesBothChannelsControl) {
  Start();
  TSetupMainGuiForm* window = Open(0);
  window->SpeedButtonControlBothChannels->click();
  ASSERT_EQ(config::gApp.gControlBothChannels.load(), 1);
  config::gApp.Options->Info().SingleChannelUsage = 1;
  window->ApplyOperationMode();
  EXPECT_FALSE(window->PanelBothChControl->isVisibleTo(window));
  EXPECT_FALSE(window->SpeedButtonControlBothChannels->isChecked());
  EXPECT_EQ(config::gApp.gControlBothChannels.load(), 0);
  EXPECT_TRUE(window->CommandPanel(0)->isVisibleTo(window));
  EXPECT_TRUE(window->StatusPanel(0)->isVisibleTo(window));
  EXPECT_FALSE(window->CommandPanel(1)->isVisibleTo(window));
  EXPECT_FALSE(window->StatusPanel(1)->isVisibleTo(window));
  config::gApp.Options->Info().SingleChannelUsage = 0;
}

// Closing hides the window; it is the same window the next time.
TEST_F(CardWindowTest, ClosingHidesAndTheNextOpeningReusesTheWindow) {
  Start();
  // Watched, not only compared: a window made anew may take the deleted one's address.
  const QPointer<TSetupMainGuiForm> window = Open(0);
  window->close();
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(config::gApp.Placement(0, config::CardWindowKind::CardSetup).WasVisible, 1);
  ASSERT_EQ(Open(0), window);
  EXPECT_TRUE(window->isVisible());
}

// Windows open at the close come back at the next start, where they were. (The single-channel
// window: the two-channel one is taller than the off-screen test screen.)
TEST_F(CardWindowTest, OpenWindowsReturnAfterARestart) {
  Start();
  config::gApp.Options->Info().SingleChannelUsage = 1;
  ui::ShowSetupSingleMainGuiForm(1, form_.get());
  TSetupSingleMainGuiForm* window = config::gApp.SingleChannelForms[1];
  ASSERT_NE(window, nullptr);
  window->move(140, 90);
  QCoreApplication::processEvents();
  const QPoint where = window->pos();
  const QSize size = window->size();
  EXPECT_EQ(window->centralWidget()->size(), QSize(525, 447));
  form_->close();
  EXPECT_EQ(config::gApp.SingleChannelForms[1], nullptr);
  RestartProgram();
  TSetupSingleMainGuiForm* again = config::gApp.SingleChannelForms[1];
  ASSERT_NE(again, nullptr);
  EXPECT_TRUE(again->isVisible());
  EXPECT_EQ(again->pos(), where);
  EXPECT_EQ(again->size(), size);
  EXPECT_EQ(config::gApp.SingleChannelForms[0], nullptr);
  EXPECT_EQ(config::gApp.CardSetupForms[1], nullptr);
  config::gApp.Options->Info().SingleChannelUsage = 0;
}

// The 60001 handler reloads the card's window; the timer refreshes it while it is shown.
TEST_F(CardWindowTest, CardChangedMessageReloadsTheWindow) {
  Start();
  TSetupMainGuiForm* window = Open(0);
  config::gApp.gControlBothChannels = 0;
  config::gApp.ReconfigurationPending = true;
  form_->Send(settings::kWmCardChanged, 0, 1);
  EXPECT_FALSE(config::gApp.ReconfigurationPending.load());
  EXPECT_TRUE(window->StatusPanel(0)->isVisible());
}


// File > Recall through the program's own file dialog: it proposes the setup file as it is named
// on disk, and Enter in the name field opens it.
TEST_F(CardWindowTest, RecallProposesTheSetupFileThatOpens) {
  Start();
  TSetupMainGuiForm* window = Open(0);
  config::gApp.Options->Info().AlwaysSaveSetups = 0;
  const std::string folder = folder_.Path() + "/USER/SETUPFILES/";
  {
    testsupport::ScopedScriptedDialogs dialogs;
    dialogs->AnswerFile(folder + "mytest.VexA");
    window->MenuFileSaveAsClick();
  }
  ASSERT_EQ(gKr20SetMgr->SetupFileNames[0], folder + "MYTEST.VEXA");
  ASSERT_TRUE(std::filesystem::exists(folder + "MYTEST.VexA"));
  config::gApp.SetupEdited = 0;
  // A value changed after the save: the recall brings the saved one back.
  card::kr20cardclass* object = card::CardObject(0);
  ASSERT_NE(object, nullptr);
  const auto saved = object->Setup().RxBert[0].NumSecsToAverage;
  object->Setup().RxBert[0].NumSecsToAverage = saved + 7;

  util::SetDialogService(std::make_shared<util::QtDialogService>());
  QString proposed;
  bool openEnabled = false;
  int fileDialogsSeen = 0;
  std::vector<std::string> boxes;
  QTimer operatorHand;
  operatorHand.setInterval(10);
  QObject::connect(&operatorHand, &QTimer::timeout, [&] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (!widget->isVisible()) continue;
      if (auto* box = qobject_cast<QMessageBox*>(widget); box != nullptr) {
        boxes.push_back(box->text().toStdString());
        box->reject();
        return;
      }
      if (auto* dialog = qobject_cast<QFileDialog*>(widget); dialog != nullptr) {
        if (++fileDialogsSeen > 1) {  // still open after Enter: give up
          dialog->reject();
          return;
        }
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        proposed = name->text();
        auto* buttons = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        ASSERT_NE(buttons, nullptr);
        openEnabled = buttons->button(QDialogButtonBox::Open) != nullptr && buttons->button(QDialogButtonBox::Open)->isEnabled();
        // Pressed after this turn of the hand: a box it opens must find the hand free.
        QTimer::singleShot(0, name, [name] { QTest::keyClick(name, Qt::Key_Return); });
        return;
      }
    }
  });
  operatorHand.start();
  QAction* recall = window->findChild<QAction*>(QStringLiteral("MenuFileRecall"));
  ASSERT_NE(recall, nullptr);
  recall->trigger();
  operatorHand.stop();
  util::SetDialogService(nullptr);

  EXPECT_EQ(proposed.toStdString(), "MYTEST.VexA");
  EXPECT_TRUE(openEnabled);
  EXPECT_EQ(fileDialogsSeen, 1);
  EXPECT_TRUE(boxes.empty()) << boxes.front();
  EXPECT_EQ(gKr20SetMgr->SetupFileNames[0], folder + "MYTEST.VEXA");
  EXPECT_EQ(object->Setup().RxBert[0].NumSecsToAverage, saved);
}

}  // namespace
}  // namespace uitest
