#pragma once
// Helpers shared by the card layer's tests.
#include <dlfcn.h>

#include <algorithm>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "card/fpga_image_header.h"
#include "support/log_capture.h"

namespace card {

// A copy of a (packed) record field, so that matchers never bind a reference to it.
template <class T>
T Value(T field) {
  return field;
}

// The folder of the simulated device libraries, built beside the test program; empty when the
// test program's own path cannot be read.
inline std::string SimFolder() {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : (self.parent_path() / "devicesim").string();
}

// Opens a simulated device library and resets it (it reads its configuration again); null when
// that fails. The caller closes the handle, or keeps it so that a later load binds this same state.
inline void* ResetSimLibrary(const std::string& sim, const std::string& file = "librtZp903x.so") {
  void* handle = dlopen((sim + "/" + file).c_str(), RTLD_NOW | RTLD_LOCAL);
  void* symbol = handle != nullptr ? dlsym(handle, "QuorxSim_Reset") : nullptr;
  if (symbol == nullptr) return nullptr;
  void (*reset)() = nullptr;
  std::memcpy(&reset, &symbol, sizeof reset);
  reset();
  return handle;
}

inline bool HasLine(const testsupport::LoggedProgramFolder& program, const std::string& text) {
  const std::vector<std::string> texts = program.LogTexts();
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

// Writes the sixteen personality images into the program's KR20_BIN folder, then removes those of
// the modes below `firstMode` (so that only the variant board's images remain, say).
inline bool MakeFpgaImages(const testsupport::LoggedProgramFolder& program, const std::string& sim, int firstMode = 0) {
  const std::string images = program / "SYSTEM/HARDWARECONFIGURATION/KR20_BIN";
  std::error_code error;
  std::filesystem::create_directories(images, error);
  const std::string command = "'" + sim + "/quorx_make_fpga_images' '" + images + "' >/dev/null 2>&1";
  if (std::system(command.c_str()) != 0) return false;
  for (int mode = 0; mode < firstMode; ++mode) std::filesystem::remove(images + "/" + FpgaImageFileName(mode), error);
  return true;
}

}  // namespace card
