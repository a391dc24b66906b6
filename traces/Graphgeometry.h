#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "traces/Colours.h"
#include "traces/Graphzoom.h"
#include "traces/Tracestore.h"

/// Pixel arithmetic and texts of the strip chart, free of any GUI toolkit. Coordinates are
/// pixels of the paint box: origin top left, x to the right, y down.
namespace graph {

// The chart's frame; these numbers are the layout itself.
inline constexpr int PlotLeft = 54;         // x of the left border and of column 0
inline constexpr int RightMargin = 24;      // right of the last column
inline constexpr int PlotTop = 25;          // y of full scale
inline constexpr int BottomMargin = 22;     // below the value-0 line: ticks and time labels
inline constexpr int TickLength = 3;        // grid ticks outside the plot
inline constexpr int TimeGridStep = 50;     // samples between time grid lines at 1:1
inline constexpr int ValueGridSteps = 20;   // value grid: 21 lines, 5 % apart
inline constexpr int TimeLabelGap = 30;     // top of the time labels is H + 30
inline constexpr int UnitGap = 68;          // x of "s", right of W
inline constexpr int InnerLabelRight = 47;  // right edge of the 0..500 labels
inline constexpr int OuterLabelRight = 21;  // right edge of the 0..100 labels
inline constexpr int CaptionLeft = 14;
inline constexpr int CaptionTop = 4;
inline constexpr int InnerScaleTop = 500;   // °C and PWM counts
inline constexpr int OuterScaleTop = 100;   // % and hundreds of rpm
inline constexpr int AutoScrollStep = 100;  // samples the view jumps when it follows the data
inline constexpr int ScrollSmallStep = 1;
inline constexpr int ScrollLargeStep = 10;
inline constexpr int ReadoutPanels = 10;  // status bar panels 1..10

inline constexpr std::string_view AxisCaption = "%,    °C  (x100 rpm, PWM)";
inline constexpr std::string_view TimeUnit = "s";

/// Plot size: W sample columns and H pixels of value, never negative.
struct Plot {
    int width;
    int height;
};

/// The plot inside a paint box of `boxWidth` x `boxHeight` pixels.
Plot PlotOf(int boxWidth, int boxHeight);

/// Pixels top <= y < bottom of the column at x.
struct VLine {
    int x;
    int top;
    int bottom;
    friend bool operator==(const VLine&, const VLine&) = default;
};

/// Pixels left <= x < right of the row at y.
struct HLine {
    int y;
    int left;
    int right;
    friend bool operator==(const HLine&, const HLine&) = default;
};

/// x of plot column `column`.
constexpr int ColumnX(int column) {
    return PlotLeft + column;
}
/// y of value 0 (the bottom line).
constexpr int BaselineY(const Plot& plot) {
    return PlotTop + plot.height;
}

VLine LeftBorder(const Plot& plot);
/// Shares its x with column W - 1.
VLine RightBorder(const Plot& plot);

/// A trace's value scale: it spans -offset .. range - offset from bottom to top.
struct Scale {
    int offset;
    int range;
};
inline constexpr std::array<Scale, TraceCount> Scales = {{{0, 5000},
                                                          {0, 5000},
                                                          {0, 5000},
                                                          {0, 1000},
                                                          {0, 10000},
                                                          {0, 10000},
                                                          {0, 500},
                                                          {1000, 5000},
                                                          {-7500, 5000}}};

/// Pixels above the bottom line at which `value` of `trace` is drawn: (value + offset) x H /
/// range rounded half up, clamped to 0 .. plotHeight whatever the value.
int ValueHeight(int trace, std::int32_t value, int plotHeight);

/// The line of one trace in one column, joining the previous sample's height to this one's,
/// both ends painted.
VLine TraceColumn(int trace, int column, std::int32_t value, std::int32_t previous, int plotHeight);

/// Columns first..last (empty when first > last) that show samples a..b with the view at `pos`
/// and `factor` samples a column.
struct ColumnSpan {
    int first;
    int last;
};
ColumnSpan ColumnsOf(int a, int b, int pos, int plotWidth, int factor = 1);

/// Index of the sample whose line starts column `column`: the one left of it, except in
/// column 0, which never reaches back out of the view.
constexpr int PreviousSample(int pos, int column) {
    return column > 0 ? pos + column - 1 : pos;
}

/// One time grid line with its label in whole seconds, centred under the line.
struct TimeMark {
    VLine line;
    int labelCentre;
    std::string label;
};
/// Grid lines on every sample index inside the view that is a multiple of the spacing: 50 at
/// 1:1, else TimeGridSpacing(factor, labelColumns). A line stands in the column of its sample.
std::vector<TimeMark> TimeGrid(const Plot& plot, int pos, int samplePeriodMs, int factor = 1,
                               int labelColumns = 0);
/// Top of the time labels and of the unit "s".
constexpr int TimeLabelTop(const Plot& plot) {
    return plot.height + TimeLabelGap;
}
constexpr int TimeUnitLeft(const Plot& plot) {
    return plot.width + UnitGap;
}
/// Left edge of a label of `textWidth` centred on x = `centre`.
constexpr int CentredLeft(int centre, int textWidth) {
    return centre - textWidth / 2;
}

/// One value grid line with its inner (0..500) and outer (0..100) labels.
struct ValueMark {
    HLine line;
    std::string inner;
    std::string outer;
};
/// 21 lines from full scale down to 0, each with a 3 pixel tick left of the border.
std::array<ValueMark, ValueGridSteps + 1> ValueGrid(const Plot& plot);

/// `column` limited to the plot, 0 .. W - 1 (0 when the plot has no columns).
int ClampColumn(int column, int plotWidth);
/// The cursor at `column`: from the bottom line up to and including y = 25.
VLine CursorLine(const Plot& plot, int column);
/// Pen for the NOT-XOR cursor: on a background pixel it paints exactly `cursor`, and painting
/// the same pixel twice restores it.
constexpr colours::ColourValue CursorPen(colours::ColourValue background,
                                         colours::ColourValue cursor) {
    return ~(background ^ cursor) & colours::RgbMask;
}

/// Largest scroll position: the one that puts sample 18000 into column W - 1; a whole number
/// of columns of `factor` samples.
int ScrollMaximum(int plotWidth, int factor = 1);
/// `pos` limited to the scroll bar's range and moved back onto a column boundary (a multiple of
/// `factor`), so that a column always shows the same run of samples.
int ClampPos(int pos, int plotWidth, int factor = 1);
/// View position after a sample was appended and the store holds `count`: 100 columns further
/// on when the newest sample fell right of the view and the view follows the data, else `pos`.
int ScrollAfterAppend(int count, int pos, int plotWidth, bool autoScroll, int factor = 1);

/// Cursor column requested by a mouse press or drag at x (clamped when drawn).
constexpr int MouseColumn(int x) {
    return x - PlotLeft;
}
/// View position while the cursor is dragged to x: with AutoScroll on, past the right edge
/// (x > boxWidth - 24) it moves right, left of the plot (x < 54) left, by the distance in
/// columns.
int DragPos(int x, int boxWidth, int pos, int plotWidth, bool autoScroll, int factor = 1);

using Readout = std::array<std::string, ReadoutPanels>;
using Visibility = std::array<bool, TraceCount>;
/// Every trace but the two PLL ones, as on a first run.
inline constexpr Visibility DefaultVisibility = {true, true, true,  true, true,
                                                 true, true, false, false};

/// The texts of status bar panels 1..10 for the cursor on `sample` holding `values`: all empty
/// when the cursor is off or stands where nothing was recorded (no `values`), and empty for
/// each hidden trace; the time panel shows regardless of the traces.
Readout ReadoutTexts(bool cursorOn, int sample, int samplePeriodMs, const Visibility& visible,
                     const std::optional<TraceSample>& values);

/// The widest texts panels 1..10 show while recording from a station: the last sample at the
/// longest period (500 ms), temperatures up to 999.9 °C, power 100.0 %, fan speeds of four
/// digits, a full PWM byte and PLL figures of five digits (the error with its sign). The
/// status bar sizes its panels from these.
Readout WidestReadout();

/// The stored values at `index`; zeros outside 0 .. TraceCapacity - 1.
TraceSample SampleAt(const TraceStore& store, int index);
/// The values recorded at `index`; none outside 0 .. count - 1.
std::optional<TraceSample> RecordedSampleAt(const TraceStore& store, int index);

}  // namespace graph
