#include "traces/Graphgeometry.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "traces/Colours.h"
#include "traces/Tracestore.h"

namespace {

// The paint box at its layout size in the window of minimum size.
constexpr int BoxWidth = 866;
constexpr int BoxHeight = 418;
const graph::Plot LayoutPlot = graph::PlotOf(BoxWidth, BoxHeight);

TEST(GraphPlot, SizeFollowsThePaintBoxAndNeverGoesNegative) {
    struct Case {
        int width, height, plotWidth, plotHeight;
    };
    const Case cases[] = {
        {866, 418, 788, 371}, {1920, 1080, 1842, 1033}, {78, 47, 0, 0}, {10, 5, 0, 0}};
    for (const Case& c : cases) {
        const graph::Plot plot = graph::PlotOf(c.width, c.height);
        EXPECT_EQ(plot.width, c.plotWidth) << c.width;
        EXPECT_EQ(plot.height, c.plotHeight) << c.height;
    }
    EXPECT_EQ(graph::LeftBorder(LayoutPlot), (graph::VLine{54, 25, 396}));
    // The right border shares its x with the last column.
    EXPECT_EQ(graph::RightBorder(LayoutPlot), (graph::VLine{841, 25, 396}));
    EXPECT_EQ(graph::ColumnX(LayoutPlot.width - 1), 841);
}

TEST(GraphTimeGrid, LinesFallOnMultiplesOfFiftyWithWholeSecondLabels) {
    const auto marks = graph::TimeGrid(LayoutPlot, 120, 20);
    ASSERT_GE(marks.size(), 2u);
    EXPECT_EQ(marks[0].line, (graph::VLine{54 + 30, 25, 371 + 28}));
    EXPECT_EQ(marks[0].label, "3");
    EXPECT_EQ(marks[1].line.x, 54 + 80);
    EXPECT_EQ(marks[1].label, "4");
    EXPECT_EQ(marks[0].labelCentre, marks[0].line.x);
    for (const auto& mark : marks) EXPECT_LT(mark.line.x, graph::ColumnX(LayoutPlot.width));
}

TEST(GraphTimeGrid, LabelsEveryFiveSecondsAtOneHundredMilliseconds) {
    const auto marks = graph::TimeGrid(LayoutPlot, 0, 100);
    ASSERT_EQ(marks.size(), 16u);  // columns 0, 50, ... 750 of 788
    for (std::size_t i = 0; i < marks.size(); ++i) {
        EXPECT_EQ(marks[i].line.x, 54 + 50 * static_cast<int>(i));
        EXPECT_EQ(marks[i].label, std::to_string(5 * i));
    }
}

TEST(GraphTimeGrid, FirstLineAndTruncatedLabelForAnyPosition) {
    struct Case {
        int pos, periodMs, firstColumn;
        std::string firstLabel;
    };
    const Case cases[] = {
        {1, 100, 49, "5"},
        {49, 100, 1, "5"},
        {50, 100, 0, "5"},
        {0, 30, 0, "0"},
        {120, 30, 30, "4"},  // sample 150 at 4.5 s shows 4
        // A period loaded from a data file can be large; the label must not overflow.
        {17213, 1000000, 37, "17250000"},
    };
    for (const Case& c : cases) {
        const auto marks = graph::TimeGrid(LayoutPlot, c.pos, c.periodMs);
        ASSERT_FALSE(marks.empty()) << c.pos;
        EXPECT_EQ(marks[0].line.x, 54 + c.firstColumn) << c.pos;
        EXPECT_EQ(marks[0].label, c.firstLabel) << c.pos;
    }
    EXPECT_TRUE(graph::TimeGrid(graph::PlotOf(60, 100), 0, 100).empty());
}

TEST(GraphValueGrid, TwentyOneLinesWithInnerAndOuterLabels) {
    const auto marks = graph::ValueGrid(LayoutPlot);
    EXPECT_EQ(marks[0].line, (graph::HLine{25, 51, 842}));
    EXPECT_EQ(marks[0].inner, "500");
    EXPECT_EQ(marks[0].outer, "100");
    // 10 x 371 / 20 = 185.5 rounds up.
    EXPECT_EQ(marks[10].line.y, 25 + 186);
    EXPECT_EQ(marks[10].inner, "250");
    EXPECT_EQ(marks[10].outer, "50");
    EXPECT_EQ(marks[1].inner, "475");
    EXPECT_EQ(marks[1].outer, "95");
    EXPECT_EQ(marks[20].line.y, graph::BaselineY(LayoutPlot));
    EXPECT_EQ(marks[20].inner, "0");
    EXPECT_EQ(marks[20].outer, "0");
    for (int i = 1; i <= 20; ++i) EXPECT_GT(marks[i].line.y, marks[i - 1].line.y);
}

TEST(GraphValueHeight, ScalesRoundHalfUpAndClampToThePlot) {
    constexpr std::int32_t Max = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t Min = std::numeric_limits<std::int32_t>::min();
    struct Case {
        int trace;
        std::int32_t value;
        int plotHeight;
        int height;
    };
    const Case cases[] = {
        {Tset, 2505, 371, 186},  // 185.871 + 0.5
        {Tset, 0, 371, 0},         {Tget, 5000, 371, 371},    {Tget, 5001, 371, 371},
        {Tget, 7000, 371, 371},    {Tget, Max, 1033, 1033},   {Tget, -1, 371, 0},
        {Tget, Min, 1033, 0},      {Tcj, 13, 371, 1},  // 0.9646 + 0.5
        {Tcj, 6, 371, 0},                              // 0.4452 + 0.5
        {Power, 1000, 371, 371},   {Power, 500, 372, 186},    {Vset, 5000, 372, 186},
        {Pwm, 250, 372, 186},      {PllErr, -1000, 371, 0},   {PllErr, 4000, 371, 371},
        {PllErr, -5000, 371, 0},   {PllErr, 1500, 372, 186},  {PllPer, 10000, 372, 186},
        {PllPer, 10000, 371, 186},  // 185.5 exactly: halves round up
        {PllPer, 7500, 371, 0},    {PllPer, 12500, 371, 371}, {PllPer, Min, 371, 0},
        {PllPer, Max, 371, 371},   {Tset, 2505, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(graph::ValueHeight(c.trace, c.value, c.plotHeight), c.height)
            << "trace " << c.trace << " value " << c.value << " H " << c.plotHeight;
    }
}

TEST(GraphValueHeight, EveryValueOfEveryScaleIsTheExactRationalRounding) {
    // (v + offset) x H / range + 0.5 rounded down, in exact integers, clamped to 0 .. H.
    const auto exact = [](int trace, std::int32_t value, int plotHeight) {
        const graph::Scale scale = graph::Scales[trace];
        const std::int64_t numerator =
            (static_cast<std::int64_t>(value) + scale.offset) * plotHeight * 2 + scale.range;
        if (numerator <= 0) return 0;
        return static_cast<int>(
            std::min<std::int64_t>(numerator / (2 * std::int64_t{scale.range}), plotHeight));
    };
    for (const int plotHeight : {0, 1, 371, 372, 1033, 2113, 4320}) {
        for (int trace = 0; trace < TraceCount; ++trace) {
            const graph::Scale scale = graph::Scales[trace];
            for (std::int32_t v = -scale.offset - 3; v <= scale.range - scale.offset + 3; ++v) {
                ASSERT_EQ(graph::ValueHeight(trace, v, plotHeight), exact(trace, v, plotHeight))
                    << "trace " << trace << " value " << v << " H " << plotHeight;
            }
        }
    }
}

TEST(GraphTraceColumn, JoinsThePreviousHeightToThisOneBothEndsPainted) {
    const int baseline = graph::BaselineY(LayoutPlot);  // 396
    struct Case {
        std::int32_t value, previous;
        graph::VLine line;
    };
    const Case cases[] = {
        // Level: one pixel.
        {2505, 2505, {60, baseline - 186, baseline - 185}},
        // Rising from 0 to 2505: every pixel from the bottom line up to height 186.
        {2505, 0, {60, baseline - 186, baseline + 1}},
        // Falling covers the same pixels.
        {0, 2505, {60, baseline - 186, baseline + 1}},
        // Out of range values are drawn on the borders of the plot.
        {9000, -50, {60, 25, baseline + 1}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(graph::TraceColumn(Tget, 6, c.value, c.previous, LayoutPlot.height), c.line)
            << c.value << " after " << c.previous;
    }
    EXPECT_EQ(graph::PreviousSample(120, 0), 120);
    EXPECT_EQ(graph::PreviousSample(120, 5), 124);
}

TEST(GraphColumns, OnlySamplesInViewGetColumns) {
    struct Case {
        int a, b, pos, first, last;
    };
    const Case cases[] = {
        {0, 99, 0, 0, 99},          // all in view
        {0, 999, 0, 0, 787},        // cut at the right edge
        {0, 999, 500, 0, 499},      // starts left of the view
        {787, 787, 0, 787, 787},    // sample W - 1 sits in the last column
        {788, 788, 0, 788, 787},    // one further is out of view: empty
        {10, 20, 100, 0, -80},      // left of the view: empty
        {0, 18000, 17213, 0, 787},  // sample 18000 reaches the last column
    };
    for (const Case& c : cases) {
        const graph::ColumnSpan span = graph::ColumnsOf(c.a, c.b, c.pos, LayoutPlot.width);
        EXPECT_EQ(span.first, c.first) << c.a << ".." << c.b << " at " << c.pos;
        EXPECT_EQ(span.last, c.last) << c.a << ".." << c.b << " at " << c.pos;
    }
}

TEST(GraphCursor, ColumnClampsAndTheLineSpansThePlot) {
    EXPECT_EQ(graph::ClampColumn(-5, 788), 0);
    EXPECT_EQ(graph::ClampColumn(787, 788), 787);
    EXPECT_EQ(graph::ClampColumn(900, 788), 787);
    EXPECT_EQ(graph::ClampColumn(3, 0), 0);
    // From the bottom line up to and including y = 25.
    EXPECT_EQ(graph::CursorLine(LayoutPlot, 10), (graph::VLine{64, 25, 397}));
}

TEST(GraphCursor, NotXorPenPaintsTheCursorOnBackgroundAndUndoesItself) {
    // What a NOT-XOR pen does to one 24-bit pixel.
    const auto notXor = [](colours::ColourValue pen, colours::ColourValue pixel) {
        return ~(pen ^ pixel) & colours::RgbMask;
    };
    struct Case {
        colours::ColourValue background, cursor;
    };
    const Case cases[] = {{16777215, 0}, {0, 16777215}, {4737096, 255}, {32768, 32768}};
    const colours::ColourValue pixels[] = {0, 16777215, 13948116, 4227327, 0x123456};
    for (const Case& c : cases) {
        const auto pen = graph::CursorPen(c.background, c.cursor);
        EXPECT_EQ(pen & ~colours::RgbMask, 0);
        EXPECT_EQ(notXor(pen, c.background), c.cursor);
        for (const auto pixel : pixels) EXPECT_EQ(notXor(pen, notXor(pen, pixel)), pixel);
    }
    // Bits above the colour in a stored value do not leak into the pen.
    EXPECT_EQ(graph::CursorPen(0x7F000000 | 16777215, 0), 0);
}

TEST(GraphMouse, PressesOutsideThePlotPutTheCursorOnItsEdges) {
    struct Case {
        int x, column;
    };
    const Case cases[] = {{0, 0}, {53, 0}, {54, 0}, {100, 46}, {841, 787}, {865, 787}};
    for (const Case& c : cases)
        EXPECT_EQ(graph::ClampColumn(graph::MouseColumn(c.x), 788), c.column) << c.x;
}

TEST(GraphMouse, DraggingPastTheEdgesScrollsOnlyWithAutoScroll) {
    struct Case {
        int x, pos;
        bool autoScroll;
        int next;
    };
    const Case cases[] = {
        {842, 500, true, 500},      // right edge is x = 866 - 24 = 842
        {852, 500, true, 510},      // 10 pixels past it
        {852, 17210, true, 17213},  // limited by the scroll maximum
        {852, 500, false, 500},    {54, 500, true, 500},
        {44, 500, true, 490},  // 10 pixels left of the plot
        {0, 30, true, 0},      // not below 0
        {44, 500, false, 500},     {400, 500, true, 500},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(graph::DragPos(c.x, BoxWidth, c.pos, LayoutPlot.width, c.autoScroll), c.next)
            << "x " << c.x << " pos " << c.pos;
    }
}

TEST(GraphScroll, MaximumLetsTheLastSampleReachTheLastColumn) {
    EXPECT_EQ(graph::ScrollMaximum(788), 18001 - 788);
    EXPECT_EQ(graph::ScrollMaximum(18001), 0);
    EXPECT_EQ(graph::ScrollMaximum(20000), 0);
    EXPECT_EQ(graph::ClampPos(-4, 788), 0);
    EXPECT_EQ(graph::ClampPos(20000, 788), 17213);
}

TEST(GraphScroll, AutoScrollJumpsOnceTheNewestSampleLeavesTheView) {
    struct Case {
        int count, pos;
        bool autoScroll;
        int next;
    };
    const Case cases[] = {
        {788, 0, true, 0},    // sample W - 1 + pos: still in view
        {789, 0, true, 100},  // the next one
        {789, 0, false, 0},          {888, 100, true, 100},
        {889, 100, true, 200},       {17989, 17200, true, 17213},  // limited by the scroll maximum
        {18001, 17213, true, 17213},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(graph::ScrollAfterAppend(c.count, c.pos, LayoutPlot.width, c.autoScroll), c.next)
            << "count " << c.count << " pos " << c.pos;
    }
}

class GraphReadout : public ::testing::Test {
  protected:
    static TraceSample Values(std::int32_t tset, std::int32_t vset = 1500) {
        return {tset, 2480, 251, 125, vset, 1498, 200, -12, 10005};
    }
    graph::Visibility all_{true, true, true, true, true, true, true, true, true};
};

TEST_F(GraphReadout, EveryPanelShowsItsTraceUnderTheCursor) {
    const graph::Readout texts = graph::ReadoutTexts(true, 123, 100, all_, Values(2505));
    const graph::Readout expected = {" t = 12.3 s ",      " Tset = 250.5°C ", " Tget = 248.0°C ",
                                     " Tcj = 25.1°C ",    " P = 12.5% ",      " Vset = 1500 rpm ",
                                     " Vget = 1498 rpm ", " PWM = 200.0",     " PLLe = -12 us",
                                     " PLLp = 10005 us"};
    EXPECT_EQ(texts, expected);
}

TEST_F(GraphReadout, CursorOffBlanksAllAndHiddenTracesBlankTheirPanel) {
    for (const std::string& text : graph::ReadoutTexts(false, 123, 100, all_, Values(2505)))
        EXPECT_EQ(text, "");
    graph::Visibility visible = all_;
    visible[Tset] = false;
    visible[PllPer] = false;
    const graph::Readout texts = graph::ReadoutTexts(true, 123, 100, visible, Values(2505));
    EXPECT_EQ(texts[0], " t = 12.3 s ");  // time is tied to no trace
    EXPECT_EQ(texts[1 + Tset], "");
    EXPECT_EQ(texts[1 + PllPer], "");
    EXPECT_EQ(texts[1 + Tget], " Tget = 248.0°C ");
}

TEST_F(GraphReadout, FixedPointKeepsItsSignificantDigitsAndSwitchesToExponent) {
    struct Case {
        std::int32_t tset, vset;
        int sample, periodMs;
        std::string time, tsetText, vsetText;
    };
    const Case cases[] = {
        {12345, 99999, 18000, 500, " t = 9000.0 s ", " Tset = 1235.0°C ", " Vset = 99999 rpm "},
        {-55, 123456, 7, 20, " t = 0.1 s ", " Tset = -5.5°C ", " Vset = 1.2346E+5 rpm "},
        {0, 0, 18000, 10000, " t = 1.8E+5 s ", " Tset = 0.0°C ", " Vset = 0 rpm "},
    };
    for (const Case& c : cases) {
        const graph::Readout texts =
            graph::ReadoutTexts(true, c.sample, c.periodMs, all_, Values(c.tset, c.vset));
        EXPECT_EQ(texts[0], c.time);
        EXPECT_EQ(texts[1 + Tset], c.tsetText);
        EXPECT_EQ(texts[1 + Vset], c.vsetText);
    }
}

TEST_F(GraphReadout, WhereNothingWasRecordedEveryPanelIsBlank) {
    auto store = std::make_unique<TraceStore>();
    for (const std::string& text :
         graph::ReadoutTexts(true, 0, 100, all_, graph::RecordedSampleAt(*store, 0)))
        EXPECT_EQ(text, "");
    ASSERT_TRUE(store->Append(Values(2505)));
    ASSERT_TRUE(store->Append(Values(2600)));
    EXPECT_EQ(graph::SampleAt(*store, 1)[Tset], 2600);
    EXPECT_EQ(graph::RecordedSampleAt(*store, 1), graph::SampleAt(*store, 1));
    for (const int past : {2, 5, TraceCapacity, -1}) {
        EXPECT_EQ(graph::RecordedSampleAt(*store, past), std::nullopt);
        for (const std::string& text :
             graph::ReadoutTexts(true, past, 100, all_, graph::RecordedSampleAt(*store, past)))
            EXPECT_EQ(text, "");
    }
    // Indices outside the store read as zeros instead of past its end.
    EXPECT_EQ(graph::SampleAt(*store, TraceCapacity), TraceSample{});
    EXPECT_EQ(graph::SampleAt(*store, -1), TraceSample{});
}

TEST(GraphColours, DefaultsKeysAndTraceSlots) {
    EXPECT_EQ(colours::ToRgb(colours::Defaults[colours::Background]),
              (colours::Rgb{255, 255, 255}));
    EXPECT_EQ(colours::ToRgb(colours::Defaults[colours::Axis]), (colours::Rgb{212, 212, 212}));
    EXPECT_EQ(colours::ToRgb(colours::Defaults[colours::Text]), (colours::Rgb{72, 72, 72}));
    EXPECT_EQ(colours::ToRgb(colours::Defaults[colours::Graph3]), (colours::Rgb{255, 128, 64}));
    EXPECT_EQ(colours::ToRgb(colours::Defaults[colours::Graph4]), (colours::Rgb{0, 0, 255}));
    EXPECT_EQ(colours::FromRgb({255, 128, 64}), 4227327);
    EXPECT_EQ(colours::ToRgb(-1), (colours::Rgb{255, 255, 255}));
    EXPECT_EQ(colours::Keys[colours::Cursor], "Cursor");
    EXPECT_EQ(colours::Keys[colours::Graph4], "Graph4");
    EXPECT_EQ(colours::TraceSlots[Vset], colours::Graph1);
    EXPECT_EQ(colours::TraceSlots[PllPer], colours::Graph1);
    EXPECT_EQ(colours::TraceSlots[Vget], colours::Graph2);
    EXPECT_EQ(colours::TraceSlots[PllErr], colours::Graph3);
    EXPECT_EQ(colours::TraceSlots[Pwm], colours::Graph4);
}

}  // namespace
