#pragma once

#include <cmath>
#include <cstdint>

/// Shown values and the integers the station and the files hold: wire = shown x scale.
namespace convert {

inline constexpr int Tenths = 10;       // temperatures, power, limits, dT values
inline constexpr int Thousandths = 1000;  // gains
inline constexpr int Unscaled = 1;

/// `shown` x `scale` to the nearest integer, halves away from zero. A value typed in decimal
/// (4.35, 0.05) counts as the half it stands for, although its binary double lies a hair off.
inline std::int32_t ToWire(double shown, int scale) {
    const double product = shown * scale;
    const double nudge = std::copysign(1e-9 * std::fmax(1.0, std::fabs(product)), product);
    return static_cast<std::int32_t>(std::round(product + nudge));
}

/// A received integer as the value shown.
inline double FromWire(std::int32_t wire, int scale) { return static_cast<double>(wire) / scale; }

}  // namespace convert
