#include "traces/Graphzoom.h"

#include <algorithm>

#include "traces/Graphgeometry.h"
#include "traces/Tracestore.h"

namespace graph {
namespace {

// Grid spacings run 1, 2, 5 times a power of ten, in units of 50 samples: 50, 100, 250, 500,
// 1000 ... so that labels stay round numbers of seconds at the usual periods.
constexpr std::array<int, 3> SpacingMantissas = {2, 5, 10};

}  // namespace

bool ValidZoom(int setting) {
    return setting == WholeLog ||
           std::find(ZoomSteps.begin(), ZoomSteps.end(), setting) != ZoomSteps.end();
}

int WholeLogFactor(int count, int plotWidth) {
    if (count <= 0 || plotWidth <= 0) return 1;
    return (count + plotWidth - 1) / plotWidth;
}

int ZoomFactor(int setting, int count, int plotWidth) {
    return setting == WholeLog ? WholeLogFactor(count, plotWidth) : std::max(1, setting);
}

int ZoomedIn(int factor) {
    int step = ZoomSteps.front();
    for (const int s : ZoomSteps)
        if (s < factor) step = s;
    return step;
}

int ZoomedOut(int setting, int factor) {
    for (const int s : ZoomSteps)
        if (s > factor) return s;
    return setting;
}

ColumnSamples SamplesOfColumn(int pos, int column, int factor, int lastSample) {
    const int first = FirstSampleOf(pos, column, factor);
    const int last = std::min({first + factor - 1, lastSample, TraceCapacity - 1});
    return {column > 0 ? first - 1 : first, first, std::max(first, last)};
}

Extremes ColumnExtremes(const std::int32_t* values, const ColumnSamples& samples) {
    Extremes e{values[samples.previous], values[samples.previous]};
    for (int i = samples.first; i <= samples.last; ++i) {
        e.low = std::min(e.low, values[i]);
        e.high = std::max(e.high, values[i]);
    }
    return e;
}

int PosAfterZoom(int anchorSample, int anchorColumn, int factor, int plotWidth) {
    return ClampPos(anchorSample - anchorColumn * factor, plotWidth, factor);
}

int TimeGridSpacing(int factor, int labelColumns) {
    if (factor <= 1) return TimeGridStep;
    const int columns = std::max(TimeGridStep, labelColumns);
    // The spacing s must leave s / factor >= columns.
    const long long needed = static_cast<long long>(columns) * factor;
    long long base = TimeGridStep;
    if (needed <= base) return TimeGridStep;
    for (;;) {
        for (const int m : SpacingMantissas) {
            const long long spacing = base * m;
            if (spacing >= needed) return static_cast<int>(std::min<long long>(spacing, 1 << 30));
        }
        base *= 10;
    }
}

}  // namespace graph
