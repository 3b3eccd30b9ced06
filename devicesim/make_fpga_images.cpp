// quorx_make_fpga_images <folder>: writes the sixteen personality images "Kr20_Mode00.VantMcs"
// .. "Kr20_Mode15.VantMcs" into the folder (made when missing). Each file is written whole to a
// temporary name and renamed, so a reader never sees half an image.
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "card/fpga_image_header.h"
#include "devicesim/personality.h"

namespace {

bool WriteImage(const std::filesystem::path& folder, int mode) {
  const card::FpgaImageHeader header = quorxsim::BuildImageHeader(mode);
  const std::vector<unsigned char> payload = quorxsim::BuildImagePayload(mode);
  const std::filesystem::path target = folder / card::FpgaImageFileName(mode);
  std::filesystem::path temporary = target;
  temporary += ".tmp";
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    char bytes[sizeof header];
    std::memcpy(bytes, &header, sizeof header);
    file.write(bytes, sizeof bytes);
    std::string body(payload.begin(), payload.end());
    file.write(body.data(), static_cast<std::streamsize>(body.size()));
    file.flush();
    if (!file) return false;
  }
  std::error_code error;
  std::filesystem::rename(temporary, target, error);
  if (error) {
    std::filesystem::remove(temporary, error);
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || argv[1][0] == '\0') {
    std::fprintf(stderr, "usage: quorx_make_fpga_images <folder>\n");
    return 2;
  }
  try {
    const std::filesystem::path folder(argv[1]);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!std::filesystem::is_directory(folder, error)) {
      std::fprintf(stderr, "quorx_make_fpga_images: cannot make folder %s\n", argv[1]);
      return 1;
    }
    for (int mode = 0; mode < card::kFpgaImageModeCount; ++mode) {
      if (!WriteImage(folder, mode)) {
        std::fprintf(stderr, "quorx_make_fpga_images: cannot write %s\n", card::FpgaImageFileName(mode).c_str());
        return 1;
      }
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "quorx_make_fpga_images: %s\n", e.what());
    return 1;
  }
  return 0;
}
