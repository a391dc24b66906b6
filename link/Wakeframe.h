#pragma once

#include <cstddef>
#include <cstdint>

class SerialLine;

/// WAKE framing: FEND/FESC byte stuffing and the CRC-8 the stations use.
namespace wake {

inline constexpr std::uint8_t Fend = 0xC0;
inline constexpr std::uint8_t Fesc = 0xDB;
inline constexpr std::uint8_t Tfend = 0xDC;
inline constexpr std::uint8_t Tfesc = 0xDD;
inline constexpr std::uint8_t CrcInit = 0xDE;

/// Request and reply data never exceed this many bytes.
inline constexpr std::size_t MaxData = 250;
/// FEND, address, command, count, data and CRC, every byte but FEND possibly stuffed.
inline constexpr std::size_t FrameBufferSize = 512;
/// The link error of a read that waited in vain: the station did not answer.
inline constexpr const char* NoDataMessage = "No data to receive.";
/// Bytes read while looking for FEND before giving up.
inline constexpr int StartSearchLimit = 512;

/// One Dallas/Maxim CRC-8 step (reflected polynomial 0x8C) over `value`.
void Crc8Update(std::uint8_t value, std::uint8_t& crc) noexcept;

/// Appends `value` to `buffer` at `position`, as one byte or as a FESC pair.
void StuffByte(std::uint8_t value, std::uint8_t* buffer, std::size_t& position) noexcept;

/// Builds the stuffed frame into `buffer` (FrameBufferSize bytes) and returns its length.
/// Address 0 carries no address byte. `count` must not exceed MaxData.
std::size_t EncodeFrame(std::uint8_t address, std::uint8_t command, const std::uint8_t* data,
                        std::uint8_t count, std::uint8_t* buffer) noexcept;

/// Encodes and writes one frame; throws EInOutError "WAKE framing error." on a failed or
/// short write.
void SendFrame(SerialLine& line, std::uint8_t address, std::uint8_t command,
               const std::uint8_t* data, std::uint8_t count);

/// Reads one raw byte; throws EInOutError "No data to receive." when none arrives in time.
std::uint8_t ReadRawByte(SerialLine& line);

/// Reads one logical byte, resolving a FESC pair; throws "WAKE destuffing error.".
std::uint8_t ReadByteUnstuffed(SerialLine& line);

struct Frame {
    std::uint8_t address = 0;
    std::uint8_t command = 0;
    std::uint8_t count = 0;
};

/// Reads one frame into `data` (MaxData bytes) and checks its CRC. A raw FEND inside a frame
/// cannot belong to it: the partial frame is dropped and decoding starts again from that FEND,
/// the dropped bytes counting against the start search's limit. Throws EInOutError with
/// "WAKE frame marker not found.", "WAKE destuffing error.", "WAKE CRC error.",
/// "WAKE frame too long." (count above MaxData) or "No data to receive.".
Frame ReceiveFrame(SerialLine& line, std::uint8_t* data);

}  // namespace wake
