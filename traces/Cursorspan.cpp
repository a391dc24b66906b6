#include "traces/Cursorspan.h"

#include <algorithm>

#include "traces/Floatformat.h"

namespace cursorspan {
namespace {

constexpr double MsPerSecond = 1000.0;
constexpr int TimeDecimals = 3;

struct DisplayUnit {
    double scale;  // display units per stored unit
    int decimals;
};
// °C and % are stored in tenths; rpm, PWM counts and the PLL's µs as they are.
constexpr DisplayUnit Units[TraceCount] = {{0.1, 1}, {0.1, 1}, {0.1, 1}, {0.1, 1}, {1, 0},
                                           {1, 0},   {1, 0},   {1, 0},   {1, 0}};

}  // namespace

std::string SpanText(const TraceStore& store, int a, int b, int periodMs,
                     const graph::Visibility& visible, const stepresponse::Options& options) {
    std::string text =
        "dt=" + floatformat::FormatDecimals((b - a) * periodMs / MsPerSecond, TimeDecimals) + "\n";
    const TraceSample atA = graph::SampleAt(store, a);
    const TraceSample atB = graph::SampleAt(store, b);
    for (int trace = 0; trace < TraceCount; ++trace) {
        if (!visible[trace]) continue;
        const double difference = (atB[trace] - atA[trace]) * Units[trace].scale;
        text += "d_" + std::string(TraceKeys[trace]) + "=" +
                floatformat::FormatDecimals(difference, Units[trace].decimals) + "\n";
    }
    const int from = std::min(a, b);
    const int to = std::max(a, b);
    if (store.count() == 0 || from >= store.count() || to < 0) return text + "figures=none\n";
    return text + stepresponse::FormatFigures(
                      stepresponse::Analyze(store, std::max(from, 0), to, periodMs, options));
}

std::string ReferenceText(const TraceStore& reference, int a, int b, int periodMs,
                          const stepresponse::Options& options) {
    const int from = std::min(a, b);
    const int to = std::max(a, b);
    if (reference.count() == 0 || from >= reference.count() || to < 0) return "ref_figures=none\n";
    const std::string figures = stepresponse::FormatFigures(
        stepresponse::Analyze(reference, std::max(from, 0), to, periodMs, options));
    std::string text;
    for (std::size_t at = 0; at < figures.size();) {
        const std::size_t end = figures.find('\n', at) + 1;
        text += "ref_" + figures.substr(at, end - at);
        at = end;
    }
    return text;
}

std::string PanelText(const TraceStore& store, std::optional<int> a, std::optional<int> b,
                      int periodMs, const graph::Visibility& visible,
                      const stepresponse::Options& options) {
    if (!a) return std::string(NoCursorA);
    if (!b) return std::string(NoCursorB);
    return SpanText(store, *a, *b, periodMs, visible, options);
}

}  // namespace cursorspan
