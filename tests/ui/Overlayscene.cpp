#include "Overlayscene.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QToolTip>
#include <algorithm>
#include <cmath>

#include "traces/Graphgeometry.h"
#include "ui/Changemarksview.h"
#include "ui/Graphpaint.h"
#include "ui/Referenceview.h"

namespace {

// A wave through every trace's range, as the simulation makes it.
TraceSample Wave(int i) {
    const int x = static_cast<int>(std::sin(i * 0.05) * 300 + 300);
    return {x + 200, x + 300, x + 250, x + 100, x + 1500, x + 2000, x + 200, x + 300, x + 9700};
}

QRgb Pixel(colours::ColourValue colour) {
    return graphpaint::ToQColor(colour).rgb();
}

colours::ColourValue Tint(colours::ColourValue colour, colours::ColourValue background) {
    const colours::Rgb c = colours::ToRgb(colour);
    const colours::Rgb b = colours::ToRgb(background);
    return colours::FromRgb({(c.red + b.red) / 2, (c.green + b.green) / 2, (c.blue + b.blue) / 2});
}

int Physical(int v, qreal ratio) {
    return static_cast<int>(std::floor(v * ratio + 0.5));
}

}  // namespace

OverlayScene::OverlayScene() {
    for (int i = 0; i < Samples; ++i) EXPECT_TRUE(store_->Append(Wave(i)));
    view_.resize(BoxWidth, BoxHeight);
    // The window's order: the reference under the marks, cursor B (the view's own) first.
    auto reference = std::make_unique<TReferenceView>(view_.visibility(), view_.colours());
    reference_ = reference.get();
    view_.AddOverlay(std::move(reference));
    view_.AddOverlay(std::make_unique<TChangeMarksView>(log_, view_.colours()));
    view_.show();
    view_.RepaintAll();
}

OverlayScene::~OverlayScene() {
    QToolTip::hideText();
}

void OverlayScene::SetReference(std::unique_ptr<TraceStore> reference) {
    graph::Visibility inFile;
    inFile.fill(true);
    reference_->Set(std::move(reference), inFile);
    view_.RefreshOverlays();
}

void OverlayScene::Press(int x, bool shift) {
    const QPointF at(x, 100);
    QMouseEvent event(QEvent::MouseButtonPress, at, at, Qt::LeftButton, Qt::LeftButton,
                      shift ? Qt::ShiftModifier : Qt::NoModifier);
    QApplication::sendEvent(&view_, &event);
}

QImage OverlayScene::Shown() {
    return view_.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QString OverlayScene::ToolTipAt(QPoint at) {
    QHelpEvent event(QEvent::ToolTip, at, view_.mapToGlobal(at));
    QApplication::sendEvent(&view_, &event);
    // The view ignores the event where no overlay has a tip; a tip hidden before lingers a
    // moment, so its text says nothing then.
    return event.isAccepted() ? QToolTip::text() : QString();
}

std::pair<int, int> OverlayScene::DeviceColumns(int x, qreal ratio) {
    return {Physical(x, ratio), Physical(x + 1, ratio) - 1};
}

std::vector<int> OverlayScene::DifferingColumns(const QImage& shown, int top, int bottom) const {
    const QImage& picture = view_.image();
    const qreal ratio = picture.devicePixelRatio();
    std::vector<int> columns;
    for (int x = 0; x < picture.width(); ++x) {
        for (int y = Physical(top, ratio); y < Physical(bottom, ratio); ++y) {
            if (shown.pixel(x, y) != picture.pixel(x, y)) {
                columns.push_back(x);
                break;
            }
        }
    }
    return columns;
}

QImage OverlayScene::ReferenceUnder(const TraceStore& reference) const {
    const QImage& picture = view_.image();
    const colours::ColourSet& colours = view_.colours();
    colours::ColourSet tinted = colours;
    for (const colours::ColourSlot slot : colours::TraceSlots)
        tinted[slot] = Tint(colours[slot], colours[colours::Background]);
    const QRgb background = Pixel(colours[colours::Background]);

    QImage layer = graphpaint::ChartImage(view_.size(), picture.devicePixelRatio());
    layer.fill(background);
    const graph::Plot plot = view_.plot();
    graphpaint::PaintColumns(
        layer, reference, plot, view_.pos(), view_.factor(),
        graph::ColumnsOf(0, reference.count() - 1, view_.pos(), plot.width, view_.factor()),
        view_.visibility(), tinted);
    QImage expected = picture.copy();
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x)
            if (picture.pixel(x, y) == background && layer.pixel(x, y) != background)
                expected.setPixel(x, y, layer.pixel(x, y));
    return expected;
}

namespace overlaychecks {
namespace {

struct ZoomCase {
    int zoom;
    int pos;  // asked for; the whole log stays at 0
};
// 3000 samples fit the 788 columns of the whole log at four samples a column.
constexpr ZoomCase Zooms[] = {{1, 1000}, {4, 1000}, {graph::WholeLog, 0}};

void ShowAt(OverlayScene& scene, const ZoomCase& c) {
    TGraphView& view = scene.view();
    view.SetZoom(c.zoom);
    view.SetPos(c.pos);
    view.RepaintAll();
    ASSERT_EQ(view.pos(), c.pos);
}

}  // namespace

void CursorBLandsOnTheColumnOfItsSample(OverlayScene& scene) {
    TGraphView& view = scene.view();
    const qreal ratio = view.devicePixelRatioF();
    const int plotHeight = view.plot().height;
    // The rows below B's label: only its dashed line differs there.
    const int top = graph::PlotTop + 20;
    const int bottom = graph::PlotTop + plotHeight;
    for (const ZoomCase& c : Zooms) {
        SCOPED_TRACE(testing::Message() << "zoom " << c.zoom);
        ShowAt(scene, c);
        for (const int column : {0, 203, 787}) {
            const int x = graph::ColumnX(column);
            scene.Press(x, true);
            scene.Press(x, false);
            ASSERT_TRUE(view.cursorBSample());
            EXPECT_EQ(*view.cursorBSample(), view.cursorSample()) << "at column " << column;
            view.SetCursor(false);
            const auto [first, last] = OverlayScene::DeviceColumns(x, ratio);
            std::vector<int> expected;
            for (int d = first; d <= last; ++d) expected.push_back(d);
            EXPECT_EQ(scene.DifferingColumns(scene.Shown(), top, bottom), expected)
                << "B at sample " << *view.cursorBSample() << ", column " << column;
        }
        // A sample inside a column, set by the window: B stands in the column showing it.
        view.SetCursorB(c.pos + 603);
        const int column = graph::ColumnOfSample(c.pos + 603, c.pos, view.factor());
        const auto [first, last] = OverlayScene::DeviceColumns(graph::ColumnX(column), ratio);
        const std::vector<int> differing = scene.DifferingColumns(scene.Shown(), top, bottom);
        ASSERT_FALSE(differing.empty()) << "B not drawn in column " << column;
        EXPECT_EQ(differing.front(), first);
        EXPECT_EQ(differing.back(), last);
        view.SetCursorB(std::nullopt);
    }
}

void ChangeMarksLandOnTheColumnsOfTheirSamples(OverlayScene& scene) {
    TGraphView& view = scene.view();
    const qreal ratio = view.devicePixelRatioF();
    // Two changes a couple of samples apart, and one further on.
    scene.log().Record(1200, "Tset 250.0 \u2192 300.0 \u00b0C");
    scene.log().Record(1202, "Heater PID: Kp 40 \u2192 45");
    scene.log().Record(1600, "P_lim 100.0 \u2192 80.0 %");
    const int halfWidth = TChangeMarksView::HalfWidth;
    for (const ZoomCase& c : Zooms) {
        SCOPED_TRACE(testing::Message() << "zoom " << c.zoom);
        ShowAt(scene, c);
        const int factor = view.factor();
        const int first = graph::ColumnOfSample(1200, c.pos, factor);
        const int second = graph::ColumnOfSample(1202, c.pos, factor);
        const int third = graph::ColumnOfSample(1600, c.pos, factor);
        const int y = graph::PlotTop + 2;
        const QString tset = QStringLiteral("Tset 250.0 \u2192 300.0 \u00b0C");
        const QString kp = QStringLiteral("Heater PID: Kp 40 \u2192 45");
        // At 1:1 the left edge of the first mark is clear of the second; zoomed out, the two
        // share a column and so a mark and a tip.
        EXPECT_EQ(scene.ToolTipAt({graph::ColumnX(first) - halfWidth, y}),
                  first == second ? tset + '\n' + kp : tset);
        EXPECT_EQ(scene.ToolTipAt({graph::ColumnX(second), y}), tset + '\n' + kp);
        EXPECT_EQ(scene.ToolTipAt({graph::ColumnX(third) + halfWidth, y}),
                  QStringLiteral("P_lim 100.0 \u2192 80.0 %"));
        EXPECT_EQ(scene.ToolTipAt({graph::ColumnX(third) + halfWidth + 1, y}), QString());
        EXPECT_EQ(scene.ToolTipAt({graph::ColumnX((first + third) / 2), y}), QString());

        // Drawn there and nowhere else: the top of each mark spans its column +- HalfWidth.
        const std::vector<int> differing =
            scene.DifferingColumns(scene.Shown(), graph::PlotTop + 1, graph::PlotTop + 3);
        ASSERT_FALSE(differing.empty());
        const int columns[] = {first, second, third};
        for (const int column : columns) {
            const int centre = OverlayScene::DeviceColumns(graph::ColumnX(column), ratio).first;
            EXPECT_TRUE(std::binary_search(differing.begin(), differing.end(), centre))
                << "no mark over column " << column;
        }
        std::vector<int> strays;
        for (const int d : differing) {
            const bool nearMark =
                std::any_of(std::begin(columns), std::end(columns), [&](int column) {
                    const int x = graph::ColumnX(column);
                    return d >= OverlayScene::DeviceColumns(x - halfWidth - 1, ratio).first &&
                           d <= OverlayScene::DeviceColumns(x + halfWidth + 1, ratio).second;
                });
            if (!nearMark) strays.push_back(d);
        }
        EXPECT_EQ(strays, std::vector<int>()) << "device columns of marks over no event";
    }
    scene.log().Clear();
}

void AReferenceRunIsDrawnAsTheChartDrawsIt(OverlayScene& scene) {
    // Yesterday's run: a slower wave with a one-sample spike every 97 samples, which the
    // zoomed-out chart keeps in its column.
    auto reference = std::make_unique<TraceStore>();
    for (int i = 0; i < 2500; ++i) {
        const int x = static_cast<int>(std::cos(i * 0.013) * 900 + 1500);
        ASSERT_TRUE(
            reference->Append({x, x + 400, 250, i % 97 == 0 ? 900 : 300, 4000, 3500, 120, 5, 100}));
    }
    const TraceStore& stored = *reference;
    scene.SetReference(std::move(reference));
    for (const ZoomCase& c : Zooms) {
        SCOPED_TRACE(testing::Message() << "zoom " << c.zoom);
        ShowAt(scene, c);
        const QImage expected = scene.ReferenceUnder(stored);
        EXPECT_NE(expected, scene.view().image()) << "the reference must show";
        const QImage shown = scene.Shown();
        ASSERT_EQ(shown.size(), expected.size());
        int differing = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                differing += shown.pixel(x, y) != expected.pixel(x, y);
        EXPECT_EQ(differing, 0) << "device pixels off the reference's picture";
    }
    scene.SetReference(nullptr);
}

}  // namespace overlaychecks
