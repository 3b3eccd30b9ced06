#pragma once
// What every entry point of the device libraries (the receiver-card library and the two
// down-converter libraries) returns, and the sizes of the texts and lists they exchange. Shared
// by the program and by the libraries that implement the entry lists, so it stays plain: ints,
// char arrays, no exceptions.
#include <cstddef>

namespace card {

// Status of a device call: 0 is success, every failure is negative. A failed call leaves its
// out-parameters untouched.
inline constexpr int kDevOk = 0;
inline constexpr int kDevBadCard = -1;          // card index outside the cards found, or card not open
inline constexpr int kDevBadChannel = -2;       // receiver, BERT, FPGA or channel index out of range
inline constexpr int kDevBadArgument = -3;      // null pointer, value out of range, unknown or too long a name
inline constexpr int kDevNotReady = -4;         // card closed, DCM link down, FPGA not loaded, entry missing
inline constexpr int kDevBufferTooSmall = -5;   // the result does not fit the capacity given
inline constexpr int kDevNotSupported = -6;     // the loaded personality has no such function block
inline constexpr int kDevFileError = -7;        // an FPGA image file cannot be read or is not an image
inline constexpr int kDevHardwareError = -8;    // the card did not answer as expected

// A name (of an enumerated setting, a pattern, a source ...) is at most 100 characters; buffers
// for one hold 101 bytes with the terminating NUL.
inline constexpr int kDevNameMaxLength = 100;
inline constexpr int kDevNameSize = kDevNameMaxLength + 1;
// A list entry fills at most this many names into the caller's array and reports the count.
inline constexpr int kDevListMaxNames = 64;

// One name of a list, as list entries fill it.
using DevName = char[kDevNameSize];

// The 32-bit user patterns of the BERTs travel as up to four bytes, first bit in the top bit of
// the first byte.
inline constexpr int kDevPatternMaxBytes = 4;
inline constexpr int kDevPatternMaxBits = 32;

// Each card carries two FPGAs (0 and 1).
inline constexpr int kDevFpgasPerCard = 2;

// A short fixed English text for a status, for log lines.
constexpr const char* DeviceStatusText(int status) {
  switch (status) {
    case kDevOk: return "ok";
    case kDevBadCard: return "bad card";
    case kDevBadChannel: return "bad channel";
    case kDevBadArgument: return "bad argument";
    case kDevNotReady: return "not ready";
    case kDevBufferTooSmall: return "buffer too small";
    case kDevNotSupported: return "not supported";
    case kDevFileError: return "file error";
    case kDevHardwareError: return "hardware error";
    default: return "unknown status";
  }
}

}  // namespace card
