// Real spacing of the recorded samples: the poll loop as shipped (start to start) against the
// old timer restarted after each tick, with both station models on a line paced at 19200
// baud. The target is a mean spacing within 1 % of the sample period.
//
//     bench_spacing [--spacing_samples=N] [Google Benchmark flags]
#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "bench/spacing/Spacing.h"
#include "traces/Floatformat.h"

namespace {

constexpr int DefaultSamples = 500;
constexpr const char* SamplesFlag = "--spacing_samples=";

struct Row {
    SpacingCase c;
    SpacingFigures f;
};

std::vector<Row>& Rows() {
    static std::vector<Row> rows;
    return rows;
}

const char* SchedulingName(Scheduling s) {
    return s == Scheduling::StartToStart ? "start-to-start" : "restart-after-tick";
}

void BM_Spacing(benchmark::State& state, SpacingCase c, int samples) {
    for (auto _ : state) {
        try {
            const SpacingFigures f = MeasureSpacing(c, samples);
            state.SetIterationTime(f.seconds);
            state.counters["mean_ms"] = f.meanMs;
            state.counters["dev_pct"] = f.deviationPct;
            state.counters["sd_ms"] = f.sdMs;
            state.counters["max_ms"] = f.maxMs;
            state.counters["drift_ms"] = f.driftMs;
            state.counters["samples"] = f.samples;
            Rows().push_back({c, f});
        } catch (const std::exception& e) {
            state.SkipWithError(e.what());
        }
    }
}

/// Takes --spacing_samples=N out of the arguments; Google Benchmark refuses flags it does not
/// know.
int TakeSamples(int& argc, char** argv) {
    int samples = DefaultSamples;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::size_t flagLength = std::strlen(SamplesFlag);
        if (std::strncmp(argv[i], SamplesFlag, flagLength) != 0) {
            argv[kept++] = argv[i];
            continue;
        }
        const char* text = argv[i] + flagLength;
        const char* end = text + std::strlen(text);
        if (std::from_chars(text, end, samples).ptr != end || samples < 2) {
            std::fprintf(stderr, "%s needs a number of samples, 2 or more\n", SamplesFlag);
            std::exit(2);
        }
    }
    argc = kept;
    return samples;
}

void PrintMarkdown(const std::string& command) {
    std::printf(
        "\n| model | period ms | scheduling | journal | samples | mean spacing ms | deviation %% "
        "| sd ms | min ms | max ms | max drift ms |\n"
        "|---|---|---|---|---|---|---|---|---|---|---|\n");
    for (const Row& r : Rows()) {
        std::printf("| %s | %d | %s | %s | %d | %s | %s | %s | %s | %s | %s |\n", r.c.model.c_str(),
                    r.c.periodMs, SchedulingName(r.c.scheduling), r.c.journal ? "yes" : "no",
                    r.f.samples, floatformat::FormatDecimals(r.f.meanMs, 3).c_str(),
                    floatformat::FormatDecimals(r.f.deviationPct, 3).c_str(),
                    floatformat::FormatDecimals(r.f.sdMs, 3).c_str(),
                    floatformat::FormatDecimals(r.f.minMs, 2).c_str(),
                    floatformat::FormatDecimals(r.f.maxMs, 2).c_str(),
                    floatformat::FormatDecimals(r.f.driftMs, 2).c_str());
    }
    std::printf("\nCommand: %s\n", command.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    std::string command;
    for (int i = 0; i < argc; ++i) command += (i ? " " : "") + std::string(argv[i]);
    const int samples = TakeSamples(argc, argv);

    const SpacingCase cases[] = {
        {"KRF-51", 100, Scheduling::StartToStart},
        {"KRT-51", 100, Scheduling::StartToStart},
        {"KRT-51", 40, Scheduling::StartToStart},
        {"KRF-51", 100, Scheduling::RestartAfterTick},
        {"KRT-51", 100, Scheduling::RestartAfterTick},
        {"KRT-51", 40, Scheduling::RestartAfterTick},
        {"KRT-51", 20, Scheduling::StartToStart, false},
        {"KRT-51", 20, Scheduling::StartToStart, true},
    };
    for (const SpacingCase& c : cases) {
        const std::string name = "Spacing/" + c.model + "/" + std::to_string(c.periodMs) + "ms/" +
                                 SchedulingName(c.scheduling) + (c.journal ? "/journal" : "");
        benchmark::RegisterBenchmark(name.c_str(), BM_Spacing, c, samples)
            ->Iterations(1)
            ->UseManualTime()
            ->Unit(benchmark::kSecond);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    PrintMarkdown(command);
    return 0;
}
