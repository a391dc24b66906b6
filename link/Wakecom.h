#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "link/Inouterror.h"
#include "link/Serialline.h"
#include "link/Wakeframe.h"

/// The one connection to a station: the serial port, the request and reply buffers and the
/// request/reply transaction every station command is built from.
///
/// A station command runs as: lock; BeginCommand; PutByte/PutWord per request field;
/// Transact(0); GetByte/GetWord per reply field. While no port is open, Transact does nothing
/// and the getters hand out the previous reply.
class TWakeCom {
public:
    static constexpr int DefaultBaud = 19200;

    /// Uses the POSIX serial line.
    TWakeCom();
    /// Uses `line` instead (tests, other transports).
    explicit TWakeCom(std::unique_ptr<SerialLine> line);
    virtual ~TWakeCom();
    TWakeCom(const TWakeCom&) = delete;
    TWakeCom& operator=(const TWakeCom&) = delete;

    /// "COM" followed by `number`.
    static std::string PortNameOf(int number);
    /// The number n of a name "COM"n, read from its 4th and 5th characters (COM123 gives 12);
    /// 0 for any other name, such as a device path.
    static int PortNumberOf(const std::string& name);

    void OpenNumber(int number);
    /// Opens and configures the port; throws the port's EInOutError. After a failure the
    /// port is closed again.
    void Open(const std::string& name);
    /// Restores and closes the port; the name reads "COM0" afterwards.
    void Close() noexcept;
    bool IsOpen() const noexcept { return line_->IsOpen(); }
    const std::string& PortName() const noexcept { return portName_; }
    int PortNumber() const noexcept { return portNumber_; }

    void SetBaud(int baud);
    int Baud() const noexcept { return baud_; }
    void Purge();

    /// The identity text of the station at `address`: reply data up to the first zero byte.
    std::string GetInfo(int address);

    // Codec members, for the transaction and for tests.
    void SendFrame(std::uint8_t address, std::uint8_t command, const std::uint8_t* data,
                   std::uint8_t count);
    wake::Frame ReceiveFrame(std::uint8_t* data);

    void BeginCommand(int code, const char* label);
    /// Appends to the request; bytes that would pass 250 are dropped.
    void PutByte(int value) noexcept;
    void PutWord(int value) noexcept;
    /// Discards what arrived before the request, sends it and receives and checks the reply,
    /// passing over replies to other commands or addresses; throws "Error of command ...".
    void Transact(int address);
    /// Fails the command as "invalid packet." when the fresh reply holds fewer than `bytes`
    /// field bytes after its error code, so that no stale byte is handed out as a field.
    void ExpectReplyFields(int bytes);
    std::uint8_t GetByte() noexcept;
    std::uint16_t GetWord() noexcept;

    /// Every request sent since the link was made, and what became of it. A failed write
    /// counts as a request without an outcome: the port itself is gone, not the station.
    const LinkCounts& counts() const noexcept { return counts_; }

    /// Held around each whole station command; re-entrant for the same thread.
    std::recursive_mutex& Lock() noexcept { return lock_; }

    /// Message of a station error code, "invalid packet." for unknown ones.
    static const char* ErrorText(int code) noexcept;

protected:
    [[noreturn]] void ThrowCommandError(int code) const;

    /// Replies to other commands or addresses passed over while waiting for this one's; a
    /// frame takes at least four line bytes, so this keeps to the start search's 512.
    static constexpr int MaxRepliesPassedOver = wake::StartSearchLimit / 4;

private:
    wake::Frame ReceiveReply();

    std::unique_ptr<SerialLine> line_;
    std::string portName_ = "COM0";
    int portNumber_ = 0;
    int baud_ = DefaultBaud;
    int address_ = 0;
    int commandCode_ = 0;
    int requestCount_ = 0;
    int replyIndex_ = 1;
    int replyCount_ = 0;
    bool replyFresh_ = false;
    std::string commandLabel_;
    std::array<std::uint8_t, wake::MaxData> requestData_{};
    std::array<std::uint8_t, wake::MaxData> replyData_{};
    LinkCounts counts_;
    std::recursive_mutex lock_;
};
