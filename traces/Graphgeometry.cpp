#include "traces/Graphgeometry.h"

#include <algorithm>
#include <charconv>

#include "traces/Floatformat.h"

namespace graph {
namespace {

constexpr int HorizontalMargins = PlotLeft + RightMargin;
constexpr int VerticalMargins = PlotTop + BottomMargin;

std::string Decimal(std::int64_t value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

// How one readout panel shows its trace: prefix + fixed(v x scale, precision, digits) + suffix.
struct ReadoutField {
    std::string_view prefix;
    double scale;
    int precision;
    int digits;
    std::string_view suffix;
};

constexpr std::array<ReadoutField, TraceCount> ReadoutFields = {{
    {" Tset = ", 0.1, 4, 1, "°C "},
    {" Tget = ", 0.1, 4, 1, "°C "},
    {" Tcj = ", 0.1, 4, 1, "°C "},
    {" P = ", 0.1, 4, 1, "% "},
    {" Vset = ", 1.0, 5, 0, " rpm "},
    {" Vget = ", 1.0, 5, 0, " rpm "},
    {" PWM = ", 1.0, 4, 1, ""},
    {" PLLe = ", 1.0, 5, 0, " us"},
    {" PLLp = ", 1.0, 5, 0, " us"},
}};

constexpr int TimePrecision = 5;
constexpr int TimeDigits = 1;
constexpr double SecondsPerMs = 0.001;
constexpr int MsPerSecond = 1000;

}  // namespace

Plot PlotOf(int boxWidth, int boxHeight) {
    return {std::max(0, boxWidth - HorizontalMargins), std::max(0, boxHeight - VerticalMargins)};
}

VLine LeftBorder(const Plot& plot) {
    return {PlotLeft, PlotTop, BaselineY(plot)};
}

VLine RightBorder(const Plot& plot) {
    return {ColumnX(plot.width - 1), PlotTop, BaselineY(plot)};
}

int ValueHeight(int trace, std::int32_t value, int plotHeight) {
    const Scale scale = Scales[trace];
    // Values at or beyond the ends of the scale sit on the bottom or top line.
    const std::int64_t shifted = static_cast<std::int64_t>(value) + scale.offset;
    if (shifted <= 0) return 0;
    if (shifted >= scale.range) return std::max(0, plotHeight);
    // (shifted x H + range / 2) / range rounded down: shifted x H rounded half up, so that a
    // value on a half pixel rounds up whatever floating-point error would say. Numerator and
    // denominator are integers far below 2^53, so both are exact doubles; a quotient of
    // integers that is not whole lies at least 1 / (2 x range) below the next whole number,
    // far more than the division's rounding, so its floor is exact. A double division is
    // several times cheaper than a 64-bit integer one, and a full repaint does thousands.
    const double numerator = static_cast<double>(shifted) * (2.0 * plotHeight) + scale.range;
    return static_cast<int>(numerator / (2.0 * scale.range));
}

VLine TraceColumn(int trace, int column, std::int32_t value, std::int32_t previous,
                  int plotHeight) {
    const int d = ValueHeight(trace, value, plotHeight);
    const int e = ValueHeight(trace, previous, plotHeight);
    const int baseline = PlotTop + plotHeight;
    return {ColumnX(column), baseline - std::max(d, e), baseline - std::min(d, e) + 1};
}

ColumnSpan ColumnsOf(int a, int b, int pos, int plotWidth, int factor) {
    const int last = std::min({plotWidth - 1, ColumnOfSample(b, pos, factor),
                               ColumnOfSample(TraceCapacity - 1, pos, factor)});
    return {std::max(0, ColumnOfSample(a, pos, factor)), last};
}

std::vector<TimeMark> TimeGrid(const Plot& plot, int pos, int samplePeriodMs, int factor,
                               int labelColumns) {
    std::vector<TimeMark> marks;
    const int spacing = TimeGridSpacing(factor, labelColumns);
    const int first = ((-pos % spacing) + spacing) % spacing;
    const std::int64_t end = pos + static_cast<std::int64_t>(plot.width) * factor;
    for (std::int64_t sample = pos + first; sample < end; sample += spacing) {
        const int x = ColumnX(ColumnOfSample(static_cast<int>(sample), pos, factor));
        const std::int64_t ms = sample * samplePeriodMs;
        marks.push_back({{x, PlotTop, BaselineY(plot) + TickLength}, x, Decimal(ms / MsPerSecond)});
    }
    return marks;
}

std::array<ValueMark, ValueGridSteps + 1> ValueGrid(const Plot& plot) {
    std::array<ValueMark, ValueGridSteps + 1> marks;
    for (int i = 0; i <= ValueGridSteps; ++i) {
        // i x H / 20 rounded half up, in integers so that halves do not depend on 0.05.
        const int y = PlotTop + (i * plot.height * 2 + ValueGridSteps) / (2 * ValueGridSteps);
        const int step = ValueGridSteps - i;
        marks[i] = {{y, PlotLeft - TickLength, ColumnX(plot.width)},
                    Decimal(step * InnerScaleTop / ValueGridSteps),
                    Decimal(step * OuterScaleTop / ValueGridSteps)};
    }
    return marks;
}

int ClampColumn(int column, int plotWidth) {
    if (plotWidth <= 0) return 0;
    return std::clamp(column, 0, plotWidth - 1);
}

VLine CursorLine(const Plot& plot, int column) {
    return {ColumnX(column), PlotTop, BaselineY(plot) + 1};
}

int ScrollMaximum(int plotWidth, int factor) {
    const int columns = (TraceCapacity + factor - 1) / factor;
    return std::max(0, columns - plotWidth) * factor;
}

int ClampPos(int pos, int plotWidth, int factor) {
    const int clamped = std::clamp(pos, 0, ScrollMaximum(plotWidth, factor));
    return clamped - clamped % factor;
}

int ScrollAfterAppend(int count, int pos, int plotWidth, bool autoScroll, int factor) {
    if (!autoScroll || count - pos <= plotWidth * factor) return pos;
    return ClampPos(pos + AutoScrollStep * factor, plotWidth, factor);
}

int DragPos(int x, int boxWidth, int pos, int plotWidth, bool autoScroll, int factor) {
    if (!autoScroll) return pos;
    const int rightEdge = boxWidth - RightMargin;
    if (x > rightEdge) pos = ClampPos(pos + (x - rightEdge) * factor, plotWidth, factor);
    if (x < PlotLeft) pos = ClampPos(pos - (PlotLeft - x) * factor, plotWidth, factor);
    return pos;
}

Readout ReadoutTexts(bool cursorOn, int sample, int samplePeriodMs, const Visibility& visible,
                     const std::optional<TraceSample>& values) {
    Readout texts;
    if (!cursorOn || !values) return texts;
    const double seconds = static_cast<double>(sample) * samplePeriodMs * SecondsPerMs;
    texts[0] = " t = " + floatformat::FormatFixed(seconds, TimePrecision, TimeDigits) + " s ";
    for (int trace = 0; trace < TraceCount; ++trace) {
        if (!visible[trace]) continue;
        const ReadoutField& field = ReadoutFields[trace];
        texts[trace + 1] = std::string(field.prefix) +
                           floatformat::FormatFixed((*values)[trace] * field.scale, field.precision,
                                                    field.digits) +
                           std::string(field.suffix);
    }
    return texts;
}

Readout WidestReadout() {
    constexpr int LongestPeriodMs = 500;
    constexpr Visibility All = {true, true, true, true, true, true, true, true, true};
    // In storage order: Tset, Tget, Tcj, Power, Vset, Vget, Pwm, PllErr, PllPer.
    constexpr TraceSample Widest = {9999, 9999, 9999, 1000, 9999, 9999, 255, -32768, 65535};
    return ReadoutTexts(true, TraceCapacity - 1, LongestPeriodMs, All, Widest);
}

TraceSample SampleAt(const TraceStore& store, int index) {
    TraceSample sample{};
    if (index < 0 || index >= TraceCapacity) return sample;
    for (int trace = 0; trace < TraceCount; ++trace) sample[trace] = store.value(trace, index);
    return sample;
}

std::optional<TraceSample> RecordedSampleAt(const TraceStore& store, int index) {
    if (index < 0 || index >= store.count()) return std::nullopt;
    return SampleAt(store, index);
}

}  // namespace graph
