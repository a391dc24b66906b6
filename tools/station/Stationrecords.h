#pragma once

#include <array>
#include <cstdint>

#include "link/Records.h"

/// Everything the station keeps from its setters, in wire units.
struct StationRecords {
    static constexpr int LastPreset = 9;                    // numbered presets 0..9
    static constexpr int PresetCount = 3 + LastPreset + 1;  // OFF, COOL, STB, then 0..LastPreset

    std::int32_t tset = 2500;  // 0.1 °C
    std::int32_t power = 0;    // 0.1 %, the manual power used with the heater PID off
    PidGains heaterPid{.Kp = 40, .Ki = 10, .Kd = 5, .Enable = true};
    HeaterParams heater{.Mode = 0,
                        .Delay = 0,
                        .Kp = 20,
                        .Ki = 5,
                        .Error = 500,
                        .Plim = 1000,
                        .Comp = 3,
                        .Shift = 0,
                        .Gain = 1000,
                        .Tcjn = 250,
                        .LastPreset = LastPreset};
    std::int32_t vset = 1500;  // rpm
    std::int32_t pwm = 0;      // the manual PWM used with the fan PID off
    PidGains fanPid{.Kp = 30, .Ki = 8, .Kd = 2, .Enable = true};
    std::array<Preset, PresetCount> presets = DefaultPresets();
    Timers timers{.TmStb = 300, .TmOff = 1800, .ThAct = 10};
    HeaterOptions heaterOptions{.InitialOn = false,
                                .EncoderVar = true,
                                .EncoderSpeed = 20,
                                .ReadyDelay = 1000,
                                .ReadydT = 50,
                                .UnreadydT = 100,
                                .StepTnorm = 10,
                                .StepTlarge = 100,
                                .EnableErH = true,
                                .EnableErO = true,
                                .EnableErS = true,
                                .ErHdelay = 5000,
                                .ErHdT = 500,
                                .ErHvT = 20};
    FanOptions fanOptions{
        .StepVnorm = 10, .StepVlarge = 100, .EnableErF = true, .ErFdelay = 3000, .ErFdV = 500};

    static std::array<Preset, PresetCount> DefaultPresets() {
        std::array<Preset, PresetCount> presets{};
        presets[0] = {.Index = 0, .T = 0, .V = 0, .C = 0};       // OFF
        presets[1] = {.Index = 1, .T = 500, .V = 3000, .C = 0};  // COOL: fan only
        presets[2] = {.Index = 2, .T = 1500, .V = 800, .C = 0};  // STB
        for (int n = 0; n <= LastPreset; ++n) {
            const int index = 3 + n;
            presets[index] = {.Index = index, .T = 2000 + 200 * n, .V = 1000 + 100 * n, .C = n};
        }
        return presets;
    }
};
