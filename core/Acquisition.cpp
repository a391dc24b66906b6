#include "core/Acquisition.h"

#include <cmath>

void Acquisition::Tick(SampleSpacing::Clock::time_point started) {
    tickStart_ = started;
    const int before = store_.count();
    PollOrReconnect();
    // A recording's tick that stored nothing: a failed poll, a reconnect, a station away.
    if (state_ == AcqState::Running && store_.count() == before) spacing_.Missed();
}

void Acquisition::PollOrReconnect() {
    if (connection_.onLine()) {
        try {
            PollStation();
        } catch (const EInOutError& e) {
            // A lost or confused station: the status bar says off line, the next tick
            // reconnects.
            connection_.Lost(e);
            view_.TakenOffLine();
        }
        return;
    }
    if (options_.autoConnect && !connection_.selectedPort().empty() && Reconnect())
        view_.PollConnected();
    if (!connection_.onLine() && options_.simulate && state_ == AcqState::Running)
        SimulateOffLine();
}

bool Acquisition::Reconnect() {
    // A station that is switched off would make each attempt wait out its time-out here, on
    // the caller's thread; the probe waits for it elsewhere.
    if (probe_ && !probe_->StationAnswered(connection_.selectedPort())) {
        if (const auto why = probe_->reason(connection_.selectedPort()))
            connection_.NoteReason(*why);
        return false;
    }
    return connection_.ConnectSelected();
}

void Acquisition::PollStation() {
    TWakePort& link = connection_.link();
    const HeatStatus heat = link.GetHeat();
    live_[Tset] = heat.Tset;
    live_[Tget] = heat.Tget;
    live_[Tcj] = heat.Tcj;
    live_[Power] = heat.Power;
    live_[PllErr] = heat.PllErr;
    live_[PllPer] = heat.PllPer;
    panel_.RefreshHeat(heat);
    const bool withFan = connection_.kind() == DeviceKind::Krf51;
    if (withFan) {
        const FanStatus fan = link.GetFan();
        live_[Vset] = fan.Vset;
        live_[Vget] = fan.Vget;
        live_[Pwm] = fan.Pwm;
        panel_.RefreshFan(fan);
    }
    if (state_ != AcqState::Running) return;
    if (!store_.Append(live_, withFan)) {
        Stop();
        return;
    }
    AfterAppend(!options_.freeze);
}

void Acquisition::SimulateOffLine() {
    if (!store_.Append(SimulatedSample(phase_))) {
        Stop();
        return;
    }
    phase_ += SimulationStep;
    AfterAppend(true);
}

void Acquisition::AfterAppend(bool draw) {
    spacing_.Appended(tickStart_);
    view_.SampleAppended(store_.count() - 1);
    // New while Running empties the store but recording goes on: what arrives after it is
    // unsaved data as much as what came before.
    store_.setModified(true);
    if (!draw) return;
    view_.DrawSample(store_.count() - 1);
    if (options_.autoScroll) view_.AutoScrollAfterAppend(store_.count());
}

TraceSample Acquisition::SimulatedSample(double phase) {
    const auto x = static_cast<std::int32_t>(std::sin(phase) * 300 + 300);
    TraceSample s{};
    s[Tset] = x + 200;
    s[Tget] = x + 300;
    s[Tcj] = x + 250;
    s[Power] = x + 100;
    s[PllErr] = x + 300;
    s[PllPer] = x + 350;
    s[Vset] = x + 1500;
    s[Vget] = x + 2000;
    s[Pwm] = x + 200;
    return s;
}

void Acquisition::SetState(AcqState state) {
    const bool resumes = !UnderWay() && state != AcqState::Stopped;
    // Time spent paused or stopped is no spacing of the recording's samples.
    spacing_.Break();
    state_ = state;
    // Resuming a log polls at the log's own period, so that its new samples match its old
    // ones; a fresh log (Start from Stopped) has just begun at the set period.
    if (resumes && store_.count() == 0) spacing_.Begin(samplePeriodMs_);
    view_.StateChanged(state);
}

void Acquisition::SetSamplePeriod(int periodMs) {
    samplePeriodMs_ = periodMs;
    if (!UnderWay() && store_.count() == 0) spacing_.Begin(periodMs);
}

int Acquisition::pollPeriodMs() const noexcept {
    return UnderWay() ? spacing_.setPeriodMs() : samplePeriodMs_;
}

std::optional<int> Acquisition::pendingPeriodMs() const noexcept {
    if (!UnderWay() || samplePeriodMs_ == spacing_.setPeriodMs()) return std::nullopt;
    return samplePeriodMs_;
}

void Acquisition::LogLoaded(int periodMs) {
    spacing_.Begin(periodMs);
}

void Acquisition::New() {
    // A fresh log: a period set meanwhile applies from its first sample.
    spacing_.Begin(samplePeriodMs_);
    store_.Clear();
    store_.setModified(false);
    view_.LogCleared();
}

void Acquisition::Start() {
    switch (state_) {
        case AcqState::Stopped:
            New();
            [[fallthrough]];
        case AcqState::Paused:
            SetState(AcqState::Running);
            store_.setModified(true);
            break;
        case AcqState::Running:
            SetState(AcqState::Paused);
            break;
    }
}

void Acquisition::Pause() {
    SetState(state_ == AcqState::Paused ? AcqState::Running : AcqState::Paused);
}

void Acquisition::Stop() {
    SetState(AcqState::Stopped);
}
