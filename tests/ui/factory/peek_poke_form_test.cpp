// The register peek/poke window against a virtual card's FPGA registers.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>

#include <string>
#include <vector>

#include "card/kr20card.h"
#include "factory_fixture.h"
#include "ui/factory/factory_windows.h"
#include "ui/factory/peek_poke_form.h"
#include "ui/factory/register_text.h"

namespace factorytest {
namespace {

class PeekPokeTest : public FactoryTest {
 protected:
  TDbg_PeekPokeForm& Open(int mode = 0, const std::string& extra = "") {
    Start(mode, extra);
    ui::ShowPeekPokeForm(0, nullptr);
    form_ = config::gApp.PeekPokeForms[0];
    EXPECT_NE(form_, nullptr);
    return *form_;
  }
  void ChooseRegister(int reg) {
    dialogs_->AnswerMenu("Register Number");
    dialogs_->AnswerInput(std::to_string(reg));
    form_->PanelSetupPopup();
  }
  void ChooseCount(int count) {
    dialogs_->AnswerMenu("Num Regs To Peek");
    dialogs_->AnswerInput(std::to_string(count));
    form_->PanelSetupPopup();
  }
  void ChoosePokeValue(const std::string& answer) {
    dialogs_->AnswerMenu("Poke Value");
    dialogs_->AnswerInput(answer);
    form_->PanelCommandPopup();
  }
  TDbg_PeekPokeForm* form_ = nullptr;
};

TEST(RegisterText, FormatsOfTheWindow) {
  EXPECT_EQ(factory::FpgaAddressText(0), "0xa0000");
  EXPECT_EQ(factory::FpgaAddressText(1), "0x00000");
  EXPECT_EQ(factory::RegisterLabelText(100), "100  (0x0064)");
  EXPECT_EQ(factory::RegisterLabelText(4095), "4095  (0x0fff)");
  EXPECT_EQ(factory::CommandValueText(0xABCDEF, true), "0x00abcdef");
  EXPECT_EQ(factory::CommandValueText(4294967295u, false), "4294967295");
  const struct {
    int address;
    std::uint32_t value;
    bool hex;
    const char* line;
  } rows[] = {
      {16, 0x1F, true, "0x0010    0x0000001f"},
      {8, 31, false, "8.0       31"},
      {100, 7, false, "100.      7"},
      {4092, 7, false, "4092      7"},
      // Cut to four characters, 16380 would read as 1638.
      {16380, 7, false, "16380     7"},
      {20475, 0xFFFFFFFF, true, "0x4ffb    0xffffffff"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(factory::DumpLine(row.address, row.value, row.hex), row.line);
  }
  EXPECT_EQ(factory::PeekRunLength(0, 4096), 4096);
  EXPECT_EQ(factory::PeekRunLength(4090, 10), 6);
  EXPECT_EQ(factory::PeekRunLength(4095, 1), 1);
  EXPECT_EQ(factory::PeekRunLength(4096, 1), 0);
}

TEST_F(PeekPokeTest, AFirstShowRestoresThePlacementAndShowsTheFields) {
  TDbg_PeekPokeForm& form = Open();
  ASSERT_FALSE(HasFatalFailure());
  EXPECT_TRUE(form.Shown());
  EXPECT_EQ(form.pos(), QPoint(40, 50));
  EXPECT_EQ(form.size(), QSize(620, 520));
  EXPECT_EQ(form.windowTitle().toStdString(), "PEEK/POKE for Card 1");
  EXPECT_EQ(Text(form.LabelFpgaNumber), "1");
  EXPECT_EQ(Text(form.LabelFpgaAddress), "0xa0000");
  EXPECT_EQ(Text(form.LabelPokeRegister), "0  (0x0000)");
  EXPECT_EQ(Text(form.LabelNumPeekLocations), "10");
  EXPECT_EQ(Text(form.LabelPokeValue), "0x00000000");
  EXPECT_TRUE(form.ButtonPoke->isEnabled());
  EXPECT_TRUE(form.CheckBoxCmdHex->isChecked());
  EXPECT_TRUE(form.CheckBoxMemoHex->isChecked());
  // A later show keeps where the operator put it.
  form.hide();
  form.move(200, 210);
  ui::ShowPeekPokeForm(0, nullptr);
  EXPECT_EQ(form.pos(), QPoint(200, 210));
  EXPECT_EQ(config::gApp.PeekPokeForms[0], &form);
  form.SaveWindowState();
  const config::WindowPlacementRecord saved = config::gApp.Placement(0, config::CardWindowKind::PeekPoke);
  EXPECT_EQ(saved, (config::WindowPlacementRecord{200, 210, 620, 520, 1}));
}

// The register prompt offers 0 to 4095 and takes 4096 as the last register, 4095.
TEST_F(PeekPokeTest, TheRegisterPromptStopsAtTheLastRegister) {
  TDbg_PeekPokeForm& form = Open();
  ASSERT_FALSE(HasFatalFailure());
  ChooseRegister(4095);
  EXPECT_EQ(Text(form.LabelPokeRegister), "4095  (0x0fff)");
  ChooseRegister(7);
  ChooseRegister(4096);
  EXPECT_TRUE(dialogs_->AllAnswered());
  ASSERT_FALSE(dialogs_->Queries().empty());
  EXPECT_EQ(dialogs_->Queries().back().title, "Enter the PEEK/POKE register");
  EXPECT_EQ(dialogs_->Queries().back().prompt, "Input Range 0 - 4095");
  EXPECT_EQ(Text(form.LabelPokeRegister), "4095  (0x0fff)");
  EXPECT_EQ(Text(form.LabelPeekRegister), "4095  (0x0fff)");
}

TEST_F(PeekPokeTest, APokeIsReadBackByAPeek) {
  TDbg_PeekPokeForm& form = Open();
  ASSERT_FALSE(HasFatalFailure());
  ChooseRegister(100);
  EXPECT_EQ(Text(form.LabelPokeRegister), "100  (0x0064)");
  EXPECT_EQ(Text(form.LabelPeekRegister), "100  (0x0064)");
  ChoosePokeValue("0x1234abcd");
  EXPECT_EQ(Text(form.LabelPokeValue), "0x1234abcd");
  ChooseCount(1);
  form.ButtonPoke->click();
  EXPECT_EQ(Register(0, 100), 0x1234ABCDu);
  form.ButtonPeek->click();
  EXPECT_EQ(Text(form.LabelPeekValue1), "0x1234abcd");
  EXPECT_EQ(Lines(form.MemoDump), (std::vector<std::string>{"0x0064    0x1234abcd", "----"}));
  // The command values in decimal.
  form.CheckBoxCmdHex->click();
  EXPECT_EQ(Text(form.LabelPeekValue1), "305441741");
  EXPECT_EQ(Text(form.LabelPokeValue), "305441741");
  // FPGA 2 through the FPGA number menu.
  dialogs_->AnswerMenu("FPGA Number");
  dialogs_->AnswerInput("2");
  form.PanelSetupPopup();
  EXPECT_EQ(form.Fpga(), 1);
  EXPECT_EQ(Text(form.LabelFpgaNumber), "2");
  EXPECT_EQ(Text(form.LabelFpgaAddress), "0x00000");
  ChoosePokeValue("77");
  form.ButtonPoke->click();
  EXPECT_EQ(Register(1, 100), 77u);
  EXPECT_EQ(Register(0, 100), 0x1234ABCDu);
  const auto& query = dialogs_->Queries().at(dialogs_->Queries().size() - 2);
  EXPECT_EQ(query.title, "Enter the FPGA to use");
  EXPECT_TRUE(dialogs_->AllAnswered());
  EXPECT_TRUE(sounds_.Take().empty());
}

TEST_F(PeekPokeTest, TenRegistersFromSixteenInHexadecimal) {
  TDbg_PeekPokeForm& form = Open();
  ASSERT_FALSE(HasFatalFailure());
  ChooseRegister(16);
  form.ButtonPeek->click();
  const std::vector<std::string> lines = Lines(form.MemoDump);
  ASSERT_EQ(lines.size(), 11u);
  std::array<std::uint32_t, 10> values{};
  ASSERT_TRUE(Card().Dtrd_PeekRegOnFpga(0, 16, values, 10));
  for (int i = 0; i < 10; ++i) {
    SCOPED_TRACE(i);
    const auto at = static_cast<std::size_t>(i);
    EXPECT_EQ(lines[at], factory::DumpLine(16 + 4 * i, values[at], true));
  }
  EXPECT_EQ(lines[0].substr(0, 10), "0x0010    ");
  EXPECT_EQ(lines[9].substr(0, 10), "0x0034    ");
  EXPECT_EQ(lines[10], "----");
  // A decimal dump clears the memo first.
  form.CheckBoxMemoHex->click();
  EXPECT_TRUE(Lines(form.MemoDump).empty());
  form.ButtonPeek->click();
  EXPECT_EQ(Lines(form.MemoDump).at(0), "16.0      " + std::to_string(values[0]));
  EXPECT_EQ(Lines(form.MemoDump).at(1), "20.0      " + std::to_string(values[1]));
}

TEST_F(PeekPokeTest, APeekStopsAtTheLastRegisterAndSaysHowManyItRead) {
  TDbg_PeekPokeForm& form = Open();
  ASSERT_FALSE(HasFatalFailure());
  ChooseRegister(4090);
  form.ButtonPeek->click();
  const std::vector<std::string> lines = Lines(form.MemoDump);
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[5].substr(0, 6), "0x100e");  // 4090 + 4 * 5
  EXPECT_EQ(lines[6], "READ 6 OF 10 REGISTERS: THE FPGA ENDS AT REGISTER 4095");
  EXPECT_EQ(lines[7], "----");
}

TEST_F(PeekPokeTest, ADumpOfThirtyThousandLinesWarnsAndTakesNoMore) {
  TDbg_PeekPokeForm& form = Open();
  ASSERT_FALSE(HasFatalFailure());
  ChooseCount(4096);
  for (int peek = 0; peek < 7; ++peek) form.ButtonPeek->click();
  ASSERT_EQ(form.DumpLineCount(), 7 * 4097);
  EXPECT_TRUE(dialogs_->Messages().empty());
  form.ButtonPeek->click();
  EXPECT_EQ(form.DumpLineCount(), 30000);
  ASSERT_EQ(dialogs_->Messages().size(), 1u);
  EXPECT_EQ(dialogs_->Messages()[0].title, "WARNING");
  EXPECT_EQ(dialogs_->Messages()[0].text, "The dump is full, Press the Clear button");
  EXPECT_NE(Lines(form.MemoDump).back(), "----");
  EXPECT_EQ(sounds_.Take(), testsupport::kWarningTones);
  // Full: the next peek only warns.
  form.ButtonPeek->click();
  EXPECT_EQ(form.DumpLineCount(), 30000);
  EXPECT_EQ(dialogs_->Messages().size(), 2u);
  bool numbered = false;
  for (const std::string& line : program_.LogLines()) {
    const bool match = line.find("030000") != std::string::npos && line.find("The dump is full") != std::string::npos;
    numbered = numbered || match;
  }
  EXPECT_TRUE(numbered);
  form.ButtonClearMemo->click();
  EXPECT_EQ(form.DumpLineCount(), 0);
}

TEST_F(PeekPokeTest, ACardThatIsNotReadySaysSoInsteadOfShowingOldValues) {
  TDbg_PeekPokeForm& form = Open();
  ASSERT_FALSE(HasFatalFailure());
  ChooseCount(1);
  ChooseRegister(100);
  ChoosePokeValue("0x55");
  form.ButtonPoke->click();
  form.ButtonPeek->click();
  EXPECT_EQ(Text(form.LabelPeekValue1), "0x00000055");
  form.ButtonClearMemo->click();
  sounds_.Take();
  Card().Close();
  ASSERT_FALSE(Card().IsReady());
  form.ButtonPeek->click();
  EXPECT_EQ(Text(form.LabelPeekValue1), "NOT READ");
  EXPECT_EQ(Lines(form.MemoDump), (std::vector<std::string>{"PEEK FAILED: no registers read", "----"}));
  EXPECT_TRUE(Logged("PEEK FAILED: FPGA 1 from register 100  (0x0064), card not ready"));
  EXPECT_EQ(sounds_.Take(), testsupport::kErrorTones);
  form.ButtonPoke->click();
  EXPECT_EQ(Lines(form.MemoDump).back(), "POKE FAILED: FPGA 1 register 100  (0x0064), card not ready");
  EXPECT_TRUE(Logged("POKE FAILED: FPGA 1 register 100  (0x0064), card not ready"));
  EXPECT_EQ(sounds_.Take(), testsupport::kErrorTones);
}

// A full dump takes no failure line either: a refused poke or peek on a dump of 30000 lines warns
// that the dump is full and leaves it as it is.
TEST_F(PeekPokeTest, AFullDumpTakesNoFailureLines) {
  TDbg_PeekPokeForm& form = Open();
  ASSERT_FALSE(HasFatalFailure());
  ChooseCount(4096);
  for (int peek = 0; peek < 8; ++peek) form.ButtonPeek->click();
  ASSERT_EQ(form.DumpLineCount(), 30000);
  const std::string last = Lines(form.MemoDump).back();
  const std::size_t warned = dialogs_->Messages().size();
  Card().Close();
  ASSERT_FALSE(Card().IsReady());
  sounds_.Take();
  form.ButtonPoke->click();
  EXPECT_EQ(form.DumpLineCount(), 30000);
  EXPECT_EQ(Lines(form.MemoDump).back(), last);
  EXPECT_TRUE(Logged("POKE FAILED: FPGA 1 register 0  (0x0000), card not ready"));
  ASSERT_EQ(dialogs_->Messages().size(), warned + 1);
  EXPECT_EQ(dialogs_->Messages().back().text, "The dump is full, Press the Clear button");
  form.ButtonPeek->click();
  EXPECT_EQ(form.DumpLineCount(), 30000);
  EXPECT_EQ(Lines(form.MemoDump).back(), last);
  ASSERT_EQ(dialogs_->Messages().size(), warned + 2);
  EXPECT_EQ(dialogs_->Messages().back().text, "The dump is full, Press the Clear button");
}

TEST_F(PeekPokeTest, OnACardWithoutFpgaTwoTheFpgaMenuDoesNothing) {
  TDbg_PeekPokeForm& form = Open(0, "SecondFpga=NO\n");
  ASSERT_FALSE(HasFatalFailure());
  ASSERT_EQ(Card().FpgaInfo()[1].Present, 0);
  dialogs_->AnswerMenu("FPGA Number");
  form.PanelSetupPopup();  // an unscripted prompt would fail the test
  EXPECT_EQ(form.Fpga(), 0);
  EXPECT_TRUE(dialogs_->Queries().empty());
  EXPECT_EQ(form.windowTitle().toStdString(), "PEEK/POKE for Card 1");
}

TEST_F(PeekPokeTest, WithoutAnFpgaTheButtonsAndMenusRest) {
  TDbg_PeekPokeForm& form = Open(-1);
  ASSERT_FALSE(HasFatalFailure());
  EXPECT_EQ(form.windowTitle().toStdString(), "PEEK/POKE for Card 1 NO FPGA LOADED ");
  EXPECT_FALSE(form.ButtonPoke->isEnabled());
  EXPECT_FALSE(form.ButtonPeek->isEnabled());
  form.PanelSetupPopup();
  form.PanelCommandPopup();
  EXPECT_TRUE(dialogs_->MenuRequests().empty());
}

}  // namespace
}  // namespace factorytest
