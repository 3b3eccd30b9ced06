// The whole program on six virtual cards, one of each personality, driven as an operator drives
// it: a card window opened from the Setup menu, the operation mode chosen from the mode label's
// popup, tabs and values clicked with the mouse, numbers typed into the prompts and list items
// chosen from the popups (the dialog service answers as the operator would), and what the window
// shows read back from the widgets the operator sees.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "config/globals.h"
#include "config/name_tables.h"
#include "support/ini_text.h"
#include "support/qt/shown_widget.h"
#include "support/scripted_dialogs.h"
#include "ui/cards/card_windows.h"
#include "ui/cards/setup_main_gui_form.h"
#include "ui/displays/setup_main_status_form.h"
#include "ui/main_form_fixture.h"
#include "ui/setup/page_shown.h"
#include "ui/setup/setup_main_setup_form.h"
#include "ui/setup/setup_page.h"

namespace operatortest {

// One card of each personality the virtual hardware runs, each with signals its receivers can
// lock to at the 70 MHz IF; converters on the first four channels.
inline constexpr const char* kEveryPersonality =
    "[General]\nCards=6\nSeed=7\n"
    "[Card_0]\nChipVariant=NO\nFpgaMode=0\n"
    "IfInput1=70e6, -40, SOQPSK_TG, 5e6, 14, NRZL\nIfInput2=70e6, -45, SOQPSK_TG, 5e6, 12, NRZL\n"
    "[Card_1]\nChipVariant=NO\nFpgaMode=2\n"
    "IfInput1=70e6, -42, PCM_FM, 2e6, 13, NRZL\nIfInput2=70e6, -42, PCM_FM, 2e6, 13, NRZL\n"
    "[Card_2]\nChipVariant=NO\nFpgaMode=1\n"
    "IfInput1=70e6, -40, SOQPSK_TG, 5e6, 14, NRZL\nIfInput2=70e6, -42, PCM_FM, 2e6, 13, NRZL\n"
    "[Card_3]\nChipVariant=NO\nFpgaMode=3\n"
    "IfInput1=70e6, -40, PM, 1e6, 14, NRZL\nIfInput2=70e6, -42, QPSK, 2e6, 13, NRZL\n"
    "[Card_4]\nChipVariant=YES\nFpgaMode=14\n"
    "IfInput1=70e6, -40, MHCPM, 5e6, 14, NRZL\nIfInput2=70e6, -42, SOQPSK_TG, 5e6, 13, NRZL\n"
    "[Card_5]\nChipVariant=YES\nFpgaMode=15\n"
    "IfInput1=70e6, -40, MHCPM, 5e6, 14, NRZL\nIfInput2=70e6, -42, PCM_FM, 2e6, 13, NRZL\n"
    "[DownConverters]\nKr12Cards=1\nKr12Channels=2\nKr14Cards=1\nKr14Channels=2\n";

class OperatorTest : public uitest::MainFormTest {
 protected:
  void StartOnEveryPersonality() {
    PrepareProgramFolder(6, false, kEveryPersonality);
    if (HasFatalFailure()) return;
    StartProgram();
  }

  // Setup > Card Setup > "KR-20 Card n", as the operator picks it.
  TSetupMainGuiForm* OpenCardWindow(int card) {
    QAction* item = form_->findChild<QAction*>(QStringLiteral("SubMenuMenuCardSetup") + QString::number(card));
    EXPECT_NE(item, nullptr);
    if (item == nullptr) return nullptr;
    EXPECT_TRUE(item->isVisible() && item->isEnabled()) << "card " << card;
    item->trigger();
    Settle();
    TSetupMainGuiForm* window = config::gApp.CardSetupForms[static_cast<std::size_t>(card)];
    EXPECT_NE(window, nullptr);
    if (window != nullptr) {
      EXPECT_TRUE(testsupport::ShownToOperator(window->centralWidget()));
    }
    return window;
  }

  // The captions the mode label's popup offers, in order.
  static std::vector<std::string> OfferedModes(const TSetupMainGuiForm& window) {
    std::vector<std::string> modes;
    for (const QAction* action : window.PopupMenuOperationalMode->actions()) {
      if (action->isVisible()) modes.push_back(action->text().toStdString());
    }
    return modes;
  }

  // A click on the mode label, `caption` chosen from its popup; waits until the window shows it.
  bool ChooseMode(TSetupMainGuiForm& window, const std::string& caption) {
    dialogs_->AnswerMenu(caption);
    Click(window.LabelOperationalMode);
    return RunUntil([&] { return window.LabelOperationalMode->text().toStdString() == caption; },
                    std::chrono::seconds(20)) &&
           RunUntil([] { return !config::gApp.ReconfigurationPending.load(); }, std::chrono::seconds(20));
  }

  // A mouse click on what the operator sees, scrolled into view first.
  static void Click(QWidget* widget) {
    ASSERT_NE(widget, nullptr);
    testsupport::ScrollIntoView(widget);
    ASSERT_TRUE(testsupport::ShownToOperator(widget));
    QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
    QCoreApplication::processEvents();
  }

  // The tab captioned `caption` of a channel's setup panel, clicked; its page.
  static setup::SetupPage* OpenTab(TSetupMainSetupForm& panel, const char* caption) {
    auto* tabs = panel.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    if (tabs == nullptr) return nullptr;
    for (int index = 0; index < tabs->count(); ++index) {
      if (tabs->tabText(index) != QString::fromLatin1(caption)) continue;
      QTabBar* bar = tabs->tabBar();
      EXPECT_TRUE(bar->isTabVisible(index)) << caption;
      EXPECT_TRUE(testsupport::ShownToOperator(bar));
      QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
      QCoreApplication::processEvents();
      EXPECT_EQ(tabs->currentIndex(), index) << caption;
      return tabs->widget(index)->findChild<setup::SetupPage*>();
    }
    return nullptr;
  }

  static QStringList VisibleTabs(const TSetupMainSetupForm& panel) {
    QStringList captions;
    const auto* tabs = panel.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    for (int index = 0; tabs != nullptr && index < tabs->count(); ++index) {
      if (tabs->isTabVisible(index)) captions << tabs->tabText(index);
    }
    return captions;
  }

  // A value of the page, clicked as the operator clicks it; what it shows once the timer has read
  // the card again.
  static std::string ClickValue(setup::SetupPage& page, const char* component) {
    auto* value = page.findChild<QWidget*>(QString::fromLatin1(component));
    Click(value);
    Settle();
    return ValueText(page, component);
  }

  // What the operator reads in a value of the page ("<not shown>" when it cannot be seen).
  static std::string ValueText(setup::SetupPage& page, const char* component) {
    auto* label = page.findChild<QLabel*>(QString::fromLatin1(component));
    if (label == nullptr) return "<none>";
    testsupport::ScrollIntoView(label);
    if (!testsupport::ShownToOperator(label)) return "<not shown>";
    return label->text().toStdString();
  }

  std::string StateFile(int card) const {
    return testsupport::ReadWholeFile(folder_ / ("SYSTEM/HARDWARECONFIGURATION/Kr20LastState.last" + std::to_string(card)));
  }
  std::string StateValue(int card, const std::string& section, const std::string& key) const {
    return testsupport::IniTextValue(StateFile(card), section, key);
  }

  static void Settle(std::chrono::milliseconds time = std::chrono::milliseconds(400)) {
    RunUntil([] { return false; }, time);
  }

  testsupport::ScopedScriptedDialogs dialogs_;
};

}  // namespace operatortest
