#pragma once

#include <cstdint>

/// The station's command codes: the WAKE command byte of each request and its reply.
namespace cmd {

enum Code : std::uint8_t {
    Echo = 2,
    GetInfo = 3,
    SetT = 6,
    GetHeat = 7,
    SetPIDH = 8,
    GetPIDH = 9,
    SetParH = 10,
    GetParH = 11,
    SetV = 12,
    GetFan = 13,
    SetPIDF = 14,
    GetPIDF = 15,
    SetPreset = 16,
    GetPreset = 17,
    SetTimers = 18,
    GetTimers = 19,
    SetOptionsH = 20,
    GetOptionsH = 21,
    SetOptionsF = 22,
    GetOptionsF = 23,
};

}  // namespace cmd
