// The test modulator window and the remote test-modulator commands on one card of the running
// program: what the operator changes in the window is what the remote read-backs report, and what
// a remote client changes shows in the window at its next refresh.
#include <QCheckBox>
#include <QLabel>
#include <QScrollBar>

#include "support/scripted_dialogs.h"
#include "ui/modulator/mod_control_form.h"
#include "ui/modulator/test_modulator_windows.h"
#include "ui/remote/remote_fixture.h"

namespace remotetest {
namespace {

class ModRemoteTest : public RemoteTest {
 protected:
  Reply ReadBack(std::int32_t command) {
    const Reply reply = Command(0, 0, command, 0.0);
    EXPECT_TRUE(reply.Received()) << command;
    EXPECT_TRUE(reply.Success()) << command << ": " << reply.Message();
    return reply;
  }
  double ReadValue(std::int32_t command) {
    const Reply reply = ReadBack(command);
    EXPECT_EQ(reply.ValueCount(), 1u) << command;
    return reply.Value(0);
  }
  std::string ReadText(std::int32_t command) {
    const Reply reply = ReadBack(command);
    EXPECT_EQ(reply.TextCount(), 1u) << command;
    if (!reply.Received()) return {};
    return std::string(reinterpret_cast<const char*>(reply.bytes.data() + 793));
  }
  static std::string Shown(const QLabel* label) { return label->text().trimmed().toStdString(); }
};

TEST_F(ModRemoteTest, WindowChangesReadBackAndRemoteChangesShow) {
  card0Settings_ = "IfInput1=NONE\nIfInput2=NONE\n";
  StartRemote();
  if (IsSkipped() || HasFatalFailure()) return;
  testsupport::ScopedScriptedDialogs dialogs;
  ui::ShowTestModulatorForm(0, form_.get());
  TSM_ModControlForm* mod = ui::TestModulatorFormOf(0);
  ASSERT_NE(mod, nullptr);
  ASSERT_TRUE(mod->Shown());

  // The window's changes, read back remotely.
  mod->CheckBoxNoiseEnabled->setChecked(true);
  EXPECT_EQ(ReadValue(526), 1.0);
  mod->CheckBoxCarrierEnabled->setChecked(true);
  EXPECT_EQ(ReadValue(524), 1.0);
  mod->ScrollBarCarrierAmplitude->setValue(-25);
  EXPECT_EQ(ReadValue(527), -25.0);
  mod->ScrollBarCarrierToNoise->setValue(655);
  EXPECT_NEAR(ReadValue(528), 65.5, 1e-9);
  dialogs->AnswerMenu("SUBCAR");
  mod->PopupLabelClick(mod->LabelModulationMode);
  EXPECT_EQ(ReadText(529), "SUBCAR");
  dialogs->AnswerMenu("RNRZ-15");
  mod->PopupLabelClick(mod->LabelPcmOutputCode[1]);
  EXPECT_EQ(ReadText(534), "RNRZ-15");
  dialogs->AnswerMenu("Q_EQUAL_I");
  mod->PopupLabelClick(mod->LabelIQRouting);
  EXPECT_EQ(ReadText(544), "Q_EQUAL_I");
  dialogs->AnswerInput("3000000");
  mod->PromptLabelClick(mod->LabelTxbDataRate[0]);
  EXPECT_EQ(ReadValue(536), 3000000.0);
  EXPECT_TRUE(dialogs->AllAnswered());

  // Remote changes, shown at the window's next refresh.
  ASSERT_TRUE(Command(0, 0, 504, 63.5).Success());
  ASSERT_TRUE(Command(0, 0, 502, 0.0).Success());
  ASSERT_TRUE(Command(0, 0, 506, 0.0, "QPSK").Success());
  ASSERT_TRUE(Command(0, 0, 513, 1000000.0).Success());
  mod->UpdateDisplay();
  EXPECT_EQ(Shown(mod->LabelCarrierToNoise), "63.5");
  EXPECT_FALSE(mod->CheckBoxNoiseEnabled->isChecked());
  EXPECT_EQ(Shown(mod->LabelModulationType), "QPSK");
  EXPECT_EQ(Shown(mod->LabelTxbDataRate[0]), "1.0000");
  // Nothing of the refresh went back to the card.
  EXPECT_EQ(ReadValue(526), 0.0);
  EXPECT_NEAR(ReadValue(528), 63.5, 1e-9);
}

}  // namespace
}  // namespace remotetest
