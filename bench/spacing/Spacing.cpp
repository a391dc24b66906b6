#include "bench/spacing/Spacing.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <stdexcept>
#include <thread>

#include "core/Appcore.h"
#include "core/Panelmodel.h"
#include "support/Stationprocess.h"
#include "support/Tempfolder.h"
#include "tools/cli/Recordloop.h"

namespace {

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::duration<double, std::milli>;

constexpr const char* WireBaud = "19200";

/// Notes when each sample lands in the store: the core draws a sample right after appending.
class AppendClock final : public MainView {
  public:
    void ShowConnection(const std::string&) override {}
    void DrawSample(int) override { appends.push_back(Clock::now()); }
    void AutoScrollAfterAppend(int) override {}
    void LogCleared() override { appends.clear(); }
    void StateChanged(AcqState) override {}

    AppendTimes appends;
};

/// The timer as it was: stopped for the tick, restarted with the full period after it.
void RecordRestartingAfterTick(AppCore& core, int samples, std::chrono::milliseconds period) {
    Acquisition& acquisition = core.acquisition();
    acquisition.Start();
    auto next = Clock::now() + period;
    while (core.store().count() < samples && acquisition.state() == AcqState::Running) {
        std::this_thread::sleep_until(next);
        acquisition.Tick();
        next = Clock::now() + period;
    }
    acquisition.Stop();
}

}  // namespace

SpacingFigures FiguresOf(const AppendTimes& appends, int periodMs) {
    if (appends.size() < 2) throw std::invalid_argument("two appends at least");
    std::vector<double> gaps;
    for (std::size_t i = 1; i < appends.size(); ++i)
        gaps.push_back(Milliseconds(appends[i] - appends[i - 1]).count());
    SpacingFigures f;
    f.samples = static_cast<int>(appends.size());
    const double n = static_cast<double>(gaps.size());
    f.meanMs = std::accumulate(gaps.begin(), gaps.end(), 0.0) / n;
    f.deviationPct = (f.meanMs - periodMs) / periodMs * 100;
    double squares = 0;
    for (const double g : gaps) squares += (g - f.meanMs) * (g - f.meanMs);
    f.sdMs = std::sqrt(squares / n);
    const auto [low, high] = std::minmax_element(gaps.begin(), gaps.end());
    f.minMs = *low;
    f.maxMs = *high;
    for (std::size_t i = 0; i < appends.size(); ++i) {
        const double claimed = static_cast<double>(i) * periodMs;
        const double drift = Milliseconds(appends[i] - appends.front()).count() - claimed;
        f.driftMs = std::max(f.driftMs, std::abs(drift));
    }
    f.seconds = Milliseconds(appends.back() - appends.front()).count() / 1000;
    return f;
}

SpacingFigures MeasureSpacing(const SpacingCase& c, int samples) {
    StationProcess station({.model = c.model, .extra = {"--wire-baud", WireBaud}});
    PanelModel panel;
    AppendClock view;
    AppCore core(panel, view);
    core.autoRead = false;
    core.connection().SetSelectedPort(station.Link());
    core.connection().Connect();
    const TempFolder folder;
    if (c.journal) {
        core.journal().Keep(std::make_unique<JournalWriter>(folder / "recording.dat"));
        datafile::TraceVisibility all;
        all.fill(true);
        core.journal().SetLayout(core.store(), all, c.periodMs);
    }

    const std::chrono::milliseconds period(c.periodMs);
    if (c.scheduling == Scheduling::StartToStart) {
        StopSignals stop;
        if (RecordLog(core, {samples, period}, stop) == RecordEnd::Signalled)
            throw std::runtime_error("interrupted");
    } else {
        RecordRestartingAfterTick(core, samples, period);
    }
    // A lost reply would leave a double gap and make the mean a lie.
    if (static_cast<int>(view.appends.size()) != samples || !core.connection().onLine())
        throw std::runtime_error("the station missed a poll");
    return FiguresOf(view.appends, c.periodMs);
}
