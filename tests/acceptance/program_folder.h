// A program folder for whole-program runs: the simulated device libraries, the FPGA images, a
// virtual-hardware file, and the environment every copy started from it finds its locks and its
// virtual hardware by (no display needed).
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "support/devicesim_support.h"
#include "support/log_capture.h"
#include "support/scratch_folder.h"

namespace acceptance {

// False (with the test skipped) when the program or the simulated libraries are not built.
inline bool ProgramBuilt() {
  namespace fs = std::filesystem;
  return fs::exists(QUORX_PROGRAM) && fs::exists(std::string(QUORX_SIM_FOLDER) + "/librtZp903x.so");
}

inline void PrepareProgramFolder(const testsupport::ScratchFolder& folder, const std::string& virtualHardware) {
  namespace fs = std::filesystem;
  const std::string root = folder.Path();
  const std::string sim = QUORX_SIM_FOLDER;
  fs::create_directories(root + "/SYSTEM/ERLOGS");
  fs::create_directories(root + "/locks");
  fs::permissions(root + "/locks", fs::perms::owner_all);
  for (const char* library : {"librtZp903x.so", "libKr12V2_Dll.so", "libKr14P3_Dll.so"}) {
    fs::create_symlink(sim + "/" + library, root + "/" + library);
  }
  ASSERT_TRUE(testsupport::MakeFpgaImages(root + "/SYSTEM/HARDWARECONFIGURATION/KR20_BIN", sim));
  ASSERT_TRUE(testsupport::WriteWholeFile(root + "/VirtualHardware.cfg", virtualHardware));
  setenv("XDG_RUNTIME_DIR", (root + "/locks").c_str(), 1);
  setenv("QUORX_SIM_FOLDER", root.c_str(), 1);
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  setenv("ASAN_OPTIONS", "detect_leaks=0:abort_on_error=1", 1);
}

}  // namespace acceptance
