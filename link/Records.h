#pragma once

#include <cstdint>
#include <string_view>

// The station's records, every field widened to a signed 32-bit integer in wire units.
// Scale: wire value = shown value x scale (see link/Convert.h).

/// 0 no station or an unrecognised one, 1 heater station KRT-51, 2 heater-and-fan KRF-51.
enum class DeviceKind : int { None = 0, Krt51 = 1, Krf51 = 2 };

/// The model as its identity text begins; empty for no station.
constexpr std::string_view ModelName(DeviceKind kind) noexcept {
    switch (kind) {
        case DeviceKind::Krt51:
            return "KRT-51";
        case DeviceKind::Krf51:
            return "KRF-51";
        case DeviceKind::None:
            break;
    }
    return {};
}

/// Reply of GetHeat.
struct HeatStatus {
    std::int32_t Tset = 0;    // 0.1 °C
    std::int32_t Tget = 0;    // 0.1 °C
    std::int32_t Tcj = 0;     // 0.1 °C
    std::int32_t Power = 0;   // 0.1 %
    std::int32_t PllErr = 0;  // signed on the wire
    std::int32_t PllPer = 0;  // µs
    bool operator==(const HeatStatus&) const = default;
};

/// Reply of GetFan.
struct FanStatus {
    std::int32_t Vset = 0;  // rpm
    std::int32_t Vget = 0;  // rpm
    std::int32_t Pwm = 0;   // 0..255
    bool operator==(const FanStatus&) const = default;
};

/// Heater or fan PID gains, each 0..255.
struct PidGains {
    std::int32_t Kp = 0;
    std::int32_t Ki = 0;
    std::int32_t Kd = 0;
    bool Enable = false;
    bool operator==(const PidGains&) const = default;
};

struct HeaterParams {
    std::int32_t Mode = 0;   // 0 "Phase", 1 "Delta-Sigma"
    std::int32_t Delay = 0;  // PLL delay, µs, signed on the wire
    std::int32_t Kp = 0;     // PLL Kp
    std::int32_t Ki = 0;     // PLL Ki
    std::int32_t Error = 0;  // PLL error, µs
    std::int32_t Plim = 0;   // power limit, 0.1 %
    std::int32_t Comp = 0;
    std::int32_t Shift = 0;  // 0.1 °C, signed on the wire
    std::int32_t Gain = 0;   // x 1000
    std::int32_t Tcjn = 0;   // 0.1 °C
    std::int32_t LastPreset = 0;  // reply only: the highest numbered preset
    bool operator==(const HeaterParams&) const = default;
};

/// Preset Index: 0 "OFF", 1 "COOL", 2 "STB", 3 + n the numbered preset n.
struct Preset {
    std::int32_t Index = 0;
    std::int32_t T = 0;  // 0.1 °C
    std::int32_t V = 0;  // rpm
    std::int32_t C = 0;
    bool operator==(const Preset&) const = default;
};

struct Timers {
    std::int32_t TmStb = 0;  // s
    std::int32_t TmOff = 0;  // s
    std::int32_t ThAct = 0;  // 0: automatic standby off
    bool operator==(const Timers&) const = default;
};

struct HeaterOptions {
    bool InitialOn = false;
    bool EncoderVar = false;
    std::int32_t EncoderSpeed = 0;  // steps/s
    std::int32_t ReadyDelay = 0;    // ms
    std::int32_t ReadydT = 0;       // 0.1 °C
    std::int32_t UnreadydT = 0;     // 0.1 °C
    std::int32_t StepTnorm = 0;     // 0.1 °C
    std::int32_t StepTlarge = 0;    // 0.1 °C
    bool EnableErH = false;
    bool EnableErO = false;
    bool EnableErS = false;
    std::int32_t ErHdelay = 0;  // ms
    std::int32_t ErHdT = 0;     // 0.1 °C
    std::int32_t ErHvT = 0;     // 0.1 °C/s
    bool operator==(const HeaterOptions&) const = default;
};

struct FanOptions {
    std::int32_t StepVnorm = 0;   // rpm
    std::int32_t StepVlarge = 0;  // rpm
    bool EnableErF = false;
    std::int32_t ErFdelay = 0;  // ms
    std::int32_t ErFdV = 0;     // rpm
    bool operator==(const FanOptions&) const = default;
};
