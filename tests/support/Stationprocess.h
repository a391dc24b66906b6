#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

/// How to start the station emulator.
struct StationConfig {
    std::string model = "KRF-51";
    std::string identity;            // empty: the station's default ("KRF-51 Emulator v1")
    std::vector<std::string> extra;  // further options, e.g. {"--drop", "0.5", "--seed", "7"}
    std::string link;                // empty: a fresh path in the station's temporary folder
};

/// One line of the station's log.
struct StationLogEntry {
    enum class Direction { Rx, Tx };

    Direction direction = Direction::Rx;
    int command = -1;                 // -1 when no command byte could be read
    int request = 0;                  // the request number (tag N=), 0 when absent
    std::optional<double> timeMs;     // when the line was written (tag T=), ms
    std::vector<std::string> tags;    // every other tag as written: "DROPPED", "NOISE=12"
    std::vector<std::uint8_t> frame;  // raw line bytes from the frame's FEND
    std::optional<std::vector<std::uint8_t>> data;  // the frame's data, when it decodes

    /// A tag by name, bare ("DROPPED") or with a value ("NOISE").
    bool Has(std::string_view name) const;
    /// The value of a tag NAME=value.
    std::optional<std::string> Value(std::string_view name) const;
};

/// The entries of a station log's text. A last line without its newline is still being written
/// and is left out; a line that does not parse throws std::runtime_error.
std::vector<StationLogEntry> ParseStationLog(std::string_view text);

/// `tavolin-station` (path from TAVOLIN_STATION) as a separate process on a pseudo-terminal,
/// logging to a file in its own temporary folder. The constructor returns once the station
/// serves; the destructor stops it with SIGTERM and removes the folder.
///
///     StationProcess st({.model = "KRT-51", .extra = {"--drop", "0.5"}});
///     TWakePort port; port.Open(st.Link());
///     ... st.Received() ...
class StationProcess {
  public:
    /// Throws std::runtime_error, with the station's error output, when it does not start.
    explicit StationProcess(StationConfig config = {});
    ~StationProcess();
    StationProcess(const StationProcess&) = delete;
    StationProcess& operator=(const StationProcess&) = delete;

    /// The symbolic link to the station's device: the port name to open.
    const std::string& Link() const noexcept { return link_; }
    /// The device the station printed, for example /dev/pts/4.
    const std::string& Device() const noexcept { return device_; }
    const std::string& LogPath() const noexcept { return logPath_; }
    const std::string& Folder() const noexcept { return folder_; }
    pid_t Pid() const noexcept { return pid_; }

    /// Every complete line of the log so far. A reply's line is written before the reply goes
    /// out, so once a command has returned, its request and reply are here.
    std::vector<StationLogEntry> Log() const;
    /// The requests received (RX lines), in order.
    std::vector<StationLogEntry> Received() const;
    /// The replies (TX lines), in order.
    std::vector<StationLogEntry> Sent() const;
    /// Waits until the log holds an entry that `match` accepts (woken by the log's changes, no
    /// polling) and returns the first such entry; nothing when `limit` passes first.
    std::optional<StationLogEntry> WaitForEntry(
        const std::function<bool(const StationLogEntry&)>& match,
        std::chrono::milliseconds limit = std::chrono::seconds(10)) const;
    /// The station's error output so far.
    std::string Stderr() const;

    /// Stops the station with SIGTERM and waits for it; returns its exit code (128 + signal
    /// when a signal ended it). Later calls return the same code.
    int Stop();

    /// The emulator: TAVOLIN_STATION, else the one built alongside the tests.
    static std::string Executable();

  private:
    void Start(const std::string& exe, const StationConfig& config);

    std::string folder_;
    std::string link_;
    std::string logPath_;
    std::string errPath_;
    std::string device_;
    pid_t pid_ = -1;
    std::optional<int> exitCode_;
};
