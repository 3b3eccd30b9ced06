// One virtual card whose first channel receives a 2 Mb/s QPSK signal carrying the BERT's pattern,
// the set manager, the options and a scripted dialog service; the card's BERT window shown, with
// the device library's time and the program clock both moved by the test.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QToolButton>

#include <filesystem>
#include <memory>
#include <string>

#include "card/kr20card.h"
#include "card/setup_defaults.h"
#include "card/setup_routines.h"
#include "config/globals.h"
#include "config/options_store.h"
#include "settings/settings_test_support.h"
#include "support/ini_text.h"
#include "support/scripted_dialogs.h"
#include "support/sound_recorder.h"
#include "ui/bert/bert_control_form.h"
#include "ui/bert/card_bert_form.h"
#include "util/gui/status_lamp.h"
#include "util/number_text.h"

namespace berttest {

using settingstest::Value;

inline constexpr const char* kPskSignal = "70e6, -40, QPSK, 2e6, 7, NRZL";

class BertWindowTest : public settingstest::SimCardTest {
 protected:
  void Start(const std::string& input2 = "NONE") {
    WriteSimConfig(1, "[Card_0]\nChipVariant=YES\nFpgaMode=4\nIfInput1=" + std::string(kPskSignal) +
                          "\nIfInput2=" + input2 + "\n",
                   false);
    if (HasFatalFailure() || IsSkipped()) return;
    clock_ = settingstest::SimHook<void (*)(int)>(sim_ + "/librtZp903x.so", "QuorxSim_UseManualClock");
    advance_ = settingstest::SimHook<int (*)(double)>(sim_ + "/librtZp903x.so", "QuorxSim_AdvanceSeconds");
    ASSERT_TRUE(clock_ != nullptr && advance_ != nullptr);
    clock_(1);
    OpenSimCards(1, false);
    hwcfg_->CardSetRecords[0] = card::HwCfgCardSetRecord{0, 0, {-1, -1}};
    manager_ = std::make_unique<kr20setmgrclass>();
    gKr20SetMgr = manager_.get();
    config::kr20optionclass::SelectDefaultColorScheme(0, options_.Info().ColorScheme);
    options_.Info().MinLastStateSaves = 0;
    options_.Info().LoadLastSetupState = 1;
    options_.Info().SingleChannelUsage = 0;
    config::gApp.Options = &options_;
    config::gApp.SetupEdited = 0;
    std::filesystem::create_directories(program_ / "SYSTEM/HARDWARECONFIGURATION");
    Rec() = card::DefaultCardSetup();
    Rec().RouteInfo.FpgaMasterMode = 4;
    Rec().RouteInfo.UserReceiverMode = 4;
    Rec().RouteInfo.RouteMode = 0;
    // Channel 0: the receiver tuned to the signal and the BERT fed from it; channel 1 off.
    Card().PskRx_SetCarrierModulationMode(0, "QPSK");
    Card().PskRx_SetCarrierCenterFrequencyInHz(0, 70'000'000.0);
    Card().PskRx_SetBitSyncStream1RateInbps(0, 2'000'000.0);
    Card().Bert_SetPnPattern(0, "pn15");
    Rec().RxBert[0].InputSourceOn = 1;
    Rec().RxBert[0].NumSecsToAverage = 10;
    Rec().RxBert[1].InputSourceOn = 0;
    Advance(2.0);
    manager_->RefreshBertStatusAndFlightValues();
    form_ = std::make_unique<TCardBertForm>(0, nullptr, [this] { return now_; });
    form_->show();
    QCoreApplication::processEvents();
    ASSERT_NE(Panel(0), nullptr);
    ASSERT_NE(Panel(1), nullptr);
  }

  void TearDown() override {
    form_.reset();
    QCoreApplication::processEvents();
    gKr20SetMgr = nullptr;
    config::gApp.Options = nullptr;
    config::gApp.SetupEdited = 0;
    SimCardTest::TearDown();
    if (clock_ != nullptr) clock_(0);
  }

  void Advance(double seconds) { ASSERT_EQ(advance_(seconds), 0); }

  // One second of the program: the card's time, the timer's 1 s BERT read and the window's
  // 0.1 s refresh.
  void Second() {
    Advance(1.0);
    now_ += 1.0;
    manager_->RefreshBertStatusAndFlightValues();
    form_->Refresh10Hz();
  }

  TSM_BertControlForm* Panel(int channel) const { return form_ != nullptr ? form_->Panel(channel) : nullptr; }
  std::string Text(int channel, const char* name) const {
    const auto* label = Panel(channel) != nullptr ? Panel(channel)->findChild<QLabel*>(QString::fromLatin1(name)) : nullptr;
    EXPECT_NE(label, nullptr) << name;
    return label != nullptr ? label->text().toStdString() : std::string("<none>");
  }
  std::string Status(int channel = 0) const { return Text(channel, "PanelBerAvgStatus"); }
  int Progress(int channel = 0) const { return Panel(channel)->ProgressBarBerAvg->value(); }
  bool ButtonDown(int channel = 0) const { return Panel(channel)->SpeedButtonBerAvgGo->isChecked(); }
  settings::ChannelStatusRecord& StatusRecord(int channel) { return manager_->StatusRecord(0, channel); }

  std::string LastStateText() const {
    return testsupport::ReadWholeFile(program_ / "SYSTEM/HARDWARECONFIGURATION/Kr20LastState.last0");
  }

  // A key of a section of the last-state file, "<none>" when it is not there.
  std::string LastStateValue(const std::string& section, const std::string& key) const {
    return testsupport::IniTextValue(LastStateText(), section, key);
  }

  config::kr20optionclass options_{false};
  testsupport::ScopedScriptedDialogs dialogs_;
  testsupport::SoundRecorder sounds_;
  std::unique_ptr<TCardBertForm> form_;
  double now_ = 100.0;
  void (*clock_)(int) = nullptr;
  int (*advance_)(double) = nullptr;
};

}  // namespace berttest
