#pragma once
// The simulated device libraries as the program sees them: opened with dlopen, every entry bound
// by name. Each test starts from a configuration of its own (written into a scratch folder named
// by QUORX_SIM_FOLDER), power-up state and a manual clock.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "card/device_api.h"
#include "card/fpga_image_header.h"
#include "support/log_capture.h"
#include "support/scratch_folder.h"

namespace simtest {

// A packed field by value: gtest's macros bind references, which a packed field cannot take.
template <class T>
constexpr T Val(T value) {
  return value;
}

template <class Pointer>
Pointer Bind(void* handle, const std::string& symbol) {
  void* address = handle != nullptr ? dlsym(handle, symbol.c_str()) : nullptr;
  Pointer pointer = nullptr;
  static_assert(sizeof pointer == sizeof address);
  std::memcpy(&pointer, &address, sizeof pointer);
  return pointer;
}

struct Zp90Library {
  void* handle = nullptr;
  card::Zp90Functions fn{};
  int missing = 0;
  void (*useManualClock)(int) = nullptr;
  int (*advanceSeconds)(double) = nullptr;
  void (*reset)() = nullptr;
};

struct DnCvtLibrary {
  void* handle = nullptr;
  card::DnCvtFunctions fn{};
  int missing = 0;
  void (*reset)() = nullptr;
};

// Loaded once per test program and never unloaded.
inline const Zp90Library& Zp90() {
  static const Zp90Library library = [] {
    Zp90Library lib;
    lib.handle = dlopen(QUORX_SIM_ZP90_LIB, RTLD_NOW | RTLD_LOCAL);
#define ZP90_API(need, name, params, args)                                      \
  lib.fn.name = Bind<decltype(lib.fn.name)>(lib.handle, "Zp90_" #name);         \
  lib.missing += lib.fn.name == nullptr ? 1 : 0;
#include "card/device_api.def"
#undef ZP90_API
    lib.useManualClock = Bind<void (*)(int)>(lib.handle, "QuorxSim_UseManualClock");
    lib.advanceSeconds = Bind<int (*)(double)>(lib.handle, "QuorxSim_AdvanceSeconds");
    lib.reset = Bind<void (*)()>(lib.handle, "QuorxSim_Reset");
    return lib;
  }();
  return library;
}

inline DnCvtLibrary LoadDnCvt(const char* path, const std::string& prefix) {
  DnCvtLibrary lib;
  lib.handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
#define DNCVT_API(need, name, params, args)                                     \
  lib.fn.name = Bind<decltype(lib.fn.name)>(lib.handle, prefix + #name);        \
  lib.missing += lib.fn.name == nullptr ? 1 : 0;
#include "card/dncvt_api.def"
#undef DNCVT_API
  lib.reset = Bind<void (*)()>(lib.handle, "QuorxSim_Reset");
  return lib;
}

inline const DnCvtLibrary& Kr12() {
  static const DnCvtLibrary library = LoadDnCvt(QUORX_SIM_KR12_LIB, "Kr12_");
  return library;
}
inline const DnCvtLibrary& Kr14() {
  static const DnCvtLibrary library = LoadDnCvt(QUORX_SIM_KR14_LIB, "Kr14_");
  return library;
}

// The sixteen images, written once per test program by the generator.
inline const std::string& ImageFolder() {
  static testsupport::ScratchFolder folder;
  static const bool made = [] {
    const std::string command = std::string("'") + QUORX_MAKE_FPGA_IMAGES + "' '" + folder.Path() + "/images'";
    return std::system(command.c_str()) == 0;
  }();
  static const std::string path = made ? folder.Path() + "/images" : std::string{};
  return path;
}
inline std::string ImagePath(int mode) { return ImageFolder() + "/" + card::FpgaImageFileName(mode); }

// Card 0 is a standard board, card 1 a chip-variant board; the signals are the test's.
inline std::string ConfigText(const std::string& card0Inputs, const std::string& card1Inputs = "IfInput1=NONE\nIfInput2=NONE\n") {
  return "[General]\nCards=2\nSeed=7\n[Card_0]\nChipVariant=NO\n" + card0Inputs + "\n[Card_1]\nChipVariant=YES\n" +
         card1Inputs + "\n";
}

class SimTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(Zp90().handle, nullptr) << dlerror();
    ASSERT_FALSE(ImageFolder().empty());
    setenv("QUORX_SIM_FOLDER", folder_.Path().c_str(), 1);
    Zp90().useManualClock(1);
    UseConfig(ConfigText("IfInput1=70e6, -40, BPSK, 1e6, 12, NRZL\nIfInput2=NONE"));
  }
  void TearDown() override { unsetenv("QUORX_SIM_FOLDER"); }

  const card::Zp90Functions& F() const { return Zp90().fn; }

  void UseConfig(const std::string& text) {
    ASSERT_TRUE(testsupport::WriteWholeFile(folder_ / "VirtualHardware.cfg", text));
    Zp90().reset();
  }
  void Advance(double seconds) { ASSERT_EQ(Zp90().advanceSeconds(seconds), card::kDevOk); }

  // Opens the card and runs the mode's personality on it.
  void Load(int cardIndex, int mode) {
    ASSERT_EQ(F().Card_Open(cardIndex), card::kDevOk);
    ASSERT_EQ(F().Card_LoadFpgaImage(cardIndex, 0, ImagePath(mode).c_str()), card::kDevOk) << "mode " << mode;
  }

  // Tunes a PSK receiver to a BPSK signal at 70 MHz of `bps`.
  void TunePsk(int cardIndex, int rx, double bps, const char* modulation = "BPSK") {
    ASSERT_EQ(F().PskRx_SetCarrierCenterFrequencyInHz(cardIndex, rx, 70e6), card::kDevOk);
    ASSERT_EQ(F().PskRx_SetCarrierModulationMode(cardIndex, rx, modulation), card::kDevOk);
    ASSERT_EQ(F().PskRx_SetBitSyncStream1RateInbps(cardIndex, rx, bps), card::kDevOk);
  }

  using RxText = int (*)(int, int, char*, int);
  std::string Text(RxText fn, int cardIndex, int unit) const {
    char text[card::kDevNameSize] = {};
    const int status = fn(cardIndex, unit, text, sizeof text);
    return status == card::kDevOk ? std::string(text) : "status " + std::to_string(status);
  }
  using RxNumber = int (*)(int, int, double*);
  double Number(RxNumber fn, int cardIndex, int unit) const {
    double value = -12345.0;
    EXPECT_EQ(fn(cardIndex, unit, &value), card::kDevOk);
    return value;
  }

  testsupport::ScratchFolder folder_;
};

}  // namespace simtest
