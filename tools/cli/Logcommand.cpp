#include "tools/cli/Logcommand.h"

#include <charconv>
#include <ctime>
#include <filesystem>
#include <memory>

#include "files/Datafile.h"
#include "files/Journalfiles.h"
#include "files/Journalwriter.h"
#include "files/Sampleperiod.h"
#include "tools/cli/Cli.h"
#include "tools/cli/Clicore.h"
#include "tools/cli/Recordloop.h"
#include "core/Periodnotice.h"

namespace {

// The sample periods the window offers.
constexpr int MinPeriodMs = sampleperiod::MinMs;
constexpr int MaxPeriodMs = sampleperiod::MaxMs;
constexpr int DefaultPeriodMs = sampleperiod::DefaultMs;

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

/// A journal left by a recording that never ended is moved out of the way, not overwritten.
void KeepOldJournal(const std::filesystem::path& part, std::ostream& err) {
    std::error_code ec;
    if (!std::filesystem::exists(std::filesystem::symlink_status(part, ec))) return;
    const auto kept = journal::MoveAside(part, part.stem().string(), std::time(nullptr));
    err << part.string() << " was left by a recording that did not end; kept as " << kept.string()
        << '\n';
}

}  // namespace

int RunLog(CliContext& context) {
    const LogOptions options = ParseLogOptions(context.args);
    // Held from before the connect, so that an early Ctrl+C still leaves a (short) file.
    StopSignals stop;
    CliCore cli(AutoRead::Off);
    cli.Connect(context.port);
    AppCore& core = cli.core();

    datafile::TraceVisibility everyTrace;
    everyTrace.fill(true);
    const auto periodMs = static_cast<int>(options.plan.period.count());
    const std::filesystem::path part = options.out + ".part";
    KeepOldJournal(part, context.err);
    JournalKeeper& journal = core.journal();
    journal.Keep(std::make_unique<JournalWriter>(part));
    journal.SetLayout(core.store(), everyTrace, periodMs);
    const auto reportJournal = [&] {
        // The journal stands for the period the log does: the achieved one if it is not kept.
        journal.SetLayout(core.store(), everyTrace, core.acquisition().recordPeriodMs());
        if (const auto error = journal.TakeError()) context.err << *error << '\n';
    };
    RecordPlan plan = options.plan;
    plan.afterTick = reportJournal;
    RecordLog(core, plan, stop);
    journal.writer()->Flush();
    reportJournal();

    // The achieved spacing when the line could not keep the period asked for.
    const Acquisition& acquisition = core.acquisition();
    const auto saved =
        datafile::SaveDataFile(options.out, core.store(), everyTrace, acquisition.recordPeriodMs());
    if (!saved.ok) {
        // The journal stays: it holds the samples the data file could not.
        context.err << saved.message << '\n';
        return ExitFailure;
    }
    journal.Discard();
    journal.writer()->Flush();
    context.out << "samples=" << core.store().count() << '\n';
    // Key=value like the rest: the period the file was saved with, and why.
    if (!acquisition.spacing().kept()) {
        const PeriodNotice notice = NoticeOf(acquisition, core.connection().kind());
        context.out << "period_ms=" << acquisition.recordPeriodMs() << " (" << notice.text << ", "
                    << notice.cause << ")\n";
    }
    for (const auto& [key, value] : HealthFields(core.TotalHealth()))
        context.out << key << '=' << value << '\n';
    return ExitOk;
}
