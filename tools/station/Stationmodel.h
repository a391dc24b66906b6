#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

#include "link/Records.h"
#include "tools/station/Random.h"

/// The heater as a plant: what the tip does with the power it gets, and how the station's
/// integer PID gains act on it. The defaults are the station the emulator has always been.
struct HeaterPlant {
    double lagS = 4.0;         ///< thermal time constant of the tip
    double gainCPerPct = 4.8;  ///< static gain: °C above ambient per % of power
    double deadTimeS = 0.0;    ///< delay between the power and its first effect on the tip
    double ambientC = 25.0;    ///< where the tip rests without power; the cold junction too
    double tgetNoiseC = 0.3;   ///< half width of the uniform noise on the Tget reading
    double pidScale = 1.0;     ///< physical worth of one unit of each heater PID gain
};

/// The station's physics: a tip heated through a first-order thermal lag, a fan that follows
/// its drive, and the mains PLL. The dynamics are integrated in fixed steps and are exact for a
/// given sequence of inputs and elapsed times; only the reported values carry noise, drawn from
/// a generator seeded once, so a seed and a request sequence give the same readings.
class StationModel {
  public:
    /// What the station's stored records say, in wire units.
    struct Inputs {
        std::int32_t tset = 0;         // 0.1 °C
        std::int32_t manualPower = 0;  // 0.1 %, applied with the heater PID off
        PidGains heaterPid;
        std::int32_t plim = 1000;    // 0.1 %
        std::int32_t shift = 0;      // 0.1 °C, added to the measured temperature
        std::int32_t gain = 1000;    // x 1000, scales the measured temperature
        std::int32_t vset = 0;       // rpm
        std::int32_t manualPwm = 0;  // 0..255, applied with the fan PID off
        PidGains fanPid;
    };

    static constexpr double RoomC = 25.0;
    static constexpr std::chrono::microseconds Step{10'000};

    explicit StationModel(std::uint32_t seed, const HeaterPlant& plant = {});

    /// Integrates `elapsed` time under `inputs`; a remainder below one step is carried over.
    void Advance(const Inputs& inputs, std::chrono::microseconds elapsed);

    /// The GetHeat reading: set point as stored, measured tip and cold junction, heater power.
    HeatStatus ReadHeat(const Inputs& inputs);
    /// The GetFan reading.
    FanStatus ReadFan(const Inputs& inputs);

    double TipC() const noexcept { return tipC_; }
    double FanRpm() const noexcept { return fanRpm_; }

  private:
    void StepHeater(const Inputs& in, double dt);
    void StepFan(const Inputs& in, double dt);
    double MeasuredC(const Inputs& in) const noexcept;

    /// The power that reaches the tip now, `deadTimeS` after it was applied.
    double DelayedPowerPct(double appliedPct);

    HeaterPlant plant_;
    Random noise_;
    std::chrono::microseconds carry_{0};
    std::vector<double> powerLine_;  // ring of the powers in flight through the dead time
    std::size_t powerLineAt_ = 0;
    double tipC_ = RoomC;
    double powerPct_ = 0.0;
    double heaterIntegral_ = 0.0;
    double lastMeasuredC_ = RoomC;
    double heaterSlope_ = 0.0;  // °C/s, filtered
    double fanRpm_ = 0.0;
    double pwm_ = 0.0;
    double fanIntegral_ = 0.0;
    double lastFanRpm_ = 0.0;
    double fanSlope_ = 0.0;  // rpm/s, filtered
};
