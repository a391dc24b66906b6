#include "core/Acquisition.h"

#include <cmath>

void Acquisition::Tick() {
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
    if (options_.autoConnect && !connection_.selectedPort().empty() &&
        connection_.ConnectSelected())
        view_.PollConnected();
    if (!connection_.onLine() && options_.simulate && state_ == AcqState::Running)
        SimulateOffLine();
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
    view_.SampleAppended(store_.count() - 1);
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
    state_ = state;
    view_.StateChanged(state);
}

void Acquisition::New() {
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
