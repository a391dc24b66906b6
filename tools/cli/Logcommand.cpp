#include "tools/cli/Logcommand.h"

#include <charconv>

#include "tools/cli/Cli.h"
#include "tools/cli/Clicore.h"
#include "tools/cli/Recordloop.h"
#include "files/Datafile.h"

namespace {

// The sample periods the window offers.
constexpr int MinPeriodMs = 20;
constexpr int MaxPeriodMs = 500;
constexpr int DefaultPeriodMs = 100;

struct LogOptions {
    std::string out;
    RecordPlan plan;
};

int IntegerIn(const std::string& option, const std::string& text, int low, int high) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || value < low || value > high) {
        throw CliUsageError(option + " needs a whole number from " + std::to_string(low) + " to " +
                            std::to_string(high));
    }
    return value;
}

LogOptions ParseLogOptions(const std::vector<std::string>& args) {
    LogOptions options;
    options.plan.period = std::chrono::milliseconds(DefaultPeriodMs);
    for (std::size_t i = 0; i < args.size(); i += 2) {
        const std::string& option = args[i];
        if (option != "--out" && option != "--samples" && option != "--period")
            throw CliUsageError("unexpected argument " + option);
        if (i + 1 == args.size()) throw CliUsageError(option + " needs a value");
        const std::string& value = args[i + 1];
        if (option == "--out") {
            options.out = value;
        } else if (option == "--samples") {
            options.plan.samples = IntegerIn(option, value, 1, TraceCapacity);
        } else {
            options.plan.period =
                std::chrono::milliseconds(IntegerIn(option, value, MinPeriodMs, MaxPeriodMs));
        }
    }
    if (options.out.empty()) throw CliUsageError("log needs --out FILE");
    return options;
}

}  // namespace

int RunLog(CliContext& context) {
    const LogOptions options = ParseLogOptions(context.args);
    // Held from before the connect, so that an early Ctrl+C still leaves a (short) file.
    StopSignals stop;
    CliCore cli(AutoRead::Off);
    cli.Connect(context.port);
    AppCore& core = cli.core();
    RecordLog(core, options.plan, stop);

    datafile::TraceVisibility everyTrace;
    everyTrace.fill(true);
    const auto periodMs = static_cast<int>(options.plan.period.count());
    const auto saved = datafile::SaveDataFile(options.out, core.store(), everyTrace, periodMs);
    if (!saved.ok) {
        context.err << saved.message << '\n';
        return ExitFailure;
    }
    context.out << "samples=" << core.store().count() << '\n';
    return ExitOk;
}
