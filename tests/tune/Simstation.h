#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/Tuneport.h"
#include "tools/station/Stationmodel.h"

/// The emulator's heater model behind the tuner's two interfaces, in simulated time: waiting
/// runs the physics, so a ten-minute run takes milliseconds. Faults are switched on by time.
class SimStation final : public TuneStation, public TuneClock {
  public:
    struct Faults {
        std::optional<double> heaterStuckAtS;  ///< from then on full power, whatever is sent
        std::optional<double> linkDownFromS;   ///< every call fails from then ...
        double linkDownToS = 1e300;            ///< ... until then
        std::vector<double> stopsAtS;          ///< stop requests (Ctrl+C, Cancel)
    };

    explicit SimStation(const HeaterPlant& plant);
    SimStation(const HeaterPlant& plant, Faults faults, std::uint32_t seed = 5);

    // TuneStation
    PidGains GetPIDH() override;
    void SetPIDH(const PidGains& gains) override;
    void SetT(int tset, int power) override;
    HeatStatus GetHeat() override;
    int PowerLimit() override;
    void Reconnect() override;

    // TuneClock
    double Now() override { return nowS_; }
    void WaitUntil(double deadlineS) override;
    int Stops() const override { return stops_; }

    /// Lets the physics run without the tuner, for a start from a warm tip.
    void Settle(double seconds);

    StationModel::Inputs inputs;
    std::vector<std::pair<int, int>> setTs;  ///< every SetT that reached the station
    std::vector<PidGains> setPids;           ///< every SetPIDH that reached the station

  private:
    void ThrowWhenDown() const;

    StationModel model_;
    Faults faults_;
    double nowS_ = 0;
    int stops_ = 0;
    std::size_t nextStop_ = 0;
};
