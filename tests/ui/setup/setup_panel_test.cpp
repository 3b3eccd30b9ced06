// The setup panel as a card window drives it: its tool strip and tabs, the pages it makes at its
// first showing, the refresh, reload, colours and destruction, and "Restart Acq".
#include <QTabWidget>
#include <QPointer>
#include <QToolButton>

#include "setup_panel_fixture.h"
#include "ui/setup/combiner_setup_form.h"
#include "ui/setup/fine_setup_form.h"
#include "ui/setup/outputs_setup_form.h"
#include "ui/setup/std_setup_form.h"
#include "util/gui/qt_colour.h"

namespace setuptest {
namespace {

class PanelTest : public SetupPanelTest {};

// Counts the times a widget is shown.
class ShowCounter final : public QObject {
 public:
  explicit ShowCounter(QWidget& widget) { widget.installEventFilter(this); }
  int count = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Show) ++count;
    return false;
  }
};

TEST_F(PanelTest, ToolStripTabsAndPagesOfChannelTwo) {
  Start(false, 0, 1);
  if (IsSkipped() || HasFatalFailure()) return;
  EXPECT_EQ(Text("LabelChannelCaption"), "CH 2");
  const auto* restart = Find<QToolButton>("ButtonRxRestartAquisition1");
  ASSERT_NE(restart, nullptr);
  EXPECT_EQ(restart->text().toStdString(), "Restart Acq");
  const auto* tabs = Find<QTabWidget>("PageControl1");
  ASSERT_NE(tabs, nullptr);
  ASSERT_EQ(tabs->count(), 4);
  const char* captions[] = {"Rcvr", "Signal", "Output", "Combiner"};
  const char* panels[] = {"PanelStandard", "PanelFine", "PanelOutput", "PanelCombiner"};
  const char* forms[] = {"TSM_StdSetupForm", "TSM_FineSetupForm", "TSM_OutputsSetupForm", "TSM_CombinerSetupForm"};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(captions[i]);
    EXPECT_EQ(tabs->tabText(i).toStdString(), captions[i]);
    EXPECT_NE(tabs->widget(i)->findChild<QWidget*>(QString::fromLatin1(panels[i])), nullptr);
    const auto* page = tabs->widget(i)->findChild<setup::SetupPage*>(QString::fromLatin1(forms[i]));
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(page->Built());
    EXPECT_EQ(page->Channel(), 1);
  }
  EXPECT_EQ(tabs->currentIndex(), 0);
  EXPECT_TRUE(panel_->Built());
}

TEST_F(PanelTest, RestartAcquisitionReachesTheOtherChannelOnlyWhileBothAreControlled) {
  Start(false, 0, 0);
  if (IsSkipped() || HasFatalFailure()) return;
  for (const bool both : {false, true}) {
    SCOPED_TRACE(both ? "both channels" : "one channel");
    config::gApp.gControlBothChannels = both ? 1 : 0;
    for (int ch = 0; ch < 2; ++ch) StatusOf(ch).Receiver.HighestSignalFreqHz = StatusOf(ch).Receiver.LowestSignalFreqHz = 0.0;
    Find<QToolButton>("ButtonRxRestartAquisition1")->click();
    EXPECT_EQ(Value(StatusOf(0).Receiver.HighestSignalFreqHz), 70'000'000.0);
    EXPECT_EQ(Value(StatusOf(0).Receiver.LowestSignalFreqHz), 70'000'000.0);
    EXPECT_EQ(Value(StatusOf(1).Receiver.HighestSignalFreqHz), both ? 70'000'000.0 : 0.0);
  }
}

// A page setting that restarts acquisition afterwards (a new data rate) restarts it as the button
// does: on the other channel too while both channels are controlled.
TEST_F(PanelTest, APageSettingRestartsTheOtherChannelOnlyWhileBothAreControlled) {
  Start(false, 0, 0);
  if (IsSkipped() || HasFatalFailure()) return;
  for (const bool both : {false, true}) {
    SCOPED_TRACE(both ? "both channels" : "one channel");
    config::gApp.gControlBothChannels = both ? 1 : 0;
    for (int ch = 0; ch < 2; ++ch) StatusOf(ch).Receiver.HighestSignalFreqHz = StatusOf(ch).Receiver.LowestSignalFreqHz = 0.0;
    dialogs_->AnswerInput(both ? "2000000" : "1500000");
    Click("TSM_StdSetupForm", "LabelDataRate1");
    EXPECT_TRUE(dialogs_->AllAnswered());
    EXPECT_EQ(Value(StatusOf(0).Receiver.HighestSignalFreqHz), 70'000'000.0);
    EXPECT_EQ(Value(StatusOf(1).Receiver.HighestSignalFreqHz), both ? 70'000'000.0 : 0.0);
    EXPECT_EQ(Value(StatusOf(1).Receiver.LowestSignalFreqHz), both ? 70'000'000.0 : 0.0);
  }
}

// A value its rule hides is never shown for a moment by a refresh: showing it would lay its row out
// for it at once, cutting the value beside it short until the next layout.
TEST_F(PanelTest, ARefreshKeepsAHiddenValueHiddenAndTheValueBesideItWhole) {
  Start(false, 0, 0);
  if (IsSkipped() || HasFatalFailure()) return;
  QLabel* rate = Find<QLabel>("LabelDataRate1");
  QLabel* second = Find<QLabel>("LabelDataRate2");
  ASSERT_NE(rate, nullptr);
  ASSERT_NE(second, nullptr);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
  ASSERT_TRUE(testsupport::ShownToOperator(rate));
  ASSERT_FALSE(second->isVisible()) << "BPSK has one data rate";
  const int width = rate->width();
  ShowCounter shows(*second);
  panel_->RefreshPages();
  panel_->UpdatePagesVisibility();
  EXPECT_EQ(shows.count, 0);
  EXPECT_EQ(rate->width(), width);  // before any new layout
}

TEST_F(PanelTest, ColoursFollowTheSchemeAndValuesStayYellowOnBlack) {
  Start(false, 0, 0);
  if (IsSkipped() || HasFatalFailure()) return;
  config::ColorBlock& scheme = options_.Info().ColorScheme;
  scheme[config::kAppSetupBackgroundColor] = 0x00102030;
  scheme[config::kAppMainLabelColor] = 0x00405060;
  scheme[config::kAppStatusLabelColor] = 0x00708090;
  panel_->UpdateColors();
  const QWidget& page = Page("TSM_StdSetupForm");
  EXPECT_EQ(page.palette().color(QPalette::Window), util::ToQColor(0x00102030));
  EXPECT_EQ(page.palette().color(QPalette::WindowText), util::ToQColor(0x00405060));
  EXPECT_EQ(Find("LabelDataPolarityCaption")->palette().color(QPalette::WindowText), util::ToQColor(0x00405060));
  EXPECT_EQ(Find("LabelChannelCaption")->palette().color(QPalette::WindowText), util::ToQColor(0x00708090));
  const QPalette value = Find("LabelDataRate1")->palette();
  EXPECT_EQ(value.color(QPalette::WindowText), QColor(255, 255, 0));
  EXPECT_EQ(value.color(QPalette::Window), QColor(0, 0, 0));
}

TEST_F(PanelTest, RefreshShowsNewStatusAndReloadRebuildsMenusInPlace) {
  Start(false, 0, 0);
  if (IsSkipped() || HasFatalFailure()) return;
  StatusOf(0).BitSync1.BitRate = 2'500'000.0;
  StatusOf(0).DnCvt.TunedFreqMhz = 2250.5;
  panel_->RefreshPages();
  EXPECT_EQ(Text("LabelDataRate1"), "2.500");
  EXPECT_EQ(Text("LabelTunedFreqMhz1"), "2250.50");
  // Watched, not only compared: a menu made anew may take the deleted one's address.
  const QPointer<const QMenu> menu = Find<QMenu>("PopupMenuInputCode");
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(menu->actions().size(), 13);
  EXPECT_EQ(menu->actions()[12]->objectName().toStdString(), "MenuInputCode_12_Single");
  panel_->ReloadPages();
  ASSERT_EQ(Find<QMenu>("PopupMenuInputCode"), menu);
  EXPECT_EQ(menu->actions().size(), 13);
  EXPECT_EQ(Page("TSM_StdSetupForm").List("PopupMenuInputCode").size(), 13u);
}

TEST_F(PanelTest, DestroyedPagesLeaveThePanelAndIgnoreNothingElse) {
  Start(false, 0, 0);
  if (IsSkipped() || HasFatalFailure()) return;
  panel_->DestroyPages();
  EXPECT_EQ(panel_->StdPage(), nullptr);
  EXPECT_EQ(panel_->CombinerPage(), nullptr);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(host_->findChild<setup::SetupPage*>(), nullptr);
  panel_->RefreshPages();
  panel_->ReloadPages();
  panel_->UpdateColors();
}

}  // namespace
}  // namespace setuptest

namespace setuptest {
namespace {

TEST_F(PanelTest, APanelOfACardThatIsNotThereShowsNoMenusAndChangesNothing) {
  Start(false, 0, 0);
  if (IsSkipped() || HasFatalFailure()) return;
  QWidget host;
  auto* missing = new TSetupMainSetupForm(&host, 3, 0);
  host.show();
  QCoreApplication::processEvents();
  ASSERT_TRUE(missing->Built());
  auto& page = *missing->StdPage();
  for (const char* component : {"LabelModulation1", "LabelInputCode1"}) page.ClickField(QString::fromLatin1(component));
  for (const char* component : {"LabelRouteRecombineLoc", "LabelStreamControl"}) {
    missing->OutputsPage()->ClickField(QString::fromLatin1(component));
  }
  EXPECT_TRUE(dialogs_->MenuRequests().empty());
  EXPECT_EQ(config::gApp.SetupEdited.load(), 0);
  missing->RefreshPages();
}

}  // namespace
}  // namespace setuptest
