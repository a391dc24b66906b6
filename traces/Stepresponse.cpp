#include "traces/Stepresponse.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

#include "traces/Floatformat.h"

namespace stepresponse {
namespace {

constexpr double RiseLow = 0.1;
constexpr double RiseHigh = 0.9;
constexpr double DefaultBandFraction = 0.02;
constexpr int SteadyStateTail = 10;  // the last tenth of the span
constexpr double MsPerSecond = 1000.0;

// Stored units per display unit of each trace the analysis reads.
constexpr double TenthsScale = 0.1;  // °C and % are stored in tenths
constexpr double RpmScale = 1.0;

class Span {
  public:
    explicit Span(const Samples& s) : s_(s) {}
    int size() const { return static_cast<int>(s_.response.size()); }
    double time(int i) const { return s_.firstTimeS + i * s_.periodS; }
    double y(int i) const { return s_.response[i]; }
    double sp(int i) const { return s_.setpoint[i]; }
    double period() const { return s_.periodS; }

    /// Time at which the response first reaches `level` in the direction of `delta`, from
    /// sample `k` on, interpolated between the two samples around the crossing.
    std::optional<double> Crossing(int k, double level, double delta) const {
        const auto reached = [&](int i) { return delta > 0 ? y(i) >= level : y(i) <= level; };
        if (reached(k)) return time(k);
        for (int i = k + 1; i < size(); ++i) {
            if (!reached(i)) continue;
            const double fraction = (level - y(i - 1)) / (y(i) - y(i - 1));
            return time(i - 1) + fraction * s_.periodS;
        }
        return std::nullopt;
    }

  private:
    const Samples& s_;
};

double Mean(std::span<const double> values) {
    double sum = 0;
    for (const double v : values) sum += v;
    return sum / static_cast<double>(values.size());
}

void StepFigures(const Span& span, Figures& f, const Options& options) {
    const int n = span.size();
    // The step is where the set point last changed: from k on it stays S1.
    int k = n - 1;
    while (k > 0 && span.sp(k - 1) == f.setpoint) --k;
    const double y0 = span.y(k);
    const double delta = f.setpoint - y0;
    const double direction = delta >= 0 ? 1.0 : -1.0;
    f.stepAtS = span.time(k);
    f.stepSize = delta;

    const auto low = span.Crossing(k, y0 + RiseLow * delta, delta);
    const auto high = span.Crossing(k, y0 + RiseHigh * delta, delta);
    if (low && high) f.riseTimeS = *high - *low;

    double peak = 0;
    for (int i = k; i < n; ++i) peak = std::max(peak, (span.y(i) - f.setpoint) * direction);
    f.overshootPercent = delta != 0 ? 100.0 * peak / std::abs(delta) : 0.0;

    const double band = options.band.value_or(DefaultBandFraction * std::abs(delta));
    int settled = n;  // first sample from which every later one stays in the band
    while (settled > k && std::abs(span.y(settled - 1) - f.setpoint) <= band) --settled;
    if (settled < n) f.settlingTimeS = span.time(settled) - f.stepAtS;

    const int tail = std::max(1, n / SteadyStateTail);
    double error = 0;
    for (int i = n - tail; i < n; ++i) error += span.y(i) - f.setpoint;
    f.steadyStateError = error / tail;

    for (int i = k; i < n; ++i)
        f.itae += (span.time(i) - f.stepAtS) * std::abs(f.setpoint - span.y(i)) * span.period();
}

void HoldFigures(const Span& span, Figures& f) {
    double sum = 0;
    for (int i = 0; i < span.size(); ++i) {
        const double error = span.y(i) - span.sp(i);
        sum += error;
        f.maxAbsError = std::max(f.maxAbsError, std::abs(error));
    }
    f.meanError = sum / span.size();
}

std::string Optional(const std::optional<double>& value, int decimals) {
    return value ? floatformat::FormatDecimals(*value, decimals) : std::string("none");
}

}  // namespace

Figures Analyze(const Samples& samples, const Options& options) {
    const auto n = samples.response.size();
    if (n == 0 || samples.setpoint.size() != n || samples.power.size() != n)
        throw std::invalid_argument("step response: the spans are empty or of different length");
    const Span span(samples);
    Figures f;
    f.fromS = span.time(0);
    f.toS = span.time(span.size() - 1);
    f.setpointStart = span.sp(0);
    f.setpoint = span.sp(span.size() - 1);
    f.step = f.setpoint != f.setpointStart;
    f.meanPower = Mean(samples.power);
    if (f.step)
        StepFigures(span, f, options);
    else
        HoldFigures(span, f);
    return f;
}

Figures Analyze(const TraceStore& store, int from, int to, int periodMs, const Options& options) {
    if (store.count() == 0) throw std::invalid_argument("step response: no samples recorded");
    from = std::clamp(from, 0, store.count() - 1);
    to = std::clamp(to, from, store.count() - 1);
    const bool fan = options.response == Response::Vget;
    const int setTrace = fan ? Vset : Tset;
    const int getTrace = fan ? Vget : Tget;
    const double scale = fan ? RpmScale : TenthsScale;

    std::vector<double> setpoint, response, power;
    for (int i = from; i <= to; ++i) {
        setpoint.push_back(store.value(setTrace, i) * scale);
        response.push_back(store.value(getTrace, i) * scale);
        power.push_back(store.value(Power, i) * TenthsScale);
    }
    const double periodS = periodMs / MsPerSecond;
    return Analyze({setpoint, response, power, from * periodS, periodS}, options);
}

std::string FormatFigures(const Figures& f) {
    constexpr int TimeDecimals = 3;
    constexpr int ValueDecimals = 2;
    std::string text;
    const auto line = [&](std::string_view key, const std::string& value) {
        text.append(key).append("=").append(value).append("\n");
    };
    line("from", floatformat::FormatDecimals(f.fromS, TimeDecimals));
    line("to", floatformat::FormatDecimals(f.toS, TimeDecimals));
    line("setpoint_start", floatformat::FormatDecimals(f.setpointStart, ValueDecimals));
    line("setpoint", floatformat::FormatDecimals(f.setpoint, ValueDecimals));
    if (f.step) {
        line("step_at", floatformat::FormatDecimals(f.stepAtS, TimeDecimals));
        line("step", floatformat::FormatDecimals(f.stepSize, ValueDecimals));
        line("rise_time", Optional(f.riseTimeS, TimeDecimals));
        line("overshoot", floatformat::FormatDecimals(f.overshootPercent, ValueDecimals));
        line("settling_time", Optional(f.settlingTimeS, TimeDecimals));
        line("steady_state_error", floatformat::FormatDecimals(f.steadyStateError, ValueDecimals));
    } else {
        line("mean_error", floatformat::FormatDecimals(f.meanError, ValueDecimals));
        line("max_abs_error", floatformat::FormatDecimals(f.maxAbsError, ValueDecimals));
    }
    line("mean_power", floatformat::FormatDecimals(f.meanPower, ValueDecimals));
    return text;
}

}  // namespace stepresponse
