#pragma once
// The FPGA image files (".VantMcs") of the Kr20 personalities, and what the modules they load
// answer on the register bus. The program scans the images into the sixteen mode slots of a
// card by reading this header; the device library reads it again when it loads an image.
//
// File layout: one FpgaImageHeader (packed, little-endian, sizeof(FpgaImageHeader) bytes),
// then PayloadSize bytes of bitstream, nothing after them. A file is an image when it starts with
// the magic "QXVANTMC", carries format version kFpgaImageFormatVersion and the header size of
// this struct, every field lies in its range (IsValidFpgaImageHeader) and its size is exactly
// FpgaImageFileSize of its header.
//
// An image holds the bitstreams of both FPGAs of the card. Loaded into its target FPGA (0 for
// every personality) it configures the whole card: the target FPGA brings its partner up from
// the same image, the card info block takes CardInfo and both tables of contents are set.
// Loaded into the other FPGA it configures only that one.
//
// Registers: each FPGA has kFpgaRegisterCount 32-bit registers, numbered 0 .. 4095. FPGA 0
// also answers each register r at kFpga0WindowBase + r, the bus window its table of contents
// uses for the module base addresses; FPGA 1's window starts at 0. A module's register k is
// therefore read at (BaseAddress + k) of its table-of-contents entry, on its FPGA.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>
#include <string_view>
#include <type_traits>

#include "card/records/card_info_block.h"
#include "card/records/fpga_info_records.h"
#include "platform/regular_file.h"

namespace card {

inline constexpr char kFpgaImageMagic[8] = {'Q', 'X', 'V', 'A', 'N', 'T', 'M', 'C'};
inline constexpr std::uint16_t kFpgaImageFormatVersion = 1;
inline constexpr const char* kFpgaImageExtension = ".VantMcs";
inline constexpr int kFpgaImageModeCount = 16;      // modes 0 .. 15
inline constexpr int kFpgaImageTocEntries = 16;     // table-of-contents entries kept per FPGA
inline constexpr std::size_t kFpgaImageNameSize = 48;
inline constexpr std::uint32_t kFpgaImageMaxPayload = 16u << 20;

// The file name of the image of a mode: "Kr20_Mode00.VantMcs" .. "Kr20_Mode15.VantMcs".
inline std::string FpgaImageFileName(int mode) {
  std::string name = "Kr20_Mode00";
  if (mode >= 0 && mode < kFpgaImageModeCount) {
    name[9] = static_cast<char>('0' + mode / 10);
    name[10] = static_cast<char>('0' + mode % 10);
  }
  return name + kFpgaImageExtension;
}

#pragma pack(push, 1)
struct FpgaImageHeader {
  char Magic[8]{};                  // "QXVANTMC", no terminator
  std::uint16_t FormatVersion{};    // kFpgaImageFormatVersion
  std::uint16_t HeaderSize{};       // sizeof(FpgaImageHeader)
  std::int32_t FpgaMode{};          // personality 0 .. 15
  std::uint8_t ChipVariant{};       // 1: built for the chip-variant board (modes 4 .. 15)
  std::uint8_t PreDCombining{};     // 1: the personality holds a pre-detection combiner
  std::uint8_t PostDCombining{};    // 1: the personality holds a post-detection combiner
  std::uint8_t TargetFpga{};        // the FPGA the image is loaded into: 0 or 1
  char Name[kFpgaImageNameSize]{};  // e.g. "PSK-PSK PRE-D", NUL-terminated
  kr20cardinfo CardInfo{};          // the counts the card reports once the image runs
  std::int32_t TocCount[2]{};       // entries used in Toc[fpga], 0 .. kFpgaImageTocEntries
  FpgaDeviceEntry Toc[2][kFpgaImageTocEntries]{};
  std::uint32_t PayloadSize{};      // bitstream bytes after the header
  std::uint32_t PayloadChecksum{};  // FNV-1a (32 bit) of those bytes
};
#pragma pack(pop)

static_assert(std::is_trivially_copyable_v<FpgaImageHeader>);
static_assert(std::is_standard_layout_v<FpgaImageHeader>);
static_assert(offsetof(FpgaImageHeader, FormatVersion) == 8);
static_assert(offsetof(FpgaImageHeader, HeaderSize) == 10);
static_assert(offsetof(FpgaImageHeader, FpgaMode) == 12);
static_assert(offsetof(FpgaImageHeader, ChipVariant) == 16);
static_assert(offsetof(FpgaImageHeader, PreDCombining) == 17);
static_assert(offsetof(FpgaImageHeader, PostDCombining) == 18);
static_assert(offsetof(FpgaImageHeader, TargetFpga) == 19);
static_assert(offsetof(FpgaImageHeader, Name) == 20);
static_assert(offsetof(FpgaImageHeader, CardInfo) == 68);
static_assert(offsetof(FpgaImageHeader, TocCount) == 297);
static_assert(offsetof(FpgaImageHeader, Toc) == 305);
static_assert(offsetof(FpgaImageHeader, PayloadSize) == 1329);
static_assert(offsetof(FpgaImageHeader, PayloadChecksum) == 1333);
static_assert(sizeof(FpgaImageHeader) == 1337);

// FNV-1a over the payload bytes.
inline std::uint32_t FpgaImageChecksum(const unsigned char* bytes, std::size_t size) {
  std::uint32_t hash = 2166136261u;
  for (std::size_t i = 0; i < size; ++i) {
    hash ^= bytes[i];
    hash *= 16777619u;
  }
  return hash;
}

// True when every field lies in its range; the name must hold its terminator.
inline bool IsValidFpgaImageHeader(const FpgaImageHeader& header) {
  if (std::memcmp(header.Magic, kFpgaImageMagic, sizeof header.Magic) != 0) return false;
  if (header.FormatVersion != kFpgaImageFormatVersion) return false;
  if (header.HeaderSize != sizeof(FpgaImageHeader)) return false;
  if (header.FpgaMode < 0 || header.FpgaMode >= kFpgaImageModeCount) return false;
  if (header.ChipVariant > 1 || header.PreDCombining > 1 || header.PostDCombining > 1) return false;
  if (header.TargetFpga > 1) return false;
  if (std::memchr(header.Name, 0, sizeof header.Name) == nullptr) return false;
  for (int fpga = 0; fpga < 2; ++fpga) {
    const std::int32_t count = header.TocCount[fpga];  // packed: read by value
    if (count < 0 || count > kFpgaImageTocEntries) return false;
  }
  const std::int32_t counts[] = {header.CardInfo.NumModulators,     header.CardInfo.NumPskReceivers,
                                 header.CardInfo.NumFmReceivers,    header.CardInfo.NumPmReceivers,
                                 header.CardInfo.NumBerts,          header.CardInfo.NumTxBerts,
                                 header.CardInfo.NumFftChannels,    header.CardInfo.NumIqChannels,
                                 header.CardInfo.NumPreDCombiners,  header.CardInfo.NumPostDCombiners,
                                 header.CardInfo.NumMhCpmReceivers};
  for (std::int32_t count : counts) {
    if (count < 0 || count > 2) return false;
  }
  return header.PayloadSize <= kFpgaImageMaxPayload;
}

// The size of a whole image file: its header and the payload the header gives.
inline std::uint64_t FpgaImageFileSize(const FpgaImageHeader& header) {
  const std::uint32_t payload = header.PayloadSize;  // packed: read by value
  return sizeof(FpgaImageHeader) + std::uint64_t{payload};
}

// Reads the header of an image file. False, with `header` untouched, when the file is not a
// regular file (opened without blocking, so a FIFO in its place cannot stall a scan), cannot be
// read, is no image of this format, or is longer or shorter than its header says: a cut copy
// misses bitstream, and trailing bytes show a file that is not what its header describes.
inline bool ReadFpgaImageHeader(const std::string& path, FpgaImageHeader& header) {
  platform::ReadFileStatus status = platform::ReadFileStatus::kOk;
  std::string why;
  const int fd = platform::OpenRegularFile(path, sizeof(FpgaImageHeader) + kFpgaImageMaxPayload, status, why);
  if (fd < 0) return false;
  struct stat st {};
  char bytes[sizeof(FpgaImageHeader)];
  std::size_t got = 0;
  const bool sized = ::fstat(fd, &st) == 0;
  while (sized && got < sizeof bytes) {
    const ssize_t n = ::read(fd, bytes + got, sizeof bytes - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  ::close(fd);
  if (!sized || got != sizeof bytes) return false;
  FpgaImageHeader read{};
  std::memcpy(&read, bytes, sizeof read);
  if (!IsValidFpgaImageHeader(read)) return false;
  if (static_cast<std::uint64_t>(st.st_size) != FpgaImageFileSize(read)) return false;
  header = read;
  return true;
}

// ---- Modules of the images ----------------------------------------------------------------------

inline constexpr std::uint32_t kFpga0WindowBase = 0xA0000;
inline constexpr std::uint32_t kFpga1WindowBase = 0x00000;
inline constexpr std::uint32_t kFpgaRegisterCount = 4096;

// Hardware type numbers (FpgaDeviceEntry::DeviceTypeNumber).
inline constexpr std::uint32_t kDevTypeGpio = 0x001;
inline constexpr std::uint32_t kDevTypePskReceiver = 0x0A0;
inline constexpr std::uint32_t kDevTypeViterbi = 0x0A8;
inline constexpr std::uint32_t kDevTypeFmReceiver = 176;      // 0x0B0
inline constexpr std::uint32_t kDevTypeRouting = 0x0B8;       // FPGA-0 routing block, register 0xB00
inline constexpr std::uint32_t kDevTypePreDCombiner = 0x0BA;
inline constexpr std::uint32_t kDevTypePostDCombiner = 188;   // 0x0BC
inline constexpr std::uint32_t kDevTypePmReceiver = 0x0C0;
inline constexpr std::uint32_t kDevTypeMhCpmReceiver = 0x0D0;
inline constexpr std::uint32_t kDevTypeModulator = 0x0E0;
inline constexpr std::uint32_t kDevTypeBert = 0x100;
inline constexpr std::uint32_t kDevTypeTxBert = 0x110;
inline constexpr std::uint32_t kDevTypeFft = 0x200;
inline constexpr std::uint32_t kDevTypeIqFifo = 0x210;
inline constexpr std::uint32_t kDevTypeModSweep = 3584;       // 0xE00

// Module kinds (FpgaDeviceEntry::DeviceTypeCode) and their names; FpgaModuleKindName gives
// "UNKNOWN" for a code outside the table.
inline constexpr std::string_view kFpgaModuleKindNames[] = {
    "UNKNOWN", "GPIO",   "BERT",   "FIFO",   "DFP",      "PSKRX",    "FMRX",     "PMRX",
    "MHCPMRX", "VITERBI", "PREDCOMB", "POSTDCOMB", "TXBERT", "MODULATOR", "MODSWEEP", "ROUTING"};
enum FpgaModuleKind : std::int32_t {
  kModuleGpio = 1,
  kModuleBert = 2,
  kModuleFifo = 3,
  kModuleDfp = 4,  // the FFT engine
  kModulePskRx = 5,
  kModuleFmRx = 6,
  kModulePmRx = 7,
  kModuleMhCpmRx = 8,
  kModuleViterbi = 9,
  kModulePreDComb = 10,
  kModulePostDComb = 11,
  kModuleTxBert = 12,
  kModuleModulator = 13,
  kModuleModSweep = 14,
  kModuleRouting = 15,
};
constexpr std::string_view FpgaModuleKindName(std::int32_t code) {
  return code > 0 && code < static_cast<std::int32_t>(std::size(kFpgaModuleKindNames)) ? kFpgaModuleKindNames[code]
                                                                                         : kFpgaModuleKindNames[0];
}

// GPIO block (every FPGA): register offsets from its base.
namespace gpio_reg {
inline constexpr std::uint32_t kId = 0;            // reads kCardId
inline constexpr std::uint32_t kMode = 1;          // reads the loaded personality 0 .. 15
inline constexpr std::uint32_t kVersion = 2;       // major << 16 | minor
inline constexpr std::uint32_t kLoggingMask = 3;   // reads the library's logging mask of the card
inline constexpr std::uint32_t kCardId = 0x4B523230;  // "KR20"
}  // namespace gpio_reg

// Modulator sweep engine (type 3584). Frequencies are offsets from the modulator's IF carrier in
// whole Hz, two's complement. The engine moves the offset from START_OFFSET to STOP_OFFSET at
// RATE Hz/s and stops there (RUNNING clears, DONE sets); the modulator transmits carrier +
// offset until a reset brings the offset back to 0.
namespace modsweep_reg {
inline constexpr std::uint32_t kControl = 0;        // write: 1 start (or resume), 2 stop (hold), bit 31 reset
inline constexpr std::uint32_t kStatus = 1;         // read only: kStatusRunning, kStatusDone
inline constexpr std::uint32_t kRateHzPerSec = 2;   // 1 .. 20000
inline constexpr std::uint32_t kStartOffsetHz = 3;  // signed
inline constexpr std::uint32_t kStopOffsetHz = 4;   // signed
inline constexpr std::uint32_t kCurrentOffsetHz = 5;  // read only, signed
inline constexpr std::uint32_t kControlStart = 1;
inline constexpr std::uint32_t kControlStop = 2;
inline constexpr std::uint32_t kControlReset = 0x80000000u;
inline constexpr std::uint32_t kStatusRunning = 1u << 0;
inline constexpr std::uint32_t kStatusDone = 1u << 1;
}  // namespace modsweep_reg

// FM receiver module (type 176), one instance per PCM/FM receiver, FpgaInstance counted from 1
// in channel order.
namespace fmrx_reg {
inline constexpr std::uint32_t kControl = 0;
inline constexpr std::uint32_t kBitsyncConfidenceWeight = 1;
inline constexpr std::uint32_t kModIndexLockThreshold = 2;
inline constexpr std::uint32_t kStatus = 3;  // read only: kStatusBitSyncLocked, kStatusCarrierLocked
inline constexpr std::uint32_t kStatusBitSyncLocked = 1u << 0;
inline constexpr std::uint32_t kStatusCarrierLocked = 1u << 1;
}  // namespace fmrx_reg

// Post-detection combiner module (type 188). Its base on FPGA 0 is 0x500, so that its output
// capability register is FPGA-0 register 1284.
namespace postd_reg {
inline constexpr std::uint32_t kControl = 0;
inline constexpr std::uint32_t kFmConfidenceWeight = 1;
inline constexpr std::uint32_t kOutputCapability = 4;  // read only: kCombinedOutputOnCh2 in mode 12
inline constexpr std::uint32_t kCombinedOutputOnCh2 = 0xAAAAAAAAu;
inline constexpr std::uint32_t kCombinedOutputOnCh1Only = 0x55555555u;
}  // namespace postd_reg

// FPGA-0 routing register 0xB00: bit 0 enables the output selection of the post-D combiner,
// bit 1 then sends the combined output to channel 2 (BERT 2) instead of channel 1.
inline constexpr std::uint32_t kFpga0RoutingRegister = 0xB00;
inline constexpr std::uint32_t kRoutingSelectEnable = 1u << 0;
inline constexpr std::uint32_t kRoutingCombinedOnCh2 = 1u << 1;

}  // namespace card
