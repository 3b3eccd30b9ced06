#pragma once
// A receiver-card library made of a function table: every entry of device_api.def is bound to a
// thunk that records the call (entry, card, the plain arguments as text) and answers from the
// fake's settings, so card-object tests run without any library file. One fake is current at a
// time; the thunks reach it through `FakeZp90::current`.
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "card/device_api.h"
#include "card/records/card_info_block.h"
#include "card/records/fpga_info_records.h"
#include "platform/message_bus.h"
#include "util/process_globals.h"

namespace card::testing {

struct FakeCall {
  Zp90Entry entry;
  int card = -1;
  std::vector<std::string> args;  // the arguments after the card that are values (not outputs)
  std::chrono::steady_clock::time_point at = std::chrono::steady_clock::now();  // when it came in
};

class FakeZp90 {
 public:
  FakeZp90();
  ~FakeZp90() { current = previous_; }
  FakeZp90(const FakeZp90&) = delete;
  FakeZp90& operator=(const FakeZp90&) = delete;

  inline static FakeZp90* current = nullptr;

  // Every entry bound; tests clear single pointers to take an entry away.
  Zp90Functions table{};
  std::vector<FakeCall> calls;

  // ---- What the fake answers ------------------------------------------------------------------
  std::map<Zp90Entry, int> status;  // an entry's forced status (kDevOk when absent)
  int dcmUp = 1;
  kr20cardinfo info{};
  int chipVariant = 0;
  std::uint32_t maxDataRate = 0;
  std::array<int, 2> fpgaLoaded{1, 1};
  std::array<std::vector<FpgaDeviceEntry>, 2> toc;
  std::array<int, 2> tocCount{-1000, -1000};  // reported count; -1000: the size of `toc`
  std::vector<std::string> loadedImages;      // paths given to Card_LoadFpgaImage, in order
  double number = 12.5;                       // every number getter
  int integer = 1;                            // every int getter (flags and counts)
  std::string text = "LOCKED";                // every text getter; too long: left unterminated
  std::vector<std::string> names{"NRZL", "NRZM"};  // every list; too long: left unterminated
  int namesCount = -1000;                     // reported count; -1000: the size of `names`
  std::map<std::pair<int, std::uint32_t>, std::uint32_t> registers;  // (fpga, register) -> value
  std::array<unsigned char, 4> pattern{0xA5, 0x5A, 0xFF, 0x00};
  int patternLength = 16;
  int bufferCount = 3;                        // FFT points / IQ pairs reported
  unsigned char bufferFlag = 7;               // the flag handed back

  // ---- Looking at the calls ---------------------------------------------------------------------
  std::vector<FakeCall> CallsOf(Zp90Entry entry) const {
    std::vector<FakeCall> found;
    std::copy_if(calls.begin(), calls.end(), std::back_inserter(found), [&](const FakeCall& c) { return c.entry == entry; });
    return found;
  }
  std::size_t Count(Zp90Entry entry) const { return CallsOf(entry).size(); }
  // Calls other than the readiness probe (DCM link state).
  std::size_t WrapperCalls() const { return calls.size() - Count(Zp90Entry::Card_GetDcmLinkState); }
  // The last call of the entry; a test that expects one asserts it exists by using it.
  std::optional<FakeCall> Last(Zp90Entry entry) const {
    const std::vector<FakeCall> found = CallsOf(entry);
    return found.empty() ? std::nullopt : std::optional<FakeCall>(found.back());
  }

  // ---- Dispatch by argument shape (called by the thunks) ----------------------------------------
  int Dispatch(Zp90Entry e, int* out) {
    Record(e, -1, {});
    if (Forced(e)) return status[e];
    *out = e == Zp90Entry::Lib_GetApiVersion ? kZp90ApiVersion : 1;
    return kDevOk;
  }
  // Every call that only hands values in: recorded as texts.
  template <class... A>
  int Dispatch(Zp90Entry e, int card, A... values) {
    return Done(e, card, {Str(values)...});
  }
  int Dispatch(Zp90Entry e, int card, int unit, const char* name) {
    if (e == Zp90Entry::Card_LoadFpgaImage && !Forced(e)) loadedImages.emplace_back(name);
    return Done(e, card, {Str(unit), name});
  }

  int Dispatch(Zp90Entry e, int card, double* out) { return Answer(e, card, {}, out, number); }
  int Dispatch(Zp90Entry e, int card, int unit, double* out) { return Answer(e, card, {Str(unit)}, out, number); }
  int Dispatch(Zp90Entry e, int card, int* out) {
    int value = integer;
    if (e == Zp90Entry::Card_GetDcmLinkState) value = dcmUp;
    if (e == Zp90Entry::Card_GetChipVariant) value = chipVariant;
    return Answer(e, card, {}, out, value);
  }
  int Dispatch(Zp90Entry e, int card, int unit, int* out) {
    int value = integer;
    if (e == Zp90Entry::Card_GetFpgaLoaded) value = fpgaLoaded[static_cast<std::size_t>(unit)];
    if (e == Zp90Entry::Card_GetFpgaTocCount) {
      const auto f = static_cast<std::size_t>(unit);
      value = tocCount[f] == -1000 ? static_cast<int>(toc[f].size()) : tocCount[f];
    }
    return Answer(e, card, {Str(unit)}, out, value);
  }
  int Dispatch(Zp90Entry e, int card, std::uint32_t* out) { return Answer(e, card, {}, out, maxDataRate); }
  int Dispatch(Zp90Entry e, int card, char* out, int capacity) { return Text(e, card, {}, out, capacity); }
  int Dispatch(Zp90Entry e, int card, int unit, char* out, int capacity) { return Text(e, card, {Str(unit)}, out, capacity); }
  int Dispatch(Zp90Entry e, int card, DevName* out, int capacity, int* count) { return List(e, card, {}, out, capacity, count); }
  int Dispatch(Zp90Entry e, int card, int unit, DevName* out, int capacity, int* count) {
    return List(e, card, {Str(unit)}, out, capacity, count);
  }
  int Dispatch(Zp90Entry e, int card, void* block, int capacity) {
    Record(e, card, {Str(capacity)});
    if (Forced(e)) return status[e];
    if (capacity < static_cast<int>(sizeof info)) return kDevBufferTooSmall;
    std::memcpy(block, &info, sizeof info);
    return kDevOk;
  }
  int Dispatch(Zp90Entry e, int card, int fpga, int index, int* tocEntry, std::uint32_t* typeNumber, int* major,
               int* minor, std::uint32_t* base, int* fpgaInstance, int* cardInstance, int* typeCode) {
    Record(e, card, {Str(fpga), Str(index)});
    if (Forced(e)) return status[e];
    const auto& list = toc[static_cast<std::size_t>(fpga)];
    if (index < 0 || index >= static_cast<int>(list.size())) return kDevBadChannel;
    const FpgaDeviceEntry entry = list[static_cast<std::size_t>(index)];
    *tocEntry = entry.TocEntry;
    *typeNumber = entry.DeviceTypeNumber;
    *major = entry.MajorVersion;
    *minor = entry.MinorVersion;
    *base = entry.BaseAddress;
    *fpgaInstance = entry.FpgaInstance;
    *cardInstance = entry.CardInstance;
    *typeCode = entry.DeviceTypeCode;
    return kDevOk;
  }
  int Dispatch(Zp90Entry e, int card, int fpga, std::uint32_t first, std::uint32_t* values, int count) {
    Record(e, card, {Str(fpga), Str(first), Str(count)});
    if (Forced(e)) return status[e];
    for (int i = 0; i < count; ++i) values[i] = registers[{fpga, first + static_cast<std::uint32_t>(i)}];
    return kDevOk;
  }
  int Dispatch(Zp90Entry e, int card, int fpga, std::uint32_t reg, std::uint32_t value) {
    if (!Forced(e)) registers[{fpga, reg}] = value;
    return Done(e, card, {Str(fpga), Str(reg), Str(value)});
  }
  int Dispatch(Zp90Entry e, int card, int unit, unsigned char* out, int capacity, int* lengthBits) {
    std::memcpy(out, pattern.data(), std::min<std::size_t>(pattern.size(), static_cast<std::size_t>(capacity)));
    *lengthBits = patternLength;
    return Done(e, card, {Str(unit), Str(capacity)});
  }
  int Dispatch(Zp90Entry e, int card, int unit, unsigned char* flag, void* buffer, int capacity, int* count) {
    Record(e, card, {Str(unit), Str(*flag), Str(capacity)});
    if (Forced(e)) return status[e];
    for (int i = 0; i < std::min(bufferCount, capacity); ++i) std::memcpy(static_cast<double*>(buffer) + i, &number, sizeof number);
    *flag = bufferFlag;
    *count = bufferCount;
    return kDevOk;
  }
  int Dispatch(Zp90Entry e, int card, int unit, int* lockState, int* carrierLocked, double* freqMhz, double* bitRate,
               double* loopError) {
    std::tie(*lockState, *carrierLocked, *freqMhz, *bitRate, *loopError) = std::tuple(2, 1, 70.25, 1e6, -3.5);
    return Done(e, card, {Str(unit)});
  }

 private:
  static std::string Str(int value) { return std::to_string(value); }
  static std::string Str(std::uint32_t value) { return std::to_string(value); }
  static std::string Str(double value) { return std::to_string(value); }
  static std::string Str(const char* text) { return text; }
  static std::string Str(const unsigned char* bytes) {  // a user pattern: its four bytes
    return Str(bytes[0]) + "." + Str(bytes[1]) + "." + Str(bytes[2]) + "." + Str(bytes[3]);
  }
  void Record(Zp90Entry e, int card, std::vector<std::string> args) { calls.push_back({e, card, std::move(args)}); }
  bool Forced(Zp90Entry e) const { return status.count(e) != 0 && status.at(e) != kDevOk; }
  int Done(Zp90Entry e, int card, std::vector<std::string> args) {
    Record(e, card, std::move(args));
    return Forced(e) ? status[e] : kDevOk;
  }
  template <class T, class V>
  int Answer(Zp90Entry e, int card, std::vector<std::string> args, T* out, V value) {
    Record(e, card, std::move(args));
    if (Forced(e)) return status[e];
    *out = static_cast<T>(value);
    return kDevOk;
  }
  int Text(Zp90Entry e, int card, std::vector<std::string> args, char* out, int capacity) {
    Record(e, card, std::move(args));
    if (Forced(e)) return status[e];
    std::memcpy(out, text.c_str(), std::min(text.size() + 1, static_cast<std::size_t>(capacity)));
    return kDevOk;
  }
  int List(Zp90Entry e, int card, std::vector<std::string> args, DevName* out, int capacity, int* count) {
    Record(e, card, std::move(args));
    if (Forced(e)) return status[e];
    const int reported = namesCount == -1000 ? static_cast<int>(names.size()) : namesCount;
    for (std::size_t i = 0; i < names.size() && static_cast<int>(i) < capacity; ++i) {
      std::memcpy(out[i], names[i].c_str(), std::min(names[i].size() + 1, sizeof out[i]));
    }
    *count = reported;
    return kDevOk;
  }

  FakeZp90* previous_ = nullptr;
};

// Every entry's thunk: forwards the call, arguments as they are, to the current fake.
template <Zp90Entry E>
struct Thunk {
  template <class... A>
  static int Call(A... args) {
    return FakeZp90::current->Dispatch(E, args...);
  }
};

inline FakeZp90::FakeZp90() : previous_(current) {
  current = this;
#define ZP90_API(need, name, params, args) table.name = &Thunk<Zp90Entry::name>::Call;
#include "card/device_api.def"
#undef ZP90_API
}

// A table-of-contents entry.
inline FpgaDeviceEntry TocEntry(std::uint32_t typeNumber, std::int32_t typeCode, std::uint32_t base,
                                std::int32_t fpgaInstance) {
  return FpgaDeviceEntry{1, typeNumber, 2, 1, base, fpgaInstance, 0, typeCode};
}

// The messages sent to the main window, with the number of library calls made before each.
class RecordingMainWindow final : public platform::MessageTarget {
 public:
  struct Message {
    std::uint32_t message;
    platform::WParam wParam;
    platform::LParam lParam;
    std::size_t callsBefore;
    bool sent;
  };
  explicit RecordingMainWindow(const FakeZp90* fake = nullptr)
      : fake_(fake), previous_(util::MainWindowHandle.exchange(this)) {}
  ~RecordingMainWindow() override { util::MainWindowHandle.store(previous_); }
  RecordingMainWindow(const RecordingMainWindow&) = delete;
  RecordingMainWindow& operator=(const RecordingMainWindow&) = delete;

  bool Post(std::uint32_t message, platform::WParam wParam, platform::LParam lParam) override {
    messages.push_back({message, wParam, lParam, fake_ != nullptr ? fake_->calls.size() : 0, false});
    return true;
  }
  platform::LParam Send(std::uint32_t message, platform::WParam wParam, platform::LParam lParam) override {
    messages.push_back({message, wParam, lParam, fake_ != nullptr ? fake_->calls.size() : 0, true});
    if (onSend) onSend();
    return 0;
  }

  std::vector<Message> messages;
  std::function<void()> onSend;

 private:
  const FakeZp90* fake_;
  platform::MessageTarget* previous_;
};

}  // namespace card::testing
