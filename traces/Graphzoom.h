#pragma once

#include <array>
#include <cstdint>

/// How many samples one plot column shows. At 1 every column is one sample, joined to the one
/// before it; above 1 a column shows the lowest to highest value of its run of samples, so a
/// spike of one sample is never lost. Toolkit-free, like the rest of the chart's geometry.
namespace graph {

/// The zoom setting that fits every recorded sample into the plot width.
inline constexpr int WholeLog = 0;
/// The fixed zoom settings, in samples per column.
inline constexpr std::array<int, 5> ZoomSteps = {1, 2, 4, 8, 16};

/// Whether `setting` is a zoom the chart knows: one of ZoomSteps or WholeLog.
bool ValidZoom(int setting);
/// The smallest factor that fits samples 0 .. count - 1 into `plotWidth` columns; 1 for an
/// empty log or a plot without columns.
int WholeLogFactor(int count, int plotWidth);
/// Samples per column shown for `setting`: the setting itself, or the whole-log factor.
int ZoomFactor(int setting, int count, int plotWidth);
/// Zoom In from a view at `factor`: the largest step below it, at least 1.
int ZoomedIn(int factor);
/// Zoom Out from `setting` at `factor`: the smallest step above the factor; a view already at
/// 16 samples a column or more keeps its setting.
int ZoomedOut(int setting, int factor);
/// Whole Log toggles between the whole log and 1:1.
constexpr int ToggledWholeLog(int setting) {
    return setting == WholeLog ? 1 : WholeLog;
}

/// Floor division: the column showing `sample` with the view at `pos` (outside 0 .. W - 1
/// when the sample is out of view).
constexpr int ColumnOfSample(int sample, int pos, int factor) {
    const int offset = sample - pos;
    return offset >= 0 ? offset / factor : -((-offset + factor - 1) / factor);
}
/// The first sample of `column`; the cursor stands on it.
constexpr int FirstSampleOf(int pos, int column, int factor) {
    return pos + column * factor;
}

/// The samples one column draws: first .. last, and `previous`, the sample its line starts
/// from (first - 1, except in column 0, which never reaches back out of the view).
struct ColumnSamples {
    int previous;
    int first;
    int last;
};
/// Column `column` of a view at `pos`, limited to samples up to `lastSample` (the newest one
/// stored) and to the store's capacity. At factor 1 this is the one sample pos + column.
ColumnSamples SamplesOfColumn(int pos, int column, int factor, int lastSample);

/// The lowest and highest of the values a column draws.
struct Extremes {
    std::int32_t low;
    std::int32_t high;
};
/// Extremes of `values` over the column's samples, its previous one included; `values` is
/// one trace's column of the store.
Extremes ColumnExtremes(const std::int32_t* values, const ColumnSamples& samples);

/// Scroll position that keeps `anchorSample` in `anchorColumn` after a change to `factor`,
/// limited to the scroll range at that factor.
int PosAfterZoom(int anchorSample, int anchorColumn, int factor, int plotWidth);

/// Samples between time grid lines: 50 at 1:1; above it the smallest of 50, 100, 250, 500,
/// 1000, 2500 ... that leaves at least 50 columns, and at least `labelColumns`, between lines.
int TimeGridSpacing(int factor, int labelColumns);

}  // namespace graph
