// libKr12V2_Dll.so and libKr14P3_Dll.so: the entries of card/dncvt_api.def on simulated
// down-converter cards. One source, built twice: QUORX_DNCVT_MODEL is 12 or 14 and picks the
// symbol prefix, the tables and the card counts of the configuration ([DownConverters]).
//
// Model: every channel sees the configured RF carrier. Tuned to within half its IF filter of
// that carrier, the AGC reading follows the carrier's power (plus the noise in the filter) and
// the AM detector shows the carrier's scan tone; otherwise the reading is the noise in the
// filter and the AM detector is silent. The PLLs lock once the channel is tuned into a band;
// the reference is locked from power-up. A PLL status value is 0 while its PLL is locked, 1 while
// it is not (the status panels read 0 as "Lock"). A frozen AGC holds its reading.
//
// Status byte: bit 0 all PLLs locked, 1 AGC frozen, 2 AGC zeroed, 3 limited output, 4 signal
// in the IF filter.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <vector>

#include "card/device_exports.h"
#include "devicesim/sim_config.h"
#include "devicesim/sim_random.h"

#if QUORX_DNCVT_MODEL == 12
#define QX_DNCVT(name) Kr12_##name
#elif QUORX_DNCVT_MODEL == 14
#define QX_DNCVT(name) Kr14_##name
#else
#error "QUORX_DNCVT_MODEL must be 12 or 14"
#endif

using card::kDevBadArgument;
using card::kDevBadCard;
using card::kDevBadChannel;
using card::kDevBufferTooSmall;
using card::kDevOk;

namespace {

using quorxsim::DnCvtConfig;
using quorxsim::Random;

struct Band {
  double startMhz;
  double stopMhz;
};

#if QUORX_DNCVT_MODEL == 12
constexpr double kFilterKhz[12] = {250, 500, 1000, 2000, 4000, 6000, 10000, 20000, 0, 0, 0, 0};
constexpr Band kBands[] = {{1435.0, 1540.0}, {2200.0, 2300.0}, {2300.0, 2400.0}};
constexpr std::uint64_t kSeedSalt = 12;
#else
constexpr double kFilterKhz[12] = {100, 250, 500, 1000, 2000, 4000, 6000, 10000, 15000, 20000, 30000, 0};
constexpr Band kBands[] = {{1435.0, 1540.0}, {1750.0, 1855.0}, {2185.0, 2300.0}, {2300.0, 2485.0}};
constexpr std::uint64_t kSeedSalt = 14;
#endif
constexpr double kTimeConstantMs[8] = {0.1, 0.3, 1.0, 3.0, 10.0, 30.0, 100.0, 1000.0};
constexpr int kFilterCount = static_cast<int>(std::size(kFilterKhz));
constexpr int kTimeConstantCount = static_cast<int>(std::size(kTimeConstantMs));
constexpr int kBandCount = static_cast<int>(std::size(kBands));
constexpr double kNoiseFigureDb = 8.0;

struct Channel {
  double freqMhz = 0.0;  // 0: not tuned since power-up
  bool agcFreeze = false;
  bool agcZero = false;
  bool limitedOutput = false;
  int digitalAgcMode = 0;
  int timeConstant = 4;
  int filter = 4;
  double frozenDbm = 0.0;
};

struct ConverterCard {
  std::mutex mutex;
  bool open = false;
  std::vector<Channel> channels;
};

class Converters {
 public:
  static Converters& Instance() {
    static Converters converters;
    return converters;
  }

  void Reset() {
    std::unique_lock structure(mutex_);
    Build();
  }

  int CardCount() {
    std::shared_lock structure(mutex_);
    return static_cast<int>(cards_.size());
  }

  // Runs body(card, setup, random) on an existing card; the card must be open when asked.
  template <class Body>
  int WithCard(int index, bool requireOpen, Body&& body) {
    std::shared_lock structure(mutex_);
    if (index < 0 || static_cast<std::size_t>(index) >= cards_.size()) return kDevBadCard;
    ConverterCard& c = *cards_[static_cast<std::size_t>(index)];
    std::lock_guard lock(c.mutex);
    if (requireOpen && !c.open) return kDevBadCard;
    return body(c, setup_, random_[static_cast<std::size_t>(index)]);
  }

 private:
  Converters() { Build(); }

  void Build() {
    const quorxsim::SimConfig config = quorxsim::LoadSimConfig();
    setup_ = config.dncvt;
    const int cards = QUORX_DNCVT_MODEL == 12 ? setup_.kr12Cards : setup_.kr14Cards;
    const int channels = QUORX_DNCVT_MODEL == 12 ? setup_.kr12Channels : setup_.kr14Channels;
    cards_.clear();
    random_.clear();
    for (int i = 0; i < cards; ++i) {
      auto c = std::make_unique<ConverterCard>();
      c->channels.resize(static_cast<std::size_t>(channels));
      cards_.push_back(std::move(c));
      random_.emplace_back(config.seed * 31 + kSeedSalt * 1000 + static_cast<std::uint64_t>(i));
    }
  }

  std::shared_mutex mutex_;
  DnCvtConfig setup_;
  std::vector<std::unique_ptr<ConverterCard>> cards_;
  std::vector<Random> random_;
};

template <class Body>
int Guard(Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return card::kDevHardwareError;
  }
}

template <class Body>
int OnChannel(int cardIndex, int channel, Body&& body) noexcept {
  return Guard([&] {
    return Converters::Instance().WithCard(cardIndex, true, [&](ConverterCard& c, const DnCvtConfig& setup, Random& random) {
      if (channel < 0 || static_cast<std::size_t>(channel) >= c.channels.size()) return kDevBadChannel;
      return body(c.channels[static_cast<std::size_t>(channel)], setup, random);
    });
  });
}

bool InBand(double mhz) {
  return std::any_of(std::begin(kBands), std::end(kBands),
                     [&](const Band& b) { return mhz >= b.startMhz && mhz <= b.stopMhz; });
}

bool SignalInFilter(const Channel& ch, const DnCvtConfig& setup) {
  return ch.freqMhz > 0.0 && std::fabs(ch.freqMhz - setup.rfCarrierMhz) * 1000.0 <= kFilterKhz[ch.filter] / 2.0;
}

double StrengthDbm(const Channel& ch, const DnCvtConfig& setup, Random& random) {
  if (ch.agcFreeze) return ch.frozenDbm;
  const double noiseDbm = -174.0 + kNoiseFigureDb + 10.0 * std::log10(kFilterKhz[ch.filter] * 1000.0);
  double power = std::pow(10.0, noiseDbm / 10.0);
  if (SignalInFilter(ch, setup)) power += std::pow(10.0, setup.rfPowerDbm / 10.0);
  return 10.0 * std::log10(power) + 0.2 * random.Gauss();
}

int TakeFlag(int on, bool& field) {
  if (on != 0 && on != 1) return kDevBadArgument;
  field = on == 1;
  return kDevOk;
}

}  // namespace

// ---- Library and cards ------------------------------------------------------------------------------

extern "C" int QX_DNCVT(Lib_GetApiVersion)(int* version) {
  if (version == nullptr) return kDevBadArgument;
  *version = card::kDnCvtApiVersion;
  return kDevOk;
}

extern "C" int QX_DNCVT(GetCardCount)(int* count) {
  return Guard([&] {
    if (count == nullptr) return kDevBadArgument;
    *count = Converters::Instance().CardCount();
    return kDevOk;
  });
}

extern "C" int QX_DNCVT(OpenCard)(int card) {
  return Guard([&] {
    return Converters::Instance().WithCard(card, false, [](ConverterCard& c, const DnCvtConfig&, Random&) {
      c.open = true;
      return kDevOk;
    });
  });
}

extern "C" int QX_DNCVT(CloseCard)(int card) {
  return Guard([&] {
    return Converters::Instance().WithCard(card, false, [](ConverterCard& c, const DnCvtConfig&, Random&) {
      c.open = false;
      return kDevOk;
    });
  });
}

extern "C" int QX_DNCVT(GetChannelCount)(int card, int* channels) {
  return Guard([&] {
    return Converters::Instance().WithCard(card, true, [&](ConverterCard& c, const DnCvtConfig&, Random&) {
      if (channels == nullptr) return kDevBadArgument;
      *channels = static_cast<int>(c.channels.size());
      return kDevOk;
    });
  });
}

// ---- What a channel can do --------------------------------------------------------------------------

extern "C" int QX_DNCVT(GetIfFilterTable)(int card, int channel, double* bandwidthsKhz, int capacity, int* count) {
  return OnChannel(card, channel, [&](Channel&, const DnCvtConfig&, Random&) {
    if (bandwidthsKhz == nullptr || count == nullptr || capacity < 0) return kDevBadArgument;
    if (capacity < kFilterCount) return kDevBufferTooSmall;
    std::copy(std::begin(kFilterKhz), std::end(kFilterKhz), bandwidthsKhz);
    *count = kFilterCount;
    return kDevOk;
  });
}

extern "C" int QX_DNCVT(GetAgcTimeConstantTable)(int card, int channel, double* msecs, int capacity, int* count) {
  return OnChannel(card, channel, [&](Channel&, const DnCvtConfig&, Random&) {
    if (msecs == nullptr || count == nullptr || capacity < 0) return kDevBadArgument;
    if (capacity < kTimeConstantCount) return kDevBufferTooSmall;
    std::copy(std::begin(kTimeConstantMs), std::end(kTimeConstantMs), msecs);
    *count = kTimeConstantCount;
    return kDevOk;
  });
}

extern "C" int QX_DNCVT(GetFreqBandTable)(int card, int channel, double* startMhz, double* stopMhz, int capacity,
                                          int* count) {
  return OnChannel(card, channel, [&](Channel&, const DnCvtConfig&, Random&) {
    if (startMhz == nullptr || stopMhz == nullptr || count == nullptr || capacity < 0) return kDevBadArgument;
    if (capacity < kBandCount) return kDevBufferTooSmall;
    for (int i = 0; i < kBandCount; ++i) {
      startMhz[i] = kBands[i].startMhz;
      stopMhz[i] = kBands[i].stopMhz;
    }
    *count = kBandCount;
    return kDevOk;
  });
}

// ---- Settings ---------------------------------------------------------------------------------------

extern "C" int QX_DNCVT(SetFrequencyMhz)(int card, int channel, double mhz) {
  return OnChannel(card, channel, [&](Channel& ch, const DnCvtConfig&, Random&) {
    if (!std::isfinite(mhz) || !InBand(mhz)) return kDevBadArgument;
    ch.freqMhz = mhz;
    return kDevOk;
  });
}

extern "C" int QX_DNCVT(SetAgcFreeze)(int card, int channel, int on) {
  return OnChannel(card, channel, [&](Channel& ch, const DnCvtConfig& setup, Random& random) {
    if (on != 0 && on != 1) return kDevBadArgument;
    if (on == 1 && !ch.agcFreeze) ch.frozenDbm = StrengthDbm(ch, setup, random);
    ch.agcFreeze = on == 1;
    return kDevOk;
  });
}

extern "C" int QX_DNCVT(SetAgcZero)(int card, int channel, int on) {
  return OnChannel(card, channel, [&](Channel& ch, const DnCvtConfig&, Random&) { return TakeFlag(on, ch.agcZero); });
}

extern "C" int QX_DNCVT(SetAgcTimeConstant)(int card, int channel, int index) {
  return OnChannel(card, channel, [&](Channel& ch, const DnCvtConfig&, Random&) {
    if (index < 0 || index >= kTimeConstantCount) return kDevBadArgument;
    ch.timeConstant = index;
    return kDevOk;
  });
}

extern "C" int QX_DNCVT(SetIfBandwidth)(int card, int channel, int index) {
  return OnChannel(card, channel, [&](Channel& ch, const DnCvtConfig&, Random&) {
    // A filter that is not fitted cannot be switched in.
    if (index < 0 || index >= kFilterCount || kFilterKhz[index] <= 0.0) return kDevBadArgument;
    ch.filter = index;
    return kDevOk;
  });
}

extern "C" int QX_DNCVT(SetLimitedOutputMode)(int card, int channel, int on) {
  return OnChannel(card, channel, [&](Channel& ch, const DnCvtConfig&, Random&) { return TakeFlag(on, ch.limitedOutput); });
}

extern "C" int QX_DNCVT(SetDigitalAgcMode)(int card, int channel, int mode) {
  return OnChannel(card, channel, [&](Channel& ch, const DnCvtConfig&, Random&) {
    if (mode < 0 || mode > 2) return kDevBadArgument;
    ch.digitalAgcMode = mode;
    return kDevOk;
  });
}

// ---- Readings ---------------------------------------------------------------------------------------

extern "C" int QX_DNCVT(ReadStrength)(int card, int channel, double* dbm) {
  return OnChannel(card, channel, [&](Channel& ch, const DnCvtConfig& setup, Random& random) {
    if (dbm == nullptr) return kDevBadArgument;
    *dbm = StrengthDbm(ch, setup, random);
    return kDevOk;
  });
}

extern "C" int QX_DNCVT(ReadPllStatus)(int card, int channel, unsigned char* status1, unsigned char* status2,
                                       unsigned char* status3) {
  return OnChannel(card, channel, [&](Channel& ch, const DnCvtConfig&, Random&) {
    if (status1 == nullptr || status2 == nullptr || status3 == nullptr) return kDevBadArgument;
    const unsigned char unlocked = ch.freqMhz > 0.0 ? 0 : 1;
    *status1 = unlocked;
    *status2 = unlocked;
    *status3 = 0;
    return kDevOk;
  });
}

extern "C" int QX_DNCVT(ReadAmFrequency)(int card, int channel, int* hz) {
  return OnChannel(card, channel, [&](Channel& ch, const DnCvtConfig& setup, Random&) {
    if (hz == nullptr) return kDevBadArgument;
    *hz = SignalInFilter(ch, setup) ? static_cast<int>(std::lround(setup.amToneHz)) : 0;
    return kDevOk;
  });
}

extern "C" int QX_DNCVT(ReadAmIndex)(int card, int channel, double* index) {
  return OnChannel(card, channel, [&](Channel& ch, const DnCvtConfig& setup, Random& random) {
    if (index == nullptr) return kDevBadArgument;
    *index = SignalInFilter(ch, setup) ? std::max(0.0, setup.amIndex * (1.0 + 0.02 * random.Gauss())) : 0.0;
    return kDevOk;
  });
}

extern "C" int QX_DNCVT(ReadStatus)(int card, int channel, unsigned char* status) {
  return OnChannel(card, channel, [&](Channel& ch, const DnCvtConfig& setup, Random&) {
    if (status == nullptr) return kDevBadArgument;
    unsigned value = 0;
    value |= ch.freqMhz > 0.0 ? 0x01u : 0u;
    value |= ch.agcFreeze ? 0x02u : 0u;
    value |= ch.agcZero ? 0x04u : 0u;
    value |= ch.limitedOutput ? 0x08u : 0u;
    value |= SignalInFilter(ch, setup) ? 0x10u : 0u;
    *status = static_cast<unsigned char>(value);
    return kDevOk;
  });
}

// ---- Test hooks (not part of the entry list) --------------------------------------------------------

// Reads the configuration again; every converter card starts from power-up.
QUORX_DEVICE_EXPORT void QuorxSim_Reset() {
  try {
    Converters::Instance().Reset();
  } catch (...) {
  }
}

// What a channel was last given: tuned frequency (0.0 before the first tuning), IF filter index and
// AGC time-constant index. 0 when read, else a device status.
QUORX_DEVICE_EXPORT int QuorxSim_ChannelSettings(int card, int channel, double* mhz, int* filter, int* timeConstant) {
  return OnChannel(card, channel, [&](Channel& ch, const DnCvtConfig&, Random&) {
    if (mhz == nullptr || filter == nullptr || timeConstant == nullptr) return kDevBadArgument;
    *mhz = ch.freqMhz;
    *filter = ch.filter;
    *timeConstant = ch.timeConstant;
    return kDevOk;
  });
}
