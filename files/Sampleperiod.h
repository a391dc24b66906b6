#pragma once

/// The sample period: the poll timer's interval and the time between recorded samples.
namespace sampleperiod {

inline constexpr int MinMs = 20;
inline constexpr int MaxMs = 500;
inline constexpr int DefaultMs = 100;

/// `ms` when the window offers it (20..500), else the default 100. A period of 0 would poll
/// as fast as the machine can and write a data file whose times are all 0; a huge one would
/// look like a dead station. Every source of a period (the configuration file, the Settings
/// dialog, a data file) passes through this before it reaches the poll timer.
constexpr int OrDefault(int ms) {
    return ms >= MinMs && ms <= MaxMs ? ms : DefaultMs;
}

}  // namespace sampleperiod
