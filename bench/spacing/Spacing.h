#pragma once

#include <chrono>
#include <string>
#include <vector>

/// How the next poll tick is timed.
enum class Scheduling {
    StartToStart,      ///< the shipped loop: next deadline = last deadline + period
    RestartAfterTick,  ///< the old timer: next deadline = end of the tick + period
};

struct SpacingCase {
    std::string model;  ///< "KRF-51" or "KRT-51"
    int periodMs = 100;
    Scheduling scheduling = Scheduling::StartToStart;
    bool journal = false;  ///< the recording journaled as the window does
};

/// The real spacing of consecutive appends, in milliseconds.
struct SpacingFigures {
    int samples = 0;
    double meanMs = 0;
    double deviationPct = 0;  ///< (mean - period) / period x 100
    double sdMs = 0;          ///< standard deviation of one spacing
    double minMs = 0;
    double maxMs = 0;
    /// Largest distance of an append from where the data file puts it, i x period after the
    /// first one.
    double driftMs = 0;
    double seconds = 0;  ///< first append to last
};

using AppendTimes = std::vector<std::chrono::steady_clock::time_point>;

/// The figures of `appends` (at least two) against the period.
SpacingFigures FiguresOf(const AppendTimes& appends, int periodMs);

/// Starts the emulator of `c.model` at 19200 baud, connects the application core to it as the
/// window does and records `samples` samples Running, noting the time of each append.
/// Throws std::runtime_error when the station cannot be reached or a sample was lost.
SpacingFigures MeasureSpacing(const SpacingCase& c, int samples);
