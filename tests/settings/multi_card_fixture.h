// Several cards of the simulated device library with their FPGA images, a Kr12 converter pair on
// card 0, the set manager and the options, for the tests of the last-setup files and of the card
// mode change and setup recall; and a main window that records the messages it gets.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "card/card_test_support.h"
#include "config/globals.h"
#include "config/options_store.h"
#include "platform/message_bus.h"
#include "settings_test_support.h"
#include "support/permission_bits.h"
#include "util/process_globals.h"

namespace settingstest {

// Stands in for the main window. Like the real handler of 60001 it clears the
// reconfiguration-pending flag, and it notes whether the flag was set when the message came.
class RecordingWindow final : public platform::MessageTarget {
 public:
  struct Message {
    std::uint32_t id;
    platform::WParam wParam;
    platform::LParam lParam;
    bool sent;
    bool pendingSet;
  };

  RecordingWindow() : previous_(util::MainWindowHandle.exchange(this)) {}
  ~RecordingWindow() override { util::MainWindowHandle.store(previous_); }
  RecordingWindow(const RecordingWindow&) = delete;
  RecordingWindow& operator=(const RecordingWindow&) = delete;

  bool Post(std::uint32_t id, platform::WParam wParam, platform::LParam lParam) override {
    messages.push_back({id, wParam, lParam, false, config::gApp.ReconfigurationPending.load()});
    return true;
  }
  platform::LParam Send(std::uint32_t id, platform::WParam wParam, platform::LParam lParam) override {
    const bool pending = id == 60001 ? config::gApp.ReconfigurationPending.exchange(false)
                                     : config::gApp.ReconfigurationPending.load();
    messages.push_back({id, wParam, lParam, true, pending});
    if (onSend) onSend(messages.back());
    return 0;
  }

  std::vector<Message> Of(std::uint32_t id) const {
    std::vector<Message> found;
    std::copy_if(messages.begin(), messages.end(), std::back_inserter(found), [id](const Message& m) { return m.id == id; });
    return found;
  }

  std::vector<Message> messages;
  std::function<void(const Message&)> onSend;

 private:
  platform::MessageTarget* previous_;
};

using testsupport::PermissionBitsApply;

struct SimCard {
  bool chipVariant = false;
  int mode = 0;  // personality at power-up
};

class MultiCardTest : public SimCardTest {
 protected:
  // The cards, each running its personality, with the images of every personality but
  // `missingImage`. Card 0 has converters 0 and 1, the other cards none.
  void StartCards(const std::vector<SimCard>& cards, int missingImage = -1) {
    std::string sections;
    for (std::size_t i = 0; i < cards.size(); ++i) {
      sections += "[Card_" + std::to_string(i) + "]\nChipVariant=" + (cards[i].chipVariant ? "YES" : "NO") +
                  "\nFpgaMode=" + std::to_string(cards[i].mode) + "\n";
    }
    const int count = static_cast<int>(cards.size());
    WriteSimConfig(count, sections, true, 7);
    ASSERT_TRUE(card::MakeFpgaImages(program_, sim_));
    if (missingImage >= 0) std::filesystem::remove(HwCfg("KR20_BIN/" + card::FpgaImageFileName(missingImage)));
    std::filesystem::create_directories(program_ / "USER/SETUPFILES");
    OpenSimCards(count, true);
    for (int i = 0; i < config::kMaxCards; ++i) {
      hwcfg_->CardSetRecords[static_cast<std::size_t>(i)] =
          i == 0 ? card::HwCfgCardSetRecord{0, 2, {0, 1}} : card::HwCfgCardSetRecord{i, 0, {-1, -1}};
    }
    options_.Info().MinLastStateSaves = 0;
    options_.Info().LoadLastSetupState = 0;
    config::gApp.Options = &options_;
    config::gApp.ReconfigurationPending = false;
    manager_ = std::make_unique<kr20setmgrclass>();
    gKr20SetMgr = manager_.get();
  }
  void TearDown() override {
    gKr20SetMgr = nullptr;
    manager_.reset();
    config::gApp.Options = nullptr;
    config::gApp.ReconfigurationPending = false;
    SimCardTest::TearDown();
  }

  card::CardSetupRecord& Rec(int card) { return cards_->Card(card)->Setup(); }
  std::string SetupFile(const std::string& baseName) const {
    return program_ / ("USER/SETUPFILES/" + baseName + ".VexA");
  }
  std::string HwCfg(const std::string& name) const { return program_ / ("SYSTEM/HARDWARECONFIGURATION/" + name); }
  bool Logged(const std::string& text) const {
    const std::vector<std::string> texts = program_.LogTexts();
    return std::find(texts.begin(), texts.end(), text) != texts.end();
  }

  config::kr20optionclass options_{false};
};

}  // namespace settingstest
