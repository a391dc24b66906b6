#pragma once

#include <chrono>
#include <optional>

#include "core/Connection.h"
#include "core/Controlpanel.h"
#include "core/Samplespacing.h"
#include "core/Stationprobe.h"
#include "traces/Tracestore.h"

enum class AcqState { Stopped = 0, Paused = 1, Running = 2 };

/// What the loop asks of the window: the graph and the check marks.
class AcquisitionView {
  public:
    virtual ~AcquisitionView() = default;
    /// A sample was stored at `index` while Running, drawn or not.
    virtual void SampleAppended(int index) = 0;
    /// Draw the column of the sample just stored at `index`.
    virtual void DrawSample(int index) = 0;
    /// Scroll by 100 when the newest sample has passed the right edge (AutoScroll on).
    virtual void AutoScrollAfterAppend(int count) = 0;
    /// New: the store was emptied; repaint, forget the file name, reset the caption.
    virtual void LogCleared() = 0;
    /// Start, Pause and Stop show their check marks from this.
    virtual void StateChanged(AcqState state) = 0;
    /// A link error took the station off line during a poll.
    virtual void TakenOffLine() {}
    /// An off line tick connected to the station again.
    virtual void PollConnected() {}
};

/// The options the loop consults at every tick.
struct AcquisitionOptions {
    bool autoConnect = true;
    bool autoScroll = true;
    bool simulate = false;
    bool freeze = false;
};

/// The heartbeat: each tick polls the station, refreshes the panel and, while Running,
/// appends one sample; off line it reconnects and may feed simulated samples.
class Acquisition {
  public:
    Acquisition(Connection& connection, ControlPanel& panel, TraceStore& store,
                AcquisitionView& view)
        : connection_(connection), panel_(panel), store_(store), view_(view) {}

    AcquisitionOptions& options() noexcept { return options_; }
    const AcquisitionOptions& options() const noexcept { return options_; }
    AcqState state() const noexcept { return state_; }
    const TraceSample& live() const noexcept { return live_; }

    /// One poll: link errors take the connection off line silently; other errors pass.
    /// `started` is when the tick began; the recording's spacing is measured from it.
    void Tick(SampleSpacing::Clock::time_point started);
    void Tick() { Tick(SampleSpacing::Clock::now()); }

    /// The sample period the user set (ms). A recording under way (Running or Paused) keeps
    /// polling at its own period, so that its samples stay evenly spaced; the new period
    /// applies from Stop. With the store empty the log's period follows at once.
    void SetSamplePeriod(int periodMs);
    int samplePeriodMs() const noexcept { return samplePeriodMs_; }
    /// The period the poll must keep now: the recording's while one is under way.
    int pollPeriodMs() const noexcept;
    /// A period set during a recording that waits for Stop.
    std::optional<int> pendingPeriodMs() const noexcept;
    /// The log in the store: the period it was recorded at and what its ticks achieved.
    const SampleSpacing& spacing() const noexcept { return spacing_; }
    /// The period the log stands for: sample i lies at i x this. The recording's set period
    /// while it is kept within 1 %, otherwise the mean spacing achieved, in whole ms. Saving,
    /// the time axis and the cursor time use it.
    int recordPeriodMs() const noexcept { return spacing_.recordPeriodMs(); }
    /// The store now holds a log read from a file, whose rows stand `periodMs` apart.
    void LogLoaded(int periodMs);
    /// Off line, reconnect only once `probe` has heard the station, so that an absent one
    /// costs the tick nothing; nullptr connects at once, waiting out the time-outs.
    void SetProbe(StationProbe* probe) noexcept { probe_ = probe; }

    void Start();
    void Pause();
    void Stop();
    /// Empties the store and clears `modified`; acquisition goes on.
    void New();

    /// Amplitude and offsets of the simulated sine.
    static TraceSample SimulatedSample(double phase);
    static constexpr double SimulationStep = 0.05;

  private:
    void PollOrReconnect();
    void PollStation();
    /// Whether it went on line.
    bool Reconnect();
    void SimulateOffLine();
    void AfterAppend(bool draw);
    bool UnderWay() const noexcept { return state_ != AcqState::Stopped; }
    void SetState(AcqState state);

    Connection& connection_;
    ControlPanel& panel_;
    TraceStore& store_;
    AcquisitionView& view_;
    StationProbe* probe_ = nullptr;
    AcquisitionOptions options_;
    AcqState state_ = AcqState::Stopped;
    TraceSample live_{};
    double phase_ = 0;  // never reset: a new simulated recording continues the sine
    int samplePeriodMs_ = 100;
    SampleSpacing spacing_;
    SampleSpacing::Clock::time_point tickStart_{};
};
