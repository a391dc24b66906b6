#pragma once

#include <signal.h>

#include <chrono>

/// SIGINT and SIGTERM held back for the life of the object and taken only while the caller
/// waits: a signal then never cuts a station transaction in half and never ends the process
/// before what was recorded is saved. A signal that comes during other work stays pending
/// and ends the next wait at once.
class StopSignals {
  public:
    using Clock = std::chrono::steady_clock;

    /// Blocks SIGINT and SIGTERM for the calling thread. Throws std::system_error.
    StopSignals();
    /// Takes any stop signal still pending, then restores the previous signal mask.
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    /// Waits until `deadline` (a deadline already past only looks for a pending signal).
    /// Returns true as soon as a stop signal has come, now or at an earlier wait. Throws
    /// std::system_error when the wait itself fails.
    bool WaitUntil(Clock::time_point deadline);
    /// Waits until `deadline` for one more stop signal, whether or not one came before;
    /// returns whether it came. Throws std::system_error when the wait itself fails.
    bool WaitForNextUntil(Clock::time_point deadline);
    bool stopped() const noexcept { return stopped_; }
    /// How many stop signals have been taken.
    int count() const noexcept { return count_; }

  private:
    sigset_t stopSet_{};
    sigset_t previous_{};
    bool stopped_ = false;
    int count_ = 0;
};
