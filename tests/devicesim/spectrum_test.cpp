// The simulated spectrum against its defining formula: per point, the noise power of a bin with a
// Gaussian scatter in dB, plus the power each emission puts into the bin (a Gaussian line for FM
// and bare carriers, sinc^2 for PSK). Region by region the buffers must show the formula's mean
// level and spread, the noise must be new at every call, and the shape must follow every setting
// that determines it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "sim_library.h"

namespace simtest {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kPoints = 1001;
constexpr int kCalls = 32;
constexpr int kRegions = 20;

double Lin(double db) { return std::pow(10.0, db / 10.0); }
double Db(double lin) { return 10.0 * std::log10(lin); }

// What the formula needs of a signal at the input.
struct Signal {
  bool fm = true;  // false: a bare carrier
  double carrierHz = 70e6;
  double powerDbm = -50.0;
  double bitRate = 0.0;
  double modIndex = 0.7;
};

struct Display {
  double centerHz = 70e6;
  double spanHz = 4e6;
  double noiseBandwidth = 1.5;  // HANNING
  int averages = 4;
};

// The power of a signal in a bin of width `rbw` at `hz` (mW).
double BinPower(const Signal& s, double hz, double rbw) {
  const double power = Lin(s.powerDbm);
  const double df = hz - s.carrierHz;
  double sigma = rbw / 2.0;
  if (s.fm) sigma = std::max(sigma, 2.0 * (s.modIndex * s.bitRate / 2.0 + s.bitRate / 2.0) / 4.0);
  return std::min(power, power * rbw / (sigma * std::sqrt(2.0 * kPi)) * std::exp(-0.5 * (df / sigma) * (df / sigma)));
}

// Mean and variance of Db(noise x Lin(scatter x g) + signal) over a standard normal g.
void Moments(double noise, double signal, double scatterDb, double& mean, double& variance) {
  double m1 = 0.0;
  double m2 = 0.0;
  double weights = 0.0;
  for (double g = -8.0; g <= 8.0; g += 0.05) {
    const double w = std::exp(-0.5 * g * g);
    const double v = Db(noise * Lin(scatterDb * g) + signal);
    m1 += w * v;
    m2 += w * v * v;
    weights += w;
  }
  mean = m1 / weights;
  variance = m2 / weights - mean * mean;
}

class SpectrumTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    // Channel 1's receiver takes input 2: an FM signal with its own noise, 20 dB Eb/No.
    UseConfig(ConfigText("IfInput1=NONE\nIfInput2=70e6, -50, FM, 100e3, 20, NRZL"));
    Load(0, 0);
    Advance(0.1);
    signals_ = {Signal{true, 70e6, -50.0, 100e3, 0.7}};
  }

  std::vector<double> Spectrum() {
    std::vector<double> values(kPoints);
    unsigned char flag = 0;
    int count = 0;
    EXPECT_EQ(F().Fft_GetFftBuffer(0, 1, &flag, values.data(), kPoints, &count), card::kDevOk);
    EXPECT_EQ(count, kPoints);
    return values;
  }

  // Compares kCalls buffers with the formula for `display` and the signals at the input.
  void CheckAgainstFormula(const Display& display) {
    const double rbw = display.spanHz / kPoints * display.noiseBandwidth;
    double noiseDensity = Lin(-168.0);  // the receiver's floor and the noise each signal brings
    for (const Signal& s : signals_) {
      if (s.fm) noiseDensity += Lin(s.powerDbm - (20.0 + Db(s.bitRate)));
    }
    const double noise = noiseDensity * rbw;
    const double scatterDb = 5.57 / std::sqrt(static_cast<double>(display.averages));
    std::vector<double> mean(kPoints);
    std::vector<double> variance(kPoints);
    std::vector<bool> noiseOnly(kPoints);
    for (int i = 0; i < kPoints; ++i) {
      const double hz = display.centerHz - display.spanHz / 2.0 + display.spanHz * i / (kPoints - 1);
      double signal = 0.0;
      for (const Signal& s : signals_) signal += BinPower(s, hz, rbw);
      Moments(noise, signal, scatterDb, mean[static_cast<std::size_t>(i)], variance[static_cast<std::size_t>(i)]);
      noiseOnly[static_cast<std::size_t>(i)] = signal < noise * 1e-6;
    }

    std::vector<std::vector<double>> calls;
    for (int k = 0; k < kCalls; ++k) calls.push_back(Spectrum());
    const auto residual = [&](int k, int i) {
      return calls[static_cast<std::size_t>(k)][static_cast<std::size_t>(i)] - mean[static_cast<std::size_t>(i)];
    };

    for (int region = 0; region < kRegions; ++region) {
      SCOPED_TRACE("region " + std::to_string(region));
      const int first = region * kPoints / kRegions;
      const int last = (region + 1) * kPoints / kRegions;
      double shift = 0.0;
      double squares = 0.0;
      double expected = 0.0;
      for (int i = first; i < last; ++i) {
        for (int k = 0; k < kCalls; ++k) {
          shift += residual(k, i);
          squares += residual(k, i) * residual(k, i);
        }
        expected += variance[static_cast<std::size_t>(i)];
      }
      const double samples = static_cast<double>((last - first) * kCalls);
      EXPECT_NEAR(shift / samples, 0.0, 0.35);  // 5 standard errors of the noise alone
      EXPECT_NEAR(std::sqrt(squares / samples), std::sqrt(expected / (last - first)), 0.1 * scatterDb);
    }

    // Where only noise is seen: its tails are those of a normal scatter, and two calls share none
    // of it.
    double beyondTwoSigma = 0.0;
    double product = 0.0;
    double quiet = 0.0;
    for (int i = 0; i < kPoints; ++i) {
      if (!noiseOnly[static_cast<std::size_t>(i)]) continue;
      quiet += 1.0;
      for (int k = 0; k < kCalls; ++k) beyondTwoSigma += std::fabs(residual(k, i)) > 2.0 * scatterDb ? 1.0 : 0.0;
      product += residual(0, i) * residual(1, i) / (scatterDb * scatterDb);
    }
    ASSERT_GT(quiet, 200.0);
    EXPECT_NEAR(beyondTwoSigma / (quiet * kCalls), 0.0455, 0.012);
    EXPECT_NEAR(product / quiet, 0.0, 0.2);
  }

  std::vector<Signal> signals_;
};

TEST_F(SpectrumTest, LevelsSpreadAndFreshNoiseFollowTheFormulaThroughEverySettingChange) {
  struct Row {
    const char* name;
    std::function<void(Display&)> change;
  };
  const Row rows[] = {
      {"as configured", [](Display&) {}},
      {"centre moved",
       [this](Display& d) {
         d.centerHz = 70.6e6;
         ASSERT_EQ(F().Fft_SetCenterFrequencyInHz(0, 1, d.centerHz), card::kDevOk);
       }},
      {"span, window and averages",
       [this](Display& d) {
         d.spanHz = 1.5e6;
         d.noiseBandwidth = 1.0;
         d.averages = 16;
         ASSERT_EQ(F().Fft_SetFrequencySpanInHz(0, 1, d.spanHz), card::kDevOk);
         ASSERT_EQ(F().Fft_SetWindowType(0, 1, "NONE"), card::kDevOk);
         ASSERT_EQ(F().Fft_SetNumberOfAverages(0, 1, d.averages), card::kDevOk);
       }},
      {"a carrier joins",
       [this](Display&) {
         ASSERT_EQ(F().SetMod_SetIfCarrierRateInHz(0, 70.3e6), card::kDevOk);
         ASSERT_EQ(F().SetMod_SetIfCarrierLevel(0, -60.0), card::kDevOk);
         ASSERT_EQ(F().SetMod_SetIfCarrierOn(0, 1), card::kDevOk);
         Advance(0.05);
         signals_.push_back(Signal{false, 70.3e6, -60.0, 0.0, 0.0});
       }},
      {"the carrier moves and weakens",
       [this](Display&) {
         ASSERT_EQ(F().SetMod_SetIfCarrierRateInHz(0, 70.9e6), card::kDevOk);
         ASSERT_EQ(F().SetMod_SetIfCarrierLevel(0, -64.0), card::kDevOk);
         Advance(0.05);
         signals_.back() = Signal{false, 70.9e6, -64.0, 0.0, 0.0};
       }},
  };
  ASSERT_EQ(F().Fft_SetCenterFrequencyInHz(0, 1, 70e6), card::kDevOk);
  ASSERT_EQ(F().Fft_SetFrequencySpanInHz(0, 1, 4e6), card::kDevOk);
  Display display;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    row.change(display);
    CheckAgainstFormula(display);
  }
}

}  // namespace
}  // namespace simtest
