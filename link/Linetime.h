#pragma once

#include "link/Commands.h"

/// How long frames take on the serial line: a byte is 10 bits (start, 8 data, stop).
namespace linetime {

inline constexpr int BitsPerByte = 10;
/// FEND, command, count and CRC around the data of a frame to or from address 0.
inline constexpr int FrameOverheadBytes = 4;
/// The error code byte that opens every reply but GetInfo's and Echo's.
inline constexpr int ErrorCodeBytes = 1;

/// Line bytes of one transaction of `code` (any command whose reply opens with the error code)
/// as the command table sizes it: the request frame and the reply frame, before byte stuffing
/// (which adds a byte for each value C0 or DB).
constexpr int TransactionBytes(cmd::Code code) noexcept {
    const cmd::DataBytes data = cmd::SizesOf(code);
    return FrameOverheadBytes + data.request + FrameOverheadBytes + ErrorCodeBytes + data.reply;
}

/// Milliseconds `bytes` take at `baud` (> 0).
constexpr double LineMs(int bytes, int baud) noexcept {
    return bytes * BitsPerByte * 1000.0 / baud;
}

}  // namespace linetime
