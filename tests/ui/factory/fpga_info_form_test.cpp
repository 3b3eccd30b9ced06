// The FPGA table-of-contents window on virtual cards of several personalities.
#include <gtest/gtest.h>

#include <QLabel>
#include <QScreen>
#include <QTableWidget>

#include <string>
#include <vector>

#include "card/fpga_module_registers.h"
#include "card/kr20card.h"
#include "factory_fixture.h"
#include "support/devicesim_support.h"
#include "ui/factory/factory_windows.h"
#include "ui/factory/fpga_info_form.h"

namespace factorytest {
namespace {

const std::vector<std::string> kTitles{"Toc Entry",     "Maj Ver",       "Min Ver",       "E Device Type",
                                       "Device Type #", "Fpga Instance", "Card Instance", "Base Address"};

class FpgaInfoTest : public FactoryTest {
 protected:
  TDbg_FpgaInfoForm& Open(int mode, const std::string& extra = "", const char* chipVariant = "NO") {
    Start(mode, extra, chipVariant);
    ui::ShowFpgaInfoForm(0, nullptr);
    form_ = config::gApp.FpgaTocForms[0];
    EXPECT_NE(form_, nullptr);
    return *form_;
  }
  std::vector<std::string> Titles(int fpga) const {
    std::vector<std::string> titles;
    const QTableWidget* grid = form_->StringGridFpga[static_cast<std::size_t>(fpga)];
    for (int c = 0; c < grid->columnCount(); ++c) titles.push_back(grid->horizontalHeaderItem(c)->text().toStdString());
    return titles;
  }
  std::vector<std::string> Row(int fpga, int row) const {
    std::vector<std::string> cells;
    const QTableWidget* grid = form_->StringGridFpga[static_cast<std::size_t>(fpga)];
    for (int c = 0; c < grid->columnCount(); ++c) {
      const QTableWidgetItem* item = grid->item(row, c);
      cells.push_back(item != nullptr ? item->text().toStdString() : "");
    }
    return cells;
  }
  std::vector<std::string> Kinds(int fpga) const {
    std::vector<std::string> kinds;
    for (int r = 0; r < form_->StringGridFpga[static_cast<std::size_t>(fpga)]->rowCount(); ++r) {
      kinds.push_back(Row(fpga, r)[3]);
    }
    return kinds;
  }
  int Rows(int fpga) const { return form_->StringGridFpga[static_cast<std::size_t>(fpga)]->rowCount(); }
  bool NotLoadedShown(int fpga) const { return form_->LabelNotLoaded[static_cast<std::size_t>(fpga)]->isVisible(); }

  TDbg_FpgaInfoForm* form_ = nullptr;
};

TEST(FpgaModuleNames, ListedAndUnlistedCodes) {
  EXPECT_EQ(card::FpgaModuleName(1), "GPIO");
  EXPECT_EQ(card::FpgaModuleName(2), "BERT");
  EXPECT_EQ(card::FpgaModuleName(3), "FIFO");
  EXPECT_EQ(card::FpgaModuleName(4), "DFP");
  for (std::int32_t code : {0, -1, 16, 999}) EXPECT_EQ(card::FpgaModuleName(code), "UNKNOWN") << code;
}

TEST_F(FpgaInfoTest, ThePskPskPersonality) {
  TDbg_FpgaInfoForm& form = Open(0);
  ASSERT_FALSE(HasFatalFailure());
  EXPECT_EQ(form.windowTitle().toStdString(), "FPGA Info for Card 1");
  // Its whole frame on the (800 px wide) off-screen screen: cut to it, at the screen's left.
  EXPECT_EQ(form.pos(), QPoint(0, 90));
  EXPECT_TRUE(form.screen()->availableGeometry().contains(form.frameGeometry()));
  EXPECT_EQ(Titles(0), kTitles);
  EXPECT_EQ(Titles(1), kTitles);
  EXPECT_FALSE(NotLoadedShown(0));
  EXPECT_FALSE(NotLoadedShown(1));
  EXPECT_EQ(Kinds(0),
            (std::vector<std::string>{"GPIO", "PSKRX", "PSKRX", "VITERBI", "VITERBI", "PREDCOMB", "ROUTING"}));
  EXPECT_EQ(Kinds(1), (std::vector<std::string>{"GPIO", "MODULATOR", "MODSWEEP", "BERT", "BERT", "TXBERT", "TXBERT",
                                                "DFP", "DFP", "FIFO", "FIFO"}));
  EXPECT_EQ(Row(0, 0), (std::vector<std::string>{"1", "2", "0", "GPIO", "0x001", "1", "0", "0x000a0000"}));
  EXPECT_EQ(Row(0, 2), (std::vector<std::string>{"3", "2", "0", "PSKRX", "0x0a0", "2", "0", "0x000a0180"}));
  EXPECT_EQ(Row(1, 2), (std::vector<std::string>{"3", "2", "0", "MODSWEEP", "0xe00", "1", "0", "0x00000180"}));
}

TEST_F(FpgaInfoTest, TheGridsFollowAPersonalityChange) {
  TDbg_FpgaInfoForm& form = Open(0);
  ASSERT_FALSE(HasFatalFailure());
  ASSERT_EQ(Rows(0), 7);
  ASSERT_EQ(Rows(1), 11);
  const std::string images = program_ / "images";
  ASSERT_TRUE(testsupport::MakeFpgaImages(images, sim_));
  Card().SetFpgaImage(3, 0, images + "/" + card::FpgaImageFileName(3));
  ASSERT_TRUE(Card().LoadFpgaPersonality(3));
  // The main window passes the end of the load on.
  ui::FactoryWindowsFpgaLoaded(0);
  EXPECT_EQ(Kinds(0), (std::vector<std::string>{"GPIO", "PMRX", "PSKRX", "VITERBI", "ROUTING"}));
  EXPECT_EQ(Rows(1), 10);
  EXPECT_EQ(Row(0, 1), (std::vector<std::string>{"2", "2", "3", "PMRX", "0x0c0", "1", "0", "0x000a0100"}));
  // Hidden and shown again from the menu: the same rows.
  form.hide();
  ui::ShowFpgaInfoForm(0, nullptr);
  EXPECT_EQ(Rows(0), 5);
  EXPECT_EQ(Rows(1), 10);
}

TEST_F(FpgaInfoTest, AnUnloadedCardShowsNotLoadedAndOnlyTheTitles) {
  TDbg_FpgaInfoForm& form = Open(-1);
  ASSERT_FALSE(HasFatalFailure());
  EXPECT_TRUE(NotLoadedShown(0));
  EXPECT_TRUE(NotLoadedShown(1));
  EXPECT_EQ(Rows(0), 0);
  EXPECT_EQ(Rows(1), 0);
  EXPECT_EQ(Titles(0), kTitles);
  EXPECT_EQ(Text(form.LabelNotLoaded[0]), "Not Loaded");
  EXPECT_EQ(form.windowTitle().toStdString(), "FPGA Info for Card 1 NO FPGA LOADED ");
}

TEST_F(FpgaInfoTest, ABoardWithoutFpgaTwo) {
  Open(2, "SecondFpga=NO\n");
  ASSERT_FALSE(HasFatalFailure());
  EXPECT_FALSE(NotLoadedShown(0));
  EXPECT_TRUE(NotLoadedShown(1));
  EXPECT_EQ(Kinds(0), (std::vector<std::string>{"GPIO", "FMRX", "FMRX", "VITERBI", "VITERBI", "ROUTING"}));
  EXPECT_EQ(Rows(1), 0);
}

}  // namespace
}  // namespace factorytest
