#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/Runprocess.h"
#include "support/Stationprocess.h"

// Fields of the frames in the station's log, read apart from the link's own decoder.

using FrameData = std::vector<std::uint8_t>;

inline int Byte(const FrameData& data, std::size_t at) {
    return data.at(at);
}
/// A little-endian 16-bit field.
inline int Word(const FrameData& data, std::size_t at) {
    return data.at(at) | data.at(at + 1) << 8;
}
inline int SignedWord(const FrameData& data, std::size_t at) {
    const int value = Word(data, at);
    return value >= 0x8000 ? value - 0x10000 : value;
}

/// The data of every frame of `direction` for `command`, in the order of the log.
inline std::vector<FrameData> Frames(const StationProcess& station,
                                     StationLogEntry::Direction direction, int command) {
    std::vector<FrameData> frames;
    for (const auto& e : station.Log()) {
        if (e.direction == direction && e.command == command && e.data) frames.push_back(*e.data);
    }
    return frames;
}
inline std::vector<FrameData> Replies(const StationProcess& station, int command) {
    return Frames(station, StationLogEntry::Direction::Tx, command);
}
inline std::vector<FrameData> Requests(const StationProcess& station, int command) {
    return Frames(station, StationLogEntry::Direction::Rx, command);
}

// The station's command codes these tests look for.
inline constexpr int CmdGetInfo = 3;
inline constexpr int CmdGetHeat = 7;
inline constexpr int CmdSetPIDH = 8;
inline constexpr int CmdSetParH = 10;
inline constexpr int CmdGetFan = 13;
inline constexpr int CmdSetPIDF = 14;
inline constexpr int CmdSetTimers = 18;

inline ProcessResult Cli(const std::vector<std::string>& args) {
    return RunProcess(CliExecutable(), args);
}
