#pragma once
// The whole program for a benchmark: a program folder with the simulated device libraries, the
// FPGA images and a virtual-hardware file, the main window started as the program starts it.
// The window goes before the process's statics: main() calls EndProgram() after the benchmarks,
// while the profile store and the error log it closes into still exist.
#include <stdlib.h>

#include <QApplication>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>

#include "card/rtl20_manager.h"
#include "config/globals.h"
#include "settings/merged_saves.h"
#include "support/devicesim_support.h"
#include "support/scratch_folder.h"
#include "ui/main_form.h"

namespace benchprogram {

class RunningProgram {
 public:
  // `hardware` is the text of VirtualHardware.cfg; a non-empty `network` is the network
  // configuration file's text, and `netHooks` what the network manager reaches.
  bool Start(const std::string& hardware, int expectedCards, const std::string& network = {},
             net::NetManagerHooks netHooks = {}) {
    static int argc = 1;
    static char name[] = "quorx_bench";
    static char* argv[] = {name, nullptr};
    // No display is needed unless the caller chose a platform.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    app_ = std::make_unique<QApplication>(argc, argv);

    const std::string folder = scratch_.Path();
    if (folder.empty()) return false;
    const std::string sim = testsupport::SimFolder();
    namespace fs = std::filesystem;
    fs::create_directories(folder + "/SYSTEM/ERLOGS");
    fs::create_directories(folder + "/SYSTEM/HARDWARECONFIGURATION/KR20_BIN");
    fs::create_directories(folder + "/locks");
    for (const char* library : {"librtZp903x.so", "libKr12V2_Dll.so", "libKr14P3_Dll.so"}) {
      fs::create_symlink(sim + "/" + library, folder + "/" + library);
    }
    if (!testsupport::MakeFpgaImages(folder + "/SYSTEM/HARDWARECONFIGURATION/KR20_BIN", sim)) return false;
    std::ofstream(folder + "/VirtualHardware.cfg") << hardware;
    if (!network.empty()) std::ofstream(folder + "/SYSTEM/HARDWARECONFIGURATION/Kr20NetCfg.cfg") << network;
    ::setenv("QUORX_SIM_FOLDER", folder.c_str(), 1);
    std::error_code error;
    fs::current_path(folder, error);
    if (error) return false;

    form_ = std::make_unique<TQuorxLMainForm>();
    netHooks_ = netHooks;
    form_->SetNetManagerHooks(std::move(netHooks));
    ui::SingleInstanceSettings instance;
    instance.lockFolder = folder + "/locks";
    if (form_->FormCreate(instance).conflict != ui::InstanceConflict::None) return false;
    form_->show();
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (!form_->StartupComplete() || settings::LastStateSavePending()) {
      if (std::chrono::steady_clock::now() > end) return false;
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return gRtl20Mgr != nullptr && gRtl20Mgr->CardCount() == expectedCards;
  }

  // The operator's close, then the program started again in the same folder with the same
  // hooks, as the operator starts it anew; the seconds from the new window's creation to the end
  // of its start-up with `ready` true, or a negative number when it did not start.
  template <class Ready>
  double Restart(Ready ready) {
    End();
    config::gApp.InstanceMutex.reset();
    config::gApp.SiblingInstanceMutex.reset();
    const auto begin = std::chrono::steady_clock::now();
    form_ = std::make_unique<TQuorxLMainForm>();
    form_->SetNetManagerHooks(netHooks_);
    ui::SingleInstanceSettings instance;
    instance.lockFolder = scratch_.Path() + "/locks";
    if (form_->FormCreate(instance).conflict != ui::InstanceConflict::None) return -1.0;
    form_->show();
    const auto end = begin + std::chrono::seconds(120);
    while (!form_->StartupComplete() || settings::LastStateSavePending() || !ready()) {
      if (std::chrono::steady_clock::now() > end) return -1.0;
      QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  }

  // The operator's close: the shut-down sequence, then the window goes.
  void End() {
    if (form_ != nullptr) form_->close();
    form_.reset();
  }

  ~RunningProgram() { End(); }

  TQuorxLMainForm& Form() { return *form_; }
  const std::string& Folder() const { return scratch_.Path(); }

 private:
  // Declared first, removed last: the shut-down writes into it.
  testsupport::ScratchFolder scratch_;
  std::unique_ptr<QApplication> app_;
  std::unique_ptr<TQuorxLMainForm> form_;
  net::NetManagerHooks netHooks_;
};

}  // namespace benchprogram
