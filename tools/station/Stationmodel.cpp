#include "tools/station/Stationmodel.h"

#include <algorithm>
#include <cmath>

namespace {

// Heater: full power holds the tip this far above room temperature; the lag's time constant.
constexpr double FullPowerRiseC = 480.0;
constexpr double TipLagS = 4.0;
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

// Reading noise.
constexpr double TipNoiseC = 0.3;
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

}  // namespace

StationModel::StationModel(std::uint32_t seed) : noise_(seed) {}

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
    if (in.heaterPid.Enable) {
        const double error = in.tset / Tenth - measured;
        // The integral stays within the output range so that it cannot wind up.
        heaterIntegral_ = std::clamp(
            heaterIntegral_ + in.heaterPid.Ki * HeaterKiPctPerCs * error * dt, 0.0, limit);
        const double slope = (measured - lastMeasuredC_) / dt;
        const double out = in.heaterPid.Kp * HeaterKpPctPerC * error + heaterIntegral_ -
                           in.heaterPid.Kd * HeaterKdPctSPerC * slope;
        powerPct_ = std::clamp(out, 0.0, limit);
    } else {
        heaterIntegral_ = 0.0;
        powerPct_ = std::clamp(in.manualPower / Tenth, 0.0, limit);
    }
    lastMeasuredC_ = measured;
    const double target = RoomC + FullPowerRiseC * powerPct_ / 100.0;
    tipC_ += (target - tipC_) * dt / TipLagS;
}

void StationModel::StepFan(const Inputs& in, double dt) {
    if (in.fanPid.Enable) {
        const double error = in.vset - fanRpm_;
        fanIntegral_ =
            std::clamp(fanIntegral_ + in.fanPid.Ki * FanKiPwmPerRpmS * error * dt, 0.0, PwmMax);
        const double target = FanMaxRpm * pwm_ / PwmMax;
        const double slope = (target - fanRpm_) / FanLagS;
        const double out = in.fanPid.Kp * FanKpPwmPerRpm * error + fanIntegral_ -
                           in.fanPid.Kd * FanKdPwmSPerRpm * slope;
        pwm_ = std::clamp(out, 0.0, PwmMax);
    } else {
        fanIntegral_ = 0.0;
        pwm_ = std::clamp(static_cast<double>(in.manualPwm), 0.0, PwmMax);
    }
    const double target = FanMaxRpm * pwm_ / PwmMax;
    fanRpm_ += (target - fanRpm_) * dt / FanLagS;
}

HeatStatus StationModel::ReadHeat(const Inputs& in) {
    HeatStatus s;
    s.Tset = in.tset & WordMax;
    s.Tget = ToWord((MeasuredC(in) + noise_.Jitter(TipNoiseC)) * Tenth);
    s.Tcj = ToWord((RoomC + noise_.Jitter(ColdJunctionNoiseC)) * Tenth);
    s.Power = ToWord(powerPct_ * Tenth);
    s.PllErr = noise_.Between(-PllErrJitterUs, PllErrJitterUs);
    s.PllPer = PllPeriodUs + noise_.Between(-PllPeriodJitterUs, PllPeriodJitterUs);
    return s;
}

FanStatus StationModel::ReadFan(const Inputs& in) {
    FanStatus s;
    s.Vset = in.vset & WordMax;
    s.Vget = ToWord(fanRpm_ + noise_.Jitter(FanNoiseRpm));
    s.Pwm = static_cast<std::int32_t>(std::lround(pwm_));
    return s;
}
