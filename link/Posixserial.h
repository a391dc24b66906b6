#pragma once

#include <termios.h>

#include <linux/serial.h>

#include "link/Serialline.h"
#include "link/Uniquefd.h"

/// A real serial device through termios: exclusive open (TIOCEXCL and flock), raw 8N1,
/// 100 ms single-byte reads, RTS high only while a frame is on the line.
class PosixSerialLine final : public SerialLine {
public:
    static constexpr int ReadTimeoutMs = 100;

    ~PosixSerialLine() override { Close(); }

    void Open(const std::string& name, int baud) override;
    void Close() noexcept override;
    bool IsOpen() const noexcept override { return static_cast<bool>(fd_); }
    void SetBaud(int baud) override;
    void Purge() override;
    bool ReadByte(std::uint8_t& value) override;
    long Write(const std::uint8_t* data, std::size_t size) override;

private:
    /// Throws EPortError "Port <name> <what>" carrying `osError`.
    [[noreturn]] void Fail(const char* what, int osError) const;
    void SetRts(bool high) noexcept;

    UniqueFd fd_;
    std::string name_;
    termios saved_{};
    bool savedValid_ = false;
    serial_rs485 savedRs485_{};
    bool rs485_ = false;  // the driver raises RTS while sending
};
