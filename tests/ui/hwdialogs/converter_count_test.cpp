// The hardware dialog on the virtual hardware run.sh prepares (a Kr12 card of two channels and a
// Kr14 card of two): the dialog lists the converters the running program uses, and an accept
// that leaves the configuration as it was changes nothing, neither the file nor the tuning.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "card/dncvt_manager.h"
#include "card/hwcfg_manager.h"
#include "card/rtl20_manager.h"
#include "config/globals.h"
#include "settings/set_manager.h"
#include "support/log_capture.h"
#include "support/scripted_dialogs.h"
#include "ui/dialogs/hw_config_editor_dlg.h"
#include "ui/main_form_fixture.h"
#include "ui/modal_driver.h"
#include "ui/setup/setup_main_setup_form.h"
#include "ui/setup/std_setup_form.h"

namespace uitest {
namespace {

constexpr const char* kKr12a = "KR-12P2 Card 1 Ch 1";
constexpr const char* kKr12b = "KR-12P2 Card 1 Ch 2";
constexpr const char* kKr14a = "KR-14P3 Card 1 Ch 1";
constexpr const char* kKr14b = "KR-14P3 Card 1 Ch 2";

// The virtual-hardware file run.sh's folder preparation writes into a new program folder.
std::string RunShHardware() {
  const std::string script = testsupport::ReadWholeFile(QUORX_PREPARE_SCRIPT);
  const std::string begin = "VirtualHardware.cfg <<'CFG'\n";
  const std::size_t from = script.find(begin);
  const std::size_t to = from == std::string::npos ? from : script.find("\nCFG\n", from);
  if (to == std::string::npos) return {};
  return script.substr(from + begin.size(), to + 1 - from - begin.size());
}

// What the operator sees of the dialog, read while it runs.
struct Seen {
  std::vector<std::string> menu;
  std::vector<std::string> panels;
  std::vector<bool> panelsShown;
};

class ConverterCountTest : public MainFormTest {
 protected:
  void Start() {
    const std::string hardware = RunShHardware();
    ASSERT_NE(hardware.find("Kr12Channels=2"), std::string::npos) << hardware;
    PrepareProgramFolder(2, false, hardware);
    StartProgram();
  }

  static Seen Look(TVexaHwCfgMgrEditorDlg& d) {
    Seen seen;
    for (const QAction* action : d.PopupMenuDnCvt()->actions()) seen.menu.push_back(action->text().toStdString());
    for (int row = 0; row < 2; ++row) {
      for (int channel = 0; channel < 2; ++channel) {
        QLabel* panel = d.CardPanel(row, channel);
        seen.panels.push_back(panel->text().toStdString());
        seen.panelsShown.push_back(panel->isVisible() && panel->width() > 0 && panel->height() > 0);
      }
    }
    return seen;
  }

  std::string ConfigFile() const { return testsupport::ReadWholeFile(quorxhwcfgmgrclass::ConfigFilePath()); }
  static double TunedMhz(int index) { return gDnCvtMgr->Records[static_cast<std::size_t>(index)].Setup.FreqMhz; }

  testsupport::ScopedScriptedDialogs dialogs_;
};

TEST_F(ConverterCountTest, TheDialogListsTheFourConvertersTheProgramUses) {
  Start();
  if (HasFatalFailure()) return;
  ASSERT_EQ(gDnCvtMgr->NumDnCvts, 4);
  // A new program folder has no configuration file; an accept without a change writes none.
  ASSERT_FALSE(std::filesystem::exists(quorxhwcfgmgrclass::ConfigFilePath()));
  Seen seen;
  WhenShown<TVexaHwCfgMgrEditorDlg>("VexaHwCfgMgrEditorDlg", [&seen](TVexaHwCfgMgrEditorDlg& d) {
    seen = Look(d);
    d.findChild<QPushButton*>("OKBtn")->click();
  });
  EXPECT_EQ(ui::RunHardwareDialog(*form_), ui::HardwareDialogResult::Unchanged);
  EXPECT_EQ(seen.menu, (std::vector<std::string>{kKr12a, kKr12b, kKr14a, kKr14b, "NOT USED"}));
  EXPECT_EQ(seen.panels, (std::vector<std::string>{kKr12a, kKr12b, kKr14a, kKr14b}));
  EXPECT_EQ(seen.panelsShown, (std::vector<bool>{true, true, true, true}));
  // The running program ties card 2 CH 2 to the fourth converter, the Kr14's second channel.
  EXPECT_EQ(gHwCfgMgr->GetDownConverterIndex(1, 1), 3);
  EXPECT_FALSE(std::filesystem::exists(quorxhwcfgmgrclass::ConfigFilePath()));

  // With the file written, the same again leaves it as it is.
  ASSERT_TRUE(gHwCfgMgr->SaveConfigFile());
  const std::string before = ConfigFile();
  WhenShown<TVexaHwCfgMgrEditorDlg>("VexaHwCfgMgrEditorDlg", [&seen](TVexaHwCfgMgrEditorDlg& d) {
    seen = Look(d);
    d.findChild<QPushButton*>("OKBtn")->click();
  });
  EXPECT_EQ(ui::RunHardwareDialog(*form_), ui::HardwareDialogResult::Unchanged);
  EXPECT_EQ(seen.panels, (std::vector<std::string>{kKr12a, kKr12b, kKr14a, kKr14b}));
  EXPECT_EQ(ConfigFile(), before);
}

// Simulation switched on and off again for each converter type, the enables accepted and the
// dialog accepted: the program reopens its cards on the same configuration, so the file is the
// same byte for byte, every channel keeps its converter and every converter its tuning.
TEST_F(ConverterCountTest, SimulationSwitchedOnAndOffChangesNothing) {
  Start();
  if (HasFatalFailure()) return;
  const double tuned[] = {2250.5, 2250.25, 2250.5, 2250.75};
  for (int card = 0; card < 2; ++card) {
    for (int channel = 0; channel < 2; ++channel) {
      gKr20SetMgr->SetTunedFreq(card, channel, tuned[card * 2 + channel]);
    }
  }
  for (int index = 0; index < 4; ++index) ASSERT_EQ(TunedMhz(index), tuned[index]) << index;
  ASSERT_TRUE(gHwCfgMgr->SaveConfigFile());
  const std::string before = ConfigFile();

  for (const char* box : {"CheckBoxKr12Sim", "CheckBoxKr14V3Sim", "CheckBoxKr20Sim"}) {
    SCOPED_TRACE(box);
    Seen seen;
    WhenShown<TVexaHwCfgMgrEditorDlg>("VexaHwCfgMgrEditorDlg", [&seen, box](TVexaHwCfgMgrEditorDlg& d) {
      d.findChild<QCheckBox*>(box)->click();
      d.findChild<QCheckBox*>(box)->click();
      d.findChild<QPushButton*>("ButtonAcceptEnables")->click();
      seen = Look(d);
      d.findChild<QPushButton*>("OKBtn")->click();
    });
    EXPECT_EQ(ui::RunHardwareDialog(*form_), ui::HardwareDialogResult::Reopened);
    EXPECT_EQ(seen.panels, (std::vector<std::string>{kKr12a, kKr12b, kKr14a, kKr14b}));
    EXPECT_EQ(ConfigFile(), before);
    EXPECT_EQ(gDnCvtMgr->NumDnCvts, 4);
    for (int card = 0; card < 2; ++card) {
      for (int channel = 0; channel < 2; ++channel) {
        const int index = card * 2 + channel;
        EXPECT_EQ(gHwCfgMgr->GetDownConverterIndex(card, channel), index);
        EXPECT_EQ(TunedMhz(index), tuned[index]) << index;
      }
    }
  }
  // What the Rcvr page of card 2 CH 2 shows once the timer has run.
  RunUntil([] { return false; }, std::chrono::milliseconds(300));
  QWidget host;
  auto* panel = new TSetupMainSetupForm(&host, 1, 1);
  host.show();
  QCoreApplication::processEvents();
  ASSERT_NE(panel->StdPage(), nullptr);
  const auto* frequency = host.findChild<QLabel*>("LabelTunedFreqMhz1");
  ASSERT_NE(frequency, nullptr);
  EXPECT_EQ(frequency->text().toStdString(), "2250.75");
}

}  // namespace
}  // namespace uitest
