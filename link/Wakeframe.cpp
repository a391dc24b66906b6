#include "link/Wakeframe.h"

#include <optional>

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

namespace {

/// Raw reads of one receive, counted against the start search's limit.
class RawReader {
  public:
    explicit RawReader(SerialLine& line) : line_(line) {}
    std::uint8_t Next() {
        ++count_;
        return ReadRawByte(line_);
    }
    int count() const noexcept { return count_; }

  private:
    SerialLine& line_;
    int count_ = 0;
};

/// One logical byte of a frame being read, or nothing when the line carried FEND: an
/// unstuffed FEND cannot stand inside a frame, so it starts the next one.
std::optional<std::uint8_t> FrameByte(RawReader& in) {
    const std::uint8_t value = in.Next();
    if (value == Fend) return std::nullopt;
    if (value != Fesc) return value;
    switch (in.Next()) {
        case Tfend:
            return Fend;
        case Tfesc:
            return Fesc;
        case Fend:
            return std::nullopt;
        default:
            throw ELinkFault("WAKE destuffing error.", LinkOutcome::FrameError);
    }
}

/// The frame after its FEND, or nothing when another FEND cut it short.
std::optional<Frame> FrameAfterFend(RawReader& in, std::uint8_t* data) {
    Frame frame;
    std::uint8_t crc = CrcInit;
    Crc8Update(Fend, crc);
    auto b = FrameByte(in);
    if (!b) return std::nullopt;
    if (*b & 0x80) {
        frame.address = *b & 0x7F;
        Crc8Update(frame.address, crc);
        if (!(b = FrameByte(in))) return std::nullopt;
    }
    frame.command = *b;
    Crc8Update(*b, crc);
    const auto count = FrameByte(in);
    if (!count) return std::nullopt;
    frame.count = *count;
    Crc8Update(frame.count, crc);
    // The reply buffer holds MaxData bytes; a longer frame cannot be ours.
    if (frame.count > MaxData) throw ELinkFault("WAKE frame too long.", LinkOutcome::FrameError);
    for (std::size_t j = 0; j < frame.count; ++j) {
        const auto value = FrameByte(in);
        if (!value) return std::nullopt;
        data[j] = *value;
        Crc8Update(*value, crc);
    }
    const auto check = FrameByte(in);
    if (!check) return std::nullopt;
    Crc8Update(*check, crc);
    if (crc != 0) throw ELinkFault("WAKE CRC error.", LinkOutcome::CrcError);
    return frame;
}

}  // namespace

Frame ReceiveFrame(SerialLine& line, std::uint8_t* data) {
    RawReader in(line);
    // Bytes that belong to no frame: noise before the first FEND and every frame a later
    // FEND cut short. They share the one start-search limit.
    int skipped = 0;
    while (in.Next() != Fend) {
        if (++skipped == StartSearchLimit)
            throw ELinkFault("WAKE frame marker not found.", LinkOutcome::FrameError);
    }
    for (;;) {
        const int start = in.count();
        if (auto frame = FrameAfterFend(in, data)) return *frame;
        // The cut frame's FEND and body count; the FEND just read opens the next frame.
        skipped += in.count() - start;
        if (skipped >= StartSearchLimit)
            throw ELinkFault("WAKE frame marker not found.", LinkOutcome::FrameError);
    }
}

}  // namespace wake
