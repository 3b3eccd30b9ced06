// The Rcvr page of the PM channel of a PM-PSK card in the whole program (virtual hardware): the
// bit-sync loop widths the PM receiver holds and its input code, from the start, after a change
// made on the page and after a restart.
#include <QLabel>
#include <QWidget>

#include <chrono>
#include <memory>
#include <string>

#include "card/card_routines.h"
#include "support/scripted_dialogs.h"
#include "ui/main_form_fixture.h"
#include "ui/setup/setup_main_setup_form.h"
#include "ui/setup/std_setup_form.h"

namespace setuptest {
namespace {

// A standard board running PM-PSK (3).
constexpr const char* kPmCard =
    "[General]\nCards=1\nSeed=4\n"
    "[Card_0]\nChipVariant=NO\nFpgaMode=3\nIfInput1=70e6, -40, PM, 1e6, 14, NRZL\nIfInput2=NONE\n"
    "[DownConverters]\nKr12Cards=0\nKr14Cards=0\n";

class PmChannelPageTest : public uitest::MainFormTest {
 protected:
  // The page of channel 0 (the PM receiver) of `card`, after the timer has filled the status.
  TSetupMainSetupForm* ShowPanel(int card) {
    RunUntil([] { return false; }, std::chrono::milliseconds(400));
    host_ = std::make_unique<QWidget>();
    auto* panel = new TSetupMainSetupForm(host_.get(), card, 0);
    host_->show();
    QCoreApplication::processEvents();
    return panel;
  }
  std::string Shown(const char* name) const {
    const auto* label = host_->findChild<QLabel*>(QString::fromLatin1(name));
    return label != nullptr ? label->text().toStdString() : std::string("<none>");
  }

  std::unique_ptr<QWidget> host_;
};

TEST_F(PmChannelPageTest, BitSyncRowsAndInputCodeOfThePmChannel) {
  PrepareProgramFolder(1, false, kPmCard);
  if (IsSkipped() || HasFatalFailure()) return;
  StartProgram();
  if (HasFatalFailure()) return;
  testsupport::ScopedScriptedDialogs dialogs;
  {
    const int card = 0;
    ASSERT_TRUE(card::IsPmChannel(card, 0));
    TSetupMainSetupForm* panel = ShowPanel(card);
    ASSERT_NE(panel->StdPage(), nullptr);
    // From the start: the PM receiver's bit-sync defaults and the setup's input code.
    EXPECT_EQ(Shown("LabelBsAcqLbw"), "1.000");
    EXPECT_EQ(Shown("LabelBsTrkLbw"), "0.100");
    EXPECT_EQ(Shown("LabelInputCode1"), "NRZL");
    dialogs->AnswerInput("0.25");
    panel->StdPage()->ClickField(QStringLiteral("LabelBsAcqLbw"));
    dialogs->AnswerInput("0.035");
    panel->StdPage()->ClickField(QStringLiteral("LabelBsTrkLbw"));
    EXPECT_EQ(Shown("LabelBsAcqLbw"), "0.250");
    EXPECT_EQ(Shown("LabelBsTrkLbw"), "0.035");
    QCoreApplication::processEvents();  // the last-state save at the end of the pass
    host_.reset();
  }

  RestartProgram();
  if (HasFatalFailure()) return;
  {
    const int card = 0;
    ShowPanel(card);
    EXPECT_EQ(Shown("LabelBsAcqLbw"), "0.250");
    EXPECT_EQ(Shown("LabelBsTrkLbw"), "0.035");
    EXPECT_EQ(Shown("LabelInputCode1"), "NRZL");
    host_.reset();
  }
  EXPECT_TRUE(dialogs->AllAnswered());
}

}  // namespace
}  // namespace setuptest
