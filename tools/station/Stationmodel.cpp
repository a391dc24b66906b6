#include "tools/station/Stationmodel.h"

#include <algorithm>
#include <cmath>

namespace {

// Heater PID: each gain unit is worth this much output.
constexpr double HeaterKpPctPerC = 0.5;
constexpr double HeaterKiPctPerCs = 0.1;
constexpr double HeaterKdPctSPerC = 0.2;

// Fan: speed at PWM 255, the rotor's time constant, PID gain units.
constexpr double FanMaxRpm = 3000.0;
constexpr double FanLagS = 0.8;
constexpr double PwmMax = 255.0;
constexpr double FanKpPwmPerRpm = 0.05;
constexpr double FanKiPwmPerRpmS = 0.02;
constexpr double FanKdPwmSPerRpm = 0.005;

constexpr double DerivativeFilterS = 0.2;

// Reading noise.
constexpr double ColdJunctionNoiseC = 0.2;
constexpr double FanNoiseRpm = 5.0;
constexpr int PllErrJitterUs = 3;
constexpr int PllPeriodUs = 10000;  // half a 50 Hz mains period
constexpr int PllPeriodJitterUs = 2;

constexpr double Tenth = 10.0;
constexpr double Thousandth = 1000.0;
constexpr std::int32_t WordMax = 65535;

std::int32_t ToWord(double value) {
    return std::clamp(static_cast<std::int32_t>(std::lround(value)), 0, WordMax);
}

double PowerLimitPct(const StationModel::Inputs& in) {
    return std::clamp(in.plim / Tenth, 0.0, 100.0);
}

// With its PID off a loop drives its output straight from the stored value.
double ManualPowerPct(const StationModel::Inputs& in) {
    return std::clamp(in.manualPower / Tenth, 0.0, PowerLimitPct(in));
}

double ManualPwm(const StationModel::Inputs& in) {
    return std::clamp(static_cast<double>(in.manualPwm), 0.0, PwmMax);
}

/// A first-order filter on the derivative, so that the D term does not chatter step by step.
double Filtered(double previous, double sample, double dt) {
    return previous + (sample - previous) * dt / (DerivativeFilterS + dt);
}

}  // namespace

StationModel::StationModel(std::uint32_t seed, const HeaterPlant& plant)
    : plant_(plant),
      noise_(seed),
      powerLine_(static_cast<std::size_t>(
                     std::lround(plant.deadTimeS / std::chrono::duration<double>(Step).count())),
                 0.0),
      tipC_(plant.ambientC),
      lastMeasuredC_(plant.ambientC) {}

double StationModel::DelayedPowerPct(double appliedPct) {
    if (powerLine_.empty()) return appliedPct;
    const double arriving = powerLine_[powerLineAt_];
    powerLine_[powerLineAt_] = appliedPct;
    powerLineAt_ = (powerLineAt_ + 1) % powerLine_.size();
    return arriving;
}

double StationModel::MeasuredC(const Inputs& in) const noexcept {
    return tipC_ * (in.gain / Thousandth) + in.shift / Tenth;
}

void StationModel::Advance(const Inputs& inputs, std::chrono::microseconds elapsed) {
    carry_ += elapsed;
    const double dt = std::chrono::duration<double>(Step).count();
    while (carry_ >= Step) {
        carry_ -= Step;
        StepHeater(inputs, dt);
        StepFan(inputs, dt);
    }
}

void StationModel::StepHeater(const Inputs& in, double dt) {
    const double limit = PowerLimitPct(in);
    const double measured = MeasuredC(in);
    heaterSlope_ = Filtered(heaterSlope_, (measured - lastMeasuredC_) / dt, dt);
    lastMeasuredC_ = measured;
    if (in.heaterPid.Enable) {
        const double error = in.tset / Tenth - measured;
        const double scale = plant_.pidScale;
        const double p = in.heaterPid.Kp * scale * HeaterKpPctPerC * error;
        const double d = -in.heaterPid.Kd * scale * HeaterKdPctSPerC * heaterSlope_;
        const double integral =
            heaterIntegral_ + in.heaterPid.Ki * scale * HeaterKiPctPerCs * error * dt;
        // The integral grows only while the output is not saturated, so it cannot wind up.
        if (p + integral + d > 0.0 && p + integral + d < limit)
            heaterIntegral_ = std::clamp(integral, 0.0, limit);
        powerPct_ = std::clamp(p + heaterIntegral_ + d, 0.0, limit);
    } else {
        heaterIntegral_ = 0.0;
        powerPct_ = ManualPowerPct(in);
    }
    const double target = plant_.ambientC + plant_.gainCPerPct * DelayedPowerPct(powerPct_);
    tipC_ += (target - tipC_) * dt / plant_.lagS;
}

void StationModel::StepFan(const Inputs& in, double dt) {
    fanSlope_ = Filtered(fanSlope_, (fanRpm_ - lastFanRpm_) / dt, dt);
    lastFanRpm_ = fanRpm_;
    if (in.fanPid.Enable) {
        const double error = in.vset - fanRpm_;
        const double p = in.fanPid.Kp * FanKpPwmPerRpm * error;
        const double d = -in.fanPid.Kd * FanKdPwmSPerRpm * fanSlope_;
        const double integral = fanIntegral_ + in.fanPid.Ki * FanKiPwmPerRpmS * error * dt;
        if (p + integral + d > 0.0 && p + integral + d < PwmMax)
            fanIntegral_ = std::clamp(integral, 0.0, PwmMax);
        pwm_ = std::clamp(p + fanIntegral_ + d, 0.0, PwmMax);
    } else {
        fanIntegral_ = 0.0;
        pwm_ = ManualPwm(in);
    }
    const double target = FanMaxRpm * pwm_ / PwmMax;
    fanRpm_ += (target - fanRpm_) * dt / FanLagS;
}

HeatStatus StationModel::ReadHeat(const Inputs& in) {
    HeatStatus s;
    s.Tset = in.tset & WordMax;
    s.Tget = ToWord((MeasuredC(in) + noise_.Jitter(plant_.tgetNoiseC)) * Tenth);
    s.Tcj = ToWord((plant_.ambientC + noise_.Jitter(ColdJunctionNoiseC)) * Tenth);
    s.Power = ToWord((in.heaterPid.Enable ? powerPct_ : ManualPowerPct(in)) * Tenth);
    s.PllErr = noise_.Between(-PllErrJitterUs, PllErrJitterUs);
    s.PllPer = PllPeriodUs + noise_.Between(-PllPeriodJitterUs, PllPeriodJitterUs);
    return s;
}

FanStatus StationModel::ReadFan(const Inputs& in) {
    FanStatus s;
    s.Vset = in.vset & WordMax;
    s.Vget = ToWord(fanRpm_ + noise_.Jitter(FanNoiseRpm));
    s.Pwm = static_cast<std::int32_t>(std::lround(in.fanPid.Enable ? pwm_ : ManualPwm(in)));
    return s;
}
