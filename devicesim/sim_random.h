#pragma once
// A small deterministic random source (splitmix64) with the few distributions the model needs,
// and a table-driven standard normal for the displays, which need tens of thousands of samples
// per call. Written out here instead of <random>'s distributions, whose output is left to the
// standard library, so that a seed gives the same card behaviour with every build.
#include <array>
#include <cmath>
#include <cstdint>

namespace quorxsim {

class Random {
 public:
  explicit Random(std::uint64_t seed = 0) : state_(seed) {}

  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }

  // Uniform in [0, 1).
  double Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }

  // Standard normal (Box-Muller).
  double Gauss() {
    const double u1 = 1.0 - Uniform();  // (0, 1]: the logarithm stays finite
    const double u2 = Uniform();
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2);
  }

  // A Poisson count of the given mean; the normal approximation above 30.
  double Poisson(double mean) {
    if (!(mean > 0.0)) return 0.0;
    if (mean < 30.0) {
      const double limit = std::exp(-mean);
      double product = Uniform();
      double count = 0.0;
      while (product > limit) {
        product *= Uniform();
        count += 1.0;
      }
      return count;
    }
    const double value = std::round(mean + std::sqrt(mean) * Gauss());
    return value > 0.0 ? value : 0.0;
  }

 private:
  std::uint64_t state_;
};

// Standard normal samples at the cost of a table look-up. The table holds the normal quantiles at
// k / kCells; a sample picks one of the kCells equally likely cells and a point within it (the
// quantile function is nearly straight across a cell), and the two outermost cells, which reach
// to infinity, draw from the exact tails.
class NormalTable {
 public:
  static constexpr int kCellBits = 12;
  static constexpr int kCells = 1 << kCellBits;
  static constexpr int kFractionBits = 19;
  // Bits a sample takes from the caller: the cell and the position within it.
  static constexpr int kSampleBits = kCellBits + kFractionBits;

  NormalTable() {
    // The upper half by Newton's method from the previous knot (the distribution function is
    // concave there, so the steps approach each knot from below); the lower half by symmetry.
    constexpr double kSqrtHalf = 0.7071067811865476;
    constexpr double kInvSqrtTwoPi = 0.3989422804014327;
    double x = 0.0;
    for (int k = kCells / 2 + 1; k < kCells; ++k) {
      const double upper = static_cast<double>(kCells - k) / kCells;  // 1 - p, exact
      for (int iteration = 0; iteration < 100; ++iteration) {
        const double step = (0.5 * std::erfc(x * kSqrtHalf) - upper) / (kInvSqrtTwoPi * std::exp(-0.5 * x * x));
        x += step;
        if (!(step > 1e-15 * (1.0 + x))) break;
      }
      knots_[static_cast<std::size_t>(k)] = x;
      knots_[static_cast<std::size_t>(kCells - k)] = -x;
    }
  }

  // A sample from the low kSampleBits of `bits`; `random` serves only the rare tail draws.
  double Sample(std::uint64_t bits, Random& random) const {
    const auto cell = static_cast<std::size_t>((bits >> kFractionBits) & (kCells - 1));
    const double within = static_cast<double>(bits & ((1u << kFractionBits) - 1)) * (1.0 / (1u << kFractionBits));
    if (cell == 0) return -Tail(random);
    if (cell == kCells - 1) return Tail(random);
    return knots_[cell] + within * (knots_[cell + 1] - knots_[cell]);
  }

 private:
  // Beyond the outermost inner knot: Marsaglia's exact method for the normal tail.
  double Tail(Random& random) const {
    const double a = knots_[kCells - 1];
    for (;;) {
      const double x = -std::log(1.0 - random.Uniform()) / a;
      const double y = -std::log(1.0 - random.Uniform());
      if (2.0 * y > x * x) return a + x;
    }
  }

  std::array<double, kCells + 1> knots_{};  // the two ends stand for minus and plus infinity
};

}  // namespace quorxsim
