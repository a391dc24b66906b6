// The chart on a screen of two device pixels per logical pixel: lines stay one logical pixel
// wide, the geometry is the 1:1 one scaled, labels are drawn at full resolution.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>

#include <cmath>
#include <memory>

#include "Overlayscene.h"
#include "traces/Graphgeometry.h"
#include "ui/Graphpaint.h"
#include "ui/Graphview.h"

namespace {

constexpr int BoxWidth = 866;
constexpr int BoxHeight = 418;
constexpr int Ratio = 2;

TraceSample Wave(int i) {
    const int x = static_cast<int>(std::sin(i * 0.05) * 300 + 300);
    return {x + 200, x + 300, x + 250, x + 100, x + 1500, x + 2000, x + 200, x + 300, x + 9700};
}

class GraphHiDpiTest : public ::testing::Test {
  protected:
    GraphHiDpiTest() {
        view_.resize(BoxWidth, BoxHeight);
        view_.RepaintAll();
    }

    void Append(int n) {
        for (int i = 0; i < n; ++i) {
            ASSERT_TRUE(store_->Append(Wave(store_->count())));
            view_.DrawSamples(store_->count() - 1, store_->count() - 1);
            view_.AutoScrollAfterAppend(store_->count());
        }
    }

    // The view's scene drawn by the same painter at one device pixel per logical pixel.
    QImage OneToOne() const {
        const QSize box = view_.size();
        QImage image = graphpaint::ChartImage(box, 1.0);
        const graph::Plot plot = view_.plot();
        graphpaint::PaintFrame(image, box, view_.pos(), view_.factor(), view_.samplePeriodMs(),
                               view_.colours());
        graphpaint::PaintColumns(
            image, *store_, plot, view_.pos(), view_.factor(),
            graph::ColumnsOf(0, store_->count() - 1, view_.pos(), plot.width, view_.factor()),
            view_.visibility(), view_.colours());
        if (view_.cursorOn())
            graphpaint::XorCursor(image, plot, view_.cursorColumn(), view_.colours());
        return image;
    }

    // The plot with its ticks: every pixel there is a line, a column or background, no text.
    QRect PlotArea() const {
        const graph::Plot plot = view_.plot();
        return QRect(
            QPoint(graph::PlotLeft - graph::TickLength, graph::PlotTop),
            QPoint(graph::ColumnX(plot.width), graph::BaselineY(plot) + graph::TickLength));
    }

    // Pixels of `area` where the HiDPI image differs from `small` blown up two by two.
    int DifferencesFromScaled(const QImage& small, QRect area) const {
        const QImage& large = view_.image();
        int differences = 0;
        for (int y = area.top() * Ratio; y < (area.bottom() + 1) * Ratio; ++y)
            for (int x = area.left() * Ratio; x < (area.right() + 1) * Ratio; ++x)
                if (large.pixel(x, y) != small.pixel(x / Ratio, y / Ratio)) ++differences;
        return differences;
    }

    void Press(int x) {
        QMouseEvent event(QEvent::MouseButtonPress, QPointF(x, 100), QPointF(x, 100),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&view_, &event);
    }

    std::unique_ptr<TraceStore> store_ = std::make_unique<TraceStore>();
    QScrollBar bar_;
    TGraphView view_{*store_, bar_};
};

TEST_F(GraphHiDpiTest, TheImageHasTheScreensDevicePixels) {
    ASSERT_EQ(view_.devicePixelRatioF(), Ratio) << "QT_SCALE_FACTOR=2 must reach the widget";
    EXPECT_EQ(view_.image().size(), QSize(BoxWidth * Ratio, BoxHeight * Ratio));
    EXPECT_EQ(view_.image().devicePixelRatio(), Ratio);
    // Everything else keeps logical pixels: the plot, the scroll range.
    EXPECT_EQ(view_.plot().width, BoxWidth - 78);
    EXPECT_EQ(bar_.maximum(), 18001 - (BoxWidth - 78));
}

TEST_F(GraphHiDpiTest, ARepaintIsTheOneToOneGeometryScaled) {
    struct Case {
        int zoom, samples, cursorColumn;
    };
    const Case cases[] = {{1, 600, 250}, {4, 3000, 30}, {graph::WholeLog, 18001, 700}};
    for (const Case& c : cases) {
        store_->Clear();
        for (int i = 0; i < c.samples; ++i) ASSERT_TRUE(store_->Append(Wave(i)));
        view_.SetZoom(c.zoom);
        view_.SetCursorColumn(c.cursorColumn);
        view_.SetCursor(true);
        view_.RepaintAll();
        EXPECT_EQ(DifferencesFromScaled(OneToOne(), PlotArea()), 0) << "zoom " << c.zoom;
    }
}

TEST_F(GraphHiDpiTest, LabelsAreDrawnAtFullResolution) {
    // The value labels left of the plot: a blown-up 1:1 rendering would consist of uniform
    // two-by-two blocks; glyphs drawn for the screen have edges inside them.
    const QRect labels(0, graph::PlotTop - 8, graph::InnerLabelRight + 1, view_.plot().height + 16);
    const QImage& image = view_.image();
    const QRgb background = graphpaint::ToQColor(view_.colours()[colours::Background]).rgb();
    int textPixels = 0;
    int splitBlocks = 0;
    for (int y = labels.top(); y <= labels.bottom(); ++y) {
        for (int x = labels.left(); x <= labels.right(); ++x) {
            const QRgb corner = image.pixel(x * Ratio, y * Ratio);
            if (corner != background) ++textPixels;
            if (image.pixel(x * Ratio + 1, y * Ratio) != corner ||
                image.pixel(x * Ratio, y * Ratio + 1) != corner ||
                image.pixel(x * Ratio + 1, y * Ratio + 1) != corner)
                ++splitBlocks;
        }
    }
    EXPECT_GT(textPixels, 100);
    EXPECT_GT(splitBlocks, 100);
}

TEST_F(GraphHiDpiTest, LiveColumnsAndTheCursorMatchAFullRepaintAndReachTheScreen) {
    view_.SetZoom(4);
    view_.SetCursorColumn(120);
    view_.SetCursor(true);
    Append(900);
    const QImage live = view_.image().copy();
    view_.RepaintAll();
    EXPECT_EQ(live, view_.image());

    // A click at logical x puts the cursor on column x - 54; toggling twice restores it all.
    Press(254);
    EXPECT_EQ(view_.cursorColumn(), 200);
    EXPECT_EQ(view_.cursorSample(), 800);
    const QImage withCursor = view_.image().copy();
    view_.SetCursor(false);
    EXPECT_NE(view_.image(), withCursor);
    view_.SetCursor(true);
    EXPECT_EQ(view_.image(), withCursor);

    // The screen shows the image, device pixel for device pixel.
    const QImage shown = view_.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown.size(), view_.image().size());
    EXPECT_EQ(shown, view_.image());
}

// The overlays are drawn over the picture in logical pixels but must meet it device pixel
// for device pixel: B on both device columns of its column, the reference only on background
// device pixels, each where the chart shows the sample at every zoom.
TEST(GraphHiDpiOverlays, cursorBCoversTheDevicePixelsOfItsColumn) {
    OverlayScene scene;
    ASSERT_EQ(scene.view().devicePixelRatioF(), Ratio);
    overlaychecks::CursorBLandsOnTheColumnOfItsSample(scene);
}

TEST(GraphHiDpiOverlays, changeMarksHangOverTheDevicePixelsOfTheirColumns) {
    OverlayScene scene;
    ASSERT_EQ(scene.view().devicePixelRatioF(), Ratio);
    overlaychecks::ChangeMarksLandOnTheColumnsOfTheirSamples(scene);
}

TEST(GraphHiDpiOverlays, aReferenceRunReadsAndDrawsThePicturesDevicePixels) {
    OverlayScene scene;
    ASSERT_EQ(scene.view().devicePixelRatioF(), Ratio);
    overlaychecks::AReferenceRunIsDrawnAsTheChartDrawsIt(scene);
}

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
