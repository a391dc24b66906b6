#include "tune/Simstation.h"

#include <algorithm>
#include <chrono>

#include "link/Inouterror.h"

namespace {

// What one transaction costs on the line at 19200 baud, about.
constexpr double TransactionS = 0.01;

}  // namespace

SimStation::SimStation(const HeaterPlant& plant) : SimStation(plant, Faults{}) {}

SimStation::SimStation(const HeaterPlant& plant, Faults faults, std::uint32_t seed)
    : model_(seed, plant), faults_(std::move(faults)) {
    inputs.tset = 2500;
    inputs.heaterPid = {.Kp = 40, .Ki = 10, .Kd = 5, .Enable = true};
    inputs.plim = 1000;
}

void SimStation::ThrowWhenDown() const {
    if (faults_.linkDownFromS && nowS_ >= *faults_.linkDownFromS && nowS_ < faults_.linkDownToS)
        throw EInOutError("No data to receive.");
}

PidGains SimStation::GetPIDH() {
    ThrowWhenDown();
    return inputs.heaterPid;
}

void SimStation::SetPIDH(const PidGains& gains) {
    ThrowWhenDown();
    inputs.heaterPid = gains;
    setPids.push_back(gains);
}

void SimStation::SetT(int tset, int power) {
    ThrowWhenDown();
    inputs.tset = tset;
    inputs.manualPower = power;
    setTs.emplace_back(tset, power);
}

HeatStatus SimStation::GetHeat() {
    ThrowWhenDown();
    WaitUntil(nowS_ + TransactionS);
    return model_.ReadHeat(inputs);
}

int SimStation::PowerLimit() {
    ThrowWhenDown();
    return inputs.plim;
}

void SimStation::Reconnect() {
    ThrowWhenDown();
}

void SimStation::WaitUntil(double deadlineS) {
    double until = std::max(deadlineS, nowS_);
    if (nextStop_ < faults_.stopsAtS.size() && faults_.stopsAtS[nextStop_] <= until)
        until = std::max(nowS_, faults_.stopsAtS[nextStop_]);
    // Run the physics in steps of 10 ms so that a stuck heater strikes on time.
    while (nowS_ < until) {
        const double dt = std::min(0.01, until - nowS_);
        StationModel::Inputs in = inputs;
        if (faults_.heaterStuckAtS && nowS_ >= *faults_.heaterStuckAtS) {
            in.heaterPid.Enable = false;
            in.manualPower = 1000;
        }
        model_.Advance(in, std::chrono::microseconds(static_cast<long>(dt * 1e6 + 0.5)));
        nowS_ += dt;
    }
    if (nextStop_ < faults_.stopsAtS.size() && faults_.stopsAtS[nextStop_] <= nowS_) {
        ++nextStop_;
        ++stops_;
    }
}

void SimStation::Settle(double seconds) {
    WaitUntil(nowS_ + seconds);
}
