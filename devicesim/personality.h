#pragma once
// The sixteen Kr20 personalities (FPGA modes): which receiver family sits on each channel, which
// combiner and IQ channels the image holds, and the image header that describes it. The image
// generator writes these headers; the library uses the family table once an image is loaded.
#include <cstdint>
#include <vector>

#include "card/fpga_image_header.h"

namespace quorxsim {

enum class Family : std::uint8_t { None, Psk, Fm, Pm, MhCpm };

struct Personality {
  int mode = 0;
  const char* name = "";
  bool variant = false;
  Family channel[2]{};
  bool preD = false;
  bool postD = false;
  bool iq[2]{};  // channels with an IQ capture
};

// The personality of a mode 0 .. 15 (mode 0 for anything else).
const Personality& PersonalityOf(int mode);

// The full header of the mode's image, payload fields included.
card::FpgaImageHeader BuildImageHeader(int mode);
// The bitstream bytes that follow the header.
std::vector<unsigned char> BuildImagePayload(int mode);

}  // namespace quorxsim
