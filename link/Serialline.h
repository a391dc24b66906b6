#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

/// The operations the link needs of a serial port. The POSIX implementation drives a real
/// device; tests substitute a scripted fake and the emulator a pseudo-terminal master.
class SerialLine {
public:
    virtual ~SerialLine() = default;

    /// Opens `name` exclusively for synchronous reading and writing at `baud`, 8N1 raw, no flow
    /// control, RTS high only while sending, DTR off, both buffers purged.
    /// Throws EInOutError "Port <name> open error." and the other port messages.
    virtual void Open(const std::string& name, int baud) = 0;
    /// Restores the settings found at open and closes; safe in every state.
    virtual void Close() noexcept = 0;
    virtual bool IsOpen() const noexcept = 0;
    /// Applies a new rate to the open port; throws "Port <name> set baud error.".
    virtual void SetBaud(int baud) = 0;
    /// Purges both directions of the open port.
    virtual void Purge() = 0;
    /// Waits at most the read time-out (100 ms) for one byte; false when none arrived.
    virtual bool ReadByte(std::uint8_t& value) = 0;
    /// Writes the whole buffer with RTS high exactly while it is on the line.
    /// Returns the number of bytes written, or -1 when the write failed.
    virtual long Write(const std::uint8_t* data, std::size_t size) = 0;
};
