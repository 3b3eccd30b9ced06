#pragma once
// The simulated device libraries from a test: where they were built, resetting their state and
// writing the FPGA personality images into a program folder.
#include <dlfcn.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

namespace testsupport {

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

// Writes the sixteen personality images into `imageFolder` (made when missing).
inline bool MakeFpgaImages(const std::string& imageFolder, const std::string& sim) {
  std::error_code error;
  std::filesystem::create_directories(imageFolder, error);
  const std::string command = "'" + sim + "/quorx_make_fpga_images' '" + imageFolder + "' >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

}  // namespace testsupport
