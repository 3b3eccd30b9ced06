// One virtual card with its test modulator window shown, the options and a scripted dialog
// service; the device library's time is moved by the test.
#pragma once

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QApplication>
#include <QTest>
#include <QTimer>
#include <functional>
#include <vector>
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
#include "ui/modulator/mod_control_form.h"

namespace modtest {

class ModWindowTest : public settingstest::SimCardTest {
 protected:
  // A card in personality `mode` (5: two PSK receivers with a pre-D combiner on the chip
  // variant), its test modulator at 70 MHz, the window shown. `cardKeys` adds keys to the card's
  // section of the virtual-hardware file.
  void Start(int mode = 5, bool chipVariant = true, bool viewCNo = true, const std::string& cardKeys = "") {
    WriteSimConfig(1,
                   "[Card_0]\nChipVariant=" + std::string(chipVariant ? "YES" : "NO") +
                       "\nFpgaMode=" + std::to_string(mode) + "\nIfInput1=NONE\nIfInput2=NONE\n" + cardKeys,
                   false);
    if (HasFatalFailure() || IsSkipped()) return;
    clock_ = settingstest::SimHook<void (*)(int)>(sim_ + "/librtZp903x.so", "QuorxSim_UseManualClock");
    advance_ = settingstest::SimHook<int (*)(double)>(sim_ + "/librtZp903x.so", "QuorxSim_AdvanceSeconds");
    ASSERT_TRUE(clock_ != nullptr && advance_ != nullptr);
    clock_(1);
    OpenSimCards(1, false);
    hwcfg_->CardSetRecords[0] = card::HwCfgCardSetRecord{0, 0, {-1, -1}};
    config::kr20optionclass::SelectDefaultColorScheme(0, options_.Info().ColorScheme);
    options_.Info().MinLastStateSaves = 0;
    options_.Info().LoadLastSetupState = 1;
    options_.Info().ViewTestModCarNoiseLevel = viewCNo ? 1 : 0;
    config::gApp.Options = &options_;
    config::gApp.SetupEdited = 0;
    config::gApp.Placement(0, config::CardWindowKind::TestModulator) = {};
    std::filesystem::create_directories(program_ / "SYSTEM/HARDWARECONFIGURATION");
    Rec() = card::DefaultCardSetup();
    Rec().RouteInfo.FpgaMasterMode = mode;
    Rec().Modulator.CarrierFreqMhz = 70.0;
    Rec().Modulator.InputSourceDirect = 1;
    Rec().Modulator.CarrierEnabled = 1;
    Card().SetMod_SetIfCarrierRateInHz(70e6);
    Card().SetMod_SetIfCarrierOn(true);
    Card().SetMod_SetModulatorMode("DIR_PSK");
    Card().SetMod_SetModulationType("BPSK");
    form_ = std::make_unique<TSM_ModControlForm>(0);
    form_->show();
    QCoreApplication::processEvents();
    ASSERT_TRUE(form_->Shown());
  }

  void TearDown() override {
    form_.reset();
    QCoreApplication::processEvents();
    config::gApp.Options = nullptr;
    config::gApp.SetupEdited = 0;
    SimCardTest::TearDown();
    if (clock_ != nullptr) clock_(0);
  }

  void Advance(double seconds) { ASSERT_EQ(advance_(seconds), 0); }

  TSM_ModControlForm& Form() { return *form_; }
  template <class W>
  W* Find(const char* name) const {
    auto* widget = form_->findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  std::string Text(const char* name) const {
    const auto* label = Find<QLabel>(name);
    return label != nullptr ? label->text().trimmed().toStdString() : std::string("<none>");
  }
  // Chooses the item captioned `caption` in the popup menu behind a value label.
  void Choose(QLabel* label, const std::string& caption) {
    dialogs_->AnswerMenu(caption);
    form_->PopupLabelClick(label);
    EXPECT_TRUE(dialogs_->AllAnswered());
  }
  // Answers the prompt behind a value label with `answer`.
  void Enter(QLabel* label, const std::string& answer) {
    dialogs_->AnswerInput(answer);
    form_->PromptLabelClick(label);
    EXPECT_TRUE(dialogs_->AllAnswered());
  }
  // The visible captions of a popup menu, in order.
  std::vector<std::string> Captions(TSM_ModControlForm::Menu menu) const {
    std::vector<std::string> captions;
    for (QAction* item : form_->PopupMenus[menu]->actions()) {
      if (item->isVisible()) captions.push_back(item->text().toStdString());
    }
    return captions;
  }

  // A right click on the sweep panel; while its menu is shown `inspect` looks at it, then the
  // items captioned `path` are clicked in turn (a submenu's caption opens it); an empty path
  // closes the menu with Escape. False when the menu never showed or an item was not found.
  bool UseSweepMenu(const std::vector<QString>& path, const std::function<void(QMenu&)>& inspect = {}) {
    bool shown = false;
    bool found = true;
    std::size_t next = 0;
    QTimer driver;
    driver.setInterval(5);
    QObject::connect(&driver, &QTimer::timeout, [&] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (menu == nullptr || !menu->isVisible()) return;
      if (!shown) {
        shown = true;
        if (inspect) inspect(*menu);
      }
      if (next >= path.size()) {
        driver.stop();
        QTest::keyClick(menu, Qt::Key_Escape);
        return;
      }
      for (QAction* action : menu->actions()) {
        if (action->text() != path[next] || action->isSeparator()) continue;
        ++next;
        if (next == path.size()) driver.stop();
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
        return;
      }
    });
    // A safety net only: an item that never shows ends the menu instead of hanging the test.
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, [&] {
      driver.stop();
      found = false;
      while (QWidget* popup = QApplication::activePopupWidget()) popup->close();
    });
    giveUp.start(20000);
    driver.start();
    QTest::mouseClick(form_->PanelSweep, Qt::RightButton, {}, QPoint(30, 30));
    driver.stop();
    giveUp.stop();
    QCoreApplication::processEvents();
    return shown && found && next == path.size();
  }

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
  std::unique_ptr<TSM_ModControlForm> form_;
  void (*clock_)(int) = nullptr;
  int (*advance_)(double) = nullptr;
};

}  // namespace modtest
