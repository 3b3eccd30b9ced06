// The factory windows in the whole program: reopened at start-up when they were open at the last
// close, their placement saved and the windows deleted at shut-down; and their pictures.
#include <gtest/gtest.h>

#include <QAction>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>

#include <cstdlib>
#include <string>

#include "card/personality_routines.h"
#include "config/general_routines.h"
#include "config/globals.h"
#include "support/log_capture.h"
#include "support/qt/shown_widget.h"
#include "support/scripted_dialogs.h"
#include "ui/factory/factory_windows.h"
#include "ui/factory/file_poke_form.h"
#include "ui/factory/fpga_info_form.h"
#include "ui/factory/peek_poke_form.h"
#include "ui/main_form_fixture.h"

namespace uitest {
namespace {

class FactoryProgramTest : public MainFormTest {};

TEST_F(FactoryProgramTest, OpenWindowsComeBackAtTheNextStartWhereTheyWere) {
  PrepareProgramFolder(2);
  StartProgram();
  ASSERT_FALSE(HasFatalFailure());
  ui::ShowPeekPokeForm(1, form_.get());
  ui::ShowFilePokeForm(1, form_.get());
  ui::ShowFpgaInfoForm(1, form_.get());
  ui::ShowFpgaInfoForm(0, form_.get());
  config::gApp.FilePokeForms[1]->hide();
  config::gApp.PeekPokeForms[1]->move(123, 134);
  form_->CloseProgram();
  for (int card = 0; card < config::kMaxCards; ++card) {
    EXPECT_EQ(config::gApp.PeekPokeForms[static_cast<std::size_t>(card)], nullptr);
    EXPECT_EQ(config::gApp.FilePokeForms[static_cast<std::size_t>(card)], nullptr);
    EXPECT_EQ(config::gApp.FpgaTocForms[static_cast<std::size_t>(card)], nullptr);
  }
  const config::WindowPlacementRecord peekPoke = config::gApp.Placement(1, config::CardWindowKind::PeekPoke);
  EXPECT_EQ(peekPoke.WasVisible, 1);
  EXPECT_EQ(peekPoke.Left, 123);
  EXPECT_EQ(peekPoke.Top, 134);
  EXPECT_EQ(config::gApp.Placement(1, config::CardWindowKind::FilePoke).WasVisible, 0);

  RestartProgram();
  ASSERT_FALSE(HasFatalFailure());
  TDbg_PeekPokeForm* reopened = config::gApp.PeekPokeForms[1];
  ASSERT_NE(reopened, nullptr);
  EXPECT_TRUE(reopened->isVisible());
  EXPECT_EQ(reopened->pos(), QPoint(123, 134));
  EXPECT_EQ(reopened->windowTitle().toStdString(), "PEEK/POKE for Card 2");
  EXPECT_EQ(config::gApp.FilePokeForms[1], nullptr);
  ASSERT_NE(config::gApp.FpgaTocForms[0], nullptr);
  ASSERT_NE(config::gApp.FpgaTocForms[1], nullptr);
  EXPECT_GT(config::gApp.FpgaTocForms[1]->StringGridFpga[0]->rowCount(), 0);
  EXPECT_EQ(config::gApp.PeekPokeForms[0], nullptr);
}

// A personality change loads new images; the open table of contents follows the load's end.
TEST_F(FactoryProgramTest, TheTableOfContentsFollowsAnFpgaLoad) {
  PrepareProgramFolder(1);
  StartProgram();
  ASSERT_FALSE(HasFatalFailure());
  ui::ShowFpgaInfoForm(0, form_.get());
  TDbg_FpgaInfoForm* toc = config::gApp.FpgaTocForms[0];
  ASSERT_NE(toc, nullptr);
  ASSERT_EQ(toc->StringGridFpga[0]->rowCount(), 7);  // PSK-PSK, with its pre-D combiner
  bool reloaded = false;
  card::ApplyPersonalityChange(0, 3, true, reloaded);  // PM-PSK
  ASSERT_TRUE(reloaded);
  RunUntil([toc] { return toc->StringGridFpga[0]->rowCount() == 5; }, std::chrono::seconds(10));
  EXPECT_EQ(toc->StringGridFpga[0]->rowCount(), 5);
  ASSERT_NE(toc->StringGridFpga[0]->item(1, 3), nullptr);
  EXPECT_EQ(toc->StringGridFpga[0]->item(1, 3)->text().toStdString(), "PMRX");
}

// In the factory mode the Factory menu's card items open the card's windows, and reuse them.
TEST_F(FactoryProgramTest, TheFactoryMenuItemsOpenTheWindows) {
  PrepareProgramFolder(2);
  ASSERT_TRUE(testsupport::WriteWholeFile(folder_ / config::kFactoryModeMarker, ""));
  StartProgram();
  ASSERT_FALSE(HasFatalFailure());
  const auto item = [this](const char* name) {
    QAction* action = form_->findChild<QAction*>(QString::fromLatin1(name));
    EXPECT_NE(action, nullptr) << name;
    return action;
  };
  for (const char* name : {"SubMenuPeekPoke1", "SubMenuFilePoke0", "SubMenuTOC1"}) {
    QAction* action = item(name);
    ASSERT_NE(action, nullptr);
    EXPECT_TRUE(action->isEnabled()) << name;
    action->trigger();
  }
  // Watched, not only compared: a window made anew may take the deleted one's address.
  const QPointer<TDbg_PeekPokeForm> peekPoke = config::gApp.PeekPokeForms[1];
  ASSERT_NE(peekPoke, nullptr);
  EXPECT_TRUE(peekPoke->isVisible());
  EXPECT_EQ(peekPoke->parentWidget(), form_.get());
  ASSERT_NE(config::gApp.FilePokeForms[0], nullptr);
  EXPECT_EQ(config::gApp.FilePokeForms[0]->windowTitle().toStdString(), "File POKE for Card 1");
  ASSERT_NE(config::gApp.FpgaTocForms[1], nullptr);
  EXPECT_EQ(config::gApp.PeekPokeForms[0], nullptr);
  peekPoke->hide();
  item("SubMenuPeekPoke1")->trigger();
  ASSERT_EQ(config::gApp.PeekPokeForms[1], peekPoke);
  EXPECT_TRUE(peekPoke->isVisible());
}

// Two virtual cards with signals, as run.sh starts them: a PSK card and a PCM/FM card.
constexpr const char* kTwoSignalCards =
    "[General]\nCards=2\nSeed=1\n"
    "[Card_0]\nFpgaMode=0\nIfInput1=70e6, -40, SOQPSK_TG, 5e6, 14, NRZL\nIfInput2=70e6, -45, SOQPSK_TG, 5e6, 12, NRZL\n"
    "[Card_1]\nFpgaMode=2\nIfInput1=70e6, -42, PCM_FM, 2e6, 13, NRZL\nIfInput2=70e6, -42, PCM_FM, 2e6, 13, NRZL\n"
    "[DownConverters]\nKr12Cards=0\nKr14Cards=0\n";

class ScreenshotTest : public MainFormTest {
 protected:
  static void Keep(const QImage& image, const char* name) {
    const char* folder = std::getenv("QUORX_SCREENSHOT_FOLDER");
    if (folder == nullptr || *folder == '\0') return;
    EXPECT_TRUE(image.save(QString::fromStdString(std::string(folder) + "/" + name)));
  }
  // Every label the window shows is seen whole by the operator; returns how many were checked.
  static int ExpectLabelsFit(const QWidget& window) {
    return testsupport::CheckLabelsShown(window, [](const QLabel*) { return false; });
  }
  static void Settle() { RunUntil([] { return false; }, std::chrono::milliseconds(300)); }
};

TEST_F(ScreenshotTest, FactoryWindowsOfAPskCard) {
  PrepareProgramFolder(2, false, kTwoSignalCards);
  StartProgram();
  ASSERT_FALSE(HasFatalFailure());
  testsupport::ScopedScriptedDialogs dialogs;

  ui::ShowPeekPokeForm(0, form_.get());
  TDbg_PeekPokeForm* peekPoke = config::gApp.PeekPokeForms[0];
  ASSERT_NE(peekPoke, nullptr);
  dialogs->AnswerMenu("Register Number");
  dialogs->AnswerInput("16");
  peekPoke->PanelSetupPopup();
  dialogs->AnswerMenu("Poke Value");
  dialogs->AnswerInput("0x1234abcd");
  peekPoke->PanelCommandPopup();
  peekPoke->ButtonPoke->click();
  peekPoke->ButtonPeek->click();
  Settle();
  EXPECT_GE(ExpectLabelsFit(*peekPoke), 4);
  Keep(peekPoke->grab().toImage(), "factory_peek_poke.png");

  const std::string pokeFile = folder_ / "UserPokeList.poke";
  ASSERT_TRUE(testsupport::WriteWholeFile(pokeFile, "10 1234abcd\n11\t0xff\n12 0\n13 80000000\n"));
  ui::ShowFilePokeForm(0, form_.get());
  TDbg_FilePokeForm* filePoke = config::gApp.FilePokeForms[0];
  ASSERT_NE(filePoke, nullptr);
  dialogs->AnswerFile(pokeFile);
  filePoke->ButtonReadFile->click();
  ASSERT_EQ(filePoke->EntryCount(), 4);
  Settle();
  EXPECT_GE(ExpectLabelsFit(*filePoke), 4);
  Keep(filePoke->grab().toImage(), "factory_file_poke.png");

  ui::ShowFpgaInfoForm(0, form_.get());
  TDbg_FpgaInfoForm* toc = config::gApp.FpgaTocForms[0];
  ASSERT_NE(toc, nullptr);
  Settle();
  EXPECT_GE(ExpectLabelsFit(*toc), 2);  // its table holds the rest
  // Every column of both grids is in the window; on a screen narrower than the window (the
  // off-screen one) the window is cut to the screen and its grids scroll.
  const bool cut = toc->frameGeometry().width() >= toc->screen()->availableGeometry().width();
  for (const QTableWidget* grid : toc->StringGridFpga) {
    int width = 0;
    for (int c = 0; c < grid->columnCount(); ++c) width += grid->columnWidth(c);
    if (cut) {
      EXPECT_TRUE(width <= grid->viewport()->width() || grid->horizontalScrollBar()->maximum() > 0);
    } else {
      EXPECT_LE(width, grid->viewport()->width());
    }
  }
  Keep(toc->grab().toImage(), "factory_fpga_toc.png");
  EXPECT_TRUE(dialogs->AllAnswered());
}

}  // namespace
}  // namespace uitest
