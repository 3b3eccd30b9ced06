#pragma once
// Helpers shared by the card layer's tests.
#include <algorithm>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "card/fpga_image_header.h"
#include "support/devicesim_support.h"
#include "support/log_capture.h"

namespace card {

// A copy of a (packed) record field, so that matchers never bind a reference to it.
template <class T>
T Value(T field) {
  return field;
}

using testsupport::ResetSimLibrary;
using testsupport::SimFolder;

inline bool HasLine(const testsupport::LoggedProgramFolder& program, const std::string& text) {
  const std::vector<std::string> texts = program.LogTexts();
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

// Writes the sixteen personality images into the program's KR20_BIN folder, then removes those of
// the modes below `firstMode` (so that only the variant board's images remain, say).
inline bool MakeFpgaImages(const testsupport::LoggedProgramFolder& program, const std::string& sim, int firstMode = 0) {
  const std::string images = program / "SYSTEM/HARDWARECONFIGURATION/KR20_BIN";
  if (!testsupport::MakeFpgaImages(images, sim)) return false;
  std::error_code error;
  for (int mode = 0; mode < firstMode; ++mode) std::filesystem::remove(images + "/" + FpgaImageFileName(mode), error);
  return true;
}

}  // namespace card
