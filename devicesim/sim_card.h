#pragma once
// One simulated Kr20 card: its settings, the signals at its two IF inputs (the configured ones
// and the test modulator looped back into both), and the receivers, bit synchronisers, Viterbi
// decoders, combiners, BERTs, sweep engine, FFT and IQ capture that act on them.
//
// The model advances in simulated time: every call first brings the card up to the clock
// (AdvanceTo), in steps of at most 10 ms, so that locks are gained after an acquisition time,
// BERT counters grow at the bit rate and the sweep engine moves the modulator's carrier (a read
// within a millisecond of the last step, with nothing changed since, is answered from that step).
// Physics in short:
//   - each IF input carries emissions (carrier, power, family, bit rate, code, pattern) over a
//     noise density: the receiver floor plus the noise every emission brings along; an
//     emission's C/No is its power over that density, Eb/No = C/No - 10 log10(bit rate);
//   - a carrier loop locks when an emission of its family (and PSK group) lies within the
//     acquisition range of the tuned frequency, is above the level threshold and has Eb/No above
//     the family's threshold; a bit synchroniser then locks on a matching rate and code class,
//     a Viterbi decoder on a convolutionally coded stream with matching symbol settings;
//   - the data is valid when the decoder code, descrambler and Viterbi setting match the
//     transmitter; a BERT locks on valid data carrying its pattern and counts errors drawn with
//     the probability 0.5 erfc(sqrt(Eb/No)) (doubled for differential codes, tripled behind the
//     descrambler, 5 dB better behind the Viterbi decoder, plus the transmit BERT's insertion);
//   - the pre-D combiner weights the two inputs by their estimated noise (measured or fixed)
//     and hands the combined C/No to receivers fed from "DIVERSITY_COMBINER"; the post-D
//     combiner adds the two channels' Eb/No for the BERT of its output.
// Not thread-safe by itself: the library holds the card's mutex around every use.
#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "card/fpga_image_header.h"
#include "card/records/card_info_block.h"
#include "devicesim/personality.h"
#include "devicesim/sim_config.h"
#include "devicesim/sim_random.h"

namespace quorxsim {

inline constexpr double kMaxDataRate = 40e6;
inline constexpr int kMaxDisplayPoints = 16384;

// Lock after the conditions have held for the acquisition time; lost as soon as they fail.
struct LockTimer {
  bool conditions = false;
  double since = 0.0;
  bool locked = false;

  void Update(bool met, double now, double acquisitionSeconds) {
    if (!met) {
      conditions = false;
      locked = false;
      return;
    }
    if (!conditions) {
      conditions = true;
      since = now;
    }
    locked = now - since >= acquisitionSeconds;
  }
  void Restart() {
    conditions = false;
    locked = false;
  }
};

// A signal at an IF input (or at the pre-D combiner's output).
struct Emission {
  Family family = Family::None;  // None: an unmodulated carrier
  std::string modulation;        // specific PSK modulation, empty for any of the family
  double carrierHz = 0.0;
  double powerDbm = -200.0;
  double ownNoiseDbmHz = -400.0;  // noise density that comes with the signal
  double cnoDbHz = 0.0;           // at the input, after all noise
  double bitRate = 0.0;           // 0: no data clock
  double bitRate2 = 0.0;
  std::string code = "NRZL";
  bool randomized = false;
  bool convolutional = false;
  bool swapG1G2 = false;
  bool invertG2 = false;
  bool inverted = false;
  std::string pattern;  // "" or "DATA": no BERT pattern
  std::array<unsigned char, 4> userPattern{};
  int userPatternBits = 0;
  double injectedBer = 0.0;
  double modIndex = 0.0;

  double TotalRate() const { return bitRate + bitRate2; }
};

struct IfInput {
  std::vector<Emission> emissions;
  double noiseDbmHz = -168.0;
};

struct BitSync {
  double rateBps = 1e6;
  std::string inputCode = "NRZL";
  std::string descrambler = "NONE";
  std::string outputCode = "NRZL";
  double acqRangePct = 1.0;
  double loopWidthPct = 0.1;
  LockTimer lock;
  double measuredEbNoDb = 0.0;
  double measuredSymbolRate = 0.0;
};

struct Viterbi {
  std::string rate = "RATE_ONE_HALF";
  std::string order = "G1G2_ORDER";
  bool decode = false;
  bool g1Invert = false;
  bool g2Invert = false;
  LockTimer lock;
  double symbolErrorRate = 0.0;
  double bitErrorRate = 0.0;
};

struct Receiver {
  Family family = Family::None;
  std::string inputSource;
  double qualThresholdDbm = -120.0;
  std::string modulation = "BPSK";
  double centerHz = 70e6;
  double acqRangeHz = 200e3;
  std::string acqMode = "UNAIDED";
  double acqLoopBwPct = 1.0;
  double trkLoopBwPct = 0.5;
  double filterBwRatio = 1.0;
  double acqLoopBwHz = 2000.0;
  double trkLoopBwHz = 1000.0;
  double peakDeviation = 0.7;
  double compFactorMin = 0.8;
  double compFactorMax = 1.2;
  bool xmitterDigital = false;
  double pmThresholdDbm = -120.0;
  std::string clockPolarity = "RISING_EDGE";
  bool invertOutput = false;
  std::string recombineLocation = "OFF";
  std::string swapLocation = "OFF";
  std::string invertLocation1 = "OFF";
  std::string invertLocation2 = "OFF";
  std::array<BitSync, 2> bitSync{};
  Viterbi viterbi;
  bool streamControlS1Only = false;
  std::string baseband1Output = "OFF";
  std::string baseband2Output = "OFF";
  int sakBbOutSelection = 0;
  bool discriminator = false;  // PCM/FM carrier discriminator
  std::string modIndexCompensation = "OFF";
  double pmModIndexRad = 1.0;
  double pmLockDecisionSec = 0.1;
  bool pmLoopDiscriminator = false;
  std::string pmDebugMux1 = "OFF";
  std::string pmDebugMux2 = "OFF";
  double mhAcqLoopBwPct = 1.0;  // multi-h CPM total setup
  double mhBitSyncAcqRangePct = 1.0;

  // Readings of the last step.
  LockTimer carrier;
  bool hasCandidate = false;
  Emission candidate;
  double ebNoDb = -50.0;
  double signalPowerDbm = -120.0;
  double totalPowerDbm = -100.0;
  double actualHz = 70e6;
  double modIndexMeasured = 0.0;
  double loopErrorHz = 0.0;

  void RestartAcquisition() {
    carrier.Restart();
    for (BitSync& b : bitSync) b.lock.Restart();
    viterbi.lock.Restart();
  }
};

// What a receiver (or the post-D combiner) hands to a BERT.
struct DataView {
  bool valid = false;
  Emission emission;
  double ebNoDb = -50.0;
  double rate = 0.0;
  bool inverted = false;
  bool decoded = false;
};

struct Bert {
  std::string pattern = "pn15";
  std::string clockPolarity = "RISING_EDGE";
  std::array<unsigned char, 4> userPattern{0xFF, 0xFF, 0x00, 0x00};
  int userPatternBits = 32;
  double totalBits = 0.0;
  double errorBits = 0.0;
  int lockLossCount = 0;
  int inversionCount = 0;
  LockTimer lock;
  bool wasLocked = false;
  bool inverted = false;
  double measuredRate = 0.0;
};

struct TxBert {
  std::string pattern = "pn15";
  std::array<unsigned char, 4> userPattern{0xFF, 0xFF, 0x00, 0x00};
  int userPatternBits = 32;
  double bitRate = 1e6;
  double bitErrorRate = 0.0;
  std::string clockPolarity = "normal";
  std::string dataPolarity = "normal";
  bool insertTimeCode = false;
  double systemClockHz = 0.0;  // 0: the card's own clock
};

struct PcmEncoder {
  std::string source = "TX_BERT";
  std::string encoding = "NRZL";
  std::string randomizer = "NONE";
  bool convolutional = false;
  bool swapG1G2 = false;
  bool invertG2 = false;
  bool invertData = false;
  bool fallingEdgeClock = false;
};

struct Modulator {
  std::string mode = "DIR_PSK";
  std::string type = "BPSK";
  double carrierHz = 70e6;
  double levelDbm = -30.0;
  bool carrierOn = false;
  bool modulationOn = false;
  bool noiseOn = false;
  double cnoDbHz = 80.0;
  double maxOutputCalDb = 0.0;
  double iPowerDb = 0.0;
  double qPowerDb = 0.0;
  bool qpskConjugate = false;
  std::string iSource = "PCM_ENCODER1";
  std::string qSource = "PCM_ENCODER2";
  std::string iqRouting = "I_AND_Q";
  std::string symbolRouting = "NONE";
  std::string preprocessing = "NONE";
  double pmIndexRad = 1.0;
  double fmDeviationFactor = 0.35;
  std::string sglsSource = "PCM_ENCODER1";
  std::string sglsModulation = "FSK";
  double sglsRateHz = 65000.0;
  double sglsPmIndexRad = 0.5;
  std::string testGenPattern = "NONE";
  double fskPremodBwHz = 0.0;
  double fskDeviationHz = 0.0;
  double sub1DeviationHz = 0.0;
  double sub2DeviationHz = 0.0;
  double sub2PmIndexRad = 0.5;
  double rangePmIndexRad = 1.0;
  double commandPmIndexRad = 1.0;
  double extPmIndexRad = 1.0;
  bool sakLoopback = false;
  bool sakIfModToDiversity = false;
  std::array<PcmEncoder, 2> encoder{};
};

// The modulator sweep engine behind its registers (card/fpga_image_header.h, modsweep_reg).
struct SweepEngine {
  std::uint32_t control = 0;
  std::uint32_t rate = 1000;
  std::int32_t startOffset = 0;
  std::int32_t stopOffset = 0;
  double currentOffset = 0.0;
  bool running = false;
  bool done = false;
  bool armed = false;  // a new segment was programmed since the last start

  void Advance(double seconds);
  void Control(std::uint32_t value);
  std::uint32_t Status() const;
};

struct Fft {
  bool enabled = true;
  double spanHz = 10e6;
  double centerHz = 70e6;
  std::string window = "HANNING";
  int averages = 4;
  int updateRateHz = 10;
};

struct IqCapture {
  bool running = true;
  int points = 1024;
  int updateRateHz = 10;
};

struct PreDCombiner {
  std::string noiseMode = "AUTOMATIC";
  std::string output = "COMBINING_OUTPUT";
  double signalBandwidthHz = 10e6;
  double timeConstSec = 0.01;
  double phaseTimeConstSec = 0.001;
  double centerAHz = 70e6;
  double centerBHz = 70e6;
  double fixedNoiseADbmHz = -150.0;
  double fixedNoiseBDbmHz = -150.0;
  double noiseFilterGain = 1.0;
  double measuredNoiseADbmHz = -168.0;
  double measuredNoiseBDbmHz = -168.0;
};

struct PostDCombiner {
  std::string output = "COMBINING_OUTPUT";
};

// A module of a loaded image on the register bus.
struct BusModule {
  std::uint32_t type = 0;
  std::uint32_t offset = 0;  // first register, relative to the FPGA's window
  int channel = 0;           // receivers: the channel they serve
  std::int32_t major = 0;
  std::int32_t minor = 0;
};

// The sum in dB of two powers given in dB, from a table of 10 log10(1 + 10^(-d / 10)): a spectrum
// needs it at every one of its points.
class DbSumTable {
 public:
  DbSumTable();
  // Where the lower of two powers stops counting: Sum(a, b) is exactly a when b <= a - kRangeDb.
  static constexpr int kRangeDb = 75;

  double Sum(double aDb, double bDb) const {
    const double high = aDb > bDb ? aDb : bDb;
    const double position = std::fabs(aDb - bDb) * kStepsPerDb;
    if (!(position < kRangeDb * kStepsPerDb)) return high;  // the lower one adds under 4e-8 dB
    const int whole = static_cast<int>(position);  // a signed conversion is one instruction
    const auto k = static_cast<std::size_t>(whole);
    const double within = position - whole;
    return high + values_[k] + within * (values_[k + 1] - values_[k]);
  }

 private:
  static constexpr int kStepsPerDb = 16;  // straight-line error under 3e-5 dB
  std::array<double, kRangeDb * kStepsPerDb + 2> values_{};
};

class Card {
 public:
  Card(int index, const CardConfig& setup, std::uint64_t seed, std::int64_t nowNs);

  std::mutex mutex;

  // ---- Card level ----
  bool open = false;
  bool ChipVariant() const { return chipVariant_; }
  std::uint32_t loggingMask = 0xC000;
  bool HasPersonality() const { return personality_ != nullptr; }
  const Personality* PersonalityInfo() const { return personality_; }
  bool FpgaLoaded(int fpga) const { return fpgaLoaded_[static_cast<std::size_t>(fpga)]; }
  const card::kr20cardinfo& Info() const { return image_.CardInfo; }
  int TocCount(int fpga) const { return fpgaLoaded_[static_cast<std::size_t>(fpga)] ? image_.TocCount[fpga] : 0; }
  const card::FpgaDeviceEntry& TocEntry(int fpga, int index) const { return image_.Toc[fpga][index]; }

  // Brings the model up to the simulated clock's time (nanoseconds). Less than kSettleNs after
  // the last step, with nothing changed since, the last step's readings still stand and the time
  // is taken along by the next step: a status pass reads tens of values within a millisecond.
  void AdvanceTo(std::int64_t nowNs);
  // A setting, register or image may have changed: the next AdvanceTo steps whatever the time.
  void MarkChanged() { changed_ = true; }
  static constexpr std::int64_t kSettleNs = 1'000'000;

  // Loads an image file into an FPGA; a status of card/device_status.h.
  int LoadImage(int fpga, const std::string& path);
  // Loads a personality straight from the built-in table (power-up personality).
  void LoadBuiltInPersonality(int mode);

  // Register bus; `reg` is relative to the window or the window base plus that. Poke marks the
  // card changed itself, unless it writes a plain register with the value it already holds.
  int Peek(int fpga, std::uint32_t first, std::uint32_t* values, int count);
  int Poke(int fpga, std::uint32_t reg, std::uint32_t value);

  // Displays: `points` values (dB) of channel `ch`, or `points` I/Q pairs, written to `out` as
  // little-endian IEEE doubles at any alignment, straight where the caller wants them. The
  // spectrum's shape is computed again only when what determines it changes; its noise is new
  // at every call.
  void FillSpectrum(int ch, int points, void* out);
  void FillIq(int ch, int points, void* out);

  // The two channels' combination as the post-D combiner reports it.
  double PostDChannelEbNo(int ch) const;
  double PostDCombiningGainDb() const;
  double PostDScalePercent(int ch) const;
  // Multi-h CPM lock state number: 0 searching, 1 carrier, 2 bit sync, 3 data valid.
  int MhCpmLockState(int ch) const;

  std::array<Receiver, 2> rx{};
  std::array<Bert, 2> bert{};
  std::array<TxBert, 2> txBert{};
  std::array<Fft, 2> fft{};
  std::array<IqCapture, 2> iq{};
  PreDCombiner preD;
  PostDCombiner postD;
  Modulator mod;
  SweepEngine sweep;
  std::array<int, 2> basebandDacSource{};

 private:
  void ResetBlocks();
  void ApplyImage(const card::FpgaImageHeader& header, int fpga);
  // `rebuildInputs`: the signals at the inputs may differ from the last step's (a change, or the
  // sweep engine moving the modulator's carrier); otherwise they are the last step's.
  void Step(double t, double h, bool rebuildInputs);
  std::array<IfInput, 2> BuildInputs() const;
  bool ModulatorEmission(Emission& emission) const;
  IfInput BuildPreDOutput(const std::array<IfInput, 2>& inputs);
  const IfInput* SourceOf(int ch, const std::array<IfInput, 2>& inputs, const IfInput& combined) const;
  void EvaluateReceiver(int ch, const IfInput* input, double t);
  DataView ReceiverData(int ch) const;
  DataView BertInput(int b) const;
  void EvaluateBert(int b, double t, double h);
  // The emissions' level per spectrum point (dBm, kNoPower where negligible) for a shape key:
  // points, grid start and step (Hz), bin width (Hz), noise per bin (mW), then per spectral part
  // Gaussian (1 or 0), power (mW), width (Hz) and carrier (Hz).
  void ComputeSpectrumLevel(const std::vector<double>& key, std::vector<double>& level) const;
  std::uint32_t* Register(int fpga, std::uint32_t reg);
  bool LiveRead(int fpga, std::uint32_t reg, std::uint32_t& value) const;
  // True when the register belongs to a unit that acts on writes (the sweep engine).
  bool OnWrite(int fpga, std::uint32_t reg, std::uint32_t value);

  int index_;
  bool chipVariant_;
  std::array<SignalConfig, 2> external_{};
  Random physics_;
  Random display_;
  NormalTable displayNormal_;          // the displays' noise, drawn with display_
  DbSumTable dbSum_;
  // Per channel: the last spectrum shape and the key it was computed for.
  struct SpectrumShape {
    std::vector<double> key;
    std::vector<double> level;
  };
  static constexpr std::size_t kSpectrumKeyHead = 5;
  static constexpr std::size_t kSpectrumKeyPerPart = 4;
  std::array<SpectrumShape, 2> spectrumShape_{};
  // The spectrum's scatter: independent samples of the display normal drawn once, read by each
  // call from a random place of the ring, so that a point costs no draw of its own.
  static constexpr int kNoiseRingBits = 16;
  std::vector<float> noiseRing_;
  double noiseRingLowest_ = 0.0;
  std::vector<double> spectrumKey_;  // the key of the current call, kept for its storage
  std::int64_t originNs_;  // the model's times count from the card's power-up
  std::int64_t nowNs_;
  bool changed_ = true;  // since the last step
  const Personality* personality_ = nullptr;
  card::FpgaImageHeader image_{};
  std::array<bool, 2> fpgaLoaded_{};
  bool secondFpga_ = true;  // the board carries FPGA 2
  std::array<std::vector<std::uint32_t>, 2> registers_{};
  std::array<std::vector<BusModule>, 2> modules_{};
  std::array<IfInput, 2> lastInputs_{};
  IfInput lastCombined_{};
};

// Stores `value` as the little-endian IEEE double number `index` of `out` (any alignment).
inline void StoreDouble(void* out, std::size_t index, double value) {
  unsigned char* bytes = static_cast<unsigned char*>(out) + index * sizeof(double);
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(bytes, &value, sizeof value);
  } else {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    for (std::size_t k = 0; k < sizeof bits; ++k) bytes[k] = static_cast<unsigned char>(bits >> (8 * k));
  }
}

// Bit error probability of a data stream at an Eb/No.
double BitErrorProbability(double ebNoDb, const std::string& code, bool randomized, bool decoded);

}  // namespace quorxsim
