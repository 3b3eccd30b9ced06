// librtZp903x.so: every entry of card/device_api.def on the simulated cards, plus three test
// hooks. Each entry checks, in this order: the card index and open state (kDevBadCard), the
// unit index (kDevBadChannel), a loaded personality (kDevNotReady), that the personality has
// the unit (kDevNotSupported), then its arguments (kDevBadArgument, kDevBufferTooSmall). A
// failed call writes nothing; nothing escapes the C boundary.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "card/device_exports.h"
#include "devicesim/sim_names.h"
#include "devicesim/simulator.h"

using namespace quorxsim;
using card::kDevBadArgument;
using card::kDevBadChannel;
using card::kDevBufferTooSmall;
using card::kDevNotReady;
using card::kDevNotSupported;
using card::kDevOk;

namespace {

constexpr std::size_t kMaxPathLength = 4095;

// ---- Boundary -----------------------------------------------------------------------------------

template <class Body>
int Guard(Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return card::kDevHardwareError;
  }
}

// Entry points that only read pass Access::kRead; any other counts as a change of the card.
template <Access kAccess = Access::kWrite, class Body>
int OnCard(int cardIndex, Body&& body) noexcept {
  return Guard([&] { return Simulator::Instance().WithCard(cardIndex, true, body, kAccess); });
}

bool ValidUnit(int unit) { return unit == 0 || unit == 1; }

template <Access kAccess = Access::kWrite, class Body>
int OnRx(int cardIndex, int unit, Family family, Body&& body) noexcept {
  return OnCard<kAccess>(cardIndex, [&](Card& c) -> int {
    if (!ValidUnit(unit)) return kDevBadChannel;
    if (!c.HasPersonality()) return kDevNotReady;
    Receiver& r = c.rx[static_cast<std::size_t>(unit)];
    if (r.family != family) return kDevNotSupported;
    return body(c, r);
  });
}

// The PM receiver's bit synchroniser loops are set and read through the PSK stream-1 entries, as
// on the card; every other PSK entry stays the PSK receiver's own.
template <Access kAccess = Access::kWrite, class Body>
int OnBitSyncLoops(int cardIndex, int unit, Body&& body) noexcept {
  return OnCard<kAccess>(cardIndex, [&](Card& c) -> int {
    if (!ValidUnit(unit)) return kDevBadChannel;
    if (!c.HasPersonality()) return kDevNotReady;
    Receiver& r = c.rx[static_cast<std::size_t>(unit)];
    if (r.family != Family::Psk && r.family != Family::Pm) return kDevNotSupported;
    return body(r.bitSync[0]);
  });
}

template <Access kAccess = Access::kWrite, class Body>
int OnModulator(int cardIndex, Body&& body) noexcept {
  return OnCard<kAccess>(cardIndex, [&](Card& c) -> int {
    if (!c.HasPersonality()) return kDevNotReady;
    return body(c, c.mod);
  });
}

template <Access kAccess = Access::kWrite, class Body>
int OnEncoder(int cardIndex, int encoder, Body&& body) noexcept {
  return OnModulator<kAccess>(cardIndex, [&](Card&, Modulator& m) { return body(m.encoder[static_cast<std::size_t>(encoder)]); });
}

template <Access kAccess = Access::kWrite, class Body>
int OnPreD(int cardIndex, Body&& body) noexcept {
  return OnCard<kAccess>(cardIndex, [&](Card& c) -> int {
    if (!c.HasPersonality()) return kDevNotReady;
    if (!c.PersonalityInfo()->preD) return kDevNotSupported;
    return body(c, c.preD);
  });
}

template <Access kAccess = Access::kWrite, class Body>
int OnPostD(int cardIndex, Body&& body) noexcept {
  return OnCard<kAccess>(cardIndex, [&](Card& c) -> int {
    if (!c.HasPersonality()) return kDevNotReady;
    if (!c.PersonalityInfo()->postD) return kDevNotSupported;
    return body(c, c.postD);
  });
}

template <Access kAccess = Access::kWrite, class Body>
int OnBert(int cardIndex, int unit, Body&& body) noexcept {
  return OnCard<kAccess>(cardIndex, [&](Card& c) -> int {
    if (!ValidUnit(unit)) return kDevBadChannel;
    if (!c.HasPersonality()) return kDevNotReady;
    return body(c, c.bert[static_cast<std::size_t>(unit)]);
  });
}

template <Access kAccess = Access::kWrite, class Body>
int OnTxBert(int cardIndex, int unit, Body&& body) noexcept {
  return OnCard<kAccess>(cardIndex, [&](Card& c) -> int {
    if (!ValidUnit(unit)) return kDevBadChannel;
    if (!c.HasPersonality()) return kDevNotReady;
    return body(c.txBert[static_cast<std::size_t>(unit)]);
  });
}

template <Access kAccess = Access::kWrite, class Body>
int OnFft(int cardIndex, int unit, Body&& body) noexcept {
  return OnCard<kAccess>(cardIndex, [&](Card& c) -> int {
    if (!ValidUnit(unit)) return kDevBadChannel;
    if (!c.HasPersonality()) return kDevNotReady;
    return body(c, c.fft[static_cast<std::size_t>(unit)]);
  });
}

template <Access kAccess = Access::kWrite, class Body>
int OnIq(int cardIndex, int unit, Body&& body) noexcept {
  return OnCard<kAccess>(cardIndex, [&](Card& c) -> int {
    if (!ValidUnit(unit)) return kDevBadChannel;
    if (!c.HasPersonality()) return kDevNotReady;
    if (!c.PersonalityInfo()->iq[unit]) return kDevNotSupported;
    return body(c, c.iq[static_cast<std::size_t>(unit)]);
  });
}

template <Access kAccess = Access::kWrite, class Body>
int OnFpga(int cardIndex, int fpga, Body&& body) noexcept {
  return OnCard<kAccess>(cardIndex, [&](Card& c) -> int {
    if (!ValidUnit(fpga)) return kDevBadChannel;
    return body(c);
  });
}

// ---- Results and arguments ------------------------------------------------------------------------

int PutNumber(double* out, double value) {
  if (out == nullptr) return kDevBadArgument;
  *out = value;
  return kDevOk;
}

int PutInt(int* out, int value) {
  if (out == nullptr) return kDevBadArgument;
  *out = value;
  return kDevOk;
}

int PutFlag(int* out, bool value) { return PutInt(out, value ? 1 : 0); }

int PutText(char* text, int capacity, std::string_view value) {
  if (text == nullptr || capacity < 0) return kDevBadArgument;
  if (value.size() + 1 > static_cast<std::size_t>(capacity)) return kDevBufferTooSmall;
  std::memcpy(text, value.data(), value.size());
  text[value.size()] = '\0';
  return kDevOk;
}

int PutList(card::DevName* names, int capacity, int* count, NameList list) {
  if (names == nullptr || count == nullptr || capacity < 0) return kDevBadArgument;
  if (list.size() > static_cast<std::size_t>(capacity)) return kDevBufferTooSmall;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const std::size_t length = std::min(list[i].size(), static_cast<std::size_t>(card::kDevNameMaxLength));
    std::memcpy(names[i], list[i].data(), length);
    names[i][length] = '\0';
  }
  *count = static_cast<int>(list.size());
  return kDevOk;
}

const char* LockText(bool locked) { return locked ? "LOCKED" : "UNLOCKED"; }

int TakeName(const char* name, NameList list, std::string& field) {
  if (name == nullptr) return kDevBadArgument;
  const std::size_t length = strnlen(name, static_cast<std::size_t>(card::kDevNameSize));
  if (length > static_cast<std::size_t>(card::kDevNameMaxLength)) return kDevBadArgument;
  const std::string_view value(name, length);
  if (!InList(list, value)) return kDevBadArgument;
  field.assign(value);
  return kDevOk;
}

int TakeNumber(double value, double low, double high, double& field) {
  if (!(value >= low && value <= high)) return kDevBadArgument;  // NaN fails too
  field = value;
  return kDevOk;
}

int TakeInt(int value, int low, int high, int& field) {
  if (value < low || value > high) return kDevBadArgument;
  field = value;
  return kDevOk;
}

int TakeFlag(int on, bool& field) {
  if (on != 0 && on != 1) return kDevBadArgument;
  field = on == 1;
  return kDevOk;
}

// A changed setting that makes the receiver search again.
int Reacquire(int status, Receiver& r) {
  if (status == kDevOk) r.RestartAcquisition();
  return status;
}

int PutPattern(const std::array<unsigned char, 4>& pattern, int bits, unsigned char* out, int capacity,
               int* lengthBits) {
  if (out == nullptr || lengthBits == nullptr || capacity < 0) return kDevBadArgument;
  const int bytes = (bits + 7) / 8;
  if (capacity < bytes) return kDevBufferTooSmall;
  std::memcpy(out, pattern.data(), static_cast<std::size_t>(bytes));
  *lengthBits = bits;
  return kDevOk;
}

int TakePattern(const unsigned char* in, int bits, std::array<unsigned char, 4>& pattern, int& patternBits) {
  if (in == nullptr || bits < 1 || bits > card::kDevPatternMaxBits) return kDevBadArgument;
  std::array<unsigned char, 4> taken{};
  const int bytes = (bits + 7) / 8;
  std::memcpy(taken.data(), in, static_cast<std::size_t>(bytes));
  // Bits past the length are not part of the pattern.
  const int spare = bytes * 8 - bits;
  taken[static_cast<std::size_t>(bytes - 1)] =
      static_cast<unsigned char>(taken[static_cast<std::size_t>(bytes - 1)] & (0xFFu << spare));
  pattern = taken;
  patternBits = bits;
  return kDevOk;
}

NameList InputSourcesOf(const Card& c) {
  return c.PersonalityInfo()->preD ? NameList(kIfInputsWithCombiner) : NameList(kIfInputsOnly);
}

// ---- Ranges -----------------------------------------------------------------------------------------
constexpr double kMaxIfHz = 200e6;
constexpr double kMaxAcqRangeHz = 20e6;
constexpr double kMinRate = 1.0;
constexpr double kMaxLoopHz = 10e6;
constexpr Family kPsk = Family::Psk;
constexpr Family kFm = Family::Fm;
constexpr Family kPm = Family::Pm;

}  // namespace

// Receiver entries of one shape, spelled once.
#define QX_RX_NUMBER_GET(fn, family, expr)                                                              \
  extern "C" int Zp90_##fn(int card, int rx, double* out) {                                            \
    return OnRx<Access::kRead>(card, rx, family, [&]([[maybe_unused]] Card& c, [[maybe_unused]] Receiver& r) { \
      return PutNumber(out, (expr));                                                                   \
    });                                                                                                \
  }
#define QX_RX_NUMBER_SET(fn, family, low, high, field, reacquire)                                        \
  extern "C" int Zp90_##fn(int card, int rx, double value) {                                           \
    return OnRx(card, rx, family, [&](Card&, Receiver& r) {                                            \
      const int status = TakeNumber(value, low, high, r.field);                                        \
      return reacquire ? Reacquire(status, r) : status;                                                \
    });                                                                                                \
  }
#define QX_RX_TEXT_GET(fn, family, expr)                                                                \
  extern "C" int Zp90_##fn(int card, int rx, char* text, int capacity) {                               \
    return OnRx<Access::kRead>(card, rx, family, [&]([[maybe_unused]] Card& c, [[maybe_unused]] Receiver& r) { \
      return PutText(text, capacity, (expr));                                                          \
    });                                                                                                \
  }
#define QX_RX_NAME_SET(fn, family, list, field, reacquire)                                               \
  extern "C" int Zp90_##fn(int card, int rx, const char* name) {                                       \
    return OnRx(card, rx, family, [&](Card&, Receiver& r) {                                            \
      const int status = TakeName(name, list, r.field);                                                \
      return reacquire ? Reacquire(status, r) : status;                                                \
    });                                                                                                \
  }
#define QX_RX_FLAG_GET(fn, family, expr)                                                                \
  extern "C" int Zp90_##fn(int card, int rx, int* on) {                                                \
    return OnRx<Access::kRead>(card, rx, family, [&](Card&, [[maybe_unused]] Receiver& r) { return PutFlag(on, (expr)); }); \
  }
#define QX_RX_FLAG_SET(fn, family, field, reacquire)                                                     \
  extern "C" int Zp90_##fn(int card, int rx, int on) {                                                 \
    return OnRx(card, rx, family, [&](Card&, Receiver& r) {                                            \
      const int status = TakeFlag(on, r.field);                                                        \
      return reacquire ? Reacquire(status, r) : status;                                                \
    });                                                                                                \
  }
#define QX_RX_LIST_GET(fn, family, listExpr)                                                            \
  extern "C" int Zp90_##fn(int card, int rx, card::DevName* names, int capacity, int* count) {         \
    return OnRx<Access::kRead>(card, rx, family, [&]([[maybe_unused]] Card& c, Receiver&) {             \
      return PutList(names, capacity, count, (listExpr));                                              \
    });                                                                                                \
  }
#define QX_RX_RESTART(fn, family)                                                                       \
  extern "C" int Zp90_##fn(int card, int rx) {                                                         \
    return OnRx(card, rx, family, [&](Card&, Receiver& r) {                                            \
      r.RestartAcquisition();                                                                          \
      return kDevOk;                                                                                   \
    });                                                                                                \
  }

// A loop setting of bit sync 1 of a PSK or PM receiver (OnBitSyncLoops), in percent of the bit rate.
#define QX_BS_LOOP_NUMBER(getFn, setFn, field)                                                          \
  extern "C" int Zp90_##getFn(int card, int rx, double* out) {                                         \
    return OnBitSyncLoops<Access::kRead>(card, rx, [&](BitSync& b) { return PutNumber(out, b.field); }); \
  }                                                                                                    \
  extern "C" int Zp90_##setFn(int card, int rx, double value) {                                        \
    return OnBitSyncLoops(card, rx, [&](BitSync& b) { return TakeNumber(value, 0.001, 100.0, b.field); }); \
  }

// Card-wide units (test modulator, combiners) of one shape.
#define QX_CARD_NUMBER_GET(fn, on, Unit, expr)                                                          \
  extern "C" int Zp90_##fn(int card, double* out) {                                                    \
    return on<Access::kRead>(card, [&]([[maybe_unused]] Card& c, [[maybe_unused]] Unit& u) { return PutNumber(out, (expr)); }); \
  }
#define QX_CARD_NUMBER_SET(fn, on, Unit, low, high, field)                                              \
  extern "C" int Zp90_##fn(int card, double value) {                                                   \
    return on(card, [&](Card&, Unit& u) { return TakeNumber(value, low, high, u.field); });            \
  }
#define QX_CARD_TEXT_GET(fn, on, Unit, field)                                                           \
  extern "C" int Zp90_##fn(int card, char* text, int capacity) {                                       \
    return on<Access::kRead>(card, [&](Card&, Unit& u) { return PutText(text, capacity, u.field); });   \
  }
#define QX_CARD_NAME_SET(fn, on, Unit, list, field)                                                     \
  extern "C" int Zp90_##fn(int card, const char* name) {                                               \
    return on(card, [&](Card&, Unit& u) { return TakeName(name, list, u.field); });                    \
  }
#define QX_CARD_FLAG_GET(fn, on, Unit, field)                                                           \
  extern "C" int Zp90_##fn(int card, int* out) {                                                       \
    return on<Access::kRead>(card, [&](Card&, Unit& u) { return PutFlag(out, u.field); });              \
  }
#define QX_CARD_FLAG_SET(fn, on, Unit, field)                                                           \
  extern "C" int Zp90_##fn(int card, int value) {                                                      \
    return on(card, [&](Card&, Unit& u) { return TakeFlag(value, u.field); });                         \
  }
#define QX_CARD_LIST_GET(fn, on, Unit, list)                                                            \
  extern "C" int Zp90_##fn(int card, card::DevName* names, int capacity, int* count) {                 \
    return on<Access::kRead>(card, [&](Card&, Unit&) { return PutList(names, capacity, count, list); }); \
  }

// PCM encoder entries, once per encoder.
#define QX_ENCODER_TEXT(getFn, setFn, index, list, field)                                               \
  extern "C" int Zp90_##getFn(int card, char* text, int capacity) {                                    \
    return OnEncoder<Access::kRead>(card, index, [&](PcmEncoder& e) { return PutText(text, capacity, e.field); }); \
  }                                                                                                    \
  extern "C" int Zp90_##setFn(int card, const char* name) {                                            \
    return OnEncoder(card, index, [&](PcmEncoder& e) { return TakeName(name, list, e.field); });       \
  }
#define QX_ENCODER_FLAG(getFn, setFn, index, field)                                                     \
  extern "C" int Zp90_##getFn(int card, int* on) {                                                     \
    return OnEncoder<Access::kRead>(card, index, [&](PcmEncoder& e) { return PutFlag(on, e.field); });  \
  }                                                                                                    \
  extern "C" int Zp90_##setFn(int card, int on) {                                                      \
    return OnEncoder(card, index, [&](PcmEncoder& e) { return TakeFlag(on, e.field); });               \
  }
#define QX_ENCODER_LIST(fn, list)                                                                       \
  extern "C" int Zp90_##fn(int card, card::DevName* names, int capacity, int* count) {                 \
    return OnModulator<Access::kRead>(card, [&](Card&, Modulator&) { return PutList(names, capacity, count, list); }); \
  }

// ---- Library and card -------------------------------------------------------------------------------

extern "C" int Zp90_Lib_GetApiVersion(int* version) {
  return Guard([&] { return PutInt(version, card::kZp90ApiVersion); });
}

extern "C" int Zp90_Card_GetCount(int* count) {
  return Guard([&] {
    if (count == nullptr) return kDevBadArgument;
    *count = Simulator::Instance().CardCount();
    return kDevOk;
  });
}

extern "C" int Zp90_Card_Open(int card) {
  return Guard([&] {
    return Simulator::Instance().WithCard(card, false, [](Card& c) {
      c.open = true;
      return kDevOk;
    });
  });
}

extern "C" int Zp90_Card_Close(int card) {
  return Guard([&] {
    return Simulator::Instance().WithCard(card, false, [](Card& c) {
      c.open = false;
      return kDevOk;
    });
  });
}

extern "C" int Zp90_Card_GetInfoBlock(int card, void* block, int capacity) {
  return OnCard<Access::kRead>(card, [&](Card& c) {
    if (block == nullptr || capacity < 0) return kDevBadArgument;
    if (capacity < static_cast<int>(sizeof(card::kr20cardinfo))) return kDevBufferTooSmall;
    std::memcpy(block, &c.Info(), sizeof(card::kr20cardinfo));
    return kDevOk;
  });
}

extern "C" int Zp90_Card_GetChipVariant(int card, int* variant) {
  return OnCard<Access::kRead>(card, [&](Card& c) { return PutFlag(variant, c.ChipVariant()); });
}

extern "C" int Zp90_Card_GetMaxDataRate(int card, std::uint32_t* bitsPerSecond) {
  return OnCard<Access::kRead>(card, [&](Card&) {
    if (bitsPerSecond == nullptr) return kDevBadArgument;
    *bitsPerSecond = static_cast<std::uint32_t>(kMaxDataRate);
    return kDevOk;
  });
}

extern "C" int Zp90_Card_GetDcmLinkState(int card, int* up) {
  // The clock manager runs while the card is open.
  return OnCard<Access::kRead>(card, [&](Card& c) { return PutFlag(up, c.open); });
}

extern "C" int Zp90_Card_LoadFpgaImage(int card, int fpga, const char* path) {
  return OnFpga(card, fpga, [&](Card& c) {
    if (path == nullptr) return kDevBadArgument;
    const std::size_t length = strnlen(path, kMaxPathLength + 1);
    if (length == 0 || length > kMaxPathLength) return kDevBadArgument;
    return c.LoadImage(fpga, std::string(path, length));
  });
}

extern "C" int Zp90_Card_GetFpgaLoaded(int card, int fpga, int* loaded) {
  return OnFpga<Access::kRead>(card, fpga, [&](Card& c) { return PutFlag(loaded, c.FpgaLoaded(fpga)); });
}

extern "C" int Zp90_Card_GetFpgaTocCount(int card, int fpga, int* count) {
  return OnFpga<Access::kRead>(card, fpga, [&](Card& c) { return PutInt(count, c.TocCount(fpga)); });
}

extern "C" int Zp90_Card_GetFpgaTocEntry(int card, int fpga, int index, int* tocEntry, std::uint32_t* deviceTypeNumber,
                                         int* majorVersion, int* minorVersion, std::uint32_t* baseAddress,
                                         int* fpgaInstance, int* cardInstance, int* deviceTypeCode) {
  return OnFpga<Access::kRead>(card, fpga, [&](Card& c) {
    if (tocEntry == nullptr || deviceTypeNumber == nullptr || majorVersion == nullptr || minorVersion == nullptr ||
        baseAddress == nullptr || fpgaInstance == nullptr || cardInstance == nullptr || deviceTypeCode == nullptr) {
      return kDevBadArgument;
    }
    if (index < 0 || index >= c.TocCount(fpga)) return kDevBadArgument;
    const card::FpgaDeviceEntry& e = c.TocEntry(fpga, index);
    *tocEntry = e.TocEntry;
    *deviceTypeNumber = e.DeviceTypeNumber;
    *majorVersion = e.MajorVersion;
    *minorVersion = e.MinorVersion;
    *baseAddress = e.BaseAddress;
    *fpgaInstance = e.FpgaInstance;
    *cardInstance = e.CardInstance;
    *deviceTypeCode = e.DeviceTypeCode;
    return kDevOk;
  });
}

extern "C" int Zp90_Card_SetAllLoggingMasks(int card, std::uint32_t mask) {
  return OnCard(card, [&](Card& c) {
    if ((mask & ~0xFFF0u) != 0) return kDevBadArgument;  // levels live in bits 15 .. 4
    c.loggingMask = mask;
    return kDevOk;
  });
}

extern "C" int Zp90_Dtrd_PeekRegOnFpga(int card, int fpga, std::uint32_t firstRegister, std::uint32_t* values,
                                       int count) {
  return OnFpga<Access::kRead>(card, fpga, [&](Card& c) {
    if (values == nullptr || count < 1 || count > static_cast<int>(card::kFpgaRegisterCount)) return kDevBadArgument;
    return c.Peek(fpga, firstRegister, values, count);
  });
}

extern "C" int Zp90_Dtrd_PokeRegOnFpga(int card, int fpga, std::uint32_t reg, std::uint32_t value) {
  // The card tells a change from a register written with the value it holds (Card::Poke).
  return OnFpga<Access::kRead>(card, fpga, [&](Card& c) { return c.Poke(fpga, reg, value); });
}

constexpr int kMaxDacSource = 15;

extern "C" int Zp90_Card_GetBasebandDacSource(int card, int dac, int* source) {
  return OnFpga<Access::kRead>(card, dac, [&](Card& c) { return PutInt(source, c.basebandDacSource[static_cast<std::size_t>(dac)]); });
}
extern "C" int Zp90_Card_SetBasebandDacSource(int card, int dac, int source) {
  return OnFpga(card, dac, [&](Card& c) {
    if (!c.HasPersonality()) return kDevNotReady;
    return TakeInt(source, 0, kMaxDacSource, c.basebandDacSource[static_cast<std::size_t>(dac)]);
  });
}

// ---- Test modulator ---------------------------------------------------------------------------------

QX_CARD_LIST_GET(GetMod_GetAvailableModulatorModes, OnModulator, Modulator, kModulatorModes)
QX_CARD_LIST_GET(GetMod_GetSupportedModulations, OnModulator, Modulator, kModulationTypes)
QX_CARD_LIST_GET(GetMod_GetSupportedIQOutputRoutings, OnModulator, Modulator, kIqOutputRoutings)
QX_CARD_LIST_GET(GetMod_GetSupportedSymbolRoutings, OnModulator, Modulator, kSymbolRoutings)
QX_CARD_LIST_GET(GetMod_GetSupportedInputPreprocessings, OnModulator, Modulator, kInputPreprocessings)
QX_CARD_LIST_GET(GetMod_GetAvailableIQDataSources, OnModulator, Modulator, kIqDataSources)
QX_CARD_TEXT_GET(GetMod_GetModulatorMode, OnModulator, Modulator, mode)
QX_CARD_NAME_SET(SetMod_SetModulatorMode, OnModulator, Modulator, kModulatorModes, mode)
QX_CARD_TEXT_GET(GetMod_GetModulationType, OnModulator, Modulator, type)
QX_CARD_NAME_SET(SetMod_SetModulationType, OnModulator, Modulator, kModulationTypes, type)
QX_CARD_NUMBER_GET(GetMod_IfCarrierRateInHz, OnModulator, Modulator, u.carrierHz)
QX_CARD_NUMBER_SET(SetMod_SetIfCarrierRateInHz, OnModulator, Modulator, 1e6, kMaxIfHz, carrierHz)
QX_CARD_NUMBER_GET(GetMod_IfCarrierLevelInDbm, OnModulator, Modulator, u.levelDbm)
QX_CARD_NUMBER_SET(SetMod_SetIfCarrierLevel, OnModulator, Modulator, -100.0, 10.0, levelDbm)
QX_CARD_FLAG_GET(GetMod_GetIfCarrierOn, OnModulator, Modulator, carrierOn)
QX_CARD_FLAG_SET(SetMod_SetIfCarrierOn, OnModulator, Modulator, carrierOn)
QX_CARD_FLAG_GET(GetMod_GetIfModulationOn, OnModulator, Modulator, modulationOn)
QX_CARD_FLAG_SET(SetMod_SetIfModulationOn, OnModulator, Modulator, modulationOn)
QX_CARD_FLAG_GET(GetMod_GetEnableNoiseGeneration, OnModulator, Modulator, noiseOn)
QX_CARD_FLAG_SET(SetMod_SetEnableNoiseGeneration, OnModulator, Modulator, noiseOn)
QX_CARD_NUMBER_GET(GetMod_GetCarrierToNoiseLevel, OnModulator, Modulator, u.cnoDbHz)
QX_CARD_NUMBER_SET(SetMod_SetCarrierToNoiseLevel, OnModulator, Modulator, 0.0, 120.0, cnoDbHz)
QX_CARD_NUMBER_GET(GetMod_GetIfMaxOutputCalOffset, OnModulator, Modulator, u.maxOutputCalDb)
QX_CARD_NUMBER_SET(SetMod_SetIfMaxOutputCalOffset, OnModulator, Modulator, -80.0, 10.0, maxOutputCalDb)
QX_CARD_NUMBER_GET(GetMod_GetIPowerLevel, OnModulator, Modulator, u.iPowerDb)
QX_CARD_NUMBER_SET(SetMod_SetIPowerLevel, OnModulator, Modulator, -60.0, 20.0, iPowerDb)
QX_CARD_NUMBER_GET(GetMod_GetQPowerLevel, OnModulator, Modulator, u.qPowerDb)
QX_CARD_NUMBER_SET(SetMod_SetQPowerLevel, OnModulator, Modulator, -60.0, 20.0, qPowerDb)
QX_CARD_FLAG_GET(GetMod_GetEnableQpskConjugate, OnModulator, Modulator, qpskConjugate)
QX_CARD_FLAG_SET(SetMod_SetEnableQpskConjugate, OnModulator, Modulator, qpskConjugate)
QX_CARD_TEXT_GET(GetMod_GetIDataSource, OnModulator, Modulator, iSource)
QX_CARD_NAME_SET(SetMod_SetIDataSource, OnModulator, Modulator, kIqDataSources, iSource)
QX_CARD_TEXT_GET(GetMod_GetQDataSource, OnModulator, Modulator, qSource)
QX_CARD_NAME_SET(SetMod_SetQDataSource, OnModulator, Modulator, kIqDataSources, qSource)
QX_CARD_TEXT_GET(GetMod_GetIQOutputRouting, OnModulator, Modulator, iqRouting)
QX_CARD_NAME_SET(SetMod_SetIQOutputRouting, OnModulator, Modulator, kIqOutputRoutings, iqRouting)
QX_CARD_TEXT_GET(GetMod_GetSymbolRouting, OnModulator, Modulator, symbolRouting)
QX_CARD_NAME_SET(SetMod_SetSymbolRouting, OnModulator, Modulator, kSymbolRoutings, symbolRouting)
QX_CARD_TEXT_GET(GetMod_GetInputPreprocessing, OnModulator, Modulator, preprocessing)
QX_CARD_NAME_SET(SetMod_SetInputPreprocess, OnModulator, Modulator, kInputPreprocessings, preprocessing)
QX_CARD_NUMBER_GET(GetMod_GetDirPcmModIndex, OnModulator, Modulator, u.pmIndexRad)
QX_CARD_NUMBER_SET(SetMod_SetDirPcmModIndex, OnModulator, Modulator, 0.0, 3.2, pmIndexRad)
QX_CARD_NUMBER_GET(GetMod_GetPCMFMPeakDeviationFactor, OnModulator, Modulator, u.fmDeviationFactor)
QX_CARD_NUMBER_SET(SetMod_SetPCMFMPeakDeviationFactor, OnModulator, Modulator, 0.0, 5.0, fmDeviationFactor)
QX_CARD_LIST_GET(GetMod_GetSglsSubCh1AvailableDataSources, OnModulator, Modulator, kSglsDataSources)
QX_CARD_LIST_GET(GetMod_GetSglsSubCh1SupportedModulations, OnModulator, Modulator, kSglsModulations)
QX_CARD_TEXT_GET(GetMod_GetSglsSubCh1DataSource, OnModulator, Modulator, sglsSource)
QX_CARD_NAME_SET(SetMod_SetSglsSubCh1DataSource, OnModulator, Modulator, kSglsDataSources, sglsSource)
QX_CARD_TEXT_GET(GetMod_GetSglsSubCh1ModulationType, OnModulator, Modulator, sglsModulation)
QX_CARD_NAME_SET(SetMod_SetSglsSubCh1ModulationType, OnModulator, Modulator, kSglsModulations, sglsModulation)
QX_CARD_NUMBER_GET(GetMod_GetSglsSubCh1SubCarrierRateInHz, OnModulator, Modulator, u.sglsRateHz)
QX_CARD_NUMBER_SET(SetMod_SetSglsSubCh1SubCarrierRateInHz, OnModulator, Modulator, 1e3, 2e6, sglsRateHz)
QX_CARD_NUMBER_GET(GetMod_GetSubcarrier1PmModIndex, OnModulator, Modulator, u.sglsPmIndexRad)
QX_CARD_NUMBER_SET(SetMod_SetSubcarrier1PmModIndex, OnModulator, Modulator, 0.0, 3.2, sglsPmIndexRad)
QX_CARD_TEXT_GET(GetMod_GetTestGenPattern, OnModulator, Modulator, testGenPattern)
QX_CARD_NAME_SET(SetMod_SetTestGenPattern, OnModulator, Modulator, kTestGenPatterns, testGenPattern)
QX_CARD_NUMBER_GET(GetMod_GetFskPremodBandwidthInHz, OnModulator, Modulator, u.fskPremodBwHz)
QX_CARD_NUMBER_SET(SetMod_SetFskPremodBandwidthInHz, OnModulator, Modulator, 0.0, 20e6, fskPremodBwHz)
QX_CARD_NUMBER_GET(GetMod_GetFskFmDeviationInHz, OnModulator, Modulator, u.fskDeviationHz)
QX_CARD_NUMBER_SET(SetMod_SetFskFmDeviationInHz, OnModulator, Modulator, 0.0, 20e6, fskDeviationHz)
QX_CARD_NUMBER_GET(GetMod_GetSubcarrier1DeviationInHz, OnModulator, Modulator, u.sub1DeviationHz)
QX_CARD_NUMBER_SET(SetMod_SetSubcarrier1DeviationInHz, OnModulator, Modulator, 0.0, 20e6, sub1DeviationHz)
QX_CARD_NUMBER_GET(GetMod_GetSubcarrier2DeviationInHz, OnModulator, Modulator, u.sub2DeviationHz)
QX_CARD_NUMBER_SET(SetMod_SetSubcarrier2DeviationInHz, OnModulator, Modulator, 0.0, 20e6, sub2DeviationHz)
QX_CARD_NUMBER_GET(GetMod_GetSubcarrier2PmModIndex, OnModulator, Modulator, u.sub2PmIndexRad)
QX_CARD_NUMBER_SET(SetMod_SetSubcarrier2PmModIndex, OnModulator, Modulator, 0.0, 3.2, sub2PmIndexRad)
QX_CARD_NUMBER_GET(GetMod_GetRangePmModIndex, OnModulator, Modulator, u.rangePmIndexRad)
QX_CARD_NUMBER_SET(SetMod_SetRangePmModIndex, OnModulator, Modulator, 0.0, 3.2, rangePmIndexRad)
QX_CARD_NUMBER_GET(GetMod_GetCommandPmModIndex, OnModulator, Modulator, u.commandPmIndexRad)
QX_CARD_NUMBER_SET(SetMod_SetCommandPmModIndex, OnModulator, Modulator, 0.0, 3.2, commandPmIndexRad)
QX_CARD_NUMBER_GET(GetMod_GetExtPmModIndex, OnModulator, Modulator, u.extPmIndexRad)
QX_CARD_NUMBER_SET(SetMod_SetExtPmModIndex, OnModulator, Modulator, 0.0, 3.2, extPmIndexRad)
QX_CARD_FLAG_GET(GetMod_GetSakLoopbackMode, OnModulator, Modulator, sakLoopback)
QX_CARD_FLAG_SET(SetMod_SetSakLoopbackMode, OnModulator, Modulator, sakLoopback)
QX_CARD_FLAG_GET(GetMod_GetSakIfModOutputToDiversity, OnModulator, Modulator, sakIfModToDiversity)
QX_CARD_FLAG_SET(SetMod_SetSakIfModOutputToDiversity, OnModulator, Modulator, sakIfModToDiversity)

// ---- PCM encoders of the test modulator -------------------------------------------------------------

QX_ENCODER_LIST(GetMod_GetPcmCh1AvailableDataSources, kPcmEncoderSources)
QX_ENCODER_LIST(GetMod_GetPcmCh1AvailablePcmEncodings, kPcmEncoderCodes)
QX_ENCODER_TEXT(GetMod_GetPcmCh1DataSource, SetMod_SetPcmCh1DataSource, 0, kPcmEncoderSources, source)
QX_ENCODER_TEXT(GetMod_GetPcmCh1PcmEncoding, SetMod_SetPcmCh1PcmEncoding, 0, kPcmEncoderCodes, encoding)
QX_ENCODER_TEXT(GetMod_GetPcmCh1PcmRandScrambling, SetMod_SetPcm1Randomizer, 0, kRandomizers, randomizer)
QX_ENCODER_FLAG(GetMod_GetPcmCh1ConvolutionalEncodingOn, SetMod_SetPcmCh1ConvolutionalEncodingOn, 0, convolutional)
QX_ENCODER_FLAG(GetMod_GetPcmCh1SwapG1G2, SetMod_SetPcmCh1SwapG1G2, 0, swapG1G2)
QX_ENCODER_FLAG(GetMod_GetPcmCh1InvertG2, SetMod_SetPcmCh1InvertG2, 0, invertG2)
QX_ENCODER_FLAG(GetMod_GetPcmCh1InvertData, SetMod_SetPcmCh1InvertData, 0, invertData)
QX_ENCODER_FLAG(GetMod_GetPcmCh1FallingEdgeClk, SetMod_SetPcmCh1FallingEdgeClk, 0, fallingEdgeClock)
QX_ENCODER_LIST(GetMod_GetPcmCh2AvailableDataSources, kPcmEncoderSources)
QX_ENCODER_LIST(GetMod_GetPcmCh2AvailablePcmEncodings, kPcmEncoderCodes)
QX_ENCODER_TEXT(GetMod_GetPcmCh2DataSource, SetMod_SetPcmCh2DataSource, 1, kPcmEncoderSources, source)
QX_ENCODER_TEXT(GetMod_GetPcmCh2PcmEncoding, SetMod_SetPcmCh2PcmEncoding, 1, kPcmEncoderCodes, encoding)
QX_ENCODER_TEXT(GetMod_GetPcmCh2PcmRandScrambling, SetMod_SetPcm2Randomizer, 1, kRandomizers, randomizer)
QX_ENCODER_FLAG(GetMod_GetPcmCh2ConvolutionalEncodingOn, SetMod_SetPcmCh2ConvolutionalEncodingOn, 1, convolutional)
QX_ENCODER_FLAG(GetMod_GetPcmCh2SwapG1G2, SetMod_SetPcmCh2SwapG1G2, 1, swapG1G2)
QX_ENCODER_FLAG(GetMod_GetPcmCh2InvertG2, SetMod_SetPcmCh2InvertG2, 1, invertG2)
QX_ENCODER_FLAG(GetMod_GetPcmCh2InvertData, SetMod_SetPcmCh2InvertData, 1, invertData)
QX_ENCODER_FLAG(GetMod_GetPcmCh2FallingEdgeClk, SetMod_SetPcmCh2FallingEdgeClk, 1, fallingEdgeClock)

// ---- PSK receiver -----------------------------------------------------------------------------------

QX_RX_RESTART(PskRx_ReceiverRestartAcquisition, kPsk)
QX_RX_LIST_GET(PskRx_GetReceiverInputSourceModeSupportedTypes, kPsk, InputSourcesOf(c))
QX_RX_TEXT_GET(PskRx_GetReceiverInputSourceMode, kPsk, r.inputSource)
extern "C" int Zp90_PskRx_SetReceiverInputSourceMode(int card, int rx, const char* name) {
  return OnRx(card, rx, kPsk, [&](Card& c, Receiver& r) { return Reacquire(TakeName(name, InputSourcesOf(c), r.inputSource), r); });
}
QX_RX_NUMBER_GET(PskRx_GetReceiverSignalLevelQualificationThreshold, kPsk, r.qualThresholdDbm)
QX_RX_NUMBER_SET(PskRx_SetReceiverSignalLevelQualificationThreshold, kPsk, -150.0, 30.0, qualThresholdDbm, false)
QX_RX_NUMBER_GET(PskRx_GetReceiverSignalPowerIndBm, kPsk, r.signalPowerDbm)
QX_RX_NUMBER_GET(PskRx_GetReceiverTotalPowerIndBm, kPsk, r.totalPowerDbm)
QX_RX_LIST_GET(PskRx_GetCarrierModulationModeSupportedTypes, kPsk, NameList(kPskModulations))
QX_RX_TEXT_GET(PskRx_GetCarrierModulationMode, kPsk, r.modulation)
QX_RX_NAME_SET(PskRx_SetCarrierModulationMode, kPsk, kPskModulations, modulation, true)
QX_RX_TEXT_GET(PskRx_GetCarrierLockState, kPsk, LockText(r.carrier.locked))
QX_RX_NUMBER_GET(PskRx_GetCarrierCenterFrequencyInHz, kPsk, r.centerHz)
QX_RX_NUMBER_SET(PskRx_SetCarrierCenterFrequencyInHz, kPsk, 0.0, kMaxIfHz, centerHz, true)
QX_RX_NUMBER_GET(PskRx_GetCarrierActualSignalFrequencyInHz, kPsk, r.actualHz)
QX_RX_NUMBER_GET(PskRx_GetCarrierAcquisitionRangeInHz, kPsk, r.acqRangeHz)
QX_RX_NUMBER_SET(PskRx_SetCarrierAcquisitionRangeInHz, kPsk, 0.0, kMaxAcqRangeHz, acqRangeHz, false)
QX_RX_LIST_GET(PskRx_GetCarrierAcquisitionModeSupportedTypes, kPsk, NameList(kAcquisitionModes))
QX_RX_TEXT_GET(PskRx_GetCarrierAcquisitionMode, kPsk, r.acqMode)
QX_RX_NAME_SET(PskRx_SetCarrierAcquisitionMode, kPsk, kAcquisitionModes, acqMode, true)
QX_RX_NUMBER_GET(PskRx_GetCarrierAcquisitionLoopBandwidthInPercentOfStream1BitRate, kPsk, r.acqLoopBwPct)
QX_RX_NUMBER_SET(PskRx_SetCarrierAcquisitionLoopBandwidthInPercentOfStream1BitRate, kPsk, 0.001, 100.0, acqLoopBwPct, false)
QX_RX_NUMBER_GET(PskRx_GetCarrierTrackingLoopBandwidthInPercentOfStream1BitRate, kPsk, r.trkLoopBwPct)
QX_RX_NUMBER_SET(PskRx_SetCarrierTrackingLoopBandwidthInPercentOfStream1BitRate, kPsk, 0.001, 100.0, trkLoopBwPct, false)
QX_RX_NUMBER_GET(PskRx_GetCarrierSignalFilterBandwidthRatio, kPsk, r.filterBwRatio)
QX_RX_NUMBER_SET(PskRx_SetCarrierSignalFilterBandwidthRatio, kPsk, 0.1, 10.0, filterBwRatio, false)
QX_RX_NUMBER_GET(PskRx_GetBitSyncStream1RateInbps, kPsk, r.bitSync[0].rateBps)
QX_RX_NUMBER_SET(PskRx_SetBitSyncStream1RateInbps, kPsk, kMinRate, kMaxDataRate, bitSync[0].rateBps, true)
QX_RX_TEXT_GET(PskRx_GetBitSyncStream1InputDataDecodingMode, kPsk, r.bitSync[0].inputCode)
QX_RX_NAME_SET(PskRx_SetBitSyncStream1InputDataDecodingMode, kPsk, kDecoderCodes, bitSync[0].inputCode, true)
QX_RX_TEXT_GET(PskRx_GetBitSyncStream1DescramblerMode, kPsk, r.bitSync[0].descrambler)
QX_RX_NAME_SET(PskRx_SetBitSyncStream1DescramblerMode, kPsk, kDescramblers, bitSync[0].descrambler, false)
QX_RX_TEXT_GET(PskRx_GetBitSyncStream1OutputDataEncodingMode, kPsk, r.bitSync[0].outputCode)
QX_RX_NAME_SET(PskRx_SetBitSyncStream1OutputDataEncodingMode, kPsk, kOutputCodes, bitSync[0].outputCode, false)
QX_BS_LOOP_NUMBER(PskRx_GetBitSyncStream1AcquisitionRangeInPercentOfBitRate,
                  PskRx_SetBitSyncStream1AcquisitionRangeInPercentOfBitRate, acqRangePct)
QX_BS_LOOP_NUMBER(PskRx_GetBitSyncStream1LoopWidthInPercentOfBitRate,
                  PskRx_SetBitSyncStream1LoopWidthInPercentOfBitRate, loopWidthPct)
QX_RX_TEXT_GET(PskRx_GetBitSyncStream1LockState, kPsk, LockText(r.bitSync[0].lock.locked))
QX_RX_NUMBER_GET(PskRx_GetBitSyncStream1SignalEbNo, kPsk, r.bitSync[0].measuredEbNoDb)
QX_RX_NUMBER_GET(PskRx_GetBitSyncStream1ActualSymbolRate, kPsk, r.bitSync[0].measuredSymbolRate)
// Stream 2 has its own rate and codes; the model locks it with stream 1's code class.
QX_RX_NUMBER_GET(PskRx_GetBitSyncStream2RateInbps, kPsk, r.bitSync[1].rateBps)
QX_RX_NUMBER_SET(PskRx_SetBitSyncStream2RateInbps, kPsk, kMinRate, kMaxDataRate, bitSync[1].rateBps, false)
QX_RX_TEXT_GET(PskRx_GetBitSyncStream2InputDataDecodingMode, kPsk, r.bitSync[1].inputCode)
QX_RX_NAME_SET(PskRx_SetBitSyncStream2InputDataDecodingMode, kPsk, kDecoderCodes, bitSync[1].inputCode, false)
QX_RX_TEXT_GET(PskRx_GetBitSyncStream2DescramblerMode, kPsk, r.bitSync[1].descrambler)
QX_RX_NAME_SET(PskRx_SetBitSyncStream2DescramblerMode, kPsk, kDescramblers, bitSync[1].descrambler, false)
QX_RX_TEXT_GET(PskRx_GetBitSyncStream2OutputDataEncodingMode, kPsk, r.bitSync[1].outputCode)
QX_RX_NAME_SET(PskRx_SetBitSyncStream2OutputDataEncodingMode, kPsk, kOutputCodes, bitSync[1].outputCode, false)
QX_RX_FLAG_GET(PskRx_GetStreamControlS1Only, kPsk, r.streamControlS1Only)
QX_RX_FLAG_SET(PskRx_SetStreamControlS1Only, kPsk, streamControlS1Only, false)
QX_RX_TEXT_GET(PskRx_GetBitSyncStream2LockState, kPsk, LockText(r.bitSync[1].lock.locked))
QX_RX_NUMBER_GET(PskRx_GetBitSyncStream2SignalEbNo, kPsk, r.bitSync[1].measuredEbNoDb)
QX_RX_NUMBER_GET(PskRx_GetBitSyncStream2ActualSymbolRate, kPsk, r.bitSync[1].measuredSymbolRate)
QX_RX_TEXT_GET(PskRx_GetStream1OutputClockPolarityMode, kPsk, r.clockPolarity)
QX_RX_NAME_SET(PskRx_SetStream1OutputClockPolarityMode, kPsk, kClockPolarities, clockPolarity, false)
QX_RX_TEXT_GET(PskRx_GetStream2OutputClockPolarityMode, kPsk, r.clockPolarity)
QX_RX_FLAG_GET(PskRx_GetStream1OutputInvertEnable, kPsk, r.invertOutput)
QX_RX_FLAG_SET(PskRx_SetStream1OutputInvertEnable, kPsk, invertOutput, false)
QX_RX_FLAG_GET(PskRx_GetStream2OutputInvertEnable, kPsk, r.invertOutput)
QX_RX_LIST_GET(PskRx_GetSignalRoutingSupportedTypes, kPsk, NameList(kRoutingLocations))
QX_RX_TEXT_GET(PskRx_GetSignalRoutingRecombineLocation, kPsk, r.recombineLocation)
QX_RX_NAME_SET(PskRx_SetSignalRoutingRecombineLocation, kPsk, kRoutingLocations, recombineLocation, false)
QX_RX_TEXT_GET(PskRx_GetSignalRoutingStreamSwapLocation, kPsk, r.swapLocation)
QX_RX_NAME_SET(PskRx_SetSignalRoutingStreamSwapLocation, kPsk, kRoutingLocations, swapLocation, false)
QX_RX_TEXT_GET(PskRx_GetSignalRoutingStream1InvertLocation, kPsk, r.invertLocation1)
QX_RX_NAME_SET(PskRx_SetSignalRoutingStream1InvertLocation, kPsk, kRoutingLocations, invertLocation1, false)
QX_RX_TEXT_GET(PskRx_GetSignalRoutingStream2InvertLocation, kPsk, r.invertLocation2)
QX_RX_NAME_SET(PskRx_SetSignalRoutingStream2InvertLocation, kPsk, kRoutingLocations, invertLocation2, false)
QX_RX_TEXT_GET(PskRx_GetSignalRoutingBaseband1Output, kPsk, r.baseband1Output)
QX_RX_NAME_SET(PskRx_SetSignalRoutingBaseband1Output, kPsk, kBasebandOutputs, baseband1Output, false)
QX_RX_TEXT_GET(PskRx_GetSignalRoutingBaseband2Output, kPsk, r.baseband2Output)
QX_RX_NAME_SET(PskRx_SetSignalRoutingBaseband2Output, kPsk, kBasebandOutputs, baseband2Output, false)
extern "C" int Zp90_PskRx_GetSakBbOutSelection(int card, int rx, int* selection) {
  return OnRx<Access::kRead>(card, rx, kPsk, [&](Card&, Receiver& r) { return PutInt(selection, r.sakBbOutSelection); });
}
extern "C" int Zp90_PskRx_SetSakBbOutSelection(int card, int rx, int selection) {
  return OnRx(card, rx, kPsk, [&](Card&, Receiver& r) { return TakeInt(selection, 0, 3, r.sakBbOutSelection); });
}
QX_RX_LIST_GET(PskRx_GetViterbiRateModeSupportedTypes, kPsk, NameList(kViterbiRates))
QX_RX_TEXT_GET(PskRx_GetViterbiStream1RateMode, kPsk, r.viterbi.rate)
QX_RX_NAME_SET(PskRx_SetViterbiStream1RateMode, kPsk, kViterbiRates, viterbi.rate, false)
QX_RX_TEXT_GET(PskRx_GetViterbiStream1SymbolOrderMode, kPsk, r.viterbi.order)
QX_RX_NAME_SET(PskRx_SetViterbiStream1SymbolOrderMode, kPsk, kViterbiSymbolOrders, viterbi.order, false)
QX_RX_FLAG_GET(PskRx_GetViterbiStream1DecodeEnable, kPsk, r.viterbi.decode)
QX_RX_FLAG_SET(PskRx_SetViterbiStream1DecodeEnable, kPsk, viterbi.decode, false)
QX_RX_FLAG_GET(PskRx_GetViterbiStream1G1SymbolInvert, kPsk, r.viterbi.g1Invert)
QX_RX_FLAG_SET(PskRx_SetViterbiStream1G1SymbolInvert, kPsk, viterbi.g1Invert, false)
QX_RX_FLAG_GET(PskRx_GetViterbiStream1G2SymbolInvert, kPsk, r.viterbi.g2Invert)
QX_RX_FLAG_SET(PskRx_SetViterbiStream1G2SymbolInvert, kPsk, viterbi.g2Invert, false)
QX_RX_TEXT_GET(PskRx_GetViterbiStream1LockState, kPsk, LockText(r.viterbi.lock.locked))
QX_RX_NUMBER_GET(PskRx_GetViterbiStream1SymbolErrorRate, kPsk, r.viterbi.symbolErrorRate)
QX_RX_NUMBER_GET(PskRx_GetViterbiStream1BitErrorRate, kPsk, r.viterbi.bitErrorRate)

// ---- FM (PCM/FM) receiver ---------------------------------------------------------------------------

QX_RX_RESTART(FmRx_ReceiverRestartAcquisition, kFm)
QX_RX_TEXT_GET(FmRx_GetReceiverInputSourceMode, kFm, r.inputSource)
extern "C" int Zp90_FmRx_SetReceiverInputSourceMode(int card, int rx, const char* name) {
  return OnRx(card, rx, kFm, [&](Card& c, Receiver& r) { return Reacquire(TakeName(name, InputSourcesOf(c), r.inputSource), r); });
}
QX_RX_NUMBER_GET(FmRx_GetReceiverSignalLevelQualificationThreshold, kFm, r.qualThresholdDbm)
QX_RX_NUMBER_SET(FmRx_SetReceiverSignalLevelQualificationThreshold, kFm, -150.0, 30.0, qualThresholdDbm, false)
QX_RX_NUMBER_GET(FmRx_GetReceiverSignalPowerIndBm, kFm, r.signalPowerDbm)
QX_RX_NUMBER_GET(FmRx_GetReceiverTotalPowerIndBm, kFm, r.totalPowerDbm)
QX_RX_TEXT_GET(FmRx_GetCarrierLockState, kFm, LockText(r.carrier.locked))
QX_RX_NUMBER_GET(FmRx_GetCarrierCenterFrequencyInHz, kFm, r.centerHz)
QX_RX_NUMBER_SET(FmRx_SetCarrierCenterFrequencyInHz, kFm, 0.0, kMaxIfHz, centerHz, true)
QX_RX_NUMBER_GET(FmRx_GetCarrierActualSignalFrequencyInHz, kFm, r.actualHz)
QX_RX_NUMBER_GET(FmRx_GetCarrierAcquisitionRangeInHz, kFm, r.acqRangeHz)
QX_RX_NUMBER_SET(FmRx_SetCarrierAcquisitionRangeInHz, kFm, 0.0, kMaxAcqRangeHz, acqRangeHz, false)
QX_RX_NUMBER_GET(FmRx_GetCarrierAcquisitionLoopBandwidthInHz, kFm, r.acqLoopBwHz)
QX_RX_NUMBER_SET(FmRx_SetCarrierAcquisitionLoopBandwidthInHz, kFm, 0.0, kMaxLoopHz, acqLoopBwHz, false)
QX_RX_NUMBER_GET(FmRx_GetCarrierTrackingLoopBandwidthInHz, kFm, r.trkLoopBwHz)
QX_RX_NUMBER_SET(FmRx_SetCarrierTrackingLoopBandwidthInHz, kFm, 0.0, kMaxLoopHz, trkLoopBwHz, false)
QX_RX_NUMBER_GET(FmRx_GetCarrierSignalFilterBandwidthRatio, kFm, r.filterBwRatio)
QX_RX_NUMBER_SET(FmRx_SetCarrierSignalFilterBandwidthRatio, kFm, 0.1, 10.0, filterBwRatio, false)
QX_RX_NUMBER_GET(FmRx_GetCarrierPeakDeviation, kFm, r.peakDeviation)
QX_RX_NUMBER_SET(FmRx_SetCarrierPeakDeviation, kFm, 0.0, 10.0, peakDeviation, false)
QX_RX_NUMBER_GET(FmRx_GetCarrierModIndexCompensatedValue, kFm, r.modIndexMeasured)
QX_RX_NUMBER_GET(FmRx_GetPeakDeviationCompensationFactorMin, kFm, r.compFactorMin)
QX_RX_NUMBER_SET(FmRx_SetPeakDeviationCompensationFactorMin, kFm, 0.0, 10.0, compFactorMin, false)
QX_RX_NUMBER_GET(FmRx_GetPeakDeviationCompensationFactorMax, kFm, r.compFactorMax)
QX_RX_NUMBER_SET(FmRx_SetPeakDeviationCompensationFactorMax, kFm, 0.0, 10.0, compFactorMax, false)
QX_RX_FLAG_GET(FmRx_GetXmitterIsDigital, kFm, r.xmitterDigital)
extern "C" int Zp90_FmRx_SetXmitterIsDigital(int card, int rx, int on) {
  // Raising the control makes the demodulator start over.
  return OnRx(card, rx, kFm, [&](Card&, Receiver& r) {
    const bool was = r.xmitterDigital;
    const int status = TakeFlag(on, r.xmitterDigital);
    if (status == kDevOk && r.xmitterDigital && !was) r.RestartAcquisition();
    return status;
  });
}
QX_RX_FLAG_GET(FmRx_GetCarrierDiscriminatorEnable, kFm, r.discriminator)
QX_RX_FLAG_SET(FmRx_SetCarrierDiscriminatorEnable, kFm, discriminator, true)
QX_RX_TEXT_GET(FmRx_GetCarrierModIndexCompensationMode, kFm, r.modIndexCompensation)
QX_RX_NAME_SET(FmRx_SetCarrierModIndexCompensationMode, kFm, kModIndexCompensationModes, modIndexCompensation, false)
QX_RX_NUMBER_GET(FmRx_GetBitSyncRateInbps, kFm, r.bitSync[0].rateBps)
QX_RX_NUMBER_SET(FmRx_SetBitSyncRateInbps, kFm, kMinRate, kMaxDataRate, bitSync[0].rateBps, true)
QX_RX_TEXT_GET(FmRx_GetBitSyncInputDataDecodingMode, kFm, r.bitSync[0].inputCode)
QX_RX_NAME_SET(FmRx_SetBitSyncInputDataDecodingMode, kFm, kDecoderCodes, bitSync[0].inputCode, true)
QX_RX_TEXT_GET(FmRx_GetBitSyncDescramblerMode, kFm, r.bitSync[0].descrambler)
QX_RX_NAME_SET(FmRx_SetBitSyncDescramblerMode, kFm, kDescramblers, bitSync[0].descrambler, false)
QX_RX_TEXT_GET(FmRx_GetBitSyncOutputDataEncodingMode, kFm, r.bitSync[0].outputCode)
QX_RX_NAME_SET(FmRx_SetBitSyncOutputDataEncodingMode, kFm, kOutputCodes, bitSync[0].outputCode, false)
QX_RX_NUMBER_GET(FmRx_GetBitSyncAcquisitionRangeInPercentOfBitRate, kFm, r.bitSync[0].acqRangePct)
QX_RX_NUMBER_SET(FmRx_SetBitSyncAcquisitionRangeInPercentOfBitRate, kFm, 0.001, 100.0, bitSync[0].acqRangePct, false)
QX_RX_NUMBER_GET(FmRx_GetBitSyncLoopWidthInPercentOfBitRate, kFm, r.bitSync[0].loopWidthPct)
QX_RX_NUMBER_SET(FmRx_SetBitSyncLoopWidthInPercentOfBitRate, kFm, 0.001, 100.0, bitSync[0].loopWidthPct, false)
QX_RX_TEXT_GET(FmRx_GetBitSyncLockState, kFm, LockText(r.bitSync[0].lock.locked))
QX_RX_NUMBER_GET(FmRx_GetBitSyncSignalEbNo, kFm, r.bitSync[0].measuredEbNoDb)
QX_RX_NUMBER_GET(FmRx_GetBitSyncActualSymbolRate, kFm, r.bitSync[0].measuredSymbolRate)
QX_RX_TEXT_GET(FmRx_GetOutputClockPolarityMode, kFm, r.clockPolarity)
QX_RX_NAME_SET(FmRx_SetOutputClockPolarityMode, kFm, kClockPolarities, clockPolarity, false)
QX_RX_FLAG_GET(FmRx_GetOutputInvertEnable, kFm, r.invertOutput)
QX_RX_FLAG_SET(FmRx_SetOutputInvertEnable, kFm, invertOutput, false)
QX_RX_LIST_GET(FmRx_GetViterbiRateModeSupportedTypes, kFm, NameList(kViterbiRates))
QX_RX_TEXT_GET(FmRx_GetViterbiRateMode, kFm, r.viterbi.rate)
QX_RX_NAME_SET(FmRx_SetViterbiRateMode, kFm, kViterbiRates, viterbi.rate, false)
QX_RX_TEXT_GET(FmRx_GetViterbiSymbolOrderMode, kFm, r.viterbi.order)
QX_RX_NAME_SET(FmRx_SetViterbiSymbolOrderMode, kFm, kViterbiSymbolOrders, viterbi.order, false)
QX_RX_FLAG_GET(FmRx_GetViterbiDecodeEnable, kFm, r.viterbi.decode)
QX_RX_FLAG_SET(FmRx_SetViterbiDecodeEnable, kFm, viterbi.decode, false)
QX_RX_FLAG_GET(FmRx_GetViterbiG1SymbolInvert, kFm, r.viterbi.g1Invert)
QX_RX_FLAG_SET(FmRx_SetViterbiG1SymbolInvert, kFm, viterbi.g1Invert, false)
QX_RX_FLAG_GET(FmRx_GetViterbiG2SymbolInvert, kFm, r.viterbi.g2Invert)
QX_RX_FLAG_SET(FmRx_SetViterbiG2SymbolInvert, kFm, viterbi.g2Invert, false)
QX_RX_TEXT_GET(FmRx_GetViterbiLockState, kFm, LockText(r.viterbi.lock.locked))
QX_RX_NUMBER_GET(FmRx_GetViterbiSymbolErrorRate, kFm, r.viterbi.symbolErrorRate)
QX_RX_NUMBER_GET(FmRx_GetViterbiBitErrorRate, kFm, r.viterbi.bitErrorRate)

// ---- PM receiver ------------------------------------------------------------------------------------

QX_RX_RESTART(PmRx_RestartReceiverAcquisition, kPm)
QX_RX_TEXT_GET(PmRx_GetInputSource, kPm, r.inputSource)
QX_RX_NAME_SET(PmRx_SetInputSource, kPm, kPmInputs, inputSource, true)
QX_RX_TEXT_GET(PmRx_GetCarrierLockState, kPm, LockText(r.carrier.locked))
QX_RX_NUMBER_GET(PmRx_GetCarrierCenterFrequencyInHz, kPm, r.centerHz)
QX_RX_NUMBER_SET(PmRx_SetCarrierCenterFrequencyInHz, kPm, 0.0, kMaxIfHz, centerHz, true)
QX_RX_NUMBER_GET(PmRx_GetSignalLevelIndBm, kPm, r.signalPowerDbm)
QX_RX_NUMBER_GET(PmRx_GetTotalPowerIndBm, kPm, r.totalPowerDbm)
QX_RX_NUMBER_GET(PmRx_GetCarrierAcquisitionRangeInHz, kPm, r.acqRangeHz)
QX_RX_NUMBER_SET(PmRx_SetCarrierAcquisitionRangeInHz, kPm, 0.0, kMaxAcqRangeHz, acqRangeHz, false)
QX_RX_TEXT_GET(PmRx_GetCarrierAcquisitionMode, kPm, r.acqMode)
QX_RX_NAME_SET(PmRx_SetCarrierAcquisitionMode, kPm, kAcquisitionModes, acqMode, true)
QX_RX_NUMBER_GET(PmRx_GetCarrierAcquisitionLoopBandwidthInHz, kPm, r.acqLoopBwHz)
QX_RX_NUMBER_SET(PmRx_SetCarrierAcquisitionLoopBandwidthInHz, kPm, 0.0, kMaxLoopHz, acqLoopBwHz, false)
QX_RX_NUMBER_GET(PmRx_GetCarrierTrackLoopBandwidthInHz, kPm, r.trkLoopBwHz)
QX_RX_NUMBER_SET(PmRx_SetCarrierTrackLoopBandwidthInHz, kPm, 0.0, kMaxLoopHz, trkLoopBwHz, false)
QX_RX_NUMBER_GET(PmRx_GetCarrierSignalThresholdIndBm, kPm, r.pmThresholdDbm)
QX_RX_NUMBER_SET(PmRx_SetCarrierSignalThresholdIndBm, kPm, -150.0, 30.0, pmThresholdDbm, false)
QX_RX_NUMBER_GET(PmRx_GetModulationIndex, kPm, r.pmModIndexRad)
QX_RX_NUMBER_SET(PmRx_SetModulationIndex, kPm, 0.0, 3.2, pmModIndexRad, true)
QX_RX_NUMBER_GET(PmRx_GetCarrierLockDecisionPeriod, kPm, r.pmLockDecisionSec)
QX_RX_NUMBER_SET(PmRx_SetCarrierLockDecisionPeriod, kPm, 0.001, 10.0, pmLockDecisionSec, false)
QX_RX_FLAG_GET(PmRx_GetLoopDiscriminatorEnable, kPm, r.pmLoopDiscriminator)
QX_RX_FLAG_SET(PmRx_SetLoopDiscriminatorEnable, kPm, pmLoopDiscriminator, false)
QX_RX_TEXT_GET(PmRx_GetDebugOutput1MuxSelect, kPm, r.pmDebugMux1)
QX_RX_NAME_SET(PmRx_SetDebugOutput1MuxSelect, kPm, kPmDebugMuxSelects, pmDebugMux1, false)
QX_RX_TEXT_GET(PmRx_GetDebugOutput2MuxSelect, kPm, r.pmDebugMux2)
QX_RX_NAME_SET(PmRx_SetDebugOutput2MuxSelect, kPm, kPmDebugMuxSelects, pmDebugMux2, false)

// ---- Multi-h CPM receiver ---------------------------------------------------------------------------

QX_RX_RESTART(MhCpmRx_RestartReceiverAcquisition, Family::MhCpm)

extern "C" int Zp90_MhCpmRx_SetTotalSetup(int card, int rx, const char* inputCode, int dataInvert,
                                         const char* clockPolarity, const char* outputCode, double bitRate,
                                         double carrierAcqRangeHz, double carrierCenterFreqMhz,
                                         double carrierAcqLoopBwPct, double bitSyncAcqRangePct) {
  return OnRx(card, rx, Family::MhCpm, [&](Card&, Receiver& r) {
    // All or nothing: every value is checked before any is taken.
    Receiver taken = r;
    BitSync& b = taken.bitSync[0];
    double centerMhz = 0.0;
    const int statuses[] = {TakeName(inputCode, kDecoderCodes, b.inputCode),
                            TakeFlag(dataInvert, taken.invertOutput),
                            TakeName(clockPolarity, kClockPolarities, taken.clockPolarity),
                            TakeName(outputCode, kOutputCodes, b.outputCode),
                            TakeNumber(bitRate, kMinRate, kMaxDataRate, b.rateBps),
                            TakeNumber(carrierAcqRangeHz, 0.0, kMaxAcqRangeHz, taken.acqRangeHz),
                            TakeNumber(carrierCenterFreqMhz, 0.0, kMaxIfHz / 1e6, centerMhz),
                            TakeNumber(carrierAcqLoopBwPct, 0.001, 100.0, taken.mhAcqLoopBwPct),
                            TakeNumber(bitSyncAcqRangePct, 0.001, 100.0, taken.mhBitSyncAcqRangePct)};
    for (int status : statuses) {
      if (status != kDevOk) return status;
    }
    taken.centerHz = centerMhz * 1e6;
    r = taken;
    r.RestartAcquisition();
    return kDevOk;
  });
}

QX_RX_TEXT_GET(MhCpmRx_GetBitSyncInputDataDecodingMode, Family::MhCpm, r.bitSync[0].inputCode)
QX_RX_FLAG_GET(MhCpmRx_GetOutputInvertEnable, Family::MhCpm, r.invertOutput)
QX_RX_TEXT_GET(MhCpmRx_GetOutputClockPolarityMode, Family::MhCpm, r.clockPolarity)
QX_RX_TEXT_GET(MhCpmRx_GetBitSyncOutputDataEncodingMode, Family::MhCpm, r.bitSync[0].outputCode)
QX_RX_NUMBER_GET(MhCpmRx_GetBitSyncRateInbps, Family::MhCpm, r.bitSync[0].rateBps)
QX_RX_NUMBER_GET(MhCpmRx_GetCarrierAcquisitionRangeInHz, Family::MhCpm, r.acqRangeHz)
QX_RX_NUMBER_GET(MhCpmRx_GetCarrierCenterFrequencyInMhz, Family::MhCpm, r.centerHz / 1e6)
QX_RX_NUMBER_GET(MhCpmRx_GetCarrierAcquisitionLoopBandwidthInPercent, Family::MhCpm, r.mhAcqLoopBwPct)
QX_RX_NUMBER_GET(MhCpmRx_GetBitSyncAcquisitionRangeInPercent, Family::MhCpm, r.mhBitSyncAcqRangePct)

extern "C" int Zp90_MhCpmRx_GetStatusValues(int card, int rx, int* lockState, int* carrierLocked,
                                           double* carrierFreqMhz, double* bitRate, double* loopErrorHz) {
  return OnRx<Access::kRead>(card, rx, Family::MhCpm, [&](Card& c, Receiver& r) {
    if (lockState == nullptr || carrierLocked == nullptr || carrierFreqMhz == nullptr || bitRate == nullptr ||
        loopErrorHz == nullptr) {
      return kDevBadArgument;
    }
    *lockState = c.MhCpmLockState(rx);
    *carrierLocked = r.carrier.locked ? 1 : 0;
    *carrierFreqMhz = r.actualHz * 1e-6;
    *bitRate = r.bitSync[0].lock.locked ? r.bitSync[0].measuredSymbolRate : r.bitSync[0].rateBps;
    *loopErrorHz = r.loopErrorHz;
    return kDevOk;
  });
}

// ---- FFT --------------------------------------------------------------------------------------------

extern "C" int Zp90_Fft_GetEnableFFT(int card, int ch, int* on) {
  return OnFft<Access::kRead>(card, ch, [&](Card&, Fft& f) { return PutFlag(on, f.enabled); });
}
extern "C" int Zp90_Fft_SetEnableFFT(int card, int ch, int on) {
  return OnFft(card, ch, [&](Card&, Fft& f) { return TakeFlag(on, f.enabled); });
}
extern "C" int Zp90_Fft_GetFrequencySpanInHz(int card, int ch, double* hz) {
  return OnFft<Access::kRead>(card, ch, [&](Card&, Fft& f) { return PutNumber(hz, f.spanHz); });
}
extern "C" int Zp90_Fft_SetFrequencySpanInHz(int card, int ch, double hz) {
  return OnFft(card, ch, [&](Card&, Fft& f) { return TakeNumber(hz, 1e3, 120e6, f.spanHz); });
}
extern "C" int Zp90_Fft_SetCenterFrequencyInHz(int card, int ch, double hz) {
  return OnFft(card, ch, [&](Card&, Fft& f) { return TakeNumber(hz, 0.0, kMaxIfHz, f.centerHz); });
}
extern "C" int Zp90_Fft_SetWindowType(int card, int ch, const char* name) {
  return OnFft(card, ch, [&](Card&, Fft& f) { return TakeName(name, kFftWindows, f.window); });
}
extern "C" int Zp90_Fft_SetNumberOfAverages(int card, int ch, int averages) {
  return OnFft(card, ch, [&](Card&, Fft& f) { return TakeInt(averages, 1, 1024, f.averages); });
}
extern "C" int Zp90_Fft_SetUpdateRateInHz(int card, int ch, int hz) {
  return OnFft(card, ch, [&](Card&, Fft& f) { return TakeInt(hz, 1, 100, f.updateRateHz); });
}
extern "C" int Zp90_Fft_GetCenterFrequencyInHz(int card, int ch, double* hz) {
  return OnFft<Access::kRead>(card, ch, [&](Card&, Fft& f) { return PutNumber(hz, f.centerHz); });
}
extern "C" int Zp90_Fft_GetWindowType(int card, int ch, char* text, int capacity) {
  return OnFft<Access::kRead>(card, ch, [&](Card&, Fft& f) { return PutText(text, capacity, f.window); });
}
extern "C" int Zp90_Fft_GetNumberOfAverages(int card, int ch, int* averages) {
  return OnFft<Access::kRead>(card, ch, [&](Card&, Fft& f) { return PutInt(averages, f.averages); });
}
extern "C" int Zp90_Fft_GetUpdateRateInHz(int card, int ch, int* hz) {
  return OnFft<Access::kRead>(card, ch, [&](Card&, Fft& f) { return PutInt(hz, f.updateRateHz); });
}
extern "C" int Zp90_Fft_GetFftBuffer(int card, int ch, unsigned char* flag, void* points, int capacity, int* count) {
  return OnFft<Access::kRead>(card, ch, [&](Card& c, Fft& f) {
    if (flag == nullptr || points == nullptr || count == nullptr || capacity < 0) return kDevBadArgument;
    if (!f.enabled) return kDevNotReady;
    // The flag belongs to the caller's display block; it goes back as it came.
    // As many points as the caller has room for, up to the display's size.
    if (capacity < 2) return kDevBufferTooSmall;
    const int n = std::min(capacity, kMaxDisplayPoints);
    c.FillSpectrum(ch, n, points);
    *count = n;
    return kDevOk;
  });
}

// ---- IQ ---------------------------------------------------------------------------------------------

extern "C" int Zp90_IQ_GetRunIQData(int card, int ch, int* on) {
  return OnIq<Access::kRead>(card, ch, [&](Card&, IqCapture& q) { return PutFlag(on, q.running); });
}
extern "C" int Zp90_IQ_SetRunIQData(int card, int ch, int on) {
  return OnIq(card, ch, [&](Card&, IqCapture& q) { return TakeFlag(on, q.running); });
}
extern "C" int Zp90_IQ_SetNumDataPoints(int card, int ch, int points) {
  return OnIq(card, ch, [&](Card&, IqCapture& q) { return TakeInt(points, 1, kMaxDisplayPoints, q.points); });
}
extern "C" int Zp90_IQ_SetUpdateRateInHz(int card, int ch, int hz) {
  return OnIq(card, ch, [&](Card&, IqCapture& q) { return TakeInt(hz, 1, 100, q.updateRateHz); });
}
extern "C" int Zp90_IQ_GetNumDataPoints(int card, int ch, int* points) {
  return OnIq<Access::kRead>(card, ch, [&](Card&, IqCapture& q) { return PutInt(points, q.points); });
}
extern "C" int Zp90_IQ_GetUpdateRateInHz(int card, int ch, int* hz) {
  return OnIq<Access::kRead>(card, ch, [&](Card&, IqCapture& q) { return PutInt(hz, q.updateRateHz); });
}
extern "C" int Zp90_IQ_GetIqBuffer(int card, int ch, unsigned char* flag, void* pairs, int capacity, int* count) {
  return OnIq<Access::kRead>(card, ch, [&](Card& c, IqCapture& q) {
    if (flag == nullptr || pairs == nullptr || count == nullptr || capacity < 0) return kDevBadArgument;
    if (!q.running) return kDevNotReady;
    if (capacity < q.points) return kDevBufferTooSmall;
    c.FillIq(ch, q.points, pairs);
    *count = q.points;
    return kDevOk;
  });
}

// ---- Pre-detection combiner -------------------------------------------------------------------------

QX_CARD_LIST_GET(PreD_GetAvailableNoiseEstimateModes, OnPreD, PreDCombiner, kNoiseEstimateModes)
QX_CARD_TEXT_GET(PreD_GetNoiseEstimateMode, OnPreD, PreDCombiner, noiseMode)
QX_CARD_NAME_SET(PreD_SetNoiseEstimateMode, OnPreD, PreDCombiner, kNoiseEstimateModes, noiseMode)
QX_CARD_TEXT_GET(PreD_GetDiversityOutput, OnPreD, PreDCombiner, output)
QX_CARD_NAME_SET(PreD_SetDiversityOutput, OnPreD, PreDCombiner, kDiversityOutputs, output)
QX_CARD_NUMBER_GET(PreD_GetSignalBandwidthInHz, OnPreD, PreDCombiner, u.signalBandwidthHz)
QX_CARD_NUMBER_SET(PreD_SetSignalBandwidthInHz, OnPreD, PreDCombiner, 1e3, 60e6, signalBandwidthHz)
QX_CARD_NUMBER_GET(PreD_GetTimeConstInSec, OnPreD, PreDCombiner, u.timeConstSec)
QX_CARD_NUMBER_SET(PreD_SetTimeConstInSec, OnPreD, PreDCombiner, 1e-6, 10.0, timeConstSec)
QX_CARD_NUMBER_GET(PreD_GetPhaseTimeConstInSec, OnPreD, PreDCombiner, u.phaseTimeConstSec)
QX_CARD_NUMBER_SET(PreD_SetPhaseTimeConstInSec, OnPreD, PreDCombiner, 1e-6, 10.0, phaseTimeConstSec)
QX_CARD_NUMBER_GET(PreD_GetChannelACenterFreqInHz, OnPreD, PreDCombiner, u.centerAHz)
QX_CARD_NUMBER_SET(PreD_SetChannelACenterFreqInHz, OnPreD, PreDCombiner, 0.0, kMaxIfHz, centerAHz)
QX_CARD_NUMBER_GET(PreD_GetChannelBCenterFreqInHz, OnPreD, PreDCombiner, u.centerBHz)
QX_CARD_NUMBER_SET(PreD_SetChannelBCenterFreqInHz, OnPreD, PreDCombiner, 0.0, kMaxIfHz, centerBHz)
QX_CARD_NUMBER_GET(PreD_GetFixedNoChannelA, OnPreD, PreDCombiner, u.fixedNoiseADbmHz)
QX_CARD_NUMBER_SET(PreD_SetFixedNoChannelA, OnPreD, PreDCombiner, -200.0, 0.0, fixedNoiseADbmHz)
QX_CARD_NUMBER_GET(PreD_GetFixedNoChannelB, OnPreD, PreDCombiner, u.fixedNoiseBDbmHz)
QX_CARD_NUMBER_SET(PreD_SetFixedNoChannelB, OnPreD, PreDCombiner, -200.0, 0.0, fixedNoiseBDbmHz)
QX_CARD_NUMBER_GET(PreD_GetNoiseFilterGainValue, OnPreD, PreDCombiner, u.noiseFilterGain)
QX_CARD_NUMBER_SET(PreD_SetNoiseFilterGainValue, OnPreD, PreDCombiner, 1e-6, 1e6, noiseFilterGain)
QX_CARD_NUMBER_GET(PreD_GetMeasuredNoiseChannelA, OnPreD, PreDCombiner, u.measuredNoiseADbmHz)
QX_CARD_NUMBER_GET(PreD_GetMeasuredNoiseChannelB, OnPreD, PreDCombiner, u.measuredNoiseBDbmHz)

// ---- Post-detection combiner ------------------------------------------------------------------------

QX_CARD_LIST_GET(PostD_GetAvailableDiversityOutputs, OnPostD, PostDCombiner, kDiversityOutputs)
QX_CARD_TEXT_GET(PostD_GetDiversityOutput, OnPostD, PostDCombiner, output)
QX_CARD_NAME_SET(PostD_SetDiversityOutput, OnPostD, PostDCombiner, kDiversityOutputs, output)
QX_CARD_NUMBER_GET(PostD_GetCombiningGainIndB, OnPostD, PostDCombiner, c.PostDCombiningGainDb())
QX_CARD_NUMBER_GET(PostD_GetChannelAEbNo, OnPostD, PostDCombiner, c.PostDChannelEbNo(0))
QX_CARD_NUMBER_GET(PostD_GetChannelBEbNo, OnPostD, PostDCombiner, c.PostDChannelEbNo(1))
QX_CARD_NUMBER_GET(PostD_GetChannelAScaleInPercent, OnPostD, PostDCombiner, c.PostDScalePercent(0))
QX_CARD_NUMBER_GET(PostD_GetChannelBScaleInPercent, OnPostD, PostDCombiner, c.PostDScalePercent(1))

// ---- Receive BERT -----------------------------------------------------------------------------------

extern "C" int Zp90_Bert_GetPnPatternList(int card, int bert, card::DevName* names, int capacity, int* count) {
  return OnBert<Access::kRead>(card, bert, [&](Card&, Bert&) { return PutList(names, capacity, count, kRxPnPatterns); });
}
extern "C" int Zp90_Bert_GetPnPattern(int card, int bert, char* text, int capacity) {
  return OnBert<Access::kRead>(card, bert, [&](Card&, Bert& b) { return PutText(text, capacity, b.pattern); });
}
extern "C" int Zp90_Bert_SetPnPattern(int card, int bert, const char* name) {
  return OnBert(card, bert, [&](Card&, Bert& b) {
    const int status = TakeName(name, kRxPnPatterns, b.pattern);
    if (status == kDevOk) b.lock.Restart();
    return status;
  });
}
extern "C" int Zp90_Bert_GetClockPolarityList(int card, int bert, card::DevName* names, int capacity, int* count) {
  return OnBert<Access::kRead>(card, bert, [&](Card&, Bert&) { return PutList(names, capacity, count, kClockPolarities); });
}
extern "C" int Zp90_Bert_GetClockPolarity(int card, int bert, char* text, int capacity) {
  return OnBert<Access::kRead>(card, bert, [&](Card&, Bert& b) { return PutText(text, capacity, b.clockPolarity); });
}
extern "C" int Zp90_Bert_SetClockPolarity(int card, int bert, const char* name) {
  return OnBert(card, bert, [&](Card&, Bert& b) { return TakeName(name, kClockPolarities, b.clockPolarity); });
}
extern "C" int Zp90_Bert_GetUserPattern(int card, int bert, unsigned char* pattern, int capacity, int* lengthBits) {
  return OnBert<Access::kRead>(card, bert, [&](Card&, Bert& b) {
    return PutPattern(b.userPattern, b.userPatternBits, pattern, capacity, lengthBits);
  });
}
extern "C" int Zp90_Bert_SetUserPattern(int card, int bert, const unsigned char* pattern, int lengthBits) {
  return OnBert(card, bert, [&](Card&, Bert& b) {
    const int status = TakePattern(pattern, lengthBits, b.userPattern, b.userPatternBits);
    if (status == kDevOk) b.lock.Restart();
    return status;
  });
}
extern "C" int Zp90_Bert_ResetMeasures(int card, int bert) {
  return OnBert(card, bert, [&](Card&, Bert& b) {
    b.totalBits = 0.0;
    b.errorBits = 0.0;
    b.lockLossCount = 0;
    b.inversionCount = 0;
    return kDevOk;
  });
}
extern "C" int Zp90_Bert_GetLockState(int card, int bert, char* text, int capacity) {
  return OnBert<Access::kRead>(card, bert, [&](Card&, Bert& b) { return PutText(text, capacity, LockText(b.lock.locked)); });
}
extern "C" int Zp90_Bert_GetInvertState(int card, int bert, char* text, int capacity) {
  return OnBert<Access::kRead>(card, bert, [&](Card&, Bert& b) {
    return PutText(text, capacity, b.lock.locked && b.inverted ? "INVERT" : "NORMAL");
  });
}
extern "C" int Zp90_Bert_GetLockLossCount(int card, int bert, int* count) {
  return OnBert<Access::kRead>(card, bert, [&](Card&, Bert& b) { return PutInt(count, b.lockLossCount); });
}
extern "C" int Zp90_Bert_GetInversionCount(int card, int bert, int* count) {
  return OnBert<Access::kRead>(card, bert, [&](Card&, Bert& b) { return PutInt(count, b.inversionCount); });
}
extern "C" int Zp90_Bert_GetBitRate(int card, int bert, double* rate) {
  return OnBert<Access::kRead>(card, bert, [&](Card&, Bert& b) { return PutNumber(rate, b.measuredRate); });
}
extern "C" int Zp90_Bert_GetTotalBits(int card, int bert, double* bits) {
  return OnBert<Access::kRead>(card, bert, [&](Card&, Bert& b) { return PutNumber(bits, b.totalBits); });
}
extern "C" int Zp90_Bert_GetErrorBits(int card, int bert, double* bits) {
  return OnBert<Access::kRead>(card, bert, [&](Card&, Bert& b) { return PutNumber(bits, b.errorBits); });
}
extern "C" int Zp90_Bert_GetBitErrorRate(int card, int bert, char* text, int capacity) {
  return OnBert<Access::kRead>(card, bert, [&](Card&, Bert& b) {
    const double rate = b.totalBits > 0.0 ? b.errorBits / b.totalBits : 0.0;
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, rate, std::chars_format::scientific, 3);
    return PutText(text, capacity, std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)));
  });
}

// ---- Transmit BERT ----------------------------------------------------------------------------------

extern "C" int Zp90_TxBert_GetPnPatternList(int card, int bert, card::DevName* names, int capacity, int* count) {
  return OnTxBert<Access::kRead>(card, bert, [&](TxBert&) { return PutList(names, capacity, count, kTxPnPatterns); });
}
extern "C" int Zp90_TxBert_GetPnPattern(int card, int bert, char* text, int capacity) {
  return OnTxBert<Access::kRead>(card, bert, [&](TxBert& t) { return PutText(text, capacity, t.pattern); });
}
extern "C" int Zp90_TxBert_SetPnPattern(int card, int bert, const char* name) {
  return OnTxBert(card, bert, [&](TxBert& t) { return TakeName(name, kTxPnPatterns, t.pattern); });
}
extern "C" int Zp90_TxBert_GetUserPattern(int card, int bert, unsigned char* pattern, int capacity, int* lengthBits) {
  return OnTxBert<Access::kRead>(card, bert, [&](TxBert& t) {
    return PutPattern(t.userPattern, t.userPatternBits, pattern, capacity, lengthBits);
  });
}
extern "C" int Zp90_TxBert_SetUserPattern(int card, int bert, const unsigned char* pattern, int lengthBits) {
  return OnTxBert(card, bert, [&](TxBert& t) { return TakePattern(pattern, lengthBits, t.userPattern, t.userPatternBits); });
}
extern "C" int Zp90_TxBert_SetBitRate(int card, int bert, double bps) {
  return OnTxBert(card, bert, [&](TxBert& t) { return TakeNumber(bps, kMinRate, kMaxDataRate, t.bitRate); });
}
extern "C" int Zp90_TxBert_SetBitErrorRate(int card, int bert, double rate) {
  return OnTxBert(card, bert, [&](TxBert& t) { return TakeNumber(rate, 0.0, 0.5, t.bitErrorRate); });
}
extern "C" int Zp90_TxBert_SetClockPolarity(int card, int bert, const char* name) {
  return OnTxBert(card, bert, [&](TxBert& t) { return TakeName(name, kTxPolarities, t.clockPolarity); });
}
extern "C" int Zp90_TxBert_SetDataPolarity(int card, int bert, const char* name) {
  return OnTxBert(card, bert, [&](TxBert& t) { return TakeName(name, kTxPolarities, t.dataPolarity); });
}
extern "C" int Zp90_TxBert_GetBitRate(int card, int bert, double* bps) {
  return OnTxBert<Access::kRead>(card, bert, [&](TxBert& t) { return PutNumber(bps, t.bitRate); });
}
extern "C" int Zp90_TxBert_GetBitErrorRate(int card, int bert, double* rate) {
  return OnTxBert<Access::kRead>(card, bert, [&](TxBert& t) { return PutNumber(rate, t.bitErrorRate); });
}
extern "C" int Zp90_TxBert_GetClockPolarity(int card, int bert, char* text, int capacity) {
  return OnTxBert<Access::kRead>(card, bert, [&](TxBert& t) { return PutText(text, capacity, t.clockPolarity); });
}
extern "C" int Zp90_TxBert_GetDataPolarity(int card, int bert, char* text, int capacity) {
  return OnTxBert<Access::kRead>(card, bert, [&](TxBert& t) { return PutText(text, capacity, t.dataPolarity); });
}
extern "C" int Zp90_TxBert_GetInsertTimeCode(int card, int bert, int* on) {
  return OnTxBert<Access::kRead>(card, bert, [&](TxBert& t) { return PutFlag(on, t.insertTimeCode); });
}
extern "C" int Zp90_TxBert_SetInsertTimeCode(int card, int bert, int on) {
  return OnTxBert(card, bert, [&](TxBert& t) { return TakeFlag(on, t.insertTimeCode); });
}
extern "C" int Zp90_TxBert_GetSystemClock(int card, int bert, double* hz) {
  return OnTxBert<Access::kRead>(card, bert, [&](TxBert& t) { return PutNumber(hz, t.systemClockHz); });
}
extern "C" int Zp90_TxBert_SetSystemClock(int card, int bert, double hz) {
  return OnTxBert(card, bert, [&](TxBert& t) { return TakeNumber(hz, 0.0, kMaxIfHz, t.systemClockHz); });
}

// ---- Test hooks (not part of the entry list) --------------------------------------------------------

// 1: the simulated clock stands still and moves only by QuorxSim_AdvanceSeconds; 0: it follows
// the monotonic clock again, from where it stood.
QUORX_DEVICE_EXPORT void QuorxSim_UseManualClock(int on) {
  try {
    SimClock::Instance().UseManual(on != 0);
  } catch (...) {
  }
}

// Moves the manual clock on; 0 on success, kDevBadArgument for a negative or non-finite step or
// while the clock follows the real one.
QUORX_DEVICE_EXPORT int QuorxSim_AdvanceSeconds(double seconds) {
  return Guard([&] { return SimClock::Instance().Advance(seconds) ? kDevOk : kDevBadArgument; });
}

// Reads the configuration again and puts every card back to power-up (closed, no personality
// unless the configuration gives one). The clock keeps its mode and time.
QUORX_DEVICE_EXPORT void QuorxSim_Reset() {
  try {
    Simulator::Instance().Reset();
  } catch (...) {
  }
}
