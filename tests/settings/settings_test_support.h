// One card of the simulated device library behind the set manager, for the settings tests that
// drive a real card: the library and converter managers, the globals pointing at them, and the
// set manager, torn down in reverse.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

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

// Reads a packed field by value.
template <class T>
T Value(T field) {
  return field;
}

using testsupport::SimFolder;

// Resets a simulated library (it reads its configuration again).
inline void ResetSimLibrary(const std::string& sim, const std::string& file) {
  void* handle = testsupport::ResetSimLibrary(sim, file);
  ASSERT_NE(handle, nullptr) << sim << "/" << file;
  dlclose(handle);
}

class SimCardTest : public ::testing::Test {
 protected:
  // One card running `mode` with the hardware-configuration record `set`; with `kr12Converters`
  // a simulated Kr12 card with two channels is opened as converters 0 and 1.
  void StartCard(const std::string& chipVariant, int mode, const card::HwCfgCardSetRecord& set,
                 bool kr12Converters = false, int seed = 5) {
    sim_ = SimFolder();
    if (!std::filesystem::exists(sim_ + "/librtZp903x.so")) GTEST_SKIP() << "devicesim libraries not built";
    setenv("QUORX_SIM_FOLDER", program_.Path().c_str(), 1);
    ASSERT_TRUE(testsupport::WriteWholeFile(
        program_ / "VirtualHardware.cfg",
        "[General]\nCards=1\nSeed=" + std::to_string(seed) + "\n[Card_0]\nChipVariant=" + chipVariant +
            "\nFpgaMode=" + std::to_string(mode) + "\n[DownConverters]\n" +
            (kr12Converters ? "Kr12Cards=1\nKr12Channels=2\n" : "Kr12Cards=0\n") + "Kr14Cards=0\n"));
    for (const char* library : {"librtZp903x.so", "libKr12V2_Dll.so", "libKr14P3_Dll.so"}) {
      ResetSimLibrary(sim_, library);
      if (!kr12Converters) break;
    }
    cards_ = std::make_unique<quorxrtl20mgrclass>(sim_);
    ASSERT_TRUE(cards_->DoAfterHwCfgMgrLoaded());
    ASSERT_TRUE(cards_->OpenCards(false, 1));
    ASSERT_TRUE(cards_->Card(0)->IsReady());
    hwcfg_ = std::make_unique<quorxhwcfgmgrclass>();
    hwcfg_->CardSetRecords[0] = set;
    gRtl20Mgr = cards_.get();
    gHwCfgMgr = hwcfg_.get();
    if (kr12Converters) {
      dncvt_ = std::make_unique<quorxdncvtmgrclass>(sim_);
      dncvt_->Configure(card::HwCfgEnableRecord{1, 0, 1}, card::HwCfgEnableRecord{0, 0, 1});
      ASSERT_TRUE(dncvt_->OpenAll());
      ASSERT_EQ(dncvt_->NumDnCvts, 2);
      gDnCvtMgr = dncvt_.get();
    }
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
