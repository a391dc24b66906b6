#pragma once

#include <cstdint>
#include <random>

/// A seeded generator whose draws are the same on every standard library: mt19937 is fully
/// specified, the library's distributions are not.
class Random {
  public:
    explicit Random(std::uint32_t seed) : engine_(seed) {}

    /// Uniform in [0, 1).
    double Unit() { return static_cast<double>(engine_()) / 4294967296.0; }
    /// True with probability `p`; a probability of 0 never fires, 1 always does.
    bool Chance(double p) { return p > 0.0 && Unit() < p; }
    /// Uniform integer in [low, high].
    int Between(int low, int high) {
        return low + static_cast<int>(Unit() * static_cast<double>(high - low + 1));
    }
    /// Uniform in [-amplitude, amplitude).
    double Jitter(double amplitude) { return (2.0 * Unit() - 1.0) * amplitude; }

  private:
    std::mt19937 engine_;
};
