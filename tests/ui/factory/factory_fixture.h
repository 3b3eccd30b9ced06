// One virtual card of the simulated device library and a scripted dialog service, for the factory
// windows; each window is made and shown as the main window's opener makes and shows it.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <QPlainTextEdit>

#include <string>
#include <vector>

#include "card/hwcfg_manager.h"
#include "config/globals.h"
#include "settings/settings_test_support.h"
#include "support/scripted_dialogs.h"
#include "support/sound_recorder.h"
#include "ui/factory/factory_windows.h"
#include "util/process_globals.h"

namespace factorytest {

class FactoryTest : public settingstest::SimCardTest {
 protected:
  // The card running `mode` (-1: no personality loaded); `extra` adds keys to its section.
  void Start(int mode, const std::string& extra = "", const char* chipVariant = "NO") {
    StartCard(chipVariant, mode, card::HwCfgCardSetRecord{0, 2, {-1, -1}}, false, 5, extra);
    if (HasFatalFailure() || IsSkipped()) return;
    previousFolder_ = util::ProgramFolder();
    util::SetProgramFolder(program_.Path());
    config::gApp.Placement(0, config::CardWindowKind::PeekPoke) = {40, 50, 620, 520, 0};
    config::gApp.Placement(0, config::CardWindowKind::FilePoke) = {60, 70, 620, 520, 0};
    config::gApp.Placement(0, config::CardWindowKind::FpgaToc) = {80, 90, 1180, 460, 0};
    // Places the windows had: they come back there, not to a free place.
    for (const auto kind :
         {config::CardWindowKind::PeekPoke, config::CardWindowKind::FilePoke, config::CardWindowKind::FpgaToc}) {
      config::gApp.Placed(0, kind) = 1;
    }
  }

  void TearDown() override {
    for (int card = 0; card < config::kMaxCards; ++card) ui::DeleteFactoryWindowsOf(card);
    QCoreApplication::processEvents();
    if (!previousFolder_.empty()) util::SetProgramFolder(previousFolder_);
    SimCardTest::TearDown();
  }

  static std::string Text(const QLabel* label) { return label != nullptr ? label->text().toStdString() : "<none>"; }
  static std::vector<std::string> Lines(const QPlainTextEdit* memo) {
    std::vector<std::string> lines;
    const QString text = memo->toPlainText();
    if (text.isEmpty()) return lines;
    for (const QString& line : text.split(QLatin1Char('\n'))) lines.push_back(line.toStdString());
    return lines;
  }
  bool Logged(const std::string& text) const {
    for (const std::string& line : program_.LogTexts()) {
      if (line.find(text) != std::string::npos) return true;
    }
    return false;
  }
  // The register as the card holds it now.
  std::uint32_t Register(int fpga, std::uint32_t reg) {
    std::array<std::uint32_t, 1> value{0xDEADBEEF};
    EXPECT_TRUE(Card().Dtrd_PeekRegOnFpga(fpga, reg, value, 1));
    return value[0];
  }

  testsupport::ScopedScriptedDialogs dialogs_;
  testsupport::SoundRecorder sounds_;
  std::string previousFolder_;
};

}  // namespace factorytest
