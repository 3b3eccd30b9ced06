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
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

#include "card/setup_defaults.h"
#include "config/globals.h"
#include "config/options_store.h"
#include "settings/settings_test_support.h"
#include "support/qt/shown_widget.h"
#include "support/scripted_dialogs.h"
#include "support/sound_recorder.h"
#include "ui/cards/strip_routines.h"
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
    // A card window gives each channel's panel 255 x 248 pixels, in its font.
    host_->resize(255, 248);
    host_->setFont(ui::StripFont());
    // The card window is on screen when it builds its channel panels.
    host_->show();
    panel_ = new TSetupMainSetupForm(host_.get(), 0, channel);
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
  // The page holding `widget`, its tab chosen as the operator does: a click on the tab.
  const setup::SetupPage* OpenPageOf(const QWidget* widget) const {
    const QWidget* page = widget;
    while (page != nullptr && qobject_cast<const setup::SetupPage*>(page) == nullptr) page = page->parentWidget();
    if (page == nullptr) return nullptr;
    auto* tabs = host_->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    if (tabs == nullptr) return static_cast<const setup::SetupPage*>(page);
    for (int index = 0; index < tabs->count(); ++index) {
      if (!tabs->widget(index)->isAncestorOf(page) || tabs->currentIndex() == index) continue;
      QTabBar* bar = tabs->tabBar();
      EXPECT_TRUE(bar->isTabVisible(index)) << "the tab of " << testsupport::WidgetName(page) << " is hidden";
      QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
      QCoreApplication::processEvents();
    }
    return static_cast<const setup::SetupPage*>(page);
  }
  // What the operator reads in a value: "<not shown>" when the widget cannot be seen on its page.
  std::string Text(const char* name) const {
    const auto* label = Find<QLabel>(name);
    if (label == nullptr) return "<none>";
    OpenPageOf(label);
    testsupport::ScrollIntoView(label);
    if (!testsupport::ShownToOperator(label)) return "<not shown>";
    return label->text().toStdString();
  }
  // The text a label holds, seen or not (a caption of a row the mode hides, say).
  std::string RawText(const char* name) const {
    const auto* label = Find<QLabel>(name);
    return label != nullptr ? label->text().toStdString() : std::string("<none>");
  }
  // The widget is seen by the operator once its page's tab is chosen.
  bool Shown(const char* name) const {
    const QWidget* widget = Find(name);
    if (widget == nullptr) return false;
    OpenPageOf(widget);
    testsupport::ScrollIntoView(widget);
    return testsupport::ShownToOperator(widget);
  }
  bool Enabled(const char* name) const {
    const QWidget* widget = Find(name);
    return widget != nullptr && widget->isEnabled();
  }
  setup::SetupPage& Page(const char* formName) const { return *Find<setup::SetupPage>(formName); }
  // The operator's click on a value of a page: its tab chosen, then a mouse click on the value.
  void Click(const char* form, const char* component) {
    QWidget* widget = Page(form).findChild<QWidget*>(QString::fromLatin1(component));
    ASSERT_NE(widget, nullptr) << component;
    OpenPageOf(widget);
    testsupport::ScrollIntoView(widget);
    ASSERT_TRUE(testsupport::ShownToOperator(widget));
    QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
    QCoreApplication::processEvents();
  }

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
