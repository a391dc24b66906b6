#pragma once

#include <optional>
#include <span>
#include <string>

#include "traces/Tracestore.h"

/// Step-response figures of a span of samples: how a response trace follows its set point.
/// Everything is in display units: °C for the heater, rpm for the fan, seconds for times.
namespace stepresponse {

/// Which response is judged against which set point.
enum class Response { Tget, Vget };

struct Options {
    Response response = Response::Tget;
    /// Half width of the settling band; 2 % of the step when not given.
    std::optional<double> band;
};

/// The samples of one span, already in display units; all three the same length (at least 1).
struct Samples {
    std::span<const double> setpoint;
    std::span<const double> response;
    std::span<const double> power;
    double firstTimeS = 0;  ///< time of the span's first sample
    double periodS = 0.1;   ///< time between two samples
};

struct Figures {
    double fromS = 0;
    double toS = 0;
    double setpointStart = 0;  ///< S0: the set point at the span's first sample
    double setpoint = 0;       ///< S1: the set point at its last
    bool step = false;         ///< S1 differs from S0
    double meanPower = 0;

    // Without a step: how well the response held its set point.
    double meanError = 0;
    double maxAbsError = 0;

    // With a step, from the first sample from which the set point stays S1.
    double stepAtS = 0;
    double stepSize = 0;                  ///< S1 minus the response at the step
    std::optional<double> riseTimeS;      ///< 10 % to 90 %; none when 90 % is never reached
    double overshootPercent = 0;          ///< beyond S1, in % of the step
    std::optional<double> settlingTimeS;  ///< none when the response never stays in the band
    double steadyStateError = 0;          ///< mean of response - S1 over the last tenth
    /// Sum of t x |S1 - response| x period from the step on (t from the step): the ITAE.
    double itae = 0;
};

/// Figures of `samples`. Throws std::invalid_argument when the spans are empty or differ in
/// length.
Figures Analyze(const Samples& samples, const Options& options = {});

/// Figures of samples `from`..`to` (inclusive, clamped to the recorded ones) of `store`,
/// recorded every `periodMs`. Throws std::invalid_argument when the store holds no samples.
Figures Analyze(const TraceStore& store, int from, int to, int periodMs,
                const Options& options = {});

/// The figures as `Key=value` lines ending in "\n": from, to, setpoint_start, setpoint, then
/// for a step step_at, step, rise_time, overshoot, settling_time, steady_state_error, else
/// mean_error and max_abs_error, and mean_power last. Times with three decimals, "none" for
/// a figure that does not exist, "." as the decimal separator whatever the locale.
std::string FormatFigures(const Figures& figures);

}  // namespace stepresponse
