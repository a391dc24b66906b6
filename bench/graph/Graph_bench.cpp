// Drawing cost of the strip chart: a full repaint of a large paint box, and the one column a
// new sample costs.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QScrollBar>

#include <cmath>
#include <memory>

#include "ui/Graphview.h"

namespace {

constexpr int BoxWidth = 1920;
constexpr int BoxHeight = 1080;
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

    explicit Scene(int pos) {
        view.resize(BoxWidth, BoxHeight);
        view.SetVisibility(AllTraces);
        view.RepaintAll();
        view.SetPos(pos);
        view.SetCursorColumn(view.plot().width / 2);
        view.SetCursor(true);
    }
};

void BM_FullRepaint(benchmark::State& state) {
    Scene scene(8000);
    for (auto _ : state) {
        scene.view.RepaintAll();
        benchmark::DoNotOptimize(scene.view.image().constBits());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FullRepaint)->Unit(benchmark::kMillisecond);

// One sample's column with nine traces, the two cursor passes and the readout.
void BM_LiveColumn(benchmark::State& state) {
    Scene scene(0);
    const int width = scene.view.plot().width;
    int column = 0;
    for (auto _ : state) {
        scene.view.DrawSamples(column, column);
        column = (column + 1) % width;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LiveColumn)->Unit(benchmark::kMicrosecond);

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
