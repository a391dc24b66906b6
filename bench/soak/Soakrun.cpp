#include "bench/soak/Soakrun.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <sstream>
#include <thread>

#include "core/Panelmodel.h"
#include "core/Tickschedule.h"
#include "bench/soak/Soakview.h"

namespace soak {
namespace {

// How much of the planned ticks passes before the silence, and its length: a station that
// is gone for a few seconds of a short run.
constexpr int SilentStartDivisor = 2;
constexpr int SilentLengthDivisor = 50;
constexpr int MinSilentStart = 50;
constexpr int MinSilentLength = 10;
constexpr std::size_t MaxListed = 10;

std::string Number(double value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string Fixed2(double value) {
    char buffer[32];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
    return std::string(buffer, result.ptr);
}

double PerFault(int count, int faults) {
    return faults == 0 ? 0.0 : static_cast<double>(count) / faults;
}

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct LoopResult {
    int ticks = 0;
    std::vector<std::string> problems;
};

/// Ticks the core on the start-to-start schedule until the duration is over. A full store
/// is checked and emptied, so a run of any length keeps recording.
LoopResult RunLoop(AppCore& core, SoakView& view, const SoakOptions& options) {
    using Clock = TickSchedule::Clock;
    LoopResult result;
    std::size_t firstInStore = 0;
    TickSchedule schedule(options.period);
    const auto end = Clock::now() + options.duration;
    schedule.Start(Clock::now());
    while (schedule.next() < end) {
        std::this_thread::sleep_until(schedule.next());
        core.acquisition().Tick();
        ++result.ticks;
        if (view.state() != AcqState::Running) {
            result.problems.push_back("recording stopped at tick " + std::to_string(result.ticks));
            break;
        }
        if (core.store().count() == TraceCapacity) {
            if (auto differs = view.CompareStore(firstInStore))
                result.problems.push_back(std::move(*differs));
            firstInStore = view.samples().size();
            core.acquisition().New();
        }
        schedule.TickDone(Clock::now());
    }
    if (auto differs = view.CompareStore(firstInStore))
        result.problems.push_back(std::move(*differs));
    return result;
}

int SamplesAfterSilence(const std::vector<LogLine>& log,
                        const std::vector<RecordedSample>& samples) {
    const auto silent = std::find_if(log.rbegin(), log.rend(),
                                     [](const LogLine& l) { return l.entry.Has("SILENT"); });
    if (silent == log.rend()) return 0;
    return static_cast<int>(std::count_if(
        samples.begin(), samples.end(), [&](const auto& s) { return s.logBytes >= silent->end; }));
}

}  // namespace

SilentWindow SilentWindowFor(const SoakOptions& options) {
    const auto ticks = static_cast<int>(options.duration / options.period);
    const int first = std::max(MinSilentStart, ticks / SilentStartDivisor);
    return {first, first + std::max(MinSilentLength, ticks / SilentLengthDivisor) - 1};
}

std::vector<std::string> StationArguments(const SoakOptions& options, SilentWindow silent) {
    const FaultRates& f = options.faults;
    std::vector<std::string> args{
        "--seed",          std::to_string(options.seed),
        "--noise",         Number(f.noise),
        "--noise-long",    Number(f.noiseLong),
        "--bad-crc",       Number(f.badCrc),
        "--drop",          Number(f.drop),
        "--error-code",    std::to_string(f.errorCode),
        "--error-rate",    Number(f.errorRate),
        "--wrong-address", Number(f.wrongAddress),
        "--wrong-command", Number(f.wrongCommand),
        "--fend-noise",    Number(f.fendNoise),
        "--late",          Number(f.late),
        "--late-ms",       std::to_string(f.lateMs),
        "--silent",        std::to_string(silent.first) + "-" + std::to_string(silent.last)};
    if (options.wireBaud > 0)
        args.insert(args.end(), {"--wire-baud", std::to_string(options.wireBaud)});
    return args;
}

SoakReport RunSoak(const SoakOptions& options) {
    SoakReport report;
    report.options = options;
    report.silent = SilentWindowFor(options);
    StationProcess station(
        {.model = options.model, .extra = StationArguments(options, report.silent)});

    SoakView view(station.LogPath());
    {
        PanelModel panel;
        AppCore core(panel, view);
        // Reconnecting as the window does: only after a probe has heard the station.
        core.ProbeInBackground();
        view.Attach(core);
        core.connection().SetSelectedPort(station.Link());
        core.acquisition().options().autoConnect = true;
        core.acquisition().Start();
        LoopResult loop = RunLoop(core, view, options);
        report.ticks = loop.ticks;
        report.problems = std::move(loop.problems);
    }  // the core closes the port here

    if (const int code = station.Stop(); code != 0)
        report.problems.push_back("the station ended with exit code " + std::to_string(code) +
                                  ": " + station.Stderr());
    const std::vector<LogLine> log = ParseLog(ReadWhole(station.LogPath()));
    report.requests = CountRequests(log);
    report.faults = CountFaults(log);
    report.samples = static_cast<int>(view.samples().size());
    report.offLine = view.offLine();
    report.offLineByFault = AttributeOffLine(log, view.offLineLogBytes());
    report.reconnections = view.reconnections();
    report.mismatches = CheckSamples(log, view.samples());
    report.samplesAfterSilence = SamplesAfterSilence(log, view.samples());
    return report;
}

void PrintReport(std::ostream& out, const SoakReport& report) {
    const SoakOptions& o = report.options;
    int total = 0;
    for (const auto& [kind, count] : report.faults) total += count;
    out << "soak: " << o.duration.count() << " s at " << o.period.count() << " ms against "
        << o.model << ", seed " << o.seed << ", wire " << o.wireBaud << " baud\n"
        << "ticks: " << report.ticks << "\n"
        << "requests: " << report.requests << "\n"
        << "samples recorded: " << report.samples << "\n"
        << "faults injected: " << total << "\n";
    for (const auto& [kind, count] : report.faults) out << "  " << kind << ": " << count << "\n";
    out << "silent window: requests " << report.silent.first << "-" << report.silent.last << "\n"
        << "samples after the silent window: " << report.samplesAfterSilence << "\n"
        << "times off line: " << report.offLine << "\n";
    // A fault should cost at most one trip off line; more than one per fault, or any after a
    // clean reply, means a fault cost more than the tick it struck.
    out << "times off line per fault, by the last reply's fault:\n";
    for (const auto& [kind, count] : report.offLineByFault) {
        const auto injected = report.faults.find(kind);
        out << "  " << kind << ": " << count;
        if (injected != report.faults.end())
            out << " of " << injected->second << " (" << Fixed2(PerFault(count, injected->second))
                << " per fault)";
        out << "\n";
    }
    out << "reconnections: " << report.reconnections << "\n"
        << "mismatched samples: " << report.mismatches.size() << "\n";
    for (std::size_t i = 0; i < std::min(MaxListed, report.mismatches.size()); ++i)
        out << "  sample " << report.mismatches[i].sample << ": " << report.mismatches[i].why
            << "\n";
    for (const std::string& problem : report.problems) out << "problem: " << problem << "\n";
}

}  // namespace soak
