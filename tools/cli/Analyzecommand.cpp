#include "tools/cli/Analyzecommand.h"

#include <charconv>
#include <cmath>
#include <memory>

#include "files/Datafile.h"
#include "tools/cli/Cli.h"
#include "traces/Stepresponse.h"

namespace {

// A file of a single row has no second time to read the period from.
constexpr int DefaultPeriodMs = 100;
constexpr double MsPerSecond = 1000.0;
// Times given in seconds land on a sample despite rounding in their decimal text.
constexpr double IndexTolerance = 1e-6;

struct AnalyzeOptions {
    std::string file;
    std::optional<double> fromS;
    std::optional<double> toS;
    stepresponse::Options figures;
};

double NumberOf(const std::string& option, const std::string& text) {
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || !std::isfinite(value))
        throw CliUsageError(option + " needs a number");
    return value;
}

AnalyzeOptions ParseAnalyzeOptions(const std::vector<std::string>& args) {
    AnalyzeOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.rfind("--", 0) != 0) {
            if (!options.file.empty()) throw CliUsageError("unexpected argument " + arg);
            options.file = arg;
            continue;
        }
        if (arg != "--from" && arg != "--to" && arg != "--trace" && arg != "--band")
            throw CliUsageError("unexpected argument " + arg);
        if (++i == args.size()) throw CliUsageError(arg + " needs a value");
        const std::string& value = args[i];
        if (arg == "--from") {
            options.fromS = NumberOf(arg, value);
        } else if (arg == "--to") {
            options.toS = NumberOf(arg, value);
        } else if (arg == "--band") {
            const double band = NumberOf(arg, value);
            if (band <= 0) throw CliUsageError("--band needs a number above 0");
            options.figures.band = band;
        } else if (value == "Tget" || value == "Vget") {
            options.figures.response =
                value == "Tget" ? stepresponse::Response::Tget : stepresponse::Response::Vget;
        } else {
            throw CliUsageError("--trace needs Tget or Vget");
        }
    }
    if (options.file.empty()) throw CliUsageError("analyze needs a FILE");
    if (options.fromS && options.toS && *options.fromS > *options.toS)
        throw CliUsageError("--from lies after --to");
    return options;
}

/// The first sample at or after `seconds`.
int FirstIndexFrom(double seconds, int periodMs) {
    return static_cast<int>(std::ceil(seconds * MsPerSecond / periodMs - IndexTolerance));
}

/// The last sample at or before `seconds`.
int LastIndexTo(double seconds, int periodMs) {
    return static_cast<int>(std::floor(seconds * MsPerSecond / periodMs + IndexTolerance));
}

}  // namespace

int RunAnalyze(CliContext& context) {
    const AnalyzeOptions options = ParseAnalyzeOptions(context.args);
    const datafile::LoadedFile loaded = datafile::LoadDataFile(options.file);
    if (!loaded.result.ok) {
        context.err << loaded.result.message << '\n';
        return ExitFailure;
    }
    const TraceStore& store = *loaded.store;
    const datafile::TraceVisibility& visible = loaded.visible;
    const bool fan = options.figures.response == stepresponse::Response::Vget;
    const int setTrace = fan ? Vset : Tset;
    const int getTrace = fan ? Vget : Tget;
    if (!visible[setTrace] || !visible[getTrace] || !visible[Power]) {
        context.err << "tavolin-cli: " << options.file << " holds no " << TraceKeys[setTrace]
                    << ", " << TraceKeys[getTrace] << " and " << TraceKeys[Power] << " columns\n";
        return ExitFailure;
    }
    const int last = store.count() - 1;
    const int periodMs = loaded.result.samplePeriodMs.value_or(DefaultPeriodMs);
    const int from = options.fromS ? FirstIndexFrom(*options.fromS, periodMs) : 0;
    const int to = options.toS ? LastIndexTo(*options.toS, periodMs) : last;
    if (last < 0 || from > last || to < 0 || from > to) {
        context.err << "tavolin-cli: no samples of " << options.file << " lie in that span\n";
        return ExitFailure;
    }
    const stepresponse::Figures figures =
        stepresponse::Analyze(store, from, to, periodMs, options.figures);
    context.out << stepresponse::FormatFigures(figures);
    return ExitOk;
}
