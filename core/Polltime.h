#pragma once

#include <span>

#include "link/Commands.h"
#include "link/Records.h"

/// What one poll of the live values costs on the line, and so the shortest sample period a
/// station of each model can keep at 19200 baud.
namespace polltime {

/// Added per transaction for the station's turnaround: it starts its reply about a
/// millisecond after the request's last byte.
inline constexpr double TurnaroundMarginMs = 1.0;

/// The transactions of one poll, in order: GetHeat, and GetFan for a KRF-51. None without
/// a station.
std::span<const cmd::Code> PollCommands(DeviceKind kind) noexcept;
/// Line bytes of one poll, request and reply frames, before byte stuffing.
int PollBytes(DeviceKind kind) noexcept;
/// Milliseconds those bytes take at the station's 19200 baud.
double PollLineMs(DeviceKind kind) noexcept;
/// The line time plus the turnaround margin of each transaction: a shorter period cannot be
/// kept.
double ShortestPeriodMs(DeviceKind kind) noexcept;
/// A period shorter than the model's shortest; never for no station.
bool TooFast(int periodMs, DeviceKind kind) noexcept;

}  // namespace polltime
