#include "ui/Graphview.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalSpy>

#include <cmath>
#include <memory>

#include "Referencechart.h"
#include "traces/Graphgeometry.h"
#include "ui/Graphpaint.h"

namespace {

constexpr int BoxWidth = 866;
constexpr int BoxHeight = 418;
constexpr int PlotWidth = BoxWidth - 78;

// A wave through every trace's range, as the simulation makes it.
TraceSample Wave(int i) {
    const int x = static_cast<int>(std::sin(i * 0.05) * 300 + 300);
    return {x + 200, x + 300, x + 250, x + 100, x + 1500, x + 2000, x + 200, x + 300, x + 9700};
}

QRgb Pixel(colours::ColourValue colour) {
    return graphpaint::ToQColor(colour).rgb();
}

class GraphViewTest : public ::testing::Test {
  protected:
    GraphViewTest() {
        view_.resize(BoxWidth, BoxHeight);
        view_.RepaintAll();
    }

    // What the acquisition loop does with one sample: station samples are neither drawn nor
    // followed while frozen, simulated ones always are.
    void Append(const TraceSample& sample, bool fromStation = true) {
        ASSERT_TRUE(store_->Append(sample));
        if (fromStation && view_.frozen()) return;
        view_.DrawSamples(store_->count() - 1, store_->count() - 1);
        view_.AutoScrollAfterAppend(store_->count());
    }
    void AppendWave(int n, bool fromStation = true) {
        for (int i = 0; i < n; ++i) Append(Wave(store_->count()), fromStation);
    }

    // The picture a fresh view paints in one full repaint of the same store and settings.
    QImage FreshPicture() const {
        QScrollBar bar;
        TGraphView fresh(*store_, bar);
        fresh.resize(view_.size());
        fresh.SetColours(view_.colours());
        fresh.SetVisibility(view_.visibility());
        fresh.SetSamplePeriod(view_.samplePeriodMs());
        fresh.SetZoom(view_.zoom());
        fresh.RepaintAll();
        fresh.SetPos(view_.pos());
        fresh.SetCursorColumn(view_.cursorColumn());
        fresh.SetCursor(view_.cursorOn());
        return fresh.image().copy();
    }

    void Press(int x, Qt::MouseButton button = Qt::LeftButton) {
        QMouseEvent event(QEvent::MouseButtonPress, QPointF(x, 100), QPointF(x, 100), button,
                          button, Qt::NoModifier);
        QApplication::sendEvent(&view_, &event);
    }
    void DragTo(int x) {
        QMouseEvent event(QEvent::MouseMove, QPointF(x, 100), QPointF(x, 100), Qt::NoButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&view_, &event);
    }

    // The same scene drawn one fillRect per line and column, as a plain QPainter chart does.
    QImage Reference() const {
        return ReferenceChart(
            *store_, {view_.size(), view_.pos(), view_.samplePeriodMs(), view_.visibility(),
                      view_.colours(), view_.cursorOn(), view_.cursorColumn()});
    }

    std::unique_ptr<TraceStore> store_ = std::make_unique<TraceStore>();
    QScrollBar bar_;
    TGraphView view_{*store_, bar_};
};

TEST_F(GraphViewTest, OneSampleAColumnIsThePlainChartPixelForPixel) {
    const colours::ColourSet custom = {4737096, 16777215, 13948116, 255,
                                       32768,   4227327,  16711680, 65535};
    struct Case {
        int samples, pos, periodMs;
        bool cursorOn;
        int cursorColumn;
        bool withPll;
        const colours::ColourSet* colours;
    };
    const Case cases[] = {
        {0, 0, 100, false, 0, false, &colours::Defaults},
        {300, 0, 100, true, 120, false, &colours::Defaults},
        {2000, 1213, 20, true, 787, true, &colours::Defaults},
        {2000, 120, 30, true, 0, true, &custom},
    };
    for (const Case& c : cases) {
        store_->Clear();
        for (int i = 0; i < c.samples; ++i) ASSERT_TRUE(store_->Append(Wave(i)));
        // Out of range values are drawn on the plot's borders.
        if (c.samples > 10) {
            ASSERT_TRUE(store_->Append({9000, -50, 0, 5000, 20000, -1, 900, -3000, 20000}));
        }
        view_.SetColours(*c.colours);
        graph::Visibility visible = graph::DefaultVisibility;
        visible[PllErr] = visible[PllPer] = c.withPll;
        view_.SetVisibility(visible);
        view_.SetSamplePeriod(c.periodMs);
        view_.SetPos(c.pos);
        view_.SetCursorColumn(c.cursorColumn);
        view_.SetCursor(c.cursorOn);
        view_.RepaintAll();
        EXPECT_EQ(view_.factor(), 1);
        EXPECT_EQ(view_.image(), Reference()) << c.samples << " samples at " << c.pos;
    }
}

TEST_F(GraphViewTest, LiveColumnsAtFactorFourPaintTheSamePictureAsAFullRepaint) {
    view_.SetZoom(4);
    view_.SetCursorColumn(300);
    view_.SetCursor(true);
    // Columns fill while their samples arrive; the cursor column is drawn under the cursor.
    AppendWave(1203);
    EXPECT_EQ(view_.pos(), 0);
    EXPECT_EQ(view_.image(), FreshPicture());
    // Past the right edge the view jumps 100 columns, and goes on drawing live.
    AppendWave(4 * PlotWidth - 1203 + 1);
    EXPECT_EQ(view_.pos(), 400);
    AppendWave(37);
    EXPECT_EQ(view_.image(), FreshPicture());
    EXPECT_EQ(view_.grab().toImage().convertToFormat(QImage::Format_RGB32), view_.image());
}

TEST_F(GraphViewTest, TheWholeLogGrowsItsFactorAsSamplesArrive) {
    view_.SetZoom(graph::WholeLog);
    EXPECT_EQ(bar_.maximum(), 0);
    AppendWave(PlotWidth);
    EXPECT_EQ(view_.factor(), 1);
    AppendWave(1);
    EXPECT_EQ(view_.factor(), 2);
    AppendWave(2 * PlotWidth);
    EXPECT_EQ(view_.factor(), 4);
    EXPECT_EQ(view_.pos(), 0);
    EXPECT_EQ(view_.image(), FreshPicture());
    // A full store fits, too.
    while (store_->count() < TraceCapacity) ASSERT_TRUE(store_->Append(Wave(store_->count())));
    view_.RepaintAll();
    EXPECT_EQ(view_.factor(), 23);
    EXPECT_EQ(bar_.maximum(), 0);
    view_.SetPos(500);
    EXPECT_EQ(view_.pos(), 0);
}

TEST_F(GraphViewTest, AOneSampleSpikeShowsAtEveryFactor) {
    for (int i = 0; i < 4000; ++i) ASSERT_TRUE(store_->Append({i == 3201 ? 5000 : 1000}));
    const QRgb graph1 = Pixel(colours::Defaults[colours::Graph1]);
    for (const int zoom : {2, 4, 8, 16, graph::WholeLog}) {
        view_.SetZoom(zoom);
        view_.SetPos(3000);
        const int column = graph::ColumnOfSample(3201, view_.pos(), view_.factor());
        ASSERT_LT(column, PlotWidth) << zoom;
        // The top pixel of the spike's column is Tset's, whatever the factor.
        EXPECT_EQ(view_.image().pixel(graph::ColumnX(column), graph::PlotTop), graph1) << zoom;
        EXPECT_NE(view_.image().pixel(graph::ColumnX(column) + 2, graph::PlotTop), graph1) << zoom;
    }
}

TEST_F(GraphViewTest, ScrollBarStepsByWholeColumns) {
    view_.SetZoom(4);
    EXPECT_EQ(bar_.singleStep(), 4);
    EXPECT_EQ(bar_.pageStep(), 40);
    EXPECT_EQ(bar_.maximum(), 14852);
    bar_.setValue(1003);  // a dragged slider stops inside a column
    EXPECT_EQ(view_.pos(), 1000);
    view_.SetPos(20000);
    EXPECT_EQ(view_.pos(), 14852);
    EXPECT_EQ(view_.image(), FreshPicture());
    view_.SetZoom(1);
    EXPECT_EQ(bar_.singleStep(), 1);
    EXPECT_EQ(bar_.pageStep(), 10);
    EXPECT_EQ(bar_.maximum(), 18001 - PlotWidth);
}

TEST_F(GraphViewTest, TheCursorStandsOnTheFirstSampleOfItsColumnAndKeepsItWhenZooming) {
    AppendWave(6000);
    view_.SetAutoScroll(false);
    view_.SetPos(1000);
    Press(154);  // column 100
    EXPECT_EQ(view_.cursorSample(), 1100);
    const graph::Readout atOneToOne = view_.readout();

    view_.SetZoom(4);
    EXPECT_EQ(view_.pos(), 700);
    EXPECT_EQ(view_.cursorColumn(), 100);
    EXPECT_EQ(view_.cursorSample(), 1100);
    EXPECT_EQ(view_.readout(), atOneToOne);
    Press(55);  // column 1: samples 704 .. 707
    EXPECT_EQ(view_.cursorSample(), 704);
    EXPECT_EQ(view_.readout()[0], " t = 70.4 s ");
    const TraceSample values = Wave(704);
    EXPECT_EQ(view_.readout(), graph::ReadoutTexts(true, 704, 100, view_.visibility(), values));

    // The view starts on a column boundary: 688 = 43 x 16.
    view_.SetZoom(16);
    EXPECT_EQ(view_.pos(), 688);
    EXPECT_EQ(view_.cursorColumn(), 1);
    EXPECT_EQ(view_.cursorSample(), 704);
    EXPECT_EQ(view_.image(), FreshPicture());
    // Back to 1:1 the cursor keeps its sample.
    view_.SetZoom(1);
    EXPECT_EQ(view_.cursorSample(), 704);
    EXPECT_EQ(view_.image(), Reference());
}

TEST_F(GraphViewTest, ScrollBarCoversTheWholeStore) {
    EXPECT_EQ(bar_.objectName(), "LogScrollBar");
    EXPECT_EQ(bar_.orientation(), Qt::Horizontal);
    EXPECT_EQ(bar_.minimum(), 0);
    EXPECT_EQ(bar_.maximum(), 18001 - PlotWidth);
    EXPECT_EQ(bar_.singleStep(), 1);
    EXPECT_EQ(bar_.pageStep(), 10);
    view_.SetPos(17900);
    EXPECT_EQ(view_.pos(), 18001 - PlotWidth);
    // A wider box lowers the maximum, and the position with it, at the next repaint.
    view_.resize(BoxWidth + 200, BoxHeight);
    view_.RepaintAll();
    EXPECT_EQ(bar_.maximum(), 18001 - PlotWidth - 200);
    EXPECT_EQ(view_.pos(), 18001 - PlotWidth - 200);
    EXPECT_EQ(view_.image().size(), QSize(BoxWidth + 200, BoxHeight));
    EXPECT_EQ(view_.image(), FreshPicture());
}

TEST_F(GraphViewTest, TogglingTheCursorTwiceRestoresEveryPixel) {
    const colours::ColourSet custom = {4737096, 16777215, 13948116, 255,
                                       32768,   4227327,  16711680, 65535};
    for (const colours::ColourSet& set : {colours::Defaults, custom}) {
        view_.SetColours(set);
        AppendWave(400);
        view_.SetCursorColumn(210);  // over the traces, off the time grid
        const QImage before = view_.image().copy();
        view_.SetCursor(true);
        ASSERT_NE(view_.image(), before);
        // On background pixels the cursor shows in exactly its own colour.
        const graph::VLine line = graph::CursorLine(view_.plot(), 210);
        int onBackground = 0;
        for (int y = line.top; y < line.bottom; ++y) {
            if (before.pixel(line.x, y) != Pixel(set[colours::Background])) continue;
            EXPECT_EQ(view_.image().pixel(line.x, y), Pixel(set[colours::Cursor])) << y;
            ++onBackground;
        }
        EXPECT_GT(onBackground, 0);
        view_.SetCursor(false);
        EXPECT_EQ(view_.image(), before);
        // Moved around by the mouse and switched off: the same.
        Press(300);
        DragTo(120);
        view_.SetCursor(false);
        view_.SetCursorColumn(210);
        EXPECT_EQ(view_.image(), before);
        store_->Clear();
    }
}

TEST_F(GraphViewTest, LiveColumnsPaintTheSamePictureAsAFullRepaint) {
    view_.SetCursorColumn(250);
    view_.SetCursor(true);
    AppendWave(PlotWidth);  // the cursor column is drawn while the cursor stands on it
    EXPECT_EQ(view_.pos(), 0);
    EXPECT_EQ(view_.image(), FreshPicture());
    // What reaches the screen is the image.
    EXPECT_EQ(view_.grab().toImage().convertToFormat(QImage::Format_RGB32), view_.image());
}

TEST_F(GraphViewTest, HidingATraceRemovesItsPixelsAndBlanksItsPanel) {
    const TraceSample level = {2505, 1000, 250, 100, 1500, 3000, 300, 0, 10000};
    for (int i = 0; i < 300; ++i) Append(level);
    view_.SetCursor(true);
    const int tsetY = graph::BaselineY(view_.plot()) - graph::ValueHeight(Tset, 2505, 371);
    const int x = graph::ColumnX(101);  // clear of the time grid
    const QRgb graph1 = Pixel(colours::Defaults[colours::Graph1]);
    ASSERT_EQ(view_.image().pixel(x, tsetY), graph1);
    EXPECT_EQ(view_.readout()[1 + Tset], " Tset = 250.5°C ");

    graph::Visibility visible = view_.visibility();
    visible[Tset] = false;
    view_.SetVisibility(visible);
    EXPECT_NE(view_.image().pixel(x, tsetY), graph1);
    EXPECT_EQ(view_.image(), FreshPicture());
    EXPECT_EQ(view_.readout()[1 + Tset], "");
    EXPECT_EQ(view_.readout()[0], " t = 0.0 s ");
    EXPECT_EQ(view_.readout()[1 + Tget], " Tget = 100.0°C ");
}

TEST_F(GraphViewTest, AutoScrollJumpsOnlyWhenTheNewestSampleLeavesTheView) {
    AppendWave(PlotWidth);  // the last one is sample W - 1 + pos
    EXPECT_EQ(view_.pos(), 0);
    AppendWave(1);
    EXPECT_EQ(view_.pos(), 100);
    EXPECT_EQ(view_.image(), FreshPicture());
    AppendWave(99);
    EXPECT_EQ(view_.pos(), 100);

    view_.SetAutoScroll(false);
    AppendWave(50);
    EXPECT_EQ(view_.pos(), 100);
}

TEST_F(GraphViewTest, FreezeStoresWithoutDrawingAndThawingShowsEverySample) {
    AppendWave(100);
    view_.SetFreeze(true);
    const QImage frozen = view_.image().copy();
    AppendWave(800);  // past the right edge, too
    EXPECT_EQ(view_.image(), frozen);
    EXPECT_EQ(view_.pos(), 0);
    EXPECT_EQ(store_->count(), 900);

    view_.SetFreeze(false);
    EXPECT_NE(view_.image(), frozen);
    EXPECT_EQ(view_.image(), FreshPicture());

    // Simulated samples are drawn while frozen.
    store_->Clear();
    view_.SetPos(0);
    view_.RepaintAll();
    view_.SetFreeze(true);
    AppendWave(10, false);
    EXPECT_EQ(view_.image(), FreshPicture());
}

TEST_F(GraphViewTest, LeftPressesSwitchTheCursorOnAtTheClampedColumn) {
    QSignalSpy switchedOn(&view_, &TGraphView::cursorSwitchedOn);
    Press(10, Qt::RightButton);
    EXPECT_FALSE(view_.cursorOn());
    EXPECT_EQ(switchedOn.count(), 0);

    Press(10);
    EXPECT_TRUE(view_.cursorOn());
    EXPECT_EQ(view_.cursorColumn(), 0);
    EXPECT_EQ(switchedOn.count(), 1);
    Press(BoxWidth - 1);
    EXPECT_EQ(view_.cursorColumn(), PlotWidth - 1);
    EXPECT_EQ(switchedOn.count(), 1);
    Press(154);
    EXPECT_EQ(view_.cursorColumn(), 100);
    EXPECT_EQ(view_.image(), FreshPicture());
}

TEST_F(GraphViewTest, DraggingPastTheEdgesScrollsWithAutoScrollOnly) {
    view_.SetPos(500);
    Press(300);
    DragTo(BoxWidth - 24 + 10);
    EXPECT_EQ(view_.pos(), 510);
    EXPECT_EQ(view_.cursorColumn(), PlotWidth - 1);
    DragTo(44);
    EXPECT_EQ(view_.pos(), 500);
    EXPECT_EQ(view_.cursorColumn(), 0);
    EXPECT_EQ(view_.cursorSample(), 500);
    EXPECT_EQ(view_.image(), FreshPicture());

    view_.SetAutoScroll(false);
    DragTo(BoxWidth);
    DragTo(0);
    EXPECT_EQ(view_.pos(), 500);
}

TEST_F(GraphViewTest, ReadoutFollowsTheCursorAndReachesTheStatusBar) {
    AppendWave(10);
    QSignalSpy changed(&view_, &TGraphView::readoutChanged);
    view_.SetCursorColumn(5);
    EXPECT_EQ(changed.count(), 0);  // cursor still off: nothing to read
    view_.SetCursor(true);
    ASSERT_EQ(changed.count(), 1);
    const QStringList texts = changed.last().at(0).toStringList();
    ASSERT_EQ(texts.size(), 10);
    EXPECT_EQ(texts[0], " t = 0.5 s ");
    EXPECT_EQ(texts[1 + Tset], QString::fromStdString(view_.readout()[1 + Tset]));
    EXPECT_FALSE(texts[1 + Tset].isEmpty());
    EXPECT_EQ(texts[1 + PllErr], "");  // hidden on a first run

    // Right of the last sample nothing was recorded: nothing to read.
    view_.SetCursorColumn(50);
    for (const QString& text : changed.last().at(0).toStringList()) EXPECT_EQ(text, "");
    view_.SetCursorColumn(5);
    view_.SetCursor(false);
    for (const QString& text : changed.last().at(0).toStringList()) EXPECT_EQ(text, "");
}

TEST_F(GraphViewTest, OnAnEmptyLogTheReadoutStaysBlankUntilASampleLandsUnderTheCursor) {
    view_.SetCursorColumn(2);
    view_.SetCursor(true);
    for (const std::string& text : view_.readout()) EXPECT_EQ(text, "");
    AppendWave(2);  // samples 0 and 1: the cursor on sample 2 still reads nothing
    for (const std::string& text : view_.readout()) EXPECT_EQ(text, "");
    AppendWave(1);
    EXPECT_EQ(view_.readout(), graph::ReadoutTexts(true, 2, 100, view_.visibility(), Wave(2)));
}

}  // namespace
