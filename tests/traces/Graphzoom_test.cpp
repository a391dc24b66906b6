#include "traces/Graphzoom.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "traces/Graphgeometry.h"
#include "traces/Tracestore.h"

namespace {

constexpr int BoxWidth = 866;
constexpr int BoxHeight = 418;
const graph::Plot LayoutPlot = graph::PlotOf(BoxWidth, BoxHeight);  // 788 x 371

TEST(GraphZoom, WholeLogTakesTheSmallestFactorThatFitsEverySample) {
    struct Case {
        int count, plotWidth, factor;
    };
    const Case cases[] = {
        {0, 788, 1},    {1, 788, 1},      {788, 788, 1},     {789, 788, 2}, {1576, 788, 2},
        {1577, 788, 3}, {18001, 788, 23}, {18001, 1842, 10}, {18001, 0, 1},  // no columns: nothing
                                                                             // to fit
    };
    for (const Case& c : cases) {
        EXPECT_EQ(graph::WholeLogFactor(c.count, c.plotWidth), c.factor) << c.count;
        EXPECT_EQ(graph::ZoomFactor(graph::WholeLog, c.count, c.plotWidth), c.factor);
        // Every sample fits: the last one lands in a column of the plot.
        if (c.count > 0 && c.plotWidth > 0) {
            EXPECT_LT(graph::ColumnOfSample(c.count - 1, 0, c.factor), c.plotWidth) << c.count;
        }
    }
    for (const int step : graph::ZoomSteps) EXPECT_EQ(graph::ZoomFactor(step, 18001, 788), step);
}

TEST(GraphZoom, InOutAndWholeLogStepThroughTheSettings) {
    struct Case {
        int setting, factor, in, out;
    };
    const Case cases[] = {
        {1, 1, 1, 2},
        {2, 2, 1, 4},
        {4, 4, 2, 8},
        {16, 16, 8, 16},                             // the widest step stays
        {graph::WholeLog, 23, 16, graph::WholeLog},  // a full log at 788 columns
        {graph::WholeLog, 10, 8, 16},
        {graph::WholeLog, 1, 1, 2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(graph::ZoomedIn(c.factor), c.in) << c.setting << " at " << c.factor;
        EXPECT_EQ(graph::ZoomedOut(c.setting, c.factor), c.out) << c.setting << " at " << c.factor;
    }
    EXPECT_EQ(graph::ToggledWholeLog(graph::WholeLog), 1);
    EXPECT_EQ(graph::ToggledWholeLog(1), graph::WholeLog);
    EXPECT_EQ(graph::ToggledWholeLog(8), graph::WholeLog);
    for (const int setting : {0, 1, 2, 4, 8, 16}) EXPECT_TRUE(graph::ValidZoom(setting));
    for (const int setting : {-1, 3, 5, 32, 23}) EXPECT_FALSE(graph::ValidZoom(setting));
}

// One trace's store column: zeros with a one-sample spike.
std::vector<std::int32_t> Spike(int at, std::int32_t height = 5000) {
    std::vector<std::int32_t> values(TraceCapacity, 0);
    values[at] = height;
    return values;
}

TEST(GraphZoomColumns, EachColumnSpansItsLowestToHighestSampleAndJoinsThePreviousOne) {
    const int baseline = graph::BaselineY(LayoutPlot);
    struct Case {
        int factor, spikeAt, pos, column;
        bool showsSpike;
    };
    const Case cases[] = {
        // Factor 2: column 5 holds samples 10 and 11.
        {2, 10, 0, 5, true},   // the column's first sample
        {2, 11, 0, 5, true},   // its last sample
        {2, 11, 0, 6, true},   // the next column starts its line from sample 11
        {2, 12, 0, 5, false},  // the next column's first sample
        {2, 9, 0, 5, true},    // the previous column's last sample starts the line
        {2, 8, 0, 5, false},
        // Factor 4: column 3 holds samples 12..15.
        {4, 12, 0, 3, true},
        {4, 15, 0, 3, true},
        {4, 16, 0, 3, false},
        {4, 10, 0, 3, false},
        // Factor 16 with the view at 1600: column 2 holds samples 1632..1647.
        {16, 1632, 1600, 2, true},
        {16, 1647, 1600, 2, true},
        {16, 1648, 1600, 2, false},
        {16, 1631, 1600, 2, true},   // previous sample
        {16, 1599, 1600, 0, false},  // column 0 never reaches back out of the view
        {16, 1600, 1600, 0, true},
    };
    for (const Case& c : cases) {
        const std::vector<std::int32_t> values = Spike(c.spikeAt);
        const graph::ColumnSamples samples =
            graph::SamplesOfColumn(c.pos, c.column, c.factor, TraceCapacity - 1);
        const graph::Extremes e = graph::ColumnExtremes(values.data(), samples);
        const graph::VLine line =
            graph::TraceColumn(Tget, c.column, e.high, e.low, LayoutPlot.height);
        // A spike to full scale joins the bottom line to the top; without it, one pixel.
        const graph::VLine expected =
            c.showsSpike ? graph::VLine{graph::ColumnX(c.column), graph::PlotTop, baseline + 1}
                         : graph::VLine{graph::ColumnX(c.column), baseline, baseline + 1};
        EXPECT_EQ(line, expected) << "factor " << c.factor << " spike at " << c.spikeAt
                                  << " column " << c.column;
    }
}

TEST(GraphZoomColumns, SamplesOfAColumnStopAtTheNewestOneAndAtOneToOneAreTheSpecifiedPair) {
    struct Case {
        int pos, column, factor, lastSample, previous, first, last;
    };
    const Case cases[] = {
        {0, 0, 1, 18000, 0, 0, 0},
        {120, 5, 1, 18000, 124, 125, 125},
        {0, 3, 4, 18000, 11, 12, 15},
        {0, 3, 4, 13, 11, 12, 13},  // still filling
        {0, 3, 4, 12, 11, 12, 12},
        {400, 0, 4, 18000, 400, 400, 403},
        {17984, 1, 16, 18000, 17999, 18000, 18000},  // the store ends inside the column
    };
    for (const Case& c : cases) {
        const graph::ColumnSamples s =
            graph::SamplesOfColumn(c.pos, c.column, c.factor, c.lastSample);
        EXPECT_EQ(s.previous, c.previous) << c.pos << "/" << c.column << "/" << c.factor;
        EXPECT_EQ(s.first, c.first) << c.pos << "/" << c.column << "/" << c.factor;
        EXPECT_EQ(s.last, c.last) << c.pos << "/" << c.column << "/" << c.factor;
    }
    // At 1:1 a column is exactly the specified line from the previous sample to this one.
    const std::vector<std::int32_t> values = {100, 2505, 800, 800};
    for (int column = 0; column < 4; ++column) {
        const graph::Extremes e =
            graph::ColumnExtremes(values.data(), graph::SamplesOfColumn(0, column, 1, 3));
        EXPECT_EQ(graph::TraceColumn(Tset, column, e.high, e.low, LayoutPlot.height),
                  graph::TraceColumn(Tset, column, values[column],
                                     values[graph::PreviousSample(0, column)], LayoutPlot.height))
            << column;
    }
}

TEST(GraphZoomColumns, OnlyColumnsInViewAreDrawn) {
    struct Case {
        int a, b, pos, factor, first, last;
    };
    const Case cases[] = {
        {0, 99, 0, 4, 0, 24},         {13, 13, 0, 4, 3, 3},      {0, 18000, 0, 4, 0, 787},
        {0, 999, 800, 4, 0, 49},      {10, 20, 800, 4, 0, -195},  // left of the view
        {0, 18000, 14852, 4, 0, 787},  // sample 18000 reaches the last column
        {3152, 3152, 0, 4, 788, 787},  // right of the view
    };
    for (const Case& c : cases) {
        const graph::ColumnSpan span =
            graph::ColumnsOf(c.a, c.b, c.pos, LayoutPlot.width, c.factor);
        EXPECT_EQ(span.first, c.first) << c.a << ".." << c.b << " at " << c.pos;
        EXPECT_EQ(span.last, c.last) << c.a << ".." << c.b << " at " << c.pos;
    }
}

TEST(GraphZoomTime, SpacingGrowsWithTheZoomSoThatLabelsNeverOverlap) {
    struct Case {
        int factor, labelColumns, spacing;
    };
    const Case cases[] = {
        {1, 0, 50},   {1, 200, 50},  // 1:1 keeps a line every 50 samples
        {2, 0, 100},  {4, 0, 250},  {8, 0, 500},  {16, 0, 1000},  {23, 0, 2500},
        {10, 0, 500}, {2, 60, 250}, {4, 70, 500}, {16, 90, 2500},
    };
    for (const Case& c : cases)
        EXPECT_EQ(graph::TimeGridSpacing(c.factor, c.labelColumns), c.spacing) << c.factor;

    // Whatever the zoom and the label width, neighbouring labels keep their distance.
    for (const int factor : {2, 3, 4, 8, 16, 23}) {
        for (const int labelColumns : {0, 30, 57, 130}) {
            for (const int pos : {0, 4000, 17000}) {
                const auto marks = graph::TimeGrid(LayoutPlot, pos, 100, factor, labelColumns);
                for (std::size_t i = 1; i < marks.size(); ++i) {
                    EXPECT_GE(marks[i].labelCentre - marks[i - 1].labelCentre,
                              std::max(50, labelColumns))
                        << factor << " " << labelColumns << " " << pos;
                }
            }
        }
    }
}

TEST(GraphZoomTime, LinesStandInTheColumnOfTheirSampleWithTheirSeconds) {
    const auto marks = graph::TimeGrid(LayoutPlot, 0, 100, 4, 0);
    ASSERT_EQ(marks.size(), 13u);  // samples 0, 250 ... 3000 of 0 .. 3151
    const std::pair<int, std::string> expected[] = {{0, "0"}, {62, "25"}, {125, "50"}, {187, "75"}};
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(marks[i].line, (graph::VLine{54 + expected[i].first, 25, 371 + 28}));
        EXPECT_EQ(marks[i].label, expected[i].second);
    }
    // The whole log of 18001 samples at 20 ms: a line every 2500 samples, 50 s.
    const auto whole = graph::TimeGrid(LayoutPlot, 0, 20, 23, 0);
    ASSERT_EQ(whole.size(), 8u);
    EXPECT_EQ(whole[1].line.x, 54 + 108);
    EXPECT_EQ(whole[1].label, "50");
    EXPECT_EQ(whole[7].label, "350");
}

TEST(GraphZoomScroll, RangeCoversTheStoreInWholeColumnsAtEveryFactor) {
    struct Case {
        int factor, maximum;
    };
    const Case cases[] = {{1, 17213}, {2, 16426}, {4, 14852}, {8, 11704}, {16, 5408}, {23, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(graph::ScrollMaximum(LayoutPlot.width, c.factor), c.maximum) << c.factor;
        EXPECT_EQ(c.maximum % c.factor, 0);
        // At the maximum the last sample sits in the last column.
        if (c.maximum > 0) {
            EXPECT_EQ(graph::ColumnOfSample(TraceCapacity - 1, c.maximum, c.factor),
                      LayoutPlot.width - 1)
                << c.factor;
        }
    }
    struct Clamp {
        int pos, factor, clamped;
    };
    const Clamp clamps[] = {{1003, 4, 1000},   {1003, 1, 1003},  {-8, 4, 0},
                            {20000, 4, 14852}, {5407, 16, 5392}, {99, 23, 0}};
    for (const Clamp& c : clamps)
        EXPECT_EQ(graph::ClampPos(c.pos, LayoutPlot.width, c.factor), c.clamped) << c.pos;
}

TEST(GraphZoomScroll, AutoScrollAndDraggingCountInColumns) {
    struct Append {
        int count, pos, factor, next;
    };
    const Append appends[] = {
        {3152, 0, 4, 0},    // sample 3151 is in the last column
        {3153, 0, 4, 400},  // the next one is past it: 100 columns on
        {1577, 0, 2, 200},        {6304, 3152, 4, 3152},
        {17997, 14500, 4, 14852},  // limited by the scroll maximum
    };
    for (const Append& c : appends) {
        EXPECT_EQ(graph::ScrollAfterAppend(c.count, c.pos, LayoutPlot.width, true, c.factor),
                  c.next)
            << c.count;
    }
    EXPECT_EQ(graph::ScrollAfterAppend(3153, 0, LayoutPlot.width, false, 4), 0);
    // Ten pixels past an edge move the view by ten columns.
    EXPECT_EQ(graph::DragPos(852, BoxWidth, 800, LayoutPlot.width, true, 4), 840);
    EXPECT_EQ(graph::DragPos(44, BoxWidth, 800, LayoutPlot.width, true, 4), 760);
    EXPECT_EQ(graph::DragPos(44, BoxWidth, 800, LayoutPlot.width, false, 4), 800);
}

TEST(GraphZoomCursor, TheCursorStandsOnTheFirstSampleOfItsColumn) {
    struct Case {
        int x, pos, factor, sample;
    };
    const Case cases[] = {
        {54, 0, 1, 0},      {154, 120, 1, 220},  // 1:1: pos + column
        {54, 0, 4, 0},      {55, 0, 4, 4},      {154, 400, 4, 800},
        {154, 0, 23, 2300}, {0, 800, 16, 800},  {865, 0, 16, 787 * 16},  // clamped to the plot
    };
    for (const Case& c : cases) {
        const int column = graph::ClampColumn(graph::MouseColumn(c.x), LayoutPlot.width);
        EXPECT_EQ(graph::FirstSampleOf(c.pos, column, c.factor), c.sample) << c.x;
        // And that sample is drawn in that very column.
        EXPECT_EQ(graph::ColumnOfSample(c.sample, c.pos, c.factor), column) << c.x;
    }
    // Samples left of the view fall in negative columns, never in column 0.
    EXPECT_EQ(graph::ColumnOfSample(399, 400, 4), -1);
    EXPECT_EQ(graph::ColumnOfSample(396, 400, 4), -1);
    EXPECT_EQ(graph::ColumnOfSample(395, 400, 4), -2);
}

TEST(GraphZoomCursor, ZoomingKeepsTheAnchorSampleInItsColumnWhereTheRangeAllows) {
    struct Case {
        int anchorSample, anchorColumn, factor, pos;
    };
    const Case cases[] = {
        {5000, 100, 4, 4600},  // 5000 - 100 x 4
        {5001, 100, 4, 4600},  // onto a column boundary
        {300, 100, 4, 0},      // not before 0
        {17000, 0, 16, 5408},  // not past the maximum
        {800, 200, 1, 600},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(graph::PosAfterZoom(c.anchorSample, c.anchorColumn, c.factor, LayoutPlot.width),
                  c.pos)
            << c.anchorSample;
    }
}

}  // namespace
