// The main window's side of the card BERT windows in the whole program on virtual cards: opened
// from the View menu, refreshed by the timer, re-coloured by the re-colour message, told of mode changes,
// saved and deleted at shut-down, and not reopened at the next start.
#include <QAction>
#include <QLabel>
#include <QPalette>
#include <QPointer>

#include "card/card_routines.h"
#include "card/kr20card.h"
#include "config/globals.h"
#include "config/options_store.h"
#include "settings/set_manager.h"
#include "settings/window_messages.h"
#include "ui/bert/bert_control_form.h"
#include "ui/bert/card_bert_form.h"
#include "ui/bert/card_bert_windows.h"
#include "ui/main_form_fixture.h"
#include "util/gui/qt_colour.h"

namespace uitest {
namespace {

constexpr const char* kSignalCards =
    "[General]\nCards=2\nSeed=1\n"
    "[Card_0]\nFpgaMode=0\nIfInput1=70e6, -40, SOQPSK_TG, 5e6, 14, NRZL\nIfInput2=70e6, -45, SOQPSK_TG, 5e6, 12, NRZL\n"
    "[Card_1]\nFpgaMode=0\n"
    "[DownConverters]\nKr12Cards=0\nKr14Cards=0\n";

using BertMainWindowTest = MainFormTest;

TEST_F(BertMainWindowTest, WindowLivesFromItsOpenerToTheShutDown) {
  PrepareProgramFolder(2, false, kSignalCards);
  StartProgram();
  // The View menu's BERT item of card 2.
  QAction* item = form_->findChild<QAction*>("SubMenuMenuViewBERT1");
  ASSERT_NE(item, nullptr);
  EXPECT_TRUE(item->isEnabled());
  item->trigger();
  // Watched, not only compared: a window made anew may take the deleted one's address.
  const QPointer<TCardBertForm> bert = config::gApp.CardBertForms[1];
  ASSERT_NE(bert, nullptr);
  EXPECT_TRUE(bert->isVisible());
  EXPECT_EQ(bert->windowTitle().toStdString(), "BERT  Card 2");
  // Opening again reuses the window; a closed one comes back with new panels.
  bert->close();
  EXPECT_EQ(bert->Panel(0), nullptr);
  item->trigger();
  ASSERT_EQ(config::gApp.CardBertForms[1], bert);
  EXPECT_TRUE(bert->isVisible());
  EXPECT_NE(bert->Panel(0), nullptr);
  EXPECT_EQ(config::gApp.CardBertForms[0], nullptr);

  // The 0.1 s task refreshes it: the input source turned on outside the window shows.
  card::kr20cardclass* object = card::CardObject(1);
  ASSERT_NE(object, nullptr);
  object->Setup().RxBert[0].InputSourceOn = 1;
  ASSERT_TRUE(RunUntil([bert] { return bert->Panel(0)->LabelInputSource->text() == "RCVR1"; },
                       std::chrono::seconds(5)));

  // Re-colour message.
  config::gApp.Options->Info().ColorScheme[config::kAppMainBackgroundColor] = 0x123456;
  form_->Send(settings::kWmRecolour, 0, 0);
  EXPECT_EQ(bert->palette().color(QPalette::Window), util::ToQColor(0x123456));

  // A mode change of the card reaches the window; it keeps its panels.
  config::gApp.ReconfigurationPending = true;
  form_->Send(settings::kWmCardChanged, 1, 1);
  EXPECT_NE(bert->Panel(0), nullptr);

  bert->move(120, 140);
  form_->CloseProgram();
  EXPECT_EQ(config::gApp.CardBertForms[1], nullptr);
  const config::WindowPlacementRecord placement = config::gApp.Placement(1, config::CardWindowKind::CardBert);
  EXPECT_EQ(placement.WasVisible, 1);
  EXPECT_EQ(placement.Width, 826);

  // The next start keeps the placement but opens no BERT window by itself.
  RestartProgram();
  EXPECT_EQ(config::gApp.Placement(1, config::CardWindowKind::CardBert).WasVisible, 1);
  EXPECT_EQ(config::gApp.CardBertForms[1], nullptr);
}

// Each showing puts the window where its placement record says, also after the operator moved it.
TEST_F(BertMainWindowTest, ShowingPutsTheWindowAtItsStoredPlace) {
  PrepareProgramFolder(2, false, kSignalCards);
  StartProgram();
  config::WindowPlacementRecord& placement = config::gApp.Placement(1, config::CardWindowKind::CardBert);
  placement.Left = 210;
  placement.Top = 170;
  // A place of its own, as one read from the positions file.
  config::gApp.Placed(1, config::CardWindowKind::CardBert) = 1;
  QAction* item = form_->findChild<QAction*>("SubMenuMenuViewBERT1");
  ASSERT_NE(item, nullptr);
  item->trigger();
  TCardBertForm* bert = config::gApp.CardBertForms[1];
  ASSERT_NE(bert, nullptr);
  ASSERT_TRUE(bert->isVisible());
  EXPECT_EQ(bert->pos(), QPoint(210, 170));

  bert->close();
  bert->move(400, 300);
  placement.Left = 250;
  placement.Top = 190;
  item->trigger();
  ASSERT_TRUE(bert->isVisible());
  EXPECT_EQ(bert->pos(), QPoint(250, 190));
}

}  // namespace
}  // namespace uitest
