// One virtual card of the simulated device library, with a Kr12 converter on each channel, the set
// manager, the options and a scripted dialog service; a setup panel for one of its channels in a
// shown host widget, as a card window holds it.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

#include "card/setup_defaults.h"
#include "config/globals.h"
#include "config/options_store.h"
#include "settings/settings_test_support.h"
#include "support/scripted_dialogs.h"
#include "support/sound_recorder.h"
#include "ui/setup/setup_main_setup_form.h"
#include "ui/setup/setup_page.h"

namespace setuptest {

using settingstest::Value;

// A personality and the channel whose panel is shown.
struct Channel {
  const char* Name;
  bool ChipVariant;
  int Mode;
  int Ch;
};

class SetupPanelTest : public settingstest::SimCardTest {
 protected:
  // The card running `mode`, converters 0 and 1 tied to its channels, its setup the default one
  // with `routeMode`; the status read once; the panel of `channel` shown.
  void Start(bool chipVariant, int mode, int channel, int routeMode = 0,
             card::HwCfgCardSetRecord converters = card::HwCfgCardSetRecord{0, 2, {0, 1}},
             const std::string& inputs = "") {
    StartCard(chipVariant ? "YES" : "NO", mode, converters, true, 5, inputs);
    if (HasFatalFailure() || IsSkipped()) return;
    gKr20SetMgr = manager_.get();
    config::kr20optionclass::SelectDefaultColorScheme(0, options_.Info().ColorScheme);
    options_.Info().MinLastStateSaves = 0;
    options_.Info().LoadLastSetupState = 0;
    options_.Info().AutoSetFreqSpan = 0;
    options_.Info().EnableIFCarAcqRgAlg = options_.Info().EnableIFCarFilterAlg = options_.Info().EnableIFCarCFAlg = 0;
    config::gApp.Options = &options_;
    config::gApp.SetupEdited = 0;
    config::gApp.gControlBothChannels = 0;
    Rec() = card::DefaultCardSetup();
    Rec().RouteInfo.FpgaMasterMode = mode;
    Rec().RouteInfo.UserReceiverMode = mode;
    Rec().RouteInfo.RouteMode = routeMode;
    ReadStatus();
    host_ = std::make_unique<QWidget>();
    host_->resize(420, 560);
    panel_ = new TSetupMainSetupForm(host_.get(), 0, channel);
    host_->show();
    QCoreApplication::processEvents();
  }

  void TearDown() override {
    host_.reset();
    QCoreApplication::processEvents();
    gKr20SetMgr = nullptr;
    config::gApp.Options = nullptr;
    config::gApp.gControlBothChannels = 0;
    config::gApp.SetupEdited = 0;
    SimCardTest::TearDown();
  }

  // The timer's status tasks once, then the panel's 0.2 s refresh.
  void ReadStatus() {
    manager_->RefreshCombinerAndDownConverterStatus();
    manager_->RefreshChannelStatus();
  }
  void Refresh() {
    ReadStatus();
    panel_->RefreshPages();
  }

  template <class W = QWidget>
  W* Find(const char* name) const {
    W* widget = host_->findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  std::string Text(const char* name) const {
    const auto* label = Find<QLabel>(name);
    return label != nullptr ? label->text().toStdString() : std::string("<none>");
  }
  // Shown on its page (the pages of the tabs not selected are hidden as a whole).
  bool Shown(const char* name) const {
    const QWidget* widget = Find(name);
    if (widget == nullptr) return false;
    const QWidget* page = widget->parentWidget();
    while (page != nullptr && qobject_cast<const setup::SetupPage*>(page) == nullptr) page = page->parentWidget();
    return widget->isVisibleTo(page != nullptr ? page : host_.get());
  }
  bool Enabled(const char* name) const {
    const QWidget* widget = Find(name);
    return widget != nullptr && widget->isEnabled();
  }
  setup::SetupPage& Page(const char* formName) const { return *Find<setup::SetupPage>(formName); }
  // A click on a value of a page.
  void Click(const char* form, const char* component) { Page(form).ClickField(QString::fromLatin1(component)); }

  // The visible captions of a popup menu of the page.
  std::vector<std::string> VisibleItems(const char* menuName) const {
    std::vector<std::string> items;
    if (const auto* menu = Find<QMenu>(menuName)) {
      for (const QAction* action : menu->actions()) {
        if (action->isVisible()) items.push_back(action->text().toStdString());
      }
    }
    return items;
  }

  const testsupport::ScriptedDialogs::Query& LastQuery() {
    static const testsupport::ScriptedDialogs::Query none{};
    return dialogs_->Queries().empty() ? none : dialogs_->Queries().back();
  }

  card::ReceiverRecord& Receiver(int channel) { return Rec().Receiver[channel]; }
  settings::ChannelStatusRecord& StatusOf(int channel) { return manager_->StatusRecord(0, channel); }

  config::kr20optionclass options_{false};
  testsupport::ScopedScriptedDialogs dialogs_;
  testsupport::SoundRecorder sounds_;
  std::unique_ptr<QWidget> host_;
  TSetupMainSetupForm* panel_ = nullptr;
};

}  // namespace setuptest
