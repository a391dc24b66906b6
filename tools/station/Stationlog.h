#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "link/Uniquefd.h"
#include "tools/station/Wirebytes.h"

/// The station's record of the line, one line per request received and per reply sent:
///
///     RX 07 N=3 T=1520.347 | C0 07 00 D0
///     TX 07 N=3 NOISE=12 T=1521.012 | C0 07 0D 00 ...
///
/// direction, command code in hex ("--" when no command could be read), tags, the time the
/// line was written in ms since the log was opened, and after " | " the frame's raw line
/// bytes from its FEND (none when no frame went out). Each line is
/// written with one call, so a reader never sees half of a line that is still to come.
class StationLog {
  public:
    /// An empty path turns the log off. Throws std::system_error when the file cannot be made.
    explicit StationLog(const std::string& path);

    static constexpr int NoCommand = -1;

    void Rx(int command, const std::vector<std::string>& tags, const Bytes& frame);
    void Tx(int command, const std::vector<std::string>& tags, const Bytes& frame);

  private:
    void Write(const char* direction, int command, const std::vector<std::string>& tags,
               const Bytes& frame);

    UniqueFd fd_;
    std::chrono::steady_clock::time_point opened_ = std::chrono::steady_clock::now();
};

/// `value` as two upper-case hex digits.
std::string Hex2(unsigned value);
