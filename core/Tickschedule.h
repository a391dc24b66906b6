#pragma once

#include <chrono>

/// Start-to-start scheduling of the poll ticks, so that sample i really lies near
/// i x period: the next deadline is the last one plus the period. A tick that overran its
/// slot lets the next one start at once and re-bases the schedule there, so ticks never
/// pile up or overlap.
class TickSchedule {
  public:
    using Clock = std::chrono::steady_clock;

    explicit TickSchedule(std::chrono::milliseconds period) : period_(period) {}

    /// The first tick comes one period after `now`.
    void Start(Clock::time_point now) { next_ = now + period_; }
    /// Takes effect from the next deadline on.
    void SetPeriod(std::chrono::milliseconds period) { period_ = period; }
    std::chrono::milliseconds period() const noexcept { return period_; }

    Clock::time_point next() const noexcept { return next_; }
    /// Time left until the next deadline, never negative.
    std::chrono::milliseconds DelayFrom(Clock::time_point now) const {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(next_ - now);
        return left.count() > 0 ? left : std::chrono::milliseconds(0);
    }
    /// Called when a tick has finished at `now`.
    void TickDone(Clock::time_point now) {
        next_ += period_;
        if (next_ < now) next_ = now;
    }

  private:
    std::chrono::milliseconds period_;
    Clock::time_point next_{};
};
