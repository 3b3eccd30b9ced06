#pragma once
// A small deterministic random source (splitmix64) with the few distributions the model needs.
// Written out here instead of <random>'s distributions, whose output is left to the standard
// library, so that a seed gives the same card behaviour with every build.
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

}  // namespace quorxsim
