// The whole program in the test process: a program folder with the simulated device libraries,
// the FPGA images and a virtual-hardware file, the main window started as the program starts it,
// and its error log read back.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QCoreApplication>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "config/globals.h"
#include "support/devicesim_support.h"
#include "support/log_capture.h"
#include "support/program_log.h"
#include "support/scratch_folder.h"
#include "ui/main_form.h"
#include "util/process_globals.h"

namespace uitest {

class MainFormTest : public ::testing::Test {
 protected:
  static constexpr const char* kLibraries[] = {"librtZp903x.so", "libKr12V2_Dll.so", "libKr14P3_Dll.so"};

  void SetUp() override {
    if (!std::filesystem::exists(sim_ + "/librtZp903x.so")) {
      GTEST_FAIL() << "devicesim libraries not built (the build makes them)";
    }
  }

  void TearDown() override {
    if (form_ != nullptr && !util::ClosingFlag.load() && form_->StartupBegun()) form_->CloseProgram();
    form_.reset();
    config::gApp.InstanceMutex.reset();
    config::gApp.SiblingInstanceMutex.reset();
    config::gApp.Options = nullptr;
    std::filesystem::current_path(previous_);
  }

  // The program folder: `cards` virtual cards and no converter; in demo mode the receiver-card marker asks for
  // `cards` simulated cards instead. A non-empty `virtualHardware` is the whole virtual-hardware file.
  void PrepareProgramFolder(int cards, bool demo = false, const std::string& virtualHardware = {}) {
    namespace fs = std::filesystem;
    const std::string root = folder_.Path();
    const std::string hardware = root + "/SYSTEM/HARDWARECONFIGURATION";
    for (const char* folder : {"/SYSTEM/ERLOGS", "/SYSTEM/HARDWARECONFIGURATION/KR20_BIN", "/USER/SETUPFILES", "/locks"}) {
      fs::create_directories(root + folder);
    }
    for (const char* library : kLibraries) fs::create_symlink(sim_ + "/" + library, root + "/" + library);
    ASSERT_TRUE(testsupport::MakeFpgaImages(hardware + "/KR20_BIN", sim_));
    ASSERT_TRUE(testsupport::WriteWholeFile(
        root + "/VirtualHardware.cfg",
        !virtualHardware.empty() ? virtualHardware
                                 : "[General]\nCards=" + std::to_string(demo ? 0 : cards) +
                                       "\nSeed=3\n[DownConverters]\nKr12Cards=0\nKr14Cards=0\n"));
    if (demo) {
      ASSERT_TRUE(testsupport::WriteWholeFile(hardware + "/Kr20_Dll.SIM",
                                              "[Simulation]\r\nCount=" + std::to_string(cards) + "\r\n"));
    }
    setenv("QUORX_SIM_FOLDER", root.c_str(), 1);
    for (const char* library : kLibraries) {
      if (void* handle = testsupport::ResetSimLibrary(sim_, library); handle != nullptr) dlclose(handle);
    }
    std::filesystem::current_path(root);
  }

  ui::SingleInstanceSettings InstanceSettings() const {
    ui::SingleInstanceSettings settings;
    settings.commandLine = {"QuorxL"};
    settings.lockFolder = folder_ / "locks";
    return settings;
  }

  // Creates and shows the main window and runs the message loop until the start-up completed.
  void StartProgram() {
    form_ = std::make_unique<TQuorxLMainForm>();
    ASSERT_EQ(form_->FormCreate(InstanceSettings()).conflict, ui::InstanceConflict::None);
    form_->show();
    ASSERT_TRUE(RunUntil([this] { return form_->StartupComplete(); }, std::chrono::seconds(30)));
  }

  // The program again in the same folder, as after the operator closed it and started it anew.
  void RestartProgram() {
    form_.reset();
    config::gApp.InstanceMutex.reset();
    config::gApp.SiblingInstanceMutex.reset();
    StartProgram();
  }

  template <class Done>
  static bool RunUntil(Done done, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
      if (std::chrono::steady_clock::now() > end) return false;
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
  }

  std::string LogPath() const { return folder_ / "SYSTEM/ERLOGS/QuorxL.log"; }
  std::vector<std::string> LogTexts() const { return testsupport::LogFileTexts(LogPath()); }

  testsupport::ScratchFolder folder_;
  std::string sim_ = testsupport::SimFolder();
  std::filesystem::path previous_ = std::filesystem::current_path();
  std::unique_ptr<TQuorxLMainForm> form_;
};

}  // namespace uitest
