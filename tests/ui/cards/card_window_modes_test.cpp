// Every operation mode the card window's mode menu offers, chosen through the menu's own items on
// virtual cards of both boards: the mode runs, the label names it, the setup panels and their
// "Combiner" tab are arranged for it, and each status panel shows its parts side by side inside
// the panel: the spectrum, the constellation where the channel has one, the status column and the
// RSSI bar.
#include <gtest/gtest.h>

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QTabBar>
#include <QTabWidget>

#include <array>
#include <string>
#include <vector>

#include "card/card_routines.h"
#include "card/rtl20_manager.h"
#include "config/globals.h"
#include "config/gui/menu_routines.h"
#include "config/name_tables.h"
#include "settings/set_manager.h"
#include "ui/cards/card_windows.h"
#include "ui/cards/setup_main_gui_form.h"
#include "ui/displays/setup_main_status_form.h"
#include "ui/main_form_fixture.h"
#include "ui/setup/setup_main_setup_form.h"

namespace uitest {
namespace {

// run.sh's board: card 0 starts on PSK-PSK, card 1 on PSK-FM; a converter channel per card channel.
constexpr const char* kStandardCards =
    "[General]\nCards=2\nSeed=5\nChipVariant=NO\n"
    "[Card_0]\nFpgaMode=0\nIfInput1=70e6, -40, SOQPSK_TG, 5e6, 14, NRZL\nIfInput2=70e6, -45, SOQPSK_TG, 5e6, 12, NRZL\n"
    "[Card_1]\nFpgaMode=1\nIfInput1=70e6, -40, SOQPSK_TG, 5e6, 14, NRZL\nIfInput2=70e6, -42, PCM_FM, 2e6, 13, NRZL\n"
    "[DownConverters]\nKr12Cards=1\nKr12Channels=2\nKr14Cards=1\nKr14Channels=2\n";

// The chip-variant board, every personality at hand.
constexpr const char* kVariantCards =
    "[General]\nCards=2\nSeed=5\nChipVariant=YES\n"
    "[Card_0]\nFpgaMode=4\nIfInput1=70e6, -40, SOQPSK_TG, 5e6, 14, NRZL\nIfInput2=70e6, -45, SOQPSK_TG, 5e6, 12, NRZL\n"
    "[Card_1]\nFpgaMode=7\nIfInput1=70e6, -40, SOQPSK_TG, 5e6, 14, NRZL\nIfInput2=70e6, -42, PCM_FM, 2e6, 13, NRZL\n"
    "[DownConverters]\nKr12Cards=1\nKr12Channels=2\nKr14Cards=1\nKr14Channels=2\n";

// What the operator must see in each operation mode, per channel: the constellation (FM
// receivers have none; the FM modes show none on either channel), the spectrum's width and the
// peak deviation (FM modes and FM receivers).
struct ModeView {
  std::array<bool, 2> Iq;
  std::array<int, 2> SpectrumWidth;
  std::array<bool, 2> Deviation;
};
constexpr std::array<ModeView, 10> kViews{{
    {{false, false}, {304, 304}, {true, true}},    // 0 FM-FM INDEPENDENT
    {{true, true}, {152, 152}, {false, false}},    // 1 PSK-PSK INDEPENDENT
    {{true, false}, {152, 304}, {false, true}},    // 2 PSKFM INDEPENDENT: FM on channel 2
    {{true, true}, {152, 152}, {false, false}},    // 3 PM-PSK INDEPENDENT
    {{false, false}, {304, 304}, {true, true}},    // 4 FM PRE-D COMBINER
    {{true, true}, {152, 152}, {false, false}},    // 5 PSK PRE-D COMBINER
    {{false, false}, {304, 304}, {true, true}},    // 6 FM POST-D COMBINER
    {{true, true}, {152, 152}, {false, false}},    // 7 PSK POST-D COMBINER
    {{true, true}, {152, 152}, {false, false}},    // 8 MH-PSK PRE-D COMBINER
    {{true, false}, {152, 304}, {false, true}},    // 9 MH-FM PRE-D COMBINER: FM on channel 2
}};

class CardWindowModesTest : public MainFormTest {
 protected:
  TSetupMainGuiForm* Open(int card) {
    ui::ShowSetupMainGuiForm(card, form_.get());
    QCoreApplication::processEvents();
    return config::gApp.CardSetupForms[static_cast<std::size_t>(card)];
  }

  static std::string Name(int op) { return std::string(config::CombiningModeNames[static_cast<std::size_t>(op)]); }

  static QTabWidget* Tabs(TSetupMainGuiForm* window, int channel) {
    return window->CommandPanel(channel)->findChild<QTabWidget*>("PageControl1");
  }

  // The "Combiner" tab is offered: its tab is shown in the tab bar, and once chosen its panel is.
  static bool CombinerTabShown(TSetupMainGuiForm* window, int channel) {
    QTabWidget* tabs = Tabs(window, channel);
    EXPECT_NE(tabs, nullptr);
    if (tabs == nullptr || !window->CommandPanel(channel)->isVisible()) return false;
    int index = -1;
    for (int i = 0; i < tabs->count(); ++i) index = tabs->tabText(i) == "Combiner" ? i : index;
    EXPECT_GE(index, 0) << "no Combiner tab";
    if (index < 0 || !tabs->isTabVisible(index) || !tabs->tabBar()->isVisible()) return false;
    if (tabs->tabBar()->tabRect(index).isEmpty()) return false;
    const int current = tabs->currentIndex();
    tabs->setCurrentIndex(index);
    QCoreApplication::processEvents();
    QWidget* page = tabs->widget(index);
    const bool shown = page->isVisible() && !page->size().isEmpty() && tabs->currentIndex() == index;
    tabs->setCurrentIndex(current);
    return shown;
  }

  // The visible parts of a status panel lie inside it, each with a size, none over another.
  static void ExpectPartsSideBySide(const TSetupMainStatusForm* panel) {
    const QRect inside = panel->rect();
    EXPECT_EQ(inside.size(), QSize(515, 150));
    std::vector<std::pair<std::string, QRect>> shown;
    for (const QWidget* part : {static_cast<const QWidget*>(panel->PanelFftBackground1),
                                static_cast<const QWidget*>(panel->PanelIqBackground1),
                                static_cast<const QWidget*>(panel->PanelStatusCh1),
                                static_cast<const QWidget*>(panel->PanelRssi)}) {
      if (!part->isVisible()) continue;
      const QRect at = part->geometry();
      SCOPED_TRACE(part->objectName().toStdString());
      EXPECT_FALSE(at.isEmpty());
      EXPECT_TRUE(inside.contains(at)) << at.x() << "," << at.y() << " " << at.width() << "x" << at.height();
      for (const auto& [name, other] : shown) EXPECT_FALSE(at.intersects(other)) << "over " << name;
      shown.emplace_back(part->objectName().toStdString(), at);
    }
  }

  // Chooses every mode the menu offers, in the menu's order, and checks the window in each.
  void RunEveryOfferedMode(int card, const std::vector<int>& expectedModes) {
    TSetupMainGuiForm* window = Open(card);
    ASSERT_NE(window, nullptr);
    std::vector<int> offered;
    for (QAction* item : window->PopupMenuOperationalMode->actions()) offered.push_back(config::MenuItemTag(item));
    EXPECT_EQ(offered, expectedModes);
    for (int channel = 0; channel < 2; ++channel) {
      ASSERT_TRUE(window->StatusPanel(channel)->DownConverterPresent()) << "channel " << channel;
    }

    for (int op : offered) {
      SCOPED_TRACE(testing::Message() << "card " << card + 1 << " " << Name(op));
      // The menu is rebuilt at each showing only: its items stay those of the window's showing.
      QAction* item = nullptr;
      for (QAction* candidate : window->PopupMenuOperationalMode->actions()) {
        if (config::MenuItemTag(candidate) == op) item = candidate;
      }
      ASSERT_NE(item, nullptr);
      EXPECT_EQ(item->text().toStdString(), Name(op));
      item->trigger();
      ASSERT_TRUE(RunUntil([&] { return window->LabelOperationalMode->text().toStdString() == Name(op); },
                           std::chrono::seconds(10)))
          << "the label reads " << window->LabelOperationalMode->text().toStdString();
      QCoreApplication::processEvents();

      // The card runs the mode with the combiner flags it needs.
      const card::RouteInfoRecord route = gRtl20Mgr->Card(card)->Setup().RouteInfo;
      const bool preD = op == 4 || op == 5 || op == 8 || op == 9;
      const bool postD = op == 6 || op == 7;
      const int preDFlag = route.PreDCombinerMode;
      const int postDFlag = route.PostDCombinerMode;
      const int routeMode = route.RouteMode;
      const int master = route.FpgaMasterMode;
      EXPECT_EQ(preDFlag, preD ? 1 : 0);
      EXPECT_EQ(postDFlag, postD ? 1 : 0);
      EXPECT_EQ(routeMode, op >= 4 ? 1 : 0);
      EXPECT_EQ(card::CardFpgaMode(card), master);
      EXPECT_FALSE(config::gApp.ReconfigurationPending.load());

      // Setup panels: a pre-D combiner shows channel 2's only, a post-D one channel 1's only, each
      // with its "Combiner" tab; otherwise both, without it.
      const bool combining = op >= 4 && op <= 7;
      const std::array<bool, 2> commandShown{!combining || postD, !combining || !postD};
      for (int channel = 0; channel < 2; ++channel) {
        SCOPED_TRACE(testing::Message() << "channel " << channel + 1);
        const auto at = static_cast<std::size_t>(channel);
        EXPECT_EQ(window->CommandPanel(channel)->isVisible(), commandShown[at]);
        EXPECT_EQ(CombinerTabShown(window, channel), combining && commandShown[at]);
      }
      EXPECT_EQ(window->PanelBothChControl->isVisible(), !combining);

      // Status panels: both shown, their parts as the mode and the channel's receiver ask.
      const ModeView& view = kViews[static_cast<std::size_t>(op)];
      for (int channel = 0; channel < 2; ++channel) {
        SCOPED_TRACE(testing::Message() << "status channel " << channel + 1);
        const auto at = static_cast<std::size_t>(channel);
        const TSetupMainStatusForm* panel = window->StatusPanel(channel);
        ASSERT_TRUE(panel->isVisible());
        EXPECT_TRUE(window->PanelChStatus[at]->rect().contains(panel->geometry()));
        EXPECT_TRUE(panel->PanelFftBackground1->isVisible());
        EXPECT_TRUE(panel->PanelStatusCh1->isVisible());
        EXPECT_TRUE(panel->PanelRssi->isVisible());
        EXPECT_EQ(panel->PanelIqBackground1->isVisible(), view.Iq[at]);
        EXPECT_EQ(panel->PanelFftBackground1->width(), view.SpectrumWidth[at]);
        EXPECT_EQ(panel->LabelPeakDeviation1->isVisible(), view.Deviation[at]);
        ExpectPartsSideBySide(panel);
      }
    }
  }
};

TEST_F(CardWindowModesTest, EveryModeOfTheStandardBoardRunsWithItsArrangement) {
  PrepareProgramFolder(2, false, kStandardCards);
  StartProgram();
  // The four independent modes and the pre-D combiner of the PSK-PSK image; the standard board
  // has no post-D or multi-h image, and no FM pre-D (its PSK-FM image has one FM receiver).
  RunEveryOfferedMode(0, {0, 1, 2, 3, 5});
}

TEST_F(CardWindowModesTest, EveryModeOfTheVariantBoardRunsWithItsArrangement) {
  PrepareProgramFolder(2, false, kVariantCards);
  StartProgram();
  RunEveryOfferedMode(1, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
}

}  // namespace
}  // namespace uitest
