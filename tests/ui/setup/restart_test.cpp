// The whole program on a virtual card: a value changed on a setup page is written to the last
// state at once and is there again, on the card and on the page, after the program restarted.
#include <QLabel>
#include <QWidget>

#include <fstream>
#include <sstream>

#include "card/rtl20_manager.h"
#include "support/scripted_dialogs.h"
#include "ui/main_form_fixture.h"
#include "ui/setup/setup_main_setup_form.h"
#include "ui/setup/std_setup_form.h"

namespace setuptest {
namespace {

class SetupRestartTest : public uitest::MainFormTest {
 protected:
  // A panel for card 0, channel 0, shown as a card window shows it.
  TSetupMainSetupForm* ShowPanel() {
    host_ = std::make_unique<QWidget>();
    auto* panel = new TSetupMainSetupForm(host_.get(), 0, 0);
    host_->show();
    QCoreApplication::processEvents();
    return panel;
  }
  std::string Shown(const char* name) const {
    const auto* label = host_->findChild<QLabel*>(QString::fromLatin1(name));
    return label != nullptr ? label->text().toStdString() : std::string("<none>");
  }
  static std::string FileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
  }

  std::unique_ptr<QWidget> host_;
};

TEST_F(SetupRestartTest, AChangedValueSurvivesARestart) {
  PrepareProgramFolder(1);
  if (IsSkipped() || HasFatalFailure()) return;
  StartProgram();
  if (HasFatalFailure()) return;
  testsupport::ScopedScriptedDialogs dialogs;
  TSetupMainSetupForm* panel = ShowPanel();
  ASSERT_NE(panel->StdPage(), nullptr);
  dialogs->AnswerInput("1.75");
  panel->StdPage()->ClickField(QStringLiteral("LabelBsAcqLbw"));
  EXPECT_EQ(Shown("LabelBsAcqLbw"), "1.750");
  QCoreApplication::processEvents();  // the last-state save at the end of the pass
  const std::string state = FileText(folder_ / "SYSTEM/HARDWARECONFIGURATION/Kr20LastState.last0");
  EXPECT_NE(state.find("1.750000000"), std::string::npos) << state.substr(0, 400);
  host_.reset();

  RestartProgram();
  if (HasFatalFailure()) return;
  const double restored = gRtl20Mgr->Card(0)->Setup().Receiver[0].BitSync[0].AcqLoopBandwidthPct;
  EXPECT_EQ(restored, 1.75);
  ShowPanel();
  EXPECT_EQ(Shown("LabelBsAcqLbw"), "1.750");
}

}  // namespace
}  // namespace setuptest
