#pragma once

#include <memory>
#include <string>

#include "core/Acquisition.h"
#include "core/Changelog.h"
#include "core/Changemarks.h"
#include "core/Connection.h"
#include "core/Controlpanel.h"
#include "core/Journalkeeper.h"
#include "core/Linkhealth.h"
#include "core/Updating.h"
#include "link/Wakeport.h"
#include "traces/Tracestore.h"

/// What the application core shows: the window, or nothing at all for the command line.
class MainView {
  public:
    virtual ~MainView() = default;
    virtual void ShowConnection(const std::string& text) = 0;
    /// The connection's tool tip (Connection::Hint); a view without tool tips ignores it.
    virtual void ShowConnectionHint(const std::string& /*hint*/) {}
    virtual void DrawSample(int index) = 0;
    virtual void AutoScrollAfterAppend(int count) = 0;
    virtual void LogCleared() = 0;
    virtual void StateChanged(AcqState state) = 0;
};

/// A view that shows nothing: the command-line tool's.
class NullMainView final : public MainView {
  public:
    void ShowConnection(const std::string&) override {}
    void DrawSample(int) override {}
    void AutoScrollAfterAppend(int) override {}
    void LogCleared() override {}
    void StateChanged(AcqState) override {}
};

/// Everything the main window owns for the whole run except its widgets: the one link, the
/// trace store, the connection, the control panel's logic and the poll loop, wired together.
class AppCore final : private ConnectionView, private AcquisitionView {
  public:
    /// `line` replaces the serial line (tests); by default the link opens real devices.
    AppCore(PanelView& panelView, MainView& view, std::unique_ptr<SerialLine> line = nullptr);
    ~AppCore() override;
    AppCore(const AppCore&) = delete;
    AppCore& operator=(const AppCore&) = delete;

    TWakePort& link() noexcept { return *link_; }
    TraceStore& store() noexcept { return store_; }
    Updating& updating() noexcept { return updating_; }
    Connection& connection() noexcept { return connection_; }
    ControlPanel& panel() noexcept { return panel_; }
    Acquisition& acquisition() noexcept { return acquisition_; }
    PanelView& panelView() noexcept { return panelView_; }
    /// The recording journal: every sample recorded goes there too, New throws it away.
    JournalKeeper& journal() noexcept { return journal_; }
    const PanelView& panelView() const noexcept { return panelView_; }
    const Connection& connection() const noexcept { return connection_; }
    LinkHealth& health() noexcept { return health_; }
    /// The link's health in total and since the station was last identified.
    HealthFigures TotalHealth() const { return health_.Total(link_->counts()); }
    HealthFigures ConnectionHealth() const { return health_.ThisConnection(link_->counts()); }

    /// The marks of the changes sent while recording, in step with the store.
    Changelog& changelog() noexcept { return changelog_; }
    const Changelog& changelog() const noexcept { return changelog_; }
    ChangeMarks& marks() noexcept { return marks_; }
    /// Write Params, marked as one change "Write Params".
    void WriteParams();
    /// Cut Left and Cut Right at sample `k` of the store and of the change marks together;
    /// false when nothing was cut.
    bool CutLeft(int k);
    bool CutRight(int k);

    /// From now on the poll loop reconnects only after a probe on a thread of its own has
    /// heard the station, so that an absent station never blocks the caller; `makeLine` gives
    /// the probe its serial lines (empty: real ports).
    void ProbeInBackground(StationProbe::LineFactory makeLine = nullptr);
    /// Waits for a probe under way, so that the remembered port is free for another user.
    void StopProbe();

    /// Read every parameter after each connect.
    bool autoRead = true;

  private:
    void ShowConnection(const std::string& text) override { view_.ShowConnection(text); }
    void ShowConnectionHint(const std::string& hint) override { view_.ShowConnectionHint(hint); }
    void Connected() override;
    void KindChanged(DeviceKind kind) override { panel_.ApplyKind(kind); }
    void SampleAppended(int index) override { journal_.Appended(store_, index); }
    void DrawSample(int index) override { view_.DrawSample(index); }
    void AutoScrollAfterAppend(int count) override { view_.AutoScrollAfterAppend(count); }
    void LogCleared() override {
        journal_.Discard();
        changelog_.Clear();
        view_.LogCleared();
    }
    void StateChanged(AcqState state) override { view_.StateChanged(state); }
    void TakenOffLine() override { health_.TakenOffLine(); }
    void PollConnected() override { health_.PollConnected(); }

    MainView& view_;
    PanelView& panelView_;
    std::unique_ptr<TWakePort> link_;
    TraceStore store_;
    Updating updating_;
    LinkHealth health_;
    Connection connection_;
    ControlPanel panel_;
    Acquisition acquisition_;
    Changelog changelog_;
    ChangeMarks marks_;
    std::unique_ptr<StationProbe> probe_;
    // Last, so that it goes first: its writer thread writes what is queued and ends.
    JournalKeeper journal_;
};
