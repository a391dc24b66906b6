#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

/// Shown values and the integers the station and the files hold: wire = shown x scale.
namespace convert {

inline constexpr int Tenths = 10;       // temperatures, power, limits, dT values
inline constexpr int Thousandths = 1000;  // gains
inline constexpr int Unscaled = 1;

/// `shown` x `scale` to the nearest integer, halves away from zero. A value typed in decimal
/// (4.35, 0.05) counts as the half it stands for, although its binary double lies a hair off.
/// Results beyond the 32-bit range saturate; NaN gives 0.
inline std::int32_t ToWire(double shown, int scale) {
    // Above the binary error of a typed decimal at any size within 32 bits, and far below the
    // half unit that would turn an exact integer into its neighbour.
    constexpr double MaxNudge = 1e-6;
    const double product = shown * scale;
    const double nudge =
        std::copysign(std::fmin(1e-9 * std::fmax(1.0, std::fabs(product)), MaxNudge), product);
    const double rounded = std::round(product + nudge);
    if (std::isnan(rounded)) return 0;
    using Limits = std::numeric_limits<std::int32_t>;
    return static_cast<std::int32_t>(
        std::clamp(rounded, double{Limits::min()}, double{Limits::max()}));
}

/// A received integer as the value shown.
inline double FromWire(std::int32_t wire, int scale) { return static_cast<double>(wire) / scale; }

}  // namespace convert
