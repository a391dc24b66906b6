#pragma once

#include <chrono>
#include <optional>

#include "tools/station/Faults.h"
#include "tools/station/Ptyline.h"
#include "tools/station/Station.h"
#include "tools/station/Stationlog.h"

/// The station's side of the line: receives request frames, lets the station answer them,
/// applies the planned faults to the replies and logs both directions.
///
/// A malformed request (bad CRC, bad stuffing, a count beyond 250) is answered with error code
/// 1 when its command byte could be read and it was addressed to this station, and ignored
/// otherwise; an unfinished one is ignored. Requests to other addresses are ignored.
class Server {
  public:
    /// `simStep` set: every request advances the physics by that much; else the wall clock.
    Server(PtyLine& line, Station& station, FaultPlan& faults, StationLog& log,
           std::optional<std::chrono::milliseconds> simStep);

    /// Serves until the line's stop descriptor fires.
    void Run();
    /// Waits for one request and answers it; returns at once on an idle read time-out.
    void ServeOne();

    int Requests() const noexcept { return requests_; }

  private:
    void HandleMalformed(const char* message);
    void Respond(int n, std::uint8_t command, const std::uint8_t* data, std::size_t count,
                 std::uint8_t refusal);
    void AdvanceClock();

    PtyLine& line_;
    Station& station_;
    FaultPlan& faults_;
    StationLog& log_;
    std::optional<std::chrono::milliseconds> simStep_;
    std::chrono::steady_clock::time_point last_;
    int requests_ = 0;
};
