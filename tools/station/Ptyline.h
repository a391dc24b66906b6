#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

#include "link/Serialline.h"

/// The station's end of the line: the pseudo-terminal master, open for the object's life.
/// Reads wait with poll and give up early once `stopFd` turns readable. At a wire rate the line
/// takes as long as a real one: the bytes read since the last StartCapture count as arrived
/// only once they would have crossed the line, a reply starts a turnaround after that, and
/// each of its bytes is delivered when its stop bit would have ended. Every byte read since
/// the last StartCapture is kept for the log.
class PtyLine final : public SerialLine {
  public:
    static constexpr int ReadTimeoutMs = 100;
    static constexpr int WriteTimeoutMs = 1000;
    static constexpr int BitsPerByte = 10;  // start, 8 data, stop

    /// `masterFd` and `stopFd` stay owned by the caller; `stopFd` -1 for none.
    PtyLine(int masterFd, int stopFd) : master_(masterFd), stop_(stopFd) {}

    /// The master is open from construction; nothing to do.
    void Open(const std::string&, int) override {}
    void Close() noexcept override {}
    bool IsOpen() const noexcept override { return true; }
    /// The pacing rate in baud; 0 sends as fast as the terminal takes bytes.
    void SetBaud(int baud) override { baud_ = baud; }
    /// The station's delay between a request's last byte and its reply, at a wire rate.
    void SetTurnaround(std::chrono::microseconds delay) { turnaround_ = delay; }
    void Purge() override;
    bool ReadByte(std::uint8_t& value) override;
    long Write(const std::uint8_t* data, std::size_t size) override;

    /// True once the stop descriptor turned readable.
    bool Stopped() const noexcept { return stopped_; }
    void StartCapture() { captured_.clear(); }
    const std::vector<std::uint8_t>& Captured() const noexcept { return captured_; }

  private:
    bool WaitWritable();
    long WriteAll(const std::uint8_t* data, std::size_t size);
    long WritePaced(const std::uint8_t* data, std::size_t size);

    int master_;
    int stop_;
    int baud_ = 0;
    std::chrono::microseconds turnaround_{0};
    std::chrono::steady_clock::time_point firstRead_{};  // of the bytes captured
    bool stopped_ = false;
    std::vector<std::uint8_t> captured_;
};
