#include "tools/cli/Tunecommand.h"

#include <charconv>
#include <chrono>
#include <stdexcept>

#include "core/Stationtuneport.h"
#include "core/Tuner.h"
#include "tools/cli/Cli.h"
#include "tools/cli/Clicore.h"
#include "tools/cli/Stopsignals.h"
#include "traces/Floatformat.h"

namespace {

/// The wall clock, and SIGINT or SIGTERM as the stop requests.
class SignalClock final : public TuneClock {
  public:
    explicit SignalClock(StopSignals& stop) : stop_(stop) {}
    double Now() override {
        return std::chrono::duration<double>(StopSignals::Clock::now() - start_).count();
    }
    void WaitUntil(double deadlineS) override {
        const auto deadline = start_ + std::chrono::duration_cast<StopSignals::Clock::duration>(
                                           std::chrono::duration<double>(deadlineS));
        stop_.WaitForNextUntil(deadline);
    }
    int Stops() const override { return stop_.count(); }

  private:
    StopSignals& stop_;
    StopSignals::Clock::time_point start_ = StopSignals::Clock::now();
};

std::string GainsText(const PidGains& g) {
    return "Kp=" + std::to_string(g.Kp) + " Ki=" + std::to_string(g.Ki) +
           " Kd=" + std::to_string(g.Kd);
}

/// One line per test on standard error.
class ErrorLines final : public TuneObserver {
  public:
    explicit ErrorLines(std::ostream& err) : err_(err) {}
    void Progress(const std::string& text) override { err_ << text << '\n' << std::flush; }
    void ExperimentDone(const Experiment& e) override {
        err_ << "test " << e.number << ": " << GainsText(e.gains)
             << " itae=" << floatformat::FormatDecimals(e.figures.itae, 1)
             << " overshoot=" << floatformat::FormatDecimals(e.figures.overshootPercent, 1) << "%"
             << (e.confirming ? " (confirming)" : "") << '\n'
             << std::flush;
    }

  private:
    std::ostream& err_;
};

double Number(const std::string& option, const std::string& text) {
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end) throw CliUsageError(option + " needs a number");
    return value;
}

TuneOptions ParseTuneOptions(const std::vector<std::string>& args) {
    TuneOptions o;
    bool from = false, to = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        if (option == "--apply") {
            o.apply = true;
            continue;
        }
        if (option != "--from" && option != "--to" && option != "--max-overshoot" &&
            option != "--minutes")
            throw CliUsageError("unexpected argument " + option);
        if (i + 1 == args.size()) throw CliUsageError(option + " needs a value");
        const double value = Number(option, args[++i]);
        if (option == "--from") {
            o.fromC = value;
            from = true;
        } else if (option == "--to") {
            o.toC = value;
            to = true;
        } else if (option == "--max-overshoot") {
            o.maxOvershootPct = value;
        } else {
            o.minutes = value;
        }
    }
    if (!from || !to) throw CliUsageError("tune needs --from T0 and --to T1");
    try {
        CheckTuneOptions(o);
    } catch (const std::invalid_argument& e) {
        throw CliUsageError(e.what());
    }
    return o;
}

}  // namespace

int RunTune(CliContext& context) {
    const TuneOptions options = ParseTuneOptions(context.args);
    StopSignals stop;
    CliCore cli(AutoRead::Off);
    cli.Connect(context.port);
    StationTunePort port(cli.core().connection());
    SignalClock clock(stop);
    ErrorLines lines(context.err);
    Tuner tuner(port, clock, lines);
    const TuneResult r = tuner.Run(options);

    std::ostream& out = context.out;
    out << "start_kp=" << r.start.Kp << "\nstart_ki=" << r.start.Ki << "\nstart_kd=" << r.start.Kd
        << '\n';
    if (r.proposal) {
        out << "kp=" << r.proposal->Kp << "\nki=" << r.proposal->Ki << "\nkd=" << r.proposal->Kd
            << '\n';
    }
    out << "tests=" << r.experiments.size() << '\n';
    if (const Experiment* confirm = r.Confirming()) {
        const auto& f = confirm->figures;
        out << "itae=" << floatformat::FormatDecimals(f.itae, 2)
            << "\novershoot=" << floatformat::FormatDecimals(f.overshootPercent, 2)
            << "\nsettling_time="
            << (f.settlingTimeS ? floatformat::FormatDecimals(*f.settlingTimeS, 3)
                                : std::string("none"))
            << '\n';
    }
    out << "applied=" << (r.applied ? 1 : 0) << "\nrestored=" << (r.restored ? 1 : 0)
        << "\nminutes=" << floatformat::FormatDecimals(r.minutes, 2) << '\n';
    if (!r.abortReason.empty()) {
        context.err << "tavolin-cli: tune aborted: " << r.abortReason << '\n';
        return ExitFailure;
    }
    return ExitOk;
}
