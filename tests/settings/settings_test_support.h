// Cards of the simulated device library behind the set manager, for the settings tests that
// drive real cards: the library and converter managers, the globals pointing at them, and the
// set manager, torn down in reverse.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "card/dncvt_manager.h"
#include "card/hwcfg_manager.h"
#include "card/rtl20_manager.h"
#include "config/globals.h"
#include "settings/set_manager.h"
#include "support/devicesim_support.h"
#include "support/log_capture.h"

namespace settingstest {

// An entry of a loaded simulated library (its test hooks); null when absent. The library stays
// loaded: the card managers hold it as well.
template <class F>
F SimHook(const std::string& path, const char* name) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  void* symbol = handle != nullptr ? dlsym(handle, name) : nullptr;
  F function = nullptr;
  std::memcpy(&function, &symbol, sizeof function);
  return function;
}

// Reads a packed field by value.
template <class T>
T Value(T field) {
  return field;
}

class SimCardTest : public ::testing::Test {
 protected:
  // Writes the simulated hardware (`count` cards described by `cardSections`; with `kr12` a Kr12
  // card with two channels) and resets the libraries so that they read it.
  void WriteSimConfig(int count, const std::string& cardSections, bool kr12, int seed = 5) {
    sim_ = testsupport::SimFolder();
    if (!std::filesystem::exists(sim_ + "/librtZp903x.so")) GTEST_FAIL() << "devicesim libraries not built (the build makes them)";
    setenv("QUORX_SIM_FOLDER", program_.Path().c_str(), 1);
    ASSERT_TRUE(testsupport::WriteWholeFile(
        program_ / "VirtualHardware.cfg",
        "[General]\nCards=" + std::to_string(count) + "\nSeed=" + std::to_string(seed) + "\n" + cardSections +
            "[DownConverters]\n" + (kr12 ? "Kr12Cards=1\nKr12Channels=2\n" : "Kr12Cards=0\n") + "Kr14Cards=0\n"));
    for (const char* library : {"librtZp903x.so", "libKr12V2_Dll.so", "libKr14P3_Dll.so"}) {
      void* handle = testsupport::ResetSimLibrary(sim_, library);
      ASSERT_NE(handle, nullptr) << library;
      dlclose(handle);
    }
  }
  // Opens the cards (and the Kr12 channels as converters 0 and 1) and points the globals at them.
  void OpenSimCards(int count, bool kr12) {
    cards_ = std::make_unique<quorxrtl20mgrclass>(sim_);
    ASSERT_TRUE(cards_->DoAfterHwCfgMgrLoaded());
    ASSERT_TRUE(cards_->OpenCards(false, count));
    ASSERT_EQ(cards_->CardCount(), count);
    hwcfg_ = std::make_unique<quorxhwcfgmgrclass>();
    gRtl20Mgr = cards_.get();
    gHwCfgMgr = hwcfg_.get();
    if (!kr12) return;
    dncvt_ = std::make_unique<quorxdncvtmgrclass>(sim_);
    dncvt_->Configure(card::HwCfgEnableRecord{1, 0, 1}, card::HwCfgEnableRecord{0, 0, 1});
    ASSERT_TRUE(dncvt_->OpenAll());
    gDnCvtMgr = dncvt_.get();
  }
  // One card running `mode` with the hardware-configuration record `set`, and the set manager.
  void StartCard(const std::string& chipVariant, int mode, const card::HwCfgCardSetRecord& set, bool kr12 = false,
                 int seed = 5, const std::string& extra = "") {
    WriteSimConfig(1, "[Card_0]\nChipVariant=" + chipVariant + "\nFpgaMode=" + std::to_string(mode) + "\n" + extra,
                   kr12, seed);
    OpenSimCards(1, kr12);
    hwcfg_->CardSetRecords[0] = set;
    manager_ = std::make_unique<kr20setmgrclass>();
  }
  void TearDown() override {
    manager_.reset();
    gDnCvtMgr = nullptr;
    gHwCfgMgr = nullptr;
    gRtl20Mgr = nullptr;
    dncvt_.reset();
    hwcfg_.reset();
    cards_.reset();
  }
  card::kr20cardclass& Card() { return *cards_->Card(0); }
  card::CardSetupRecord& Rec() { return Card().Setup(); }

  testsupport::LoggedProgramFolder program_;
  std::string sim_;
  std::unique_ptr<quorxrtl20mgrclass> cards_;
  std::unique_ptr<quorxhwcfgmgrclass> hwcfg_;
  std::unique_ptr<quorxdncvtmgrclass> dncvt_;
  std::unique_ptr<kr20setmgrclass> manager_;
};

}  // namespace settingstest
