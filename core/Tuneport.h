#pragma once

#include <string>

#include "link/Records.h"

/// What the tuner needs of the station: the heater's set point and gains, its readings and
/// its power limit, all in wire units. Every call may throw EInOutError.
class TuneStation {
  public:
    virtual ~TuneStation() = default;
    virtual PidGains GetPIDH() = 0;
    virtual void SetPIDH(const PidGains& gains) = 0;
    /// Set point and manual power, both in tenths (°C, %).
    virtual void SetT(int tset, int power) = 0;
    virtual HeatStatus GetHeat() = 0;
    /// The station's power limit in tenths of a %.
    virtual int PowerLimit() = 0;
    /// After a link error: brings the station back on line, or throws EInOutError.
    virtual void Reconnect() = 0;
};

/// The tuner's time and the user's stop requests (SIGINT, SIGTERM, Cancel).
class TuneClock {
  public:
    virtual ~TuneClock() = default;
    /// Seconds on a monotonic clock.
    virtual double Now() = 0;
    /// Returns at `deadlineS`, or earlier as soon as a new stop request comes.
    virtual void WaitUntil(double deadlineS) = 0;
    /// How many stop requests have come so far.
    virtual int Stops() const = 0;
};
