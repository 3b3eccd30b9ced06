#include "devicesim/sim_card.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <tuple>
#include <utility>

#include "card/device_status.h"
#include "devicesim/sim_names.h"
#include "platform/regular_file.h"

namespace quorxsim {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kReceiverFloorDbmHz = -168.0;  // kT plus a 6 dB noise figure
constexpr double kNoPower = -400.0;
constexpr double kEbNoReadingCap = 40.0;        // where the estimators saturate
constexpr double kPmCarrierCnoDbHz = 30.0;      // residual-carrier loop threshold
constexpr double kBitSyncEbNoDb = 1.0;
constexpr double kCarrierAcquisitionSec = 0.05;
constexpr double kStepSec = 0.01;
constexpr int kMaxSteps = 1000;
constexpr std::uint32_t kModuleSpan = 0x40;

double Lin(double db) { return std::pow(10.0, db / 10.0); }
double Db(double lin) { return lin > 0.0 ? 10.0 * std::log10(lin) : kNoPower; }

double CarrierThresholdDb(Family family) {
  switch (family) {
    case Family::Psk: return 2.0;
    case Family::Fm: return 3.0;
    case Family::MhCpm: return 4.0;
    default: return 0.0;
  }
}

double WindowNoiseBandwidth(const std::string& window) {
  if (window == "NONE") return 1.0;
  if (window == "HAMMING") return 1.36;
  if (window == "BARLETT") return 1.33;
  if (window == "BLACKMAN") return 1.73;
  if (window == "KAISER") return 1.8;
  return 1.5;  // HANNING
}

bool FamilyMatches(const Receiver& r, const Emission& e) {
  if (e.family != r.family) {
    // A Costas or residual-carrier loop also pulls in on a bare carrier.
    return e.family == Family::None && (r.family == Family::Psk || r.family == Family::Pm);
  }
  if (r.family == Family::Psk && !e.modulation.empty()) return PskGroup(e.modulation) == PskGroup(r.modulation);
  return true;
}

// ---- Spectrum shapes ----------------------------------------------------------------------------
// An emission's power falling into a spectrum bin of width `rbw` at an offset df from its carrier
// is the sum of at most two parts: a Gaussian line, part * rbw / (sigma sqrt(2 pi)) *
// exp(-df^2 / 2 sigma^2) (sigma at least rbw / 2), and the sinc^2 spectrum of rectangular symbols,
// part / rate * rbw * sinc^2(df / rate); neither ever exceeds the part itself.

struct SpectralPart {
  bool gaussian = true;
  double power = 0.0;  // mW
  double width = 0.0;  // Hz: sigma of a Gaussian, the symbol rate of a sinc^2
};

struct SpectralParts {
  std::array<SpectralPart, 2> part{};
  int count = 0;
  void Add(bool gaussian, double power, double width) { part[static_cast<std::size_t>(count++)] = {gaussian, power, width}; }
};

SpectralParts SpectralPartsOf(const Emission& e, double rbw) {
  SpectralParts parts;
  const double power = Lin(e.powerDbm);
  const auto sincSquared = [&](double part, double symbolRate) {
    // Without a symbol clock the modulated share stays at the carrier.
    if (symbolRate > 0.0) parts.Add(false, part, symbolRate);
    else parts.Add(true, part, rbw / 2.0);
  };
  if (e.family == Family::None || e.TotalRate() <= 0.0) {
    parts.Add(true, power, rbw / 2.0);
    return parts;
  }
  switch (e.family) {
    case Family::Psk: {
      const double channelRate = e.TotalRate() * (e.convolutional ? 2.0 : 1.0);
      sincSquared(power, channelRate / BitsPerSymbol(e.modulation));
      break;
    }
    case Family::Fm: {
      const double deviation = e.modIndex * e.bitRate / 2.0;
      parts.Add(true, power, (2.0 * (deviation + e.bitRate / 2.0)) / 4.0);
      break;
    }
    case Family::Pm: {
      const double beta = std::clamp(e.modIndex, 0.0, kPi / 2.0);
      const double carrierPart = power * std::cos(beta) * std::cos(beta);
      parts.Add(true, carrierPart, rbw / 2.0);
      sincSquared(power - carrierPart, e.bitRate);
      break;
    }
    case Family::MhCpm: parts.Add(true, power, 0.35 * e.bitRate); break;
    case Family::None: break;
  }
  return parts;
}

// The spectrum's points: frequency start + step * i for i in [0, count).
struct SpectrumGrid {
  double start = 0.0;
  double step = 0.0;
  int count = 0;

  double Frequency(int i) const { return start + step * i; }
  // The points within `reach` of `hz`, as [first, last]; first > last when none.
  std::pair<int, int> Within(double hz, double reach) const {
    if (step <= 0.0) return std::fabs(start - hz) <= reach ? std::pair{0, count - 1} : std::pair{0, -1};
    const double last = count - 1;
    const double first = std::ceil((hz - reach - start) / step);
    const double beyond = std::floor((hz + reach - start) / step);
    if (!(first <= last) || !(beyond >= 0.0) || first > beyond) return {0, -1};
    return {static_cast<int>(std::max(first, 0.0)), static_cast<int>(std::min(beyond, last))};
  }
};

// A spectral part at its carrier, with the points where it exceeds the negligible power.
struct PlacedPart {
  SpectralPart part;
  double carrierHz = 0.0;
  double peak = 0.0;    // power in a bin at the carrier, before the cap at the part's power
  double factor = 0.0;  // Gaussian: -1 / (2 sigma^2); sinc^2: pi / rate
  double reachHz = 0.0;
  int first = 0;
  int last = -1;

  double PowerAt(double hz) const {
    const double df = hz - carrierHz;
    if (!(std::fabs(df) <= reachHz)) return 0.0;
    if (part.gaussian) return std::min(part.power, peak * std::exp(factor * df * df));
    const double angle = factor * df;  // pi times the offset in symbols
    const double sinc = std::fabs(angle) < 1e-12 * kPi ? 1.0 : std::sin(angle) / angle;
    return std::min(part.power, peak * sinc * sinc);
  }
};

// False when the part stays negligible everywhere.
bool Place(const SpectralPart& p, double carrierHz, double rbw, const SpectrumGrid& grid, double negligible,
           PlacedPart& placed) {
  placed.part = p;
  placed.carrierHz = carrierHz;
  if (p.gaussian) {
    const double sigma = std::max(p.width, rbw / 2.0);
    placed.part.width = sigma;
    placed.peak = p.power * rbw / (sigma * std::sqrt(2.0 * kPi));
    placed.factor = -0.5 / (sigma * sigma);
  } else {
    placed.peak = p.power / p.width * rbw;
    placed.factor = kPi / p.width;
  }
  if (!(std::min(placed.peak, p.power) > negligible)) return false;
  // Gaussian: where it falls to the negligible power; sinc^2: where even the envelope of its
  // sidelobes, peak / (pi x)^2, does.
  placed.reachHz = p.gaussian ? placed.part.width * std::sqrt(2.0 * std::log(placed.peak / negligible))
                              : p.width * std::sqrt(placed.peak / negligible) / kPi;
  std::tie(placed.first, placed.last) = grid.Within(carrierHz, placed.reachHz);
  return placed.first <= placed.last;
}

// Where one reading of a locked receiver's carrier frequency lies, given a standard normal draw.
// A PSK, PM or multi-h loop sits on the carrier within a few hertz. A PCM/FM receiver's estimate
// is the mean of the data's frequency swings over the bits it averages; the estimate it reports
// is itself averaged over many such blocks, so with random data it swings to one side of the
// carrier or the other by a steady amount (the peak deviation over the square root of the bits,
// more as noise grows: h = 0.7 at 13 dB gives 2.8 kHz at 2 Mb/s) that moves by a per cent or
// so from reading to reading. Highest minus lowest of the readings, which the automatic
// tracking-loop adjustment takes as its bandwidth, is then steady once both sides have been seen,
// and the same within a couple of per cent at every start, whenever the readings are taken.
constexpr double kFmCarrierEstimateBits = 65536.0;
constexpr double kFmSwingScatter = 0.01;

double CarrierReadingOffsetHz(Family family, const Emission& e, double ebNoDb, double gauss) {
  constexpr double kLoopSigmaHz = 2.0;
  if (family != Family::Fm || !(e.bitRate > 0.0)) return kLoopSigmaHz * gauss;
  const double peakDeviationHz = e.modIndex * e.bitRate / 2.0;
  const double noise = 1.0 + std::pow(10.0, -ebNoDb / 10.0);
  const double swingHz = std::max(peakDeviationHz * std::sqrt(noise / kFmCarrierEstimateBits), kLoopSigmaHz);
  // The draw's sign picks the side, its size the scatter (|g| averages 0.8).
  return std::copysign(swingHz * (1.0 + kFmSwingScatter * (std::fabs(gauss) - 0.8)), gauss);
}

}  // namespace

double BitErrorProbability(double ebNoDb, const std::string& code, bool randomized, bool decoded) {
  // Rate 1/2, K = 7 soft-decision decoding buys about 5 dB in the useful range.
  const double gainDb = decoded ? 5.0 : 0.0;
  double p = 0.5 * std::erfc(std::sqrt(Lin(ebNoDb + gainDb)));
  if (IsDifferentialCode(code)) p = 2.0 * p * (1.0 - p);
  if (randomized) p = 1.0 - std::pow(1.0 - p, 3.0);  // the 15-stage descrambler's three taps
  return std::min(p, 0.5);
}

DbSumTable::DbSumTable() {
  for (std::size_t k = 0; k < values_.size(); ++k) {
    values_[k] = Db(1.0 + Lin(-static_cast<double>(k) / kStepsPerDb));
  }
}

// ---- Sweep engine -------------------------------------------------------------------------------

void SweepEngine::Advance(double seconds) {
  if (!running || !(seconds > 0.0)) return;
  const double target = stopOffset;
  const double step = static_cast<double>(rate) * seconds;
  currentOffset = currentOffset < target ? std::min(target, currentOffset + step) : std::max(target, currentOffset - step);
  if (currentOffset == target) {
    running = false;
    done = true;
  }
}

void SweepEngine::Control(std::uint32_t value) {
  control = value;
  if ((value & card::modsweep_reg::kControlReset) != 0) {
    running = false;
    done = false;
    armed = false;
    currentOffset = 0.0;
    return;
  }
  if (value == card::modsweep_reg::kControlStart) {
    // A newly programmed segment (or a finished one) starts over; a stopped one resumes.
    if (armed || done) {
      currentOffset = startOffset;
      armed = false;
      done = false;
    }
    running = true;
    if (currentOffset == static_cast<double>(stopOffset)) {
      running = false;
      done = true;
    }
  } else if (value == card::modsweep_reg::kControlStop) {
    running = false;
  }
}

std::uint32_t SweepEngine::Status() const {
  return (running ? card::modsweep_reg::kStatusRunning : 0u) | (done ? card::modsweep_reg::kStatusDone : 0u);
}

// ---- Card ---------------------------------------------------------------------------------------

Card::Card(int index, const CardConfig& setup, std::uint64_t seed, std::int64_t nowNs)
    : index_(index),
      chipVariant_(setup.chipVariant),
      external_(setup.input),
      physics_(seed * 0x100000001B3ull + static_cast<std::uint64_t>(index) * 2 + 1),
      display_(seed * 0x100000001B3ull + static_cast<std::uint64_t>(index) * 2 + 2),
      originNs_(nowNs),
      nowNs_(nowNs) {
  // The ring has a generator of its own, so that the displays' other draws stay as they were.
  Random ring(seed * 0x100000001B3ull + static_cast<std::uint64_t>(index) * 2 + 0x5EED);
  noiseRing_.resize(std::size_t{1} << kNoiseRingBits);
  for (float& z : noiseRing_) {
    z = static_cast<float>(displayNormal_.Sample(ring.Next(), ring));
    noiseRingLowest_ = std::min(noiseRingLowest_, static_cast<double>(z));
  }
  secondFpga_ = setup.secondFpga;
  ResetBlocks();
  if (setup.fpgaMode >= 0) LoadBuiltInPersonality(setup.fpgaMode);
}

void Card::ResetBlocks() {
  rx = {};
  bert = {};
  txBert = {};
  fft = {};
  iq = {};
  preD = {};
  postD = {};
  mod = {};
  sweep = {};
  basebandDacSource = {};
  for (int ch = 0; ch < 2; ++ch) {
    Receiver& r = rx[static_cast<std::size_t>(ch)];
    r.family = personality_ != nullptr ? personality_->channel[ch] : Family::None;
    if (r.family == Family::Pm) {
      r.inputSource = ch == 0 ? "IF_1" : "IF_2";
    } else {
      r.inputSource = ch == 0 ? "IF_INPUT1" : "IF_INPUT2";
    }
  }
}

void Card::ApplyImage(const card::FpgaImageHeader& header, int fpga) {
  const auto buildModules = [&](int f) {
    std::vector<BusModule>& modules = modules_[static_cast<std::size_t>(f)];
    modules.clear();
    const std::uint32_t window = f == 0 ? card::kFpga0WindowBase : card::kFpga1WindowBase;
    int receivers = 0;
    for (int i = 0; i < image_.TocCount[f]; ++i) {
      card::FpgaDeviceEntry& entry = image_.Toc[f][i];
      entry.CardInstance = index_;
      BusModule m;
      m.type = entry.DeviceTypeNumber;
      if (entry.BaseAddress >= window && entry.BaseAddress - window < card::kFpgaRegisterCount) {
        m.offset = entry.BaseAddress - window;
      } else if (entry.BaseAddress < card::kFpgaRegisterCount) {
        m.offset = entry.BaseAddress;
      } else {
        continue;
      }
      if (m.type == card::kDevTypePskReceiver || m.type == card::kDevTypeFmReceiver ||
          m.type == card::kDevTypePmReceiver || m.type == card::kDevTypeMhCpmReceiver) {
        m.channel = std::min(receivers++, 1);
      }
      m.major = entry.MajorVersion;
      m.minor = entry.MinorVersion;
      modules.push_back(m);
    }
    registers_[static_cast<std::size_t>(f)].assign(card::kFpgaRegisterCount, 0u);
  };

  if (fpga == header.TargetFpga) {
    // The whole personality: both FPGAs come up, every functional block from power-up values.
    image_ = header;
    personality_ = &PersonalityOf(header.FpgaMode);
    fpgaLoaded_ = {true, secondFpga_};
    buildModules(0);
    buildModules(1);
    ResetBlocks();
  } else {
    image_.TocCount[fpga] = header.TocCount[fpga];
    std::copy(std::begin(header.Toc[fpga]), std::end(header.Toc[fpga]), std::begin(image_.Toc[fpga]));
    fpgaLoaded_[static_cast<std::size_t>(fpga)] = true;
    buildModules(fpga);
  }
  lastInputs_ = {};
  lastCombined_ = {};
}

int Card::LoadImage(int fpga, const std::string& path) {
  // Read without blocking and within the largest image's size: a FIFO or a huge file in the
  // image's place is a file error, not a stalled or exhausted process.
  const platform::ReadFileResult file =
      platform::ReadRegularFile(path, sizeof(card::FpgaImageHeader) + card::kFpgaImageMaxPayload);
  if (file.status != platform::ReadFileStatus::kOk || file.bytes.size() < sizeof(card::FpgaImageHeader)) {
    return card::kDevFileError;
  }
  card::FpgaImageHeader header{};
  std::memcpy(&header, file.bytes.data(), sizeof header);
  if (!card::IsValidFpgaImageHeader(header)) return card::kDevFileError;
  // Exactly the header and its payload: a cut or padded file is not the image its header names.
  if (file.bytes.size() != card::FpgaImageFileSize(header)) return card::kDevFileError;
  const auto* payload = reinterpret_cast<const unsigned char*>(file.bytes.data()) + sizeof header;
  if (card::FpgaImageChecksum(payload, header.PayloadSize) != header.PayloadChecksum) {
    return card::kDevFileError;
  }
  // A bitstream for the other board never finishes configuring the chip.
  if ((header.ChipVariant != 0) != chipVariant_) return card::kDevNotSupported;
  if (fpga == 1 && !secondFpga_) return card::kDevNotSupported;
  ApplyImage(header, fpga);
  return card::kDevOk;
}

void Card::LoadBuiltInPersonality(int mode) {
  const card::FpgaImageHeader header = BuildImageHeader(mode);
  if ((header.ChipVariant != 0) != chipVariant_) return;
  ApplyImage(header, header.TargetFpga);
}

// ---- Time ---------------------------------------------------------------------------------------

void Card::AdvanceTo(std::int64_t nowNs) {
  if (nowNs < nowNs_) nowNs = nowNs_;
  const std::int64_t span = nowNs - nowNs_;
  if (!changed_ && span < kSettleNs) return;
  bool rebuildInputs = changed_;
  changed_ = false;
  const std::int64_t stepNs = static_cast<std::int64_t>(kStepSec * 1e9);
  const std::int64_t steps = span > 0 ? std::clamp<std::int64_t>((span + stepNs - 1) / stepNs, 1, kMaxSteps) : 1;
  std::int64_t at = nowNs_;
  for (std::int64_t i = 1; i <= steps; ++i) {
    const std::int64_t next = i == steps ? nowNs : nowNs_ + span / steps * i;
    Step(static_cast<double>(next - originNs_) * 1e-9, static_cast<double>(next - at) * 1e-9,
         rebuildInputs || sweep.running);
    rebuildInputs = false;
    at = next;
  }
  nowNs_ = nowNs;
}

void Card::Step(double t, double h, bool rebuildInputs) {
  if (personality_ == nullptr) return;
  sweep.Advance(h);
  if (rebuildInputs) lastInputs_ = BuildInputs();
  lastCombined_ = personality_->preD ? BuildPreDOutput(lastInputs_) : IfInput{};
  for (int ch = 0; ch < 2; ++ch) EvaluateReceiver(ch, SourceOf(ch, lastInputs_, lastCombined_), t);
  for (int b = 0; b < 2; ++b) EvaluateBert(b, t, h);
}

// ---- Signals ------------------------------------------------------------------------------------

bool Card::ModulatorEmission(Emission& e) const {
  if (!mod.carrierOn) return false;
  e = Emission{};
  e.carrierHz = mod.carrierHz + sweep.currentOffset;
  e.powerDbm = mod.levelDbm + mod.maxOutputCalDb;
  e.ownNoiseDbmHz = mod.noiseOn ? e.powerDbm - mod.cnoDbHz : kNoPower;
  if (!mod.modulationOn) return true;

  const std::string& type = mod.type;
  if (type == "FM" || type == "PCM_FM" || type == "FSK") {
    e.family = Family::Fm;
    e.modIndex = 2.0 * mod.fmDeviationFactor;
  } else if (type == "PM" || type == "PM_DIR") {
    e.family = Family::Pm;
    e.modIndex = mod.pmIndexRad;
  } else if (type == "ARTM_II") {
    e.family = Family::MhCpm;
  } else {
    e.family = Family::Psk;
    e.modulation = type;
  }

  // The data: a PCM encoder fed by a transmit BERT ("N_C" crosses over to the other BERT).
  const auto encoderOf = [](const std::string& source) {
    return source == "PCM_ENCODER1" ? 0 : source == "PCM_ENCODER2" ? 1 : -1;
  };
  const auto bertOf = [](const PcmEncoder& pe, int encoder) {
    return pe.source == "TX_BERT" ? encoder : pe.source == "N_C" ? 1 - encoder : -1;
  };
  const int encI = encoderOf(mod.iSource);
  if (encI >= 0) {
    const PcmEncoder& pe = mod.encoder[static_cast<std::size_t>(encI)];
    const int tb = bertOf(pe, encI);
    if (tb >= 0) {
      const TxBert& t = txBert[static_cast<std::size_t>(tb)];
      e.bitRate = t.bitRate;
      e.pattern = t.pattern;
      e.userPattern = t.userPattern;
      e.userPatternBits = t.userPatternBits;
      e.injectedBer = t.bitErrorRate;
      e.inverted = (t.dataPolarity == "invert") != pe.invertData;
      e.code = pe.encoding == "RNRZ15" ? "NRZL" : pe.encoding;
      e.randomized = pe.encoding == "RNRZ15" || pe.randomizer == "RAND15_NRZL";
      e.convolutional = pe.convolutional;
      e.swapG1G2 = pe.swapG1G2;
      e.invertG2 = pe.invertG2;
    }
  }
  const int group = PskGroup(e.modulation);
  if (e.family == Family::Psk && (group == 4 || group == 5)) {
    const int encQ = encoderOf(mod.qSource);
    if (encQ >= 0 && encQ != encI) {
      const int tb = bertOf(mod.encoder[static_cast<std::size_t>(encQ)], encQ);
      if (tb >= 0) e.bitRate2 = txBert[static_cast<std::size_t>(tb)].bitRate;
    }
  }
  return true;
}

std::array<IfInput, 2> Card::BuildInputs() const {
  std::array<IfInput, 2> inputs;
  for (std::size_t k = 0; k < 2; ++k) {
    const SignalConfig& s = external_[k];
    if (!s.present) continue;
    Emission e;
    e.family = s.family;
    e.modulation = s.modulation;
    e.carrierHz = s.carrierHz;
    e.powerDbm = s.powerDbm;
    e.bitRate = s.bitRate;
    e.bitRate2 = s.bitRate2;
    e.code = s.code;
    e.randomized = s.randomized;
    e.convolutional = s.convolutional;
    e.pattern = s.pattern == "DATA" ? std::string{} : s.pattern;
    e.modIndex = s.modIndex;
    e.ownNoiseDbmHz = s.powerDbm - (s.ebNoDb + 10.0 * std::log10(e.TotalRate()));
    inputs[k].emissions.push_back(e);
  }
  Emission looped;
  if (ModulatorEmission(looped)) {
    for (IfInput& input : inputs) input.emissions.push_back(looped);
  }
  for (IfInput& input : inputs) {
    double noise = Lin(kReceiverFloorDbmHz);
    for (const Emission& e : input.emissions) noise += Lin(e.ownNoiseDbmHz);
    input.noiseDbmHz = Db(noise);
    for (Emission& e : input.emissions) e.cnoDbHz = e.powerDbm - input.noiseDbmHz;
  }
  return inputs;
}

IfInput Card::BuildPreDOutput(const std::array<IfInput, 2>& inputs) {
  const IfInput& a = inputs[0];
  const IfInput& b = inputs[1];
  preD.measuredNoiseADbmHz = a.noiseDbmHz + 0.05 * physics_.Gauss();
  preD.measuredNoiseBDbmHz = b.noiseDbmHz + 0.05 * physics_.Gauss();
  const bool fixed = preD.noiseMode == "FIXED";
  const double estimateA = Lin(fixed ? preD.fixedNoiseADbmHz : preD.measuredNoiseADbmHz);
  const double estimateB = Lin(fixed ? preD.fixedNoiseBDbmHz : preD.measuredNoiseBDbmHz);
  const double half = preD.signalBandwidthHz / 2.0;
  const double shift = preD.centerAHz - preD.centerBHz;  // channel B in channel A's frame
  const auto inA = [&](const Emission& e) { return std::fabs(e.carrierHz - preD.centerAHz) <= half; };
  const auto inB = [&](const Emission& e) { return std::fabs(e.carrierHz - preD.centerBHz) <= half; };

  IfInput out;
  if (preD.output == "CHANNEL_A_OUTPUT") {
    out.noiseDbmHz = a.noiseDbmHz;
    for (const Emission& e : a.emissions) {
      if (inA(e)) out.emissions.push_back(e);
    }
    return out;
  }
  if (preD.output == "CHANNEL_B_OUTPUT") {
    out.noiseDbmHz = b.noiseDbmHz;
    for (Emission e : b.emissions) {
      if (!inB(e)) continue;
      e.carrierHz += shift;
      out.emissions.push_back(e);
    }
    return out;
  }

  // Combining: each emission of A with its twin on B, weighted by amplitude over estimated noise.
  const double noiseA = Lin(a.noiseDbmHz);
  const double noiseB = Lin(b.noiseDbmHz);
  double bestGain = 0.0;
  std::vector<bool> used(b.emissions.size(), false);
  for (const Emission& ea : a.emissions) {
    if (!inA(ea)) continue;
    Emission combined = ea;
    for (std::size_t j = 0; j < b.emissions.size(); ++j) {
      const Emission& eb = b.emissions[j];
      if (used[j] || !inB(eb) || eb.family != ea.family) continue;
      if (std::fabs((ea.carrierHz - preD.centerAHz) - (eb.carrierHz - preD.centerBHz)) > 10e3) continue;
      if (std::fabs(ea.TotalRate() - eb.TotalRate()) > 1.0 + 1e-6 * ea.TotalRate()) continue;
      used[j] = true;
      const double ampA = std::sqrt(Lin(ea.powerDbm));
      const double ampB = std::sqrt(Lin(eb.powerDbm));
      const double wA = ampA / estimateA * preD.noiseFilterGain;
      const double wB = ampB / estimateB * preD.noiseFilterGain;
      const double snr = (wA * ampA + wB * ampB) * (wA * ampA + wB * ampB) / (wA * wA * noiseA + wB * wB * noiseB);
      combined.cnoDbHz = Db(snr);
      combined.powerDbm = std::max(ea.powerDbm, eb.powerDbm);
      bestGain = std::max(bestGain, combined.cnoDbHz - std::max(ea.cnoDbHz, eb.cnoDbHz));
      break;
    }
    out.emissions.push_back(combined);
  }
  for (std::size_t j = 0; j < b.emissions.size(); ++j) {
    if (used[j] || !inB(b.emissions[j])) continue;
    Emission e = b.emissions[j];
    e.carrierHz += shift;
    out.emissions.push_back(e);
  }
  out.noiseDbmHz = std::min(a.noiseDbmHz, b.noiseDbmHz) - bestGain;
  return out;
}

const IfInput* Card::SourceOf(int ch, const std::array<IfInput, 2>& inputs, const IfInput& combined) const {
  const std::string& source = rx[static_cast<std::size_t>(ch)].inputSource;
  if (source == "IF_INPUT2" || source == "IF_2") return &inputs[1];
  if (source == "DIVERSITY_COMBINER" && personality_ != nullptr && personality_->preD) return &combined;
  return &inputs[0];
}

// ---- Receivers ----------------------------------------------------------------------------------

void Card::EvaluateReceiver(int ch, const IfInput* input, double t) {
  Receiver& r = rx[static_cast<std::size_t>(ch)];
  if (r.family == Family::None || input == nullptr) return;

  const double configuredRate = r.bitSync[0].rateBps;
  const double passHalf = r.acqRangeHz + std::max(configuredRate, 10e3);
  double inBand = 0.0;
  double strongest = kNoPower;
  const Emission* best = nullptr;
  for (const Emission& e : input->emissions) {
    const double offset = std::fabs(e.carrierHz - r.centerHz);
    if (offset <= passHalf) {
      inBand += Lin(e.powerDbm);
      strongest = std::max(strongest, e.powerDbm);
    }
    if (offset > r.acqRangeHz || !FamilyMatches(r, e)) continue;
    const double threshold = r.family == Family::Pm ? r.pmThresholdDbm : r.qualThresholdDbm;
    if (e.powerDbm < threshold) continue;
    if (best == nullptr || e.cnoDbHz > best->cnoDbHz) best = &e;
  }
  const double noiseInBand = Lin(input->noiseDbmHz) * 2.0 * passHalf;
  r.totalPowerDbm = Db(noiseInBand + inBand) + 0.05 * physics_.Gauss();
  r.signalPowerDbm = (strongest > kNoPower ? strongest : Db(noiseInBand)) + 0.05 * physics_.Gauss();
  r.hasCandidate = best != nullptr;
  if (best != nullptr) r.candidate = *best;
  const double rate = best != nullptr && best->TotalRate() > 0.0 ? best->TotalRate() : configuredRate;
  r.ebNoDb = best != nullptr ? best->cnoDbHz - 10.0 * std::log10(rate) : -50.0;

  const bool carrierMet = best != nullptr && (r.family == Family::Pm ? best->cnoDbHz >= kPmCarrierCnoDbHz
                                                                      : r.ebNoDb >= CarrierThresholdDb(r.family));
  r.carrier.Update(carrierMet, t, kCarrierAcquisitionSec);
  if (r.carrier.locked) {
    r.actualHz = best->carrierHz + CarrierReadingOffsetHz(r.family, *best, r.ebNoDb, physics_.Gauss());
    r.loopErrorHz = best->carrierHz - r.centerHz;
    r.modIndexMeasured = r.family == Family::Fm ? best->modIndex * (1.0 + 0.01 * physics_.Gauss()) : 0.0;
  } else {
    r.actualHz = r.centerHz;
    r.loopErrorHz = 0.0;
    r.modIndexMeasured = 0.0;
  }

  // Bit synchronisers: stream 2 follows stream 1's code settings and exists on PSK only.
  for (std::size_t s = 0; s < 2; ++s) {
    BitSync& b = r.bitSync[s];
    double signalRate = 0.0;
    if (best != nullptr && r.family != Family::Pm && (s == 0 || r.family == Family::Psk)) {
      signalRate = s == 0 ? best->bitRate : best->bitRate2;
    }
    const double rangePct = r.family == Family::MhCpm ? r.mhBitSyncAcqRangePct : r.bitSync[0].acqRangePct;
    const bool met = r.carrier.locked && signalRate > 0.0 &&
                     std::fabs(signalRate - b.rateBps) <= b.rateBps * std::max(rangePct, 0.01) / 100.0 &&
                     CodeClass(r.bitSync[0].inputCode) == CodeClass(best->code) && r.ebNoDb >= kBitSyncEbNoDb;
    b.lock.Update(met, t, 0.02 + 200.0 / std::max(b.rateBps, 1.0));
    const double perSymbol = r.family == Family::Psk && s == 0 ? BitsPerSymbol(r.modulation) : 1.0;
    if (b.lock.locked) {
      b.measuredEbNoDb = std::min(r.ebNoDb, kEbNoReadingCap) + 0.15 * physics_.Gauss();
      b.measuredSymbolRate = signalRate / perSymbol * (1.0 + 1e-6 * physics_.Gauss());
    } else {
      // A searching loop's rate register holds the rate it was set to, as a real one does.
      b.measuredEbNoDb = 0.0;
      b.measuredSymbolRate = b.rateBps / perSymbol;
    }
  }

  Viterbi& v = r.viterbi;
  const bool decoderMet = (r.family == Family::Psk || r.family == Family::Fm) && v.decode &&
                          r.bitSync[0].lock.locked && best->convolutional && v.rate == "RATE_ONE_HALF" &&
                          (v.order == "G2G1_ORDER") == best->swapG1G2 && v.g2Invert == best->invertG2 && !v.g1Invert;
  v.lock.Update(decoderMet, t, 0.02);
  if (v.lock.locked) {
    v.symbolErrorRate = 0.5 * std::erfc(std::sqrt(Lin(r.ebNoDb - 3.0)));  // a code symbol carries half a bit
    v.bitErrorRate = BitErrorProbability(r.ebNoDb, "NRZL", false, true);
  } else {
    v.symbolErrorRate = 0.0;
    v.bitErrorRate = 0.0;
  }
}

DataView Card::ReceiverData(int ch) const {
  DataView d;
  const Receiver& r = rx[static_cast<std::size_t>(ch)];
  if (r.family == Family::None || r.family == Family::Pm || !r.hasCandidate) return d;
  const BitSync& b = r.bitSync[0];
  if (!b.lock.locked) return d;
  const Emission& e = r.candidate;
  const bool codeMatches = b.inputCode == e.code && (b.descrambler == "RAND15_NRZL") == e.randomized;
  const bool decoded = r.family != Family::MhCpm && r.viterbi.decode;
  const bool decoderMatches = decoded ? e.convolutional && r.viterbi.lock.locked : !e.convolutional;
  d.valid = codeMatches && decoderMatches;
  d.emission = e;
  d.ebNoDb = r.ebNoDb;
  d.rate = e.bitRate;
  d.inverted = e.inverted != r.invertOutput;
  d.decoded = decoded;
  return d;
}

DataView Card::BertInput(int b) const {
  if (personality_ != nullptr && personality_->postD) {
    const std::uint32_t routing = registers_[0].empty() ? 0u : registers_[0][card::kFpga0RoutingRegister];
    const std::uint32_t toCh2 = card::kRoutingSelectEnable | card::kRoutingCombinedOnCh2;
    const int target = personality_->mode == 12 && (routing & toCh2) == toCh2 ? 1 : 0;
    if (b == target) {
      DataView a = ReceiverData(0);
      const DataView c = ReceiverData(1);
      if (postD.output == "CHANNEL_A_OUTPUT") return a;
      if (postD.output == "CHANNEL_B_OUTPUT") return c;
      if (a.valid && c.valid) {
        a.ebNoDb = Db(Lin(a.ebNoDb) + Lin(c.ebNoDb));
        return a;
      }
      return a.valid ? a : c;
    }
  }
  return ReceiverData(b);
}

void Card::EvaluateBert(int b, double t, double h) {
  Bert& br = bert[static_cast<std::size_t>(b)];
  const DataView d = BertInput(b);
  const Emission& e = d.emission;
  double p = d.valid ? BitErrorProbability(d.ebNoDb, e.code, e.randomized, d.decoded) : 0.5;
  p = p + e.injectedBer - 2.0 * p * e.injectedBer;
  bool patternMatches = d.valid && !e.pattern.empty() && e.pattern == br.pattern;
  if (patternMatches && br.pattern == "userPattern") {
    patternMatches = e.userPatternBits == br.userPatternBits && e.userPattern == br.userPattern;
  }
  const bool met = patternMatches && p < 0.1 && d.rate > 0.0;
  br.lock.Update(met, t, 0.05 + 64.0 / std::max(d.rate, 1.0));
  if (br.lock.locked) {
    if (!br.wasLocked ? d.inverted : d.inverted != br.inverted) ++br.inversionCount;
    br.inverted = d.inverted;
    const double bits = d.rate * h;
    br.totalBits += bits;
    br.errorBits += physics_.Poisson(p * bits);
    br.measuredRate = d.rate;
  } else {
    if (br.wasLocked) ++br.lockLossCount;
    br.measuredRate = 0.0;
  }
  br.wasLocked = br.lock.locked;
}

double Card::PostDChannelEbNo(int ch) const {
  const BitSync& b = rx[static_cast<std::size_t>(ch)].bitSync[0];
  return b.lock.locked ? b.measuredEbNoDb : 0.0;
}

double Card::PostDCombiningGainDb() const {
  if (!rx[0].bitSync[0].lock.locked || !rx[1].bitSync[0].lock.locked) return 0.0;
  const double a = PostDChannelEbNo(0);
  const double b = PostDChannelEbNo(1);
  return Db(Lin(a) + Lin(b)) - std::max(a, b);
}

double Card::PostDScalePercent(int ch) const {
  const bool lockedA = rx[0].bitSync[0].lock.locked;
  const bool lockedB = rx[1].bitSync[0].lock.locked;
  if (lockedA && lockedB) {
    const double a = Lin(PostDChannelEbNo(0));
    const double b = Lin(PostDChannelEbNo(1));
    return 100.0 * (ch == 0 ? a : b) / (a + b);
  }
  return (ch == 0 ? lockedA : lockedB) ? 100.0 : 0.0;
}

int Card::MhCpmLockState(int ch) const {
  const Receiver& r = rx[static_cast<std::size_t>(ch)];
  if (r.family != Family::MhCpm || !r.carrier.locked) return 0;
  if (!r.bitSync[0].lock.locked) return 1;
  return ReceiverData(ch).valid ? 3 : 2;
}

// ---- Registers ----------------------------------------------------------------------------------

std::uint32_t* Card::Register(int fpga, std::uint32_t reg) {
  std::vector<std::uint32_t>& file = registers_[static_cast<std::size_t>(fpga)];
  if (file.empty()) return nullptr;
  if (reg < card::kFpgaRegisterCount) return &file[reg];
  if (fpga == 0 && reg >= card::kFpga0WindowBase && reg - card::kFpga0WindowBase < card::kFpgaRegisterCount) {
    return &file[reg - card::kFpga0WindowBase];
  }
  return nullptr;
}

bool Card::LiveRead(int fpga, std::uint32_t reg, std::uint32_t& value) const {
  for (const BusModule& m : modules_[static_cast<std::size_t>(fpga)]) {
    if (reg < m.offset || reg >= m.offset + kModuleSpan) continue;
    const std::uint32_t at = reg - m.offset;
    switch (m.type) {
      case card::kDevTypeGpio:
        if (at == card::gpio_reg::kId) value = card::gpio_reg::kCardId;
        else if (at == card::gpio_reg::kMode) value = static_cast<std::uint32_t>(image_.FpgaMode);
        else if (at == card::gpio_reg::kVersion) value = static_cast<std::uint32_t>(m.major) << 16 | (static_cast<std::uint32_t>(m.minor) & 0xFFFFu);
        else if (at == card::gpio_reg::kLoggingMask) value = loggingMask;
        else return false;
        return true;
      case card::kDevTypeModSweep:
        if (at == card::modsweep_reg::kStatus) value = sweep.Status();
        else if (at == card::modsweep_reg::kCurrentOffsetHz)
          value = static_cast<std::uint32_t>(static_cast<std::int32_t>(std::lround(sweep.currentOffset)));
        else return false;
        return true;
      case card::kDevTypeFmReceiver:
        if (at != card::fmrx_reg::kStatus) return false;
        {
          const Receiver& r = rx[static_cast<std::size_t>(m.channel)];
          value = (r.bitSync[0].lock.locked ? card::fmrx_reg::kStatusBitSyncLocked : 0u) |
                  (r.carrier.locked ? card::fmrx_reg::kStatusCarrierLocked : 0u);
        }
        return true;
      case card::kDevTypePostDCombiner:
        if (at != card::postd_reg::kOutputCapability) return false;
        value = image_.FpgaMode == 12 ? card::postd_reg::kCombinedOutputOnCh2 : card::postd_reg::kCombinedOutputOnCh1Only;
        return true;
      default: return false;
    }
  }
  return false;
}

bool Card::OnWrite(int fpga, std::uint32_t reg, std::uint32_t value) {
  bool acted = false;
  for (const BusModule& m : modules_[static_cast<std::size_t>(fpga)]) {
    if (m.type != card::kDevTypeModSweep || reg < m.offset || reg >= m.offset + kModuleSpan) continue;
    acted = true;
    const std::uint32_t at = reg - m.offset;
    if (at == card::modsweep_reg::kControl) {
      sweep.Control(value);
    } else if (at == card::modsweep_reg::kRateHzPerSec) {
      sweep.rate = value;
    } else if (at == card::modsweep_reg::kStartOffsetHz) {
      sweep.startOffset = static_cast<std::int32_t>(value);
      sweep.armed = true;
    } else if (at == card::modsweep_reg::kStopOffsetHz) {
      sweep.stopOffset = static_cast<std::int32_t>(value);
      sweep.armed = true;
    }
  }
  return acted;
}

int Card::Peek(int fpga, std::uint32_t first, std::uint32_t* values, int count) {
  if (!fpgaLoaded_[static_cast<std::size_t>(fpga)]) return card::kDevNotReady;
  const std::uint32_t* start = Register(fpga, first);
  if (start == nullptr) return card::kDevBadArgument;
  const std::uint32_t offset = static_cast<std::uint32_t>(start - registers_[static_cast<std::size_t>(fpga)].data());
  if (offset + static_cast<std::uint32_t>(count) > card::kFpgaRegisterCount) return card::kDevBadArgument;
  for (int i = 0; i < count; ++i) {
    const std::uint32_t reg = offset + static_cast<std::uint32_t>(i);
    std::uint32_t value = 0;
    values[i] = LiveRead(fpga, reg, value) ? value : start[i];
  }
  return card::kDevOk;
}

int Card::Poke(int fpga, std::uint32_t reg, std::uint32_t value) {
  if (!fpgaLoaded_[static_cast<std::size_t>(fpga)]) return card::kDevNotReady;
  std::uint32_t* target = Register(fpga, reg);
  if (target == nullptr) return card::kDevBadArgument;
  if (*target != value) changed_ = true;
  *target = value;
  if (OnWrite(fpga, static_cast<std::uint32_t>(target - registers_[static_cast<std::size_t>(fpga)].data()), value)) {
    changed_ = true;
  }
  return card::kDevOk;
}

// ---- Displays -----------------------------------------------------------------------------------

void Card::FillSpectrum(int ch, int points, void* out) {
  if (points <= 0) return;
  const IfInput* input = SourceOf(ch, lastInputs_, lastCombined_);
  const Fft& f = fft[static_cast<std::size_t>(ch)];
  const double rbw = f.spanHz / points * WindowNoiseBandwidth(f.window);
  const double noiseBin = Lin(input->noiseDbmHz) * rbw;
  const double noiseBinDb = Db(noiseBin);
  // Averaged noise power in dB scatters by about 5.6 dB / sqrt(averages).
  const double scatterDb = 5.57 / std::sqrt(static_cast<double>(std::max(f.averages, 1)));
  SpectrumGrid grid;
  grid.count = points;
  grid.start = points == 1 ? f.centerHz : f.centerHz - f.spanHz / 2.0;
  grid.step = points == 1 ? 0.0 : f.spanHz / (points - 1);

  // The emissions' shape changes only with the settings that determine it: the grid, the bin
  // width, the noise it is measured against and each spectral part. Only the noise is new.
  SpectrumShape& shape = spectrumShape_[static_cast<std::size_t>(ch)];
  std::vector<double>& key = spectrumKey_;
  key.assign({static_cast<double>(points), grid.start, grid.step, rbw, noiseBin});
  for (const Emission& e : input->emissions) {
    const SpectralParts parts = SpectralPartsOf(e, rbw);
    for (int k = 0; k < parts.count; ++k) {
      const SpectralPart& p = parts.part[static_cast<std::size_t>(k)];
      key.insert(key.end(), {p.gaussian ? 1.0 : 0.0, p.power, p.width, e.carrierHz});
    }
  }
  if (key != shape.key) {
    ComputeSpectrumLevel(key, shape.level);
    shape.key.swap(key);
  }
  const double* level = shape.level.data();

  // The noise, each point with its scatter, under the emissions: the ring's samples from a random
  // place on. Where the emissions lie so far under the lowest noise that they add nothing (most of
  // a span), a point is its noise level as it stands.
  const float* ring = noiseRing_.data();
  constexpr std::uint64_t kRingMask = (std::uint64_t{1} << kNoiseRingBits) - 1;
  std::uint64_t at = display_.Next() & kRingMask;
  const double silentDb = noiseBinDb + scatterDb * noiseRingLowest_ - DbSumTable::kRangeDb;
  for (int k = 0; k < points; ++k, at = (at + 1) & kRingMask) {
    const double noise = noiseBinDb + scatterDb * static_cast<double>(ring[at]);
    const double emissions = level[k];
    StoreDouble(out, static_cast<std::size_t>(k), emissions < silentDb ? noise : dbSum_.Sum(noise, emissions));
  }
}

void Card::ComputeSpectrumLevel(const std::vector<double>& key, std::vector<double>& level) const {
  SpectrumGrid grid;
  grid.count = static_cast<int>(key[0]);
  grid.start = key[1];
  grid.step = key[2];
  const double rbw = key[3];
  const double noiseBin = key[4];
  const double noiseBinDb = Db(noiseBin);
  const int points = grid.count;

  // The emissions' power, ignored where it could not move a point by a millionth of a dB.
  const double negligible = noiseBin * 1e-9;
  std::vector<PlacedPart> parts;
  for (std::size_t k = kSpectrumKeyHead; k + kSpectrumKeyPerPart <= key.size(); k += kSpectrumKeyPerPart) {
    const SpectralPart part{key[k] != 0.0, key[k + 1], key[k + 2]};
    PlacedPart placed;
    if (Place(part, key[k + 3], rbw, grid, negligible, placed)) parts.push_back(placed);
  }
  const auto levelAt = [&](int i) {
    double power = 0.0;
    for (const PlacedPart& p : parts) power += p.PowerAt(grid.Frequency(i));
    return power > negligible ? Db(power) : kNoPower;
  };

  // The emissions' level in dB is smooth on the scale of a few points except near a sinc^2 null
  // or a narrow line: it is computed at every kNodeSpacing-th point and between them taken on a
  // straight line, unless a narrow part falls into the interval or the line, added to the noise,
  // misses the level at the interval's middle; such intervals are computed point by point.
  constexpr int kNodeSpacing = 32;
  constexpr double kStraightToleranceDb = 0.01;
  const double intervalHz = kNodeSpacing * grid.step;
  const auto narrow = [&](const PlacedPart& p) {
    // A line that could hide between the checked points, or nulls closer than two intervals.
    return p.part.width < (p.part.gaussian ? 1.0 : 2.0) * intervalHz;
  };
  level.assign(static_cast<std::size_t>(points), kNoPower);
  level[0] = levelAt(0);
  for (int n0 = 0, n1 = 0; n0 < points - 1; n0 = n1) {
    n1 = std::min(n0 + kNodeSpacing, points - 1);
    const double startDb = level[static_cast<std::size_t>(n0)];
    const double endDb = levelAt(n1);
    level[static_cast<std::size_t>(n1)] = endDb;
    if (n1 - n0 < 2) continue;
    const double slope = (endDb - startDb) / (n1 - n0);
    const auto straight = [&](int i) { return startDb + slope * (i - n0); };
    bool exact = std::any_of(parts.begin(), parts.end(),
                             [&](const PlacedPart& p) { return narrow(p) && p.first <= n1 && p.last >= n0; });
    if (!exact) {
      const int mid = (n0 + n1) / 2;
      const double miss = dbSum_.Sum(noiseBinDb, levelAt(mid)) - dbSum_.Sum(noiseBinDb, straight(mid));
      exact = !(std::fabs(miss) <= kStraightToleranceDb);
    }
    for (int i = n0 + 1; i < n1; ++i) level[static_cast<std::size_t>(i)] = exact ? levelAt(i) : straight(i);
  }
}

void Card::FillIq(int ch, int points, void* out) {
  const Receiver& r = rx[static_cast<std::size_t>(ch)];
  const int group = PskGroup(r.modulation);
  // Rail amplitudes: equal for balanced QPSK, by the streams' power for unbalanced QPSK.
  double railI = 1.0;
  double railQ = 0.0;
  if (group == 4 || group == 5) {
    const double rate1 = r.hasCandidate ? r.candidate.bitRate : 1.0;
    const double rate2 = r.hasCandidate && r.candidate.bitRate2 > 0.0 ? r.candidate.bitRate2 : rate1 / 4.0;
    const double angle = std::atan(std::sqrt(rate2 / std::max(rate1, 1.0)));
    railI = std::cos(angle);
    railQ = std::sin(angle);
  } else if (group != 1) {
    railI = railQ = std::sqrt(0.5);
  }
  const double bitsPerSymbol = BitsPerSymbol(r.modulation);
  const double esNo = Lin(std::min(r.ebNoDb, kEbNoReadingCap)) * bitsPerSymbol;
  const double sigma = r.hasCandidate ? std::min(std::sqrt(1.0 / (2.0 * esNo)), 1.0) : 0.5;
  // Unlocked, the constellation spins at the frequency error.
  const bool spinning = !r.carrier.locked && r.hasCandidate;
  double phaseStep = 0.0;
  if (spinning) {
    const double symbolRate = std::max(r.bitSync[0].rateBps / bitsPerSymbol, 1.0);
    const double offset = r.candidate.carrierHz - r.centerHz;
    phaseStep = 2.0 * kPi * (std::fabs(offset) > 1.0 ? offset : 0.01 * symbolRate) / symbolRate;
  }
  const double phase0 = 2.0 * kPi * display_.Uniform();
  // The phase turns by rotation from point to point, restarted from the exact angle now and then.
  constexpr int kRestart = 256;
  const double stepCos = std::cos(phaseStep);
  const double stepSin = std::sin(phaseStep);
  double phaseCos = 1.0;
  double phaseSin = 0.0;
  constexpr int kSignI = 2 * NormalTable::kSampleBits;
  static_assert(kSignI + 2 <= 64, "one 64-bit draw serves a whole point");
  for (int k = 0; k < points; ++k) {
    // One draw per point: the two noise samples and the two symbol signs.
    const std::uint64_t bits = display_.Next();
    double i = 0.0;
    double q = 0.0;
    if (r.hasCandidate) {
      // Arithmetic signs: a branch on a random bit would be mispredicted half the time.
      i = railI * (1.0 - 2.0 * static_cast<double>((bits >> kSignI) & 1u));
      q = railQ * (1.0 - 2.0 * static_cast<double>((bits >> (kSignI + 1)) & 1u));
      if (spinning) {
        if (k % kRestart == 0) {
          const double phase = phase0 + phaseStep * k;
          phaseCos = std::cos(phase);
          phaseSin = std::sin(phase);
        }
        const double ri = i * phaseCos - q * phaseSin;
        q = i * phaseSin + q * phaseCos;
        i = ri;
        const double nextSin = phaseSin * stepCos + phaseCos * stepSin;
        phaseCos = phaseCos * stepCos - phaseSin * stepSin;
        phaseSin = nextSin;
      }
    }
    const double noiseI = displayNormal_.Sample(bits, display_);
    const double noiseQ = displayNormal_.Sample(bits >> NormalTable::kSampleBits, display_);
    StoreDouble(out, static_cast<std::size_t>(k) * 2, i + sigma * noiseI);
    StoreDouble(out, static_cast<std::size_t>(k) * 2 + 1, q + sigma * noiseQ);
  }
}

}  // namespace quorxsim
