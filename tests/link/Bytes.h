#pragma once

#include <cstdint>
#include <vector>

#include "link/Wakeframe.h"

using Bytes = std::vector<std::uint8_t>;

/// A stuffed frame as a station would send it.
inline Bytes Frame(std::uint8_t address, std::uint8_t command, const Bytes& data) {
    std::uint8_t buffer[wake::FrameBufferSize];
    const auto size = wake::EncodeFrame(address, command, data.data(),
                                        static_cast<std::uint8_t>(data.size()), buffer);
    return Bytes(buffer, buffer + size);
}

inline Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
