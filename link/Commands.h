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

/// Data bytes of a command's request and of its reply's fields after the error code byte.
struct DataBytes {
    int request;
    int reply;
};

/// The record sizes on the wire. GetInfo's reply is the identity text, of no fixed size;
/// Echo returns what it was sent. Both count 0 here.
constexpr DataBytes SizesOf(Code code) noexcept {
    switch (code) {
        case Echo:
        case GetInfo:
            return {0, 0};
        case SetT:
            return {4, 0};
        case GetHeat:
            return {0, 12};
        case SetPIDH:
        case SetPIDF:
            return {4, 0};
        case GetPIDH:
        case GetPIDF:
            return {0, 4};
        case SetParH:
            return {16, 0};
        case GetParH:
            return {0, 17};
        case SetV:
            return {3, 0};
        case GetFan:
            return {0, 5};
        case SetPreset:
            return {6, 0};
        case GetPreset:
            return {1, 5};
        case SetTimers:
            return {5, 0};
        case GetTimers:
            return {0, 5};
        case SetOptionsH:
            return {18, 0};
        case GetOptionsH:
            return {0, 18};
        case SetOptionsF:
            return {7, 0};
        case GetOptionsF:
            return {0, 7};
    }
    return {0, 0};
}

}  // namespace cmd
