// Save and load of a full log: 18001 samples of all nine traces.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "files/Datafile.h"

namespace {

constexpr datafile::TraceVisibility AllVisible = {true, true, true, true, true,
                                                  true, true, true, true};
constexpr int PeriodMs = 100;

/// Values of the station's own sizes: temperatures in tenths, rpm, PLL figures.
std::unique_ptr<TraceStore> FullStore() {
    auto store = std::make_unique<TraceStore>();
    std::mt19937 random(1);
    std::uniform_int_distribution<std::int32_t> value(-2000, 30000);
    for (int i = 0; i < TraceCapacity; ++i) {
        TraceSample sample{};
        for (auto& v : sample) v = value(random);
        store->Append(sample);
    }
    return store;
}

class TempFolder {
  public:
    TempFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tavolin-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data())) path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;  // nothing to do about a leftover temporary folder
        std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

void Format(benchmark::State& state) {
    const auto store = FullStore();
    size_t bytes = 0;
    for (auto _ : state) {
        std::string text = datafile::FormatDataFile(*store, AllVisible, PeriodMs);
        bytes = text.size();
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes * state.iterations()));
}

void Save(benchmark::State& state) {
    auto store = FullStore();
    TempFolder folder;
    const auto path = folder.path() / "full.dat";
    for (auto _ : state) {
        if (!datafile::SaveDataFile(path, *store, AllVisible, PeriodMs).ok)
            state.SkipWithError("save failed");
    }
    state.SetBytesProcessed(
        static_cast<int64_t>(std::filesystem::file_size(path) * state.iterations()));
}

void ParseRows(benchmark::State& state) {
    const auto original = FullStore();
    const datafile::DataFileText file =
        datafile::CheckHeader(datafile::FormatDataFile(*original, AllVisible, PeriodMs));
    auto store = std::make_unique<TraceStore>();
    for (auto _ : state) {
        if (!datafile::LoadRows(file, *store).ok) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(store->count());
    }
    state.SetBytesProcessed(static_cast<int64_t>(file.text.size() * state.iterations()));
}

void Load(benchmark::State& state) {
    auto original = FullStore();
    TempFolder folder;
    const auto path = folder.path() / "full.dat";
    datafile::SaveDataFile(path, *original, AllVisible, PeriodMs);
    auto store = std::make_unique<TraceStore>();
    for (auto _ : state) {
        const datafile::DataFileText file = datafile::ReadDataFile(path);
        if (!file.ok || !datafile::LoadRows(file, *store).ok) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(store->count());
    }
    state.SetBytesProcessed(
        static_cast<int64_t>(std::filesystem::file_size(path) * state.iterations()));
}

}  // namespace

BENCHMARK(Format)->Unit(benchmark::kMillisecond);
BENCHMARK(Save)->Unit(benchmark::kMillisecond);
BENCHMARK(ParseRows)->Unit(benchmark::kMillisecond);
BENCHMARK(Load)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
