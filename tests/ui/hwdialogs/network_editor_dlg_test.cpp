// The network configuration dialog on a network manager of its own, with scripted prompts.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/log_capture.h"
#include "ui/modal_driver.h"
#include "net/net_manager.h"
#include "settings/window_messages.h"
#include "support/scratch_folder.h"
#include "support/scripted_dialogs.h"
#include "support/sound_recorder.h"
#include "ui/dialogs/network_editor_dlg.h"

namespace uitest {
namespace {

class RecordingTarget final : public platform::MessageTarget {
 public:
  struct Message {
    std::uint32_t message;
    platform::WParam wParam;
    platform::LParam lParam;
  };
  bool Post(std::uint32_t message, platform::WParam wParam, platform::LParam lParam) override {
    posted.push_back({message, wParam, lParam});
    return true;
  }
  platform::LParam Send(std::uint32_t, platform::WParam, platform::LParam) override { return 0; }
  std::vector<Message> posted;
};

class NetworkEditorDlgTest : public ::testing::Test {
 protected:
  NetworkEditorDlgTest() {
    net::NetManagerHooks hooks;
    hooks.configPath = folder_ / "Kr20NetCfg.cfg";
    hooks.defaultAddress = "192.168.1.20";
    hooks.clock = [] { return 0.0; };
    manager_ = std::make_unique<quorxnetmgrclass>(hooks);
  }

  // The manager as the file left it; the dialog's snapshot is taken from here.
  void Start(const net::NetConfig& config) {
    manager_->SetConfig(config);
    dialog_ = std::make_unique<TNetworkEditorDlg>(nullptr, *manager_);
    dialog_->BeginExecute();
  }

  static net::NetConfig Config(bool enabled, bool allow, const std::string& address) {
    net::NetConfig config;
    config.Enabled = enabled;
    config.AllowRemoteControl = allow;
    config.ClientIpAddr = address;
    return config;
  }

  std::string FileText() const {
    return testsupport::ReadWholeFile(folder_ / "Kr20NetCfg.cfg");
  }
  bool FileExists() const { return std::filesystem::exists(folder_ / "Kr20NetCfg.cfg"); }

  template <class Widget>
  Widget* Child(const char* name) const {
    auto* widget = dialog_->findChild<Widget*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }

  testsupport::ScratchFolder folder_;
  testsupport::ScopedScriptedDialogs dialogs_;
  std::unique_ptr<quorxnetmgrclass> manager_;
  std::unique_ptr<TNetworkEditorDlg> dialog_;
};

TEST_F(NetworkEditorDlgTest, ControlsShowTheManagersValues) {
  net::NetConfig config = Config(true, false, "10.1.2.3");
  config.BcRateHz = 7;
  config.StartPort = 40000;
  Start(config);
  EXPECT_EQ(dialog_->windowTitle(), "Network Configuration");
  EXPECT_TRUE(Child<QCheckBox>("CheckBoxEnableNetwork")->isChecked());
  EXPECT_FALSE(Child<QCheckBox>("CheckBoxTazoAllowNetworkControl")->isChecked());
  EXPECT_EQ(Child<QPushButton>("ButtonClientIpAddress")->text(), "10.1.2.3");
  EXPECT_EQ(Child<QPushButton>("ButtonUdpPortStart")->text(), "40000");
  EXPECT_EQ(Child<QScrollBar>("ScrollBarDataRate")->value(), 7);
  EXPECT_EQ(Child<QLabel>("LabelDataRate")->text(), "7");
  EXPECT_EQ(Child<QPushButton>("OKBtn")->text(), "Accept");
}

TEST_F(NetworkEditorDlgTest, AcceptingWithoutChangeWritesNothing) {
  Start(Config(true, true, "10.1.2.3"));
  EXPECT_FALSE(dialog_->EndExecute(true));
  EXPECT_FALSE(FileExists());
}

TEST_F(NetworkEditorDlgTest, RateAloneIsSavedAndNeedsNoRestart) {
  Start(Config(true, false, "10.1.2.3"));
  Child<QScrollBar>("ScrollBarDataRate")->setValue(15);
  EXPECT_EQ(Child<QLabel>("LabelDataRate")->text(), "15");
  EXPECT_FALSE(dialog_->EndExecute(true));
  EXPECT_EQ(manager_->BcRateHz(), 15);
  EXPECT_EQ(FileText(),
            "[NET Configuration]\r\nEnabled=YES\r\nAllowRemoteControl=NO\r\nBcRateHz=15\r\nStartPort=33170\r\n"
            "ClientIpAddr=10.1.2.3\r\n");
}

// What Accept makes of the remote-control box and the client address.
struct RemoteRow {
  const char* name;
  net::NetConfig start;
  bool tickAllow;
  std::optional<std::string> typedAddress;
  bool restart;
  bool allowAfter;
  std::string addressAfter;
};

class RemoteControlOnAccept : public NetworkEditorDlgTest, public ::testing::WithParamInterface<RemoteRow> {};

TEST_P(RemoteControlOnAccept, Rows) {
  const RemoteRow& row = GetParam();
  Start(row.start);
  if (row.tickAllow) Child<QCheckBox>("CheckBoxTazoAllowNetworkControl")->click();
  if (row.typedAddress) {
    dialogs_->AnswerInput(*row.typedAddress);
    Child<QPushButton>("ButtonClientIpAddress")->click();
  }
  EXPECT_EQ(dialog_->EndExecute(true), row.restart);
  EXPECT_EQ(manager_->Config().AllowRemoteControl, row.allowAfter);
  EXPECT_EQ(manager_->Config().ClientIpAddr, row.addressAfter);
  EXPECT_EQ(FileExists(), row.restart);
  if (row.restart) {
    EXPECT_NE(FileText().find(std::string("AllowRemoteControl=") + (row.allowAfter ? "YES" : "NO") + "\r\n"),
              std::string::npos);
  }
}

// The configuration a row starts from, remote control enabled. (Made by a call: GCC 12 at -O3 warns
// of the address string of a configuration written out in a row as uninitialised.)
net::NetConfig Enabled(bool allow, const char* address) {
  net::NetConfig config;
  config.Enabled = true;
  config.AllowRemoteControl = allow;
  config.ClientIpAddr = address;
  return config;
}

INSTANTIATE_TEST_SUITE_P(
    NetworkEditor, RemoteControlOnAccept,
    ::testing::Values(
        // Ticked with a broadcast octet: switched off again, so nothing differs and nothing restarts.
        RemoteRow{"TickedWithBroadcastOctet", Enabled(false, "192.168.1.255"), true, std::nullopt, false, false,
                  "192.168.1.255"},
        RemoteRow{"TickedWithPlainAddress", Enabled(false, "192.168.1.20"), true, std::nullopt, true, true,
                  "192.168.1.20"},
        // Allowed before, then an address holding "255" in the middle: remote control goes off.
        RemoteRow{"AddressGainsBroadcastOctet", Enabled(true, "10.0.0.1"), false, "10.0.255.1", true, false,
                  "10.0.255.1"},
        // An address the manager held that is no address: remote control goes off.
        RemoteRow{"InvalidHeldAddress", Enabled(true, "10.0.0"), false, std::nullopt, true, false, "10.0.0"},
        // A typed address that is no address is refused and the old one stays.
        RemoteRow{"TypedAddressRefused", Enabled(true, "10.0.0.1"), false, "300.1.2.3", false, true, "10.0.0.1"}),
    [](const ::testing::TestParamInfo<RemoteRow>& row) { return std::string(row.param.name); });

TEST_F(NetworkEditorDlgTest, InvalidAddressIsRefusedWithToneAndMessage) {
  testsupport::SoundRecorder sound;
  Start(Config(true, false, "10.0.0.1"));
  dialogs_->AnswerInput("10.0.0.256");
  Child<QPushButton>("ButtonClientIpAddress")->click();
  ASSERT_EQ(dialogs_->Queries().size(), 1u);
  EXPECT_EQ(dialogs_->Queries()[0].title, "Input IP");
  EXPECT_EQ(dialogs_->Queries()[0].prompt, "Enter the Client IP Address, in dot form xxx.xxx.xxx.xxx");
  EXPECT_EQ(dialogs_->Queries()[0].offered, "10.0.0.1");
  ASSERT_EQ(dialogs_->Messages().size(), 1u);
  EXPECT_EQ(dialogs_->Messages()[0].text, "INVALID DOT FORM OR IP ADDRESS FORM");
  EXPECT_EQ(sound.Take(), testsupport::kWarningTones);
  EXPECT_EQ(Child<QPushButton>("ButtonClientIpAddress")->text(), "10.0.0.1");
  // A cancelled box keeps the address without a word.
  dialogs_->AnswerInput(std::nullopt);
  Child<QPushButton>("ButtonClientIpAddress")->click();
  EXPECT_EQ(dialogs_->Messages().size(), 1u);
  EXPECT_EQ(dialog_->Working().ClientIpAddr, "10.0.0.1");
}

// The start port is kept where the whole port map (start + 17) stays valid.
TEST_F(NetworkEditorDlgTest, StartPortPromptLimits) {
  struct Row {
    const char* answer;
    std::int32_t port;
  };
  for (const Row& row : {Row{"999", 1000}, Row{"65535", 65518}, Row{"40000", 40000}, Row{"1000", 1000},
                         Row{"65518", 65518}, Row{"port", 1000}}) {
    SCOPED_TRACE(row.answer);
    Start(Config(true, false, "10.0.0.1"));
    net::NetConfig config = manager_->Config();
    config.StartPort = 1000;
    manager_->SetConfig(config);
    dialog_->BeginExecute();
    dialogs_->AnswerInput(std::string(row.answer));
    Child<QPushButton>("ButtonUdpPortStart")->click();
    EXPECT_EQ(dialog_->Working().StartPort, row.port);
    EXPECT_EQ(Child<QPushButton>("ButtonUdpPortStart")->text(), QString::number(row.port));
  }
  ASSERT_FALSE(dialogs_->Queries().empty());
  EXPECT_EQ(dialogs_->Queries()[0].title, "Enter The First UDP Port Number");
  EXPECT_NE(dialogs_->Queries()[0].prompt.find("Input Range 1000 - 65518"), std::string::npos);
}

// Esc, the title bar and Cancel leave manager and file alone, whatever was edited.
TEST_F(NetworkEditorDlgTest, EveryWayOutButAcceptCancels) {
  const std::vector<std::pair<const char*, std::function<void(TNetworkEditorDlg&)>>> ways{
      {"Esc", [](TNetworkEditorDlg& d) { QTest::keyClick(&d, Qt::Key_Escape); }},
      {"TitleBar", [](TNetworkEditorDlg& d) { d.close(); }},
      {"Cancel", [](TNetworkEditorDlg& d) { d.findChild<QPushButton*>("CancelBtn")->click(); }},
  };
  for (const auto& [name, leave] : ways) {
    SCOPED_TRACE(name);
    manager_->SetConfig(Config(false, false, "10.0.0.1"));
    TNetworkEditorDlg dialog(nullptr, *manager_);
    WhenShown<TNetworkEditorDlg>("NetworkEditorDlg", [leave](TNetworkEditorDlg& d) {
      d.findChild<QCheckBox*>("CheckBoxEnableNetwork")->click();
      d.findChild<QScrollBar*>("ScrollBarDataRate")->setValue(3);
      leave(d);
    });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_TRUE(dialog.Cancelled());
    EXPECT_FALSE(manager_->Config().Enabled);
    EXPECT_EQ(manager_->BcRateHz(), 10);
    EXPECT_FALSE(FileExists());
  }
}

TEST_F(NetworkEditorDlgTest, MainWindowRestartsAfterAChange) {
  testsupport::SoundRecorder sound;
  manager_->SetConfig(Config(false, false, "10.0.0.1"));
  RecordingTarget target;
  std::vector<bool> begun;
  WhenShown<TNetworkEditorDlg>("NetworkEditorDlg", [](TNetworkEditorDlg& d) {
    d.findChild<QCheckBox*>("CheckBoxEnableNetwork")->click();
    d.findChild<QPushButton*>("OKBtn")->click();
  });
  EXPECT_TRUE(ui::RunNetworkDialog(nullptr, *manager_, target, [&begun](bool b) { begun.push_back(b); }));
  ASSERT_EQ(dialogs_->Messages().size(), 1u);
  EXPECT_EQ(dialogs_->Messages()[0].text,
            "You have changed the Network Configuration.\nYou must restart the application now.");
  std::vector<platform::Tone> twice = testsupport::kWarningTones;
  twice.insert(twice.end(), testsupport::kWarningTones.begin(), testsupport::kWarningTones.end());
  EXPECT_EQ(sound.Take(), twice);
  ASSERT_EQ(target.posted.size(), 1u);
  EXPECT_EQ(target.posted[0].message, settings::kWmRestartProgram);
  EXPECT_EQ(target.posted[0].wParam, 0u);
  EXPECT_EQ(target.posted[0].lParam, 0);
  EXPECT_EQ(begun, std::vector<bool>{false});
  EXPECT_TRUE(manager_->Config().Enabled);

  // A rate change alone: saved, no message, no restart.
  WhenShown<TNetworkEditorDlg>("NetworkEditorDlg", [](TNetworkEditorDlg& d) {
    d.findChild<QScrollBar*>("ScrollBarDataRate")->setValue(20);
    d.findChild<QPushButton*>("OKBtn")->click();
  });
  EXPECT_FALSE(ui::RunNetworkDialog(nullptr, *manager_, target, [&begun](bool b) { begun.push_back(b); }));
  EXPECT_EQ(manager_->BcRateHz(), 20);
  EXPECT_EQ(target.posted.size(), 1u);
  EXPECT_EQ(dialogs_->Messages().size(), 1u);
}

}  // namespace
}  // namespace uitest
