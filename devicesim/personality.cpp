#include "devicesim/personality.h"

#include <array>
#include <cstddef>
#include <cstring>

namespace quorxsim {
namespace {

constexpr Family P = Family::Psk;
constexpr Family F = Family::Fm;
constexpr Family M = Family::Pm;
constexpr Family C = Family::MhCpm;

// IQ capture exists only behind PSK receivers; with a PM or multi-h CPM receiver on channel 0
// the single IQ channel serves channel 1. The standard board's PSK-PSK image holds the pre-D
// combiner its "PSK PRE-D COMBINER" mode runs on. Its PSK-FM image carries one too, but with a
// single FM receiver it runs no "FM PRE-D COMBINER": the program offers that mode on the variant
// board's FM-FM pre-D image only.
constexpr std::array<Personality, 16> kPersonalities{{
    {0, "PSK-PSK", false, {P, P}, true, false, {true, true}},
    {1, "PSK-FM", false, {P, F}, true, false, {true, false}},
    {2, "FM-FM", false, {F, F}, false, false, {false, false}},
    {3, "PM-PSK", false, {M, P}, false, false, {false, true}},
    {4, "PSK-PSK V", true, {P, P}, false, false, {true, true}},
    {5, "PSK-PSK V PRE-D", true, {P, P}, true, false, {true, true}},
    {6, "PSK-PSK V POST-D", true, {P, P}, false, true, {true, true}},
    {7, "PSK-FM V", true, {P, F}, false, false, {true, false}},
    {8, "PSK-FM V PRE-D", true, {P, F}, true, false, {true, false}},
    {9, "PSK-FM V POST-D", true, {P, F}, false, true, {true, false}},
    {10, "FM-FM V", true, {F, F}, false, false, {false, false}},
    {11, "FM-FM V PRE-D", true, {F, F}, true, false, {false, false}},
    {12, "FM-FM V POST-D", true, {F, F}, false, true, {false, false}},
    {13, "PM-PSK V", true, {M, P}, false, false, {false, true}},
    {14, "MHCPM-PSK V PRE-D", true, {C, P}, true, false, {false, true}},
    {15, "MHCPM-FM V PRE-D", true, {C, F}, true, false, {false, false}},
}};

struct TocBuilder {
  card::FpgaImageHeader& header;
  int fpga;
  std::uint32_t windowBase;
  int mode;

  void Add(std::uint32_t type, std::int32_t kind, std::uint32_t offset) {
    // A packed field is copied, never bound to a reference.
    const std::int32_t count = header.TocCount[fpga];
    if (count >= card::kFpgaImageTocEntries) return;
    std::int32_t instance = 1;
    for (int i = 0; i < count; ++i) instance += header.Toc[fpga][i].DeviceTypeNumber == type ? 1 : 0;
    card::FpgaDeviceEntry& entry = header.Toc[fpga][count];
    entry.TocEntry = count + 1;
    entry.DeviceTypeNumber = type;
    entry.MajorVersion = 2;
    entry.MinorVersion = mode;
    entry.BaseAddress = windowBase + offset;
    entry.FpgaInstance = instance;
    entry.CardInstance = 0;  // the library fills in the card when it loads the image
    entry.DeviceTypeCode = kind;
    header.TocCount[fpga] = count + 1;
  }
};

void AddReceiver(TocBuilder& toc, Family family, std::uint32_t offset) {
  switch (family) {
    case Family::Psk: toc.Add(card::kDevTypePskReceiver, card::kModulePskRx, offset); break;
    case Family::Fm: toc.Add(card::kDevTypeFmReceiver, card::kModuleFmRx, offset); break;
    case Family::Pm: toc.Add(card::kDevTypePmReceiver, card::kModulePmRx, offset); break;
    case Family::MhCpm: toc.Add(card::kDevTypeMhCpmReceiver, card::kModuleMhCpmRx, offset); break;
    case Family::None: break;
  }
}

}  // namespace

const Personality& PersonalityOf(int mode) {
  return mode >= 0 && mode < static_cast<int>(kPersonalities.size()) ? kPersonalities[static_cast<std::size_t>(mode)]
                                                                     : kPersonalities[0];
}

card::FpgaImageHeader BuildImageHeader(int mode) {
  const Personality& p = PersonalityOf(mode);
  card::FpgaImageHeader header{};
  std::memcpy(header.Magic, card::kFpgaImageMagic, sizeof header.Magic);
  header.FormatVersion = card::kFpgaImageFormatVersion;
  header.HeaderSize = sizeof(card::FpgaImageHeader);
  header.FpgaMode = p.mode;
  header.ChipVariant = p.variant ? 1 : 0;
  header.PreDCombining = p.preD ? 1 : 0;
  header.PostDCombining = p.postD ? 1 : 0;
  header.TargetFpga = 0;
  std::strncpy(header.Name, p.name, sizeof header.Name - 1);

  card::kr20cardinfo& info = header.CardInfo;
  info.NumModulators = 1;
  for (Family f : p.channel) {
    info.NumPskReceivers += f == Family::Psk ? 1 : 0;
    info.NumFmReceivers += f == Family::Fm ? 1 : 0;
    info.NumPmReceivers += f == Family::Pm ? 1 : 0;
    info.NumMhCpmReceivers += f == Family::MhCpm ? 1 : 0;
  }
  info.NumBerts = 2;
  info.NumTxBerts = 2;
  info.NumFftChannels = 2;
  info.NumIqChannels = (p.iq[0] ? 1 : 0) + (p.iq[1] ? 1 : 0);
  info.NumPreDCombiners = p.preD ? 1 : 0;
  info.NumPostDCombiners = p.postD ? 1 : 0;

  // FPGA 0: the receivers, their decoders and the combiners.
  TocBuilder fpga0{header, 0, card::kFpga0WindowBase, p.mode};
  fpga0.Add(card::kDevTypeGpio, card::kModuleGpio, 0x000);
  AddReceiver(fpga0, p.channel[0], 0x100);
  AddReceiver(fpga0, p.channel[1], 0x180);
  for (int ch = 0; ch < 2; ++ch) {
    if (p.channel[ch] == Family::Psk || p.channel[ch] == Family::Fm) {
      fpga0.Add(card::kDevTypeViterbi, card::kModuleViterbi, 0x200 + 0x40 * static_cast<std::uint32_t>(ch));
    }
  }
  if (p.preD) fpga0.Add(card::kDevTypePreDCombiner, card::kModulePreDComb, 0x400);
  if (p.postD) fpga0.Add(card::kDevTypePostDCombiner, card::kModulePostDComb, 0x500);
  fpga0.Add(card::kDevTypeRouting, card::kModuleRouting, card::kFpga0RoutingRegister);

  // FPGA 1: the test modulator with its sweep engine, the BERTs, FFT and IQ capture.
  TocBuilder fpga1{header, 1, card::kFpga1WindowBase, p.mode};
  fpga1.Add(card::kDevTypeGpio, card::kModuleGpio, 0x000);
  fpga1.Add(card::kDevTypeModulator, card::kModuleModulator, 0x100);
  fpga1.Add(card::kDevTypeModSweep, card::kModuleModSweep, 0x180);
  fpga1.Add(card::kDevTypeBert, card::kModuleBert, 0x200);
  fpga1.Add(card::kDevTypeBert, card::kModuleBert, 0x240);
  fpga1.Add(card::kDevTypeTxBert, card::kModuleTxBert, 0x280);
  fpga1.Add(card::kDevTypeTxBert, card::kModuleTxBert, 0x2C0);
  fpga1.Add(card::kDevTypeFft, card::kModuleDfp, 0x300);
  fpga1.Add(card::kDevTypeFft, card::kModuleDfp, 0x340);
  for (int ch = 0; ch < 2; ++ch) {
    if (p.iq[ch]) fpga1.Add(card::kDevTypeIqFifo, card::kModuleFifo, 0x380 + 0x40 * static_cast<std::uint32_t>(ch));
  }

  const std::vector<unsigned char> payload = BuildImagePayload(mode);
  header.PayloadSize = static_cast<std::uint32_t>(payload.size());
  header.PayloadChecksum = card::FpgaImageChecksum(payload.data(), payload.size());
  return header;
}

std::vector<unsigned char> BuildImagePayload(int mode) {
  // A stand-in bitstream: a sync word and a pseudo-random fill that differs per mode.
  std::vector<unsigned char> bytes(512);
  const unsigned char sync[] = {0xAA, 0x99, 0x55, 0x66};
  std::memcpy(bytes.data(), sync, sizeof sync);
  std::uint32_t state = 0x9E3779B9u ^ static_cast<std::uint32_t>(PersonalityOf(mode).mode);
  for (std::size_t i = sizeof sync; i < bytes.size(); ++i) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    bytes[i] = static_cast<unsigned char>(state >> 24);
  }
  return bytes;
}

}  // namespace quorxsim
