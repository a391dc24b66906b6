#pragma once

#include <chrono>

/// The real spacing of a recording's samples, start to start: the tick that appended a sample
/// started at some moment, and the next appended sample's tick started some gap later. When a
/// tick cannot fit in its period (the line is too slow for the model, or faults cost ticks),
/// the mean gap is what the recording really achieved, and the recording is saved and drawn
/// with that figure instead of the period it was asked for.
class SampleSpacing {
  public:
    using Clock = std::chrono::steady_clock;

    /// A mean within this share of the set period keeps the set period.
    static constexpr double KeptTolerance = 0.01;
    /// Nor does a span that misses i x period by less than this: a tick may start that much
    /// late without any fault (timer and scheduler wake-up), which would otherwise make a short
    /// recording look slow.
    static constexpr double SpanJitterMs = 2.0;
    /// A new, empty recording polled every `setPeriodMs` (> 0).
    void Begin(int setPeriodMs);
    /// The next sample does not follow the last one in time (Pause): the time between them
    /// is not a gap of the recording.
    void Break() noexcept { hasLast_ = false; }
    /// A sample was appended by the tick that started at `tickStart`.
    void Appended(Clock::time_point tickStart);
    /// A tick of the recording appended nothing: the poll failed or the station was away.
    void Missed() noexcept { ++missed_; }

    int setPeriodMs() const noexcept { return setPeriodMs_; }
    /// Gaps measured so far: appended samples minus one per stretch between breaks.
    int gaps() const noexcept { return gaps_; }
    /// Mean gap in milliseconds; the set period while no gap was measured.
    double meanMs() const noexcept;
    /// Gaps longer than the set period by more than the tolerance: ticks that overran.
    int overruns() const noexcept { return overruns_; }
    /// Ticks of the recording that appended nothing: failed polls, reconnects.
    int missed() const noexcept { return missed_; }

    /// The mean lies within 1 % of the set period, or the whole span within SpanJitterMs of
    /// gaps x period (or nothing was measured yet).
    bool kept() const noexcept;
    /// The period the recording stands for: the set period while kept, otherwise the mean
    /// rounded to whole milliseconds (at least 1).
    int recordPeriodMs() const noexcept;

  private:
    int setPeriodMs_ = 100;
    bool hasLast_ = false;
    Clock::time_point last_{};
    Clock::duration total_{};
    int gaps_ = 0;
    int overruns_ = 0;
    int missed_ = 0;
};
