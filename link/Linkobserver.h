#pragma once

#include <variant>

#include "link/Records.h"

/// SetT's request: the set temperature and the manual power, both in tenths.
struct HeaterSetPoint {
    std::int32_t Tset = 0;
    std::int32_t Power = 0;
    bool operator==(const HeaterSetPoint&) const = default;
};

/// SetV's request: the set speed in rpm and the manual PWM.
struct FanSetPoint {
    std::int32_t Vset = 0;
    std::int32_t Pwm = 0;
    bool operator==(const FanSetPoint&) const = default;
};

/// The gains of SetPIDH / GetPIDH.
struct HeaterPid {
    PidGains gains;
    bool operator==(const HeaterPid&) const = default;
};

/// The gains of SetPIDF / GetPIDF.
struct FanPid {
    PidGains gains;
    bool operator==(const FanPid&) const = default;
};

/// One record a command carried, to or from the station.
using StationRecord = std::variant<HeaterSetPoint, HeatStatus, HeaterPid, HeaterParams, FanSetPoint,
                                   FanStatus, FanPid, Preset, Timers, HeaterOptions, FanOptions>;

/// Told of every record the station accepted or reported, after the command succeeded on an
/// open port (a closed link sends nothing, so it reports nothing either).
class LinkObserver {
  public:
    virtual ~LinkObserver() = default;
    /// A Set command carried `record` and the station accepted it.
    virtual void Sent(const StationRecord& record) = 0;
    /// A Get command brought `record`.
    virtual void Received(const StationRecord& record) = 0;
};
