// The poll tick's own cost with and without the recording journal: a simulated recording fills
// the whole store, one tick per iteration, while the journal's thread writes and flushes the
// rows beside it. The journal must not show in the tick: the tick only hands a row over.
//
//     bench_journal --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>

#include "core/Appcore.h"
#include "core/Panelmodel.h"

namespace {

constexpr int PeriodMs = 20;

/// A fresh folder for the journal, removed at the end.
class BenchFolder {
  public:
    BenchFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tavolin-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data())) path_ = pattern;
    }
    ~BenchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

void BM_TickFullStore(benchmark::State& state) {
    const bool journaled = state.range(0) != 0;
    BenchFolder folder;
    PanelModel panel;
    NullMainView view;
    auto core = std::make_unique<AppCore>(panel, view);
    core->connection().Disconnect();
    Acquisition& loop = core->acquisition();
    loop.options().autoConnect = false;
    loop.options().simulate = true;
    if (journaled) {
        core->journal().Keep(std::make_unique<JournalWriter>(folder.path() / "recording.dat"));
        datafile::TraceVisibility all;
        all.fill(true);
        core->journal().SetLayout(core->store(), all, PeriodMs);
    }
    loop.Start();
    for (auto _ : state) {
        if (core->store().count() == TraceCapacity) {
            state.PauseTiming();
            loop.Stop();
            loop.Start();  // New: a fresh log, a fresh journal
            state.ResumeTiming();
        }
        loop.Tick();
    }
    if (journaled) {
        core->journal().writer()->Flush();
        state.counters["rows_on_disk"] = core->journal().writer()->rowsOnDisk();
    }
}

// One iteration per sample of a full store.
BENCHMARK(BM_TickFullStore)->Arg(0)->Arg(1)->ArgName("journal")->Iterations(TraceCapacity - 1);

}  // namespace

BENCHMARK_MAIN();
