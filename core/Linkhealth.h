#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "link/Linkcounts.h"

/// How well the station answers, as the window and the tool show it.
struct HealthFigures {
    LinkCounts link;
    long offline = 0;        ///< times the poll took the station off line after a link error
    long reconnections = 0;  ///< times the poll brought it back on line after that
    long ticks = 0;
    long overruns = 0;  ///< ticks that took longer than their period
    /// Mean start-to-start spacing of every tick of the poll, recording or not, failed or not:
    /// the poll rate; none before the second tick. A recording's own spacing (SampleSpacing)
    /// is another figure: it spans only the samples stored, so a tick that stored nothing
    /// widens its gap, and it starts afresh with each recording.
    std::optional<double> meanPeriodMs;
};

/// Counts what the poll loop lives through, in total and since the station was last
/// identified. The link counts requests and replies itself; this class takes a copy of them at
/// each connect, so that the figures of one connection are the difference.
class LinkHealth {
  public:
    using Clock = std::chrono::steady_clock;

    /// The poll lost the station to a link error.
    void TakenOffLine() noexcept;
    /// The poll connected; a reconnection when the station had been lost.
    void PollConnected() noexcept;
    /// The station was identified: a new connection begins, `link` is the link's counts now.
    void ConnectionStarted(const LinkCounts& link) noexcept;
    /// One tick of the poll ran from `start` to `end`, meant to last at most `period`.
    void TickDone(Clock::time_point start, Clock::time_point end,
                  std::chrono::milliseconds period) noexcept;

    /// Everything since the core was made; `link` is the link's counts now.
    HealthFigures Total(const LinkCounts& link) const;
    /// Everything since the last ConnectionStarted (the total before the first one).
    HealthFigures ThisConnection(const LinkCounts& link) const;

  private:
    struct Tally {
        long offline = 0;
        long reconnections = 0;
        long ticks = 0;
        long overruns = 0;
        long spacings = 0;
        Clock::duration spacingSum{};
    };
    static HealthFigures FiguresOf(const LinkCounts& link, const Tally& tally);

    Tally total_;
    Tally atConnect_;
    LinkCounts linkAtConnect_;
    std::optional<Clock::time_point> lastStart_;
    bool lost_ = false;
};

/// The figures as (key, value) pairs in the order the tool prints them: requests, replies,
/// timeouts, crc_errors, frame_errors, station_errors, wrong_replies, offline, reconnections,
/// overruns, mean_period_ms (two decimals, "none" before the second tick).
std::vector<std::pair<std::string, std::string>> HealthFields(const HealthFigures& figures);

/// One line of the errors for the status bar's tooltip, such as
/// "3 timeouts, 1 CRC error, 2 times off line" or "no errors".
std::string HealthErrorSummary(const HealthFigures& figures);
