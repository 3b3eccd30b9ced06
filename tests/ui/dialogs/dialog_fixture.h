// The dialogs on their own: a program folder with its options file, scripted answers for every
// prompt and colour dialog, and a main window stand-in that counts the re-colour messages.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "config/options_store.h"
#include "platform/message_bus.h"
#include "settings/window_messages.h"
#include "support/log_capture.h"
#include "support/scripted_dialogs.h"
#include "util/process_globals.h"

namespace uitest {

class RecolourCounter final : public platform::MessageTarget {
 public:
  bool Post(std::uint32_t message, platform::WParam, platform::LParam) override {
    if (message == settings::kWmRecolour) ++posted;
    return true;
  }
  platform::LParam Send(std::uint32_t message, platform::WParam, platform::LParam) override {
    if (message == settings::kWmRecolour) ++sent;
    return 0;
  }
  int sent = 0;
  int posted = 0;
};

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(folder_ / "SYSTEM/OPTIONS");
    config::SetDefaultOptions(record_);
    previousTarget_ = util::MainWindowHandle.exchange(&recolours_);
  }
  void TearDown() override {
    util::MainWindowHandle.store(previousTarget_);
    EXPECT_TRUE(dialogs_->AllAnswered());
  }

  // The record as it is now becomes the options file.
  void SaveRecord() {
    ASSERT_TRUE(config::kr20optionclass::SaveOptions(record_));
    fileBefore_ = testsupport::ReadWholeFile(config::OptionsFilePath());
    ASSERT_FALSE(fileBefore_.empty());
    saved_ = record_;
  }

  testsupport::LoggedProgramFolder folder_;
  testsupport::ScopedScriptedDialogs dialogs_;
  RecolourCounter recolours_;
  platform::MessageTarget* previousTarget_ = nullptr;
  config::kr20optinfo record_{};
  config::kr20optinfo saved_{};
  std::string fileBefore_;
};

}  // namespace uitest
