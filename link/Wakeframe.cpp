#include "link/Wakeframe.h"

#include "link/Inouterror.h"
#include "link/Serialline.h"

namespace wake {

void Crc8Update(std::uint8_t value, std::uint8_t& crc) noexcept {
    for (int bit = 0; bit < 8; ++bit) {
        crc = ((value ^ crc) & 1) ? static_cast<std::uint8_t>((crc >> 1) ^ 0x8C)
                                  : static_cast<std::uint8_t>(crc >> 1);
        value >>= 1;
    }
}

void StuffByte(std::uint8_t value, std::uint8_t* buffer, std::size_t& position) noexcept {
    if (value == Fend) {
        buffer[position++] = Fesc;
        buffer[position++] = Tfend;
    } else if (value == Fesc) {
        buffer[position++] = Fesc;
        buffer[position++] = Tfesc;
    } else {
        buffer[position++] = value;
    }
}

std::size_t EncodeFrame(std::uint8_t address, std::uint8_t command, const std::uint8_t* data,
                        std::uint8_t count, std::uint8_t* buffer) noexcept {
    std::uint8_t crc = CrcInit;
    std::size_t position = 0;
    buffer[position++] = Fend;
    Crc8Update(Fend, crc);
    if (address != 0) {
        StuffByte(address | 0x80, buffer, position);
        Crc8Update(address & 0x7F, crc);
    }
    const std::uint8_t code = command & 0x7F;
    StuffByte(code, buffer, position);
    Crc8Update(code, crc);
    StuffByte(count, buffer, position);
    Crc8Update(count, crc);
    for (std::size_t i = 0; i < count; ++i) {
        StuffByte(data[i], buffer, position);
        Crc8Update(data[i], crc);
    }
    StuffByte(crc, buffer, position);
    return position;
}

void SendFrame(SerialLine& line, std::uint8_t address, std::uint8_t command,
               const std::uint8_t* data, std::uint8_t count) {
    std::uint8_t buffer[FrameBufferSize];
    const std::size_t size = EncodeFrame(address, command, data, count, buffer);
    if (line.Write(buffer, size) != static_cast<long>(size)) throw EInOutError("WAKE framing error.");
}

std::uint8_t ReadRawByte(SerialLine& line) {
    std::uint8_t value = 0;
    if (!line.ReadByte(value)) throw ELinkFault(NoDataMessage, LinkOutcome::Timeout);
    return value;
}

std::uint8_t ReadByteUnstuffed(SerialLine& line) {
    const std::uint8_t value = ReadRawByte(line);
    if (value != Fesc) return value;
    switch (ReadRawByte(line)) {
        case Tfend: return Fend;
        case Tfesc: return Fesc;
        default:
            throw ELinkFault("WAKE destuffing error.", LinkOutcome::FrameError);
    }
}

Frame ReceiveFrame(SerialLine& line, std::uint8_t* data) {
    int searched = 0;
    while (ReadRawByte(line) != Fend) {
        if (++searched == StartSearchLimit)
            throw ELinkFault("WAKE frame marker not found.", LinkOutcome::FrameError);
    }
    Frame frame;
    std::uint8_t crc = CrcInit;
    Crc8Update(Fend, crc);
    std::uint8_t b = ReadByteUnstuffed(line);
    if (b & 0x80) {
        frame.address = b & 0x7F;
        Crc8Update(frame.address, crc);
        b = ReadByteUnstuffed(line);
    }
    frame.command = b;
    Crc8Update(b, crc);
    frame.count = ReadByteUnstuffed(line);
    Crc8Update(frame.count, crc);
    // The reply buffer holds MaxData bytes; a longer frame cannot be ours.
    if (frame.count > MaxData) throw ELinkFault("WAKE frame too long.", LinkOutcome::FrameError);
    for (std::size_t j = 0; j < frame.count; ++j) {
        data[j] = ReadByteUnstuffed(line);
        Crc8Update(data[j], crc);
    }
    Crc8Update(ReadByteUnstuffed(line), crc);
    if (crc != 0) throw ELinkFault("WAKE CRC error.", LinkOutcome::CrcError);
    return frame;
}

}  // namespace wake
