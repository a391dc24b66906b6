// Drawing cost of the strip chart: a full repaint of a large paint box beside a plain QPainter
// chart of the same size and data, the one column a new sample costs, and the whole log.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPainter>
#include <QPolygon>
#include <QScrollBar>

#include <cmath>
#include <memory>
#include <vector>

#include "ui/Graphpaint.h"
#include "ui/Graphview.h"

namespace {

constexpr int BoxWidth = 1920;
constexpr int BoxHeight = 1080;
constexpr int ViewPos = 8000;
constexpr graph::Visibility AllTraces = {true, true, true, true, true, true, true, true, true};

// A full store of waves that sweep every trace across its scale.
std::unique_ptr<TraceStore> FullStore() {
    auto store = std::make_unique<TraceStore>();
    for (int i = 0; i < TraceCapacity; ++i) {
        const int x = static_cast<int>(std::sin(i * 0.05) * 2500 + 2500);
        store->Append(
            {x, 5000 - x, x / 2, x / 5, x * 2, 10000 - x * 2, x / 10, x - 1000, x + 7500});
    }
    return store;
}

struct Scene {
    std::unique_ptr<TraceStore> store = FullStore();
    QScrollBar bar;
    TGraphView view{*store, bar};

    Scene(int pos, int zoom, QSize box = {BoxWidth, BoxHeight}) {
        view.resize(box);
        view.SetVisibility(AllTraces);
        view.SetZoom(zoom);
        view.RepaintAll();
        view.SetPos(pos);
        view.SetCursorColumn(view.plot().width / 2);
        view.SetCursor(true);
    }
};

void BM_FullRepaint(benchmark::State& state) {
    Scene scene(ViewPos, 1);
    for (auto _ : state) {
        scene.view.RepaintAll();
        benchmark::DoNotOptimize(scene.view.image().constBits());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FullRepaint)->Unit(benchmark::kMillisecond);

// What a chart drawn the plain way costs for the same picture: fill, borders and grid lines,
// the same labels, and one drawPolyline a trace through the samples in view.
void PaintPlainChart(QImage& image, const TraceStore& store, int pos,
                     const colours::ColourSet& colours, std::vector<QPolygon>& lines) {
    const graph::Plot plot = graph::PlotOf(image.width(), image.height());
    QPainter painter(&image);
    painter.fillRect(image.rect(), graphpaint::ToQColor(colours[colours::Background]));
    QFont font = painter.font();
    font.setPointSize(8);
    painter.setFont(font);
    painter.setPen(graphpaint::ToQColor(colours[colours::Axis]));
    const auto line = [&painter](const graph::VLine& l) {
        painter.drawLine(l.x, l.top, l.x, l.bottom - 1);
    };
    line(graph::LeftBorder(plot));
    line(graph::RightBorder(plot));
    const auto timeMarks = graph::TimeGrid(plot, pos, 100);
    const auto valueMarks = graph::ValueGrid(plot);
    for (const graph::TimeMark& mark : timeMarks) line(mark.line);
    for (const graph::ValueMark& mark : valueMarks)
        painter.drawLine(mark.line.left, mark.line.y, mark.line.right - 1, mark.line.y);
    painter.setPen(graphpaint::ToQColor(colours[colours::Text]));
    const QFontMetrics metrics = painter.fontMetrics();
    const int top = graph::TimeLabelTop(plot) + metrics.ascent();
    for (const graph::TimeMark& mark : timeMarks) {
        const QString label = QString::fromStdString(mark.label);
        painter.drawText(mark.labelCentre - metrics.horizontalAdvance(label) / 2, top, label);
    }
    painter.drawText(graph::TimeUnitLeft(plot), top, QStringLiteral("s"));
    for (const graph::ValueMark& mark : valueMarks) {
        const int baseline = mark.line.y - metrics.height() / 2 + metrics.ascent();
        const QString inner = QString::fromStdString(mark.inner);
        const QString outer = QString::fromStdString(mark.outer);
        painter.drawText(graph::InnerLabelRight - metrics.horizontalAdvance(inner), baseline,
                         inner);
        painter.drawText(graph::OuterLabelRight - metrics.horizontalAdvance(outer), baseline,
                         outer);
    }
    painter.drawText(graph::CaptionLeft, graph::CaptionTop + metrics.ascent(),
                     QString::fromUtf8(graph::AxisCaption.data(),
                                       static_cast<qsizetype>(graph::AxisCaption.size())));
    const int columns = std::min(plot.width, store.count() - pos);
    for (int trace = 0; trace < TraceCount; ++trace) {
        QPolygon& polygon = lines[trace];
        polygon.resize(columns);
        for (int c = 0; c < columns; ++c) {
            polygon[c] =
                QPoint(graph::ColumnX(c),
                       graph::BaselineY(plot) -
                           graph::ValueHeight(trace, store.value(trace, pos + c), plot.height));
        }
        painter.setPen(graphpaint::ToQColor(colours[colours::TraceSlots[trace]]));
        painter.drawPolyline(polygon);
    }
}

void BM_PlainChartBaseline(benchmark::State& state) {
    const std::unique_ptr<TraceStore> store = FullStore();
    QImage image(BoxWidth, BoxHeight, QImage::Format_RGB32);
    std::vector<QPolygon> lines(TraceCount);
    for (auto _ : state) {
        PaintPlainChart(image, *store, ViewPos, colours::Defaults, lines);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PlainChartBaseline)->Unit(benchmark::kMillisecond);

// The whole full store in one picture: 10 samples a column at 1920 x 1080, 23 at the
// window's minimum size.
void BM_WholeLogRepaint(benchmark::State& state) {
    const QSize box(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    Scene scene(0, graph::WholeLog, box);
    for (auto _ : state) {
        scene.view.RepaintAll();
        benchmark::DoNotOptimize(scene.view.image().constBits());
    }
    state.counters["factor"] = scene.view.factor();
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WholeLogRepaint)
    ->Args({BoxWidth, BoxHeight})
    ->Args({866, 418})
    ->Unit(benchmark::kMillisecond);

// One sample's column with nine traces, the two cursor passes and the readout; at factor 4
// the column grows by one sample of four.
void BM_LiveColumn(benchmark::State& state) {
    const int zoom = static_cast<int>(state.range(0));
    Scene scene(0, zoom);
    const int samples = scene.view.plot().width * zoom;
    int sample = 0;
    for (auto _ : state) {
        scene.view.DrawSamples(sample, sample);
        sample = (sample + 1) % samples;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LiveColumn)->Arg(1)->Arg(4)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
