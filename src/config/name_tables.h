#pragma once
#include <array>
#include <string_view>

namespace config {

// Operation-mode names, index = mode code.
inline constexpr std::array<std::string_view, 10> CombiningModeNames{
    "FM-FM INDEPENDENT",  "PSK-PSK INDEPENDENT", "PSKFM INDEPENDENT",     "PM-PSK INDEPENDENT",
    "FM PRE-D COMBINER",  "PSK PRE-D COMBINER",  "FM POST-D COMBINER",    "PSK POST-D COMBINER",
    "MH-PSK PRE-D COMBINER", "MH-FM PRE-D COMBINER"};

// The codes a PCM encoder can produce.
inline constexpr std::array<std::string_view, 6> PcmEncoderCodeNames{"NRZL", "NRZM", "NRZS", "BIOL", "BIOM", "BIOS"};

// The codes a PCM decoder can take; "RNRZ-15" is NRZ-L with the 15-stage descrambler.
inline constexpr std::array<std::string_view, 13> PcmDecoderCodeNames{
    "NRZL", "NRZM", "NRZS", "BIOL", "BIOM", "BIOS", "RZ", "DBIOM", "DBIOS", "DMM", "DMS", "DMM2", "RNRZ-15"};

}  // namespace config
